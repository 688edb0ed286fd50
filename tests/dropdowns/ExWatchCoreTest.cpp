// The clock without a window: geometry, hit maths, and the set/animation state machine driven tick
// by tick.
#include "dropdowns/ExWatchCore.h"
#include "platform/Clock.h"
#include "platform/Error.h"

#include <QDateTime>
#include <gtest/gtest.h>
#include <vector>

using namespace dropdowns;

namespace {

TDateTime hms(int h, int m, int s = 0, int ms = 0) { return EncodeTime(h, m, s, ms); }

TEST(WatchGeometry, FaceCentreRadiusAndMarks) {
    struct Case {
        const char* name;
        int w, h, size;
        plat::TRect face;
        QPoint center;
        double radius;
    } cases[] = {
        {"square control, automatic size", 180, 180, 0, {10, 10, 170, 170}, {90, 90}, 80},
        {"wide control takes the height", 200, 120, 0, {50, 10, 150, 110}, {100, 60}, 50},
        {"fixed size centred", 180, 180, 100, {40, 40, 140, 140}, {90, 90}, 50},
        {"fixed size larger than the client is cut", 180, 180, 300, {0, 0, 180, 180}, {90, 90}, 90},
        {"tiny control has an empty face", 15, 15, 0, {7, 7, 7, 7}, {7, 7}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TWatchGeometry g = WatchGeometry(c.w, c.h, c.size);
        EXPECT_EQ(g.Face, c.face);
        EXPECT_EQ(g.Center, c.center);
        EXPECT_DOUBLE_EQ(g.Radius, c.radius);
    }
    const TMarkRadii r = MarkRadii(80, 4, 0, 0);
    EXPECT_EQ(r.Outer, 78);
    EXPECT_DOUBLE_EQ(r.HourInner, 70.2);
    EXPECT_DOUBLE_EQ(r.MinuteInner, 74.1);
    const TMarkRadii fixed = MarkRadii(80, 4, 8, 4);
    EXPECT_DOUBLE_EQ(fixed.HourInner, 70);
    EXPECT_DOUBLE_EQ(fixed.MinuteInner, 74);
}

TEST(WatchGeometry, NumeralAnchorsAndAMPMBox) {
    // Automatic mark length: b = round(78 - 70.2) + 2 = 10, rn = 78 - 12 - 10 + 5 = 61.
    EXPECT_EQ(NumeralAnchor(12, {90, 90}, 78, 0, 16), QPoint(91, 30));
    EXPECT_EQ(NumeralAnchor(3, {90, 90}, 78, 0, 16), QPoint(152, 91));
    EXPECT_EQ(NumeralAnchor(6, {90, 90}, 78, 0, 16), QPoint(91, 152));
    // "10" moves in by round(16 * 0.2) = 3: rn 58 at 300 degrees.
    EXPECT_EQ(NumeralAnchor(10, {90, 90}, 78, 0, 16), QPoint(41, 62));
    // A set mark length of 8: rn = 78 - 10 - 8 + 4 = 64.
    EXPECT_EQ(NumeralAnchor(3, {90, 90}, 78, 8, 16), QPoint(155, 91));

    EXPECT_EQ(AMPMRect(true, {90, 90}, 80, QSize(20, 13)), (plat::TRect{76, 112, 104, 125}));
    EXPECT_EQ(AMPMRect(false, {90, 90}, 80, QSize(20, 13)), (plat::TRect{-1, -1, -1, -1}));
}

TEST(WatchGeometry, ClockPointRoundsHalvesToEven) {
    EXPECT_EQ(Nearest(2.5), 2);
    EXPECT_EQ(Nearest(3.5), 4);
    EXPECT_EQ(Nearest(-2.5), -2);
    EXPECT_EQ(ClockPoint({90, 90}, 0, 70.2), QPoint(90, 20));
    EXPECT_EQ(ClockPoint({90, 90}, 90, 78), QPoint(168, 90));
    EXPECT_EQ(ClockPoint({90, 90}, 180, 10.5), QPoint(90, 100));  // 100.5 to even
}

TEST(WatchGeometry, HitMaths) {
    const QPoint c(90, 90);
    struct Case {
        const char* name;
        int x, y;
        int minute, hourAM, hourPM;
    } cases[] = {
        {"margin at three o'clock", 175, 90, 15, 3, 15},
        {"near two o'clock", 125, 70, 10, 2, 14},
        {"straight up", 90, 40, 0, 0, 12},
        {"just left of twelve keeps the half-day", 86, 40, 59, 0, 12},
        {"just right of twelve", 94, 40, 1, 0, 12},
        {"six o'clock", 90, 140, 30, 6, 18},
        {"nine o'clock", 40, 90, 45, 9, 21},
        {"the centre itself", 90, 90, 23, 5, 17},
        {"half past ten", 50, 67, 50, 10, 22},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(MinuteAtPos(c, k.x, k.y), k.minute);
        EXPECT_EQ(HourAtPos(c, k.x, k.y, true), k.hourAM);
        EXPECT_EQ(HourAtPos(c, k.x, k.y, false), k.hourPM);
    }
    // Every point of a wide area maps to a minute and an hour of the day.
    for (int x = -50; x < 250; x += 7)
        for (int y = -50; y < 250; y += 7) {
            const int m = MinuteAtPos(c, x, y);
            ASSERT_TRUE(m >= 0 && m <= 59) << x << "," << y;
            for (bool am : {true, false}) {
                const int h = HourAtPos(c, x, y, am);
                ASSERT_TRUE(am ? h >= 0 && h <= 11 : h >= 12 && h <= 23) << x << "," << y;
            }
        }
}

TEST(WatchGeometry, InsideEllipse) {
    EXPECT_TRUE(InsideEllipse({90, 90}, 10, 10, 170, 170));
    EXPECT_TRUE(InsideEllipse({165, 90}, 10, 10, 170, 170));
    EXPECT_FALSE(InsideEllipse({175, 90}, 10, 10, 170, 170));
    EXPECT_FALSE(InsideEllipse({14, 14}, 10, 10, 170, 170));  // inside the square, outside the circle
    EXPECT_TRUE(InsideEllipse({40, 25}, 10, 10, 170, 40));    // a flat ellipse
    EXPECT_FALSE(InsideEllipse({90, 45}, 10, 10, 170, 40));
}

TEST(WatchTimes, DecodeAndReplaceKeepTheDate) {
    const TDateTime t = 46000 + hms(13, 45, 12, 250);
    const TTimeParts p = DecodeTimeParts(t);
    EXPECT_EQ(p.Hour, 13);
    EXPECT_EQ(p.Minute, 45);
    EXPECT_EQ(p.Second, 12);
    EXPECT_EQ(p.MSec, 250);
    const TDateTime r = ReplaceTimeParts(t, {7, 5, 12, 250});
    EXPECT_DOUBLE_EQ(r, 46000 + hms(7, 5, 12, 250));
    // A value a hair below midnight never decodes to hour 24.
    EXPECT_EQ(DecodeTimeParts(0.9999999999).Hour, 23);
}

// A white canvas of the default clock's size.
plat::TBitmap whiteCanvas() {
    plat::TBitmap b(180, 180);
    b.Canvas().Brush().SetColor(plat::clWhite);
    b.Canvas().FillRect({0, 0, 180, 180});
    return b;
}

int nonWhitePixels(plat::TBitmap& b, const QRect& area) {
    const QImage& img = b.Image();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255)) ++n;
    return n;
}

