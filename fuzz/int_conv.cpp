// The integer conversion on arbitrary texts: never crashes, and a success reads back the same.
#include "platform/IntConv.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto v32 = plat::tryStrToInt(text);
    const auto v64 = plat::tryStrToInt64(text);
    if (v32 && !text.contains(u'$') && !text.contains(u'x') && !text.contains(u'X')) {
        // A decimal success also succeeds, with the same value, in 64 bits.
        if (!v64 || *v64 != *v32) __builtin_trap();
        if (plat::tryStrToInt(QString::number(*v32)) != v32) __builtin_trap();
    }
    return 0;
}
