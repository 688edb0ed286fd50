// The shared worker thread and the position cache it builds.
#include "treeview/LazyTrees.WorkerThread.h"

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <exception>

#include "treeview/LazyTreesCore.h"

using enum TLazyNodeState;
using enum TLazyTreeState;

namespace lazytree {

namespace {
// Changed on the user-interface thread only.
std::atomic<TWorkerThread*> gWorker{nullptr};
constexpr uint32_t kCacheInterval = 2000;
}  // namespace

TWorkerThread* TWorkerThread::Instance() {
    return gWorker;
}

TWorkerThread::TWorkerThread() {
    FThread = std::thread([this] { Execute(); });
    pthread_setname_np(FThread.native_handle(), "LazyTrees.Work");
}

TWorkerThread::~TWorkerThread() {
    {
        std::lock_guard lock(FLock);
        FTerminated = true;
        FSignalled = true;
    }
    FWake.notify_all();
    if (FThread.joinable()) FThread.join();
}

void AcquireWorkerThread() {
    if (!gWorker.load()) gWorker.store(new TWorkerThread());
    ++gWorker.load()->FRefCount;
}

void ReleaseWorkerThread(TLazyTreeCore* Tree) {
    TWorkerThread* worker = gWorker.load();
    if (!worker) return;
    --worker->FRefCount;
    if (Tree) Tree->InterruptValidation();
    if (worker->FRefCount == 0) {
        gWorker.store(nullptr);
        delete worker;
    }
}

void TWorkerThread::AddTree(TLazyTreeCore* Tree) {
    Assert(Tree != nullptr, "Tree must not be nil.");
    Tree->DoStateChange({}, {tsStopValidation});
    {
        std::lock_guard lock(FLock);
        if (std::find(FWaiterList.begin(), FWaiterList.end(), Tree) == FWaiterList.end()) FWaiterList.push_back(Tree);
        FSignalled = true;
    }
    FWake.notify_one();
}

bool TWorkerThread::RemoveTree(TLazyTreeCore* Tree) {
    Assert(Tree != nullptr, "Tree must not be nil.");
    {
        std::lock_guard lock(FLock);
        FWaiterList.erase(std::remove(FWaiterList.begin(), FWaiterList.end(), Tree), FWaiterList.end());
    }
    return WaitForValidationTermination(Tree);
}

bool TWorkerThread::WaitForValidationTermination(TLazyTreeCore* Tree) {
    bool seen = false;
    std::unique_lock lock(FLock);
    while (FCurrentTree == Tree) {
        seen = true;
        const uint64_t progress = FProgressCount;
        lock.unlock();
        const bool ran = Tree->ProcessWorkerQueue();
        lock.lock();
        if (!ran) FProgress.wait(lock, [&] { return FProgressCount != progress || FCurrentTree != Tree; });
    }
    lock.unlock();
    // What the build handed back last.
    if (Tree->ProcessWorkerQueue()) seen = true;
    return seen;
}

void TWorkerThread::NotifyProgress() {
    {
        std::lock_guard lock(FLock);
        ++FProgressCount;
    }
    FProgress.notify_all();
}

void TWorkerThread::Execute() {
    for (;;) {
        TLazyTreeCore* tree = nullptr;
        {
            std::unique_lock lock(FLock);
            FWake.wait(lock, [&] { return FSignalled; });
            FSignalled = false;
            if (FTerminated) return;
            if (!FWaiterList.empty()) {
                tree = FWaiterList.front();
                FWaiterList.pop_front();
                if (!FWaiterList.empty()) FSignalled = true;
            }
            FCurrentTree = tree;
        }
        if (!tree) continue;
        tree->QueueStateChange({tsValidating}, {tsUseCache, tsValidationNeeded});
        TLazyTreeStates enter;
        try {
            if (!tree->FStopValidation.load() && tree->ValidatePositionCache() && !tree->FStopValidation.load())
                enter += tsUseCache;
        } catch (...) {
            // A failed build leaves the cache unused; the states below are still handed back.
        }
        // An unfinished build leaves the cache wanted: the hand-back marks it so when it arrives.
        const bool complete = enter.Contains(tsUseCache);
        tree->QueueCall([tree, enter, complete] {
            tree->DoStateChange(enter, {tsStopValidation, tsValidating});
            if (!complete) tree->InvalidateCache();
        });
        tree->QueueCall([tree] { tree->UpdateEditBounds(); });
        {
            std::lock_guard lock(FLock);
            FCurrentTree = nullptr;
            ++FProgressCount;
        }
        FProgress.notify_all();
    }
}

}  // namespace lazytree

// ---- The tree's side ----

void TLazyTreeCore::QueueCall(std::function<void()> Call) {
    {
        std::lock_guard lock(FWorkerQueueLock);
        FWorkerQueue.push_back(std::move(Call));
        FWorkerQueued.fetch_add(1);
    }
    if (lazytree::TWorkerThread* worker = lazytree::TWorkerThread::Instance()) worker->NotifyProgress();
    if (FHost) FHost->WakeForWorker();
}

void TLazyTreeCore::QueueStateChange(TLazyTreeStates Enter, TLazyTreeStates Leave) {
    QueueCall([this, Enter, Leave] { DoStateChange(Enter, Leave); });
}

void TLazyTreeCore::RunOnUiThread(const std::function<void()>& Call) {
    std::mutex doneLock;
    std::condition_variable doneSignal;
    bool done = false;
    std::exception_ptr error;
    QueueCall([&] {
        try {
            Call();
        } catch (...) {
            error = std::current_exception();
        }
        // Signalled under the lock: the waiting thread destroys the signal as soon as it sees done.
        std::lock_guard lock(doneLock);
        done = true;
        doneSignal.notify_all();
    });
    std::unique_lock lock(doneLock);
    doneSignal.wait(lock, [&] { return done; });
    if (error) std::rethrow_exception(error);
}

