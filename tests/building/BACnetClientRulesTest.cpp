// The BACnet client's tables without a window: the checks of read and write rows with their
// messages, the lookups behind them, the NByte hint, the network kind from the parameter file and
// where imported EDE objects land.
#include "building/BACnetClientSchema.h"
#include "shell/ULanguage.h"
#include "tests/building/BuildingTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace bacnetclient;
using accesslist::Problem;
using accesslist::Row;
using accesslist::Rows;

Row readRow(const QString& address = QStringLiteral("192.168.1.10")) {
    Row r(kReadColumns);
    r[rEnable] = "Y";
    r[rAddress] = address;
    r[rObjectType] = "Analog Input";
    r[rInstance] = "7";
    r[rProperty] = "Present Value (85)";
    r[rNByte] = "4";
    r[rEnDest] = "N";
    r[rPollTime] = "1000";
    r[rMaxErr] = "0";
    r[rPosition] = "0";
    r[rStartBit] = "0";
    r[rMnemonic] = "m";
    return r;
}

Row writeRow(const QString& address = QStringLiteral("192.168.1.10")) {
    Row r(kWriteColumns);
    r[wEnable] = "Y";
    r[wAddress] = address;
    r[wObjectType] = "Analog Output";
    r[wDataType] = "Real";
    r[wInstance] = "3";
    r[wProperty] = "Present Value (85)";
    r[wPriority] = "8";
    r[wNByte] = "4";
    r[wEnDest] = "N";
    r[wChange] = "N";
    r[wTimer] = "Y";
    r[wPollTime] = "1000";
    r[wMaxErr] = "0";
    r[wPosition] = "0";
    r[wStartBit] = "0";
    r[wMnemonic] = "m";
    return r;
}

// The message OK would show for the pages, empty when they pass.
QString check(int kind, const Rows& read, const Rows& write) {
    const Problem p = accesslist::validate(schema(kind), {read, write}, rules(kind));
    if (p.kind == Problem::None) return {};
    return accesslist::problemMessage(schema(kind), p, p.section == 0 ? 4737 : 4746, {});
}

class BACnetClientRules : public ::testing::Test {
protected:
    void SetUp() override { Load_Default_Language(); }
};

