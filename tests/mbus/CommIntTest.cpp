// The serial-port component on a real pseudo-terminal: the component opens the slave, the test
// plays the gateway on the master. What a pseudo-terminal cannot show (modem lines, breaks, line
// errors) comes through a line of the test's own.
#include "mbus/CommInt.h"
#include "tests/support/TestSupport.h"

#include "RunEvents.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <future>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace pty_test {
unsigned lineSpeed(int fd);
}

using namespace mbus;
using namespace std::chrono_literals;

namespace {

// The bound of every wait for the line or the port's event thread. Generous: it only ends a test
// whose bytes or events never come, never one that runs on a slow, loaded machine.
constexpr int Wait_Ms = 60000;

// A pseudo-terminal pair; the master is the far end of the line.
struct Pty {
    int master = -1;
    QString slave;

    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) ADD_FAILURE() << "no pseudo-terminal";
        slave = QString::fromLocal8Bit(::ptsname(master));
    }
    ~Pty() { ::close(master); }

    termios attr() const {
        termios t{};
        ::tcgetattr(master, &t);  // a master reports its slave's settings
        return t;
    }
    void setAttr(const termios& t) { ::tcsetattr(master, TCSANOW, &t); }

    void send(const QByteArray& bytes) {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0) {
                done += n;
            } else {
                pollfd p{master, POLLOUT, 0};
                ASSERT_GT(::poll(&p, 1, Wait_Ms), 0) << "the line takes nothing";
            }
        }
    }

    // Reads, waiting on the line itself, until `done` holds for what came; the wait ends early only
    // when nothing more comes within the bound.
    QByteArray receiveWhile(const std::function<bool(const QByteArray&)>& done) {
        QByteArray got;
        const QDeadlineTimer deadline(Wait_Ms);
        char buffer[4096];
        while (!done(got)) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, int(deadline.remainingTime())) <= 0) break;
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n > 0) got.append(buffer, n);
        }
        return got;
    }
    // Reads until `count` bytes came.
    QByteArray receive(qsizetype count) {
        return receiveWhile([count](const QByteArray& got) { return got.size() >= count; });
    }
    // Reads until what came ends in `tail`.
    QByteArray receiveUntil(const QByteArray& tail) {
        return receiveWhile([&tail](const QByteArray& got) { return got.endsWith(tail); });
    }

    int waitingAtMaster() const {
        int n = 0;
        ::ioctl(master, FIONREAD, &n);
        return n;
    }
};

int openDescriptors() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.') ++count;
        ::closedir(dir);
    }
    return count;
}

struct Raised {
    bool raised = false;
    QString message;
    int code = 0;
};

template <typename F>
Raised raisedBy(F&& f) {
    try {
        f();
    } catch (const ECommError& e) {
        return {true, e.message(), e.ErrorCode()};
    }
    return {};
}

QByteArray pattern(int size) {
    QByteArray bytes(size, 0);
    for (int i = 0; i < size; ++i) bytes[i] = char(i * 7 + 3);
    return bytes;
}

// The port's events reach the user-interface thread as posted events: run them until the condition
// holds.
bool waitFor(const std::function<bool()>& condition) {
    return testing_support::runEventsUntil(condition, std::chrono::milliseconds(Wait_Ms));
}

struct OpenComm {
    Pty pty;
    TComm comm;
    explicit OpenComm(const std::function<void(TComm&)>& setup = {}) {
        comm.SetDeviceName(pty.slave);
        if (setup) setup(comm);
        comm.Open();
    }
};

// ---------------------------------------------------------------------------------------------

