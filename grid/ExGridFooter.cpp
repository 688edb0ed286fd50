// The footer row's calculation, the selection listener and the change notifiers, the combo
// editor's item list, the reaction to removed components, and the writers of the grid's settings
// that do more than store.
#include "controls/ExGridPopups.h"
#include "controls/ExHTMLRender.h"
#include "controls/ExStyleIF.h"
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "controls/ExStringGridCheck.h"
#include "controls/PictureContainer.h"

#include <QCoreApplication>
#include <algorithm>

using plat::clNone;

// ---------------------------------------------------------------- footer

void TExStringGrid::CalcFooter(int ACol) { CalcFooterCells(ACol); }

void TExStringGrid::CalcFooterCells(int ACol) {
    const TFloatingFooter& ff = *FFloatingFooter;
    if (!ff.Visible() || ff.FooterStyle() != fsFixedLastRow || !ff.EnableCalculation()) return;
    if (RowCount() < 1) return;
    const int last = RowCount() - 1;
    const int h = ff.CalculateHiddenRows() ? NumHiddenRows() : 0;
    // With the hidden rows counted the range reaches every real row before the footer.
    const int from = FixedRows();
    const int to = h + RowCount() - 2;
    const int first = ACol < 0 ? 0 : ACol;
    const int end = ACol < 0 ? AllColCount() : std::min(ACol + 1, AllColCount());
    for (int c = first; c < end; ++c) {
        if (!CellHasProperties(c, last)) continue;
        const int type = GetCellProperties(c, last)->CalcType() & 0x7F;
        switch (type) {
        case acNONE:
        case acSPREAD:
            break;
        case acSUM:
            SetFloats(c, last, ColumnSum(c, from, to));
            break;
        case acAVG:
            SetFloats(c, last, ColumnAvg(c, from, to));
            break;
        case acCOUNT:
            SetInts(c, last, h + RowCount() - 1 - FixedRows());
            break;
        case acMIN:
            SetFloats(c, last, ColumnMin(c, from, to));
            break;
        case acMAX:
            SetFloats(c, last, ColumnMax(c, from, to));
            break;
        case acCUSTOM: {
            QString value;
            if (OnFooterCalc)
                OnFooterCalc(this, c, h + RowCount() - 1, value);
            else if (ff.OnCalcFooter)
                FFloatingFooter->OnCalcFooter(this, c, h + RowCount() - 1, value);
            SetCells(c, last, value);
            break;
        }
        case acDISTINCT:
            SetInts(c, last, ColumnDistinct(c, from, to));
            break;
        case acSTDDEV:
            SetFloats(c, last, ColumnStdDev(c, from, to));
            break;
        default:
            break;
        }
    }
}

void TExStringGrid::UpdateFooter() {
    if (FFooterPanel) FFooterPanel->update();
    if (FFloatingFooter->Visible() && FFloatingFooter->FooterStyle() == fsFixedLastRow) RepaintRow(RowCount() - 1);
}

void TExStringGrid::HiddenLastRowChanged() {
    TBaseGrid::HiddenLastRowChanged();
    UpdateFooter();
}

// ---------------------------------------------------------------- listeners

void TExStringGrid::NotifySelListener(int ACol, int ARow) {
    if (FISelect) FISelect->CellSelected(ACol, ARow);
}

void TExStringGrid::RegisterNotifier(TGridChangeNotifier* Notifier) {
    if (!Notifier) return;
    if (std::find(FNotifierList.begin(), FNotifierList.end(), Notifier) == FNotifierList.end())
        FNotifierList.emplace_back(Notifier);
}

void TExStringGrid::UnRegisterNotifier(TGridChangeNotifier* Notifier) {
    auto it = std::find(FNotifierList.begin(), FNotifierList.end(), Notifier);
    if (it != FNotifierList.end()) FNotifierList.erase(it);
}

void TExStringGrid::CellsChanged(const plat::TGridRect& R) {
    if (OnCellsChanged) OnCellsChanged(this, R);
    // A handler may register or unregister notifiers; a notifier that went away is skipped.
    const std::vector<QPointer<TGridChangeNotifier>> notifiers = FNotifierList;
    for (const auto& n : notifiers)
        if (n) n->CellsChanged(R);
    CalcFooter(-1);
}

// ---------------------------------------------------------------- combo list

void TExStringGrid::ClearComboString() {
    FComboList.clear();
    FComboObjects.clear();
}

void TExStringGrid::AddComboString(const QString& S) { AddComboStringObject(S, nullptr); }

