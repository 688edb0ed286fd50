#include "mbus/UWMBusDecode.h"
#include "platform/UdpEndpoint.h"
#include "platform/FormatSettings.h"
#include "tests/mbus/AesOracle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

using aes_oracle::arr;
using aes_oracle::hex;
using namespace mbus;

namespace {

const QDateTime kT1(QDate(2026, 3, 1), QTime(10, 0, 0));
const QDateTime kT2(QDate(2026, 3, 1), QTime(10, 5, 0));

// The telegram of the open metering example for security mode 5 (gas meter "ELS" 12345678, version
// 0x33, device type 3, access number 0x2A), its key and its two encrypted blocks.
const TAESKey128 kOmsKey = arr<16>("0102030405060708090A0B0C0D0E0F11");
const std::string kOmsAddress = "44 93 15 78 56 34 12 33 03";
const std::string kOmsCipher =
    "59 23 C9 5A AA 26 D1 B2 E7 49 3B 01 3E C4 A6 F6 D3 52 9B 52 0E DF F0 EA 6D EF C9 9D 6D 69 EB F3";
const std::string kOmsPlain =
    "2F 2F 0C 14 27 04 85 02 04 6D 32 37 1F 15 02 FD 17 00 00 2F 2F 2F 2F 2F 2F 2F 2F 2F 2F 2F 2F 2F";

std::vector<uint8_t> cat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> r;
    for (const auto& p : parts) r.insert(r.end(), p.begin(), p.end());
    return r;
}

// A datagram as the gateway forwards it: L field, the telegram body, the module's trailer.
std::vector<uint8_t> datagram(TRadioModule module, const std::vector<uint8_t>& body, uint8_t rssi = 0x50) {
    std::vector<uint8_t> d;
    d.push_back(uint8_t(module == TRadioModule::rmTelit ? body.size() : body.size() + 1));
    d.insert(d.end(), body.begin(), body.end());
    if (module == TRadioModule::rmTelit) d.push_back(0x00);
    d.push_back(rssi);
    return d;
}

std::vector<uint8_t> omsBehind8C(const std::string& payload) {
    return cat({hex(kOmsAddress), hex("8C 20 2B  7A 2A 00 20 05"), hex(payload)});
}

struct Mode7 {
    TAESKey128 key = arr<16>("000102030405060708090A0B0C0D0E0F");
    uint32_t counter = 0x00000017;
    bool withCounter = true;
    uint8_t extension = 0x10;
    bool extraBytes = false;  // extension bit 6 and configuration-word bit 13 with their bytes
    std::string plain = "2F 2F 04 13 D2 04 00 00 02 FD 17 00 00 2F 2F 2F";
    uint8_t blocks = 1;
};

// A mode 7 telegram behind CI 0x8C 0x90, encrypted with OpenSSL.
std::vector<uint8_t> mode7Body(const Mode7& m) {
    const auto address = hex(kOmsAddress);
    std::vector<uint8_t> afl;
    const uint16_t control = (1 << 13) | (1 << 10) | (m.withCounter ? (1 << 11) : 0);
    afl.push_back(uint8_t(control));
    afl.push_back(uint8_t(control >> 8));
    afl.push_back(0x25);  // message control: an 8-byte MAC
    std::vector<uint8_t> counter = {uint8_t(m.counter), uint8_t(m.counter >> 8), uint8_t(m.counter >> 16),
                                    uint8_t(m.counter >> 24)};
    if (m.withCounter) afl.insert(afl.end(), counter.begin(), counter.end());
    afl.insert(afl.end(), 8, 0xAB);  // MAC, not verified

    std::vector<uint8_t> input = {0x00};
    input.insert(input.end(), counter.begin(), counter.end());
    input.insert(input.end(), address.begin() + 3, address.begin() + 7);
    input.insert(input.end(), 7, 0x07);
    const auto session = aes_oracle::cmac(m.key.data(), input.data(), input.size());
    const TAESIV zero{};
    const auto cipher = aes_oracle::cbc(true, session.data(), zero.data(), hex(m.plain));

    std::vector<uint8_t> header = {0x7A, 0x2A, 0x00, uint8_t(m.blocks << 4),
                                   uint8_t(0x07 | (m.extraBytes ? 0x20 : 0x00)),
                                   uint8_t(m.extension | (m.extraBytes ? 0x40 : 0x00))};
    if (m.extraBytes) header.insert(header.end(), {0x01, 0x11, 0x22, 0x33, 0x44});
    return cat({address, hex("8C 20 2A 90"), {uint8_t(afl.size())}, afl, header, cipher});
}