bool TLazyTreeCore::ProcessWorkerQueue() {
    bool ran = false;
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(FWorkerQueueLock);
            if (FWorkerQueue.empty()) return ran;
            call = std::move(FWorkerQueue.front());
            FWorkerQueue.pop_front();
            FWorkerQueued.fetch_sub(1);
        }
        ran = true;
        const bool outer = !FRunningWorkerCall;
        FRunningWorkerCall = true;
        try {
            call();
        } catch (...) {
            if (outer) FRunningWorkerCall = false;
            throw;
        }
        if (outer) FRunningWorkerCall = false;
    }
}

// Both run on every structural change: a change of nothing is skipped here (it would fire nothing).
void TLazyTreeCore::InvalidateCache() {
    if (!FStates.Contains(tsValidationNeeded) || FStates.Contains(tsUseCache))
        DoStateChange({tsValidationNeeded}, {tsUseCache});
}

void TLazyTreeCore::InterruptValidation() {
    // Hand-backs of a build that ended already come first, so they cannot undo the stop.
    if (FWorkerQueued.load() > 0 && !FRunningWorkerCall) ProcessWorkerQueue();
    if (!FStates.Contains(tsStopValidation) || FStates.Contains(tsUseCache))
        DoStateChange({tsStopValidation}, {tsUseCache});
    // Inside a call the worker waits for, it is not walking: it stops at its next node.
    if (FRunningWorkerCall || !FWorkerListed) return;
    lazytree::TWorkerThread* worker = lazytree::TWorkerThread::Instance();
    if (!worker) return;
    // The wait runs the build's last hand-back, which marks the cache wanted when the build did not
    // finish.
    worker->RemoveTree(this);
    FWorkerListed = false;
}

void TLazyTreeCore::RequestCacheValidation() {
    if (FDestroying) return;
    InterruptValidation();
    FStartIndex = 0;
    lazytree::TWorkerThread* worker = lazytree::TWorkerThread::Instance();
    if (FStates.Contains(tsValidationNeeded) && FVisibleCount > lazytree::kCacheInterval && worker) {
        FWorkerListed = true;
        worker->AddTree(this);
    }
}

bool TLazyTreeCore::ValidatePositionCache() {
    if (FStopValidation.load()) return false;
    const bool measure = FOptions->MiscOptions().Contains(TLTMiscOption::toVariableNodeHeight);
    if (FStartIndex == 0) FPositionCache.clear();
    const size_t entries = FVisibleCount < 2 ? 0 : (size_t(FVisibleCount) + lazytree::kCacheInterval - 1) /
                                                        lazytree::kCacheInterval;
    FPositionCache.resize(entries);
    if (FStartIndex > entries) FStartIndex = static_cast<uint32_t>(entries);
    PLazyNode node;
    uint32_t top;
    size_t index;
    if (FStartIndex > 0 && FPositionCache[FStartIndex - 1].Node) {
        index = FStartIndex - 1;
        node = FPositionCache[index].Node;
        top = FPositionCache[index].AbsoluteTop;
    } else {
        index = 0;
        node = GetFirstVisibleNoInit(nullptr, true, false);
        top = 0;
    }
    uint32_t counter = 0;
    while (node && node != FRoot && !FStopValidation.load()) {
        if (counter % lazytree::kCacheInterval == 0) {
            if (index >= entries) break;
            FPositionCache[index++] = {node, top};
        }
        uint32_t height = node->NodeHeight;
        if (measure && !node->States.Contains(vsHeightMeasured))
            RunOnUiThread([&] { height = NodeHeight(node); });
        top += height;
        ++counter;
        node = GetNextVisibleNoInit(node, true);
    }
    const bool stopped = FStopValidation.load();
    // Only entries whose top is their node's top are kept: an entry for the bottom of the last node
    // would make a lookup below the tree answer that node.
    if (!stopped && index < entries) FPositionCache.resize(index);
    const bool result = counter > 0 && !stopped;
    if (result && measure) QueueCall([this] { UpdateScrollBars(true); });
    return result;
}

PLazyNode TLazyTreeCore::FindInPositionCache(PLazyNode Node, uint32_t& CurrentPos) const {
    int64_t low = 0, high = int64_t(FPositionCache.size()) - 1;
    while (low <= high) {
        const int64_t middle = (low + high) / 2;
        if (CompareNodePositions(FPositionCache[middle].Node, Node, false) > 0)
            high = middle - 1;
        else
            low = middle + 1;
    }
    if (low == 0 || !FPositionCache[low - 1].Node) {
        CurrentPos = 0;
        return nullptr;
    }
    CurrentPos = FPositionCache[low - 1].AbsoluteTop;
    return FPositionCache[low - 1].Node;
}

PLazyNode TLazyTreeCore::FindInPositionCache(uint32_t Position, uint32_t& CurrentPos) const {
    int64_t low = 0, high = int64_t(FPositionCache.size()) - 1;
    while (low <= high) {
        const int64_t middle = (low + high) / 2;
        if (Position < FPositionCache[middle].AbsoluteTop)
            high = middle - 1;
        else
            low = middle + 1;
    }
    if (low == 0 || !FPositionCache[low - 1].Node) {
        CurrentPos = 0;
        return nullptr;
    }
    CurrentPos = FPositionCache[low - 1].AbsoluteTop;
    return FPositionCache[low - 1].Node;
}
