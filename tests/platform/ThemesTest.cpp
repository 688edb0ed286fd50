// The theme painter: themed parts through the widget style, the classic frame controls and edges
// from the fixed system colours.
#include "platform/Themes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <cstdlib>
#include <functional>

using namespace plat;

namespace {

constexpr TColor kBack = RGB(1, 2, 3);

QImage paint(int w, int h, const std::function<void(TCanvas&)>& draw) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(ToQColor(kBack));
    TCanvas c(&img);
    draw(c);
    c.Release();
    return img;
}

TColor at(const QImage& img, int x, int y) { return FromQRgb(img.pixel(x, y)); }

int count(const QImage& img, TColor color) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) n += at(img, x, y) == ColorToRGB(color);
    return n;
}

QImage themed(QStringView cls, int part, int state, int w = 60, int h = 24) {
    return paint(w, h, [&](TCanvas& c) {
        const TThemeData theme = OpenThemeData(nullptr, cls);
        ASSERT_TRUE(theme);
        EXPECT_TRUE(DrawThemeBackground(theme, c, part, state, Rect(0, 0, w, h)));
    });
}

TEST(Themes, PushButtonStatesLookDifferent) {
    const QImage images[] = {themed(u"button", BP_PUSHBUTTON, PBS_NORMAL), themed(u"button", BP_PUSHBUTTON, PBS_HOT),
                             themed(u"button", BP_PUSHBUTTON, PBS_PRESSED),
                             themed(u"button", BP_PUSHBUTTON, PBS_DISABLED)};
    const char* names[] = {"normal", "hot", "pressed", "disabled"};
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j) EXPECT_NE(images[i], images[j]) << names[i] << " vs " << names[j];
    EXPECT_NE(count(images[0], kBack), 60 * 24);  // something was drawn
}

TEST(Themes, CheckAndRadioStatesAndTheOtherClasses) {
    // Unchecked, checked and mixed of one look differ; so do the looks of one check state.
    for (int part : {BP_CHECKBOX, BP_RADIOBUTTON}) {
        const QImage off = themed(u"button", part, 1, 16, 16), on = themed(u"button", part, 5, 16, 16);
        EXPECT_NE(off, on) << part;
        EXPECT_NE(themed(u"button", part, 5, 16, 16), themed(u"button", part, 8, 16, 16)) << part;  // disabled
    }
    EXPECT_NE(themed(u"button", BP_CHECKBOX, 1, 16, 16), themed(u"button", BP_CHECKBOX, 9, 16, 16));
    EXPECT_NE(themed(u"spin", SPNP_UP, UPS_NORMAL, 16, 10), themed(u"spin", SPNP_DOWN, UPS_NORMAL, 16, 10));
    EXPECT_NE(themed(u"spin", SPNP_UPHORZ, UPS_NORMAL, 16, 10), themed(u"spin", SPNP_DOWNHORZ, UPS_NORMAL, 16, 10));
    EXPECT_NE(themed(u"COMBOBOX", CP_DROPDOWNBUTTON, CBXS_NORMAL, 17, 20),
              themed(u"combobox", CP_DROPDOWNBUTTON, CBXS_DISABLED, 17, 20));
    // A style may draw its header sections alike in every state; they are drawn all the same.
    for (int state : {HIS_NORMAL, HIS_HOT, HIS_PRESSED})
        EXPECT_NE(count(themed(u"header", HP_HEADERITEM, state, 60, 20), kBack), 60 * 20) << state;
    EXPECT_NE(themed(u"header", HP_HEADERSORTARROW, HSAS_SORTEDUP, 16, 16),
              themed(u"header", HP_HEADERSORTARROW, HSAS_SORTEDDOWN, 16, 16));
}

