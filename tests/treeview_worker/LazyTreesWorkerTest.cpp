// The position cache and the shared worker thread that builds it. No widget and no application
// object: the ThreadSanitizer build runs these tests and sees only the tree's own threads. The test
// thread plays the user-interface thread, draining what the worker hands back when it is woken.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <vector>

#include "tests/treeview/FakeHost.h"
#include "treeview/LazyTrees.WorkerThread.h"
#include "treeview/LazyTreesCheck.h"
#include "treeview/LazyTreesCore.h"

using enum TLazyTreeState;
using lazytree::TWorkerThread;

namespace {

bool CacheInUse(const TLazyTreeCore& t) {
    return t.TreeStates().Contains(tsUseCache) && !t.TreeStates().Contains(tsValidating);
}

// The displayed nodes and their tops, by walking.
struct Rows {
    std::vector<PLazyNode> nodes;
    std::vector<uint32_t> tops;
    uint32_t bottom = 0;
    explicit Rows(TLazyTreeCore& t) {
        for (PLazyNode n : t.VisibleNoInitNodes()) {
            nodes.push_back(n);
            tops.push_back(bottom);
            bottom += n->NodeHeight;
        }
    }
    PLazyNode At(uint32_t y) const {
        auto it = std::upper_bound(tops.begin(), tops.end(), y);
        if (it == tops.begin() || y >= bottom) return nullptr;
        return nodes[size_t(it - tops.begin()) - 1];
    }
};

// Every cache entry is a displayed node at its own top, one every 2000 rows.
std::string CheckCache(TLazyTreeCore& t) {
    Rows rows(t);
    const auto& cache = t.PositionCache();
    const size_t expected = rows.nodes.size() < 2 ? 0 : (rows.nodes.size() + 1999) / 2000;
    if (cache.size() != expected) return "entries: " + std::to_string(cache.size());
    for (size_t k = 0; k < cache.size(); ++k)
        if (cache[k].Node != rows.nodes[k * 2000] || cache[k].AbsoluteTop != rows.tops[k * 2000])
            return "entry " + std::to_string(k);
    return "";
}

TEST(LazyTreeWorker, ExistsFromTheFirstTreeToTheLast) {
    ASSERT_EQ(TWorkerThread::Instance(), nullptr);
    {
        TLazyTreeCore a;
        ASSERT_NE(TWorkerThread::Instance(), nullptr);
        EXPECT_EQ(TWorkerThread::Instance()->RefCount(), 1u);
        {
            TLazyTreeCore b;
            EXPECT_EQ(TWorkerThread::Instance()->RefCount(), 2u);
        }
        EXPECT_EQ(TWorkerThread::Instance()->RefCount(), 1u);
    }
    EXPECT_EQ(TWorkerThread::Instance(), nullptr);
}

TEST(LazyTreeWorker, TwoThousandRowsStartNoBuildAndOneMoreGivesTwoEntries) {
    TLazyTreeCore small;
    FakeHost smallHost(small);
    small.SetRootNodeCount(2000);
    EXPECT_TRUE(small.TreeStates().Contains(tsValidationNeeded));

    TLazyTreeCore big;
    FakeHost host(big);
    big.SetRootNodeCount(2001);
    ASSERT_TRUE(host.RunWorkerUntil([&] { return CacheInUse(big); }));
    // The worker takes trees in order: had the small one been listed, it would have been built first.
    EXPECT_EQ(smallHost.wakes, 0u);
    EXPECT_FALSE(small.ProcessWorkerQueue());
    EXPECT_FALSE(small.TreeStates().Contains(tsUseCache));

    ASSERT_EQ(big.PositionCache().size(), 2u);
    EXPECT_EQ(big.PositionCache()[0].Node, big.GetFirst());
    EXPECT_EQ(big.PositionCache()[0].AbsoluteTop, 0u);
    EXPECT_EQ(big.PositionCache()[1].Node->Index, 2000u);
    EXPECT_EQ(big.PositionCache()[1].AbsoluteTop, 2000u * 18);
    EXPECT_FALSE(big.TreeStates().Contains(tsValidationNeeded));
}

TEST(LazyTreeWorker, GetNodeAtStartsFromTheEntryOfItsPosition) {
    TLazyTreeCore t;
    FakeHost host(t);
    t.SetRootNodeCount(5000);
    ASSERT_TRUE(host.RunWorkerUntil([&] { return CacheInUse(t); }));
    uint32_t top = 1;
    PLazyNode entry = t.FindInPositionCache(4000u * 18, top);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->Index, 4000u);
    EXPECT_EQ(top, 4000u * 18);
    EXPECT_EQ(t.FindInPositionCache(entry, top), entry);
    // The walk starts at that entry: with the nodes before it cut off, it still answers.
    int nodeTop = 0;
    EXPECT_EQ(t.GetNodeAt(0, 4000 * 18, false, nodeTop), entry);
    EXPECT_EQ(nodeTop, 4000 * 18);
    // Below the last row there is no node, with the cache as without it.
    EXPECT_EQ(t.GetNodeAt(0, 5000 * 18, false, nodeTop), nullptr);
    EXPECT_NE(t.GetNodeAt(0, 5000 * 18 - 1, false, nodeTop), nullptr);
}

