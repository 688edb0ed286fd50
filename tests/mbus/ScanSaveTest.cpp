// Writing found meters into the network file (registers, attribute sets of the gateway families,
// ticks, appending) and the scan report.
#include "mbus/MBusNetwork.h"
#include "mbus/MBusScanSave.h"
#include "platform/XmlDoc.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFileInfo>
#include <QTemporaryDir>
#include <set>

using namespace mbus;

namespace {

std::vector<uint8_t> hex(const char* text) {
    const QByteArray b = QByteArray::fromHex(QByteArray(text).replace(' ', ""));
    return std::vector<uint8_t>(b.begin(), b.end());
}

TVariable_MBus value(uint8_t dataField, int nbyte = 0) {
    TVariable_MBus v;
    v.dimension = dataField;
    v.nbyte = nbyte;
    v.type_data = 2;
    v.Desc_Type_Data = QStringLiteral("Volume m3");
    return v;
}

std::unique_ptr<TSlave_MBus> wiredMeter(int primary, const char* secondary, TVariableList values) {
    auto m = std::make_unique<TSlave_MBus>();
    m->Primary_Addresss = uint16_t(primary);
    m->Secondary_Addresss = QString::fromLatin1(secondary);
    m->descManufacture = QStringLiteral("ABC");
    m->List_Var = std::move(values);
    return m;
}

std::unique_ptr<TSlave_wMBus> wirelessMeter(TVariableList values) {
    auto m = std::make_unique<TSlave_wMBus>();
    m->ALA_Manufacturer = 0x2C2D;
    m->ALA_Manu_str = QStringLiteral("KAM");
    m->ALA_Address = 0x12345678;
    m->ALA_Version = 0x1B;
    m->ALA_DeviceType = 7;
    m->List_Var = std::move(values);
    return m;
}

class ScanSave : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("M_Bus.xml"));
    TMBusSlaveList wired;
    TWMBusSlaveList wireless;
    plat::XmlDocument doc;

    TSaveConfXML record() {
        TSaveConfXML d;
        d.File_Name = path;
        return d;
    }

    void addWireless(std::unique_ptr<TSlave_wMBus> m) {
        wireless.Locked([&](TWMBusMeters& list) { list.push_back(std::move(m)); });
    }

    // The written file's elements.
    std::vector<plat::XmlElement> nodes() {
        QString error;
        EXPECT_TRUE(doc.load(path, &error)) << error.toStdString();
        return doc.root().childElements();
    }
    static QStringList attributeNames(const plat::XmlElement& e) {
        QStringList names;
        for (pugi::xml_attribute a = e.node().first_attribute(); a; a = a.next_attribute())
            names << QString::fromUtf8(a.name());
        return names;
    }
    static QStringList column(const std::vector<plat::XmlElement>& elements, const char* name) {
        QStringList values;
        for (const auto& e : elements) values << e.attribute(QString::fromLatin1(name));
        return values;
    }
};

}  // namespace

TEST_F(ScanSave, ValuesTakeRegistersByTheirSizeFromTheFirstRegister) {
    wired.Add(wiredMeter(1, "12345678", {value(2), value(4)}));
    wired.Add(wiredMeter(2, "01", {value(2), value(13, 4), value(13, 6), value(2)}));
    TSaveConfXML d = record();
    d.Mod_Start = 100;
    ASSERT_TRUE(Save_XML_Conf_Wired(wired, d, false));
    const auto n = nodes();
    ASSERT_EQ(n.size(), 2u);
    EXPECT_EQ(column(n[0].childElements(), "ModReg"), QStringList({"100", "101"}));
    // Variable length: 4 bytes take 2 registers, 6 bytes 4 (2.5 and 3.5 rounded to even).
    EXPECT_EQ(column(n[1].childElements(), "ModReg"), QStringList({"103", "104", "106", "110"}));
    EXPECT_EQ(column(n[1].childElements(), "Length"), QStringList({"0", "4", "6", "0"}));
    EXPECT_EQ(column(n[1].childElements(), "Dim"), QStringList({"1", "7", "7", "1"}));
}

