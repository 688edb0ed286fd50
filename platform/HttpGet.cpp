#include "platform/HttpGet.h"

#include "platform/Clock.h"

#include <QTcpSocket>
#include <QUrl>
#include <algorithm>
#include <optional>

namespace plat {

namespace {

// The longest single wait on the socket between two readings of the clock.
constexpr int kWaitSliceMs = 50;

struct Head {
    int status = 0;
    std::optional<qint64> contentLength;
    bool chunked = false;
};

// Parses the status line and the header fields (without the blank line that ends them).
std::optional<Head> parseHead(const QByteArray& head, QString* error) {
    const QList<QByteArray> lines = head.split('\n');
    const QByteArray statusLine = lines.value(0).trimmed();
    // "HTTP/1.x 200 Reason"
    const QList<QByteArray> parts = statusLine.split(' ');
    if (parts.size() < 2 || !parts[0].startsWith("HTTP/")) {
        *error = QStringLiteral("not an HTTP answer");
        return std::nullopt;
    }
    bool ok = false;
    Head h;
    h.status = parts[1].toInt(&ok, 10);
    if (!ok || parts[1].size() != 3) {
        *error = QStringLiteral("bad status line");
        return std::nullopt;
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0) continue;
        const QByteArray name = line.first(colon).trimmed().toLower();
        const QByteArray value = line.sliced(colon + 1).trimmed();
        if (name == "content-length") {
            const bool digitsOnly =
                !value.isEmpty() && std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
            const qint64 n = digitsOnly ? value.toLongLong(&ok, 10) : -1;
            if (!digitsOnly || !ok) {
                *error = QStringLiteral("bad Content-Length");
                return std::nullopt;
            }
            h.contentLength = n;
        } else if (name == "transfer-encoding" && value.toLower() != "identity") {
            h.chunked = true;
        }
    }
    return h;
}

}  // namespace

HttpGetResult httpGet(const QString& url, const HttpGetOptions& options) {
    HttpGetResult result;
    const QUrl u(url);
    if (!u.isValid() || u.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0 || u.host().isEmpty()) {
        result.error = QStringLiteral("not an http address: %1").arg(url);
        return result;
    }
    const quint16 port = static_cast<quint16>(u.port(80));
    QByteArray target = u.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty()) target = "/";
    if (u.hasQuery()) target += '?' + u.query(QUrl::FullyEncoded).toLatin1();

    QByteArray request = "GET " + target + " HTTP/1.0\r\nHost: " + u.host(QUrl::FullyEncoded).toLatin1();
    if (u.port() >= 0) request += ':' + QByteArray::number(u.port());
    request += "\r\n";
    for (const auto& [name, value] : options.headers) request += name + ": " + value + "\r\n";
    request += "\r\n";

    // The time-out is read from the clock between waits of at most one slice, so a clock that a
    // test drives decides when the exchange gives up, as the real one does.
    Clock& clock = options.clock ? *options.clock : blockingClock();
    const int64_t end = clock.nowMs() + options.timeoutMs;
    auto left = [&] { return static_cast<int>(std::clamp<int64_t>(end - clock.nowMs(), 0, options.timeoutMs)); };
    auto slice = [&] { return qMin(left(), kWaitSliceMs); };
    auto timedOut = [&](int status) {
        HttpGetResult late;
        late.status = status;
        late.error = QStringLiteral("time-out");
        return late;
    };

    QTcpSocket socket;
    socket.connectToHost(u.host(), port);
    // A connection attempt that runs out of its wait is abandoned, so it gets the whole time left.
    if (!socket.waitForConnected(left())) {
        result.error = socket.error() == QAbstractSocket::SocketTimeoutError ? QStringLiteral("time-out")
                                                                             : socket.errorString();
        return result;
    }
    socket.write(request);
    while (socket.bytesToWrite() > 0) {
        if (left() == 0) return timedOut(0);
        if (!socket.waitForBytesWritten(slice()) && socket.state() != QAbstractSocket::ConnectedState) {
            result.error = socket.errorString();
            return result;
        }
    }

    QByteArray received;
    for (;;) {
        received += socket.readAll();
        if (received.size() > options.maxResponseBytes) {
            result.error = QStringLiteral("answer longer than %1 bytes").arg(options.maxResponseBytes);
            return result;
        }
        const bool closed = socket.state() != QAbstractSocket::ConnectedState && socket.bytesAvailable() == 0;
        bool complete = false;
        result = decodeHttpAnswer(received, closed, &complete);
        if (complete) return result;
        // Still connected and the answer not whole: wait on, until the time is out.
        if (left() == 0) return timedOut(result.status);
        socket.waitForReadyRead(slice());
    }
}

HttpGetResult decodeHttpAnswer(const QByteArray& received, bool closed, bool* complete) {
    HttpGetResult result;
    *complete = true;
    qsizetype end = received.indexOf("\r\n\r\n");
    qsizetype sep = 4;
    const qsizetype bare = received.indexOf("\n\n");
    if (bare >= 0 && (end < 0 || bare < end)) {
        end = bare;
        sep = 2;
    }
    if (end < 0) {
        *complete = closed;
        result.error = QStringLiteral("connection closed before the answer's header ended");
        return result;
    }
    const std::optional<Head> head = parseHead(received.first(end), &result.error);
    if (!head) return result;
    result.status = head->status;
    if (head->chunked) {
        result.error = QStringLiteral("unexpected transfer coding");
        return result;
    }
    QByteArray body = received.sliced(end + sep);
    if (head->contentLength) {
        if (body.size() < *head->contentLength) {
            *complete = closed;
            result.error = QStringLiteral("connection closed before the answer ended");
            return result;
        }
        body.truncate(*head->contentLength);
    } else if (!closed) {
        // Without a length the answer ends with the connection.
        *complete = false;
        return result;
    }
    if (head->status < 200 || head->status > 299) {
        result.error = QStringLiteral("HTTP status %1").arg(head->status);
        return result;
    }
    result.ok = true;
    result.body = body;
    return result;
}

}  // namespace plat
