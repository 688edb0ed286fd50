// The wired scan's step machine over a line whose answers come from the fuzzer's bytes: whatever
// the gateway and the meters answer, and whatever else comes in the same burst, the scan must end in
// a bounded number of steps, and a primary scan lists each meter at the address that answered for
// it, once.
//
// Input: byte 0 the scan type and options, byte 1 Cut_After, byte 2 the pass at which the window
// asks for a stop (odd) or an abort (even) when bit 5 of byte 0 is set, then one answer a send while bytes
// remain: a control byte (bit 7: a gateway command gets its right answer; bits 0-2: 0 none, 1 E5,
// 2 NO_SLAVE, 3 raw bytes, 4 an RSP_UD from the address asked around the records that follow, 5 a
// late answer, 6 the RSP_UD of case 4 split in two datagrams at the byte that follows; bits 3-5:
// that many more datagrams in the same burst, each a kind byte (bit 7: before the answer; bits 0-1:
// E5, NO_SLAVE, an RSP_UD from the address of the byte that follows, raw bytes) and its bytes), and
// for 3, 4 and 6 a length byte and that many bytes. After the bytes run out the line is silent.
#include "mbus/MBusFrames.h"
#include "mbus/MBusMeters.h"
#include "mbus/UMBusScanDecode.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <vector>
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

// An RSP_UD from the address given around the records given.
mbus::TBytes rspUd(uint8_t address, const mbus::TBytes& records) {
    mbus::TBytes body{0x08, address, 0x72, 0x01, 0x56, 0x34, 0x12, 0x24, 0x40, 0x01, 0x07, 0x55, 0x00, 0x00, 0x00};
    body.insert(body.end(), records.begin(), records.end());
    mbus::TBytes a = {0x68, uint8_t(body.size()), uint8_t(body.size()), 0x68};
    a.insert(a.end(), body.begin(), body.end());
    a.push_back(mbus::Frame_Checksum(body));
    a.push_back(0x16);
    return a;
}

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
        // The address a REQ_UD2 asked; 1 for anything else.
        const uint8_t asked = q.size() == 5 && q[0] == mbus::Short_Start ? q[2] : 0x01;
        std::vector<mbus::TBytes> burst;
        switch (c & 0x07) {
        case 1: a = {mbus::Single_Char}; break;
        case 2: a.assign(mbus::Answer_No_Slave.begin(), mbus::Answer_No_Slave.end()); break;
        case 3: a = in.bytes(in.byte()); break;
        case 4: a = rspUd(asked, in.bytes(in.byte())); break;
        case 5: late.emplace_back(now + 2000, mbus::TBytes{mbus::Single_Char}); break;
        case 6: {
            const size_t at = in.byte();
            const mbus::TBytes whole = rspUd(asked, in.bytes(in.byte()));
            const size_t cut = std::min(at, whole.size());
            burst.emplace_back(whole.begin(), whole.begin() + std::ptrdiff_t(cut));
            a.assign(whole.begin() + std::ptrdiff_t(cut), whole.end());
            break;
        }
        default: break;
        }
        if (!a.empty()) burst.push_back(a);
        for (int extra = (c >> 3) & 7; extra > 0 && in.more(); --extra) {
            const uint8_t kind = in.byte();
            mbus::TBytes d;
            switch (kind & 3) {
            case 0: d = {mbus::Single_Char}; break;
            case 1: d.assign(mbus::Answer_No_Slave.begin(), mbus::Answer_No_Slave.end()); break;
            case 2: {
                const uint8_t from = in.byte();
                d = rspUd(from, in.bytes(in.byte() % 16));
                break;
            }
            default: d = in.bytes(in.byte()); break;
            }
            burst.insert((kind & 0x80) ? burst.begin() : burst.end(), d);
        }
        for (const mbus::TBytes& d : burst)
            if (!d.empty()) handler(d);
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
    // Each address is asked once and a meter is listed only for the address that answered: the
    // primary addresses of the meters found rise strictly.
    if (type == mbus::TMBusScanDecode::saPrimaryAddress) {
        int previous = -1;
        for (int i = 0; i < wired.Count(); ++i) {
            const int primary = wired.Snapshot(i)->Primary_Addresss;
            if (primary <= previous || primary > 250) std::abort();
            previous = primary;
        }
    }
    if (engine.UDP_Server->Overflowed_Datagrams() != 0) std::abort();
    return 0;
}