TEST(LazyTreeWorker, LookupsEqualBruteForceOnRandomHeights) {
    TLazyTreeCore t;
    FakeHost host(t);
    std::mt19937 random(42);
    t.BeginUpdate();
    t.SetRootNodeCount(1000);
    for (PLazyNode n = t.GetFirstNoInit(); n; n = n->NextSibling) {
        t.SetNodeHeight(n, 1 + random() % 40);
        t.SetChildCount(n, 99);
        t.SetExpanded(n, true);
        for (PLazyNode c = n->FirstChild; c; c = c->NextSibling) t.SetNodeHeight(c, 1 + random() % 40);
    }
    t.EndUpdate();
    ASSERT_EQ(t.VisibleCount(), 100000u);
    ASSERT_TRUE(host.RunWorkerUntil([&] { return CacheInUse(t); }));
    EXPECT_EQ(CheckCache(t), "");
    Rows rows(t);
    for (int i = 0; i < 2000; ++i) {
        const uint32_t y = random() % (rows.bottom + 100);
        int nodeTop = -1;
        PLazyNode found = t.GetNodeAt(0, int(y), false, nodeTop);
        ASSERT_EQ(found, rows.At(y)) << "y " << y;
        if (found) {
            uint32_t top = 0;
            PLazyNode entry = t.FindInPositionCache(found, top);
            ASSERT_NE(entry, nullptr);
            EXPECT_LE(top, y);
        }
    }
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

// The worker's measurement runs on the test thread: the build waits for it, so the interruption
// lands in the middle of a build every time.
TEST(LazyTreeWorker, AnInterruptedBuildLeavesTheCacheUnused) {
    TLazyTreeCore t;
    FakeHost host(t);
    int measured = 0;
    t.OnMeasureItem = [&](TLazyTreeCore*, TCanvas*, PLazyNode, int& height) {
        ++measured;
        height = 20;
    };
    t.SetRootNodeCount(3000);
    // Measuring happens where heights are asked: switching variable heights on measures nothing yet.
    t.TreeOptions().SetMiscOptions(t.TreeOptions().MiscOptions() + TLTMiscOption::toVariableNodeHeight);
    measured = 0;
    t.InvalidateCache();
    t.RequestCacheValidation();
    ASSERT_TRUE(host.RunWorkerUntil([&] { return measured > 0; }));
    t.InterruptValidation();
    EXPECT_FALSE(t.TreeStates().Contains(tsUseCache));
    EXPECT_FALSE(t.TreeStates().Contains(tsValidating));
    EXPECT_TRUE(t.TreeStates().Contains(tsValidationNeeded));
    EXPECT_LT(measured, 3000);
    // Asked again, the build measures the rest on this thread and completes.
    t.RequestCacheValidation();
    ASSERT_TRUE(host.RunWorkerUntil([&] { return CacheInUse(t); }));
    EXPECT_EQ(CheckCache(t), "");
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

// A build whose walk ends before the entries it reserved are filled (the count it sized them by was
// ahead of the rows).
struct ShortWalkTree : TLazyTreeCore {
    bool BuildWithCountAhead(uint32_t extra) {
        // The worker lets go of the tree; the build then runs here.
        InterruptValidation();
        DoStateChange({}, {tsStopValidation});
        FVisibleCount += extra;
        const bool result = ValidatePositionCache();
        FVisibleCount -= extra;
        DoStateChange({tsUseCache}, {tsValidationNeeded});
        return result;
    }
};

// Fault mended: the unfilled entries were cut to one more, holding the last node with the bottom of
// the tree as its top, so a lookup below the tree answered that node.
TEST(LazyTreeWorker, ACacheEntryAlwaysHoldsItsNodesTop) {
    ShortWalkTree t;
    t.SetRootNodeCount(2500);
    EXPECT_TRUE(t.BuildWithCountAhead(4000));
    EXPECT_EQ(CheckCache(t), "");
    int top = 0;
    EXPECT_EQ(t.GetNodeAt(0, 2500 * 18, false, top), nullptr);
    EXPECT_EQ(t.GetNodeAt(0, 2500 * 18 + 500, false, top), nullptr);
    EXPECT_EQ(t.GetNodeAt(0, 2500 * 18 - 1, false, top), t.RootNode()->LastChild);
}

struct FailingTree : TLazyTreeCore {
    bool ValidatePositionCache() override { throw std::runtime_error("build failed"); }
};

TEST(LazyTreeWorker, ABuildThatRaisesLeavesValidatingAndUsesNoCache) {
    FailingTree t;
    FakeHost host(t);
    int buildsEnded = 0;
    t.OnStateChange = [&](TLazyTreeCore*, TLazyTreeStates, TLazyTreeStates leave) {
        if (leave.Contains(tsValidating)) ++buildsEnded;
    };
    t.SetRootNodeCount(2500);
    ASSERT_TRUE(host.RunWorkerUntil([&] { return buildsEnded > 0; }));
    EXPECT_TRUE(t.TreeStates().Contains(tsValidationNeeded));
    EXPECT_FALSE(t.TreeStates().Contains(tsValidating));
    EXPECT_FALSE(t.TreeStates().Contains(tsUseCache));
    EXPECT_FALSE(t.TreeStates().Contains(tsStopValidation));
}

// Structural changes of every kind while builds run: each change stops the build first, and every
// finished build matches the tree.
TEST(LazyTreeWorker, RandomChangesDuringBuildsStayClean) {
    TLazyTreeCore t;
    FakeHost host(t);
    std::mt19937 random(3);
    t.SetRootNodeCount(2300);
    for (int step = 0; step < 300; ++step) {
        auto pick = [&] {
            PLazyNode n = t.GetFirstNoInit();
            for (uint32_t skip = random() % t.RootNodeCount(); skip > 0 && n->NextSibling; --skip) n = n->NextSibling;
            return n;
        };
        switch (random() % 7) {
            case 0:
                t.AddChild(pick());
                break;
            case 1:
                t.InsertNode(pick(), TLTNodeAttachMode::amInsertAfter);
                break;
            case 2:
                if (t.RootNodeCount() > 2200) t.DeleteNode(pick());
                break;
            case 3: {
                PLazyNode a = pick(), b = pick();
                if (a != b && !t.HasAsParent(b, a)) t.MoveTo(a, b, TLTNodeAttachMode::amInsertBefore, false);
                break;
            }
            case 4:
                t.ToggleNode(pick());
                break;
            case 5:
                t.SetNodeHeight(pick(), 5 + random() % 30);
                break;
            default: {
                PLazyNode n = pick();
                t.SetVisible(n, !n->States.Contains(TLazyNodeState::vsVisible));
                break;
            }
        }
        t.ProcessWorkerQueue();
        if (step % 50 == 49) {
            ASSERT_TRUE(host.RunWorkerUntil([&] { return CacheInUse(t); }));
            ASSERT_EQ(CheckCache(t), "") << "step " << step;
        }
        ASSERT_EQ(CheckTreeInvariants(t), "") << "step " << step;
    }
}

}  // namespace
