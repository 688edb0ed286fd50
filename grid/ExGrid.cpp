#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "grid/ExGridPrintLayout.h"

#include "controls/ExGridPopups.h"
#include "controls/SgCombo.h"
#include "platform/InplaceEdit.h"
#include "platform/Guard.h"
#include "platform/Themes.h"

#include <QApplication>
#include <QPrinter>
#include <QEvent>
#include <QHelpEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QToolTip>
#include <algorithm>
#include <iterator>
#include <climits>
#include <stdexcept>

namespace {

// The unit's start-up, once per process before the first grid: the move watcher for the focus
// window and the two private event types.
struct GridUnit {
    int editDone = QEvent::registerEventType();
    int dtpShiftFocus = QEvent::registerEventType();
    GridUnit() {
        SetFocusWindowGrid(nullptr);
        InstallGridMoveHook();
    }
};
GridUnit& gridUnit() {
    static GridUnit u;
    return u;
}

int scrollBarExtent(const QWidget* w) { return w->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, w); }

}  // namespace

int GridEditDoneEventType() { return gridUnit().editDone; }
int DTPShiftFocusEventType() { return gridUnit().dtpShiftFocus; }

// ---------------------------------------------------------------- construction

TExStringGrid::TExStringGrid(QWidget* AOwner) : TBaseGrid(AOwner) {
    gridUnit();
    // Settings objects, lists and helpers, each owned here alone.
    FFooterPanel = std::make_unique<TFooterPanel>(this);
    FSearchPanel = std::make_unique<TSearchPanel>(this);
    FFocusHelper = std::make_unique<TFocusHelper>(this);
    FSearchFooter = std::make_unique<TSearchFooter>(this, false);
    FSearchFooter->OnChange = [this](QObject*) { UpdateSearchPanel(); };
    FFloatingFooter = std::make_unique<TFloatingFooter>(this);
    FPrintSettings = std::make_unique<TPrintSettings>(this);
    FHTMLSettings = std::make_unique<THTMLSettings>();
    FSortSettings = std::make_unique<TSortSettings>(this);
    FDragDropSettings = std::make_unique<TDragDropSettings>(this);
    FDragScrollOptions = std::make_unique<TDragScrollOptions>();
    FControlLook = std::make_unique<TControlLook>(this);
    FNavigation = std::make_unique<TNavigation>();
    FNavigation->OnChange = [this](QObject*) { NavigationChanged(); };
    FColumnSize = std::make_unique<TColumnSize>(this);
    FCellNode = std::make_unique<TCellNode>(this);
    FBands = std::make_unique<TBands>();
    FBands->OnChange = [this](QObject*) { RepaintGrid(); };
    FSizeWhileTyping = std::make_unique<TSizeWhileTyping>();
    FMouseActions = std::make_unique<TMouseActions>(this);
    FMouseActions->OnChange = [this](QObject*) { MouseActionsChanged(); };
    FMouseActions->OnIsDesigning = [this](QObject*, bool& IsDesigning) { IsDesigning = IsDesignTime(); };
    FMouseActions->OnInvalidate = [this](QObject*) { RepaintGrid(); };
    FGrouping = std::make_unique<TGrouping>();
    FFixedFont.SetName(QStringLiteral("Tahoma"));
    FFixedFont.SetStyle({plat::fsBold});
    FFixedFont.OnChange = [this] { RepaintGrid(); };
    FActiveCellFont.SetStyle({plat::fsBold});
    FActiveCellFont.OnChange = [this] { RepaintGrid(); };
    FOrigColSizes = std::make_unique<TIntList>(0, 0);
    FSortIndexes = std::make_unique<TSortIndexList>();
    for (auto* l : {&FSortRowXRef, &FUnSortRowXRef, &FMergedColumns, &FSelectedCells, &FSelectedRows,
                    &FModifiedRows, &FEnabledRows})
        *l = std::make_unique<TIntList>(0, 0);
    FBackGround = std::make_unique<TBackGround>(this);
    FScrollHintWnd = std::make_unique<THTMLHintWindow>(this);
    FControlList = std::make_unique<TControlList>();
    FBalloon = std::make_unique<TBalloonSettings>();
    FShowModified = std::make_unique<TShowModified>();
    FShowModified->OnChange = [this](QObject*) {
        if (FUpdateCount == 0) InvalidateCol(0);
    };
    FProgressAppearance = std::make_unique<TGridProgressAppearance>();
    FProgressAppearance->OnChange = [this](QObject*) { RepaintGrid(); };
    FSyncGrid = std::make_unique<TSyncGrid>(this);

    SetRowCount(10);
    numberNewRows(1);
    resize(400, 250);
    FFilter = std::make_unique<TFilter>(this);
    SetAutoSize(false);

    // The grid grows and shrinks with the window it sits on.
    if (QWidget* form = FindOwnerForm(AOwner)) {
        FOwnerForm = form;
        form->installEventFilter(this);
        FPrevSizeX = form->width();
        FPrevSizeY = form->height();
    }

    FVisibleCol.fill(true);
    rebuildColumnMaps();
    // Cell hints: the viewport's tooltip requests come to the grid.
    viewport()->installEventFilter(this);
    TBaseGrid::SetDefaultRowHeight(22);
    FFixedRowHeight = 22;
    FFloatingFooter->SetHeight(22);

    // This platform has every system feature the grid asks about: themes and flat bars.
    FIsWinXP = plat::IsWindowsXPOrLater();
    FIsWin7 = true;
    FIsWinVista = true;
    FIsComCtl6 = plat::IsComCtl6();
    FBorderColor = FIsWinXP ? 0xB99D7F : 0x808080;
    FScrollWidth = scrollBarExtent(this);
    FVEZGradientTo = plat::ColorToRGB(plat::clBtnFace);

    FFilterDropDown = std::make_unique<TFilterDropDown>();
    FFilterDropDown->OnChange = [this](QObject*) { RepaintGrid(); };
    FDropList = std::make_unique<TDropList>(this);
    FDropCheckList = std::make_unique<TDropCheckList>(this);
    FOldLeftCol = LeftCol();
    FOldTopRow = TopRow();

    // Editor hosts.
    FFocusWindow = std::make_unique<TGridFocusWindow>(this);
    FEditTrans = std::make_unique<TGridTransEdit>(this);
    FComboTrans = std::make_unique<TGridTransCombo>(this);

    FGridTimer = new plat::TTimer(this);
    FGridTimer->SetInterval(500);
    FGridTimer->SetEnabled(false);
    FGridTimer->SetOnTimer([this](QObject*) { GridTimer(); });

    createEditorControls();
}

