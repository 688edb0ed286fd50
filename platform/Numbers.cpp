#include "platform/Numbers.h"

#include "platform/FormatSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace plat {

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    const int64_t p = int64_t(a) * int64_t(b);
    int64_t q = p / c;
    const int64_t r = p % c;
    // Half away from zero: compare twice the remainder with the divisor, both as magnitudes.
    if (2 * std::llabs(r) >= std::llabs(int64_t(c))) q += ((p < 0) != (c < 0)) ? -1 : 1;
    if (q > std::numeric_limits<int32_t>::max() || q < std::numeric_limits<int32_t>::min()) return -1;
    return int32_t(q);
}

int64_t Round(double value) {
    // nearbyint follows the current rounding mode, which the program never changes from
    // to-nearest-even.
    return static_cast<int64_t>(std::nearbyint(value));
}

namespace numtext {

QString special(double value) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    return {};
}

QString general(double value, int precision) {
    if (!std::isfinite(value)) return special(value);
    if (value == 0) return QStringLiteral("0");
    precision = std::clamp(precision, 1, 18);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", precision - 1, value);
    const char* p = buf;
    const bool negative = *p == '-';
    if (negative) ++p;
    QByteArray digits;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits.append(*p);
    const int exp = std::atoi(p + 1);
    while (digits.size() > 1 && digits.endsWith('0')) digits.chop(1);

    QString out = negative ? QStringLiteral("-") : QString();
    if (exp >= precision || exp < -4) {
        out += QChar::fromLatin1(digits[0]);
        if (digits.size() > 1) out += u'.' + QString::fromLatin1(digits.mid(1));
        out += u'E' + QString::number(exp);
    } else if (exp < 0) {
        out += QStringLiteral("0.") + QString(-exp - 1, u'0') + QString::fromLatin1(digits);
    } else {
        const QString d = QString::fromLatin1(digits);
        if (d.size() <= exp + 1)
            out += d + QString(exp + 1 - d.size(), u'0');
        else
            out += d.left(exp + 1) + u'.' + d.mid(exp + 1);
    }
    return out;
}

QString fixed(double value, int digits) {
    if (!std::isfinite(value)) return special(value);
    digits = std::clamp(digits, 0, 18);
    // Twenty digits more than asked show whether the cut falls exactly on a half (a double has no
    // value that close to a half without being one).
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", digits + 20, std::fabs(value));
    QByteArray text(buf);
    const qsizetype point = text.indexOf('.');
    const qsizetype cut = point + 1 + digits;  // first dropped digit
    const bool up = text[cut] >= '5';
    text.truncate(digits == 0 ? point : cut);
    if (up) {
        qsizetype i = text.size() - 1;
        for (; i >= 0; --i) {
            if (text[i] == '.') continue;
            if (text[i] == '9') {
                text[i] = '0';
            } else {
                text[i] = char(text[i] + 1);
                break;
            }
        }
        if (i < 0) text.prepend('1');
    }
    const bool zero = std::all_of(text.begin(), text.end(), [](char ch) { return ch == '0' || ch == '.'; });
    if (value < 0 && !zero) text.prepend('-');
    return QString::fromLatin1(text);
}

QString exponent(double value, int precision) {
    if (!std::isfinite(value)) return special(value);
    precision = std::clamp(precision, 1, 18);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*E", precision - 1, value);
    QString text = QString::fromLatin1(buf);
    const qsizetype e = text.indexOf(u'E');
    QString mantissa = text.left(e);
    const QChar sign = text[e + 1];
    QString exp = text.mid(e + 2);
    while (exp.size() < 3) exp.prepend(u'0');
    return mantissa + u'E' + sign + exp;
}

}  // namespace numtext

namespace {

QString withSeparator(QString text) {
    const QChar sep = formatSettings().decimalSeparator;
    if (sep != u'.') text.replace(u'.', sep);
    return text;
}

}  // namespace

QString FloatToStr(double value) { return withSeparator(numtext::general(value, 15)); }

QString FloatToStrFixed(double value, int digits) { return withSeparator(numtext::fixed(value, digits)); }

}  // namespace plat
