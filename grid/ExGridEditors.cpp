// The combo box, spin edit, check box and push button the grid edits a cell with: the keys each
// keeps, the commit of its value through the grid's validation, and the grid events each fires.
#include "grid/ExGridEditors.h"

#include "grid/ExEditRules.h"
#include "grid/ExGrid.h"

#include "controls/ExUtil.h"
#include "platform/Guard.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWheelEvent>
#include <utility>

using namespace plat;

namespace {

bool isArrow(uint16_t k) { return k == VK_LEFT || k == VK_UP || k == VK_RIGHT || k == VK_DOWN; }

bool contains(std::initializer_list<uint16_t> keys, uint16_t k) {
    return std::find(keys.begin(), keys.end(), k) != keys.end();
}

void postTab(TExStringGrid* g) {
    QCoreApplication::postEvent(g, new QKeyEvent(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier));
}

}  // namespace

// ---------------------------------------------------------------- combo box

TGridCombo::TGridCombo(QWidget* AOwner) : ctl::TSgComboBox(GridOwnerOf(AOwner)), FGrid(GridOwnerOf(AOwner)) {
    SetButtonWidth(16);
    // A typed text stands as typed and as the change events report it; completion is the grid's own
    // look-up (WorkMode), never the platform's inline one.
    SetAutoComplete(false);
    // Some styles open a list as tall as all its items and ignore the drop-down count: a list of the
    // 1,440 byte positions would cover the screen.
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    hide();
    setEnabled(false);
}

bool TGridCombo::eventFilter(QObject* watched, QEvent* event) {
    // The edit part's keys take the combo's own road first; what it leaves goes on to the edit.
    // Keys the combo itself passes on have been handled already.
    if (FForwarding) return ctl::TSgComboBox::eventFilter(watched, event);
    // A double click in the edit part opens the list as on the list style, when the button comes up:
    // shown at once, the list would take that release for a click beside it and close again.
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        FListOnRelease = true;
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease && std::exchange(FListOnRelease, false) &&
        !view()->isVisible())
        showPopup();
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        FFiltered = ke;
        bool consumed = false;
        guarded([&] { consumed = handleKey(ke); });
        return consumed;
    }
    if (watched == lineEdit() && event->type() == QEvent::KeyRelease) {
        keyReleaseEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    return ctl::TSgComboBox::eventFilter(watched, event);
}

void TGridCombo::watchEditPart() {
    if (lineEdit() && FWatched != lineEdit()) {
        FWatched = lineEdit();
        lineEdit()->installEventFilter(this);
    }
}

bool TGridCombo::handleKey(QKeyEvent* event) {
    const TKeyInfo info = KeyFromEvent(*event);
    uint16_t key = info.Key;
    // Only a key-down step that took its key ends the key here: a character with no key code (one
    // typed on the cells that opened the combo, or a letter outside the key table) goes on.
    bool dropped = false;
    if (key != 0) {
        HandleKeyDown(key, info.Shift);
        dropped = key == 0;
    }
    // The character of a key comes also when its key-down was handled, as the grid's OnKeyPress
    // expects it (Esc included).
    const QString typed = KeyPressText(*event);
    if (!typed.isEmpty()) {
        QChar ch = typed.at(0);
        HandleKeyPress(ch);
        dropped = dropped || ch.unicode() == 0;
    }
    return dropped;
}

void TGridCombo::keyPressEvent(QKeyEvent* event) {
    watchEditPart();
    // A key the edit part left to the combo was handled on its way there.
    if (event != FFiltered) {
        bool consumed = false;
        guarded([&] { consumed = handleKey(event); });
        if (consumed) {
            event->accept();
            FFiltered = nullptr;
            return;
        }
    }
    FFiltered = nullptr;
    FForwarding = true;
    ctl::TSgComboBox::keyPressEvent(event);
    FForwarding = false;
}

void TGridCombo::keyReleaseEvent(QKeyEvent* event) {
    const TKeyInfo info = KeyFromEvent(*event);
    uint16_t key = info.Key;
    guarded([&] { HandleKeyUp(key, info.Shift); });
    if (key != 0 && key != VK_RETURN) {
        FForwarding = true;
        ctl::TSgComboBox::keyReleaseEvent(event);
        FForwarding = false;
        guarded([&] { DoChange(); });
    }
    event->accept();
}

