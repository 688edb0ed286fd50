// The decoder's type codes index the network editor's "Type" and "VIFE" lists: each code must
// land on the item that names the same quantity, and no record can yield a code outside them.
#include "mbus/MBusCodeLists.h"
#include "mbus/UMBusScanDecode.h"

#include <gtest/gtest.h>

#include <QByteArray>

using namespace mbus;

namespace {

std::vector<uint8_t> hex(const char* text) {
    const QByteArray b = QByteArray::fromHex(QByteArray(text).replace(' ', ""));
    return std::vector<uint8_t>(b.begin(), b.end());
}

TVariable_MBus decodeOne(const std::vector<uint8_t>& bytes) {
    TVariableList list;
    Decode_Records(list, bytes, TDecodeContext{});
    return list.empty() ? TVariable_MBus{} : list.front();
}

}  // namespace

TEST(CodeLists, ListsHaveTheirSizesAndEnds) {
    ASSERT_EQ(Type_Of_Data_Items().size(), 26);
    ASSERT_EQ(VIFE_Items().size(), 152);
    EXPECT_EQ(Type_Of_Data_Items().front(), "Energy (Wh)");
    EXPECT_EQ(Type_Of_Data_Items().back(), "Bus Address");
    EXPECT_EQ(VIFE_Items().front(), "Not Selected");
    EXPECT_EQ(VIFE_Items()[38], "Volts ");
    EXPECT_EQ(VIFE_Items().back(), "Overflow values");
    EXPECT_EQ(Function_Field_Items(),
              QStringList({"Instantaneous Value", "Minimun Value", "Maximum Value", "Value During Error State"}));
    EXPECT_EQ(Dimension_Items(), QStringList({"8", "16", "32", "64", "24", "48", "32 Real", "Variable Length"}));
    ASSERT_EQ(Post_Operation_Items().size(), 13);
    EXPECT_EQ(Post_Operation_Items()[0], "None");
    EXPECT_EQ(Post_Operation_Items()[1], " : 10");
    EXPECT_EQ(Post_Operation_Items()[6], " : 1000000");
    EXPECT_EQ(Post_Operation_Items()[7], " * 10");
    EXPECT_EQ(Post_Operation_Items()[12], " * 1000000");
}

TEST(CodeLists, DecodedCodesNameTheSameQuantity) {
    const struct {
        const char* bytes;
        const char* typeItem;
        const char* vifeItem;
    } cases[] = {
        {"04 13 D2 04 00 00", "Volume (m\xC2\xB3)", "Not Selected"},
        {"02 3B 13 01", "Volume Flow (m\xC2\xB3/h)", "Not Selected"},
        {"02 5B 10 00", "Flow Temperature (\xC2\xB0" "C)", "Not Selected"},
        {"02 6C 1F 3C", "Time Point", "Not Selected"},
        {"01 6E 05", "Unit for H.C.A.", "Not Selected"},
        {"01 7A 05", "Bus Address", "Not Selected"},
        {"0D 7C 01 41 01 30", "VIF is in ASCII", "Not Selected"},
        {"01 FD 17 05", "Type of  Data in VIFE", "Error flags (binary)"},
        {"01 FD 19 05", "Type of  Data in VIFE", "Security Key"},
        {"02 FD 46 E8 03", "Type of  Data in VIFE", "Volts "},
        {"02 FD 5C 01 00", "Type of  Data in VIFE", "Ampere"},
        {"01 FD 3B 01", "Type of  Data in VIFE", "Data container for wireless M-Bus protocol"},
        {"01 FD 70 01", "Type of  Data in VIFE", "Date and time of battery change"},
        {"01 FD 75 01", "Type of  Data in VIFE", "Number times the meter was stopped"},
        {"02 FB 00 0A 00", "Type of  Data in VIFE", "Energy MWh"},
        {"01 FB 02 01", "Type of  Data in VIFE", "Reactive energy"},
        {"01 FB 2C 01", "Type of  Data in VIFE", "Frequency"},
        {"01 FB 30 01", "Type of  Data in VIFE", "Power GJ/h"},
        {"01 FB 78 01", "Type of  Data in VIFE", "Cumul. count max power"},
        {"01 93 22 01", "Volume (m\xC2\xB3)", "per hour"},
        {"01 93 15 01", "Volume (m\xC2\xB3)", "No data available (undefined value)"},
        {"01 93 75 01", "Volume (m\xC2\xB3)", "Multiplicative currection factor"},
        {"01 93 79 01", "Volume (m\xC2\xB3)", "Additive correction constant * unit of VIF (offset)"},
        {"01 93 7D 01", "Volume (m\xC2\xB3)", "Moltiplicative correction factor: 10^3"},
        {"01 93 69 01", "Volume (m\xC2\xB3)", "Leakage values"},
        {"01 93 3E 01", "Volume (m\xC2\xB3)", "Value at base conditions"},
        {"01 93 49 01", "Volume (m\xC2\xB3)", "# of exceeds of lower/upper limit"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        const TVariable_MBus v = decodeOne(hex(c.bytes));
        ASSERT_LT(v.type_data, Type_Of_Data_Items().size());
        ASSERT_LT(v.Type_Data_Vife, VIFE_Items().size());
        EXPECT_EQ(Type_Of_Data_Items()[v.type_data], QString::fromUtf8(c.typeItem));
        EXPECT_EQ(VIFE_Items()[v.Type_Data_Vife], QString::fromUtf8(c.vifeItem));
    }
}

TEST(CodeLists, NoVifAndVifeGivesACodeOutsideTheLists) {
    // Every VIF with every first and second extension code (each with and without a further one).
    for (int vif = 0; vif < 256; ++vif) {
        for (int e1 = 0; e1 < 256; ++e1) {
            for (int e2 : {0x00, 0x22, 0x7C}) {
                std::vector<uint8_t> r = {0x02, uint8_t(vif)};
                if ((vif & 0x7F) == 0x7C) r.insert(r.end(), {0x01, 0x41});
                if (vif & 0x80) {
                    r.push_back(uint8_t(e1));
                    if (e1 & 0x80) r.push_back(uint8_t(e2));
                } else if (e1 > 0) {
                    continue;
                }
                r.insert(r.end(), {0x11, 0x22, 0x33});  // more than enough data for every case
                TVariableList list;
                Decode_Records(list, r, TDecodeContext{});
                for (const auto& v : list) {
                    if (v.type_data != 65535) ASSERT_LT(v.type_data, 26) << vif << " " << e1;
                    ASSERT_GE(v.Type_Data_Vife, 0);
                    ASSERT_LT(v.Type_Data_Vife, 152) << vif << " " << e1;
                }
            }
        }
    }
}
