// The spin edit: limits and the reads of its text, the characters it takes, the field under the
// caret that a date or time step changes, the keys, and the repeat of a held button.
#include "controls/DateTimeUtil.h"
#include "controls/sgspin.h"
#include "platform/Clock.h"
#include "tests/support/EventWait.h"
#include "tests/support/LocaleScope.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QTest>

using namespace ctl;
using namespace plat;
using testing_support::LocaleScope;
using testing_support::RecordingBeeps;

namespace {

// The platform clock fixed for one test.
struct FixedToday {
    explicit FixedToday(QDate d) {
        setLocalNowSource([d] { return QDateTime(d, QTime(10, 0)); });
    }
    ~FixedToday() { setLocalNowSource({}); }
};

TDateTime date(int y, int m, int d) { return EncodeDate(y, m, d); }

}  // namespace

TEST(SgSpinEdit, LimitsAndReadsOfTheText) {
    for (const auto& loc : {testing_support::kDotDecimal, testing_support::kCommaDecimal}) {
        LocaleScope scope(loc);
        TSgSpinEdit e;
        e.SetValue(100);
        e.StepUp(false);
        EXPECT_EQ(e.Text(), u"100") << "stepping up from the maximum keeps it";

        e.SetText(QStringLiteral("250"));
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(&e, &out);
        EXPECT_EQ(e.Text(), u"100") << "leaving clamps a typed value";

        struct Read {
            const char* text;
            int value;
        };
        const Read reads[] = {{"12a", 7}, {"", 0}, {"  ", 0}, {" 42 ", 42}, {"-3", -3}};
        e.MinValue = 7;
        e.MaxValue = 50;
        for (const Read& r : reads) {
            e.SetText(QString::fromUtf8(r.text));
            EXPECT_EQ(e.Value(), r.value) << '"' << r.text << '"';
        }

        e.MinValue = e.MaxValue = 0;  // no limits
        e.SetValue(-5000);
        EXPECT_EQ(e.Text(), u"-5000");
        e.StepDown(false);
        EXPECT_EQ(e.Value(), -5001);
        e.SetValue(123456);
        e.StepUp(false);
        EXPECT_EQ(e.Value(), 123457);

        e.SetSpinType(sptFloat);
        e.SetPrecision(2);
        e.SetFloatValue(1);
        EXPECT_EQ(e.Text(), testing_support::inLocale("1D00", loc)) << loc.name;
        EXPECT_DOUBLE_EQ(e.FloatValue(), 1.0);
        e.StepUp(true);
        EXPECT_EQ(e.Text(), testing_support::inLocale("2D00", loc));
        e.StepDown(false);
        EXPECT_EQ(e.Text(), testing_support::inLocale("1D90", loc));
        e.SetFloatValue(250);
        EXPECT_EQ(e.Text(), testing_support::inLocale("100D00", loc));
        e.SetText(QStringLiteral("x"));
        EXPECT_DOUBLE_EQ(e.FloatValue(), 0.0) << "a text that is no number reads the minimum";
        e.SetPrecision(0);
        e.SetFloatValue(2.5);
        EXPECT_EQ(e.Text(), testing_support::inLocale("2D5", loc));
    }
}