bool TGridCombo::commit(uint16_t& Key, TShiftState Shift) {
    TExStringGrid& g = *FGrid;
    // A list with no item chosen commits the cell's own text, not an empty one.
    const QString v = IsListStyle() && ItemIndex() < 0 ? g.CurrentCell() : Text();
    g.SetCurrentCell(v);
    if (!g.ValidateCell(v)) {
        const QString shown = g.NewCellText();
        if (IsListStyle())
            SelectItem(shown);
        else
            SetText(shown);
        if (!IsListStyle()) {
            if (Key == VK_TAB) {
                SetSelStart(int(shown.size()));
                SetSelLength(0);
            } else {
                SetSelStart(0);
                SetSelLength(int(shown.size()));
            }
        }
        update();
        if (Key == VK_RETURN || Key == VK_UP || Key == VK_DOWN) g.SetNoAutoAdvance(true);
        Key = 0;
        return false;
    }
    const QString stored = g.CurrentCell();
    if (IsListStyle()) {
        SetItemIndex(int(Items().indexOf(stored)));
    } else {
        SetText(stored);
    }
    if (Key == VK_TAB && g.WantsTabInEditor()) {
        if (g.Options().contains(goTabs)) {
            g.HideInplaceEdit();
            g.setFocus(Qt::OtherFocusReason);
            g.AdvanceOnTab(Shift.contains(ssShift));
            Key = 0;
            return false;
        }
        postTab(&g);
    }
    return true;
}

void TGridCombo::finish(uint16_t& Key, TShiftState Shift) {
    FGrid->DoneInplaceEdit(Key, Shift);
    Key = 0;
}

void TGridCombo::HandleKeyDown(uint16_t& Key, TShiftState Shift) {
    TExStringGrid& g = *FGrid;
    const bool listLike = IsListStyle() || DroppedDown();
    const bool altDown = Key == VK_DOWN && Shift.contains(ssAlt);
    bool kept = listLike ? contains({VK_TAB, VK_RETURN, VK_ESCAPE, VK_LEFT, VK_RIGHT}, Key)
                         : contains({VK_TAB, VK_RETURN, VK_ESCAPE, VK_PRIOR, VK_NEXT, VK_END, VK_UP, VK_DOWN}, Key);
    if (altDown) kept = false;
    WorkMode = !(Key == VK_BACK || Key == VK_DELETE);
    if ((Key == VK_UP || Key == VK_DOWN) && !g.Navigation().ComboGetUpDown() && !DroppedDown() && !altDown) {
        g.HideInplaceEdit();
        TNavigation& nav = g.Navigation();
        const bool always = nav.AlwaysEdit();
        nav.SetAlwaysEdit(false);
        g.setFocus(Qt::OtherFocusReason);
        g.GridKeyDown(Key, Shift);
        nav.SetAlwaysEdit(always);
        Key = 0;
        return;
    }
    if (!kept) return;  // the base combo
    if (Key == VK_ESCAPE) {
        const QString cell = g.CurrentCell();
        SetText(cell);
        if (Items().contains(cell)) SelectItem(cell);
        g.HideInplaceEdit();
        g.setFocus(Qt::OtherFocusReason);
        Key = 0;
        return;
    }
    if (Key == VK_RETURN || Key == VK_UP || Key == VK_DOWN || Key == VK_TAB) {
        if (!commit(Key, Shift)) return;
        finish(Key, Shift);
        return;
    }
    if (listLike) {
        TMouseActions& ma = g.MouseActions();
        const bool direct = ma.DirectComboClose();
        ma.SetDirectComboClose(false);
        g.HideInplaceEdit();
        ma.SetDirectComboClose(direct);
        if (Key == VK_LEFT || Key == VK_RIGHT) {
            g.setFocus(Qt::OtherFocusReason);
            g.GridKeyDown(Key, Shift);
        }
        Key = 0;
        return;
    }
    if (Key == VK_END) return;  // the base combo
    finish(Key, Shift);
}