TEST(WatchDrawing, TransparentPictureIsCutToItsRectangle) {
    plat::TBitmap target(40, 40);
    target.Canvas().Brush().SetColor(plat::clBlue);
    target.Canvas().FillRect({0, 0, 40, 40});
    plat::TBitmap picture(20, 20);
    picture.Canvas().Brush().SetColor(plat::clRed);
    picture.Canvas().FillRect({0, 0, 20, 20});
    picture.Canvas().Brush().SetColor(plat::clWhite);
    picture.Canvas().FillRect({0, 10, 20, 20});  // the lower half takes the corner's colour: see-through
    DrawTransparentPicture(&target.Canvas(), picture, {5, 5, 15, 25});
    DrawTransparentPicture(nullptr, picture, {0, 0, 40, 40});
    DrawTransparentPicture(&target.Canvas(), plat::TBitmap(), {0, 0, 40, 40});
    target.Canvas().Release();
    const QImage& img = target.Image();
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(14, 14), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(15, 5), qRgb(0, 0, 255));   // cut at the rectangle's right
    EXPECT_EQ(img.pixel(10, 20), qRgb(0, 0, 255));  // transparent part
    EXPECT_EQ(img.pixel(4, 5), qRgb(0, 0, 255));
}

TEST(WatchDrawing, BackgroundShapesAndNoneColours) {
    TWatchAppearance a;
    a.SetBackgroundColor(plat::clYellow);
    a.SetBorderColor(plat::clNone);
    const TWatchGeometry g = WatchGeometry(180, 180, 0);
    struct Case {
        const char* name;
        TWatchShape shape;
        bool cornerFilled, marginFilled;
    } cases[] = {
        {"circle: only the face", wsCircle, false, false},
        {"rectangle: the whole client", wsRect, true, true},
        {"rounded rectangle: all but the corners", wsRoundRect, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        a.SetShape(c.shape);
        plat::TBitmap b = whiteCanvas();
        DrawWatchBackground(b.Canvas(), {0, 0, 180, 180}, a, g);
        b.Canvas().Release();
        const QImage& img = b.Image();
        const QRgb yellow = qRgb(255, 255, 0);
        EXPECT_EQ(img.pixel(90, 90), yellow);
        EXPECT_EQ(img.pixel(1, 1) == yellow, c.cornerFilled);
        EXPECT_EQ(img.pixel(3, 90) == yellow, c.marginFilled);
    }
    // No background colour: nothing is filled.
    a.SetShape(wsRect);
    a.SetBackgroundColor(plat::clNone);
    plat::TBitmap b = whiteCanvas();
    DrawWatchBackground(b.Canvas(), {0, 0, 180, 180}, a, g);
    b.Canvas().Release();
    EXPECT_EQ(nonWhitePixels(b, QRect(0, 0, 180, 180)), 0);
}

TEST(WatchDrawing, GradientRunsAcrossForRadialAndDownOtherwise) {
    TWatchAppearance a;
    a.SetBackgroundColor(plat::clBlack);
    a.SetBackgroundColorTo(plat::clWhite);
    a.SetBorderColor(plat::clNone);
    const TWatchGeometry g = WatchGeometry(180, 180, 0);
    for (TWatchGradient kind : {wgRadial, wgVertical, wgDiagonalForward, wgDiagonalBackward}) {
        SCOPED_TRACE(int(kind));
        a.SetBackgroundGradient(kind);
        plat::TBitmap b = whiteCanvas();
        b.Canvas().Brush().SetColor(plat::clRed);
        b.Canvas().FillRect({0, 0, 180, 180});
        DrawWatchBackground(b.Canvas(), {0, 0, 180, 180}, a, g);
        b.Canvas().Release();
        const QImage& img = b.Image();
        const int left = qGray(img.pixel(20, 90)), right = qGray(img.pixel(160, 90));
        const int top = qGray(img.pixel(90, 20)), bottom = qGray(img.pixel(90, 160));
        if (kind == wgRadial) {
            EXPECT_LT(left + 150, right);
            EXPECT_NEAR(top, bottom, 4);
        } else {
            EXPECT_LT(top + 150, bottom);
            EXPECT_NEAR(left, right, 4);
        }
        // The circle's clip keeps the corners as they were.
        EXPECT_EQ(img.pixel(2, 2), qRgb(255, 0, 0));
        EXPECT_EQ(img.pixel(177, 177), qRgb(255, 0, 0));
    }
}

TEST(WatchDrawing, ShortLineAndArrowHandsDrawOnlyTheCentrePoint) {
    TWatchAppearance a;
    const TWatchGeometry g = WatchGeometry(180, 180, 0);
    const TTimeParts t{4, 40, 20, 0};
    for (TPointerStyle style : {psShortLine, psLineArrow, psLine, psPointer}) {
        SCOPED_TRACE(int(style));
        a.SetPointerStyle(style);
        plat::TBitmap b = whiteCanvas();
        DrawWatchHands(b.Canvas(), a, g, t, true);
        b.Canvas().Release();
        const int centre = nonWhitePixels(b, QRect(86, 86, 8, 8));
        const int outside = nonWhitePixels(b, QRect(0, 0, 180, 180)) - centre;
        EXPECT_GT(centre, 0);
        if (style == psShortLine || style == psLineArrow)
            EXPECT_EQ(outside, 0);
        else
            EXPECT_GT(outside, 100);
    }
    // Without a centre size there is no point either.
    a.SetPointerStyle(psShortLine);
    a.SetCenterPointSize(0);
    plat::TBitmap b = whiteCanvas();
    DrawWatchHands(b.Canvas(), a, g, t, true);
    b.Canvas().Release();
    EXPECT_EQ(nonWhitePixels(b, QRect(0, 0, 180, 180)), 0);
}

// A core with a recording host: OnChange count, redraws, and the timers' states.
struct WatchCoreFixture : ::testing::Test {
    TWatchAppearance appearance;
    TWatchSettings settings;
    TWatchCore core{appearance, settings};
    int changes = 0;
    int redraws = 0;
    int fullPaints = 0;
    bool rollTimer = false;
    plat::TRect box{76, 112, 104, 125};
    TWatchGeometry geometry = WatchGeometry(180, 180, 0);

    WatchCoreFixture() {
        core.OnChange = [this] { ++changes; };
        core.OnRedrawHands = [this] { ++redraws; };
        core.OnFullPaint = [this] { ++fullPaints; };
        core.OnRollTimer = [this](bool on) { rollTimer = on; };
        core.AMPMBox = [this] { return box; };
    }
    ~WatchCoreFixture() override { plat::setLocalNowSource({}); }

    TTimeParts now() const { return DecodeTimeParts(core.DisplayTime()); }
    QString shown() const {
        const TTimeParts p = now();
        return QStringLiteral("%1:%2").arg(p.Hour, 2, 10, QChar('0')).arg(p.Minute, 2, 10, QChar('0'));
    }
    // Ticks the animation until its timer stops; the times shown after each tick.
    std::vector<QString> animate() {
        std::vector<QString> steps;
        for (int i = 0; core.AnimationTimerOn() && i < 200; ++i) {
            core.AnimationTick();
            steps.push_back(shown());
        }
        EXPECT_FALSE(core.AnimationTimerOn()) << "the animation never ended";
        return steps;
    }
};

TEST_F(WatchCoreFixture, MinuteAnimationPassesTwelveAndAdvancesTheHourOnce) {
    core.SetTime(hms(10, 50));
    changes = 0;
    core.SetMinute(0);
    EXPECT_TRUE(core.AnimationTimerOn());
    EXPECT_EQ(shown(), "10:50");  // nothing moves before the first tick
    const std::vector<QString> steps = animate();
    const std::vector<QString> expected{"10:51", "10:52", "10:53", "10:54", "10:55", "10:56", "10:57",
                                        "10:58", "10:59", "11:00", "11:00"};
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(changes, 1);
}

TEST_F(WatchCoreFixture, AnimationsEndOnTheirTargetWithOneChange) {
    struct Case {
        const char* name;
        TDateTime from;
        bool hour;
        int target;
        int factor;
        QString end;
        size_t ticks;
    } cases[] = {
        {"minute down, no carry", hms(9, 20), false, 0, 10, "09:00", 0},
        {"minute up", hms(9, 10), false, 45, 10, "09:45", 0},
        {"minute forward from 31 in big steps", hms(9, 31), false, 0, 2, "10:00", 0},
        {"hour up in shrinking steps", hms(3, 15), true, 20, 4, "20:15", 0},
        {"hour down", hms(22, 0), true, 1, 10, "01:00", 0},
        {"factor 0 counts as 1: one step", hms(9, 10), false, 40, 0, "09:40", 2},
        {"negative factor counts as 1", hms(5, 0), true, 17, -3, "17:00", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core.SetAnimationFactor(c.factor);
        core.SetTime(c.from);
        changes = 0;
        if (c.hour)
            core.SetHour(c.target);
        else
            core.SetMinute(c.target);
        const std::vector<QString> steps = animate();
        EXPECT_EQ(shown(), c.end);
        EXPECT_EQ(changes, 1);
        if (c.ticks) EXPECT_EQ(steps.size(), c.ticks);
        // The target is reached by the last step only; the closing tick finds it there.
        ASSERT_GE(steps.size(), 2u);
        for (size_t i = 0; i + 2 < steps.size(); ++i) EXPECT_NE(steps[i], c.end) << "reached before the end";
        EXPECT_EQ(steps[steps.size() - 2], c.end);
    }
}

TEST_F(WatchCoreFixture, WithoutAnimationEachSetIsOneCompleteChange) {
    core.SetAnimation(false);
    core.SetTime(hms(8, 40));
    core.SetMinute(15);
    EXPECT_EQ(shown(), "08:15");
    EXPECT_EQ(changes, 1);
    core.SetHour(19);
    EXPECT_EQ(shown(), "19:15");
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(core.AM());
    // The hand moved forward past twelve from above 30 takes the hour on.
    core.SetMinute(45);
    core.SetMinute(0);
    EXPECT_EQ(shown(), "20:00");
    EXPECT_EQ(changes, 4);
    EXPECT_FALSE(core.AnimationTimerOn());
    // Setting what is shown changes nothing and tells nothing.
    core.SetHour(20);
    EXPECT_EQ(changes, 4);
}

TEST_F(WatchCoreFixture, PublicSettersRefuseTimesThatDoNotExist) {
    core.SetAnimation(false);
    core.SetTime(hms(6, 30));
    for (int bad : {-1, 24, 25}) {
        try {
            core.SetHour(bad);
            ADD_FAILURE() << "hour " << bad << " accepted";
        } catch (const plat::Error& e) {
            EXPECT_EQ(e.message(), "Invalid time");
        }
    }
    for (int bad : {-1, 60, 255}) {
        try {
            core.SetMinute(bad);
            ADD_FAILURE() << "minute " << bad << " accepted";
        } catch (const plat::Error& e) {
            EXPECT_EQ(e.message(), "Invalid time");
        }
    }
    EXPECT_EQ(shown(), "06:30");
    EXPECT_EQ(changes, 0);
}

TEST_F(WatchCoreFixture, ClicksOnTheFace) {
    struct Case {
        const char* name;
        TDateTime from;
        int x, y;
        QString end;
    } cases[] = {
        {"margin at three sets minute 15", hms(4, 40), 175, 90, "04:15"},
        {"near two in the morning", hms(4, 40), 125, 70, "02:40"},
        {"near two in the afternoon", hms(16, 40), 125, 70, "14:40"},
        {"twelve in the morning is 0", hms(4, 40), 90, 40, "00:40"},
        {"twelve in the afternoon is 12", hms(16, 40), 90, 40, "12:40"},
        {"left of twelve in the afternoon stays 12", hms(16, 40), 87, 35, "12:40"},
    };
    for (bool animation : {true, false}) {
        core.SetAnimation(animation);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (animation ? ", animated" : ", at once"));
            core.SetTime(c.from);
            changes = 0;
            core.MouseUp(geometry, c.x, c.y);
            animate();
            EXPECT_EQ(shown(), c.end);
            EXPECT_EQ(changes, 1);
        }
    }
}