struct Fixture : ::testing::Test {
    void SetUp() override { plat::setFormatSettingsOverride(plat::FormatSettings{}); }
    void TearDown() override { plat::setFormatSettingsOverride(std::nullopt); }

    int decode(const std::vector<uint8_t>& d, TRadioModule module = TRadioModule::rmTelit, const QDateTime& now = kT1) {
        return Decode_Wireless_Frame(list, module, d, now, [this](int index, const TSlave_wMBus& m) {
            reports.push_back(index);
        });
    }
    TSlave_wMBus meter(int index = 0) {
        auto m = list.Snapshot(index);
        EXPECT_TRUE(m.has_value());
        return m ? *m : TSlave_wMBus{};
    }
    static std::vector<const TVariable_MBus*> realVars(const TSlave_wMBus& m) {
        std::vector<const TVariable_MBus*> r;
        for (const auto& v : m.List_Var)
            if (v.Real_Wireless_Var) r.push_back(&v);
        return r;
    }

    TWMBusSlaveList list;
    std::vector<int> reports;
};

using WirelessDecode = Fixture;

}  // namespace

TEST_F(WirelessDecode, Mode5ExampleBehindExtendedLinkLayerDecryptsToItsRecords) {
    const auto d = datagram(TRadioModule::rmTelit, omsBehind8C(kOmsCipher));
    // Heard first without a key: listed, encrypted, no values.
    ASSERT_EQ(decode(d), 0);
    TSlave_wMBus m = meter();
    EXPECT_TRUE(m.Cripted);
    EXPECT_TRUE(m.List_Var.empty());
    EXPECT_EQ(m.ALA_Manu_str, "ELS");
    EXPECT_EQ(m.ALA_Address, 0x12345678u);
    EXPECT_EQ(m.ALA_Version, 0x33);
    EXPECT_EQ(m.ALA_DeviceType, 0x03);
    EXPECT_EQ(m.Message_Type, 0x44);
    EXPECT_EQ(m.RadioCrafts_Ind_Tab_Decript, -1);

    ASSERT_TRUE(list.Set_Key(0, kOmsKey));
    ASSERT_EQ(decode(d, TRadioModule::rmTelit, kT2), 0);
    m = meter();
    EXPECT_FALSE(m.Cripted);
    EXPECT_EQ(m.DateTime, kT2);
    const auto vars = realVars(m);
    ASSERT_EQ(vars.size(), 3u);
    EXPECT_EQ(vars[0]->Desc_Type_Data, "Volume m3");
    EXPECT_EQ(vars[0]->ValueStr, "28504.27");
    EXPECT_EQ(vars[1]->ValueStr, "31/05/08 23:50");
    EXPECT_EQ(vars[2]->Desc_Type_Data, "Error Flag (Binary)");
    EXPECT_EQ(vars[2]->ValueStr, "0");
    // The idle fillers before and after the records are kept as such.
    EXPECT_EQ(m.List_Var.size(), 3u + 2u + 13u);
    EXPECT_FALSE(m.List_Var[0].Real_Wireless_Var);
    EXPECT_FALSE(m.List_Var[1].Real_Wireless_Var);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(reports, (std::vector<int>{0, 0}));
}

