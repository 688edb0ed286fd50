#include "FakeGateway.h"

#include <gtest/gtest.h>


#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fake {

using namespace mbus;

TBytes hexBytes(const std::string& text) {
    TBytes out;
    for (size_t i = 0; i + 1 < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(uint8_t(std::stoi(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

TBytes rspUd(const Meter& m, const TBytes& records, uint8_t primary) {
    TBytes body{0x08, primary, m.CI};
    for (int i = 0; i < 4; ++i) body.push_back(uint8_t(m.Ident >> (8 * i)));
    body.push_back(uint8_t(m.Manufacturer));
    body.push_back(uint8_t(m.Manufacturer >> 8));
    body.insert(body.end(), {m.Version, m.Medium, 0x55, 0x00, 0x00, 0x00});
    body.insert(body.end(), records.begin(), records.end());
    TBytes frame{0x68, uint8_t(body.size()), uint8_t(body.size()), 0x68};
    frame.insert(frame.end(), body.begin(), body.end());
    frame.push_back(Frame_Checksum(body));
    frame.push_back(0x16);
    return frame;
}

Meter documentationMeter(uint8_t primary) {
    Meter m;
    m.Primary = primary;
    m.Ident = 0x12345678;
    m.Frames = {hexBytes("03 13 15 31 00 DA 02 3B 13 01 8B 60 04 37 18 02")};
    return m;
}

Meter simpleMeter(uint8_t primary, uint32_t ident, bool more, int frames) {
    Meter m;
    m.Primary = primary;
    m.Ident = ident;
    for (int i = 0; i < frames; ++i) {
        TBytes r = hexBytes("04 03 00 00 00 00");
        r[2] = uint8_t(i + 1);
        r[5] = uint8_t(primary);
        if (more) r.push_back(0x1F);
        m.Frames.push_back(r);
    }
    return m;
}

Meter* Segment::byAddress(uint8_t a) {
    if (a == Address_Selected) return selected_ >= 0 ? &Meters[size_t(selected_)] : nullptr;
    for (Meter& m : Meters)
        if (m.Primary == a) return &m;
    return nullptr;
}

std::optional<TBytes> Segment::answer(const TBytes& q, uint32_t* late) {
    std::lock_guard lock(mutex_);
    return answerLocked(q, late);
}

std::vector<TBytes> Segment::burst(const TBytes& q, uint32_t* late) {
    std::lock_guard lock(mutex_);
    std::vector<TBytes> out;
    if (auto a = answerLocked(q, late)) out.push_back(std::move(*a));
    if (Burst) Burst(std::string(q.begin(), q.end()), out);
    return out;
}

bool Segment::whileListening(const std::function<void()>& deliver) {
    std::lock_guard lock(mutex_);
    if (!configurationOn_ || !listening_) return false;
    deliver();
    return true;
}

namespace {

std::optional<TBytes> textReply(std::string_view t) {
    return TBytes(t.begin(), t.end());
}

}  // namespace

std::optional<TBytes> Segment::answerLocked(const TBytes& q, uint32_t* late) {
    received_.push_back(q);
    if (late) *late = Delay_Ms;
    const std::string text(q.begin(), q.end());
    const auto reply = textReply;
    if (text == Cmd_Enable_Configuration.Sent || text == Cmd_Disable_Configuration.Sent) {
        const bool on = text == Cmd_Enable_Configuration.Sent;
        if (Configuration == Mode::Silent) return std::nullopt;
        if (Configuration == Mode::Refuse) return reply("\n\rUnknown command\n\r");
        configurationOn_ = on;
        listening_ = false;
        telitCommandMode_ = false;
        rcState_ = RcState::Data;
        return reply(on ? Cmd_Enable_Configuration.Answer : Cmd_Disable_Configuration.Answer);
    }
    if (configurationOn_) {
        if (text == Cmd_Type_Radio_Module) {
            if (Module == Radio::Telit) return reply(Answer_Telit);
            if (Module == Radio::RadioCrafts) return reply(Answer_RadioCrafts);
            return reply("\n\rNONE\n\r");
        }
        if (Module == Radio::Telit) return telit(text);
        if (Module == Radio::RadioCrafts) return radioCrafts(q);
        return std::nullopt;
    }
    if (text == Cmd_Enable_Analyzer.Sent) {
        if (Analyzer == Mode::Silent) return std::nullopt;
        if (Analyzer == Mode::Refuse) return reply("\n\rUnknown command\n\r");
        analyzerOn_ = true;
        return reply(Cmd_Enable_Analyzer.Answer);
    }
    if (text == Cmd_Disable_Analyzer.Sent) {
        if (Analyzer == Mode::Silent) return std::nullopt;
        if (Analyzer == Mode::Refuse) return reply("\n\rUnknown command\n\r");
        analyzerOn_ = false;
        return reply(Cmd_Disable_Analyzer.Answer);
    }
    if (q.size() == 17 && text.starts_with(Serial_Settings_Prefix)) {
        if (!analyzerOn_) return std::nullopt;
        return reply(Answer_Serial_Settings);
    }
    if (!analyzerOn_) return std::nullopt;  // nothing reaches the line

    const TBytes e5{Single_Char};
    // SND_NKE and application reset: the addressed meter starts its frames again.
    if ((q.size() == 5 && q[0] == Short_Start && q[1] == 0x40) ||
        (q.size() == 9 && q[0] == Long_Start && q[1] == 0x03 && q[6] == 0x50)) {
        Meter* m = byAddress(q.size() == 5 ? q[2] : q[5]);
        if (!m) return std::nullopt;
        m->Next_Frame = 0;
        return e5;
    }
    if (q.size() == 5 && q[0] == Short_Start && (q[1] == 0x7B || q[1] == 0x5B)) {
        reqUd2C_.push_back(q[1]);
        Meter* m = byAddress(q[2]);
        if (!m || m->Frames.empty()) return std::nullopt;
        if (m->Silent_After >= 0 && m->Answered >= m->Silent_After) return std::nullopt;
        ++m->Answered;
        if (late && m->Answered > m->Late_After) *late = std::max(Delay_Ms, m->Late_Ms);
        if (m->Short_Answer) return rspUd(*m, {}, m->Primary);
        const TBytes& records = m->Frames[m->Next_Frame % m->Frames.size()];
        ++m->Next_Frame;
        TBytes frame = rspUd(*m, records, m->Primary);
        if (m->Corrupt) ++frame[frame.size() - 2];
        return frame;
    }
    if (q.size() == 17 && q[0] == Long_Start && q[1] == 0x0B && q[6] == 0x52) {
        std::string digits;
        const uint8_t id[4] = {q[10], q[9], q[8], q[7]};
        for (uint8_t b : id)
            for (int nibble : {b >> 4, b & 0x0F}) digits += nibble == 0xF ? 'F' : char('0' + nibble);
        selections_.push_back(digits);
        std::vector<int> matches;
        for (size_t i = 0; i < Meters.size(); ++i) {
            bool match = true;
            for (int d = 0; d < 8; ++d) {
                const int nibble = int(Meters[i].Ident >> (4 * (7 - d))) & 0x0F;
                if (digits[size_t(d)] != 'F' && digits[size_t(d)] - '0' != nibble) match = false;
            }
            if (match) matches.push_back(int(i));
        }
        selected_ = matches.size() == 1 ? matches[0] : -1;
        if (matches.empty()) return reply(Answer_No_Slave);
        if (matches.size() == 1) {
            Meters[size_t(selected_)].Next_Frame = 0;
            return e5;
        }
        return TBytes{0xE5, 0x3F, 0x68, 0xA1};  // several answers on top of each other
    }
    return std::nullopt;
}

std::optional<TBytes> Segment::telit(const std::string& line) {
    const std::string_view ok = Ok_Without_Cr ? std::string_view("OK") : Answer_Telit_OK;
    if (line == "+++") {
        telitLines_.push_back(line);
        telitCommandMode_ = true;
        listening_ = false;
        return textReply(ok);
    }
    if (!telitCommandMode_) return std::nullopt;  // data mode: the module would send it over the air
    if (line.size() < 3 || !line.starts_with("AT") || line.back() != '\r') return textReply("ERROR\r");
    telitLines_.push_back(line);
    if (line == "ATO\r") {
        telitCommandMode_ = false;
        listening_ = true;
        return textReply(ok);
    }
    int reg = 0, value = 0;
    if (std::sscanf(line.c_str(), "ATS%d=%d", &reg, &value) == 2) {
        if (Refuse_Keys && reg >= 460 && reg < 486) return textReply("ERROR\r");
        telitRegisters_[reg] = value;
        if (reg == 460) {
            // The key is complete: the meter's address and key registers make one table entry.
            LoadedKey k;
            for (int r : {463, 464, 465, 466, 461, 462, 467, 468}) k.Address.push_back(uint8_t(telitRegisters_[r]));
            for (int r = 470; r < 486; ++r) k.Key.push_back(uint8_t(telitRegisters_[r]));
            keysLoaded_.push_back(k);
        }
    }
    return textReply(ok);
}

std::optional<TBytes> Segment::radioCrafts(const TBytes& q) {
    radioBytes_.push_back(q);
    const TBytes prompt{RC_Prompt};
    switch (rcState_) {
    case RcState::Data:
        if (q == TBytes{RC_Config}) {
            rcState_ = RcState::Menu;
            listening_ = false;
            return prompt;
        }
        return std::nullopt;  // sent over the air
    case RcState::Menu:
        if (q.size() != 1) return std::nullopt;
        switch (q[0]) {
        case RC_Read_Memory: {
            TBytes memory(rcMemory_.begin(), rcMemory_.end());
            if (!Short_Memory) memory.push_back(RC_Prompt);
            return memory;
        }
        case RC_Write_Memory: rcState_ = RcState::Memory; return prompt;
        case RC_Table_Address:
        case RC_Table_Key:
        case RC_Table_Flags:
            rcTable_ = q[0];
            rcState_ = RcState::Slot;
            return prompt;
        case RC_Exit:
            rcState_ = RcState::Data;
            listening_ = true;
            return std::nullopt;
        default: return std::nullopt;
        }
    case RcState::Memory:
        if (q == TBytes{RC_End_Memory}) {
            rcState_ = RcState::Menu;
            return prompt;
        }
        for (size_t i = 0; i + 1 < q.size(); i += 2) rcMemory_[q[i]] = q[i + 1];
        return std::nullopt;
    case RcState::Slot:
        rcSlot_ = q.size() == 1 ? q[0] : -1;
        rcState_ = RcState::Table;
        return std::nullopt;
    case RcState::Table:
        rcState_ = RcState::Menu;
        if (rcTable_ == RC_Table_Address && q.size() == 8) rcAddresses_[rcSlot_] = q;
        if (rcTable_ == RC_Table_Key && q.size() == 16) keysLoaded_.push_back({rcSlot_, rcAddresses_[rcSlot_], q});
        return prompt;
    }
    return std::nullopt;
}

bool Segment::configurationOn() {
    std::lock_guard lock(mutex_);
    return configurationOn_;
}

bool Segment::radioListening() {
    std::lock_guard lock(mutex_);
    return configurationOn_ && listening_;
}

std::vector<std::string> Segment::telitLines() {
    std::lock_guard lock(mutex_);
    return telitLines_;
}

std::vector<TBytes> Segment::radioBytes() {
    std::lock_guard lock(mutex_);
    return radioBytes_;
}

std::vector<LoadedKey> Segment::keysLoaded() {
    std::lock_guard lock(mutex_);
    return keysLoaded_;
}

std::vector<TBytes> Segment::received() {
    std::lock_guard lock(mutex_);
    return received_;
}

std::vector<uint8_t> Segment::reqUd2C() {
    std::lock_guard lock(mutex_);
    return reqUd2C_;
}

std::vector<std::string> Segment::selections() {
    std::lock_guard lock(mutex_);
    return selections_;
}

int Segment::count(std::string_view text) {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const TBytes& b : received_)
        if (std::string_view(reinterpret_cast<const char*>(b.data()), b.size()) == text) ++n;
    return n;
}

bool Segment::analyzerOn() {
    std::lock_guard lock(mutex_);
    return analyzerOn_;
}

// ---------------------------------------------------------------------------------------------

namespace {

sockaddr_in addressOf(const QString& address, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    ::inet_pton(AF_INET, address.toLatin1().constData(), &a.sin_addr);
    return a;
}

}  // namespace

void Traffic::add(uint64_t Traffic::*field) {
    {
        std::lock_guard lock(m);
        ++(this->*field);
    }
    cv.notify_all();
}

bool Traffic::waitQuiet(std::chrono::milliseconds bound) {
    std::unique_lock lock(m);
    return cv.wait_for(lock, bound, [&] { return engineSent == gatewayTaken && gatewaySent == engineReceived; });
}

void QuietClock::sleep(uint32_t ms) {
    // A generous bound: on loopback a datagram under way arrives within milliseconds however loaded
    // the machine is; only a lost one runs into it, and then the test says so.
    if (scanning && scanning() && !traffic.waitQuiet(std::chrono::seconds(60))) stuck = true;
    now += ms;
    if (onMove) onMove();
    {
        std::lock_guard lock(passMutex_);
        ++passes_;
    }
    passed_.notify_all();
    // Virtual time costs no real time: the engine's thread lets the others run between its passes.
    std::this_thread::yield();
}

bool QuietClock::waitFor(const std::function<bool()>& pred, std::chrono::milliseconds bound) {
    std::unique_lock lock(passMutex_);
    return passed_.wait_for(lock, bound, pred);
}


void CountingEndpoint::open(uint16_t localPort, DatagramHandler handler) {
    inner_->open(localPort, [this, handler = std::move(handler)](std::span<const uint8_t> d) {
        handler(d);
        traffic_.add(&Traffic::engineReceived);
    });
}

void CountingEndpoint::send(const QString& host, uint16_t port, std::span<const uint8_t> bytes) {
    const int from = failFrom;
    if (from >= 0 && sends_ >= from) throw plat::SocketError(QStringLiteral("UDP send failed: Network is unreachable (101)"));
    inner_->send(host, port, bytes);
    ++sends_;
    // A datagram to a port no gateway listens on is never taken: it is not under way.
    bool toGateway = false;
    {
        std::lock_guard lock(traffic_.m);
        toGateway = std::find(traffic_.ports.begin(), traffic_.ports.end(), port) != traffic_.ports.end();
    }
    if (toGateway) traffic_.add(&Traffic::engineSent);
}

HeldPort::HeldPort(const QString& address, uint16_t port) : fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
    const sockaddr_in a = addressOf(address, port);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) ADD_FAILURE() << "cannot hold port " << port;
}

HeldPort::~HeldPort() {
    ::close(fd);
}

uint16_t HeldPort::port() const {
    sockaddr_in a{};
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    return ntohs(a.sin_port);
}


UdpGateway::UdpGateway(Segment& segment, const QString& address, uint16_t port, Traffic* traffic,
                       const std::atomic<uint32_t>* clock)
    : segment_(segment), traffic_(traffic), clock_(clock) {
    if (traffic_) {
        std::lock_guard lock(traffic_->m);
        traffic_->ports.push_back(port);
    }
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const sockaddr_in a = addressOf(address, port);
    // Another test of this program may hold the port: wait for it to end.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (::bind(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        if (errno != EADDRINUSE || std::chrono::steady_clock::now() > deadline) {
            ADD_FAILURE() << "the fake gateway cannot bind " << address.toStdString() << ": " << errno;
            break;
        }
        ::poll(nullptr, 0, 20);
    }
    if (::pipe2(wake_, O_CLOEXEC) != 0) ADD_FAILURE() << "no pipe";
    thread_ = std::thread([this] { run(); });
}

