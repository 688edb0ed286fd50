// "ParGen.xml" is read from project folders that users copy and edit by hand: any bytes must read
// without harm, and whatever was read must write and read back to the same values.
#include "gateway/ParGenFile.h"
#include "platform/XmlDoc.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    pargen::Values values;
    try {
        values = pargen::fromBytes(bytes);
    } catch (const plat::Error&) {
        return 0;
    }
    const QByteArray written = pargen::toBytes(values);
    if (!written.startsWith("<Par_Gen>")) __builtin_trap();
    try {
        if (!(pargen::fromBytes(written) == values)) __builtin_trap();
    } catch (const plat::Error&) {
        __builtin_trap();
    }
    return 0;
}
