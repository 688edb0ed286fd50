// Start-up of the configurator against a bare QWidget program built the same way (Release, same
// flags), both whole processes on the offscreen platform, interleaved: bare, ours, bare, ours, ...
// after one warm-up run of each. Each program carries the same probe: after its window's first
// paint it writes one byte to a pipe and closes the window, so the program ends its own way (ours
// saves its settings on the way out). Per program, the best of the runs:
// - first_paint_ms: from the spawn to the probe's byte;
// - quit_ms: from the spawn to the process reaped;
// - rss_MiB: the process's peak resident memory.
// The ratios (ours / bare) and the memory difference are the figures to read.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kRuns = 11;

struct Run {
    double paintMs = -1;
    double quitMs = -1;
    double rssMiB = -1;
};

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

// One whole run of the program; an empty result when it could not be started or did not paint.
Run runOnce(const char* program) {
    Run run;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return run;
    // The child's end stays open across exec; only it is named to the probe.
    const int childFd = dup(fds[1]);
    close(fds[1]);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0 && std::strncmp(*e, "PAINT_PROBE_FD=", 15) != 0)
            env.emplace_back(*e);
    env.emplace_back("QT_QPA_PLATFORM=offscreen");
    env.emplace_back("PAINT_PROBE_FD=" + std::to_string(childFd));
    std::vector<char*> envp;
    for (std::string& s : env) envp.push_back(s.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(program), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Quiet: what the programs print is not measured.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const Clock::time_point t0 = Clock::now();
    const int rc = posix_spawn(&pid, program, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(childFd);
    if (rc != 0) {
        close(fds[0]);
        return run;
    }
    char byte = 0;
    ssize_t got;
    do got = read(fds[0], &byte, 1);
    while (got < 0 && errno == EINTR);
    if (got == 1) run.paintMs = msSince(t0);
    close(fds[0]);
    int status = 0;
    struct rusage usage {};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.quitMs = msSince(t0);
    run.rssMiB = double(usage.ru_maxrss) / 1024.0;  // kB
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || got != 1) run = Run{};
    return run;
}

struct Best {
    double paintMs = 1e300, quitMs = 1e300, rssMiB = 1e300;
    void add(const Run& r) {
        paintMs = std::min(paintMs, r.paintMs);
        quitMs = std::min(quitMs, r.quitMs);
        rssMiB = std::min(rssMiB, r.rssMiB);
    }
};

void BM_StartUp_FirstPaintAndQuit(benchmark::State& state) {
    const char* ours = CONF_PROBE_CONFIGURATOR;
    const char* bare = CONF_PROBE_BARE;
    Best o, b;
    for (auto _ : state) {
        // Warm-up: the files of both programs in the page cache, our settings file written once.
        if (runOnce(bare).paintMs < 0 || runOnce(ours).paintMs < 0) {
            state.SkipWithError("a probe program did not start, paint and end cleanly");
            return;
        }
        for (int i = 0; i < kRuns; ++i) {
            const Run rb = runOnce(bare), ro = runOnce(ours);
            if (rb.paintMs < 0 || ro.paintMs < 0) {
                state.SkipWithError("a probe program did not start, paint and end cleanly");
                return;
            }
            b.add(rb);
            o.add(ro);
        }
    }
    state.counters["ours_first_paint_ms"] = o.paintMs;
    state.counters["bare_first_paint_ms"] = b.paintMs;
    state.counters["first_paint_ratio"] = o.paintMs / b.paintMs;
    state.counters["ours_quit_ms"] = o.quitMs;
    state.counters["bare_quit_ms"] = b.quitMs;
    state.counters["quit_ratio"] = o.quitMs / b.quitMs;
    state.counters["ours_rss_MiB"] = o.rssMiB;
    state.counters["bare_rss_MiB"] = b.rssMiB;
    state.counters["rss_over_bare_MiB"] = o.rssMiB - b.rssMiB;
}
BENCHMARK(BM_StartUp_FirstPaintAndQuit)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
