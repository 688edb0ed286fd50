// The search bar's button and check box, the band gradient and the theme tests.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPalette>
#include <QTest>
#include <QWidget>

#include "controls/ExGridButtons.h"
#include "platform/Themes.h"
#include "tests/support/EventWait.h"

using namespace plat;

namespace {

constexpr TColor kBack = RGB(1, 2, 3);

TColor at(const QImage& img, int x, int y) {
    return FromQRgb(img.pixel(x, y));
}

QImage paint(int w, int h, const std::function<void(TCanvas&)>& draw) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(ToQColor(kBack));
    TCanvas c(&img);
    draw(c);
    c.Release();
    return img;
}

// The bounding box of every pixel that differs from `back` within `area`.
QRect inkBox(const QImage& img, TColor back, const QRect& area) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (at(img, x, y) != back) box |= QRect(x, y, 1, 1);
    return box;
}

QImage render(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void press(QWidget* w, QPoint p, QEvent::Type type = QEvent::MouseButtonPress) {
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent ev(type, p, w->mapToGlobal(p), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
}
void release(QWidget* w, QPoint p) {
    press(w, p, QEvent::MouseButtonRelease);
}
void click(QWidget* w, QPoint p) {
    press(w, p);
    release(w, p);
}

// A bitmap of one colour with one other pixel at (0, 0); the bottom-left stays the first colour.
TBitmap solid(int w, int h, QRgb fill, QRgb corner) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    img.setPixel(0, 0, corner);
    TBitmap b;
    b.SetImage(img);
    return b;
}

TEST(ExGridButtons, ThemeTests) {
    EXPECT_TRUE(IsWindowsXPOrLater());
    EXPECT_TRUE(IsThemedComCtl6());
    EXPECT_EQ(CurrentXPColorScheme(), 0);
    SetThemeActive(false);
    EXPECT_FALSE(IsThemedComCtl6());
    EXPECT_EQ(CurrentXPColorScheme(), 0);
    SetThemeActive(true);

    // No colour scheme here, so the theme look is preset 1.
    TExGridButton b;
    b.SetAutoThemeAdapt(true);
    EXPECT_EQ(b.Color(), clBtnFace);
    EXPECT_EQ(b.ColorHot(), 0xEED2C1u);
    EXPECT_EQ(b.ColorDown(), 0xE2B598u);
    EXPECT_EQ(b.BorderHotColor(), 0xC56A31u);
}

TEST(ExGridButtons, BandGradient) {
    // 16 bands over 32 rows, black to (160, 80, 0): band n starts at row 2n, is 3 rows high (so the
    // next band paints over its last row) and has the n/16 share of the colour distance.
    const QImage img = paint(10, 40, [](TCanvas& c) {
        DrawBandGradient(c, RGB(0, 0, 0), RGB(160, 80, 0), clNone, 16, Rect(0, 0, 10, 32), false);
    });
    for (int n = 0; n < 16; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(at(img, 5, 2 * n), RGB(10 * n, 5 * n, 0));
        EXPECT_EQ(at(img, 5, 2 * n + 1), RGB(10 * n, 5 * n, 0));
    }
    EXPECT_EQ(at(img, 5, 32), RGB(150, 75, 0)) << "the last band reaches one row past the rectangle";
    EXPECT_EQ(at(img, 5, 33), kBack);

    // Halves round to even: 2 steps from red 0 to 1 give 0 then round(0.5) = 0; 2.5-pixel bands
    // start at 0 and round(2.5) = 2, 3 pixels wide.
    const QImage half = paint(
        8, 4, [](TCanvas& c) { DrawBandGradient(c, RGB(0, 0, 0), RGB(1, 3, 0), clNone, 2, Rect(0, 0, 5, 4), true); });
    EXPECT_EQ(at(half, 0, 1), RGB(0, 0, 0));
    EXPECT_EQ(at(half, 1, 1), RGB(0, 0, 0));
    EXPECT_EQ(at(half, 2, 1), RGB(0, 2, 0)) << "round(1.5) = 2";
    EXPECT_EQ(at(half, 4, 1), RGB(0, 2, 0));
    EXPECT_EQ(at(half, 5, 1), kBack);

    // Steps 0 counts as one band; a border outlines the rectangle.
    const QImage one =
        paint(12, 12, [](TCanvas& c) { DrawBandGradient(c, clRed, clBlue, clLime, 0, Rect(1, 1, 11, 11), true); });
    EXPECT_EQ(at(one, 5, 5), clRed);
    EXPECT_EQ(at(one, 1, 5), clLime);
    EXPECT_EQ(at(one, 10, 10), clLime);
    EXPECT_EQ(at(one, 5, 1), clLime);
}

TEST(ExGridButtons, ButtonDefaultsAndLooks) {
    TExGridButton b;
    EXPECT_EQ(b.size(), QSize(23, 22));
    EXPECT_EQ(b.Color(), 0xFF00000Fu);
    EXPECT_EQ(b.ColorTo(), clNone);
    EXPECT_EQ(b.ColorHot(), 0xCAC7C7u);
    EXPECT_EQ(b.ColorDown(), 0xD8D3D2u);
    EXPECT_EQ(b.ColorChecked(), 0x808080u);
    EXPECT_TRUE(b.Flat());
    EXPECT_TRUE(b.Shaded());
    EXPECT_TRUE(b.ShowCaption());
    EXPECT_FALSE(b.Rounded());
    EXPECT_EQ(b.Margin(), -1);
    EXPECT_EQ(b.Spacing(), 4);
    EXPECT_EQ(b.Style(), tasButton);
    EXPECT_EQ(b.Layout(), blGlyphLeft);

    struct Case {
        int look;
        TColor color, colorTo, hot, checkedTo, borderDown, borderHot;
        bool rounded;
    };
    const Case cases[] = {
        {0, 0xEDF1F1, 0xDFEBEB, 0xFAFCFC, clNone, 0xAF987A, 0xC3CECE, true},
        {1, clBtnFace, clNone, 0xEED2C1, clNone, 0xC56A31, 0xC56A31, false},
        {2, 0xFDEADA, 0xE4AE88, 0xCCF4FF, 5615103, 0, 0, false},
        {3, 0xCFF0EA, 0x8CC0B1, 0xCCF4FF, 5615103, 0, 0, false},
        {4, 0xECE2E1, 0xB39698, 0xCCF4FF, 5615103, 0, 0, false},
        {5, clBtnFace, clNone, clBtnFace, clNone, clNone, clNone, false},
        {6, 0xCAFFFF, 0xA6FFFF, 0xA8F0FD, 0x9CDDED, 0x808080, 0x808080, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.look);
        TExGridButton l;
        l.SetFlat(false);
        l.SetBorderColor(clRed);
        l.SetLook(c.look);
        EXPECT_EQ(l.Look(), 0);
        EXPECT_EQ(l.Color(), c.color);
        EXPECT_EQ(l.ColorTo(), c.colorTo);
        EXPECT_EQ(l.ColorHot(), c.hot);
        EXPECT_EQ(l.ColorCheckedTo(), c.checkedTo);
        EXPECT_EQ(l.BorderDownColor(), c.borderDown);
        EXPECT_EQ(l.BorderHotColor(), c.borderHot);
        EXPECT_EQ(l.Rounded(), c.rounded);
        EXPECT_EQ(l.BorderColor(), clNone);
        EXPECT_TRUE(l.Flat());
    }
    TExGridButton other;
    other.SetLook(2);
    other.SetLook(7);
    other.SetLook(-1);
    EXPECT_EQ(other.Color(), 0xFDEADAu) << "an unknown look changes nothing";
}

TEST(ExGridButtons, MarginAndDown) {
    TExGridButton b;
    b.SetMargin(3);
    b.SetMargin(-2);
    EXPECT_EQ(b.Margin(), 3);
    b.SetMargin(-1);
    EXPECT_EQ(b.Margin(), -1);

    b.SetDown(true);
    EXPECT_FALSE(b.Down()) << "a button outside any group never stays down";
    b.SetStyle(tasCheck);
    b.SetDown(true);
    EXPECT_TRUE(b.Down());
    b.SetDown(false);
    EXPECT_FALSE(b.Down());

    TExGridButton g;
    g.SetGroupIndex(2);
    g.SetDown(true);
    EXPECT_TRUE(g.Down());
    EXPECT_EQ(g.State(), bsExclusive);
    g.SetDown(false);
    EXPECT_TRUE(g.Down()) << "without AllowAllUp the last button of a group stays down";
    g.SetAllowAllUp(true);
    g.SetDown(false);
    EXPECT_FALSE(g.Down());
    EXPECT_EQ(g.State(), bsUp);
}

TEST(ExGridButtons, Groups) {
    QWidget parent;
    TExGridButton a(&parent), b(&parent), other(&parent);
    b.move(30, 0);
    other.move(60, 0);
    a.SetGroupIndex(1);
    b.SetGroupIndex(1);
    other.SetGroupIndex(2);
    int clicksA = 0, clicksB = 0;
    a.OnClick = [&](QObject*) { ++clicksA; };
    b.OnClick = [&](QObject*) { ++clicksB; };

    click(&a, {5, 5});
    EXPECT_TRUE(a.Down());
    other.SetDown(true);
    click(&b, {5, 5});
    EXPECT_TRUE(b.Down());
    EXPECT_FALSE(a.Down()) << "pressing the second raises the first";
    EXPECT_EQ(a.State(), bsUp);
    EXPECT_TRUE(other.Down()) << "another group is not told";
    click(&b, {5, 5});
    EXPECT_TRUE(b.Down()) << "clicking the down button again keeps it down";
    EXPECT_EQ(clicksA, 1);
    EXPECT_EQ(clicksB, 2);

    // AllowAllUp spreads over the group, and then the down button comes up when clicked.
    a.SetAllowAllUp(true);
    EXPECT_TRUE(b.AllowAllUp());
    EXPECT_FALSE(other.AllowAllUp());
    click(&b, {5, 5});
    EXPECT_FALSE(b.Down());

    // A press released outside neither clicks nor changes the group.
    press(&a, {5, 5});
    EXPECT_EQ(a.State(), bsDown);
    release(&a, {40, 5});
    EXPECT_FALSE(a.Down());
    EXPECT_EQ(a.State(), bsUp);
    EXPECT_EQ(clicksA, 1);
}

TEST(ExGridButtons, CheckStyleAndPlainClick) {
    TExGridButton check;
    check.SetStyle(tasCheck);
    int clicks = 0;
    check.OnClick = [&](QObject*) { ++clicks; };
    click(&check, {5, 5});
    EXPECT_TRUE(check.Down());
    click(&check, {5, 5});
    EXPECT_FALSE(check.Down());
    EXPECT_EQ(clicks, 2);

    TExGridButton plain;
    int plainClicks = 0;
    plain.OnClick = [&](QObject*) { ++plainClicks; };
    click(&plain, {5, 5});
    EXPECT_EQ(plainClicks, 1) << "one click, not one from the platform and one from the button";
    EXPECT_FALSE(plain.Down());
    EXPECT_EQ(plain.State(), bsUp);
    plain.setEnabled(false);
    click(&plain, {5, 5});
    EXPECT_EQ(plainClicks, 1);
}

TEST(ExGridButtons, DropDownPart) {
    QWidget parent;
    parent.resize(200, 100);
    TExGridButton b(&parent);
    b.move(10, 20);
    b.resize(40, 22);
    b.SetDropDownButton(true);
    int clicks = 0, drops = 0;
    b.OnClick = [&](QObject*) { ++clicks; };
    b.OnDropDown = [&](QObject* s) {
        EXPECT_EQ(s, &b);
        ++drops;
    };
    click(&b, {28, 5});  // the rightmost 12 pixels start at 28
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(b.State(), bsUp);
    click(&b, {27, 5});
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(clicks, 1);

    // The menu opens below the button, at the parent's place of its bottom-left corner.
    auto* menu = new QMenu(&parent);
    menu->addAction("One");
    b.SetDropDownMenu(menu);
    click(&b, {30, 5});
    EXPECT_EQ(drops, 2);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), parent.mapToGlobal(QPoint(10, 42)));
    menu->hide();
    delete menu;
    EXPECT_EQ(b.DropDownMenu(), nullptr) << "a removed menu is forgotten";
    click(&b, {30, 5});
    EXPECT_EQ(drops, 3);

    // Without the drop-down part the whole button clicks.
    b.SetDropDownButton(false);
    click(&b, {35, 5});
    EXPECT_EQ(drops, 3);
    EXPECT_EQ(clicks, 2);
}

