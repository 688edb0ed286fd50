#pragma once
// A fake gateway with a scripted M-Bus segment of meters behind it (analyzer mode) and a fake radio
// module (configuration mode). The same logic answers the engine over a fake line (virtual time,
// no socket) and over real loopback sockets (a responder thread).
#include "mbus/MBusFrames.h"
#include "platform/UdpEndpoint.h"

#include <QString>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace fake {

using mbus::TBytes;

TBytes hexBytes(const std::string& text);

struct Meter {
    uint8_t Primary = 0;
    uint32_t Ident = 0;             // the eight digits, e.g. 0x12345601
    std::vector<TBytes> Frames;     // the records of each RSP_UD, sent in turn
    uint16_t Manufacturer = 0x4024;
    uint8_t Version = 1;
    uint8_t Medium = 7;
    uint8_t CI = 0x72;
    int Silent_After = -1;          // frames answered before falling silent; -1: never
    bool Short_Answer = false;      // answers REQ_UD2 with a frame of 21 bytes
    bool Corrupt = false;           // answers REQ_UD2 with a frame whose checksum is wrong
    uint32_t Late_Ms = 0;           // answers REQ_UD2 this late (on the test's clock)
    int Late_After = 0;             // frames answered on time before the late ones
    // State.
    size_t Next_Frame = 0;
    int Answered = 0;
};

// The RSP_UD of a meter with the records given, its checksum computed.
TBytes rspUd(const Meter& m, const TBytes& records, uint8_t primary);

// The meter of the documentation frame (12.565 m3, 0.113 m3/h, 218370 Wh tariff 2) at an address.
Meter documentationMeter(uint8_t primary);
// A meter with one 4-byte energy record a frame; `more` marks every frame with DIF 0x1F.
Meter simpleMeter(uint8_t primary, uint32_t ident, bool more = false, int frames = 1);

// A key the radio module took into its table: its slot (-1 for a Telit module, which holds one key
// a meter), the meter's address in the Radiocrafts order (identification number, manufacturer,
// version, device type) and the 16 key bytes.
struct LoadedKey {
    int Slot = -1;
    TBytes Address;
    TBytes Key;
    bool operator==(const LoadedKey&) const = default;
};

class Segment {
public:
    enum class Mode { Accept, Refuse, Silent };
    enum class Radio { None, Telit, RadioCrafts };

    Mode Analyzer = Mode::Accept;
    Mode Configuration = Mode::Accept;
    Radio Module = Radio::None;
    bool Ok_Without_Cr = false;     // the Telit acknowledges with "OK" alone
    bool Short_Memory = false;      // the Radiocrafts register memory comes without its prompt
    bool Refuse_Keys = false;       // the Telit answers "ERROR" to the key registers
    uint32_t Delay_Ms = 0;  // every answer this late
    std::vector<Meter> Meters;
    // Shapes what goes back for a request (a text, or the bytes as characters): the answer, when
    // there is one, is the only datagram in `datagrams`; the hook may add others before or after
    // it, as a gateway sends what its radio module heard in the same burst. Runs under the
    // segment's lock: it must not call the segment.
    std::function<void(const std::string& request, std::vector<TBytes>& datagrams)> Burst;

    // The answer to one datagram, nothing when none comes. Records what it saw. `late` receives
    // how late the answer comes, in ms.
    std::optional<TBytes> answer(const TBytes& request, uint32_t* late = nullptr);
    // Every datagram that goes back for a request, in order (the answer shaped by Burst).
    std::vector<TBytes> burst(const TBytes& request, uint32_t* late = nullptr);
    // Runs deliver under the lock while the radio module listens; false when it does not.
    bool whileListening(const std::function<void()>& deliver);

    // The radio module's side.
    bool configurationOn();
    bool radioListening();
    std::vector<std::string> telitLines();  // every line the Telit module received, "+++" too
    std::vector<TBytes> radioBytes();       // every datagram the Radiocrafts module received
    std::vector<LoadedKey> keysLoaded();