TEST(SgSpinEdit, IsValidCharRules) {
    LocaleScope scope(u',', u'.', u'/', u':');
    struct Case {
        const char* name;
        QChar k;
        const char* text;
        int selStart, selLength;
        TSgSpinType type;
        int precision;
        bool editorEnabled;
        bool valid;
    };
    const Case cases[] = {
        {"digit", u'5', "12", 2, 0, sptNormal, 0, true, true},
        {"letter in a whole number", u'a', "12", 2, 0, sptNormal, 0, true, false},
        {"minus at the start", u'-', "12", 0, 0, sptNormal, 0, true, true},
        {"minus after the start", u'-', "12", 1, 0, sptNormal, 0, true, false},
        {"second minus", u'-', "-12", 0, 0, sptNormal, 0, true, false},
        {"minus over the selected minus", u'-', "-12", 0, 1, sptNormal, 0, true, true},
        {"decimal separator", u',', "1", 1, 0, sptFloat, 0, true, true},
        {"second decimal separator", u',', "1,5", 3, 0, sptFloat, 0, true, false},
        {"decimal separator over the selected one", u',', "1,5", 1, 1, sptFloat, 0, true, true},
        {"thousand separator in a decimal", u'.', "1", 1, 0, sptFloat, 0, true, false},
        {"third decimal with precision 2", u'7', "1,25", 4, 0, sptFloat, 2, true, false},
        {"second decimal with precision 2", u'7', "1,2", 3, 0, sptFloat, 2, true, true},
        {"digit before the separator at full precision", u'7', "1,25", 0, 0, sptFloat, 2, true, true},
        {"replacing a selected decimal", u'7', "1,25", 3, 1, sptFloat, 2, true, true},
        {"time separator in a time", u':', "12", 2, 0, sptTime, 0, true, true},
        {"second time separator", u':', "12:30", 5, 0, sptTime, 0, true, true},
        {"third time separator", u':', "12:30:00", 8, 0, sptTime, 0, true, false},
        {"time separator in a date", u':', "1", 1, 0, sptDate, 0, true, false},
        {"date separator in a date", u'/', "1", 1, 0, sptDate, 0, true, true},
        {"date separator in a time", u'/', "1", 1, 0, sptTime, 0, true, false},
        {"Enter", QChar(13), "1", 1, 0, sptFloat, 0, true, false},
        {"Escape in a decimal", QChar(27), "1", 1, 0, sptFloat, 0, true, true},
        {"Backspace with the editor on", QChar(8), "1", 1, 0, sptNormal, 0, true, true},
        {"Backspace with the editor off", QChar(8), "1", 1, 0, sptFloat, 0, false, false},
        {"digit with the editor off", u'5', "1", 1, 0, sptFloat, 0, false, false},
        {"control character with the editor off", QChar(3), "1", 1, 0, sptFloat, 0, false, true},
    };
    for (const Case& c : cases) {
        TSpinCharState s;
        s.Text = QString::fromUtf8(c.text);
        s.SelStart = c.selStart;
        s.SelLength = c.selLength;
        s.SpinType = c.type;
        s.Precision = c.precision;
        s.EditorEnabled = c.editorEnabled;
        EXPECT_EQ(SpinIsValidChar(c.k, s, formatSettings()), c.valid) << c.name;
    }

    // A time separator that doubles as the decimal separator is a number character.
    LocaleScope dotTime(u'.', u',', u'/', u'.');
    TSpinCharState s;
    s.Text = QStringLiteral("1");
    s.SelStart = 1;
    s.SpinType = sptFloat;
    EXPECT_TRUE(SpinIsValidChar(u'.', s, formatSettings()));
    s.SpinType = sptDate;
    EXPECT_FALSE(SpinIsValidChar(u'.', s, formatSettings()));
}

TEST(SgSpinEdit, RefusedKeysBeepAndLeaveTheText) {
    LocaleScope scope;
    RecordingBeeps beeps;
    QWidget top;
    auto* e = new TSgSpinEdit(&top);
    e->setGeometry(0, 0, 100, 24);
    top.show();
    e->setFocus();
    e->SetText(QStringLiteral("12"));
    e->SetSelStart(2);
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(beeps.beeps, std::vector<unsigned>{0});
    QTest::keyClick(e, Qt::Key_A);
    EXPECT_EQ(beeps.beeps.size(), 2u);
    QTest::keyClick(e, Qt::Key_3);
    EXPECT_EQ(e->Text(), u"123");
    EXPECT_EQ(beeps.beeps.size(), 2u);

    e->SetReadOnly(true);
    e->StepUp(false);
    EXPECT_EQ(e->Text(), u"123");
    EXPECT_EQ(beeps.beeps.size(), 3u);
}

