// The wireless scan's step machine over a line whose gateway and radio-module answers come from
// the fuzzer's bytes: whatever the module answers, whatever telegrams come in the same burst as its
// answers, and whatever keys, telegrams and requests come while it listens, the scan must reach its
// last step in a bounded number of steps, and every meter whose telegram came while the module was
// known must be listed at the end.
//
// Input: byte 0 the mode (bits 0-2) and, with bit 3, a key offered at every 13th pass whatever the
// step; byte 1 the channel index. Then one control byte a send while bytes remain: bit 7 gives the
// right answer (bit 6 picks the Radiocrafts module when asked for the type); else bits 0-2: 0 none,
// 1 "OK\r", 2 a prompt, 3 raw bytes (a length byte and that many bytes), 4 "OK" without its CR,
// 5 a prompt 2 s late, 6 the register memory with its prompt, 7 none. Once the module is known,
// bits 3-4 of the control byte give that many telegrams in the same burst, each of the meter of the
// two bytes that follow, before the answer when bit 5 is set. While the module listens one byte a pass:
// bits 0-1 0 a telegram (length byte and bytes), 1 a key for the meter of bits 2-3 (16 bytes),
// 2 stop, 3 abort. Once the bytes run out the line is silent and a listening scan is stopped.
#include "mbus/MBusFrames.h"
#include "mbus/MBusMeters.h"
#include "mbus/UMBusScanDecode.h"
#include "mbus/UWMBusDecode.h"

#include <algorithm>
#include <array>
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

mbus::TBytes text(std::string_view t) {
    return mbus::TBytes(t.begin(), t.end());
}

mbus::TBytes memory() {
    mbus::TBytes m(mbus::RC_Memory_Answer_Size - 1, 0x00);
    m.push_back(mbus::RC_Prompt);
    return m;
}

// A readable telegram of the meter with the ID given, framed for the module.
mbus::TBytes telegram(uint32_t id, mbus::TRadioModule module) {
    mbus::TBytes t = {0x14, 0x44, 0x2D, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x07, 0x7A, 0x2A,
                      0x00, 0x00, 0x00, 0x04, 0x13, 0x10, 0x27, 0x00, 0x00, 0x00, 0x50};
    for (int i = 0; i < 4; ++i) t[size_t(4 + i)] = uint8_t(id >> (8 * i));
    if (module == mbus::TRadioModule::rmRadioCrafts) {
        t.erase(t.end() - 2);
        t[0] = uint8_t(t.size() - 1);
    }
    return t;
}

struct Line final : plat::UdpEndpoint {
    Input& in;
    uint32_t& now;
    const mbus::TMBusScanDecode* engine = nullptr;
    std::vector<uint32_t> sentIds;  // meters whose telegram came while the module was known
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

    mbus::TBytes right(std::string_view q, bool radioCrafts) const {
        if (q == mbus::Cmd_Enable_Configuration.Sent) return text(mbus::Cmd_Enable_Configuration.Answer);
        if (q == mbus::Cmd_Disable_Configuration.Sent) return text(mbus::Cmd_Disable_Configuration.Answer);
        if (q == mbus::Cmd_Type_Radio_Module) return text(radioCrafts ? mbus::Answer_RadioCrafts : mbus::Answer_Telit);
        if (q == "+++" || q.starts_with("AT")) return text(mbus::Answer_Telit_OK);
        if (q.size() == 1 && uint8_t(q[0]) == mbus::RC_Read_Memory) return memory();
        return {mbus::RC_Prompt};
    }

