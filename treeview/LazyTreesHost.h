#pragma once
// What the node core needs of the window it lives in. The control implements it on its scroll area;
// tests implement it with a recording fake and a clock they drive. A core without a host behaves as
// a tree whose window does not exist yet.
#include <QSize>
#include <QString>
#include <cstdint>

class ILazyTreeHost {
public:
    virtual ~ILazyTreeHost() = default;

    virtual bool HasWindow() const = 0;
    // Repaint the client area, or the frame (border) only.
    virtual void Invalidate() = 0;
    virtual void InvalidateFrame() = 0;
    // Painting on or off around an update.
    virtual void SetRedraw(bool Enabled) = 0;
    // The scroll ranges in pixels (content sizes); the scroll bars follow them.
    virtual void UpdateScrollRange(int64_t RangeX, int64_t RangeY) = 0;
    // Window timers by id (1-8): they fire every Interval ms until stopped; the host calls
    // TLazyTreeCore::TimerExpired(id).
    virtual void StartTimer(int Id, int IntervalMs) = 0;
    virtual void StopTimer(int Id) = 0;
    virtual bool Focused() const = 0;
    virtual QSize ClientSize() const = 0;
    // Height of a text in the tree's font.
    virtual int TextHeight(const QString& Text) = 0;
    virtual bool IsMainThread() const = 0;
    virtual int64_t NowMs() = 0;
    // Drops and builds the window again (options that the window class carries, theme changes).
    virtual void RecreateWindow() = 0;
    // Whether the platform's theme painter is available.
    virtual bool ThemesEnabled() const = 0;
    // Called from the worker thread after it handed something back: the user-interface thread is to
    // call TLazyTreeCore::ProcessWorkerQueue soon (a posted event that carries no data).
    virtual void WakeForWorker() = 0;
};
