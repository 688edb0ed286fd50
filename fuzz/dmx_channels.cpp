// The DMX window reads its channel count from "ParGen.xml", a file users copy and edit by hand: any
// bytes give a count the table can be built with.
#include "building/DMXSchema.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const int n = dmx::channelCount(bytes);
    if (n < 1 || n > dmx::kMaxChannels) __builtin_trap();
    return 0;
}
