#include "controls/ExUtil.h"
#include "controls/TextCase.h"

#include "platform/Files.h"
#include "platform/FormatSettings.h"
#include "platform/IntConv.h"

#include <QDate>
#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr QChar kCR = u'\r';
constexpr QChar kLF = u'\n';
constexpr QChar kTab = u'\t';
constexpr QChar kBS = QChar(8);
constexpr QChar kVT = QChar(11);
constexpr QChar kNul = QChar(0);
constexpr QChar kOne = QChar(1);
constexpr QChar kQuote = u'"';
constexpr int kMaxOperand = 255;

// The platform's trim: characters up to the blank go at both ends.
QStringView trimCtl(QStringView s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s[b].unicode() <= 0x20) ++b;
    while (e > b && s[e - 1].unicode() <= 0x20) --e;
    return s.mid(b, e - b);
}

using textcase::asciiUpper;

// 1-based position of sub in text, 0 when absent or sub is empty.
int pos1(QStringView sub, QStringView text) {
    if (sub.isEmpty()) return 0;
    return static_cast<int>(text.indexOf(sub)) + 1;
}

std::optional<int32_t> wholeNumber(QStringView s) { return plat::tryStrToInt(s); }

// The code page 437 characters of the bytes 0x80 to 0xFF.
constexpr std::array<char16_t, 128> kCp437High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

