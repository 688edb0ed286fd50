#include "dropdowns/TimeText.h"

namespace dropdowns {

QString TwoDigits(int N) {
    QString s = QString::number(N);
    if (s.size() == 1) s.prepend(u'0');
    return s;
}

QString FormatTimeText(int Hour, int Minute, int Second, bool ShowSeconds, QChar Separator) {
    QString s = TwoDigits(Hour) + Separator + TwoDigits(Minute);
    if (ShowSeconds) s += Separator + TwoDigits(Second);
    return s;
}

QString TimeEditMask(bool ShowSeconds, QChar Separator) {
    // Escaped: the separator stands for itself whatever character the locale uses.
    const QString sep = QStringLiteral("\\") + Separator;
    QString mask = QStringLiteral("!90") + sep + QStringLiteral("00");
    if (ShowSeconds) mask += sep + QStringLiteral("00");
    return mask + QStringLiteral(";1; ");
}

bool IsTimeText(const QString& Text, bool ShowSeconds, QChar Separator) {
    const qsizetype first = Text.indexOf(Separator);
    if (first < 0) return false;
    const QString after = Text.mid(first + 1).trimmed();
    const qsizetype second = after.indexOf(Separator);
    if ((second >= 0) != ShowSeconds) return false;
    if (!ShowSeconds) return true;
    return !after.mid(second + 1).trimmed().contains(Separator);
}

QString BlanksToZeros(QString Text) {
    Text.replace(u' ', u'0');
    return Text;
}

bool IsDigitPair(const QString& Part) {
    auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (!Part.isEmpty() && !digit(Part[0])) return false;
    if (Part.size() > 1 && !digit(Part[1])) return false;
    return true;
}

namespace {
// An empty part counts as 0; anything but decimal digits fails.
std::optional<int> fieldValue(const QString& Part) {
    if (!IsDigitPair(Part)) return std::nullopt;
    if (Part.isEmpty()) return 0;
    for (QChar c : Part)
        if (c < u'0' || c > u'9') return std::nullopt;
    bool ok = false;
    const int v = Part.toInt(&ok);
    if (!ok) return std::nullopt;
    return v;
}
}  // namespace

std::optional<TTimeFields> ParseTimeText(const QString& Text, bool ShowSeconds, QChar Separator) {
    if (Text.isEmpty() || Text.trimmed().size() != (ShowSeconds ? 8 : 5)) return std::nullopt;
    if (!IsTimeText(Text, ShowSeconds, Separator)) return std::nullopt;
    const QString t = BlanksToZeros(Text);
    const qsizetype first = t.indexOf(Separator);
    const QString rest = t.mid(first + 1);
    QString minutes = rest, seconds;
    if (ShowSeconds) {
        const qsizetype second = rest.indexOf(Separator);
        minutes = rest.left(second);
        seconds = rest.mid(second + 1);
    }
    const std::optional<int> h = fieldValue(t.left(first).trimmed());
    const std::optional<int> m = fieldValue(minutes.trimmed());
    const std::optional<int> s = fieldValue(seconds.trimmed());
    if (!h || !m || !s) return std::nullopt;
    if (*h > 23 || *m > 59 || *s > 59) return std::nullopt;
    return TTimeFields{*h, *m, *s};
}

}  // namespace dropdowns
