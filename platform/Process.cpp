#include "platform/Process.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace plat {

StartResult startAndWait(const QString& program, const QStringList& arguments, qint64 capMs, Clock& clock) {
    StartResult r;
    const QFileInfo info(program);
    if (!info.isFile() || !info.isExecutable()) {
        r.error = info.exists() ? QStringLiteral("not an executable file") : QStringLiteral("file not found");
        return r;
    }
    std::vector<QByteArray> args;
    // The name is resolved before the change of folder below, so a relative one still finds it.
    args.push_back(QFile::encodeName(info.absoluteFilePath()));
    for (const QString& a : arguments) args.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    // The program runs in its own folder, as the updater expects to find its parameter file there.
    const QByteArray cwd = QFile::encodeName(info.absolutePath());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.constData());
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        r.error = QString::fromLocal8Bit(std::strerror(rc));
        return r;
    }
    const int64_t start = clock.nowMs();
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            r.outcome = StartOutcome::Finished;
            r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (done < 0 && errno != EINTR) {
            r.outcome = StartOutcome::Finished;
            break;
        }
        if (clock.nowMs() - start >= capMs) {
            r.outcome = StartOutcome::StillRunning;
            // Reap the program whenever it ends, so it leaves no zombie behind.
            std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
            break;
        }
        clock.sleepMs(10);
    }
    r.waitedMs = clock.nowMs() - start;
    return r;
}

void openUrl(const QString& url) { QDesktopServices::openUrl(QUrl(url)); }

}  // namespace plat
