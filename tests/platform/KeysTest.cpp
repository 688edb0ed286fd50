// Qt's key and mouse events as the original's key codes and shift set.
#include "platform/Keys.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>

using namespace plat;

namespace {

struct KeyCase {
    const char* name;
    int qtKey;
    Qt::KeyboardModifiers mods;
    uint16_t vk;
    TShiftState shift;
    bool keypad;
    const char16_t* typed;  // what KeyPress receives
    QString text = {};      // the event's own text, when the platform gives one
};

TEST(Keys, QtKeysMapToVirtualKeysShiftSetsAndCharacters) {
    const KeyCase cases[] = {
        {"backspace", Qt::Key_Backspace, {}, VK_BACK, {}, false, u"\b"},
        {"tab", Qt::Key_Tab, {}, VK_TAB, {}, false, u"\t"},
        {"backtab is shift tab", Qt::Key_Backtab, Qt::ShiftModifier, VK_TAB, {ssShift}, false, u"\t"},
        {"backtab without the modifier", Qt::Key_Backtab, {}, VK_TAB, {ssShift}, false, u"\t"},
        {"return", Qt::Key_Return, {}, VK_RETURN, {}, false, u"\r"},
        {"keypad enter", Qt::Key_Enter, Qt::KeypadModifier, VK_RETURN, {}, true, u"\r"},
        {"escape", Qt::Key_Escape, {}, VK_ESCAPE, {}, false, u"\x1b"},
        {"space", Qt::Key_Space, {}, VK_SPACE, {}, false, u" ", u" "_qs},
        {"page up", Qt::Key_PageUp, {}, VK_PRIOR, {}, false, u""},
        {"page down", Qt::Key_PageDown, {}, VK_NEXT, {}, false, u""},
        {"home", Qt::Key_Home, {}, VK_HOME, {}, false, u""},
        {"end", Qt::Key_End, {}, VK_END, {}, false, u""},
        {"left", Qt::Key_Left, {}, VK_LEFT, {}, false, u""},
        {"up", Qt::Key_Up, {}, VK_UP, {}, false, u""},
        {"right", Qt::Key_Right, {}, VK_RIGHT, {}, false, u""},
        {"down with shift", Qt::Key_Down, Qt::ShiftModifier, VK_DOWN, {ssShift}, false, u""},
        {"insert", Qt::Key_Insert, {}, VK_INSERT, {}, false, u""},
        {"delete", Qt::Key_Delete, {}, VK_DELETE, {}, false, u"", u"\x7f"_qs},
        {"digit", Qt::Key_7, {}, '7', {}, false, u"7", u"7"_qs},
        {"letter", Qt::Key_Q, {}, 'Q', {}, false, u"q", u"q"_qs},
        {"shifted letter", Qt::Key_Q, Qt::ShiftModifier, 'Q', {ssShift}, false, u"Q", u"Q"_qs},
        {"ctrl c", Qt::Key_C, Qt::ControlModifier, 'C', {ssCtrl}, false, u"\x03", u"\x03"_qs},
        {"ctrl shift z", Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, 'Z', {ssShift, ssCtrl}, false, u"\x1a"},
        {"alt x types nothing", Qt::Key_X, Qt::AltModifier, 'X', {ssAlt}, false, u"", u"x"_qs},
        {"keypad 0", Qt::Key_0, Qt::KeypadModifier, VK_NUMPAD0, {}, true, u"0", u"0"_qs},
        {"keypad 9", Qt::Key_9, Qt::KeypadModifier, VK_NUMPAD0 + 9, {}, true, u"9", u"9"_qs},
        {"keypad star", Qt::Key_Asterisk, Qt::KeypadModifier, VK_MULTIPLY, {}, true, u"*", u"*"_qs},
        {"keypad plus", Qt::Key_Plus, Qt::KeypadModifier, VK_ADD, {}, true, u"+", u"+"_qs},
        {"keypad minus", Qt::Key_Minus, Qt::KeypadModifier, VK_SUBTRACT, {}, true, u"-", u"-"_qs},
        {"keypad point", Qt::Key_Period, Qt::KeypadModifier, VK_DECIMAL, {}, true, u".", u"."_qs},
        {"keypad comma of a comma locale", Qt::Key_Comma, Qt::KeypadModifier, VK_DECIMAL, {}, true, u",", u","_qs},
        {"keypad slash", Qt::Key_Slash, Qt::KeypadModifier, VK_DIVIDE, {}, true, u"/", u"/"_qs},
        {"keypad home without num lock", Qt::Key_Home, Qt::KeypadModifier, VK_HOME, {}, true, u""},
        {"main point", Qt::Key_Period, {}, VK_OEM_PERIOD, {}, false, u".", u"."_qs},
        {"main minus", Qt::Key_Minus, {}, VK_OEM_MINUS, {}, false, u"-", u"-"_qs},
        {"underscore", Qt::Key_Underscore, Qt::ShiftModifier, VK_OEM_MINUS, {ssShift}, false, u"_", u"_"_qs},
        {"plus on the main keys", Qt::Key_Plus, Qt::ShiftModifier, VK_OEM_PLUS, {ssShift}, false, u"+", u"+"_qs},
        {"asterisk on the main keys", Qt::Key_Asterisk, Qt::ShiftModifier, '8', {ssShift}, false, u"*", u"*"_qs},
        {"exclamation", Qt::Key_Exclam, Qt::ShiftModifier, '1', {ssShift}, false, u"!", u"!"_qs},
        {"semicolon", Qt::Key_Semicolon, {}, VK_OEM_1, {}, false, u";", u";"_qs},
        {"colon", Qt::Key_Colon, Qt::ShiftModifier, VK_OEM_1, {ssShift}, false, u":", u":"_qs},
        {"slash", Qt::Key_Slash, {}, VK_OEM_2, {}, false, u"/", u"/"_qs},
        {"grave", Qt::Key_QuoteLeft, {}, VK_OEM_3, {}, false, u"`", u"`"_qs},
        {"brackets", Qt::Key_BracketLeft, {}, VK_OEM_4, {}, false, u"[", u"["_qs},
        {"backslash", Qt::Key_Backslash, {}, VK_OEM_5, {}, false, u"\\", u"\\"_qs},
        {"brace", Qt::Key_BraceRight, Qt::ShiftModifier, VK_OEM_6, {ssShift}, false, u"}", u"}"_qs},
        {"quote", Qt::Key_Apostrophe, {}, VK_OEM_7, {}, false, u"'", u"'"_qs},
        {"comma", Qt::Key_Comma, {}, VK_OEM_COMMA, {}, false, u",", u","_qs},
        {"equal", Qt::Key_Equal, {}, VK_OEM_PLUS, {}, false, u"=", u"="_qs},
        {"F1", Qt::Key_F1, {}, VK_F1, {}, false, u""},
        {"F12 with alt", Qt::Key_F12, Qt::AltModifier, VK_F12, {ssAlt}, false, u""},
        {"F24", Qt::Key_F24, {}, VK_F24, {}, false, u""},
        {"shift alone", Qt::Key_Shift, Qt::ShiftModifier, VK_SHIFT, {ssShift}, false, u""},
        {"ctrl alone", Qt::Key_Control, Qt::ControlModifier, VK_CONTROL, {ssCtrl}, false, u""},
        {"alt alone", Qt::Key_Alt, Qt::AltModifier, VK_MENU, {ssAlt}, false, u""},
        {"unknown key", Qt::Key_Launch0, {}, 0, {}, false, u""},
    };
    for (const KeyCase& c : cases) {
        const QKeyEvent ev(QEvent::KeyPress, c.qtKey, c.mods, c.text);
        const TKeyInfo info = KeyFromEvent(ev);
        EXPECT_EQ(info.Key, c.vk) << c.name;
        EXPECT_EQ(info.Shift, c.shift) << c.name << " shift bits " << info.Shift.bits();
        EXPECT_EQ(info.Keypad, c.keypad) << c.name;
        EXPECT_EQ(KeyPressText(ev), QString::fromUtf16(c.typed)) << c.name;
    }
    EXPECT_EQ(VK_DECIMAL, 110);
    EXPECT_EQ(VK_NUMPAD0, 96);
    EXPECT_EQ(VK_DIVIDE, 111);
    EXPECT_EQ(VK_F24, 135);
}

TEST(Keys, MouseButtonsJoinTheShiftSet) {
    struct Case {
        const char* name;
        Qt::MouseButton button;
        Qt::MouseButtons held;
        Qt::KeyboardModifiers mods;
        TMouseButton expectedButton;
        TShiftState expected;
    } cases[] = {
        {"left", Qt::LeftButton, Qt::LeftButton, {}, mbLeft, {ssLeft}},
        {"right with ctrl", Qt::RightButton, Qt::RightButton, Qt::ControlModifier, mbRight, {ssCtrl, ssRight}},
        {"middle while left held", Qt::MiddleButton, Qt::LeftButton | Qt::MiddleButton, Qt::ShiftModifier, mbMiddle,
         {ssShift, ssLeft, ssMiddle}},
    };
    for (const Case& c : cases) {
        const QMouseEvent ev(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), c.button, c.held, c.mods);
        EXPECT_EQ(MouseButtonOf(ev), c.expectedButton) << c.name;
        EXPECT_EQ(ShiftStateOf(ev), c.expected) << c.name;
    }
}

}  // namespace
