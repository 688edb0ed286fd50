// The formatter on arbitrary format texts (the progress formats come from settings and cells) with
// each kind of argument: it either formats or throws its format error, and never reads outside the
// arguments it was given.
#include "platform/Format.h"

#include <QString>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString format = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    auto attempt = [&](std::initializer_list<plat::FormatArg> args) {
        try {
            (void)plat::Format(format, args);
        } catch (const plat::EFormatError&) {
        }
    };
    attempt({});
    attempt({42});
    attempt({-2.5});
    attempt({QStringLiteral("text")});
    attempt({7, 1e300, QStringLiteral("x"), int64_t(-1)});
    return 0;
}
