// The grid as a window: focus in and out, the cursor over the cells, the control notices, the
// grid timer (tick count, lookup expiry, focus that follows the mouse, blinking cells), the size
// step with the proportional and stretched columns, the owner form's resize and the reference
// widths the proportional sizing scales.
#include "controls/ExUtil.h"
#include "grid/ExGrid.h"
#include "platform/Guard.h"

#include <QApplication>
#include <QBitmap>
#include <QCursor>
#include <QEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

using namespace plat;

namespace {

// Whether a text holds a blink tag: "<BLI" in any mix of upper and lower case.
bool hasBlinkTag(QStringView Text) {
    const qsizetype n = Text.size();
    for (qsizetype i = Text.indexOf(u'<'); i >= 0 && i + 3 < n; i = Text.indexOf(u'<', i + 1)) {
        const auto up = [&](qsizetype k) { return char16_t(Text[k].unicode() & ~char16_t(0x20)); };
        if (up(i + 1) == u'B' && up(i + 2) == u'L' && up(i + 3) == u'I') return true;
    }
    return false;
}

// The select-mode cursors, drawn for the grid: a black arrow with a white rim on a 32 x 32 field,
// the hot spot at its tip. Points are the arrow's outline.
struct CursorPicture {
    int Id;
    QPoint HotSpot;
    std::array<QPoint, 7> Outline;
};
const std::array<CursorPicture, 4> kSelectCursors{{
    // 8010: the row selector, an arrow pointing right.
    {8010, {15, 8}, {{{2, 5}, {9, 5}, {9, 1}, {15, 8}, {9, 15}, {9, 11}, {2, 11}}}},
    // 8011: the column selector, an arrow pointing down.
    {8011, {8, 15}, {{{5, 2}, {11, 2}, {11, 9}, {15, 9}, {8, 15}, {1, 9}, {5, 9}}}},
    // 8012: the whole grid, an arrow pointing down and right.
    {8012, {14, 14}, {{{3, 1}, {10, 8}, {12, 6}, {14, 14}, {6, 12}, {8, 10}, {1, 3}}}},
    // 8014: the cell selector, a cross of four short arms.
    {8014, {8, 8}, {{{8, 1}, {10, 7}, {15, 8}, {10, 9}, {8, 15}, {6, 9}, {1, 8}}}},
}};

}  // namespace

// ---------------------------------------------------------------- settings with a writer

void TExStringGrid::SetIntegralHeight(const bool& Value) {
    FIntegralHeight = Value;
    // The bounds rule fits the height to whole rows.
    SetBounds(x(), y(), width(), height());
}

void TExStringGrid::InitOrigColSizes() {
    FOrigColSizes->Clear();
    for (int c = 0; c < ColCount(); ++c) FOrigColSizes->Add(ColWidths(c));
    FOldSize = width();
}

void TExStringGrid::ApplyVCLStyleColors() {
    // Only the platform's own look runs here: no application style paints the cells.
    FUseVCLStyles = false;
}

plat::TCanvas& TExStringGrid::FooterCanvas() { return FFooterPanel->Canvas(); }

void TExStringGrid::ResetFixedCellHighlight() {
    FColSizeFlg = false;
    FColSized = FRowSized = false;
    if (FHoverFixedCells == hfNone || FHoverFixedX < 0 || FHoverFixedY < 0) return;
    const int c = FHoverFixedX, r = FHoverFixedY;
    FHoverFixedX = FHoverFixedY = -1;
    if (c < ColCount() && r < RowCount()) RepaintCell(c, r);
}

// ---------------------------------------------------------------- cursor

QCursor TExStringGrid::selectModeCursor(int Id) {
    const auto it =
        std::find_if(kSelectCursors.begin(), kSelectCursors.end(), [Id](const CursorPicture& p) { return p.Id == Id; });
    if (it == kSelectCursors.end()) return QCursor(Qt::ArrowCursor);
    QPixmap pm(17, 17);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(Qt::black);
        p.drawPolygon(it->Outline.data(), int(it->Outline.size()));
    }
    return QCursor(pm, it->HotSpot.x(), it->HotSpot.y());
}

void TExStringGrid::UpdateCellCursor(int X, int Y) {
    struct Invoked {
        bool& f;
        ~Invoked() { f = false; }
    } invoked{FInvokedChange = true};
    const bool sizing = GridState() == gsColSizing || GridState() == gsRowSizing;
    int id = 0;
    if (!sizing) {
        switch (FMouseSelectMode) {
            case msColumn: id = 8011; break;
            case msRow: id = 8010; break;
            case msAll:
            case msResize: id = 8012; break;
            default:
                if (FCellSelectorMode) id = 8014;
                break;
        }
    }
    if (id != 0) {
        viewport()->setCursor(selectModeCursor(id));
    } else {
        const TGridCoord cell = MouseCoord(X, Y);
        if (cell.X >= 0 && cell.Y >= 0) GetCellCursor(cell.X, cell.Y, X, Y);
    }
    // A fixed border that sizes, or may size, shows the split cursor whatever the mode.
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridState st = gsNormal;
    int index = -1, pos = 0, ofs = 0;
    CalcSizingState(X, Y, st, index, pos, ofs, info);
    if (GridState() == gsColSizing || st == gsColSizing)
        viewport()->setCursor(Qt::SplitHCursor);
    else if (GridState() == gsRowSizing || st == gsRowSizing)
        viewport()->setCursor(Qt::SplitVCursor);
}

