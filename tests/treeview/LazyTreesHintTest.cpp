// Hints and tooltips through synthetic tool-tip requests: tooltips only over clipped cell text and
// laid exactly over it, the hint modes, header hints, owner-drawn hints, the plain hint's size, and
// the fade and slide on the driven clock, nested hints included.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QToolTip>
#include <map>

#include "treeview/LazyTrees.h"

using enum TLTHeaderOption;
using enum TLazyTreeState;
using plat::TRect;

namespace {

class TickingClock final : public plat::Clock {
public:
    int64_t now = 0;
    int64_t nowMs() override { return now++; }
    void sleepMs(int ms) override { now += ms; }
};

// A form holding a string tree with three 100-pixel columns and a shown header; requests are made
// as the platform makes them, with the cursor where the request says.
struct HintTree {
    QWidget form;
    TLazyStringTree* tree = new TLazyStringTree(&form);
    std::map<std::pair<uint32_t, int>, QString> texts;
    QPoint cursor;
    explicit HintTree(int columnCount = 3, int columnWidth = 100) {
        form.move(50, 50);
        form.resize(340, 240);
        form.show();
        tree->setGeometry(0, 0, 300 + tree->width() - tree->viewport()->width(), 200);
        for (int i = 0; i < columnCount; ++i) tree->Header().Columns().Add()->SetWidth(columnWidth);
        tree->Header().SetOptions(tree->Header().Options() + hoVisible);
        tree->OnGetText = [this](TCustomLazyStringTree*, PLazyNode node, TColumnIndex column, TVSTTextType,
                                 QString& text) {
            const auto it = texts.find({node->Index, column});
            text = it != texts.end() ? it->second : QStringLiteral("r%1c%2").arg(node->Index).arg(column);
        };
        tree->SetRootNodeCount(3);
        tree->SetShowHint(true);
        tree->HintMode = TLTHintMode::hmTooltip;
        tree->HintAnimation = THintAnimationType::hatNone;
        tree->CursorPosSource = [this] { return cursor; };
        QApplication::setActiveWindow(&form);
        QApplication::processEvents();
    }
    ~HintTree() { QToolTip::hideText(); }
    PLazyNode Node(int i) {
        PLazyNode n = tree->GetFirst();
        while (i-- > 0) n = tree->GetNextSibling(n);
        return n;
    }
    // The platform's request for a client point of the tree (negative Y: the header).
    void Ask(QPoint client) {
        cursor = client;
        QWidget* target = tree->viewport();
        QPoint local = client;
        if (client.y() < 0) {
            target = tree->HeaderBar();
            local = QPoint(client.x(), client.y() + tree->Header().Height());
        }
        QHelpEvent e(QEvent::ToolTip, local, target->mapToGlobal(local));
        QApplication::sendEvent(target, &e);
    }
    TLazyTreeHintWindow* Shown() { return tree->HintWindow(); }
    // Texts changed after painting: the widths the tree keeps are measured again.
    void SetText(uint32_t row, int column, const QString& text) {
        texts[{row, column}] = text;
        tree->InvalidateNode(Node(int(row)));
    }
    // The mouse leaves the tree and comes back: the last hint's rectangle is forgotten.
    void LeaveAndReturn() {
        tree->CancelHint();
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(tree, &leave);
    }
    // Where the text of a cell stands unclipped, on the screen.
    QRect TextOnScreen(PLazyNode node, TColumnIndex column) {
        const TRect r = tree->GetDisplayRect(node, column, true, true, true);
        return QRect(tree->viewport()->mapToGlobal(QPoint(r.Left, r.Top)), QSize(r.Width(), r.Height()));
    }
    QPoint Inside(PLazyNode node, TColumnIndex column) {
        const TRect r = tree->GetDisplayRect(node, column, true, true, true);
        return QPoint(std::max(r.Left + 2, 0), (r.Top + r.Bottom) / 2);
    }
};

}  // namespace

