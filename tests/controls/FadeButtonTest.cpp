// The push button: its properties, the face it paints (checked pixel by pixel), hot tracking and the
// fade, clicks by mouse and keys, and the window's Enter and Esc.
#include "controls/FadeButton.h"
#include "platform/Form.h"
#include "platform/Timer.h"
#include "tests/support/EventWait.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QMenu>
#include <QTimer>
#include <QTest>
#include <functional>
#include <memory>

using namespace plat;

namespace {

TColor at(const QImage& img, int x, int y) { return FromQRgb(img.pixel(x, y)); }

int count(const QImage& img, TColor color, QRect area = {}) {
    if (area.isNull()) area = img.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (at(img, x, y) == color) ++n;
    return n;
}

// The box of the pixels of one colour.
QRect box(const QImage& img, TColor color) {
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (at(img, x, y) == color) r |= QRect(x, y, 1, 1);
    return r;
}

constexpr TColor kFace = RGB(200, 210, 220), kLight = RGB(250, 250, 250), kShadow = RGB(10, 20, 30);
constexpr TColor kCell0 = RGB(255, 0, 0), kCell1 = RGB(0, 0, 255), kCell2 = RGB(0, 200, 0), kKey = RGB(0, 128, 128);

// A strip of `cells` 8 x 8 cells, each filled with its own colour but for its key-coloured
// bottom-left pixel.
TBitmap strip(int cells) {
    const TColor colors[] = {kCell0, kCell1, kCell2, RGB(120, 0, 120)};
    QImage img(8 * cells, 8, QImage::Format_RGB32);
    for (int i = 0; i < cells; ++i)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                img.setPixelColor(i * 8 + x, y, ToQColor(x == 0 && y == 7 ? kKey : colors[i]));
    TBitmap b;
    b.SetImage(img);
    return b;
}

TFadeFace baseFace() {
    TFadeFace f;
    f.Width = 80;
    f.Height = 24;
    f.Color = kFace;
    f.LightColor = kLight;
    f.ShadowColor = kShadow;
    return f;
}

QImage paintFace(const TFadeFace& f) {
    QImage img(f.Width, f.Height, QImage::Format_RGB32);
    img.fill(ToQColor(RGB(1, 2, 3)));
    TCanvas c(&img);
    PaintFadeButtonFace(c, f);
    c.Release();
    return img;
}

TEST(FadeButton, InitialValues) {
    TFadeButton b;
    EXPECT_EQ(b.width(), 100);
    EXPECT_EQ(b.height(), 23);
    EXPECT_EQ(b.Color(), clBtnFace);
    EXPECT_EQ(b.LightColor(), clWhite);
    EXPECT_EQ(b.ShadowColor(), clGray);
    EXPECT_EQ(b.ColorWhenDown(), clNone);
    EXPECT_EQ(b.HotTrackColor(), clNone);
    EXPECT_EQ(b.Style(), bsNormal);
    EXPECT_EQ(b.Alignment(), taCenter);
    EXPECT_EQ(b.Layout(), blGlyphLeft);
    EXPECT_EQ(b.Kind(), bkCustom);
    EXPECT_EQ(b.ModalResult(), 0);
    EXPECT_EQ(b.NumGlyphs(), 0);
    EXPECT_TRUE(b.Glyph().Empty());
    EXPECT_EQ(b.focusPolicy(), Qt::StrongFocus);
}

TEST(FadeButton, CaptionReadsBackExactly) {
    TFadeButton b;
    for (const QString& text : {QStringLiteral("&Neu"), QStringLiteral(" OK  "), QStringLiteral("a\nb"), QString()}) {
        b.SetCaption(text);
        EXPECT_EQ(b.Caption(), text);
    }
}

TEST(FadeButton, ColorStyleAppliesPresetAndReadsCustom) {
    TFadeButton b;
    b.SetFlat(true);
    b.SetColorStyle(lcsGold);
    EXPECT_EQ(b.Color(), 0x00C0C0u);
    EXPECT_EQ(b.LightColor(), 0x00FFFFu);
    EXPECT_EQ(b.ShadowColor(), 0x008080u);
    EXPECT_EQ(b.ColorWhenDown(), clNone);
    EXPECT_EQ(b.HotTrackColor(), 0x00DFDFu);
    EXPECT_FALSE(b.Flat());
    EXPECT_EQ(b.Style(), bsModern);
    EXPECT_EQ(b.ColorStyle(), lcsCustom);

    b.SetColor(0x123456);
    b.SetColorStyle(lcsCustom);
    EXPECT_EQ(b.Color(), 0x123456u);
    EXPECT_EQ(b.Style(), bsModern);

    b.SetColorStyle(lcsQuicken);
    EXPECT_EQ(b.Font().Color(), 0xFFFFFFu);
    EXPECT_EQ(b.Style(), bsQuicken);
    b.SetColorStyle(lcsUltraFlatXP);
    EXPECT_EQ(b.Font().Color(), 0u);
    EXPECT_TRUE(b.Flat());
    EXPECT_EQ(b.ShadowColor(), 0xB59285u);
    EXPECT_EQ(b.LightColor(), 0xB59284u);
}

TEST(FadeButton, KindSetsResultPictureAndCaption) {
    struct Case {
        TFadeButtonKind kind;
        int result;
        const char* resource;
        const char* caption;
    } cases[] = {
        {bkOK, 1, "LBOK", "OK"},          {bkCancel, 2, "LBCANCEL", "Abbrechen"}, {bkHelp, 0, "LBHELP", "Hilfe"},
        {bkYes, 6, "LBYES", "Ja"},        {bkNo, 7, "LBNO", "Nein"},              {bkClose, 0, "LBCLOSE", "Schließen"},
        {bkAbort, 3, "LBABORT", "Abbrechen"}, {bkRetry, 4, "LBRETRY", "Wiederholen"},
        {bkIgnore, 5, "LBIGNORE", "Ignorieren"}, {bkAll, 12, "LBALL", "Alle"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.resource);
        TFadeButton b;
        b.SetKind(c.kind);
        EXPECT_EQ(b.Kind(), c.kind);
        EXPECT_EQ(b.ModalResult(), c.result);
        EXPECT_EQ(b.NumGlyphs(), 2);
        EXPECT_EQ(b.Caption(), QString::fromUtf8(c.caption));
        const TBitmap expected = FadeButtonResource(QString::fromLatin1(c.resource));
        EXPECT_EQ(b.Glyph().Image(), expected.Image());
        EXPECT_EQ(expected.Width(), 36);
        EXPECT_EQ(expected.Height(), c.kind == bkAll ? 19 : 18);
        // The two cells differ (normal and disabled) and the key colour sits in each corner.
        const QImage img = expected.Image();
        EXPECT_NE(img.copy(0, 0, 18, img.height()), img.copy(18, 0, 18, img.height()));
        EXPECT_EQ(at(img, 0, img.height() - 1), at(img, 18, img.height() - 1));
    }
    const TBitmap arrow = FadeButtonResource(QStringLiteral("LBARROW"));
    EXPECT_EQ(arrow.Width(), 5);
    EXPECT_EQ(arrow.Height(), 3);
    EXPECT_EQ(at(arrow.Image(), 2, 2), clBlack);
    EXPECT_EQ(at(arrow.Image(), 0, 2), clWhite);
    EXPECT_TRUE(FadeButtonResource(QStringLiteral("LBNONE")).Empty());
}

TEST(FadeButton, ModalResultTurnsKindCustomAndKeepsTheRest) {
    TFadeButton b;
    b.SetKind(bkCancel);
    const QImage picture = b.Glyph().Image();
    b.SetModalResult(1);
    EXPECT_EQ(b.Kind(), bkCustom);
    EXPECT_EQ(b.ModalResult(), 1);
    EXPECT_EQ(b.Caption(), QStringLiteral("Abbrechen"));
    EXPECT_EQ(b.Glyph().Image(), picture);
    EXPECT_EQ(b.NumGlyphs(), 2);
    // bkCustom changes nothing but the kind.
    b.SetKind(bkOK);
    b.SetKind(bkCustom);
    EXPECT_EQ(b.Caption(), QStringLiteral("OK"));
    EXPECT_EQ(b.ModalResult(), 1);
}

TEST(FadeButton, GlyphCellsFromItsShape) {
    TFadeButton b;
    TBitmap g(64, 16);
    b.SetGlyph(&g);
    EXPECT_EQ(b.NumGlyphs(), 4);
    TBitmap tall(10, 30);
    b.SetGlyph(&tall);
    EXPECT_EQ(b.NumGlyphs(), 0);
    b.SetKind(bkOK);
    b.SetGlyph(nullptr);
    EXPECT_TRUE(b.Glyph().Empty());
    EXPECT_EQ(b.NumGlyphs(), 0);
    EXPECT_EQ(b.Kind(), bkCustom);
}

TEST(FadeButtonFace, HotTrackBlendAndGradient) {
    const TColor f = RGB(0, 100, 255), t = RGB(255, 0, 15);
    for (int s = 0; s <= 8; ++s) {
        SCOPED_TRACE(s);
        const double c = s / 8.0;
        EXPECT_EQ(HotTrackBlend(f, t, s),
                  RGB(int(0 * (1 - c) + 255 * c), int(100 * (1 - c) + 0 * c), int(255 * (1 - c) + 15 * c)));
    }
    EXPECT_EQ(HotTrackBlend(clBtnFace, clYellow, 0), ColorToRGB(clBtnFace));

    // 32 bands over 62 rows: each band 3 rows high starting at i * 62 / 31, its colour the
    // truncated running value.
    QImage img(4, 70, QImage::Format_RGB32);
    img.fill(Qt::black);
    TCanvas c(&img);
    FadeGradient(c, RGB(0, 0, 0), RGB(31, 62, 255), 0, 4, 4, 66);
    c.Release();
    EXPECT_EQ(at(img, 1, 3), RGB(0, 0, 0));
    EXPECT_EQ(at(img, 1, 4), RGB(0, 0, 0));
    for (int i = 0; i < 31; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(at(img, 1, 4 + i * 2 + 1), RGB(i, i * 2, int(i * (255 / 31.0))));
    }
    // The last band starts at the bottom and so paints nothing.
    EXPECT_EQ(at(img, 1, 66), RGB(0, 0, 0));
}

TEST(FadeButtonFace, DisabledShowsCellOneAndGreyText) {
    const TBitmap g = strip(2);
    TFont font;
    TFadeFace f = baseFace();
    f.Glyph = &g;
    f.NumGlyphs = 2;
    f.Caption = QStringLiteral("Text");
    f.Font = &font;
    f.Enabled = false;
    const QImage img = paintFace(f);
    EXPECT_EQ(count(img, kCell0), 0);
    EXPECT_EQ(count(img, kCell1), 63);  // the key-coloured corner stays face colour
    EXPECT_GT(count(img, 0x808080), 0);
    EXPECT_EQ(count(img, clBlack), 0);
    f.Enabled = true;
    const QImage on = paintFace(f);
    EXPECT_EQ(count(on, kCell0), 63);
    EXPECT_EQ(count(on, kCell1), 0);
    EXPECT_GT(count(on, clBlack), 0);
}

TEST(FadeButtonFace, CellByState) {
    const TBitmap g = strip(4);
    struct Case {
        const char* name;
        bool hot, pressed;
        TColor cell;
    } cases[] = {
        {"normal", false, false, kCell0},
        {"hot", true, false, RGB(120, 0, 120)},
        {"pressed", false, true, kCell2},
        {"pressed wins over hot", true, true, kCell2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFadeFace f = baseFace();
        f.Glyph = &g;
        f.NumGlyphs = 4;
        f.Hot = c.hot;
        f.Pressed = c.pressed;
        EXPECT_EQ(count(paintFace(f), c.cell), 63);
    }
}

TEST(FadeButtonFace, FrameOfFlatButtons) {
    struct Case {
        const char* name;
        bool enabled, flat, hot, pressed, framed;
    } cases[] = {
        {"enabled, not flat", true, false, false, false, true},
        {"flat, idle", true, true, false, false, false},
        {"flat, hot", true, true, true, false, true},
        {"flat, pressed", true, true, false, true, true},
        {"disabled flat, even hot", false, true, true, false, false},
        {"disabled, not flat", false, false, false, false, true},
    };
    for (TFadeButtonStyle style : {bsNormal, bsEncarta}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (style == bsNormal ? " normal" : " encarta"));
            TFadeFace f = baseFace();
            f.Style = style;
            f.Enabled = c.enabled;
            f.Flat = c.flat;
            f.Hot = c.hot;
            f.Pressed = c.pressed;
            const QImage img = paintFace(f);
            const int edge = count(img, kLight) + count(img, kShadow);
            if (c.framed)
                EXPECT_EQ(edge, 2 * 80 + 2 * 24 - 4);
            else
                EXPECT_EQ(edge, 0);
        }
    }
}

