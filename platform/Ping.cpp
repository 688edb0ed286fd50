#include "platform/Ping.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace plat {
namespace {

uint16_t checksum(const uint8_t* data, size_t len) {
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < len; i += 2) sum += static_cast<uint32_t>(data[i] << 8 | data[i + 1]);
    if (len & 1) sum += static_cast<uint32_t>(data[len - 1] << 8);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

class SocketPinger final : public Pinger {
public:
    EchoReply echo(const QString& address, int timeoutMs, int packetSize) override {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        const QByteArray a = address.toLatin1();
        if (inet_pton(AF_INET, a.constData(), &to.sin_addr) != 1)
            throw std::runtime_error("not an IPv4 address: " + a.toStdString());
        bool raw = false;
        int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (fd < 0) {
            fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
            raw = true;
        }
        if (fd < 0) return pingProgram(address, timeoutMs, packetSize);
        struct Closer {
            int fd;
            ~Closer() { ::close(fd); }
        } closer{fd};

        const uint16_t id = static_cast<uint16_t>(::getpid() & 0xFFFF);
        const uint16_t seq = ++sequence_;
        std::vector<uint8_t> packet(static_cast<size_t>(std::max(packetSize, 8)), 0);
        packet[0] = 8;  // echo request
        packet[4] = static_cast<uint8_t>(id >> 8);
        packet[5] = static_cast<uint8_t>(id);
        packet[6] = static_cast<uint8_t>(seq >> 8);
        packet[7] = static_cast<uint8_t>(seq);
        for (size_t i = 8; i < packet.size(); ++i) packet[i] = static_cast<uint8_t>(i);
        const uint16_t sum = checksum(packet.data(), packet.size());
        packet[2] = static_cast<uint8_t>(sum >> 8);
        packet[3] = static_cast<uint8_t>(sum);
        if (::sendto(fd, packet.data(), packet.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) < 0)
            throw std::runtime_error(std::string("cannot send the echo request: ") + std::strerror(errno));

        QElapsedTimer clock;
        clock.start();
        std::vector<uint8_t> buf(65536);
        while (clock.elapsed() < timeoutMs) {
            pollfd p{fd, POLLIN, 0};
            const int wait = static_cast<int>(std::min<qint64>(10, timeoutMs - clock.elapsed()));
            if (::poll(&p, 1, std::max(wait, 0)) > 0) {
                sockaddr_in from{};
                socklen_t fromLen = sizeof from;
                const ssize_t n =
                    ::recvfrom(fd, buf.data(), buf.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
                if (n > 0 && from.sin_addr.s_addr == to.sin_addr.s_addr) {
                    size_t off = 0;
                    if (raw) off = static_cast<size_t>((buf[0] & 0x0F) * 4);  // a raw socket sees the IP header
                    if (static_cast<size_t>(n) >= off + 8 && buf[off] == 0 /* echo reply */) {
                        const uint16_t rseq = static_cast<uint16_t>(buf[off + 6] << 8 | buf[off + 7]);
                        const uint16_t rid = static_cast<uint16_t>(buf[off + 4] << 8 | buf[off + 5]);
                        // The kernel chooses the identifier of a datagram socket.
                        if (rseq == seq && (!raw || rid == id))
                            return {true, static_cast<int>(n - static_cast<ssize_t>(off) - 8)};
                    }
                }
            }
            QCoreApplication::processEvents();
        }
        return {};
    }

private:
    static EchoReply pingProgram(const QString& address, int timeoutMs, int packetSize) {
        const QString ping = QStandardPaths::findExecutable(QStringLiteral("ping"));
        if (ping.isEmpty()) throw std::runtime_error("ICMP echo is not available on this system");
        QProcess p;
        p.start(ping, {QStringLiteral("-n"), QStringLiteral("-c"), QStringLiteral("1"), QStringLiteral("-s"),
                       QString::number(std::max(packetSize - 8, 0)), QStringLiteral("-W"),
                       // whole seconds: older versions of the program refuse fractions
                       QString::number(std::max(1, (timeoutMs + 999) / 1000)), address});
        if (!p.waitForStarted(2000)) throw std::runtime_error("the ping program cannot be started");
        QElapsedTimer clock;
        clock.start();
        while (!p.waitForFinished(10)) {
            QCoreApplication::processEvents();
            if (clock.elapsed() > timeoutMs + 2000) {
                p.kill();
                p.waitForFinished(1000);
                return {};
            }
        }
        if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return {};
        return {true, std::max(packetSize - 8, 1)};
    }

    uint16_t sequence_ = 0;
};

}  // namespace

std::unique_ptr<Pinger> makeSystemPinger() { return std::make_unique<SocketPinger>(); }

}  // namespace plat