TArrowWindow* TExStringGrid::ArrowWindow(TArrowDirection Direction) const {
    std::unique_ptr<TArrowWindow>& a = FArrows[Direction];
    if (!a) {
        a = std::make_unique<TArrowWindow>(const_cast<TExStringGrid*>(this), Direction);
        a->hide();
        if (FArrowColorSet) a->SetColor(FArrowColor);
    }
    return a.get();
}

TGridCombo* TExStringGrid::EditCombo() {
    if (FEditCombo) return FEditCombo;
    // The combo editor of both combo kinds, made when a cell first needs it (most grids of a dialog
    // never do) and reused for every cell; its keys and focus come here.
    FEditCombo = new TGridCombo(this);
    FEditCombo->setParent(viewport());
    FEditCombo->hide();
    FEditCombo->SetEnabled(false);
    FEditCombo->installEventFilter(this);
    FEditCombo->OnChange = [this](QObject*) {
        comboChanged();
        if (OnEditChange && FSpecialEditor && !FNoEditChange) OnEditChange(this, Col(), Row(), FEditCombo->Text());
    };
    FEditCombo->OnCloseUp = [this](QObject*) { comboClosed(); };
    return FEditCombo;
}

TExStringGrid::~TExStringGrid() {
    // The widths as the user left them; a store that cannot be written must not stop the teardown.
    if (FColumnSize->Save()) plat::guarded([this] { SaveColSizes(); });
    Destroying();
    // The editors go first: nothing they do on their way out may reach a grid half taken down.
    if (InplaceEditor()) InplaceEditor()->removeEventFilter(this);
    // An open combo hands its focus on as it goes: that focus loss must not end an edit here.
    if (FEditCombo) FEditCombo->removeEventFilter(this);
    if (FGridControlWndProc) FGridControlWndProc->removeEventFilter(this);
    // A link's pop-up that edits here goes out of sight; the window is the link's and stays.
    if (FLinkInEdit && FLinkInEdit->Grid() == this) FLinkInEdit->closePopup();
    delete FEditCombo;
    FEditCombo = nullptr;
    for (QWidget* w : {static_cast<QWidget*>(FEditCheck), static_cast<QWidget*>(FGridButton),
                       static_cast<QWidget*>(FSpinEdit)})
        if (w) w->removeEventFilter(this);
    if (FocusWindowGrid() == this) SetFocusWindowGrid(nullptr);
    if (FOwnerForm) FOwnerForm->removeEventFilter(this);
    FClearTextOnly = false;
    FSaveHiddenCells = false;
    FreeAllCellProperties();
    // In the order the grid's parts depend on each other; widgets leave their parent as they go.
    FFocusHelper.reset();
    FIgnoreColumns.clear();
    FProgressAppearance.reset();
    FFloatingFooter.reset();
    FControlList.reset();
    for (auto* l : {&FSortRowXRef, &FUnSortRowXRef, &FMergedColumns, &FSelectedCells, &FSelectedRows,
                    &FModifiedRows, &FEnabledRows})
        l->reset();
    FPrintSettings.reset();
    FHTMLSettings.reset();
    FSortSettings.reset();
    FDragDropSettings.reset();
    FDragScrollOptions.reset();
    FControlLook.reset();
    FNavigation.reset();
    FColumnSize.reset();
    FCellNode.reset();
    FBands.reset();
    FSizeWhileTyping.reset();
    FMouseActions.reset();
    FGrouping.reset();
    FSortIndexes.reset();
    FBackGround.reset();
    FFooterPanel.reset();
    FSearchPanel.reset();
    FSearchFooter.reset();
    FBalloon.reset();
    FShowModified.reset();
    FOrigColSizes.reset();
    FFilterDropDown.reset();
    FDropList.reset();
    FDropCheckList.reset();
    FSyncGrid.reset();
    for (auto& a : FArrows) a.reset();
    FGridItems.Clear();
    FFilter.reset();
    FFocusWindow.reset();
    FEditTrans.reset();
    FComboTrans.reset();
    FScrollHintWnd.reset();
}

QWidget* TExStringGrid::FindOwnerForm(QWidget* Control) {
    for (QWidget* w = Control; w; w = w->parentWidget())
        if (w->isWindow()) return w;
    return nullptr;
}

// ---------------------------------------------------------------- window and lifecycle

bool TExStringGrid::event(QEvent* e) {
    if (e->type() == QEvent::ParentChange) FWndCreated = false;
    // A grid on its way out answers nothing itself.
    if (IsDestroying()) return TBaseGrid::event(e);
    if (e->type() == GridEditDoneEventType()) {
        // The notice an ended edit posted: OnEditCellDone, and a double-click-only grid stops editing.
        const auto* done = static_cast<const TGridEditDone*>(e);
        plat::guarded([&] {
            if (OnEditCellDone) OnEditCellDone(this, done->Col, done->Row);
            if (FMouseActions->EditOnDblClickOnly()) {
                HideInplaceEdit();
                FEditMode = false;
                DisableEditing();
            }
        });
        return true;
    }
    if (e->type() == OfficeThemeChangeEventType()) {
        plat::guarded([this] { AdaptToOfficeTheme(); });
        return true;
    }
    switch (e->type()) {
        case QEvent::ThemeChange:
            if (FAutoThemeAdapt) plat::guarded([this] { AdaptToOfficeTheme(); });
            break;
        case QEvent::LayoutRequest:
            // The internal size notice: the proportional bars follow.
            if (!IsDesignTime())
                plat::guarded([this] {
                    UpdateProportionalVScroll();
                    UpdateProportionalHScroll();
                });
            break;
        case QEvent::CursorChange:
            // A cursor given from outside ends the select mode.
            if (!FInvokedChange) FMouseSelectMode = msNormal;
            break;
        default: break;
    }
    const bool result = TBaseGrid::event(e);
    if (e->type() == QEvent::Paint) plat::guarded([this] { paintFrame(); });
    if (e->type() == QEvent::Show && !FWndCreated) plat::guarded([this] { CreateWnd(); });
    return result;
}