TEST(ExGridButtons, GlyphCopies) {
    TExGridButton b;
    b.SetGlyph(solid(4, 3, qRgb(10, 20, 30), qRgb(255, 255, 255)));
    const QImage grey = b.GlyphDisabled().Image();
    ASSERT_EQ(grey.size(), QSize(4, 3));
    EXPECT_EQ(FromQRgb(grey.pixel(0, 0)), RGB(223, 223, 223));
    EXPECT_EQ(FromQRgb(grey.pixel(1, 1)), RGB(106, 106, 106));  // (60 / 3) / 2 + 96

    // The shade is the glyph's silhouette in mid grey; the transparent colour stays.
    const QImage shade = b.GlyphShade().Image();
    EXPECT_EQ(FromQRgb(shade.pixel(0, 0)), clGray);
    EXPECT_EQ(FromQRgb(shade.pixel(1, 1)), RGB(10, 20, 30));
    EXPECT_EQ(b.GlyphShade().TransparentColor(), RGB(10, 20, 30));

    // A disabled glyph of its own is kept.
    b.SetGlyph(solid(4, 3, qRgb(0, 0, 0), qRgb(0, 0, 0)));
    EXPECT_EQ(FromQRgb(b.GlyphDisabled().Image().pixel(0, 0)), RGB(223, 223, 223));
    TExGridButton own;
    own.SetGlyphDisabled(solid(2, 2, qRgb(1, 1, 1), qRgb(1, 1, 1)));
    own.SetGlyph(solid(4, 3, qRgb(0, 0, 0), qRgb(0, 0, 0)));
    EXPECT_EQ(own.GlyphDisabled().Width(), 2);
}

