// Printing into a PDF, the draw tree, invalidation, the animation engine and the toggle animation.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFontMetricsF>
#include <QPdfWriter>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "treeview/LazyTrees.h"

using enum TLazyTreeState;
using enum TLTAnimationOption;
using namespace plat;

namespace {

// Every reading moves the time on by a millisecond: the engine's busy wait ends.
class TickingClock final : public plat::Clock {
public:
    int64_t now = 0;
    int64_t nowMs() override { return now++; }
    void sleepMs(int ms) override { now += ms; }
};

struct Recorder : TLazyStringTree {
    struct Move {
        QRect band;
        int dy;
        bool strip;
    };
    std::vector<Move> moves;
    void MoveBand(const QRect& Band, int Dy, bool PaintStrip) override {
        moves.push_back({Band, Dy, PaintStrip});
        TLazyStringTree::MoveBand(Band, Dy, PaintStrip);
    }
    using TBaseLazyTree::Animate;
};

int PdfPages(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray data = f.readAll();
    int pages = 0;
    for (qsizetype i = data.indexOf("/Type /Page"); i >= 0; i = data.indexOf("/Type /Page", i + 1))
        if (data.mid(i + 11, 1) != "s") ++pages;
    return pages;
}

}  // namespace

TEST(LazyTreeAnimate, StepsOnTheDrivenClock) {
    Recorder t;
    TickingClock clock;
    t.SetClock(&clock);
    struct Case {
        uint32_t steps, duration;
        int calls, stepSize;
    };
    for (const Case& c : {Case{100, 200, 100, 1}, Case{400, 200, 200, 2}, Case{50, 0, 0, 0}}) {
        std::vector<std::pair<int, int>> calls;
        t.Animate(c.steps, c.duration, [&](int step, int size) {
            calls.emplace_back(step, size);
            return true;
        });
        if (c.duration == 0) {
            EXPECT_TRUE(calls.empty());
            continue;
        }
        ASSERT_EQ(int(calls.size()), c.calls + 1) << c.steps;
        EXPECT_EQ(calls.back(), std::make_pair(0, 0));  // the final call
        EXPECT_EQ(calls.front(), std::make_pair(0, c.stepSize));
        // Step counts what is left against the whole: Steps less the steps still to come.
        EXPECT_EQ(calls[1].first, int(c.steps) - (c.calls - 1));
        EXPECT_FALSE(t.TreeStates().Contains(tsInAnimation));
    }
    // A nested call returns at once; False from the callback ends the run with the final call.
    int inner = 0, outer = 0;
    t.Animate(10, 20, [&](int, int size) {
        ++outer;
        t.Animate(10, 20, [&](int, int) { return ++inner > 0; });
        return size == 0 || outer < 3;
    });
    EXPECT_EQ(inner, 0);
    EXPECT_EQ(outer, 4);
}

// Collapsing and expanding a node of a Scan & Decode-shaped tree moves the rows below it by the
// children's height, on the screen, without painting rows during the run.
TEST(LazyTreeAnimate, ToggleMovesTheBandBelowTheNode) {
    Recorder t;
    TickingClock clock;
    t.SetClock(&clock);
    t.SetNodeDataSize(4);
    t.TreeOptions().SetAnimationOptions({toAnimatedToggle});
    t.TreeOptions().SetAutoOptions(t.TreeOptions().AutoOptions() - TLTAutoOption::toAutoScrollOnExpand);
    for (int i = 0; i < 20; ++i) {
        PLazyNode m = t.AddChild(nullptr);
        for (int v = 0; v < 3; ++v) t.AddChild(m);
    }
    t.show();
    t.resize(300 + t.width() - t.viewport()->width(), 200 + t.height() - t.viewport()->height());
    QApplication::processEvents();
    const int ch = t.viewport()->height();
    PLazyNode third = t.GetFirst()->NextSibling->NextSibling;  // row top 36
    // Expand: the band from the row below the node down to the client bottom moves down by 54.
    t.SetExpanded(third, true);
    ASSERT_FALSE(t.moves.empty());
    int moved = 0;
    for (const auto& m : t.moves) {
        EXPECT_EQ(m.band, QRect(0, 54, t.moves[0].band.width(), ch - 54));
        EXPECT_GT(m.dy, 0);
        moved += m.dy;
    }
    EXPECT_EQ(moved, 54);
    EXPECT_TRUE(t.moves.front().strip);
    EXPECT_FALSE(t.moves.back().strip);
    // Collapse: the same band moves up by min(CH - 54 + 1, 54).
    t.moves.clear();
    t.SetExpanded(third, false);
    moved = 0;
    for (const auto& m : t.moves) {
        EXPECT_LT(m.dy, 0);
        moved -= m.dy;
    }
    EXPECT_EQ(moved, std::min(ch - 54 + 1, 54));
    // No animation duration, no animation.
    t.moves.clear();
    t.SetAnimationDuration(0);
    t.SetExpanded(third, true);
    EXPECT_TRUE(t.moves.empty());
}