UdpGateway::~UdpGateway() {
    const char stop = 1;
    [[maybe_unused]] const ssize_t n = ::write(wake_[1], &stop, 1);
    thread_.join();
    ::close(fd_);
    ::close(wake_[0]);
    ::close(wake_[1]);
}

void UdpGateway::sendCounted(const void* to, unsigned toLength, const TBytes& bytes) {
    // Counted before it leaves, so that the engine's side can never be seen ahead of it.
    if (traffic_) traffic_->add(&Traffic::gatewaySent);
    ::sendto(fd_, bytes.data(), bytes.size(), 0, static_cast<const sockaddr*>(to), socklen_t(toLength));
}

void UdpGateway::sendTo(const QString& address, uint16_t port, const TBytes& bytes) {
    const sockaddr_in to = addressOf(address, port);
    sendCounted(&to, sizeof to, bytes);
}

bool UdpGateway::push(const TBytes& telegram) {
    return segment_.whileListening([&] {
        std::lock_guard lock(peerMutex_);
        if (!peer_) return;
        sendCounted(peer_->data(), unsigned(peer_->size()), telegram);
    });
}

void UdpGateway::deliverDue() {
    if (!clock_) return;
    std::lock_guard lock(dueMutex_);
    while (!due_.empty() && int32_t(clock_->load() - std::get<0>(due_.front())) >= 0) {
        const auto& [at, to, bytes] = due_.front();
        sendCounted(to.data(), unsigned(to.size()), bytes);
        due_.pop_front();
    }
}

