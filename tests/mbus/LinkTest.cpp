// The UDP endpoint over real loopback sockets, and the scan's line with its answer slot.
#include "mbus/MBusLink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

using namespace mbus;
using namespace std::chrono_literals;

namespace {

const QString kLoopback = QStringLiteral("127.0.0.1");

// Collects what a listener delivers; waits on a condition, never sleeps.
struct Inbox {
    std::mutex m;
    std::condition_variable cv;
    std::deque<TBytes> got;

    plat::UdpEndpoint::DatagramHandler handler() {
        return [this](std::span<const uint8_t> d) {
            std::lock_guard lock(m);
            got.emplace_back(d.begin(), d.end());
            cv.notify_all();
        };
    }
    std::optional<TBytes> next(std::chrono::milliseconds wait = 3s) {
        std::unique_lock lock(m);
        if (!cv.wait_for(lock, wait, [&] { return !got.empty(); })) return std::nullopt;
        TBytes d = std::move(got.front());
        got.pop_front();
        return d;
    }
};

TBytes pattern(size_t n) {
    TBytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = uint8_t(i * 7 + i / 251);
    return b;
}

// Records sends; no network.
class FakeEndpoint final : public plat::UdpEndpoint {
public:
    struct Sent {
        QString host;
        uint16_t port;
        TBytes bytes;
    };
    std::vector<Sent>* log;
    bool fail = false;
    bool open_ = false;
    explicit FakeEndpoint(std::vector<Sent>* l) : log(l) {}
    void open(uint16_t, DatagramHandler) override { open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    uint16_t localPort() const override { return 0; }
    void send(const QString& host, uint16_t port, std::span<const uint8_t> bytes) override {
        if (fail) throw plat::SocketError(QStringLiteral("UDP send failed"));
        log->push_back({host, port, TBytes(bytes.begin(), bytes.end())});
    }
};

}  // namespace

TEST(UdpEndpoint, LargestDatagramArrivesIntactAndLongerOnesAreDropped) {
    Inbox inbox;
    auto receiver = plat::createUdpEndpoint();
    receiver->open(0, inbox.handler());
    ASSERT_TRUE(receiver->isOpen());
    ASSERT_NE(receiver->localPort(), 0);
    auto sender = plat::createUdpEndpoint();
    sender->open(0, {});

    const TBytes largest = pattern(plat::UdpEndpoint::Max_Datagram);
    sender->send(kLoopback, receiver->localPort(), largest);
    const auto got = inbox.next();
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, largest);

    // One byte more cannot be taken whole; the listener drops it and goes on with the next.
    sender->send(kLoopback, receiver->localPort(), pattern(plat::UdpEndpoint::Max_Datagram + 1));
    sender->send(QStringLiteral("localhost"), receiver->localPort(), pattern(5));
    const auto after = inbox.next();
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(*after, pattern(5));
    EXPECT_FALSE(inbox.next(50ms).has_value());
}

TEST(UdpEndpoint, ListenerStopsPromptlyAndReopens) {
    Inbox inbox;
    auto ep = plat::createUdpEndpoint();
    ep->open(0, inbox.handler());
    const auto t0 = std::chrono::steady_clock::now();
    ep->close();
    const auto took = std::chrono::steady_clock::now() - t0;
    EXPECT_LT(took, 100ms);
    EXPECT_FALSE(ep->isOpen());
    ep->close();  // a second close does nothing

    ep->open(0, inbox.handler());
    auto sender = plat::createUdpEndpoint();
    sender->open(0, {});
    sender->send(kLoopback, ep->localPort(), pattern(3));
    EXPECT_TRUE(inbox.next().has_value());
}

TEST(UdpEndpoint, SendFailuresAreReported) {
    auto ep = plat::createUdpEndpoint();
    EXPECT_THROW(ep->send(kLoopback, 9, pattern(1)), plat::SocketError);  // not open
    ep->open(0, {});
    EXPECT_THROW(ep->send(QStringLiteral("no.such.host.invalid"), 9, pattern(1)), plat::SocketError);
    auto other = plat::createUdpEndpoint();
    EXPECT_THROW(other->open(ep->localPort(), {}), plat::SocketError);  // port taken
}

