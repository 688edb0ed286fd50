#pragma once
// The original's virtual-key codes and shift set, which the key tables of the grids, the tree and
// the editors are written in, and their mapping from Qt's key and mouse events by one table.
#include "platform/EnumSet.h"

#include <QChar>
#include <QtCore/qnamespace.h>
#include <QString>
#include <cstdint>

class QKeyEvent;
class QObject;
class QMouseEvent;
class QInputEvent;

namespace plat {

enum TShiftStateItem : uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TEnumSet<TShiftStateItem>;

enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

inline constexpr uint16_t VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_MBUTTON = 0x04;
inline constexpr uint16_t VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D;
inline constexpr uint16_t VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14;
inline constexpr uint16_t VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23;
inline constexpr uint16_t VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28;
inline constexpr uint16_t VK_SELECT = 0x29, VK_PRINT = 0x2A, VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D;
inline constexpr uint16_t VK_DELETE = 0x2E, VK_HELP = 0x2F;
// '0'..'9' are 0x30..0x39 and 'A'..'Z' 0x41..0x5A.
inline constexpr uint16_t VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D;
inline constexpr uint16_t VK_NUMPAD0 = 0x60;  // .. VK_NUMPAD9 = 0x69
inline constexpr uint16_t VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D;
inline constexpr uint16_t VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F;
inline constexpr uint16_t VK_F1 = 0x70;  // .. VK_F24 = 0x87
inline constexpr uint16_t VK_F2 = 0x71, VK_F3 = 0x72, VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75, VK_F7 = 0x76;
inline constexpr uint16_t VK_F8 = 0x77, VK_F9 = 0x78, VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B, VK_F24 = 0x87;
inline constexpr uint16_t VK_NUMLOCK = 0x90, VK_SCROLL = 0x91;
// The punctuation of a US layout.
inline constexpr uint16_t VK_OEM_1 = 0xBA;       // ; :
inline constexpr uint16_t VK_OEM_PLUS = 0xBB;    // = +
inline constexpr uint16_t VK_OEM_COMMA = 0xBC;   // , <
inline constexpr uint16_t VK_OEM_MINUS = 0xBD;   // - _
inline constexpr uint16_t VK_OEM_PERIOD = 0xBE;  // . >
inline constexpr uint16_t VK_OEM_2 = 0xBF;       // / ?
inline constexpr uint16_t VK_OEM_3 = 0xC0;       // ` ~
inline constexpr uint16_t VK_OEM_4 = 0xDB;       // [ {
inline constexpr uint16_t VK_OEM_5 = 0xDC;       // \ |
inline constexpr uint16_t VK_OEM_6 = 0xDD;       // ] }
inline constexpr uint16_t VK_OEM_7 = 0xDE;       // ' "

// A key as the controls see it.
struct TKeyInfo {
    uint16_t Key = 0;     // 0: a key the table does not know
    TShiftState Shift;
    bool Keypad = false;  // the key is on the numeric keypad (the keypad's "." has it, the main one not)
};

// Shift, Alt and Ctrl of the event, plus the mouse buttons held during it.
TShiftState ShiftStateOf(const QInputEvent& event);
// The same from the modifiers and buttons alone, as drag events carry them.
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);
TKeyInfo KeyFromEvent(const QKeyEvent& event);
// The virtual-key code of a Qt key; `keypad` for keys pressed on the numeric keypad.
uint16_t VirtualKeyOf(int qtKey, bool keypad);
// The characters a key press types, as KeyPress receives them: Ctrl with a letter gives its control
// character (Ctrl+C is 3), Alt without Ctrl types nothing, and Enter, Tab, Backspace and Esc give
// 13, 9, 8 and 27. An event with no key carries a character alone (see SendCharacter), kept whole.
QString KeyPressText(const QKeyEvent& event);
// Types `ch` into `receiver` as a key press with no key of its own: the character of a key whose
// key-down another control handled (a key typed on the grid's cells that opens an editor). It takes
// the receiver's whole key road, character steps included; `keypad` when it came from the keypad.
void SendCharacter(QObject* receiver, QChar ch, bool keypad);

TMouseButton MouseButtonOf(const QMouseEvent& event);

}  // namespace plat
