#pragma once
// The scan's line to the gateway over UDP: sends commands and frames, keeps every datagram received
// in arrival order until a step takes it, and routes wireless telegrams to their decoder.
#include "mbus/MBusFrames.h"
#include "platform/UdpEndpoint.h"

#include <QString>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace mbus {

// The datagrams received and not yet taken, oldest first. A bounded ring: when it is full the
// oldest datagram makes room and is counted. Its slots keep their storage, so a busy line costs
// no allocation per datagram. Not guarded: its owner locks.
class TAnswerQueue {
public:
    static constexpr size_t Capacity = 256;                // datagrams held
    static constexpr size_t Datagram_Size = Answer_Buffer_Size;  // the longest datagram kept

    // Appends the datagram; false (and nothing kept) when it is longer than Datagram_Size.
    bool Push(std::span<const uint8_t> datagram);
    // The oldest datagram into out; false when none is held.
    bool Pop(TBytes& out);
    size_t Size() const { return count_; }
    bool Empty() const { return count_ == 0; }
    // Datagrams dropped to make room, over the queue's life.
    uint64_t Overflowed() const { return overflowed_; }

private:
    std::array<TBytes, Capacity> slots_;
    size_t head_ = 0;
    size_t count_ = 0;
    uint64_t overflowed_ = 0;
};

class TMBusLink {
public:
    using TickSource = std::function<uint32_t()>;  // milliseconds, a 32-bit counter that wraps
    // Called with one telegram of the radio module, in arrival order and never twice at once: on the
    // listener thread while the radio listens, on the scan's thread when a step meets it among the
    // module's answers. It must not wait for the scan's thread.
    using TelegramHandler = std::function<void(std::span<const uint8_t> telegram, TRadioModule module)>;
    // Whether a datagram that a step meets belongs to an earlier exchange (a late or foreign
    // answer): such a datagram is dropped and counted instead of being taken.
    using StaleTest = std::function<bool(std::span<const uint8_t> datagram)>;

    explicit TMBusLink(std::unique_ptr<plat::UdpEndpoint> endpoint, TickSource ticks = {});
    ~TMBusLink();
    TMBusLink(const TMBusLink&) = delete;
    TMBusLink& operator=(const TMBusLink&) = delete;

    // Starts receiving on the local port (0: the system picks one). Throws plat::SocketError.
    void Open(uint16_t localPort = 0);
    // Stops receiving; what was received and not taken is forgotten.
    void Close();
    bool Is_Open() const;
    uint16_t Local_Port() const;

    void Set_IP_Address(const QString& address);
    QString IP_Address() const;

    // Settles what came before (see Settle), sends, then notes the send time. Send failures
    // propagate.
    void Send_Command(std::string_view text, uint16_t port);
    void Send_Command(std::span<const uint8_t> bytes, uint16_t port);
    // For a command that left another way (the serial port): settles and notes the send time, so
    // the wait after it runs as after a datagram.
    void Mark_Sent();
    // Everything received before now belongs to earlier exchanges: telegrams of the routed radio
    // module go to their handler, anything else is dropped as stale.
    void Settle();

    // The receive handler (listener thread): keeps the datagram at the end of the queue; while the
    // radio listens, a whole telegram goes straight to the telegram handler and anything else is
    // dropped as stale.
    void On_UDP_Read(std::span<const uint8_t> datagram);

    // The answer a waiting step takes: the oldest datagram received since the last send that is
    // neither a whole telegram of the routed radio module (handed to the telegram handler on the
    // way) nor stale by the step's test (dropped and counted). Nothing when none is waiting.
    std::optional<TBytes> Next_Answer(const StaleTest& stale = {});
    // Datagrams waiting in the queue.
    size_t Queued() const;

    // The radio module whose telegrams are told apart from its answers (none: every datagram is
    // an answer), with their handler.
    void Set_Telegram_Route(std::optional<TRadioModule> module, TelegramHandler handler = {});
    // The radio listening or not. While it listens every datagram is handled as it arrives; when
    // it starts, the telegrams still queued are handled first, in order. Switched off, it returns
    // once a telegram being handled on the listener thread is done, so that what is queued next
    // is never handled before it.
    void Set_Listening(bool on);
    // Both at once: a module listening with its handler, or neither.
    void Set_Wireless_Receive(std::optional<TRadioModule> module, TelegramHandler handler = {});

    void Set_TimeOut(uint32_t ms) { TimeOut_Calc = ms; }
    uint32_t TimeOut() const { return TimeOut_Calc; }
    uint32_t Start_Send() const { return Start_Send_; }
    bool Check_TimeOut() const;

    // Datagrams too long for the answer buffer, dropped since the link was made.
    uint64_t Dropped_Datagrams() const { return dropped_.load(); }
    // Datagrams dropped because the queue was full, since the link was made.
    uint64_t Overflowed_Datagrams() const;
    // Datagrams no step took: answers that came after their wait or to another exchange, and
    // what came while the radio listened that was no telegram.
    uint64_t Stale_Answers() const { return stale_.load(); }

private:
    void sent();
    // Hands the queued datagrams to the telegram handler or drops them, oldest first, until the
    // queue is empty; then runs done with the lock held.
    template <typename Done>
    void drainQueue(Done done);
    void routeOrDrop(const TBytes& datagram, std::optional<TRadioModule> module, const TelegramHandler& handler);

    std::unique_ptr<plat::UdpEndpoint> endpoint_;
    TickSource ticks_;
    mutable std::mutex mutex_;  // the queue, the address and the route
    std::condition_variable handled_;  // a telegram handled on the listener thread is done
    int handling_ = 0;                 // telegrams being handled on the listener thread
    TAnswerQueue queue_;
    QString ipAddress_;
    std::optional<TRadioModule> routeModule_;
    TelegramHandler telegramHandler_;
    bool listening_ = false;
    std::atomic<uint32_t> Start_Send_{0};
    std::atomic<uint32_t> TimeOut_Calc{0};
    std::atomic<uint64_t> dropped_{0};
    std::atomic<uint64_t> stale_{0};
};

// Whether a datagram is a whole telegram of the module: its length is the L field + 3 (Telit) or
// the L field + 1 (Radiocrafts).
bool Is_Wireless_Telegram(std::span<const uint8_t> datagram, TRadioModule module);

}  // namespace mbus
