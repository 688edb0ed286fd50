#include "mbus/UWMBusDecode.h"

#include "platform/FormatSettings.h"

#include <algorithm>

namespace mbus {

namespace {

// The telegram bytes with every read bounded by the end of the record data: a byte beyond it
// reads as -1, which no test below accepts.
class Telegram {
public:
    Telegram(std::vector<uint8_t>& bytes, int end) : b_(bytes), end_(end) {}

    int end() const { return end_; }
    int at(int i) const { return i >= 0 && i < end_ ? b_[size_t(i)] : -1; }
    bool has(int from, int count) const { return from >= 0 && count >= 0 && from + count <= end_; }
    bool idle(int p) const { return at(p) == 0x2F && at(p + 1) == 0x2F; }  // "2F 2F"
    uint16_t le16(int p) const { return uint16_t(b_[size_t(p)] | b_[size_t(p) + 1] << 8); }
    uint32_t le32(int p) const { return uint32_t(le16(p)) | uint32_t(le16(p + 2)) << 16; }
    uint8_t* data(int p) { return b_.data() + p; }

private:
    std::vector<uint8_t>& b_;
    int end_;
};

struct Address {
    uint16_t manufacturer;
    uint32_t id;
    uint8_t version;
    uint8_t type;
};

// Decrypts count bytes at p in place.
void cbcInPlace(Telegram& t, int p, int count, const TAESKey128& key, const TAESIV& iv) {
    TMemoryByteStream in(std::span<const uint8_t>(t.data(p), size_t(count))), out;
    AesCbcDecryptStream(in, count, key, out, iv);
    std::copy(out.Bytes().begin(), out.Bytes().end(), t.data(p));
}

// Mode 7 behind CI 0x8C 0x90, with A the length of the authentication and fragmentation layer: the
// CI 0x7A header follows the layer at 15 + A, its configuration word at 18 + A and the extension
// byte at 20 + A. The extension's bit 6 announces one more byte and the word's bit 13 four more;
// the encrypted data, and with them the records, start after those. Those bits mean something else
// outside a mode 7 header, whose payload starts at 21 + A. -1 when the bytes are missing.
int mode7PayloadStart(const Telegram& t) {
    const int a = t.at(14);
    if (a < 0) return -1;
    const int cwHigh = t.at(19 + a), ext = t.at(20 + a);
    if (cwHigh < 0 || ext < 0) return -1;
    if (t.at(15 + a) != 0x7A || (cwHigh & 0x1F) != 7) return 21 + a;
    return 21 + a + ((ext & 0x40) ? 1 : 0) + ((cwHigh & 0x20) ? 4 : 0);
}

int macLength(int messageControl) {
    switch (messageControl & 0x0F) {
    case 3: return 2;
    case 4: return 4;
    case 5: return 8;
    case 6: return 12;
    case 7: return 16;
    case 8: return 12;
    default: return 0;
    }
}

enum class Decrypt { Go_On, Drop };

Decrypt decryptMode5(Telegram& t, const TSlave_wMBus& meter) {
    // 0x8C, CC 11, ACC 12, CI 0x7A 13, ACC 14, status 15, configuration word 16-17, data from 18.
    const int cwHigh = t.at(17);
    if (cwHigh < 0 || (cwHigh & 0x05) != 0x05 || t.idle(18)) return Decrypt::Go_On;
    const int count = (t.at(16) >> 4) * 16;
    if (count == 0 || !t.has(18, count)) return Decrypt::Go_On;  // left encrypted: not readable
    TAESIV iv;
    std::copy_n(t.data(2), 8, iv.begin());  // manufacturer, ID, version, device type
    std::fill(iv.begin() + 8, iv.end(), uint8_t(t.at(14)));
    cbcInPlace(t, 18, count, meter.Key, iv);
    return Decrypt::Go_On;
}

Decrypt decryptMode7(Telegram& t, const TSlave_wMBus& meter) {
    const int a = t.at(14);
    if (a < 0 || t.at(15 + a) != 0x7A || t.at(19 + a) < 0 || (t.at(19 + a) & 0x07) != 0x07) return Decrypt::Go_On;
    const int payload = mode7PayloadStart(t);
    if (payload < 0 || t.idle(payload)) return Decrypt::Go_On;

    // The layer's fields, each present when its flag is set in the fragmentation control word.
    if (!t.has(15, 2)) return Decrypt::Go_On;
    const uint16_t control = t.le16(15);
    int p = 17, messageControl = -1, counterAt = -1;
    if (control & (1 << 13)) messageControl = t.at(p++);
    if (control & (1 << 9)) p += 2;  // key information
    if (control & (1 << 11)) counterAt = p, p += 4;
    if (control & (1 << 10)) p += macLength(messageControl < 0 ? 0 : messageControl);
    if (control & (1 << 12)) p += 2;  // message length
    // Fields that disagree with the layer's length byte leave no trustworthy header to decrypt by.
    if (p != 15 + a) return Decrypt::Go_On;
    const int cw = t.at(18 + a) | t.at(19 + a) << 8;
    if (((cw >> 8) & 0x1F) != 7) return Decrypt::Go_On;
    // The key is derived from the message counter; without one there is nothing to derive it from.
    if (counterAt < 0 || !t.has(counterAt, 4)) return Decrypt::Go_On;
    const int count = ((cw & 0xFF) >> 4) * 16;
    if (!t.has(payload, count)) return Decrypt::Go_On;

    uint8_t input[16] = {0x00};
    std::copy_n(t.data(counterAt), 4, input + 1);
    std::copy_n(t.data(4), 4, input + 5);  // link-layer ID as received
    std::fill(input + 9, input + 16, uint8_t(0x07));
    TMemoryByteStream derivation(input);
    TAESKey128 sessionKey;
    AesCmacStream(derivation, 16, meter.Key, sessionKey);

    TMemoryByteStream in(std::span<const uint8_t>(t.data(payload), size_t(count))), out;
    AesCbcDecryptStream(in, count, sessionKey, out, TAESIV{});
    const auto& plain = out.Bytes();
    if (plain.size() < 2 || plain[0] != 0x2F || plain[1] != 0x2F) return Decrypt::Drop;  // wrong key
    std::copy(plain.begin(), plain.end(), t.data(payload));
    return Decrypt::Go_On;
}

struct Readable {
    bool readable = false;
    int recordsAt = -1;  // -1: readable but without records to decode
};

Readable readability(const Telegram& t) {
    auto mode = [&](int cwHigh) { return t.at(cwHigh) < 0 ? -1 : t.at(cwHigh) & 0x0F; };
    auto plainOrMode5 = [&](int cwHigh, int payload) {
        const int m = mode(cwHigh);
        return Readable{m == 0 || (m == 5 && t.idle(payload)), payload};
    };
    switch (t.at(10)) {
    case 0x7A:
        return plainOrMode5(14, 15);
    case 0x72:
        return {mode(22) == 0 || t.idle(23), 23};
    case 0x8C:
        switch (t.at(13)) {
        case 0x78: return {true, 14};
        case 0x7A: return plainOrMode5(17, 18);
        case 0x72: return plainOrMode5(25, 26);
        case 0x90: {
            const int payload = mode7PayloadStart(t);
            return {payload >= 0 && t.idle(payload), payload};
        }
        default: return {};
        }
    case 0x8D:
        switch (t.at(19)) {
        case 0x78: return {true, 20};
        case 0x7A: return plainOrMode5(23, 24);
        case 0x72: return plainOrMode5(31, 32);
        case 0x90: {
            const int a = t.at(20);
            return {a >= 0 && t.idle(27 + a), -1};
        }
        default: return {};
        }
    default:
        return {};  // 0x8E, 0x8F and unknown chains are never readable
    }
}

// The record texts in the user's formats, stamped with the telegram's time. Built here rather than
// read from the clock again: the caller's time is the telegram's, and asking the system clock for
// local time costs a file-system lookup per telegram.
TDecodeContext wirelessContext(const QDateTime& now) {
    const plat::FormatSettings fs = plat::formatSettings();
    TDecodeContext c;
    c.Wireless = true;
    c.Stamp = now;
    c.DateFormat = fs.shortDateFormat;
    c.TimeFormat = QStringLiteral("hh") + fs.timeSeparator + QStringLiteral("mm") + fs.timeSeparator + QStringLiteral("ss");
    c.DecimalSeparator = fs.decimalSeparator;
    return c;
}

}  // namespace

int Find_Wireless_Slave(const TWMBusMeters& meters, uint16_t manufacturer, uint32_t id, uint8_t version,
                        uint8_t deviceType) {
    for (size_t i = 0; i < meters.size(); ++i) {
        const TSlave_wMBus& m = *meters[i];
        if (m.ALA_Manufacturer == manufacturer && m.ALA_Address == id && m.ALA_Version == version &&
            m.ALA_DeviceType == deviceType)
            return int(i);
    }
    return -1;
}

int TWMBusSlaveList::Count() {
    return Locked([](TWMBusMeters& m) { return int(m.size()); });
}

void TWMBusSlaveList::Clear() {
    Locked([](TWMBusMeters& m) { m.clear(); });
}

std::optional<TSlave_wMBus> TWMBusSlaveList::Snapshot(int index) {
    return Locked([&](TWMBusMeters& m) -> std::optional<TSlave_wMBus> {
        if (index < 0 || index >= int(m.size())) return std::nullopt;
        return *m[size_t(index)];
    });
}

bool TWMBusSlaveList::Set_Key(int index, const TAESKey128& key) {
    return Locked([&](TWMBusMeters& m) {
        if (index < 0 || index >= int(m.size())) return false;
        m[size_t(index)]->Key = key;
        m[size_t(index)]->Enable_Key = true;
        return true;
    });
}

int8_t Wireless_RSSI(TRadioModule module, uint8_t trailer) {
    if (module == TRadioModule::rmTelit) return int8_t(uint8_t(-int(trailer) - 2));
    return int8_t(int8_t(trailer) / 2 + 1);
}

int Decode_Wireless_Frame(TWMBusSlaveList& list, TRadioModule module, std::span<const uint8_t> datagram,
                          const QDateTime& now, const TNotifyWireless& notify) noexcept {
    try {
        if (!Is_Wireless_Telegram(datagram, module)) return -1;
        // Decryption works on this copy in place; the record data end before the module's trailer.
        std::vector<uint8_t> bytes(datagram.begin(), datagram.end());
        Telegram t(bytes, int(bytes.size()) - (module == TRadioModule::rmTelit ? 2 : 1));
        if (!t.has(0, 11)) return -1;  // L, C, link-layer address, CI

        const int ci = t.at(10);
        const Address lla{t.le16(2), t.le32(4), uint8_t(t.at(8)), uint8_t(t.at(9))};
        Address ala = lla;
        if (ci != 0x7A && ci != 0x8C && ci != 0x8D) {
            if (!t.has(11, 8)) return -1;  // the meter cannot be told apart
            ala = {t.le16(15), t.le32(11), uint8_t(t.at(17)), uint8_t(t.at(18))};
        }
        const int8_t rssi = Wireless_RSSI(module, datagram.back());

        return list.Locked([&](TWMBusMeters& meters) -> int {
            int index = Find_Wireless_Slave(meters, ala.manufacturer, ala.id, ala.version, ala.type);
            if (index < 0) {
                auto m = std::make_unique<TSlave_wMBus>();
                m->Message_Type = uint8_t(t.at(1));
                m->LLA_Manufacturer = lla.manufacturer;
                m->LLA_Manu_str = Trova_Man(lla.manufacturer);
                m->LLA_Address = lla.id;
                m->LLA_Version = lla.version;
                m->LLA_DeviceType = lla.type;
                m->ALA_Manufacturer = ala.manufacturer;
                m->ALA_Manu_str = Trova_Man(ala.manufacturer);
                m->ALA_Address = ala.id;
                m->ALA_Version = ala.version;
                m->ALA_DeviceType = ala.type;
                m->RSSI = rssi;
                m->RadioCrafts_Ind_Tab_Decript = -1;
                meters.push_back(std::move(m));
                index = int(meters.size()) - 1;
            }
            TSlave_wMBus& meter = *meters[size_t(index)];

            if (meter.Enable_Key && ci == 0x8C) {
                const Decrypt d = t.at(13) == 0x7A   ? decryptMode5(t, meter)
                                  : t.at(13) == 0x90 ? decryptMode7(t, meter)
                                                     : Decrypt::Go_On;
                if (d == Decrypt::Drop) {
                    if (notify) notify(index, meter);
                    return index;
                }
            }

            meter.Cancel_Var();
            meter.DateTime = now;
            meter.RSSI = rssi;
            const Readable r = readability(t);
            meter.Cripted = !r.readable;
            if (r.readable && r.recordsAt >= 0 && r.recordsAt <= t.end()) {
                const TDecodeContext context = wirelessContext(now);
                Decode_Records(meter.List_Var,
                               std::span<const uint8_t>(t.data(r.recordsAt), size_t(t.end() - r.recordsAt)),
                               context);
            }
            if (notify) notify(index, meter);
            return index;
        });
    } catch (...) {
        // The listener thread must survive whatever one datagram does; the count keeps it visible.
        list.Count_Decode_Failure();
        return -1;
    }
}

}  // namespace mbus
