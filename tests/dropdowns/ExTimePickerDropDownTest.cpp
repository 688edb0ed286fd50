// The time picker drop-down on a window: its text and field stepping under a ":" and a "."
// time separator, typed times, and the clock pop-up's cycle.
#include "dropdowns/ExTimePickerDropDown.h"
#include "tests/support/LocaleScope.h"

#include <QApplication>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace dropdowns;

namespace {

TDateTime hms(int h, int m, int s = 0) { return EncodeTime(h, m, s, 0); }
TDateTime fromQTime(QTime t) { return hms(t.hour(), t.minute(), t.second()); }

QString withSep(const char* pattern, QChar sep) {
    QString s = QString::fromLatin1(pattern);
    s.replace(u'#', sep);
    return s;
}

const QChar kSeparators[] = {u':', u'.'};

struct Fixture {
    testing_support::LocaleScope locale;
    QChar sep;
    QWidget window;
    TExTimePickerDropDown* edit;
    int timeChanges = 0;
    explicit Fixture(QChar Separator = u':') : locale(u'.', u',', u'/', Separator), sep(Separator) {
        edit = TExCustomDropDown::CreateDropDown<TExTimePickerDropDown>(&window);
        edit->move(10, 10);
        edit->OnTimeChange = [this](QObject* Sender) {
            EXPECT_EQ(Sender, edit);
            ++timeChanges;
        };
        edit->Animation = false;
        window.resize(300, 100);
        window.show();
        QApplication::setActiveWindow(&window);
        edit->setFocus();
    }
    ~Fixture() {
        edit->HideDropDown();
        delete edit;
    }
    QString shown() const { return edit->EditText(); }
    void key(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(edit, k, m); }
    void typeOverAll(const char* chars) {
        edit->SelectAll();
        QTest::keyClicks(edit, chars);
    }
};

TEST(ExTimePickerDropDown, NewControl) {
    for (QChar sep : kSeparators) {
        Fixture f(sep);
        EXPECT_EQ(f.shown(), withSep("00#00#00", sep));
        EXPECT_EQ(f.edit->Time(), 0);
        EXPECT_FALSE(f.edit->EditorEnabled());
        EXPECT_TRUE(f.edit->DropDownEnabled);
        EXPECT_TRUE(f.edit->ShowSeconds());
        EXPECT_FALSE(f.edit->DropDownHeader().Visible());
        EXPECT_FALSE(f.edit->DropDownFooter().Visible());
        ASSERT_NE(f.edit->Watch(), nullptr) << "the clock is made with the pop-up form";
        EXPECT_EQ(f.edit->Control(), f.edit->Panel());
        EXPECT_EQ(f.edit->DateTimePicker(), nullptr);
    }
}

TEST(ExTimePickerDropDown, UpAndDownStepTheFieldUnderTheCaret) {
    for (QChar sep : kSeparators) {
        Fixture f(sep);
        SCOPED_TRACE(QString(sep).toStdString());
        f.edit->SetTime(hms(0, 15, 30));
        EXPECT_EQ(f.timeChanges, 0) << "writing Time fires nothing";
        f.edit->SetSelStart(1);
        f.key(Qt::Key_Up);
        EXPECT_EQ(f.shown(), withSep("23#15#30", sep)) << "Up lowers, 0 wraps to 23";
        EXPECT_EQ(f.edit->Time(), hms(23, 15, 30));
        EXPECT_EQ(f.timeChanges, 1);
        EXPECT_EQ(f.edit->SelStart(), 1) << "the caret stays";
        f.key(Qt::Key_Down);
        EXPECT_EQ(f.shown(), withSep("00#15#30", sep));

        f.edit->SetTime(hms(10, 59, 0));
        f.edit->SetSelStart(4);
        f.key(Qt::Key_Down);
        EXPECT_EQ(f.shown(), withSep("10#00#00", sep)) << "minutes wrap without carry";
        EXPECT_EQ(f.edit->Time(), hms(10, 0, 0));

        // Alt or Ctrl held: no step.
        f.timeChanges = 0;
        f.key(Qt::Key_Down, Qt::ControlModifier);
        EXPECT_EQ(f.timeChanges, 0);

        // Which field each caret position steps.
        const TDateTime base = hms(12, 34, 56);
        const TDateTime expected[9] = {hms(13, 34, 56), hms(13, 34, 56), hms(13, 34, 56),
                                       hms(12, 35, 56), hms(12, 35, 56), hms(12, 35, 56),
                                       hms(12, 34, 57), hms(12, 34, 57), hms(12, 34, 57)};
        for (int caret = 0; caret <= 8; ++caret) {
            f.edit->SetTime(base);
            f.edit->SetSelStart(caret);
            f.key(Qt::Key_Down);
            EXPECT_EQ(f.edit->Time(), expected[caret]) << "caret " << caret;
        }
    }
}

TEST(ExTimePickerDropDown, TypedTimes) {
    for (QChar sep : kSeparators) {
        Fixture f(sep);
        SCOPED_TRACE(QString(sep).toStdString());
        f.edit->SetEditorEnabled(true);

        f.edit->SetTime(hms(8, 9, 10));
        f.edit->SetShowSeconds(false);
        EXPECT_EQ(f.shown(), withSep("08#09", sep)) << "switching rewrites the text";
        EXPECT_EQ(f.edit->Time(), hms(8, 9)) << "the text without seconds is the time";
        f.edit->SetTime(hms(8, 9, 10));
        EXPECT_EQ(f.shown(), withSep("08#09", sep));
        EXPECT_EQ(f.edit->Time(), hms(8, 9)) << "a Time with seconds keeps none";

        f.typeOverAll("0745");
        EXPECT_EQ(f.shown(), withSep("07#45", sep));
        EXPECT_EQ(f.edit->Time(), hms(7, 45));

        // A blank left in the minutes is a zero, and the text is written out.
        f.typeOverAll("1200");
        f.key(Qt::Key_Left);
        f.key(Qt::Key_Backspace);
        EXPECT_EQ(f.edit->Time(), hms(12, 0));
        EXPECT_EQ(f.shown(), withSep("12#00", sep));

        f.edit->SetShowSeconds(true);
        EXPECT_EQ(f.shown(), withSep("12#00#00", sep));
        f.typeOverAll("123456");
        EXPECT_EQ(f.edit->Time(), hms(12, 34, 56));

        // Out of a day's range: Time stays, the text is as typed, nothing is raised.
        f.typeOverAll("250000");
        EXPECT_EQ(f.shown(), withSep("25#00#00", sep));
        EXPECT_EQ(f.edit->Time(), hms(12, 34, 56));
        EXPECT_NO_THROW(f.edit->SetTextDirect(withSep("23#61#00", sep)));
        EXPECT_EQ(f.edit->Time(), hms(12, 34, 56));
    }
}

TEST(ExTimePickerDropDown, ThePartSetters) {
    Fixture f;
    f.edit->SetTime(EncodeTime(10, 20, 30, 0));
    f.edit->SetHourPart(10);
    f.edit->SetMinutePart(60);
    f.edit->SetSecondPart(-1);
    f.edit->SetHourPart(24);
    EXPECT_EQ(f.timeChanges, 0) << "the same value or one out of range changes nothing";
    f.edit->SetSecondPart(59);
    EXPECT_EQ(f.timeChanges, 1);
    EXPECT_EQ(f.shown(), QStringLiteral("10:20:59"));
}

TEST(ExTimePickerDropDown, EnterAndEscOnTheClosedEditKeepTime) {
    Fixture f;
    f.edit->ShowDropDown();
    f.edit->HideDropDown();
    f.edit->SetTime(hms(10, 20, 30));
    f.key(Qt::Key_Return);
    f.key(Qt::Key_Escape);
    EXPECT_EQ(f.edit->Time(), hms(10, 20, 30)) << "the clock's time of the last opening is not taken";
    EXPECT_EQ(f.shown(), QStringLiteral("10:20:30"));
}

TEST(ExTimePickerDropDown, PopUpCycle) {
    Fixture f;
    f.edit->SetTime(hms(9, 30));
    f.edit->ShowDropDown();
    TDropDownForm* form = f.edit->DropDownForm();
    ASSERT_TRUE(form && form->isVisible());
    TExWatch* clock = f.edit->Watch();
    EXPECT_EQ(clock->Time(), hms(9, 30)) << "the clock is loaded from Time";
    EXPECT_FALSE(form->CancelOnDeActivate);
    EXPECT_TRUE(clock->isVisible());
    EXPECT_EQ(clock->height(), 170);
    EXPECT_EQ(clock->size(), f.edit->Panel()->size()) << "the clock fills the panel";

    // A completed clock change writes Time and the text at once. The key goes where the focus is
    // in the active pop-up (the window itself without a focused child), as a window system sends it.
    QApplication::setActiveWindow(form);
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : form;
    EXPECT_EQ(focus->window(), form);
    QTest::keyClick(focus, Qt::Key_Right);
    EXPECT_EQ(clock->Time(), hms(9, 31));
    EXPECT_EQ(f.edit->Time(), hms(9, 31));
    EXPECT_EQ(f.shown(), QStringLiteral("09:31:00"));

    // Up and Down in the pop-up do not reach the edit; Page Up reaches the clock only.
    f.edit->SetSelStart(0);
    QTest::keyClick(form, Qt::Key_Up);
    QTest::keyClick(form, Qt::Key_Down);
    EXPECT_EQ(f.edit->Time(), hms(9, 31));
    QTest::keyClick(form, Qt::Key_PageUp);
    EXPECT_EQ(clock->Time(), hms(10, 31));
    EXPECT_EQ(f.edit->Time(), hms(10, 31));
    EXPECT_TRUE(form->isVisible());

    // Esc puts the clock back to Time and the edit keeps showing it.
    clock->SetTime(hms(17, 5));
    QTest::keyClick(form, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(clock->Time(), hms(10, 31));
    EXPECT_EQ(f.edit->Time(), hms(10, 31));
    EXPECT_EQ(f.shown(), QStringLiteral("10:31:00"));

    // Enter takes the clock's time.
    f.edit->ShowDropDown();
    clock->SetTime(hms(17, 5));
    QTest::keyClick(form, Qt::Key_Return);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(f.edit->Time(), hms(17, 5));
    EXPECT_EQ(f.shown(), QStringLiteral("17:05:00"));

    // Alt+Up closes it from the pop-up.
    f.edit->ShowDropDown();
    ASSERT_TRUE(form->isVisible());
    QTest::keyClick(form, Qt::Key_Up, Qt::AltModifier);
    EXPECT_FALSE(form->isVisible());
}

TEST(ExTimePickerDropDown, TimePickerBelowTheClock) {
    Fixture f;
    f.edit->ShowTimePicker = true;
    f.edit->SetTime(hms(14, 20, 5));
    f.edit->ShowDropDown();
    plat::TDateTimePicker* picker = f.edit->DateTimePicker();
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(picker->isVisible());
    EXPECT_EQ(picker->Time(), QTime(14, 20, 5));
    EXPECT_EQ(picker->Format(), QStringLiteral("HH:mm:ss"));
    EXPECT_GE(picker->y(), f.edit->Watch()->y() + f.edit->Watch()->height()) << "below the clock";

    // A picker change moves the clock; a clock change moves the picker and tells of it.
    picker->setTime(QTime(6, 7, 8));
    EXPECT_EQ(f.edit->Watch()->Time(), hms(6, 7, 8));
    QTest::keyClick(f.edit->DropDownForm(), Qt::Key_Right);
    EXPECT_EQ(picker->Time(), QTime(6, 8, 8));
    EXPECT_EQ(f.timeChanges, 1);
    EXPECT_EQ(f.edit->Time(), hms(6, 8, 8));

    // Up in the picker steps the picker, not the edit's field.
    f.edit->SetSelStart(0);
    QTest::keyClick(picker, Qt::Key_Up);
    EXPECT_EQ(f.edit->Time(), hms(6, 8, 8));
    EXPECT_NE(picker->Time(), QTime(6, 8, 8));
    EXPECT_EQ(f.edit->Watch()->Time(), fromQTime(picker->Time()));
    f.edit->HideDropDown();

    f.edit->ShowTimePicker = false;
    f.edit->ShowDropDown();
    EXPECT_FALSE(picker->isVisible());
}

TEST(ExTimePickerDropDown, ComponentStyleColoursTheWatchAppearance) {
    Fixture f;
    f.edit->WatchAppearance().SetCenterPointOuterBorderColor(0x123456);
    f.edit->SetComponentStyle(tsOffice2007Obsidian);
    EXPECT_EQ(f.edit->GetComponentStyle(), tsOffice2007Obsidian);
    EXPECT_EQ(f.edit->WatchAppearance().CenterPointOuterBorderColor(), 0);
    EXPECT_EQ(f.edit->WatchAppearance().BackgroundColor(), 0x5C534C);
    EXPECT_EQ(f.edit->WatchAppearance().HourFont().Color(), 0xF2F1F0);
    f.edit->ShowDropDown();
    EXPECT_EQ(f.edit->Watch()->Appearance().BackgroundColor(), 0x5C534C) << "copied into the clock on opening";
    f.edit->HideDropDown();

    // The drop-down's own look comes first: its pop-up colour is the panel's at the next opening.
    f.edit->SetComponentStyle(tsWhidbey);
    EXPECT_EQ(f.edit->DropDownColor(), 0xF5F9FA);
    EXPECT_EQ(f.edit->WatchAppearance().BackgroundColor(), 0xF5F9FA);
    EXPECT_EQ(f.edit->WatchAppearance().HourFont().Color(), 0) << "the light numerals of the dark look are gone";
    f.edit->ShowDropDown();
    EXPECT_EQ(f.edit->Panel()->palette().color(QPalette::Window), plat::ToQColor(0xF5F9FA));
    EXPECT_FALSE(f.edit->DropDownHeader().Visible());
}

TEST(ExTimePickerDropDown, CreatedInTheStartingLook) {
    std::unique_ptr<TExTimePickerDropDown> d(TExCustomDropDown::CreateDropDown<TExTimePickerDropDown>());
    EXPECT_EQ(d->GetComponentStyle(), tsOffice2007Luna);
    EXPECT_EQ(d->WatchAppearance().BackgroundColor(), 0xFFEFE3);
    EXPECT_EQ(d->WatchAppearance().HourPointer(), 0x723708);
}

}  // namespace

// A window of time pickers to try by hand, for TIMEPICKER_LOOK_SECONDS.
TEST(ExTimePickerDropDown, Look) {
    const int seconds = qEnvironmentVariableIntValue("TIMEPICKER_LOOK_SECONDS");
    if (seconds <= 0) GTEST_SKIP() << "set TIMEPICKER_LOOK_SECONDS to try the time pickers by hand";
    QWidget window;
    window.setWindowTitle(QStringLiteral("Time pickers"));
    window.resize(420, 120);
    auto* a = TExCustomDropDown::CreateDropDown<TExTimePickerDropDown>(&window);
    a->move(20, 20);
    a->SetTime(hms(9, 41, 15));
    auto* b = TExCustomDropDown::CreateDropDown<TExTimePickerDropDown>(&window);
    b->move(20, 60);
    b->SetEditorEnabled(true);
    b->SetShowSeconds(false);
    b->ShowTimePicker = true;
    b->SetTime(hms(18, 5));
    window.show();
    QTimer::singleShot(seconds * 1000, &window, &QWidget::close);
    while (window.isVisible()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