void TExStringGrid::AddComboStringObject(const QString& S, QObject* AObject) {
    // Objects go in step with the texts, also after texts came through the list of a column.
    while (FComboObjects.size() < FComboList.size()) FComboObjects.append(nullptr);
    FComboList.append(S);
    FComboObjects.append(AObject);
}

bool TExStringGrid::RemoveComboString(const QString& S) {
    const qsizetype i = FComboList.indexOf(S);
    if (i < 0) return false;
    FComboList.removeAt(i);
    if (i < FComboObjects.size()) FComboObjects.removeAt(i);
    return true;
}

bool TExStringGrid::SetComboSelectionString(const QString& S) {
    const qsizetype i = FComboList.indexOf(S);
    if (i < 0) return false;
    FComboIdx = int(i);
    return true;
}

int TExStringGrid::GetComboCount() const { return int(FComboList.size()); }

QObject* TExStringGrid::ComboObject(int Index) const {
    return Index >= 0 && Index < FComboObjects.size() ? FComboObjects[Index].data() : nullptr;
}

void TExStringGrid::SetComboIndex(int ACol, int ARow, int Idx) {
    GetEditorProp(ACol, ARow, nullptr);
    if (Idx >= 0 && Idx < FComboList.size()) SetCells(ACol, ARow, FComboList[Idx]);
}

int TExStringGrid::GetComboIndex(int ACol, int ARow) {
    GetEditorProp(ACol, ARow, nullptr);
    return int(FComboList.indexOf(Cells(ACol, ARow)));
}

bool TExStringGrid::QueryPasswordCell(int ACol, int ARow) {
    bool pw = false;
    IsPasswordCell(ACol, ARow, pw);
    return pw;
}

// ---------------------------------------------------------------- removal notices

void TExStringGrid::watchComponent(QObject* AComponent) {
    if (!AComponent || AComponent == this) return;
    // One connection a component, however often it is set.
    connect(AComponent, &QObject::destroyed, this, &TExStringGrid::HandleNotification, Qt::UniqueConnection);
}

void TExStringGrid::HandleNotification(QObject* AComponent) {
    if (!AComponent) return;
    // The image list and the pop-up menu are no components that announce their going: their owner
    // clears them.
    if (static_cast<QObject*>(FPictureContainer) == AComponent) FPictureContainer = nullptr;
    if (static_cast<QObject*>(FCellChecker) == AComponent) FCellChecker = nullptr;
    if (!IsDestroying() && FSyncGrid && static_cast<QObject*>(FSyncGrid->Grid()) == AComponent)
        FSyncGrid->SetGrid(nullptr);
}

// ---------------------------------------------------------------- settings writers

void TExStringGrid::SetGridImages(plat::TImageList* const& Value) { FGridImages = Value; }

void TExStringGrid::SetPictureContainer(TPictureContainer* const& Value) {
    FPictureContainer = Value;
    watchComponent(Value);
}

void TExStringGrid::SetCellChecker(TExStringGridCheck* const& Value) {
    FCellChecker = Value;
    watchComponent(Value);
}

void TExStringGrid::SetFixedDropDownMenu(plat::TPopupMenu* const& Value) { FFixedDropDownMenu = Value; }

void TExStringGrid::SetShowModified(const TShowModified& Value) { FShowModified->Assign(&Value); }
void TExStringGrid::SetBalloon(const TBalloonSettings& Value) { FBalloon->Assign(&Value); }
void TExStringGrid::SetProgressAppearance(const TGridProgressAppearance& Value) {
    FProgressAppearance->Assign(&Value);
}
void TExStringGrid::SetDragScrollOptions(const TDragScrollOptions& Value) { FDragScrollOptions->Assign(&Value); }
void TExStringGrid::SetSortSettings(const TSortSettings& Value) { FSortSettings->Assign(&Value); }

void TExStringGrid::SetBackGround(const TBackGround& Value) {
    FBackGround->Assign(&Value);
    RepaintGrid();
}

void TExStringGrid::SetRowIndicator(const plat::TBitmap& Value) {
    FRowIndicator.Assign(Value);
    if (Row() >= 0 && Row() < RowCount() && ColCount() > 0) RepaintCell(0, Row());
}

void TExStringGrid::SetActiveCellFont(const plat::TFont& Value) {
    FActiveCellFont.Assign(Value);
    RepaintGrid();
}

void TExStringGrid::SetShowDesignHelper(const bool& Value) {
    if (FShowDesignHelper == Value) return;
    FShowDesignHelper = Value;
    RepaintGrid();
}

