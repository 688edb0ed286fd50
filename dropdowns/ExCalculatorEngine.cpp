#include "dropdowns/ExCalculatorEngine.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "controls/ExUtil.h"
#include "dropdowns/DovUzerAdev.h"
#include "platform/Format.h"
#include "platform/FormatSettings.h"

namespace dropdowns {

namespace {

const QString kError = QStringLiteral("Error");
constexpr QChar kBack = QChar(8);
// Past this divisor further decimals lie far below any display precision; it stops growing
// instead of overflowing.
constexpr int64_t kMaxDecim = 1'000'000'000'000'000'000;

// A result the display cannot carry (an overflow to infinity, or beyond a double's range) is a
// floating-point fault: the accumulator starts again from 0.
long double faultless(long double v) {
    return std::isfinite(v) && std::fabs(v) <= std::numeric_limits<double>::max() ? v : 0.0L;
}

}  // namespace

std::optional<long double> TextToExtended(QStringView Text, QChar DecimalSeparator) {
    if (!plat::textToFloat(Text, DecimalSeparator)) return std::nullopt;
    std::string ascii;
    for (QChar c : Text) {
        if (c == u' ' || c == u'+') continue;
        ascii += c == DecimalSeparator ? '.' : char(c.unicode());
    }
    long double v = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
    if (ec != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

QString ShortestFloatText(double Value) {
    std::array<char, 64> buf{};
    const auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), Value);
    QString s = QString::fromLatin1(buf.data(), ec == std::errc() ? end - buf.data() : 0);
    s.replace(u'.', DecimalSeparator());
    return s;
}

void TCalculatorEngine::Opened() {
    FNewval = true;
    FDecim = 0;
}

bool TCalculatorEngine::displayEmptyOrError() const {
    const QString t = text_.Text();
    return t.isEmpty() || t == kError;
}

long double TCalculatorEngine::DisplayNumber() const {
    const QString s = RemoveThousandSeparators(text_.Text());
    const std::optional<long double> v = TextToExtended(s, DecimalSeparator());
    if (!v) throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
    return *v;
}

long double TCalculatorEngine::displayNumberOrZero() const {
    const std::optional<long double> v =
        TextToExtended(RemoveThousandSeparators(text_.Text()), DecimalSeparator());
    return v.value_or(0.0L);
}

bool TCalculatorEngine::atMaxLength() const {
    return text_.MaxLength > 0 && text_.Text().size() == text_.MaxLength;
}

// ---------------------------------------------------------------------------------------------------
// Arithmetic

void TCalculatorEngine::ApplyPendingOperation() {
    if (displayEmptyOrError()) text_.SetText(QStringLiteral("0"));
    const long double x = DisplayNumber();
    switch (FPrevop) {
        case coAdd:
            FPrevval = faultless(FPrevval + x);
            break;
        case coMultiply:
            FPrevval = faultless(FPrevval * x);
            break;
        case coSubtract:
            FPrevval = faultless(FPrevval - x);
            break;
        case coDivide:
            if (x == 0) {
                FPrevval = 0;
                text_.SetText(kError);
                return;
            }
            FPrevval = faultless(FPrevval / x);
            break;
        default:
            FPrevval = faultless(x);
            break;
    }
    text_.SetFloatValue(double(FPrevval));
    FNewval = true;
}

void TCalculatorEngine::StartOperation(TCalcOp Op) {
    ApplyPendingOperation();
    FPrevop = Op;
}

void TCalculatorEngine::CalcResult() {
    ApplyPendingOperation();
    if (text_.Text().isEmpty()) text_.SetText(QStringLiteral("0"));
    FPrevop = coNone;
    if (text_.Text() != kError) FPrevval = DisplayNumber();
}

void TCalculatorEngine::CalcPercent() {
    if (displayEmptyOrError()) text_.SetText(QStringLiteral("0"));
    const long double x = DisplayNumber();
    const double p = double(faultless(FPrevval * x / 100));
    text_.SetText(plat::Format(u"%g", {p}));
}

long double TCalculatorEngine::Value() {
    if (text_.Text().isEmpty()) text_.SetText(QStringLiteral("0"));
    return displayNumberOrZero();
}

void TCalculatorEngine::SetValue(long double Value) {
    text_.SetText(plat::Format(u"%g", {double(faultless(Value))}));
}

// ---------------------------------------------------------------------------------------------------
// Keypad

void TCalculatorEngine::digit(int D) {
    double value = text_.GetFloatValue();
    if ((value == 0 && FDecim == 0) || FNewval) {
        text_.SetText(QString::number(D));
        FNewval = false;
        return;
    }
    if (FDecim > 0) {
        value += double(D) / double(FDecim);
        if (FDecim < kMaxDecim) FDecim *= 10;
    } else {
        value = value * 10 + D;
    }
    text_.SetFloatValue(value);
}

void TCalculatorEngine::ButtonClick(int Tag) {
    if (BeforeCalculate) BeforeCalculate();
    if ((Tag >= 10 && Tag <= 14) || (Tag >= 16 && Tag <= 18)) FDecim = 0;
    if (((Tag >= 0 && Tag <= 9) || Tag == ctSign || Tag == ctDecimal) && atMaxLength()) return;
    // The separator edits the display's text: over "Error" it starts from 0.
    if (Tag == ctDecimal && text_.Text() == kError) text_.SetText(QStringLiteral("0"));
    switch (Tag) {
        case 0: case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 9:
            digit(Tag);
            break;
        case ctAdd:
            StartOperation(coAdd);
            break;
        case ctSubtract:
            StartOperation(coSubtract);
            break;
        case ctMultiply:
            StartOperation(coMultiply);
            break;
        case ctDivide:
            StartOperation(coDivide);
            break;
        case ctSign: {
            QString t = text_.Text();
            // "Error" has no sign to change.
            if (t == kError) break;
            if (t.contains(u'-'))
                t.remove(0, 1);
            else
                t.prepend(u'-');
            text_.SetText(t);
            break;
        }
        case ctDecimal: {
            const QChar ds = DecimalSeparator();
            if (!text_.Text().contains(ds)) text_.SetText(text_.Text() + ds);
            FDecim = 10;
            if (FNewval) text_.SetText(QStringLiteral("0"));
            FNewval = false;
            break;
        }
        case ctClear:
        case ctOn:
        case ctClearEntry:
            text_.SetText(QStringLiteral("0"));
            FPrevval = 0;
            FPrevop = coNone;
            break;
        case ctResult:
            CalcResult();
            break;
        case ctPercent:
            CalcPercent();
            break;
        case ctBack:
            if (FPrevop < 0) {
                QString s = ShortestFloatText(text_.GetFloatValue());
                s.chop(1);
                text_.SetText(s);
            }
            break;
        case ctMemoryClear:
            FMVal = 0;
            break;
        case ctMemoryRecall:
            text_.SetFloatValue(double(FMVal));
            break;
        case ctMemoryStore:
            FMVal = displayNumberOrZero();
            break;
        case ctMemoryAdd:
            FMVal = faultless(FMVal + displayNumberOrZero());
            break;
        case ctSqrt: {
            const double v = text_.GetFloatValue();
            if (v >= 0)
                text_.SetFloatValue(std::sqrt(v));
            else
                text_.SetText(kError);
            break;
        }
        case ctReciprocal: {
            const double v = text_.GetFloatValue();
            if (v != 0)
                text_.SetFloatValue(1 / v);
            else
                text_.SetText(kError);
            break;
        }
        default:
            break;
    }
    text_.SetModifiedState(true);
}

// ---------------------------------------------------------------------------------------------------
// Typed characters

void TCalculatorEngine::KeyPress(QChar& Key, bool KeypadClosed) {
    const QChar ds = DecimalSeparator();
    if (KeypadClosed) {
        const char16_t c = Key.unicode();
        if (c == 13 || c == u'=')
            CalcResult();
        else if (c == u'%')
            CalcPercent();
        else if (c == u'*')
            StartOperation(coMultiply);
        else if (c == u'+')
            StartOperation(coAdd);
        else if (c == u'-')
            StartOperation(coSubtract);
        else if (c == u'/')
            StartOperation(coDivide);
        else if (c == u'C' || c == u'c') {
            text_.SetText(QStringLiteral("0"));
            FNewval = true;
            FPrevop = coNone;
        }
    }
    if (!(Key.isNumber() || Key == ds || Key == kBack || Key == u'-')) Key = QChar();
    // A key typed over "Error" starts a new number: typed into the word it would leave a text no
    // operation can read.
    if (!Key.isNull() && text_.Text() == kError) {
        text_.SetText(QStringLiteral("0"));
        FNewval = true;
    }
    const int p = int(text_.Prefix.size());
    if ((text_.Text() == QLatin1String("0") || FNewval) && Key.isNumber()) {
        text_.SetText(QString(Key));
        Key = QChar();
        text_.Select(p + 1, p + 1);
        FNewval = false;
        return;
    }
    if (text_.Text().size() == 1 && Key == kBack) {
        text_.SetText(QStringLiteral("0"));
        Key = QChar();
        text_.Select(p + 1, p + 1);
        return;
    }
    if (Key == ThousandSeparator()) Key = QChar();
    if (Key == ds && text_.Text().contains(ds)) {
        // The display is formatted with its decimals already: the separator moves on to them,
        // so the digits that follow are decimals (7 . 5 gives 7.5, not 75).
        const int after = p + int(text_.Text().indexOf(ds)) + 1;
        text_.Select(p + int(text_.Text().size()), after);
        Key = QChar();
    }
}

void TCalculatorEngine::TypeChar(QChar Key, bool KeypadClosed) {
    KeyPress(Key, KeypadClosed);
    if (!Key.isNull()) text_.Char(Key, false);
}

TKeypadClose TCalculatorEngine::OpenKeypadChar(QChar Key) {
    if (BeforeCalculate) BeforeCalculate();
    const QChar ds = DecimalSeparator();
    if (Key == ds && !text_.Text().contains(ds)) text_.SetText(text_.Text() + ds);
    if (Key.isNumber() && atMaxLength()) return TKeypadClose::None;
    const char16_t c = Key.unicode();
    switch (c) {
        case u'-':
            StartOperation(coSubtract);
            break;
        case u'*':
            StartOperation(coMultiply);
            break;
        case u'+':
            StartOperation(coAdd);
            break;
        case u'/':
            StartOperation(coDivide);
            break;
        case u'%':
            CalcPercent();
            break;
        case 13:
            CalcResult();
            return TKeypadClose::Accept;
        case 27:
            return TKeypadClose::Cancel;
        case u'=':
            CalcResult();
            break;
        case u'C':
        case u'c':
            text_.SetText(QStringLiteral("0"));
            FPrevval = 0;
            FNewval = true;
            FPrevop = coNone;
            break;
        default:
            if (c >= u'0' && c <= u'9' && (text_.Text() == QLatin1String("0") || FNewval)) FNewval = false;
            break;
    }
    return TKeypadClose::None;
}

void TCalculatorEngine::OpenKeypadBackspace() {
    QString t = text_.Text();
    // "Error" goes as a whole, like a display left empty.
    if (t == kError) t.clear();
    t.chop(1);
    if (t.isEmpty() || t == kError) t = QStringLiteral("0");
    text_.SetText(t);
}

bool TCalculatorEngine::DisplayIsError() const {
    return text_.Text() == kError;
}

void TCalculatorEngine::DeleteDone(bool WasError) {
    if (WasError || displayEmptyOrError()) text_.SetText(QStringLiteral("0"));
}

}  // namespace dropdowns