TEST_F(WirelessDecode, Mode5WrongKeyLeavesTheMeterEncryptedWithoutValues) {
    const auto d = datagram(TRadioModule::rmRadioCrafts, omsBehind8C(kOmsCipher), 0xA0);
    decode(datagram(TRadioModule::rmRadioCrafts, omsBehind8C(kOmsPlain)), TRadioModule::rmRadioCrafts);  // readable once: values exist
    ASSERT_FALSE(meter().List_Var.empty());
    list.Set_Key(0, arr<16>("0102030405060708090A0B0C0D0E0F12"));
    decode(d, TRadioModule::rmRadioCrafts, kT2);
    const TSlave_wMBus m = meter();
    EXPECT_TRUE(m.Cripted);
    EXPECT_TRUE(m.List_Var.empty());
    EXPECT_EQ(m.RSSI, -47);
    EXPECT_EQ(m.DateTime, kT2);
}

TEST_F(WirelessDecode, Mode5CasesThatAreNotDecrypted) {
    struct Case {
        const char* name;
        std::vector<uint8_t> body;
        bool readable;
    } cases[] = {
        // A plain 0x7A telegram carries its access number where the IV needs it, but only the
        // extended-link-layer form is decrypted.
        {"mode 5 without extended link layer", cat({hex(kOmsAddress), hex("7A 2A 00 20 05"), hex(kOmsCipher)}), false},
        {"payload already 2F 2F is read as it is", omsBehind8C(kOmsPlain), true},
        {"more blocks announced than received",
         cat({hex(kOmsAddress), hex("8C 20 2B 7A 2A 00 30 05"), hex(kOmsCipher)}), false},
        {"no block announced", cat({hex(kOmsAddress), hex("8C 20 2B 7A 2A 00 00 05"), hex(kOmsCipher)}), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        list.Clear();
        decode(datagram(TRadioModule::rmTelit, c.body));
        list.Set_Key(0, kOmsKey);
        decode(datagram(TRadioModule::rmTelit, c.body));
        const TSlave_wMBus m = meter();
        EXPECT_EQ(m.Cripted, !c.readable);
        EXPECT_EQ(realVars(m).size(), c.readable ? 3u : 0u);
    }
}

TEST_F(WirelessDecode, Mode5IsRecognisedByItsBitsWhateverTheOtherFlags) {
    struct Case {
        uint8_t cwHigh;
        bool readable;
    } cases[] = {
        {0x05, true},
        {0x25, true},   // synchronous flag beside mode 5
        {0xC5, true},   // bidirectional and accessibility flags
        {0x07, false},  // passes the decryption mask, but mode 7 in this header is not readable
        {0x04, false},  // not mode 5: left encrypted
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.cwHigh));
        list.Clear();
        auto body = omsBehind8C(kOmsCipher);
        body[16] = c.cwHigh;  // telegram byte 17
        decode(datagram(TRadioModule::rmTelit, body));
        list.Set_Key(0, kOmsKey);
        decode(datagram(TRadioModule::rmTelit, body));
        EXPECT_EQ(meter().Cripted, !c.readable);
        EXPECT_EQ(realVars(meter()).size(), c.readable ? 3u : 0u);
    }
}

