// Colour values, number helpers, the formatter, the owning collection, the timer and the alert
// sound service.
#include "platform/Collection.h"
#include "platform/Colors.h"
#include "platform/Format.h"
#include "platform/FormatSettings.h"
#include "platform/Numbers.h"
#include "platform/Timer.h"
#include "tests/support/EventWait.h"
#include "tests/support/LocaleScope.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocale>
#include <cmath>
#include <functional>
#include <limits>

using namespace plat;
using testing_support::LocaleScope;

namespace {

TEST(Colors, SystemColoursComeFromTheFixedTableAndPlainOnesPassUnchanged) {
    struct Case {
        TColor in, out;
    } cases[] = {
        {clBtnFace, RGB(240, 240, 240)}, {clWindow, RGB(255, 255, 255)},   {clHighlight, RGB(51, 153, 255)},
        {clInfoBk, RGB(255, 255, 225)},  {clWindowText, RGB(0, 0, 0)},     {clBtnShadow, RGB(160, 160, 160)},
        {clLime, 0x00FF00},              {clSkyBlue, 0xF0CAA6},            {0x00123456, 0x00123456},
        {clNone, clNone},                {0xFF000019, clBlack},  // past the table
    };
    for (const Case& c : cases) EXPECT_EQ(ColorToRGB(c.in), c.out) << std::hex << c.in;
    EXPECT_EQ(clNone, 0x1FFFFFFFu);
    EXPECT_FALSE(ToQColor(clNone).isValid());
    EXPECT_EQ(ToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(clInfoBk), QColor(255, 255, 225));
}

TEST(Numbers, MulDivAndRounding) {
    struct M {
        int a, b, c, r;
    } muls[] = {{5, 3, 2, 8},   {-5, 3, 2, -8}, {1, 1, 0, -1}, {5, -3, 2, -8}, {-5, -3, 2, 8}, {4, 3, 2, 6},
                {10, 96, 72, 13}, {7, 1, 3, 2},  {8, 1, 3, 3},  {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX},
                {INT32_MAX, 2, 1, -1}};
    for (const M& m : muls) EXPECT_EQ(MulDiv(m.a, m.b, m.c), m.r) << m.a << "*" << m.b << "/" << m.c;

    struct R {
        double in;
        int64_t out;
    } rounds[] = {{2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2}, {2.4999, 2}, {2.51, 3}, {-0.4, 0}};
    for (const R& r : rounds) EXPECT_EQ(Round(r.in), r.out) << r.in;
}

TEST(Numbers, FloatToStrIsTheShortestFormWithTheLocaleSeparator) {
    struct Case {
        double in;
        const char* dot;
    } cases[] = {{0.1 + 0.2, "0.3"}, {1.0, "1"},        {-2.5, "-2.5"},      {100.0, "100"},  {0.0001, "0.0001"}, {0.00012, "0.00012"},
                 {0.00001, "1E-5"},  {1e15, "1E15"},     {123456789012345.0, "123456789012345"},
                 {1.5e20, "1.5E20"}, {1.0 / 3, "0.333333333333333"}, {0.0, "0"}};
    for (const Case& c : cases) {
        {
            LocaleScope dot(u'.', u',');
            EXPECT_EQ(FloatToStr(c.in), QString::fromLatin1(c.dot)) << c.in;
        }
        LocaleScope comma(u',', u'.');
        EXPECT_EQ(FloatToStr(c.in), QString::fromLatin1(c.dot).replace(u'.', u',')) << c.in;
    }
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), "-INF");

    LocaleScope comma(u',', u'.');
    EXPECT_EQ(FloatToStrFixed(2.5, 0), "3");  // an exact half goes away from zero
    EXPECT_EQ(FloatToStrFixed(-0.125, 2), "-0,13");
    EXPECT_EQ(FloatToStrFixed(1.005, 2), "1,00");  // 1.005 is stored just below the half
    EXPECT_EQ(FloatToStrFixed(9.999, 2), "10,00");
    EXPECT_EQ(FloatToStrFixed(-0.001, 2), "0,00");
}

// Without an override the settings are the locale's as it is now: read once, read again when the
// locale changes, and an override still wins.
TEST(FormatSettingsOfTheLocale, FollowTheLocaleAndGiveWayToAnOverride) {
    const QLocale before;
    struct Case {
        QLocale::Language language;
        QLocale::Territory territory;
        QChar decimal, thousand;
    } cases[] = {{QLocale::German, QLocale::Germany, u',', u'.'},
                 {QLocale::English, QLocale::UnitedStates, u'.', u','},
                 {QLocale::German, QLocale::Germany, u',', u'.'}};
    for (const Case& c : cases) {
        QLocale::setDefault(QLocale(c.language, c.territory));
        SCOPED_TRACE(QLocale().name().toStdString());
        for (int twice = 0; twice < 2; ++twice) {
            EXPECT_EQ(formatSettings().decimalSeparator, c.decimal);
            EXPECT_EQ(formatSettings().thousandSeparator, c.thousand);
        }
        {
            LocaleScope forced(u'#', u'_');
            EXPECT_EQ(formatSettings().decimalSeparator, QChar(u'#'));
        }
        EXPECT_EQ(formatSettings().decimalSeparator, c.decimal);
    }
    QLocale::setDefault(before);
}

