// Printing into a PDF, the draw tree, invalidation, the animation engine and the toggle animation.
#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QFile>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPdfWriter>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimerEvent>
#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

#include "treeview/LazyTrees.h"

using enum TLazyTreeState;
using enum TLTAnimationOption;
using enum TLTInternalPaintOption;
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
    // Each step's pixels reach the screen during the run, although no other event is processed.
    struct FlushCounter : QObject {
        int flushes = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            flushes += e->type() == QEvent::UpdateRequest;
            return false;
        }
    } counter;
    t.window()->installEventFilter(&counter);
    // Expand: the band from the row below the node down to the client bottom moves down by 54.
    t.SetExpanded(third, true);
    t.window()->removeEventFilter(&counter);
    ASSERT_FALSE(t.moves.empty());
    EXPECT_GE(counter.flushes, int(t.moves.size()));
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

namespace {

// Keeps each page as the tree left it, with the place its rows went to.
struct PagePeek : TLazyStringTree {
    struct Page {
        QImage image;
        TRect window;
        QPoint target;
    };
    std::vector<Page> pages;
    void PaintTree(TCanvas& TargetCanvas, const TRect& Window, QPoint Target,
                   TLTInternalPaintOptions PaintOptions) override {
        TLazyStringTree::PaintTree(TargetCanvas, Window, Target, PaintOptions);
        if (auto* image = dynamic_cast<QImage*>(TargetCanvas.Device())) pages.push_back({image->copy(), Window, Target});
    }
};

int CountColour(const QImage& image, QRect area, TColor colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) count += FromQRgb(image.pixel(x, y)) == colour;
    return count;
}

}  // namespace

// A small tree fills one page; its picture shows the grid lines but not the selection, which the
// screen shows; a printed header sits above the rows and makes the picture taller by its height.
TEST(LazyTreePrint, GridLinesHeaderAndNoSelection) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    constexpr TColor kGrid = 0x00FF00, kSelection = 0xFF0000, kHeaderBack = 0x00FFFF;
    PagePeek t;
    t.SetNodeDataSize(4);
    t.SetRootNodeCount(3);
    t.OnGetText = [](TCustomLazyStringTree*, PLazyNode n, TColumnIndex, TVSTTextType, QString& text) {
        text = QStringLiteral("Meter %1").arg(n->Index);
    };
    // Unthemed, so the header is painted in its own background colour rather than by the theme.
    t.TreeOptions().SetPaintOptions(t.TreeOptions().PaintOptions() + TLTPaintOption::toShowHorzGridLines -
                                    TLTPaintOption::toThemeAware);
    t.TreeOptions().SetSelectionOptions(t.TreeOptions().SelectionOptions() + TLTSelectionOption::toFullRowSelect);
    t.Colors().SetGridLineColor(kGrid);
    t.Colors().SetFocusedSelectionColor(kSelection);
    t.Colors().SetUnfocusedSelectionColor(kSelection);
    t.Colors().SetFocusedSelectionBorderColor(kSelection);
    t.Colors().SetUnfocusedSelectionBorderColor(kSelection);
    t.Header().SetBackground(kHeaderBack);
    t.resize(300, 200);
    t.show();
    t.SetSelected(t.GetFirst()->NextSibling, true);
    t.SetFocusedNode(t.GetFirst()->NextSibling);
    const QRect rows(0, 0, 300, 3 * 18);

    // The screen shows the selected row.
    QImage screen(300, 200, QImage::Format_RGB32);
    {
        TCanvas canvas(&screen);
        t.PaintTree(canvas, TRect{0, 0, 300, 200}, QPoint(0, 0),
                    {poBackground, poDrawFocusRect, poDrawSelection, poGridLines});
    }
    EXPECT_GT(CountColour(screen, rows, kSelection), 100);

    auto print = [&](const QString& name, bool header) {
        t.pages.clear();
        const QString path = dir.filePath(name);
        QPdfWriter writer(path);
        writer.setResolution(96);
        t.Print(&writer, header);
        return PdfPages(path);
    };
    EXPECT_EQ(print(QStringLiteral("plain.pdf"), false), 1);
    ASSERT_EQ(t.pages.size(), 1u);
    const QImage& page = t.pages[0].image;
    EXPECT_EQ(t.pages[0].target, QPoint(0, 0));
    EXPECT_EQ(CountColour(page, rows, kSelection), 0);
    // Each row's bottom line is a grid line, dotted as on the screen (the selected row aside there).
    for (int row = 0; row < 3; ++row) {
        const QRect line(0, row * 18 + 17, 300, 1);
        EXPECT_GT(CountColour(page, line, kGrid), t.GetTreeRect().Width() / 2 - 2) << row;
        if (row != 1) EXPECT_EQ(CountColour(page, line, kGrid), CountColour(screen, line, kGrid)) << row;
    }
    EXPECT_EQ(t.Color(), clWindow);

    // A header that is not shown is not printed.
    EXPECT_EQ(print(QStringLiteral("hidden-header.pdf"), true), 1);
    EXPECT_EQ(t.pages[0].target, QPoint(0, 0));

    t.Header().SetOptions(t.Header().Options() + TLTHeaderOption::hoVisible);
    const int headerH = t.Header().Height();
    ASSERT_GT(headerH, 0);
    EXPECT_EQ(print(QStringLiteral("header.pdf"), true), 1);
    ASSERT_EQ(t.pages.size(), 1u);
    EXPECT_EQ(t.pages[0].target, QPoint(0, headerH));
    EXPECT_EQ(t.pages[0].window.Top, 0);
    EXPECT_GT(CountColour(t.pages[0].image, QRect(0, 0, 300, headerH), kHeaderBack), 300 * headerH / 2);
    EXPECT_EQ(CountColour(t.pages[0].image, QRect(0, headerH, 300, 3 * 18), kHeaderBack), 0);
    EXPECT_EQ(t.UpdateCount(), 0u);
}

