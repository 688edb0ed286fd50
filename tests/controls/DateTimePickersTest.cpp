// The date and time pickers of the editors: the date-and-time picker's value properties, its
// embedded time picker (created, freed, placed, enabled by the check box), AutoTab through the
// "DTPShiftFocus" message, the label, and what the looks paint.
#include "controls/ExDateTimePicker.h"
#include "controls/SgDateTimePicker.h"
#include "controls/sgspin.h"
#include "platform/Themes.h"
#include "platform/Timer.h"
#include "platform/WindowMessages.h"
#include "tests/support/EventWait.h"
#include "tests/support/LocaleScope.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

using namespace ctl;
using namespace plat;

namespace {

TDateTime dt(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, ms);
}

QImage shot(QWidget& w, QWidget::RenderFlags flags = QWidget::DrawWindowBackground | QWidget::DrawChildren) {
    QImage img(w.size(), QImage::Format_RGB32);
    img.fill(Qt::white);
    w.render(&img, QPoint(), QRegion(), flags);
    return img;
}

void deliverPosted() {
    for (int i = 0; i < 3; ++i) QCoreApplication::sendPostedEvents();
}

}  // namespace

TEST(ExDateTimePicker, ValuesKeepTheTimeOfDayAndDropMilliseconds) {
    testing_support::LocaleScope scope;
    TExDateTimePicker p;
    EXPECT_EQ(p.Kind(), dkDateTime);
    EXPECT_EQ(p.Version(), u"1.2.0.0");
    p.SetVersion(QStringLiteral("9.9"));
    EXPECT_EQ(p.Version(), u"1.2.0.0");
    EXPECT_EQ(TSgDateTimePicker().Version(), u"1.0.0.0");

    p.SetDateTime(dt(2024, 3, 9, 14, 25, 36, 789));
    EXPECT_DOUBLE_EQ(p.DateTime(), dt(2024, 3, 9, 14, 25, 36));
    EXPECT_DOUBLE_EQ(p.Date(), EncodeDate(2024, 3, 9));
    EXPECT_DOUBLE_EQ(p.Time(), EncodeTime(14, 25, 36, 0));
    p.SetDate(dt(2025, 12, 31, 1, 2, 3));
    EXPECT_DOUBLE_EQ(p.DateTime(), dt(2025, 12, 31, 14, 25, 36)) << "a new day keeps the time of day";
    p.SetTime(EncodeTime(7, 8, 9, 0));
    EXPECT_DOUBLE_EQ(p.DateTime(), dt(2025, 12, 31, 7, 8, 9));
    ASSERT_NE(p.TimePicker(), nullptr);
    EXPECT_EQ(p.TimePicker()->TDateTimePicker::Time(), QTime(7, 8, 9));
}

TEST(ExDateTimePicker, KindCreatesAndFreesTheTimePicker) {
    QWidget top;
    auto* p = new TExDateTimePicker(&top);
    p->setGeometry(10, 10, 220, 24);
    top.show();
    QPointer<TCustomDateTimePicker> first = p->TimePicker();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->TDateTimePicker::Kind(), dtkTime);
    p->SetKind(dkDate);
    EXPECT_TRUE(first.isNull()) << "freed";
    EXPECT_EQ(p->TimePicker(), nullptr);
    EXPECT_EQ(p->TDateTimePicker::Kind(), dtkDate);
    p->SetKind(dkDateTime);
    ASSERT_NE(p->TimePicker(), nullptr);
    EXPECT_TRUE(p->TimePicker()->isVisible());
    p->SetKind(dkTime);
    EXPECT_EQ(p->TimePicker(), nullptr);
    EXPECT_EQ(p->TDateTimePicker::Kind(), dtkTime);
}

