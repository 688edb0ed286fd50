// The editors' date and time routines: today from the platform clock, month steps, and the
// regional short-date and long-time texts both ways, failing by result.
#include "controls/DateTimeUtil.h"
#include "platform/Clock.h"
#include "tests/support/LocaleScope.h"

#include <gtest/gtest.h>

TEST(DateTimeUtil, TodayComesFromThePlatformClock) {
    plat::setLocalNowSource([] { return QDateTime(QDate(2031, 7, 4), QTime(23, 59, 59)); });
    EXPECT_EQ(Today(), EncodeDate(2031, 7, 4)) << "midnight of the day";
    plat::setLocalNowSource({});
}

TEST(DateTimeUtil, IncMonthKeepsTheTimeAndClampsTheDay) {
    struct Case {
        TDateTime from;
        int months;
        TDateTime to;
    };
    const TDateTime t = EncodeTime(6, 30, 0, 0);
    const Case cases[] = {
        {EncodeDate(2024, 1, 31) + t, 1, EncodeDate(2024, 2, 29) + t},
        {EncodeDate(2023, 1, 31), 1, EncodeDate(2023, 2, 28)},
        {EncodeDate(2024, 3, 15), -3, EncodeDate(2023, 12, 15)},
        {EncodeDate(2024, 3, 15), 25, EncodeDate(2026, 4, 15)},
        {EncodeDate(9999, 12, 1), 1, EncodeDate(9999, 12, 1)},  // beyond the last year: unchanged
        {EncodeDate(1, 1, 1), -1, EncodeDate(1, 1, 1)},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(IncMonth(c.from, c.months), c.to) << c.from << " " << c.months;
}

TEST(DateTimeUtil, RegionalTextsBothWays) {
    plat::FormatSettings s;
    s.dateSeparator = u'.';
    s.timeSeparator = u'.';
    s.shortDateFormat = QStringLiteral("d/M/yyyy");
    s.longTimeFormat = QStringLiteral("h:mm:ss AP");
    plat::setFormatSettingsOverride(s);
    const TDateTime v = EncodeDate(2024, 3, 9) + EncodeTime(15, 4, 5, 0);
    EXPECT_EQ(DateToText(v), u"9.3.2024");
    EXPECT_EQ(TimeToText(v), u"3.04.05 PM");

    struct Read {
        const char* text;
        bool ok;
        TDateTime value;
    };
    const Read times[] = {
        {"3.04.05 PM", true, EncodeTime(15, 4, 5, 0)},
        {"12.00 am", true, 0},
        {" 7.5 ", true, EncodeTime(7, 5, 0, 0)},
        {"24.00", false, 0},
        {"7.60", false, 0},
        {"13.00 PM", false, 0},
        {"7", false, 0},
        {"7.00.00.00", false, 0},
        {"a.b", false, 0},
        {"", false, 0},
    };
    for (const Read& r : times) {
        TDateTime got = -1;
        EXPECT_EQ(TextToTime(QString::fromUtf8(r.text), got), r.ok) << r.text;
        EXPECT_DOUBLE_EQ(got, r.ok ? r.value : -1) << r.text << ": a failure leaves the value";
    }
    const Read dates[] = {
        {"9.3.2024", true, EncodeDate(2024, 3, 9)},
        {"29.2.2023", false, 0},
        {"9.3", false, 0},
        {"x", false, 0},
    };
    for (const Read& r : dates) {
        TDateTime got = -1;
        EXPECT_EQ(TextToDate(QString::fromUtf8(r.text), got), r.ok) << r.text;
        EXPECT_DOUBLE_EQ(got, r.ok ? r.value : -1) << r.text;
    }
    s.dateSeparator = u' ';
    s.shortDateFormat = QStringLiteral("d MMM yyyy");
    plat::setFormatSettingsOverride(s);
    TDateTime got = -1;
    EXPECT_TRUE(TextToDate(DateToText(EncodeDate(2024, 11, 30)), got)) << "a form with a month name reads back";
    EXPECT_DOUBLE_EQ(got, EncodeDate(2024, 11, 30));
    plat::setFormatSettingsOverride(std::nullopt);
}

TEST(DateTimeUtil, QtDateTimesRoundTrip) {
    const TDateTime v = EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 59, 999);
    const QDateTime q = ToQDateTime(v);
    EXPECT_EQ(q.date(), QDate(1999, 12, 31));
    EXPECT_EQ(q.time(), QTime(23, 59, 59, 999));
    EXPECT_DOUBLE_EQ(FromQDateTime(q), v);
    int h = 0, m = 0, s = 0, ms = 0;
    DecodeTime(v, h, m, s, ms);
    EXPECT_EQ((std::array<int, 4>{h, m, s, ms}), (std::array<int, 4>{23, 59, 59, 999}));
}