// A handler that throws loses its datagram only: the listener goes on and counts the failure,
// whatever was thrown, and prints nothing.
TEST(UdpEndpoint, AThrowingHandlerDoesNotStopTheListener) {
    Inbox inbox;
    int calls = 0;
    auto ep = plat::createUdpEndpoint();
    ep->open(0, [&](std::span<const uint8_t> d) {
        ++calls;
        if (calls == 1) throw std::runtime_error("handler failure");
        if (calls == 2) throw 42;
        inbox.handler()(d);
    });
    EXPECT_EQ(ep->handlerFailures(), 0u);
    auto sender = plat::createUdpEndpoint();
    sender->open(0, {});
    for (size_t n : {1, 2, 3}) sender->send(kLoopback, ep->localPort(), pattern(n));
    const auto got = inbox.next();
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->size(), 3u);
    EXPECT_EQ(ep->handlerFailures(), 2u);  // the listener counted both before it took the third
    EXPECT_EQ(sender->handlerFailures(), 0u);
}

TEST(MBusLink, AnswerOverLoopbackAndOversizedDatagramIsDropped) {
    // A stand-in gateway that answers the analyzer command with its text.
    auto gateway = plat::createUdpEndpoint();
    Inbox atGateway;
    gateway->open(0, atGateway.handler());

    TMBusLink link(plat::createUdpEndpoint());
    link.Open();
    link.Set_IP_Address(kLoopback);
    link.Send_Command(Cmd_Enable_Analyzer.Sent, gateway->localPort());
    const auto cmd = atGateway.next();
    ASSERT_TRUE(cmd.has_value());
    EXPECT_TRUE(Text_Answer_Is(*cmd, Cmd_Enable_Analyzer.Sent));

    const TBytes answer(Cmd_Enable_Analyzer.Answer.begin(), Cmd_Enable_Analyzer.Answer.end());
    gateway->send(kLoopback, link.Local_Port(), answer);
    // The listener thread fills the slot; wait for it through the link's own flag.
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (!link.Answer_Arrived() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    TAnswerSlot::TAnswer got = link.Read_Answer();
    ASSERT_TRUE(got.Arrived);
    EXPECT_TRUE(Text_Answer_Is(got.Bytes, Cmd_Enable_Analyzer.Answer));

    // Larger than the answer buffer, though the endpoint takes it: dropped, the slot unchanged.
    link.Send_Command(Cmd_Disable_Analyzer.Sent, gateway->localPort());
    EXPECT_FALSE(link.Answer_Arrived());
    gateway->send(kLoopback, link.Local_Port(), pattern(TAnswerSlot::Capacity + 1));
    while (link.Dropped_Datagrams() == 0 && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    EXPECT_EQ(link.Dropped_Datagrams(), 1u);
    got = link.Read_Answer();
    EXPECT_FALSE(got.Arrived);
    EXPECT_EQ(got.Bytes, answer);

    // Exactly the buffer's size still fits.
    gateway->send(kLoopback, link.Local_Port(), pattern(TAnswerSlot::Capacity));
    while (!link.Answer_Arrived() && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
    EXPECT_EQ(link.Read_Answer().Bytes, pattern(TAnswerSlot::Capacity));

    const auto t0 = std::chrono::steady_clock::now();
    link.Close();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 100ms);
}

TEST(MBusLink, SendClearsTheArrivalAndTheLatestAnswerWins) {
    std::vector<FakeEndpoint::Sent> log;
    uint32_t now = 0xFFFFFFF0u;
    auto fake = std::make_unique<FakeEndpoint>(&log);
    FakeEndpoint* ep = fake.get();
    TMBusLink link(std::move(fake), [&] { return now; });
    link.Set_IP_Address(QStringLiteral("192.168.1.20"));

    link.On_UDP_Read(TBytes{0x01, 0x02});
    link.On_UDP_Read(TBytes{0xE5});
    auto a = link.Read_Answer();
    EXPECT_TRUE(a.Arrived);
    EXPECT_EQ(a.Bytes, TBytes{0xE5});

    link.Set_TimeOut(TimeOut_Short(2400, 0));
    link.Send_Command(Build_REQ_UD2(5, 0), Port_Wired_Scan);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].host, "192.168.1.20");
    EXPECT_EQ(log[0].port, 10000);
    EXPECT_EQ(log[0].bytes, Build_REQ_UD2(5, 0));
    EXPECT_EQ(link.Start_Send(), 0xFFFFFFF0u);
    a = link.Read_Answer();
    EXPECT_FALSE(a.Arrived);
    EXPECT_EQ(a.Bytes, TBytes{0xE5});  // the bytes stay, only the flag is cleared

    // The wait runs across the counter's wrap.
    now = 0xFFFFFFF0u + 587;
    EXPECT_FALSE(link.Check_TimeOut());
    now = 0xFFFFFFF0u + 588;
    EXPECT_TRUE(link.Check_TimeOut());

    // A failed send propagates and leaves the send time as it was.
    ep->fail = true;
    now = 5;
    EXPECT_THROW(link.Send_Command(Cmd_Enable_Analyzer.Sent, 10000), plat::SocketError);
    EXPECT_EQ(link.Start_Send(), 0xFFFFFFF0u);
}