TEST(Format, SpecifiersFlagsWidthAndLocale) {
    LocaleScope comma(u',', u'.');
    struct Case {
        const char* name;
        QString got;
        const char* expected;
    } cases[] = {
        {"fixed with comma", Format(u"%.2f", {2.5}), "2,50"},
        {"percent sign", Format(u"%d%%", {7}), "7%"},
        {"default fixed", Format(u"%f", {1.0}), "1,00"},
        {"zero decimals", Format(u"%.0f%%", {42.5}), "43%"},
        {"width", Format(u"[%5d]", {42}), "[   42]"},
        {"left", Format(u"[%-5d]", {42}), "[42   ]"},
        {"star width", Format(u"[%*d]", {4, 7}), "[   7]"},
        {"min digits", Format(u"%.3d", {-7}), "-007"},
        {"unsigned", Format(u"%u", {-1}), "4294967295"},
        {"hex", Format(u"%x", {255}), "FF"},
        {"hex negative", Format(u"%x", {-1}), "FFFFFFFF"},
        {"hex 64", Format(u"%x", {int64_t(-1)}), "FFFFFFFFFFFFFFFF"},
        {"eight digits", Format(u"%s%.8d", {u"StartHTML:", 97}), "StartHTML:00000097"},
        {"exponent", Format(u"%.3e", {12345.678}), "1,23E+004"},
        {"general", Format(u"%g", {0.1 + 0.2}), "0,3"},
        {"number", Format(u"%n", {1234567.891}), "1.234.567,89"},
        {"number negative", Format(u"%.1n", {-1234.0}), "-1.234,0"},
        {"money", Format(u"%m", {1234.5}), "$1.234,50"},
        {"string precision", Format(u"%.2s|%s", {u"abc", u"x"}), "ab|x"},
        {"upper type", Format(u"%D", {3}), "3"},
        {"no specifier", Format(u"plain"), "plain"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, QString::fromUtf8(c.expected)) << c.name;
}

TEST(Format, MismatchMissingOrUnknownIsAFormatErrorNamingTheSpecifier) {
    struct Case {
        const char* name;
        std::function<QString()> call;
        const char* specifier;
    } cases[] = {
        {"text for a float", [] { return Format(u"%s", {1.0}); }, "%s"},
        {"float for an int", [] { return Format(u"%d", {1.5}); }, "%d"},
        {"int for a float", [] { return Format(u"%.2f", {2}); }, "%.2f"},
        {"missing", [] { return Format(u"%d"); }, "%d"},
        {"second missing", [] { return Format(u"%d %s", {1}); }, "%s"},
        {"unknown", [] { return Format(u"%q", {1}); }, "%q"},
        {"cut off", [] { return Format(u"100%", {1}); }, "%"},
        {"star without int", [] { return Format(u"%*d", {u"x", 1}); }, "%*"},
    };
    for (const Case& c : cases) {
        try {
            const QString s = c.call();
            ADD_FAILURE() << c.name << " gave " << s.toStdString();
        } catch (const EFormatError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromLatin1(c.specifier))) << c.name << ": " << e.what();
        }
    }
}

struct Entry : TCollectionItem {
    explicit Entry(QString n) : name(std::move(n)) {}
    ~Entry() override {
        if (log) log->push_back(name);
    }
    QString name;
    std::vector<QString>* log = nullptr;
};

