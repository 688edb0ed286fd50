// The wireless scan's step machine on virtual time, over a fake line whose gateway carries a fake
// Telit or Radiocrafts radio module.
#include "FakeGateway.h"
#include "mbus/MBusMeters.h"
#include "mbus/UMBusScanDecode.h"
#include "mbus/UWMBusDecode.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace mbus;
using fake::FakeLine;
using fake::LoadedKey;
using fake::Segment;
using fake::VirtualTime;
using Radio = Segment::Radio;

namespace {

constexpr uint16_t kPort = 5000;

// A readable Telit telegram of meter id (CI 0x7A, no encryption, one volume record), with the
// module's two trailer bytes.
TBytes telitTelegram(uint32_t id) {
    TBytes t = fake::hexBytes("14 44 2D 2C 78 56 34 12 01 07 7A 2A 00 00 00 04 13 10 27 00 00 00 50");
    for (int i = 0; i < 4; ++i) t[size_t(4 + i)] = uint8_t(id >> (8 * i));
    return t;
}

std::unique_ptr<TSlave_wMBus> wirelessMeter(uint16_t manufacturer, uint32_t id, uint8_t version, uint8_t type) {
    auto m = std::make_unique<TSlave_wMBus>();
    m->ALA_Manufacturer = m->LLA_Manufacturer = manufacturer;
    m->ALA_Address = m->LLA_Address = id;
    m->ALA_Version = m->LLA_Version = version;
    m->ALA_DeviceType = m->LLA_DeviceType = type;
    return m;
}

std::array<uint8_t, 16> keyOf(int seed) {
    std::array<uint8_t, 16> k{};
    for (size_t i = 0; i < k.size(); ++i) k[i] = uint8_t(seed * 7 + int(i) * 13);
    return k;
}

TBytes bytesOf(const std::array<uint8_t, 16>& k) {
    return TBytes(k.begin(), k.end());
}

struct Bench {
    Segment segment;
    VirtualTime time;
    FakeLine* line = nullptr;
    TMBusSlaveList wired;
    TWMBusSlaveList wireless;
    std::atomic<int> reports{0};
    std::unique_ptr<TMBusScanDecode> engine;

    explicit Bench(Radio module, bool threadSleep = false) {
        segment.Module = module;
        TScanEngineSetup setup;
        setup.Timing.Ticks = [this] { return time.now.load(); };
        setup.Timing.Sleep = [this, threadSleep](uint32_t ms) {
            time.sleep(ms);
            if (threadSleep) std::this_thread::yield();
        };
        setup.Make_Endpoint = [this] {
            auto l = std::make_unique<FakeLine>(segment, time);
            line = l.get();
            return l;
        };
        setup.Wired_List = &wired;
        setup.Wireless_List = &wireless;
        engine = std::make_unique<TMBusScanDecode>(setup);
        time.onMove = [this] { line->deliver(); };
    }

    bool start(int32_t mode, int32_t channel = 3) {
        return engine->Start_Scan_Wireless(TMBusScanDecode::shEthernet, QStringLiteral("10.0.0.9"), kPort, mode,
                                           channel, false, [this](int, const TSlave_wMBus*) { ++reports; }, false);
    }

    // Passes until the step is reached; false when the scan ended or the limit passed first.
    bool runTo(int step, int limit = 100000) {
        for (int n = 0; n < limit && engine->FInScan; ++n) {
            if (engine->Step_Scan == step) return true;
            engine->Step_Once();
        }
        return engine->FInScan && engine->Step_Scan == step;
    }
    // Passes until the scan ends.
    void run(int limit = 100000) {
        for (int n = 0; n < limit && engine->FInScan; ++n) engine->Step_Once();
        EXPECT_FALSE(engine->FInScan) << "the scan did not end in " << limit << " passes";
    }

