#include "platform/Keys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <array>

namespace plat {
namespace {

struct KeyRow {
    int qt;
    uint16_t vk;
    bool keypadOnly;  // the row applies only to keys of the keypad
};

// Qt keys to virtual keys. Shifted punctuation maps to the key that types it on a US layout. Keypad
// rows come first, so a keypad key finds its own code before the main keyboard's.
constexpr KeyRow keyTable[] = {
    {Qt::Key_0, VK_NUMPAD0, true}, {Qt::Key_1, VK_NUMPAD0 + 1, true}, {Qt::Key_2, VK_NUMPAD0 + 2, true},
    {Qt::Key_3, VK_NUMPAD0 + 3, true}, {Qt::Key_4, VK_NUMPAD0 + 4, true}, {Qt::Key_5, VK_NUMPAD0 + 5, true},
    {Qt::Key_6, VK_NUMPAD0 + 6, true}, {Qt::Key_7, VK_NUMPAD0 + 7, true}, {Qt::Key_8, VK_NUMPAD0 + 8, true},
    {Qt::Key_9, VK_NUMPAD0 + 9, true}, {Qt::Key_Asterisk, VK_MULTIPLY, true}, {Qt::Key_Plus, VK_ADD, true},
    {Qt::Key_Minus, VK_SUBTRACT, true}, {Qt::Key_Period, VK_DECIMAL, true}, {Qt::Key_Comma, VK_DECIMAL, true},
    {Qt::Key_Slash, VK_DIVIDE, true},

    {Qt::Key_Backspace, VK_BACK, false}, {Qt::Key_Tab, VK_TAB, false}, {Qt::Key_Backtab, VK_TAB, false},
    {Qt::Key_Clear, VK_CLEAR, false}, {Qt::Key_Return, VK_RETURN, false}, {Qt::Key_Enter, VK_RETURN, false},
    {Qt::Key_Shift, VK_SHIFT, false}, {Qt::Key_Control, VK_CONTROL, false}, {Qt::Key_Alt, VK_MENU, false},
    {Qt::Key_AltGr, VK_MENU, false}, {Qt::Key_Pause, VK_PAUSE, false}, {Qt::Key_CapsLock, VK_CAPITAL, false},
    {Qt::Key_Escape, VK_ESCAPE, false}, {Qt::Key_Space, VK_SPACE, false}, {Qt::Key_PageUp, VK_PRIOR, false},
    {Qt::Key_PageDown, VK_NEXT, false}, {Qt::Key_End, VK_END, false}, {Qt::Key_Home, VK_HOME, false},
    {Qt::Key_Left, VK_LEFT, false}, {Qt::Key_Up, VK_UP, false}, {Qt::Key_Right, VK_RIGHT, false},
    {Qt::Key_Down, VK_DOWN, false}, {Qt::Key_Select, VK_SELECT, false}, {Qt::Key_Printer, VK_PRINT, false},
    {Qt::Key_Print, VK_SNAPSHOT, false}, {Qt::Key_Insert, VK_INSERT, false}, {Qt::Key_Delete, VK_DELETE, false},
    {Qt::Key_Help, VK_HELP, false}, {Qt::Key_Meta, VK_LWIN, false}, {Qt::Key_Menu, VK_APPS, false},
    {Qt::Key_NumLock, VK_NUMLOCK, false}, {Qt::Key_ScrollLock, VK_SCROLL, false},
    // Shifted digits of the main keyboard.
    {Qt::Key_ParenRight, '0', false}, {Qt::Key_Exclam, '1', false}, {Qt::Key_At, '2', false},
    {Qt::Key_NumberSign, '3', false}, {Qt::Key_Dollar, '4', false}, {Qt::Key_Percent, '5', false},
    {Qt::Key_AsciiCircum, '6', false}, {Qt::Key_Ampersand, '7', false}, {Qt::Key_Asterisk, '8', false},
    {Qt::Key_ParenLeft, '9', false},
    // Punctuation.
    {Qt::Key_Semicolon, VK_OEM_1, false}, {Qt::Key_Colon, VK_OEM_1, false}, {Qt::Key_Equal, VK_OEM_PLUS, false},
    {Qt::Key_Plus, VK_OEM_PLUS, false}, {Qt::Key_Comma, VK_OEM_COMMA, false}, {Qt::Key_Less, VK_OEM_COMMA, false},
    {Qt::Key_Minus, VK_OEM_MINUS, false}, {Qt::Key_Underscore, VK_OEM_MINUS, false},
    {Qt::Key_Period, VK_OEM_PERIOD, false}, {Qt::Key_Greater, VK_OEM_PERIOD, false},
    {Qt::Key_Slash, VK_OEM_2, false}, {Qt::Key_Question, VK_OEM_2, false}, {Qt::Key_QuoteLeft, VK_OEM_3, false},
    {Qt::Key_AsciiTilde, VK_OEM_3, false}, {Qt::Key_BracketLeft, VK_OEM_4, false},
    {Qt::Key_BraceLeft, VK_OEM_4, false}, {Qt::Key_Backslash, VK_OEM_5, false}, {Qt::Key_Bar, VK_OEM_5, false},
    {Qt::Key_BracketRight, VK_OEM_6, false}, {Qt::Key_BraceRight, VK_OEM_6, false},
    {Qt::Key_Apostrophe, VK_OEM_7, false}, {Qt::Key_QuoteDbl, VK_OEM_7, false},
};

}  // namespace

uint16_t VirtualKeyOf(int qtKey, bool keypad) {
    for (const KeyRow& row : keyTable)
        if (row.qt == qtKey && (keypad || !row.keypadOnly)) return row.vk;
    // Digits and letters keep their code; F1..F24 follow each other in both.
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return uint16_t(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return uint16_t(VK_F1 + (qtKey - Qt::Key_F1));
    return 0;
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers m, Qt::MouseButtons b) {
    TShiftState s;
    if (m & Qt::ShiftModifier) s.include(ssShift);
    if (m & Qt::AltModifier) s.include(ssAlt);
    if (m & Qt::ControlModifier) s.include(ssCtrl);
    if (b & Qt::LeftButton) s.include(ssLeft);
    if (b & Qt::RightButton) s.include(ssRight);
    if (b & Qt::MiddleButton) s.include(ssMiddle);
    return s;
}

TShiftState ShiftStateOf(const QInputEvent& event) {
    const Qt::MouseButtons b =
        event.isPointerEvent() ? static_cast<const QSinglePointEvent&>(event).buttons() : Qt::MouseButtons{};
    return ShiftStateOf(event.modifiers(), b);
}

TKeyInfo KeyFromEvent(const QKeyEvent& event) {
    TKeyInfo info;
    info.Keypad = (event.modifiers() & Qt::KeypadModifier) != 0;
    info.Key = VirtualKeyOf(event.key(), info.Keypad);
    info.Shift = ShiftStateOf(event);
    if (event.key() == Qt::Key_Backtab) info.Shift.include(ssShift);
    return info;
}

QString KeyPressText(const QKeyEvent& event) {
    const Qt::KeyboardModifiers m = event.modifiers();
    const bool ctrl = m & Qt::ControlModifier;
    if ((m & Qt::AltModifier) && !ctrl) return {};
    const int key = event.key();
    if (ctrl) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z) return QString(QChar(key - Qt::Key_A + 1));
        if (key == Qt::Key_Return || key == Qt::Key_Enter) return QString(QChar(10));
        if (key == Qt::Key_Backspace) return QString(QChar(127));
        // Other Ctrl combinations type nothing, as Ctrl+digit and Ctrl+Tab do not.
        return {};
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return QString(QChar(13));
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return QString(QChar(9));
    case Qt::Key_Backspace: return QString(QChar(8));
    case Qt::Key_Escape: return QString(QChar(27));
    default: break;
    }
    QString text = event.text();
    // Keys that type no character (arrows, Delete, function keys) may still carry control bytes.
    if (key != 0) text.removeIf([](QChar c) { return c.unicode() < 32 || c.unicode() == 127; });
    return text;
}

void SendCharacter(QObject* receiver, QChar ch, bool keypad) {
    QKeyEvent event(QEvent::KeyPress, 0, keypad ? Qt::KeypadModifier : Qt::NoModifier, QString(ch));
    QCoreApplication::sendEvent(receiver, &event);
}

TMouseButton MouseButtonOf(const QMouseEvent& event) {
    switch (event.button()) {
    case Qt::RightButton: return mbRight;
    case Qt::MiddleButton: return mbMiddle;
    default: return mbLeft;
    }
}

}  // namespace plat
