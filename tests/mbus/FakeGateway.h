#pragma once
// A fake gateway in analyzer mode with a scripted M-Bus segment of meters behind it. The same
// logic answers the engine over a fake line (virtual time, no socket) and over real loopback
// sockets (a responder thread on port 10000).
#include "mbus/MBusFrames.h"
#include "platform/UdpEndpoint.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
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

class Segment {
public:
    enum class Mode { Accept, Refuse, Silent };

    Mode Analyzer = Mode::Accept;
    uint32_t Delay_Ms = 0;  // every answer this late
    std::vector<Meter> Meters;

    // The answer to one datagram, nothing when none comes. Records what it saw.
    std::optional<TBytes> answer(const TBytes& request);

    // What was seen, under the lock (the responder thread writes it).
    std::vector<TBytes> received();
    std::vector<uint8_t> reqUd2C();
    std::vector<std::string> selections();  // the eight digits of each selection, F for a wildcard
    int count(std::string_view text);       // datagrams equal to the text
    bool analyzerOn();

private:
    Meter* byAddress(uint8_t a);
    std::mutex mutex_;
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

private:
    void run();
    Segment& segment_;
    int fd_ = -1;
    int wake_[2] = {-1, -1};
    std::thread thread_;
};

}  // namespace fake
