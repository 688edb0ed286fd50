#include "mbus/CommObjs.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace mbus {

THandleObject::~THandleObject() {
    if (FHandle >= 0) ::close(FHandle);
}

namespace {

int makeEventHandle(bool initialState) {
    const int fd = ::eventfd(initialState ? 1 : 0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
    return fd;
}

}  // namespace

TEvent::TEvent(bool manualReset, bool initialState, const QString& name)
    : THandleObject(makeEventHandle(initialState)), FManualReset(manualReset), FName(name) {}

TEventWaitResult TEvent::WaitFor(uint32_t timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int wait = -1;
        if (timeoutMs != INFINITE) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            wait = left > 0 ? int(left) : 0;
        }
        pollfd fd{FHandle, POLLIN, 0};
        const int rc = ::poll(&fd, 1, wait);
        if (rc < 0) {
            if (errno == EINTR) continue;
            FLastError = errno;
            return wrError;
        }
        if (rc == 0) return wrTimeout;
        if (fd.revents & POLLNVAL) {
            FLastError = EBADF;
            return wrError;
        }
        if (FManualReset) return wrSignaled;
        // Automatic reset: the one who takes the count is released; another waiter that saw the
        // same signal waits on.
        uint64_t count;
        if (::read(FHandle, &count, sizeof count) == sizeof count) return wrSignaled;
        if (errno != EAGAIN && errno != EINTR) {
            FLastError = errno;
            return wrError;
        }
    }
}

void TEvent::SetEvent() {
    const uint64_t one = 1;
    if (::write(FHandle, &one, sizeof one) < 0) FLastError = errno;
}

void TEvent::ResetEvent() {
    uint64_t count;
    if (::read(FHandle, &count, sizeof count) < 0 && errno != EAGAIN) FLastError = errno;
}

}  // namespace mbus
