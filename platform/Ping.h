#pragma once
// ICMP echo of a device: one request, one answer or a time-out.
#include <QString>
#include <memory>
#include <stdexcept>

namespace plat {

struct EchoReply {
    bool answered = false;  // false: nothing came back within the time-out
    int bytes = 0;          // payload bytes of the answer
};

class Pinger {
public:
    virtual ~Pinger() = default;
    // Sends one echo request of `packetSize` bytes to an IPv4 address in dotted form and waits up to
    // `timeoutMs` for its answer, processing window messages meanwhile. Throws std::runtime_error
    // when the request cannot be sent (an unusable address, no socket).
    virtual EchoReply echo(const QString& address, int timeoutMs, int packetSize) = 0;
};

// The system's ICMP echo: an unprivileged ICMP datagram socket, a raw socket where only that is
// allowed, or the system's ping program when the kernel refuses both.
std::unique_ptr<Pinger> makeSystemPinger();

}  // namespace plat
