// "M_Bus.xml" comes from project folders that users copy, edit by hand and import: any bytes must
// read as a whole network, a partial one with its reason, or a refusal with the parser's reason;
// and whatever was read must write and read back to the same values.
#include "mbus/MBusNetwork.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using mbus::TNetworkReadStatus;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const mbus::TNetworkRead r = mbus::Network_From_Bytes(bytes);
    switch (r.Status) {
    case TNetworkReadStatus::Whole:
        if (!r.Message.isEmpty()) __builtin_trap();
        break;
    case TNetworkReadStatus::Partial:
        if (r.Message.isEmpty()) __builtin_trap();
        break;
    case TNetworkReadStatus::Refused:
        if (r.Message.isEmpty() || !r.Nodes.empty()) __builtin_trap();
        return 0;
    case TNetworkReadStatus::NoFile:
        __builtin_trap();  // bytes are never a missing file
    }
    const QByteArray written = mbus::Network_To_Bytes(r.Nodes);
    const mbus::TNetworkRead again = mbus::Network_From_Bytes(written);
    if (again.Status != TNetworkReadStatus::Whole || !(again.Nodes == r.Nodes)) __builtin_trap();
    return 0;
}