TEST(Themes, RefusesWhatItDoesNotDraw) {
    EXPECT_FALSE(OpenThemeData(nullptr, u"tooltip"));
    const TThemeData button = OpenThemeData(nullptr, u"button");
    QImage img(20, 20, QImage::Format_RGB32);
    img.fill(ToQColor(kBack));
    TCanvas c(&img);
    EXPECT_FALSE(DrawThemeBackground(button, c, BP_PUSHBUTTON, 6, Rect(0, 0, 20, 20)));
    EXPECT_FALSE(DrawThemeBackground(button, c, 4, 1, Rect(0, 0, 20, 20)));
    EXPECT_FALSE(DrawThemeBackground(button, c, BP_CHECKBOX, 13, Rect(0, 0, 20, 20)));
    EXPECT_FALSE(DrawThemeBackground(OpenThemeData(nullptr, u"spin"), c, 5, 1, Rect(0, 0, 20, 20)));
    EXPECT_FALSE(DrawThemeBackground(OpenThemeData(nullptr, u"header"), c, HP_HEADERITEM, 4, Rect(0, 0, 20, 20)));
    EXPECT_FALSE(DrawThemeBackground(OpenThemeData(nullptr, u"header"), c, 2, 1, Rect(0, 0, 20, 20)));
    c.Release();
    EXPECT_EQ(count(img, kBack), 400);

    ASSERT_TRUE(IsThemeActive());
    SetThemeActive(false);
    EXPECT_FALSE(OpenThemeData(nullptr, u"button"));
    SetThemeActive(true);
    EXPECT_TRUE(OpenThemeData(nullptr, u"button"));
    EXPECT_TRUE(IsWindowsXPOrLater() && IsComCtl6() && ThemeBindingLoaded());
    EXPECT_TRUE(CurrentThemeColorName().isEmpty());
}

TEST(Themes, RaisedEdgeHasItsFourColours) {
    TRect r = Rect(0, 0, 10, 8);
    const QImage img = paint(10, 8, [&](TCanvas& c) { DrawEdge(c, r, EDGE_RAISED, BF_RECT | BF_ADJUST); });
    // Outer ring: light left and top, dark right and bottom, the dark lines owning the corners
    // bottom-left and top-right.
    for (int y = 0; y < 7; ++y) EXPECT_EQ(at(img, 0, y), ColorToRGB(cl3DLight)) << y;
    for (int x = 0; x < 9; ++x) EXPECT_EQ(at(img, x, 0), ColorToRGB(cl3DLight)) << x;
    for (int y = 0; y < 8; ++y) EXPECT_EQ(at(img, 9, y), ColorToRGB(cl3DDkShadow)) << y;
    for (int x = 0; x < 10; ++x) EXPECT_EQ(at(img, x, 7), ColorToRGB(cl3DDkShadow)) << x;
    // Inner ring.
    for (int y = 1; y < 6; ++y) EXPECT_EQ(at(img, 1, y), ColorToRGB(clBtnHighlight)) << y;
    for (int x = 1; x < 8; ++x) EXPECT_EQ(at(img, x, 1), ColorToRGB(clBtnHighlight)) << x;
    for (int y = 1; y < 7; ++y) EXPECT_EQ(at(img, 8, y), ColorToRGB(clBtnShadow)) << y;
    for (int x = 1; x < 9; ++x) EXPECT_EQ(at(img, x, 6), ColorToRGB(clBtnShadow)) << x;
    EXPECT_EQ(at(img, 4, 4), kBack);  // no middle asked for
    EXPECT_EQ(r, Rect(2, 2, 8, 6));
}