TEST(LazyTreeTooltip, OnlyClippedSingleLineTextGetsOneLaidOverIt) {
    struct Case {
        const char* name;
        int columnWidth;
        int column;
        QString text;
        bool autoSpan;
        bool emptyNeighbour;
        int scrollX;
        bool expected;
    };
    const QString wide = QStringLiteral("a text far wider than its column");
    const QString spanning = QStringLiteral("spans into the next");  // wider than 100, narrower than 200
    const Case cases[] = {
        {"fits", 100, 0, QStringLiteral("r0"), false, false, 0, false},
        {"past the right edge", 100, 0, wide, false, false, 0, true},
        {"fits its column, scrolled partly out", 200, 1, QStringLiteral("a text that fits its column"), false, false,
         50, true},
        {"fits its column in view", 200, 1, QStringLiteral("a text that fits its column"), false, false, 200, false},
        {"fits the spanned empty cell", 100, 0, spanning, true, true, 0, false},
        {"spanned cell not empty", 100, 0, spanning, true, false, 0, true},
        {"no span without the option", 100, 0, spanning, false, true, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HintTree t(3, c.columnWidth);
        PLazyNode node = t.Node(0);
        t.SetText(0, c.column, c.text);
        if (c.emptyNeighbour) t.SetText(0, c.column + 1, QString());
        auto options = t.tree->TreeOptions().AutoOptions();
        t.tree->TreeOptions().SetAutoOptions(c.autoSpan ? options + TLTAutoOption::toAutoSpanColumns
                                                        : options - TLTAutoOption::toAutoSpanColumns);
        if (c.scrollX) {
            t.tree->SetOffsetX(-c.scrollX);
            ASSERT_EQ(t.tree->OffsetX(), -c.scrollX);
        }
        t.Ask(t.Inside(node, c.column));
        TLazyTreeHintWindow* w = t.Shown();
        ASSERT_EQ(w != nullptr, c.expected);
        if (!w) {
            EXPECT_TRUE(t.tree->LastHintRect().IsEmpty());
            continue;
        }
        // Over the text, one pixel larger on every side, showing the whole text.
        EXPECT_EQ(w->geometry(), t.TextOnScreen(node, c.column).adjusted(-1, -1, 1, 1));
        EXPECT_EQ(w->HintData().HintText, c.text);
        EXPECT_TRUE(t.tree->TreeStates().Contains(tsHint));
        // A second request inside the shown hint is refused and leaves it up.
        TLTHintInfo info;
        info.CursorPos = t.cursor + QPoint(1, 0);
        EXPECT_EQ(t.tree->CMHintShow(info), 1);
        EXPECT_TRUE(w->isVisible());
    }
}

TEST(LazyTreeTooltip, MultilineNodeOnlyOverItsLabelAndOnlyWhenTheWrappedTextDoesNotFit) {
    HintTree t;
    PLazyNode node = t.Node(0);
    t.tree->SetMultiLine(node, true);
    t.tree->SetNodeHeight(node, 60);
    const QPoint onLabel(108, 10);  // column 1, just inside its text
    auto ask = [&](QPoint p) {
        t.LeaveAndReturn();
        THitInfo hit;
        t.tree->GetHitTestInfoAt(p.x(), p.y(), true, hit);
        EXPECT_TRUE(hit.HitPositions.Contains(THitPosition::hiOnItemLabel));
        // The request is answered; whether a window shows is the sizing's decision.
        TLTHintInfo info;
        info.CursorPos = p;
        EXPECT_EQ(t.tree->CMHintShow(info), 0);
        t.LeaveAndReturn();
        t.Ask(p);
        return t.Shown();
    };
    // Short text wraps into the 60 pixels of the 100-pixel cell: no tooltip.
    t.SetText(0, 1, QStringLiteral("one two three"));
    EXPECT_EQ(ask(onLabel), nullptr);
    // Many lines do not: the tooltip covers the label from its top-left, grown by a pixel.
    t.SetText(0, 1, QStringLiteral("one two three four five six seven eight nine ten eleven twelve"));
    TLazyTreeHintWindow* w = ask(onLabel);
    ASSERT_NE(w, nullptr);
    const TRect label = t.tree->GetDisplayRect(node, 1, true, false, false);
    EXPECT_EQ(w->geometry().topLeft(), t.tree->viewport()->mapToGlobal(QPoint(label.Left - 1, label.Top - 1)));
    EXPECT_GT(w->geometry().height(), 60);
    EXPECT_EQ(w->HintData().LineBreakStyle, TLTTooltipLineBreakStyle::hlbForceMultiLine);
    // Beside a label (the indent of the main column) there is none.
    THitInfo hit;
    t.tree->GetHitTestInfoAt(2, 10, true, hit);
    ASSERT_FALSE(hit.HitPositions.Contains(THitPosition::hiOnItemLabel));
    t.LeaveAndReturn();
    TLTHintInfo info;
    info.CursorPos = QPoint(2, 10);
    EXPECT_EQ(t.tree->CMHintShow(info), 1);
}

TEST(LazyTreeHints, ModesBelowTheLastNode) {
    struct Case {
        TLTHintMode mode;
        bool shown;
    };
    for (const Case c : {Case{TLTHintMode::hmHintAndDefault, true}, Case{TLTHintMode::hmHint, false},
                         Case{TLTHintMode::hmTooltip, false}}) {
        HintTree t;
        t.tree->HintMode = c.mode;
        t.tree->SetHint(QStringLiteral("The tree|Longer help for the status line"));
        t.Ask(QPoint(50, 150));  // below the three rows
        TLazyTreeHintWindow* w = t.Shown();
        ASSERT_EQ(w != nullptr, c.shown) << int(c.mode);
        if (w) EXPECT_EQ(w->HintData().HintText, QStringLiteral("The tree"));
    }
    // hmDefault leaves the short hint to the platform's plain tool tip.
    HintTree t;
    t.tree->HintMode = TLTHintMode::hmDefault;
    t.tree->SetHint(QStringLiteral("The tree|Longer help for the status line"));
    t.Ask(QPoint(150, 20));
    EXPECT_EQ(t.Shown(), nullptr);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("The tree"));
    EXPECT_TRUE(t.tree->LastHintRect().IsEmpty());
}