TEST(ExDateTimePicker, TheTimePickerSitsWhereItsRowSays) {
    struct Case {
        const char* name;
        TTimePickerPlacement layer;
        QRect place;  // for a picker of 200 x 24 and a time picker 60 wide
    };
    const Case cases[] = {
        {"themed, metro", {true, true, true, true, true, 0}, {200 - 60 - 21, 1, 60, 22}},
        {"themed", {true, true, true, true, false, 0}, {200 - 60 - 34, 1, 60, 22}},
        {"themed with a bevel", {true, true, true, true, false, 4}, {200 - 60 - 38, 1, 60, 18}},
        {"theme not active", {true, true, true, false, false, 0}, {200 - 60 - 21, 2, 60, 20}},
        {"no common controls 6", {true, false, true, true, false, 0}, {200 - 60 - 23, -2, 60, 24}},
        {"no theme function", {true, true, false, true, false, 0}, {200 - 60 - 23, -2, 60, 24}},
        {"before Vista", {false, true, true, true, true, 4}, {200 - 60 - 21, -2, 60, 24}},
    };
    for (const Case& c : cases) EXPECT_EQ(PlaceTimePicker(200, 24, 60, c.layer), c.place) << c.name;

    testing_support::LocaleScope scope;
    QWidget top;
    auto* p = new TExDateTimePicker(&top);
    p->setGeometry(10, 10, 200, 24);
    top.show();
    TCustomDateTimePicker* tp = p->TimePicker();
    const int w = QFontMetrics(p->font()).horizontalAdvance(tp->text()) + 31;
    ASSERT_TRUE(IsThemeActive());
    EXPECT_EQ(tp->geometry(), QRect(200 - w - 34, 1, w, 22));
    p->SetMetroStyle(true);
    p->resize(260, 24);
    EXPECT_EQ(tp->geometry(), QRect(260 - w - 21, 1, w, 22));
    SetThemeActive(false);
    p->resize(250, 30);
    EXPECT_EQ(tp->geometry(), QRect(250 - w - 21, 2, w, 26));
    SetThemeActive(true);
}

TEST(ExDateTimePicker, AutoTabMovesOnAfterAFieldIsTyped) {
    testing_support::LocaleScope scope;
    QWidget top;
    auto* p = new TExDateTimePicker(&top);
    p->setGeometry(10, 10, 240, 24);
    top.show();
    top.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&top));
    p->SetFormat(QStringLiteral("dd/MM/yyyy"));
    p->SetAutoTab(true);
    p->SetDateTime(dt(2024, 1, 20, 10, 0, 0));
    p->setFocus();
    p->SelectField(0);

    auto type = [&](std::initializer_list<Qt::Key> keys) {
        for (Qt::Key k : keys) {
            QTest::keyClick(p, k);
            deliverPosted();
        }
    };
    type({Qt::Key_2, Qt::Key_0});
    EXPECT_EQ(p->FieldIndex(), 0) << "20 again: the value did not change";
    type({Qt::Key_1});
    EXPECT_EQ(p->FieldIndex(), 0) << "half a day";
    TTimer::SetManual(true);
    type({Qt::Key_5});
    EXPECT_EQ(p->FieldIndex(), 1);
    EXPECT_EQ(p->Fpt(), QPoint(28, 5)) << "the day changed last";
    EXPECT_TRUE(p->FocusTimer().Running());
    EXPECT_EQ(p->FocusTimer().Interval(), 20);
    p->FocusTimer().Fire();
    EXPECT_FALSE(p->FocusTimer().Running()) << "its first tick disarms it";
    TTimer::SetManual(false);
    type({Qt::Key_0, Qt::Key_3});
    EXPECT_EQ(p->FieldIndex(), 2);
    type({Qt::Key_2, Qt::Key_0, Qt::Key_2});
    EXPECT_TRUE(p->hasFocus());
    type({Qt::Key_6});
    EXPECT_DOUBLE_EQ(p->Date(), EncodeDate(2026, 3, 15));
    ASSERT_NE(p->TimePicker(), nullptr);
    EXPECT_TRUE(p->TimePicker()->hasFocus()) << "the completed year moves into the time";
    EXPECT_TRUE(p->TimePicker()->AutoTab());

    // the time picker moves on by itself as well
    TCustomDateTimePicker* tp = p->TimePicker();
    tp->SelectField(0);
    QTest::keyClick(tp, Qt::Key_1);
    deliverPosted();
    QTest::keyClick(tp, Qt::Key_7);
    deliverPosted();
    EXPECT_EQ(tp->FieldIndex(), 1);
    EXPECT_DOUBLE_EQ(p->DateTime(), dt(2026, 3, 15, 17, 0, 0));

    // the message is the one registered by name: asking again gives the same type
    EXPECT_EQ(RegisterWindowMessage(QStringLiteral("DTPShiftFocus")), DTPShiftFocusMessage());
    EXPECT_NE(RegisterWindowMessage(QStringLiteral("DTPShiftFocus2")), DTPShiftFocusMessage());
}

