#pragma once
// The calculator behind the calculator drop-down: one accumulator, one pending operation and one
// memory register, working on the number shown in a drop-down edit's text. Every operation reads
// the display, computes and writes the result back through the text's own formatting, so the
// display carries the edit's precision and the next operation reads the rounded number. No widget:
// the drop-down forwards keypad clicks and typed characters here, and tests and the fuzzer drive
// it on a bare text model.
//
// A display that is not a number where an operation must read it (a lone "-", a text the program
// wrote unformatted) throws EConvertError ("'x' is not a valid floating point value"); the fields
// keep what they had reached. "Error" and an empty display read as 0 before an operation.
#include <QChar>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "dropdowns/DropDownText.h"

namespace dropdowns {

// The keypad's button codes.
enum TCalcTag : int {
    ctAdd = 10,
    ctSubtract = 11,
    ctMultiply = 12,
    ctDivide = 13,
    ctSign = 14,
    ctDecimal = 15,
    ctClear = 16,
    ctResult = 17,
    ctPercent = 18,
    ctOn = 30,
    ctBack = 31,
    ctClearEntry = 32,
    ctMemoryClear = 33,
    ctMemoryRecall = 34,
    ctMemoryStore = 35,
    ctMemoryAdd = 36,
    ctSqrt = 37,
    ctReciprocal = 38
};

// The pending operations.
enum TCalcOp : int { coNone = -1, coAdd = 0, coMultiply = 1, coSubtract = 2, coDivide = 3 };

// What a character typed on the open keypad asks of the pop-up.
enum class TKeypadClose : uint8_t { None, Accept, Cancel };

// Text to an extended value with the given decimal separator, by the platform's number rule;
// nothing when the text is not a number.
std::optional<long double> TextToExtended(QStringView Text, QChar DecimalSeparator);
// The shortest text that reads back as the same double, with the locale's decimal separator.
QString ShortestFloatText(double Value);

class TCalculatorEngine {
public:
    explicit TCalculatorEngine(TDropDownText& Text) : text_(Text) {}

    // Runs before every keypad action and every character typed on the open keypad.
    std::function<void()> BeforeCalculate;

    // The keypad was opened: the next digit starts a new number, decimal entry ends.
    void Opened();

    // A keypad button with this tag was clicked.
    void ButtonClick(int Tag);

    // A character typed into the edit, before the edit's own character rules: KeypadClosed tells
    // whether the operator characters act here. Key comes back #0 when it is used up; otherwise
    // the edit's rules must insert it.
    void KeyPress(QChar& Key, bool KeypadClosed);
    // The same, with the edit's rules applied to a surviving character (for a text without edit).
    void TypeChar(QChar Key, bool KeypadClosed);
    // A character typed on the open keypad, after it went through KeyPress and the edit: the
    // operator keys, "=", "C", Enter (accept and close) and Esc (cancel and close).
    TKeypadClose OpenKeypadChar(QChar Key);
    // Backspace on the open keypad: the display loses its last character; "" and "Error" give 0.
    void OpenKeypadBackspace();
    // After the edit handled Delete: an empty display or "Error" becomes 0, and so does what is
    // left of an "Error" the key deleted a letter of (WasError: the display before the key).
    void DeleteDone(bool WasError);
    bool DisplayIsError() const;

    // The arithmetic.
    void ApplyPendingOperation();
    void StartOperation(TCalcOp Op);
    void CalcResult();
    void CalcPercent();

    // The display as a number (empty first becomes "0"); a display that is not a number gives 0.
    long double Value();
    void SetValue(long double Value);

    // The display without thousand separators as a number; throws EConvertError when it is none.
    long double DisplayNumber() const;

    int64_t FDecim = 0;  // decimal-entry divisor: 0 integer part, 10, 100 ... for the next decimal
    bool FNewval = false;
    long double FPrevval = 0;
    int FPrevop = coNone;
    long double FMVal = 0;

private:
    bool displayEmptyOrError() const;
    void digit(int D);
    // The display as a number, 0 when it is none.
    long double displayNumberOrZero() const;
    bool atMaxLength() const;

    TDropDownText& text_;
};

}  // namespace dropdowns
