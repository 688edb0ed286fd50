// The scan engine's receive path: 100,000 datagrams handed to the line as its listener does, and
// taken by a waiting step with its stale test, against the peer: the single answer slot the line
// had before (a guarded 2051-byte buffer that keeps the latest datagram and a flag), stored and
// read the same way. Both report the time a datagram.
//
// Datagrams: the answers a wired scan meets (E5, long frames of 30 to 250 bytes, NO_SLAVE) and
// wireless telegrams, in a fixed mix. "Burst" variants hand 200 datagrams before the step takes
// them, as a gateway does that forwards what its radio heard; the slot keeps only the last.
#include "mbus/MBusFrames.h"
#include "mbus/MBusLink.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

constexpr size_t kDatagrams = 100000;
constexpr size_t kBurst = 200;

using Bytes = std::vector<uint8_t>;

Bytes rspUd(uint8_t address, size_t records) {
    Bytes body = {0x08, address, 0x72, 0x78, 0x56, 0x34, 0x12, 0x24, 0x40, 0x01, 0x07, 0x55, 0x00, 0x00, 0x00};
    for (size_t i = 0; i < records; ++i) body.push_back(uint8_t(i * 7));
    Bytes f = {0x68, uint8_t(body.size()), uint8_t(body.size()), 0x68};
    f.insert(f.end(), body.begin(), body.end());
    f.push_back(mbus::Frame_Checksum(body));
    f.push_back(0x16);
    return f;
}

const std::vector<Bytes>& datagrams() {
    static const std::vector<Bytes> all = [] {
        std::vector<Bytes> v;
        v.reserve(kDatagrams);
        const Bytes telegram = {0x14, 0x44, 0x2D, 0x2C, 0x78, 0x56, 0x34, 0x12, 0x01, 0x07, 0x7A, 0x2A,
                                0x00, 0x00, 0x00, 0x04, 0x13, 0x10, 0x27, 0x00, 0x00, 0x00, 0x50};
        const Bytes noSlave(mbus::Answer_No_Slave.begin(), mbus::Answer_No_Slave.end());
        for (size_t i = 0; i < kDatagrams; ++i) {
            switch (i % 5) {
            case 0: v.push_back({mbus::Single_Char}); break;
            case 1: v.push_back(rspUd(uint8_t(i % 251), 10 + i % 230)); break;
            case 2: v.push_back(telegram); break;
            case 3: v.push_back(noSlave); break;
            default: v.push_back(rspUd(uint8_t(i % 251), 16)); break;
            }
        }
        return v;
    }();
    return all;
}

// No network: the bench hands the datagrams to the line itself.
class NullEndpoint final : public plat::UdpEndpoint {
public:
    void open(uint16_t, DatagramHandler) override { open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    uint16_t localPort() const override { return 0; }
    void send(const QString&, uint16_t, std::span<const uint8_t>) override {}

private:
    bool open_ = false;
};

// The peer: the single answer slot, as the line kept its answer before.
class LatestSlot {
public:
    bool Store(std::span<const uint8_t> d) {
        if (d.size() > buffer_.size()) return false;
        std::lock_guard lock(mutex_);
        std::memcpy(buffer_.data(), d.data(), d.size());
        length_ = d.size();
        arrived_ = true;
        return true;
    }
    bool Read(Bytes& out) {
        std::lock_guard lock(mutex_);
        if (!arrived_) return false;
        out.assign(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(length_));
        arrived_ = false;
        return true;
    }

private:
    std::mutex mutex_;
    std::array<uint8_t, mbus::Answer_Buffer_Size> buffer_{};
    size_t length_ = 0;
    bool arrived_ = false;
};

// The stale test of a primary scan's REQ_UD2 wait for address 7.
bool staleForSeven(std::span<const uint8_t> d) {
    return mbus::Is_Single_Char(d) || mbus::Is_No_Slave(d) || (mbus::Is_RSP_UD(d) && !mbus::RSP_UD_From_Address(d, 7));
}

void report(benchmark::State& state, size_t taken) {
    // The time a datagram: shown in seconds with their prefix.
    state.counters["per_datagram"] = benchmark::Counter(double(kDatagrams) * double(state.iterations()),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["taken"] = double(taken);
}

void queueLink(benchmark::State& state, size_t burst, bool withTest) {
    const auto& all = datagrams();
    mbus::TMBusLink link(std::make_unique<NullEndpoint>());
    const mbus::TMBusLink::StaleTest test = withTest ? mbus::TMBusLink::StaleTest(staleForSeven) : nullptr;
    size_t taken = 0;
    for (auto _ : state) {
        taken = 0;
        for (size_t i = 0; i < all.size(); i += burst) {
            const size_t end = std::min(all.size(), i + burst);
            for (size_t k = i; k < end; ++k) link.On_UDP_Read(all[k]);
            while (const auto a = link.Next_Answer(test)) {
                benchmark::DoNotOptimize(a->data());
                ++taken;
            }
        }
    }
    report(state, taken);
}

void latestSlot(benchmark::State& state, size_t burst) {
    const auto& all = datagrams();
    LatestSlot slot;
    Bytes answer;
    size_t taken = 0;
    for (auto _ : state) {
        taken = 0;
        for (size_t i = 0; i < all.size(); i += burst) {
            const size_t end = std::min(all.size(), i + burst);
            for (size_t k = i; k < end; ++k) slot.Store(all[k]);
            if (slot.Read(answer)) {
                benchmark::DoNotOptimize(answer.data());
                ++taken;
            }
        }
    }
    report(state, taken);
}

void BM_Peer_LatestSlot_OneByOne(benchmark::State& state) { latestSlot(state, 1); }
void BM_Queue_OneByOne(benchmark::State& state) { queueLink(state, 1, false); }
void BM_Queue_OneByOne_StaleTest(benchmark::State& state) { queueLink(state, 1, true); }
void BM_Peer_LatestSlot_Burst(benchmark::State& state) { latestSlot(state, kBurst); }
void BM_Queue_Burst(benchmark::State& state) { queueLink(state, kBurst, false); }
void BM_Queue_Burst_StaleTest(benchmark::State& state) { queueLink(state, kBurst, true); }

}  // namespace

BENCHMARK(BM_Peer_LatestSlot_OneByOne)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Queue_OneByOne)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Queue_OneByOne_StaleTest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_LatestSlot_Burst)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Queue_Burst)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Queue_Burst_StaleTest)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
