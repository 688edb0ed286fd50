#include "platform/SerialLine.h"

#include "platform/SerialSpeed.h"
#include "platform/SerialTermios.h"

#include <QFile>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <limits>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plat {

namespace {

// How often the event wait looks again at what poll cannot wake it for: a queue count that grew
// while earlier bytes are still unread, an output queue running empty, modem-line and error
// counters.
constexpr int Recheck_Ms = 10;

struct SpeedCode {
    uint32_t baud;
    speed_t code;
};
constexpr SpeedCode Speed_Codes[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

bool codeOf(uint32_t baud, speed_t& code) {
    for (const SpeedCode& s : Speed_Codes)
        if (s.baud == baud) {
            code = s.code;
            return true;
        }
    return false;
}

uint32_t baudOf(speed_t code) {
    for (const SpeedCode& s : Speed_Codes)
        if (s.code == code) return s.baud;
    return 0;
}

int retryIoctl(int fd, unsigned long request, void* arg) {
    int rc;
    do {
        rc = ::ioctl(fd, request, arg);
    } while (rc < 0 && errno == EINTR);
    return rc < 0 ? errno : 0;
}

class PosixSerialLine final : public SerialLine {
public:
    PosixSerialLine(int fd, bool characterDevice, int wakeFd)
        : fd_(fd), characterDevice_(characterDevice), wake_(wakeFd) {
        icountSupported_ = characterDevice_ && ::ioctl(fd_, TIOCGICOUNT, &eventBase_) == 0;
        errorBase_ = eventBase_;
    }

    ~PosixSerialLine() override {
        if (characterDevice_) ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        ::close(wake_);
    }

    bool isCharacterDevice() const override { return characterDevice_; }

    int getSettings(SerialLineSettings& s) override {
        termios t{};
        if (::tcgetattr(fd_, &t) != 0) return errno;
        uint32_t baud = 0;
        if (serial_speed::read(fd_, baud) != 0) baud = baudOf(::cfgetospeed(&t));
        s.BaudRate = baud;
        settingsFromTermios(t, s);
        return 0;
    }

    int setSettings(const SerialLineSettings& s) override {
        termios t{};
        if (::tcgetattr(fd_, &t) != 0) return errno;
        // What termios cannot express is refused rather than dropped.
        if (s.BaudRate == 0) return EINVAL;
        if (const int error = termiosFromSettings(s, t)) return error;
        speed_t code;
        const bool standard = codeOf(s.BaudRate, code);
        if (standard && (::cfsetispeed(&t, code) != 0 || ::cfsetospeed(&t, code) != 0)) return errno;
        if (::tcsetattr(fd_, TCSANOW, &t) != 0) return errno;
        // A driver may drop what it cannot do without a word: check that the line holds it.
        termios now{};
        if (::tcgetattr(fd_, &now) != 0) return errno;
        if ((now.c_cflag & Serial_Held_Cflags) != (t.c_cflag & Serial_Held_Cflags) ||
            (now.c_iflag & Serial_Held_Iflags) != (t.c_iflag & Serial_Held_Iflags))
            return EINVAL;
        return standard ? 0 : serial_speed::writeAny(fd_, s.BaudRate);
    }

    int setImmediateReads() override {
        termios t{};
        if (::tcgetattr(fd_, &t) != 0) return errno;
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        return ::tcsetattr(fd_, TCSANOW, &t) != 0 ? errno : 0;
    }

    // The kernel sizes a tty's queues itself; only sizes that make no sense are refused.
    int setupBuffers(int readSize, int writeSize) override { return readSize > 0 && writeSize > 0 ? 0 : EINVAL; }

    int read(void* buffer, size_t size, size_t& got) override {
        got = 0;
        if (size == 0) return 0;
        ssize_t n;
        do {
            n = ::read(fd_, buffer, size);
        } while (n < 0 && errno == EINTR);
        if (n < 0) return errno == EAGAIN ? 0 : errno;
        // Nothing is also what a line whose far end is gone gives: tell the two apart.
        if (n == 0) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR))) return EIO;
        }
        got = size_t(n);
        if (n > 0) {
            taken_ += uint64_t(n);
            wake();
        }  // the event wait looks at the input queue again
        return 0;
    }

    int write(const void* buffer, size_t size, int timeoutMs, int abortHandle, size_t& written,
              bool& timedOut) override {
        written = 0;
        timedOut = false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
        const auto* p = static_cast<const uint8_t*>(buffer);
        int result = 0;
        while (written < size) {
            const ssize_t n = ::write(fd_, p + written, size - written);
            if (n > 0) {
                written += size_t(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN) {
                result = errno;
                break;
            }
            // The driver's queue is full: wait for room, the deadline or the abort.
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                timedOut = true;
                break;
            }
            pollfd fds[2] = {{fd_, POLLOUT, 0}, {abortHandle, POLLIN, 0}};
            const int wait = int(std::min<long long>(left.count(), std::numeric_limits<int>::max() - 1)) + 1;
            const int rc = ::poll(fds, abortHandle >= 0 ? 2 : 1, wait);
            if (rc < 0 && errno != EINTR) {
                result = errno;
                break;
            }
            if (rc > 0 && (fds[1].revents & POLLIN)) {
                timedOut = true;
                break;
            }
            if (rc > 0 && (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) && !(fds[0].revents & POLLOUT)) {
                result = EIO;
                break;
            }
        }
        if (written > 0) {
            txPending_ = true;
            wake();
        }
        return result;
    }

    int inQueue(int& count) override {
        count = 0;
        return retryIoctl(fd_, FIONREAD, &count);
    }

    int outQueue(int& count) override {
        count = 0;
        return retryIoctl(fd_, TIOCOUTQ, &count);
    }

    int purge(bool input, bool output) override {
        if (!input && !output) return 0;
        const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
        if (::tcflush(fd_, which) != 0) return errno;
        if (input) purged_ = true;
        wake();
        return 0;
    }

    int escape(SerialEscape function) override {
        int bits = 0;
        switch (function) {
            case SerialEscape::SetDtr: bits = TIOCM_DTR; return retryIoctl(fd_, TIOCMBIS, &bits);
            case SerialEscape::ClrDtr: bits = TIOCM_DTR; return retryIoctl(fd_, TIOCMBIC, &bits);
            case SerialEscape::SetRts: bits = TIOCM_RTS; return retryIoctl(fd_, TIOCMBIS, &bits);
            case SerialEscape::ClrRts: bits = TIOCM_RTS; return retryIoctl(fd_, TIOCMBIC, &bits);
            case SerialEscape::SetBreak: return retryIoctl(fd_, TIOCSBRK, nullptr);
            case SerialEscape::ClrBreak: return retryIoctl(fd_, TIOCCBRK, nullptr);
            case SerialEscape::SetXon: return ::tcflow(fd_, TCOON) != 0 ? errno : 0;
            case SerialEscape::SetXoff: return ::tcflow(fd_, TCOOFF) != 0 ? errno : 0;
        }
        return EINVAL;
    }

    int modemStatus(uint32_t& lines) override {
        lines = 0;
        int bits = 0;
        if (const int err = retryIoctl(fd_, TIOCMGET, &bits)) return err;
        if (bits & TIOCM_CTS) lines |= MS_CTS_ON;
        if (bits & TIOCM_DSR) lines |= MS_DSR_ON;
        if (bits & TIOCM_RI) lines |= MS_RING_ON;
        if (bits & TIOCM_CD) lines |= MS_RLSD_ON;
        return 0;
    }

    int clearErrors(uint32_t& errors, SerialQueueStatus& status) override {
        errors = 0;
        status = {};  // termios keeps no hold flags
        serial_icounter_struct now{};
        if (icountSupported_ && ::ioctl(fd_, TIOCGICOUNT, &now) == 0) {
            if (now.buf_overrun != errorBase_.buf_overrun) errors |= CE_RXOVER;
            if (now.overrun != errorBase_.overrun) errors |= CE_OVERRUN;
            if (now.parity != errorBase_.parity) errors |= CE_RXPARITY;
            if (now.frame != errorBase_.frame) errors |= CE_FRAME;
            if (now.brk != errorBase_.brk) errors |= CE_BREAK;
            errorBase_ = now;
        }
        if (const int err = inQueue(status.InQue)) return err;
        return outQueue(status.OutQue);
    }

    int waitEvent(uint32_t mask, int stopHandle, uint32_t& events) override {
        events = 0;
        constexpr uint32_t Counted = EV_CTS | EV_DSR | EV_RING | EV_RLSD | EV_BREAK | EV_ERR;
        for (;;) {
            const bool rx = mask & EV_RXCHAR;
            const bool recheck = (rx && !rxArmed_) || ((mask & EV_TXEMPTY) && txPending_) ||
                                 (icountSupported_ && (mask & Counted));
            pollfd fds[3] = {{hungUp_ ? -1 : fd_, short(rx && rxArmed_ ? POLLIN : 0), 0},
                             {stopHandle, POLLIN, 0},
                             {wake_, POLLIN, 0}};
            const int rc = ::poll(fds, 3, recheck ? Recheck_Ms : -1);
            if (rc < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            if (fds[1].revents) return 0;  // asked to stop
            if (fds[2].revents & POLLIN) {
                uint64_t drained;
                [[maybe_unused]] const ssize_t n = ::read(wake_, &drained, sizeof drained);
            }
            // The other end is gone: nothing more arrives. Watch the rest until told to stop.
            if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) hungUp_ = true;
            if (rx) events |= checkInput();
            if ((mask & EV_TXEMPTY) && txPending_) {
                int queued = 0;
                if (outQueue(queued) != 0 || queued == 0) {
                    txPending_ = false;
                    events |= EV_TXEMPTY;
                }
            }
            if (icountSupported_ && (mask & Counted)) events |= checkCounters();
            events &= mask;
            if (events) return 0;
        }
    }