TEST(Themes, EdgeRingsSidesAndMiddle) {
    struct Case {
        const char* name;
        unsigned edge, flags;
        TColor left, top, right, bottom, middle;
    } cases[] = {
        {"sunken outer", BDR_SUNKENOUTER, BF_RECT, clBtnShadow, clBtnShadow, clBtnHighlight, clBtnHighlight, kBack},
        {"sunken inner", BDR_SUNKENINNER, BF_RECT, cl3DDkShadow, cl3DDkShadow, cl3DLight, cl3DLight, kBack},
        {"raised inner", BDR_RAISEDINNER, BF_RECT | BF_MIDDLE, clBtnHighlight, clBtnHighlight, clBtnShadow, clBtnShadow,
         clBtnFace},
        {"left and bottom only", BDR_RAISEDOUTER, BF_LEFT | BF_BOTTOM | BF_MIDDLE, cl3DLight, clBtnFace, clBtnFace,
         cl3DDkShadow, clBtnFace},
    };
    for (const Case& cs : cases) {
        TRect r = Rect(0, 0, 10, 10);
        const QImage img = paint(10, 10, [&](TCanvas& c) { DrawEdge(c, r, cs.edge, cs.flags); });
        EXPECT_EQ(at(img, 0, 5), ColorToRGB(cs.left)) << cs.name;
        EXPECT_EQ(at(img, 5, 0), ColorToRGB(cs.top)) << cs.name;
        EXPECT_EQ(at(img, 9, 5), ColorToRGB(cs.right)) << cs.name;
        EXPECT_EQ(at(img, 5, 9), ColorToRGB(cs.bottom)) << cs.name;
        EXPECT_EQ(at(img, 5, 5), ColorToRGB(cs.middle)) << cs.name;
        EXPECT_EQ(r, Rect(0, 0, 10, 10)) << cs.name;  // not adjusted without BF_ADJUST
    }
}