const QDate& dateBase() {
    static const QDate base(1899, 12, 30);
    return base;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Dates

TDateTime EncodeDate(int Year, int Month, int Day) {
    if (Year < 1 || Year > 9999 || !QDate::isValid(Year, Month, Day))
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    return static_cast<TDateTime>(dateBase().daysTo(QDate(Year, Month, Day)));
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
    if (Hour < 0 || Hour > 23 || Min < 0 || Min > 59 || Sec < 0 || Sec > 59 || MSec < 0 || MSec > 999)
        throw EConvertError(QStringLiteral("Invalid argument to time encode"));
    return (((Hour * 60.0 + Min) * 60.0 + Sec) * 1000.0 + MSec) / 86400000.0;
}

bool DecodeDate(TDateTime Date, int& Year, int& Month, int& Day) {
    if (!std::isfinite(Date) || std::fabs(Date) > 4.0e6) return false;
    const QDate d = dateBase().addDays(static_cast<qint64>(std::trunc(Date)));
    if (!d.isValid() || d.year() < 1 || d.year() > 9999) return false;
    Year = d.year();
    Month = d.month();
    Day = d.day();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Locale accessors and character tests

QChar TimeSeparatorChar() { return plat::formatSettings().timeSeparator; }
QChar DateSeparatorChar() { return plat::formatSettings().dateSeparator; }
QChar ThousandSeparatorChar() { return plat::formatSettings().thousandSeparator; }
QChar DecimalSeparatorChar() { return plat::formatSettings().decimalSeparator; }
QString ShortDateFormatText() { return plat::formatSettings().shortDateFormat; }

bool CharIsNumber(QChar Ch) {
    switch (Ch.category()) {
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
        return true;
    default:
        return false;
    }
}

bool IsIntegerChar(QChar Ch) { return CharIsNumber(Ch) || Ch == u'-'; }

namespace {
bool isFormattedNumberChar(QChar c, const plat::FormatSettings& fs) {
    return CharIsNumber(c) || c == fs.thousandSeparator || c == fs.decimalSeparator || c == u'e' || c == u'E';
}
bool isScientificChar(QChar c, const plat::FormatSettings& fs) {
    return isFormattedNumberChar(c, fs) || c == u'+' || c == u'-';
}
}  // namespace

bool IsFormattedNumberChar(QChar Ch) { return isFormattedNumberChar(Ch, plat::formatSettings()); }
bool IsScientificChar(QChar Ch) { return isScientificChar(Ch, plat::formatSettings()); }

bool IsPlainFloatChar(QChar Ch) {
    return CharIsNumber(Ch) || Ch == u'-' || Ch == u'.' || Ch == u'e' || Ch == u'E' || Ch == u'+';
}

bool IsWordSeparator(QChar Ch) { return Ch == u' ' || Ch == u'\'' || Ch == u',' || Ch == u'-' || Ch == u'.'; }

// ---------------------------------------------------------------------------------------------
// Number texts

int ClassifyNumberText(const QString& Text) {
    if (Text.isEmpty()) return 2;
    const plat::FormatSettings fs = plat::formatSettings();
    const qsizetype n = Text.size();
    bool wholeOk = true, floatOk = true, sciOk = true, seenExp = false;
    int minus = 0, decimals = 0;
    qsizetype lastThousand = -1;  // 1-based position of the previous thousand separator
    for (qsizetype i = 1; i <= n; ++i) {
        const QChar c = Text[i - 1];
        const bool isExp = c == u'e' || c == u'E';
        if (!IsIntegerChar(c) || (c == u'-' && i > 1)) wholeOk = false;
        if (c == u'-' && i > 1) floatOk = false;
        if (!CharIsNumber(c) && c != u'-' && c != fs.thousandSeparator && c != fs.decimalSeparator) floatOk = false;
        if (c == fs.thousandSeparator) {
            if (lastThousand > 0 && i - lastThousand <= 3) floatOk = false;
            lastThousand = i;
        }
        if (isExp && seenExp) sciOk = false;
        if (isExp && i == 1) sciOk = false;
        if (i == n && (c == u'+' || c == u'-' || isExp)) sciOk = false;
        if (!isScientificChar(c, fs)) sciOk = false;
        if (c == fs.thousandSeparator) sciOk = false;
        if (isExp) seenExp = true;
        if (c == u'-') ++minus;
        if (c == fs.decimalSeparator) ++decimals;
    }
    int result;
    if (wholeOk) {
        result = 0;
    } else {
        result = (!floatOk || seenExp) ? 2 : 1;
        if (sciOk && seenExp) {
            result = 5;
            if (minus == 2) minus = 1;  // one sign for the mantissa, one for the exponent
        }
    }
    if (minus > 1 || decimals > 1) result = 2;
    return result;
}

QString NormalizeNumberText(const QString& Text) {
    if (Text.isEmpty()) return QString();
    const plat::FormatSettings fs = plat::formatSettings();
    QStringView t = trimCtl(QStringView(Text));
    bool negative = t.startsWith(u'(') && t.endsWith(u')');
    while (t.size() >= 2 && !isFormattedNumberChar(t.front(), fs)) {
        if (t.front() == u'-') negative = true;
        t = t.mid(1);
    }
    QString out;
    out.reserve(t.size() + 1);
    if (negative) out += u'-';
    for (QChar c : t) {
        if (c == fs.thousandSeparator) continue;
        if (c == fs.decimalSeparator)
            out += u'.';
        else if (IsPlainFloatChar(c))
            out += c;
        else
            break;
    }
    return out;
}

namespace {
QString normalizeDecimal(const QString& Text, const plat::FormatSettings& fs) {
    QString out;
    out.reserve(Text.size());
    for (QChar c : Text) {
        if (c == fs.decimalSeparator)
            out += u'.';
        else if (c != fs.thousandSeparator)
            out += c;
    }
    return out;
}
}  // namespace

QString NormalizeDecimalText(const QString& Text) { return normalizeDecimal(Text, plat::formatSettings()); }

// ---------------------------------------------------------------------------------------------
// Dates

namespace {

// A year written with one to three digits gets its century (below 26: the 2000s); a year of four
// digits or more stands as written, so "1/2/2024" is 2024, not 3924.
int withCentury(QStringView yearText, int year) {
    qsizetype b = 0;
    while (b < yearText.size() && yearText[b] == u' ') ++b;
    if (yearText.size() - b > 3 || year < 0) return year;
    return year < 26 ? year + 2000 : year + 1900;
}

TDateTime parseShortDate(const QString& Text, bool dayFirst) {
    QChar sep = u'/';
    qsizetype p = Text.indexOf(sep);
    if (p < 0) p = Text.indexOf(sep = u'.');
    if (p < 0) p = Text.indexOf(sep = u'-');
    if (p < 0) return 0;
    const auto first = wholeNumber(QStringView(Text).left(p));
    if (!first) return 0;
    const QStringView rest = QStringView(Text).mid(p + 1);
    const qsizetype q = rest.indexOf(sep);
    if (q < 0) return 0;
    const auto second = wholeNumber(rest.left(q));
    if (!second) return 0;
    const QStringView yearText = rest.mid(q + 1);
    const auto year = wholeNumber(yearText);
    if (!year) return 0;
    const int month = dayFirst ? *second : *first;
    const int day = dayFirst ? *first : *second;
    return EncodeDate(withCentury(yearText, *year), month, day);
}

}  // namespace

TDateTime ParseDateMDY(const QString& Text) { return parseShortDate(Text, false); }
TDateTime ParseDateDMY(const QString& Text) { return parseShortDate(Text, true); }

namespace {
bool parseLocaleDateTime(const QString& Text, TDateTime& Value, const plat::FormatSettings& fs) {
    // The order of the three parts follows the first D, M and Y of the short date format.
    const QString f = fs.shortDateFormat.toUpper();
    struct Slot {
        qsizetype at;
        int field;  // 0 day, 1 month, 2 year
    };
    std::array<Slot, 3> order{{{f.indexOf(u'D'), 0}, {f.indexOf(u'M'), 1}, {f.indexOf(u'Y'), 2}}};
    for (Slot& s : order)
        if (s.at < 0) s.at = f.size() + s.field;
    std::stable_sort(order.begin(), order.end(), [](const Slot& a, const Slot& b) { return a.at < b.at; });

    std::array<int, 3> fields{0, 0, 0};
    auto readField = [&](QStringView part, int slot) {
        const auto v = wholeNumber(part);
        if (!v || *v < 0 || *v > 0xFFFF) return false;  // the fields are 16-bit unsigned
        fields[order[slot].field] = *v;
        return true;
    };
    const QChar sep = fs.dateSeparator;
    QStringView t(Text);
    qsizetype p = t.indexOf(sep);
    if (p < 0 || !readField(t.left(p), 0)) return false;
    t = t.mid(p + 1);
    p = t.indexOf(sep);
    if (p < 0 || !readField(t.left(p), 1)) return false;
    t = trimCtl(t.mid(p + 1));
    QStringView timeText;
    const qsizetype blank = t.indexOf(u' ');
    if (blank >= 0) {
        timeText = t.mid(blank);
        t = t.left(blank);
    }
    if (!readField(t, 2)) return false;
    const int day = fields[0], month = fields[1], year = fields[2];
    if (day > 31 || month > 12) return false;

    int hour = 0, minutes = 0, seconds = 0;
    const bool hasTimeSep = timeText.contains(fs.timeSeparator);
    if (!timeText.isEmpty() && hasTimeSep) {
        qsizetype s = timeText.indexOf(fs.timeSeparator);
        const auto h = wholeNumber(timeText.left(s));
        if (!h || *h < 0 || *h > 23) return false;
        hour = *h;
        QStringView rest = timeText.mid(s + 1);
        s = rest.indexOf(fs.timeSeparator);
        std::optional<int32_t> m;
        if (s >= 0) {
            m = wholeNumber(rest.left(s));
            const auto sec = wholeNumber(rest.mid(s + 1));
            if (!m || !sec || *sec < 0 || *sec >= 60) return false;
            seconds = *sec;
        } else {
            m = wholeNumber(rest);
            if (!m) return false;
        }
        if (*m < 0 || *m >= 60) return false;
        minutes = *m;
    }
    TDateTime date;
    try {
        date = EncodeDate(year, month, day);
    } catch (const EConvertError&) {
        return false;
    }
    if (!timeText.isEmpty() && !hasTimeSep) {
        Value = date;  // the date stands, the time does not
        return false;
    }
    Value = date + EncodeTime(hour, minutes, seconds, 0);
    return true;
}
}  // namespace

bool ParseLocaleDateTime(const QString& Text, TDateTime& Value) {
    return parseLocaleDateTime(Text, Value, plat::formatSettings());
}

bool HasDateSeparators(const QString& Text) {
    const QChar sep = DateSeparatorChar();
    const qsizetype p = Text.indexOf(sep);
    if (p < 1) return false;
    return QStringView(Text).mid(p + 1).indexOf(sep) >= 1;
}

TDateTime StepDate(int16_t Years, int16_t Months, int16_t Days, TDateTime Date, TDateTime Delta) {
    const bool onlyDays = Days != 0 && Years == 0 && Months == 0;
    const bool onlyYears = Years != 0 && Months == 0 && Days == 0;
    const bool onlyMonths = Months != 0 && Years == 0 && Days == 0;
    if (onlyDays) return Date + Days;
    if (!onlyYears && !onlyMonths) return Date + Delta;
    int y = 0, m = 0, d = 0;
    if (!DecodeDate(Date, y, m, d)) throw EConvertError(QStringLiteral("Invalid date"));
    if (onlyYears) return EncodeDate(y + Years, m, d);
    m += Months;
    if (m > 12) {
        m -= 12;
        ++y;
    } else if (m <= 0) {
        m += 12;
        --y;
    }
    return EncodeDate(y, m, d);
}

// ---------------------------------------------------------------------------------------------
// Other texts

QString ToProperCase(const QString& Text) {
    QString out = Text;
    const qsizetype n = out.size();
    bool capitalise = true;
    bool mcSeen = false;  // only the first " Mc" of a text counts
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = out[i];
        if (IsWordSeparator(c)) {
            capitalise = true;
        } else if (capitalise) {
            out[i] = c.toUpper();
            capitalise = false;
        } else {
            out[i] = c.toLower();
        }
        if (i == 1 && out[0] == u'M' && out[1] == u'c') capitalise = true;
        if (!mcSeen && i >= 2 && out[i - 2] == u' ' && out[i - 1] == u'M' && out[i] == u'c') {
            mcSeen = true;
            capitalise = true;
        }
        if (i >= n - 3) {
            if (i >= 1 && out[i - 1] == u' ' && out[i] == u'I') capitalise = true;
            if (i >= 2 && out[i - 2] == u' ' && out[i - 1] == u'I' && out[i] == u'I') capitalise = true;
        }
    }
    return out;
}

bool ParseCellRef(const QString& Text, QPoint& Point) {
    const QString t = asciiUpper(Text);
    if (t.size() <= 3 || t[0] != u'R') return false;
    const QStringView rest = QStringView(t).mid(1);
    const qsizetype c = rest.indexOf(u'C');
    if (c < 0) return false;
    const auto row = wholeNumber(rest.left(c));
    const auto col = wholeNumber(rest.mid(c + 1));
    if (!row || !col) return false;
    Point = QPoint(*col, *row);
    return true;
}

QString ColorToHexRGB(uint32_t Color) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    QString out(6, Qt::Uninitialized);
    for (int k = 0; k < 3; ++k) {
        const unsigned byte = (Color >> (8 * k)) & 0xFF;
        out[2 * k] = QLatin1Char(kHex[byte >> 4]);
        out[2 * k + 1] = QLatin1Char(kHex[byte & 0xF]);
    }
    return out;
}