TEST(FadeButtonFace, PressedEncartaSwapsEdgesBoldWithoutShift) {
    const TBitmap g = strip(1);
    TFont font;
    TFadeFace f = baseFace();
    f.Style = bsEncarta;
    f.Alignment = taLeftJustify;  // the glyph's place does not follow the bold text's width
    f.Glyph = &g;
    f.NumGlyphs = 1;
    f.Caption = QStringLiteral("Wide text");
    f.Font = &font;
    const QImage up = paintFace(f);
    f.Pressed = true;
    const QImage down = paintFace(f);
    EXPECT_EQ(at(up, 0, 0), kLight);
    EXPECT_EQ(at(up, 79, 23), kShadow);
    EXPECT_EQ(at(down, 0, 0), kShadow);
    EXPECT_EQ(at(down, 79, 23), kLight);
    EXPECT_EQ(box(down, kCell0), box(up, kCell0));
    EXPECT_GT(count(down, clBlack), count(up, clBlack));  // bold
}

TEST(FadeButtonFace, PressedNormalShiftsGlyphAndText) {
    const TBitmap g = strip(1);
    TFont font;
    TFadeFace f = baseFace();
    f.Style = bsNormal;
    f.Glyph = &g;
    f.NumGlyphs = 1;
    f.Caption = QStringLiteral("Go");
    f.Font = &font;
    const QImage up = paintFace(f);
    f.Pressed = true;
    const QImage down = paintFace(f);
    EXPECT_EQ(box(down, kCell0), box(up, kCell0).translated(1, 1));
    EXPECT_EQ(box(down, clBlack), box(up, clBlack).translated(1, 1));
    EXPECT_EQ(count(down, clBlack), count(up, clBlack));
    EXPECT_EQ(at(down, 0, 0), kShadow);
    EXPECT_EQ(at(down, 79, 23), kLight);
}