TEST(LazyTreeHints, NodeHintsCoverTheCellAndAskTheHandler) {
    HintTree t;
    t.tree->HintMode = TLTHintMode::hmHint;
    t.tree->OnGetHint = [](TCustomLazyStringTree*, PLazyNode node, TColumnIndex column, TLTTooltipLineBreakStyle&,
                           QString& text) { text = QStringLiteral("hint %1.%2").arg(node->Index).arg(column); };
    t.Ask(QPoint(150, 20));
    TLazyTreeHintWindow* w = t.Shown();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->HintData().HintText, QStringLiteral("hint 1.1"));
    // The mouse may move over the whole cell; the hint sits below it.
    const TRect cell = t.tree->GetDisplayRect(t.Node(1), 1, false);
    EXPECT_EQ(t.tree->LastHintRect(), (TRect{100, cell.Top, 200, cell.Bottom}));
    EXPECT_GE(w->geometry().top(), t.tree->viewport()->mapToGlobal(QPoint(0, cell.Bottom)).y() + 2);
}

TEST(LazyTreeHints, HeaderShowsTheColumnHintOnlyWithOneAndNoButtonHeld) {
    HintTree t;
    t.tree->Header().SetOptions(t.tree->Header().Options() + hoShowHint);
    t.tree->Header().Columns()[1].SetHint(QStringLiteral("Second column"));
    t.tree->Header().Columns()[2].SetHint(QStringLiteral("Third column"));
    const int h = t.tree->Header().Height();
    t.Ask(QPoint(50, -h / 2));  // column 0: no hint of its own
    EXPECT_EQ(t.Shown(), nullptr);
    t.Ask(QPoint(150, -h / 2));
    TLazyTreeHintWindow* w = t.Shown();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->HintData().HintText, QStringLiteral("Second column"));
    EXPECT_EQ(w->HintData().Column, 1);
    EXPECT_EQ(t.tree->LastHintRect(), (TRect{100, -h, 200, 0}));
    EXPECT_GE(w->geometry().top(), t.tree->viewport()->mapToGlobal(QPoint(0, 0)).y());
    // The left button held down in the tree: no header hint.
    t.tree->CancelHint();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(250, 150), t.tree->viewport()->mapToGlobal(QPointF(250, 150)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(t.tree->viewport(), &press);
    ASSERT_TRUE(t.tree->TreeStates().Contains(tsLeftButtonDown));
    t.Ask(QPoint(250, -h / 2));
    EXPECT_EQ(t.Shown(), nullptr);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(250, 150),
                        t.tree->viewport()->mapToGlobal(QPointF(250, 150)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(t.tree->viewport(), &release);
}

TEST(LazyTreeHints, OwnerDrawnHintTakesItsSizeFromTheHandler) {
    HintTree t;
    t.tree->HintMode = TLTHintMode::hmHint;
    t.tree->SetHint(QStringLiteral("drawn"));
    t.tree->OnGetHintKind = [](TBaseLazyTree*, PLazyNode, TColumnIndex, TLTHintKind& kind) {
        kind = TLTHintKind::vhkOwnerDraw;
    };
    TRect size{};
    t.tree->OnGetHintSize = [&](TBaseLazyTree*, PLazyNode, TColumnIndex, TRect& r) { r = size; };
    int draws = 0;
    t.tree->OnDrawHint = [&](TBaseLazyTree*, TCanvas& canvas, PLazyNode node, const TRect& r, TColumnIndex column) {
        ++draws;
        EXPECT_EQ(node, t.Node(0));
        EXPECT_EQ(column, 0);
        EXPECT_EQ(r, (TRect{0, 0, 40, 12}));
        canvas.Brush().SetColor(plat::clRed);
        canvas.FillRect(r);
    };
    t.Ask(QPoint(30, 5));
    EXPECT_EQ(t.Shown(), nullptr);  // an empty size: no hint
    EXPECT_EQ(draws, 0);
    size = TRect{0, 0, 40, 12};
    t.Ask(QPoint(31, 5));
    TLazyTreeHintWindow* w = t.Shown();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->size(), QSize(40, 12));
    EXPECT_EQ(draws, 1);
    EXPECT_EQ(w->Shown().pixel(20, 6), QColor(Qt::red).rgb());
}