TEST(ExGridButtons, LayoutOfGlyphAndCaption) {
    TExGridButton b;
    b.resize(100, 30);
    b.SetCaption("Go");
    const int tw = b.Canvas().TextWidth("Go"), th = b.Canvas().TextHeight("Go");
    const TRect client = Rect(0, 0, 100, 30);
    const QSize glyph(16, 16);
    struct Case {
        const char* name;
        TButtonLayout layout;
        int margin, spacing;
        bool rtl;
        QPoint glyphPos, textPos;
    };
    const int centreMargin = (100 - (16 + 4 + tw) + 1) / 2;
    const Case cases[] = {
        {"left, centred", blGlyphLeft, -1, 4, false, {centreMargin, 7}, {centreMargin + 20, (30 - th + 1) / 2}},
        {"left, margin 2", blGlyphLeft, 2, 4, false, {2, 7}, {22, (30 - th + 1) / 2}},
        {"right, margin 2", blGlyphRight, 2, 4, false, {82, 7}, {82 - 4 - tw, (30 - th + 1) / 2}},
        {"left turns right in right-to-left", blGlyphLeft, 2, 4, true, {82, 7}, {82 - 4 - tw, (30 - th + 1) / 2}},
        {"spacing -1", blGlyphLeft, 2, -1, false, {2, 7}, {18 + (100 - 2 - 16 - tw) / 2, (30 - th + 1) / 2}},
        {"both -1",
         blGlyphLeft,
         -1,
         -1,
         false,
         {(100 - 16 - tw) / 3, 7},
         {2 * ((100 - 16 - tw) / 3) + 16, (30 - th + 1) / 2}},
        {"top, margin 1", blGlyphTop, 1, 2, false, {42, 1}, {(100 - tw + 1) / 2, 19}},
        {"bottom, margin 1", blGlyphBottom, 1, 2, false, {42, 13}, {(100 - tw + 1) / 2, 11 - th}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        b.SetLayout(c.layout);
        b.SetMargin(c.margin);
        b.SetSpacing(c.spacing);
        const auto lay = b.CalcLayout(client, QPoint(0, 0), glyph, c.rtl);
        EXPECT_EQ(lay.GlyphPos, c.glyphPos);
        EXPECT_EQ(QPoint(lay.TextBounds.Left, lay.TextBounds.Top), c.textPos);
        EXPECT_EQ(lay.TextBounds.Width(), tw);
    }
    // The content rectangle and the pressed offset move both.
    b.SetLayout(blGlyphLeft);
    b.SetMargin(2);
    b.SetSpacing(4);
    const auto moved = b.CalcLayout(Rect(3, 4, 103, 34), QPoint(1, 1), glyph, false);
    EXPECT_EQ(moved.GlyphPos, QPoint(6, 12));
}

TEST(ExGridButtons, Painting) {
    TExGridButton b;
    b.resize(30, 22);
    b.SetColor(clRed);
    QImage img = render(b);
    EXPECT_EQ(at(img, 15, 11), clRed);
    EXPECT_EQ(at(img, 0, 0), at(img, 0, 0));

    // A band gradient from top to bottom.
    b.SetColorTo(clBlue);
    img = render(b);
    // Inside the 1-pixel edge 20 rows take 16 bands of 1.25: the first covers row 1 only, as the
    // second starts at round(1.25) + 1.
    EXPECT_EQ(at(img, 15, 1), clRed);
    EXPECT_NE(at(img, 15, 2), clRed);
    EXPECT_NE(at(img, 15, 19), clRed);

    // A tasCheck button that is down shows the checked colour.
    TExGridButton check;
    check.resize(30, 22);
    check.SetStyle(tasCheck);
    check.SetColorChecked(clLime);
    check.SetBorderDownColor(clBlue);
    check.SetDown(true);
    img = render(check);
    EXPECT_EQ(at(img, 15, 11), clLime);
    EXPECT_EQ(at(img, 0, 11), clBlue);

    // The drop-down arrow in the font colour, right of the content.
    TExGridButton drop;
    drop.resize(40, 22);
    drop.SetColor(clWhite);
    drop.Font().SetColor(clBlack);
    drop.SetDropDownButton(true);
    img = render(drop);
    const QRect arrow = inkBox(img, clWhite, QRect(25, 1, 14, 20));
    EXPECT_FALSE(arrow.isEmpty());
    EXPECT_GE(arrow.left(), 40 - 2 - 8);
    EXPECT_LE(arrow.right(), 40 - 2 - 4);

    // The classic, raised push button when not flat.
    TExGridButton raised;
    raised.resize(30, 22);
    raised.SetFlat(false);
    img = render(raised);
    EXPECT_EQ(at(img, 15, 11), ColorToRGB(clBtnFace));
    EXPECT_EQ(at(img, 29, 21), ColorToRGB(cl3DDkShadow));
}

TEST(ExGridButtons, HotTrackingAndEnabling) {
    TExGridButton b;
    b.resize(30, 22);
    b.SetColor(clRed);
    b.SetColorHot(clLime);
    int entered = 0, left = 0;
    b.OnMouseEnter = [&](QObject*) { ++entered; };
    b.OnMouseLeave = [&](QObject*) { ++left; };
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), b.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&b, &enter);
    EXPECT_TRUE(b.MouseInControl());
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(at(render(b), 15, 11), clLime);

    // Pressed while hot: the down colour.
    b.SetColorDown(clBlue);
    press(&b, {5, 5});
    EXPECT_EQ(at(render(b), 15, 11), clBlue);
    release(&b, {5, 5});

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&b, &leave);
    EXPECT_FALSE(b.MouseInControl());
    EXPECT_EQ(left, 1);
    EXPECT_EQ(at(render(b), 15, 11), clRed);

    // Disabling ends the hot look and the press; enabling brings the button back up.
    QApplication::sendEvent(&b, &enter);
    b.setEnabled(false);
    EXPECT_FALSE(b.MouseInControl());
    EXPECT_EQ(b.State(), bsDisabled);
    EXPECT_EQ(at(render(b), 15, 11), clRed);
    b.setEnabled(true);
    EXPECT_EQ(b.State(), bsUp);

    // A checked tasCheck under the pointer shows the checked colour, and the down colour while held.
    TExGridButton check;
    check.resize(30, 22);
    check.SetStyle(tasCheck);
    check.SetColorChecked(clYellow);
    check.SetColorDown(clBlue);
    check.SetDown(true);
    QApplication::sendEvent(&check, &enter);
    EXPECT_EQ(at(render(check), 15, 11), clYellow);
    press(&check, {5, 5});
    EXPECT_EQ(at(render(check), 15, 11), clBlue);
    release(&check, {5, 5});
    EXPECT_FALSE(check.Down());

    // A button that is not flat does not track.
    TExGridButton raised;
    raised.SetFlat(false);
    raised.SetColorHot(clLime);
    QApplication::sendEvent(&raised, &enter);
    EXPECT_NE(at(render(raised), 11, 11), clLime);
}