TEST(SgSpinEdit, DateStepsTheFieldUnderTheCaret) {
    struct Case {
        const char* format;
        int caret;
        TDateTime from;
        int dir;
        TDateTime to;
        bool usDates;
    };
    const Case cases[] = {
        {"dd/MM/yyyy", 0, date(2024, 1, 31), 1, date(2024, 2, 1), false},
        {"dd/MM/yyyy", 2, date(2024, 1, 31), 1, date(2024, 2, 1), false},  // the caret before the separator
        {"dd/MM/yyyy", 3, date(2024, 1, 31), 1, date(2024, 2, 29), false},
        {"dd/MM/yyyy", 7, date(2024, 1, 31), 1, date(2025, 1, 31), false},
        {"dd/MM/yyyy", 7, date(2024, 2, 29), 1, date(2025, 2, 28), false},
        {"dd/MM/yyyy", 0, date(2024, 3, 1), -1, date(2024, 2, 29), false},
        {"dd/MM/yyyy", 4, date(2024, 1, 15), -1, date(2023, 12, 15), false},
        {"MM/dd/yyyy", 0, date(2024, 1, 31), 1, date(2024, 2, 29), true},
        {"MM/dd/yyyy", 3, date(2024, 1, 31), 1, date(2024, 2, 1), true},
        {"MM/dd/yyyy", 7, date(2024, 12, 31), -1, date(2023, 12, 31), true},
        {"dd/MM/yyyy", 0, date(9999, 12, 31), 1, date(9999, 12, 31), false},  // no day after the last
    };
    for (const Case& c : cases) {
        LocaleScope scope(u'.', u',', u'/', u':', QString::fromUtf8(c.format));
        TSgSpinEdit e;
        e.SetSpinType(sptDate);
        e.SetDateValue(c.from);
        e.SetSelStart(c.caret);
        c.dir > 0 ? e.StepUp(false) : e.StepDown(false);
        EXPECT_EQ(e.Text(), DateToText(c.to)) << c.format << " caret " << c.caret;
        EXPECT_EQ(e.UsDates(), c.usDates);
        EXPECT_EQ(e.CaretPos(), c.caret) << "the caret stays in its field";
    }

    LocaleScope scope;
    FixedToday today(QDate(2026, 3, 14));
    TSgSpinEdit e;
    e.SetSpinType(sptDate);
    for (const char* t : {"", "0"}) {
        e.SetText(QString::fromUtf8(t));
        EXPECT_EQ(e.DateValue(), date(2026, 3, 14)) << '"' << t << '"';
    }
    e.MinDateValue = date(2000, 1, 1);
    e.MaxDateValue = date(2030, 1, 1);
    e.SetText(QStringLiteral("31/02/2024"));
    EXPECT_EQ(e.DateValue(), date(2000, 1, 1)) << "a date that does not exist reads the minimum";
    e.SetDateValue(date(2040, 5, 5));
    EXPECT_EQ(e.Text(), u"01/01/2030");
}

