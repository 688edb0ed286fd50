#include "platform/DateTimeFormat.h"

namespace plat {

namespace {

QString quoted(QChar c) { return c == u'\'' ? QStringLiteral("''") : QStringLiteral("'") + c + u'\''; }

}  // namespace

QString PickerFormatToQt(QStringView f) {
    QString out;
    qsizetype i = 0;
    while (i < f.size()) {
        const QChar c = f[i];
        qsizetype n = 1;
        while (i + n < f.size() && f[i + n] == c) ++n;
        if (c == u'\'') {
            // quoted text up to the closing quote, copied with its quotes
            const qsizetype end = f.indexOf(u'\'', i + 1);
            const qsizetype stop = end < 0 ? f.size() : end + 1;
            out += f.mid(i, stop - i);
            if (end < 0) out += u'\'';
            i = stop;
            continue;
        }
        switch (c.unicode()) {
        case u'd': out += QString(std::min<qsizetype>(n, 4), u'd'); break;
        case u'M': out += QString(std::min<qsizetype>(n, 4), u'M'); break;
        case u'y': out += n <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy"); break;
        case u'h':
        case u'H':
        case u'm':
        case u's': out += QString(std::min<qsizetype>(n, 2), c); break;
        case u'n': out += QString(std::min<qsizetype>(n, 2), u'm'); break;
        case u't': out += QStringLiteral("AP"); break;
        default:
            if (c.isLetter())
                for (qsizetype k = 0; k < n; ++k) out += quoted(c);
            else
                out += f.mid(i, n).toString();
            break;
        }
        i += n;
    }
    return out;
}

QString RegionalFormatToQt(QStringView format, const FormatSettings& s) {
    QString out;
    bool inQuote = false;
    for (QChar c : format) {
        if (c == u'\'') inQuote = !inQuote;
        if (!inQuote && (c == u'/' || c == u':'))
            out += quoted(c == u'/' ? s.dateSeparator : s.timeSeparator);
        else
            out += c;
    }
    return out;
}

}  // namespace plat
