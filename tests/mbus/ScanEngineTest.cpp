// The wired scan's step machine on virtual time, over a fake line that plays a segment of meters.
#include "FakeGateway.h"
#include "mbus/MBusMeters.h"
#include "mbus/MBusScanSave.h"
#include "mbus/UMBusScanDecode.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <deque>

using namespace mbus;
using fake::Meter;
using fake::Segment;

namespace {

using Report = std::array<int, 4>;

using fake::FakeLine;
using fake::VirtualTime;

struct Bench {
    Segment segment;
    VirtualTime time;
    FakeLine* line = nullptr;
    TMBusSlaveList wired;
    TWMBusSlaveList wireless;
    std::vector<Report> reports;
    std::unique_ptr<TMBusScanDecode> engine;

    Bench() {
        TScanEngineSetup setup;
        setup.Timing.Ticks = [this] { return time.now.load(); };
        setup.Timing.Sleep = [this](uint32_t ms) { time.sleep(ms); };
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

    TUpdateSlaveList recorder() {
        return [this](int e, int a, int f, int t) { reports.push_back({e, a, f, t}); };
    }

    bool start(TMBusScanDecode::TScanType type, int cutAfter = 3, bool appReset = false, bool sndNke = false,
               bool fixC = false, uint8_t fixValue = 0) {
        return engine->Start_Scan(type, TMBusScanDecode::shEthernet, QStringLiteral("10.0.0.9"), 2400, 1, appReset,
                                  sndNke, cutAfter, fixC, fixValue, false, recorder());
    }

    // Runs the engine's passes until the scan ends; the number of passes.
    int run(int limit = 200000, const std::function<void()>& eachPass = {}) {
        int n = 0;
        while (engine->FInScan && n < limit) {
            engine->Step_Once();
            if (eachPass) eachPass();
            ++n;
        }
        EXPECT_FALSE(engine->FInScan) << "the scan did not end in " << limit << " passes";
        return n;
    }

    std::vector<Report> found() const {
        std::vector<Report> r;
        for (const Report& x : reports)
            if (x[0] == 2 && x[2] == 1) r.push_back(x);
        return r;
    }
};

// The frames that went onto the M-Bus, text commands left out.
std::vector<TBytes> frames(Segment& s) {
    std::vector<TBytes> out;
    for (const TBytes& b : s.received())
        if (!b.empty() && (b[0] == Short_Start || b[0] == Long_Start)) out.push_back(b);
    return out;
}

}  // namespace

TEST(ScanEngine, PrimaryScanReportsEveryAddressOnVirtualTime) {
    Bench b;
    b.segment.Meters = {fake::simpleMeter(5, 0x11111111), fake::documentationMeter(17)};
    const uint32_t virtualStart = b.time.now;
    ASSERT_TRUE(b.start(TMBusScanDecode::saPrimaryAddress));
    const int passes = b.run();

    std::vector<Report> expected{{1, 0, 0, 1}};
    for (int a = 0; a <= 250; ++a) expected.push_back({2, a, a == 5 || a == 17 ? 1 : 0, 1});
    expected.push_back({3, 0, 0, 1});
    EXPECT_EQ(b.reports, expected);
    EXPECT_EQ(b.engine->FResult, 1);

    const auto f = frames(b.segment);
    ASSERT_FALSE(f.empty());
    EXPECT_EQ(f.front(), fake::hexBytes("10 40 FF 3F 16"));
    EXPECT_EQ(b.segment.count(Cmd_Enable_Analyzer.Sent), 1);
    EXPECT_EQ(b.segment.count(Cmd_Disable_Analyzer.Sent), 1);
    EXPECT_FALSE(b.segment.analyzerOn());

    // 249 silent addresses each waited out their RSP_UD wait, all on the test clock, one pass a
    // step pause: the waits cost passes, never a busy loop.
    EXPECT_GT(b.time.now - virtualStart, 249u * TimeOut_Long(2400, 0));
    const int perAddress = int(TimeOut_Long(2400, 0) / TScanTiming{}.Step_Ms) + 4;
    EXPECT_LT(passes, 251 * perAddress);

    ASSERT_EQ(b.wired.Count(), 2);
    const auto m = b.wired.Snapshot(1);
    EXPECT_EQ(m->Primary_Addresss, 17);
    EXPECT_EQ(m->Secondary_Addresss, "12345678");
    EXPECT_EQ(m->Manufacture, 0x4024);
    EXPECT_EQ(m->Medium, 7);
    EXPECT_EQ(m->descmedium, Medium_Desc(7));
    ASSERT_EQ(m->List_Var.size(), 3u);
    EXPECT_EQ(m->List_Var[0].ValueStr, "12.565");
    EXPECT_FALSE(b.engine->FInScan);
    EXPECT_FALSE(b.line->isOpen());
}

// One meter at address 1; the scan is stopped once it was reported.
struct FramesCase {
    const char* name;
    Meter meter;
    int cutAfter;
    std::vector<uint8_t> cFields;  // of the REQ_UD2 to the meter
    int found;
    size_t values;                 // decoded into the meter
    bool fixC = false;
    uint8_t fixValue = 0;
};

TEST(ScanEngine, FramesReadFromOneMeter) {
    Meter more = fake::simpleMeter(1, 0x22222222, true, 5);
    Meter once = fake::simpleMeter(1, 0x22222222, true, 5);
    Meter shortAnswer = fake::simpleMeter(1, 0x22222222);
    shortAnswer.Short_Answer = true;
    Meter goneSilent = fake::simpleMeter(1, 0x22222222, true, 5);
    goneSilent.Silent_After = 1;
    Meter otherCi = fake::simpleMeter(1, 0x22222222);
    otherCi.CI = 0x7A;
    const FramesCase cases[] = {
        {"CutAfterThreeTogglesTheFcb", more, 3, {0x7B, 0x5B, 0x7B}, 1, 3},
        {"CutAfterOneReadsOneFrame", once, 1, {0x7B}, 1, 1},
        {"AnswerOf21BytesIsNotFound", shortAnswer, 3, {0x7B}, 0, 0},
        {"LaterFrameTimingOutKeepsTheMeterFound", goneSilent, 3, {0x7B, 0x5B}, 1, 1},
        {"FixedCFieldZeroKeepsTheFcbClear", more, 2, {0x5B, 0x5B}, 1, 2, true, 0},
        {"OnlyVariableDataIsWalked", otherCi, 3, {0x7B}, 1, 1},
    };
    for (const FramesCase& c : cases) {
        SCOPED_TRACE(c.name);
        Bench b;
        b.segment.Meters = {c.meter};
        ASSERT_TRUE(b.start(TMBusScanDecode::saPrimaryAddress, c.cutAfter, false, false, c.fixC, c.fixValue));
        b.run(200000, [&] {
            if (!b.reports.empty() && b.reports.back()[0] == 2 && b.reports.back()[1] == 1) b.engine->FStopScan = true;
        });
        std::vector<uint8_t> toMeter;
        for (const TBytes& f : frames(b.segment))
            if (f.size() == 5 && f[2] == 1 && f[1] != 0x40) toMeter.push_back(f[1]);
        EXPECT_EQ(toMeter, c.cFields);
        const std::vector<Report> expected{{1, 0, 0, 1}, {2, 0, 0, 1}, {2, 1, c.found, 1}, {3, 0, 0, 1}};
        EXPECT_EQ(b.reports, expected);
        if (c.values == 0) {
            // The short frame is no RSP_UD: nothing was added.
            EXPECT_EQ(b.wired.Count(), 0);
        } else {
            ASSERT_EQ(b.wired.Count(), 1);
            const auto m = b.wired.Snapshot(0);
            EXPECT_EQ(m->List_Var.size(), c.values);
            if (c.meter.CI != CI_Variable_Data) EXPECT_TRUE(m->List_Var[0].errata);
            else EXPECT_FALSE(m->List_Var[0].errata);
        }
    }
}

TEST(ScanEngine, ResetAndSndNkeGoBeforeTheRead) {
    Bench b;
    b.segment.Meters = {fake::simpleMeter(1, 0x22222222)};
    ASSERT_TRUE(b.start(TMBusScanDecode::saPrimaryAddress, 1, true, true));
    b.run(200000, [&] {
        if (!b.reports.empty() && b.reports.back()[1] == 1) b.engine->FStopScan = true;
    });
    std::vector<TBytes> toMeter;
    for (const TBytes& f : frames(b.segment))
        if ((f.size() == 5 && f[2] == 1) || (f.size() == 9 && f[5] == 1)) toMeter.push_back(f);
    const std::vector<TBytes> expected{Build_App_Reset(1), Build_SND_NKE(1), Build_REQ_UD2(1, 0)};
    EXPECT_EQ(toMeter, expected);
    EXPECT_EQ(b.found(), (std::vector<Report>{{2, 1, 1, 1}}));
}

TEST(ScanEngine, SecondarySearchFindsEveryMeterOnce) {
    Bench b;
    b.segment.Meters = {fake::simpleMeter(0, 0x12345601), fake::simpleMeter(0, 0x12345602),
                        fake::simpleMeter(0, 0x19999999), fake::simpleMeter(0, 0x23456789),
                        fake::simpleMeter(0, 0x87654321)};
    ASSERT_TRUE(b.start(TMBusScanDecode::saSecondaryAddress, 1));
    b.run();

    ASSERT_GE(b.reports.size(), 2u);
    EXPECT_EQ(b.reports.front(), (Report{1, 0, 0, 2}));
    EXPECT_EQ(b.reports.back(), (Report{3, 0, 0, 2}));
    std::vector<Report> middle(b.reports.begin() + 1, b.reports.end() - 1);
    const std::vector<Report> expected{{2, 0x12345601, 1, 2}, {2, 0x12345602, 1, 2}, {2, 0x19999999, 1, 2},
                                       {2, 0x23456789, 1, 2}, {2, int(0x87654321u), 1, 2}};
    EXPECT_EQ(middle, expected);
    EXPECT_EQ(b.wired.Count(), 5);

    const auto sel = b.segment.selections();
    EXPECT_LT(sel.size(), 250u);
    const auto next = [&](const std::string& s) -> std::string {
        for (size_t i = 0; i + 1 < sel.size(); ++i)
            if (sel[i] == s) return sel[i + 1];
        return "(never)";
    };
    EXPECT_EQ(next("1FFFFFFF"), "10FFFFFF");  // a collision refines under the digit
    EXPECT_EQ(next("12345609"), "1234561F");  // H past 9 goes back to G
    EXPECT_EQ(sel.back(), "9FFFFFFF");       // the last value of A ends the search
    // The bytes of one selection, as sent.
    const auto f = frames(b.segment);
    EXPECT_TRUE(std::find(f.begin(), f.end(), Build_Select_Secondary({1, -1, -1, -1, -1, -1, -1, -1})) != f.end());
}

TEST(ScanEngine, GatewayThatRefusesOrStaysSilentFailsTheScan) {
    for (const Segment::Mode mode : {Segment::Mode::Refuse, Segment::Mode::Silent}) {
        SCOPED_TRACE(mode == Segment::Mode::Refuse ? "refused" : "silent");
        Bench b;
        b.segment.Analyzer = mode;
        b.segment.Meters = {fake::simpleMeter(1, 0x22222222)};
        ASSERT_TRUE(b.start(TMBusScanDecode::saPrimaryAddress));
        b.run();
        EXPECT_EQ(b.engine->FResult, 2);
        EXPECT_EQ(b.segment.count(Cmd_Disable_Analyzer.Sent), 3);
        EXPECT_TRUE(frames(b.segment).empty());
        EXPECT_TRUE(b.reports.empty());
    }
}

// An answer that comes after its wait belongs to the address asked before: the address asked
// after it never takes it, whether it is the first frame of a meter, a later frame of a meter read
// over several frames, or a frame of the meter selected before.
TEST(ScanEngine, AnswerAfterItsWaitIsNotCreditedToTheNextAddress) {
    struct Case {
        const char* name;
        TMBusScanDecode::TScanType type;
        std::vector<Meter> meters;
        std::vector<Report> found;
        std::vector<std::pair<QString, std::vector<QString>>> listed;  // secondary address, data of each value
    };
    Meter late = fake::simpleMeter(1, 0x11111111);
    late.Late_Ms = TimeOut_Long(2400, 0) + 700;
    Meter lateSecond = fake::simpleMeter(1, 0x11111111, true, 2);
    lateSecond.Late_Ms = TimeOut_Long(2400, 0) + 700;
    lateSecond.Late_After = 1;
    // Selected first, its answer after the wait and after the next meter's selection; the next
    // meter answers a little late, so the stale frame comes first.
    Meter lateSelected = fake::simpleMeter(0, 0x12345601);
    lateSelected.Late_Ms = TimeOut_Long(2400, 0) + 2 * 800 + 300;
    Meter slowSelected = fake::simpleMeter(0, 0x12345602);
    slowSelected.Late_Ms = 400;
    const Case cases[] = {
        {"primary: the only frame late", TMBusScanDecode::saPrimaryAddress, {late}, {}, {}},
        {"primary: the second frame late", TMBusScanDecode::saPrimaryAddress, {lateSecond}, {{2, 1, 1, 1}},
         {{QStringLiteral("11111111"), {QStringLiteral("01000001")}}}},
        {"secondary: the frame of the meter selected before", TMBusScanDecode::saSecondaryAddress,
         {lateSelected, slowSelected}, {{2, 0x12345602, 1, 2}},
         {{QStringLiteral("12345602"), {QStringLiteral("01000000")}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bench b;
        b.segment.Meters = c.meters;
        ASSERT_TRUE(b.start(c.type, 3));
        if (c.type == TMBusScanDecode::saPrimaryAddress) {
            b.run(200000, [&] {
                if (!b.reports.empty() && b.reports.back()[0] == 2 && b.reports.back()[1] == 3) b.engine->Stop_Scan();
            });
            EXPECT_EQ(std::count(b.reports.begin(), b.reports.end(), Report{2, 2, 0, 1}), 1);
        } else {
            b.run();
        }
        EXPECT_EQ(b.found(), c.found);
        ASSERT_EQ(b.wired.Count(), int(c.listed.size()));
        for (size_t i = 0; i < c.listed.size(); ++i) {
            const auto m = b.wired.Snapshot(int(i));
            EXPECT_EQ(m->Secondary_Addresss, c.listed[i].first);
            std::vector<QString> data;
            for (const TVariable_MBus& v : m->List_Var) data.push_back(v.totdati);
            EXPECT_EQ(data, c.listed[i].second);
        }
        EXPECT_GE(b.engine->UDP_Server->Stale_Answers(), 1u) << "the late frame came and was dropped";
    }
}

TEST(ScanEngine, LateAnalyzerAnswerFailsTheScan) {
    Bench b;
    b.segment.Delay_Ms = TimeOut_Text(0) + 200;
    ASSERT_TRUE(b.start(TMBusScanDecode::saPrimaryAddress));
    b.run();
    EXPECT_EQ(b.engine->FResult, 2);
    EXPECT_TRUE(b.reports.empty());
}

TEST(ScanEngine, AbortAndStopEndTheScan) {
    {
        SCOPED_TRACE("abort mid-scan: through the switch-off, without end report");
        Bench b;
        b.segment.Meters = {fake::simpleMeter(1, 0x22222222)};
        ASSERT_TRUE(b.start(TMBusScanDecode::saPrimaryAddress));
        bool aborted = false;
        b.run(200000, [&] {
            if (b.reports.size() == 4 && !aborted) {
                b.engine->Abort_Scan();
                aborted = true;
            }
        });
        ASSERT_EQ(b.reports.size(), 4u);
        EXPECT_EQ(b.reports.back(), (Report{2, 2, 0, 1}));
        EXPECT_EQ(b.segment.count(Cmd_Disable_Analyzer.Sent), 1);
        EXPECT_FALSE(b.engine->FAbortScan);
        EXPECT_EQ(b.engine->FResult, 1);
    }
    {
        SCOPED_TRACE("stop: a primary scan ends at the next address, with its end report");
        Bench b;
        ASSERT_TRUE(b.start(TMBusScanDecode::saPrimaryAddress));
        b.run(200000, [&] {
            if (b.reports.size() == 4 && b.engine->Step_Scan == 10) b.engine->Stop_Scan();
        });
        const std::vector<Report> expected{{1, 0, 0, 1}, {2, 0, 0, 1}, {2, 1, 0, 1}, {2, 2, 0, 1},
                                           {2, 3, 0, 1}, {3, 0, 0, 1}};
        EXPECT_EQ(b.reports, expected);
    }
    {
        SCOPED_TRACE("stop: a secondary search ends at the next digit step, without end report");
        Bench b;
        ASSERT_TRUE(b.start(TMBusScanDecode::saSecondaryAddress));
        b.run(200000, [&] {
            if (b.segment.selections().size() == 3) b.engine->Stop_Scan();
        });
        EXPECT_EQ(b.segment.selections().size(), 3u);
        EXPECT_EQ(b.reports, (std::vector<Report>{{1, 0, 0, 2}}));
        EXPECT_EQ(b.segment.count(Cmd_Disable_Analyzer.Sent), 1);
    }
}

TEST(ScanEngine, FailedSendClosesTheScanAndTheNextOneRuns) {
    Bench b;
    b.segment.Meters = {fake::simpleMeter(0, 0x22222222)};
    ASSERT_TRUE(b.start(TMBusScanDecode::saPrimaryAddress));
    b.line->failSends = true;
    b.run();
    EXPECT_EQ(b.engine->FResult, 2);
    EXPECT_TRUE(b.reports.empty());

    b.line->failSends = false;
    ASSERT_TRUE(b.start(TMBusScanDecode::saPrimaryAddress));
    b.run(200000, [&] {
        if (!b.found().empty()) b.engine->FStopScan = true;
    });
    EXPECT_EQ(b.engine->FResult, 1);
    EXPECT_EQ(b.found(), (std::vector<Report>{{2, 0, 1, 1}}));
}

TEST(ScanEngine, ThrowingProgressCallbackDoesNotEndTheScan) {
    Bench b;
    b.segment.Meters = {fake::simpleMeter(0, 0x22222222), fake::simpleMeter(1, 0x33333333)};
    int calls = 0;
    ASSERT_TRUE(b.engine->Start_Scan(TMBusScanDecode::saPrimaryAddress, TMBusScanDecode::shEthernet,
                                     QStringLiteral("10.0.0.9"), 2400, 1, false, false, 1, false, 0, false,
                                     [&](int, int a, int, int) {
                                         ++calls;
                                         if (a == 2) b.engine->Stop_Scan();  // from inside the step
                                         throw std::runtime_error("window gone");
                                     }));
    b.run();
    EXPECT_EQ(calls, 5);  // start, 0, 1, 2, end
    EXPECT_EQ(b.wired.Count(), 2);
    EXPECT_EQ(b.engine->FResult, 1);
}

TEST(ScanEngine, ScanReportAtTheEndAndTheNetworkFileFromTheEnginesList) {
    QTemporaryDir dir;
    Bench b;
    b.segment.Meters = {fake::documentationMeter(0)};
    b.engine->SaveXMLFile = dir.filePath(QStringLiteral("scan.xml"));
    ASSERT_TRUE(b.start(TMBusScanDecode::saPrimaryAddress));
    b.run(200000, [&] {
        if (!b.found().empty()) b.engine->FStopScan = true;
    });
    QFile f(b.engine->SaveXMLFile);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray xml = f.readAll();
    EXPECT_TRUE(xml.contains("SCAN_M-Bus_Wired"));
    EXPECT_TRUE(xml.contains("Secondary_Address=\"12345678\""));
    EXPECT_TRUE(xml.contains("12.565"));

    // The network file from the engine's own list of meters.
    TSaveConfXML conf;
    conf.File_Name = dir.filePath(QStringLiteral("M_Bus.xml"));
    ASSERT_TRUE(b.engine->Save_XML_Conf_Wired(conf, false));
    QFile net(conf.File_Name);
    ASSERT_TRUE(net.open(QIODevice::ReadOnly));
    const QByteArray netXml = net.readAll();
    EXPECT_EQ(netXml.count("<Nodo "), 1);
    EXPECT_EQ(netXml.count("<Variabile "), 3);
    EXPECT_FALSE(b.engine->Save_XML_Conf_Wireless(conf, false));  // no wireless meter: nothing written
}