TEST(Collection, OwnsItsItemsAndKeepsTheirIndices) {
    std::vector<QString> freed;
    {
        TCollection<Entry> list;
        list.Add(u"a"_qs);
        list.Add(u"c"_qs);
        Entry& b = list.Insert(1, u"b"_qs);
        ASSERT_EQ(list.Count(), 3);
        EXPECT_EQ(b.Index(), 1);
        EXPECT_EQ(b.Collection(), &list);
        EXPECT_EQ(list.Items(2).name, "c");
        EXPECT_EQ(list.Items(2).Index(), 2);
        for (int i = 0; i < list.Count(); ++i) list.Items(i).log = &freed;

        list.Delete(0);
        EXPECT_EQ(freed, std::vector<QString>{"a"});
        EXPECT_EQ(list.Items(0).name, "b");
        EXPECT_EQ(list.Items(0).Index(), 0);
        EXPECT_EQ(list.Items(1).Index(), 1);

        for (int bad : {-1, 2}) {
            try {
                list.Items(bad);
                ADD_FAILURE() << bad;
            } catch (const EListError& e) {
                EXPECT_EQ(e.message(), QStringLiteral("List index out of bounds (%1)").arg(bad));
            }
        }
        EXPECT_THROW(list.Insert(3, u"x"_qs), EListError);
        EXPECT_THROW(list.Delete(2), EListError);
        list.Insert(2, u"end"_qs).log = &freed;  // inserting at Count appends
        EXPECT_EQ(list.Items(2).name, "end");
        list.Clear();
        EXPECT_EQ(list.Count(), 0);
        EXPECT_EQ(freed, (std::vector<QString>{"a", "end", "c", "b"}));
        list.Add(u"left"_qs).log = &freed;
    }
    EXPECT_EQ(freed.back(), "left");  // the collection frees what it still holds
}

TEST(Timer, RunsOnlyWhenEnabledWithIntervalAndHandler) {
    TTimer::SetManual(true);
    testing_support::RecordingDialogs dialogs;
    TTimer t;
    EXPECT_EQ(t.Interval(), 1000);
    EXPECT_TRUE(t.Enabled());
    EXPECT_FALSE(t.Fire());  // no handler
    int ticks = 0;
    QObject* sender = nullptr;
    t.SetOnTimer([&](QObject* s) {
        ++ticks;
        sender = s;
    });
    EXPECT_TRUE(t.Fire());
    EXPECT_EQ(sender, &t);
    t.SetEnabled(false);
    EXPECT_FALSE(t.Fire());
    t.SetEnabled(true);
    t.SetInterval(0);
    EXPECT_FALSE(t.Fire());
    t.SetInterval(30);
    EXPECT_TRUE(t.Fire());
    EXPECT_EQ(ticks, 2);

    // A handler may switch its own timer off; one that throws reports and leaves the timer alive.
    t.SetOnTimer([&](QObject*) { t.SetEnabled(false); });
    t.Fire();
    EXPECT_FALSE(t.Running());
    t.SetEnabled(true);
    t.SetOnTimer([](QObject*) { throw Error(u"tick failed"_qs); });
    EXPECT_TRUE(t.Fire());
    EXPECT_EQ(dialogs.errors(), QStringList{"tick failed"});
    EXPECT_TRUE(t.Running());
    TTimer::SetManual(false);
}

TEST(Timer, ARealTimerTicks) {
    TTimer t;
    t.SetInterval(1);
    int ticks = 0;
    t.SetOnTimer([&](QObject*) {
        if (++ticks == 3) t.SetEnabled(false);
    });
    EXPECT_TRUE(testing_support::processEventsUntil([&] { return ticks == 3; }));
    EXPECT_EQ(ticks, 3);
}

// Only a change the rules name starts the count again: switching on, a new interval, a new handler.
TEST(Timer, StartsTheCountAgainOnlyOnTheChangesThatRestartIt) {
    TTimer::SetManual(true);
    TTimer t;
    const auto handler = [](QObject*) {};
    const struct {
        const char* change;
        std::function<void()> apply;
        int starts;  // after the change
    } steps[] = {
        {"a handler: the timer runs", [&] { t.SetOnTimer(handler); }, 1},
        {"switched on again while on", [&] { t.SetEnabled(true); }, 1},
        {"the same interval", [&] { t.SetInterval(1000); }, 1},
        {"a new interval", [&] { t.SetInterval(500); }, 2},
        {"a tick", [&] { t.Fire(); }, 2},
        {"switched off", [&] { t.SetEnabled(false); }, 2},
        {"a new interval while off", [&] { t.SetInterval(700); }, 2},
        {"switched on", [&] { t.SetEnabled(true); }, 3},
        {"interval 0 stops it", [&] { t.SetInterval(0); }, 3},
        {"an interval again", [&] { t.SetInterval(700); }, 4},
        {"a new handler", [&] { t.SetOnTimer(handler); }, 5},
    };
    for (const auto& s : steps) {
        s.apply();
        EXPECT_EQ(t.Starts(), s.starts) << s.change;
    }
    TTimer::SetManual(false);
}

TEST(Beep, GoesThroughTheReplaceableService) {
    testing_support::RecordingBeeps beeps;
    MessageBeep(MB_ICONEXCLAMATION);
    MessageBeep(MB_OK);
    EXPECT_EQ(beeps.beeps, (std::vector<unsigned>{MB_ICONEXCLAMATION, MB_OK}));
}

}  // namespace
