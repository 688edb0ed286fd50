#include "platform/UdpEndpoint.h"

#include <arpa/inet.h>
#include <atomic>
#include <mutex>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace plat {

namespace {

QString systemError(const char* operation, int err) {
    return QStringLiteral("UDP %1 failed: %2 (%3)")
        .arg(QLatin1String(operation), QString::fromLocal8Bit(std::strerror(err)))
        .arg(err);
}

class PosixUdpEndpoint final : public UdpEndpoint {
public:
    explicit PosixUdpEndpoint(const QString& localAddress) : localAddress_(localAddress.trimmed()) {}
    ~PosixUdpEndpoint() override { close(); }

    void open(uint16_t localPort, DatagramHandler handler) override {
        std::lock_guard lock(mutex_);
        closeLocked();
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_ANY);
        if (!localAddress_.isEmpty() &&
            ::inet_pton(AF_INET, localAddress_.toLatin1().constData(), &addr.sin_addr) != 1)
            throw SocketError(QStringLiteral("UDP bind failed: \"%1\" is no IPv4 address").arg(localAddress_));
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd < 0) throw SocketError(systemError("socket", errno));
        addr.sin_port = htons(localPort);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            const int err = errno;
            ::close(fd);
            throw SocketError(systemError("bind", err));
        }
        socklen_t len = sizeof addr;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
        int wake[2];
        if (::pipe2(wake, O_CLOEXEC) != 0) {
            const int err = errno;
            ::close(fd);
            throw SocketError(systemError("pipe", err));
        }
        fd_ = fd;
        wakeRead_ = wake[0];
        wakeWrite_ = wake[1];
        port_ = ntohs(addr.sin_port);
        listener_ = std::thread([fd, wakeRead = wake[0], h = std::move(handler), failures = &handlerFailures_] {
            listen(fd, wakeRead, h, *failures);
        });
    }

    void close() override {
        std::lock_guard lock(mutex_);
        closeLocked();
    }

    bool isOpen() const override { return fd_ >= 0; }
    uint16_t localPort() const override { return port_; }
    uint64_t handlerFailures() const override { return handlerFailures_; }

    void send(const QString& host, uint16_t port, std::span<const uint8_t> bytes) override {
        std::lock_guard lock(mutex_);
        if (fd_ < 0) throw SocketError(QStringLiteral("UDP send failed: the socket is not open"));
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        const QByteArray name = host.trimmed().toLatin1();
        if (::inet_pton(AF_INET, name.constData(), &to.sin_addr) != 1) {
            addrinfo hints{};
            hints.ai_family = AF_INET;
            hints.ai_socktype = SOCK_DGRAM;
            addrinfo* found = nullptr;
            const int rc = ::getaddrinfo(name.constData(), nullptr, &hints, &found);
            if (rc != 0 || !found)
                throw SocketError(QStringLiteral("UDP send failed: unknown host \"%1\"").arg(host));
            to.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
            ::freeaddrinfo(found);
        }
        ssize_t sent;
        do {
            sent = ::sendto(fd_, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
        } while (sent < 0 && errno == EINTR);
        if (sent < 0) throw SocketError(systemError("send", errno));
    }

private:
    // Waits for the listener to end, so it must never run on the listener (from the handler).
    void closeLocked() {
        if (fd_ < 0) return;
        const char stop = 1;
        while (::write(wakeWrite_, &stop, 1) < 0 && errno == EINTR) {
        }
        if (listener_.joinable()) listener_.join();
        ::close(fd_);
        ::close(wakeRead_);
        ::close(wakeWrite_);
        fd_ = wakeRead_ = wakeWrite_ = -1;
        port_ = 0;
    }

    static void listen(int fd, int wakeRead, const DatagramHandler& handler, std::atomic<uint64_t>& failures) {
        std::vector<uint8_t> buffer(Max_Datagram);
        pollfd fds[2] = {{fd, POLLIN, 0}, {wakeRead, POLLIN, 0}};
        for (;;) {
            fds[0].revents = fds[1].revents = 0;
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[1].revents) return;  // close() asked the listener to stop
            if (!(fds[0].revents & POLLIN)) continue;
            iovec iov{buffer.data(), buffer.size()};
            msghdr msg{};
            msg.msg_iov = &iov;
            msg.msg_iovlen = 1;
            const ssize_t n = ::recvmsg(fd, &msg, 0);
            if (n < 0) continue;  // e.g. an ICMP refusal of an earlier send: keep listening
            if (msg.msg_flags & MSG_TRUNC) continue;  // longer than the buffer: not what was sent
            try {
                if (handler) handler(std::span<const uint8_t>(buffer.data(), size_t(n)));
            } catch (...) {
                // Nothing may leave the listener thread; the count keeps the failure visible.
                ++failures;
            }
        }
    }

    const QString localAddress_;
    std::mutex mutex_;  // open, close and send; the listener works on its own copies of the handles
    std::atomic<int> fd_{-1};
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::atomic<uint16_t> port_{0};
    std::atomic<uint64_t> handlerFailures_{0};  // over the endpoint's life, across reopenings
    std::thread listener_;
};

}  // namespace

std::unique_ptr<UdpEndpoint> createUdpEndpoint(const QString& localAddress) {
    return std::make_unique<PosixUdpEndpoint>(localAddress);
}

}  // namespace plat