void TExStringGrid::CreateWnd() {
    if (IsDestroying() || !parentWidget()) return;
    FWndCreated = true;
    FFooterPanel->setVisible(FFloatingFooter->Visible());
    FSearchPanel->setVisible(FSearchFooter->Visible());
    FSearchPanel->setFixedHeight(FSearchFooter->Visible() ? 32 : 0);
    LayoutPanels();
    // One timer, started again.
    FGridTimer->SetEnabled(false);
    FGridTimer->SetEnabled(true);
    FIsWinXP = FIsWinXP && plat::IsThemeActive();
    // A metro grid whose window is made now gets its thin scroll controls.
    if (FScrollType == ssMetro && !IsDesignTime()) {
        makeScrollControls();
        SetScrollBars(plat::ssNone);
    }
    FWheelScrollLines = QApplication::wheelScrollLines();
    if (FWheelScrollLines < 0) FWheelScrollLines = VisibleRowCount();
    if (FColumnSize->Save()) LoadColSizes();
}

void TExStringGrid::Loaded() {
    TBaseGrid::Loaded();
    FOldCursor = cursor();
    ShowColumnHeaders();
    ShowRowHeaders();
    if (FLook == glVEZ) {
        FLook = glCustom;
        FLoading = true;
        SetLook(glVEZ);
        FLoading = false;
    }
    FFixedRowsMin = FixedRows();
    FFixedColsMin = FixedCols();
    FMinRowHeight = DefaultRowHeight();
    FMinColWidth = 10;
    if (FAutoSize) AutoSizeColumns(false, 4);
    if (FColumnSize->Save()) LoadColSizes();
    FMaxRowCount = RowCount();
    FLoaded = true;
    if (Options().contains(plat::goAlwaysShowEditor)) {
        plat::TGridOptions o = Options();
        o.exclude(plat::goAlwaysShowEditor);
        SetOptions(o);
        FNavigation->SetAlwaysEdit(true);
    }
    if (!FIsWinXP && FControlLook->ControlStyle() == csTheme) FControlLook->SetControlStyle(csClassic);
    FSearchFooter->SetAutoThemeAdapt(FAutoThemeAdapt);
    UpdateSearchPanel();
    ApplyScrollBarAlways(false);
    if (FAutoThemeAdapt && !IsDesignTime()) AdaptToOfficeTheme();
    // The reference sizes and the column order as the window left them.
    InitOrigColSizes();
    SetColumnOrder();
}

void TExStringGrid::resizeEvent(QResizeEvent* event) {
    // The platform lays the viewport and the bars out first: the size step reads the new client.
    TBaseGrid::resizeEvent(event);
    plat::guarded([this] {
        LayoutPanels();
        layoutScrollControls();
        // A size the stretched column took ends here, its OnResize raised.
        const bool stretched = sizeStep(ClientWidth());
        if (stretched && FScrollBarAlways == saNone) return;
        if (OnResize) OnResize(this);
        const TBackGroundDisplay d = FBackGround->Display();
        if ((d == bdGradientHorz || d == bdGradientVert) && FBackGround->ColorTo() != plat::clNone) RepaintGrid();
        ApplyScrollBarAlways(false);
        if (FScrollProportional) {
            UpdateProportionalHScroll();
            UpdateProportionalVScroll();
        }
        if (!stretched) syncFlatBars();
    });
}

void TExStringGrid::Invalidate() {
    if (FEditChange) {
        FEditChange = false;
        return;
    }
    InvalidateGrid();
    if (FFloatingFooter->Visible()) FFooterPanel->update();
}

void TExStringGrid::RepaintGrid() {
    if (FUpdateCount == 0 && !IsDestroying()) Invalidate();
}

void TExStringGrid::RepaintRow(int ARow) {
    if (FUpdateCount == 0 && ARow >= 0 && ARow < RowCount()) InvalidateRow(ARow);
}

void TExStringGrid::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    const int rh = DefaultRowHeight();
    if (FIntegralHeight && FUpdateCount == 0 && rh > 0) {
        const int s = VisibleColCount() + FixedCols() < ColCount() ? scrollBarExtent(this) : 0;
        const int b = BorderStyle() == plat::bsSingle ? 2 : 0;
        const int inner = AHeight - s - b;
        AHeight = (inner - inner % rh) + s + 2 * b;
    }
    setGeometry(ALeft, ATop, AWidth, AHeight);
    if (parentWidget()) PaintNCBorder();
}

void TExStringGrid::SetBorderColor(TColor Value) {
    if (FBorderColor == Value) return;
    FBorderColor = Value;
    if (parentWidget()) PaintNCBorder();
}