TEST(ScanSaveTables, RegisterCountAndDimByDataField) {
    const int registers[16] = {0, 1, 1, 2, 2, 2, 3, 4, 0, 1, 1, 2, 2, -1, 3, 0};
    const int dims[16] = {255, 0, 1, 4, 2, 6, 5, 3, 255, 0, 1, 4, 2, 7, 5, 255};
    for (int code = 0; code < 16; ++code) {
        if (code != 13) {
            EXPECT_EQ(Register_Count(uint8_t(code), 99), registers[code]) << code;
        }
        EXPECT_EQ(Dim_Index(uint8_t(code)), dims[code]) << code;
    }
    // Variable length: (n + 1) / 2, a half rounded to the even neighbour.
    const int byLength[10] = {0, 1, 2, 2, 2, 3, 4, 4, 4, 5};
    for (int n = 0; n < 10; ++n) EXPECT_EQ(Register_Count(13, n), byLength[n]) << n;
    EXPECT_EQ(Register_Count(13, -3), 0);
}

TEST_F(ScanSave, VariableAttributes) {
    TVariableList values;
    for (const char* record : {"04 13 D2 04 00 00", "14 13 D2 04 00 00", "24 13 D2 04 00 00", "34 13 D2 04 00 00"}) {
        TVariableList decoded;
        Decode_Records(decoded, hex(record), TDecodeContext{});
        ASSERT_EQ(decoded.size(), 1u) << record;
        values.push_back(decoded[0]);
    }
    ASSERT_EQ(values[1].FunctionFieldStr, "Maximum value");
    TVariable_MBus text = value(13, 3);
    text.type_data = 21;
    text.VIF_ASCII = QStringLiteral("kWh");
    text.device = 1;
    text.storage_number = 2;
    text.tarif = 3;
    text.Type_Data_Vife = 38;
    text.Is_BCD = true;
    values.push_back(text);
    TVariable_MBus notText = text;
    notText.type_data = 2;
    values.push_back(notText);
    wired.Add(wiredMeter(5, "05", values));

    ASSERT_TRUE(Save_XML_Conf_Wired(wired, record(), true));
    const auto v = nodes()[0].childElements();
    ASSERT_EQ(v.size(), 6u);
    EXPECT_EQ(column(v, "Fun_Field"), QStringList({"0", "2", "1", "3", "0", "0"}));
    EXPECT_EQ(column(v, "Position"), QStringList({"1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(v[4].attribute(QStringLiteral("Desc")), "Volume m3 (U1S2T3)");
    EXPECT_EQ(column(v, "VIF_ASCII"), QStringList({"", "", "", "", "kWh", ""}));
    EXPECT_EQ(column(v, "Type"), QStringList({"2", "2", "2", "2", "21", "2"}));
    EXPECT_EQ(v[4].attribute(QStringLiteral("VIFE")), "38");
    EXPECT_EQ(v[4].attribute(QStringLiteral("Unit")), "1");
    EXPECT_EQ(v[4].attribute(QStringLiteral("StoNumber")), "2");
    EXPECT_EQ(v[4].attribute(QStringLiteral("Tariff")), "3");
    EXPECT_EQ(column(v, "BCDtoINT"), QStringList({"0", "0", "0", "0", "1", "1"}));

    // Without "Check BCD" nothing is converted.
    ASSERT_TRUE(Save_XML_Conf_Wired(wired, record(), false));
    EXPECT_EQ(column(nodes()[0].childElements(), "BCDtoINT"), QStringList({"0", "0", "0", "0", "0", "0"}));
}

TEST_F(ScanSave, AttributeSetsOfTheFamilies) {
    const QStringList base = {"ID_Primary", "ID_Secondary", "Node_ID_Type", "Descrizione", "Send_SND_NKE",
                              "Reset_App", "Cut_After"};
    const QStringList family12 = {"Node_State", "Ident_Num", "BCDtoINT_IN", "Swap_IN", "Var_List_Type",
                                  "NS_VarType", "IN_VarType"};
    QStringList wMBus = {"MBus_Type", "wMBus_ManID", "wMBus_Add", "wMBus_Ver", "wMBus_DevType", "wMBus_En_Key"};
    for (int k = 1; k <= 16; ++k) wMBus << QStringLiteral("wMBus_Key_%1").arg(k);
    const QStringList varHead = {"Enable", "Position", "Desc", "Type", "VIF_ASCII", "Fun_Field", "Length"};
    const QStringList varUnits = {"Dim", "Unit", "StoNumber", "Tariff", "VIFE"};
    const QStringList modbusVar = varHead + QStringList{"ModReg"} + varUnits + QStringList{"ModScale", "BCDtoINT", "SWAP"};
    const QStringList bacnetVar =
        varHead + varUnits + QStringList{"BACnet_EngUnits", "BACnet_DataType", "Post_Operation", "BCDtoINT", "SWAP"};
    const QStringList registers = {"Node_State", "Ident_Num"};

    const struct {
        int family;
        bool wirelessScan;
        int startModnode;
        QStringList node;
        QStringList variable;
    } cases[] = {
        {18, false, 0, QStringList{"Node_Enable"} + base, modbusVar},
        {18, false, 1, QStringList{"Node_Enable"} + base, modbusVar},
        {2, false, 0, QStringList{"Node_Enable", "ID"} + base, modbusVar},
        {4, false, 0, QStringList{"Node_Enable", "ID", "Secondary_address"} + base, modbusVar},
        {12, false, 0, QStringList{"Node_Enable"} + base + QStringList{"MBus_Type"} + family12, bacnetVar},
        {13, false, 0, QStringList{"Node_Enable"} + base + QStringList{"MBus_Type"}, modbusVar},
        {13, false, 1, QStringList{"Node_Enable"} + base + QStringList{"MBus_Type"} + registers, modbusVar},
        {0, false, 0, QStringList{"Node_Enable"} + base, modbusVar},
        {0, false, 1, QStringList{"Node_Enable"} + base + registers, modbusVar},
        {18, true, 0, QStringList{"Node_Enable"} + base + wMBus, modbusVar},
        {7, true, 0, QStringList{"Node_Enable", "ID", "Secondary_address"} + base + wMBus, modbusVar},
        {12, true, 0, QStringList{"Node_Enable"} + base + family12 + wMBus, bacnetVar},
        {14, true, 0, QStringList{"Node_Enable"} + base + wMBus, modbusVar},
        {9, true, 1, QStringList{"Node_Enable"} + base + registers + wMBus, modbusVar},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "family " << c.family << (c.wirelessScan ? " wireless" : " wired")
                                        << " StartModnode " << c.startModnode);
        wired.Clear();
        wireless.Clear();
        TSaveConfXML d = record();
        d.XML_Code_Dev = c.family;
        d.StartModnode = c.startModnode;
        if (c.wirelessScan) {
            addWireless(wirelessMeter({value(2)}));
            ASSERT_TRUE(Save_XML_Conf_Wireless(wireless, d, false));
        } else {
            wired.Add(wiredMeter(1, "01", {value(2)}));
            ASSERT_TRUE(Save_XML_Conf_Wired(wired, d, false));
        }
        std::vector<plat::XmlElement> n = nodes();
        ASSERT_EQ(n.size(), 1u);
        // Families 4 and 7 group a wired scan's nodes.
        if (!c.wirelessScan && (c.family == 4 || c.family == 7)) {
            EXPECT_EQ(n[0].name(), "Group");
            n = n[0].childElements();
            ASSERT_EQ(n.size(), 1u);
        }
        EXPECT_EQ(n[0].name(), "Nodo");
        EXPECT_EQ(attributeNames(n[0]), c.node);
        ASSERT_EQ(n[0].childElements().size(), 1u);
        EXPECT_EQ(attributeNames(n[0].childElements()[0]), c.variable);
    }
}

TEST_F(ScanSave, WiredNodeValuesAndTheGroupOfFamilies4And7) {
    wired.Add(wiredMeter(250, "12345678", {}));
    TSaveConfXML d = record();
    d.XML_Code_Dev = 4;
    d.Index_Baud = 3;
    d.Index_Par = 2;
    d.Node_ID_Type = 1;
    d.SND_NKE = 1;
    d.Cut_After = 7;
    ASSERT_TRUE(Save_XML_Conf_Wired(wired, d, false));
    const auto root = nodes();
    ASSERT_EQ(root.size(), 1u);
    EXPECT_EQ(root[0].attribute(QStringLiteral("Baudrate")), "3");
    EXPECT_EQ(root[0].attribute(QStringLiteral("Parity")), "2");
    const plat::XmlElement n = root[0].firstChildElement();
    for (const auto& [name, expected] : std::vector<std::pair<const char*, const char*>>{
             {"Node_Enable", "1"}, {"ID", "250"}, {"Secondary_address", "12345678"}, {"ID_Primary", "250"},
             {"ID_Secondary", "12345678"}, {"Node_ID_Type", "1"}, {"Descrizione", "ABC"}, {"Send_SND_NKE", "1"},
             {"Reset_App", "0"}, {"Cut_After", "7"}})
        EXPECT_EQ(n.attribute(QString::fromLatin1(name)), expected) << name;
}

TEST_F(ScanSave, NodeRegistersAndPerNodeStartAddresses) {
    for (int i = 0; i < 3; ++i) wired.Add(wiredMeter(i + 1, "01", {value(2), value(4)}));
    TSaveConfXML d = record();
    d.XML_Code_Dev = 0;
    d.StartModnode = 1;
    d.SMN_Array = {10, 50, 90};
    d.En_NodeState = true;
    d.En_IdeNum = true;
    ASSERT_TRUE(Save_XML_Conf_Wired(wired, d, false));
    auto n = nodes();
    EXPECT_EQ(column(n, "Node_State"), QStringList({"10", "50", "90"}));
    EXPECT_EQ(column(n, "Ident_Num"), QStringList({"11", "51", "91"}));
    EXPECT_EQ(column(n[1].childElements(), "ModReg"), QStringList({"53", "54"}));

    d.En_NodeState = false;
    ASSERT_TRUE(Save_XML_Conf_Wired(wired, d, false));
    n = nodes();
    EXPECT_EQ(column(n, "Node_State"), QStringList({"0", "0", "0"}));
    EXPECT_EQ(column(n, "Ident_Num"), QStringList({"10", "50", "90"}));
    EXPECT_EQ(column(n[2].childElements(), "ModReg"), QStringList({"92", "93"}));
}

TEST_F(ScanSave, StartAddressesShorterThanTheMetersContinueTheCount) {
    for (int i = 0; i < 4; ++i) wired.Add(wiredMeter(i + 1, "01", {value(2), value(4)}));
    TSaveConfXML d = record();
    d.Mod_Start = 7;
    d.StartModnode = 1;
    d.SMN_Array = {200, 300};  // two start addresses for four meters
    ASSERT_TRUE(Save_XML_Conf_Wired(wired, d, false));
    const auto n = nodes();
    ASSERT_EQ(n.size(), 4u);
    EXPECT_EQ(column(n[1].childElements(), "ModReg"), QStringList({"300", "301"}));
    EXPECT_EQ(column(n[2].childElements(), "ModReg"), QStringList({"303", "304"}));
    EXPECT_EQ(column(n[3].childElements(), "ModReg"), QStringList({"306", "307"}));

    d.SMN_Array.clear();
    ASSERT_TRUE(Save_XML_Conf_Wired(wired, d, false));
    EXPECT_EQ(column(nodes()[0].childElements(), "ModReg"), QStringList({"7", "8"}));
}

TEST_F(ScanSave, UntickedRowsAreWrittenDisabledAndReadBackSo) {
    wired.Add(wiredMeter(1, "01", {value(2), value(4), value(2)}));
    wired.Add(wiredMeter(2, "02", {value(2)}));
    const TWiredTickQuery ticks = [](int meter, int variable) { return !(meter == 0 && variable == 1) && !(meter == 1 && variable == -1); };

    // Per-node layout: the unticked value takes no register but keeps its own size index.
    TSaveConfXML d = record();
    d.StartModnode = 1;
    ASSERT_TRUE(Save_XML_Conf_Wired(wired, d, false, ticks));
    auto n = nodes();
    EXPECT_EQ(column(n, "Node_Enable"), QStringList({"1", "0"}));
    EXPECT_EQ(column(n[0].childElements(), "Enable"), QStringList({"1", "0", "1"}));
    EXPECT_EQ(column(n[0].childElements(), "ModReg"), QStringList({"1", "2", "2"}));
    EXPECT_EQ(column(n[0].childElements(), "Dim"), QStringList({"1", "2", "1"}));

    // One running layout: every value keeps its register.
    d.StartModnode = 0;
    ASSERT_TRUE(Save_XML_Conf_Wired(wired, d, false, ticks));
    EXPECT_EQ(column(nodes()[0].childElements(), "ModReg"), QStringList({"1", "2", "4"}));

    const TNetworkRead r = Read_Network(path);
    EXPECT_EQ(r.Status, TNetworkReadStatus::Whole) << r.Message.toStdString();
    ASSERT_EQ(r.Nodes.size(), 2u);
    EXPECT_TRUE(r.Nodes[0].Enable);
    EXPECT_FALSE(r.Nodes[1].Enable);
    EXPECT_FALSE(r.Nodes[0].Var_List[1].Enable);
    EXPECT_EQ(r.Nodes[0].Var_List[0].Description, "Volume m3 (U0S0T0)");
}

TEST_F(ScanSave, WirelessMeterWithItsKey) {
    TVariable_MBus filler;
    filler.Real_Wireless_Var = false;
    TVariable_MBus off = value(4);
    off.Enable = false;
    auto m = wirelessMeter({value(2), filler, off});
    m->Enable_Key = true;
    for (int k = 0; k < 16; ++k) m->Key[size_t(k)] = uint8_t(0xF0 + k);
    addWireless(std::move(m));
    auto quiet = wirelessMeter({});
    quiet->Enable = false;
    addWireless(std::move(quiet));

    ASSERT_TRUE(Save_XML_Conf_Wireless(wireless, record(), false));
    const auto n = nodes();
    ASSERT_EQ(n.size(), 2u);
    EXPECT_EQ(n[0].attribute(QStringLiteral("wMBus_En_Key")), "1");
    for (int k = 1; k <= 16; ++k)
        EXPECT_EQ(n[0].attribute(QStringLiteral("wMBus_Key_%1").arg(k)), QString::number(0xF0 + k - 1));
    EXPECT_EQ(n[1].attribute(QStringLiteral("wMBus_En_Key")), "0");
    EXPECT_EQ(column(n, "Node_Enable"), QStringList({"1", "0"}));
    // The idle filler is skipped but keeps its place in the positions.
    EXPECT_EQ(column(n[0].childElements(), "Position"), QStringList({"1", "3"}));
    EXPECT_EQ(column(n[0].childElements(), "Enable"), QStringList({"1", "0"}));
    EXPECT_EQ(column(n[0].childElements(), "ModReg"), QStringList({"1", "2"}));

    const TNetworkRead r = Read_Network(path);
    ASSERT_EQ(r.Status, TNetworkReadStatus::Whole) << r.Message.toStdString();
    const TNodo& node = r.Nodes[0];
    EXPECT_EQ(node.MBus_Type, 0);
    EXPECT_EQ(node.Description, "KAM");
    EXPECT_EQ(node.Cut_After, 3);
    EXPECT_EQ(node.wMBus_ManID, QString::number(0x2C2D));
    EXPECT_EQ(node.wMBus_Add, QString::number(0x12345678));
    EXPECT_EQ(node.wMBus_Ver, "27");
    EXPECT_EQ(node.wMBus_DevType, "7");
    EXPECT_EQ(node.wMBus_Key[15], "255");
    EXPECT_FALSE(r.Nodes[1].Enable);
}

TEST_F(ScanSave, AppendingKeepsTheExistingNodesAndComment) {
    TNodiList existing(2);
    existing[0].Description = QStringLiteral("old 1");
    existing[1].Description = QStringLiteral("old 2");
    Write_Network(existing, path);
    wired.Add(wiredMeter(9, "09", {value(2)}));
    TSaveConfXML d = record();
    d.Append = 1;
    ASSERT_TRUE(Save_XML_Conf_Wired(wired, d, false));

    const QByteArray bytes = testing_support::readAll(path);
    EXPECT_TRUE(bytes.endsWith("</M-Bus_Network><!--SW_VERSION = 1.019-->")) << bytes.right(80).toStdString();
    const TNetworkRead r = Read_Network(path);
    ASSERT_EQ(r.Status, TNetworkReadStatus::Whole) << r.Message.toStdString();
    ASSERT_EQ(r.Nodes.size(), 3u);
    EXPECT_EQ(r.Nodes[0], existing[0]);
    EXPECT_EQ(r.Nodes[1], existing[1]);
    EXPECT_EQ(r.Nodes[2].Node_ID_Primary, 9);

    // A new file has no comment.
    d.Append = 0;
    ASSERT_TRUE(Save_XML_Conf_Wired(wired, d, false));
    EXPECT_FALSE(testing_support::readAll(path).contains("<!--"));
}

TEST_F(ScanSave, EmptyListWritesNothing) {
    TSaveConfXML d = record();
    EXPECT_FALSE(Save_XML_Conf_Wired(wired, d, false));
    EXPECT_FALSE(Save_XML_Conf_Wireless(wireless, d, false));
    EXPECT_FALSE(QFileInfo::exists(path));
    d.Append = 1;  // nothing is loaded either
    EXPECT_FALSE(Save_XML_Conf_Wired(wired, d, false));
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(ScanSave, AppendToAFileThatDoesNotLoadRaisesAndChangesNothing) {
    wired.Add(wiredMeter(1, "01", {value(2)}));
    TSaveConfXML d = record();
    d.Append = 1;
    EXPECT_THROW(Save_XML_Conf_Wired(wired, d, false), plat::Error);  // no file
    EXPECT_FALSE(QFileInfo::exists(path));
    testing_support::writeAll(path, "<M-Bus_Network><Nodo");
    EXPECT_THROW(Save_XML_Conf_Wired(wired, d, false), plat::Error);
    EXPECT_EQ(testing_support::readAll(path), QByteArray("<M-Bus_Network><Nodo"));
}

TEST_F(ScanSave, WiredScanReport) {
    TVariableList values;
    Decode_Records(values, hex("0C 13 65 25 00 00 8B 60 04 37 18 02"), TDecodeContext{});
    ASSERT_EQ(values.size(), 2u);
    auto m = wiredMeter(2, "12345678", values);
    m->Manufacture = 0x4024;
    m->Version = 85;
    m->Medium = 7;
    wired.Add(std::move(m));
    Save_XML_File_DLL(wired, path);

    const auto n = nodes();
    EXPECT_EQ(doc.root().name(), "SCAN_M-Bus_Wired");
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(attributeNames(n[0]),
              QStringList({"Primary_Address", "Secondary_Address", "Manufacturer", "Version", "Type"}));
    EXPECT_EQ(n[0].attribute(QStringLiteral("Manufacturer")), QStringLiteral("ABC (%1)").arg(0x4024));
    EXPECT_EQ(n[0].attribute(QStringLiteral("Secondary_Address")), "12345678");
    EXPECT_EQ(n[0].attribute(QStringLiteral("Type")), "7");
    const auto vars = n[0].childElements();
    ASSERT_EQ(vars.size(), 2u);
    const plat::XmlElement& energy = vars[1];
    EXPECT_EQ(attributeNames(energy), QStringList({"Value", "Type", "UST"}));
    EXPECT_EQ(energy.attribute(QStringLiteral("UST")), "(U1S0T2)");
    EXPECT_EQ(energy.attribute(QStringLiteral("Value")), values[1].ValueStr);
    QStringList children;
    for (const auto& c : energy.childElements()) children << c.name();
    EXPECT_EQ(children, QStringList({"Storage_Number", "Tariff", "Unit", "Data_Field", "Function_Field", "Type",
                                     "Value", "DIF", "VIF", "DIFE", "VIFE", "DATA"}));
    EXPECT_EQ(energy.child(QStringLiteral("Tariff")).text(), "2");
    EXPECT_EQ(energy.child(QStringLiteral("DIF")).text(), "$8B");
    EXPECT_EQ(energy.child(QStringLiteral("VIF")).text(), "$04");
    EXPECT_EQ(energy.child(QStringLiteral("DATA")).text(), "$371802");
    EXPECT_EQ(energy.child(QStringLiteral("Value")).text(), values[1].ValueStr);
    EXPECT_EQ(energy.child(QStringLiteral("Data_Field")).text(), values[1].DataFieldStr);
}

TEST_F(ScanSave, WirelessScanReport) {
    auto m = wirelessMeter({value(2)});
    m->ALA_Address = 0x12ABCD;
    m->Cripted = true;
    addWireless(std::move(m));
    addWireless(wirelessMeter({}));
    Save_Wireless_XML_File_DLL(wireless, path);

    const auto n = nodes();
    EXPECT_EQ(doc.root().name(), "SCAN_M-Bus_Wireless");
    ASSERT_EQ(n.size(), 2u);
    EXPECT_EQ(attributeNames(n[0]), QStringList({"Manufacturer", "Address", "Version", "Device_Type", "Cripted"}));
    EXPECT_EQ(column(n, "Address"), QStringList({"0012ABCD", "12345678"}));
    EXPECT_EQ(column(n, "Cripted"), QStringList({"True", "False"}));
    EXPECT_EQ(column(n, "Version"), QStringList({"27", "27"}));
    EXPECT_EQ(n[0].childElements().size(), 1u);
}
