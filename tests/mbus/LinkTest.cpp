// The UDP endpoint over real loopback sockets, and the scan's line with its answer queue.
#include "FakeGateway.h"
#include "mbus/MBusLink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
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

TEST(UdpEndpoint, ListenerStopsWithoutADatagramAndReopens) {
    Inbox inbox;
    auto ep = plat::createUdpEndpoint();
    ep->open(0, inbox.handler());
    // The listener waits for datagrams without a time-out of its own: close must wake it. A close
    // that waited for a datagram would never return, so the wait is bounded only to end the test.
    auto closing = std::async(std::launch::async, [&] { ep->close(); });
    ASSERT_EQ(closing.wait_for(60s), std::future_status::ready) << "close waits for a datagram";
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

namespace {

// The engine's line over a real socket, with the deliveries of its listener counted: a test waits
// for the listener to have handed a datagram to the link instead of polling the link.
struct CountedLink {
    fake::Traffic traffic;
    TMBusLink link;
    CountedLink() : link(std::make_unique<fake::CountingEndpoint>(plat::createUdpEndpoint(), traffic)) {}
    // Until the listener has delivered `n` datagrams since the link was made; the bound only ends a
    // test whose datagram was lost.
    bool delivered(uint64_t n) {
        std::unique_lock lock(traffic.m);
        return traffic.cv.wait_for(lock, 60s, [&] { return traffic.engineReceived >= n; });
    }
};

}  // namespace

TEST(MBusLink, AnswersOverLoopbackInOrderAndOversizedDatagramsAreDropped) {
    // A stand-in gateway that answers the analyzer command with its text.
    auto gateway = plat::createUdpEndpoint();
    Inbox atGateway;
    gateway->open(0, atGateway.handler());

    CountedLink c;
    TMBusLink& link = c.link;
    link.Open();
    link.Set_IP_Address(kLoopback);
    link.Send_Command(Cmd_Enable_Analyzer.Sent, gateway->localPort());
    const auto cmd = atGateway.next();
    ASSERT_TRUE(cmd.has_value());
    EXPECT_TRUE(Text_Answer_Is(*cmd, Cmd_Enable_Analyzer.Sent));

    // Three datagrams in one burst: the answer queue keeps them all, in order; one too long for the
    // answer buffer is dropped whole and counted.
    const TBytes answer(Cmd_Enable_Analyzer.Answer.begin(), Cmd_Enable_Analyzer.Answer.end());
    gateway->send(kLoopback, link.Local_Port(), answer);
    gateway->send(kLoopback, link.Local_Port(), pattern(TAnswerQueue::Datagram_Size + 1));
    gateway->send(kLoopback, link.Local_Port(), pattern(TAnswerQueue::Datagram_Size));
    gateway->send(kLoopback, link.Local_Port(), TBytes{Single_Char});
    ASSERT_TRUE(c.delivered(4));
    EXPECT_EQ(link.Dropped_Datagrams(), 1u);
    EXPECT_EQ(link.Queued(), 3u);
    EXPECT_EQ(link.Next_Answer(), answer);
    EXPECT_EQ(link.Next_Answer(), pattern(TAnswerQueue::Datagram_Size));
    EXPECT_EQ(link.Next_Answer(), TBytes{Single_Char});
    EXPECT_FALSE(link.Next_Answer().has_value());

    // Closing forgets what was not taken.
    gateway->send(kLoopback, link.Local_Port(), pattern(4));
    ASSERT_TRUE(c.delivered(5));
    link.Close();
    EXPECT_EQ(link.Queued(), 0u);
}

TEST(MBusLink, SendSettlesWhatCameBeforeAndTheWaitRunsFromIt) {
    std::vector<FakeEndpoint::Sent> log;
    uint32_t now = 0xFFFFFFF0u;
    auto fake = std::make_unique<FakeEndpoint>(&log);
    FakeEndpoint* ep = fake.get();
    TMBusLink link(std::move(fake), [&] { return now; });
    link.Set_IP_Address(QStringLiteral("192.168.1.20"));

    // Datagrams before a send answer an earlier exchange: the send drops them as stale.
    link.On_UDP_Read(TBytes{0x01, 0x02});
    link.On_UDP_Read(TBytes{0xE5});
    EXPECT_EQ(link.Queued(), 2u);
    link.Set_TimeOut(TimeOut_Short(2400, 0));
    link.Send_Command(Build_REQ_UD2(5, 0), Port_Wired_Scan);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].host, "192.168.1.20");
    EXPECT_EQ(log[0].port, 10000);
    EXPECT_EQ(log[0].bytes, Build_REQ_UD2(5, 0));
    EXPECT_EQ(link.Start_Send(), 0xFFFFFFF0u);
    EXPECT_EQ(link.Queued(), 0u);
    EXPECT_EQ(link.Stale_Answers(), 2u);
    EXPECT_FALSE(link.Next_Answer().has_value());

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