void TExStringGrid::ApplyScrollBarAlways(bool HideUnneeded) {
    const bool rowsFit = VisibleRowCount() + FixedRows() >= RowCount();
    const bool colsFit = VisibleColCount() + FixedCols() >= ColCount();
    QScrollBar* v = verticalScrollBar();
    QScrollBar* h = horizontalScrollBar();
    if (FScrollBarAlways != saNone) {
        const bool vert = FScrollBarAlways == saVert || FScrollBarAlways == saBoth;
        const bool horz = FScrollBarAlways == saHorz || FScrollBarAlways == saBoth;
        if (rowsFit) setVerticalScrollBarPolicy(vert ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        else if (vert) setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        if (colsFit) setHorizontalScrollBarPolicy(horz ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        else if (horz) setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        v->setEnabled(!rowsFit);
        h->setEnabled(!colsFit);
    } else if (HideUnneeded) {
        if (rowsFit) setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        if (colsFit) setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
}

QString TExStringGrid::GetEditMask(int ACol, int ARow) {
    QString mask = FEditMask;
    if (OnGetEditMask) OnGetEditMask(this, ACol, ARow, mask);
    return mask;
}

// ---------------------------------------------------------------- update lock

void TExStringGrid::BeginUpdate() {
    ++FUpdateCount;
    if (isVisible() && !FRedrawOff) {
        setUpdatesEnabled(false);
        FRedrawOff = true;
    }
}

void TExStringGrid::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    if (FUpdateCount > 0 || IsDestroying()) return;
    FSelChange = false;
    if (FRedrawOff) {
        FRedrawOff = false;
        setUpdatesEnabled(true);
    }
    InvalidateGrid();
    PaintNCBorder();
}

// ---------------------------------------------------------------- cells and dimensions

void TExStringGrid::checkCell(int ACol, int ARow) const {
    if (ACol < 0 || ACol >= TotalColCount() || ARow < 0 || ARow >= RowCount())
        throw std::out_of_range("grid cell (" + std::to_string(ACol) + ", " + std::to_string(ARow) + ") out of range");
}

QString TExStringGrid::Cells(int ACol, int ARow) const {
    checkCell(ACol, ARow);
    return GetCellEx(ACol, ARow);
}

void TExStringGrid::SetCells(int ACol, int ARow, QString Value) {
    checkCell(ACol, ARow);
    SetCellEx(ACol, ARow, std::move(Value));
}

int TExStringGrid::TotalColCount() const { return ColCount() + FNumHidden; }

void TExStringGrid::SetDefaultRowHeight(int Value) {
    TBaseGrid::SetDefaultRowHeight(Value);
    FFloatingFooter->SetHeight(Value);
}

void TExStringGrid::SetFixedFooters(int Value) {
    FFixedFooters = std::max(0, Value);
    RepaintGrid();
}

void TExStringGrid::StretchColumnToFit(int ACol) {
    if (IsDestroying()) return;
    if (ACol == -1) ACol = ColCount() - 1;
    if (ACol >= ColCount()) throw EExGridError(QStringLiteral("Stretch column index out of range"));
    if (ColCount() == 0 || !FColumnSize->Stretch() || FIsColChanging || ACol < 0) return;
    FIsColChanging = true;
    FColchgFlg = false;
    const int cw = ClientWidth();
    if (ColCount() == 1) {
        SetColWidths(ACol, cw);
    } else {
        int others = 0;
        for (int c = 0; c < ColCount(); ++c)
            if (c != ACol) others += ColWidths(c);
        if (others < cw) SetColWidths(ACol, cw - others - 1);
        else if (LeftCol() == FixedCols()) SetColWidths(ACol, DefaultColWidth());
    }
    FColchgFlg = true;
    FIsColChanging = false;
    if (FFloatingFooter->Visible()) LayoutPanels();
}

// ---------------------------------------------------------------- headers and column order

void TExStringGrid::SetColumnOrder() {
    FColumnOrder.resize(size_t(std::max(0, ColCount())));
    for (int c = 0; c < ColCount(); ++c) FColumnOrder[size_t(c)] = c;
}

// ---------------------------------------------------------------- look


int32_t TExStringGrid::GetVersionNr() const { return 0x06020103; }

QString TExStringGrid::GetVersionString() const {
    const uint32_t v = uint32_t(GetVersionNr());
    return QStringLiteral("%1.%2.%3.%4 Sep, 2012").arg(v >> 24).arg((v >> 16) & 0xFF).arg((v >> 8) & 0xFF).arg(v & 0xFF);
}

QString TExStringGrid::Version() const {
    const uint32_t v = uint32_t(GetVersionNr());
    return QStringLiteral("%1.%2.%3.%4").arg(v >> 24).arg((v >> 16) & 0xFF).arg((v >> 8) & 0xFF).arg(v & 0xFF);
}

QCursor TExStringGrid::Cursor() const { return cursor(); }
void TExStringGrid::SetCursor(const QCursor& Value) {
    setCursor(Value);
    FOldCursor = Value;
}

// ---------------------------------------------------------------- panels

void TExStringGrid::UpdateSearchPanel() {
    if (!FSearchPanel || !FSearchFooter) return;
    const TSearchFooter& f = *FSearchFooter;
    TSearchPanel& p = *FSearchPanel;
    p.setVisible(f.Visible());
    p.setFixedHeight(f.Visible() ? 32 : 0);
    p.FindNextCaption = f.FindNextCaption();
    p.FindPrevCaption = f.FindPrevCaption();
    p.MatchCaseCaption = f.MatchCaseCaption();
    p.HighLightCaption = f.HighLightCaption();
    p.HintClose = f.HintClose();
    p.HintFindNext = f.HintFindNext();
    p.HintFindPrev = f.HintFindPrev();
    p.HintHighlight = f.HintHighlight();
    p.SetColor(f.Color());
    p.SetColorTo(f.ColorTo());
    p.setFont(f.Font());
    LayoutPanels();
}

void TExStringGrid::LayoutPanels() {
    if (!FFooterPanel || !FSearchPanel) return;
    const QRect cr = contentsRect();
    int bottom = cr.bottom() + 1;
    if (horizontalScrollBar()->isVisible()) bottom -= horizontalScrollBar()->height();
    int used = 0;
    for (QWidget* p : {static_cast<QWidget*>(FSearchPanel.get()), static_cast<QWidget*>(FFooterPanel.get())}) {
        const int h = p->isVisibleTo(this) ? p->height() : 0;
        p->setGeometry(cr.left(), bottom - used - h, cr.width(), h);
        used += h;
    }
    setViewportMargins(0, 0, 0, used);
}

// ---------------------------------------------------------------- focus window

void TExStringGrid::MoveFocusWindow() {
    if (!FFocusWindow || FocusWindowGrid() != this) return;
    const plat::TRect r = CellRect(Col(), Row());
    const QPoint tl = viewport()->mapToGlobal(QPoint(r.Left, r.Top));
    FFocusWindow->setGeometry(tl.x() - 4, tl.y() - 4, r.Right - r.Left + 9, r.Bottom - r.Top + 9);
}

void TExStringGrid::HideFocusWindow() {
    if (FocusWindowGrid() == this) SetFocusWindowGrid(nullptr);
    FFocusWindow->hide();
}

// ---------------------------------------------------------------- the owner form

bool TExStringGrid::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && watched == viewport()) {
        const auto* help = static_cast<const QHelpEvent*>(event);
        const plat::TGridCoord cell = MouseCoord(help->pos().x(), help->pos().y());
        const QString hint = cell.X >= 0 && cell.Y >= 0 ? CellHint(cell.Y, cell.X) : QString();
        if (ApplicationHTMLHints())
            ShowApplicationHint(help->globalPos() + QPoint(0, 16), hint, this);
        else if (hint.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), hint, viewport(), CellRect(cell.X, cell.Y).toQRect());
        return true;
    }
    if (linkKeyLeft(watched, event)) return true;
    if (editorKey(watched, event)) return true;
    if (watched == FOwnerForm.data() && event->type() == QEvent::Resize && !FInFormResize) {
        auto* form = static_cast<QWidget*>(watched);
        FInFormResize = true;
        plat::guarded([&] { FormResized(form, [&] { static_cast<QObject*>(form)->event(event); }); });
        FInFormResize = false;
        return true;
    }
    return TBaseGrid::eventFilter(watched, event);
}