TEST(FadeButtonFace, GlyphPlacementByLayout) {
    const TBitmap g = strip(1);
    TFont font;
    struct Case {
        const char* name;
        TFadeButtonLayout layout;
        TAlignment alignment;
        QString caption;
        QRect glyph;
    } cases[] = {
        {"left, left-justified", blGlyphLeft, taLeftJustify, QStringLiteral("Go"), QRect(4, 8, 8, 8)},
        {"left, centred, no caption", blGlyphLeft, taCenter, QString(), QRect(36, 8, 8, 8)},
        {"right, right-justified", blGlyphRight, taRightJustify, QStringLiteral("Go"), QRect(68, 8, 8, 8)},
        // An empty caption still measures one line (14 pixels in the test font): total 26.
        {"top, left-justified", blGlyphTop, taLeftJustify, QString(), QRect(4, -1, 8, 8)},
        {"bottom, right-justified", blGlyphBottom, taRightJustify, QString(), QRect(68, -1 + 14, 8, 8)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFadeFace f = baseFace();
        f.Glyph = &g;
        f.NumGlyphs = 1;
        f.Layout = c.layout;
        f.Alignment = c.alignment;
        f.Caption = c.caption;
        f.Font = &font;
        const QImage img = paintFace(f);
        EXPECT_EQ(box(img, kCell0), c.glyph.intersected(img.rect()));
    }
}

TEST(FadeButtonFace, LongCaptionIsCutWithoutEllipsisOrWraps) {
    TFont font;
    QImage probe(10, 10, QImage::Format_RGB32);
    TCanvas measure(&probe);
    measure.Font().Assign(font);
    const QString text = QStringLiteral("Configuration of everything");
    const QString cut = FitFadeCaption(measure, text, 60);
    EXPECT_TRUE(text.startsWith(cut));
    EXPECT_LT(cut.size(), text.size());
    EXPECT_FALSE(cut.contains(QStringLiteral("...")));
    EXPECT_LE(measure.TextWidth(cut), 60);
    EXPECT_GT(measure.TextWidth(text.left(cut.size() + 1)), 60);
    EXPECT_EQ(FitFadeCaption(measure, text, 0), QString());
    measure.Release();

    TFadeFace f = baseFace();
    f.Height = 60;
    f.Font = &font;
    f.Caption = text;
    const QImage single = paintFace(f);
    const QRect one = box(single, clBlack);
    EXPECT_GE(one.left(), 4);
    EXPECT_LE(one.right(), 80 - 4);
    f.WordWrap = true;
    const QRect wrapped = box(paintFace(f), clBlack);
    EXPECT_GT(wrapped.height(), one.height() + 5);
}

// Shows a button on a window of its own, focused or not.
struct Shown {
    std::unique_ptr<QWidget> window{new QWidget};
    TFadeButton* button = new TFadeButton(window.get());
    explicit Shown(int w = 80, int h = 24) {
        window->resize(200, 100);
        button->setGeometry(10, 10, w, h);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(testing_support::waitForWindowExposed(window.get()));
    }
    QImage face() { return button->grab().toImage(); }
    void enter() {
        QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(button, &e);
    }
    void leave() {
        QEvent e(QEvent::Leave);
        QApplication::sendEvent(button, &e);
    }
};

TEST(FadeButton, FocusRectangleAndOldStyleFrame) {
    struct Case {
        TFadeButtonStyle style;
        bool focusRect, blackFrame;
    } cases[] = {{bsNormal, true, false}, {bsEncarta, true, false}, {bsOld, true, true}, {bsShape, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.style));
        Shown s;
        s.button->SetStyle(c.style);
        s.button->SetColor(kFace);
        s.button->SetShadowColor(kShadow);
        s.button->clearFocus();  // the window hands its only control the focus when shown
        const QImage idle = s.face();
        s.button->setFocus();
        ASSERT_TRUE(testing_support::processEventsUntil([&] { return s.button->hasFocus(); }));
        const QImage focused = s.face();
        // The dotted outline of (4, 4, W - 4, H - 4): every other pixel of its top edge changed.
        int changed = 0;
        for (int x = 4; x < 76; ++x) changed += focused.pixel(x, 4) != idle.pixel(x, 4);
        EXPECT_EQ(changed >= 30, c.focusRect) << changed;
        EXPECT_EQ(focused.pixel(3, 10) != idle.pixel(3, 10) && c.style != bsOld, false);
        if (c.blackFrame) {
            EXPECT_EQ(at(focused, 0, 0), clBlack);
            EXPECT_EQ(at(focused, 79, 23), clBlack);
            EXPECT_EQ(at(focused, 40, 0), clBlack);
        } else if (c.style != bsShape) {
            EXPECT_NE(at(focused, 40, 0), clBlack);
        }
    }
}

