// The pop-up cycle with a member hosting a plain control, the placement and label rules as tables,
// the header and footer bars, and the edit's frame.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>
#include <memory>

#include "dropdowns/DovUzerAdev.h"
#include "dropdowns/DovUzerAdevBars.h"
#include "dropdowns/DovUzerAdevEdit.h"
#include "dropdowns/DovUzerAdevForm.h"
#include "dropdowns/DropDownPlacement.h"

using namespace plat;
using namespace dropdowns;

namespace {

class FakeClock final : public plat::Clock {
public:
    int64_t now = 1'000'000;
    int64_t nowMs() override { return now; }
    void sleepMs(int ms) override { now += ms; }
};

// A member whose pop-up holds a plain 150 x 100 control.
class TPlainDropDown : public TExCustomDropDown {
public:
    explicit TPlainDropDown(QWidget* parent = nullptr) : TExCustomDropDown(parent) {}
    QWidget* control = nullptr;
    int wheelDown = 0, wheelUp = 0;

protected:
    void HandleMouseWheelDown() override { ++wheelDown; }
    void HandleMouseWheelUp() override { ++wheelUp; }
    void CreateDropDownForm() override {
        TExCustomDropDown::CreateDropDownForm();
        control = new QWidget(DropDownForm());
        control->setFocusPolicy(Qt::StrongFocus);
        control->resize(150, 100);
        SetControl(control);
    }
};

struct Fixture {
    FakeClock clock;
    QWidget window;
    TPlainDropDown* edit;
    std::vector<std::string> events;
    Fixture() {
        TExCustomDropDown::SetClock(&clock);
        edit = TExCustomDropDown::CreateDropDown<TPlainDropDown>(&window);
        edit->move(10, 10);
        window.resize(300, 100);
        window.move(100, 100);
        window.show();
        QApplication::setActiveWindow(&window);
        edit->setFocus();
        edit->OnBeforeDropDown = [this](QObject*) { events.push_back("before"); };
        edit->OnDropUp = [this](QObject*, bool cancelled) { events.push_back(cancelled ? "up cancelled" : "up"); };
    }
    ~Fixture() {
        delete edit;
        TExCustomDropDown::SetClock(nullptr);
    }
    bool open() const { return edit->DroppedDown() && edit->DropDownForm()->isVisible(); }
};

TEST(DropDownPlacement, OpensWhereThePartsSay) {
    const QRect work(0, 0, 1000, 740);
    struct Case {
        const char* name;
        TDropPosition position;
        QPoint anchor;
        QSize form;
        QRect work;
        QSize user;
        QRect expected;
    } cases[] = {
        {"near the bottom opens above, its bottom at the edit's top", dpAuto, QPoint(50, 600), QSize(200, 200), work,
         QSize(-1, -1), QRect(50, 400, 200, 200)},
        {"y + H one less than the screen opens below over the edit's last row", dpAuto, QPoint(50, 567),
         QSize(200, 200), work, QSize(-1, -1), QRect(50, 567 + 21 - 1, 200, 200)},
        {"y + H equal to the screen opens above", dpAuto, QPoint(50, 568), QSize(200, 200), work, QSize(-1, -1),
         QRect(50, 368, 200, 200)},
        {"down", dpDown, QPoint(50, 700), QSize(200, 200), work, QSize(-1, -1), QRect(50, 720, 200, 200)},
        {"up", dpUp, QPoint(50, 300), QSize(200, 100), work, QSize(-1, -1), QRect(50, 200, 200, 100)},
        {"too wide moves left to the work area's right edge", dpDown, QPoint(900, 100), QSize(200, 80), work,
         QSize(-1, -1), QRect(800, 120, 200, 80)},
        {"starting beyond the right edge is not moved", dpDown, QPoint(1010, 100), QSize(200, 80), work, QSize(-1, -1),
         QRect(1010, 120, 200, 80)},
        {"a work area with a negative left edge skips the clamp", dpDown, QPoint(-100, 100), QSize(200, 80),
         QRect(-1280, 0, 1280, 1024), QSize(-1, -1), QRect(-100, 120, 200, 80)},
        {"the user size wins, after the clamp", dpDown, QPoint(900, 100), QSize(200, 80), work, QSize(50, 300),
         QRect(800, 120, 50, 300)},
    };
    for (const Case& cs : cases) {
        const TDropDownPlace o = DropDownOrigin(cs.position, cs.anchor, 21, cs.form.height(), 768);
        EXPECT_EQ(DropDownRect(o, cs.form, cs.work, cs.user.width(), cs.user.height()), cs.expected) << cs.name;
    }
}

TEST(DropDownPlacement, LabelPositions) {
    // Edit at (100, 50), 120 x 21; caption 40 wide, label 44 x 15, margin 4.
    const QRect edit(100, 50, 120, 21);
    const QSize label(44, 15);
    struct Case {
        TLabelPosition position;
        QPoint at;
    } cases[] = {
        {lpLeftTop, {56, 50}},        {lpLeftCenter, {56, 53}},     {lpLeftBottom, {56, 56}},
        {lpTopLeft, {100, 31}},       {lpBottomLeft, {100, 75}},    {lpLeftTopLeft, {96, 50}},
        {lpLeftCenterLeft, {96, 53}}, {lpLeftBottomLeft, {96, 56}}, {lpTopCenter, {138, 31}},
        {lpBottomCenter, {138, 75}},  {lpRightTop, {224, 50}},      {lpRightCenter, {224, 53}},
        {lpRighBottom, {224, 56}},    {lpTopRight, {176, 31}},      {lpBottomRight, {176, 75}},
    };
    for (const Case& cs : cases) EXPECT_EQ(DropDownLabelPlace(cs.position, 40, label, edit, 4), cs.at) << cs.position;
    // Margin 0 puts the text against the edit; a label taller than the edit sits higher by half the difference.
    EXPECT_EQ(DropDownLabelPlace(lpLeftTop, 40, label, edit, 0), QPoint(60, 50));
    EXPECT_EQ(DropDownLabelPlace(lpLeftCenter, 40, QSize(44, 31), edit, 0), QPoint(60, 45));
    EXPECT_EQ(DropDownLabelPlace(lpLeftCenter, 40, QSize(44, 30), edit, 0), QPoint(60, 46)) << "toward zero";
}

TEST(DropDownCycle, AltArrowsAndTheTypedValue) {
    Fixture f;
    QTest::keyClicks(f.edit, "abc");
    QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(f.open());
    // The control's width; its height with the header, the footer and the border.
    EXPECT_EQ(f.edit->DropDownForm()->size(), QSize(150, 146));
    EXPECT_EQ(f.edit->control->geometry(), QRect(1, 23, 148, 100));
    QTest::keyClick(f.edit, Qt::Key_Up, Qt::AltModifier);
    EXPECT_FALSE(f.open());
    EXPECT_EQ(f.edit->Text(), QStringLiteral("abc"));
    EXPECT_EQ(f.events, (std::vector<std::string>{"before", "up"}));
}

TEST(DropDownCycle, EscRestoresTheValueSetTextWrote) {
    Fixture f;
    f.edit->SetText(QStringLiteral("first"));
    f.edit->clearFocus();
    f.edit->setFocus();
    f.edit->SetText(QStringLiteral("second"));
    f.edit->SetSelStart(6);
    f.edit->TextRules().SetSelStart(6);
    QTest::keyClicks(f.edit, "x");
    EXPECT_EQ(f.edit->Text(), QStringLiteral("secondx"));
    QTest::keyClick(f.edit, Qt::Key_F4);
    ASSERT_TRUE(f.open());
    QTest::keyClick(f.edit, Qt::Key_Escape);
    EXPECT_FALSE(f.open());
    EXPECT_EQ(f.edit->Text(), QStringLiteral("second"));
    EXPECT_EQ(f.edit->OldString(), QStringLiteral("first"));
}

TEST(DropDownCycle, OnDropDownCanRefuse) {
    Fixture f;
    f.edit->OnDropDown = [](QObject*, bool& accept) { accept = false; };
    QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
    EXPECT_FALSE(f.open());
    EXPECT_FALSE(f.edit->DroppedDown());
    EXPECT_EQ(f.events, (std::vector<std::string>{"before"}));
}

TEST(DropDownCycle, ButtonPressOnAnOpenPopupClosesIt) {
    Fixture f;
    TDovUzerAdevSpeedButton* sb = f.edit->Button()->Button();
    QTest::mouseClick(sb, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(f.open());
    // The press deactivates the pop-up (closing it); its release does not reopen it.
    QTest::mousePress(sb, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(f.open());
    EXPECT_EQ(f.edit->DropDownForm()->DeActivateTime(), f.clock.now);
    f.clock.now += 100;
    QTest::mouseRelease(sb, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(f.open());
    f.clock.now += 200;
    QTest::mouseClick(sb, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(f.open());
    EXPECT_EQ(f.events, (std::vector<std::string>{"before", "up cancelled", "before"}));
}

TEST(DropDownCycle, EnterInTheHostedControlClosesAccepted) {
    Fixture f;
    QTest::keyClick(f.edit, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(f.open());
    QTest::keyClick(f.edit->control, Qt::Key_Return);
    EXPECT_FALSE(f.open());
    EXPECT_EQ(f.events, (std::vector<std::string>{"before", "up"}));
}

TEST(DropDownCycle, KeysAndWheelOfThePopupReachTheEdit) {
    Fixture f;
    QTest::keyClick(f.edit, Qt::Key_F4);
    ASSERT_TRUE(f.open());
    TDropDownForm* form = f.edit->DropDownForm();
    QWheelEvent down(QPointF(5, 5), form->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form, &down);
    QWheelEvent up(QPointF(5, 5), form->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(form, &up);
    EXPECT_EQ(f.edit->wheelDown, 1);
    EXPECT_EQ(f.edit->wheelUp, 1);
    QTest::keyClicks(form, "ab");
    EXPECT_EQ(f.edit->Text(), QStringLiteral("ab")) << "typed into the pop-up, shown in the edit";
    QTest::keyClick(form, Qt::Key_Escape);
    EXPECT_FALSE(f.open());
    EXPECT_EQ(f.edit->Text(), QString()) << "cancelled: the value SetText wrote";
    EXPECT_EQ(f.events, (std::vector<std::string>{"before", "up cancelled"}));
}

TEST(DropDownCycle, TheUserSizeIsKeptUntilAWidthWrite) {
    Fixture f;
    TDropDownForm* form = f.edit->DropDownForm();
    form->Sizeable = true;
    QTest::keyClick(f.edit, Qt::Key_F4);
    ASSERT_TRUE(f.open());
    // Dragged by the sizing corner.
    const QPoint corner(form->width() - 3, form->height() - 3);
    QTest::mousePress(form, Qt::LeftButton, {}, corner);
    QMouseEvent move(QEvent::MouseMove, QPointF(corner + QPoint(60, 40)),
                     form->mapToGlobal(QPointF(corner + QPoint(60, 40))), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form, &move);
    QTest::mouseRelease(form, Qt::LeftButton, {}, corner + QPoint(60, 40));
    EXPECT_EQ(form->size(), QSize(210, 186));
    QTest::keyClick(f.edit, Qt::Key_F4);
    EXPECT_FALSE(f.open());
    QTest::keyClick(f.edit, Qt::Key_F4);
    ASSERT_TRUE(f.open());
    EXPECT_EQ(form->size(), QSize(210, 186));
    QTest::keyClick(f.edit, Qt::Key_F4);
    f.edit->SetDropDownWidth(220);
    QTest::keyClick(f.edit, Qt::Key_F4);
    ASSERT_TRUE(f.open());
    EXPECT_EQ(form->size(), QSize(220, 186)) << "the width written, the height the user's";

    // Any size below 80 x 50 only through the user's size.
    QTest::keyClick(f.edit, Qt::Key_F4);
    f.edit->SetUserDropDownSize(30, 20);
    QTest::keyClick(f.edit, Qt::Key_F4);
    EXPECT_EQ(form->size(), QSize(30, 20));
}

TEST(DropDownCycle, ModalDialogWithBlockActivateKeepsThePopupOpen) {
    Fixture f;
    QTest::keyClick(f.edit, Qt::Key_F4);
    ASSERT_TRUE(f.open());
    TDropDownForm* form = f.edit->DropDownForm();
    bool openDuringDialog = false;
    auto runDialog = [&] {
        QDialog dialog(&f.window);
        QTimer::singleShot(0, &dialog, [&] {
            dialog.activateWindow();
            QApplication::processEvents();
            // A press in the dialog: outside the pop-up.
            QTest::mouseClick(&dialog, Qt::LeftButton, {}, QPoint(5, 5));
            openDuringDialog = f.open();
            dialog.accept();
        });
        dialog.exec();
    };
    form->BlockActivate = true;
    runDialog();
    form->BlockActivate = false;
    EXPECT_TRUE(openDuringDialog);
    EXPECT_TRUE(f.open());
    // Without it the same dialog closes the pop-up.
    runDialog();
    EXPECT_FALSE(openDuringDialog);
    EXPECT_FALSE(f.open());
}

TEST(DropDownCycle, BarsComeOnDemandAndStayAndTheFormPaintsInsideItsBorder) {
    Fixture f;
    f.edit->DropDownHeader().SetVisible(false);
    f.edit->DropDownFooter().SetVisible(false);
    f.edit->DropDownBorderWidth = 3;
    f.edit->DropDownBorderColor = clBlue;
    f.edit->SetDropDownColor(clRed);
    f.edit->DropDownColorTo = clNone;
    QTest::keyClick(f.edit, Qt::Key_F4);
    ASSERT_TRUE(f.open());
    TDropDownForm* form = f.edit->DropDownForm();
    EXPECT_EQ(form->Header(), nullptr) << "no header until one is shown";
    EXPECT_EQ(form->size(), QSize(150, 106)) << "the control and the border";
    EXPECT_EQ(f.edit->control->geometry(), QRect(3, 3, 144, 100));
    QImage img = form->grab().toImage();
    EXPECT_EQ(FromQRgb(img.pixel(1, 50)), clBlue);
    EXPECT_EQ(FromQRgb(img.pixel(148, 104)), clBlue);
    EXPECT_EQ(FromQRgb(img.pixel(75, 50)), clRed) << "the plain control shows the form through";

    // A gradient runs left to right from the colour.
    f.edit->DropDownColorTo = clYellow;
    img = form->grab().toImage();
    // The bands as the list gives them, whatever pen the border left on the canvas last time.
    const auto bands = GradientBandList(clRed, clYellow, 80, TRect{3, 3, 147, 103}, true);
    EXPECT_EQ(FromQRgb(img.pixel(4, 50)), bands[0].Color);
    EXPECT_EQ(FromQRgb(img.pixel(5, 50)), bands[1].Color);
    EXPECT_EQ(FromQRgb(img.pixel(8, 50)), bands[3].Color);
    EXPECT_EQ(FromQRgb(img.pixel(146, 50)), bands.back().Color);

    QTest::keyClick(f.edit, Qt::Key_F4);
    f.edit->DropDownHeader().SetVisible(true);
    f.edit->SetDropDownHeight(0);
    f.edit->SetUserDropDownSize(-1, -1);
    QTest::keyClick(f.edit, Qt::Key_F4);
    TExHeader* header = form->Header();
    ASSERT_NE(header, nullptr);
    EXPECT_TRUE(header->isVisible());
    EXPECT_EQ(header->geometry(), QRect(3, 3, form->width() - 6, f.edit->DropDownHeader().Height()));
    QTest::keyClick(f.edit, Qt::Key_F4);
    f.edit->DropDownHeader().SetVisible(false);
    f.edit->SetUserDropDownSize(-1, -1);
    QTest::keyClick(f.edit, Qt::Key_F4);
    EXPECT_EQ(form->Header(), header) << "kept once made";
    EXPECT_FALSE(header->isVisible());
    EXPECT_EQ(form->height(), 106) << "the control and the border again";

    // A header change while open is shown at once.
    f.edit->DropDownHeader().SetVisible(true);
    EXPECT_TRUE(header->isVisible());
}

// ---- Bars ----

struct BarFixture : Fixture {
    TExHeader* header() const { return edit->DropDownForm()->Header(); }
    TExFooter* footer() const { return edit->DropDownForm()->Footer(); }
};

TEST(DropDownBars, HeaderButtonsStackFromTheRight) {
    BarFixture f;
    THeaderAppearance& h = f.edit->DropDownHeader();
    h.Buttons().Add().SetCaption(QStringLiteral("One"));
    h.Buttons().Add().SetCaption(QStringLiteral("Two"));
    h.Buttons().Add().SetHeight(30);
    h.SetCaption(QStringLiteral("A caption long enough to run under the buttons of the header bar"));
    QTest::keyClick(f.edit, Qt::Key_F4);
    ASSERT_TRUE(f.open());
    TExHeader* bar = f.header();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->height(), 22);
    ASSERT_EQ(bar->ButtonList().Count(), 3);
    TExButton* first = bar->ButtonAt(0);
    TExButton* second = bar->ButtonAt(1);
    EXPECT_EQ(first->height(), 17);
    EXPECT_EQ(second->height(), 17);
    EXPECT_EQ(bar->ButtonAt(2)->height(), 17) << "an item height of 30 is held to the bar";
    EXPECT_EQ(first->x() + first->width(), bar->width() - 2) << "the first is the rightmost";
    EXPECT_EQ(second->x() + second->width(), first->x()) << "touching";
    EXPECT_EQ(first->y(), 2);

    // The caption ends 2 pixels left of the last (leftmost) button; nothing of it to the right.
    const int limit = bar->ButtonAt(2)->x() - 2;
    const QImage img = bar->grab().toImage();
    const QImage plain = [&] {
        THeaderAppearance& a = bar->Appearance();
        const QString kept = a.Caption();
        a.SetCaption(QString());
        QImage i = bar->grab().toImage();
        a.SetCaption(kept);
        return i;
    }();
    bool inkLeft = false, inkRight = false;
    for (int y = 3; y < 19; ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != plain.pixel(x, y)) (x < limit ? inkLeft : inkRight) = true;
    EXPECT_TRUE(inkLeft);
    EXPECT_FALSE(inkRight);
    EXPECT_THROW(bar->ButtonList().Items(3), EListError);
}

TEST(DropDownBars, FooterGripAndModalResults) {
    BarFixture f;
    TFooterAppearance& ft = f.edit->DropDownFooter();
    ft.Buttons().Add().SetCaption(QStringLiteral("Cancel"));
    ft.Buttons().Items(0).SetModalResult(2);
    ft.Buttons().Add().SetCaption(QStringLiteral("Retry"));
    ft.Buttons().Items(1).SetModalResult(4);
    std::vector<int> clicks;
    f.edit->OnDropDownFooterButtonClick = [&](QObject* sender, int index) {
        EXPECT_EQ(sender, f.edit);
        clicks.push_back(index);
        f.events.push_back(f.open() ? "click while open" : "click after closing");
    };
    f.edit->DropDownSizeable = true;
    QTest::keyClick(f.edit, Qt::Key_F4);
    ASSERT_TRUE(f.open());
    TExFooter* bar = f.footer();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->GripShown());
    TExButton* cancel = bar->ButtonAt(0);
    EXPECT_EQ(cancel->x() + cancel->width(), bar->width() - 14) << "12 pixels left of the grip";
    // The grip with an empty caption: its white and border-coloured dots.
    QImage img = bar->grab().toImage();
    const int L = bar->width() - 1 - 16, B = bar->height();
    EXPECT_EQ(FromQRgb(img.pixel(L + 14, B - 3)), clWhite);
    ASSERT_NE(ft.BorderColor(), clWhite);
    EXPECT_EQ(FromQRgb(img.pixel(L + 12, B - 5)), ft.BorderColor());
    // Not with a background handler.
    bar->OnDrawBackGround = [](QObject*, TCanvas& c, const TRect& r) {
        c.Brush().SetColor(clLime);
        c.FillRect(r);
    };
    img = bar->grab().toImage();
    EXPECT_EQ(FromQRgb(img.pixel(L + 14, B - 3)), clLime);
    EXPECT_EQ(FromQRgb(img.pixel(L + 12, B - 5)), clLime);
    bar->OnDrawBackGround = nullptr;

    // Retry (4) only reports.
    QTest::mouseClick(bar->ButtonAt(1), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(f.open());
    // Cancel (2) closes cancelled, then reports.
    QTest::mouseClick(bar->ButtonAt(0), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_FALSE(f.open());
    EXPECT_EQ(clicks, (std::vector<int>{1, 0}));
    EXPECT_EQ(f.events,
              (std::vector<std::string>{"before", "click while open", "up cancelled", "click after closing"}));

    // Without the grip the buttons sit 12 pixels further right.
    f.edit->DropDownSizeable = false;
    QTest::keyClick(f.edit, Qt::Key_F4);
    ASSERT_TRUE(f.open());
    EXPECT_EQ(f.footer()->ButtonAt(0)->x() + f.footer()->ButtonAt(0)->width(), f.footer()->width() - 2);
}

TEST(DropDownBars, HeaderButtonsNeverClose) {
    BarFixture f;
    f.edit->DropDownHeader().Buttons().Add().SetCaption(QStringLiteral("OK"));
    int clicks = 0;
    f.edit->OnDropDownHeaderButtonClick = [&](QObject*, int index) { clicks += index + 1; };
    QTest::keyClick(f.edit, Qt::Key_F4);
    TExButton* b = f.header()->ButtonAt(0);
    b->ModalResult = 1;
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(f.open());
    EXPECT_EQ(clicks, 1);

    // Press, drag off and release: no click, the button up.
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(b->State(), absDown);
    QMouseEvent move(QEvent::MouseMove, QPointF(80, 40), b->mapToGlobal(QPointF(80, 40)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(b, &move);
    EXPECT_EQ(b->State(), absUp);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(80, 40));
    EXPECT_EQ(b->State(), absUp);
    EXPECT_EQ(clicks, 1);
}

TEST(DropDownBars, LatchedGroupButton) {
    QWidget parent;
    TExButton a(&parent), b(&parent);
    a.GroupIndex = b.GroupIndex = 1;
    QTest::mouseClick(&a, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(a.Down());
    QTest::mouseClick(&a, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(a.Down()) << "all up is not allowed";
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(b.Down());
    EXPECT_FALSE(a.Down()) << "the group lets go";
    b.AllowAllUp = true;
    b.SetDown(true);
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_FALSE(b.Down());
    TExButton plain(&parent);
    plain.SetDown(true);
    EXPECT_FALSE(plain.Down()) << "a plain button never latches";
}

TEST(DropDownBars, WhichModalResultsClose) {
    // By mouse: the listed results close (some cancelled) before the click is reported; by Enter
    // or Space the pop-up closes the same way but no click is reported.
    enum Closes { kNo, kAccepted, kCancelled };
    const Closes expected[] = {kNo,        kAccepted, kCancelled, kCancelled, kNo, kCancelled, kAccepted, kCancelled,
                               kNo,        kNo,       kNo,        kNo,        kAccepted, kCancelled, kAccepted};
    for (int result = 0; result <= 14; ++result) {
        for (int way = 0; way < 3; ++way) {  // mouse, Enter, Space
            BarFixture f;
            TFooterButton& item = f.edit->DropDownFooter().Buttons().Add();
            item.SetCaption(QStringLiteral("Go"));
            item.SetModalResult(result);
            int clicks = 0;
            f.edit->OnDropDownFooterButtonClick = [&](QObject*, int) { ++clicks; };
            QTest::keyClick(f.edit, Qt::Key_F4);
            ASSERT_TRUE(f.open());
            TExButton* b = f.footer()->ButtonAt(0);
            if (way == 0)
                QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(3, 3));
            else
                QTest::keyClick(b, way == 1 ? Qt::Key_Return : Qt::Key_Space);
            const char* how = way == 0 ? "mouse" : way == 1 ? "Enter" : "Space";
            EXPECT_EQ(f.open(), expected[result] == kNo) << result << " by " << how;
            const std::vector<std::string> closing =
                expected[result] == kNo ? std::vector<std::string>{"before"}
                : expected[result] == kCancelled ? std::vector<std::string>{"before", "up cancelled"}
                                                 : std::vector<std::string>{"before", "up"};
            EXPECT_EQ(f.events, closing) << result << " by " << how;
            EXPECT_EQ(clicks, way == 0 ? 1 : 0) << result << " by " << how;
        }
    }
}

TEST(DropDownBars, AcceleratorClicksTheButton) {
    QWidget parent;
    TExButton b(&parent);
    b.Caption = QStringLiteral("&Apply");
    int clicks = 0;
    b.OnClick = [&](QObject*) { ++clicks; };
    parent.show();
    QTest::keyClick(&b, Qt::Key_P);
    EXPECT_EQ(clicks, 0) << "not the accelerator";
    QTest::keyClick(&b, Qt::Key_A);
    EXPECT_EQ(clicks, 1);
    b.setEnabled(false);
    QTest::keyClick(&b, Qt::Key_A);
    EXPECT_EQ(clicks, 1) << "a disabled button takes no accelerator";
    b.setEnabled(true);
    b.Caption = QStringLiteral("A&&B");
    QTest::keyClick(&b, Qt::Key_B);
    EXPECT_EQ(clicks, 1) << "a doubled ampersand marks no accelerator";
}

TEST(DropDownBars, FooterGripResizesThePopup) {
    BarFixture f;
    f.edit->DropDownSizeable = true;
    int sizing = 0;
    f.edit->DropDownForm()->OnSizing = [&](QObject*) { ++sizing; };
    QTest::keyClick(f.edit, Qt::Key_F4);
    ASSERT_TRUE(f.open());
    TExFooter* bar = f.footer();
    ASSERT_TRUE(bar->GripShown());
    const QSize before = f.edit->DropDownForm()->size();
    auto move = [&](QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent e(QEvent::MouseMove, QPointF(at), bar->mapToGlobal(QPointF(at)), Qt::NoButton, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(bar, &e);
    };
    const QPoint grip(bar->width() - 4, bar->height() - 4);
    move(QPoint(20, 5), Qt::NoButton);
    EXPECT_FALSE(bar->testAttribute(Qt::WA_SetCursor)) << "no sizing cursor outside the grip";
    move(grip, Qt::NoButton);
    EXPECT_EQ(bar->cursor().shape(), Qt::SizeFDiagCursor);
    move(QPoint(20, 5), Qt::NoButton);
    EXPECT_FALSE(bar->testAttribute(Qt::WA_SetCursor)) << "restored when the mouse leaves the grip";

    QTest::mousePress(bar, Qt::LeftButton, {}, grip);
    move(grip + QPoint(40, 30), Qt::LeftButton);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, grip + QPoint(40, 30));
    EXPECT_EQ(f.edit->DropDownForm()->size(), before + QSize(40, 30));
    EXPECT_GT(sizing, 0);
    EXPECT_TRUE(f.open());
    // Never smaller than 80 x 50 by the grip.
    const QPoint grip2(bar->width() - 4, bar->height() - 4);
    QTest::mousePress(bar, Qt::LeftButton, {}, grip2);
    move(grip2 - QPoint(400, 400), Qt::LeftButton);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, grip2 - QPoint(400, 400));
    EXPECT_EQ(f.edit->DropDownForm()->size(), QSize(80, 50));
    // Kept for the next opening.
    QTest::keyClick(f.edit, Qt::Key_F4);
    QTest::keyClick(f.edit, Qt::Key_F4);
    EXPECT_EQ(f.edit->DropDownForm()->size(), QSize(80, 50));

    // Not sizeable: the press in that corner does nothing.
    QTest::keyClick(f.edit, Qt::Key_F4);
    f.edit->DropDownSizeable = false;
    QTest::keyClick(f.edit, Qt::Key_F4);
    ASSERT_FALSE(f.footer()->GripShown());
    const QPoint corner(bar->width() - 4, bar->height() - 4);
    QTest::mousePress(f.footer(), Qt::LeftButton, {}, corner);
    move(corner + QPoint(40, 30), Qt::LeftButton);
    QTest::mouseRelease(f.footer(), Qt::LeftButton, {}, corner + QPoint(40, 30));
    EXPECT_EQ(f.edit->DropDownForm()->size(), QSize(80, 50));
}

TEST(DropDownBars, ButtonFaceByState) {
    // Each state takes its colours from the button appearance: the face at the middle, the
    // frame at the corner. Pressed, latched and hot faces are flat (no end colour).
    TExButtonAppearance look;
    look.SetColor(RGB(10, 20, 30));
    look.SetColorTo(RGB(10, 20, 30));
    look.SetBorderColor(RGB(1, 1, 1));
    look.SetColorHot(RGB(200, 0, 0));
    look.SetColorHotTo(RGB(0, 0, 200));
    look.SetBorderColorHot(RGB(2, 2, 2));
    look.SetColorDown(RGB(0, 200, 0));
    look.SetColorDownTo(RGB(0, 0, 200));
    look.SetBorderColorDown(RGB(3, 3, 3));
    look.SetColorChecked(RGB(0, 0, 200));
    look.SetBorderColorChecked(RGB(4, 4, 4));
    look.SetColorDisabled(RGB(90, 90, 90));
    look.SetColorDisabledTo(RGB(90, 90, 90));
    look.SetBorderColorDisabled(RGB(5, 5, 5));
    QWidget parent;
    parent.resize(100, 60);
    TExButton b(&parent);
    b.Appearance = &look;
    b.setGeometry(10, 10, 40, 22);
    parent.show();
    auto face = [&] { return FromQRgb(b.grab().toImage().pixel(20, 18)); };
    auto frame = [&] { return FromQRgb(b.grab().toImage().pixel(0, 0)); };
    EXPECT_EQ(face(), RGB(10, 20, 30)) << "at rest";
    EXPECT_EQ(frame(), RGB(1, 1, 1));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(&b, &enter);
    EXPECT_TRUE(b.Hot());
    EXPECT_EQ(face(), RGB(200, 0, 0)) << "hot, flat";
    EXPECT_EQ(frame(), RGB(2, 2, 2));
    QTest::mousePress(&b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(face(), RGB(0, 200, 0)) << "pressed, flat";
    EXPECT_EQ(frame(), RGB(3, 3, 3));
    QTest::mouseRelease(&b, Qt::LeftButton, {}, QPoint(5, 5));
    b.GroupIndex = 1;
    b.SetDown(true);
    EXPECT_EQ(face(), RGB(0, 0, 200)) << "latched";
    EXPECT_EQ(frame(), RGB(4, 4, 4));
    b.setEnabled(false);
    EXPECT_EQ(face(), RGB(90, 90, 90)) << "disabled";
    EXPECT_EQ(frame(), RGB(5, 5, 5));
    EXPECT_EQ(b.State(), absDisabled);
    b.Appearance = nullptr;
    const QImage bare = b.grab().toImage();
    EXPECT_NE(FromQRgb(bare.pixel(20, 18)), RGB(90, 90, 90)) << "no appearance: no face";
}

TEST(DropDownBars, CaptionCentredWhenLowerStartsAtTheTopWhenTaller) {
    // An unattached header: background, border and caption, no buttons.
    QWidget parent;
    TExHeader bar(&parent);
    bar.Appearance().SetColorTo(clNone);
    bar.Appearance().SetColor(clWhite);
    bar.Appearance().SetBorderColor(clNone);
    bar.resize(200, 40);
    parent.show();
    auto inkRows = [&](const QString& caption) {
        bar.Appearance().SetCaption(caption);
        const QImage img = bar.grab().toImage();
        int top = -1, bottom = -1;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (FromQRgb(img.pixel(x, y)) != clWhite) {
                    if (top < 0) top = y;
                    bottom = y;
                    break;
                }
        return std::pair{top, bottom};
    };
    const auto [top, bottom] = inkRows(QStringLiteral("Xy"));
    ASSERT_GE(top, 0);
    EXPECT_LE(std::abs(top - (39 - bottom)), 4) << "centred: " << top << " above, " << 39 - bottom << " below";
    EXPECT_GT(top, 8);
    const auto [tallTop, tallBottom] = inkRows(QStringLiteral("X<br>X<br>X<br>X"));
    ASSERT_GE(tallTop, 0);
    EXPECT_LT(tallTop, top) << "a caption taller than the bar starts at its top";
    EXPECT_LE(tallTop, 4);
    EXPECT_EQ(bar.ButtonList().Count(), 0);
}

TEST(DropDownBars, DbgListMessages) {
    TDbgList list;
    int x = 0;
    list.Add(&x);
    EXPECT_EQ(list.Items(0), &x);
    try {
        list.Items(1);
        ADD_FAILURE();
    } catch (const EListError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Index out of bounds in list read access"));
    }
    try {
        list.SetItems(1, &x);
        ADD_FAILURE();
    } catch (const EListError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Index out of bounds in list write access"));
    }
}

// ---- Frame and label ----

TEST(DropDownFrame, MinimumHeightThenTheButton) {
    Fixture f;
    const QRect before = f.edit->Button()->geometry();
    TFont big = f.edit->Font();
    big.SetHeight(-30);
    f.edit->Font().Assign(big);
    EXPECT_EQ(f.edit->height(), 21) << "nothing until the next resize";
    f.edit->resize(201, 21);
    EXPECT_EQ(f.edit->height(), f.edit->MinimumHeight());
    EXPECT_GT(f.edit->MinimumHeight(), 21);
    const QRect after = f.edit->Button()->geometry();
    EXPECT_NE(after, before);
    EXPECT_EQ(after.height(), f.edit->height() - 4);
    EXPECT_EQ(after.right(), f.edit->width() - 3) << "inside the frame, at the right";
    EXPECT_LE(f.edit->EditRect().Right, after.left()) << "the text never runs under the button";
}

TEST(DropDownFrame, FrameColours) {
    Fixture f;
    QWidget other(&f.window);
    other.setFocusPolicy(Qt::StrongFocus);
    other.setGeometry(250, 10, 20, 20);
    other.show();
    auto edgeAt = [&] { return FromQRgb(f.edit->grab().toImage().pixel(0, 10)); };
    other.setFocus();
    const TColor platformFrame = edgeAt();
    f.edit->setFocus();
    EXPECT_EQ(edgeAt(), platformFrame) << "no colours: the platform's frame";

    f.edit->SetBorderColor(clRed);
    EXPECT_EQ(edgeAt(), clRed) << "focused, border colour alone";
    other.setFocus();
    ASSERT_FALSE(f.edit->hasFocus());
    EXPECT_EQ(edgeAt(), clRed) << "not focused";
    f.edit->SetFocusBorderColor(clBlue);
    EXPECT_EQ(edgeAt(), clRed);
    f.edit->setFocus();
    EXPECT_EQ(edgeAt(), clBlue) << "both: the focus colour while focused";

    f.edit->setEnabled(false);
    EXPECT_EQ(edgeAt(), clSilver) << "disabled and themed: silver even with a border colour";
}

TEST(DropDownFrame, FocusedTextWithTheEditorDisabled) {
    Fixture f;
    f.edit->SetText(QStringLiteral("pick"));
    f.edit->SetEditorEnabled(false);
    f.edit->setFocus();
    QImage img = f.edit->grab().toImage();
    EXPECT_EQ(FromQRgb(img.pixel(2, 10)), clBlack) << "outline";
    EXPECT_EQ(FromQRgb(img.pixel(3, 4)), ColorToRGB(clHighlight)) << "highlight fill";
    f.edit->FocusDraw = false;
    img = f.edit->grab().toImage();
    EXPECT_NE(FromQRgb(img.pixel(3, 4)), ColorToRGB(clHighlight));
}

TEST(DropDownFrame, ReadOnlyShowsTheButtonDisabled) {
    Fixture f;
    TDovUzerAdevSpeedButton* sb = f.edit->Button()->Button();
    const QImage enabled = sb->grab().toImage();
    EXPECT_TRUE(sb->isEnabled());
    f.edit->SetReadOnly(true);
    const QImage disabled = sb->grab().toImage();
    EXPECT_FALSE(sb->isEnabled());
    EXPECT_NE(enabled, disabled);
    f.edit->SetReadOnly(false);
    sb->grab();
    EXPECT_TRUE(sb->isEnabled());
    // A read-only edit does not open.
    f.edit->SetReadOnly(true);
    QTest::keyClick(f.edit, Qt::Key_F4);
    EXPECT_FALSE(f.open());
}

TEST(DropDownFrame, LabelFollowsTheEdit) {
    Fixture f;
    f.edit->SetLabelMargin(0);
    f.edit->SetLabelCaption(QStringLiteral("&Name"));
    QLabel* label = f.edit->Label();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->parentWidget(), &f.window);
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->y(), f.edit->y());
    const int gap = f.edit->x() - label->x();
    EXPECT_GT(gap, 0);
    f.edit->move(120, 40);
    EXPECT_EQ(label->x(), 120 - gap);
    EXPECT_EQ(label->y(), 40);
    // A larger label font lays the label out again: wider, so further left.
    f.edit->LabelFont().SetHeight(-24);
    EXPECT_LT(label->x(), 120 - gap);
    f.edit->setEnabled(false);
    EXPECT_FALSE(label->isEnabled());
    f.edit->hide();
    EXPECT_FALSE(label->isVisible());
    int clicks = 0;
    f.edit->OnLabelClick = [&](QObject*) { ++clicks; };
    f.edit->show();
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

}  // namespace

namespace {

// A member whose pop-up holds a list of names; a picked name goes into the edit.
class TListDropDown : public TExCustomDropDown {
public:
    explicit TListDropDown(QWidget* parent = nullptr) : TExCustomDropDown(parent) {}
    QListWidget* list = nullptr;

protected:
    void CreateDropDownForm() override {
        TExCustomDropDown::CreateDropDownForm();
        list = new QListWidget(DropDownForm());
        for (const char* name : {"Boiler", "Chiller", "Pump 1", "Pump 2", "Valve", "Fan coil"})
            list->addItem(QString::fromLatin1(name));
        list->resize(180, 120);
        QObject::connect(list, &QListWidget::itemActivated, list, [this](QListWidgetItem* item) {
            SetText(item->text());
            HideDropDown(false);
        });
        SetControl(list);
        SetFocusControl(list);
    }
};

}  // namespace

// A window of drop-downs with header and footer bars to try by hand, for DROPDOWN_LOOK_SECONDS:
// the first with two header buttons, footer buttons that close (OK, Cancel) or only report (Retry)
// and a size grip; the second opening upward with a gradient pop-up; the third a pure selector.
TEST(DropDownBars, Look) {
    const int seconds = qEnvironmentVariableIntValue("DROPDOWN_LOOK_SECONDS");
    if (seconds <= 0) GTEST_SKIP() << "set DROPDOWN_LOOK_SECONDS to try the drop-downs by hand";
    QWidget window;
    window.setWindowTitle(QStringLiteral("Drop-downs"));
    window.resize(640, 260);
    std::vector<std::unique_ptr<TListDropDown>> edits;
    for (int i = 0; i < 3; ++i) {
        auto* e = TExCustomDropDown::CreateDropDown<TListDropDown>(&window);
        e->setGeometry(90, 20 + 70 * i, 180, 22);
        e->SetLabelCaption(QStringLiteral("Device &%1").arg(i + 1));
        e->OnDropUp = [i](QObject*, bool cancelled) { qInfo("edit %d closed%s", i, cancelled ? " cancelled" : ""); };
        e->OnDropDownHeaderButtonClick = [i](QObject*, int b) { qInfo("edit %d header button %d", i, b); };
        e->OnDropDownFooterButtonClick = [i](QObject*, int b) { qInfo("edit %d footer button %d", i, b); };
        edits.emplace_back(e);
    }
    TListDropDown& first = *edits[0];
    first.DropDownHeader().SetCaption(QStringLiteral("<b>Devices</b> of the network"));
    first.DropDownHeader().Buttons().Add().SetCaption(QStringLiteral("&All"));
    first.DropDownHeader().Buttons().Add().SetCaption(QStringLiteral("None"));
    first.DropDownFooter().SetCaption(QStringLiteral("6 devices"));
    for (auto [caption, result] : {std::pair{"OK", 1}, {"Cancel", 2}, {"Retry", 4}}) {
        TFooterButton& b = first.DropDownFooter().Buttons().Add();
        b.SetCaption(QString::fromLatin1(caption));
        b.SetModalResult(result);
    }
    first.SetBorderColor(RGB(0, 120, 215));
    first.SetFocusBorderColor(RGB(255, 140, 0));

    TListDropDown& second = *edits[1];
    second.DropPosition = dpUp;
    second.DropDownColorTo = RGB(200, 220, 255);
    second.DropDownHeader().SetVisible(false);
    second.DropDownFooter().SetCaption(QStringLiteral("Opens upward"));
    second.SetLabelPosition(lpTopLeft);

    TListDropDown& third = *edits[2];
    third.SetEditorEnabled(false);
    third.SetText(QStringLiteral("Pump 1"));
    third.DropDownHeader().SetCaption(QStringLiteral("Pick one"));
    third.DropDownFooter().SetVisible(false);
    third.SetLabelPosition(lpLeftCenter);

    auto* other = new QLineEdit(&window);
    other->setGeometry(340, 20, 180, 22);
    window.show();
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QApplication::exec();
}