TEST_F(WatchCoreFixture, AMPMBoxRollsThenSwitchesTheHalfDay) {
    core.SetTime(hms(9, 5));
    ASSERT_TRUE(core.AM());
    changes = 0;
    fullPaints = 0;
    core.MouseUp(geometry, 90, 118);
    ASSERT_TRUE(core.Rolling());
    EXPECT_TRUE(rollTimer);
    EXPECT_FALSE(core.AM());
    // One pixel row a frame from "AM" to "PM"; the hands keep the old time while the box rolls.
    const int rows = box.Height() - 2;
    EXPECT_EQ(core.RollRows(), rows);
    EXPECT_EQ(core.RollOffset(), 0);
    std::vector<int> offsets;
    while (core.Rolling()) {
        EXPECT_EQ(shown(), "09:05");
        core.RollTick();
        offsets.push_back(core.RollOffset());
    }
    std::vector<int> expected;
    for (int i = 1; i <= rows; ++i) expected.push_back(i);
    EXPECT_EQ(offsets, expected);
    EXPECT_FALSE(rollTimer);
    EXPECT_EQ(shown(), "21:05");
    EXPECT_EQ(changes, 1);
    EXPECT_GE(fullPaints, 1);

    // Back to the morning: the window runs from "PM" down to "AM".
    core.MouseUp(geometry, 90, 118);
    offsets.clear();
    while (core.Rolling()) {
        core.RollTick();
        offsets.push_back(core.RollOffset());
    }
    EXPECT_EQ(offsets.front(), rows - 1);
    EXPECT_EQ(offsets.back(), 0);
    EXPECT_EQ(shown(), "09:05");
    EXPECT_TRUE(core.AM());
    EXPECT_EQ(changes, 2);
}

