// The update check reads whatever the server sends: the answer decoder must never read past what
// came, never call a bad answer good, and the version reader must take any text.
#include "platform/HttpGet.h"
#include "shell/USoftOptions.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray received(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    bool complete = false;
    const plat::HttpGetResult open = plat::decodeHttpAnswer(received, false, &complete);
    if (open.ok && !complete) __builtin_trap();
    const plat::HttpGetResult closed = plat::decodeHttpAnswer(received, true, &complete);
    if (!complete) __builtin_trap();  // nothing more comes: the result is final
    for (const plat::HttpGetResult* r : {&open, &closed}) {
        if (r->ok && (r->status < 200 || r->status > 299)) __builtin_trap();
        if (!r->ok && !r->body.isEmpty()) __builtin_trap();
        if (r->body.size() > received.size()) __builtin_trap();
        if (r->ok && !received.contains(r->body)) __builtin_trap();
    }
    // An answer complete by its length does not change when the connection then closes.
    if (open.ok && (closed.body != open.body || !closed.ok)) __builtin_trap();

    (void)TFSoftOptions::Conv_Version(QString::fromLatin1(received));
    (void)TFSoftOptions::Conv_Version(QString::fromLatin1(closed.body));
    return 0;
}