// ---------------------------------------------------------------- assign

void TExStringGrid::Assign(const QObject* Source) {
    const auto* s = dynamic_cast<const TExStringGrid*>(Source);
    if (!s) return;
    auto& src = const_cast<TExStringGrid&>(*s);
    BeginUpdate();
    Font().Assign(src.Font());
    FActiveCellColor = s->FActiveCellColor;
    FActiveCellColorTo = s->FActiveCellColorTo;
    FActiveCellFont.Assign(s->FActiveCellFont);
    FActiveCellShow = s->FActiveCellShow;
    SetActiveRowShow(s->ActiveRowShow());
    FFilterDropDown->Assign(s->FFilterDropDown.get());
    FAnchorHint = s->FAnchorHint;
    FAutoNumAlign = s->FAutoNumAlign;
    FAutoSize = s->FAutoSize;
    FAutoThemeAdapt = s->FAutoThemeAdapt;
    FAutoFilterUpdate = s->FAutoFilterUpdate;
    FMouseActions->Assign(s->FMouseActions.get());
    FNavigation->Assign(s->FNavigation.get());
    FGrouping->Assign(s->FGrouping.get());
    FSearchFooter->Assign(s->FSearchFooter.get());
    FPrintSettings->Assign(s->FPrintSettings.get());
    FFilter->Clear();
    for (int i = 0; i < s->FFilter->Count(); ++i)
        FFilter->plat::TCollection<TFilterData>::Add().Assign(s->FFilter->Items(i));
    FHTMLSettings->Assign(s->FHTMLSettings.get());
    FBands->Assign(s->FBands.get());
    FCellNode->Assign(s->FCellNode.get());
    FSortSettings->Assign(s->FSortSettings.get());
    FDragScrollOptions->Assign(s->FDragScrollOptions.get());
    FDragDropSettings->Assign(s->FDragDropSettings.get());
    FProgressAppearance->Assign(s->FProgressAppearance.get());
    FColumnSize->Assign(s->FColumnSize.get());
    FSyncGrid->Assign(s->FSyncGrid.get());
    FFocusHelper->Assign(s->FFocusHelper.get());
    FFixedRowAlways = s->FFixedRowAlways;
    SetColCount(s->ColCount());
    SetRowCount(s->RowCount());
    SetFixedRows(s->FixedRows());
    SetFixedCols(s->FixedCols());
    SetDefaultColWidth(s->DefaultColWidth());
    SetDefaultRowHeight(s->DefaultRowHeight());
    SetFixedRowHeight(s->FFixedRowHeight);
    SetFixedColWidth(s->FixedColWidth());
    FInvalidEntryTitle = s->FInvalidEntryTitle;
    FInvalidEntryIcon = s->FInvalidEntryIcon;
    FInvalidEntryText = s->FInvalidEntryText;
    SetOptions(s->Options());
    for (int c = 0; c < ColCount(); ++c) SetColWidths(c, s->ColWidths(c));
    SetColumnHeaders(s->FColumnHeaders);
    for (int r = 0; r < RowCount(); ++r) SetRowHeights(r, s->RowHeights(r));
    FScrollProportional = s->FScrollProportional;  // the field: no bar update yet
    FScrollSynch = s->FScrollSynch;
    FScrollHints = s->FScrollHints;
    FScrollBarAlways = s->FScrollBarAlways;
    SetScrollBars(s->ScrollBars());
    FScrollWidth = s->FScrollWidth;
    SetScrollColor(s->FScrollColor);
    SetScrollType(s->FScrollType);
    SetScrollWidth(s->FScrollWidth);
    AssignCells(Source);
    EndUpdate();
}

void TExStringGrid::AssignCells(const QObject* Source) {
    const auto* s = dynamic_cast<const TExStringGrid*>(Source);
    if (!s || s == this) return;
    BeginUpdate();
    const int rows = std::min(RowCount(), s->RowCount());
    const int cols = std::max(TotalColCount(), s->TotalColCount());
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            SetGridCells(c, r, c < s->TotalColCount() ? s->GridCells(c, r) : QString());
            const TCellProperties* sp = c < s->TotalColCount() ? s->GridObjects(c, r) : nullptr;
            if (sp) {
                auto p = std::make_unique<TCellProperties>(this, c, r);
                p->Assign(*sp);
                p->SetGradientDirection(sp->GradientDirection());
                p->SetCalcType(sp->CalcType());
                SetCellProperties(c, r, std::move(p));
                GridObjects(c, r)->SetBrushColorTo(sp->BrushColorTo());
            } else if (GridObjects(c, r)) {
                FreeCellProperties(c, r);
            }
        }
    }
    EndUpdate();
}

