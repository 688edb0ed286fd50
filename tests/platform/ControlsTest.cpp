// The control bases: painting through the canvas, the order of key and mouse handlers, focus,
// and handlers that throw.
#include "platform/Controls.h"
#include "platform/Error.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>

using namespace plat;

namespace {

// Logs every handler in order.
class Probe : public TCustomControl {
public:
    QStringList log;
    TColor fill = clLime;
    using TCustomControl::KeyUpTimer;
    using TCustomControl::LastKeyOnKeypad;

protected:
    void Paint() override {
        Canvas().Brush().SetColor(fill);
        Canvas().FillRect(Rect(0, 0, width(), height()));
        Canvas().Pen().SetColor(clRed);
        Canvas().MoveTo(0, 0);
        Canvas().LineTo(width(), 0);
    }
    void KeyDown(uint16_t& Key, TShiftState Shift) override {
        log << QStringLiteral("down %1 %2").arg(Key).arg(Shift.bits());
        TCustomControl::KeyDown(Key, Shift);
    }
    void KeyPress(QChar& Key) override {
        log << QStringLiteral("press %1").arg(Key.unicode());
        TCustomControl::KeyPress(Key);
    }
    void KeyUp(uint16_t& Key, TShiftState Shift) override {
        log << QStringLiteral("up %1").arg(Key);
        TCustomControl::KeyUp(Key, Shift);
    }
    void MouseDown(TMouseButton B, TShiftState S, int X, int Y) override {
        log << QStringLiteral("mousedown %1 %2 %3,%4").arg(B).arg(S.bits()).arg(X).arg(Y);
        TCustomControl::MouseDown(B, S, X, Y);
    }
    void MouseUp(TMouseButton B, TShiftState S, int X, int Y) override {
        log << QStringLiteral("mouseup %1 %2,%3").arg(B).arg(X).arg(Y);
        TCustomControl::MouseUp(B, S, X, Y);
    }
    void MouseMove(TShiftState S, int X, int Y) override {
        log << QStringLiteral("move %1,%2").arg(X).arg(Y);
        TCustomControl::MouseMove(S, X, Y);
    }
    void Click() override {
        log << u"click"_qs;
        TCustomControl::Click();
    }
    void DblClick() override {
        log << u"dblclick"_qs;
        TCustomControl::DblClick();
    }
    void MouseEnter() override { log << u"enter"_qs; }
    void MouseLeave() override { log << u"leave"_qs; }
    void DoEnter() override { log << u"focus in"_qs; }
    void DoExit() override { log << u"focus out"_qs; }
};

void sendKey(QWidget* w, QEvent::Type type, int key, bool autoRepeat, const QString& text = {}, quint64 time = 0) {
    QKeyEvent ev(type, key, Qt::NoModifier, text, autoRepeat);
    ev.setTimestamp(time);
    QApplication::sendEvent(w, &ev);
}

TEST(Controls, PaintHandsTheCanvasOver) {
    Probe p;
    p.resize(30, 20);
    const QImage img = p.grab().toImage();
    EXPECT_EQ(FromQRgb(img.pixel(10, 10)), clLime);
    EXPECT_EQ(FromQRgb(img.pixel(29, 0)), clRed);
    EXPECT_EQ(FromQRgb(img.pixel(29, 19)), clLime);
    // Outside painting the canvas measures with the control's font.
    EXPECT_GT(p.Canvas().TextWidth(u"abc"_qs), 0);
    p.Font().SetHeight(-30);
    EXPECT_EQ(p.Canvas().TextHeight(u"X"_qs), QFontMetrics(p.Font().ToQFont()).height());
    p.fill = clBlue;
    p.Invalidate();
    EXPECT_EQ(FromQRgb(p.grab().toImage().pixel(10, 10)), clBlue);
}

TEST(Controls, AHeldKeyGivesRepeatedDownsAndOneUp) {
    TTimer::SetManual(true);
    const QStringList held{"down 32 0", "press 32", "down 32 0", "press 32", "down 32 0", "press 32", "up 32"};
    // Repeats as Qt marks them, and as some X servers send them: an unmarked release and press of
    // the same moment.
    for (bool marked : {true, false}) {
        Probe p;
        sendKey(&p, QEvent::KeyPress, Qt::Key_Space, false, u" "_qs, 10);
        for (quint64 t : {50, 90}) {
            sendKey(&p, QEvent::KeyRelease, Qt::Key_Space, marked, u" "_qs, t);
            sendKey(&p, QEvent::KeyPress, Qt::Key_Space, marked, u" "_qs, t);
        }
        sendKey(&p, QEvent::KeyRelease, Qt::Key_Space, false, u" "_qs, 120);
        EXPECT_EQ(p.log, held.mid(0, 6)) << "marked " << marked;  // the release waits for a repeat
        EXPECT_TRUE(p.KeyUpTimer().Fire());
        EXPECT_EQ(p.log, held) << "marked " << marked;
        EXPECT_FALSE(p.KeyUpTimer().Fire());
    }

    // Typing: a release goes out before the next key, and before a second press of the same key.
    Probe p;
    sendKey(&p, QEvent::KeyPress, Qt::Key_A, false, u"a"_qs, 10);
    sendKey(&p, QEvent::KeyRelease, Qt::Key_A, false, u"a"_qs, 20);
    sendKey(&p, QEvent::KeyPress, Qt::Key_B, false, u"b"_qs, 25);
    sendKey(&p, QEvent::KeyRelease, Qt::Key_B, false, u"b"_qs, 30);
    sendKey(&p, QEvent::KeyPress, Qt::Key_B, false, u"b"_qs, 40);
    QFocusEvent out(QEvent::FocusOut);
    sendKey(&p, QEvent::KeyRelease, Qt::Key_B, false, u"b"_qs, 50);
    QApplication::sendEvent(&p, &out);  // leaving the control delivers a waiting release
    EXPECT_EQ(p.log, (QStringList{"down 65 0", "press 97", "up 65", "down 66 0", "press 98", "up 66", "down 66 0",
                                  "press 98", "up 66", "focus out"}));

    p.log.clear();
    QKeyEvent ctrlC(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, u"\x03"_qs);
    QApplication::sendEvent(&p, &ctrlC);
    EXPECT_EQ(p.log, (QStringList{"down 67 4", "press 3"}));

    // The keypad's point is marked as the keypad's while its character is handled.
    p.log.clear();
    bool keypadChar = false;
    p.OnKeyPress = [&](QObject*, QChar& c) { keypadChar = c == u'.' && p.LastKeyOnKeypad(); };
    QKeyEvent kp(QEvent::KeyPress, Qt::Key_Period, Qt::KeypadModifier, u"."_qs);
    QApplication::sendEvent(&p, &kp);
    EXPECT_TRUE(keypadChar);
    QKeyEvent main(QEvent::KeyPress, Qt::Key_Period, Qt::NoModifier, u"."_qs);
    QApplication::sendEvent(&p, &main);
    EXPECT_FALSE(keypadChar);
    TTimer::SetManual(false);
}

TEST(Controls, HandledKeysStopAndUnhandledEnterGoesOn) {
    Probe p;
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&p, &enter);
    EXPECT_FALSE(enter.isAccepted());  // the window's default button may take it
    p.OnKeyDown = [](QObject*, uint16_t& key, TShiftState) {
        if (key == VK_RETURN) key = 0;
    };
    QKeyEvent enter2(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&p, &enter2);
    EXPECT_TRUE(enter2.isAccepted());
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, u"a"_qs);
    QApplication::sendEvent(&p, &letter);
    EXPECT_TRUE(letter.isAccepted());
}

