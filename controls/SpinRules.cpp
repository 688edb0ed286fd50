#include "controls/SpinRules.h"

#include "controls/DateTimeUtil.h"

#include <cmath>

namespace ctl {

bool SpinIsValidChar(QChar k, const TSpinCharState& s, const plat::FormatSettings& fs) {
    const char16_t c = k.unicode();
    if (c == 8) return s.EditorEnabled;
    const bool digit = CharIsNumber(k);
    bool valid = k == fs.decimalSeparator || k == fs.thousandSeparator || k == fs.timeSeparator ||
                 k == fs.dateSeparator || digit || k == u'-' || (c < 32 && c != 13);

    // A separator of another kind of value counts only where it doubles as a number character.
    auto foreignSeparator = [&](QChar sep) {
        const bool numberChar =
            sep == fs.decimalSeparator || sep == fs.thousandSeparator || sep == u'-' || sep == u'+';
        if (!(numberChar && (s.SpinType == sptNormal || s.SpinType == sptFloat))) valid = false;
    };
    if (k == fs.timeSeparator && s.SpinType != sptTime) foreignSeparator(fs.timeSeparator);
    if (k == fs.dateSeparator && s.SpinType != sptDate) foreignSeparator(fs.dateSeparator);

    const int selEnd = s.SelStart + s.SelLength;
    auto outsideSelection = [&](QChar ch) {
        for (qsizetype i = 0; i < s.Text.size(); ++i)
            if (s.Text[i] == ch && (i < s.SelStart || i >= selEnd)) return true;
        return false;
    };
    if (k == u'-' && (s.SelStart != 0 || outsideSelection(u'-'))) valid = false;

    if (s.SpinType == sptNormal && !(digit || k == u'-')) valid = false;

    if (s.SpinType == sptFloat && c != 27 && c != 13) {
        if (k == fs.thousandSeparator) valid = false;
        if (k == fs.decimalSeparator && outsideSelection(fs.decimalSeparator)) valid = false;
        const int p = int(s.Text.indexOf(fs.decimalSeparator)) + 1;  // 1-based, 0: none
        if (s.Precision > 0 && p > 0 && s.SelStart >= p && s.SelLength == 0 && valid &&
            s.Text.size() >= p + s.Precision)
            valid = false;
    }

    if (s.SpinType == sptTime && k == fs.timeSeparator && s.Text.count(fs.timeSeparator) >= 2) valid = false;

    if (!s.EditorEnabled && valid && !(c < 32 && c != 8)) valid = false;
    return valid;
}

namespace {

// 1-based positions of the first separator and of the next one after it; 0 for none.
void separatorPositions(const QString& text, QChar sep, int& first, int& second) {
    first = int(text.indexOf(sep)) + 1;
    second = first > 0 ? int(text.indexOf(sep, first)) + 1 : 0;
}

}  // namespace

TSpinField SpinDateField(const QString& text, int caret, const plat::FormatSettings& fs, bool* usDates) {
    const QString f = fs.shortDateFormat.toUpper();
    const qsizetype m = f.indexOf(u'M'), d = f.indexOf(u'D');
    const bool us = m >= 0 && (d < 0 || m < d);
    if (usDates) *usDates = us;
    int c1 = 0, c2 = 0;
    separatorPositions(text, fs.dateSeparator, c1, c2);
    if (caret < c1) return us ? sfMonth : sfDay;
    if (caret < c2) return us ? sfDay : sfMonth;
    return sfYear;
}

TSpinField SpinTimeField(const QString& text, int caret, bool showSeconds, const plat::FormatSettings& fs) {
    int t1 = 0, t2 = 0;
    separatorPositions(text, fs.timeSeparator, t1, t2);
    if (caret < t1) return sfHours;
    if (showSeconds && caret >= t2) return sfSeconds;
    return sfMinutes;
}

TDateTime StepDateField(TDateTime date, TSpinField field, int dir) {
    switch (field) {
    case sfDay: {
        int y = 0, m = 0, d = 0;
        const TDateTime next = date + dir;
        return DecodeDate(next, y, m, d) ? next : date;
    }
    case sfMonth: return IncMonth(date, dir);
    case sfYear: {
        int y = 0, m = 0, d = 0;
        if (!DecodeDate(date, y, m, d)) return date;
        y += dir;
        if (y < 1 || y > 9999) return date;
        d = std::min(d, QDate(y, m, 1).daysInMonth());
        const TDateTime day = EncodeDate(y, m, d);
        return date < 0 ? day - TimeOfDay(date) : day + TimeOfDay(date);
    }
    default: return date;
    }
}

TDateTime StepTimeField(TDateTime time, TSpinField field, int increment, int dir) {
    constexpr int64_t day = 86400;
    int64_t unit = 1;
    if (field == sfHours) unit = 3600;
    else if (field == sfMinutes) unit = 60;
    int h = 0, m = 0, sec = 0, ms = 0;
    DecodeTime(time, h, m, sec, ms);
    const int64_t now = int64_t(h) * 3600 + m * 60 + sec;
    const int64_t step = (int64_t(increment) * unit) % day;
    const int64_t next = ((now + dir * step) % day + day) % day;
    return (double(next) * 1000 + ms) / 86400000.0;
}

}  // namespace ctl
