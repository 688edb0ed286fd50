// The edit with a button and the unit edit: the unit split, the unit menu, the editor switch, F4
// and the button, and the formatting rectangle beside the button and the unit.
#include "controls/SGEdit.h"
#include "tests/support/EventWait.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QEnterEvent>
#include <QMenu>
#include <QTest>

using namespace ctl;
using namespace plat;

namespace {

// Answers the unit menu by identifier instead of showing it.
class ScriptedUnitEdit : public TSgUnitEditBtn {
public:
    int answer = 0;
    QStringList shownItems;
    QPoint shownAt;

protected:
    int TrackUnitMenu(TPopupMenu& menu, QPoint screenPos) override {
        shownAt = screenPos;
        for (int i = 0; i < menu.Count(); ++i) shownItems << menu.Caption(i) + u'=' + QString::number(menu.Id(i));
        return answer;
    }
};

}  // namespace

TEST(SgUnitEditBtn, TextAndUnitSplitsOnTheFirstUnitEndingTheValue) {
    struct Case {
        QStringList units;
        QString value, text, unit;
    };
    const Case cases[] = {
        {{"kg", "g"}, "12.5kg", "12.5", "kg"},
        {{"g", "kg"}, "12.5kg", "12.5k", "g"},  // the first unit that ends it wins
        {{"m"}, "3m2m", "3m2m", ""},             // m occurs earlier: only its first place counts
        {{"kg", "g"}, "7lb", "7lb", ""},         // no unit: the whole value stays
        {{"kg", "g"}, "", "", ""},
    };
    for (const Case& c : cases) {
        TSgUnitEditBtn e;
        e.SetUnits(c.units);
        e.SetText(QStringLiteral("old"));
        e.SetUnitID(QStringLiteral("kg"));
        e.SetTextAndUnit(c.value);
        EXPECT_EQ(e.Text(), c.text) << c.value.toStdString();
        EXPECT_EQ(e.UnitID(), c.unit) << c.value.toStdString();
        EXPECT_EQ(e.TextAndUnit(), c.text + c.unit);
    }
}

TEST(SgUnitEditBtn, AUnitEditStartsRightAlignedWithRoomForItsUnit) {
    TSgUnitEditBtn e;
    EXPECT_EQ(e.UnitSpace(), 20);
    EXPECT_TRUE(e.RightAlign());
    EXPECT_EQ(e.Alignment(), taRightJustify);
    EXPECT_EQ(e.Text(), QStringLiteral("0"));
}

TEST(SgUnitEditBtn, TheUnitMenuChangesTheUnitAndReportsOnlyANewOne) {
    ScriptedUnitEdit e;
    e.resize(120, 24);
    e.SetUnits({"kg", "g", "t"});
    e.SetUnitID(QStringLiteral("g"));
    std::vector<QString> changes;
    int clicks = 0;
    e.OnUnitChanged = [&](QObject* s, const QString& u) {
        EXPECT_EQ(s, &e);
        changes.push_back(u);
    };
    e.OnClickBtn = [&](QObject* s) {
        EXPECT_EQ(s, &e);
        ++clicks;
    };

    e.answer = 2;  // the current unit
    e.ClickButton(e.Button());
    EXPECT_EQ(e.shownItems, QStringList({"kg=1", "g=2", "t=3"}));
    EXPECT_EQ(e.shownAt, e.mapToGlobal(QPoint(2 + 116 - 15, 2 + 20)));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(changes.empty());

    e.answer = 3;
    e.ClickButton(e.Button());
    EXPECT_EQ(e.UnitID(), QStringLiteral("t"));
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], QStringLiteral("t"));

    e.answer = 0;  // menu dismissed
    e.ClickButton(e.Button());
    e.UnitCommand(4);  // out of range
    e.UnitCommand(0);
    EXPECT_EQ(e.UnitID(), QStringLiteral("t"));
    EXPECT_EQ(changes.size(), 1u);
}

TEST(SgEditBtn, WithTheEditorOffOnlyTheButtonAndF4Work) {
    QWidget top;
    auto* e = new TSgEditBtn(&top);
    e->setGeometry(0, 0, 120, 24);
    top.show();
    e->setFocus();
    e->SetText(QStringLiteral("abc"));
    e->SetEditorEnabled(false);
    std::vector<QObject*> senders;
    e->OnClickBtn = [&](QObject* s) { senders.push_back(s); };

    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    e->SelectAll();
    QTest::keyClick(e, Qt::Key_X);
    QTest::keyClick(e, Qt::Key_Backspace);
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(e, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Delete, Qt::ShiftModifier);
    e->PasteFromClipboard();
    e->CutToClipboard();
    EXPECT_EQ(e->Text(), QStringLiteral("abc"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("pasted"));

    QTest::keyClick(e, Qt::Key_F4, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_F4, Qt::AltModifier);
    EXPECT_TRUE(senders.empty());
    QTest::keyClick(e, Qt::Key_F4);
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(senders[0], e);

    TExSpeedButton* b = e->Button()->Button();
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(senders.size(), 2u);
    EXPECT_EQ(senders[1], e->Button());

    // the editor back on: typing and pasting work again
    e->SetEditorEnabled(true);
    e->SelectAll();
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e->Text(), QStringLiteral("pasted"));
}

