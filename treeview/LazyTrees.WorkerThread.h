#pragma once
// The one background thread that builds the position caches of every tree in the process. Trees
// wait in a locked list, first come first served; the thread sleeps on a wake-up event between
// requests. It never changes a tree's states itself: it queues them on the tree, and the
// user-interface thread applies them when it drains that queue (in its event loop, or while it waits
// in RemoveTree), so neither thread waits for the other while the other waits for it.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

class TLazyTreeCore;

namespace lazytree {

class TWorkerThread {
public:
    TWorkerThread();
    ~TWorkerThread();
    TWorkerThread(const TWorkerThread&) = delete;
    TWorkerThread& operator=(const TWorkerThread&) = delete;

    // Lists the tree (once) and wakes the thread.
    void AddTree(TLazyTreeCore* Tree);
    // Takes the tree off the list and waits until the thread has let go of it, running what the
    // thread hands back meanwhile. Answers whether a build of the tree ran or handed anything back.
    bool RemoveTree(TLazyTreeCore* Tree);
    uint32_t RefCount() const { return FRefCount; }
    // Called by the thread after it queued something on a tree: wakes a RemoveTree wait.
    void NotifyProgress();

    // The shared instance, nil while no tree uses it.
    static TWorkerThread* Instance();

private:
    friend void AcquireWorkerThread();
    friend void ReleaseWorkerThread(TLazyTreeCore* Tree);
    void Execute();
    bool WaitForValidationTermination(TLazyTreeCore* Tree);

    std::mutex FLock;  // the waiter list, the current tree and the wake-up event
    std::condition_variable FWake;
    std::condition_variable FProgress;
    bool FSignalled = false;  // the auto-reset event
    bool FTerminated = false;
    uint64_t FProgressCount = 0;
    std::deque<TLazyTreeCore*> FWaiterList;
    TLazyTreeCore* FCurrentTree = nullptr;
    uint32_t FRefCount = 0;  // changed on the user-interface thread only
    std::thread FThread;
};

// The first call creates the thread; every call adds a reference. Trees call it when made.
void AcquireWorkerThread();
// Drops a reference after stopping Tree's build; the last one ends the thread.
void ReleaseWorkerThread(TLazyTreeCore* Tree);

}  // namespace lazytree