TEST(LazyTreeHints, PlainHintIsItsWrappedTextWithMargins) {
    HintTree t;
    t.tree->HintMode = TLTHintMode::hmHint;
    // The plain look: info colours in a black frame.
    t.tree->TreeOptions().SetPaintOptions(t.tree->TreeOptions().PaintOptions() - TLTPaintOption::toThemeAware -
                                          TLTPaintOption::toUseExplorerTheme);
    int row = 0;
    for (const QString& text : {QStringLiteral("Sensor"), QStringLiteral("A hint of a few more words")}) {
        t.tree->CancelHint();
        t.tree->SetHint(text);
        t.Ask(QPoint(30, 5 + 18 * row++));
        TLazyTreeHintWindow* w = t.Shown();
        ASSERT_NE(w, nullptr);
        plat::TFont font;
        font.AssignQFont(QToolTip::font());
        const QFontMetrics fm(font.ToQFont());
        EXPECT_EQ(w->width(), fm.horizontalAdvance(text) + t.tree->TextMargin() + fm.height()) << text.toStdString();
        EXPECT_EQ(w->height(), fm.height() + 6);
        EXPECT_EQ(QColor(w->Shown().pixel(0, 0)), QColor(Qt::black));
        EXPECT_EQ(w->Shown().pixel(w->width() - 2, 1), plat::ToQColor(plat::clInfoBk).rgb());
    }
}

