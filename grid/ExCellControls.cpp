// The small cell editors of the grid: the edit and combo over the form controls of a cell's HTML
// text, and the edit and combo of fixed-cell editing.
#include "controls/ExHTMLUtil.h"
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "grid/ExGridParts.h"
#include "platform/Guard.h"
#include "platform/Keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

using plat::TShiftState;

// ---------------------------------------------------------------- form controls of HTML cells

TControlEdit::TControlEdit(TExStringGrid* AGrid) : plat::TCustomMaskEdit(AGrid), FGrid(AGrid) {
    // Tab reaches the edit's own key handling instead of moving the focus.
    SetWantTabs(true);
    SetBorderStyle(plat::bsNone);
    hide();
}

void TControlEdit::exit() {
    if (FExiting) return;
    FExiting = true;
    plat::guarded([this] {
        if (OnExit) OnExit(this);
    });
    FExiting = false;
}

void TControlEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    // Enter is no key of the edit's: it comes as a character below, and no line is ever broken.
    if (Key == plat::VK_RETURN || Key == plat::VK_TAB) return;
    plat::TCustomMaskEdit::KeyDown(Key, Shift);
}

void TControlEdit::KeyPress(QChar& Key) {
    if (!FGrid || (Key != QChar(13) && Key != QChar(9))) {
        plat::TCustomMaskEdit::KeyPress(Key);
        return;
    }
    TExStringGrid& g = *FGrid;
    const bool tab = Key == QChar(9);
    Key = QChar();
    const QString id = g.CtrlID();
    const QPoint cell = g.CtrlCell();
    exit();
    if (!tab) {
        g.viewport()->setFocus(Qt::OtherFocusReason);
    } else if (g.Navigation().AdvanceAuto()) {
        g.viewport()->setFocus(Qt::OtherFocusReason);
        g.AdvanceAfterEdit(g.Col(), g.Row(), false, false, true, true, false);
    } else {
        g.FocusNextCellControl(cell.x(), cell.y(), id);
    }
}

void TControlEdit::focusOutEvent(QFocusEvent* event) {
    plat::TCustomMaskEdit::focusOutEvent(event);
    if (isVisible()) exit();
}

TControlCombo::TControlCombo(TExStringGrid* AGrid) : ctl::TSgComboBox(AGrid), FGrid(AGrid) {
    hide();
    setEnabled(false);
}

void TControlCombo::exit() {
    if (FExiting) return;
    FExiting = true;
    plat::guarded([this] {
        if (OnExit) OnExit(this);
    });
    FExiting = false;
}

void TControlCombo::keyPressEvent(QKeyEvent* event) {
    const int k = event->key();
    const bool enter = k == Qt::Key_Return || k == Qt::Key_Enter, tab = k == Qt::Key_Tab;
    if (!FGrid || (!enter && !tab) || DroppedDown()) {
        ctl::TSgComboBox::keyPressEvent(event);
        return;
    }
    event->accept();
    TExStringGrid& g = *FGrid;
    const QString id = g.CtrlID();
    const QPoint cell = g.CtrlCell();
    exit();
    if (enter) {
        g.viewport()->setFocus(Qt::OtherFocusReason);
    } else if (g.Navigation().AdvanceAuto()) {
        g.viewport()->setFocus(Qt::OtherFocusReason);
        g.AdvanceAfterEdit(g.Col(), g.Row(), false, false, true, true, false);
    } else {
        g.FocusNextCellControl(cell.x(), cell.y(), id);
    }
}

void TControlCombo::focusOutEvent(QFocusEvent* event) {
    ctl::TSgComboBox::focusOutEvent(event);
    // The combo's own list takes the focus while it is open: that is no leaving.
    if (event->reason() == Qt::PopupFocusReason || DroppedDown()) return;
    for (QObject* w = QApplication::focusWidget(); w; w = w->parent())
        if (w == this) return;
    if (isVisible()) exit();
}