    void addMeter(std::unique_ptr<TSlave_wMBus> m) {
        wireless.Locked([&](TWMBusMeters& meters) { meters.push_back(std::move(m)); });
    }
};

const std::vector<std::string> kTelitAllLines = {
    "+++",         "ATR\r",       "ATS400=5\r",  "ATS401=0\r", "ATS402=191\r", "ATS420=3\r",
    "ATS421=0\r",  "ATS422=3\r",  "ATS430=5\r",  "ATS431=5\r", "ATS440=0\r",   "ATS441=0\r",
    "ATS442=0\r",  "ATS452=0\r",  "ATS453=0\r",  "ATS454=0\r", "ATO\r"};

std::vector<std::string> telitLinesFor(const std::string& mode, bool nMode) {
    std::vector<std::string> lines;
    for (const std::string& l : kTelitAllLines) {
        if (nMode && (l == "ATS421=0\r" || l == "ATS442=0\r" || l == "ATS454=0\r")) continue;
        lines.push_back(l == "ATS400=5\r" ? "ATS400=" + mode + "\r" : l);
    }
    return lines;
}

}  // namespace

TEST(WirelessScan, TelitIsConfiguredForTheModeThenListensUntilStopped) {
    struct Case {
        const char* name;
        int32_t mode;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"T sends every line", wMBus_Mode_T, telitLinesFor("5", false)},
        {"S sends every line", wMBus_Mode_S, telitLinesFor("1", false)},
        {"C sends every line", wMBus_Mode_C, telitLinesFor("11", false)},
        {"N1 leaves out 421, 442 and 454", wMBus_Mode_N1, telitLinesFor("15", true)},
        {"N2 leaves out 421, 442 and 454", wMBus_Mode_N2, telitLinesFor("17", true)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench b(Radio::Telit);
        ASSERT_TRUE(b.start(c.mode));
        ASSERT_TRUE(b.runTo(134));
        EXPECT_EQ(b.segment.telitLines(), c.lines);
        EXPECT_EQ(b.engine->RadioModule, TRadioModule::rmTelit);
        EXPECT_TRUE(b.engine->Wireless_Receive_Message);
        EXPECT_TRUE(b.segment.radioListening());
        EXPECT_EQ(b.engine->FResult, 1);

        // Listening: the step stays, and telegrams are decoded as they come.
        for (int i = 0; i < 50; ++i) b.engine->Step_Once();
        EXPECT_EQ(b.engine->Step_Scan, 134);
        ASSERT_TRUE(b.line->push(telitTelegram(0x12345678)));
        EXPECT_EQ(b.reports, 1);
        EXPECT_EQ(b.wireless.Count(), 1);

        // Stop: the configuration mode is switched off once, and the scan ends cleanly.
        b.engine->Stop_Scan();
        b.run();
        EXPECT_EQ(b.segment.count(Cmd_Disable_Configuration.Sent), 1);
        EXPECT_FALSE(b.segment.configurationOn());
        EXPECT_FALSE(b.engine->Wireless_Receive_Message);
        EXPECT_EQ(b.engine->FResult, 1);
        EXPECT_FALSE(b.line->isOpen());
        EXPECT_EQ(b.segment.telitLines(), c.lines);  // nothing more reached the module
    }
}

TEST(WirelessScan, TelitChannelIndexIsSentUnchanged) {
    for (const int channel : {0, 8}) {
        Bench b(Radio::Telit);
        ASSERT_TRUE(b.start(wMBus_Mode_T, channel));
        ASSERT_TRUE(b.runTo(134));
        const auto lines = b.segment.telitLines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), "ATS420=" + std::to_string(channel) + "\r"), lines.end());
    }
}

