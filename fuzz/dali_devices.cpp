// Reads arbitrary bytes as the DALI device file: 64 devices come back whatever the bytes, and what
// reads cleanly writes and reads back the same.
#include "building/DALISchemas.h"
#include "platform/XmlDoc.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const dali::DevicesRead read = dali::readDevices(bytes);
    if (read.devices.size() != size_t(dali::kDevices)) __builtin_trap();
    for (const dali::DeviceRead& d : read.devices)
        if (d.recall && !dali::recallLevels().contains(*d.recall)) __builtin_trap();
    if (!read.error.isEmpty()) return 0;

    std::vector<dali::DeviceRow> rows;
    for (const dali::DeviceRead& d : read.devices)
        rows.push_back({d.enable ? QStringLiteral("Y") : QStringLiteral("N"),
                        d.minMax.value_or(false) ? QStringLiteral("Y") : QStringLiteral("N"),
                        d.recall.value_or(dali::recallLevels()[0])});
    plat::XmlDocument doc;
    dali::writeDevices(rows, doc);
    const dali::DevicesRead again = dali::readDevices(doc.toBytes());
    if (!again.error.isEmpty()) __builtin_trap();
    for (int n = 0; n < dali::kDevices; ++n) {
        const dali::DeviceRead& a = read.devices[size_t(n)];
        const dali::DeviceRead& b = again.devices[size_t(n)];
        if (a.enable != b.enable || b.minMax != a.minMax.value_or(false) ||
            b.recall != a.recall.value_or(dali::recallLevels()[0]))
            __builtin_trap();
    }
    return 0;
}