    // What was seen, under the lock (the responder thread writes it).
    std::vector<TBytes> received();
    std::vector<uint8_t> reqUd2C();
    std::vector<std::string> selections();  // the eight digits of each selection, F for a wildcard
    int count(std::string_view text);       // datagrams equal to the text
    bool analyzerOn();

private:
    Meter* byAddress(uint8_t a);
    std::optional<TBytes> answerLocked(const TBytes& request, uint32_t* late);
    std::optional<TBytes> telit(const std::string& line);
    std::optional<TBytes> radioCrafts(const TBytes& q);
    std::mutex mutex_;
    bool configurationOn_ = false;
    bool listening_ = false;
    bool telitCommandMode_ = false;
    std::map<int, int> telitRegisters_;
    std::vector<std::string> telitLines_;
    enum class RcState { Data, Menu, Memory, Slot, Table } rcState_ = RcState::Data;
    uint8_t rcTable_ = 0;
    int rcSlot_ = 0;
    std::array<uint8_t, 256> rcMemory_{};
    std::map<int, TBytes> rcAddresses_;
    std::vector<TBytes> radioBytes_;
    std::vector<LoadedKey> keysLoaded_;
    std::vector<TBytes> received_;
    std::vector<uint8_t> reqUd2C_;
    std::vector<std::string> selections_;
    bool analyzerOn_ = false;
    int selected_ = -1;
};

// The datagrams under way between the engine and the gateway on real sockets, counted on both
// sides: a test's clock moves only once each side has taken all the other sent.
struct Traffic {
    std::mutex m;
    std::condition_variable cv;
    uint64_t engineSent = 0;      // sent by the engine's endpoint
    uint64_t engineReceived = 0;  // delivered to the engine, its handler done
    uint64_t gatewayTaken = 0;    // requests the gateway has answered or passed over
    uint64_t gatewaySent = 0;     // answers, bursts and telegrams the gateway sent
    std::vector<uint16_t> ports;  // the gateway's ports: only what the engine sends there is counted

    void add(uint64_t Traffic::*field);
    // Until nothing is under way: false when the bound passed first (a datagram was lost).
    bool waitQuiet(std::chrono::milliseconds bound);
};

// Virtual time for an engine on real sockets. It moves by what the engine sleeps, but only when
// nothing is under way between the engine and the gateway: every request has been answered (or
// passed over) and every answer has reached the engine's queue. How loaded the machine is changes
// how long a test takes, never what the engine sees. While the engine does not scan, time moves
// at once.
struct QuietClock {
    explicit QuietClock(Traffic& t) : traffic(t) {}
    Traffic& traffic;
    std::atomic<uint32_t> now{0xFFFFF000u};  // close to the wrap of the counter
    std::function<bool()> scanning;          // empty: never waits
    std::function<void()> onMove;            // sends what is due by now
    std::atomic<bool> stuck{false};          // a wait for quiet ran into its bound
    void sleep(uint32_t ms);
    // Waits, pass by pass of the engine (each pass ends in a sleep), until pred holds; false when
    // the bound passed first. The bound only ends a test whose engine went wrong.
    bool waitFor(const std::function<bool()>& pred, std::chrono::milliseconds bound = std::chrono::seconds(300));
    uint64_t passes() const { return passes_; }

private:
    std::mutex passMutex_;
    std::condition_variable passed_;
    std::atomic<uint64_t> passes_{0};
};