// ---------------------------------------------------------------- form values

void SetConfiguratorFormValues(TExStringGrid& Grid) {
    plat::TFont& f = Grid.Font();
    f.SetName(QStringLiteral("Tahoma"));
    f.SetHeight(-11);
    plat::TFont& ff = Grid.FixedFont();
    ff.SetName(QStringLiteral("Tahoma"));
    ff.SetHeight(-11);
    ff.SetStyle({plat::fsBold});
    plat::TFont& af = Grid.ActiveCellFont();
    af.SetName(QStringLiteral("Tahoma"));
    af.SetHeight(-11);
    af.SetStyle({plat::fsBold});
    Grid.SetOptions({plat::goFixedVertLine, plat::goFixedHorzLine, plat::goVertLine, plat::goHorzLine,
                     plat::goRangeSelect});
    Grid.SetHoverRowCells({hcNormal, hcSelected});
    TControlLook& cl = Grid.ControlLook();
    cl.SetFixedGradientHoverFrom(plat::clGray);
    cl.SetFixedGradientHoverTo(plat::clWhite);
    cl.SetFixedGradientDownFrom(plat::clGray);
    cl.SetFixedGradientDownTo(plat::clSilver);
    // The drop-down editors' header and footer: shown, in Tahoma, without buttons.
    cl.DropDownHeader().SetVisible(true);
    cl.DropDownHeader().Font().SetName(QStringLiteral("Tahoma"));
    cl.DropDownHeader().Buttons().Clear();
    cl.DropDownFooter().SetVisible(true);
    cl.DropDownFooter().Font().SetName(QStringLiteral("Tahoma"));
    cl.DropDownFooter().Buttons().Clear();
    Grid.SetFloatFormat(QStringLiteral("%.2f"));
    Grid.SetFilterDropDownClear(QStringLiteral("(All)"));
    Grid.PrintSettings().SetDateFormat(QStringLiteral("dd/mm/yyyy"));
    Grid.PrintSettings().SetPageNumSep(QStringLiteral("/"));
    TSearchFooter& sf = Grid.SearchFooter();
    sf.SetFindNextCaption(QStringLiteral("Find &next"));
    sf.SetFindPrevCaption(QStringLiteral("Find &previous"));
    sf.SetHighLightCaption(QStringLiteral("Highlight"));
    sf.SetMatchCaseCaption(QStringLiteral("Match case"));
    sf.SetHintClose(QStringLiteral("Close"));
    sf.SetHintFindNext(QStringLiteral("Find next occurrence"));
    sf.SetHintFindPrev(QStringLiteral("Find previous occurrence"));
    sf.SetHintHighlight(QStringLiteral("Highlight occurrences"));
}

// ---------------------------------------------------------------- hidden columns

void TExStringGrid::rebuildColumnMaps() {
    FDisplToReal.clear();
    int d = 0;
    for (int c = 0; c < 512; ++c) {
        FRealToDispl[size_t(c)] = d;
        if (FVisibleCol[size_t(c)]) {
            FDisplToReal.push_back(c);
            ++d;
        }
    }
}

bool TExStringGrid::IsHiddenColumn(int ColIndex) const {
    return ColIndex >= 0 && ColIndex < 512 && !FVisibleCol[size_t(ColIndex)];
}

int TExStringGrid::DisplColIndex(int ACol) const {
    if (ACol >= 512 || ACol < 0 || FNumHidden == 0) return ACol;
    return FRealToDispl[size_t(ACol)];
}

int TExStringGrid::RealColIndex(int ACol) const {
    if (ACol >= 512 || ACol < 0 || FNumHidden == 0) return ACol;
    return ACol < int(FDisplToReal.size()) ? FDisplToReal[size_t(ACol)] : 0;
}

void TExStringGrid::HideColumns(int FromCol, int ToCol) {
    if (EditorMode()) HideEditor();
    // An open-ended range stops at the last real column that can be hidden.
    const int last = std::min({ToCol, kMaxHideCol - 1, TotalColCount() - 1});
    for (int c = std::max(0, FromCol); c <= last; ++c) {
        if (!FVisibleCol[size_t(c)] || ColCount() < 2) continue;
        const int d = DisplColIndex(c);
        FAllColWidths[size_t(c)] = int16_t(ColWidths(d));
        for (int i = d; i <= ColCount() - 2; ++i) SetColWidths(i, ColWidths(i + 1));
        ++FNumHidden;
        FVisibleCol[size_t(c)] = false;
        rebuildColumnMaps();
        if (Col() == ColCount() - 1) MoveCurrent(Col() - 1, Row(), true, false);
        TBaseGrid::SetColCount(ColCount() - 1);
    }
    if (FControlList->Count() > 0) CellControlsUpdate(false);
    RepaintGrid();
}

void TExStringGrid::UnHideColumns(int FromCol, int ToCol) {
    if (EditorMode()) HideEditor();
    for (int c = std::max(0, FromCol); c <= ToCol && c < 512; ++c) {
        if (FVisibleCol[size_t(c)]) continue;
        --FNumHidden;
        FVisibleCol[size_t(c)] = true;
        rebuildColumnMaps();
        TBaseGrid::SetColCount(ColCount() + 1);
        const int d = DisplColIndex(c);
        for (int i = ColCount() - 1; i > d; --i) SetColWidths(i, ColWidths(i - 1));
        SetColWidths(d, FAllColWidths[size_t(c)]);
    }
    if (FControlList->Count() > 0) CellControlsUpdate(false);
    RepaintGrid();
}