void TExStringGrid::MouseMove(TShiftState Shift, int X, int Y) {
    TBaseGrid::MouseMove(Shift, X, Y);
    UpdateCellCursor(X, Y);
}

// ---------------------------------------------------------------- focus

void TExStringGrid::DoEnter() {
    // Back from one of the grid's own editor controls the grid was never left.
    if (!FBlockFocus && !std::exchange(FFocusFromEditCtrl, false)) {
        // The cell as it was when the grid was entered, also when an enter handler raised.
        struct Remember {
            TExStringGrid* g;
            ~Remember() { g->RememberOldCell(g->Col(), g->Row()); }
        } remember{this};
        TBaseGrid::DoEnter();
        if (Options().contains(goEditing) || FMouseActions->RangeSelectAndEdit()) SelectCell(Col(), Row());
    }
    // The focus comes: the editor of an always-editing grid opens, or a merged current cell shows
    // its whole block focused again.
    if (FInvokedFocusChange || HasCheckBox(RealCol(), Row())) return;
    if (AlwaysEditOnFocus()) return;
    const int real = RealCol();
    if (real < AllColCount() && Row() < RowCount() && IsMergedCell(real, Row())) RepaintCell(Col(), Row());
}

void TExStringGrid::DoExit() {
    // A special edit that is ending keeps the grid as it is; focus that goes to one of the grid's
    // own editor controls does not leave the grid.
    if (FBlockKill) return;
    if (QWidget* to = QApplication::focusWidget(); to && to != viewport() && isAncestorOf(to)) return;
    // A row or column being moved stops where it is.
    if (FEnhRowColMove && (GridState() == gsRowMoving || GridState() == gsColMoving)) viewport()->unsetCursor();
    const int real = RealCol();
    if (real < AllColCount() && Row() < RowCount() && IsMergedCell(real, Row())) RepaintCell(Col(), Row());
    if (FCtrlDown) {
        FCtrlDown = false;
        if (FCtrlCell.x() >= 0 && FCtrlCell.x() < ColCount() && FCtrlCell.y() >= 0 && FCtrlCell.y() < RowCount())
            RepaintCell(FCtrlCell.x(), FCtrlCell.y());
    }
    if (FSelChange && FMouseActions->DisjunctRowSelect()) SyncRowSelectWithSelection(false);
    FSelChange = false;
    TBaseGrid::DoExit();
}

// ---------------------------------------------------------------- notices

bool TExStringGrid::viewportEvent(QEvent* event) {
    if (IsDestroying()) return TBaseGrid::viewportEvent(event);
    // Proportional bars follow a paint while the first paint of a grid that is no tab stop is due
    // (a tab stop: every paint), and a released left button.
    const QEvent::Type t = event->type();
    if ((t == QEvent::Paint && FScrollProportional && FPaintCount == 0 && !IsDesignTime()) ||
        t == QEvent::MouseButtonRelease) {
        guarded([this] {
            UpdateProportionalVScroll();
            UpdateProportionalHScroll();
        });
    }
    // Whatever moves the row, a partner that follows the selection row follows it.
    const int row = Row();
    const bool result = TBaseGrid::viewportEvent(event);
    if (Row() != row && FSyncGrid->SelectionRow())
        if (TStringGrid* other = FSyncGrid->Grid(); other && Row() < other->RowCount())
            guarded([&] { other->SetRow(Row()); });
    return result;
}

void TExStringGrid::changeEvent(QEvent* event) {
    TBaseGrid::changeEvent(event);
    switch (event->type()) {
        case QEvent::EnabledChange: RepaintGrid(); break;
        case QEvent::PaletteChange:
            if (FFloatingFooter->Visible()) FFooterPanel->update();
            break;
        case QEvent::StyleChange: guarded([this] { HandleStyleChanged(); }); break;
        default: break;
    }
}

// ---------------------------------------------------------------- grid timer

void TExStringGrid::GridTimer() {
    ++FTimerTicks;
    searchTick();
    if (FHovering && !IsDesignTime()) hoverTick();
    if (FEnableBlink) blinkTick();
}

void TExStringGrid::hoverTick() {
    const QPoint pos = QCursor::pos();
    // Only over the cells' own window: a border, a bar or another window changes nothing.
    if (QApplication::widgetAt(pos) != viewport()) return;
    const QPoint p = viewport()->mapFromGlobal(pos);
    if (!viewport()->rect().contains(p)) return;
    const TGridCoord cell = MouseCoord(p.x(), p.y());
    if (cell.X < FixedCols() || cell.Y < FixedRows() || cell.X >= ColCount() || cell.Y >= RowCount()) return;
    viewport()->setFocus(Qt::MouseFocusReason);
    SetRow(cell.Y);
    SetCol(cell.X);
}