void TExStringGrid::StartCellControlEdit(int ACol, int ARow, const QString& ID, const QString& Type,
                                         const QString& Value, const plat::TRect& R) {
    const bool edit = Type == QLatin1StringView("EDIT") || Type == QLatin1StringView("PASSWORD") ||
                      Type == QLatin1StringView("MASK");
    const bool combo = Type == QLatin1StringView("COMBO");
    if (!edit && !combo) return;
    // One form control is edited at a time.
    EndCellControlEdit();
    const QString text = Cells(RealColIndex(ACol), ARow);
    FCtrlEditCell = QPoint(ACol, ARow);
    FCtrlID = ID;
    FCtrlType = Type;
    if (edit) {
        TControlEdit& e = *FControlEdit;
        e.SetEditMask(QString());
        e.SetPasswordChar(Type == QLatin1StringView("PASSWORD") ? QChar(u'*') : QChar());
        if (Type == QLatin1StringView("MASK")) {
            QString mask;
            GetControlProp(text, ID, mask);
            plat::guarded([&] { e.SetEditMask(mask); });
        }
        e.SetMaxLength(GetControlMaxLen(text, ID));
        e.setGeometry(R.Left + 1, R.Top + 8, std::max(0, R.Right - R.Left - 4), 14);
        e.SetText(Value);
        e.setEnabled(true);
        e.show();
        e.raise();
        e.setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!FComboControl) {
        // Made for the first COMBO control edited: no cell of the program holds one.
        FComboControl = new TControlCombo(this);
        FComboControl->setParent(viewport());
        FComboControl->OnExit = [this](QObject*) { EndCellControlEdit(); };
        FComboControl->OnSelect = [this](QObject*) {
            if (OnControlComboSelect && !FCtrlType.isEmpty())
                OnControlComboSelect(this, FCtrlEditCell.y(), FCtrlEditCell.x(), FCtrlID, FComboControl->ItemIndex(),
                                     FComboControl->Text());
        };
    }
    TControlCombo& cb = *FComboControl;
    QStringList values;
    bool editable = true;
    int dropCount = 8;
    if (OnControlComboList) OnControlComboList(this, ARow, ACol, ID, Type, Value, values, editable, dropCount);
    cb.clear();
    cb.SetStyle(editable ? plat::csDropDown : plat::csDropDownList);
    for (const QString& v : values) cb.AddItem(v, nullptr);
    cb.SetDropDownCount(dropCount);
    const int at = values.indexOf(Value);
    if (at >= 0)
        cb.SetItemIndex(at);
    else if (editable)
        cb.SetText(Value);
    cb.setGeometry(R.Left - 1, R.Top + 4, std::max(0, R.Right - R.Left), cb.sizeHint().height());
    cb.setEnabled(true);
    cb.show();
    cb.raise();
    cb.setFocus(Qt::OtherFocusReason);
    cb.SetDroppedDown(true);
}

void TExStringGrid::EndCellControlEdit() {
    if (FCtrlType.isEmpty()) return;
    const QString type = FCtrlType, id = FCtrlID;
    const QPoint cell = FCtrlEditCell;
    FCtrlType.clear();
    const bool combo = type == QLatin1StringView("COMBO") && FComboControl;
    QWidget* w = combo ? static_cast<QWidget*>(FComboControl) : static_cast<QWidget*>(FControlEdit);
    const QString value = combo ? FComboControl->Text() : FControlEdit->Text();
    if (cell.x() >= 0 && cell.x() < ColCount() && cell.y() >= 0 && cell.y() < RowCount()) {
        const int real = RealColIndex(cell.x());
        QString text = Cells(real, cell.y());
        if (SetControlValue(text, id, value)) SetCells(real, cell.y(), text);
    }
    if (combo && FComboControl->DroppedDown()) FComboControl->SetDroppedDown(false);
    if (w->hasFocus()) viewport()->setFocus(Qt::OtherFocusReason);
    w->hide();
    w->setEnabled(false);
    if (OnControlEditDone) OnControlEditDone(this, cell.y(), cell.x(), id, type, value);
}

// ---------------------------------------------------------------- fixed-cell editors

bool StopFixedCellEdit(TExStringGrid* Grid, QWidget* Editor, int ACol, int ARow, const QString& Text) {
    if (!Grid) {
        Editor->hide();
        return true;
    }
    QString value = Text;
    bool valid = true;
    if (Grid->OnCellValidate) Grid->OnCellValidate(Grid, ACol, ARow, value, valid);
    if (!valid) {
        // The cursor goes as near the refused cell as it may: a fixed row or column is no place for it.
        if (ACol >= Grid->FixedCols() && ACol < Grid->ColCount()) Grid->SetCol(ACol);
        if (ARow >= Grid->FixedRows() && ARow < Grid->RowCount()) Grid->SetRow(ARow);
        Editor->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (Grid->OnEditingDone) Grid->OnEditingDone(Grid);
    if (ACol >= 0 && ACol < Grid->ColCount() && ARow >= 0 && ARow < Grid->RowCount())
        Grid->SetCells(Grid->RealColIndex(ACol), ARow, value);
    Editor->hide();
    return true;
}

TGridTransEdit::TGridTransEdit(QWidget* AOwner)
    : QLineEdit(AOwner), FGrid(dynamic_cast<TExStringGrid*>(AOwner)) {
    setFrame(false);
    hide();
}

bool TGridTransEdit::StopEdit() {
    if (FStopping) return true;
    FStopping = true;
    bool done = true;
    plat::guarded([&] { done = StopFixedCellEdit(FGrid, this, FCol, FRow, text()); });
    FStopping = false;
    return done;
}

void TGridTransEdit::keyPressEvent(QKeyEvent* event) {
    // Enter types nothing here; the edit ends when the focus leaves.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TGridTransEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (isVisible()) StopEdit();
}

TGridTransCombo::TGridTransCombo(QWidget* AOwner)
    : plat::TCustomComboBox(AOwner), FGrid(dynamic_cast<TExStringGrid*>(AOwner)) {
    hide();
}

bool TGridTransCombo::StopEdit() {
    if (FStopping) return true;
    FStopping = true;
    bool done = true;
    plat::guarded([&] { done = StopFixedCellEdit(FGrid, this, FCol, FRow, Text()); });
    FStopping = false;
    return done;
}

void TGridTransCombo::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    plat::TCustomComboBox::keyPressEvent(event);
}

void TGridTransCombo::focusOutEvent(QFocusEvent* event) {
    plat::TCustomComboBox::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason) return;
    for (QObject* w = QApplication::focusWidget(); w; w = w->parent())
        if (w == this) return;
    if (isVisible()) StopEdit();
}