class FadeTimers : public ::testing::Test {
protected:
    void SetUp() override {
        wasManual_ = TTimer::Manual();
        TTimer::SetManual(true);
    }
    void TearDown() override { TTimer::SetManual(wasManual_); }
    bool wasManual_ = false;
};

TEST_F(FadeTimers, HotTrackingAndTheSlowFade) {
    const TColor face = RGB(200, 210, 220), hot = RGB(40, 250, 0);
    {
        Shown s;
        s.button->SetColor(face);
        s.enter();
        EXPECT_EQ(at(s.face(), 40, 12), face);  // no hot-track colour
    }
    Shown s;
    s.button->SetColor(face);
    s.button->SetHotTrackColor(hot);
    s.enter();
    EXPECT_EQ(at(s.face(), 40, 12), hot);
    s.leave();
    EXPECT_EQ(at(s.face(), 40, 12), face);
    EXPECT_EQ(s.button->FadeTimer(), nullptr);

    s.button->SetSlowDecease(true);
    EXPECT_EQ(s.button->FadeTimer(), nullptr);  // none until a fade starts
    s.enter();
    s.leave();
    ASSERT_NE(s.button->FadeTimer(), nullptr);
    EXPECT_EQ(s.button->FadeTimer()->Interval(), 30);
    EXPECT_EQ(at(s.face(), 40, 12), hot);
    bool reentered = false;
    for (int step = 7; step >= 0; --step) {
        SCOPED_TRACE(step);
        ASSERT_NE(s.button->FadeTimer(), nullptr);
        EXPECT_TRUE(s.button->FadeTimer()->Fire());
        EXPECT_EQ(s.button->HotTrackStep(), step);
        EXPECT_EQ(at(s.face(), 40, 12), HotTrackBlend(face, hot, step));
        if (step == 5 && !reentered) {
            reentered = true;
            // Entering again during the fade sets it back to 8; the fade goes on from there.
            s.enter();
            EXPECT_EQ(s.button->HotTrackStep(), 8);
            EXPECT_NE(s.button->FadeTimer(), nullptr);
            s.leave();
            step = 8;
        }
    }
    EXPECT_EQ(s.button->FadeTimer(), nullptr);

    // Switching the fade off in the middle stops it at once.
    s.enter();
    s.leave();
    ASSERT_TRUE(s.button->FadeTimer()->Fire());
    s.button->SetSlowDecease(false);
    EXPECT_EQ(s.button->FadeTimer(), nullptr);
    EXPECT_EQ(s.button->HotTrackStep(), 0);
}

