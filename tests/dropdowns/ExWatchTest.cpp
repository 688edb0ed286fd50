// The clock control: what it paints, its timers, and clicks through real mouse events.
#include "dropdowns/ExTimePickerDropDown.h"
#include "platform/Clock.h"
#include "platform/Timer.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <set>

using namespace dropdowns;

namespace {

TDateTime hms(int h, int m, int s = 0) { return EncodeTime(h, m, s, 0); }

QImage grabOf(TExWatch& w) { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }

bool reddish(QRgb c) { return qRed(c) - qGreen(c) > 80 && qRed(c) - qBlue(c) > 80; }

int redPixelsAround(const QImage& img, QPoint p, int half = 7) {
    int n = 0;
    for (int y = p.y() - half; y <= p.y() + half; ++y)
        for (int x = p.x() - half; x <= p.x() + half; ++x)
            if (img.rect().contains(x, y) && reddish(img.pixel(x, y))) ++n;
    return n;
}

struct ManualTimers {
    ManualTimers() { plat::TTimer::SetManual(true); }
    ~ManualTimers() {
        plat::TTimer::SetManual(false);
        plat::setLocalNowSource({});
    }
};

void fireUntilOff(plat::TTimer& t) {
    for (int i = 0; t.Enabled() && i < 500; ++i) t.Fire();
    EXPECT_FALSE(t.Enabled());
}

void click(QWidget& w, QPoint p) { QTest::mouseClick(&w, Qt::LeftButton, {}, p); }

TEST(ExWatch, CreatedAsTheDefaultClock) {
    TExWatch w;
    EXPECT_EQ(w.size(), QSize(180, 180));
    EXPECT_EQ(w.GetFaceRect(), (plat::TRect{10, 10, 170, 170}));
    EXPECT_EQ(w.GetCenter(), QPoint(90, 90));
    EXPECT_DOUBLE_EQ(w.GetRadius(), 80);
    EXPECT_EQ(w.Style(), wsClassic);
    EXPECT_TRUE(w.Animation());
    EXPECT_EQ(w.AnimationFactor(), 10);
    EXPECT_TRUE(w.AM());
    EXPECT_TRUE(w.ShowAMPM());
    EXPECT_TRUE(w.ShowNumbers());
    EXPECT_FALSE(w.WatchTimer().Enabled());
    EXPECT_FALSE(w.AnimationTimer().Enabled());
    EXPECT_EQ(w.WatchTimer().Interval(), 100);
    EXPECT_EQ(w.AnimationTimer().Interval(), 1);
    const QSize am = AMExtentOf(w.Appearance().AMPMFont());
    EXPECT_EQ(w.GetAMPMRect(), AMPMRect(true, {90, 90}, 80, am));
    w.SetShowAMPM(false);
    EXPECT_EQ(w.GetAMPMRect(), (plat::TRect{-1, -1, -1, -1}));
}

TEST(ExWatch, NumeralsFollowTheTickMarks) {
    TExWatch w;
    plat::TFont f = w.Appearance().HourFont();
    f.SetColor(plat::clRed);
    w.Appearance().SetHourFont(f);
    const QPoint c = w.GetCenter();
    auto anchor = [&](int i) { return NumeralAnchor(i, c, 78, 0, 13); };
    struct Case {
        const char* name;
        TTickMarks marks;
        bool numbers;
        std::set<int> shown;
    } cases[] = {
        {"all marks: every numeral", tmAll, true, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {"hours: none", tmHours, true, {}},
        {"quarter hours: 3, 6, 9 and 12", tmQuartHours, true, {3, 6, 9, 12}},
        {"no marks: none", tmNone, true, {}},
        {"numbers off", tmAll, false, {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        w.Appearance().SetTickMarks(k.marks);
        w.SetShowNumbers(k.numbers);
        const QImage img = grabOf(w);
        for (int i = 1; i <= 12; ++i) {
            if (i == 12) continue;  // the hands stand over twelve at midnight
            const int red = redPixelsAround(img, anchor(i));
            if (k.shown.count(i))
                EXPECT_GT(red, 3) << "numeral " << i << " missing";
            else
                EXPECT_EQ(red, 0) << "numeral " << i << " drawn";
        }
    }
}

TEST(ExWatch, HourMarksSpanTheirRadii) {
    TExWatch w;
    w.Appearance().SetHourColor(plat::clBlue);
    w.Appearance().SetMinuteColor(plat::clLime);
    w.SetShowNumbers(false);
    const QImage img = grabOf(w);
    auto isBlue = [&](int x, int y) {
        const QRgb p = img.pixel(x, y);
        return qBlue(p) > 200 && qRed(p) < 80 && qGreen(p) < 80;
    };
    // Three o'clock: from x = 90 + 70 to just before 90 + 78 on the centre row.
    EXPECT_FALSE(isBlue(159, 90));
    for (int x = 160; x < 168; ++x) EXPECT_TRUE(isBlue(x, 90)) << x;
    // The border (4 pixels, black) follows; nothing blue beyond the mark.
    EXPECT_FALSE(isBlue(169, 90));
    // A minute mark at one minute past: green, not blue.
    const QPoint m = ClockPoint(w.GetCenter(), 6, 76);
    const QRgb mp = img.pixel(m);
    EXPECT_GT(qGreen(mp), 150);
    EXPECT_LT(qBlue(mp), 80);

    // Doubled quarter marks: two lines 2 pixels to either side, none on the radius itself.
    w.Appearance().SetHourMarkStyle(hmsQuartDblLine);
    const QImage dbl = grabOf(w);
    auto blueIn = [&](const QImage& im, int x, int y) {
        const QRgb p = im.pixel(x, y);
        return qBlue(p) > 200 && qRed(p) < 80 && qGreen(p) < 80;
    };
    for (int x = 160; x < 168; ++x) {
        EXPECT_TRUE(blueIn(dbl, x, 88)) << x;
        EXPECT_TRUE(blueIn(dbl, x, 92)) << x;
        EXPECT_FALSE(blueIn(dbl, x, 90)) << x;
    }
    // Twelve o'clock: the lines stand left and right of the radius.
    for (int y = 13; y < 20; ++y) {
        EXPECT_TRUE(blueIn(dbl, 88, y) || blueIn(dbl, 92, y)) << y;
        EXPECT_FALSE(blueIn(dbl, 90, y)) << y;
    }
    // The other hour marks stay single.
    const QPoint one = ClockPoint(w.GetCenter(), 30, 74);
    EXPECT_TRUE(blueIn(dbl, one.x(), one.y()));
}

TEST(ExWatch, TimeChangesRedrawOnlyTheHands) {
    TExWatch w;
    const QImage before = grabOf(w);
    const int faces = w.FacePaints();
    w.SetTime(hms(3, 0));
    const QImage after = grabOf(w);
    EXPECT_EQ(w.FacePaints(), faces);
    EXPECT_NE(before, after);
    // The hour hand now points to three.
    const QPoint h = ClockPoint(w.GetCenter(), 90, 30);
    EXPECT_LT(qGray(after.pixel(h)), 60);
    EXPECT_GT(qGray(before.pixel(h)), 200);
    w.Appearance().SetBackgroundColor(0xE0E0E0);
    grabOf(w);
    EXPECT_EQ(w.FacePaints(), faces + 1);
}

TEST(ExWatch, ClicksThroughMouseEvents) {
    ManualTimers manual;
    TExWatch w;
    int changes = 0;
    w.OnChange = [&](QObject* sender) {
        EXPECT_EQ(sender, &w);
        ++changes;
    };
    w.SetTime(hms(4, 40));
    click(w, QPoint(175, 90));
    EXPECT_TRUE(w.AnimationTimer().Enabled());
    fireUntilOff(w.AnimationTimer());
    EXPECT_DOUBLE_EQ(w.Time(), hms(4, 15));
    EXPECT_EQ(changes, 1);

    click(w, QPoint(125, 70));
    fireUntilOff(w.AnimationTimer());
    EXPECT_DOUBLE_EQ(w.Time(), hms(2, 15));
    EXPECT_EQ(changes, 2);

    // The AM/PM box rolls on the 10 ms timer, then the half-day changes.
    const plat::TRect box = w.GetAMPMRect();
    click(w, QPoint((box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2));
    EXPECT_TRUE(w.RollTimer().Enabled());
    EXPECT_EQ(w.RollTimer().Interval(), 10);
    EXPECT_DOUBLE_EQ(w.Time(), hms(2, 15));
    fireUntilOff(w.RollTimer());
    EXPECT_DOUBLE_EQ(w.Time(), hms(14, 15));
    EXPECT_FALSE(w.AM());
    EXPECT_EQ(changes, 3);

    // Another button works the same; in automatic mode a click does nothing.
    QTest::mouseClick(&w, Qt::RightButton, {}, QPoint(90, 40));
    fireUntilOff(w.AnimationTimer());
    EXPECT_DOUBLE_EQ(w.Time(), hms(12, 15));
    EXPECT_EQ(changes, 4);
}

TEST(ExWatch, RollFramesShowTheStripWindow) {
    ManualTimers manual;
    TExWatch w;
    w.Appearance().SetAMPMColor(0x00FFFF);  // yellow box, so the strip is easy to find
    const plat::TRect box = w.GetAMPMRect();
    const QImage am = grabOf(w);
    click(w, QPoint((box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2));
    std::vector<QImage> frames;
    while (w.RollTimer().Enabled()) {
        w.RollTimer().Fire();
        frames.push_back(grabOf(w).copy(box.toQRect()));
    }
    ASSERT_EQ(int(frames.size()), box.Height() - 2);
    // Frames differ from one another as the window moves, and the last is the painted "PM".
    for (size_t i = 1; i + 1 < frames.size(); ++i) EXPECT_NE(frames[i - 1], frames[i]) << i;
    const QImage pm = grabOf(w);
    EXPECT_NE(am.copy(box.toQRect()), pm.copy(box.toQRect()));
}

TEST(ExWatch, HandCursorOverTheAMPMBox) {
    TExWatch w;
    const plat::TRect box = w.GetAMPMRect();
    auto moveTo = [&](QPoint p) {
        QMouseEvent ev(QEvent::MouseMove, QPointF(p), w.mapToGlobal(QPointF(p)), Qt::NoButton, Qt::NoButton,
                       Qt::NoModifier);
        QApplication::sendEvent(&w, &ev);
    };
    moveTo(QPoint(box.Left + 2, box.Top + 2));
    EXPECT_EQ(w.cursor().shape(), Qt::PointingHandCursor);
    moveTo(QPoint(90, 40));
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
}

TEST(ExWatch, AutomaticModeRunsOnTheClockTimer) {
    ManualTimers manual;
    plat::setLocalNowSource([] { return QDateTime(QDate(2026, 12, 10), QTime(14, 5, 30)); });
    TExWatch w;
    w.Settings().SetTimeOffset(10);
    w.Settings().SetAuto(true);
    EXPECT_TRUE(w.WatchTimer().Enabled());
    EXPECT_EQ(DecodeTimeParts(w.GetDisplayTime()).Minute, 15);
    EXPECT_FALSE(w.AM());
    // The second hand at 30 seconds points down, over the AM/PM box.
    QImage img = grabOf(w);
    EXPECT_TRUE(reddish(img.pixel(90, 140)));
    w.Settings().SetSecond(false);
    img = grabOf(w);
    EXPECT_FALSE(reddish(img.pixel(90, 140)));
    w.Settings().SetSecond(true);
    plat::setLocalNowSource([] { return QDateTime(QDate(2026, 12, 10), QTime(14, 5, 45)); });
    w.WatchTimer().Fire();
    img = grabOf(w);
    EXPECT_FALSE(reddish(img.pixel(90, 140)));
    EXPECT_TRUE(reddish(img.pixel(40, 90)));  // 45 seconds: toward nine o'clock
}

TEST(ExWatch, StylesResetThenApplyTheirPreset) {
    TExWatch w;
    w.Appearance().SetSize(60);
    w.SetStyle(wsTower);
    const TWatchAppearance& a = w.Appearance();
    EXPECT_EQ(a.Size(), 0);
    EXPECT_EQ(a.Shape(), wsRect);
    EXPECT_EQ(a.PointerStyle(), psPointer);
    EXPECT_EQ(a.HourFont().Name(), "Century");
    EXPECT_EQ(a.BackgroundColor(), 0xB1F0FEu);
    EXPECT_EQ(a.BackgroundColorTo(), 0x5BCCE8u);
    EXPECT_EQ(a.BackgroundGradient(), wgDiagonalForward);
    EXPECT_EQ(a.CenterPointSize(), 6);
    EXPECT_EQ(a.CenterPointColor(), 0x002BD5u);
    EXPECT_EQ(a.SecondPointer(), 0x002BD5u);
    EXPECT_EQ(a.TickMarks(), tmHours);
    EXPECT_FALSE(w.ShowNumbers());

    w.SetStyle(wsClassic);
    EXPECT_EQ(a.AMPMFont().Name(), "MS Sans Serif");
    EXPECT_EQ(a.HourFont().Name(), "Comic Sans MS");
    EXPECT_EQ(a.HourFont().Size(), 10);
    EXPECT_EQ(a.HourMarkLength(), 8);
    EXPECT_EQ(a.MinuteMarkLength(), 4);
    EXPECT_EQ(a.HourPointerSize(), 5);
    EXPECT_EQ(a.HourPointer(), 0u);
    EXPECT_EQ(a.HourPointerShadow(), plat::clBtnShadow);
    EXPECT_EQ(a.Shape(), wsCircle);
    EXPECT_TRUE(w.Animation());
    EXPECT_EQ(w.AnimationFactor(), 10);
    EXPECT_TRUE(w.ShowAMPM());
    EXPECT_TRUE(w.ShowNumbers());

    // Every preset paints a face of its own, with only line or pointer hands.
    std::vector<QImage> faces;
    for (int s = wsClassic; s <= wsSmooth; ++s) {
        w.SetStyle(TWatchStyle(s));
        w.SetTime(hms(10, 10));
        EXPECT_TRUE(a.PointerStyle() == psLine || a.PointerStyle() == psPointer) << s;
        faces.push_back(grabOf(w));
    }
    for (size_t i = 0; i < faces.size(); ++i)
        for (size_t j = i + 1; j < faces.size(); ++j) EXPECT_NE(faces[i], faces[j]) << i << " and " << j;
}

TEST(ExWatch, ComponentStylesColourTheClock) {
    TExWatch w;
    const TWatchAppearance& a = w.Appearance();
    w.SetComponentStyle(tsOffice2007Silver);
    EXPECT_EQ(a.CenterPointOuterBorderColor(), 0u);
    EXPECT_EQ(a.AMPMBorderColor(), 0xE8E0DBu);
    EXPECT_EQ(a.AMPMColor(), 0xF8F4F1u);
    EXPECT_EQ(a.CenterPointBorderColor(), 0xE8E0DBu);
    EXPECT_EQ(a.CenterPointColor(), 0x74706Fu);
    EXPECT_EQ(a.HourColor(), 0x74706Fu);
    EXPECT_EQ(a.MinutePointer(), 0x74706Fu);
    EXPECT_EQ(a.SecondPointer(), 0x74706Fu);
    EXPECT_EQ(a.HourPointerShadow(), 0xFFFFFFu);

    w.SetComponentStyle(tsOffice2003Classic);
    EXPECT_EQ(a.HourPointer(), 0x808080u);
    EXPECT_EQ(a.SecondPointer(), 0x808080u);
    w.SetComponentStyle(tsOffice2003Blue);
    EXPECT_EQ(a.SecondPointer(), 0xFFFFFFu);  // its second hand differs from the others
    EXPECT_EQ(a.HourPointer(), 0xD68759u);
    w.SetComponentStyle(tsWindowsVista);
    EXPECT_EQ(a.BackgroundColorTo(), 0xFFFAF0u);
    w.SetComponentStyle(tsOffice2010Silver);
    EXPECT_EQ(a.MinutePointerShadow(), 0xC0C0C0u);
    w.SetComponentStyle(tsWindowsXP);
    EXPECT_EQ(a.BackgroundColor(), plat::clBtnFace);

    w.SetComponentStyle(tsOffice2007Obsidian);
    EXPECT_EQ(a.HourFont().Color(), 0xF2F1F0u);
    EXPECT_EQ(a.AMPMFont().Color(), 0xF2F1F0u);
    EXPECT_EQ(a.BackgroundColor(), 0x5C534Cu);

    // Custom: only the outer centre border and the two font colours.
    w.SetComponentStyle(tsCustom);
    EXPECT_EQ(a.HourFont().Color(), 0u);
    EXPECT_EQ(a.AMPMFont().Color(), 0u);
    EXPECT_EQ(a.BackgroundColor(), 0x5C534Cu);
}

// Pictures of the preset looks, to be looked at.
TEST(ExWatch, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save pictures of the clock's looks";
    QImage sheet(4 * 190, 3 * 190, QImage::Format_RGB32);
    sheet.fill(QColor(0xF0, 0xF0, 0xF0));
    QPainter p(&sheet);
    TExWatch w;
    for (int s = wsClassic; s <= wsSmooth; ++s) {
        w.SetStyle(TWatchStyle(s));
        w.SetTime(hms(s + 1, 10 + 4 * s, 0));
        p.drawImage((s % 4) * 190 + 5, (s / 4) * 190 + 5, w.grab().toImage());
    }
    p.end();
    ASSERT_TRUE(sheet.save(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("watch-styles.png"))));
}

// A window of clocks to try by hand (keys go to the clicked clock), for WATCH_LOOK_SECONDS.
TEST(ExWatch, Look) {
    const int seconds = qEnvironmentVariableIntValue("WATCH_LOOK_SECONDS");
    if (seconds <= 0) GTEST_SKIP() << "set WATCH_LOOK_SECONDS to try the clocks by hand";
    QWidget window;
    window.setWindowTitle(QStringLiteral("Clocks"));
    auto* layout = new QHBoxLayout(&window);
    const TWatchStyle styles[] = {wsClassic, wsTower, wsBlack, wsSports};
    for (TWatchStyle s : styles) {
        auto* w = new TExWatch(&window);
        w->SetStyle(s);
        w->setFixedSize(180, 180);
        w->setFocusPolicy(Qt::StrongFocus);
        w->OnKeyDown = [w](QObject*, uint16_t& Key, plat::TShiftState) { w->WatchKeyDown(Key); };
        w->OnChange = [w](QObject*) {
            const TTimeParts t = DecodeTimeParts(w->Time());
            w->setToolTip(QStringLiteral("%1:%2").arg(t.Hour, 2, 10, QChar('0')).arg(t.Minute, 2, 10, QChar('0')));
            qInfo("change %02d:%02d", t.Hour, t.Minute);
        };
        layout->addWidget(w);
    }
    auto* automatic = new TExWatch(&window);
    automatic->SetStyle(wsSmooth);
    automatic->setFixedSize(180, 180);
    automatic->Settings().SetAuto(true);
    layout->addWidget(automatic);
    window.show();
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QApplication::exec();
}

}  // namespace