TEST_F(WatchCoreFixture, InputDuringARollFinishesItFirst) {
    core.SetTime(hms(9, 5));
    core.MouseUp(geometry, 90, 118);
    ASSERT_TRUE(core.Rolling());
    core.RollTick();
    core.SetAnimation(false);
    core.WatchKeyDown(0x27);  // Right
    EXPECT_FALSE(core.Rolling());
    EXPECT_EQ(shown(), "21:06");
    EXPECT_EQ(changes, 2);
}

TEST_F(WatchCoreFixture, AMPMBoxWithoutAnimationOrFillSwitchesAtOnce) {
    core.SetAnimation(false);
    core.SetTime(hms(15, 0));
    core.MouseUp(geometry, 80, 113);
    EXPECT_FALSE(core.Rolling());
    EXPECT_EQ(shown(), "03:00");
    EXPECT_TRUE(core.AM());
    EXPECT_EQ(changes, 1);

    core.SetAnimation(true);
    appearance.SetAMPMColor(plat::clNone);  // nothing to roll
    core.MouseUp(geometry, 80, 113);
    EXPECT_FALSE(core.Rolling());
    EXPECT_EQ(shown(), "15:00");
    EXPECT_EQ(changes, 2);
}

TEST_F(WatchCoreFixture, Keys) {
    struct Case {
        const char* name;
        TDateTime from;
        uint16_t key;
        QString end;
        int changes;
    } cases[] = {
        {"Right on 59 wraps in the same hour", hms(7, 59), 0x27, "07:00", 1},
        {"Right steps a minute", hms(7, 30), 0x27, "07:31", 1},
        {"Left on 0 goes to the previous hour and 59", hms(7, 0), 0x25, "06:59", 1},
        {"Left on 0 at midnight", hms(0, 0), 0x25, "23:59", 1},
        {"Left steps a minute back", hms(7, 30), 0x25, "07:29", 1},
        {"A takes the afternoon to the morning", hms(15, 10), 'A', "03:10", 1},
        {"A in the morning does nothing", hms(3, 10), 'A', "03:10", 0},
        {"P takes the morning to the afternoon", hms(3, 10), 'P', "15:10", 1},
        {"P in the afternoon does nothing", hms(15, 10), 'P', "15:10", 0},
        {"Page Up at 23 gives 0", hms(23, 20), 0x21, "00:20", 1},
        {"Page Up", hms(5, 20), 0x21, "06:20", 1},
        {"Page Down at 0 gives 23", hms(0, 20), 0x22, "23:20", 1},
        {"Page Down", hms(5, 20), 0x22, "04:20", 1},
        {"Home gives noon", hms(5, 20), 0x24, "12:20", 1},
        {"End below half past keeps the hour", hms(5, 20), 0x23, "05:00", 1},
        {"Up does nothing", hms(5, 20), 0x26, "05:20", 0},
        {"Down does nothing", hms(5, 20), 0x28, "05:20", 0},
    };
    for (bool animation : {true, false}) {
        core.SetAnimation(animation);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (animation ? ", animated" : ", at once"));
            core.SetTime(c.from + hms(0, 0, 42));
            changes = 0;
            core.WatchKeyDown(c.key);
            animate();
            EXPECT_EQ(shown(), c.end);
            EXPECT_EQ(now().Second, 42);
            EXPECT_EQ(changes, c.changes);
        }
    }
}