// A button that closes its window under the pointer gets no leave of its own: when the window
// shows again the button must look idle, not hot, until the pointer enters it.
TEST_F(FadeTimers, AWindowHiddenUnderThePointerShowsItsButtonIdleAgain) {
    const TColor face = RGB(200, 210, 220), hot = RGB(40, 250, 0);
    for (const bool slow : {false, true}) {
        SCOPED_TRACE(slow);
        Shown s;
        s.button->SetColor(face);
        s.button->SetHotTrackColor(hot);
        s.button->SetSlowDecease(slow);
        s.enter();
        ASSERT_EQ(s.button->HotTrackStep(), 8);
        s.window->hide();
        s.window->show();
        ASSERT_TRUE(testing_support::waitForWindowExposed(s.window.get()));
        EXPECT_EQ(s.button->HotTrackStep(), 0);
        EXPECT_EQ(s.button->FadeTimer(), nullptr);
        EXPECT_EQ(at(s.face(), 40, 12), face);
        s.enter();  // and it lights up again when the pointer comes back
        EXPECT_EQ(at(s.face(), 40, 12), hot);
    }
}

TEST_F(FadeTimers, DestroyedDuringAFade) {
    auto s = std::make_unique<Shown>();
    s->button->SetHotTrackColor(clYellow);
    s->button->SetSlowDecease(true);
    s->enter();
    s->leave();
    QPointer<TTimer> timer = s->button->FadeTimer();
    ASSERT_TRUE(timer);
    delete s->button;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(timer && timer->Fire());
}