int TExStringGrid::AllColWidths(int ACol) const {
    if (IsHiddenColumn(ACol)) return FAllColWidths[size_t(ACol)];
    const int d = DisplColIndex(ACol);
    return d >= 0 && d < ColCount() ? ColWidths(d) : 0;
}

void TExStringGrid::SetAllColWidths(int ACol, int Value) {
    if (IsHiddenColumn(ACol)) {
        FAllColWidths[size_t(ACol)] = int16_t(Value);
        return;
    }
    const int d = DisplColIndex(ACol);
    if (d >= 0 && d < ColCount()) SetColWidths(d, Value);
}

// ---------------------------------------------------------------- ranges and hit tests

plat::TGridRect TExStringGrid::UsedCells() const {
    int minC = INT_MAX, minR = INT_MAX, maxC = -1, maxR = -1;
    for (int r = 0; r < RowCount(); ++r)
        for (int c = 0; c < ColCount(); ++c) {
            if (GetCellEx(c, r).isEmpty()) continue;
            minC = std::min(minC, c);
            minR = std::min(minR, r);
            maxC = std::max(maxC, c);
            maxR = std::max(maxR, r);
        }
    if (maxC < 0) return {0, 0, 0, 0};
    return {minC, minR, maxC, maxR};
}

int TExStringGrid::SaveStartCol() const { return FSaveFixedCells || FSaveFixedCols ? 0 : FixedCols(); }
int TExStringGrid::SaveEndCol() const {
    return FSaveFixedCells || FSaveFixedCols ? ColCount() - 1 : ColCount() - FFixedRightCols - 1;
}
int TExStringGrid::SaveColCount() const {
    return FSaveFixedCells || FSaveFixedCols ? ColCount() : ColCount() - FixedCols() - FFixedRightCols;
}
int TExStringGrid::SaveStartRow() const { return FSaveFixedCells || FSaveFixedRows ? 0 : FixedRows(); }
int TExStringGrid::SaveEndRow() const {
    return FSaveFixedCells || FSaveFixedRows ? RowCount() - 1 : RowCount() - FFixedFooters - 1;
}
int TExStringGrid::SaveRowCount() const {
    return FSaveFixedCells || FSaveFixedRows ? RowCount() : RowCount() - FixedRows() - FFixedFooters;
}

void TExStringGrid::ScreenToCell(QPoint Pt, int& ACol, int& ARow) const {
    const QPoint p = viewport()->mapFromGlobal(Pt);
    MouseToCell(p.x(), p.y(), ACol, ARow);
}

bool TExStringGrid::IsOnSizingBorder(int X, int Y) const {
    const plat::TGridCoord cell = MouseCoord(X, Y);
    if (cell.X < 0 || cell.Y < 0) return false;
    const plat::TRect r = TStringGrid::CellRect(cell.X, cell.Y);
    bool result = false;
    if (cell.Y <= FixedRows() && Options().contains(plat::goColSizing))
        result = X - r.Left < 4 || r.Right - X < 4;
    if (cell.X <= FixedCols() && Options().contains(plat::goRowSizing))
        result = Y - r.Top < 4 || r.Bottom - Y < 4;
    return result;
}

// ---------------------------------------------------------------- hidden rows

const std::vector<int>& TExStringGrid::hiddenUnique() const {
    if (!FHiddenUniqueValid) {
        FHiddenUnique = FHiddenIdx;
        FHiddenUnique.erase(std::unique(FHiddenUnique.begin(), FHiddenUnique.end()), FHiddenUnique.end());
        FHiddenUniqueValid = true;
    }
    return FHiddenUnique;
}

void TExStringGrid::addHiddenIdx(const std::vector<int>& Rows) {
    const size_t mid = FHiddenIdx.size();
    FHiddenIdx.insert(FHiddenIdx.end(), Rows.begin(), Rows.end());
    std::inplace_merge(FHiddenIdx.begin(), FHiddenIdx.begin() + ptrdiff_t(mid), FHiddenIdx.end());
    FHiddenUniqueValid = false;
}

bool TExStringGrid::IsHiddenRow(int ARow) const {
    return std::binary_search(FHiddenIdx.begin(), FHiddenIdx.end(), ARow);
}

int TExStringGrid::DisplRowIndex(int ARow) const {
    if (FHiddenIdx.empty()) return ARow;
    return ARow - int(std::lower_bound(FHiddenIdx.begin(), FHiddenIdx.end(), ARow) - FHiddenIdx.begin());
}

int TExStringGrid::RealRowIndex(int ARow) const {
    if (FHiddenIdx.empty()) return ARow;
    // The real row d + k where k hidden rows lie below it: the first k with H[k] - k > d.
    const std::vector<int>& h = hiddenUnique();
    size_t lo = 0, hi = h.size();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        if (h[mid] - int(mid) <= ARow) lo = mid + 1;
        else hi = mid;
    }
    return ARow + int(lo);
}

void TExStringGrid::keepHidden(std::vector<plat::TGridStore::TRowRecord> Records, const std::vector<int>& Heights,
                               const std::vector<int>& RealRows, const std::vector<int>& Idx, bool Listed,
                               int Level) {
    for (size_t i = 0; i < Records.size(); ++i) {
        // Items of rows hidden one by one stay in the order of their real rows; a filter level's
        // items follow the others.
        int pos = FGridItems.Count();
        if (!Listed)
            while (pos > 0 && FGridItems.Items(pos - 1).RealIdx > RealRows[i]) --pos;
        TGridItem& item = FGridItems.Insert(pos);
        item.Idx = Idx[i];
        item.RealIdx = RealRows[i];
        item.Height = Heights[i];
        item.Level = Level;
        item.Listed = Listed;
        item.Record() = std::move(Records[i]);
    }
    addHiddenIdx(RealRows);
}