// A header can push the rows onto a second page: the picture grows by the header's height.
TEST(LazyTreePrint, TheHeaderMakesThePictureTaller) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    PagePeek t;
    t.SetNodeDataSize(4);
    t.show();
    t.Header().SetOptions(t.Header().Options() + TLTHeaderOption::hoVisible);
    const QString path = dir.filePath(QStringLiteral("measure.pdf"));
    QPdfWriter writer(path);
    writer.setResolution(96);
    QFont font = t.Font().ToQFont();
    font.setPointSizeF(t.Font().Size());
    const double scale = QFontMetricsF(font, &writer).height() / t.Canvas().TextHeight(QStringLiteral("Tj"));
    const int pageH = int(std::nearbyint(writer.height() / scale));
    // Rows exactly one page high.
    t.SetDefaultNodeHeight(pageH);
    t.SetRootNodeCount(1);
    t.resize(200, 100);
    ASSERT_EQ(t.GetTreeRect().Height(), pageH);
    auto pages = [&](const QString& name, bool header) {
        const QString file = dir.filePath(name);
        QPdfWriter w(file);
        w.setResolution(96);
        t.pages.clear();
        t.Print(&w, header);
        return PdfPages(file);
    };
    EXPECT_EQ(pages(QStringLiteral("rows.pdf"), false), 1);
    EXPECT_EQ(pages(QStringLiteral("rows-and-header.pdf"), true), 2);
    // The second page carries the rows' last header-height pixels.
    ASSERT_EQ(t.pages.size(), 2u);
    EXPECT_EQ(t.pages[1].window.Top, pageH - t.Header().Height());
    EXPECT_EQ(t.pages[1].window.Bottom, pageH);
    EXPECT_EQ(t.pages[1].target, QPoint(0, 0));
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
    // RepaintNode paints a row at once; nil and the root paint nothing.
    QApplication::processEvents();
    struct PaintCounter : QObject {
        std::vector<QRect> painted;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) painted.push_back(static_cast<QPaintEvent*>(e)->rect());
            return false;
        }
    } counter;
    t.viewport()->installEventFilter(&counter);
    t.RepaintNode(nullptr);
    t.RepaintNode(t.RootNode());
    EXPECT_TRUE(counter.painted.empty());
    t.RepaintNode(b);
    ASSERT_EQ(counter.painted.size(), 1u);
    EXPECT_EQ(counter.painted[0], QRect(0, 36, t.viewport()->width(), 18));
    t.viewport()->removeEventFilter(&counter);
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

// A style change from outside re-creates the tree's look 500 ms later, through timer 8.
TEST(LazyTreeEvents, AStyleChangeRecreatesTheLookHalfASecondLater) {
    // Made before the tree, so that it outlives it.
    std::unique_ptr<QStyle> style(QStyleFactory::create(QStringLiteral("Fusion")));
    ASSERT_TRUE(style);
    struct Recreations : TLazyStringTree {
        int made = 0;
        void CreateWnd() override {
            ++made;
            TLazyStringTree::CreateWnd();
        }
    } t;
    t.SetNodeDataSize(4);
    t.show();
    QApplication::processEvents();
    auto timersOf = [&](int interval) {
        std::vector<int> ids;
        for (const auto& info : QAbstractEventDispatcher::instance()->registeredTimers(&t))
            if (info.interval == interval) ids.push_back(info.timerId);
        return ids;
    };
    ASSERT_TRUE(timersOf(500).empty());
    const int before = t.made;
    t.setStyle(style.get());
    EXPECT_EQ(t.made, before);  // not at once
    const std::vector<int> timers = timersOf(500);
    ASSERT_EQ(timers.size(), 1u);
    QTimerEvent expiry(timers[0]);
    QApplication::sendEvent(&t, &expiry);
    EXPECT_EQ(t.made, before + 1);
    EXPECT_TRUE(timersOf(500).empty());  // once
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