TEST(FadeButton, ThreeHundredButtonsStartNoTimer) {
    QWidget parent;
    std::vector<TFadeButton*> buttons;
    for (int i = 0; i < 300; ++i) {
        auto* b = new TFadeButton(&parent);
        b->SetSlowDecease(i % 2 == 0);
        b->SetHotTrackColor(clYellow);
        buttons.push_back(b);
    }
    parent.show();
    for (TFadeButton* b : buttons) EXPECT_EQ(b->FadeTimer(), nullptr);
    for (QTimer* t : parent.findChildren<QTimer*>()) EXPECT_FALSE(t->isActive());
}

// A button that lets the test deliver a key's release at once.
struct KeyButton : TFadeButton {
    using TFadeButton::KeyUpTimer;
    using TFadeButton::TFadeButton;
};

TEST(FadeButton, ClicksByKeysAndMouse) {
    QWidget window;
    window.resize(200, 100);
    auto* b = new KeyButton(&window);
    b->setGeometry(10, 10, 80, 24);
    window.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&window));
    int clicks = 0, signals_ = 0;
    b->OnClick = [&](QObject*) { ++clicks; };
    QObject::connect(b, &TFadeButton::clicked, [&] { ++signals_; });

    b->setFocus();
    QTest::keyPress(b, Qt::Key_Space);
    EXPECT_TRUE(b->Pressed());
    QTest::keyRelease(b, Qt::Key_Space);
    b->KeyUpTimer().Fire();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(signals_, 1);

    // A held Space repeats its key-down and clicks once on the release.
    QTest::keyPress(b, Qt::Key_Space);
    for (int i = 0; i < 3; ++i) QTest::keyEvent(QTest::KeyAction::Press, b, Qt::Key_Space, Qt::NoModifier, -1);
    QTest::keyRelease(b, Qt::Key_Space);
    b->KeyUpTimer().Fire();
    EXPECT_EQ(clicks, 2);

    // A press released outside the button clicks all the same.
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(b->Pressed());
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(150, 70));
    EXPECT_EQ(clicks, 3);
    EXPECT_FALSE(b->Pressed());

    // A right press does nothing; a fast double click is two clicks.
    QTest::mouseClick(b, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks, 3);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(10, 10));
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(10, 10), b->mapToGlobal(QPointF(10, 10)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(b, &dbl);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks, 5);

    // Nothing while disabled.
    b->setEnabled(false);
    b->click();
    EXPECT_EQ(clicks, 5);
    EXPECT_EQ(signals_, 5);
}

