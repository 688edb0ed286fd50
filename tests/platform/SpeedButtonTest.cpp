// The speed button: its states under the mouse, Click only for a release over it, the mouse held
// by a press, and the groups of buttons that stay down.
#include "platform/SpeedButton.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

using namespace plat;

TEST(SpeedButton, ThePressFollowsThePointerAndClicksOnlyOverTheButton) {
    QWidget top;
    auto* b = new TSpeedButton(&top);
    b->setGeometry(0, 0, 23, 22);
    top.show();
    int clicks = 0, ups = 0;
    b->OnClick = [&](QObject*) { ++clicks; };
    b->OnMouseUp = [&](QObject*, TMouseButton, TShiftState, int, int) { ++ups; };

    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(b->State(), bsDown);
    QMouseEvent away(QEvent::MouseMove, QPointF(60, 5), b->mapToGlobal(QPointF(60, 5)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(b, &away);
    EXPECT_EQ(b->State(), bsUp);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(60, 5));
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(ups, 1);  // the release reaches the button although the pointer left it

    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(b->State(), bsUp);
    EXPECT_FALSE(b->Down());  // without a group nothing stays down

    b->setEnabled(false);
    EXPECT_EQ(b->State(), bsDisabled);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
}

TEST(SpeedButton, AGroupKeepsOneButtonDown) {
    QWidget top;
    auto* a = new TSpeedButton(&top);
    auto* b = new TSpeedButton(&top);
    a->setGeometry(0, 0, 23, 22);
    b->setGeometry(30, 0, 23, 22);
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    top.show();

    QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(a->State(), bsExclusive);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    // the last one down stays down unless all may be up
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(b->Down());
    b->SetDown(false);
    EXPECT_TRUE(b->Down());
    a->SetAllowAllUp(true);
    EXPECT_TRUE(b->AllowAllUp());
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(b->Down());
    EXPECT_FALSE(a->Down());

    TSpeedButton lone;
    lone.SetDown(true);
    EXPECT_FALSE(lone.Down());
}

TEST(SpeedButton, EachStateShowsItsOwnGlyph) {
    TBitmap g(40, 10);
    const TColor colours[] = {clRed, clGreen, clBlue, clYellow};
    for (int i = 0; i < 4; ++i) {
        g.Canvas().Brush().SetColor(colours[i]);
        g.Canvas().FillRect({i * 10, 0, i * 10 + 10, 10});
    }
    g.SetTransparent(false);
    TSpeedButton b;
    b.SetGlyph(g);
    b.SetNumGlyphs(4);
    b.SetNumGlyphs(5);  // ignored
    EXPECT_EQ(b.NumGlyphs(), 4);
    for (int s = 0; s < 4; ++s) {
        const QImage part = b.GlyphFor(TButtonState(s));
        EXPECT_EQ(part.width(), 10);
        EXPECT_EQ(FromQRgb(part.pixel(5, 5)), colours[s]) << s;
    }
    b.SetNumGlyphs(2);
    EXPECT_EQ(FromQRgb(b.GlyphFor(bsExclusive).pixel(5, 5)), clRed);  // missing pictures: the first
}
