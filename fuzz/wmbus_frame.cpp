// The wireless telegram decoder on arbitrary datagrams, with a key set on every meter it has heard
// so that the decryption paths run too. The first input byte picks the radio module.
#include "mbus/UWMBusDecode.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static mbus::TWMBusSlaveList list;
    static const QDateTime now(QDate(2026, 1, 1), QTime(12, 0));
    static const TAESKey128 key = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,
                                   0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x11};
    if (size == 0) return 0;
    const auto module = (data[0] & 1) ? mbus::TRadioModule::rmRadioCrafts : mbus::TRadioModule::rmTelit;
    const std::span<const uint8_t> datagram(data + 1, size - 1);

    if (list.Count() > 64) list.Clear();
    for (int pass = 0; pass < 2; ++pass) {
        const int index = mbus::Decode_Wireless_Frame(list, module, datagram, now);
        if (index >= list.Count()) __builtin_trap();
        if (index >= 0 && !mbus::Is_Wireless_Telegram(datagram, module)) __builtin_trap();
        if (index < 0) break;
        list.Set_Key(index, key);  // the second pass decrypts
    }
    return 0;
}