TEST(SgEditBtn, TheButtonClicksOnALeftReleaseWhereverThePointerIs) {
    QWidget top;
    auto* e = new TSgEditBtn(&top);
    e->setGeometry(0, 0, 120, 24);
    auto* other = new QWidget(&top);
    other->setFocusPolicy(Qt::StrongFocus);
    other->setGeometry(0, 30, 50, 20);
    top.show();
    top.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&top));
    other->setFocus();
    ASSERT_TRUE(other->hasFocus());
    int clicks = 0;
    e->OnClickBtn = [&](QObject*) { ++clicks; };
    TExSpeedButton* b = e->Button()->Button();

    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(-40, 60));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(e->hasFocus());  // the edit is the holder's focus control

    QTest::mouseClick(b, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
}

TEST(SgEditBtn, TheTextEndsBeforeTheButtonAndTheUnit) {
    struct Case {
        TBorderStyle border;
        bool unit;
        TRect rect;     // formatting rectangle
        TRect holder;   // the button holder
    };
    // 120 x 30; a single border leaves a client area of 116 x 26 two pixels in.
    const Case cases[] = {
        {bsSingle, false, {3, 3, 2 + 116 - (18 + 5), 2 + 26 + 1}, {2 + 120 - 18 - 5, 2, 2 + 120 - 5, 2 + 30 - 5}},
        {bsNone, false, {3, 3, 120 - (18 + 5), 30 + 1}, {120 - 18 - 1, 0, 120 - 1, 30 - 1}},
        {bsSingle, true, {3, 3, 2 + 116 - (18 + 20 + 5) - 3, 2 + 26 + 1}, {2 + 120 - 18 - 5, 2, 2 + 120 - 5, 2 + 30 - 5}},
        {bsNone, true, {3, 3, 120 - (18 + 20 + 5) - 3, 30 + 1}, {120 - 18 - 1, 0, 120 - 1, 30 - 1}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TSgEditBtn> e(c.unit ? new TSgUnitEditBtn : new TSgEditBtn);
        e->SetBorderStyle(c.border);
        e->resize(120, 30);
        e->show();  // a window gets its size when shown
        EXPECT_EQ(e->EditRect(), c.rect) << int(c.border) << c.unit;
        EXPECT_EQ(TRect::fromQRect(e->Button()->geometry()), c.holder) << int(c.border) << c.unit;
        EXPECT_LE(e->EditRect().Right, e->Button()->x());
        if (auto* u = dynamic_cast<TSgUnitEditBtn*>(e.get())) {
            EXPECT_LE(e->EditRect().Right, u->UnitRect().Left);
            EXPECT_LE(u->UnitRect().Right, e->Button()->x());
        }
    }
    // a wider button moves the text's end with it
    TSgEditBtn e;
    e.resize(120, 30);
    e.show();
    e.SetButtonWidth(30);
    EXPECT_EQ(e.EditRect().Right, 2 + 116 - (30 + 5));
    EXPECT_EQ(e.Button()->width(), 30);
    // never lower than a line of its font
    e.resize(120, 4);
    EXPECT_EQ(e.height(), e.GetMinHeight());
}

TEST(SgEditBtn, TheUnitIsDrawnRightOfTheValue) {
    TSgUnitEditBtn e;
    e.resize(120, 24);
    e.SetText(QString());
    QImage before(e.size(), QImage::Format_RGB32);
    e.render(&before);
    e.SetUnitID(QStringLiteral("kg"));
    QImage after(e.size(), QImage::Format_RGB32);
    e.render(&after);
    const TRect u = e.UnitRect();
    int changedInside = 0, changedOutside = 0;
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y))
                ++(x >= u.Left && x < u.Right && y >= u.Top && y < u.Bottom ? changedInside : changedOutside);
    EXPECT_GT(changedInside, 0);
    EXPECT_EQ(changedOutside, 0);
}

TEST(SgEditButton, TheSpeedButtonPaintsInTheHoldersColours) {
    QWidget top;
    auto* holder = new TSgEditButton(&top);
    holder->setGeometry(0, 0, 20, 25);
    top.show();
    TExSpeedButton* b = holder->Button();
    EXPECT_EQ(b->geometry(), QRect(0, 0, 20, 25));  // fills the holder
    holder->resize(30, 20);
    EXPECT_EQ(b->geometry(), QRect(0, 0, 30, 20));

    auto face = [&] {
        QImage img(b->size(), QImage::Format_RGB32);
        b->render(&img);
        return FromQRgb(img.pixel(2, 2));
    };
    const TColor classic = face();
    holder->ButtonColor = RGB(10, 20, 30);
    holder->ButtonColorHot = RGB(40, 50, 60);
    holder->ButtonColorDown = RGB(70, 80, 90);
    EXPECT_EQ(face(), RGB(10, 20, 30));
    EXPECT_NE(classic, RGB(10, 20, 30));
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), b->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(b, &enter);
    EXPECT_TRUE(b->Hot());
    EXPECT_EQ(face(), RGB(40, 50, 60));
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(face(), RGB(70, 80, 90));
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(2, 2));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(b, &leave);
    EXPECT_FALSE(b->Hot());
    EXPECT_EQ(face(), RGB(10, 20, 30));
}
