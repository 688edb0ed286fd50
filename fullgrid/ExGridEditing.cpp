// The editing steps the cell editors call back into the grid: the current cell's text, validation,
// hiding and ending an edit, the edit-done notice, the advance after an edit, the start and end of
// the spin, check-box and button editors, and the sizing of rows and columns to what was typed.
#include "fullgrid/ExGrid.h"
#include "fullgrid/ExGridEditors.h"
#include "fullgrid/ExEditRules.h"
#include "platform/FormatSettings.h"

#include "controls/ExUtil.h"
#include "platform/Guard.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <algorithm>

namespace {

// The notice PostEditDone queues: the edit of a cell has ended.
class TGridEditDoneEvent : public QEvent {
public:
    TGridEditDoneEvent(int ACol, int ARow) : QEvent(QEvent::Type(GridEditDoneEventType())), Col(ACol), Row(ARow) {}
    int Col, Row;
};

bool isTextKind(TEditorType Kind) {
    switch (Kind) {
        case edNormal: case edNumeric: case edPositiveNumeric: case edFloat: case edPositiveFloat:
        case edCapital: case edMixedCase: case edLowerCase: case edUpperCase: case edPassword:
        case edValidChars:
            return true;
        default:
            return false;
    }
}

bool isSpinKind(TEditorType Kind) {
    return Kind == edSpinEdit || Kind == edFloatSpinEdit || Kind == edDateSpinEdit || Kind == edTimeSpinEdit;
}

}  // namespace

void TExStringGrid::createEditorControls() {
    FEditCombo = new TGridCombo(this);
    FEditCheck = new TGridCheckBox(this);
    FGridButton = new TGridButton(this);
}

bool TExStringGrid::handleEditDone(QEvent* e) {
    if (e->type() != GridEditDoneEventType()) return false;
    const auto* done = static_cast<TGridEditDoneEvent*>(e);
    if (OnEditCellDone) OnEditCellDone(this, done->Col, done->Row);
    return true;
}

TGridSpin* TExStringGrid::SpinEdit() {
    if (!FSpinEdit) {
        FSpinEdit = new TGridSpin(this);
        FSpinEdit->hide();
        FSpinEdit->setEnabled(false);
    }
    return FSpinEdit;
}

plat::TInplaceEdit* TExStringGrid::CreateEditor() {
    FInplaceEdit = new TExInplaceEdit(this);
    FInplaceEdit->SetLengthLimit(static_cast<int16_t>(FMaxEditLength));
    return FInplaceEdit;
}

// ---------------------------------------------------------------- the current cell

QString TExStringGrid::CurrentCell() const {
    const plat::TGridCoord b = BaseCell(RealColIndex(Col()), Row());
    return Cells(b.X, b.Y);
}

void TExStringGrid::SetCurrentCell(const QString& Value) {
    const plat::TGridCoord b = BaseCell(RealColIndex(Col()), Row());
    SetCells(b.X, b.Y, Value);
}

void TExStringGrid::SetCurrentCellText(const QString& Value) { SetEditText(Col(), Row(), Value); }

QString TExStringGrid::GetEditText(int ACol, int ARow) {
    const plat::TGridCoord b = BaseCell(RealColIndex(ACol), ARow);
    QString value = Cells(b.X, b.Y);
    if (OnGetEditText) OnGetEditText(this, ACol, ARow, value);
    // The editor's alignment follows the cell's: right-aligned for a centred cell.
    if (FInplaceEdit) {
        const auto [ha, va] = GetCellAlignment(b.X, ARow);
        (void)ha;
        FInplaceEdit->SetVAlign(va == vtaCenter);
    }
    return value;
}

