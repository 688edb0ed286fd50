#include "dropdowns/DropDownText.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "controls/ExUtil.h"
#include "dropdowns/DovUzerAdev.h"
#include "platform/Format.h"
#include "platform/FormatSettings.h"

using namespace plat;

namespace dropdowns {

namespace {

constexpr QChar kBack = QChar(8), kTab = QChar(9), kLineFeed = QChar(10), kEnter = QChar(13), kEsc = QChar(27);
constexpr QChar kCtrlC = QChar(3), kCtrlV = QChar(22), kCtrlX = QChar(24);

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
bool isHexLetter(QChar c) {
    return (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}
bool isAsciiLetter(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}
bool isRangeMark(QChar c) {
    return c == u',' || c == u'-' || c == u';';
}

// The runtime's string deletion: an index below 1 or past the end deletes nothing.
void deleteAt(QString& s, int index1, int count) {
    if (index1 < 1 || index1 > s.size() || count <= 0) return;
    s.remove(index1 - 1, count);
}

QString precisionFormat(int p, char type) {
    return QStringLiteral("%.") + QString::number(p) + QChar(type);
}

// A number's text that never fails: formats that cannot take the value write nothing useful, so
// a value that is not finite counts as 0.
QString formatNumber(const QString& format, double v) {
    if (!std::isfinite(v)) v = 0;
    return Format(format, {v});
}

}  // namespace

int ClassifyNumberText(const QString& Text) {
    if (Text.isEmpty()) return 2;
    const QChar DS = DecimalSeparator(), TS = ThousandSeparator();
    bool isInteger = true, isNumber = true, isHex = true;
    int minus = 0, decimals = 0;
    qsizetype lastTS = -1;
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const QChar c = Text[i];
        const qsizetype k = i + 1;
        if (c != u'-' && !isDigit(c)) isInteger = false;
        if (c != u',' && c != u'-' && c != u'.' && !isDigit(c)) isNumber = false;
        if (c != u'-' && !isDigit(c) && !isHexLetter(c)) isHex = false;
        if (c == TS) {
            if (k - lastTS < 3) isNumber = false;
            lastTS = k;
        }
        if (c == DS) ++decimals;
        if (c == u'-') ++minus;
    }
    int result = 2;
    if (isHex && !isInteger)
        result = 5;
    else if (isInteger)
        result = 0;
    else if (isNumber)
        result = 1;
    if (minus > 1 || decimals > 1) result = 2;
    return result;
}

// ---------------------------------------------------------------------------------------------------
// Settings

void TDropDownText::SetEditType(TDropDownEditType Value) {
    if (FEditType == Value) return;
    FEditType = Value;
    if (Value == etPassword) {
        FPasswordChar = u'*';
        CanUndo = false;
    } else {
        FPasswordChar = QChar();
    }
    const int cls = dropdowns::ClassifyNumberText(Text());
    if (Value == etNumeric && cls != 0)
        SetIntValue(0);
    else if (isDecimalType() && cls > 1)
        SetFloatValue(0);
    else if (Value == etHex && cls != 0 && cls != 5)
        SetIntValue(0);
}

void TDropDownText::SetPrecision(int Value) {
    Value = int16_t(Value);
    if (FPrecision == Value) return;
    if (FEditType != etString && !isDecimalType()) return;
    FPrecision = Value;
    if (dropdowns::ClassifyNumberText(Text()) > 1)
        SetFloatValue(0);
    else
        SetFloatValue(GetFloatValue());
}

// ---------------------------------------------------------------------------------------------------
// State

void TDropDownText::Select(int Anchor, int Caret) {
    const int n = int(display_.size());
    anchor_ = std::clamp(Anchor, 0, n);
    caret_ = std::clamp(Caret, 0, n);
}

void TDropDownText::SetModifiedState(bool Value) {
    if (!EditorEnabled || ReadOnly) return;
    modified_ = Value;
    FIsModified = Value;
}

void TDropDownText::setDisplay(const QString& Text) {
    if (Text == display_) return;
    display_ = Text;
    Select(anchor_, caret_);
    if (armGate_) {
        FBlockChange = true;
        armGate_ = false;
    }
    // The gate holds back one change notification; the edit's own change work runs anyway.
    const bool notifyUser = !FBlockChange;
    FBlockChange = false;
    host_.TextChanged(notifyUser);
}

// ---------------------------------------------------------------------------------------------------
// Text and value

QString TDropDownText::Text() const {
    if (!mask_.IsEmpty()) return mask_.Value(display_);
    QString s = display_;
    if (!Prefix.isEmpty() && s.startsWith(Prefix)) s.remove(0, Prefix.size());
    if (!Suffix.isEmpty() && s.size() >= Suffix.size()) s.chop(Suffix.size());
    return s;
}

void TDropDownText::SetText(const QString& Value) {
    QString v = Value;
    if (v.isEmpty() && (isNumericType() || FEditType == etHex)) v = QStringLiteral("0");
    if (FPrecision > 0 && !v.isEmpty() && v != QLatin1String("Error")) {
        if (FEditType == etMoney)
            v = formatNumber(precisionFormat(FPrecision, 'n'), TextToFloat(v));
        else if (FEditType == etFloat)
            v = formatNumber(precisionFormat(FPrecision, 'f'), TextToFloat(v));
    }
    if (FEditType == etHex) v = v.toUpper();
    anchor_ = caret_ = 0;
    setDisplay(mask_.IsEmpty() ? Prefix + v + Suffix : mask_.Format(v));
    anchor_ = caret_ = 0;
    FOldText = v;
    SetModifiedState(false);
}

void TDropDownText::SetTextDirect(const QString& Value) {
    setDisplay(mask_.IsEmpty() ? Value : mask_.Format(Value));
}

void TDropDownText::SetEditMask(const QString& Mask) {
    plat::TEditMask parsed(Mask);
    const QString value = Text();
    mask_ = std::move(parsed);
    setDisplay(mask_.IsEmpty() ? value : mask_.Format(value));
}

double TDropDownText::TextToFloat(QString S) const {
    if (S.contains(ThousandSeparator())) S = RemoveThousandSeparators(S);
    const std::optional<double> v = textToFloat(S, DecimalSeparator());
    return v && std::isfinite(*v) ? *v : 0.0;
}

double TDropDownText::GetFloatValue() const {
    const QString value = Text();
    switch (FEditType) {
        case etString: {
            // The runtime's plain conversion always reads a point; errors give 0.
            const std::optional<double> v = textToFloat(value, u'.');
            return v && std::isfinite(*v) ? *v : 0.0;
        }
        case etNumeric:
        case etFloat:
            if (value.isEmpty() || value == QLatin1String("Error") || value == QLatin1String("-")) return 0;
            return TextToFloat(value);
        case etMoney: {
            if (value.isEmpty()) return 0;
            QString s = RemoveThousandSeparators(value);
            if (s.endsWith(DecimalSeparator())) s.chop(1);
            if (s.isEmpty() || s == QLatin1String("-")) return 0;
            return TextToFloat(s);
        }
        case etHex:
            return value.isEmpty() ? 0 : HexToInt(value);
        default:
            return 0;
    }
}

void TDropDownText::SetFloatValue(double Value) {
    const QString g = QStringLiteral("%g");
    switch (FEditType) {
        case etString:
        case etFloat:
            SetText(formatNumber(FPrecision < 0 ? g : precisionFormat(FPrecision, 'f'), Value));
            break;
        case etNumeric:
            SetText(formatNumber(FPrecision < 0 ? g : precisionFormat(FPrecision, 'n'), Value));
            break;
        case etMoney:
            SetText(formatNumber(FPrecision < 0 ? g : precisionFormat(FPrecision, 'f'), Value));
            RegroupMoney();
            break;
        case etHex: {
            double t = std::isfinite(Value) ? std::trunc(Value) : 0;
            t = std::clamp(t, -9.2233720368547758e18, 9.2233720368547748e18);
            SetText(QString::number(quint64(int64_t(t)), 16).toUpper());
            break;
        }
        default:
            break;
    }
    SetModifiedState(true);
}

void TDropDownText::SetIntValue(int Value) {
    switch (FEditType) {
        case etNumeric:
        case etFloat:
            SetText(QString::number(Value));
            break;
        case etMoney:
            SetText(QString::number(Value));
            RegroupMoney();
            break;
        case etHex:
            SetText(QString::number(uint32_t(Value), 16).toUpper());
            break;
        default:
            break;
    }
    SetModifiedState(true);
}

void TDropDownText::RegroupMoney() {
    QString s = Text();
    const int before = int(s.size());
    const int c = SelStart();
    if (s.isEmpty()) return;
    QString sign;
    if (s.startsWith(u'-')) {
        sign = QStringLiteral("-");
        s.remove(0, 1);
    }
    const QChar DS = DecimalSeparator();
    const qsizetype ds = s.indexOf(DS);
    const QString decimals = ds < 0 ? QString() : s.mid(ds, 255);
    const double whole = std::trunc(std::fabs(GetFloatValue()));
    QString n = formatNumber(AutoThousandSeparator ? QStringLiteral("%n") : QStringLiteral("%f"), whole);
    if (const qsizetype own = n.indexOf(DS); own >= 0) n.truncate(own);
    const QString shown = Prefix + sign + n + decimals + Suffix;
    FBlockChange = display_ != shown;
    setDisplay(shown);
    const int caret = c + int(Text().size()) - before;
    Select(caret, caret);
}

int TDropDownText::IntegerDigitsEnd(QString S) const {
    S = RemoveThousandSeparators(S);
    const qsizetype ds = S.indexOf(DecimalSeparator());
    int result = ds < 0 ? int(S.size()) + 1 : int(ds) + 1;
    if (Signed && isNumericType() && S.contains(u'-')) --result;
    return result;
}

int TDropDownText::DecimalSeparatorPos() const {
    const QString value = Text();
    const qsizetype ds = value.indexOf(DecimalSeparator());
    if (ds >= 0) return int(ds) + 1 + int(Prefix.size());
    return int(Prefix.size() + value.size() + Suffix.size()) + 1;
}

bool TDropDownText::IsSignKey(QChar Key) const {
    return Key == u'-' && Signed && isNumericType();
}

void TDropDownText::SelectAll() {
    // The value part: a start inside the prefix is moved behind it.
    const int p = int(Prefix.size());
    Select(p, p + int(Text().size()));
}

void TDropDownText::SelectBeforeDecimal() {
    const qsizetype ds = Text().indexOf(DecimalSeparator());
    const int pos = int(Prefix.size()) + (ds < 0 ? 0 : int(ds));
    Select(pos, pos);
}

void TDropDownText::SelectAfterDecimal() {
    const qsizetype ds = Text().indexOf(DecimalSeparator());
    const int pos = int(Prefix.size()) + (ds < 0 ? 0 : int(ds) + 1);
    Select(pos, pos);
}

bool TDropDownText::DecimalsFull(const QString& S, int Caret) const {
    const int b = Caret - int(Prefix.size());
    if (FPrecision <= 0) return false;
    if (S.size() - b > FPrecision) return false;
    const qsizetype ds = S.indexOf(DecimalSeparator());
    if (ds < 0) return false;
    return b >= ds + 1 && S.size() - (ds + 1) >= FPrecision;
}

bool TDropDownText::ThousandSeparatorMisplaced(QString S, int Caret) const {
    const QChar TS = ThousandSeparator();
    if (!S.contains(TS)) return false;
    int b = Caret - int(Prefix.size());
    int d = int(S.size());
    while (S.contains(TS)) {
        const int q = int(S.indexOf(TS)) + 1;
        const int distance = std::abs(q - b);
        if (distance < d) d = distance;
        if (distance < 3) return true;
        if (b > q) b -= q;
        S.remove(0, q);
    }
    return d > 3;
}

// ---------------------------------------------------------------------------------------------------
// The platform edit's own handling

void TDropDownText::replaceSelection(const QString& S) {
    if (ReadOnly) return;
    const int start = SelStart(), length = SelLength();
    if (!mask_.IsEmpty()) {
        QString t = display_;
        mask_.Clear(t, start, start + length);
        int pos = start;
        int typed = 0;
        for (QChar c : S) {
            if (!mask_.Type(t, pos, c)) break;
            ++typed;
        }
        if (typed == 0 && !S.isEmpty()) return;
        // The caret rests on the next position that takes a character.
        const int caret = S.isEmpty() ? start : std::min(mask_.NextEditable(pos), mask_.Length());
        anchor_ = caret_ = caret;
        setDisplay(t);
        Select(caret, caret);
        modified_ = true;
        return;
    }
    if (MaxLength > 0 && display_.size() - length + S.size() > MaxLength) return;
    QString t = display_;
    t.replace(start, length, S);
    // The caret and the modified flag are in place before the change is reported: a member that
    // rewrites the text from its change handler (completion) keeps its own selection.
    anchor_ = caret_ = std::min(start + int(S.size()), int(t.size()));
    modified_ = true;
    setDisplay(t);
}

void TDropDownText::passChar(QChar Key) {
    if (Key == kCtrlC) {
        Copy();
    } else if (Key == kCtrlV) {
        Paste();
    } else if (Key == kCtrlX) {
        Cut();
    } else if (Key == kBack) {
        if (ReadOnly) return;
        if (SelLength() == 0) {
            if (caret_ == 0) return;
            if (!mask_.IsEmpty()) {
                // Backspace blanks the editable position before the caret, skipping literals.
                const int p = mask_.PrevEditable(caret_);
                Select(std::max(p, 0), std::max(p, 0));
                if (p < 0) return;
                Select(p + 1, p);
            } else {
                Select(caret_ - 1, caret_);
            }
        }
        replaceSelection(QString());
    } else if (Key.unicode() >= 0x20) {
        replaceSelection(QString(Key));
    }
    armGate_ = false;
}

void TDropDownText::passKey(uint16_t Key, TShiftState Shift) {
    const bool extend = Shift.contains(ssShift);
    auto moveTo = [&](int pos) { Select(extend ? anchor_ : pos, pos); };
    switch (Key) {
        case VK_LEFT:
            if (!extend && SelLength() > 0)
                moveTo(SelStart());
            else
                moveTo(caret_ - 1);
            break;
        case VK_RIGHT:
            if (!extend && SelLength() > 0)
                moveTo(SelStart() + SelLength());
            else
                moveTo(caret_ + 1);
            break;
        case VK_HOME:
            moveTo(0);
            break;
        case VK_END:
            moveTo(int(display_.size()));
            break;
        case VK_DELETE:
            if (ReadOnly) break;
            if (SelLength() == 0) {
                if (caret_ >= display_.size()) break;
                Select(caret_, caret_ + 1);
            }
            replaceSelection(QString());
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------------------------------------------
// Key down

bool TDropDownText::KeyDown(uint16_t& Key, TShiftState Shift) {
    const int p = int(Prefix.size());
    auto toggleDropDown = [this] {
        if (host_.DropDownFormVisible())
            host_.HideDropDown(false);
        else
            host_.ShowDropDown();
    };
    if (Shift.contains(ssAlt) && (Key == VK_UP || Key == VK_DOWN)) {
        if (host_.DroppedDown())
            host_.HideDropDown(false);
        else
            host_.ShowDropDown();
    }
    if (!EditorEnabled && host_.ControlEnabled()) {
        if (!ReadOnly) {
            if (Key == VK_RETURN)
                host_.HideDropDown(false);
            else if (Key == VK_ESCAPE)
                host_.HideDropDown(true);
            else if (Key == VK_F4)
                toggleDropDown();
        }
        if (Key == VK_RETURN || Key == VK_ESCAPE) {
            host_.KeyDownEvent(Key, Shift);
            return Key != 0;
        }
        return false;
    }
    if (Shift.contains(ssCtrl) && (Key == VK_TAB || Key == VK_RETURN)) {
        host_.KeyDownEvent(Key, Shift);
        return Key != 0;
    }
    if (Key == VK_RETURN && ReturnIsTab) {
        Key = VK_TAB;
        host_.PostTabToSelf();
    }
    const int selEnd = SelStart() + SelLength();
    if (Key == VK_RIGHT && !Suffix.isEmpty() && selEnd >= valueEnd()) return false;
    if (Key == VK_DELETE && !Suffix.isEmpty()) {
        if (selEnd >= valueEnd() && SelLength() == 0) return false;
        SetModifiedState(true);
    }
    if (Key == VK_LEFT && !Prefix.isEmpty() && selEnd <= p) return false;
    if (Key == VK_END && !Suffix.isEmpty()) {
        if (Shift.contains(ssShift))
            Select(SelStart(), valueEnd());
        else
            Select(valueEnd(), valueEnd());
        return false;
    }
    if (Key == VK_HOME && !Prefix.isEmpty()) {
        if (Shift.contains(ssShift))
            Select(valueEnd(), p);
        else
            Select(p, p);
        return false;
    }
    if (Key == VK_BACK && !Prefix.isEmpty()) {
        if (SelStart() <= p + 1) return false;
        SetModifiedState(true);
    }
    if (Key == VK_DELETE && SelStart() >= p) {
        QString s = Text();
        const int at = SelStart() - p;
        s.remove(at, SelLength() > 0 ? SelLength() : 1);
        if (LengthLimit > 0 && IntegerDigitsEnd(s) - 1 > LengthLimit) return false;
        SetModifiedState(true);
    }

    host_.KeyDownEvent(Key, Shift);
    if (Key == 0) return false;
    passKey(Key, Shift);

    if (Key == VK_DELETE && FEditType == etMoney) RegroupMoney();
    if (!Prefix.isEmpty() && SelStart() < p) Select(p, p);
    if (Key == VK_RETURN)
        host_.HideDropDown(false);
    else if (Key == VK_ESCAPE)
        host_.HideDropDown(true);
    else if (Key == VK_F4)
        toggleDropDown();
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Characters

void TDropDownText::Char(QChar Key, bool Ctrl, bool Keypad) {
    armGate_ = false;
    if (!EditorEnabled) return;
    const int p = int(Prefix.size());
    const QString value = Text();
    const QChar DS = DecimalSeparator();
    // A character passed on over the whole value raises no OnChange; one refused arms nothing.
    const bool wholeSelected = SelLength() == value.size() && !value.isEmpty();

    if (Key == kEnter) {
        if (Ctrl) return;
        QChar k = kEnter;
        host_.KeyPressEvent(k);
        if (!DefaultHandling && host_.HasParent()) {
            host_.PostKeyToParent(VK_RETURN, true);
            if (!host_.KeyPreview()) host_.PostKeyToParent(VK_RETURN, false);
        }
        return;
    }
    if (Key == kEsc && !DefaultHandling && host_.HasParent()) {
        if (host_.KeyPreview()) return;
        host_.PostKeyToParent(VK_ESCAPE, true);
        host_.PostKeyToParent(VK_ESCAPE, false);
    }
    if (Key == kEsc && !CanUndo) return;
    if (Ctrl && (Key == kCtrlC || Key == kCtrlV || Key == kCtrlX)) {
        passChar(Key);
        return;
    }
    if (ExcelStyleDecimalSeparator && (Key == u'.' || Key == u',') && Keypad) Key = DS;
    if (Key == kBack && p > 0 && SelStart() <= p && SelLength() == 0) return;
    if (LengthLimit > 0 && IntegerDigitsEnd(value) > LengthLimit && SelLength() == 0) {
        if (SelStart() < DecimalSeparatorPos() && Key != kBack && Key != DS && !IsSignKey(Key)) return;
    }
    if (Key == kBack) {
        QString s = value;
        deleteAt(s, SelStart() - p, SelLength() == 0 ? 1 : SelLength());
        armGate_ = wholeSelected;
        passChar(Key);
        // The swallowed notification of a value deleted whole is made up for here.
        if (Text().isEmpty() && !s.isEmpty()) host_.TextChanged(true);
        return;
    }
    if (Ctrl && Key == kLineFeed) return;
    if (Key == u'-' && isNumericType() && !Signed) return;

    auto passOn = [&](QChar c) {
        armGate_ = wholeSelected;
        passChar(c);
    };
    bool endedEarly = false;
    switch (FEditType) {
        case etString:
        case etPassword:
            SetModifiedState(true);
            passOn(Key);
            break;
        case etNumeric:
            if (Key == u'-') {
                signToggle();
            } else if (Ctrl || Key == kBack || Key == kTab || Key == kEnter || isDigit(Key)) {
                passOn(Key);
            }
            break;
        case etFloat:
        case etMoney:
            endedEarly = decimalChar(Key, wholeSelected);
            break;
        case etUppercase:
            passOn(Key.toUpper());
            break;
        case etLowerCase:
            passOn(Key.toLower());
            break;
        case etMixedCase: {
            const int caret = SelStart();
            passOn(Key);
            setDisplay(Prefix + ToProperCase(Text()) + Suffix);
            Select(caret + 1, caret + 1);
            break;
        }
        case etRange: {
            if (!(Key == kBack || Key == kTab || Key == kEnter || isRangeMark(Key) || isDigit(Key))) return;
            if (isRangeMark(Key)) {
                const int caret = SelStart();
                if (caret <= p) return;
                const QString padded = display_ + u' ';
                if (isRangeMark(display_[caret - 1]) || isRangeMark(padded[caret])) return;
            }
            SetModifiedState(true);
            passOn(Key);
            break;
        }
        case etHex:
            if (!(Key == kBack || Key == kTab || Key == kEnter || Key == u'-' || isDigit(Key) || isHexLetter(Key)))
                return;
            SetModifiedState(true);
            passOn(Key);
            break;
        case etAlphaNumeric:
            if (!(Key == kBack || Key == kTab || Key == kEnter || isDigit(Key) || isAsciiLetter(Key))) return;
            SetModifiedState(true);
            passOn(Key);
            break;
        case etValidChars:
            if (!(Key == kBack || ValidChars.contains(Key))) return;
            SetModifiedState(true);
            passOn(Key);
            break;
    }
    armGate_ = false;
    if (!endedEarly && modified_) SetModifiedState(true);
}

bool TDropDownText::decimalChar(QChar Key, bool WholeSelected) {
    const QChar DS = DecimalSeparator(), TS = ThousandSeparator();
    const QString value = Text();
    const int caret = SelStart();
    if (FEditType == etFloat) {
        if (Key == u',' && DS != u',' && TS != u',') return true;
        if (Key == u'.' && DS != u'.' && TS != u'.') return true;
        if (!(Key == kBack || Key == kTab || Key == kEnter || Key == u',' || Key == u'-' || Key == u'.' ||
              isDigit(Key)))
            return true;
    } else if (!(Key == kBack || Key == kTab || Key == kEnter || Key == u'-' || isDigit(Key) || Key == DS)) {
        return true;
    }
    if (Key == DS) {
        if (FEditType == etFloat) {
            if (!SelText().contains(DS) && (value.contains(DS) || FPrecision == 0)) {
                if (FPrecision > 0) SelectAfterDecimal();
                return true;
            }
        } else if (value.contains(DS) || FPrecision == 0) {
            if (FPrecision > 0) {
                if (WholeSelected) SetText(QStringLiteral("0,0"));
                SelectAfterDecimal();
            }
            return true;
        }
    }
    if (FEditType == etFloat && Key == u',' && TS != u',') {
        QString outside = display_;
        outside.remove(SelStart(), SelLength());
        if (outside.contains(u',')) return true;
    }
    if ((Key == TS || Key == DS) && ThousandSeparatorMisplaced(value, caret)) return true;
    if (DecimalsFull(value, caret) && (isDigit(Key) || Key == DS) && SelLength() == 0) {
        if (!(isDigit(Key) && caret - int(Prefix.size()) < value.size())) return true;
        Select(caret, caret + 1);
    }
    if (SelLength() == 0 && value.isEmpty() && Key == DS) {
        setDisplay(Prefix + QStringLiteral("0") + DS + Suffix);
        const int at = int(Prefix.size()) + 2;
        Select(at, at);
        SetModifiedState(true);
        return true;
    }
    if (Key == u'-' && SelLength() == 0) {
        signToggle();
        return true;
    }
    armGate_ = WholeSelected;
    passChar(Key);
    armGate_ = false;
    if (FEditType == etMoney) {
        const QString now = Text();
        if (!now.isEmpty() && now != QLatin1String("-") && Key != DS) {
            if (modified_) SetModifiedState(true);
            RegroupMoney();
        }
    }
    return false;
}

void TDropDownText::signToggle() {
    const int p = int(Prefix.size());
    const QString value = Text();
    const int caret = SelStart();
    if (FEditType == etNumeric && SelLength() == value.size() && !value.isEmpty()) {
        setDisplay(Prefix + QStringLiteral("-") + Suffix);
        Select(p + 1, p + 1);
        return;
    }
    if (const qsizetype minus = value.indexOf(u'-'); minus >= 0) {
        QString rest = value;
        rest.remove(minus, 1);
        setDisplay(Prefix + rest + Suffix);
        const int at = caret > 0 && caret > p ? caret - 1 : p;
        Select(at, at);
        if (isDecimalType()) SetModifiedState(true);
        return;
    }
    setDisplay(Prefix + QStringLiteral("-") + value + Suffix);
    Select(caret + 1, caret + 1);
    SetModifiedState(true);
}

// ---------------------------------------------------------------------------------------------------
// Clipboard and focus

void TDropDownText::Paste() {
    if (ReadOnly) return;
    const QString clip = host_.ClipboardText();
    if (clip.isEmpty()) return;
    if (!mask_.IsEmpty()) {
        // A masked text takes the pasted characters as if typed, as far as they fit.
        QString t = display_;
        mask_.Clear(t, SelStart(), SelStart() + SelLength());
        int pos = SelStart();
        for (QChar c : clip)
            if (!mask_.Type(t, pos, c)) break;
        if (!host_.ClipboardPaste(mask_.Value(t))) return;
        replaceSelection(clip);
        return;
    }
    const int p = int(Prefix.size());
    const QString value = Text();
    const int caret = SelStart(), length = SelLength();
    QString s = value;
    const int at = std::clamp(caret - p, 0, int(s.size()));
    s.replace(at, std::min<int>(length, int(s.size()) - at), clip);
    const int targetAnchor = length > 0 ? caret : caret + int(clip.size());
    const int targetCaret = caret + int(clip.size());

    if (!host_.ClipboardPaste(s)) return;
    if (MaxLength > 0 && clip.size() + value.size() - length > MaxLength) return;
    const QChar DS = DecimalSeparator();
    const int cls = dropdowns::ClassifyNumberText(s);
    auto allIn = [&](auto pred) { return std::all_of(s.begin(), s.end(), pred); };
    switch (FEditType) {
        case etString:
        case etPassword:
            SetText(s);
            break;
        case etNumeric:
            if (cls == 0 && (Signed || !s.contains(u'-'))) {
                SetText(s);
                SetModifiedState(true);
            }
            break;
        case etFloat:
        case etMoney:
            if ((cls == 0 || cls == 1) && !(FPrecision == 0 && clip.contains(DS)) && (Signed || !s.contains(u'-'))) {
                SetText(s);
                SetFloatValue(GetFloatValue());
                SetModifiedState(true);
            }
            break;
        case etUppercase:
            SetText(s.toUpper());
            break;
        case etLowerCase:
            SetText(s.toLower());
            break;
        case etMixedCase:
            SetText(ToProperCase(s));
            break;
        case etAlphaNumeric:
            if (allIn([](QChar c) { return isDigit(c) || isAsciiLetter(c); })) {
                SetText(s);
                SetModifiedState(true);
            }
            break;
        case etValidChars:
            if (allIn([this](QChar c) { return ValidChars.contains(c); })) {
                SetText(s);
                SetModifiedState(true);
            }
            break;
        case etRange:
        case etHex:
            break;
    }
    if (FEditType == etMoney && Text().size() > 3)
        SelectAll();
    else
        Select(targetAnchor, targetCaret);
    if (FEditType == etString || (FEditType >= etUppercase && FEditType <= etPassword)) SetModifiedState(true);
}

void TDropDownText::Cut() {
    if (!EditorEnabled || ReadOnly) return;
    FBlockCopy = true;
    if (host_.ClipboardCut(SelText())) {
        Copy();
        replaceSelection(QString());
    }
    FBlockCopy = false;
}

void TDropDownText::Copy() {
    bool allow = true;
    if (!FBlockCopy) allow = host_.ClipboardCopy(SelText());
    FBlockCopy = false;
    // A password is never copied out.
    if (allow && FPasswordChar.isNull() && SelLength() > 0) host_.SetClipboardText(SelText());
}

void TDropDownText::FocusLost() {
    const QString value = Text();
    if (isDecimalType() && FPrecision > 0 && (!value.isEmpty() || !AllowNumericNullValue)) {
        const bool kept = GetModifiedState();
        SetFloatValue(GetFloatValue());
        SetModifiedState(kept);
    }
    if (FEditType == etNumeric && Text().isEmpty() && !AllowNumericNullValue) SetText(QStringLiteral("0"));
    if (isDecimalType() && Text().isEmpty() && !AllowNumericNullValue) SetFloatValue(0);
    if (!EditorEnabled) host_.Repaint();
}

}  // namespace dropdowns