TEST(SgSpinEdit, TimeStepsWrapWithinTheDay) {
    LocaleScope scope;
    struct Case {
        const char* from;
        int caret;
        bool up;
        int increment;
        const char* to;
    };
    const Case cases[] = {
        {"23:30:00", 0, true, 1, "00:30:00"},
        {"00:30:00", 1, false, 1, "23:30:00"},
        {"12:59:30", 3, true, 1, "13:00:30"},
        {"12:00:59", 6, true, 1, "12:01:00"},
        {"00:00:00", 7, false, 1, "23:59:59"},
        {"10:00:00", 0, true, 24, "10:00:00"},  // a whole day comes back to the same time
        {"10:00:00", 0, false, 27, "07:00:00"},
        {"10:00:00", 4, true, 90, "11:30:00"},
    };
    for (const Case& c : cases) {
        TSgSpinEdit e;
        e.IncrementHours = e.IncrementMinutes = e.IncrementSeconds = c.increment;
        e.SetText(QString::fromUtf8(c.from));
        e.SetSpinType(sptTime);
        e.SetSelStart(c.caret);
        c.up ? e.StepUp(false) : e.StepDown(false);
        EXPECT_EQ(e.Text(), QString::fromUtf8(c.to)) << c.from << " caret " << c.caret;
    }
    {
        // Entered with the whole text selected (AutoSelect): the first field steps, the caret at
        // its start and nothing selected afterwards.
        TSgSpinEdit t;
        t.SetText(QStringLiteral("23:30:00"));
        t.SetSpinType(sptTime);
        t.SelectAll();
        t.StepUp(false);
        t.StepUp(false);
        EXPECT_EQ(t.Text(), u"01:30:00");
        EXPECT_EQ(t.SelStart(), 0);
        EXPECT_EQ(t.SelLength(), 0);
        TSgSpinEdit d;
        d.SetSpinType(sptDate);
        d.SetDateValue(date(2024, 1, 31));
        d.SelectAll();
        d.StepUp(false);
        EXPECT_EQ(d.Text(), DateToText(date(2024, 2, 1))) << "the day, not the year";
    }
    TSgSpinEdit e;
    e.ShowSeconds = false;
    e.SetText(QStringLiteral("09:05:59"));
    e.SetSpinType(sptTime);
    EXPECT_EQ(e.Text(), u"9:05");
    e.SetSelStart(3);
    e.StepUp(false);
    EXPECT_EQ(e.Text(), u"9:06") << "without seconds the last field is the minutes";
    e.SetText(QStringLiteral("25:00"));
    EXPECT_EQ(e.TimeValue(), 0.0);
}

TEST(SgSpinEdit, KeysStepTabAndGuardTheText) {
    LocaleScope scope(u',', u'.');
    QWidget top;
    auto* e = new TSgSpinEdit(&top);
    auto* next = new QWidget(&top);
    next->setFocusPolicy(Qt::StrongFocus);
    e->setGeometry(0, 0, 100, 24);
    next->setGeometry(0, 40, 50, 20);
    top.show();
    top.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&top));
    e->setFocus();
    e->MaxValue = 1000;
    e->Increment = 5;
    int keyDowns = 0;
    e->OnKeyDown = [&](QObject*, uint16_t&, TShiftState) { ++keyDowns; };
    e->SetValue(10);
    QTest::keyClick(e, Qt::Key_Up);
    QTest::keyClick(e, Qt::Key_PageUp);
    EXPECT_EQ(e->Value(), 20);
    QTest::keyClick(e, Qt::Key_Down);
    EXPECT_EQ(e->Value(), 15);
    EXPECT_EQ(keyDowns, 0) << "the step keys are consumed";

    // the keypad's "." types the decimal separator when asked to
    e->SetSpinType(sptFloat);
    e->SetText(QStringLiteral("1"));
    e->SetSelStart(1);
    QTest::keyClick(e, Qt::Key_Period, Qt::KeypadModifier);
    EXPECT_EQ(e->Text(), u"1") << "a \".\" is the thousand separator here";
    e->ExcelStyleDecimalSeparator = true;
    QTest::keyClick(e, Qt::Key_Period, Qt::KeypadModifier);
    EXPECT_EQ(e->Text(), u"1,");

    // with the editor off: no Delete, no paste, no cut
    e->EditorEnabled = false;
    QApplication::clipboard()->setText(QStringLiteral("9"));
    e->SetSelStart(0);
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    e->PasteFromClipboard();
    e->SelectAll();
    e->CutToClipboard();
    EXPECT_EQ(e->Text(), u"1,");
    e->EditorEnabled = true;

    // Enter moves on like Tab, and is no refused character then
    RecordingBeeps beeps;
    e->ReturnIsTab = true;
    QTest::keyClick(e, Qt::Key_Return);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(next->hasFocus());
    EXPECT_TRUE(beeps.beeps.empty());
}

