#include "platform/Process.h"
#include "platform/Clock.h"
#include "tests/support/TestClocks.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <vector>

using testing_support::readAll;
using testing_support::writeAll;

namespace {

class StartAndWait : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString previousCwd = QDir::currentPath();

    void TearDown() override { QDir::setCurrent(previousCwd); }

    // A shell script in `folder` (relative to the temporary folder) that notes the folder it runs in.
    QString script(const QString& folder, const QString& name, const QByteArray& body) {
        const QString where = dir.path() + u'/' + folder;
        EXPECT_TRUE(QDir().mkpath(where));
        const QString file = where + u'/' + name;
        writeAll(file, "#!/bin/sh\npwd -P > \"$0.cwd\"\n" + body);
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return file;
    }
};

// The program runs in its own folder and is found however its name was given.
TEST_F(StartAndWait, RunsTheProgramInItsOwnFolder) {
    const QString file = script(QStringLiteral("tools"), QStringLiteral("run.sh"), "exit 4\n");
    const QString canonicalFolder = QDir(dir.path() + QStringLiteral("/tools")).canonicalPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const struct {
        const char* what;
        QString name;
    } cases[] = {{"absolute", file},
                 {"relative to the current folder", QStringLiteral("tools/run.sh")},
                 {"relative with a dot", QStringLiteral("./tools/run.sh")}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(file + QStringLiteral(".cwd"));
        // A real program sets the time here; the cap is far beyond what even a loaded machine needs.
        const plat::StartResult r = plat::startAndWait(c.name, {}, 120000);
        EXPECT_EQ(r.outcome, plat::StartOutcome::Finished) << r.error.toStdString();
        EXPECT_EQ(r.exitCode, 4);
        EXPECT_EQ(readAll(file + QStringLiteral(".cwd")).trimmed(), canonicalFolder.toLocal8Bit());
    }
}

TEST_F(StartAndWait, ReportsWhatCouldNotStartAndWhatStillRuns) {
    const QString plain = dir.path() + QStringLiteral("/plain.txt");
    writeAll(plain, "not a program");
    const struct {
        const char* what;
        QString name;
    } refused[] = {{"missing", dir.path() + QStringLiteral("/none.sh")},
                   {"not executable", plain},
                   {"a folder", dir.path()}};
    for (const auto& c : refused) {
        const plat::StartResult r = plat::startAndWait(c.name, {}, 1000);
        EXPECT_EQ(r.outcome, plat::StartOutcome::NotStarted) << c.what;
        EXPECT_FALSE(r.error.isEmpty()) << c.what;
    }

    // Runs until the test lets it go (or its folder goes), so it is certainly still running when the
    // wait gives up; it lets go of the test's output at once, so nothing waits on it after the test.
    const QByteArray release = QFile::encodeName(dir.path() + QStringLiteral("/release"));
    const QString held = script(QStringLiteral("."), QStringLiteral("held.sh"),
                                "exec >/dev/null 2>&1\nwhile [ -d '" + QFile::encodeName(dir.path()) + "' ] && [ ! -e '" +
                                    release + "' ]; do sleep 0.05; done\n");
    testing_support::PollClock clock{100};  // every poll's pause moves it on at once
    const plat::StartResult r = plat::startAndWait(held, {}, 200, clock);
    writeAll(QFile::decodeName(release), "");
    EXPECT_EQ(r.outcome, plat::StartOutcome::StillRunning);
    EXPECT_EQ(r.waitedMs, 200);
    EXPECT_EQ(clock.sleeps, std::vector<int>(20, 10)) << "polls every 10 ms up to the cap";
}

}  // namespace
