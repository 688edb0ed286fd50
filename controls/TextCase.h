#pragma once
// ASCII-only case folding for the grid's text routines: only a-z change, whatever the locale.
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

}  // namespace textcase