TEST(WirelessScan, TelitKeyLoadSendsTheMeterAddressAndKeyThenListensAgain) {
    Bench b(Radio::Telit);
    b.addMeter(wirelessMeter(0x1111, 0x99999999, 1, 7));
    b.addMeter(wirelessMeter(0x2C2D, 0x12345678, 0x1B, 0x16));
    ASSERT_TRUE(b.start(wMBus_Mode_T));
    ASSERT_TRUE(b.runTo(134));
    const size_t before = b.segment.telitLines().size();

    std::array<uint8_t, 16> key{};
    for (size_t i = 0; i < key.size(); ++i) key[i] = uint8_t(0xF0 + i);
    ASSERT_TRUE(b.engine->Insert_Wireless_Key(1, key));
    EXPECT_EQ(b.engine->Step_Scan, 200);
    b.engine->Step_Once();
    // Listening ended with the key load: a telegram now would be an answer, and the module is quiet.
    EXPECT_FALSE(b.engine->Wireless_Receive_Message);
    EXPECT_FALSE(b.line->push(telitTelegram(0x12345678)));
    ASSERT_TRUE(b.runTo(134));

    std::vector<std::string> expected = {"+++",         "ATS461=45\r", "ATS462=44\r", "ATS463=120\r",
                                         "ATS464=86\r", "ATS465=52\r", "ATS466=18\r", "ATS467=27\r",
                                         "ATS468=22\r"};
    for (int i = 0; i < 16; ++i) expected.push_back("ATS" + std::to_string(470 + i) + "=" + std::to_string(0xF0 + i) + "\r");
    expected.push_back("ATS460=5\r");
    expected.push_back("ATO\r");
    const auto lines = b.segment.telitLines();
    EXPECT_EQ(std::vector<std::string>(lines.begin() + std::ptrdiff_t(before), lines.end()), expected);
    EXPECT_EQ(b.segment.keysLoaded(),
              (std::vector<LoadedKey>{{-1, Build_RC_Meter_Address(0x12345678, 0x2C2D, 0x1B, 0x16), bytesOf(key)}}));
    EXPECT_TRUE(b.engine->Wireless_Receive_Message);
    EXPECT_EQ(b.engine->Index_Key_Send, 0);
    const auto m = b.wireless.Snapshot(1);
    EXPECT_TRUE(m->Enable_Key);
    EXPECT_EQ(m->Key, key);
    EXPECT_EQ(m->RadioCrafts_Ind_Tab_Decript, -1);
    EXPECT_FALSE(b.wireless.Snapshot(0)->Enable_Key);
    EXPECT_TRUE(b.line->push(telitTelegram(0x12345678)));
    EXPECT_EQ(b.reports, 1);
}

namespace {

// The Radiocrafts configuration as the module receives it, up to its exit to listening.
std::vector<TBytes> radioCraftsConfiguration(int32_t mode) {
    std::vector<TBytes> d = {{RC_Config}, {RC_Read_Memory}, {RC_Write_Memory}, Build_RC_Config(mode), {RC_End_Memory}};
    for (int slot = 1; slot <= 63; ++slot) {
        d.push_back({RC_Table_Address});
        d.push_back({uint8_t(slot)});
        d.push_back(TBytes(8, 0x00));
    }
    d.push_back({RC_Exit});
    return d;
}

}  // namespace

TEST(WirelessScan, RadioCraftsConfigurationWritesTheModeAndClearsSlots1To63) {
    struct Case {
        const char* name;
        int32_t mode;
        uint8_t value;
    };
    const Case cases[] = {
        {"C", wMBus_Mode_C, 0x0A}, {"T", wMBus_Mode_T, 0x01}, {"N1", wMBus_Mode_N1, 0x11},
        {"N2", wMBus_Mode_N2, 0x10}, {"S", wMBus_Mode_S, 0x03},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TBytes block = Build_RC_Config(c.mode);
        ASSERT_EQ(block.size(), 16u);
        EXPECT_EQ(block[0], 0x03);
        EXPECT_EQ(block[1], c.value);
        EXPECT_EQ(TBytes(block.begin() + 2, block.end()),
                  fake::hexBytes("04 00 05 01 12 01 16 17 3A 01 3D 02 37 01"));

        Bench b(Radio::RadioCrafts);
        ASSERT_TRUE(b.start(c.mode));
        ASSERT_TRUE(b.runTo(320));
        EXPECT_EQ(b.segment.radioBytes(), radioCraftsConfiguration(c.mode));
        EXPECT_EQ(b.engine->RadioModule, TRadioModule::rmRadioCrafts);
        EXPECT_EQ(b.engine->Index_RadioCrafts_Position_Used, 1);
        EXPECT_TRUE(b.engine->Wireless_Receive_Message);
        EXPECT_TRUE(b.segment.radioListening());
        EXPECT_EQ(b.engine->FResult, 1);
    }
}