    void send(const QString&, uint16_t, std::span<const uint8_t> q) override {
        if (!in.more()) return;
        const uint8_t c = in.byte();
        const std::string_view sent(reinterpret_cast<const char*>(q.data()), q.size());
        mbus::TBytes a;
        if (c & 0x80) {
            a = right(sent, c & 0x40);
        } else {
            switch (c & 0x07) {
            case 1: a = text(mbus::Answer_Telit_OK); break;
            case 2: a = {mbus::RC_Prompt}; break;
            case 3: a = in.bytes(in.byte()); break;
            case 4: a = text("OK"); break;
            case 5: late.emplace_back(now + 2000, mbus::TBytes{mbus::RC_Prompt}); break;
            case 6: a = memory(); break;
            default: break;
            }
        }
        // The engine knows its module from step 100 (Telit) or 300 (Radiocrafts) until it closes.
        const int step = engine ? int(engine->Step_Scan) : 0;
        std::vector<mbus::TBytes> burst;
        if (!a.empty()) burst.push_back(a);
        if (step >= 100 && step < 500) {
            for (int n = (c >> 3) & 3; n > 0; --n) {
                const uint32_t id = 0x40000000u | uint32_t(in.byte()) << 8 | in.byte();
                sentIds.push_back(id);
                const mbus::TBytes t = telegram(id, engine->RadioModule);
                burst.insert((c & 0x20) ? burst.begin() : burst.end(), t);
            }
        }
        for (const mbus::TBytes& d : burst) handler(d);
    }
    void deliver() {
        while (!late.empty() && int32_t(now - late.front().first) >= 0) {
            handler(late.front().second);
            late.pop_front();
        }
    }
};

std::array<uint8_t, 16> keyFrom(Input& in) {
    std::array<uint8_t, 16> k{};
    const mbus::TBytes b = in.bytes(16);
    std::copy(b.begin(), b.end(), k.begin());
    return k;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in{std::span<const uint8_t>(data, size)};
    static constexpr int32_t kModes[8] = {mbus::wMBus_Mode_S,  mbus::wMBus_Mode_T,  mbus::wMBus_Mode_C,
                                          mbus::wMBus_Mode_N1, mbus::wMBus_Mode_N2, 0,
                                          3,                   mbus::wMBus_Mode_T};
    const uint8_t options = in.byte();
    const int32_t channel = in.byte();
    uint32_t now = 0xFFFF0000u;
    Line* line = nullptr;
    mbus::TMBusSlaveList wired;
    mbus::TWMBusSlaveList wireless;
    for (uint32_t id : {0x12345678u, 0x87654321u}) {
        auto m = std::make_unique<mbus::TSlave_wMBus>();
        m->ALA_Manufacturer = 0x2C2D;
        m->ALA_Address = id;
        wireless.Locked([&](mbus::TWMBusMeters& meters) { meters.push_back(std::move(m)); });
    }
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
    line->engine = &engine;
    if (!engine.Start_Scan_Wireless(mbus::TMBusScanDecode::shEthernet, QStringLiteral("10.0.0.1"), 5000,
                                    kModes[options & 7], channel, false, [](int, const mbus::TSlave_wMBus*) {}, false))
        std::abort();
    // Every answer and every listening pass costs input bytes; once they run out, each wait times out.
    const long bound = 256L * long(size + 100);
    long steps = 0;
    while (engine.FInScan) {
        const int step = engine.Step_Scan;
        if (step == 134 || step == 320) {
            if (!in.more()) {
                engine.Stop_Scan();
            } else {
                const uint8_t c = in.byte();
                switch (c & 3) {
                case 0: line->handler(in.bytes(in.byte())); break;
                case 1: {
                    const auto key = keyFrom(in);
                    engine.Insert_Wireless_Key((c >> 2) & 3, key);
                    break;
                }
                case 2: engine.Stop_Scan(); break;
                default: engine.Abort_Scan(); break;
                }
            }
        } else if ((options & 8) && steps % 13 == 0) {
            // Refused outside listening: nothing may change.
            if (engine.Insert_Wireless_Key(0, std::array<uint8_t, 16>{})) std::abort();
        }
        const int listed = wireless.Count();
        engine.Step_Once();
        if (wireless.Count() < listed) std::abort();  // a listed meter is never lost
        if (++steps > bound) std::abort();
    }
    if (engine.Step_Scan != 503) std::abort();
    // Every telegram that came in a burst with the module's answers was heard.
    for (const uint32_t id : line->sentIds) {
        const bool listed = wireless.Locked([&](mbus::TWMBusMeters& meters) {
            return std::any_of(meters.begin(), meters.end(), [&](const auto& m) { return m->ALA_Address == id; });
        });
        if (!listed) std::abort();
    }
    if (engine.UDP_Server->Overflowed_Datagrams() != 0) std::abort();
    return 0;
}
