// The editing steps the cell editors call back into the grid: the current cell's text, validation,
// hiding and ending an edit, the edit-done notice, the advance after an edit, the start and end of
// the spin, check-box and button editors, and the sizing of rows and columns to what was typed.
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "grid/ExEditRules.h"
#include "platform/FormatSettings.h"

#include "controls/ExUtil.h"
#include "platform/Guard.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <algorithm>

namespace {

// Quiets the grid's change notices for a scope.
struct FlagScopeNoChange {
    bool& flag;
    bool old;
    explicit FlagScopeNoChange(bool& f) : flag(f), old(f) { flag = true; }
    ~FlagScopeNoChange() { flag = old; }
};

}  // namespace

namespace {

bool isSpinKind(TEditorType Kind) {
    return Kind == edSpinEdit || Kind == edFloatSpinEdit || Kind == edDateSpinEdit || Kind == edTimeSpinEdit;
}

}  // namespace

void TExStringGrid::createEditorControls() {
    FEditCheck = new TGridCheckBox(this);
    FGridButton = new TGridButton(this);
    for (QWidget* w : {static_cast<QWidget*>(FEditCheck), static_cast<QWidget*>(FGridButton)}) {
        w->setParent(viewport());
        w->installEventFilter(this);
    }
    // The edit of the form controls inside HTML cells; leaving it ends its edit.
    FControlEdit = new TControlEdit(this);
    FControlEdit->setParent(viewport());
    FControlEdit->hide();
    FControlEdit->OnExit = [this](QObject*) { EndCellControlEdit(); };
}

TGridSpin* TExStringGrid::SpinEdit() {
    if (!FSpinEdit) {
        FSpinEdit = new TGridSpin(this);
        FSpinEdit->setParent(viewport());
        FSpinEdit->installEventFilter(this);
        FSpinEdit->hide();
        FSpinEdit->setEnabled(false);
        FSpinEdit->SetIsWinXP(FIsWinXP);
        FSpinEdit->OnChange = [this](QObject*) { liveEditChanged(); };
    }
    return FSpinEdit;
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

void TExStringGrid::placeControl(QWidget* Editor, int ACol, int ARow) {
    plat::TRect r = CellRect(ACol, ARow);
    if (UseRightToLeftAlignment()) ++r.Left;
    Editor->setGeometry(r.Left, r.Top, std::max(0, r.Right - r.Left - 1), std::max(0, r.Bottom - r.Top - 1));
    Editor->setEnabled(true);
    Editor->show();
    Editor->raise();
    Editor->setFocus(Qt::OtherFocusReason);
    FEditCtrl = Editor;
    FEditMode = true;
}

// The spin edit takes the cell's number (date, time), the check box and the button its text as
// caption; a typed character that started the edit is the spin edit's first keystroke.
bool TExStringGrid::startControlEdit(int ACol, int ARow) {
    const QString text = GetEditText(ACol, ARow);
    if (isSpinKind(FEditControl)) {
        TGridSpin* spin = SpinEdit();
        static constexpr ctl::TSgSpinType kTypes[] = {ctl::sptNormal, ctl::sptFloat, ctl::sptDate, ctl::sptTime};
        const int kind = FEditControl == edSpinEdit ? 0 : FEditControl == edFloatSpinEdit ? 1
                                                      : FEditControl == edDateSpinEdit  ? 2 : 3;
        spin->SetSpinType(kTypes[kind]);
        {
            FlagScopeNoChange quiet(FNoEditChange);
            switch (spin->SpinType()) {
                case ctl::sptNormal: spin->SetValue(text.trimmed().toInt()); break;
                case ctl::sptFloat: {
                    bool ok = false;
                    const double v = plat::formatSettings().decimalSeparator == u'.'
                                         ? text.trimmed().toDouble(&ok)
                                         : QString(text.trimmed()).replace(plat::formatSettings().decimalSeparator, u'.').toDouble(&ok);
                    spin->SetFloatValue(ok ? v : 0.0);
                    break;
                }
                default: spin->SetText(text); break;
            }
        }
        placeControl(spin, ACol, ARow);
        spin->SelectAll();
        if (!FStartEditChar.isNull()) plat::SendCharacter(spin, FStartEditChar, LastKeyOnKeypad());
        return true;
    }
    if (FEditControl == edCheckBox) {
        FEditCheck->setChecked(false);
        FEditCheck->setText(text);
        placeControl(FEditCheck, ACol, ARow);
        return true;
    }
    if (FEditControl == edButton) {
        FGridButton->SetText(text);
        placeControl(FGridButton, ACol, ARow);
        return true;
    }
    return false;
}

bool TExStringGrid::endControlEdit(int ACol, int ARow) {
    QWidget* ed = nullptr;
    if (isSpinKind(FEditControl))
        ed = FSpinEdit;
    else if (FEditControl == edCheckBox)
        ed = FEditCheck;
    else if (FEditControl == edButton)
        ed = FGridButton;
    if (!ed) return false;
    if (FEditMode && ed->isVisible()) {
        FEditMode = false;
        const int real = RealColIndex(ACol);
        switch (FEditControl) {
            case edSpinEdit: SetInts(real, ARow, FSpinEdit->Value()); break;
            case edFloatSpinEdit: SetFloats(real, ARow, FSpinEdit->FloatValue()); break;
            case edDateSpinEdit: SetDates(real, ARow, FSpinEdit->DateValue()); break;
            case edTimeSpinEdit: SetEditTextReal(real, ARow, FSpinEdit->Text()); break;
            default: break;  // the check box and the button write nothing back
        }
        if (ed->hasFocus()) viewport()->setFocus(Qt::OtherFocusReason);
        ed->hide();
        ed->setEnabled(false);
    }
    FEditMode = false;
    return true;
}

QString TExStringGrid::EllipsClick(const QString& Text) {
    QString s = Text;
    if (OnEllipsClick) OnEllipsClick(this, RealColIndex(Col()), Row(), s);
    return s;
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
    if (FColumnSize->Rows() == arNormal) {
        from = FixedRows();
        to = RowCount() - FixedFooters() - 1;
    }
    if (FColumnSize->Rows() == arFixed) to = FixedRows() - 1;
    int w = 0;
    for (int r = from; r <= to; ++r)
        w = std::max(w, GetCellTextSize(rc, r, false, false).width() + GetCellGraphicSize(rc, r).x());
    // The text's offsets on both sides, the grid lines on both sides and a pixel of air each side.
    const int xOffset = FXYOffsetTopLeftOnly ? FXYOffset.x() : 2 * FXYOffset.x();
    int width = w + xOffset + 2 * BaseGridLineWidth() + 2;
    if (GrowOnly && width <= ColWidths(ACol)) return;
    UpdateColumnSize(ACol, width);
    SetColWidths(ACol, ClampToLimits(width, FMinColWidth, FMaxColWidth));
}
