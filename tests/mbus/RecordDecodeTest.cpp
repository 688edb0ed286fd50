// Record decoding: values, units, type codes and the records that end the walk.
#include "mbus/MBusFrames.h"
#include "mbus/UMBusScanDecode.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <cmath>
#include <string>
#include <vector>

using namespace mbus;

namespace {

std::vector<uint8_t> hex(const char* text) {
    const QByteArray b = QByteArray::fromHex(QByteArray(text).replace(' ', ""));
    return std::vector<uint8_t>(b.begin(), b.end());
}

TDecodeContext wired() {
    TDecodeContext c;
    c.Stamp = QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7));
    return c;
}

TDecodeContext wireless() {
    TDecodeContext c = wired();
    c.Wireless = true;
    return c;
}

TVariableList decode(const std::vector<uint8_t>& bytes, bool* result = nullptr,
                     const TDecodeContext& ctx = wired()) {
    TVariableList list;
    const bool r = Decode_Records(list, bytes, ctx);
    if (result) *result = r;
    return list;
}

}  // namespace

TEST(RecordDecode, DocumentationFrameGivesItsThreeRecords) {
    const auto frame = hex("68 1F 1F 68 08 02 72 78 56 34 12 24 40 01 07 55 00 00 00 03 13 15 31 00 DA 02 3B "
                           "13 01 8B 60 04 37 18 02 18 16");
    // The records run from byte 19 to the byte before the checksum.
    const std::vector<uint8_t> records(frame.begin() + 19, frame.end() - 2);
    bool result = false;
    const TVariableList list = decode(records, &result);
    EXPECT_TRUE(result);
    ASSERT_EQ(list.size(), 3u);

    EXPECT_EQ(list[0].Desc_Type_Data, "Volume m3");
    EXPECT_EQ(list[0].ValueStr, "12.565");
    EXPECT_EQ(list[0].type_data, 2);
    EXPECT_EQ(list[0].storage_number, 0u);
    EXPECT_EQ(list[0].FunctionFieldStr, "Istantaneous value");
    EXPECT_EQ(list[0].DataFieldStr, "24 Bit Integer");
    EXPECT_EQ(list[0].totdati, "153100");
    EXPECT_EQ(list[0].dato_A, 0x3115u);
    EXPECT_EQ(list[0].DIF, "$03");
    EXPECT_EQ(list[0].nbyte, 3);
    EXPECT_EQ(list[0].vifvalue, 0x13);

    EXPECT_EQ(list[1].Desc_Type_Data, "Volume Flow m3/h");
    EXPECT_EQ(list[1].ValueStr, "0.113");
    EXPECT_EQ(list[1].type_data, 8);
    EXPECT_EQ(list[1].storage_number, 5u);
    EXPECT_EQ(list[1].function_fild, 1);
    EXPECT_EQ(list[1].FunctionFieldStr, "Maximum value");
    EXPECT_TRUE(list[1].Is_BCD);
    EXPECT_EQ(list[1].DIFE, "$02 ");
    EXPECT_EQ(list[1].numdife, 1);

    EXPECT_EQ(list[2].Desc_Type_Data, "Energy Wh");
    EXPECT_EQ(list[2].ValueStr, "218370");
    EXPECT_EQ(list[2].type_data, 0);
    EXPECT_EQ(list[2].device, 1);
    EXPECT_EQ(list[2].tarif, 2u);
    EXPECT_EQ(list[2].storage_number, 0u);
    EXPECT_EQ(list[2].DataFieldStr, "6 Digit BCD");
    EXPECT_EQ(list[2].descdim, "6 digit BCD");

    for (const auto& v : list) {
        EXPECT_FALSE(v.errata);
        EXPECT_TRUE(v.Enable);
        EXPECT_TRUE(v.Real_Wireless_Var);
        EXPECT_EQ(v.datagiorno, "04/03/2026");
        EXPECT_EQ(v.tempo, "05:06:07");
    }
}

// One complete record decoded on its own.
struct ValueCase {
    const char* name;
    const char* bytes;
    const char* desc;
    const char* value;
    int typeData;
    int typeVife;
};

class RecordValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(RecordValue, DecodesUnitValueAndCodes) {
    const ValueCase& c = GetParam();
    bool result = false;
    const TVariableList list = decode(hex(c.bytes), &result);
    EXPECT_TRUE(result);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_FALSE(list[0].errata) << list[0].sterror.toStdString();
    EXPECT_EQ(list[0].Desc_Type_Data.toStdString(), std::string(c.desc));
    EXPECT_EQ(list[0].ValueStr.toStdString(), std::string(c.value));
    EXPECT_EQ(list[0].type_data, c.typeData);
    EXPECT_EQ(list[0].Type_Data_Vife, c.typeVife);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordValue,
    ::testing::Values(
        ValueCase{"Volume32BitThousandths", "04 13 D2 04 00 00", "Volume m3", "1.234", 2, 0},
        ValueCase{"NegativeBcdWithSignNibble", "0C 14 78 56 34 F2", "Volume m3", "-23456.78", 2, 0},
        ValueCase{"Signed16Bit", "02 5B FE FF", "Flow Temperature \xC2\xB0" "C", "-2", 12, 0},
        ValueCase{"Signed24BitSignFromTopByte", "03 13 FF FF FF", "Volume m3", "-0.001", 2, 0},
        ValueCase{"Signed48Bit", "06 03 FE FF FF FF FF FF", "Energy Wh", "-2", 0, 0},
        ValueCase{"Unsigned64BitLarge", "07 03 00 00 00 00 00 00 01 00", "Energy Wh", "281474976710656", 0, 0},
        ValueCase{"Real32", "05 2B 00 00 C0 3F", "Power W", "1.5", 6, 0},
        ValueCase{"EightBitCountDays", "01 23 07", "On Time Days", "7", 4, 0},
        ValueCase{"PositiveExponent", "02 0E 05 00", "Energy J", "5000000", 1, 0},
        ValueCase{"Bcd12Digits", "0E 04 12 90 78 56 34 12", "Energy Wh", "1234567890120", 0, 0},
        ValueCase{"TableFdErrorFlag", "01 FD 17 05", "Error Flag (Binary)", "5", 19, 18},
        ValueCase{"TableFdVoltsExponent", "02 FD 46 E8 03", "Electric Units Volts", "1", 19, 38},
        ValueCase{"TableFdAccessCodeSteps", "01 FD 14 01", "Access Code System Operator", "1", 19, 15},
        ValueCase{"TableFdReserved", "01 FD 23 01", "Reserved", "1", 19, 0},
        ValueCase{"TableFbEnergyMWh", "02 FB 00 0A 00", "Energy MWh", "1", 19, 51},
        ValueCase{"TableFbVolumeHundreds", "01 FB 11 02", "Volume m3", "2000", 19, 53},
        ValueCase{"TableFbFahrenheit", "02 FB 5B 10 00", "Flow Temperature \xC2\xB0" "F", "16", 19, 63},
        ValueCase{"DateTypeG", "02 6C 1F 3C", "Time Point Date (Type G)", "31/12/24", 20, 0},
        ValueCase{"DateTimeTypeF", "04 6D 1E 0E 1F 3C", "Time Point Date and Time (Type F)", "31/12/24 14:30", 20, 0},
        ValueCase{"TimeTypeJ", "03 6D 05 10 08", "Time Point Extended Time Point (Type J)", "08:16:05", 20, 0},
        ValueCase{"DateTimeTypeI", "06 6D 05 10 48 1F 3C 00", "Time Point Extended Date and Time Point (Type I)",
                  "Tuesday 31/12/24 08:16:05", 20, 0},
        ValueCase{"DateTypeIWithoutWeekday", "06 6D 05 10 08 01 01 00",
                  "Time Point Extended Date and Time Point (Type I)", "01/01/00 08:16:05", 20, 0},
        ValueCase{"TimePointOtherSizeIsANumber", "01 6D 07", "", "7", 20, 0},
        ValueCase{"FactorChainMultiplies", "04 93 F5 7D D2 04 00 00",
                  "Volume m3 - Moltiplicative Correction Factor: 10^(-1) - Multiplicative Cerrection Factor: 10^(3)",
                  "123.4", 2, 103},
        ValueCase{"AdditiveConstantScales", "01 A2 79 05",
                  "On Time Hours - Additive Correction Constant: 10^(-2) * Unit of VIF", "0.05", 4, 104},
        ValueCase{"PerHourVife", "02 93 22 0A 00", "Volume m3 - Per Hour", "0.01", 2, 72},
        ValueCase{"PhaseExtension", "02 AB FC 01 0A 00", "Power W - At Phase L1", "10", 6, 0},
        ValueCase{"PhaseAbsoluteCount", "02 AB FC 10 0A 00",
                  "Power W - Accumulation of abs. Value for Both Positive and Negative Contribution (Absolute Count)",
                  "10", 6, 0},
        ValueCase{"ReservedVifeText", "01 93 08 01", "Volume m3 - Reserved", "0.001", 2, 0},
        ValueCase{"ErrorVifeCode", "01 93 15 01", "Volume m3 - No Data Available (Undefined Value)", "0.001", 2, 121},
        ValueCase{"LimitDateVifeShowsDate", "02 A2 42 1F 3C",
                  "On Time Hours - Date(/Time) of Begin of First Lower Limit Exceed", "31/12/24", 4, 99},
        ValueCase{"LimitDurationText", "01 A2 5F 01", "On Time Hours - Duration 03 of Last Upper Limit Exceed", "1",
                  4, 100},
        ValueCase{"FdThenSecondVifeAppends", "01 FD 9A 3B 01",
                  "Digital Output (Binary) - Accumulation Only if Positive Contributions (Forward Flow Contribution)",
                  "1", 19, 20},
        ValueCase{"ManufacturerVifIgnoresVifes", "01 FF 70 09", "Manufacturer Specific", "9", 65535, 0},
        ValueCase{"NoneVif6F", "01 6F 03", "", "3", 65535, 0},
        ValueCase{"FabricationNumber", "0C 78 78 56 34 12", "Fabrication No", "12345678", 23, 0},
        ValueCase{"LvarPositiveBcd", "0D 13 C2 34 12", "Volume m3", "1.234", 2, 0},
        ValueCase{"LvarNegativeBcd", "0D 13 D2 34 12", "Volume m3", "-1.234", 2, 0},
        // Text data arrives last character first and is shown in reading order.
        ValueCase{"PlainTextVif", "0D 7C 02 56 6B 02 34 32", "Vif in following String", "24", 21, 0},
        // A plain-text unit with numeric data: the text right after the VIF, then the VIFE chain,
        // which scales the number.
        ValueCase{"PlainTextUnitNumberScaledByVife", "04 FC 03 48 52 25 74 22 15 00 00",
                  "Vif in following String - Moltiplicative Correction Factor: 10^(-2)", "54.1", 21, 103},
        ValueCase{"PlainTextUnitTwoVifes", "02 FC 02 43 B0 F4 3E 22 15",
                  "Vif in following String - Moltiplicative Correction Factor: 10^(-2) - Value at Base Conditions",
                  "54.1", 21, 103},
        ValueCase{"PlainTextUnitSigned16Bit", "02 7C 01 43 FE FF", "Vif in following String", "-2", 21, 0},
        ValueCase{"PlainTextUnitBcd", "0B 7C 01 43 56 34 12", "Vif in following String", "123456", 21, 0},
        ValueCase{"PlainTextUnitReal", "05 7C 01 43 00 00 C0 3F", "Vif in following String", "1.5", 21, 0},
        ValueCase{"PlainTextUnitAsciiValue", "0D 7C 03 48 52 25 04 54 53 45 54", "Vif in following String", "TEST",
                  21, 0},
        ValueCase{"FabricationNoAsciiValue", "0D 78 0A 45 4C 42 59 43 20 54 53 45 54", "Fabrication No", "TEST CYBLE",
                  23, 0},
        ValueCase{"ParameterSetAsciiValue", "0D FD 0B 05 33 2E 31 2E 56", "Parameter Set Identification", "V.1.3",
                  19, 6},
        ValueCase{"EmptyAsciiValue", "0D 78 00", "Fabrication No", "", 23, 0},
        ValueCase{"TimePointAsciiValue", "0D 6D 02 32 31", "", "12", 20, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordDecode, RecordFieldsOfExtensions) {
    // DIF C4: storage bit, two DIFEs 81 and 52: storage 1 then 2, tariff 0 then 1, subunit 0 then 1.
    const TVariableList list = decode(hex("C4 81 52 13 01 00 00 00"));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].storage_number, (0x21u << 1) | 1u);
    EXPECT_EQ(list[0].tarif, 4u);
    EXPECT_EQ(list[0].device, 2);
    EXPECT_EQ(list[0].numdife, 2);
    EXPECT_EQ(list[0].DIFE, "$81 $52 ");
    EXPECT_EQ(list[0].function_fild, 0);

