// Frames the scan builds, the answers it accepts, and the time-out arithmetic.
#include "mbus/MBusFrames.h"
#include "mbus/UMBusScanDecode.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <string>

using namespace mbus;

namespace {

TBytes hex(const char* text) {
    const QByteArray b = QByteArray::fromHex(QByteArray(text).replace(' ', ""));
    return TBytes(b.begin(), b.end());
}

TBytes text(std::string_view s) {
    return TBytes(s.begin(), s.end());
}

const TBytes kDocFrame = hex("68 1F 1F 68 08 02 72 78 56 34 12 24 40 01 07 55 00 00 00 03 13 15 31 00 DA 02 3B 13 01 "
                             "8B 60 04 37 18 02 18 16");

constexpr int W = -1;  // wildcard digit

}  // namespace

TEST(Frames, BuildersGiveTheExactBytes) {
    const TCFieldSetting free{};
    const TCFieldSetting fixed0{true, 0};
    const TCFieldSetting fixed1{true, 1};
    const struct {
        const char* name;
        TBytes built;
        const char* expected;
    } cases[] = {
        {"REQ_UD2 count 0 sets FCB", Build_REQ_UD2(5, 0), "10 7B 05 80 16"},
        {"REQ_UD2 count 1 clears FCB", Build_REQ_UD2(5, 1), "10 5B 05 60 16"},
        {"REQ_UD2 count 2 sets FCB again", Build_REQ_UD2(5, 2), "10 7B 05 80 16"},
        {"REQ_UD2 fixed 1 ignores the count", Build_REQ_UD2(5, 1, fixed1), "10 7B 05 80 16"},
        {"REQ_UD2 fixed 0 ignores the count", Build_REQ_UD2(5, 0, fixed0), "10 5B 05 60 16"},
        {"REQ_UD2 to the selected meter", Build_REQ_UD2(Address_Selected, 0), "10 7B FD 78 16"},
        {"SND_NKE broadcast", Build_SND_NKE(255), "10 40 FF 3F 16"},
        {"SND_NKE to 1", Build_SND_NKE(1), "10 40 01 41 16"},
        {"application reset", Build_App_Reset(1, free), "68 03 03 68 73 01 50 C4 16"},
        {"application reset fixed 0", Build_App_Reset(1, fixed0), "68 03 03 68 53 01 50 A4 16"},
        {"application reset fixed 1", Build_App_Reset(1, fixed1), "68 03 03 68 73 01 50 C4 16"},
        {"selection 12FFFFFF", Build_Select_Secondary({1, 2, W, W, W, W, W, W}),
         "68 0B 0B 68 73 FD 52 FF FF FF 12 FF FF FF FF CD 16"},
        {"selection 12345678", Build_Select_Secondary({1, 2, 3, 4, 5, 6, 7, 8}),
         "68 0B 0B 68 73 FD 52 78 56 34 12 FF FF FF FF D2 16"},
        {"selection fixed 0", Build_Select_Secondary({W, W, W, W, W, W, W, W}, fixed0),
         "68 0B 0B 68 53 FD 52 FF FF FF FF FF FF FF FF 9A 16"},
        {"serial settings 2400 even", Build_Set_MBus_Serial(2400, 1),
         "51 75 6F 72 69 6D 5F 53 5F 4D 3A 00 00 09 60 2C 02"},
        {"serial settings 38400 odd", Build_Set_MBus_Serial(38400, 2),
         "51 75 6F 72 69 6D 5F 53 5F 4D 3A 00 00 96 00 2C 01"},
        {"serial settings 300 none", Build_Set_MBus_Serial(300, 0),
         "51 75 6F 72 69 6D 5F 53 5F 4D 3A 00 00 01 2C 2C 00"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.built, hex(c.expected)) << c.name;
}

TEST(Frames, SelectionChecksumIsTheSumFromCToTheLastWildcard) {
    const TBytes f = Build_Select_Secondary({1, 2, W, W, W, W, W, W});
    ASSERT_EQ(f.size(), 17u);
    EXPECT_EQ(f[15], Frame_Checksum(std::span<const uint8_t>(f).subspan(4, 11)));
}

TEST(Frames, AnswerClassification) {
    TBytes wrongSum = kDocFrame;
    wrongSum[wrongSum.size() - 2] ^= 0x01;
    TBytes wrongL = kDocFrame;
    wrongL[2] = 0x1E;
    TBytes wrongStop = kDocFrame;
    wrongStop.back() = 0x17;
    TBytes wrongStart = kDocFrame;
    wrongStart[3] = 0x69;
    TBytes truncated(kDocFrame.begin(), kDocFrame.end() - 1);
    // 21 bytes with a right checksum and stop byte.
    TBytes short21 = hex("68 0F 0F 68 08 02 72 78 56 34 12 24 40 01 07 55 00 00 00 00 16");
    short21[19] = Frame_Checksum(std::span<const uint8_t>(short21).subspan(4, 15));
    TBytes long22 = hex("68 10 10 68 08 02 72 78 56 34 12 24 40 01 07 55 00 00 00 01 00 16");
    long22[20] = Frame_Checksum(std::span<const uint8_t>(long22).subspan(4, 16));
    TBytes noSlavePlus = text(Answer_No_Slave);
    noSlavePlus.push_back(0);

    const struct {
        const char* name;
        TBytes answer;
        TAnswerKind kind;
    } cases[] = {
        {"empty", {}, TAnswerKind::Nothing},
        {"single character", {0xE5}, TAnswerKind::Single_Char},
        {"E5 twice", {0xE5, 0xE5}, TAnswerKind::Other},
        {"other single byte", {0xE6}, TAnswerKind::Other},
        {"documentation frame", kDocFrame, TAnswerKind::RSP_UD},
        {"22 bytes", long22, TAnswerKind::RSP_UD},
        {"wrong checksum", wrongSum, TAnswerKind::Other},
        {"L fields differ", wrongL, TAnswerKind::Other},
        {"wrong stop byte", wrongStop, TAnswerKind::Other},
        {"wrong second start byte", wrongStart, TAnswerKind::Other},
        {"truncated", truncated, TAnswerKind::Other},
        {"21 bytes with a right checksum", short21, TAnswerKind::Other},
        {"no slave", hex("4E 4F 5F 53 4C 41 56 45 0A 0D"), TAnswerKind::No_Slave},
        {"no slave plus one byte", noSlavePlus, TAnswerKind::Other},
        {"no slave without CR", hex("4E 4F 5F 53 4C 41 56 45 0A"), TAnswerKind::Other},
    };
    for (const auto& c : cases) EXPECT_EQ(Classify_Answer(c.answer), c.kind) << c.name;
}

TEST(Frames, TextAnswersMatchWhole) {
    const std::string_view enabled = Cmd_Enable_Analyzer.Answer;
    EXPECT_EQ(enabled, "\n\rAnalyzer_Mode Enabled!\n\r");
    TBytes plusOne = text(enabled);
    plusOne.push_back('x');
    TBytes lower = text(enabled);
    lower[2] = 'a';
    const struct {
        const char* name;
        TBytes answer;
        std::string_view expected;
        bool accepted;
    } cases[] = {
        {"exact", text(enabled), enabled, true},
        {"plus one byte", plusOne, enabled, false},
        {"one byte short", TBytes(enabled.begin(), enabled.end() - 1), enabled, false},
        {"case differs", lower, enabled, false},
        {"empty", {}, enabled, false},
        {"serial settings done", text("\n\rDone!"), Answer_Serial_Settings, true},
        {"done with terminator", text("\n\rDone!\n\r"), Answer_Serial_Settings, false},
        {"disabled", text("\n\rAnalyzer_Mode Disabled!\n\r"), Cmd_Disable_Analyzer.Answer, true},
        {"configuration enabled", text("\n\rConfiguration_Mode Enabled!\n\r"), Cmd_Enable_Configuration.Answer, true},
        {"configuration disabled", text("\n\rConfiguration_Mode Disabled!\n\r"), Cmd_Disable_Configuration.Answer,
         true},
    };
    for (const auto& c : cases) EXPECT_EQ(Text_Answer_Is(c.answer, c.expected), c.accepted) << c.name;

    EXPECT_EQ(Radio_Module_Of(text("\n\rTELIT\n\r")), TRadioModule::rmTelit);
    EXPECT_EQ(Radio_Module_Of(text("\n\rRADIOCRAFTS\n\r")), TRadioModule::rmRadioCrafts);
    EXPECT_EQ(Radio_Module_Of(text("\n\rTELIT\n\r\n")), std::nullopt);
    EXPECT_EQ(Radio_Module_Of(text("TELIT")), std::nullopt);

    EXPECT_EQ(Cmd_Enable_Analyzer.Sent, "Quorim_Enable_Analyzer_Mode");
    EXPECT_EQ(Cmd_Disable_Analyzer.Sent, "Quorim_Disable_Analyzer_Mode");
    EXPECT_EQ(Cmd_Enable_Configuration.Sent, "Quorim_Enable_Configuration_Mode");
    EXPECT_EQ(Cmd_Disable_Configuration.Sent, "Quorim_Disable_Configuration_Mode");
    EXPECT_EQ(Cmd_Type_Radio_Module, "Quorim_Type_Radio_Module");
}

TEST(Frames, HeaderAndRecordsOfAnAcceptedFrame) {
    const auto h = Read_RSP_UD_Header(kDocFrame);
    ASSERT_TRUE(h.has_value());
    EXPECT_EQ(h->C, 0x08);
    EXPECT_EQ(h->A, 0x02);
    EXPECT_EQ(h->CI, 0x72);
    EXPECT_EQ(h->Ident, 0x12345678u);
    EXPECT_EQ(h->Manufacturer, 0x4024);
    EXPECT_EQ(Trova_Man(h->Manufacturer), "PAD");
    EXPECT_EQ(h->Version, 1);
    EXPECT_EQ(h->Medium, 7);
    EXPECT_EQ(Medium_Desc(h->Medium), "Water");
    EXPECT_EQ(h->Access, 0x55);
    EXPECT_EQ(h->Status, 0);
    EXPECT_EQ(h->Signature, 0);

    const auto records = RSP_UD_Records(kDocFrame);
    EXPECT_EQ(TBytes(records.begin(), records.end()), hex("03 13 15 31 00 DA 02 3B 13 01 8B 60 04 37 18 02"));

    TBytes bad = kDocFrame;
    bad[20] ^= 1;
    EXPECT_FALSE(Read_RSP_UD_Header(bad).has_value());
    EXPECT_TRUE(RSP_UD_Records(bad).empty());
}

TEST(Frames, WaitArithmetic) {
    const struct {
        const char* name;
        uint32_t got;
        uint32_t expected;
    } cases[] = {
        {"short at 2400", TimeOut_Short(2400, 0), 587},
        {"long at 2400", TimeOut_Long(2400, 0), 1802},
        {"short at 300 remote", TimeOut_Short(300, 10000), 1100 + 450 + 10000},
        {"long at 38400", TimeOut_Long(38400, 0), 84 + 450},
        {"long with no line speed counts as 300", TimeOut_Long(0, 0), 10816 + 450},
        {"text", TimeOut_Text(0), 1000},
        {"text remote", TimeOut_Text(10000), 11000},
        {"radiocrafts block", TimeOut_Radiocrafts_Block(0), 500},
        {"radiocrafts index remote", TimeOut_Radiocrafts_Index(10000), 10100},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.name;
}

TEST(Frames, TimeOutAcrossTheCounterWrap) {
    const struct {
        const char* name;
        uint32_t now, start, wait;
        bool expired;
    } cases[] = {
        {"just inside", 1000 + 587, 1000, 587, false},
        {"one past", 1000 + 588, 1000, 587, true},
        {"wrapped, inside", 100, 0xFFFFFF00u, 587, false},   // 356 ms passed
        {"wrapped, past", 400, 0xFFFFFF00u, 587, true},      // 656 ms passed
        {"counter below the send", 999, 1000, 587, true},
    };
    for (const auto& c : cases) EXPECT_EQ(Check_TimeOut(c.now, c.start, c.wait), c.expired) << c.name;
}