bool ContainsURL(const QString& Text) {
    return Text.contains(QLatin1StringView("://")) || Text.contains(QLatin1StringView("mailto:"));
}

void StripURLScheme(QString& Text) {
    qsizetype p = Text.indexOf(QLatin1StringView("://"));
    if (p >= 0) {
        Text.remove(0, p + 3);
        return;
    }
    p = Text.indexOf(QLatin1StringView("mailto:"));
    if (p >= 0) Text.remove(0, p + 7);
}

bool LinkFirstURL(const QString& Text, const QString& Prefix, QString& HTML) {
    if (Prefix.isEmpty() || !asciiUpper(Text).contains(Prefix)) return false;
    QString e;
    e.reserve(Text.size() + 16);
    for (QChar c : Text) {
        if (c == u'<')
            e += QLatin1StringView("&lt;");
        else if (c == u'>')
            e += QLatin1StringView("&gt;");
        else
            e += c;
    }
    const qsizetype p = asciiUpper(e).indexOf(Prefix);
    if (p < 0) {  // the prefix held "<" or ">"; nothing left to link
        HTML = e;
        return true;
    }
    auto inLink = [](QChar c) {
        const char16_t u = c.unicode();
        if (u > 0x7F) return false;
        if ((u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')) return true;
        return QStringView(u"%()-./:@\\_{}").contains(c);
    };
    qsizetype end = p;
    while (end < e.size() && inLink(e[end])) ++end;
    const QString link = e.mid(p, end - p);
    HTML = e.left(p) + QLatin1StringView("<a href=\"") + link + QLatin1StringView("\">") + link +
           QLatin1StringView("</a>") + e.mid(end);
    return true;
}

// ---------------------------------------------------------------------------------------------
// String and integer helpers

int ClampToLimits(int Value, int Min, int Max) {
    if (Min == Max) return Value;
    const int c = (Value >= Min || Min <= 0) ? Value : Min;
    return (Max > 0 && Value > Max) ? Max : c;
}

int IntMax(int A, int B) { return A > B ? A : B; }
int IntMin(int A, int B) { return A < B ? A : B; }

bool CellInGridRect(const QRect& Rect, int Col, int Row) {
    return Rect.left() <= Col && Col <= Rect.right() && Rect.top() <= Row && Row <= Rect.bottom();
}

int UpperCasePos(const QString& Sub, const QString& Text) { return pos1(Sub, asciiUpper(Text)); }

int FindPos(const QString& Sub, const QString& Text, int& Pos) {
    Pos = pos1(Sub, Text);
    return Pos;
}

int FindCharPos(QChar Ch, const QString& Text, int& Pos) {
    const int p = static_cast<int>(Text.indexOf(Ch)) + 1;
    if (p > 0) Pos = p;
    return p;
}

int FirstCharPos(QChar Ch, const QString& Text) { return static_cast<int>(Text.indexOf(Ch)) + 1; }
int PosInWide(const QString& Sub, const QString& Text) { return pos1(Sub, Text); }
int CountChar(QChar Ch, const QString& Text) { return static_cast<int>(Text.count(Ch)); }

void CutToDelimiter(QString& Text, QChar Delim, QString& Part) {
    const qsizetype p = Text.indexOf(Delim);
    if (p < 0) {
        Part.clear();
        return;
    }
    Part = Text.left(p);
    Text.remove(0, p + 1);
}

QString ConcatStrings(const QStringList& List) { return List.join(QString()); }

void FillWithChar(QString& Text, QChar Ch) { Text.fill(Ch); }

void StringToOem(QString& Text) {
    QByteArray bytes;
    bytes.reserve(Text.size());
    for (QChar c : Text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            bytes.append(static_cast<char>(u));
            continue;
        }
        const auto it = std::find(kCp437High.begin(), kCp437High.end(), u);
        bytes.append(it == kCp437High.end() ? '?' : static_cast<char>(0x80 + (it - kCp437High.begin())));
    }
    Text = plat::fromWindows1252(bytes);
}

void OemToString(QString& Text) {
    const QByteArray bytes = plat::toWindows1252(Text);
    QString out(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = b < 0x80 ? QChar(b) : QChar(kCp437High[b - 0x80]);
    }
    Text = out;
}

// ---------------------------------------------------------------------------------------------
// Cell text kinds and one-line forms

int ClassifyCellText(const QString& Text, bool AllowHTML) {
    // Read in place: every painted cell asks, so nothing is copied or converted.
    if (Text.isEmpty()) return 0;
    const QStringView t(Text);
    if (t.startsWith(u'=')) return 3;
    if (t.startsWith(u"|\\")) {
        if (t.size() >= 5 && t[3] == u'=' && t[4] == kNul) return 3;
        return 5;
    }
    if (t.startsWith(u"{\\")) return 2;
    if (!AllowHTML) return 0;
    if (t.contains(u"</") || t.contains(u"<B") || t.contains(u"<I") || t.contains(u"<C")) return 1;
    return 0;
}

QString EncodeWideText(const QString& WideText) {
    QString out;
    out.reserve(2 + 2 * WideText.size());
    out += QLatin1StringView("|\\");
    for (QChar c : WideText) {
        out += QChar(char16_t(c.unicode() >> 8));
        out += QChar(char16_t(c.unicode() & 0xFF));
    }
    return out;
}

QString DecodeWideText(const QString& Text) {
    if (!Text.startsWith(QLatin1StringView("|\\"))) return Text;
    const qsizetype pairs = (Text.size() - 2) / 2;
    QString out(pairs, Qt::Uninitialized);
    for (qsizetype k = 0; k < pairs; ++k) {
        const unsigned h = Text[2 + 2 * k].unicode();
        const unsigned l = Text[3 + 2 * k].unicode();
        out[k] = QChar(char16_t((l + 256 * h) & 0xFFFF));
    }
    return out;
}

QString EncodeCellBreaks(const QString& Text) {
    if (!Text.contains(kCR)) return Text;
    QString out = Text;
    for (QChar& c : out) {
        if (c == kCR)
            c = kTab;
        else if (c == kLF)
            c = kBS;
        else if (c == kNul)
            c = kOne;
    }
    return out;
}

QString DecodeCellBreaks(const QString& Text, bool MultiLine) {
    QString out = Text;
    if (out.contains(kBS)) {
        for (QChar& c : out) {
            if (c == kTab)
                c = kCR;
            else if (c == kBS)
                c = kLF;
            else if (c == kOne)
                c = kNul;
        }
    }
    if (MultiLine) return out;
    QString line;
    ExtractFirstLine(out, false, line);
    return line;
}

void ExtractFirstLine(QString& Text, bool KeepRest, QString& Line) {
    const qsizetype p = Text.indexOf(kCR);
    if (p < 0) {
        Line = Text;
        Text.clear();
        return;
    }
    Line = Text.left(p);
    if (!KeepRest) {
        Text.clear();
        return;
    }
    qsizetype from = p + 1;
    if (from < Text.size() && Text[from] == kLF) ++from;
    Text.remove(0, from);
}

int CountTextLines(const QString& Text, bool MultiLine) {
    return MultiLine ? 1 + static_cast<int>(Text.count(kCR)) : 1;
}

// ---------------------------------------------------------------------------------------------
// Line-break conversions

void CRLFToLF(QString& Text) { Text.replace(QLatin1StringView("\r\n"), QLatin1StringView("\n")); }

QString RemoveCR(const QString& Text) {
    QString out = Text;
    out.remove(kCR);
    return out;
}

QString CRToLF(const QString& Text) {
    QString out = Text;
    out.replace(kCR, kLF);
    return out;
}

QString EscapeLineBreaks(const QString& Text) {
    QString out;
    out.reserve(Text.size() + 8);
    for (QChar c : Text) {
        if (c == kCR)
            out += QLatin1StringView("\\n");
        else if (c != kLF)
            out += c;
    }
    return out;
}

QString UnescapeLineBreaks(const QString& Text) {
    QString out = Text;
    out.replace(QLatin1StringView("\\n"), QString(kCR));
    return out;
}

QString LineBreaksToBR(const QString& Text) {
    QString out = Text;
    out.replace(kCR, QLatin1StringView("<br>"));
    return out;
}

void LineBreaksToTilde(QString& Text) {
    Text.remove(kLF);
    Text.replace(kCR, u'~');
}

void TildeToLineBreaks(QString& Text) {
    Text.replace(u'~', QLatin1StringView("\r\n"));
    if (Text == QLatin1StringView("^")) Text.clear();
}

// ---------------------------------------------------------------------------------------------
// CSV field helpers

QString DoubleQuoteChars(const QString& Text) {
    QString out = Text;
    out.replace(kQuote, QLatin1StringView("\"\""));
    return out;
}

void PackMultiLineField(QString& Text) {
    Text.replace(QLatin1StringView("\r\n"), QString(kVT));
    Text = kQuote + Text + kQuote;
}

void UnpackMultiLineField(QString& Text) {
    if (Text.contains(kVT)) Text.replace(kVT, QLatin1StringView("\r\n"));
}

QString CollapseDoubledChar(QChar Ch, const QString& Text) {
    if (!Text.contains(Ch)) return Text;
    QString out;
    out.reserve(Text.size());
    for (qsizetype i = 0; i < Text.size(); ++i) {
        out += Text[i];
        if (Text[i] == Ch && i + 1 < Text.size() && Text[i + 1] == Ch) ++i;
    }
    return out;
}

int FindClosingQuote(QChar Quote, const QString& Text, int& Pos) {
    const int n = static_cast<int>(Text.size());
    int run = 0;
    int result = 0;
    for (int i = 1; i <= n; ++i) {
        if (Text[i - 1] == Quote) {
            if (i == n) {
                result = n;
                break;
            }
            ++run;
        } else if (run % 2 == 1) {
            result = i - 1;
            break;
        } else {
            run = 0;
        }
    }
    Pos = result;
    return result;
}

int CountClosingQuotes(QChar Quote, const QString& Text) {
    QString rest = Text;
    int count = 0;
    int pos = 0;
    while (FindClosingQuote(Quote, rest, pos) > 0) {
        ++count;
        rest.remove(0, pos);
    }
    return count;
}

// ---------------------------------------------------------------------------------------------
// Filter matching

QString RemoveBlanksOutsideQuotes(const QString& Text) {
    QString out;
    out.reserve(Text.size());
    bool inside = false;
    for (QChar c : Text) {
        if (c == kQuote) inside = !inside;
        if (c != u' ' || inside) out += c;
    }
    return out;
}

int MatchingParenPos(const QString& Text) {
    int open = 0, close = 0;
    for (qsizetype i = 0; i < Text.size(); ++i) {
        if (Text[i] == u'(') {
            ++open;
        } else if (Text[i] == u')') {
            ++close;
            if (close == open) return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

namespace {

// Index (0-based, from `from`) of the first character of `chars` with an even number of double
// quotes from `from` up to and including it; -1 when none.
qsizetype firstOfOutsideQuotes(QStringView chars, QStringView text, qsizetype from) {
    bool inside = false;
    for (qsizetype i = from; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == kQuote) inside = !inside;
        if (!inside && chars.contains(c)) return i;
    }
    return -1;
}

}  // namespace

QChar FindFirstOfOutsideQuotes(const QString& Chars, const QString& Text, int& Pos) {
    const qsizetype i = firstOfOutsideQuotes(Chars, Text, 0);
    if (i < 0) {
        Pos = -1;
        return kNul;
    }
    Pos = static_cast<int>(i) + 1;
    return Text[i];
}

namespace {

// What the comparison conditions need of a text: its number and its date, when it is one.
struct ParsedText {
    std::optional<double> number;
    std::optional<TDateTime> date;
};

ParsedText parseForCompare(const QString& text, const plat::FormatSettings& fs) {
    ParsedText p;
    TDateTime d = 0;
    if (parseLocaleDateTime(text, d, fs)) {
        p.date = d;  // a date is never read as a number
        return p;
    }
    p.number = plat::textToFloat(normalizeDecimal(text, fs), u'.');
    return p;
}

// The value of one cell as the conditions see it; its number and date are read once, on demand.
struct ValueView {
    ValueView(const QString& t, const plat::FormatSettings& f) : text(t), fs(f) {}
    const QString& text;
    const plat::FormatSettings& fs;
    mutable bool parsed = false;
    mutable ParsedText p;
    const ParsedText& parsedText() const {
        if (!parsed) {
            p = parseForCompare(text, fs);
            parsed = true;
        }
        return p;
    }
};

struct Operand {
    QString text;
    bool orEqual = false;
    ParsedText parsed;
};

// The wildcard part of a condition, split at its runs of "*". Within a segment "?" stands for any
// character; "!" inverts the outcome of the (sub-)match it stands in; double quotes are passed over.
struct Segment {
    QString tokens;                  // characters to meet, "?" for any
    qsizetype firstBang = -1;        // number of tokens before the first "!"; -1 when there is none
    bool anyChar = false;            // holds a "?"
    bool bangBefore(qsizetype t) const { return firstBang >= 0 && firstBang <= t; }
    bool hasBang() const { return firstBang >= 0; }
};

// Value characters the wildcard matches have looked at on this thread.
thread_local uint64_t wildcardSteps = 0;

struct Wildcard {
    std::vector<Segment> segments;  // segments[0] before the first "*", one more after each run

    explicit Wildcard(QStringView pattern) {
        segments.emplace_back();
        for (qsizetype i = 0; i < pattern.size(); ++i) {
            const QChar c = pattern[i];
            if (c == u'*') {
                while (i + 1 < pattern.size() && pattern[i + 1] == u'*') ++i;
                segments.emplace_back();
            } else if (c == u'!') {
                Segment& s = segments.back();
                if (s.firstBang < 0) s.firstBang = s.tokens.size();
            } else if (c != kQuote) {
                segments.back().tokens += c;
                if (c == u'?') segments.back().anyChar = true;
            }
        }
    }

    // Outcome of segment s's walk started at value position k, with `limit` the last position from
    // which the rest of the pattern matches (-1: from none); for the last segment the value must end.
    static bool walk(const Segment& s, QStringView v, qsizetype k, bool last, qsizetype limit) {
        const qsizetype len = s.tokens.size();
        for (qsizetype t = 0; t < len; ++t) {
            ++wildcardSteps;
            if (k + t >= v.size()) return s.bangBefore(t);
            const QChar c = s.tokens[t];
            if (c != u'?' && c != v[k + t]) return s.bangBefore(t);
        }
        const bool rest = last ? (k + len == v.size()) : (k + len <= limit);
        return rest != s.hasBang();
    }

    // A "*" succeeds when some tail of the value matches the rest of the pattern; only the last
    // position from which each segment's rest matches is needed, so every segment is searched once,
    // from the back, instead of trying every tail again for every star (no backtracking).
    bool match(QStringView v) const {
        const qsizetype nseg = static_cast<qsizetype>(segments.size());
        const qsizetype n = v.size();
        if (nseg == 1) return walk(segments[0], v, 0, true, n);
        // Segment 0 alone decides when it fails before its star.
        const Segment& s0 = segments[0];
        for (qsizetype t = 0; t < s0.tokens.size(); ++t) {
            ++wildcardSteps;
            if (t >= n) return s0.bangBefore(t);
            const QChar c = s0.tokens[t];
            if (c != u'?' && c != v[t]) return s0.bangBefore(t);
        }
        qsizetype limit = n;  // unused by the last segment
        for (qsizetype s = nseg - 1; s >= 1; --s) {
            const Segment& seg = segments[s];
            const bool last = s == nseg - 1;
            qsizetype found = -1;
            qsizetype k = n;
            if (!seg.hasBang()) {
                // Only a full match can succeed, and it must leave room for the rest.
                k = last ? n - seg.tokens.size() : std::min(n, limit - seg.tokens.size());
                if (last && k >= 0) {
                    if (walk(seg, v, k, true, limit)) found = k;
                    k = -1;
                } else if (!last && !seg.anyChar) {
                    // Plain text: the last occurrence that ends by the limit.
                    const QStringView t(seg.tokens);
                    for (; k >= 0; --k) {
                        const bool first = t.isEmpty() || v[k] == t[0];
                        wildcardSteps += first ? std::max<qsizetype>(t.size(), 1) : 1;
                        if (first && v.mid(k, t.size()) == t) {
                            found = k;
                            break;
                        }
                    }
                    k = -1;
                }
            }
            for (; k >= 0; --k) {
                if (walk(seg, v, k, last, limit)) {
                    found = k;
                    break;
                }
            }
            limit = found;
        }
        return walk(s0, v, 0, false, limit);
    }
};

int compareTexts(const QString& value, const ValueView& vv, const Operand& op) {
    const ParsedText& pv = vv.parsedText();
    if (pv.number && op.parsed.number) {
        const double a = *pv.number, b = *op.parsed.number;
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    if (pv.date && op.parsed.date) {
        const double a = *pv.date, b = *op.parsed.date;
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    const int r = QStringView(value).left(kMaxOperand).compare(QStringView(op.text).left(kMaxOperand),
                                                               Qt::CaseSensitive);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// One comparison or wildcard condition, compiled.
struct Condition {
    bool G = false, L = false, N = false, hasCaret = false, hasAmp = false;
    Operand greater, less;
    Wildcard pattern;

    static Operand readOperand(const QString& c, qsizetype at, bool allowOrEqual, const plat::FormatSettings& fs) {
        Operand op;
        qsizetype i = at;
        if (allowOrEqual && i < c.size() && c[i] == u'=') {
            op.orEqual = true;
            ++i;
        }
        while (i < c.size() && c[i] == u' ') ++i;
        const qsizetype start = i;
        bool inside = false;
        // A quoted operand keeps its blanks; outside quotes a blank, NUL, "&" or "|" ends it.
        for (; i < c.size(); ++i) {
            const QChar x = c[i];
            if (x == kNul) break;
            if (x == kQuote) {
                inside = !inside;
                continue;
            }
            if (!inside && (x == u' ' || x == u'&' || x == u'|')) break;
        }
        QStringView text = QStringView(c).mid(start, i - start);
        if (text.startsWith(kQuote)) text = text.mid(1);
        if (text.endsWith(kQuote)) text.chop(1);
        op.text = text.left(kMaxOperand).toString();
        op.parsed = parseForCompare(op.text, fs);
        return op;
    }

    Condition(const QString& c, const plat::FormatSettings& fs) : pattern(c) {
        const qsizetype g = c.indexOf(u'>'), l = c.indexOf(u'<'), x = c.indexOf(u'!');
        G = g >= 0;
        L = l >= 0;
        N = x >= 0;
        hasCaret = c.contains(u'^');
        hasAmp = c.contains(u'&');
        if (G) greater = readOperand(c, g + 1, true, fs);
        if (L) less = readOperand(c, l + 1, true, fs);
        // The operand after "!" is read by the comparison rules but never used.
    }

    bool matches(const QString& value, const ValueView& vv) const {
        bool s = true, rl = true, isGreater = false, isLess = false;
        if (G) {
            const int r = compareTexts(value, vv, greater);
            s = greater.orEqual ? r >= 0 : r > 0;
            isGreater = true;
        }
        if (L) {
            const int r = compareTexts(value, vv, less);
            rl = less.orEqual ? r <= 0 : r < 0;
            isLess = true;
        }
        if (N) {
            if (!G) isGreater = true;
            if (!L) isLess = true;
        }
        if (hasCaret && (isGreater || isLess)) return s || rl;
        if (hasAmp && isGreater && isLess) return s && rl;
        if (G && s) return true;
        if (L && rl) return true;
        return pattern.match(value);
    }
};

}  // namespace

// The expression runs as a small program: each operand's code leaves its truth on a stack; an
// operand joined by "&" is skipped while the result so far is false, one joined by "or" while it is
// true, which gives the left-to-right result without evaluating what cannot change it.
struct FilterExpression::Impl {
    enum class Op : uint8_t { Cond, JumpIfFalse, JumpIfTrue, Replace };
    struct Instr {
        Op op;
        int32_t arg;
    };
    std::vector<Instr> code;
    std::vector<Condition> conditions;
    bool caseSensitive = false;
    plat::FormatSettings fs;  // as they were when the filter run began

    static QString normalise(QStringView e) {
        QString t = RemoveBlanksOutsideQuotes(trimCtl(e).toString());
        if (t.startsWith(u'=')) t.remove(0, 1);
        return t;
    }

    // Emission of one operand joined by `join` (0 none, '&', '|' for every "or", '(' dropped).
    int beginOperand(char16_t join) {
        if (join == u'&' || join == u'|') {
            code.push_back({join == u'&' ? Op::JumpIfFalse : Op::JumpIfTrue, -1});
            return static_cast<int>(code.size()) - 1;
        }
        return -1;
    }
    void endOperand(char16_t join, int jump) {
        if (join == 0) return;
        code.push_back({Op::Replace, 0});
        code[jump].arg = static_cast<int32_t>(code.size());
    }
    void emitCondition(char16_t join, QStringView text) {
        if (join == u'(') return;
        const int jump = beginOperand(join);
        conditions.emplace_back(caseSensitive ? text.toString() : textcase::charUpper(text), fs);
        code.push_back({Op::Cond, static_cast<int32_t>(conditions.size()) - 1});
        endOperand(join, jump);
    }

    static char16_t joinOf(QChar op) {
        switch (op.unicode()) {
        case u'&': return u'&';
        case u';':
        case u'^':
        case u'|': return u'|';
        default: return u'(';
        }
    }

    // Compiled without recursion, so deep nesting cannot exhaust the stack.
    void compile(const QString& expression) {
        struct Frame {
            QString e;
            qsizetype pos = 0;
            char16_t join = 0;        // how the next operand joins the result so far
            char16_t groupJoin = 0;   // the join of the group being compiled in a child frame
            int groupJump = -1;
        };
        std::vector<Frame> stack;
        stack.push_back({normalise(expression)});
        static constexpr QStringView kOperators = u"(;^&|";
        while (!stack.empty()) {
            Frame& f = stack.back();
            const qsizetype found = firstOfOutsideQuotes(kOperators, f.e, f.pos);
            if (found < 0) {
                emitCondition(f.join, QStringView(f.e).mid(f.pos));
                stack.pop_back();
                if (!stack.empty()) {
                    Frame& parent = stack.back();
                    endOperand(parent.groupJoin, parent.groupJump);
                    parent.join = u'(';
                }
                continue;
            }
            if (found == f.pos && f.e[f.pos] == u'(') {
                const int close = MatchingParenPos(f.e.mid(f.pos));
                // A group without its ")" runs to the end of the expression.
                const qsizetype innerLen = close > 0 ? close - 2 : f.e.size() - f.pos - 1;
                QString inner = f.e.mid(f.pos + 1, innerLen);
                f.pos = close > 0 ? f.pos + close : f.e.size();
                if (f.join == u'(') continue;  // a group right after a group is dropped
                f.groupJoin = f.join;
                f.groupJump = beginOperand(f.join);
                Frame child;
                child.e = normalise(inner);
                stack.push_back(std::move(child));
                continue;
            }
            emitCondition(f.join, QStringView(f.e).mid(f.pos, found - f.pos));
            f.join = joinOf(f.e[found]);
            f.pos = found + 1;
        }
    }

    bool run(const QString& value) const {
        const ValueView vv(value, fs);
        QVarLengthArray<bool, 32> st;
        for (size_t pc = 0; pc < code.size();) {
            const Instr& in = code[pc];
            switch (in.op) {
            case Op::Cond:
                st.push_back(conditions[static_cast<size_t>(in.arg)].matches(value, vv));
                ++pc;
                break;
            case Op::JumpIfFalse:
                pc = st.back() ? pc + 1 : static_cast<size_t>(in.arg);
                break;
            case Op::JumpIfTrue:
                pc = st.back() ? static_cast<size_t>(in.arg) : pc + 1;
                break;
            case Op::Replace: {
                const bool v = st.back();
                st.pop_back();
                st.back() = v;
                ++pc;
                break;
            }
            }
        }
        return st.isEmpty() ? true : st.back();
    }
};

FilterExpression::FilterExpression(const QString& Expression, bool CaseSensitive) : d_(std::make_unique<Impl>()) {
    d_->caseSensitive = CaseSensitive;
    d_->fs = plat::formatSettings();
    d_->compile(Expression);
}
FilterExpression::~FilterExpression() = default;
FilterExpression::FilterExpression(FilterExpression&&) noexcept = default;
FilterExpression& FilterExpression::operator=(FilterExpression&&) noexcept = default;

bool FilterExpression::matches(const QString& Value) const {
    if (d_->caseSensitive) return d_->run(Value);
    // Most cells are ASCII: upper-case them into a reused buffer instead of a new string per cell.
    static thread_local QString upper;
    const qsizetype n = Value.size();
    const QChar* src = Value.constData();
    for (qsizetype i = 0; i < n; ++i)
        if (src[i].unicode() >= 0x80) return d_->run(textcase::charUpper(Value));
    upper.resize(n);
    QChar* dst = upper.data();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = src[i].unicode();
        dst[i] = QChar(char16_t((u >= u'a' && u <= u'z') ? u - 32 : u));
    }
    return d_->run(upper);
}

bool MatchFilterExpression(const QString& Expression, const QString& Value, bool CaseSensitive) {
    return FilterExpression(Expression, CaseSensitive).matches(Value);
}

uint64_t WildcardMatchSteps() { return wildcardSteps; }

bool MatchConditionText(const QString& Condition, const QString& Value) {
    const plat::FormatSettings fs = plat::formatSettings();
    const ::Condition c(Condition, fs);
    const ValueView vv(Value, fs);
    return c.matches(Value, vv);
}

bool MatchFilterCondition(const QString& Condition, const QString& Value, bool CaseSensitive) {
    if (CaseSensitive) return MatchConditionText(Condition, Value);
    return MatchConditionText(textcase::charUpper(Condition), textcase::charUpper(Value));
}