void TExStringGrid::SetHighlightColor(const TColor& Value) {
    if (FHighlightColor == Value) return;
    FHighlightColor = Value;
    SetHTMLHighlightColors(FHighlightColor, FHighlightTextColor);
    RepaintGrid();
}

void TExStringGrid::SetHighlightTextColor(const TColor& Value) {
    if (FHighlightTextColor == Value) return;
    FHighlightTextColor = Value;
    SetHTMLHighlightColors(FHighlightColor, FHighlightTextColor);
    RepaintGrid();
}

void TExStringGrid::SetActiveCellShow(const bool& Value) {
    FActiveCellShow = Value;
    RepaintGrid();
}
void TExStringGrid::SetActiveCellColor(const TColor& Value) {
    FActiveCellColor = Value;
    RepaintGrid();
}
void TExStringGrid::SetActiveCellColorTo(const TColor& Value) {
    FActiveCellColorTo = Value;
    RepaintGrid();
}

void TExStringGrid::SetXYOffset(const QPoint& Value) {
    FXYOffset = Value;
    RepaintGrid();
}

// The arrows that show where a dragged column goes all take the colour; the up arrow reports it.
void TExStringGrid::SetArrowColor(const TColor& Value) {
    FArrowColor = Value;
    FArrowColorSet = true;
    for (auto& a : FArrows)
        if (a) a->SetColor(Value);
}

#define EX_REPAINT_WHEN_CHANGED(T, Name)            \
    void TExStringGrid::Set##Name(const T& Value) { \
        if (F##Name == Value) return;               \
        F##Name = Value;                            \
        RepaintGrid();                              \
    }
EX_REPAINT_WHEN_CHANGED(TColor, SelectionColor)
EX_REPAINT_WHEN_CHANGED(TColor, SelectionColorTo)
EX_REPAINT_WHEN_CHANGED(bool, SelectionColorMixer)
EX_REPAINT_WHEN_CHANGED(TColor, SelectionMirrorColor)
EX_REPAINT_WHEN_CHANGED(TColor, SelectionMirrorColorTo)
EX_REPAINT_WHEN_CHANGED(TColor, SelectionTextColor)
EX_REPAINT_WHEN_CHANGED(bool, SelectionRectangle)
EX_REPAINT_WHEN_CHANGED(bool, SelectionResizer)
#undef EX_REPAINT_WHEN_CHANGED

void TExStringGrid::SetSelectionColorMixerFactor(const int32_t& Value) {
    const int32_t v = std::clamp<int32_t>(Value, 0, 100);
    if (FSelectionColorMixerFactor == v) return;
    FSelectionColorMixerFactor = v;
    RepaintGrid();
}

void TExStringGrid::SetShowSelection(const bool& Value) {
    if (FShowSelection == Value) return;
    FShowSelection = Value;
    SetShowSel(Value);
    RepaintGrid();
}

void TExStringGrid::SetMaxEditLength(const int32_t& Value) {
    FMaxEditLength = Value;
    if (FInplaceEdit) FInplaceEdit->SetLengthLimit(static_cast<int16_t>(Value));
}

// A spreadsheet grid always selects ranges and edits, whichever value is written.
void TExStringGrid::SetSpreadSheet(const bool& Value) {
    FSpreadSheet = Value;
    SetSelectionRectangle(true);
    SetSelectionResizer(true);
    FNavigation->SetAllowSmartClipboard(true);
    plat::TGridOptions o = Options();
    o.include(plat::goRangeSelect);
    o.include(plat::goEditing);
    SetOptions(o);
    FMouseActions->SetRangeSelectAndEdit(true);
}

void TExStringGrid::SetVAlignment(const TVAlignment& Value) {
    FVAlignment = Value;
    FVAlignFlag = Value == vtaTop ? 0u : Value == vtaBottom ? unsigned(plat::DT_BOTTOM) : unsigned(plat::DT_VCENTER);
    RepaintGrid();
}

void TExStringGrid::SetFlat(const bool& Value) {
    FFlat = Value;
    if (FLoaded) RepaintGrid();
}

void TExStringGrid::SetAutoThemeAdapt(bool Value) {
    if (FAutoThemeAdapt == Value) return;
    FAutoThemeAdapt = Value;
    FSearchFooter->SetAutoThemeAdapt(Value);
    if (Value) {
        AdaptToOfficeTheme();
        RepaintGrid();
    }
    if (IsDesignTime() || !FLoaded || !FWndCreated) return;
    TThemeNotifier* n = GetThemeNotifier(QCoreApplication::instance());
    if (Value)
        n->RegisterWindow(this);
    else
        n->UnRegisterWindow(this);
}
