#pragma once
// A window for the node core without a display: it records repaints and scroll ranges, keeps
// timers on a clock the test drives, and measures text with a fixed height.
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "treeview/LazyTreesCore.h"

struct FakeHost final : ILazyTreeHost {
    explicit FakeHost(TLazyTreeCore& tree) : tree(tree) { tree.SetHost(this); }
    ~FakeHost() override { tree.SetHost(nullptr); }

    bool HasWindow() const override { return window; }
    void Invalidate() override { ++invalidations; }
    void InvalidateFrame() override { ++frameInvalidations; }
    void SetRedraw(bool Enabled) override { redraw = Enabled; }
    void UpdateScrollRange(int64_t x, int64_t y) override {
        rangeX = x;
        rangeY = y;
        ++scrollUpdates;
    }
    void StartTimer(int Id, int IntervalMs) override { timers[Id] = {IntervalMs, now + IntervalMs}; }
    void StopTimer(int Id) override { timers.erase(Id); }
    bool Focused() const override { return false; }
    QSize ClientSize() const override { return {200, 100}; }
    int TextHeight(const QString&) override { return textHeight; }
    bool IsMainThread() const override { return mainThread; }
    int64_t NowMs() override { return now; }
    void RecreateWindow() override { ++recreations; }
    bool ThemesEnabled() const override { return true; }
    // The worker handed something back: the test's loop drains the tree's queue.
    void WakeForWorker() override {
        {
            std::lock_guard lock(wakeLock);
            ++wakes;
        }
        wakeSignal.notify_all();
    }
    // Drains the worker's hand-backs until Done holds, waiting for wake-ups in between; false when
    // it still does not hold after thirty seconds (a loaded machine).
    template <typename Pred>
    bool RunWorkerUntil(Pred Done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        for (;;) {
            uint64_t seen;
            {
                std::lock_guard lock(wakeLock);
                seen = wakes;
            }
            tree.ProcessWorkerQueue();
            if (Done()) return true;
            std::unique_lock lock(wakeLock);
            if (!wakeSignal.wait_until(lock, deadline, [&] { return wakes != seen; })) return Done();
        }
    }

    // Moves the clock on, firing every timer that falls due, as often as it falls due.
    void Advance(int64_t ms) {
        const int64_t target = now + ms;
        for (;;) {
            int id = 0;
            int64_t due = target + 1;
            for (const auto& [i, t] : timers)
                if (t.due < due) {
                    due = t.due;
                    id = i;
                }
            if (id == 0) break;
            now = due;
            timers[id].due = due + timers[id].interval;
            tree.TimerExpired(id);
        }
        now = target;
    }

    struct Timer {
        int interval;
        int64_t due;
    };
    TLazyTreeCore& tree;
    bool window = true;
    bool mainThread = true;
    bool redraw = true;
    int invalidations = 0;
    int frameInvalidations = 0;
    int scrollUpdates = 0;
    int recreations = 0;
    int textHeight = 14;
    int64_t rangeX = 0, rangeY = 0;
    int64_t now = 0;
    std::map<int, Timer> timers;
    std::mutex wakeLock;
    std::condition_variable wakeSignal;
    uint64_t wakes = 0;
};