TEST(ExGridButtons, Mnemonic) {
    QWidget window;
    window.resize(100, 40);
    TExGridButton b(&window);
    b.SetCaption("&Go");
    int clicks = 0;
    b.OnClick = [&](QObject*) { ++clicks; };
    window.show();
    window.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    b.setEnabled(false);
    QTest::keyClick(&window, Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
}

TEST(ExGridButtons, ActionLink) {
    QAction action("Find");
    action.setCheckable(true);
    action.setProperty("GroupIndex", 3);
    TExGridButton b;
    b.SetAllowAllUp(true);
    b.SetAction(&action);
    EXPECT_EQ(b.Caption(), "Find");
    EXPECT_EQ(b.GroupIndex(), 3);
    action.setText("Search");
    EXPECT_EQ(b.Caption(), "Search");
    action.setChecked(true);
    EXPECT_TRUE(b.Down());
    action.setChecked(false);
    EXPECT_FALSE(b.Down());

    // A caption of the button's own is no longer linked.
    b.SetCaption("Mine");
    action.setText("Other");
    EXPECT_EQ(b.Caption(), "Mine");
    EXPECT_FALSE(b.ActionLink().IsCaptionLinked());
    EXPECT_TRUE(b.ActionLink().IsGroupIndexLinked());
}

// ---------------------------------------------------------------------------------------------------

class Box : public TExCheckBox {
public:
    using TExCheckBox::KeyUpTimer;
};

void key(QWidget* w, QEvent::Type type, int k) {
    QKeyEvent ev(type, k, Qt::NoModifier, k == Qt::Key_Space ? QStringLiteral(" ") : QString());
    QApplication::sendEvent(w, &ev);
}

void space(Box& b) {
    key(&b, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_TRUE(b.Down());
    key(&b, QEvent::KeyRelease, Qt::Key_Space);
    b.KeyUpTimer().Fire();
}

TEST(ExCheckBox, DefaultsAndState) {
    TExCheckBox b;
    EXPECT_EQ(b.size(), QSize(98, 20));
    EXPECT_EQ(b.Caption(), "TExCheckBox");
    EXPECT_FALSE(b.Checked());
    EXPECT_EQ(b.State(), cbUnchecked);
    EXPECT_EQ(b.Alignment(), taLeftJustify);
    EXPECT_EQ(b.ButtonVertAlign(), tlTop);
    EXPECT_EQ(b.Color(), clWindow);
    EXPECT_FALSE(b.focusPolicy() & Qt::TabFocus);

    b.SetState(cbGrayed);
    EXPECT_FALSE(b.Checked());
    b.SetChecked(true);
    EXPECT_EQ(b.State(), cbChecked);
    b.SetChecked(false);
    EXPECT_EQ(b.State(), cbUnchecked);
}

TEST(ExCheckBox, KeysAndMouse) {
    QWidget window;
    window.resize(200, 60);
    Box b;
    b.setParent(&window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&window));
    int clicks = 0;
    b.OnClick = [&](QObject*) { ++clicks; };
    b.setFocus();

    space(b);
    EXPECT_TRUE(b.Checked()) << "Space down and up toggles once";
    EXPECT_FALSE(b.Down());
    EXPECT_EQ(clicks, 1);

    click(&b, {5, 5});
    EXPECT_FALSE(b.Checked());
    EXPECT_EQ(clicks, 2);

    // A press released outside leaves the box; moving out lifts it.
    press(&b, {5, 5});
    EXPECT_TRUE(b.Down());
    QMouseEvent move(QEvent::MouseMove, QPointF(150, 5), b.mapToGlobal(QPointF(150, 5)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&b, &move);
    EXPECT_FALSE(b.Down());
    release(&b, {150, 5});
    EXPECT_FALSE(b.Checked());
    EXPECT_EQ(clicks, 2);

    // Read-only: nothing changes, but the click still runs.
    b.SetReadOnly(true);
    click(&b, {5, 5});
    space(b);
    EXPECT_FALSE(b.Checked());
    EXPECT_EQ(clicks, 4);

    // Enter is a Tab with ReturnIsTab.
    Box next;
    next.setParent(&window);
    next.move(0, 30);
    next.setFocusPolicy(Qt::StrongFocus);
    b.setFocusPolicy(Qt::StrongFocus);
    next.show();
    b.setFocus();
    b.SetReturnIsTab(true);
    key(&b, QEvent::KeyPress, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_TRUE(next.hasFocus());
}

TEST(ExCheckBox, AcceleratorAndHot) {
    QWidget window;
    window.resize(200, 60);
    TExCheckBox b(&window);
    b.SetCaption("&Wide");
    QWidget other(&window);
    other.setFocusPolicy(Qt::StrongFocus);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&window));
    other.setFocus();
    QTest::keyClick(&window, Qt::Key_W, Qt::AltModifier);
    EXPECT_TRUE(b.Checked());
    EXPECT_TRUE(other.hasFocus()) << "no tab stop: the accelerator toggles without taking the focus";
    b.setFocusPolicy(Qt::StrongFocus);
    QTest::keyClick(&window, Qt::Key_W, Qt::AltModifier);
    EXPECT_FALSE(b.Checked());
    EXPECT_TRUE(b.hasFocus());

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), b.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&b, &enter);
    EXPECT_TRUE(b.Hot());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&b, &leave);
    EXPECT_FALSE(b.Hot());
}