    const TVariableList fd = decode(hex("01 FD 97 3B 01"));
    ASSERT_EQ(fd.size(), 1u);
    EXPECT_EQ(fd[0].casovif, 1);
    EXPECT_EQ(fd[0].vifvalue, 0x97);
    EXPECT_EQ(fd[0].PrinVIFE, 0x97);
    EXPECT_EQ(fd[0].VIFE, "$97 $3B ");

    const TVariableList text = decode(hex("0D 7C 02 56 6B 02 34 32"));
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].casovif, 101);
    EXPECT_EQ(text[0].VIF_ASCII, "kV");
    EXPECT_EQ(text[0].descdim, "Variable length: ASCII string with 2 characters");
    EXPECT_EQ(text[0].DataFieldStr, "Variable Length - ASCII String with 2characters");

    const TVariableList man = decode(hex("02 FF 01 02 03"));
    ASSERT_EQ(man.size(), 1u);
    EXPECT_EQ(man[0].casovif, 100);
    EXPECT_EQ(man[0].dato_A, 0x0302u);

    const TVariableList big = decode(hex("07 03 01 02 03 04 05 06 07 08"));
    ASSERT_EQ(big.size(), 1u);
    EXPECT_EQ(big[0].dato_A, 0x04030201u);
    EXPECT_EQ(big[0].dato_B, 0x08070605u);
}

TEST(RecordDecode, PlainTextUnitKeepsItsTextBesideTheNumber) {
    const TVariableList list = decode(hex("04 FC 03 48 52 25 74 22 15 00 00 02 5B 10 00"));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].VIF_ASCII, "%RH");
    EXPECT_EQ(list[0].casovif, 101);
    EXPECT_EQ(list[0].VIFE, "$74 ");
    EXPECT_EQ(list[0].PrinVIFE, 0x74);
    EXPECT_EQ(list[0].nbyte, 4);
    EXPECT_EQ(list[0].totdati, "22150000");
    EXPECT_EQ(list[0].ValueStr, "54.1");
    EXPECT_EQ(list[1].ValueStr, "16");
}