TEST(Themes, ClassicFrameControls) {
    auto frame = [](unsigned type, unsigned state, int w = 17, int h = 17) {
        return paint(w, h, [&](TCanvas& c) {
            TRect r = Rect(0, 0, w, h);
            EXPECT_TRUE(DrawFrameControl(c, r, type, state));
        });
    };
    // Push button: raised, sunken when pushed, a thin frame when flat; the flags change the look.
    const QImage push = frame(DFC_BUTTON, DFCS_BUTTONPUSH);
    EXPECT_EQ(at(push, 0, 0), ColorToRGB(cl3DLight));
    EXPECT_EQ(at(push, 8, 8), ColorToRGB(clBtnFace));
    EXPECT_EQ(at(frame(DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED), 0, 0), ColorToRGB(clBtnShadow));
    const QImage flat = frame(DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_FLAT);
    EXPECT_EQ(at(flat, 0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(at(flat, 1, 1), ColorToRGB(clBtnFace));
    EXPECT_NE(frame(DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_FLAT | DFCS_HOT), flat);

    QImage img(20, 20, QImage::Format_RGB32);
    TCanvas c(&img);
    TRect r = Rect(0, 0, 20, 20);
    DrawFrameControl(c, r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
    EXPECT_EQ(r, Rect(2, 2, 18, 18));
    r = Rect(0, 0, 20, 20);
    EXPECT_FALSE(DrawFrameControl(c, r, 7, 0));
    EXPECT_FALSE(DrawFrameControl(c, r, DFC_SCROLL, 4));

    // Arrows: black on the face, grey when inactive, moved one pixel when pushed.
    for (unsigned kind : {DFCS_SCROLLUP, DFCS_SCROLLDOWN, DFCS_SCROLLLEFT, DFCS_SCROLLRIGHT, DFCS_SCROLLCOMBOBOX}) {
        const QImage a = frame(DFC_SCROLL, kind);
        EXPECT_GT(count(a, clBtnText), 5) << kind;
        const QImage grey = frame(DFC_SCROLL, kind | DFCS_INACTIVE);
        EXPECT_EQ(count(grey, clBtnText), 0) << kind;
        EXPECT_EQ(count(grey, clGrayText), count(a, clBtnText)) << kind;
        EXPECT_NE(frame(DFC_SCROLL, kind | DFCS_PUSHED), a) << kind;
    }
    EXPECT_NE(frame(DFC_SCROLL, DFCS_SCROLLUP), frame(DFC_SCROLL, DFCS_SCROLLDOWN));
    EXPECT_EQ(frame(DFC_SCROLL, DFCS_SCROLLDOWN), frame(DFC_SCROLL, DFCS_SCROLLCOMBOBOX));

    // Check box and radio button: a window-coloured inside, a mark when checked.
    for (unsigned kind : {DFCS_BUTTONCHECK, DFCS_BUTTONRADIO}) {
        const QImage off = frame(DFC_BUTTON, kind, 13, 13), on = frame(DFC_BUTTON, kind | DFCS_CHECKED, 13, 13);
        EXPECT_EQ(count(off, clWindowText), 0) << kind;
        EXPECT_GT(count(on, clWindowText), 3) << kind;
        EXPECT_EQ(at(off, 6, 6), ColorToRGB(clWindow)) << kind;
        EXPECT_GT(count(frame(DFC_BUTTON, kind | DFCS_CHECKED | DFCS_INACTIVE, 13, 13), clGrayText), 3) << kind;
        EXPECT_NE(frame(DFC_BUTTON, kind | DFCS_FLAT, 13, 13), off) << kind;
    }
}

TEST(Themes, LeavesTheCanvasStateAlone) {
    QImage img(20, 20, QImage::Format_RGB32);
    TCanvas c(&img);
    c.Pen().SetColor(clRed);
    c.Brush().SetColor(clLime);
    TRect r = Rect(0, 0, 20, 20);
    DrawEdge(c, r, EDGE_SUNKEN, BF_RECT | BF_MIDDLE);
    DrawFrameControl(c, r, DFC_SCROLL, DFCS_SCROLLUP);
    DrawThemeBackground(OpenThemeData(nullptr, u"button"), c, BP_PUSHBUTTON, PBS_HOT, r);
    EXPECT_EQ(c.Pen().Color(), clRed);
    EXPECT_EQ(c.Brush().Color(), clLime);
    c.FillRect(Rect(0, 0, 1, 1));
    c.Release();
    EXPECT_EQ(at(img, 0, 0), clLime);  // the painter still fills with the canvas's brush
}

}  // namespace

// Check boxes and radio buttons are drawn once per look and copied after: a copy at any whole-pixel
// place, and the drawing through a scaled painter, show what the style draws there itself.
TEST(Themes, KeptCheckGlyphsShowWhatTheStyleDraws) {
    auto direct = [](QImage& img, int part, int state, const QRect& r, qreal scale) {
        QPainter p(&img);
        p.scale(scale, scale);
        QStyleOptionButton opt;
        opt.rect = r;
        opt.palette = QApplication::palette();
        opt.direction = QApplication::layoutDirection();
        const int look = (state - 1) % 4, check = (state - 1) / 4;
        opt.state = look == 3 ? QStyle::State_None : QStyle::State_Enabled;
        if (look == 3) opt.palette.setCurrentColorGroup(QPalette::Disabled);
        if (look == 1) opt.state |= QStyle::State_MouseOver;
        opt.state |= look == 2 ? QStyle::State_Sunken : QStyle::State_Raised;
        opt.state |= check == 0 ? QStyle::State_Off : check == 1 ? QStyle::State_On : QStyle::State_NoChange;
        QApplication::style()->drawPrimitive(part == BP_CHECKBOX ? QStyle::PE_IndicatorCheckBox
                                                                 : QStyle::PE_IndicatorRadioButton,
                                             &opt, &p, nullptr);
    };
    auto farthest = [](const QImage& a, const QImage& b) {
        int most = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
                most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                 std::abs(qBlue(p) - qBlue(q))});
            }
        return most;
    };
    const TThemeData theme = OpenThemeData(nullptr, u"button");
    for (int part : {BP_CHECKBOX, BP_RADIOBUTTON})
        for (int state : {1, 2, 4, 5, 7, 9, 12})
            for (qreal scale : {1.0, 1.5}) {
                QImage ours(60, 40, QImage::Format_RGB32), theirs = ours.copy();
                ours.fill(Qt::white);
                theirs.fill(Qt::white);
                {
                    TCanvas c(&ours);
                    // At two places: the second is a copy of the first.
                    for (const TRect& r : {Rect(3, 4, 19, 20), Rect(30, 17, 46, 33)}) {
                        if (scale != 1.0) c.Painter()->setTransform(QTransform::fromScale(scale, scale));
                        EXPECT_TRUE(DrawThemeBackground(theme, c, part, state, r));
                    }
                    c.Release();
                }
                direct(theirs, part, state, QRect(3, 4, 16, 16), scale);
                direct(theirs, part, state, QRect(30, 17, 16, 16), scale);
                // Compositing a copy may round a blended pixel by one step.
                EXPECT_LE(farthest(ours, theirs), 1) << part << " " << state << " " << scale;
            }
}
