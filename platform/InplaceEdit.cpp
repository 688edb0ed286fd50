#include "platform/InplaceEdit.h"

#include "platform/Beep.h"
#include "platform/Guard.h"
#include "platform/StringGrid.h"

#include <QApplication>
#include <QFocusEvent>

namespace plat {

TInplaceEdit::TInplaceEdit(TStringGrid* grid) : TCustomMaskEdit(grid->viewport()), grid_(grid) {
    SetBorderStyle(bsNone);
    // Tall cells wrap their text; Enter still never breaks a line.
    SetMultiLine(true);
    SetAutoSelect(false);
    setFocusPolicy(Qt::ClickFocus);
    hide();
}

void TInplaceEdit::UpdateContents() {
    Clear();
    SetEditMask(grid_->GetEditMask(grid_->Col(), grid_->Row()));
    SetText(grid_->GetEditText(grid_->Col(), grid_->Row()));
    SetMaxLength(grid_->GetEditLimit());
    SetModified(false);
}

void TInplaceEdit::Move(const TRect& r) {
    if (r.IsEmpty()) {
        hide();
        return;
    }
    // The cell without the grid line after it.
    setGeometry(r.toQRect());
    show();
    raise();
}

bool TInplaceEdit::EditCanModify() { return !ReadOnly() && grid_->CanEditModify(); }

void TInplaceEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
    const bool ctrl = Shift.contains(ssCtrl);
    const bool always = grid_->Options().contains(goAlwaysShowEditor);
    const int n = int(EditText().size());
    // The caret at the start (end) with nothing or everything selected.
    const bool whole = SelLength() == 0 || SelLength() == n;
    const bool leftSide = CaretPos() == 0 && SelStart() == 0 && whole;
    const bool rightSide = CaretPos() == n && whole;
    auto toGrid = [&] {
        grid_->KeyDown(Key, Shift);
        Key = 0;
    };
    switch (Key) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_ESCAPE: toGrid(); break;
        case VK_TAB:
            if (!Shift.contains(ssAlt)) toGrid();
            break;
        case VK_INSERT:
            if (Shift.empty()) toGrid();
            break;
        case VK_LEFT:
        case VK_HOME:
            if (always && (ctrl || leftSide)) toGrid();
            break;
        case VK_RIGHT:
        case VK_END:
            if (always && (ctrl || rightSide)) toGrid();
            break;
        case VK_DELETE:
            if (ctrl) toGrid();
            break;
        default: break;
    }
    if (Key == 0) return;
    if (grid_->OnKeyDown) grid_->OnKeyDown(grid_, Key, Shift);
    if (Key == 0) return;
    if (Key == VK_F2) {
        // F2 in the editor puts the caret at the end.
        Select(n, n);
        return;
    }
    TCustomMaskEdit::KeyDown(Key, Shift);
    // Enter is the grid's (its character closes the editor): the window's default button stays out.
    if (Key == VK_RETURN) Key = 0;
}

void TInplaceEdit::KeyPress(QChar& Key) {
    grid_->DoKeyPress(Key);
    const char16_t c = Key.unicode();
    if (c >= 32 && c != 127 && !grid_->CanEditAcceptKey(Key)) {
        Key = QChar(0);
        MessageBeep(0);
        return;
    }
    switch (c) {
        case 0:
        case 9:
        case 27: return;
        case 13:
            if (SelLength() == int(EditText().size()))
                SetSelStart(CaretPos());
            else
                SelectAll();
            return;
        default: break;
    }
    TCustomMaskEdit::KeyPress(Key);
}

bool TInplaceEdit::focusNextPrevChild(bool next) {
    if (grid_->Options().contains(goTabs)) return false;
    return TCustomMaskEdit::focusNextPrevChild(next);
}

void TInplaceEdit::KeyUp(uint16_t& Key, TShiftState Shift) { grid_->KeyUp(Key, Shift); }

void TInplaceEdit::focusInEvent(QFocusEvent* event) {
    TCustomMaskEdit::focusInEvent(event);
    if (grid_->IsDestroying()) return;
    // Focus from outside enters the grid.
    if (grid_->focusToEditor_)
        grid_->focusToEditor_ = false;
    else
        guarded([&] { grid_->DoEnter(); });
}

void TInplaceEdit::focusOutEvent(QFocusEvent* event) {
    TCustomMaskEdit::focusOutEvent(event);
    if (grid_->IsDestroying()) return;
    QWidget* to = QApplication::focusWidget();
    if (to && (to == grid_->viewport() || to == grid_)) {
        grid_->focusFromEditor_ = true;
        return;
    }
    // A window that only lost the activation, or a pop-up menu, keeps the edit open.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    // Focus that leaves the grid ends the edit with its text kept.
    guarded([&] { grid_->endEditor(true, false); });
    guarded([&] { grid_->DoExit(); });
}

}  // namespace plat