TEST(ExDateTimePicker, WithoutAFormatTheYearLeadsIntoTheTime) {
    testing_support::LocaleScope scope(u'.', u',', u'/', u':', QStringLiteral("yyyy/MM/dd"));
    QWidget top;
    auto* p = new TExDateTimePicker(&top);
    p->setGeometry(10, 10, 240, 24);
    top.show();
    top.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&top));
    p->SetAutoTab(true);
    p->SetDateTime(dt(2024, 1, 20, 10, 0, 0));
    p->setFocus();
    p->SelectField(0);
    for (Qt::Key k : {Qt::Key_2, Qt::Key_0, Qt::Key_3, Qt::Key_0}) {
        QTest::keyClick(p, k);
        deliverPosted();
    }
    EXPECT_TRUE(p->TimePicker()->hasFocus()) << "the regional format's year is taken as its last field";
}

TEST(ExDateTimePicker, TheCheckBoxClearedDisablesTheTimePart) {
    testing_support::LocaleScope scope;
    QWidget top;
    auto* p = new TExDateTimePicker(&top);
    p->setGeometry(10, 10, 240, 24);
    top.show();
    p->SetShowCheckbox(true);
    TCustomDateTimePicker* tp = p->TimePicker();
    ASSERT_NE(tp, nullptr);
    EXPECT_TRUE(tp->isEnabled());
    std::vector<char> events;
    p->OnChange = [&](QObject* s) {
        EXPECT_EQ(s, p);
        events.push_back('c');
    };
    QTest::mouseClick(p, Qt::LeftButton, {}, p->CheckboxRect().center());
    EXPECT_FALSE(p->Checked());
    EXPECT_FALSE(tp->isEnabled());
    QTest::mouseClick(p, Qt::LeftButton, {}, p->CheckboxRect().center());
    EXPECT_TRUE(tp->isEnabled());
    p->SetChecked(false);
    EXPECT_FALSE(tp->isEnabled()) << "no date set by code";
    p->SetDateTime(dt(2024, 5, 6, 7, 8, 9));
    EXPECT_TRUE(tp->isEnabled());
    p->SetEnabled(false);
    EXPECT_FALSE(tp->isEnabled());
    EXPECT_EQ(events, (std::vector<char>{'c', 'c'}));

    // the drop-down events still come with the check box on
    p->SetEnabled(true);
    int drops = 0, closes = 0;
    p->OnDropDown = [&](QObject*) { ++drops; };
    p->OnCloseUp = [&](QObject*) { ++closes; };
    p->DropDown();
    p->CloseUp();
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(closes, 1);
}

TEST(ExDateTimePicker, ATimeTypedInTheTimePartStays) {
    testing_support::LocaleScope scope;
    QWidget top;
    auto* p = new TExDateTimePicker(&top);
    p->setGeometry(10, 10, 240, 24);
    top.show();
    p->SetDateTime(dt(2024, 1, 20, 10, 0, 0));
    int timeChanges = 0, changes = 0;
    p->OnTimeChange = [&](QObject* s) {
        EXPECT_EQ(s, p);
        ++timeChanges;
    };
    p->OnChange = [&](QObject*) { ++changes; };
    std::vector<uint16_t> keys;
    p->OnKeyDown = [&](QObject* s, uint16_t& key, TShiftState) {
        EXPECT_EQ(s, p);
        keys.push_back(key);
    };
    TCustomDateTimePicker* tp = p->TimePicker();
    tp->setFocus();
    tp->SelectField(0);
    QTest::keyClick(tp, Qt::Key_0);
    QTest::keyClick(tp, Qt::Key_9);
    EXPECT_EQ(timeChanges, 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(keys, (std::vector<uint16_t>{'0', '9'})) << "keys of the time part reach the picker's OnKeyDown";
    p->resize(300, 26);  // lays the time picker out again
    p->SetColor(RGB(250, 250, 200));
    EXPECT_DOUBLE_EQ(p->DateTime(), dt(2024, 1, 20, 9, 0, 0));
    EXPECT_EQ(tp->TDateTimePicker::Time(), QTime(9, 0));
}

TEST(ExDateTimePicker, TheLabelSitsBesideAndReportsClicks) {
    QWidget top;
    auto* p = new TExDateTimePicker(&top);
    p->setGeometry(100, 50, 200, 24);
    top.show();
    EXPECT_EQ(p->PickerLabel(), nullptr);
    p->SetLabelCaption(QStringLiteral("&Start"));
    QLabel* l = p->PickerLabel();
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->parentWidget(), &top);
    const int w = QFontMetrics(l->font()).horizontalAdvance(QStringLiteral("Start"));
    EXPECT_EQ(l->pos(), QPoint(100 - w - 4, 50));
    p->SetLabelPosition(lpTopLeft);
    EXPECT_EQ(l->pos(), QPoint(100, 50 - l->height() - 4));
    p->move(120, 60);
    EXPECT_EQ(l->pos(), QPoint(120, 60 - l->height() - 4));
    std::vector<char> events;
    p->OnLabelClick = [&](QObject* s) {
        EXPECT_EQ(s, p);
        events.push_back('c');
    };
    p->OnLabelDblClick = [&](QObject* s) {
        EXPECT_EQ(s, p);
        events.push_back('d');
    };
    QTest::mouseClick(l, Qt::LeftButton, {}, QPoint(2, 2));
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(2, 2), l->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(l, &dbl);
    EXPECT_EQ(events, (std::vector<char>{'c', 'd'}));
    p->SetEnabled(false);
    EXPECT_FALSE(l->isEnabled());
    p->SetLabelAlwaysEnabled(true);
    EXPECT_TRUE(l->isEnabled());
    p->hide();
    EXPECT_FALSE(l->isVisible());

    QWidget other(&top);
    p->setParent(&other);
    EXPECT_EQ(l->parentWidget(), &other) << "the label goes where the picker goes";
}