TEST(MBusLink, AStepTakesTheFirstAnswerItsTestLeavesAndDropsTheStaleOnes) {
    std::vector<FakeEndpoint::Sent> log;
    TMBusLink link(std::make_unique<FakeEndpoint>(&log));
    const TBytes late = fake::rspUd(fake::simpleMeter(1, 0x11111111), fake::hexBytes("04 03 01 00 00 00"), 1);
    const TBytes own = fake::rspUd(fake::simpleMeter(2, 0x22222222), fake::hexBytes("04 03 02 00 00 00"), 2);
    const TBytes later = fake::rspUd(fake::simpleMeter(2, 0x22222222), fake::hexBytes("04 03 03 00 00 00"), 2);
    for (const TBytes& d : {TBytes{Single_Char}, late, own, later}) link.On_UDP_Read(d);
    const auto fromTwo = [](std::span<const uint8_t> d) { return Is_Single_Char(d) || !RSP_UD_From_Address(d, 2); };
    EXPECT_EQ(link.Next_Answer(fromTwo), own);
    EXPECT_EQ(link.Stale_Answers(), 2u);
    EXPECT_EQ(link.Next_Answer(fromTwo), later);  // the next one stays for the next pass
    EXPECT_FALSE(link.Next_Answer(fromTwo).has_value());
}

TEST(MBusLink, AFullQueueDropsItsOldestAndCountsThem) {
    std::vector<FakeEndpoint::Sent> log;
    TMBusLink link(std::make_unique<FakeEndpoint>(&log));
    const size_t n = TAnswerQueue::Capacity + 3;
    for (size_t i = 0; i < n; ++i) link.On_UDP_Read(TBytes{uint8_t(i), uint8_t(i >> 8)});
    EXPECT_EQ(link.Queued(), TAnswerQueue::Capacity);
    EXPECT_EQ(link.Overflowed_Datagrams(), 3u);
    for (size_t i = 3; i < n; ++i) ASSERT_EQ(link.Next_Answer(), (TBytes{uint8_t(i), uint8_t(i >> 8)})) << i;
    EXPECT_FALSE(link.Next_Answer().has_value());
}