TEST(RecordDecode, VariableLengthKinds) {
    struct Case {
        const char* bytes;
        const char* dataFieldStr;
        const char* descdim;
        int nbyte;
    };
    const Case cases[] = {
        {"0D FD 11 03 61 62 63", "Variable Length - ASCII String with 3characters",
         "Variable length: ASCII string with 3 characters", 3},
        {"0D 13 C2 34 12", "Variable Length - Positive BCD Number with 4 digits",
         "Variable length: Positive BCD number with 2 *2 digits", 2},
        {"0D 13 D1 34", "Variable Length - Negative BCD Number with 2 digits",
         "Variable length: Negative BCD number with 1 *2 digits", 1},
        {"0D 13 E3 01 02 03", "Variable Length - Binary Number with 3 Bytes",
         "Variable length: Binary number with 3 bytes", 3},
        {"0D 13 EF 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F", "Variable Length - Binary Number with 15 Bytes",
         "Variable length: Binary number with 15 bytes", 15},
        // The long binary numbers: 4 * (LVAR - 0xEC) bytes.
        {"0D 13 F0 0E 5A 00 00 00 00 00 00 00 00 00 00 00 00 00 00", "Variable Length - Binary Number with 16 Bytes",
         "Variable length: Binary number with 16 bytes", 16},
        {"0D 13 F4 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F 20",
         "Variable Length - Binary Number with 32 Bytes", "Variable length: Binary number with 32 bytes", 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        // A second record after the variable one proves its length was taken right.
        std::vector<uint8_t> bytes = hex(c.bytes);
        const auto tail = hex("01 13 07");
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        const TVariableList list = decode(bytes);
        ASSERT_EQ(list.size(), 2u);
        EXPECT_EQ(list[0].DataFieldStr, c.dataFieldStr);
        EXPECT_EQ(list[0].descdim, c.descdim);
        EXPECT_EQ(list[0].nbyte, c.nbyte);
        EXPECT_FALSE(list[0].errata);
        EXPECT_EQ(list[1].ValueStr, "0.007");
    }
}

// Records that end the walk: what stays in the list and what the walk returns.
struct EndCase {
    const char* name;
    const char* bytes;
    bool result;
    size_t items;
    bool lastIsError;  // the last item is kept as unusable
};

class WalkEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(WalkEnd, KeepsEarlierItems) {
    const EndCase& c = GetParam();
    bool result = !c.result;
    const TVariableList list = decode(hex(c.bytes), &result);
    EXPECT_EQ(result, c.result);
    ASSERT_EQ(list.size(), c.items);
    EXPECT_EQ(list[0].ValueStr, "0.001");  // the record decoded before the end
    if (c.lastIsError) {
        EXPECT_TRUE(list.back().errata);
        EXPECT_EQ(list.back().sterror, "Non analizabile");
        EXPECT_EQ(list.back().nbyte, 0);
        EXPECT_EQ(list.back().totdati, "");
    } else {
        EXPECT_FALSE(list.back().errata);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WalkEnd,
    ::testing::Values(
        EndCase{"MoreRecordsInNextFrame", "01 13 01 1F 01 13 05", false, 1, false},
        EndCase{"ManufacturerData", "01 13 01 0F 01 13 05", true, 1, false},
        EndCase{"SelectionForReadout", "01 13 01 08 13 01 13 05", true, 1, false},
        EndCase{"ReservedSpecialFunction", "01 13 01 3F 13 01 13 05", true, 1, false},
        EndCase{"AnyVif", "01 13 01 01 7E 05 01 13 05", true, 1, false},
        EndCase{"AnyVifExtended", "01 13 01 01 FE 00 05 01 13 05", true, 1, false},
        EndCase{"ReservedLvarEndsWalk", "01 13 01 0D 13 FB 01 13 05", true, 2, true},
        // Lengths the walk cannot know end it: the bytes after are never read as records.
        EndCase{"UnknownLvarF5EndsWalk", "01 13 01 0D 13 F5 01 13 05", true, 2, true},
        EndCase{"UnknownLvarFAEndsWalk", "01 13 01 0D 13 FA 01 13 05", true, 2, true},
        EndCase{"LongBinaryLvarCutShort", "01 13 01 0D 13 F0 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F", true, 2,
                true},
        EndCase{"TruncatedData", "01 13 01 04 13 01 02", true, 2, true},
        EndCase{"TruncatedAfterDif", "01 13 01 84", true, 2, true},
        EndCase{"TruncatedBeforeVif", "01 13 01 04", true, 2, true},
        EndCase{"TruncatedInVifes", "01 13 01 04 93", true, 2, true},
        EndCase{"TruncatedLvar", "01 13 01 0D 13", true, 2, true},
        EndCase{"TruncatedPlainText", "01 13 01 01 7C 05 41 42", true, 2, true},
        EndCase{"TruncatedLvarData", "01 13 01 0D 13 05 41", true, 2, true},
        EndCase{"ElevenDifes", "01 13 01 84 80 80 80 80 80 80 80 80 80 80 00 13 01 02 03 04", true, 2, true},
        EndCase{"ElevenVifes", "01 13 01 01 93 80 80 80 80 80 80 80 80 80 80 00 01", true, 2, true},
        EndCase{"OtherSpecialDifsArePassedOver", "01 13 01 8F 00 13 01 13 05", true, 2, false},
        // Records that never become items leave none behind when the bytes end inside them.
        EndCase{"SelectionAsLastByte", "01 13 01 08", true, 1, false},
        EndCase{"SelectionWithElevenDifes", "01 13 01 88 80 80 80 80 80 80 80 80 80 80 80", true, 1, false},
        EndCase{"ReservedSpecialFunctionAsLastByte", "01 13 01 3F", true, 1, false},
        EndCase{"AnyVifWithItsExtensionCutShort", "01 13 01 01 FE", true, 1, false},
        EndCase{"AnyVifWithItsLvarCutShort", "01 13 01 0D 7E", true, 1, false},
        EndCase{"OtherSpecialDifCutShort", "01 13 01 8F", true, 1, false},
        EndCase{"OtherSpecialDifCutShortInItsVifes", "01 13 01 8F 00 93", true, 1, false},
        EndCase{"OtherSpecialDifWithAnyVifIsPassedOver", "01 13 01 8F 00 7E 01 13 05", true, 2, false}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

// A meter's long-frame answer around the records, with the CI given.
std::vector<uint8_t> answer(uint8_t ci, const char* records) {
    std::vector<uint8_t> f = hex("68 00 00 68 08 05 00 78 56 34 12 24 40 01 07 55 00 00 00");
    f[6] = ci;
    const auto r = hex(records);
    f.insert(f.end(), r.begin(), r.end());
    f[1] = f[2] = uint8_t(f.size() - 4);
    f.push_back(Frame_Checksum(std::span<const uint8_t>(f).subspan(4)));
    f.push_back(0x16);
    return f;
}

}  // namespace

TEST(AnswerRecords, OnlyVariableDataIsWalked) {
    const struct {
        const char* name;
        uint8_t ci;
        const char* records;
        bool result;
        std::vector<const char*> values;  // empty: one unusable item
    } cases[] = {
        {"VariableData", 0x72, "03 13 15 31 00 DA 02 3B 13 01 8B 60 04 37 18 02", true, {"12.565", "0.113", "218370"}},
        {"VariableDataMoreFollow", 0x72, "01 13 05 1F 01 02", false, {"0.005"}},
        // A fixed-data answer would otherwise walk into a made-up "Energy Wh 0".
        {"FixedData", 0x73, "00 00 00 00 00 00 00 00 00 00", true, {}},
        {"VariableDataMsbFirst", 0x76, "01 13 05", true, {}},
        {"ApplicationError", 0x70, "00", true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto frame = answer(c.ci, c.records);
        ASSERT_TRUE(Is_RSP_UD(frame));
        TVariableList list;
        list.emplace_back();  // an earlier frame's item stays
        EXPECT_EQ(Decode_Answer_Records(list, frame, wired()), c.result);
        if (c.ci == CI_Variable_Data) {
            ASSERT_EQ(list.size(), 1 + c.values.size());
            for (size_t i = 0; i < c.values.size(); ++i) {
                EXPECT_FALSE(list[1 + i].errata);
                EXPECT_EQ(list[1 + i].ValueStr, c.values[i]);
            }
            continue;
        }
        ASSERT_EQ(list.size(), 2u);
        const TVariable_MBus& item = list[1];
        EXPECT_TRUE(item.errata);
        EXPECT_EQ(item.sterror, "Non analizabile");
        EXPECT_EQ(item.ValueStr, "");
        EXPECT_EQ(item.Desc_Type_Data, "");
        EXPECT_EQ(item.nbyte, 0);
        EXPECT_EQ(item.datagiorno, "04/03/2026");
        EXPECT_EQ(item.tempo, "05:06:07");
    }
}

TEST(AnswerRecords, AnswerThatIsNoLongFrameIsNotAnalysable) {
    for (const char* bytes : {"", "E5", "68 03 03 68 08 05 72 7F 16"}) {
        SCOPED_TRACE(bytes);
        TVariableList list;
        EXPECT_TRUE(Decode_Answer_Records(list, hex(bytes), wired()));
        ASSERT_EQ(list.size(), 1u);
        EXPECT_TRUE(list[0].errata);
        EXPECT_EQ(list[0].sterror, "Non analizabile");
    }
}

// Humidity and temperature meters name their humidity unit in plain text ("%RH", sent last
// character first) right after the VIF, with the VIFE that scales the number behind the text. Read
// the other way round, the length byte would be the VIFE and the walk would stop at the second
// record of every such frame.
TEST(AnswerRecords, HumidityMetersWithPlainTextUnitsDecodeWhole) {
    struct Value {
        const char* value;
        const char* desc;
        const char* unitText;  // VIF_ASCII
    };
    const char* const humidity = "Vif in following String - Moltiplicative Correction Factor: 10^(-2)";
    const char* const temperature = "External Temperature \xC2\xB0" "C";
    const struct {
        const char* name;
        const char* frame;
        uint8_t primary;
        std::vector<Value> values;
    } cases[] = {
        {"RoomMeterB",
         "68 53 53 68 08 0B 72 61 15 01 24 96 15 16 00 3F 00 00 00 01 FD 1B 02 02 FC 03 48 52 25 74 22 15 02 65 D3 08 "
         "22 65 4E 08 12 65 8A 09 22 FC 03 48 52 25 74 A6 0F 12 FC 03 48 52 25 74 A5 18 42 65 C2 08 42 FC 03 48 52 "
         "25 74 05 15 42 6C 3A 33 01 FD 0E 12 01 FD 0D 03 1F 16",
         0x0B,
         {{"2", "Digital Input (Binary)", ""},
          {"54.1", humidity, "%RH"},
          {"22.59", temperature, ""},
          {"21.26", temperature, ""},
          {"24.42", temperature, ""},
          {"40.06", humidity, "%RH"},
          {"63.09", humidity, "%RH"},
          {"22.42", temperature, ""},
          {"53.81", humidity, "%RH"},
          {"26/03/25", "Time Point Date (Type G)", ""},
          {"18", "Metrology (Firmware) Version Number", ""},
          {"3", "Hardware Version Number", ""}}},
        {"RoomMeterC",
         "68 53 53 68 08 0C 72 62 15 01 24 96 15 16 00 07 00 00 00 01 FD 1B 00 02 FC 03 48 52 25 74 B4 10 02 65 F9 07 "
         "22 65 5C 07 12 65 9B 08 22 FC 03 48 52 25 74 3C 0D 12 FC 03 48 52 25 74 11 13 42 65 E0 07 42 FC 03 48 52 "
         "25 74 9E 10 42 6C 3A 33 01 FD 0E 12 01 FD 0D 03 62 16",
         0x0C,
         {{"0", "Digital Input (Binary)", ""},
          {"42.76", humidity, "%RH"},
          {"20.41", temperature, ""},
          {"18.84", temperature, ""},
          {"22.03", temperature, ""},
          {"33.88", humidity, "%RH"},
          {"48.81", humidity, "%RH"},
          {"20.16", temperature, ""},
          {"42.54", humidity, "%RH"},
          {"26/03/25", "Time Point Date (Type G)", ""},
          {"18", "Metrology (Firmware) Version Number", ""},
          {"3", "Hardware Version Number", ""}}},
        // Two sensors (subunit 1 in a DIFE) and 32-bit stored values.
        {"TwoSensorMeter",
         "68 57 57 68 08 01 72 46 37 28 19 96 15 1B 1B A4 00 00 00 01 FD 1B 01 02 FC 03 48 52 25 74 51 1A 02 65 1C 07 "
         "82 40 65 0A 05 82 40 FC 03 48 52 25 74 D0 1C 22 65 B1 06 12 65 63 07 04 6D 2A 0E 3A 33 44 65 F4 06 00 00 "
         "44 FC 03 48 52 25 74 2C 1A 00 00 02 FD 3A 01 00 01 FD 0C 02 F1 16",
         0x01,
         {{"1", "Digital Input (Binary)", ""},
          {"67.37", humidity, "%RH"},
          {"18.2", temperature, ""},
          {"12.9", temperature, ""},
          {"73.76", humidity, "%RH"},
          {"17.13", temperature, ""},
          {"18.91", temperature, ""},
          {"26/03/25 14:42", "Time Point Date and Time (Type F)", ""},
          {"17.8", temperature, ""},
          {"67", humidity, "%RH"},
          {"1", "Dimensionless / No VIF", ""},
          {"2", "Model Version", ""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto frame = hex(c.frame);
        ASSERT_TRUE(Is_RSP_UD(frame));
        ASSERT_EQ(Read_RSP_UD_Header(frame)->A, c.primary);
        TVariableList list;
        EXPECT_TRUE(Decode_Answer_Records(list, frame, wired()));
        ASSERT_EQ(list.size(), c.values.size());
        for (size_t i = 0; i < list.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_FALSE(list[i].errata) << list[i].sterror.toStdString();
            EXPECT_EQ(list[i].ValueStr.toStdString(), c.values[i].value);
            EXPECT_EQ(list[i].Desc_Type_Data.toStdString(), c.values[i].desc);
            EXPECT_EQ(list[i].VIF_ASCII.toStdString(), c.values[i].unitText);
            if (list[i].VIF_ASCII.isEmpty()) continue;
            EXPECT_EQ(list[i].casovif, 101);
            EXPECT_EQ(list[i].type_data, 21);
            EXPECT_EQ(list[i].Type_Data_Vife, 103);
            EXPECT_EQ(list[i].VIFE, "$74 ");
        }
    }
    // The sensor and storage fields of the third meter's records.
    const auto frame = hex(cases[2].frame);
    TVariableList list;
    Decode_Answer_Records(list, frame, wired());
    ASSERT_EQ(list.size(), 12u);
    EXPECT_EQ(list[3].device, 1);
    EXPECT_EQ(list[4].device, 1);
    EXPECT_EQ(list[8].storage_number, 1u);
    EXPECT_EQ(list[9].storage_number, 1u);
    EXPECT_EQ(list[5].function_fild, 2);  // minimum
    EXPECT_EQ(list[6].function_fild, 1);  // maximum
}

TEST(RecordDecode, TenExtensionsAreStillAccepted) {
    const TVariableList list = decode(hex("84 80 80 80 80 80 80 80 80 80 01 13 01 00 00 00"));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_FALSE(list[0].errata);
    EXPECT_EQ(list[0].numdife, 10);
    EXPECT_EQ(list[0].storage_number, uint64_t(1) << 37);  // storage 1 in the tenth DIFE, shifted past bit 0
}

TEST(RecordDecode, ExtensionVifWithoutVifeReadsNoEarlierByte) {
    // The first record leaves VIFE 0x17 behind; the 0x7D after it has no extension of its own.
    const TVariableList list = decode(hex("01 FD 17 05 01 7D 09 01 7B 04"));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].Desc_Type_Data, "Error Flag (Binary)");
    for (size_t i : {1u, 2u}) {
        EXPECT_EQ(list[i].Desc_Type_Data, "Reserved");
        EXPECT_EQ(list[i].Type_Data_Vife, 0);
        EXPECT_EQ(list[i].type_data, 19);
        EXPECT_EQ(list[i].PrinVIFE, 0);
        EXPECT_EQ(list[i].VIFE, "");
    }
    EXPECT_EQ(list[1].ValueStr, "9");
}

TEST(RecordDecode, IdleFillersAreItemsOnlyInWirelessDecodes) {
    const auto bytes = hex("2F 2F 01 13 05 2F");
    const TVariableList wiredList = decode(bytes);
    ASSERT_EQ(wiredList.size(), 1u);
    EXPECT_EQ(wiredList[0].ValueStr, "0.005");

    bool result = false;
    const TVariableList list = decode(bytes, &result, wireless());
    EXPECT_TRUE(result);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_FALSE(list[0].Real_Wireless_Var);
    EXPECT_FALSE(list[1].Real_Wireless_Var);
    EXPECT_FALSE(list[0].errata);
    EXPECT_TRUE(list[2].Real_Wireless_Var);
    EXPECT_FALSE(list[3].Real_Wireless_Var);
}

TEST(RecordDecode, EmptyInputGivesNothing) {
    bool result = false;
    EXPECT_TRUE(decode({}, &result).empty());
    EXPECT_TRUE(result);
}

TEST(RecordDecode, DecimalSeparatorAndStampFormatsFollowTheContext) {
    TDecodeContext c = wired();
    c.DecimalSeparator = u',';
    c.DateFormat = QStringLiteral("yyyy-MM-dd");
    c.TimeFormat = QStringLiteral("hh.mm");
    const TVariableList list = decode(hex("04 13 D2 04 00 00"), nullptr, c);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].ValueStr, "1,234");
    EXPECT_EQ(list[0].datagiorno, "2026-03-04");
    EXPECT_EQ(list[0].tempo, "05.06");

    TDecodeContext none = wired();
    none.Stamp = QDateTime();
    EXPECT_EQ(decode(hex("01 13 05"), nullptr, none)[0].datagiorno, "");
}

TEST(RecordDecode, ScaledIntegersShowAsTheScaledNumber) {
    // Integers are shown without a detour through floating point where that is exact; the text
    // must be the one of the scaled number, rounded to 15 digits, for every size and scale.
    const int64_t values[] = {0, 1, -1, 7, 10, 12565, -218370, 100000000000000, 123456789012345, 999999999999999,
                              -999999999999999, 1000000000000000, 9007199254740993, INT64_MAX, INT64_MIN};
    const std::vector<std::vector<uint8_t>> chains = {
        {}, {0x70}, {0x77}, {0x7B}, {0x7D}, {0x70, 0x70}, {0x70, 0x70, 0x70, 0x70},
        {0x7D, 0x7D, 0x7D, 0x7D, 0x7D, 0x7D, 0x7D, 0x7D}};
    for (const QChar separator : {QChar(u'.'), QChar(u',')}) {
        TDecodeContext c = wired();
        c.DecimalSeparator = separator;
        for (int64_t v : values) {
            for (uint8_t vif = 0; vif < 8; ++vif) {
                for (const auto& chain : chains) {
                    std::vector<uint8_t> r = {0x07, uint8_t(vif | (chain.empty() ? 0 : 0x80))};
                    int exponent = vif - 3;
                    for (size_t i = 0; i < chain.size(); ++i) {
                        r.push_back(uint8_t(chain[i] | (i + 1 < chain.size() ? 0x80 : 0)));
                        exponent += chain[i] == 0x7D ? 3 : chain[i] <= 0x77 ? (chain[i] & 7) - 6 : (chain[i] & 3) - 3;
                    }
                    for (int k = 0; k < 8; ++k) r.push_back(uint8_t(uint64_t(v) >> (8 * k)));
                    const double scaled = exponent >= 0 ? double(v) * std::pow(10.0, exponent)
                                                        : double(v) / std::pow(10.0, -exponent);
                    const TVariableList list = decode(r, nullptr, c);
                    ASSERT_EQ(list.size(), 1u);
                    ASSERT_EQ(list[0].ValueStr, Float_To_Str(scaled, separator))
                        << v << " e" << exponent << " " << list[0].ValueStr.toStdString();
                }
            }
        }
    }
}

TEST(RecordDecode, StampTextsOfTheContextAreShared) {
    TDecodeContext c = wired();
    c.Make_Stamp_Texts();
    EXPECT_EQ(c.DateText, "04/03/2026");
    EXPECT_EQ(c.TimeText, "05:06:07");
    c.DateText = QStringLiteral("made once");
    const TVariableList list = decode(hex("01 13 05 01 13 06"), nullptr, c);
    ASSERT_EQ(list.size(), 2u);
    for (const auto& v : list) {
        EXPECT_EQ(v.datagiorno, "made once");
        EXPECT_EQ(v.tempo, "05:06:07");
    }

    const TDecodeContext now = Decode_Context_Now(false);
    EXPECT_EQ(now.DateText, now.Stamp.date().toString(now.DateFormat));
    EXPECT_EQ(now.TimeText, now.Stamp.time().toString(now.TimeFormat));
}

TEST(RecordDecode, StampTextsFollowQtFormats) {
    const QDateTime stamps[] = {QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)),
                                QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)),
                                QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0)),
                                QDateTime(QDate(999, 7, 8), QTime(12, 0, 9)),
                                QDateTime(QDate(12345, 10, 11), QTime(13, 14, 15))};
    const char* const dateFormats[] = {"dd/MM/yyyy", "d/M/yy", "M/d/yyyy", "yyyy-MM-dd", "dd.MM.yy", "d. M. yyyy",
                                       "dd MMM yyyy", "ddd d/M", "'day' d", "yyy", "y/M", "d\u00E9M", "d\u2013M",
                                       "dd/MM/yyyy dd/MM/yyyy dd/MM/yyyy"};
    const char* const timeFormats[] = {"hh:mm:ss", "h:m:s", "HH.mm", "hh:mm:ss AP", "h 'h' mm", "hh:mm:ss.zzz",
                                       "hhh", "t"};
    for (const QDateTime& stamp : stamps) {
        for (const char* df : dateFormats) {
            for (const char* tf : timeFormats) {
                TDecodeContext c;
                c.Stamp = stamp;
                c.DateFormat = QString::fromUtf8(df);
                c.TimeFormat = QString::fromUtf8(tf);
                const TVariableList list = decode(hex("01 13 05"), nullptr, c);
                ASSERT_EQ(list.size(), 1u);
                EXPECT_EQ(list[0].datagiorno, stamp.date().toString(c.DateFormat)) << df;
                EXPECT_EQ(list[0].tempo, stamp.time().toString(c.TimeFormat)) << tf;
            }
        }
    }
}