TEST(ExDateTimePicker, TheDefaultLooksAreThePlatformPickers) {
    testing_support::LocaleScope scope;
    const QDateTime v(QDate(2024, 7, 1), QTime(12, 0), Qt::UTC);
    TExDateTimePicker ex;
    TDateTimePicker plain;
    for (QWidget* w : {static_cast<QWidget*>(&ex), static_cast<QWidget*>(&plain)}) {
        w->resize(180, 24);
        w->show();
    }
    ex.TDateTimePicker::SetDateTime(v);
    plain.SetDateTime(v);
    EXPECT_TRUE(ex.Ctl3D());
    EXPECT_FALSE(ex.MetroStyle());
    EXPECT_EQ(ex.BorderColor(), 0u);
    // its own painting, without the time part laid over it
    EXPECT_EQ(shot(ex, QWidget::DrawWindowBackground), shot(plain, QWidget::DrawWindowBackground));
    ex.SetKind(dkDate);
    EXPECT_EQ(shot(ex), shot(plain));

    // the black border of 0 appears only with the metro look
    EXPECT_NE(FromQRgb(shot(ex).pixel(0, 12)), clBlack);
    ex.SetMetroStyle(true);
    EXPECT_EQ(FromQRgb(shot(ex).pixel(0, 12)), clBlack);
    EXPECT_EQ(FromQRgb(shot(ex).pixel(179, 12)), clBlack);
}

TEST(SgDateTimePicker, MetroButtonInItsOwnColours) {
    testing_support::LocaleScope scope;
    TSgDateTimePicker p;
    p.resize(160, 24);
    p.show();
    const int b = p.ButtonWidth();
    const QPoint face(160 - 4, 20);  // inside the drop button, below its arrow
    const TColor plainFace = FromQRgb(shot(p).pixel(face));
    p.ButtonColor = RGB(0, 120, 215);
    p.ButtonColorHot = RGB(0, 150, 250);
    p.ButtonColorDown = RGB(0, 80, 160);
    p.ButtonTextColor = RGB(255, 255, 255);
    EXPECT_EQ(FromQRgb(shot(p).pixel(face)), plainFace) << "the colours need the metro look";
    p.SetMetroStyle(true);
    EXPECT_EQ(FromQRgb(shot(p).pixel(face)), RGB(0, 120, 215));
    const int left = 160 - b + 3;
    EXPECT_EQ(FromQRgb(shot(p).pixel(left + 8, 1 + 8)), RGB(255, 255, 255)) << "the arrow";
    p.SetBorderColor(RGB(200, 0, 0));
    EXPECT_EQ(FromQRgb(shot(p).pixel(0, 5)), RGB(200, 0, 0));

    // the hot face only while the pointer is over the button, its left edge excluded
    QTest::mouseMove(&p, QPoint(160 - b, 12));
    EXPECT_FALSE(p.ButtonHover());
    QTest::mouseMove(&p, QPoint(160 - b + 1, 12));
    EXPECT_TRUE(p.ButtonHover());
    EXPECT_EQ(FromQRgb(shot(p).pixel(face)), RGB(0, 150, 250));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&p, &leave);
    EXPECT_FALSE(p.ButtonHover());
    EXPECT_EQ(FromQRgb(shot(p).pixel(face)), RGB(0, 120, 215));
}