TEST_F(WatchCoreFixture, HandlersNeverRaiseAndKeepAValidTime) {
    core.SetAnimation(false);
    for (TDateTime from : {hms(0, 0), hms(11, 59), hms(12, 0), hms(23, 59)}) {
        for (int x = -5; x < 186; x += 3)
            for (int y = -5; y < 186; y += 3) {
                core.SetTime(from);
                ASSERT_NO_THROW(core.MouseUp(geometry, x, y)) << x << "," << y;
                const TDateTime t = core.Time();
                ASSERT_TRUE(t >= 0 && t < 1) << x << "," << y;
            }
        for (int key = 0; key < 256; ++key) {
            core.SetTime(from);
            ASSERT_NO_THROW(core.WatchKeyDown(uint16_t(key))) << key;
            ASSERT_TRUE(core.Time() >= 0 && core.Time() < 1) << key;
        }
    }
}

TEST_F(WatchCoreFixture, AutomaticModeShowsTheInjectedTimePlusTheOffset) {
    plat::setLocalNowSource([] { return QDateTime(QDate(2026, 12, 10), QTime(14, 5, 30)); });
    core.SetTime(hms(3, 0));
    settings.SetTimeOffset(90);
    settings.SetAuto(true);
    core.SettingsChanged();
    EXPECT_EQ(shown(), "15:35");
    EXPECT_EQ(now().Second, 30);
    // Switching on took the running time as the edited time.
    EXPECT_EQ(DecodeTimeParts(core.Time()).Hour, 14);
    EXPECT_FALSE(core.AM());
    // Clicks and keys leave it alone.
    changes = 0;
    core.MouseUp(geometry, 125, 70);
    core.WatchKeyDown(0x21);
    EXPECT_EQ(shown(), "15:35");
    EXPECT_EQ(changes, 0);
    // The clock ticks with the running time; the box follows the hour without rolling.
    plat::setLocalNowSource([] { return QDateTime(QDate(2026, 12, 10), QTime(22, 40, 0)); });
    settings.SetTimeOffset(-1440 + 60);  // a day back, an hour on
    redraws = 0;
    core.ClockTick();
    EXPECT_EQ(shown(), "23:40");
    EXPECT_EQ(redraws, 1);
    EXPECT_FALSE(core.Rolling());
}