TEST(SgSpinEdit, AButtonHeldDownRepeatsItsClick) {
    TTimer::SetManual(true);
    QWidget top;
    auto* e = new TSgSpinEdit(&top);
    e->setGeometry(0, 0, 100, 24);
    e->MaxValue = 1000;
    top.show();
    TExTimerSpeedButton* up = e->Button()->UpButton();
    EXPECT_EQ(up->RepeatTimer(), nullptr);
    QTest::mousePress(up, Qt::LeftButton, {}, QPoint(3, 3));
    ASSERT_NE(up->RepeatTimer(), nullptr);
    EXPECT_TRUE(up->RepeatTimer()->Running());
    EXPECT_EQ(up->RepeatTimer()->Interval(), 400);
    EXPECT_EQ(e->Value(), 0);
    up->RepeatTimer()->Fire();
    EXPECT_EQ(e->Value(), 1);
    EXPECT_EQ(up->RepeatTimer()->Interval(), 100);
    up->RepeatTimer()->Fire();
    up->RepeatTimer()->Fire();
    EXPECT_EQ(e->Value(), 3);
    QTest::mouseRelease(up, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(e->Value(), 4) << "the release clicks as well";
    EXPECT_FALSE(up->RepeatTimer()->Running());

    // dragged off the button, a tick does not click
    TExTimerSpeedButton* down = e->Button()->DownButton();
    QTest::mousePress(down, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseMove(down, QPoint(-30, -30));
    down->RepeatTimer()->Fire();
    QTest::mouseRelease(down, Qt::LeftButton, {}, QPoint(-30, -30));
    EXPECT_EQ(e->Value(), 4);
    TTimer::SetManual(false);
}

TEST(SgSpinEdit, AClickThatFailsStopsTheRepeat) {
    TTimer::SetManual(true);
    testing_support::RecordingDialogs dialogs;
    TSgSpinButton pair;
    pair.show();
    int clicks = 0;
    pair.OnUpClick = [&](QObject* sender) {
        EXPECT_EQ(sender, &pair);
        ++clicks;
        throw plat::Error(QStringLiteral("no step"));
    };
    TExTimerSpeedButton* up = pair.UpButton();
    QTest::mousePress(up, Qt::LeftButton, {}, QPoint(3, 3));
    up->RepeatTimer()->Fire();
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(up->RepeatTimer()->Running());
    EXPECT_EQ(dialogs.shown.size(), 1u);
    up->RepeatTimer()->Fire();
    EXPECT_EQ(clicks, 1);
    TTimer::SetManual(false);
}

TEST(SgSpinButton, LayoutOfTheTwoButtons) {
    TSgSpinButton pair;
    EXPECT_EQ(pair.size(), QSize(15, 25));
    EXPECT_EQ(pair.UpButton()->geometry(), QRect(0, 0, 15, 12));
    EXPECT_EQ(pair.DownButton()->geometry(), QRect(0, 11, 15, 14)) << "one pixel row shared";
    pair.SetBounds(0, 0, 8, 30);
    EXPECT_EQ(pair.width(), 15) << "never narrower than 15";
    pair.SetDirection(spHorizontal);
    EXPECT_EQ(pair.width(), 20);
    EXPECT_EQ(pair.DownButton()->geometry(), QRect(0, 0, 10, 30));
    EXPECT_EQ(pair.UpButton()->geometry(), QRect(11, 0, 10, 30));
    EXPECT_EQ(pair.UpButton()->ButtonDirection(), bdRight);
    EXPECT_EQ(pair.DownButton()->ButtonDirection(), bdLeft);

    const QImage up = TSgSpinButton::BuiltInGlyph(true).Image();
    ASSERT_EQ(up.size(), QSize(9, 6));
    auto blackRun = [&](const QImage& img, int row) {
        int n = 0;
        for (int x = 0; x < img.width(); ++x) n += FromQRgb(img.pixel(x, row)) == clBlack;
        return n;
    };
    const int upRows[] = {0, 1, 3, 5, 7, 0};
    for (int row = 0; row < 6; ++row) EXPECT_EQ(blackRun(up, row), upRows[row]) << row;
    EXPECT_EQ(FromQRgb(up.pixel(4, 1)), clBlack) << "centred on the fifth column";
    EXPECT_EQ(FromQRgb(up.pixel(0, 0)), clOlive);
    const QImage down = TSgSpinButton::BuiltInGlyph(false).Image();
    EXPECT_EQ(blackRun(down, 1), 7);
    EXPECT_EQ(blackRun(down, 4), 1);
}

TEST(SgSpinButton, KeysAndFocusOfThePair) {
    QWidget top;
    auto* pair = new TSgSpinButton(&top);
    pair->SetTabStop(true);
    top.show();
    top.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&top));
    pair->setFocus();
    std::vector<char> clicks;
    pair->OnUpClick = [&](QObject*) { clicks.push_back('u'); };
    pair->OnDownClick = [&](QObject*) { clicks.push_back('d'); };
    QTest::keyClick(pair, Qt::Key_Space);
    QTest::keyClick(pair, Qt::Key_Down);
    EXPECT_EQ(pair->FocusedButton(), pair->DownButton());
    QTest::keyClick(pair, Qt::Key_Space);
    QTest::keyClick(pair, Qt::Key_Up);
    EXPECT_EQ(clicks, (std::vector<char>{'u', 'd', 'd', 'u'}));
    EXPECT_TRUE(pair->UpButton()->TimeBtnState().contains(tbFocusRect));
    EXPECT_FALSE(pair->DownButton()->TimeBtnState().contains(tbFocusRect));
}

