#pragma once
// A UDP socket with a listener thread that hands every received datagram to a handler on that
// thread. Sends go out of the same socket, so answers to them come back to the listener.
// Behind an interface so that tests and the scan engine can run without a network.
#include "platform/XmlDoc.h"  // plat::Error

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace plat {

// A socket operation failed; the message names the operation and the system's error.
class SocketError : public Error {
public:
    using Error::Error;
};

class UdpEndpoint {
public:
    // Called on the listener thread, one datagram at a time. An exception it throws is counted
    // (handlerFailures) and the listener goes on: nothing leaves the listener thread.
    using DatagramHandler = std::function<void(std::span<const uint8_t> datagram)>;

    // Largest datagram delivered; a longer one is dropped whole rather than cut.
    static constexpr size_t Max_Datagram = 8192;

    virtual ~UdpEndpoint() = default;

    // Binds to the local port (0: the system picks one) on the endpoint's local address and starts
    // the listener. Throws SocketError; an open endpoint is closed first.
    virtual void open(uint16_t localPort, DatagramHandler handler) = 0;
    // Stops the listener (it is joined before this returns) and closes the socket. Safe to call
    // when closed.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual uint16_t localPort() const = 0;
    // Sends one datagram to a dotted IPv4 address or a host name. Throws SocketError, also when
    // the endpoint is not open.
    virtual void send(const QString& host, uint16_t port, std::span<const uint8_t> bytes) = 0;
    // Datagrams whose handler threw, since the endpoint was created. An endpoint that runs no
    // handler of its own has none.
    virtual uint64_t handlerFailures() const { return 0; }
};

// The operating system's sockets, bound on the dotted IPv4 address given, or on every interface
// when it is empty. A bad address fails at open() with SocketError.
std::unique_ptr<UdpEndpoint> createUdpEndpoint(const QString& localAddress = {});

}  // namespace plat