void TGridCombo::HandleKeyUp(uint16_t& Key, TShiftState Shift) {
    TExStringGrid& g = *FGrid;
    if (!IsListStyle() && g.Navigation().CursorWalkEditor() && Shift.empty() && SelLength() == 0 &&
        ((Key == VK_LEFT && SelStart() == 0) || (Key == VK_RIGHT && SelStart() == int(Text().size())))) {
        const bool forward = Key == VK_RIGHT;
        const int col = g.Col();
        const int span = std::max(0, g.CellSpan(g.RealColIndex(col), g.Row()).X);
        const int next = forward ? col + span + 1 : col - 1;
        if (next >= g.FixedCols() && next < g.ColCount() && g.IsCheckOrButtonCell(next, g.Row())) {
            if (g.ValidateCell(Text())) {
                g.HideInplaceEdit();
                g.FocusCell(next, g.Row());
            }
        } else {
            g.HideInplaceEdit();
            g.setFocus(Qt::OtherFocusReason);
            TNavigation& nav = g.Navigation();
            const TAdvanceDirection dir = nav.AdvanceDirection();
            nav.SetAdvanceDirection(adLeftRight);
            g.AdvanceAfterEdit(g.Col(), g.Row(), false, false, forward, false, true);
            nav.SetAdvanceDirection(dir);
            if (nav.CursorWalkAlwaysEdit()) g.ShowInplaceEdit();
        }
        Key = 0;
    }
    g.SetNoAutoAdvance(false);
}

void TGridCombo::HandleKeyPress(QChar& Key) {
    TExStringGrid& g = *FGrid;
    if (g.OnKeyPress) g.OnKeyPress(this, Key);
    const char16_t c = Key.unicode();
    if (c == 27) Key = QChar(0);
    if (c == 13 && OnReturnKey) OnReturnKey(this);
    if (c == 13 || c == 9) Key = QChar(0);
}

void TGridCombo::DoChange() {
    const TExStringGrid& g = *FGrid;
    if (!WorkMode || !g.Lookup() || IsListStyle()) return;
    const QString text = Text();
    const int caret = SelStart();
    exedit::TLookupResult r = exedit::CompleteLookup(text, caret, Items(), g.LookupCaseSensitive());
    const bool fromItems = r.Completed;
    if (!fromItems) r = exedit::CompleteLookup(text, caret, g.LookupItems(), g.LookupCaseSensitive());
    if (!r.Completed) return;
    if (fromItems)
        SetItemIndex(r.ItemIndex);
    else
        SetItemIndex(-1);
    SetText(r.Text);
    SetSelStart(r.SelStart);
    SetSelLength(r.SelLength);
}

void TGridCombo::SizeDropDownWidth() {
    TCanvas& cv = FGrid->Canvas();
    std::vector<int> widths;
    widths.reserve(size_t(count()));
    for (int i = 0; i < count(); ++i) widths.push_back(cv.TextWidth(itemText(i)));
    SetDroppedWidth(exedit::DropDownWidthFor(width(), widths, DropDownCount()));
}

void TGridCombo::WheelStep(bool TowardsUser) {
    const int n = count();
    const int i = ItemIndex();
    if (n == 0) return;
    // With no item selected there is no item to report: a step towards the user selects the first
    // one quietly, a step away does nothing.
    if (i < 0) {
        if (TowardsUser) SetItemIndex(0);
        return;
    }
    const int next = TowardsUser ? std::min(i + 1, n - 1) : std::max(i - 1, 0);
    SetItemIndex(next);
    TExStringGrid& g = *FGrid;
    const int col = g.RealColIndex(g.Col());
    const QString text = itemText(next);
    if (g.OnEditChange) g.OnEditChange(&g, col, g.Row(), text);
    if (g.OnComboChange) g.OnComboChange(&g, col, g.Row(), next, text);
    if (g.OnComboObjectChange) g.OnComboObjectChange(&g, col, g.Row(), next, text, Objects(next));
}

void TGridCombo::wheelEvent(QWheelEvent* event) {
    const int dy = event->angleDelta().y();
    if (dy != 0) guarded([&] { WheelStep(dy < 0); });
    event->accept();
}

void TGridCombo::focusInEvent(QFocusEvent* event) {
    watchEditPart();
    ctl::TSgComboBox::focusInEvent(event);
    TExStringGrid& g = *FGrid;
    if (!IsListStyle() && !g.Navigation().EditSelectAll()) {
        SetSelStart(int(Text().size()));
        SetSelLength(0);
    }
    if (g.LButFlg() && lineEdit()) {
        const QPoint p = lineEdit()->mapFrom(g.viewport(), g.LButPos());
        if (lineEdit()->rect().contains(p)) {
            lineEdit()->setCursorPosition(lineEdit()->cursorPositionAt(p));
            g.SetLButFlg(false);
        }
    }
}

