#pragma once
// Wireless M-Bus telegrams as the gateway forwards them from its radio module: identification of
// the meter, decryption of the application data (security modes 5 and 7), readability and the
// data records. Runs on the UDP listener thread; the list of heard meters is shared with the
// user-interface thread and guarded by its own lock.
#include "mbus/Aes128.h"
#include "mbus/MBusFrames.h"
#include "mbus/MBusLink.h"
#include "mbus/UMBusScanDecode.h"

#include <QDateTime>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace mbus {

// One heard meter.
struct TSlave_wMBus {
    uint8_t Message_Type = 0;  // C field of the first telegram heard
    uint16_t LLA_Manufacturer = 0;
    QString LLA_Manu_str;
    uint32_t LLA_Address = 0;
    uint8_t LLA_Version = 0;
    uint8_t LLA_DeviceType = 0;
    uint16_t ALA_Manufacturer = 0;
    QString ALA_Manu_str;
    uint32_t ALA_Address = 0;
    uint8_t ALA_Version = 0;
    uint8_t ALA_DeviceType = 0;
    int8_t RSSI = 0;              // of the last telegram
    QDateTime DateTime;           // when the last telegram was decoded
    bool Cripted = false;         // the last telegram could not be read
    bool Enable = true;           // ticked for saving
    bool Enable_Key = false;      // Key is set
    TAESKey128 Key{};             // entered by the user; the program holds no key of its own
    int32_t RadioCrafts_Ind_Tab_Decript = -1;  // slot in the radio module's key table
    TVariableList List_Var;       // records of the last readable telegram
    void* Node = nullptr;         // the window's tree node

    void Cancel_Var() { List_Var.clear(); }
};

using TWMBusMeters = std::vector<std::unique_ptr<TSlave_wMBus>>;

// Index of the first meter with this application-layer address, or -1.
int Find_Wireless_Slave(const TWMBusMeters& meters, uint16_t manufacturer, uint32_t id, uint8_t version,
                        uint8_t deviceType);

// The heard meters, shared by the listener thread (which adds meters and replaces their records)
// and the user-interface thread (which shows them, sets keys and clears the list).
class TWMBusSlaveList {
public:
    // Runs f(TWMBusMeters&) with the list locked; pointers into the list are valid only inside.
    template <typename F>
    decltype(auto) Locked(F&& f) {
        std::lock_guard lock(mutex_);
        return f(meters_);
    }

    int Count();
    void Clear();  // frees every meter with its values
    std::optional<TSlave_wMBus> Snapshot(int index);  // a copy for display, nothing when out of range
    // Sets the meter's key; decryption is tried from its next telegram on. False for a bad index.
    bool Set_Key(int index, const TAESKey128& key);

    // Datagrams whose decoding failed with an exception (which the decoder keeps from the listener
    // thread), over the list's life; Clear does not reset it.
    uint64_t Decode_Failures() const { return decodeFailures_; }
    void Count_Decode_Failure() { ++decodeFailures_; }

private:
    std::recursive_mutex mutex_;
    TWMBusMeters meters_;
    std::atomic<uint64_t> decodeFailures_{0};
};

// Called, with the list locked, for every telegram that reached a meter: the meter's index and the
// meter. It runs on the listener thread and should only hand the report on.
using TNotifyWireless = std::function<void(int index, const TSlave_wMBus& meter)>;

// Signal strength in dBm from the module's trailer byte (the datagram's last byte: Telit appends
// two bytes, Radiocrafts one).
int8_t Wireless_RSSI(TRadioModule module, uint8_t trailer);

// Decodes one datagram into the list. Returns the index of the meter reported, or -1 when the
// datagram was dropped (not a telegram, or too short to identify its meter). Never throws: a
// failure on the way (the report callback throwing, memory running out) gives -1 and is counted in
// the list's Decode_Failures.
int Decode_Wireless_Frame(TWMBusSlaveList& list, TRadioModule module, std::span<const uint8_t> datagram,
                          const QDateTime& now, const TNotifyWireless& notify = {}) noexcept;

}  // namespace mbus