void TExStringGrid::SetEditText(int ACol, int ARow, const QString& Value) {
    const plat::TGridCoord b = BaseCell(RealColIndex(ACol), ARow);
    if (Cells(b.X, b.Y) == Value) return;
    SetCells(b.X, b.Y, Value);
    if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

// ---------------------------------------------------------------- start and end

bool TExStringGrid::CanEditAcceptKey(QChar Key) {
    if (!FInplaceEdit || !isTextKind(FEditControl)) return true;
    const plat::FormatSettings fs = plat::formatSettings();
    const exedit::TCharResult r = exedit::FilterEditorChar(
        FEditControl, Key, FInplaceEdit->EditText(), FInplaceEdit->SelStart(), FInplaceEdit->SelLength(), false,
        {fs.decimalSeparator, fs.thousandSeparator}, FValidChars, FValidCharSet);
    return r.Verdict == exedit::TCharVerdict::Pass;
}

bool TExStringGrid::CanEditShow() {
    if (!TBaseGrid::CanEditShow()) return false;
    TEditorType kind = FDefaultEditor;
    GetCellEditor(RealColIndex(Col()), Row(), kind);
    if (kind == edNone || kind == edDataCheckBox || IsCheckOrButtonCell(Col(), Row())) return false;
    bool can = true;
    CanEditCell(RealColIndex(Col()), Row(), can);
    if (!can) return false;
    FEditControl = kind;
    FCellCache = CurrentCell();
    FOldCellText = FCellCache;
    FEditing = true;
    FEditMode = true;
    if (isTextKind(kind)) return true;
    StartSpecialEdit(Col(), Row());
    return false;
}

QWidget* TExStringGrid::specialEditor(TEditorType Kind) const {
    if (isSpinKind(Kind)) return FSpinEdit;
    if (Kind == edCheckBox) return FEditCheck;
    if (Kind == edButton) return FGridButton;
    if (Kind == edComboEdit || Kind == edComboList) return FEditCombo;
    return nullptr;
}

void TExStringGrid::placeSpecial(QWidget* Editor) {
    const plat::TRect r = CellRect(Col(), Row());
    Editor->setParent(viewport());
    Editor->setGeometry(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1);
    Editor->setEnabled(true);
    Editor->show();
    Editor->raise();
    Editor->setFocus(Qt::OtherFocusReason);
}

void TExStringGrid::StartSpecialEdit(int ACol, int ARow) {
    const QString text = CurrentCell();
    switch (FEditControl) {
        case edSpinEdit:
        case edFloatSpinEdit:
        case edDateSpinEdit:
        case edTimeSpinEdit: {
            TGridSpin* spin = SpinEdit();
            spin->SetSpinType(FEditControl == edSpinEdit        ? ctl::sptNormal
                              : FEditControl == edFloatSpinEdit ? ctl::sptFloat
                              : FEditControl == edDateSpinEdit  ? ctl::sptDate
                                                                : ctl::sptTime);
            spin->SetText(text);
            placeSpecial(spin);
            spin->SelectAll();
            break;
        }
        case edCheckBox:
            FEditCheck->setText(text);
            FEditCheck->setChecked(text == CheckTrue);
            placeSpecial(FEditCheck);
            break;
        case edButton:
            FGridButton->SetText(text);
            placeSpecial(FGridButton);
            break;
        case edComboEdit:
        case edComboList: {
            FEditCombo->clear();
            GetEditorProp(RealColIndex(ACol), ARow, nullptr);
            FEditCombo->SetStyle(FEditControl == edComboList ? plat::csDropDownList : plat::csDropDown);
            const int i = int(FEditCombo->Items().indexOf(text));
            if (FEditCombo->IsListStyle())
                FEditCombo->SetItemIndex(i >= 0 ? i : (FComboIdx >= 0 ? FComboIdx : 0));
            else
                FEditCombo->SetText(text);
            placeSpecial(FEditCombo);
            if (FNavigation->AutoComboDropSize()) FEditCombo->SizeDropDownWidth();
            break;
        }
        default:
            break;
    }
}

void TExStringGrid::EndSpecialEdit(int ACol, int ARow) {
    QWidget* ed = specialEditor(FEditControl);
    if (!ed || !ed->isVisible()) return;
    QString value;
    switch (FEditControl) {
        case edCheckBox:
            value = FEditCheck->isChecked() ? CheckTrue : CheckFalse;
            break;
        case edButton:
            value = FGridButton->Text();
            break;
        case edComboEdit:
        case edComboList:
            value = FEditCombo->Text();
            break;
        default:
            value = FSpinEdit->Text();
            break;
    }
    const bool hadFocus = ed->hasFocus();
    ed->hide();
    ed->setEnabled(false);
    if (hadFocus) setFocus(Qt::OtherFocusReason);
    SetEditText(ACol, ARow, value);
}

void TExStringGrid::HideInplaceEdit() {
    if (!FEditMode) return;
    FEditMode = false;
    if (EditorMode()) HideEditor();
    EndSpecialEdit(Col(), Row());
    SelectCell(Col(), Row());
}

void TExStringGrid::ShowInplaceEdit() {
    if (IsCheckOrButtonCell(Col(), Row())) return;
    ShowEditor();
}

void TExStringGrid::DoneInplaceEdit(uint16_t& Key, plat::TShiftState Shift) {
    HideInplaceEdit();
    setFocus(Qt::OtherFocusReason);
    if (Key == plat::VK_RETURN) {
        AdvanceAfterEdit(RealColIndex(Col()), Row(), true, false);
        if (FNavigation->AdvanceOnEnter() && FNavigation->AdvanceAutoEdit()) ShowInplaceEdit();
    } else if (Key == plat::VK_TAB || Key == plat::VK_UP || Key == plat::VK_DOWN || Key == plat::VK_LEFT ||
               Key == plat::VK_RIGHT) {
        KeyDown(Key, Shift);
    }
    Key = 0;
}

void TExStringGrid::PostEditDone(int ACol, int ARow) {
    if (OnEditingDone) OnEditingDone(this);
    FEditMode = false;
    QCoreApplication::postEvent(this, new TGridEditDoneEvent(ACol, ARow));
}

void TExStringGrid::RestoreCellCache() { SetCurrentCell(FCellCache); }

bool TExStringGrid::ValidateCell(const QString& NewValue) {
    if (!FEditing || FValidating) return true;
    FEditing = false;
    FNewCellText = NewValue;
    bool valid = true;
    if (NewValue != FOldCellText || FAlwaysValidate) {
        if (OnCellValidate) OnCellValidate(this, RealColIndex(Col()), Row(), FNewCellText, valid);
    }
    FLastValidation = valid;
    if (!valid) {
        FEditing = true;
        return false;
    }
    HideFocusWindow();
    SetCurrentCell(FNewCellText);
    SetRowModified(Row(), true);
    if (TExGridUndoRedo* u = UndoRedo()) u->RegisterChange(RealColIndex(Col()), Row(), FOldCellText, FNewCellText);
    return true;
}

bool TExStringGrid::WantsTabInEditor() const {
    return Options().contains(plat::goTabs) || bool(OnCellValidate);
}

bool TExStringGrid::IsCheckOrButtonCell(int ACol, int ARow) {
    if (ACol < 0 || ARow < 0 || ACol >= ColCount() || ARow >= RowCount()) return false;
    return CellTypeInSet(RealColIndex(ACol), ARow,
                         {ctCheckBox, ctDataCheckBox, ctVirtCheckBox, ctRadio, ctRadioButton, ctButton, ctBitButton,
                          ctTriStateCheckBox});
}

QString TExStringGrid::EllipsClick(const QString& Text) {
    QString s = Text;
    if (OnEllipsClick) OnEllipsClick(this, RealColIndex(Col()), Row(), s);
    return s;
}

void TExStringGrid::AdvanceOnTab(bool Backward) {
    uint16_t key = plat::VK_TAB;
    plat::TShiftState shift;
    if (Backward) shift.include(plat::ssShift);
    plat::TGridOptions o = Options();
    const bool had = o.contains(plat::goTabs);
    if (!had) {
        o.include(plat::goTabs);
        SetOptions(o);
    }
    TBaseGrid::KeyDown(key, shift);
    if (!had) {
        o.exclude(plat::goTabs);
        SetOptions(o);
    }
}

void TExStringGrid::AdvanceAfterEdit(int ACol, int ARow, bool GoForward, bool Force) {
    if (!Force && !FNavigation->AdvanceOnEnter()) return;
    int c = DisplColIndex(ACol), r = ARow;
    const int step = GoForward ? 1 : -1;
    if (FNavigation->AdvanceDirection() == adTopBottom || FNavigation->AdvanceDirection() == adTopBottomInCol) {
        r += step;
        if (r >= RowCount()) {
            r = FixedRows();
            ++c;
        } else if (r < FixedRows()) {
            r = RowCount() - 1;
            --c;
        }
    } else {
        c += step;
        if (c >= ColCount()) {
            c = FixedCols();
            ++r;
        } else if (c < FixedCols()) {
            c = ColCount() - 1;
            --r;
        }
    }
    if (c < FixedCols() || c >= ColCount() || r < FixedRows() || r >= RowCount()) return;
    FocusCell(c, r);
}

// ---------------------------------------------------------------- sizing to the content

int TExStringGrid::MaxLinesInRow(int ARow) {
    if (!FMultilinecells) return 1;
    int lines = 1;
    for (int c = 0; c < ColCount(); ++c)
        lines = std::max(lines, CountTextLines(Cells(RealColIndex(c), ARow), true));
    return lines;
}

void TExStringGrid::SetRowHeightForLines(int ARow, int Lines, int Extra) {
    if (ARow < 0 || ARow >= RowCount()) return;
    const int th = Canvas().TextHeight(QStringLiteral("gh"));
    int h = Extra + Lines * (th + th / 8);
    if (FMinRowHeight > 0) h = std::max(h, FMinRowHeight);
    if (FMaxRowHeight > 0) h = std::min(h, FMaxRowHeight);
    SetRowHeights(ARow, h);
}

void TExStringGrid::AutoSizeRow(int ARow, int Padding) {
    if (ARow < 0 || ARow >= RowCount()) return;
    int h = 0;
    for (int c = 0; c < ColCount(); ++c) {
        const int rc = RealColIndex(c);
        const QSize ts = GetCellTextSize(rc, ARow, FWordWrapEx, false);
        const QPoint gs = GetCellGraphicSize(rc, ARow);
        h = std::max(h, std::max(ts.height(), gs.y()));
    }
    h += GetTotalYOffset() + Padding;
    if (FMinRowHeight > 0) h = std::max(h, FMinRowHeight);
    if (FMaxRowHeight > 0) h = std::min(h, FMaxRowHeight);
    if (h > 0) SetRowHeights(ARow, h);
}

void TExStringGrid::CalcColumnFitWidth(int ACol, bool GrowOnly) {
    if (ACol < 0 || ACol >= ColCount()) return;
    const int rc = RealColIndex(ACol);
    int from = 0, to = RowCount() - 1;
    if (FColumnSize->Rows() == arNormal) from = FixedRows();
    if (FColumnSize->Rows() == arFixed) to = FixedRows() - 1;
    int w = 0;
    for (int r = from; r <= to; ++r) {
        const QSize ts = GetCellTextSize(rc, r, false, false);
        w = std::max(w, ts.width() + 2 * FXYOffset.x() + GetCellGraphicSize(rc, r).x());
    }
    if (GrowOnly && w <= ColWidths(ACol)) return;
    if (w > 0) SetColWidths(ACol, w);
}

void TExStringGrid::AutoSizeColumns(bool DoFixedCols, int Padding) {
    for (int c = DoFixedCols ? 0 : FixedCols(); c < ColCount(); ++c) {
        const int rc = RealColIndex(c);
        int w = 0;
        for (int r = 0; r < RowCount(); ++r)
            w = std::max(w, GetCellTextSize(rc, r, false, false).width() + GetCellGraphicSize(rc, r).x());
        if (w > 0) SetColWidths(c, w + Padding);
    }
}