TEST(MBusLink, TelegramsAmongAnswersAreHeardInOrderAndNeverTaken) {
    std::vector<FakeEndpoint::Sent> log;
    TMBusLink link(std::make_unique<FakeEndpoint>(&log));
    std::vector<TBytes> heard;
    auto handler = [&](std::span<const uint8_t> t, TRadioModule m) {
        EXPECT_EQ(m, TRadioModule::rmTelit);
        heard.emplace_back(t.begin(), t.end());
    };
    const TBytes one = {0x0A, 0x44, 1, 2, 3, 4, 5, 6, 7, 8, 0x7A, 0x00, 0x50};  // L = 10, length 13
    TBytes two = one;
    two[2] = 9;
    const TBytes ok(Answer_Telit_OK.begin(), Answer_Telit_OK.end());

    // A module answer that came between two telegrams, without a route: all three are answers.
    for (const TBytes& d : {one, ok, two}) link.On_UDP_Read(d);
    EXPECT_EQ(link.Next_Answer(), one);
    link.Settle();
    EXPECT_EQ(link.Stale_Answers(), 2u);

    // Routed: the step takes the OK; the telegrams reach the handler in their order, on the way
    // to the answer or when the next send settles the queue.
    link.Set_Telegram_Route(TRadioModule::rmTelit, handler);
    for (const TBytes& d : {one, ok, two}) link.On_UDP_Read(d);
    EXPECT_EQ(link.Next_Answer(), ok);
    EXPECT_EQ(heard, std::vector<TBytes>{one});
    link.Send_Command(Cmd_Type_Radio_Module, 5000);
    EXPECT_EQ(heard, (std::vector<TBytes>{one, two}));

    // Listening begins with the telegrams queued before it, then takes them as they come; what
    // is no telegram is dropped.
    for (const TBytes& d : {two, ok, one}) link.On_UDP_Read(d);
    heard.clear();
    link.Set_Listening(true);
    EXPECT_EQ(heard, (std::vector<TBytes>{two, one}));
    link.On_UDP_Read(two);
    link.On_UDP_Read(ok);
    EXPECT_EQ(heard, (std::vector<TBytes>{two, one, two}));
    EXPECT_EQ(link.Queued(), 0u);

    // Listening off: datagrams queue for the steps again.
    link.Set_Wireless_Receive(std::nullopt);
    link.On_UDP_Read(one);
    EXPECT_EQ(heard.size(), 3u);
    EXPECT_EQ(link.Next_Answer(), one);

    EXPECT_TRUE(Is_Wireless_Telegram(one, TRadioModule::rmTelit));
    EXPECT_FALSE(Is_Wireless_Telegram(one, TRadioModule::rmRadioCrafts));
    EXPECT_FALSE(Is_Wireless_Telegram({}, TRadioModule::rmTelit));
    EXPECT_FALSE(Is_Wireless_Telegram(TBytes{0xFF}, TRadioModule::rmRadioCrafts));
}

// The listener queues while the scan's thread takes answers and switches listening on: every
// datagram is taken whole, exactly once, and in the order it came, whichever side has it.
TEST(MBusLink, ListenerAndStepTakeEveryDatagramOnceInOrder) {
    std::vector<FakeEndpoint::Sent> log;
    TMBusLink link(std::make_unique<FakeEndpoint>(&log));
    std::mutex m;
    std::vector<uint32_t> taken;
    const auto number = [](std::span<const uint8_t> d) {
        return uint32_t(d[1]) | uint32_t(d[2]) << 8 | uint32_t(d[3]) << 16;
    };
    // Telegrams of the Radiocrafts framing, numbered, each filled with its own length so that a torn
    // datagram shows.
    const auto telegram = [](uint32_t i) {
        const size_t n = 5 + i % 200;
        TBytes t(n, uint8_t(n));
        t[0] = uint8_t(n - 1);
        t[1] = uint8_t(i);
        t[2] = uint8_t(i >> 8);
        t[3] = uint8_t(i >> 16);
        return t;
    };
    const auto whole = [](std::span<const uint8_t> d) {
        for (size_t k = 4; k < d.size(); ++k)
            if (d[k] != uint8_t(d.size())) return false;
        return true;
    };
    link.Set_Telegram_Route(TRadioModule::rmRadioCrafts, [&](std::span<const uint8_t> t, TRadioModule) {
        EXPECT_TRUE(whole(t));
        std::lock_guard lock(m);
        taken.push_back(number(t));
    });
    constexpr uint32_t kCount = 60000;
    std::thread listener([&] {
        for (uint32_t i = 0; i < kCount; ++i) link.On_UDP_Read(telegram(i));
    });
    // The step's side: takes answers (there are none: every datagram is a telegram), and turns
    // listening on and off, as key loads do.
    for (int round = 0; round < 2000; ++round) {
        EXPECT_FALSE(link.Next_Answer().has_value());
        link.Set_Listening(round % 2 == 0);
    }
    listener.join();
    link.Settle();
    link.Set_Listening(true);
    EXPECT_EQ(link.Overflowed_Datagrams() + taken.size(), kCount);
    for (size_t k = 1; k < taken.size(); ++k) ASSERT_LT(taken[k - 1], taken[k]) << k;
    EXPECT_EQ(link.Stale_Answers(), 0u);
}