void TGridCombo::focusOutEvent(QFocusEvent* event) {
    TExStringGrid& g = *FGrid;
    if (g.LookupHistory() && !Text().isEmpty() && !Items().contains(Text())) AddItem(Text());
    ctl::TSgComboBox::focusOutEvent(event);
}

// ---------------------------------------------------------------- spin edit

TGridSpin::TGridSpin(QWidget* AOwner) : ctl::TSgSpinEdit(GridOwnerOf(AOwner)), FGrid(GridOwnerOf(AOwner)) {
    MaxValue = 100;
    MinValue = 0;
    Increment = 1;
    SetBorderStyle(bsNone);
}

bool TGridSpin::valueKey(uint16_t Key) {
    if (SpinType() == ctl::sptNormal) {
        const int v = Value();
        switch (Key) {
            case VK_PRIOR: if (v + Increment <= MaxValue) SetValue(v + Increment); return true;
            case VK_NEXT: if (v - Increment >= MinValue) SetValue(v - Increment); return true;
            case VK_END: SetValue(MinValue); return true;
            case VK_HOME: SetValue(MaxValue); return true;
            default: return false;
        }
    }
    if (SpinType() == ctl::sptFloat) {
        const double v = FloatValue();
        switch (Key) {
            case VK_PRIOR: if (v + IncrementFloat <= MaxFloatValue) SetFloatValue(v + IncrementFloat); return true;
            case VK_NEXT: if (v - IncrementFloat >= MinFloatValue) SetFloatValue(v - IncrementFloat); return true;
            case VK_END: SetFloatValue(MinFloatValue); return true;
            case VK_HOME: SetFloatValue(MaxFloatValue); return true;
            default: return false;
        }
    }
    return Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END || Key == VK_HOME;
}

void TGridSpin::KeyDown(uint16_t& Key, TShiftState Shift) {
    TExStringGrid& g = *FGrid;
    if (valueKey(Key)) {
        if (g.OnSpinClick) {
            // The integer event fires for every spin type, with the integer reading of the text.
            bool ok = false;
            const int v = int(Text().toDouble(&ok));
            g.OnSpinClick(&g, g.Col(), g.Row(), ok ? v : 0, Key == VK_PRIOR || Key == VK_HOME);
        }
        Key = 0;
        return;
    }
    if (Key == VK_ESCAPE) {
        SetText(g.CellCache());
        if (SpinType() == ctl::sptNormal || SpinType() == ctl::sptFloat) {
            // The value is read again from the restored text, without raising.
            bool ok = false;
            const double v = g.CellCache().toDouble(&ok);
            if (ok) {
                if (SpinType() == ctl::sptNormal)
                    SetValue(int(v));
                else
                    SetFloatValue(v);
            }
        }
        g.DoneInplaceEdit(Key, Shift);
        Key = 0;
        return;
    }
    if (Key == VK_TAB || Key == VK_RETURN || Key == VK_UP || Key == VK_DOWN) {
        const QString v = Text();
        g.SetCurrentCell(v);
        if (!g.ValidateCell(v)) {
            SetText(g.CurrentCell());
            Select(int(Text().size()), int(Text().size()));
            update();
            if (Key != VK_TAB) g.SetNoAutoAdvance(true);
            Key = 0;
            return;
        }
        SetText(g.CurrentCell());
        if (Key == VK_TAB && g.WantsTabInEditor() && g.Options().contains(goTabs)) {
            g.HideInplaceEdit();
            g.setFocus(Qt::OtherFocusReason);
            g.AdvanceOnTab(Shift.contains(ssShift));
            Key = 0;
            return;
        }
        if (Key == VK_TAB && g.WantsTabInEditor()) postTab(&g);
        g.DoneInplaceEdit(Key, Shift);
        Key = 0;
        return;
    }
    ctl::TSgSpinEdit::KeyDown(Key, Shift);
}

void TGridSpin::KeyPress(QChar& Key) {
    const char16_t c = Key.unicode();
    if (c == 9 || c == 13 || c == 27) {
        Key = QChar(0);
        return;
    }
    ctl::TSgSpinEdit::KeyPress(Key);
}

void TGridSpin::Change() {
    ctl::TSgSpinEdit::Change();
    if (FGrid->OnEditChange) FGrid->OnEditChange(FGrid, FGrid->Col(), FGrid->Row(), Text());
}