void TExStringGrid::HideRows(int FromRow, int ToRow) {
    FromRow = std::max(FromRow, 0);
    ToRow = std::min(ToRow, TotalRowCount() - 1);
    if (FromRow > ToRow) return;
    std::vector<int> rows;  // the range's rows still shown, ascending
    for (int r = FromRow; r <= ToRow; ++r)
        if (!IsHiddenRow(r)) rows.push_back(r);
    if (rows.empty()) return;
    // They stand together from the display row of the range's start.
    std::vector<int> heights;
    auto records = TakeRowRecords(DisplRowIndex(FromRow), int(rows.size()), heights);
    keepHidden(std::move(records), heights, rows, rows, false, 0);
    if (FControlList->Count() > 0) CellControlsUpdate(false);
    RepaintGrid();
}

void TExStringGrid::HideRowsEx(int FromRow, int ToRow) {
    if (FromRow < 0 || FromRow > ToRow || IsHiddenRow(FromRow)) return;
    const int d = DisplRowIndex(FromRow);
    const int n = std::min(ToRow - FromRow + 1, RowCount() - d);
    if (n <= 0) return;
    std::vector<int> rows(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) rows[size_t(i)] = RealRowIndex(d + i);
    // Each row keeps its height, so it comes back as high as it went.
    std::vector<int> heights;
    auto records = TakeRowRecords(d, n, heights);
    keepHidden(std::move(records), heights, rows, rows, false, 0);
    if (FControlList->Count() > 0) CellControlsUpdate(false);
    RepaintGrid();
}

void TExStringGrid::HideRowList(const std::vector<int>& RowList) {
    if (RowList.empty()) return;
    std::vector<int> reals(RowList.size());
    for (size_t i = 0; i < RowList.size(); ++i) reals[i] = RealRowIndex(RowList[i]);
    std::vector<int> heights;
    auto records = TakeRowRecordList(RowList, heights);
    keepHidden(std::move(records), heights, reals, RowList, true, FFilterLevel);
    ++FFilterLevel;
    if (FControlList->Count() > 0) CellControlsUpdate(false);
    RepaintGrid();
}

void TExStringGrid::restoreItems(const std::function<bool(const TGridItem&)>& Pick) {
    struct Taken {
        int real, height;
        plat::TGridStore::TRowRecord record;
    };
    std::vector<Taken> taken;
    for (int i = 0; i < FGridItems.Count(); ++i) {
        TGridItem& item = FGridItems.Items(i);
        if (Pick(item)) taken.push_back({item.RealIdx, item.Height, std::move(item.Record())});
    }
    if (taken.empty()) return;
    FGridItems.DeleteWhere([&](plat::TCollectionItem& item) { return Pick(static_cast<const TGridItem&>(item)); });
    // Rows hidden one by one are already in order; only a filter level's items, kept after them,
    // need sorting (and a sort would copy the whole list into a buffer first).
    const auto byReal = [](const Taken& a, const Taken& b) { return a.real < b.real; };
    if (!std::is_sorted(taken.begin(), taken.end(), byReal)) std::stable_sort(taken.begin(), taken.end(), byReal);
    // The index without the rows coming back.
    std::vector<int> reals(taken.size());
    for (size_t i = 0; i < taken.size(); ++i) reals[i] = taken[i].real;
    std::vector<int> rest;
    rest.reserve(FHiddenIdx.size());
    std::set_difference(FHiddenIdx.begin(), FHiddenIdx.end(), reals.begin(), reals.end(), std::back_inserter(rest));
    FHiddenIdx.swap(rest);
    FHiddenUniqueValid = false;
    std::vector<int> positions(taken.size()), heights(taken.size());
    std::vector<plat::TGridStore::TRowRecord> records;
    records.reserve(taken.size());
    for (size_t i = 0; i < taken.size(); ++i) {
        positions[i] = DisplRowIndex(taken[i].real);
        heights[i] = taken[i].height;
        records.push_back(std::move(taken[i].record));
    }
    const bool modified = FShowModified->Enabled();
    FShowModified->SetEnabled(false);  // restoring marks nothing modified
    InsertRowRecordList(positions, std::move(records), heights);
    FShowModified->SetEnabled(modified);
}

void TExStringGrid::UnHideRow(int ARow) {
    if (!IsHiddenRow(ARow)) return;
    // The last item of the row stands for it.
    const TGridItem* last = nullptr;
    for (int i = FGridItems.Count() - 1; i >= 0 && !last; --i)
        if (FGridItems.Items(i).RealIdx == ARow) last = &FGridItems.Items(i);
    restoreItems([last](const TGridItem& item) { return &item == last; });
    if (FControlList->Count() > 0) CellControlsUpdate(false);
    RepaintGrid();
}

void TExStringGrid::UnHideRows(int FromRow, int ToRow) {
    if (!IsHiddenRow(FromRow)) return;
    restoreItems([&](const TGridItem& item) { return item.RealIdx >= FromRow && item.RealIdx <= ToRow; });
    if (FControlList->Count() > 0) CellControlsUpdate(false);
    RepaintGrid();
}

void TExStringGrid::UnHideRowsAll() {
    restoreItems([](const TGridItem&) { return true; });
    if (FControlList->Count() > 0) CellControlsUpdate(false);
    RepaintGrid();
}

void TExStringGrid::UnHideRowList() {
    const int level = FFilterLevel - 1;
    if (Row() >= RowCount()) TBaseGrid::FocusCell(FixedCols(), FixedRows(), true);
    // Only this level's rows: rows hidden one by one or by a lower level stay where they are.
    restoreItems([level](const TGridItem& item) { return item.Listed && item.Level == level; });
    if (FControlList->Count() > 0) CellControlsUpdate(false);
    RepaintGrid();
}

QString TExStringGrid::GetCellsEx(int ACol, int ARealRow) const {
    if (IsHiddenRow(ARealRow)) {
        for (int i = FGridItems.Count() - 1; i >= 0; --i)
            if (FGridItems.Items(i).RealIdx == ARealRow) return FGridItems.Items(i).Record().Cell(ACol);
    }
    return Cells(ACol, DisplRowIndex(ARealRow));
}