void TExStringGrid::repaintBlinking(int ACol, int ARow) {
    const int real = RealColIndex(ACol);
    if (real < AllColCount() && ARow < RowCount() && hasBlinkTag(GetCellEx(real, ARow))) RepaintCell(ACol, ARow);
}

void TExStringGrid::blinkTick() {
    FGridBlink = !FGridBlink;
    // Only what is on screen: the scrolling cells, the fixed rows over the shown columns and the
    // fixed columns beside the shown rows; the fixed corner never blinks.
    const int top = TopRow(), left = LeftCol();
    const int rowEnd = std::min(top + VisibleRowCount(), RowCount());
    const int colEnd = std::min(left + VisibleColCount(), ColCount());
    for (int r = top; r < rowEnd; ++r)
        for (int c = left; c < colEnd; ++c) repaintBlinking(c, r);
    for (int r = 0; r < FixedRows(); ++r)
        for (int c = left; c < colEnd; ++c) repaintBlinking(c, r);
    for (int c = 0; c < FixedCols(); ++c)
        for (int r = top; r < rowEnd; ++r) repaintBlinking(c, r);
}

// ---------------------------------------------------------------- sizing

bool TExStringGrid::sizeStep(int ClientW) {
    // 1. The search strip takes its height again (a second value, so that it really lays out).
    if (FSearchPanel && FSearchFooter->Visible() && FSearchPanel->isVisible()) {
        FSearchPanel->setFixedHeight(33);
        FSearchPanel->setFixedHeight(32);
        LayoutPanels();
    }
    // 2. Widths in proportion to the width the grid had when it loaded.
    if (FOldSize > 0 && FColumnSize->SynchWithGrid()) {
        HideInplaceEdit();
        const double f = BorderStyle() == bsSingle ? double(ClientW + 2) / FOldSize : double(ClientW) / FOldSize;
        const int from = FColumnSize->SynchNormalCellsOnly() ? FixedCols() : 0;
        const int to = FColumnSize->SynchNormalCellsOnly() ? ColCount() - FFixedRightCols - 1 : ColCount() - 1;
        for (int i = from; i <= to && i < FOrigColSizes->Count(); ++i)
            SetColWidths(i, int(std::trunc(FOrigColSizes->Items(i) * f)));
    }
    // 3. The stretched column; the bars follow their ranges.
    bool stretched = false;
    if (FLoaded && parentWidget() && FColumnSize->Stretch() &&
        (FScrollBarAlways == saNone || FScrollBarAlways == saVert) && ColCount() > 0) {
        const int k = FColumnSize->StretchColumn() == -1 ? ColCount() - 1 : FColumnSize->StretchColumn();
        int64_t others = 0;
        for (int c = 0; c < ColCount(); ++c)
            if (c != k) others += ColWidths(c);
        if (others < width()) {
            StretchColumnToFit(FColumnSize->StretchColumn());
            stretched = true;
        }
        if (FScrollBarAlways == saNone) {
            // Shown exactly when the columns (rows) overflow: the bar as its range asks.
            if (ScrollBars() == ssHorizontal || ScrollBars() == ssBoth)
                setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
            if (ScrollBars() == ssVertical || ScrollBars() == ssBoth) setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        }
        if (stretched && FScrollBarAlways == saNone) {
            if (OnResize) OnResize(this);
            return true;
        }
    }
    return stretched;
}

void TExStringGrid::syncFlatBars() {
    if (FDisableSize) return;
    FDisableSize = true;
    struct Back {
        bool& f;
        ~Back() { f = false; }
    } back{FDisableSize};
    // The flat bars are the grid's own bars in a flat style: they carry the window's ranges
    // already; a bar the scroll style leaves out stays hidden.
    if (ScrollBars() != ssHorizontal && ScrollBars() != ssBoth) setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    if (ScrollBars() != ssVertical && ScrollBars() != ssBoth) setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void TExStringGrid::FormResized(QWidget* Sender, const std::function<void()>& FormHandler) {
    if (IsDesignTime() || IsDestroying()) return;
    // 1. The grid keeps its distance to the form's edges; a size of 0 or less is refused, the form's
    // size it was measured from kept.
    if (FSizeWithForm && Sender && Sender->isWindow()) {
        const int w = Sender->width() + width() - FPrevSizeX;
        const int h = Sender->height() + height() - FPrevSizeY;
        if (w > 0 && h > 0) {
            SetBounds(x(), y(), w, h);
            FPrevSizeX = Sender->width();
            FPrevSizeY = Sender->height();
        }
    }
    // 2. The form's own resize handling; what it raises stays here.
    if (FormHandler) {
        try {
            FormHandler();
        } catch (...) {
        }
    }
    // 3.
    StretchColumnToFit(FColumnSize->StretchColumn());
}