TEST_F(WirelessDecode, Mode7TelegramDecrypts) {
    struct Case {
        const char* name;
        Mode7 m;
    } cases[] = {
        {"one block", Mode7{}},
        {"two blocks",
         [] {
             Mode7 m;
             m.blocks = 2;
             m.plain += " 2F 2F 2F 2F 2F 2F 2F 2F 2F 2F 2F 2F 2F 2F 2F 2F";
             return m;
         }()},
        {"optional bytes after the extension", [] {
             Mode7 m;
             m.extraBytes = true;
             return m;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        list.Clear();
        const auto d = datagram(TRadioModule::rmTelit, mode7Body(c.m));
        decode(d);
        EXPECT_TRUE(meter().Cripted);
        list.Set_Key(0, c.m.key);
        decode(d);
        const TSlave_wMBus m = meter();
        EXPECT_FALSE(m.Cripted);
        const auto vars = realVars(m);
        ASSERT_EQ(vars.size(), 2u);
        EXPECT_EQ(vars[0]->Desc_Type_Data, "Volume m3");
        EXPECT_EQ(vars[0]->ValueStr, "1.234");
        EXPECT_EQ(vars[1]->Desc_Type_Data, "Error Flag (Binary)");
    }
}

TEST_F(WirelessDecode, Mode7WrongKeyKeepsThePreviousReading) {
    Mode7 good;
    decode(datagram(TRadioModule::rmTelit, mode7Body(good), 0x50));
    list.Set_Key(0, good.key);
    decode(datagram(TRadioModule::rmTelit, mode7Body(good), 0x50), TRadioModule::rmTelit, kT1);
    const TSlave_wMBus before = meter();
    ASSERT_FALSE(before.Cripted);
    ASSERT_EQ(realVars(before).size(), 2u);

    Mode7 other = good;
    other.key = arr<16>("FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF");
    other.counter = 0x18;
    other.plain = "2F 2F 04 13 00 00 00 00 2F 2F 2F 2F 2F 2F 2F 2F";
    reports.clear();
    decode(datagram(TRadioModule::rmTelit, mode7Body(other), 0x10), TRadioModule::rmTelit, kT2);
    const TSlave_wMBus after = meter();
    EXPECT_FALSE(after.Cripted);
    EXPECT_EQ(after.DateTime, kT1);
    EXPECT_EQ(after.RSSI, before.RSSI);
    ASSERT_EQ(realVars(after).size(), 2u);
    EXPECT_EQ(realVars(after)[0]->ValueStr, "1.234");
    EXPECT_EQ(reports, std::vector<int>{0}) << "the telegram is still reported";
}

TEST_F(WirelessDecode, Mode7WithoutCounterIsNotDecrypted) {
    Mode7 m;
    m.withCounter = false;
    const auto d = datagram(TRadioModule::rmTelit, mode7Body(m));
    decode(d);
    list.Set_Key(0, m.key);
    decode(d);
    EXPECT_TRUE(meter().Cripted);
    EXPECT_TRUE(meter().List_Var.empty());
}

TEST_F(WirelessDecode, ReadabilityAndRecordStartByCiChain) {
    const std::string rec = "04 13 D2 04 00 00";  // 1.234 m3
    struct Case {
        const char* name;
        std::string header;  // from the first CI up to the records
        bool readable;
    } cases[] = {
        {"7A mode 0", "7A 01 00 00 00", true},
        {"7A mode 5 without 2F 2F", "7A 01 00 10 05", false},
        {"7A mode 5 with 2F 2F", "7A 01 00 10 05 2F 2F", true},
        {"72 mode 0, records at 23", "72 11 22 33 44 21 04 01 07 01 00 00 00", true},
        {"72 any mode with 2F 2F", "72 11 22 33 44 21 04 01 07 01 00 10 07 2F 2F", true},
        {"72 mode 5 without 2F 2F", "72 11 22 33 44 21 04 01 07 01 00 10 05", false},
        {"8C 78", "8C 20 01 78", true},
        {"8C 72 mode 0", "8C 20 01 72 11 22 33 44 21 04 01 07 01 00 00 00", true},
        {"8D 78", "8D 20 01 00 00 00 00 00 00 78", true},
        {"8D 7A mode 0", "8D 20 01 00 00 00 00 00 00 7A 01 00 00 00", true},
        {"8D 72 mode 5 with 2F 2F", "8D 20 01 00 00 00 00 00 00 72 11 22 33 44 21 04 01 07 01 00 10 05 2F 2F", true},
        {"8E 78 is never readable", "8E 20 01 21 04 11 22 33 44 01 07 78", false},
        {"8F 78 is never readable", "8F 20 01 21 04 11 22 33 44 01 07 00 00 00 00 00 00 78", false},
        {"unknown CI", "51 11 22 33 44 21 04 01 07 01 00 00 00", false},
        {"8C with unknown next CI", "8C 20 01 51", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        list.Clear();
        ASSERT_EQ(decode(datagram(TRadioModule::rmTelit, cat({hex(kOmsAddress), hex(c.header), hex(rec)}))), 0);
        const TSlave_wMBus m = meter();
        EXPECT_EQ(m.Cripted, !c.readable);
        const auto vars = realVars(m);
        if (c.readable) {
            ASSERT_EQ(vars.size(), 1u);
            EXPECT_EQ(vars[0]->ValueStr, "1.234");
        } else {
            EXPECT_TRUE(m.List_Var.empty());
        }
    }
}

TEST_F(WirelessDecode, AuthenticationLayerOutsideMode7ReadsItsPayloadRightAfterTheHeader) {
    // 8C 90 with a one-byte layer (A = 1); the 7A header's configuration word carries bit 13 and the
    // byte at 20 + A has bit 6, which announce extra bytes only in a mode 7 header.
    struct Case {
        const char* name;
        std::string header;  // from the 7A CI to the byte before 21 + A
        bool readable;
    } cases[] = {
        {"mode 0 with bit 13", "7A 01 00 00 20 40", true},
        {"mode 5 with bit 13", "7A 01 00 00 25 40", true},
        {"mode 0, layer not followed by 7A", "51 01 00 00 20 40", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        list.Clear();
        decode(datagram(TRadioModule::rmTelit, cat({hex(kOmsAddress), hex("8C 20 01 90 01 00"), hex(c.header),
                                                    hex("2F 2F 04 13 D2 04 00 00 2F 2F 2F 2F 2F")})));
        const TSlave_wMBus m = meter();
        EXPECT_EQ(m.Cripted, !c.readable);
        const auto vars = realVars(m);
        EXPECT_EQ(vars.size(), c.readable ? 1u : 0u);
        if (c.readable && !vars.empty()) EXPECT_EQ(vars[0]->ValueStr, "1.234");
    }
}

TEST_F(WirelessDecode, ExtendedLinkLayerWithAuthenticationLayerIsReadableWithoutRecords) {
    // 8D 90 with 2F 2F at 27 + A: readable, but no record start is known for it.
    decode(datagram(TRadioModule::rmTelit, cat({hex(kOmsAddress), hex("8D 20 01 00 00 00 00 00 00 90 02 00 00"),
                                  hex("7A 01 00 00 00 00 2F 2F 04 13 D2 04 00 00")})));
    EXPECT_FALSE(meter().Cripted);
    EXPECT_TRUE(meter().List_Var.empty());
}

TEST_F(WirelessDecode, MetersAreToldApartByTheirApplicationAddress) {
    const auto body = cat({hex(kOmsAddress), hex("7A 01 00 00 00 04 13 D2 04 00 00")});
    EXPECT_EQ(decode(datagram(TRadioModule::rmTelit, body)), 0);
    EXPECT_EQ(decode(datagram(TRadioModule::rmTelit, body)), 0);
    auto otherVersion = body;
    otherVersion[7] = 0x34;
    EXPECT_EQ(decode(datagram(TRadioModule::rmTelit, otherVersion)), 1);
    // With first CI 0x72 the application address comes from the long header, not the link layer.
    const auto longHeader = cat({hex(kOmsAddress), hex("72 11 22 33 44 21 04 01 07 01 00 00 00 04 13 D2 04 00 00")});
    EXPECT_EQ(decode(datagram(TRadioModule::rmTelit, longHeader)), 2);
    const TSlave_wMBus m = meter(2);
    EXPECT_EQ(m.ALA_Address, 0x44332211u);
    EXPECT_EQ(m.ALA_Manufacturer, 0x0421);
    EXPECT_EQ(m.ALA_Manu_str, "AAA");
    EXPECT_EQ(m.ALA_Version, 0x01);
    EXPECT_EQ(m.ALA_DeviceType, 0x07);
    EXPECT_EQ(m.LLA_Address, 0x12345678u);
    EXPECT_EQ(m.LLA_Manu_str, "ELS");
    EXPECT_EQ(list.Count(), 3);
}

TEST_F(WirelessDecode, SignalStrengthFromTheTrailer) {
    struct Case {
        TRadioModule module;
        uint8_t trailer;
        int8_t rssi;
    } cases[] = {
        {TRadioModule::rmRadioCrafts, 0xA0, -47}, {TRadioModule::rmTelit, 0x50, -82}, {TRadioModule::rmTelit, 0x00, -2},  {TRadioModule::rmTelit, 0xFE, 0},
        {TRadioModule::rmRadioCrafts, 0x7F, 64},  {TRadioModule::rmRadioCrafts, 0xFF, 1}, {TRadioModule::rmRadioCrafts, 0x00, 1}, {TRadioModule::rmRadioCrafts, 0x81, -62},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.trailer));
        EXPECT_EQ(Wireless_RSSI(c.module, c.trailer), c.rssi);
        list.Clear();
        decode(datagram(c.module, cat({hex(kOmsAddress), hex("7A 01 00 00 00")}), c.trailer), c.module);
        EXPECT_EQ(meter().RSSI, c.rssi);
    }
}

TEST_F(WirelessDecode, MalformedDatagramsAreDroppedOrNotReadable) {
    Mode7 m7;
    const std::vector<std::vector<uint8_t>> bodies = {
        omsBehind8C(kOmsCipher),
        mode7Body(m7),
        cat({hex(kOmsAddress), hex("72 11 22 33 44 21 04 01 07 01 00 00 00 04 13 D2 04 00 00")}),
        cat({hex(kOmsAddress), hex("8C 20 2A 90 FF 00 2C")}),  // AFL length far past the end
    };
    for (TRadioModule module : {TRadioModule::rmTelit, TRadioModule::rmRadioCrafts}) {
        for (const auto& full : bodies) {
            // Every cut of the telegram, with an L field that matches what is left.
            for (size_t n = 0; n <= full.size(); ++n) {
                SCOPED_TRACE(n);
                list.Clear();
                const std::vector<uint8_t> body(full.begin(), full.begin() + long(n));
                const int first = decode(datagram(module, body), module);
                if (first < 0) {
                    EXPECT_EQ(list.Count(), 0);
                    continue;
                }
                list.Set_Key(first, n == full.size() ? arr<16>("00000000000000000000000000000000") : kOmsKey);
                decode(datagram(module, body), module);
            }
        }
    }
    // Lengths that do not match the L field never reach a meter.
    for (const auto& d : {std::vector<uint8_t>{}, std::vector<uint8_t>{0x00}, hex("05 01 02"), hex("FF 01 02 03")}) {
        EXPECT_EQ(decode(d, TRadioModule::rmTelit), -1);
        EXPECT_EQ(decode(d, TRadioModule::rmRadioCrafts), -1);
    }
    list.Clear();
    EXPECT_EQ(decode(datagram(TRadioModule::rmTelit, hex("44 93 15 78 56 34 12 33 03"))), -1) << "no CI field";
    EXPECT_EQ(decode(datagram(TRadioModule::rmTelit, hex("44 93 15 78 56 34 12 33 03 72 11 22"))), -1) << "long address cut";
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(WirelessDecode, NothingEscapesTheListener) {
    const auto d = datagram(TRadioModule::rmTelit, omsBehind8C(kOmsPlain));
    const int r = Decode_Wireless_Frame(list, TRadioModule::rmTelit, d, kT1, [](int, const TSlave_wMBus&) {
        throw std::runtime_error("report failed");
    });
    EXPECT_EQ(r, -1);
    EXPECT_EQ(list.Count(), 1) << "the meter heard stays listed";
    EXPECT_EQ(list.Decode_Failures(), 1u);
    // A datagram that is only dropped is no failure; a second failure counts again, also after Clear.
    EXPECT_EQ(decode(datagram(TRadioModule::rmTelit, hex("44 93 15"))), -1);
    EXPECT_EQ(list.Decode_Failures(), 1u);
    list.Clear();
    Decode_Wireless_Frame(list, TRadioModule::rmTelit, d, kT1, [](int, const TSlave_wMBus&) { throw 7; });
    EXPECT_EQ(list.Decode_Failures(), 2u);
}

namespace {

// Reports of the listener thread, waited for on a condition.
struct Reports {
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::pair<int, uint32_t>> got;  // index and meter ID

    TNotifyWireless notify() {
        return [this](int index, const TSlave_wMBus& meter) {
            std::lock_guard lock(m);
            got.emplace_back(index, meter.ALA_Address);
            cv.notify_all();
        };
    }
    // The bound only ends a test whose datagram was lost.
    bool waitFor(uint32_t id, std::chrono::milliseconds wait = std::chrono::seconds(60)) {
        std::unique_lock lock(m);
        return cv.wait_for(lock, wait, [&] {
            return std::any_of(got.begin(), got.end(), [&](const auto& r) { return r.second == id; });
        });
    }
    size_t count() {
        std::lock_guard lock(m);
        return got.size();
    }
    void clear() {
        std::lock_guard lock(m);
        got.clear();
    }
};

}  // namespace

TEST_F(WirelessDecode, ListenerDecodesOverLoopbackWhileTheUserSetsKeys) {
    Reports heard;
    TMBusLink link(plat::createUdpEndpoint());
    link.Open();
    link.Set_Wireless_Receive(TRadioModule::rmTelit, [&](std::span<const uint8_t> t, TRadioModule module) {
        Decode_Wireless_Frame(list, module, t, QDateTime::currentDateTime(), heard.notify());
    });
    auto gateway = plat::createUdpEndpoint();
    gateway->open(0, [](std::span<const uint8_t>) {});
    const QString loopback = QStringLiteral("127.0.0.1");
    auto send = [&](const std::vector<uint8_t>& d) { gateway->send(loopback, link.Local_Port(), d); };

    const auto oms = datagram(TRadioModule::rmTelit, omsBehind8C(kOmsCipher));
    auto otherMeter = datagram(TRadioModule::rmTelit, cat({hex(kOmsAddress), hex("7A 01 00 00 00 04 13 D2 04 00 00")}));
    otherMeter[4] = 0x99;  // ID 12345699

    // A datagram cut inside its header and a length that does not fit never reach a meter.
    send(datagram(TRadioModule::rmTelit, hex("44 93 15 78 56")));
    send(hex("30 44 93 15 78 56 34 12 33 03 7A"));
    send(oms);
    ASSERT_TRUE(heard.waitFor(0x12345678));
    EXPECT_EQ(heard.count(), 1u);
    EXPECT_TRUE(meter().Cripted);

    ASSERT_TRUE(list.Set_Key(0, kOmsKey));
    heard.clear();
    send(oms);
    ASSERT_TRUE(heard.waitFor(0x12345678));
    EXPECT_FALSE(meter().Cripted);
    EXPECT_EQ(realVars(meter()).size(), 3u);

    // The user interface keys, reads and clears the list while telegrams keep arriving.
    heard.clear();
    for (int i = 0; i < 200; ++i) {
        send(oms);
        if (i % 3 == 0) list.Set_Key(0, kOmsKey);
        if (auto m = list.Snapshot(0); m && !m->Cripted) EXPECT_EQ(realVars(*m).size(), 3u);
        if (i % 50 == 49) list.Clear();
    }
    // Loopback may drop a datagram when the burst fills the socket: the closing marker is resent
    // until it is heard, however long the listener takes over the burst.
    bool marker = false;
    for (int i = 0; i < 24 && !marker; ++i) {
        send(otherMeter);
        marker = heard.waitFor(0x12345699, std::chrono::seconds(5));
    }
    ASSERT_TRUE(marker);
    link.Close();
    EXPECT_GE(list.Count(), 1);
}
