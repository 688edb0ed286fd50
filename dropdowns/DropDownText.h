#pragma once
// The text of a drop-down edit and the rules of what may be typed, pasted and deleted in it, by
// edit type: the text shown (prefix + value + suffix), the selection, the modified state, the
// change gate and the edit settings. It does the editing itself and tells its host what the edit
// around it must do (change notifications, pop-up actions, keys for the parent, clipboard), so it
// is checked and fuzzed without a display; the edit widget shows its text and forwards its input.
//
// Positions count in the text shown, 0-based; the caret is the selection start. The decimal and
// thousand separators are the locale's at each use.
#include <QChar>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "platform/EditMask.h"
#include "platform/Keys.h"

namespace dropdowns {

enum TDropDownEditType : uint8_t {
    etString,   // any character
    etNumeric,  // whole number
    etFloat,    // decimal number
    etUppercase,
    etMixedCase,  // every word capitalised
    etLowerCase,
    etPassword,  // shown as "*"
    etMoney,     // decimal number with thousand separators
    etRange,     // numbers and ranges such as 1-5,7;9
    etHex,
    etAlphaNumeric,  // letters and digits
    etValidChars     // only the characters of ValidChars
};

// 0 a whole number, 1 a number, 5 hexadecimal (not a whole number), 2 anything else (the empty
// text too); more than one "-" or decimal separator makes it 2.
int ClassifyNumberText(const QString& Text);

// What the edit around the text does for it.
class IDropDownTextHost {
public:
    // The text changed: the edit's own change work runs; the user's OnChange only when NotifyUser
    // (the change gate holds it back for a character typed over the whole value).
    virtual void TextChanged(bool NotifyUser) = 0;
    // The edit's OnKeyPress with Enter; OnKeyDown (a key set to 0 is dropped).
    virtual void KeyPressEvent(QChar& Key) {}
    virtual void KeyDownEvent(uint16_t& Key, plat::TShiftState Shift) {}
    // The edit's parent and its form's key preview.
    virtual bool HasParent() const { return false; }
    virtual bool KeyPreview() const { return false; }
    virtual void PostKeyToParent(uint16_t Key, bool Down) {}
    // A Tab key-down posted to the edit itself (Enter acting as Tab).
    virtual void PostTabToSelf() {}
    // The pop-up.
    virtual bool DroppedDown() const { return false; }
    virtual bool DropDownFormVisible() const { return DroppedDown(); }
    virtual void ShowDropDown() {}
    virtual void HideDropDown(bool Cancelled) {}
    // The edit control is enabled (the editor may be disabled all the same).
    virtual bool ControlEnabled() const { return true; }
    // Clipboard events: false refuses.
    virtual bool ClipboardCopy(const QString& Value) { return true; }
    virtual bool ClipboardCut(const QString& Value) { return true; }
    virtual bool ClipboardPaste(const QString& Value) { return true; }
    virtual QString ClipboardText() const = 0;
    virtual void SetClipboardText(const QString& Text) = 0;
    // With the editor disabled the focus loss repaints the edit.
    virtual void Repaint() {}

protected:
    ~IDropDownTextHost() = default;
};

class TDropDownText {
public:
    explicit TDropDownText(IDropDownTextHost& Host) : host_(Host) {}

    // ---- Settings ----
    TDropDownEditType EditType() const { return FEditType; }
    // Reformats a text that does not fit the new type (a numeric type gets 0).
    void SetEditType(TDropDownEditType Value);
    int Precision() const { return FPrecision; }
    // For etString, etFloat and etMoney: stores and writes the value again in the new format.
    void SetPrecision(int Value);
    QChar PasswordChar() const { return FPasswordChar; }

