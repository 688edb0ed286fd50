#pragma once
// A real HTTP server on 127.0.0.1 for tests, on a thread of its own so that a client blocking the
// test's thread still gets answered. Each connection: read the request head, remember it, then send
// the scripted answer and close, or (silent) keep the connection open and say nothing until the
// server stops.
#include <QByteArray>
#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace testing_support {

class LoopbackHttpServer {
public:
    LoopbackHttpServer() {
        listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
        const int yes = 1;
        ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        ok_ = ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(listen_, 8) == 0;
        socklen_t len = sizeof a;
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { run(); });
    }
    ~LoopbackHttpServer() {
        stop_ = true;
        thread_.join();
        ::close(listen_);
    }
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool ok() const { return ok_; }
    int port() const { return port_; }
    QString address() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }

    // The whole answer (status line, headers, body) of the next connections.
    void answer(const QByteArray& raw, bool keepOpen = false) {
        std::lock_guard lock(m_);
        answer_ = raw;
        silent_ = false;
        keepOpen_ = keepOpen;
    }
    // Accept, read the request and never answer.
    void silent() {
        std::lock_guard lock(m_);
        silent_ = true;
    }
    // "HTTP/1.0 <status>" with the body, closed after sending.
    static QByteArray reply(int status, const QByteArray& body) {
        return "HTTP/1.0 " + QByteArray::number(status) + " X\r\nContent-Type: text/html\r\n\r\n" + body;
    }

    std::vector<QByteArray> requests() const {
        std::lock_guard lock(m_);
        return requests_;
    }
    int connections() const { return connections_; }

    // A port on which nothing listens.
    static int closedPort() {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t len = sizeof a;
        ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
        ::close(s);
        return ntohs(a.sin_port);
    }

private:
    bool waitReadable(int fd) const {
        while (!stop_) {
            pollfd p{fd, POLLIN, 0};
            const int r = ::poll(&p, 1, 20);
            if (r > 0) return true;
            if (r < 0) return false;
        }
        return false;
    }

    void serve(int fd) {
        QByteArray request;
        char buf[4096];
        while (!request.contains("\r\n\r\n")) {
            if (!waitReadable(fd)) return;
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) return;
            request.append(buf, n);
        }
        QByteArray raw;
        bool silent, keepOpen;
        {
            std::lock_guard lock(m_);
            requests_.push_back(request);
            raw = answer_;
            silent = silent_;
            keepOpen = keepOpen_;
        }
        if (!silent) {
            qsizetype sent = 0;
            while (sent < raw.size() && !stop_) {
                // MSG_NOSIGNAL: a client that gives up early must not kill the test with SIGPIPE.
                const ssize_t n = ::send(fd, raw.constData() + sent, size_t(raw.size() - sent), MSG_NOSIGNAL);
                if (n <= 0) return;
                sent += n;
            }
            if (!keepOpen) return;
        }
        // Hold the connection until the client goes or the server stops.
        while (waitReadable(fd))
            if (::recv(fd, buf, sizeof buf, 0) <= 0) return;
    }

    void run() {
        while (waitReadable(listen_)) {
            const int fd = ::accept(listen_, nullptr, nullptr);
            if (fd < 0) continue;
            ++connections_;
            serve(fd);
            ::close(fd);
        }
    }

    int listen_ = -1;
    int port_ = 0;
    bool ok_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex m_;
    QByteArray answer_ = reply(200, "VER. 1.003");
    bool silent_ = false;
    bool keepOpen_ = false;
    std::vector<QByteArray> requests_;
    std::thread thread_;
};

}  // namespace testing_support