TEST(SgSpinButton, PaintsInTheOwnersColours) {
    TSgSpinButton pair;
    pair.show();
    TExTimerSpeedButton* up = pair.UpButton();
    auto pixel = [&](QPoint p) {
        QImage img(up->size(), QImage::Format_RGB32);
        up->render(&img);
        return FromQRgb(img.pixel(p));
    };
    pair.ButtonColor = RGB(10, 20, 30);
    pair.ButtonColorHot = RGB(40, 50, 60);
    pair.ButtonColorDown = RGB(70, 80, 90);
    EXPECT_EQ(pixel({1, 1}), RGB(10, 20, 30));
    EXPECT_EQ(pixel({6, 3}), clBlack) << "the up triangle";
    QTest::mousePress(up, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(pixel({1, 1}), RGB(70, 80, 90));
    QTest::mouseRelease(up, Qt::LeftButton, {}, QPoint(2, 2));
}

TEST(SgSpinEdit, TheButtonsSitRightOfTheText) {
    TSgSpinEdit e;
    e.resize(100, 30);
    e.show();
    // single border: the client area is 96 x 26 two pixels in
    EXPECT_EQ(TRect::fromQRect(e.Button()->geometry()), (TRect{2 + 100 - 15 - 5, 2, 2 + 100 - 5, 2 + 30 - 5}));
    EXPECT_EQ(e.EditRect(), (TRect{2, 2, 2 + 96 - 15 - 2, 2 + 26 + 1}));
    e.SetBorderStyle(bsNone);
    EXPECT_EQ(TRect::fromQRect(e.Button()->geometry()), (TRect{100 - 15 - 1, 0, 100 - 1, 30 - 1}));
    EXPECT_EQ(e.EditRect(), (TRect{3, 3, 100 - 15 - 2 - 3, 30 + 1}));
    e.resize(100, 3);
    EXPECT_EQ(e.height(), e.GetMinHeight());
}
