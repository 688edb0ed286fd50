#pragma once
// Synchronisation objects of the serial-port component and the scan engine: a system handle that
// closes itself, events to wait on with a time-out, and a critical section.
#include <QString>
#include <cstdint>
#include <mutex>

namespace mbus {

// Owns a handle of the system (a file descriptor here, -1 for none) and closes it when destroyed.
class THandleObject {
public:
    explicit THandleObject(int handle = -1) : FHandle(handle) {}
    virtual ~THandleObject();
    THandleObject(const THandleObject&) = delete;
    THandleObject& operator=(const THandleObject&) = delete;

    int Handle() const { return FHandle; }
    // The system's error code of the last failed operation.
    int LastError() const { return FLastError; }

protected:
    int FHandle;
    int FLastError = 0;
};

enum TEventWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

constexpr uint32_t INFINITE = 0xFFFFFFFF;

// An event that threads wait on. A manual-reset event stays signalled until reset and releases
// every waiter; an automatic one releases one waiter and resets itself. The handle is readable
// while the event is signalled, so it can also be watched with poll.
class TEvent : public THandleObject {
public:
    // The name is kept but shared with nobody: every event is its own, even under a name already
    // used. Throws std::system_error when the system has no handle left.
    TEvent(bool manualReset, bool initialState, const QString& name = {});

    // Waits up to `timeoutMs` (INFINITE: no limit). wrError keeps the system's error in LastError.
    TEventWaitResult WaitFor(uint32_t timeoutMs);
    void SetEvent();
    void ResetEvent();

    bool ManualReset() const { return FManualReset; }
    const QString& Name() const { return FName; }

private:
    bool FManualReset;
    QString FName;
};

// An unnamed manual-reset event, not signalled at first.
class TSimpleEvent : public TEvent {
public:
    TSimpleEvent() : TEvent(true, false) {}
};

// A lock that the thread holding it may take again.
class TCriticalSection {
public:
    void Acquire() { FSection.lock(); }
    void Release() { FSection.unlock(); }
    void Enter() { Acquire(); }
    void Leave() { Release(); }
    // For std::lock_guard.
    void lock() { Acquire(); }
    void unlock() { Release(); }

private:
    std::recursive_mutex FSection;
};

}  // namespace mbus