// Only the release of a key that went down on the button clicks it. OK opens an error box, Enter
// goes down in the box and closes it, and its release reaches OK again: that must not click OK and
// open the box once more.
TEST(FadeButton, AKeyReleasedWithoutItsPressDoesNotClick) {
    QWidget window;
    window.resize(200, 100);
    auto* b = new KeyButton(&window);
    b->setGeometry(10, 10, 80, 24);
    auto* other = new QLineEdit(&window);
    other->setGeometry(100, 10, 80, 24);
    window.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&window));
    int clicks = 0;
    b->OnClick = [&](QObject*) { ++clicks; };
    b->setFocus();

    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
        QTest::keyRelease(b, key);
        b->KeyUpTimer().Fire();
    }
    EXPECT_EQ(clicks, 0) << "a release alone";

    // The press of one key does not make the release of the other a click.
    QTest::keyPress(b, Qt::Key_Space);
    QTest::keyRelease(b, Qt::Key_Return);
    b->KeyUpTimer().Fire();
    EXPECT_EQ(clicks, 0);
    QTest::keyRelease(b, Qt::Key_Space);
    b->KeyUpTimer().Fire();
    EXPECT_EQ(clicks, 1);

    // A press whose button lost the focus before the release is forgotten.
    QTest::keyPress(b, Qt::Key_Return);
    other->setFocus();
    b->setFocus();
    QTest::keyRelease(b, Qt::Key_Return);
    b->KeyUpTimer().Fire();
    EXPECT_EQ(clicks, 1);

    QTest::keyPress(b, Qt::Key_Return);
    QTest::keyRelease(b, Qt::Key_Return);
    b->KeyUpTimer().Fire();
    EXPECT_EQ(clicks, 2);
}

TEST(FadeButton, OnClickRunsBeforeModalResultAndPopupMenu) {
    TForm form;
    form.SetClientSize(200, 100);
    auto* b = new TFadeButton(&form);
    b->SetModalResult(mrOk);
    QMenu menu;
    menu.addAction(QStringLiteral("item"));
    b->SetPopupMenu(&menu);
    form.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&form));
    int resultInHandler = -1, resultInSlot = -1;
    bool menuInHandler = true;
    b->OnClick = [&](QObject*) {
        resultInHandler = form.ModalResult();
        menuInHandler = menu.isVisible();
    };
    QObject::connect(b, &TFadeButton::clicked, [&] { resultInSlot = form.ModalResult(); });
    b->click();
    EXPECT_EQ(resultInHandler, mrNone);
    EXPECT_EQ(resultInSlot, mrNone);
    EXPECT_FALSE(menuInHandler);
    EXPECT_EQ(form.ModalResult(), mrOk);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos(), b->mapToGlobal(QPoint(0, b->height())));
    menu.hide();
}

