#pragma once
// The start-up probe both programs of the start-up benchmark carry: when their window has finished
// its first paint, it tells the driver (one byte on the pipe named by PAINT_PROBE_FD, when given)
// and closes the window as a user would, so the program runs its own way to its end.
#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QWidget>
#include <cstdlib>
#include <unistd.h>

class PaintProbe : public QObject {
public:
    explicit PaintProbe(QWidget* window) : window_(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            // Queued: it runs once this paint and its flush are done.
            QMetaObject::invokeMethod(this, [this] { report(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void report() {
        if (const char* fd = std::getenv("PAINT_PROBE_FD")) {
            const char byte = 'P';
            (void)!write(std::atoi(fd), &byte, 1);
        }
        window_->close();
    }

    QWidget* window_;
    bool seen_ = false;
};