TEST(LazyTreeHints, HidingFollowsTheMouseNotTheKeys) {
    HintTree t;
    t.SetText(0, 0, QStringLiteral("a text far wider than its column"));
    t.Ask(t.Inside(t.Node(0), 0));
    TLazyTreeHintWindow* w = t.Shown();
    ASSERT_NE(w, nullptr);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    QApplication::sendEvent(t.tree, &key);
    EXPECT_TRUE(w->isVisible());
    // Moving out of the text's rectangle hides it, and the tree may show one there again.
    const QPoint out(250, 150);
    QMouseEvent move(QEvent::MouseMove, QPointF(out), t.tree->viewport()->mapToGlobal(QPointF(out)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(t.tree->viewport(), &move);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(t.tree->LastHintRect().IsEmpty());
    t.Ask(t.Inside(t.Node(0), 0));
    ASSERT_TRUE(w->isVisible());
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(out), t.tree->viewport()->mapToGlobal(QPointF(out)),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(t.tree->viewport(), &press);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->HintData().Tree, nullptr);  // hidden: its data released
}

TEST(LazyTreeHints, NoneWithoutShowHint) {
    HintTree t;
    t.SetText(0, 0, QStringLiteral("a text far wider than its column"));
    t.tree->SetShowHint(false);
    t.Ask(t.Inside(t.Node(0), 0));
    EXPECT_EQ(t.Shown(), nullptr);
    t.tree->SetShowHint(true);
    t.Ask(t.Inside(t.Node(0), 0));
    EXPECT_NE(t.Shown(), nullptr);
}

// ---- Animation ----

namespace {

// A hint window whose screen background is a known colour and which records its frames.
class RecordingHintWindow : public TLazyTreeHintWindow {
public:
    explicit RecordingHintWindow(TBaseLazyTree* tree) : TLazyTreeHintWindow(tree) {}
    struct Frame {
        int activation, step, stepSize;
        QImage buffer, shown;
    };
    static inline std::vector<Frame> frames;
    static inline int activations = 0;
    static inline std::function<void(int step)> onStep;
    static constexpr QRgb background = 0xFF204060;
    void ActivateHint(TRect Rect, const QString& AHint) override {
        ++activations;
        TLazyTreeHintWindow::ActivateHint(Rect, AHint);
    }

protected:
    QImage CaptureBackground(const QRect& R) override {
        QImage image(R.size(), QImage::Format_ARGB32);
        image.fill(background);
        return image;
    }
    void InternalPaint(int Step, int StepSize) override {
        TLazyTreeHintWindow::InternalPaint(Step, StepSize);
        frames.push_back({activations, Step, StepSize, FDrawBuffer, Shown()});
        if (onStep) onStep(Step);
    }
};

struct RecordingTree : TLazyStringTree {
    using TLazyStringTree::TLazyStringTree;
    THintWindowClass GetHintWindowClass() override { return HintWindowClassOf<RecordingHintWindow>(); }
};

struct AnimatedHints {
    QWidget form;
    RecordingTree* tree = new RecordingTree(&form);
    TickingClock clock;
    QPoint cursor;
    QStringList states;
    AnimatedHints() {
        RecordingHintWindow::frames.clear();
        RecordingHintWindow::activations = 0;
        RecordingHintWindow::onStep = nullptr;
        form.move(50, 50);
        form.resize(320, 220);
        tree->setGeometry(0, 0, 300, 200);
        tree->SetClock(&clock);
        tree->SetRootNodeCount(4);
        tree->SetShowHint(true);
        tree->HintMode = TLTHintMode::hmHint;
        tree->SetHint(QStringLiteral("Animated hint"));
        tree->CursorPosSource = [this] { return cursor; };
        tree->OnStateChange = [this](TLazyTreeCore*, TLazyTreeStates enter, TLazyTreeStates) {
            if (enter.Contains(tsInAnimation)) states << QStringLiteral("animating");
        };
        form.show();
        QApplication::setActiveWindow(&form);
        QApplication::processEvents();
    }
    ~AnimatedHints() { RecordingHintWindow::onStep = nullptr; }
    void Ask(QPoint p) {
        cursor = p;
        tree->RequestHint(p, tree->viewport()->mapToGlobal(p));
    }
};

// The fixed-alpha blend of one byte, as the blend routine defines it.
int Blend(int s, int d, int a) {
    return (s * a + d * (256 - a)) >> 8;
}

}  // namespace

TEST(LazyTreeHintAnimation, WithToolTipAnimationOffTheHintShowsAtOnce) {
    AnimatedHints a;
    QApplication::setEffectEnabled(Qt::UI_AnimateTooltip, false);
    a.tree->HintAnimation = THintAnimationType::hatSystemDefault;
    ASSERT_EQ(a.tree->GetAnimationType(), THintAnimationType::hatNone);
    a.Ask(QPoint(20, 5));
    ASSERT_NE(a.tree->HintWindow(), nullptr);
    EXPECT_TRUE(a.states.isEmpty());
    ASSERT_EQ(RecordingHintWindow::frames.size(), 1u);
    EXPECT_EQ(RecordingHintWindow::frames[0].shown, RecordingHintWindow::frames[0].buffer);
    // The platform's effects choose the animation.
    const bool general = QApplication::isEffectEnabled(Qt::UI_General);
    QApplication::setEffectEnabled(Qt::UI_General, true);
    QApplication::setEffectEnabled(Qt::UI_AnimateTooltip, true);
    QApplication::setEffectEnabled(Qt::UI_FadeTooltip, true);
    EXPECT_EQ(a.tree->GetAnimationType(), THintAnimationType::hatFade);
    QApplication::setEffectEnabled(Qt::UI_FadeTooltip, false);
    EXPECT_EQ(a.tree->GetAnimationType(), THintAnimationType::hatSlide);
    QApplication::setEffectEnabled(Qt::UI_AnimateTooltip, false);
    QApplication::setEffectEnabled(Qt::UI_General, general);
}

TEST(LazyTreeHintAnimation, FadeBlendsEachStepWithItsAlpha) {
    AnimatedHints a;
    a.tree->HintAnimation = THintAnimationType::hatFade;
    a.tree->SetAnimationDuration(20);
    a.Ask(QPoint(20, 5));
    ASSERT_NE(a.tree->HintWindow(), nullptr);
    EXPECT_EQ(a.states, QStringList{QStringLiteral("animating")});
    const auto& frames = RecordingHintWindow::frames;
    int blended = 0;
    for (const auto& f : frames) {
        if (f.stepSize < 1) continue;
        ++blended;
        const int alpha = std::min((f.step * 256 + 127) / 255, 255);
        for (QPoint p : {QPoint(0, 0), QPoint(f.buffer.width() / 2, 1)}) {
            const QRgb s = f.buffer.pixel(p), d = RecordingHintWindow::background, v = f.shown.pixel(p);
            EXPECT_EQ(qRed(v), Blend(qRed(s), qRed(d), alpha)) << f.step;
            EXPECT_EQ(qGreen(v), Blend(qGreen(s), qGreen(d), alpha)) << f.step;
            EXPECT_EQ(qBlue(v), Blend(qBlue(s), qBlue(d), alpha)) << f.step;
        }
    }
    EXPECT_GT(blended, 3);
    // The first step shows the background, the engine's last call blends nothing more.
    EXPECT_EQ(frames.front().step, 0);
    EXPECT_EQ(frames.front().shown.pixel(0, 0), RecordingHintWindow::background);
    EXPECT_EQ(frames.back().stepSize, 0);
    EXPECT_FALSE(a.tree->TreeStates().Contains(tsInAnimation));
}

TEST(LazyTreeHintAnimation, SlideUncoversTheHintFromItsTopEdge) {
    AnimatedHints a;
    a.tree->HintAnimation = THintAnimationType::hatSlide;
    a.tree->SetAnimationDuration(40);
    a.Ask(QPoint(20, 5));
    for (const auto& f : RecordingHintWindow::frames) {
        if (f.stepSize < 1 || f.step <= 0 || f.step >= f.buffer.height()) continue;
        const int h = f.buffer.height();
        // Row 0 shows the buffer's row h - step; the row at step still shows the background.
        EXPECT_EQ(f.shown.pixel(0, 0), f.buffer.pixel(0, h - f.step)) << f.step;
        EXPECT_EQ(f.shown.pixel(1, f.step), RecordingHintWindow::background) << f.step;
    }
    // The engine's last call shows the whole hint.
    EXPECT_EQ(RecordingHintWindow::frames.back().shown, RecordingHintWindow::frames.back().buffer);
}

TEST(LazyTreeHintAnimation, ZeroDurationShowsTheHintAtOnce) {
    AnimatedHints a;
    a.tree->HintAnimation = THintAnimationType::hatFade;
    a.tree->SetAnimationDuration(0);
    a.Ask(QPoint(20, 5));
    ASSERT_EQ(RecordingHintWindow::frames.size(), 1u);
    EXPECT_EQ(RecordingHintWindow::frames[0].shown, RecordingHintWindow::frames[0].buffer);
}

TEST(LazyTreeHintAnimation, HintShownDuringAnAnimationStopsItAtItsNextStep) {
    AnimatedHints a;
    a.tree->HintAnimation = THintAnimationType::hatFade;
    a.tree->SetAnimationDuration(50);
    // Mid-way through the first fade the mouse rests on the next row and its hint comes.
    RecordingHintWindow::onStep = [&](int step) {
        if (RecordingHintWindow::activations == 1 && step > 0) {
            RecordingHintWindow::onStep = nullptr;
            QTimer::singleShot(0, [&] { a.Ask(QPoint(20, 25)); });
        }
    };
    a.Ask(QPoint(20, 5));
    ASSERT_EQ(RecordingHintWindow::activations, 2);
    const auto& frames = RecordingHintWindow::frames;
    // Every frame after the second activation began belongs to it: the first painted no more.
    size_t firstOfSecond = 0;
    while (firstOfSecond < frames.size() && frames[firstOfSecond].activation == 1) ++firstOfSecond;
    ASSERT_LT(firstOfSecond, frames.size());
    for (size_t i = firstOfSecond; i < frames.size(); ++i) EXPECT_EQ(frames[i].activation, 2);
    EXPECT_EQ(frames.back().stepSize, 0);  // the second ran to its end
    EXPECT_EQ(a.states.size(), 2);
    EXPECT_FALSE(a.tree->TreeStates().Contains(tsInAnimation));
    EXPECT_FALSE(a.tree->TreeStates().Contains(tsCancelHintAnimation));
    ASSERT_NE(a.tree->HintWindow(), nullptr);
    EXPECT_EQ(a.tree->LastHintRect().Top, 18);
}

// A tree to try the hints and the column menu by hand, for HINT_LOOK_SECONDS: clipped cells show
// tooltips, header cells their hints, a right click in the header the column menu.
TEST(LazyTreeHints, Look) {
    const int seconds = qEnvironmentVariableIntValue("HINT_LOOK_SECONDS");
    if (seconds <= 0) GTEST_SKIP() << "set HINT_LOOK_SECONDS to try the hints by hand";
    QWidget window;
    window.setWindowTitle(QStringLiteral("Lazy tree hints"));
    window.resize(420, 260);
    auto* tree = new TLazyStringTree(&window);
    tree->setGeometry(10, 10, 400, 240);
    const char* captions[] = {"Meter", "Value", "Unit"};
    const char* hints[] = {"The meter's address and maker", "The value last read", ""};
    for (int i = 0; i < 3; ++i) {
        TLazyTreeColumn* c = tree->Header().Columns().Add();
        c->SetText(QString::fromLatin1(captions[i]));
        c->SetHint(QString::fromLatin1(hints[i]));
        c->SetWidth(i == 0 ? 150 : 110);
    }
    tree->Header().SetOptions(tree->Header().Options() + hoVisible + hoShowHint + hoAutoColumnPopupMenu +
                              hoDblClickResize);
    tree->OnGetText = [](TCustomLazyStringTree*, PLazyNode node, TColumnIndex column, TVSTTextType, QString& text) {
        static const char* values[] = {"12.5", "a reading far too long for the value column", "1003.25"};
        if (column == 0)
            text = node->Index % 2 ? QStringLiteral("Meter %1 of the east wing, second floor").arg(node->Index)
                                   : QStringLiteral("Meter %1").arg(node->Index);
        else if (column == 1)
            text = QString::fromLatin1(values[node->Index % 3]);
        else
            text = QStringLiteral("m³");
    };
    tree->SetRootNodeCount(12);
    tree->SetShowHint(true);
    tree->HintMode = TLTHintMode::hmTooltip;
    tree->HintAnimation = THintAnimationType::hatFade;
    window.show();
    QTimer::singleShot(seconds * 1000, &window, &QWidget::close);
    while (window.isVisible()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}