void TGridSpin::fireSpinClick(bool Up) {
    TExStringGrid& g = *FGrid;
    switch (SpinType()) {
        case ctl::sptNormal:
            if (g.OnSpinClick) g.OnSpinClick(&g, g.Col(), g.Row(), Value(), Up);
            break;
        case ctl::sptFloat:
            if (g.OnFloatSpinClick) g.OnFloatSpinClick(&g, g.Col(), g.Row(), FloatValue(), Up);
            break;
        case ctl::sptDate:
            if (g.OnDateSpinClick) g.OnDateSpinClick(&g, g.Col(), g.Row(), DateValue(), Up);
            break;
        case ctl::sptTime:
            if (g.OnTimeSpinClick) g.OnTimeSpinClick(&g, g.Col(), g.Row(), TimeValue(), Up);
            break;
    }
}

void TGridSpin::UpClick(QObject* Sender) {
    ctl::TSgSpinEdit::UpClick(Sender);
    fireSpinClick(true);
}

void TGridSpin::DownClick(QObject* Sender) {
    ctl::TSgSpinEdit::DownClick(Sender);
    fireSpinClick(false);
}

// ---------------------------------------------------------------- check box

TGridCheckBox::TGridCheckBox(QWidget* AOwner) : QCheckBox(GridOwnerOf(AOwner)), FGrid(GridOwnerOf(AOwner)) {
    hide();
    setEnabled(false);
}

void TGridCheckBox::keyPressEvent(QKeyEvent* event) {
    const TKeyInfo info = KeyFromEvent(*event);
    uint16_t key = info.Key;
    TExStringGrid& g = *FGrid;
    if (key == VK_SPACE) {
        Toggle();
        // The base would toggle again on release; the space is handled here.
        event->accept();
        return;
    }
    if (!contains({VK_RETURN, VK_ESCAPE, VK_PRIOR, VK_NEXT, VK_END, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN}, key)) {
        QCheckBox::keyPressEvent(event);
        return;
    }
    guarded([&] {
        if (key == VK_ESCAPE) setText(g.CurrentCell());
        g.HideInplaceEdit();
        g.setFocus(Qt::OtherFocusReason);
        if (key == VK_RETURN) g.AdvanceAfterEdit(g.Col(), g.Row(), false, false, true, false, false);
        if (key == VK_UP || key == VK_DOWN) g.GridKeyDown(key, info.Shift);
    });
    event->accept();
}

void TGridCheckBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Toggle();
        event->accept();
        return;
    }
    QCheckBox::mousePressEvent(event);
}

// ---------------------------------------------------------------- push button

TGridButton::TGridButton(QWidget* AOwner) : QPushButton(GridOwnerOf(AOwner)), FGrid(GridOwnerOf(AOwner)) {
    hide();
    setEnabled(false);
    setAutoDefault(false);
}

void TGridButton::exchangeCaption() {
    setText(FGrid->EllipsClick(text()));
    FGrid->SetCurrentCell(text());
}

void TGridButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        guarded([&] { exchangeCaption(); });
    QPushButton::mouseReleaseEvent(event);
}

void TGridButton::keyPressEvent(QKeyEvent* event) {
    const TKeyInfo info = KeyFromEvent(*event);
    uint16_t key = info.Key;
    TExStringGrid& g = *FGrid;
    if (isArrow(key)) {
        guarded([&] {
            hide();
            setEnabled(false);
            g.SetEditMode(false);
            g.setFocus(Qt::OtherFocusReason);
            uint16_t k = key;
            g.GridKeyDown(k, info.Shift);
            k = key;
            g.GridKeyUp(k, info.Shift);
        });
        event->accept();
        return;
    }
    if (key == VK_ESCAPE) {
        guarded([&] {
            // The text from before the edit goes back first: the focus leaving the button ends the
            // edit, and whatever that starts must find the cell as it was.
            g.RestoreCellCache();
            hide();
            setEnabled(false);
            g.SetEditMode(false);
            g.setFocus(Qt::OtherFocusReason);
            uint16_t k = VK_ESCAPE;
            g.GridKeyDown(k, info.Shift);
        });
        event->accept();
        return;
    }
    if (key == VK_SPACE) {
        event->accept();  // the caption exchange comes with the release
        return;
    }
    QPushButton::keyPressEvent(event);
}

void TGridButton::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        guarded([&] { exchangeCaption(); });
        setFocus(Qt::OtherFocusReason);
        update();
        event->accept();
        return;
    }
    QPushButton::keyReleaseEvent(event);
}