TEST(SpinEditAndPickers, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save a picture of the spin edits and pickers";
    testing_support::LocaleScope scope;
    QWidget top;
    top.resize(420, 260);
    auto* whole = new TSgSpinEdit(&top);
    whole->setGeometry(90, 10, 110, 24);
    auto* dec = new TSgSpinEdit(&top);
    dec->setGeometry(90, 44, 110, 24);
    dec->SetSpinType(sptFloat);
    dec->SetPrecision(2);
    dec->SetFloatValue(12.5);
    auto* time = new TSgSpinEdit(&top);
    time->setGeometry(90, 78, 110, 24);
    time->SetText(QStringLiteral("23:30:00"));
    time->SetSpinType(sptTime);
    time->SetDirection(spHorizontal);
    auto* sg = new TSgDateTimePicker(&top);
    sg->setGeometry(240, 10, 150, 24);
    sg->SetMetroStyle(true);
    sg->SetBorderColor(RGB(0, 120, 215));
    sg->ButtonColor = RGB(0, 120, 215);
    sg->ButtonTextColor = RGB(255, 255, 255);
    auto* ex = new TExDateTimePicker(&top);
    ex->setGeometry(90, 130, 240, 24);
    ex->SetLabelCaption(QStringLiteral("Start"));
    ex->SetDateTime(dt(2026, 3, 15, 9, 45, 0));
    auto* checked = new TExDateTimePicker(&top);
    checked->setGeometry(90, 170, 240, 24);
    checked->SetLabelCaption(QStringLiteral("End"));
    checked->SetShowCheckbox(true);
    checked->SetChecked(false);
    top.show();
    ASSERT_TRUE(shot(top).save(QString::fromLocal8Bit(dir) + QStringLiteral("/spin-edits-and-pickers.png")));
    ex->DropDown();
    QImage cal(ex->Calendar()->size(), QImage::Format_RGB32);
    ex->Calendar()->render(&cal);
    ASSERT_TRUE(cal.save(QString::fromLocal8Bit(dir) + QStringLiteral("/picker-calendar.png")));
}

// A window of spin edits and pickers to try by hand, for SPIN_LOOK_SECONDS: whole, decimal, date
// and time spin edits, a metro date picker and date-and-time pickers with AutoTab and a check box.
TEST(SpinEditAndPickers, Look) {
    const int seconds = qEnvironmentVariableIntValue("SPIN_LOOK_SECONDS");
    if (seconds <= 0) GTEST_SKIP() << "set SPIN_LOOK_SECONDS to try the spin edits and pickers by hand";
    testing_support::LocaleScope scope;
    QWidget top;
    top.setWindowTitle(QStringLiteral("Spin edits and pickers"));
    top.resize(460, 300);
    auto* whole = new TSgSpinEdit(&top);
    whole->setGeometry(20, 20, 110, 24);
    whole->OnChange = [whole](QObject*) { qInfo("whole %d", whole->Value()); };
    auto* dec = new TSgSpinEdit(&top);
    dec->setGeometry(20, 54, 110, 24);
    dec->SetSpinType(sptFloat);
    dec->SetPrecision(2);
    dec->SetFloatValue(12.5);
    auto* date = new TSgSpinEdit(&top);
    date->setGeometry(20, 88, 110, 24);
    date->SetSpinType(sptDate);
    date->SetDateValue(dt(2024, 2, 29, 0, 0, 0));
    auto* time = new TSgSpinEdit(&top);
    time->setGeometry(20, 122, 110, 24);
    time->SetText(QStringLiteral("23:30:00"));
    time->SetSpinType(sptTime);
    time->SetDirection(spHorizontal);
    auto* sg = new TSgDateTimePicker(&top);
    sg->setGeometry(160, 20, 150, 24);
    sg->SetMetroStyle(true);
    sg->SetBorderColor(RGB(0, 120, 215));
    sg->ButtonColor = RGB(0, 120, 215);
    sg->ButtonTextColor = RGB(255, 255, 255);
    auto* ex = new TExDateTimePicker(&top);
    ex->setGeometry(200, 88, 240, 24);
    ex->SetLabelCaption(QStringLiteral("Start"));
    ex->SetFormat(QStringLiteral("dd/MM/yyyy"));
    ex->SetAutoTab(true);
    ex->SetDateTime(dt(2026, 3, 15, 9, 45, 0));
    ex->OnChange = [ex](QObject*) { qInfo("start %s", qPrintable(QString::number(ex->DateTime(), 'f', 6))); };
    auto* checked = new TExDateTimePicker(&top);
    checked->setGeometry(200, 130, 240, 24);
    checked->SetLabelCaption(QStringLiteral("End"));
    checked->SetShowCheckbox(true);
    checked->SetChecked(false);
    top.show();
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QApplication::exec();
}