TEST(CommOpen, OpensTheSlaveForItselfAndRefusesASecondOpen) {
    Pty pty;
    TComm comm;
    EXPECT_EQ(comm.DeviceName(), QStringLiteral("Com2"));
    comm.SetDeviceName(pty.slave);
    comm.Open();
    EXPECT_TRUE(comm.Enabled());

    const Raised again = raisedBy([&] { comm.Open(); });
    EXPECT_TRUE(again.raised);
    EXPECT_EQ(again.message, QStringLiteral("Port already assigned (open) (Error: -1) "));
    EXPECT_EQ(again.code, -1);
    EXPECT_TRUE(comm.Enabled());

    // The line is held for exclusive use while open, and given back on Close.
    const int own = ::open(pty.slave.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(own, 0);
    int exclusive = -1;
    ASSERT_EQ(::ioctl(own, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    comm.Close();
    EXPECT_FALSE(comm.Enabled());
    ASSERT_EQ(::ioctl(own, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    ::close(own);
    comm.Close();  // closing a closed port does nothing
    EXPECT_FALSE(comm.Enabled());
}

// However Open fails, the port is closed afterwards and no descriptor of it stays open.
TEST(CommOpen, AFailedOpenLeavesThePortClosedAndNothingOpen) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("notADevice"));
    testing_support::writeAll(file, "x");
    Pty pty;
    const struct {
        const char* what;
        QString device;
        std::function<void(TComm&)> setup;
        QString message;
        int code;
    } cases[] = {
        {"missing device", dir.filePath(QStringLiteral("ttyNone")), {},
         QStringLiteral("Error accessing specified device (Error: 2) "), ENOENT},
        {"regular file", file, {}, QStringLiteral("Invalid device handle, access denied (Error: -1) "), -1},
        {"character device that is no terminal", QStringLiteral("/dev/null"), {},
         QStringLiteral("Error accessing specified device (Error: 25) "), ENOTTY},
        {"line settings refused after the device opened", pty.slave, [](TComm& c) { c.SetDatabits(da4); },
         QStringLiteral("Error updating DataControlBlock (Error: 22) "), EINVAL},
        {"buffer sizes refused after the device opened", pty.slave, [](TComm& c) { c.SetReadBufSize(0); },
         QStringLiteral("Error initializing Read/Write Buffers (Error: 22) "), EINVAL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TComm comm;
        comm.SetDeviceName(c.device);
        if (c.setup) c.setup(comm);
        const int before = openDescriptors();
        const Raised r = raisedBy([&] { comm.Open(); });
        EXPECT_TRUE(r.raised);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(r.code, c.code);
        EXPECT_FALSE(comm.Enabled());
        EXPECT_EQ(openDescriptors(), before);
    }
    // The slave was given back whole: not left for exclusive use.
    const int own = ::open(pty.slave.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    int exclusive = -1;
    ASSERT_EQ(::ioctl(own, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    ::close(own);
}

// ---------------------------------------------------------------------------------------------

TEST(CommIO, WrittenBytesArriveExactlyAndReadsTakeWhatHasArrived) {
    OpenComm port([](TComm& c) { c.SetFlowControl(fcNone); });
    const QByteArray out = pattern(300);
    EXPECT_EQ(port.comm.Write(out.constData(), int(out.size())), 300);
    EXPECT_EQ(port.pty.receive(300), out);
    EXPECT_EQ(port.pty.waitingAtMaster(), 0);

    char buffer[512];
    EXPECT_EQ(port.comm.Read(buffer, sizeof buffer), 0);  // nothing has arrived
    QByteArray every(256, 0);
    for (int i = 0; i < 256; ++i) every[i] = char(i);
    port.pty.send(every);
    ASSERT_TRUE(waitFor([&] { return port.comm.InQueCount() == 256; }));
    EXPECT_EQ(port.comm.Read(buffer, 100), 100);
    EXPECT_EQ(port.comm.Read(buffer + 100, 400), 156);
    EXPECT_EQ(QByteArray(buffer, 256), every);  // every byte value passes untouched
    EXPECT_EQ(port.comm.Read(buffer, sizeof buffer), 0);
    EXPECT_EQ(port.comm.InQueCount(), 0);
    EXPECT_EQ(port.comm.OutQueCount(), 0);
}

TEST(CommIO, AWriteTheDriverDoesNotTakeInTimeReturnsMinusOne) {
    OpenComm port([](TComm& c) { c.SetWriteTimeout(150); });
    const QByteArray big(1 << 20, 'x');  // far more than the line buffers while nobody reads
    const auto start = std::chrono::steady_clock::now();
    int written = 0;
    EXPECT_NO_THROW(written = port.comm.Write(big.constData(), int(big.size())));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(written, -1);
    // The write waits its own time-out, and gives up then instead of waiting for the line: bounded
    // by that time-out plus a margin far beyond what a loaded machine adds.
    EXPECT_GE(took, 150ms);
    EXPECT_LT(took, 150ms + 60s);

    // The port goes on: once the far end reads, a write goes through.
    port.comm.PurgeOut();
    EXPECT_EQ(port.comm.Write("abc", 3), 3);
    EXPECT_TRUE(port.pty.receiveUntil("abc").endsWith("abc"));
}

// Close on one thread while another waits in a write: the write gives up at once with -1 and
// the descriptor is closed only after it has.
TEST(CommIO, CloseEndsAWriteWaitingOnAnotherThread) {
    // A write time-out of ten minutes: a write that waited it out would run into the bound below,
    // which is far beyond what a close takes on a loaded machine.
    OpenComm port([](TComm& c) { c.SetWriteTimeout(600 * 1000); });
    std::atomic<int> result{0};
    auto writer = std::async(std::launch::async, [&] {
        const QByteArray big(1 << 20, 'x');
        result = port.comm.Write(big.constData(), int(big.size()));
    });
    ASSERT_TRUE(waitFor([&] { return port.pty.waitingAtMaster() > 0; }));
    port.comm.Close();
    ASSERT_EQ(writer.wait_for(60s), std::future_status::ready) << "the write waited for its time-out";
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(port.comm.Enabled());
}

// The far end goes away (an adapter pulled out): reads fail with the system's code, and Close
// still ends the port cleanly.
TEST(CommIO, AHungUpLineFailsReadsAndClosesCleanly) {
    auto pty = std::make_unique<Pty>();
    TComm comm;
    comm.SetDeviceName(pty->slave);
    int received = 0;
    comm.OnRxChar = [&](TCustomComm*, int) { ++received; };
    comm.Open();
    pty.reset();
    char buffer[8];
    const Raised r = raisedBy([&] { comm.Read(buffer, sizeof buffer); });
    EXPECT_EQ(r.message, QStringLiteral("Read error (Error: %1) ").arg(EIO));
    EXPECT_EQ(r.code, EIO);
    QCoreApplication::processEvents();
    comm.Close();
    EXPECT_FALSE(comm.Enabled());
    EXPECT_EQ(received, 0);
}

TEST(CommIO, ReadAndWriteOnAClosedPortRaise) {
    TComm comm;
    char buffer[4];
    const Raised w = raisedBy([&] { comm.Write("a", 1); });
    EXPECT_EQ(w.message, QStringLiteral("Write error (Error: %1) ").arg(EBADF));
    const Raised r = raisedBy([&] { comm.Read(buffer, 4); });
    EXPECT_EQ(r.message, QStringLiteral("Read error (Error: %1) ").arg(EBADF));
}

// ---------------------------------------------------------------------------------------------

TEST(CommEvents, ABurstGivesOnRxCharWithTheBytesWaitingAndNoOtherHandler) {
    Pty pty;
    TComm comm;
    comm.SetDeviceName(pty.slave);
    comm.SetMonitorEvents({evRxChar});
    comm.SetFlowControl(fcNone);
    std::vector<int> counts;
    QByteArray got;
    int others = 0;
    bool offThread = false;
    comm.OnRxChar = [&](TCustomComm* sender, int count) {
        offThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
        counts.push_back(count);
        QByteArray bytes(count, 0);
        got += bytes.left(sender->Read(bytes.data(), count));
    };
    const TNotifyEvent other = [&](TCustomComm*) { ++others; };
    comm.OnBreak = comm.OnCts = comm.OnDsr = comm.OnRing = comm.OnRlsd = comm.OnRxFlag = comm.OnTxEmpty = other;
    comm.OnError = [&](TCustomComm*, int) { ++others; };
    comm.Open();

    const QByteArray burst = pattern(1000);
    pty.send(burst);
    EXPECT_EQ(comm.Write("ping", 4), 4);  // would be an OnTxEmpty if that were monitored
    ASSERT_TRUE(waitFor([&] { return got.size() >= burst.size(); }));
    EXPECT_EQ(got, burst);
    int sum = 0;
    for (int c : counts) {
        EXPECT_GT(c, 0);
        sum += c;
    }
    EXPECT_EQ(sum, 1000);
    EXPECT_FALSE(offThread);
    EXPECT_EQ(others, 0);
    EXPECT_EQ(pty.receive(4), QByteArray("ping"));
}

TEST(CommEvents, AWriteGivesOnTxEmptyWhenMonitored) {
    OpenComm port;
    int empty = 0;
    port.comm.OnTxEmpty = [&](TCustomComm*) { ++empty; };
    EXPECT_EQ(port.comm.Write("ping", 4), 4);
    EXPECT_TRUE(waitFor([&] { return empty > 0; }));
}

// Bytes left unread give one event; the next comes when more arrive, not again and again.
TEST(CommEvents, UnreadBytesGiveAnotherOnRxCharOnlyWhenMoreArrive) {
    OpenComm port([](TComm& c) { c.SetFlowControl(fcNone); });
    std::vector<int> counts;
    port.comm.OnRxChar = [&](TCustomComm*, int count) { counts.push_back(count); };
    const auto strictlyGrowing = [&] {
        for (size_t i = 1; i < counts.size(); ++i)
            if (counts[i] <= counts[i - 1]) return false;
        return true;
    };
    port.pty.send(pattern(10));
    ASSERT_TRUE(waitFor([&] { return !counts.empty() && counts.back() == 10; }));
    port.pty.send(pattern(5));
    ASSERT_TRUE(waitFor([&] { return counts.back() == 15; }));
    EXPECT_TRUE(strictlyGrowing());

    char buffer[32];
    EXPECT_EQ(port.comm.Read(buffer, sizeof buffer), 15);
    counts.clear();
    port.pty.send(pattern(3));
    ASSERT_TRUE(waitFor([&] { return !counts.empty() && counts.back() == 3; }));
    EXPECT_TRUE(strictlyGrowing());
}

// Purged bytes are gone; what arrives after them is news, though fewer bytes wait than before.
TEST(CommEvents, BytesArrivingAfterAPurgeGiveOnRxChar) {
    OpenComm port([](TComm& c) { c.SetFlowControl(fcNone); });
    std::vector<int> counts;
    port.comm.OnRxChar = [&](TCustomComm*, int count) { counts.push_back(count); };
    port.pty.send(pattern(10));
    ASSERT_TRUE(waitFor([&] { return !counts.empty() && counts.back() == 10; }));
    port.comm.PurgeIn();
    EXPECT_EQ(port.comm.InQueCount(), 0);
    char buffer[16];
    EXPECT_EQ(port.comm.Read(buffer, sizeof buffer), 0);
    port.pty.send(pattern(4));
    EXPECT_TRUE(waitFor([&] { return counts.back() == 4; }));
}

// Open, receive and close again and again while bytes keep arriving: no handler runs after Close.
TEST(CommEvents, NoHandlerRunsAfterCloseWhileDataKeepsArriving) {
    Pty pty;
    std::atomic<bool> stop{false};
    std::mutex paceMutex;
    std::condition_variable pace;
    std::thread writer([&] {
        const QByteArray chunk = pattern(64);
        std::unique_lock lock(paceMutex);
        while (!stop) {
            [[maybe_unused]] const ssize_t n = ::write(pty.master, chunk.constData(), size_t(chunk.size()));
            pace.wait_for(lock, 1ms, [&] { return stop.load(); });
        }
    });
    TComm comm;
    comm.SetDeviceName(pty.slave);
    bool closed = false;
    int afterClose = 0;
    int received = 0;
    comm.OnRxChar = [&](TCustomComm* sender, int count) {
        if (closed) ++afterClose;
        ++received;
        char buffer[256];
        sender->Read(buffer, std::min(count, int(sizeof buffer)));
    };
    for (int i = 0; i < 200; ++i) {
        closed = false;
        received = 0;
        comm.Open();
        ASSERT_TRUE(waitFor([&] { return received > 0; })) << "round " << i;
        comm.Close();
        closed = true;
        QCoreApplication::processEvents();
    }
    {
        std::lock_guard lock(paceMutex);
        stop = true;
    }
    pace.notify_all();
    writer.join();
    EXPECT_EQ(afterClose, 0);
}

// ---------------------------------------------------------------------------------------------

TEST(CommSettings, AFreshComponentHasTheDefaults) {
    TComm comm;
    EXPECT_FALSE(comm.Enabled());
    EXPECT_EQ(comm.DeviceName(), QStringLiteral("Com2"));
    EXPECT_EQ(std::tuple(comm.ReadTimeout(), comm.WriteTimeout(), comm.ReadBufSize(), comm.WriteBufSize()),
              std::tuple(1000, 1000, 4096, 2048));
    EXPECT_EQ(comm.MonitorEvents(), TCommEventTypes::All());
    EXPECT_EQ(EventMaskOf(comm.MonitorEvents()), 0x1FFu);
    EXPECT_EQ(std::tuple(comm.BaudRate(), comm.Parity(), comm.Stopbits(), comm.Databits(), comm.FlowControl()),
              std::tuple(br9600, paNone, sb10, da8, fcDefault));
    EXPECT_TRUE(comm.Options().Empty());
    const TCommEventChars& chars = comm.EventChars();
    EXPECT_EQ(std::tuple(chars.XonChar(), chars.XoffChar(), chars.ErrorChar(), chars.EofChar(), chars.EvtChar()),
              std::tuple(17, 19, 0, 0, 0));
    EXPECT_FALSE(comm.OnRxChar || comm.OnError || comm.OnBreak || comm.OnTxEmpty);
}

TEST(CommSettings, BaudRateTakesEffectAtOnceOnAnOpenPort) {
    OpenComm port;
    EXPECT_EQ(pty_test::lineSpeed(port.pty.master), 9600u);  // the default, applied by Open
    const struct {
        TBaudrate rate;
        unsigned bits;
    } cases[] = {{br115200, 115200}, {br56000, 56000},   {br14400, 14400}, {br128000, 128000},
                 {br256000, 256000}, {br3000000, 3000000}, {br110, 110}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        port.comm.SetBaudRate(c.rate);
        EXPECT_EQ(port.comm.BaudRate(), c.rate);
        EXPECT_EQ(pty_test::lineSpeed(port.pty.master), c.bits);
    }
    port.comm.SetBaudRate(br115200);
    EXPECT_EQ(::cfgetospeed(&static_cast<const termios&>(port.pty.attr())), speed_t(B115200));
}

// What a pseudo-terminal keeps of the settings; the full mapping is tested on termios itself.
TEST(CommSettings, LineSettingsReachTheTerminal) {
    Pty pty;
    const tcflag_t Parity_Bits = PARENB | PARODD | CMSPAR;
    const struct {
        const char* what;
        std::function<void(TComm&)> set;
        std::function<bool(const termios&)> holds;
    } cases[] = {
        {"defaults: 8 data bits, no parity, 1 stop bit, a binary line",
         [](TComm&) {},
         [=](const termios& t) {
             return (t.c_cflag & CSIZE) == CS8 && !(t.c_cflag & (Parity_Bits | CSTOPB)) && !(t.c_iflag & INPCK) &&
                    !(t.c_lflag & (ICANON | ECHO | ISIG)) && !(t.c_oflag & OPOST) && !(t.c_iflag & ICRNL) &&
                    t.c_cc[VSTART] == 17 && t.c_cc[VSTOP] == 19;
         }},
        {"2 stop bits", [](TComm& c) { c.SetStopbits(sb20); }, [](const termios& t) { return (t.c_cflag & CSTOPB) != 0; }},
        {"parity check", [](TComm& c) { c.SetOptions({coParityCheck}); },
         [](const termios& t) { return (t.c_iflag & INPCK) != 0; }},
        {"event characters", [](TComm& c) {
             c.EventChars().SetXonChar(0x21);
             c.EventChars().SetXoffChar(0x22);
             c.EventChars().SetEofChar(0x23);
         },
         [](const termios& t) { return t.c_cc[VSTART] == 0x21 && t.c_cc[VSTOP] == 0x22 && t.c_cc[VEOF] == 0x23; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // Set on an open port, and set before opening: both reach the line.
        {
            TComm comm;
            comm.SetDeviceName(pty.slave);
            comm.Open();
            c.set(comm);
            EXPECT_TRUE(c.holds(pty.attr()));
        }
        {
            TComm comm;
            comm.SetDeviceName(pty.slave);
            c.set(comm);
            comm.Open();
            EXPECT_TRUE(c.holds(pty.attr()));
        }
    }
}

// A setting termios cannot express is refused, and neither the line nor the property changes.
TEST(CommSettings, ASettingTheLineCannotHonourIsRefusedAndNotKept) {
    OpenComm port;
    const struct {
        const char* what;
        std::function<void(TComm&)> set;
        std::function<bool(const TComm&)> unchanged;
    } cases[] = {
        {"4 data bits", [](TComm& c) { c.SetDatabits(da4); }, [](const TComm& c) { return c.Databits() == da8; }},
        {"1.5 stop bits", [](TComm& c) { c.SetStopbits(sb15); }, [](const TComm& c) { return c.Stopbits() == sb10; }},
        {"DTR/DSR handshake", [](TComm& c) { c.SetFlowControl(fcDTR); },
         [](const TComm& c) { return c.FlowControl() == fcDefault; }},
        {"DSR sensitivity", [](TComm& c) { c.SetOptions({coDsrSensitivity}); },
         [](const TComm& c) { return c.Options().Empty(); }},
        {"sending on after XOFF", [](TComm& c) { c.SetOptions({coIgnoreXOff}); },
         [](const TComm& c) { return c.Options().Empty(); }},
        {"error character", [](TComm& c) { c.SetOptions({coErrorChar}); },
         [](const TComm& c) { return c.Options().Empty(); }},
        {"null stripping", [](TComm& c) { c.SetOptions({coParityCheck, coNullStrip}); },
         [](const TComm& c) { return c.Options().Empty(); }},
        // A pseudo-terminal drops parity and data bits without a word; the line is asked again.
        {"parity on a line without parity", [](TComm& c) { c.SetParity(paOdd); },
         [](const TComm& c) { return c.Parity() == paNone; }},
        {"7 data bits on a line of 8", [](TComm& c) { c.SetDatabits(da7); },
         [](const TComm& c) { return c.Databits() == da8; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const termios before = port.pty.attr();
        const Raised r = raisedBy([&] { c.set(port.comm); });
        EXPECT_EQ(r.message, QStringLiteral("Error updating DataControlBlock (Error: 22) "));
        EXPECT_EQ(r.code, EINVAL);
        EXPECT_TRUE(c.unchanged(port.comm));
        const termios after = port.pty.attr();
        EXPECT_EQ(after.c_cflag, before.c_cflag);
        EXPECT_EQ(after.c_iflag, before.c_iflag);
        EXPECT_TRUE(port.comm.Enabled());
    }
    // A later change still goes through.
    port.comm.SetStopbits(sb20);
    EXPECT_TRUE(port.pty.attr().c_cflag & CSTOPB);
}

TEST(CommSettings, BufferSizesNameAndEventsAreRefusedWhileOpenAndStoredWhileClosed) {
    Pty pty;
    TComm comm;
    EXPECT_EQ(comm.ReadBufSize(), 4096);
    EXPECT_EQ(comm.WriteBufSize(), 2048);
    EXPECT_EQ(comm.MonitorEvents(), TCommEventTypes::All());
    comm.SetDeviceName(pty.slave);
    comm.Open();
    const struct {
        const char* what;
        std::function<void()> change;
        std::function<void()> same;
        std::function<bool()> unchanged;
    } cases[] = {
        {"ReadBufSize", [&] { comm.SetReadBufSize(8192); }, [&] { comm.SetReadBufSize(4096); },
         [&] { return comm.ReadBufSize() == 4096; }},
        {"WriteBufSize", [&] { comm.SetWriteBufSize(8192); }, [&] { comm.SetWriteBufSize(2048); },
         [&] { return comm.WriteBufSize() == 2048; }},
        {"DeviceName", [&] { comm.SetDeviceName(QStringLiteral("/dev/ttyS0")); }, [&] { comm.SetDeviceName(pty.slave); },
         [&] { return comm.DeviceName() == pty.slave; }},
        {"MonitorEvents", [&] { comm.SetMonitorEvents({evCts}); },
         [&] { comm.SetMonitorEvents(TCommEventTypes::All()); },
         [&] { return comm.MonitorEvents() == TCommEventTypes::All(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Raised r = raisedBy(c.change);
        EXPECT_EQ(r.message, QStringLiteral("Port already assigned (open) (Error: -1) "));
        EXPECT_EQ(r.code, -1);
        EXPECT_TRUE(c.unchanged());
        EXPECT_FALSE(raisedBy(c.same).raised);  // the value it has is no change
    }
    comm.Close();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(raisedBy(c.change).raised);
        EXPECT_FALSE(c.unchanged());
    }
}

TEST(CommSettings, FlowControlNoneClearsWhatTheLineHad) {
    Pty pty;
    termios t = pty.attr();
    t.c_cflag |= CRTSCTS;
    t.c_iflag |= IXON | IXOFF;
    pty.setAttr(t);
    const auto flow = [&] {
        const termios now = pty.attr();
        return std::tuple{bool(now.c_cflag & CRTSCTS), bool(now.c_iflag & IXON), bool(now.c_iflag & IXOFF)};
    };
    TComm comm;
    comm.SetDeviceName(pty.slave);
    comm.Open();
    EXPECT_EQ(comm.FlowControl(), fcDefault);
    EXPECT_EQ(flow(), std::tuple(true, true, true));  // the default keeps what the line had
    comm.SetFlowControl(fcNone);
    EXPECT_EQ(flow(), std::tuple(false, false, false));
    comm.SetFlowControl(fcCTS);
    EXPECT_EQ(flow(), std::tuple(true, false, false));
    comm.SetFlowControl(fcSoftware);
    EXPECT_EQ(flow(), std::tuple(true, true, true));  // the earlier choice stays until fcNone
    comm.SetFlowControl(fcNone);
    EXPECT_EQ(flow(), std::tuple(false, false, false));
}

// ---------------------------------------------------------------------------------------------

TEST(CommLines, ModemLinesOfAPseudoTerminalRaiseTheSystemsCode) {
    TComm comm;
    const Raised closed = raisedBy([&] { comm.SetDTRState(true); });
    EXPECT_EQ(closed.message, QStringLiteral("Port not open, unable to complete operation (Error: -1) "));
    EXPECT_EQ(closed.code, -1);
    EXPECT_EQ(comm.InQueCount(), -1);
    EXPECT_EQ(comm.OutQueCount(), -1);
    EXPECT_FALSE(comm.CTS());
    EXPECT_FALSE(comm.XOffSent());
    comm.PurgeIn();  // nothing when closed
    comm.PurgeOut();

    Pty pty;
    comm.SetDeviceName(pty.slave);
    comm.Open();
    for (const auto& set : {std::function<void()>([&] { comm.SetDTRState(true); }),
                            std::function<void()>([&] { comm.SetRTSState(false); })}) {
        const Raised r = raisedBy(set);
        EXPECT_EQ(r.message, QStringLiteral("EscapeCommFunction failure (Error: %1) ").arg(ENOTTY));
        EXPECT_EQ(r.code, ENOTTY);
    }
    EXPECT_TRUE(comm.Enabled());
    EXPECT_FALSE(comm.CTS());  // a pseudo-terminal has no modem lines
    EXPECT_FALSE(comm.CtsHold());
    // A break and the output flow do exist on a pseudo-terminal.
    EXPECT_FALSE(raisedBy([&] { comm.SetBREAKState(true); }).raised);
    EXPECT_FALSE(raisedBy([&] { comm.SetBREAKState(false); }).raised);
    EXPECT_FALSE(raisedBy([&] { comm.SetXONState(false); }).raised);
    EXPECT_FALSE(raisedBy([&] { comm.SetXONState(true); }).raised);
}

// ---------------------------------------------------------------------------------------------
// A line of the test's own: it reports the events, modem lines and errors the test gives it.

struct FakeState {
    std::mutex m;
    std::condition_variable cv;
    std::deque<uint32_t> events;
    int ready = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    int waits = 0;
    uint32_t mask = 0;
    uint32_t modem = 0;
    uint32_t errors = 0;
    int inQue = 0;
    std::vector<plat::SerialEscape> escapes;
    int purgesBothWays = 0;
    plat::SerialLineSettings lastApplied;

    plat::SerialLineSettings applied() {
        std::lock_guard lock(m);
        return lastApplied;
    }
    ~FakeState() { ::close(ready); }
    void push(uint32_t event) {
        std::lock_guard lock(m);
        events.push_back(event);
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(ready, &one, sizeof one);
    }
    // Whether the event thread came back for more, i.e. handed over all it had.
    bool waitForWaits(int count) {
        std::unique_lock lock(m);
        return cv.wait_for(lock, std::chrono::milliseconds(Wait_Ms), [&] { return waits >= count; });
    }
};

class FakeLine final : public plat::SerialLine {
public:
    explicit FakeLine(std::shared_ptr<FakeState> state) : s(std::move(state)) {}
    bool isCharacterDevice() const override { return true; }
    int getSettings(plat::SerialLineSettings& settings) override {
        settings = applied;
        return 0;
    }
    int setSettings(const plat::SerialLineSettings& settings) override {
        applied = settings;
        std::lock_guard lock(s->m);
        s->lastApplied = settings;
        return 0;
    }
    int setImmediateReads() override { return 0; }
    int setupBuffers(int, int) override { return 0; }
    int read(void*, size_t, size_t& got) override {
        got = 0;
        return 0;
    }
    int write(const void*, size_t size, int, int, size_t& written, bool& timedOut) override {
        written = size;
        timedOut = false;
        return 0;
    }
    int inQueue(int& count) override {
        std::lock_guard lock(s->m);
        count = s->inQue;
        return 0;
    }
    int outQueue(int& count) override {
        count = 0;
        return 0;
    }
    int purge(bool input, bool output) override {
        std::lock_guard lock(s->m);
        if (input && output) ++s->purgesBothWays;
        return 0;
    }
    int escape(plat::SerialEscape function) override {
        std::lock_guard lock(s->m);
        s->escapes.push_back(function);
        return 0;
    }
    int modemStatus(uint32_t& lines) override {
        std::lock_guard lock(s->m);
        lines = s->modem;
        return 0;
    }
    int clearErrors(uint32_t& errors, plat::SerialQueueStatus& status) override {
        std::lock_guard lock(s->m);
        errors = s->errors;
        s->errors = 0;
        status = {};
        status.InQue = s->inQue;
        return 0;
    }
    int waitEvent(uint32_t mask, int stopHandle, uint32_t& events) override {
        {
            std::lock_guard lock(s->m);
            s->mask = mask;
            ++s->waits;
        }
        s->cv.notify_all();
        for (;;) {
            pollfd fds[2] = {{stopHandle, POLLIN, 0}, {s->ready, POLLIN, 0}};
            ::poll(fds, 2, -1);
            if (fds[0].revents) {
                events = 0;
                return 0;
            }
            std::lock_guard lock(s->m);
            uint64_t drained;
            [[maybe_unused]] const ssize_t n = ::read(s->ready, &drained, sizeof drained);
            if (!s->events.empty()) {
                events = s->events.front();
                s->events.pop_front();
                return 0;
            }
        }
    }

    plat::SerialLineSettings applied;

private:
    std::shared_ptr<FakeState> s;
};

class FakeComm : public TComm {
public:
    std::shared_ptr<FakeState> state = std::make_shared<FakeState>();

protected:
    void OpenDevice() override { FHandle = std::make_unique<FakeLine>(state); }
};

constexpr uint32_t Every_Event = plat::EV_BREAK | plat::EV_CTS | plat::EV_DSR | plat::EV_ERR | plat::EV_RING |
                                 plat::EV_RLSD | plat::EV_RXCHAR | plat::EV_RXFLAG | plat::EV_TXEMPTY;

// Records the handlers in the order they ran.
struct HandlerLog {
    QStringList calls;
    void attach(TCustomComm& comm) {
        const auto note = [this](const char* name) { return [this, name](TCustomComm*) { calls << name; }; };
        comm.OnBreak = note("Break");
        comm.OnCts = note("Cts");
        comm.OnDsr = note("Dsr");
        comm.OnError = [this](TCustomComm*, int errors) { calls << QStringLiteral("Error %1").arg(errors); };
        comm.OnRing = note("Ring");
        comm.OnRlsd = note("Rlsd");
        comm.OnRxChar = [this](TCustomComm*, int count) { calls << QStringLiteral("RxChar %1").arg(count); };
        comm.OnRxFlag = note("RxFlag");
        comm.OnTxEmpty = note("TxEmpty");
    }
};

TEST(CommDispatch, EveryEventAtOnceCallsTheHandlersInTheirOrder) {
    FakeComm comm;
    HandlerLog log;
    log.attach(comm);
    comm.Open();
    {
        std::lock_guard lock(comm.state->m);
        comm.state->errors = plat::CE_FRAME | plat::CE_BREAK;
        comm.state->inQue = 7;
    }
    comm.state->push(Every_Event);
    ASSERT_TRUE(waitFor([&] { return log.calls.size() >= 9; })) << log.calls.join(u',').toStdString();
    EXPECT_EQ(log.calls, QStringList({"Break", "Cts", "Dsr", QStringLiteral("Error %1").arg(0x18), "Ring", "Rlsd",
                                      "RxChar 7", "RxFlag", "TxEmpty"}));
    EXPECT_EQ(comm.state->mask, Every_Event);  // all nine are monitored by default
}

TEST(CommDispatch, NoOnRxCharWhenNothingIsWaiting) {
    FakeComm comm;
    HandlerLog log;
    log.attach(comm);
    comm.Open();
    comm.state->push(plat::EV_RXCHAR | plat::EV_TXEMPTY);
    ASSERT_TRUE(waitFor([&] { return !log.calls.isEmpty(); }));
    EXPECT_EQ(log.calls, QStringList({"TxEmpty"}));
}

TEST(CommDispatch, ACtsChangeCallsOnCtsAndTheLineReadsBack) {
    FakeComm comm;
    comm.SetMonitorEvents({evCts, evRing});
    HandlerLog log;
    log.attach(comm);
    comm.Open();
    EXPECT_TRUE(comm.state->waitForWaits(1));
    EXPECT_EQ(comm.state->mask, plat::EV_CTS | plat::EV_RING);  // only what is monitored is watched
    {
        std::lock_guard lock(comm.state->m);
        comm.state->modem = plat::MS_CTS_ON;
    }
    comm.state->push(plat::EV_CTS);
    ASSERT_TRUE(waitFor([&] { return !log.calls.isEmpty(); }));
    EXPECT_EQ(log.calls, QStringList({"Cts"}));
    EXPECT_TRUE(comm.CTS());
    EXPECT_FALSE(comm.DSR());
    EXPECT_FALSE(comm.RING());
    EXPECT_FALSE(comm.RLSD());

    comm.SetXONState(false);
    EXPECT_EQ(comm.state->purgesBothWays, 0);
    comm.SetBREAKState(true);
    EXPECT_EQ(comm.state->escapes, (std::vector{plat::SerialEscape::SetXoff, plat::SerialEscape::SetBreak}));
    EXPECT_EQ(comm.state->purgesBothWays, 1);  // a break drops what was on its way
}

TEST(CommDispatch, AHandlerThatClosesThePortEndsTheDispatch) {
    FakeComm comm;
    HandlerLog log;
    log.attach(comm);
    comm.OnBreak = [&](TCustomComm* sender) {
        log.calls << "Break";
        sender->Close();
    };
    comm.Open();
    comm.state->push(plat::EV_BREAK | plat::EV_CTS);
    ASSERT_TRUE(waitFor([&] { return !log.calls.isEmpty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(log.calls, QStringList({"Break"}));
    EXPECT_FALSE(comm.Enabled());
}

// An event handed over before Close never reaches a handler after it.
TEST(CommDispatch, AnEventQueuedBeforeCloseIsDropped) {
    FakeComm comm;
    HandlerLog log;
    log.attach(comm);
    comm.Open();
    comm.state->push(plat::EV_CTS);
    ASSERT_TRUE(comm.state->waitForWaits(2));  // the thread handed the event over and waits again
    comm.Close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.calls.isEmpty());

    // Nor after the port was opened again: it belonged to the earlier opening.
    comm.Open();
    comm.state->push(plat::EV_CTS);
    ASSERT_TRUE(comm.state->waitForWaits(4));
    comm.Close();
    comm.Open();
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.calls.isEmpty());

    // The same hand-over reaches the handler while the port stays open.
    comm.state->push(plat::EV_CTS);
    EXPECT_TRUE(waitFor([&] { return log.calls == QStringList({"Cts"}); }));
}

// An exception of a handler goes to the general error handler, not through the event loop.
TEST(CommDispatch, AHandlerThatThrowsIsReportedAndThePortGoesOn) {
    testing_support::RecordingDialogs dialogs;
    FakeComm comm;
    int calls = 0;
    comm.OnCts = [&](TCustomComm*) {
        ++calls;
        RaiseCommError(QStringLiteral("Write error"), 5);
    };
    comm.Open();
    comm.state->push(plat::EV_CTS);
    ASSERT_TRUE(waitFor([&] { return dialogs.errors().size() == 1; }));
    EXPECT_EQ(dialogs.errors().front(), QStringLiteral("Write error (Error: 5) "));
    comm.state->push(plat::EV_CTS);
    EXPECT_TRUE(waitFor([&] { return calls == 2; }));
    EXPECT_TRUE(comm.Enabled());
}

// The settings reach the line in one piece; options are set after the flow control, so fcNone
// clears the handshakes but not the options.
TEST(CommDispatch, LineSettingsReachTheLineAsAWhole) {
    FakeComm comm;
    comm.SetBaudRate(br2400);
    comm.SetParity(paEven);
    comm.SetReadBufSize(1000);
    comm.SetFlowControl(fcDTR);
    comm.SetOptions({coDsrSensitivity, coNullStrip});
    comm.EventChars().SetEvtChar(0x7E);
    comm.Open();
    plat::SerialLineSettings dcb = comm.state->applied();
    EXPECT_EQ(dcb.BaudRate, 2400u);
    EXPECT_EQ(dcb.Parity, plat::SerialParity::Even);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.StopBits, plat::SerialStopBits::One);
    EXPECT_EQ(dcb.XonLim, 250);
    EXPECT_EQ(dcb.XoffLim, 250);
    EXPECT_TRUE(dcb.DtrDsrFlow);
    EXPECT_TRUE(dcb.DsrSensitivity);
    EXPECT_TRUE(dcb.NullStrip);
    EXPECT_FALSE(dcb.TxContinueOnXoff);
    EXPECT_EQ(dcb.EvtChar, 0x7E);
    EXPECT_EQ(dcb.XonChar, 17);

    comm.SetFlowControl(fcSoftware);
    dcb = comm.state->applied();
    EXPECT_TRUE(dcb.DtrDsrFlow && dcb.OutX && dcb.InX);
    comm.SetFlowControl(fcNone);
    dcb = comm.state->applied();
    EXPECT_FALSE(dcb.DtrDsrFlow || dcb.OutX || dcb.InX || dcb.RtsCtsFlow);
    EXPECT_TRUE(dcb.DsrSensitivity && dcb.NullStrip);

    TCommEventChars chars(nullptr);
    chars.SetXonChar(1);
    chars.SetXoffChar(2);
    chars.SetErrorChar(3);
    chars.SetEofChar(4);
    chars.SetEvtChar(5);
    comm.SetEventChars(chars);
    dcb = comm.state->applied();
    EXPECT_EQ(std::tuple(dcb.XonChar, dcb.XoffChar, dcb.ErrorChar, dcb.EofChar, dcb.EvtChar),
              std::tuple(1, 2, 3, 4, 5));
}

}  // namespace