void UdpGateway::run() {
    std::vector<uint8_t> buffer(plat::UdpEndpoint::Max_Datagram);
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    for (;;) {
        fds[0].revents = fds[1].revents = 0;
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        if (!(fds[0].revents & POLLIN)) continue;
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n = ::recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 0) continue;
        {
            std::lock_guard lock(peerMutex_);
            const auto* p = reinterpret_cast<const uint8_t*>(&from);
            peer_ = std::vector<uint8_t>(p, p + len);
        }
        uint32_t late = 0;
        const std::vector<TBytes> out = segment_.burst(TBytes(buffer.begin(), buffer.begin() + n), &late);
        if (late > 0 && clock_) {
            // Late on the test's clock: sent when the clock passes its time.
            std::lock_guard lock(dueMutex_);
            const auto* f = reinterpret_cast<const uint8_t*>(&from);
            for (const TBytes& a : out) due_.emplace_back(clock_->load() + late, std::vector<uint8_t>(f, f + len), a);
        } else {
            if (late > 0 && !out.empty()) {
                // Late in real time: the wait is cut short by the end of the test.
                pollfd w{wake_[0], POLLIN, 0};
                if (::poll(&w, 1, int(late)) > 0) return;
            }
            for (const TBytes& a : out) sendCounted(&from, len, a);
        }
        if (traffic_) traffic_->add(&Traffic::gatewayTaken);
    }
}

// ---------------------------------------------------------------------------------------------

void FakeLine::open(uint16_t, DatagramHandler h) {
    handler = std::move(h);
    open_ = true;
}

void FakeLine::send(const QString&, uint16_t, std::span<const uint8_t> bytes) {
    if (failSends) throw plat::SocketError(QStringLiteral("UDP send failed: test"));
    ++sends;
    const TBytes q(bytes.begin(), bytes.end());
    uint32_t late = 0;
    for (const TBytes& a : segment.burst(q, &late)) {
        if (late == 0) handler(a);
        else due.emplace_back(time.now + late, a);
    }
}

void FakeLine::deliver() {
    while (!due.empty() && int32_t(time.now - due.front().first) >= 0) {
        handler(due.front().second);
        due.pop_front();
    }
}

bool FakeLine::push(const TBytes& telegram) {
    return segment.whileListening([&] { handler(telegram); });
}

}  // namespace fake