TEST(MBusLink, ListeningRadioRoutesWholeTelegramsOnly) {
    std::vector<FakeEndpoint::Sent> log;
    TMBusLink link(std::make_unique<FakeEndpoint>(&log));
    std::vector<std::pair<TBytes, TRadioModule>> telegrams;
    auto handler = [&](std::span<const uint8_t> t, TRadioModule m) { telegrams.push_back({TBytes(t.begin(), t.end()), m}); };

    const TBytes telit = {0x03, 0x44, 0x01, 0x02, 0x03, 0x50};  // L = 3, length 6
    const TBytes crafts = {0x03, 0x44, 0x01, 0x02};             // L = 3, length 4

    link.Set_Wireless_Receive(TRadioModule::rmTelit, handler);
    link.On_UDP_Read(telit);
    link.On_UDP_Read(crafts);  // wrong length for this module: dropped
    link.Set_Wireless_Receive(TRadioModule::rmRadioCrafts, handler);
    link.On_UDP_Read(crafts);
    link.On_UDP_Read(telit);
    ASSERT_EQ(telegrams.size(), 2u);
    EXPECT_EQ(telegrams[0].first, telit);
    EXPECT_EQ(telegrams[0].second, TRadioModule::rmTelit);
    EXPECT_EQ(telegrams[1].first, crafts);
    EXPECT_EQ(telegrams[1].second, TRadioModule::rmRadioCrafts);
    EXPECT_FALSE(link.Answer_Arrived());  // telegrams are not answers

    // Listening off: the same datagram is an answer again.
    link.Set_Wireless_Receive(std::nullopt);
    link.On_UDP_Read(crafts);
    EXPECT_TRUE(link.Answer_Arrived());
    EXPECT_EQ(telegrams.size(), 2u);

    EXPECT_TRUE(Is_Wireless_Telegram(telit, TRadioModule::rmTelit));
    EXPECT_FALSE(Is_Wireless_Telegram({}, TRadioModule::rmTelit));
    EXPECT_FALSE(Is_Wireless_Telegram(TBytes{0xFF}, TRadioModule::rmRadioCrafts));
}

TEST(AnswerSlot, AReaderNeverSeesHalfADatagram) {
    // Each datagram is filled with its own length; a torn read would mix two of them.
    TAnswerSlot slot;
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (size_t i = 0; !stop; ++i) {
            const size_t n = 1 + (i * 997) % TAnswerSlot::Capacity;
            slot.Store(TBytes(n, uint8_t(n)), true);
        }
    });
    size_t bad = 0;
    for (int r = 0; r < 20000; ++r) {
        const auto a = slot.Read();
        for (uint8_t b : a.Bytes)
            if (b != uint8_t(a.Bytes.size())) {
                ++bad;
                break;
            }
    }
    stop = true;
    writer.join();
    EXPECT_EQ(bad, 0u);
}