// The gateway on real sockets: a thread that answers datagrams on address:10000 from the sender's
// address. Waits while another test holds the port. With a clock, late answers go out when the
// clock passes their time (deliverDue) instead of after a real wait, and the traffic is counted.
class UdpGateway {
public:
    UdpGateway(Segment& segment, const QString& address, uint16_t port = mbus::Port_Wired_Scan,
               Traffic* traffic = nullptr, const std::atomic<uint32_t>* clock = nullptr);
    ~UdpGateway();
    // A datagram to the address given, from the gateway's socket.
    void sendTo(const QString& address, uint16_t port, const TBytes& bytes);
    // A telegram the listening radio module heard, to the address that last sent to the gateway;
    // false when the module is not listening (nothing is sent).
    bool push(const TBytes& telegram);
    // Sends the late answers whose time has come on the clock.
    void deliverDue();

private:
    void run();
    void sendCounted(const void* to, unsigned toLength, const TBytes& bytes);
    Segment& segment_;
    Traffic* traffic_;
    const std::atomic<uint32_t>* clock_;
    int fd_ = -1;
    int wake_[2] = {-1, -1};
    std::mutex peerMutex_;
    std::optional<std::vector<uint8_t>> peer_;  // the sender's address, as the socket gave it
    std::mutex dueMutex_;
    std::deque<std::tuple<uint32_t, std::vector<uint8_t>, TBytes>> due_;  // time, to, bytes
    std::thread thread_;
};

// A real endpoint that counts into the traffic what it sends and what its listener delivered (once
// the owner's handler has taken it).
class CountingEndpoint final : public plat::UdpEndpoint {
public:
    CountingEndpoint(std::unique_ptr<plat::UdpEndpoint> inner, Traffic& traffic)
        : inner_(std::move(inner)), traffic_(traffic) {}
    void open(uint16_t localPort, DatagramHandler handler) override;
    void close() override { inner_->close(); }
    bool isOpen() const override { return inner_->isOpen(); }
    uint16_t localPort() const override { return inner_->localPort(); }
    void send(const QString& host, uint16_t port, std::span<const uint8_t> bytes) override;
    uint64_t handlerFailures() const override { return inner_->handlerFailures(); }
    // From this many sends on, every send fails as a network that went away does; -1: never.
    std::atomic<int> failFrom{-1};

private:
    std::unique_ptr<plat::UdpEndpoint> inner_;
    Traffic& traffic_;
    std::atomic<int> sends_{0};
};

// A socket that holds a UDP port of a loopback address, as another program would; port 0 holds
// one the system picks.
struct HeldPort {
    HeldPort(const QString& address, uint16_t port = 0);
    ~HeldPort();
    uint16_t port() const;
    int fd = -1;
};


// Time that moves only when the engine sleeps; answers due later are delivered as it moves.
struct VirtualTime {
    std::atomic<uint32_t> now{0xFFFFF000u};  // close to the wrap of the counter, which the waits must survive
    std::function<void()> onMove;
    void sleep(uint32_t ms) {
        now += ms;
        if (onMove) onMove();
        {
            std::lock_guard lock(passMutex_);
            ++passes_;
        }
        passed_.notify_all();
    }
    uint64_t passes() const { return passes_; }
    // For an engine stepping on its own thread: waits, pass by pass, until pred holds; false when the
    // bound passed first. The bound only ends a test whose engine went wrong.
    bool waitFor(const std::function<bool()>& pred, std::chrono::milliseconds bound = std::chrono::seconds(300)) {
        std::unique_lock lock(passMutex_);
        return passed_.wait_for(lock, bound, pred);
    }

private:
    std::mutex passMutex_;
    std::condition_variable passed_;
    std::atomic<uint64_t> passes_{0};
};

// The line without sockets: every send goes to the segment and its answer comes back at once (on
// the sending thread) or when due.
class FakeLine final : public plat::UdpEndpoint {
public:
    FakeLine(Segment& s, VirtualTime& t) : segment(s), time(t) {}
    Segment& segment;
    VirtualTime& time;
    DatagramHandler handler;
    bool open_ = false;
    bool failSends = false;
    int sends = 0;
    std::deque<std::pair<uint32_t, TBytes>> due;

    void open(uint16_t, DatagramHandler h) override;
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    uint16_t localPort() const override { return open_ ? 4000 : 0; }
    void send(const QString&, uint16_t, std::span<const uint8_t> bytes) override;
    void deliver();
    // A telegram of the listening radio module; false when it does not listen.
    bool push(const TBytes& telegram);
};

}  // namespace fake