TEST(Controls, ClickComesBeforeMouseUpAndOnlyWhenReleasedOverTheControl) {
    Probe p;
    p.resize(40, 40);
    QTest::mousePress(&p, Qt::LeftButton, {}, QPoint(5, 6));
    QTest::mouseRelease(&p, Qt::LeftButton, {}, QPoint(5, 6));
    EXPECT_EQ(p.log, (QStringList{"mousedown 0 8 5,6", "click", "mouseup 0 5,6"}));
    p.log.clear();
    QTest::mousePress(&p, Qt::LeftButton, {}, QPoint(5, 6));
    QTest::mouseRelease(&p, Qt::LeftButton, {}, QPoint(60, 6));
    EXPECT_EQ(p.log, (QStringList{"mousedown 0 8 5,6", "mouseup 0 60,6"}));
    p.log.clear();
    QTest::mouseClick(&p, Qt::RightButton, Qt::ShiftModifier, QPoint(3, 3));
    EXPECT_EQ(p.log, (QStringList{"mousedown 1 17 3,3", "mouseup 1 3,3"}));
}

void sendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons held, quint64 time) {
    QMouseEvent ev(type, at, at, Qt::LeftButton, held, Qt::NoModifier);
    ev.setTimestamp(time);
    QApplication::sendEvent(w, &ev);
}

