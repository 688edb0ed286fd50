// The platform's date and time picker: its format codes, typing a field digit by digit, moving
// between fields, the calendar pop-up and the check box for "no date".
#include "platform/DateTimeFormat.h"
#include "platform/DateTimePicker.h"
#include "tests/support/EventWait.h"
#include "tests/support/LocaleScope.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

using namespace plat;

namespace {

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

struct Shown {
    QWidget top;
    TDateTimePicker* p;
    Shown() : p(new TDateTimePicker(&top)) {
        p->setGeometry(10, 10, 160, 24);
        top.resize(300, 200);
        top.show();
        top.activateWindow();
        EXPECT_TRUE(testing_support::waitForWindowActive(&top));
        p->setFocus();
    }
};

}  // namespace

TEST(DateTimeFormat, PickerCodesBecomeQtCodes) {
    struct Case {
        const char* picker;
        const char* qt;
    };
    const Case cases[] = {
        {"dd/MM/yyyy", "dd/MM/yyyy"},
        {"hh:nn", "hh:mm"},
        {"h:mm:ss tt", "h:mm:ss AP"},
        {"d MMMM yy", "d MMMM yy"},
        {"yyy", "yyyy"},
        {"dd'th of' MMM", "dd'th of' MMM"},
        {"HH'h'nn", "HH'h'mm"},
        {"ggg dd", "'g''g''g' dd"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PickerFormatToQt(QString::fromUtf8(c.picker)), QString::fromUtf8(c.qt)) << c.picker;

    FormatSettings s;
    s.dateSeparator = u'.';
    s.timeSeparator = u'\'';
    EXPECT_EQ(RegionalFormatToQt(u"dd/MM/yyyy HH:mm", s), u"dd'.'MM'.'yyyy HH''mm");
    EXPECT_EQ(QDateTime(QDate(2024, 3, 9), QTime(7, 5)).toString(RegionalFormatToQt(u"dd/MM/yyyy HH:mm", s)),
              u"09.03.2024 07'05");
}

TEST(DateTimePicker, FieldsTakeTheirValueWhenTheirDigitsAreComplete) {
    testing_support::LocaleScope scope;
    Shown s;
    TDateTimePicker* p = s.p;
    p->SetFormat(QStringLiteral("dd/MM/yyyy"));
    p->SetDateTime(at(2024, 1, 20, 13, 45, 10));
    EXPECT_EQ(p->Time(), QTime(13, 45, 10)) << "a date format keeps the time";
    int changes = 0;
    p->OnChange = [&](QObject*) { ++changes; };
    p->SelectField(0);
    QLineEdit* edit = p->findChild<QLineEdit*>();
    QTest::keyClick(p, Qt::Key_1);
    EXPECT_EQ(p->Date(), QDate(2024, 1, 20)) << "one digit of two is not a value yet";
    EXPECT_EQ(edit->text(), u"1 /01/2024") << "but it shows";
    EXPECT_EQ(edit->selectedText(), u"1");
    QTest::keyClick(p, Qt::Key_5);
    EXPECT_EQ(p->Date(), QDate(2024, 1, 15));
    EXPECT_EQ(edit->text(), u"15/01/2024");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(p->FieldIndex(), 0) << "moving on is not the picker's own";
    QTest::keyClick(p, Qt::Key_4);
    EXPECT_EQ(p->Date(), QDate(2024, 1, 4)) << "no day has a second digit after 4";
    QTest::keyClick(p, Qt::Key_Right);
    EXPECT_EQ(p->FieldIndex(), 1);
    QTest::keyClick(p, Qt::Key_2);
    EXPECT_EQ(p->Date(), QDate(2024, 2, 4));
    QTest::keyClick(p, Qt::Key_Right);
    for (auto k : {Qt::Key_2, Qt::Key_0, Qt::Key_3})
        QTest::keyClick(p, k);
    EXPECT_EQ(p->Date(), QDate(2024, 2, 4));
    EXPECT_EQ(edit->text(), u"04/02/203 ");
    QTest::keyClick(p, Qt::Key_1);
    EXPECT_EQ(p->Date(), QDate(2031, 2, 4));
    QTest::keyClick(p, Qt::Key_Left);
    QTest::keyClick(p, Qt::Key_1);
    QTest::keyClick(p, Qt::Key_Left);
    EXPECT_EQ(p->Date(), QDate(2031, 1, 4)) << "leaving a field takes a valid half-typed value";
    QTest::keyClick(p, Qt::Key_0);
    QTest::keyClick(p, Qt::Key_Right);
    EXPECT_EQ(p->Date(), QDate(2031, 1, 4)) << "day 0 is no day";
    EXPECT_EQ(edit->text(), u"04/01/2031") << "and leaves no trace";
    QTest::keyClick(p, Qt::Key_Left);
    EXPECT_EQ(p->Time(), QTime(13, 45, 10));
    QTest::keyClick(p, Qt::Key_Up);
    EXPECT_EQ(p->Date(), QDate(2031, 1, 5)) << "Up steps the field";
    EXPECT_EQ(changes, 6);
    p->SetDateTime(at(2020, 5, 5));
    EXPECT_EQ(changes, 6) << "a value set by code is no change of the user's";
}

TEST(DateTimePicker, TheCalendarPopUpPicksADayAndEscClosesIt) {
    testing_support::LocaleScope scope;
    Shown s;
    TDateTimePicker* p = s.p;
    p->SetDateTime(at(2024, 2, 10, 8, 30));
    std::vector<char> events;
    p->OnDropDown = [&](QObject*) { events.push_back('d'); };
    p->OnCloseUp = [&](QObject*) { events.push_back('c'); };
    p->OnChange = [&](QObject*) { events.push_back('x'); };
    ASSERT_FALSE(p->ButtonRect().isEmpty());
    QTest::mouseClick(p, Qt::LeftButton, {}, p->ButtonRect().center());
    ASSERT_TRUE(p->DroppedDown());
    TCalendarPopup* cal = p->Calendar();
    EXPECT_EQ(cal->Date(), QDate(2024, 2, 10));
    EXPECT_EQ(cal->FirstShownDay(), QDate(2024, 1, 29)) << "weeks start on Monday";
    QTest::mouseClick(cal, Qt::LeftButton, {}, cal->DayRect(QDate(2024, 2, 21)).center());
    EXPECT_FALSE(p->DroppedDown());
    EXPECT_EQ(p->DateTime(), at(2024, 2, 21, 8, 30));
    EXPECT_EQ(events, (std::vector<char>{'d', 'x', 'c'}));

    events.clear();
    QTest::keyClick(p, Qt::Key_F4);
    ASSERT_TRUE(p->DroppedDown());
    QTest::keyClick(cal, Qt::Key_PageDown);
    QTest::keyClick(cal, Qt::Key_Right);
    QTest::keyClick(cal, Qt::Key_Escape);
    EXPECT_FALSE(p->DroppedDown());
    EXPECT_EQ(p->Date(), QDate(2024, 2, 21)) << "Esc picks nothing";
    QTest::keyClick(p, Qt::Key_Down, Qt::AltModifier);
    QTest::mouseClick(cal, Qt::LeftButton, {}, cal->NextMonthRect().center());
    QTest::keyClick(cal, Qt::Key_Down);
    QTest::keyClick(cal, Qt::Key_Return);
    EXPECT_EQ(p->Date(), QDate(2024, 3, 28));
    EXPECT_EQ(events, (std::vector<char>{'d', 'c', 'd', 'x', 'c'}));

    p->SetKind(dtkTime);
    EXPECT_TRUE(p->ButtonRect().isEmpty());
    QTest::keyClick(p, Qt::Key_F4);
    EXPECT_FALSE(p->DroppedDown());
}

TEST(DateTimePicker, TheCheckBoxClearedMeansNoDate) {
    testing_support::LocaleScope scope;
    Shown s;
    TDateTimePicker* p = s.p;
    p->SetShowCheckbox(true);
    EXPECT_TRUE(p->Checked());
    EXPECT_GE(p->findChild<QLineEdit*>()->x(), p->CheckboxRect().right()) << "the fields start right of the box";
    std::vector<bool> checks;
    p->OnChange = [&](QObject*) { checks.push_back(p->Checked()); };
    QTest::mouseClick(p, Qt::LeftButton, {}, p->CheckboxRect().center());
    EXPECT_FALSE(p->Checked());
    const QDate before = p->Date();
    p->SelectField(0);
    QTest::keyClick(p, Qt::Key_Up);
    QTest::keyClick(p, Qt::Key_4);
    EXPECT_EQ(p->Date(), before) << "without a date the fields take nothing";
    QTest::keyClick(p, Qt::Key_Space);
    EXPECT_TRUE(p->Checked());
    EXPECT_EQ(checks, (std::vector<bool>{false, true}));
    p->SetChecked(false);
    p->SetDate(QDate(2022, 2, 2));
    EXPECT_TRUE(p->Checked()) << "a date set by code checks the box";
}

TEST(DateTimePicker, TabLeavesThePickerFromAnyField) {
    testing_support::LocaleScope scope;
    Shown s;
    auto* next = new QLineEdit(&s.top);
    next->setGeometry(10, 60, 100, 24);
    next->show();
    s.p->SetFormat(QStringLiteral("dd/MM/yyyy"));
    s.p->SelectField(0);
    QTest::keyClick(s.p, Qt::Key_Tab);
    EXPECT_TRUE(next->hasFocus()) << "the fields are Left and Right, not Tab";
}