private:
    // Bytes arriving give one event; while they wait unread, a later event only when more came.
    // "More" counts what was read meanwhile too, so bytes taken and new ones arriving between two
    // looks are not mistaken for nothing new. The count of what arrived may come out low (a read
    // is counted after its bytes left the queue), which can give one event too many but never one
    // too few.
    uint32_t checkInput() {
        int queued = 0;
        uint64_t taken;
        for (;;) {
            taken = taken_.load();
            if (inQueue(queued) != 0) return 0;
            if (taken_.load() == taken) break;
        }
        if (purged_.exchange(false)) rxArmed_ = true;  // what arrived before no longer counts
        const uint64_t arrived = taken + uint64_t(queued);
        const bool more = queued > 0 && (rxArmed_ || arrived > rxArrived_);
        rxArmed_ = queued == 0;
        rxArrived_ = arrived;
        return more ? EV_RXCHAR : 0;
    }

    uint32_t checkCounters() {
        serial_icounter_struct now{};
        if (::ioctl(fd_, TIOCGICOUNT, &now) != 0) return 0;
        uint32_t events = 0;
        if (now.cts != eventBase_.cts) events |= EV_CTS;
        if (now.dsr != eventBase_.dsr) events |= EV_DSR;
        if (now.rng != eventBase_.rng) events |= EV_RING;
        if (now.dcd != eventBase_.dcd) events |= EV_RLSD;
        if (now.brk != eventBase_.brk) events |= EV_BREAK;
        if (now.frame != eventBase_.frame || now.overrun != eventBase_.overrun || now.parity != eventBase_.parity ||
            now.buf_overrun != eventBase_.buf_overrun)
            events |= EV_ERR;
        eventBase_ = now;
        return events;
    }

    void wake() {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wake_, &one, sizeof one);
    }

    const int fd_;
    const bool characterDevice_;
    const int wake_;  // reads, writes and purges wake the event wait to look again
    bool icountSupported_ = false;
    serial_icounter_struct eventBase_{};  // the event wait's counters
    serial_icounter_struct errorBase_{};  // clearErrors' counters
    // Only the waiting thread uses these.
    bool rxArmed_ = true;
    uint64_t rxArrived_ = 0;
    bool hungUp_ = false;
    std::atomic<bool> txPending_{false};
    std::atomic<uint64_t> taken_{0};  // bytes read since the line was opened
    std::atomic<bool> purged_{false};
};

}  // namespace

std::unique_ptr<SerialLine> openSerialLine(const QString& device, int& error) {
    error = 0;
    const QByteArray path = QFile::encodeName(device);
    int fd;
    do {
        fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    struct stat st{};
    const bool characterDevice = ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode);
    // No sharing: nobody else opens the line while we hold it.
    if (characterDevice && ::ioctl(fd, TIOCEXCL) != 0) {
        error = errno;
        ::close(fd);
        return nullptr;
    }
    const int wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0) {
        error = errno;
        if (characterDevice) ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixSerialLine>(fd, characterDevice, wakeFd);
}

}  // namespace plat