TEST(WirelessScan, RadioCraftsKeyLoadWritesAddressKeyAndFlagsInTheMeterSlot) {
    Bench b(Radio::RadioCrafts);
    b.addMeter(wirelessMeter(0x2C2D, 0x12345678, 0x1B, 0x16));
    ASSERT_TRUE(b.start(wMBus_Mode_C));
    ASSERT_TRUE(b.runTo(320));
    const size_t before = b.segment.radioBytes().size();
    const auto key = keyOf(3);
    ASSERT_TRUE(b.engine->Insert_Wireless_Key(0, key));
    EXPECT_EQ(b.engine->Step_Scan, 400);
    b.engine->Step_Once();
    EXPECT_FALSE(b.engine->Wireless_Receive_Message);
    ASSERT_TRUE(b.runTo(320));

    const TBytes address = fake::hexBytes("78 56 34 12 2D 2C 1B 16");
    EXPECT_EQ(Build_RC_Meter_Address(0x12345678, 0x2C2D, 0x1B, 0x16), address);
    const std::vector<TBytes> expected = {{RC_Config},       {RC_Table_Address}, {1}, address,
                                          {RC_Table_Key},    {1},                bytesOf(key),
                                          {RC_Table_Flags},  {1},                {0x00, 0x40},
                                          {RC_Exit}};
    const auto got = b.segment.radioBytes();
    EXPECT_EQ(std::vector<TBytes>(got.begin() + std::ptrdiff_t(before), got.end()), expected);
    EXPECT_EQ(b.segment.keysLoaded(), (std::vector<LoadedKey>{{1, address, bytesOf(key)}}));
    EXPECT_EQ(b.wireless.Snapshot(0)->RadioCrafts_Ind_Tab_Decript, 1);
    EXPECT_TRUE(b.engine->Wireless_Receive_Message);
    EXPECT_EQ(b.engine->FResult, 1);
}

TEST(WirelessScan, RadioCraftsSlotsRunOutAtThe65thMeter) {
    Bench b(Radio::RadioCrafts);
    for (uint32_t i = 0; i < 66; ++i) b.addMeter(wirelessMeter(0x2C2D, 0x10000000 + i, 1, 7));
    ASSERT_TRUE(b.start(wMBus_Mode_T));
    ASSERT_TRUE(b.runTo(320));
    for (int i = 0; i < 64; ++i) {
        ASSERT_TRUE(b.engine->Insert_Wireless_Key(i, keyOf(i))) << i;
        ASSERT_TRUE(b.runTo(320)) << i;
    }
    const auto loaded = b.segment.keysLoaded();
    ASSERT_EQ(loaded.size(), 64u);
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(loaded[size_t(i)].Slot, i + 1);
        EXPECT_EQ(b.wireless.Snapshot(i)->RadioCrafts_Ind_Tab_Decript, i + 1);
    }

    // No slot left: the key is refused and the meter keeps no key and no slot, however often asked.
    for (int attempt = 0; attempt < 3; ++attempt) EXPECT_FALSE(b.engine->Insert_Wireless_Key(64, keyOf(64)));
    EXPECT_FALSE(b.engine->Insert_Wireless_Key(65, keyOf(65)));
    EXPECT_EQ(b.engine->Step_Scan, 320);
    for (const int i : {64, 65}) {
        const auto m = b.wireless.Snapshot(i);
        EXPECT_FALSE(m->Enable_Key);
        EXPECT_EQ(m->RadioCrafts_Ind_Tab_Decript, -1);
    }

    // A meter that has a slot takes a new key into it.
    ASSERT_TRUE(b.engine->Insert_Wireless_Key(5, keyOf(99)));
    ASSERT_TRUE(b.runTo(320));
    EXPECT_EQ(b.segment.keysLoaded().back().Slot, 6);
    EXPECT_EQ(b.segment.keysLoaded().back().Key, bytesOf(keyOf(99)));
}