TEST(RecordHelpers, BcdPowersPaddingManufacturerAndMedium) {
    const uint8_t bcd[] = {0x78, 0x56, 0x34, 0xF2};
    EXPECT_EQ(BCD_To_Int64(bcd, 4), -2345678);
    EXPECT_EQ(BCD_To_Int64(bcd, 3), 345678);
    EXPECT_EQ(BCD_To_Int64(bcd, 9), -2345678);  // limited to the bytes given
    EXPECT_EQ(BCD_To_Int64(bcd, 0), 0);
    const uint8_t nine[] = {0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99, 0x99};
    EXPECT_EQ(BCD_To_Int64(nine, 9), 999999999999999999LL);

    EXPECT_EQ(Pow10(0), 1);
    EXPECT_EQ(Pow10(18), 1000000000000000000LL);
    EXPECT_EQ(Pad2(7), "07");
    EXPECT_EQ(Pad2(12), "12");
    EXPECT_EQ(Pad2(123), "123");

    EXPECT_EQ(Trova_Man(0x0421), "AAA");
    EXPECT_EQ(Trova_Man(0x0000), "???");
    EXPECT_EQ(Trova_Man(0x6A50), "ZRP");
    EXPECT_EQ(Man_Letter(64), "?");
    EXPECT_EQ(Man_Letter(91), "?");
    EXPECT_EQ(Man_Letter(90), "Z");

    const std::pair<int, const char*> media[] = {{0, "Other"}, {7, "Water"}, {12, "Heat (inlet) "},
                                                 {15, "Unknown Medium"}, {16, "Other"}, {22, "Cold Water"},
                                                 {25, "A/D Converter"}, {26, "Other"}, {-1, "Other"}};
    for (const auto& [code, text] : media) EXPECT_EQ(Medium_Desc(code), text) << code;
}

TEST(RecordHelpers, FloatTextIsTheShortestWithFifteenDigits) {
    const std::pair<double, const char*> cases[] = {
        {12.565, "12.565"}, {218370, "218370"}, {0.113, "0.113"}, {-0.001, "-0.001"},
        {1e15, "1E15"}, {123456789012345.0, "123456789012345"}, {0.00001, "0.00001"},
        {0.000001, "1E-6"}, {1.5e-7, "1.5E-7"}, {0, "0"}, {1.0 / 3.0, "0.333333333333333"},
        {-2.5e20, "-2.5E20"}};
    for (const auto& [v, text] : cases) EXPECT_EQ(Float_To_Str(v), text) << v;
    EXPECT_EQ(Float_To_Str(2.5, u','), "2,5");
}