TEST(WatchAppearance, DefaultsAssignAndNotification) {
    TWatchAppearance a;
    EXPECT_EQ(a.Size(), 0);
    EXPECT_EQ(a.BackgroundColor(), plat::clWhite);
    EXPECT_EQ(a.BackgroundColorTo(), plat::clNone);
    EXPECT_EQ(a.MinutePointerShadow(), plat::clBtnShadow);
    EXPECT_EQ(a.SecondPointer(), plat::clRed);
    EXPECT_EQ(a.HourFont().Name(), "Tahoma");
    EXPECT_EQ(a.HourFont().Size(), 8);
    EXPECT_EQ(a.AMPMFont().Size(), 10);
    EXPECT_EQ(a.HourPointerSize(), 4);
    EXPECT_EQ(a.MinuteColor(), plat::clGray);
    EXPECT_EQ(a.BackgroundGradient(), wgVertical);
    EXPECT_EQ(a.Rounding(), 5);
    EXPECT_EQ(a.BorderWidth(), 4);
    EXPECT_EQ(a.TickMarks(), tmAll);
    EXPECT_EQ(a.CenterPointBorderColor(), plat::clNone);

    int changes = 0;
    a.OnChange = [&] { ++changes; };
    a.SetBorderWidth(4);
    EXPECT_EQ(changes, 0);  // unchanged values stay quiet
    a.SetBorderWidth(6);
    EXPECT_EQ(changes, 1);
    plat::TFont f = a.HourFont();
    a.SetHourFont(f);
    EXPECT_EQ(changes, 2);  // fonts always tell

    TWatchAppearance b;
    b.SetBackgroundColor(0x123456);
    plat::TFont big = b.HourFont();
    big.SetSize(20);
    b.SetHourFont(big);
    changes = 0;
    a.Assign(b);
    EXPECT_EQ(a.BackgroundColor(), 0x123456u);
    EXPECT_EQ(a.HourFont().Size(), 20);
    EXPECT_EQ(a.BorderWidth(), 4);
    EXPECT_EQ(changes, 0);  // only the last three fields tell, and they are equal
    b.SetTickMarks(tmNone);
    b.SetHourMarkStyle(hmsQuartDblLine);
    a.Assign(b);
    EXPECT_EQ(changes, 2);
    // The copy is the copy's own.
    big.SetSize(30);
    b.SetHourFont(big);
    EXPECT_EQ(a.HourFont().Size(), 20);

    a.SetDefaults();
    EXPECT_EQ(a.BackgroundColor(), plat::clWhite);
    EXPECT_EQ(a.HourFont().Size(), 8);
}

TEST(WatchSettings, AssignTellsOnlyThroughAuto) {
    TWatchSettings s, other;
    int changes = 0;
    s.OnChange = [&] { ++changes; };
    EXPECT_FALSE(s.Auto());
    EXPECT_TRUE(s.Second());
    other.SetTimeOffset(30);
    other.SetSecond(false);
    s.Assign(other);
    EXPECT_EQ(s.TimeOffset(), 30);
    EXPECT_FALSE(s.Second());
    EXPECT_EQ(changes, 0);
    other.SetAuto(true);
    s.Assign(other);
    EXPECT_TRUE(s.Auto());
    EXPECT_EQ(changes, 1);
}

}  // namespace
