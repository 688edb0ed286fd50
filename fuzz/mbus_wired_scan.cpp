// The wired scan's step machine over a line whose answers come from the fuzzer's bytes: whatever
// the gateway and the meters answer, the scan must end in a bounded number of steps.
//
// Input: byte 0 the scan type and options, byte 1 Cut_After, byte 2 the pass at which the window
// asks for a stop (odd) or an abort (even) when bit 5 of byte 0 is set, then one answer a send while bytes
// remain: a control byte (bit 7: a gateway command gets its right answer; bits 0-2: 0 none, 1 E5,
// 2 NO_SLAVE, 3 raw bytes, 4 an RSP_UD around the records that follow, 5 a late answer), and for
// 3 and 4 a length byte and that many bytes. After the bytes run out the line is silent.
#include "mbus/MBusFrames.h"
#include "mbus/MBusMeters.h"
#include "mbus/UMBusScanDecode.h"

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <span>
#include <string_view>

namespace {

struct Input {
    std::span<const uint8_t> d;
    size_t at = 0;
    bool more() const { return at < d.size(); }
    uint8_t byte() { return at < d.size() ? d[at++] : 0; }
    mbus::TBytes bytes(size_t n) {
        n = std::min(n, d.size() - at);
        mbus::TBytes b(d.begin() + std::ptrdiff_t(at), d.begin() + std::ptrdiff_t(at + n));
        at += n;
        return b;
    }
};

struct Line final : plat::UdpEndpoint {
    Input& in;
    uint32_t& now;
    DatagramHandler handler;
    bool open_ = false;
    std::deque<std::pair<uint32_t, mbus::TBytes>> late;
    Line(Input& i, uint32_t& n) : in(i), now(n) {}
    void open(uint16_t, DatagramHandler h) override {
        handler = std::move(h);
        open_ = true;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    uint16_t localPort() const override { return 1; }
    void send(const QString&, uint16_t, std::span<const uint8_t> q) override {
        if (!in.more()) return;
        const uint8_t c = in.byte();
        const std::string_view text(reinterpret_cast<const char*>(q.data()), q.size());
        mbus::TBytes a;
        if (c & 0x80) {
            std::string_view right;
            if (text == mbus::Cmd_Enable_Analyzer.Sent) right = mbus::Cmd_Enable_Analyzer.Answer;
            else if (text == mbus::Cmd_Disable_Analyzer.Sent) right = mbus::Cmd_Disable_Analyzer.Answer;
            else if (text.starts_with(mbus::Serial_Settings_Prefix)) right = mbus::Answer_Serial_Settings;
            if (!right.empty()) {
                handler(mbus::TBytes(right.begin(), right.end()));
                return;
            }
        }
        switch (c & 0x07) {
        case 1: a = {mbus::Single_Char}; break;
        case 2: a.assign(mbus::Answer_No_Slave.begin(), mbus::Answer_No_Slave.end()); break;
        case 3: a = in.bytes(in.byte()); break;
        case 4: {
            const mbus::TBytes records = in.bytes(in.byte());
            mbus::TBytes body{0x08, 0x01, 0x72, 0x01, 0x56, 0x34, 0x12, 0x24, 0x40, 0x01, 0x07, 0x55, 0x00, 0x00, 0x00};
            body.insert(body.end(), records.begin(), records.end());
            a = {0x68, uint8_t(body.size()), uint8_t(body.size()), 0x68};
            a.insert(a.end(), body.begin(), body.end());
            a.push_back(mbus::Frame_Checksum(body));
            a.push_back(0x16);
            break;
        }
        case 5: late.emplace_back(now + 2000, mbus::TBytes{mbus::Single_Char}); return;
        default: return;
        }
        if (!a.empty()) handler(a);
    }
    void deliver() {
        while (!late.empty() && int32_t(now - late.front().first) >= 0) {
            handler(late.front().second);
            late.pop_front();
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{std::span<const uint8_t>(data, size)};
    const uint8_t options = in.byte();
    const int cutAfter = in.byte() % 4;
    const uint8_t request = in.byte();
    uint32_t now = 0xFFFF0000u;
    Line* line = nullptr;
    mbus::TMBusSlaveList wired;
    mbus::TWMBusSlaveList wireless;
    mbus::TScanEngineSetup setup;
    setup.Timing.Ticks = [&] { return now; };
    setup.Timing.Sleep = [&](uint32_t ms) {
        now += ms;
        if (line) line->deliver();
    };
    setup.Make_Endpoint = [&] {
        auto l = std::make_unique<Line>(in, now);
        line = l.get();
        return l;
    };
    setup.Wired_List = &wired;
    setup.Wireless_List = &wireless;
    mbus::TMBusScanDecode engine(setup);
    const auto type = options & 1 ? mbus::TMBusScanDecode::saSecondaryAddress : mbus::TMBusScanDecode::saPrimaryAddress;
    // 38400 baud keeps the waits, and so the silent tail, short.
    if (!engine.Start_Scan(type, mbus::TMBusScanDecode::shEthernet, QStringLiteral("10.0.0.1"), 38400, options >> 6 & 3,
                           options & 2, options & 4, cutAfter, options & 8, options & 16, false,
                           [](int, int, int, int) {}))
        std::abort();
    // Every answer costs input bytes; once they run out, each address or digit value times out.
    const long bound = 256L * long(size + 100);
    long steps = 0;
    while (engine.FInScan) {
        if ((options & 32) && steps == long(request) * 8) {
            if (request & 1) engine.Stop_Scan();
            else engine.Abort_Scan();
        }
        engine.Step_Once();
        if (++steps > bound) std::abort();
    }
    if (engine.Step_Scan != 203) std::abort();
    return 0;
}