TEST_F(BACnetClientRules, RowsAndTheirMessages) {
    using Edit = std::pair<int, const char*>;
    struct Case {
        const char* name;
        int kind;
        bool writePage;
        std::vector<Edit> edits;
        const char* message;
    } cases[] = {
        {"a sound read row", kIP, false, {}, ""},
        {"a sound write row", kIP, true, {}, ""},
        {"IP address part above 255", kIP, false, {{rAddress, "192.168.1.300"}},
         "Error in Read, row 1!! IP Address is not correct"},
        {"IP address on the write page", kIP, true, {{wAddress, "10.0.0"}},
         "Error in Write, row 1!! IP Address is not correct"},
        {"Slave ID 255", kMSTP, false, {{rAddress, "255"}}, "Error in Read, row 1!! Slave ID must be between 0 and 254"},
        {"Slave ID 254", kMSTP, false, {{rAddress, "254"}}, ""},
        {"Slave ID 0 on the write page", kMSTP, true, {{wAddress, "0"}}, ""},
        {"an object type not in the list", kIP, false, {{rObjectType, "Door"}},
         "Error in Read, row 1!! Object Type is not correct. Select one from the list"},
        {"a proprietary object type", kIP, false, {{rObjectType, "1023"}}, ""},
        {"below the proprietary range", kIP, false, {{rObjectType, "127"}},
         "Error in Read, row 1!! Object Type is not correct. Select one from the list"},
        {"the largest instance", kIP, false, {{rInstance, "4294967295"}}, ""},
        {"an instance too large", kIP, false, {{rInstance, "4294967296"}},
         "Error in Read, row 1!! Instance must be between 0 and 4294967295"},
        {"an empty instance", kIP, true, {{wInstance, ""}},
         "Error in Write, row 1!! Instance must be between 0 and 4294967295"},
        {"Scale of an analog input", kIP, false, {{rProperty, "Scale (187)"}},
         "Error in Read, row 1!! Property is not correct. Select one from the list"},
        {"Scale of an accumulator", kIP, false, {{rObjectType, "Accumulator"}, {rProperty, "Scale (187)"}}, ""},
        {"Units of a binary input", kIP, false, {{rObjectType, "Binary Input"}, {rProperty, "Units (117)"}},
         "Error in Read, row 1!! Property is not correct. Select one from the list"},
        {"a proprietary property read", kIP, false, {{rProperty, "600"}}, ""},
        {"NByte 256", kIP, false, {{rNByte, "256"}}, "Error in Read, row 1!! NByte must be between 0 and 255"},
        {"an analog input written", kIP, true, {{wObjectType, "Analog Input"}},
         "Error in Write, row 1!! Object Type is not correct. Select one from the list"},
        {"a read-only property written", kIP, true, {{wProperty, "Units (117)"}},
         "Error in Write, row 1!! Property is not correct. Select one from the list"},
        {"a positive integer as Real", kIP, true, {{wObjectType, "Positive Integer Value"}},
         "Error in Write, row 1!! Data Type is not correct. Aspected Data Type is Unsigned Int"},
        {"a positive integer as Unsigned Int", kIP, true,
         {{wObjectType, "Positive Integer Value"}, {wDataType, "unsigned int"}}, ""},
        {"a life safety point", kIP, true, {{wObjectType, "Life Safety Point"}, {wDataType, "Enumerated"}},
         "Error in Write, row 1!! Data Type is not correct"},
        {"a proprietary type takes any data type", kIP, true, {{wObjectType, "300"}, {wDataType, "Time"}}, ""},
        {"a proprietary property, Boolean, 2 bytes", kIP, true,
         {{wProperty, "600"}, {wDataType, "Boolean"}, {wNByte, "2"}},
         "Error in Write, row 1!! NByte must be between 0 and 1"},
        {"a proprietary property, Boolean, 1 byte", kIP, true, {{wProperty, "600"}, {wDataType, "Boolean"}, {wNByte, "1"}},
         ""},
        {"priority 17", kIP, true, {{wPriority, "17"}}, "Error in Write, row 1!! Priority must be between 0 and 16"},
        {"M3 with three bytes and blanks", kIP, false, {{rEnDest, "Y"}, {rDNet, "5"}, {rDLen, "M3"}, {rDAdd, "10, 20,30"}},
         ""},
        {"M3 with two bytes", kIP, false, {{rEnDest, "Y"}, {rDNet, "5"}, {rDLen, "M3"}, {rDAdd, "10,20"}},
         "Error in Read, row 1!! Destination Address has too few bytes"},
        {"M3 with four bytes", kIP, false, {{rEnDest, "Y"}, {rDNet, "5"}, {rDLen, "m3"}, {rDAdd, "10,20,30,40"}},
         "Error in Read, row 1!! Destination Address has too many bytes"},
        {"M3 with a part above 255", kIP, false, {{rEnDest, "Y"}, {rDNet, "5"}, {rDLen, "M3"}, {rDAdd, "10,300,20"}},
         "Error in Read, row 1!! Bytes of Destination Address must be between 0 and 255"},
        {"M3 with no address", kIP, false, {{rEnDest, "Y"}, {rDNet, "5"}, {rDLen, "M3"}, {rDAdd, " "}},
         "Error in Read, row 1!! Destination Address has too few bytes"},
        {"M2 short on the write page", kIP, true, {{wEnDest, "Y"}, {wDNet, "5"}, {wDLen, "M2"}, {wDAdd, "7"}},
         "Error in Write, row 1!! Destination Address has too few bytes"},
        {"M9", kIP, false, {{rEnDest, "Y"}, {rDNet, "5"}, {rDLen, "M9"}, {rDAdd, "1"}},
         "Error in Read, row 1!! Destination Length is Wrong, choose one in List"},
        {"length 6 with a port", kIP, false,
         {{rEnDest, "Y"}, {rDNet, "5"}, {rDLen, "6"}, {rDAdd, " 192.168.0.15:47808 "}}, ""},
        {"length 6 without a port", kIP, false, {{rEnDest, "Y"}, {rDNet, "5"}, {rDLen, "6"}, {rDAdd, "192.168.0.15"}},
         "Error in Read, row 1!! Destination Address must be in correct form, IP Address plus Port (ex. "
         "192.168.0.15:47808)"},
        {"length 3", kIP, true, {{wEnDest, "Y"}, {wDNet, "5"}, {wDLen, "3"}, {wDAdd, "1"}},
         "Error in Write, row 1!! Destination Lenght must be 1 or 2 or 6"},
        {"a negative length", kIP, false, {{rEnDest, "Y"}, {rDNet, "5"}, {rDLen, "-2"}, {rDAdd, "1"}},
         "Error in Read, row 1!! Destination Lenght must be 1 or 2 or 6"},
        {"length 1 with 256", kIP, false, {{rEnDest, "Y"}, {rDNet, "5"}, {rDLen, "1"}, {rDAdd, "256"}},
         "Error in Read, row 1!! Destination Address must be between 0 and 255"},
        {"length 2 with 0", kIP, false, {{rEnDest, "Y"}, {rDNet, "5"}, {rDLen, "2"}, {rDAdd, "0"}},
         "Error in Read, row 1!! Destination Address must be between 1 and 65535"},
        {"network 0", kIP, false, {{rEnDest, " y "}, {rDNet, "0"}, {rDLen, "1"}, {rDAdd, "1"}},
         "Error in Read, row 1!! Destination Network must be between 1 and 65535"},
        {"no destination: its cells are not looked at", kIP, false, {{rDNet, "0"}, {rDLen, "M9"}}, ""},
        {"poll time too long", kIP, false, {{rPollTime, "100000001"}},
         "Error in Read, row 1!! Poll Time must be between 0 and 100000000 ms"},
        {"no timer, no poll time", kIP, true, {{wTimer, "N"}, {wPollTime, ""}}, ""},
        {"a timer without a poll time", kIP, true, {{wPollTime, ""}},
         "Error in Write, row 1!! Poll Time must be between 0 and 100000000"},
        {"Max Err 65535", kIP, false, {{rMaxErr, "65535"}}, ""},
        {"Max Err 65536", kIP, false, {{rMaxErr, "65536"}}, "Error in Read, row 1!! Max Err must be between 0 and 655535"},
        {"a disabled row is not checked", kIP, false, {{rEnable, "N"}, {rInstance, "x"}}, ""},
        {"Enable must be exactly Y", kIP, false, {{rEnable, " Y"}, {rInstance, "x"}}, ""},
        {"no address for another kind", 2, true, {{wAddress, "anything"}}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Row r = c.writePage ? writeRow() : readRow();
        for (const Edit& e : c.edits) r[e.first] = QString::fromUtf8(e.second);
        const Rows read = c.writePage ? Rows{} : Rows{r};
        const Rows write = c.writePage ? Rows{r} : Rows{};
        EXPECT_EQ(check(c.kind, read, write), QString::fromUtf8(c.message));
    }
}

// Where rows carry no address, the object type tells a used row: the address column is neither
// the key nor checked.
TEST_F(BACnetClientRules, AnotherKindKeysRowsByTheObjectType) {
    EXPECT_EQ(keyColumn(kIP), rAddress);
    EXPECT_EQ(keyColumn(kMSTP), rAddress);
    EXPECT_EQ(keyColumn(2), rObjectType);
    Row noAddress = readRow(QString());
    Row bad = readRow(QString());
    bad[rInstance] = "x";
    Row noType = readRow();
    noType[rObjectType] = " ";
    // Row 2 is used and checked; the row without an object type ends the list.
    EXPECT_EQ(check(2, {noAddress, bad}, {}), QStringLiteral("Error in Read, row 2!! Instance must be between 0 and 4294967295"));
    EXPECT_EQ(check(2, {noAddress, noType}, {}), QString());
    // For the IP kind the same first row ends the list at once, and the row after it is a gap.
    EXPECT_NE(check(kIP, {noAddress, readRow()}, {}), QString());
}

TEST_F(BACnetClientRules, Lookups) {
    // Object types: the write page refuses the input types.
    EXPECT_EQ(Check_Object_Type(QStringLiteral(" analog input "), true), 4);
    for (const char* input : {"Accumulator", "Multi-State Input", "Analog Input", "Binary Input"})
        EXPECT_EQ(Check_Object_Type(QString::fromLatin1(input), false), kInvalid) << input;
    EXPECT_EQ(Check_Object_Type(QStringLiteral("Life Safety Zone"), false), 15);
    EXPECT_EQ(Check_Object_Type(QStringLiteral("128"), false), 128);
    EXPECT_EQ(Check_Object_Type(QStringLiteral("1024"), true), kInvalid);
    for (const QString& t : readObjectTypes()) EXPECT_NE(Check_Object_Type(t, true), kInvalid) << t.toStdString();
    for (const QString& t : writeObjectTypes()) EXPECT_NE(Check_Object_Type(t, false), kInvalid) << t.toStdString();
    // Properties: the proprietary range ends at 4184303.
    EXPECT_EQ(Check_Property(QStringLiteral("512"), false, 5), 200);
    EXPECT_EQ(Check_Property(QStringLiteral("4184303"), true, 5), 200);
    EXPECT_EQ(Check_Property(QStringLiteral("4194303"), true, 5), kInvalid);
    EXPECT_EQ(Check_Property(QStringLiteral("511"), true, 5), kInvalid);
    EXPECT_EQ(Check_Property(QStringLiteral("Polarity (84)"), true, 13), 1);
    EXPECT_EQ(Check_Property(QStringLiteral("Polarity (84)"), true, 12), kInvalid);
    EXPECT_EQ(Check_Property(QStringLiteral("Number of States (74)"), true, 11), 4);
    EXPECT_EQ(Check_Property(QStringLiteral("PreScale (185)"), true, 1), 5);
    EXPECT_EQ(Check_Property(QStringLiteral("Object Type (79)"), false, 5), kInvalid);
    // The largest NByte by data type.
    const std::pair<const char*, int> most[] = {{"Null", 0},     {"boolean", 1},      {"Unsigned Int", 4}, {"Real", 4},
                                                {"Object ID", 4}, {"Double", 8},       {"Bit String", 120},
                                                {"Octet String", 255}, {"", 255}};
    for (const auto& [type, n] : most) EXPECT_EQ(Check_Num_Byte_Max(QString::fromLatin1(type)), n) << type;
    EXPECT_EQ(Aspected_Data_Type_Value(8, 100), QStringLiteral("Signed Int"));
    EXPECT_TRUE(Aspected_Data_Type_Value(14, 100).isEmpty());
    EXPECT_TRUE(Check_Data_Type(QStringLiteral("Null"), 14, 200));
    EXPECT_FALSE(Check_Data_Type(QStringLiteral("Enumerated"), 14, 100));
}

TEST_F(BACnetClientRules, NByteHint) {
    struct Case {
        const char* type;
        const char* property;
        const char* hint;
    } cases[] = {
        {"Accumulator", "Scale (187)", "1"},         {"Analog Input", "Present Value (85)", "4"},
        {"Binary Output", "Present Value (85)", "1"}, {"Large Analog Value", "Present Value (85)", "8"},
        {"Binary Value", "Present Value (85)", ""},  {"Analog Input", "Object Type (79)", "2"},
        {"Analog Input", "PreScale (185)", ""},      {"Analog Input", "600", ""},
        {"Analog Input", " ", ""},                   {"", "Present Value (85)", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NByte_Hint(QString::fromLatin1(c.type), QString::fromLatin1(c.property)), QString::fromLatin1(c.hint))
            << c.type << " / " << c.property;
}

TEST_F(BACnetClientRules, KindAndWidth) {
    EXPECT_EQ(masterType("<ParGen><BACnet_Master_Type>1</BACnet_Master_Type></ParGen>"), 1);
    EXPECT_EQ(masterType("<ParGen><BACnet_Master_Type>2</BACnet_Master_Type></ParGen>"), 2);
    EXPECT_EQ(masterType("<ParGen><BACnet_Master_Type>x</BACnet_Master_Type></ParGen>"), 0);
    EXPECT_EQ(masterType("<ParGen><BACnet_Type>1</BACnet_Type></ParGen>"), std::nullopt);
    EXPECT_EQ(masterType("<ParGen>"), std::nullopt);
    EXPECT_EQ(clientWidthFor(1270), 1000);
    EXPECT_EQ(clientWidthFor(1271), 1305);
}

// Imports ---------------------------------------------------------------------------------------------

TBACnet_Var object(int type, const char* name, bool read = true, bool write = false) {
    TBACnet_Var v;
    v.object_type = type;
    v.object_instance = 40 + type;
    v.object_name = QString::fromLatin1(name);
    v.description = QStringLiteral("desc");
    v.import = true;
    v.read = read;
    v.write = write;
    return v;
}

Rows empty(int columns) { return Rows(kRows, Row(columns)); }

Row used(int position, int nbyte, const QString& address = QStringLiteral("10.0.0.1")) {
    Row r = readRow(address);
    r[rPosition] = QString::number(position);
    r[rNByte] = QString::number(nbyte);
    return r;
}

TEST_F(BACnetClientRules, ImportedRowsFollowTheLastByteInUse) {
    Rows read = empty(kReadColumns), write = empty(kWriteColumns);
    read[0] = used(10, 4);
    const ImportOutcome out =
        importObjects(read, write, kIP, {object(0, "AI1"), object(0, "AI2")}, QStringLiteral("192.168.1.20"));
    EXPECT_EQ(out.filled[0], (std::vector<int>{1, 2}));
    EXPECT_TRUE(out.filled[1].empty());
    EXPECT_EQ(read[1][rPosition], QStringLiteral("14"));
    EXPECT_EQ(read[2][rPosition], QStringLiteral("18"));
    const Row& r = read[1];
    EXPECT_EQ(r[rEnable], QStringLiteral("Y"));
    EXPECT_EQ(r[rAddress], QStringLiteral("192.168.1.20"));
    EXPECT_EQ(r[rObjectType], QStringLiteral("Analog Input"));
    EXPECT_EQ(r[rInstance], QStringLiteral("40"));
    EXPECT_EQ(r[rProperty], QStringLiteral("Present Value (85)"));
    EXPECT_EQ(r[rNByte], QStringLiteral("4"));
    EXPECT_EQ(r[rEnDest], QStringLiteral("N"));
    EXPECT_EQ(r[rPollTime], QStringLiteral("1000"));
    EXPECT_EQ(r[rMaxErr], QStringLiteral("0"));
    EXPECT_EQ(r[rStartBit], QStringLiteral("0"));
    EXPECT_EQ(r[rSwap], QStringLiteral("N"));
    EXPECT_EQ(r[rMnemonic], QStringLiteral("AI1 - desc"));
    // What the import wrote passes the checks.
    EXPECT_EQ(check(kIP, read, write), QString());
}

TEST_F(BACnetClientRules, ImportIntoBothPagesFromRowOne) {
    Rows read = empty(kReadColumns), write = empty(kWriteColumns);
    TBACnet_Var skipped = object(2, "skipped");
    skipped.import = false;
    const ImportOutcome out = importObjects(
        read, write, kIP,
        {object(0, "a"), object(3, "b"), skipped, object(19, "c", true, true), object(46, "d", false, true),
         object(1, "e", false, false)},
        QStringLiteral("10.1.1.1"));
    EXPECT_EQ(out.filled[0], (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(out.filled[1], (std::vector<int>{0, 1}));
    QStringList positions;
    for (int i : {0, 1, 2}) positions << read[size_t(i)][rPosition] + u'/' + read[size_t(i)][rNByte];
    EXPECT_EQ(positions, (QStringList{"0/4", "4/1", "5/4"}));
    const Row& w = write[1];
    EXPECT_EQ(write[0][wPosition], QStringLiteral("0"));
    EXPECT_EQ(w[wObjectType], QStringLiteral("Large Analog Value"));
    EXPECT_EQ(w[wDataType], QStringLiteral("Double"));
    EXPECT_EQ(w[wNByte], QStringLiteral("8"));
    EXPECT_EQ(w[wPosition], QStringLiteral("4"));
    EXPECT_EQ(w[wPriority], QStringLiteral("0"));
    EXPECT_EQ(w[wChange], QStringLiteral("N"));
    EXPECT_EQ(w[wTimer], QStringLiteral("N"));
    EXPECT_EQ(w[wMnemonic], QStringLiteral("d - desc"));
    EXPECT_EQ(check(kIP, read, write), QString());
    // An input chosen for writing lands on the write page, where the checks refuse it.
    const ImportOutcome more = importObjects(read, write, kIP, {object(0, "in", false, true)}, QStringLiteral("10.1.1.1"));
    EXPECT_EQ(more.filled[1], (std::vector<int>{2}));
    EXPECT_EQ(write[2][wPosition], QStringLiteral("12"));
    EXPECT_EQ(check(kIP, read, write),
              QStringLiteral("Error in Write, row 3!! Object Type is not correct. Select one from the list"));
}

TEST_F(BACnetClientRules, ImportFillsGapsAndNeverOverwritesAUsedRow) {
    Rows read = empty(kReadColumns), write = empty(kWriteColumns);
    for (int i : {0, 1, 2}) read[size_t(i)] = used(i * 4, 4);
    read[5] = used(40, 2);
    const Row sixth = read[5];
    const ImportOutcome out = importObjects(read, write, kIP, {object(0, "a"), object(0, "b"), object(0, "c")},
                                            QStringLiteral("10.1.1.1"));
    EXPECT_EQ(out.filled[0], (std::vector<int>{3, 4, 6}));
    EXPECT_EQ(read[5], sixth);
    EXPECT_EQ(read[3][rPosition], QStringLiteral("42"));
    EXPECT_EQ(read[6][rPosition], QStringLiteral("50"));
}

TEST_F(BACnetClientRules, ImportStopsAtTheLastRowAndCountsTheRest) {
    Rows read = empty(kReadColumns), write = empty(kWriteColumns);
    std::vector<TBACnet_Var> many(515, object(3, "bi"));
    const ImportOutcome out = importObjects(read, write, kIP, many, QStringLiteral("10.1.1.1"));
    EXPECT_EQ(out.filled[0].size(), size_t(kRows));
    EXPECT_EQ(out.notImported[0], 3);
    EXPECT_EQ(out.notImported[1], 0);
    EXPECT_EQ(read.size(), size_t(kRows));
    EXPECT_EQ(read.back()[rPosition], QStringLiteral("511"));
}

TEST_F(BACnetClientRules, AnotherKindFindsFreeRowsByTheObjectType) {
    Rows read = empty(kReadColumns), write = empty(kWriteColumns);
    for (int i : {0, 1, 2}) read[size_t(i)] = used(i, 1, QString());
    const ImportOutcome out = importObjects(read, write, 2, {object(5, "bv")}, QString());
    EXPECT_EQ(out.filled[0], (std::vector<int>{3}));
    EXPECT_EQ(read[3][rPosition], QStringLiteral("3"));
    EXPECT_EQ(read[0][rMnemonic], QStringLiteral("m"));
}

}  // namespace
