#include "controls/DateTimeUtil.h"

#include "platform/Clock.h"
#include "platform/DateTimeFormat.h"

#include <cmath>

namespace {

const QDate& dateBase() {
    static const QDate base(1899, 12, 30);
    return base;
}

constexpr qint64 msPerDay = 86400000;

// Milliseconds since midnight of the fraction of a value, rounded to the nearest one.
qint64 msOfDay(TDateTime v) {
    if (!std::isfinite(v)) return 0;
    const double frac = std::fabs(v - std::trunc(v));
    return std::min<qint64>(std::llround(frac * msPerDay), msPerDay - 1);
}

}  // namespace

TDateTime Today() { return static_cast<TDateTime>(dateBase().daysTo(plat::localNow().date())); }

TDateTime DateOf(TDateTime Value) { return std::trunc(Value); }

TDateTime TimeOfDay(TDateTime Value) { return double(msOfDay(Value)) / msPerDay; }

void DecodeTime(TDateTime Value, int& Hour, int& Min, int& Sec, int& MSec) {
    const qint64 ms = msOfDay(Value);
    Hour = int(ms / 3600000);
    Min = int(ms / 60000 % 60);
    Sec = int(ms / 1000 % 60);
    MSec = int(ms % 1000);
}

TDateTime IncMonth(TDateTime Date, int Months) {
    int y = 0, m = 0, d = 0;
    if (!DecodeDate(Date, y, m, d)) return Date;
    const qint64 total = qint64(y) * 12 + (m - 1) + Months;
    const qint64 ny = total / 12;
    const int nm = int(total % 12) + 1;
    if (total < 0 || ny < 1 || ny > 9999) return Date;
    const int nd = std::min(d, QDate(int(ny), nm, 1).daysInMonth());
    const TDateTime day = EncodeDate(int(ny), nm, nd);
    return Date < 0 ? day - TimeOfDay(Date) : day + TimeOfDay(Date);
}

QDateTime ToQDateTime(TDateTime Value) {
    if (!std::isfinite(Value) || std::fabs(Value) > 4.0e6) return {};
    const QDate d = dateBase().addDays(static_cast<qint64>(std::trunc(Value)));
    return QDateTime(d, QTime::fromMSecsSinceStartOfDay(int(msOfDay(Value))));
}

TDateTime FromQDateTime(const QDateTime& Value) {
    if (!Value.isValid()) return 0;
    const double days = double(dateBase().daysTo(Value.date()));
    const double t = double(Value.time().msecsSinceStartOfDay()) / msPerDay;
    return days < 0 ? days - t : days + t;
}

QString FormatDateTimeText(const QString& Format, TDateTime Value, const plat::FormatSettings& Settings) {
    const QDateTime dt = ToQDateTime(Value);
    if (!dt.isValid()) return {};
    return dt.toString(plat::RegionalFormatToQt(Format, Settings));
}

QString DateToText(TDateTime Value) {
    const plat::FormatSettings s = plat::formatSettings();
    return FormatDateTimeText(s.shortDateFormat, Value, s);
}

QString TimeToText(TDateTime Value) {
    const plat::FormatSettings s = plat::formatSettings();
    return FormatDateTimeText(s.longTimeFormat, Value, s);
}

bool TextToDate(const QString& Text, TDateTime& Value) {
    // the exact regional form first, which also reads month names; then the numeric forms
    const plat::FormatSettings s = plat::formatSettings();
    const QDate exact = QDate::fromString(Text.trimmed(), plat::RegionalFormatToQt(s.shortDateFormat, s));
    if (exact.isValid() && exact.year() >= 1 && exact.year() <= 9999) {
        Value = FromQDateTime(QDateTime(exact, QTime(0, 0)));
        return true;
    }
    TDateTime v = 0;
    if (!ParseLocaleDateTime(Text.trimmed(), v)) return false;
    Value = DateOf(v);
    return true;
}

bool TextToTime(const QString& Text, TDateTime& Value) {
    const QChar sep = plat::formatSettings().timeSeparator;
    QString t = Text.trimmed();
    int pm = -1;  // -1 no marker, 0 AM, 1 PM
    const qsizetype blank = t.lastIndexOf(u' ');
    if (blank > 0) {
        const QString marker = t.mid(blank + 1);
        if (marker.compare(u"AM", Qt::CaseInsensitive) == 0) pm = 0;
        else if (marker.compare(u"PM", Qt::CaseInsensitive) == 0) pm = 1;
        else return false;
        t = t.left(blank).trimmed();
    }
    const QStringList parts = t.split(sep);
    if (parts.size() < 2 || parts.size() > 3) return false;
    int f[3] = {0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& p = parts[i];
        if (p.isEmpty() || p.size() > 2) return false;
        for (QChar c : p)
            if (c < u'0' || c > u'9') return false;
        f[i] = p.toInt();
    }
    if (pm >= 0) {
        if (f[0] < 1 || f[0] > 12) return false;
        f[0] = f[0] % 12 + (pm == 1 ? 12 : 0);
    }
    try {
        Value = EncodeTime(f[0], f[1], f[2], 0);
    } catch (const EConvertError&) {
        return false;
    }
    return true;
}