TEST(Controls, DoubleClicksAndControlsThatTakeNone) {
    // The platform's order: press, release, double click, release.
    auto doubleClick = [](QWidget* w) {
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                               QEvent::MouseButtonRelease}) {
            const bool down = t != QEvent::MouseButtonRelease;
            sendMouse(w, t, QPoint(4, 4), down ? Qt::LeftButton : Qt::NoButton, t == QEvent::MouseButtonPress ? 100 : 200);
        }
    };
    Probe takes;
    takes.resize(20, 20);
    doubleClick(&takes);
    EXPECT_EQ(takes.log, (QStringList{"mousedown 0 8 4,4", "click", "mouseup 0 4,4", "dblclick", "mousedown 0 72 4,4",
                                      "mouseup 0 4,4"}));

    Probe none;
    none.resize(20, 20);
    none.SetControlStyle({csClickEvents});
    doubleClick(&none);
    EXPECT_EQ(none.log, (QStringList{"mousedown 0 8 4,4", "click", "mouseup 0 4,4", "mousedown 0 8 4,4", "click",
                                     "mouseup 0 4,4"}));

    // A platform that also delivers the second press gives still only two presses.
    Probe both;
    both.resize(20, 20);
    both.SetControlStyle({csClickEvents});
    for (auto [t, time] : {std::pair{QEvent::MouseButtonPress, 100}, std::pair{QEvent::MouseButtonRelease, 150},
                           std::pair{QEvent::MouseButtonPress, 200}, std::pair{QEvent::MouseButtonDblClick, 200},
                           std::pair{QEvent::MouseButtonRelease, 250}}) {
        sendMouse(&both, t, QPoint(4, 4), t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, time);
    }
    EXPECT_EQ(both.log.count(u"mousedown 0 8 4,4"_qs), 2);
    EXPECT_FALSE(both.log.contains(u"dblclick"_qs));
}

TEST(Controls, EnterLeaveAndFocus) {
    QWidget window;
    auto* a = new Probe;
    auto* b = new Probe;
    auto* g = new TGraphicControl;
    a->setParent(&window);
    b->setParent(&window);
    g->setParent(&window);
    b->move(0, 30);
    window.show();
    ASSERT_TRUE(testing_support::waitForWindowActive(&window));
    EXPECT_EQ(a->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(g->focusPolicy(), Qt::NoFocus);
    a->setFocus();
    b->setFocus();
    EXPECT_EQ(a->log, (QStringList{"focus in", "focus out"}));
    EXPECT_EQ(b->log, (QStringList{"focus in"}));

    // Tab moves the focus on unless the control wants it.
    b->log.clear();
    QTest::keyClick(b, Qt::Key_Tab);
    EXPECT_FALSE(b->hasFocus());
    EXPECT_EQ(b->log, (QStringList{"focus out"}));
    b->setFocus();
    b->SetWantTabs(true);
    b->log.clear();
    QTest::keyClick(b, Qt::Key_Tab);
    EXPECT_TRUE(b->hasFocus());
    EXPECT_EQ(b->log.mid(0, 2), (QStringList{"down 9 0", "press 9"}));

    // A graphic control clicks without taking the focus.
    int clicks = 0;
    g->resize(10, 10);
    g->OnClick = [&](QObject* sender) {
        EXPECT_EQ(sender, g);
        ++clicks;
    };
    QTest::mouseClick(g, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(b->hasFocus());

    a->log.clear();
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(a, &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(a, &leave);
    EXPECT_EQ(a->log, (QStringList{"enter", "leave"}));
}

TEST(Controls, AThrowingHandlerIsReportedAndTheNextClickStillWorks) {
    testing_support::RecordingDialogs dialogs;
    Probe p;
    p.resize(20, 20);
    int clicks = 0;
    p.OnClick = [&](QObject*) {
        if (++clicks == 1) throw Error(u"The file could not be written"_qs);
    };
    QTest::mouseClick(&p, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(dialogs.errors(), QStringList{"The file could not be written"});
    QTest::mouseClick(&p, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(dialogs.errors().size(), 1);
    // The mouse-up still ran after the failing click.
    EXPECT_EQ(p.log.count(u"mouseup 0 5,5"_qs), 2);

    p.OnKeyPress = [](QObject*, QChar&) { throw std::runtime_error("bad key"); };
    sendKey(&p, QEvent::KeyPress, Qt::Key_A, false, u"a"_qs);
    EXPECT_EQ(dialogs.errors().size(), 2);
}

}  // namespace
