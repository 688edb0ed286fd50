#pragma once
// Starts a program and waits for its end, polling every 10 ms up to a cap, without processing
// window messages. A program still running at the cap is left running.
#include "platform/Clock.h"

#include <QString>
#include <QStringList>

namespace plat {

enum class StartOutcome { Finished, StillRunning, NotStarted };

struct StartResult {
    StartOutcome outcome = StartOutcome::NotStarted;
    int exitCode = 0;   // only meaningful when Finished
    QString error;      // why the start failed
    qint64 waitedMs = 0;
};

// `clock` measures the wait and paces the polls; tests drive it.
StartResult startAndWait(const QString& program, const QStringList& arguments, qint64 capMs,
                         Clock& clock = blockingClock());

// Opens a web address with the desktop's browser.
void openUrl(const QString& url);

}  // namespace plat
