#pragma once
// A small blocking HTTP/1.0 GET client. It runs on the calling thread without an event loop and
// always ends: the whole exchange (connect, send, receive) shares one deadline, and the answer is
// read up to a size bound, so a server that never answers or answers without end cannot hold the
// program.
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace plat {

class Clock;

struct HttpGetOptions {
    QList<QPair<QByteArray, QByteArray>> headers;  // sent after "Host", in this order
    int timeoutMs = 10000;                         // for the whole exchange
    qint64 maxResponseBytes = 64 * 1024;           // status line, headers and body together
    Clock* clock = nullptr;                        // measures the time-out; none: the monotonic clock
};

struct HttpGetResult {
    bool ok = false;   // a complete answer with a 2xx status
    int status = 0;    // 0 when no status line was read
    QByteArray body;   // empty unless ok
    QString error;     // why it failed
};

// `url` is "http://host[:port]/path[?query]"; other schemes fail.
HttpGetResult httpGet(const QString& url, const HttpGetOptions& options);

// Reads an answer as far as it has come. `closed`: the server has closed the connection, so
// nothing more will come. `complete` is set when the answer needs no more bytes (its length was
// reached, the connection closed, or it is already known to be bad); the result is final then.
HttpGetResult decodeHttpAnswer(const QByteArray& received, bool closed, bool* complete);

}  // namespace plat