TEST(FadeButton, MnemonicClicks) {
    QWidget window;
    auto* b = new TFadeButton(&window);
    b->SetCaption(QStringLiteral("&Apply"));
    auto* edit = new QLineEdit(&window);
    edit->move(0, 40);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&window));
    edit->setFocus();
    int clicks = 0;
    b->OnClick = [&](QObject*) { ++clicks; };
    QTest::keyClick(edit, Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
    b->SetCaption(QStringLiteral("Apply"));
    QTest::keyClick(edit, Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(clicks, 1);
}

TEST(FadeButton, DialogKeys) {
    struct Case {
        const char* name;
        bool focusEdit;  // else the other button
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int defaultClicks, otherClicks, cancelClicks;
    } cases[] = {
        {"enter in an edit clicks the default button", true, Qt::Key_Return, {}, 1, 0, 0},
        {"enter on another button clicks that one", false, Qt::Key_Return, {}, 0, 1, 0},
        {"esc in an edit clicks the cancel button", true, Qt::Key_Escape, {}, 0, 0, 1},
        {"esc with shift does nothing", true, Qt::Key_Escape, Qt::ShiftModifier, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TForm form;
        form.SetClientSize(300, 100);
        auto* edit = new QLineEdit(&form);
        auto* def = new TFadeButton(&form);
        def->SetDefault(true);
        def->move(10, 40);
        auto* other = new KeyButton(&form);
        other->move(120, 40);
        auto* cancel = new TFadeButton(&form);
        cancel->SetCancel(true);
        cancel->move(10, 70);
        int d = 0, o = 0, x = 0;
        def->OnClick = [&](QObject*) { ++d; };
        other->OnClick = [&](QObject*) { ++o; };
        cancel->OnClick = [&](QObject*) { ++x; };
        form.show();
        form.activateWindow();
        ASSERT_TRUE(testing_support::waitForWindowActive(&form));
        QWidget* target = c.focusEdit ? static_cast<QWidget*>(edit) : other;
        target->setFocus();
        ASSERT_TRUE(testing_support::processEventsUntil([&] { return target->hasFocus(); }));
        QTest::keyPress(target, c.key, c.mods);
        QTest::keyRelease(target, c.key, c.mods);
        if (!c.focusEdit) other->KeyUpTimer().Fire();
        EXPECT_EQ(d, c.defaultClicks);
        EXPECT_EQ(o, c.otherClicks);
        EXPECT_EQ(x, c.cancelClicks);
    }
}

TEST(FadeButton, AHiddenOrDisabledDefaultButtonTakesNoKey) {
    // Enter goes past such a button to the window's own default, and the button is not left pressed.
    for (bool hidden : {true, false}) {
        SCOPED_TRACE(hidden ? "hidden" : "disabled");
        TForm form;
        form.SetClientSize(300, 100);
        auto* edit = new QLineEdit(&form);
        auto* def = new TFadeButton(&form);
        def->SetDefault(true);
        def->move(10, 40);
        auto* cancel = new TFadeButton(&form);
        cancel->SetCancel(true);
        cancel->move(120, 40);
        auto* fallback = new QPushButton(QStringLiteral("Fallback"), &form);
        fallback->move(10, 70);
        form.SetDefaultButton(fallback);
        int d = 0, x = 0, f = 0;
        def->OnClick = [&](QObject*) { ++d; };
        cancel->OnClick = [&](QObject*) { ++x; };
        QObject::connect(fallback, &QPushButton::clicked, [&] { ++f; });
        form.show();
        form.activateWindow();
        ASSERT_TRUE(testing_support::waitForWindowActive(&form));
        for (TFadeButton* b : {def, cancel}) hidden ? b->setVisible(false) : b->setEnabled(false);
        edit->setFocus();
        ASSERT_TRUE(testing_support::processEventsUntil([&] { return edit->hasFocus(); }));
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::keyClick(edit, Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_EQ(d, 0);
        EXPECT_EQ(x, 0);
        EXPECT_FALSE(def->Pressed());
        EXPECT_FALSE(cancel->Pressed());
        EXPECT_EQ(f, 1) << "Enter reached the window's default";
    }
}

}  // namespace