TEST(ExCheckBox, TransparentShowsTheParent) {
    SetThemeActive(false);
    QWidget parent;
    parent.resize(120, 30);
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, ToQColor(clRed));
    parent.setPalette(pal);
    parent.setAutoFillBackground(true);
    TExCheckBox b(&parent);
    b.SetCaption("");
    b.SetColor(clLime);
    QImage img = parent.grab().toImage();
    EXPECT_EQ(at(img, 60, 10), clLime);
    b.SetTransparent(true);
    img = parent.grab().toImage();
    EXPECT_EQ(at(img, 60, 10), clRed);
    SetThemeActive(true);
}

TEST(ExCheckBox, BoxPositions) {
    // The box's ink, themed and classic, stays in the rectangle of its alignment and layout.
    struct Case {
        const char* name;
        bool themed;
        TAlignment alignment;
        TTextLayout layout;
        QRect box;  // in a 60 x 40 check box
    };
    const Case cases[] = {
        {"themed left top", true, taLeftJustify, tlTop, {0, 4, 14, 14}},
        {"themed left center", true, taLeftJustify, tlCenter, {0, 14, 14, 14}},
        {"themed left bottom", true, taLeftJustify, tlBottom, {0, 26, 14, 14}},
        {"themed right top", true, taRightJustify, tlTop, {45, 4, 14, 14}},
        {"themed right center", true, taRightJustify, tlCenter, {45, 14, 14, 14}},
        {"themed right bottom", true, taRightJustify, tlBottom, {45, 26, 14, 14}},
        {"classic left top", false, taLeftJustify, tlTop, {0, 4, 13, 13}},
        {"classic left center", false, taLeftJustify, tlCenter, {0, 14, 13, 13}},
        {"classic left bottom", false, taLeftJustify, tlBottom, {0, 23, 13, 13}},
        {"classic right top", false, taRightJustify, tlTop, {47, 4, 13, 13}},
        {"classic right center", false, taRightJustify, tlCenter, {47, 14, 13, 13}},
        {"classic right bottom", false, taRightJustify, tlBottom, {47, 23, 13, 13}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetThemeActive(c.themed);
        TExCheckBox b;
        b.resize(60, 40);
        b.SetCaption("");
        b.SetColor(kBack);
        b.SetAlignment(c.alignment);
        b.SetButtonVertAlign(c.layout);
        EXPECT_EQ(b.BoxRect(c.themed).toQRect(), c.box);
        const QImage img = render(b);
        const QRect ink = inkBox(img, kBack, img.rect());
        EXPECT_FALSE(ink.isEmpty());
        EXPECT_TRUE(c.box.contains(ink)) << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
        if (!c.themed) {
            EXPECT_EQ(ink, c.box) << "the classic frame fills its 13 x 13 exactly";
        }
        EXPECT_TRUE(ink.contains(c.box.center()));
    }
    SetThemeActive(true);
}

TEST(ExCheckBox, CheckedBoxDiffers) {
    for (bool themed : {true, false}) {
        SCOPED_TRACE(themed ? "themed" : "classic");
        SetThemeActive(themed);
        TExCheckBox b;
        b.SetCaption("");
        const QImage off = render(b);
        b.SetChecked(true);
        const QImage on = render(b);
        b.SetState(cbGrayed);
        const QImage grayed = render(b);
        EXPECT_NE(off, on);
        EXPECT_NE(on, grayed);
    }
    SetThemeActive(true);
}

TEST(ExCheckBox, CaptionPlace) {
    SetThemeActive(false);
    TExCheckBox b;
    b.resize(120, 24);
    b.SetColor(clWhite);
    b.Font().SetColor(clBlack);
    b.SetCaption("Wx");
    QImage img = render(b);
    QRect text = inkBox(img, clWhite, QRect(14, 0, 106, 24));
    EXPECT_GE(text.left(), 15);
    EXPECT_GE(text.top(), 4);
    b.SetAlignment(taRightJustify);
    img = render(b);
    text = inkBox(img, clWhite, QRect(0, 0, 100, 24));
    EXPECT_GE(text.left(), 6);
    EXPECT_LT(text.left(), 15);
    SetThemeActive(true);
}

}  // namespace
