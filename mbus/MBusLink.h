#pragma once
// The scan's line to the gateway over UDP: sends commands and frames, keeps the latest answer in
// one guarded slot, and routes wireless telegrams to their decoder while the radio listens.
#include "mbus/MBusFrames.h"
#include "platform/UdpEndpoint.h"

#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace mbus {

// The last datagram received. The listener writes it, the scan step reads a copy; both under one
// lock, so a step never sees half of a datagram. The latest datagram wins; every send clears the
// arrival flag, so the step waits for an answer that came after it (or a late one to an earlier
// command, which its own answer test then judges).
class TAnswerSlot {
public:
    static constexpr size_t Capacity = Answer_Buffer_Size;

    struct TAnswer {
        bool Arrived = false;
        TBytes Bytes;
    };

    // Keeps the datagram, and marks it arrived when asked. A datagram longer than the slot is
    // dropped whole: the slot keeps what it held. Returns whether it was kept.
    bool Store(std::span<const uint8_t> datagram, bool markArrived);
    void Clear_Arrived();
    bool Answer_Arrived() const;
    TAnswer Read() const;

private:
    mutable std::mutex mutex_;
    std::array<uint8_t, Capacity> Ans_Array{};
    size_t Ans_Len = 0;
    bool Arrived = false;
};

class TMBusLink {
public:
    using TickSource = std::function<uint32_t()>;  // milliseconds, a 32-bit counter that wraps
    // Called on the listener thread with one telegram of the listening radio module.
    using TelegramHandler = std::function<void(std::span<const uint8_t> telegram, TRadioModule module)>;

    explicit TMBusLink(std::unique_ptr<plat::UdpEndpoint> endpoint, TickSource ticks = {});
    ~TMBusLink();
    TMBusLink(const TMBusLink&) = delete;
    TMBusLink& operator=(const TMBusLink&) = delete;

    // Starts receiving on the local port (0: the system picks one). Throws plat::SocketError.
    void Open(uint16_t localPort = 0);
    void Close();
    bool Is_Open() const;
    uint16_t Local_Port() const;

    void Set_IP_Address(const QString& address);
    QString IP_Address() const;

    // Clears the arrival flag, sends, then notes the send time. Send failures propagate.
    void Send_Command(std::string_view text, uint16_t port);
    void Send_Command(std::span<const uint8_t> bytes, uint16_t port);
    // For a command that left another way (the serial port): clears the arrival flag and notes the
    // send time, so the wait after it runs as after a datagram.
    void Mark_Sent();

    // The receive handler (listener thread): keeps the datagram in the answer slot; while the radio
    // listens, a datagram whose length fits the module's framing goes to the telegram handler and
    // any other is dropped, without marking an answer.
    void On_UDP_Read(std::span<const uint8_t> datagram);

    // Radio listening on (a module given) or off.
    void Set_Wireless_Receive(std::optional<TRadioModule> module, TelegramHandler handler = {});

    TAnswerSlot::TAnswer Read_Answer() const { return slot_.Read(); }
    bool Answer_Arrived() const { return slot_.Answer_Arrived(); }

    void Set_TimeOut(uint32_t ms) { TimeOut_Calc = ms; }
    uint32_t TimeOut() const { return TimeOut_Calc; }
    uint32_t Start_Send() const { return Start_Send_; }
    bool Check_TimeOut() const;

    // Datagrams too long for the answer slot, dropped since the link was made.
    uint64_t Dropped_Datagrams() const { return dropped_.load(); }

private:
    void sent();

    std::unique_ptr<plat::UdpEndpoint> endpoint_;
    TickSource ticks_;
    TAnswerSlot slot_;
    mutable std::mutex routeMutex_;
    QString ipAddress_;
    std::optional<TRadioModule> receiveModule_;
    TelegramHandler telegramHandler_;
    std::atomic<uint32_t> Start_Send_{0};
    std::atomic<uint32_t> TimeOut_Calc{0};
    std::atomic<uint64_t> dropped_{0};
};

// Whether a datagram is a whole telegram of the module: its length is the L field + 3 (Telit) or
// the L field + 1 (Radiocrafts).
bool Is_Wireless_Telegram(std::span<const uint8_t> datagram, TRadioModule module);

}  // namespace mbus