// The other rows of the collapse and expand tables, on the same tree with a 200-pixel client: each
// band's rectangle, direction and the distance it travels in total.
TEST(LazyTreeAnimate, BandsFollowTheirTables) {
    struct Band {
        QRect rect;
        int distance;  // signed: up is negative
    };
    struct Case {
        const char* name;
        int meter;       // the meter toggled
        bool expanding;  // otherwise it is expanded first and collapsed
        bool atBottom;   // scrolled to the bottom before the toggle
        bool advanced;
        std::vector<Band> bands;  // in the order the steps move them
    };
    constexpr int ch = 200;
    const std::vector<Case> cases = {
        // Node row 162..180, 54 pixels of children: they do not fit below, so the rows above move up
        // by E + 181 - CH = 35 and the rows below down by the 19 pixels left to the client bottom.
        {"expanding near the bottom moves the rows above up and those below down", 9, true, false, true,
         {{QRect(0, 0, 300, 181), -35}, {QRect(0, 181, 300, ch - 181), 19}}},
        // Without the advanced option only the rows below move, by what is left of the client.
        {"expanding near the bottom without the advanced option moves only the rows below", 9, true, false, false,
         {{QRect(0, 180, 300, ch - 180), ch - 180}}},
        // The last meter at the bottom: 414 pixels, offset -214, its row 128..146. Collapsing slides
        // the rows above down by the children's height, the band reaching to the children's end.
        {"collapsing at the bottom slides the rows above down", 19, false, true, true,
         {{QRect(0, 0, 300, ch), 54}}},
        {"collapsing at the bottom without the advanced option moves the rows below up", 19, false, true, false,
         {{QRect(0, 146, 300, ch - 146), -54}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Recorder t;
        TickingClock clock;
        t.SetClock(&clock);
        t.SetNodeDataSize(4);
        t.TreeOptions().SetAnimationOptions(c.advanced ? TLTAnimationOptions{toAnimatedToggle, toAdvancedAnimatedToggle}
                                                       : TLTAnimationOptions{toAnimatedToggle});
        t.TreeOptions().SetAutoOptions(t.TreeOptions().AutoOptions() + TLTAutoOption::toAutoScrollOnExpand);
        PLazyNode meter = nullptr;
        for (int i = 0; i < 20; ++i) {
            PLazyNode m = t.AddChild(nullptr);
            for (int v = 0; v < 3; ++v) t.AddChild(m);
            if (i == c.meter) meter = m;
        }
        t.show();
        t.resize(300 + t.width() - t.viewport()->width(), ch + t.height() - t.viewport()->height());
        QApplication::processEvents();
        ASSERT_EQ(t.viewport()->height(), ch);
        ASSERT_EQ(t.viewport()->width(), 300);
        if (!c.expanding) {
            t.SetAnimationDuration(0);
            t.SetExpanded(meter, true);
            t.SetAnimationDuration(200);
        }
        if (c.atBottom) t.SetOffsetY(-1000000);
        QApplication::processEvents();
        t.moves.clear();
        t.SetExpanded(meter, c.expanding);
        // Sum the moves band by band, keeping the order in which the bands first moved.
        std::vector<Band> moved;
        for (const auto& m : t.moves) {
            auto it = std::find_if(moved.begin(), moved.end(), [&](const Band& b) { return b.rect == m.band; });
            if (it == moved.end()) {
                EXPECT_TRUE(m.strip) << "the first move of a band paints its strip";
                moved.push_back({m.band, m.dy});
            } else {
                EXPECT_FALSE(m.strip) << "later moves leave the strip alone";
                EXPECT_EQ(m.dy > 0, it->distance > 0) << "a band keeps its direction";
                it->distance += m.dy;
            }
        }
        ASSERT_EQ(moved.size(), c.bands.size());
        for (size_t i = 0; i < moved.size(); ++i) {
            EXPECT_EQ(moved[i].rect, c.bands[i].rect) << i;
            EXPECT_EQ(moved[i].distance, c.bands[i].distance) << i;
        }
    }
}

TEST(LazyTreePrint, PagesAcrossFollowThePictureWidth) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TLazyStringTree t;
    t.SetNodeDataSize(4);
    t.SetRootNodeCount(3);
    t.show();
    auto pagesFor = [&](int extra) {
        const QString path = dir.filePath(QStringLiteral("tree%1.pdf").arg(extra));
        QPdfWriter writer(path);
        writer.setResolution(96);
        QFont font = t.Font().ToQFont();
        font.setPointSizeF(t.Font().Size());
        const double scale = QFontMetricsF(font, &writer).height() / t.Canvas().TextHeight(QStringLiteral("Tj"));
        const int pageW = int(std::nearbyint(writer.width() / scale));
        t.resize(pageW + extra + t.width() - t.viewport()->width(), 100 + t.height() - t.viewport()->height());
        EXPECT_EQ(t.GetTreeRect().Width(), pageW + extra);
        t.Print(&writer, false);
        return path;
    };
    const QString one = pagesFor(0);
    const QString two = pagesFor(1);
    EXPECT_EQ(PdfPages(one), 1);
    EXPECT_EQ(PdfPages(two), 2);
    EXPECT_EQ(t.UpdateCount(), 0u);
}

TEST(LazyTreePrint, AFailedPrintLeavesColourAndFontAsBefore) {
    QTemporaryDir dir;
    TLazyStringTree t;
    t.SetNodeDataSize(4);
    t.SetRootNodeCount(3);
    t.SetColor(clYellow);
    t.Font().SetSize(11);
    t.OnBeforeItemPaint = [](TBaseLazyTree*, TCanvas*, PLazyNode, const TRect&, bool&) {
        throw std::runtime_error("printer jammed");
    };
    QPdfWriter writer(dir.filePath(QStringLiteral("failed.pdf")));
    EXPECT_THROW(t.Print(&writer, false), std::runtime_error);
    EXPECT_EQ(t.Color(), clYellow);
    EXPECT_EQ(t.Font().Size(), 11);
    EXPECT_EQ(t.UpdateCount(), 0u);
    EXPECT_FALSE(t.TreeStates().Contains(tsPainting));
    t.Print(nullptr, false);  // nothing
}

TEST(LazyTreeInvalidate, RectanglesAndTheirLimits) {
    TLazyStringTree t;
    t.SetNodeDataSize(4);
    PLazyNode a = t.AddChild(nullptr);
    t.AddChild(a);
    PLazyNode b = t.AddChild(nullptr);
    t.show();
    t.SetExpanded(a, true);
    EXPECT_EQ(t.InvalidateNode(b).Top, 36);
    t.BeginUpdate();
    EXPECT_EQ(t.InvalidateNode(b), (TRect{-1, -1, -1, -1}));
    t.EndUpdate();
    t.RepaintNode(nullptr);
    t.RepaintNode(t.RootNode());
    EXPECT_EQ(t.GetTreeRect(), (TRect{0, 0, t.viewport()->width(), t.viewport()->height()}));
}

TEST(LazyTreeInvalidate, ChildrenOfNilAreTheTopLevelRowsOnly) {
    struct Probe : TLazyStringTree {
        std::vector<PLazyNode> invalidated;
        TRect InvalidateNode(PLazyNode Node) override {
            invalidated.push_back(Node);
            return TLazyStringTree::InvalidateNode(Node);
        }
    } t;
    t.SetNodeDataSize(4);
    PLazyNode a = t.AddChild(nullptr);
    t.AddChild(a);
    PLazyNode b = t.AddChild(nullptr);
    t.InvalidateChildren(nullptr, false);
    EXPECT_EQ(t.invalidated, (std::vector<PLazyNode>{a, b}));
    t.invalidated.clear();
    t.InvalidateChildren(nullptr, true);
    EXPECT_EQ(t.invalidated.size(), 3u);
}

TEST(LazyDrawTree, WidthWithoutAHandlerIsTheTwoMarginsAndTheHandlerDraws) {
    TLazyDrawTree t;
    t.SetNodeDataSize(4);
    PLazyNode n = t.AddChild(nullptr);
    EXPECT_EQ(t.NodeWidth(n), 2 * t.TextMargin());
    t.OnGetNodeWidth = [](TBaseLazyTree*, TCanvas*, PLazyNode, TColumnIndex, int& w) { w = 77; };
    EXPECT_EQ(t.NodeWidth(n), 77);
    int drawn = 0;
    t.OnDrawNode = [&](TBaseLazyTree*, const TLTPaintInfo& info) {
        ++drawn;
        EXPECT_EQ(info.Node, n);
    };
    t.show();
    QImage image(200, 50, QImage::Format_RGB32);
    TCanvas canvas(&image);
    t.PaintTree(canvas, TRect{0, 0, 200, 50}, QPoint(0, 0), {});
    EXPECT_EQ(drawn, 1);
}

// ---- Window events ----

TEST(LazyTreeEvents, ResizeWhileCreatingOrSizingDoesNothing) {
    TLazyStringTree t;
    t.SetNodeDataSize(4);
    t.show();
    int sizing = 0;
    t.OnStateChange = [&](TLazyTreeCore*, TLazyTreeStates enter, TLazyTreeStates) {
        if (enter.Contains(tsSizing)) ++sizing;
    };
    t.resize(t.width() + 10, t.height() + 10);
    EXPECT_EQ(sizing, 1);
    EXPECT_FALSE(t.TreeStates().Contains(tsSizing));
    for (TLazyTreeState busy : {tsWindowCreating, tsSizing}) {
        t.SetTreeStates(t.TreeStates() + busy);
        sizing = 0;
        t.resize(t.width() + 10, t.height() + 10);
        EXPECT_EQ(sizing, 0);
        t.SetTreeStates(t.TreeStates() - busy);
    }
    t.OnStateChange = nullptr;
}

TEST(LazyTreeEvents, FocusLossLeavesTheInputStates) {
    TLazyStringTree t;
    t.SetNodeDataSize(4);
    t.show();
    t.activateWindow();
    t.setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(t.hasFocus());
    const TLazyTreeStates input{tsEditPending,       tsNodeHeightTracking, tsNodeHeightTrackPending,
                                tsIncrementalSearching, tsLeftButtonDown,  tsMiddleButtonDown,
                                tsOLEDragPending,    tsRightButtonDown,    tsScrolling,
                                tsScrollPending,     tsVCLDragPending,     tsWheelPanning};
    t.SetTreeStates(t.TreeStates() + input + tsUseCache);
    t.SearchBuffer = QStringLiteral("ab");
    t.clearFocus();
    QApplication::processEvents();
    EXPECT_TRUE((t.TreeStates() * input).Empty());
    EXPECT_TRUE(t.TreeStates().Contains(tsUseCache));
    EXPECT_TRUE(t.SearchBuffer.isEmpty());
}

TEST(LazyTreeEvents, TabLeavesTheTreeUnlessItWantsTabs) {
    QWidget window;
    auto* t = new TLazyStringTree(&window);
    auto* other = new TLazyStringTree(&window);
    other->move(0, 120);
    window.show();
    window.activateWindow();
    t->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(t->hasFocus());
    t->WantTabs = true;
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(t, &tab);
    EXPECT_TRUE(t->hasFocus());
    t->WantTabs = false;
    QApplication::sendEvent(t, &tab);
    EXPECT_TRUE(other->hasFocus());
}