TEST(WirelessScan, KeyOutsideAListeningStepIsRefusedAndChangesNothing) {
    const auto unchanged = [](Bench& b, int index) {
        const auto m = b.wireless.Snapshot(index);
        EXPECT_FALSE(m->Enable_Key);
        EXPECT_EQ(m->Key, TAESKey128{});
        EXPECT_EQ(m->RadioCrafts_Ind_Tab_Decript, -1);
        EXPECT_EQ(b.engine->Wireless_Key_Index, -1);
        EXPECT_EQ(b.engine->Index_RadioCrafts_Position_Used, 1);
    };
    for (const Radio module : {Radio::Telit, Radio::RadioCrafts}) {
        SCOPED_TRACE(module == Radio::Telit ? "Telit" : "Radiocrafts");
        const int listening = module == Radio::Telit ? 134 : 320;
        Bench b(module);
        b.addMeter(wirelessMeter(0x2C2D, 0x12345678, 1, 7));

        EXPECT_FALSE(b.engine->Insert_Wireless_Key(0, keyOf(1))) << "no scan";
        ASSERT_TRUE(b.start(wMBus_Mode_T));
        // Every step of the configuration refuses.
        while (b.engine->FInScan && b.engine->Step_Scan != listening) {
            const int step = b.engine->Step_Scan;
            EXPECT_FALSE(b.engine->Insert_Wireless_Key(0, keyOf(1))) << "step " << step;
            EXPECT_EQ(b.engine->Step_Scan, step);
            b.engine->Step_Once();
        }
        unchanged(b, 0);
        ASSERT_EQ(b.engine->Step_Scan, listening);
        EXPECT_FALSE(b.engine->Insert_Wireless_Key(1, keyOf(1))) << "no such meter";
        EXPECT_FALSE(b.engine->Insert_Wireless_Key(-1, keyOf(1))) << "no such meter";
        EXPECT_EQ(b.engine->Step_Scan, listening);
        unchanged(b, 0);

        // During a key load a second key is refused; the first is loaded alone.
        ASSERT_TRUE(b.engine->Insert_Wireless_Key(0, keyOf(2)));
        b.engine->Step_Once();
        b.engine->Step_Once();
        EXPECT_FALSE(b.engine->Insert_Wireless_Key(0, keyOf(3)));
        ASSERT_TRUE(b.runTo(listening));
        ASSERT_EQ(b.segment.keysLoaded().size(), 1u);
        EXPECT_EQ(b.segment.keysLoaded()[0].Key, bytesOf(keyOf(2)));
        EXPECT_EQ(b.wireless.Snapshot(0)->Key, keyOf(2));

        // A stop asked for: the scan is closing, no key is taken.
        b.engine->Stop_Scan();
        EXPECT_FALSE(b.engine->Insert_Wireless_Key(0, keyOf(4)));
        b.run();
        EXPECT_EQ(b.wireless.Snapshot(0)->Key, keyOf(2));
        EXPECT_EQ(b.segment.keysLoaded().size(), 1u);
    }
}

