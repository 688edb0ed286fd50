#pragma once
// A fake gateway with a scripted M-Bus segment of meters behind it (analyzer mode) and a fake radio
// module (configuration mode). The same logic answers the engine over a fake line (virtual time,
// no socket) and over real loopback sockets (a responder thread).
#include "mbus/MBusFrames.h"
#include "platform/UdpEndpoint.h"

#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
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
    uint32_t Delay_Ms = 0;  // every answer this late
    std::vector<Meter> Meters;

    // The answer to one datagram, nothing when none comes. Records what it saw.
    std::optional<TBytes> answer(const TBytes& request);
    // The same, the answer handed to deliver before the segment lets go of its lock: a telegram
    // pushed by whileListening never comes between an answer and the state it leaves.
    void exchange(const TBytes& request, const std::function<void(const TBytes&)>& deliver);
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
    std::optional<TBytes> answerLocked(const TBytes& request);
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

// The gateway on real sockets: a thread that answers datagrams on address:10000 from the sender's
// address. Waits while another test holds the port.
class UdpGateway {
public:
    UdpGateway(Segment& segment, const QString& address, uint16_t port = mbus::Port_Wired_Scan);
    ~UdpGateway();
    // A datagram to the address given, from the gateway's socket.
    void sendTo(const QString& address, uint16_t port, const TBytes& bytes);
    // A telegram the listening radio module heard, to the address that last sent to the gateway;
    // false when the module is not listening (nothing is sent).
    bool push(const TBytes& telegram);

private:
    void run();
    Segment& segment_;
    int fd_ = -1;
    int wake_[2] = {-1, -1};
    std::mutex peerMutex_;
    std::optional<std::vector<uint8_t>> peer_;  // the sender's address, as the socket gave it
    std::thread thread_;
};

// Time that moves only when the engine sleeps; answers due later are delivered as it moves.
struct VirtualTime {
    std::atomic<uint32_t> now{0xFFFFF000u};  // close to the wrap of the counter, which the waits must survive
    std::function<void()> onMove;
    void sleep(uint32_t ms) {
        now += ms;
        if (onMove) onMove();
    }
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
