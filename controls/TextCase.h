#pragma once
// Case folding for the grid's text routines: ASCII-only where the locale must not matter, and one
// character at a time where case is ignored, so a text keeps its length (a "\u00DF" stays one
// character, never "SS").
#include <QChar>
#include <QString>
#include <QStringView>

namespace textcase {

inline QChar asciiUpper(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') ? QChar(char16_t(u - 32)) : c;
}

inline QString asciiUpper(QStringView s) {
    QString out(s.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < s.size(); ++i) out[i] = asciiUpper(s[i]);
    return out;
}

// Each character upper-cased on its own (simple case mapping); a mapping that would change the
// number of UTF-16 units keeps the character as it is.
inline QString charUpper(QStringView s) {
    QString out(s.size(), Qt::Uninitialized);
    qsizetype i = 0;
    while (i < s.size()) {
        const char16_t u = s[i].unicode();
        if (u < 0x80) {
            out[i] = QChar(char16_t((u >= u'a' && u <= u'z') ? u - 32 : u));
            ++i;
            continue;
        }
        const bool pair = QChar::isHighSurrogate(u) && i + 1 < s.size() && QChar::isLowSurrogate(s[i + 1].unicode());
        const char32_t cp = pair ? QChar::surrogateToUcs4(u, s[i + 1].unicode()) : char32_t(u);
        char32_t up = QChar::toUpper(cp);
        if (QChar::requiresSurrogates(up) != pair) up = cp;
        if (pair) {
            out[i] = QChar(QChar::highSurrogate(up));
            out[i + 1] = QChar(QChar::lowSurrogate(up));
            i += 2;
        } else {
            out[i] = QChar(char16_t(up));
            ++i;
        }
    }
    return out;
}

}  // namespace textcase