TEST(WirelessScan, WrongOrMissingAnswersEndTheScanAsAFailure) {
    struct Case {
        const char* name;
        Radio module;
        Segment::Mode configuration;
        bool okWithoutCr;
        bool shortMemory;
        int disableAttempts;
    };
    const Case cases[] = {
        {"Telit answering OK without its CR", Radio::Telit, Segment::Mode::Accept, true, false, 1},
        {"configuration mode refused", Radio::Telit, Segment::Mode::Refuse, false, false, 3},
        {"configuration mode without answer", Radio::Telit, Segment::Mode::Silent, false, false, 3},
        {"no radio module", Radio::None, Segment::Mode::Accept, false, false, 1},
        {"Radiocrafts memory without its prompt", Radio::RadioCrafts, Segment::Mode::Accept, false, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench b(c.module);
        b.segment.Configuration = c.configuration;
        b.segment.Ok_Without_Cr = c.okWithoutCr;
        b.segment.Short_Memory = c.shortMemory;
        ASSERT_TRUE(b.start(wMBus_Mode_T));
        b.run();
        EXPECT_EQ(b.engine->FResult, 2);
        EXPECT_EQ(b.segment.count(Cmd_Disable_Configuration.Sent), c.disableAttempts);
        EXPECT_FALSE(b.segment.configurationOn());
        EXPECT_FALSE(b.engine->Wireless_Receive_Message);
        EXPECT_EQ(b.engine->Step_Scan, 503);
        EXPECT_FALSE(b.line->isOpen());
        if (c.okWithoutCr) EXPECT_EQ(b.segment.telitLines(), (std::vector<std::string>{"+++"}));
    }
}

TEST(WirelessScan, StopOrAbortInAnyStepSwitchesTheConfigurationOff) {
    for (const bool abort : {false, true}) {
        for (const int at : {1, 3, 110, 133, 134, 205, 218, 305, 313, 317, 320, 404, 419}) {
            SCOPED_TRACE(std::string(abort ? "abort" : "stop") + " at step " + std::to_string(at));
            const Radio module = at >= 300 ? Radio::RadioCrafts : Radio::Telit;
            Bench b(module);
            b.addMeter(wirelessMeter(0x2C2D, 0x12345678, 1, 7));
            ASSERT_TRUE(b.start(wMBus_Mode_T));
            if (at >= 200 && at < 300) {
                ASSERT_TRUE(b.runTo(134));
                ASSERT_TRUE(b.engine->Insert_Wireless_Key(0, keyOf(1)));
            } else if (at >= 400) {
                ASSERT_TRUE(b.runTo(320));
                ASSERT_TRUE(b.engine->Insert_Wireless_Key(0, keyOf(1)));
            }
            ASSERT_TRUE(b.runTo(at));
            if (abort) b.engine->Abort_Scan();
            else b.engine->Stop_Scan();
            b.engine->Step_Once();
            EXPECT_EQ(b.engine->Step_Scan, 501);
            b.run();
            EXPECT_EQ(b.engine->FResult, 1);
            EXPECT_EQ(b.segment.count(Cmd_Disable_Configuration.Sent), 1);
            EXPECT_FALSE(b.segment.configurationOn());
            EXPECT_FALSE(b.engine->FStopScan);
            EXPECT_FALSE(b.engine->FAbortScan);
        }
    }
}

TEST(WirelessScan, StopAskedAgainDuringTheSwitchOffDoesNotStartItOver) {
    Bench b(Radio::Telit);
    b.segment.Configuration = Segment::Mode::Silent;
    ASSERT_TRUE(b.start(wMBus_Mode_T));
    ASSERT_TRUE(b.runTo(502));
    // The user keeps pressing stop while the gateway stays silent: three attempts, then the end.
    for (int n = 0; n < 100000 && b.engine->FInScan; ++n) {
        b.engine->Stop_Scan();
        b.engine->Step_Once();
    }
    EXPECT_FALSE(b.engine->FInScan);
    EXPECT_EQ(b.segment.count(Cmd_Disable_Configuration.Sent), 3);
    EXPECT_EQ(b.engine->FResult, 2);
}

TEST(WirelessScan, ScanReportIsWrittenAtTheEnd) {
    QTemporaryDir dir;
    Bench b(Radio::Telit);
    b.engine->SaveXMLFile = dir.filePath(QStringLiteral("wireless.xml"));
    ASSERT_TRUE(b.start(wMBus_Mode_T));
    ASSERT_TRUE(b.runTo(134));
    ASSERT_TRUE(b.line->push(telitTelegram(0x12345678)));
    b.engine->Stop_Scan();
    b.run();
    QFile f(b.engine->SaveXMLFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray xml = f.readAll();
    EXPECT_TRUE(xml.contains("SCAN_M-Bus_Wireless"));
    EXPECT_TRUE(xml.contains("12345678"));
}

// The user enters keys from another thread while the engine's own thread steps and the radio
// module forwards telegrams whenever it listens: every key the engine accepted is loaded exactly
// once, in the order accepted, and every telegram is reported exactly once, also one that comes
// while the engine talks to the module.
TEST(WirelessScan, KeysFromAnotherThreadAreLoadedExactlyOnceEach) {
    Bench b(Radio::Telit, true);
    const uint32_t ids[] = {0x11111111, 0x22222222, 0x33333333};
    ASSERT_TRUE(b.start(wMBus_Mode_T));
    b.engine->Event_Run->SetEvent();
    const auto waitFor = [&](const std::function<bool()>& pred) {
        return b.time.waitFor([&] { return pred() || !b.engine->FInScan; }) && b.engine->FInScan;
    };
    ASSERT_TRUE(waitFor([&] { return b.engine->Step_Scan == 134; }));
    for (const uint32_t id : ids) ASSERT_TRUE(b.line->push(telitTelegram(id)));
    ASSERT_EQ(b.wireless.Count(), 3);

    std::atomic<bool> done{false};
    std::atomic<int> pushed{0};
    std::thread radio([&] {
        // One telegram an engine pass at most, as a radio channel carries them: the answer queue
        // never fills.
        for (int i = 0; !done; ++i) {
            const uint64_t pass = b.time.passes();
            if (b.line->push(telitTelegram(ids[i % 3]))) ++pushed;
            b.time.waitFor([&] { return done || b.time.passes() > pass; });
        }
    });
    std::vector<std::pair<int, std::array<uint8_t, 16>>> accepted;
    std::thread user([&] {
        for (int i = 0; i < 1000; ++i) {
            // Every tenth call waits for listening, so that many calls are taken.
            if (i % 10 == 0) waitFor([&] { return b.engine->Step_Scan == 134; });
            const auto key = keyOf(i);
            if (b.engine->Insert_Wireless_Key(i % 3, key)) accepted.emplace_back(i % 3, key);
        }
    });
    user.join();
    const bool settled = waitFor(
        [&] { return b.segment.keysLoaded().size() >= accepted.size() && b.engine->Step_Scan == 134; });
    done = true;
    radio.join();
    ASSERT_TRUE(settled);
    b.engine->Stop_Scan();
    ASSERT_TRUE(b.time.waitFor([&] { return !b.engine->FInScan; }));

    EXPECT_GE(accepted.size(), 100u);
    EXPECT_GT(pushed, 0);
    EXPECT_EQ(b.engine->FResult, 1);
    std::vector<LoadedKey> expected;
    for (const auto& [index, key] : accepted)
        expected.push_back({-1, Build_RC_Meter_Address(ids[index], 0x2C2D, 1, 7), bytesOf(key)});
    EXPECT_EQ(b.segment.keysLoaded(), expected);
    for (int index = 0; index < 3; ++index) {
        std::optional<std::array<uint8_t, 16>> last;
        for (const auto& [i, key] : accepted)
            if (i == index) last = key;
        const auto m = b.wireless.Snapshot(index);
        EXPECT_EQ(m->Enable_Key, last.has_value());
        if (last) EXPECT_EQ(m->Key, *last);
    }
    EXPECT_EQ(b.reports, 3 + pushed);
    EXPECT_EQ(b.wireless.Count(), 3);
    EXPECT_EQ(b.engine->UDP_Server->Overflowed_Datagrams(), 0u);
}