    int16_t LengthLimit = 0;  // most digits before the decimal separator; 0 no limit
    QString Prefix, Suffix;
    bool Signed = false;
    bool ReturnIsTab = false;
    bool DefaultHandling = true;
    bool CanUndo = true;
    bool ExcelStyleDecimalSeparator = false;
    QString ValidChars;
    bool AutoThousandSeparator = true;
    bool AllowNumericNullValue = false;
    bool EditorEnabled = true;
    bool ReadOnly = false;
    int MaxLength = 0;  // 0 no limit
    // With a mask the text keeps the mask's length: typing overwrites the position under the
    // caret, deleting blanks positions, literals stay (the platform masked edit's rules). An empty
    // mask edits freely. Raises plat::EEditMaskError for a mask that cannot be translated; the
    // text is formatted anew.
    const plat::TEditMask& EditMask() const { return mask_; }
    void SetEditMask(const QString& Mask);

    // ---- State ----
    const QString& Display() const { return display_; }
    int SelStart() const { return std::min(anchor_, caret_); }
    int SelLength() const { return std::abs(caret_ - anchor_); }
    int CaretPos() const { return caret_; }
    QString SelText() const { return display_.mid(SelStart(), SelLength()); }
    void Select(int Anchor, int Caret);
    void SetSelStart(int Pos) { Select(Pos, Pos); }
    void SetSelLength(int Length) { Select(SelStart(), SelStart() + Length); }
    // The platform edit's own modified flag, and the modified state the base keeps.
    bool Modified() const { return modified_; }
    void SetModified(bool On) { modified_ = On; }
    bool GetModifiedState() const { return FIsModified; }
    void SetModifiedState(bool Value);
    bool BlockChange() const { return FBlockChange; }
    bool BlockCopy() const { return FBlockCopy; }
    // The value last written by SetText.
    const QString& OldText() const { return FOldText; }

    // ---- Text and value ----
    // The value: the text without a leading prefix and as many characters as the suffix has.
    QString Text() const;
    // Writes a value: empty numbers become 0, numbers with a precision are formatted, hex goes to
    // upper case; the old text is remembered and the modified state cleared.
    void SetText(const QString& Value);
    // The text shown, exactly: no prefix, suffix or formatting; old text and modified state stay.
    void SetTextDirect(const QString& Value);
    double TextToFloat(QString S) const;
    double GetFloatValue() const;
    void SetFloatValue(double Value);
    void SetIntValue(int Value);
    void RegroupMoney();
    int IntegerDigitsEnd(QString S) const;
    int DecimalSeparatorPos() const;
    bool IsSignKey(QChar Key) const;
    void SelectAll();
    void SelectBeforeDecimal();
    void SelectAfterDecimal();
    bool DecimalsFull(const QString& S, int Caret) const;
    bool ThousandSeparatorMisplaced(QString S, int Caret) const;

    // ---- Input ----
    // A key going down: false when the key is dropped (no character follows). The key may change
    // (Enter acting as Tab).
    bool KeyDown(uint16_t& Key, plat::TShiftState Shift);
    // A typed character. Ctrl: the Control key is down; Keypad: typed on the numeric keypad.
    void Char(QChar Key, bool Ctrl, bool Keypad = false);
    void Paste();
    void Cut();
    void Copy();
    void FocusLost();

private:
    // The platform edit's own handling of what is passed on.
    void passChar(QChar Key);
    void passKey(uint16_t Key, plat::TShiftState Shift);
    void setDisplay(const QString& Text);
    void replaceSelection(const QString& S);
    void signToggle();
    // False when the character went through to the end (passed on).
    bool decimalChar(QChar Key, bool WholeSelected);
    bool isDecimalType() const { return FEditType == etFloat || FEditType == etMoney; }
    bool isNumericType() const { return FEditType == etNumeric || isDecimalType(); }
    int valueEnd() const { return int(Prefix.size() + Text().size()); }

    IDropDownTextHost& host_;
    TDropDownEditType FEditType = etString;
    int FPrecision = 0;
    QChar FPasswordChar;
    plat::TEditMask mask_;
    QString display_;
    int anchor_ = 0, caret_ = 0;
    bool modified_ = false;
    bool FIsModified = false;
    bool FBlockChange = false;
    bool FBlockCopy = false;
    // Set for the one character typed over the whole value: its change does not reach OnChange.
    bool armGate_ = false;
    QString FOldText;
};

}  // namespace dropdowns
