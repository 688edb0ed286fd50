// The fixed texts of the two device descriptions, value by value: the sections of the GSD file and
// the fixed part of the GSDML file (elements, attributes, comments and the text list).
#include "gateway/UProfibus_GSD.h"
#include "gateway/UProfinetXML.h"

#include "tests/gateway/WriterTestSupport.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

using writer_test::Project;

namespace {

// The lines of a section: after its heading's closing ruler up to the next section's ruler.
QStringList sectionLines(const QStringList& all, const char* section) {
    const QString head = QStringLiteral(";==== %1 ").arg(QLatin1String(section));
    qsizetype at = -1;
    for (qsizetype i = 0; i < all.size() && at < 0; ++i)
        if (all[i].startsWith(head)) at = i;
    if (at < 0) return {QStringLiteral("<no section>")};
    qsizetype end = at + 2;
    while (end < all.size() && !all[end].startsWith(QStringLiteral(";="))) ++end;
    return all.mid(at + 2, end - at - 2);
}

}  // namespace

TEST(GsdFixedSections, ValueByValue) {
    // In = 100, Out = 70: two modules of each kind.
    const QStringList all = Build_GSD_Lines(100, 70);
    const struct {
        const char* section;
        QStringList lines;  // a line ending in "*" is compared up to it
    } sections[] = {
        {"Prm-Text-Def-List",
         {"", "PrmText=1", "Text(0)=\"disable\"", "Text(1)=\"enable\"", "EndPrmText", "", "PrmText  = 2",
          "Text(0)  = \"clock up\"", "Text(1)  = \"clock down\"", "EndPrmText", "", "PrmText  = 3", "Text(1)  = \"10\"",
          "Text(2)  = \"20\"", "Text(3)  = \"30\"", "Text(4)  = \"40\"", "Text(5)  = \"50\"", "EndPrmText", "", ""}},
        {"Ext-User-Prm-Data-Def-List",
         {"",
          "ExtUserPrmData=1 \"[SlotNumber]\"", "Unsigned8 0 0-32", "EndExtUserPrmData", "",
          "ExtUserPrmData=2 \"Diagnostic Alarm\"", "Bit(0) 0 0-1", "Prm_Text_Ref=1", "EndExtUserPrmData", "",
          "ExtUserPrmData=3 \"Process Alarm\"", "Bit(1) 0 0-1", "Prm_Text_Ref=1", "EndExtUserPrmData", "",
          "ExtUserPrmData=4 \"Counter mode\"", "Unsigned8 0 0-1", "Prm_Text_Ref=2", "EndExtUserPrmData", "",
          "ExtUserPrmData=5 \"Counter timebase (ms)\"", "Unsigned8 1 1-5", "Prm_Text_Ref=3", "EndExtUserPrmData", "",
          "ExtUserPrmData=6 \"Counter high-limit\"", "Unsigned16 65535 0-65535", "EndExtUserPrmData", "",
          "ExtUserPrmData=7 \"Counter low-limit\"", "Unsigned16 0 0-65535", "EndExtUserPrmData", "", ""}},
        {"General DP Keywords",
         {"", "GSD_Revision = 5", "Vendor_Name = \"Quorim\"", "Model_Name = \"KG73631\"", "Revision = \"1.00\"",
          "Ident_Number = 0x*", "Protocol_Ident = 0", "Station_Type = 0", "FMS_supp = 0", "Hardware_Release = \"V1.00\"",
          "Software_Release = \"V1.00\"", "Redundancy = 0", "Repeater_Ctrl_Sig = 2", "24V_Pins = 0", "", ""}},
        {"Supported baudrates",
         {"", "9.6_supp = 1", "19.2_supp = 1", "45.45_supp = 1", "93.75_supp = 1", "187.5_supp = 1", "500_supp = 1",
          "1.5M_supp = 1", "3M_supp = 1", "6M_supp = 1", "12M_supp = 1", "", "MaxTsdr_9.6=15", "MaxTsdr_19.2=15",
          "MaxTsdr_45.45=15", "MaxTsdr_93.75=15", "MaxTsdr_187.5=15", "MaxTsdr_500=15", "MaxTsdr_1.5M=20",
          "MaxTsdr_3M=35", "MaxTsdr_6M=50", "MaxTsdr_12M=95", "", ""}},
        {"Slave specific values",
         {"", "OrderNumber=\"KG73631\"", "Slave_Family = 9@Quorim@KG73631", "Implementation_Type = \"VPC3+\"",
          "Info_Text=\"Quorim: PROFIBUS Slave / MQTT - Converter\"", "Bitmap_Device = \"DPV0_1N\"",
          "Bitmap_SF=\"DPV0_1S\"", "", "Freeze_Mode_supp=1", "Sync_Mode_supp=1", "Fail_Safe=1", "Auto_Baud_supp=1",
          "Set_Slave_Add_supp=0", "", "Min_Slave_Intervall=6", "", "Modular_Station=1", "Max_Module=4", "Modul_Offset=1",
          "Max_Input_Len=100", "Max_Output_Len=70", "Max_Data_Len=170", "Max_Diag_Data_Len=15", "",
          "WD_Base_1ms_supp = 1", "Publisher_supp = 1", ""}},
        {"User-Prm-Data", {"", "Max_User_Prm_Data_Len = 12", "Ext_User_Prm_Data_Const(0)= 0x00,0x00,0x00", ""}},
        {"Modulstatus",
         {"", "Unit_Diag_Area = 24 - 25", "Value(1)= \"Slot 1: Module error\"", "Value(2)= \"Slot 1: Wrong module\"",
          "Value(3)= \"Slot 1: No module\"", "Unit_Diag_Area_End", "Unit_Diag_Area = 26 - 27",
          "Value(1)= \"Slot 2: Module error\"", "Value(2)= \"Slot 2: Wrong module\"", "Value(3)= \"Slot 2: No module\"",
          "Unit_Diag_Area_End", "", ""}},
    };
    for (const auto& s : sections) {
        SCOPED_TRACE(s.section);
        const QStringList got = sectionLines(all, s.section);
        ASSERT_EQ(got.size(), s.lines.size()) << got.join(u'|').toStdString();
        for (qsizetype i = 0; i < got.size(); ++i) {
            const QString& want = s.lines[i];
            if (want.endsWith(u'*')) {
                const QString prefix = want.chopped(1);
                EXPECT_TRUE(got[i].startsWith(prefix) && got[i].size() > prefix.size()) << "line " << i << ": " << got[i].toStdString();
            } else {
                EXPECT_EQ(got[i], want) << "line " << i;
            }
        }
    }
}

namespace {

// An attribute or element text by XPath; "@name" is an attribute of the root as written (XPath
// does not reach the namespace declarations).
std::string nodeValue(const pugi::xml_document& doc, const char* xpath) {
    if (xpath[0] == '@') {
        const pugi::xml_attribute a = doc.document_element().attribute(xpath + 1);
        return a ? a.value() : "<missing>";
    }
    const pugi::xpath_node n = doc.select_node(xpath);
    if (n.attribute()) return n.attribute().value();
    if (n.node()) return n.node().text().get();
    return "<missing>";
}

}  // namespace

TEST(GsdmlFixedPart, ValueByValue) {
    Project project;
    project.writeParGen({{QStringLiteral("PROFINET_NAME_STA"), QStringLiteral("line-4")},
                         {QStringLiteral("PROFINET_NB_IN"), QStringLiteral("100")},
                         {QStringLiteral("PROFINET_NB_OUT"), QStringLiteral("200")}});
    const QString path = project.file(QStringLiteral("out.xml"));
    Write_GSDML_File(path);
    const QByteArray bytes = testing_support::readAll(path);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_buffer(bytes.constData(), bytes.size(), pugi::parse_default | pugi::parse_comments,
                                pugi::encoding_utf8));

    const std::pair<const char*, const char*> values[] = {
        {"@xmlns", "http://www.profibus.com/GSDML/2003/11/DeviceProfile"},
        {"@xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance"},
        {"@xsi:schemaLocation",
         "http://www.profibus.com/GSDML/2003/11/DeviceProfile ..\\xsd\\GSDML-DeviceProfile-v2.31.xsd"},
        {"//ProfileHeader/ProfileIdentification", "PROFINET Device Profile"},
        {"//ProfileHeader/ProfileRevision", "1.00"},
        {"//ProfileHeader/ProfileName", "Device Profile for PROFINET Devices"},
        {"//ProfileHeader/ProfileSource", "PROFIBUS Nutzerorganisation e. V. (PNO)"},
        {"//ProfileHeader/ProfileClassID", "Device"},
        {"//ProfileHeader/ISO15745Reference/ISO15745Part", "4"},
        {"//ProfileHeader/ISO15745Reference/ISO15745Edition", "1"},
        {"//ProfileHeader/ISO15745Reference/ProfileTechnology", "GSDML"},
        {"//DeviceIdentity/InfoText/@TextId", "IDT_INFO_Device"},
        {"//DeviceIdentity/VendorName/@Value", "Quorim"},
        {"//DeviceFunction/Family/@MainFamily", "Gateway"},
        {"//DeviceFunction/Family/@ProductFamily", "KG73632"},
        {"//DeviceAccessPointItem/@PNIO_Version", "V2.3"},
        {"//DeviceAccessPointItem/@RequiredSchemaVersion", "V2.25"},
        {"//DeviceAccessPointItem/@ID", "IDD_1"},
        {"//DeviceAccessPointItem/@PhysicalSlots", "0..4"},
        {"//DeviceAccessPointItem/@ModuleIdentNumber", "0x00000001"},
        {"//DeviceAccessPointItem/@MinDeviceInterval", "64"},
        {"//DeviceAccessPointItem/@ImplementationType", "line-4"},
        {"//DeviceAccessPointItem/@DNS_CompatibleName", "line-4"},
        {"//DeviceAccessPointItem/@FixedInSlots", "0"},
        {"//DeviceAccessPointItem/@ObjectUUID_LocalIndex", "1"},
        {"//DeviceAccessPointItem/@MultipleWriteSupported", "true"},
        {"//DeviceAccessPointItem/@MaxSupportedRecordSize", "8192"},
        {"//DeviceAccessPointItem/@ParameterizationSpeedupSupported", "true"},
        {"//DeviceAccessPointItem/@PowerOnToCommReady", "350"},
        {"//DeviceAccessPointItem/@DeviceAccessSupported", "true"},
        {"//DeviceAccessPointItem/@SharedDeviceSupported", "true"},
        {"//DeviceAccessPointItem/@CheckDeviceID_Allowed", "false"},
        {"//DeviceAccessPointItem/@NameOfStationNotTransferable", "true"},
        {"//DeviceAccessPointItem/ModuleInfo/Name/@TextId", "IDT_NAME_DAP1"},
        {"//DeviceAccessPointItem/ModuleInfo/InfoText/@TextId", "IDT_INFO_DAP1"},
        {"//DeviceAccessPointItem/ModuleInfo/VendorName/@Value", "Quorim"},
        {"//DeviceAccessPointItem/ModuleInfo/OrderNumber/@Value", "KG73632"},
        {"//SubslotList/SubslotItem[1]/@SubslotNumber", "0"},
        {"//SubslotList/SubslotItem[1]/@TextId", "IDT_SUBSLOT_1"},
        {"//SubslotList/SubslotItem[2]/@SubslotNumber", "32768"},
        {"//SubslotList/SubslotItem[2]/@TextId", "IDT_SUBSLOT_Interface"},
        {"//SubslotList/SubslotItem[3]/@SubslotNumber", "32769"},
        {"//SubslotList/SubslotItem[3]/@TextId", "IDT_SUBSLOT_Port1"},
        {"//SubslotList/SubslotItem[4]/@SubslotNumber", "32770"},
        {"//SubslotList/SubslotItem[4]/@TextId", "IDT_SUBSLOT_Port2"},
        {"//IOConfigData/@MaxInputLength", "1440"},
        {"//IOConfigData/@MaxOutputLength", "1440"},
        {"//IOConfigData/@MaxDataLength", "2880"},
        {"//UseableModules/ModuleItemRef/@ModuleItemTarget", "IDM_1"},
        {"//UseableModules/ModuleItemRef/@FixedInSlots", "1"},
        {"//DeviceAccessPointItem/VirtualSubmoduleList/VirtualSubmoduleItem/@ID", "IDS_V1"},
        {"//DeviceAccessPointItem/VirtualSubmoduleList/VirtualSubmoduleItem/@SubmoduleIdentNumber", "0x00000000"},
        {"//DeviceAccessPointItem/VirtualSubmoduleList/VirtualSubmoduleItem/IOData/@IOPS_Length", "1"},
        {"//DeviceAccessPointItem/VirtualSubmoduleList/VirtualSubmoduleItem/IOData/@IOCS_Length", "1"},
        {"//DeviceAccessPointItem/VirtualSubmoduleList/VirtualSubmoduleItem/ModuleInfo/Name/@TextId", "IDT_NAME_VS1"},
        {"//DeviceAccessPointItem/VirtualSubmoduleList/VirtualSubmoduleItem/ModuleInfo/InfoText/@TextId", "IDT_INFO_VS1"},
        {"//InterfaceSubmoduleItem/@ID", "IDS_I"},
        {"//InterfaceSubmoduleItem/@SubmoduleIdentNumber", "0x00000001"},
        {"//InterfaceSubmoduleItem/@SubslotNumber", "32768"},
        {"//InterfaceSubmoduleItem/@TextId", "IDT_NAME_IS"},
        {"//InterfaceSubmoduleItem/@SupportedRT_Classes", "RT_CLASS_1"},
        {"//InterfaceSubmoduleItem/@SupportedProtocols", "SNMP;LLDP"},
        {"//InterfaceSubmoduleItem/@SupportedMibs", "MIB2"},
        {"//InterfaceSubmoduleItem/ApplicationRelations/TimingProperties/@SendClock", "32"},
        {"//InterfaceSubmoduleItem/ApplicationRelations/TimingProperties/@ReductionRatio", "1 2 4 8 16 32 64 128 256 512"},
        {"//PortSubmoduleItem[1]/@ID", "IDS_P1"},
        {"//PortSubmoduleItem[1]/@SubmoduleIdentNumber", "0x00000002"},
        {"//PortSubmoduleItem[1]/@SubslotNumber", "32769"},
        {"//PortSubmoduleItem[1]/@TextId", "IDT_NAME_PS1"},
        {"//PortSubmoduleItem[1]/@MaxPortRxDelay", "350"},
        {"//PortSubmoduleItem[1]/@MaxPortTxDelay", "160"},
        {"//PortSubmoduleItem[2]/@ID", "IDS_P2"},
        {"//PortSubmoduleItem[2]/@SubmoduleIdentNumber", "0x00000002"},
        {"//PortSubmoduleItem[2]/@SubslotNumber", "32770"},
        {"//PortSubmoduleItem[2]/@TextId", "IDT_NAME_PS2"},
        {"//PortSubmoduleItem[2]/@MaxPortRxDelay", "350"},
        {"//PortSubmoduleItem[2]/@MaxPortTxDelay", "160"},
        {"//ModuleList/ModuleItem/@ID", "IDM_1"},
        {"//ModuleList/ModuleItem/@ModuleIdentNumber", "0x00000001"},
        {"//ModuleList/ModuleItem/ModuleInfo/Name/@TextId", "IDT_NAME_M1"},
        {"//ModuleList/ModuleItem/ModuleInfo/InfoText/@TextId", "IDT_INFO_M1"},
        {"//ModuleList/ModuleItem/ModuleInfo/OrderNumber/@Value", "12345-0040-M"},
        {"//ModuleItem/VirtualSubmoduleList/VirtualSubmoduleItem/@ID", "IDM_1"},
        {"//ModuleItem/VirtualSubmoduleList/VirtualSubmoduleItem/@SubmoduleIdentNumber", "0x00000001"},
        {"//ModuleItem//IOData/@IOPS_Length", "1"},
        {"//ModuleItem//IOData/@IOCS_Length", "1"},
        {"//ModuleItem//IOData/Input/DataItem/@DataType", "OctetString"},
        {"//ModuleItem//IOData/Input/DataItem/@Length", "200"},  // NB_OUT
        {"//ModuleItem//IOData/Input/DataItem/@TextId", "IDT_Input_1"},
        {"//ModuleItem//IOData/Output/DataItem/@DataType", "OctetString"},
        {"//ModuleItem//IOData/Output/DataItem/@Length", "100"},  // NB_IN
        {"//ModuleItem//IOData/Output/DataItem/@TextId", "IDT_Output_1"},
        {"//ParameterRecordDataItem/@Index", "128"},
        {"//ParameterRecordDataItem/@Length", "2"},
        {"//ParameterRecordDataItem/Name/@TextId", "IDT_NAME_M1_IDT_REF_channel"},
        {"//ParameterRecordDataItem/Const/@ByteOffset", "0"},
        {"//ParameterRecordDataItem/Const/@Data", "0x00,0x00"},
        {"//ParameterRecordDataItem/Ref/@TextId", "IDT_REF_reaction_to_cpu_stop"},
        {"//ParameterRecordDataItem/Ref/@Visible", "true"},
        {"//ParameterRecordDataItem/Ref/@DataType", "BitArea"},
        {"//ParameterRecordDataItem/Ref/@ByteOffset", "0"},
        {"//ParameterRecordDataItem/Ref/@BitOffset", "0"},
        {"//ParameterRecordDataItem/Ref/@BitLength", "2"},
        {"//ParameterRecordDataItem/Ref/@DefaultValue", "2"},
        {"//ParameterRecordDataItem/Ref/@AllowedValues", "0..2"},
        {"//ParameterRecordDataItem/Ref/@ValueItemTarget", "IDV_reaction_to_cpu_stop"},
        {"//ParameterRecordDataItem/Ref/@ID", "IDT_REF_reaction_to_cpu_stop"},
        {"//MenuList/MenuItem[1]/@ID", "IDT_NAME_M1_IDT_REF_channel"},
        {"//MenuList/MenuItem[1]/Name/@TextId", "IDT_NAME_M1_IDT_REF_channel"},
        {"//MenuList/MenuItem[1]/MenuRef/@MenuTarget", "IDT_NAME_M1_Base_Parameters"},
        {"//MenuList/MenuItem[2]/@ID", "IDT_NAME_M1_Base_Parameters"},
        {"//MenuList/MenuItem[2]/Name/@TextId", "IDT_NAME_M1_Base_Parameters"},
        {"//MenuList/MenuItem[2]/ParameterRef/@ParameterTarget", "IDT_REF_reaction_to_cpu_stop"},
        {"//ModuleItem/VirtualSubmoduleList/VirtualSubmoduleItem/ModuleInfo/Name/@TextId", "IDT_NAME_M1"},
        {"//ModuleItem/VirtualSubmoduleList/VirtualSubmoduleItem/ModuleInfo/InfoText/@TextId", "IDT_INFO_M1"},
        {"//ValueList/ValueItem/@ID", "IDV_reaction_to_cpu_stop"},
        {"//ValueItem/Assignments/Assign[1]/@TextId", "IDT_ASSIGN_do_set_substitude_values"},
        {"//ValueItem/Assignments/Assign[1]/@Content", "0"},
        {"//ValueItem/Assignments/Assign[2]/@TextId", "IDT_ASSIGN_do_values_will_hold"},
        {"//ValueItem/Assignments/Assign[2]/@Content", "1"},
        {"//ValueItem/Assignments/Assign[3]/@TextId", "IDT_ASSIGN_do_continue_counting"},
        {"//ValueItem/Assignments/Assign[3]/@Content", "2"},
        {"//CategoryList/CategoryItem[1]/@ID", "IDC_DI"},
        {"//CategoryList/CategoryItem[1]/@TextId", "IDT_CATEGORY_DI"},
        {"//CategoryList/CategoryItem[1]/InfoText/@TextId", "IDT_INFO_DI"},
        {"//CategoryList/CategoryItem[2]/@ID", "IDC_DO"},
        {"//CategoryList/CategoryItem[2]/@TextId", "IDT_CATEGORY_DO"},
        {"//CategoryList/CategoryItem[2]/InfoText/@TextId", "IDT_INFO_DO"},
    };
    for (const auto& [xpath, value] : values) EXPECT_EQ(nodeValue(doc, xpath), value) << xpath;

    QStringList comments;
    for (const pugi::xpath_node& n : doc.select_nodes("//comment()")) comments << QString::fromUtf8(n.node().value());
    EXPECT_EQ(comments,
              (QStringList{" A fieldbus integration example. ",
                           " This element tells the engineering tool that the DAP supports fieldbus integration (slot "
                           "clusters). ",
                           " <FieldbusIntegrationSlots MaxSupported=\"127\" Range=\"100..9999\"/> ",
                           " The \"normal\" module carrying the FAP. "}));

    const std::pair<const char*, const char*> texts[] = {
        {"IDT_INFO_Device", "Quorim Gateways"},
        {"IDT_NAME_DAP1", "MQXDevice"},
        {"IDT_INFO_DAP1", "Profinet MQX Adapter"},
        {"IDT_SUBSLOT_1", "Subslot 1"},
        {"IDT_SUBSLOT_Interface", "Interface"},
        {"IDT_SUBSLOT_Port1", "Port 1"},
        {"IDT_SUBSLOT_Port2", "Port 2"},
        {"IDT_RECORD_NAME_Head", "Parameters of head module"},
        {"IDT_REF_Power", "Percent power"},
        {"IDT_NAME_VS1", "Submodule V1"},
        {"IDT_INFO_VS1", "Description of submodule V1"},
        {"IDT_NAME_IS", "I"},
        {"IDT_NAME_PS1", "P1"},
        {"IDT_NAME_PS2", "P2"},
        {"IDT_NAME_M1", "Module"},
        {"IDT_INFO_M1", "device MQX"},
        {"IDT_NAME_FAP", "FAP for MQX"},
        {"IDT_INFO_FAP", "Description of FAP for MQX"},
        {"IDT_RECORD_NAME_SlotCluster", "Parameters of the FAP"},
        {"IDT_REF_SlotClusterBegin", "Beginning of slot cluster"},
        {"IDT_NAME_M_PB1", "MQX Device "},
        {"IDT_INFO_M_PB1", "Description of MQX"},
        {"IDT_NAME_S_PB1", "Module of a MQX"},
        {"IDT_INFO_S_PB1", "Description of module of a MQX"},
        {"IDT_PB_Input", "Digital input MQX"},
        {"IDT_PB_InputBit0", "Digital input bit MQX"},
        {"IDT_NAME_S1", "Submodule 1"},
        {"IDT_INFO_S1", "Description of submodule 1"},
        {"IDT_Input_1", "Input byte"},
        {"IDT_Output_1", "Output word"},
        {"IDT_CATEGORY_DI", "Digital Input"},
        {"IDT_INFO_DI", "Description of digital input"},
        {"IDT_CATEGORY_DO", "Digital output"},
        {"IDT_INFO_DO", "Description of digital output"},
        {"IDT_NAME_M1_IDT_REF_channel", "Canale x"},
        {"IDT_REF_reaction_to_cpu_stop", "Reaction to CPU STOP"},
        {"IDT_NAME_M1_Base_Parameters", "Base Parameters"},
        {"IDT_ASSIGN_do_set_substitude_values", "Output substitute value"},
        {"IDT_ASSIGN_do_values_will_hold", "Keep last value"},
        {"IDT_ASSIGN_do_continue_counting", "Continue operation"},
    };
    const pugi::xpath_node_set written = doc.select_nodes("//ExternalTextList/PrimaryLanguage/Text");
    ASSERT_EQ(written.size(), std::size(texts));
    for (size_t i = 0; i < std::size(texts); ++i) {
        const pugi::xml_node t = written[i].node();
        EXPECT_EQ(QString::fromUtf8(t.attribute("TextId").value()), QString::fromUtf8(texts[i].first)) << i;
        EXPECT_EQ(QString::fromUtf8(t.attribute("Value").value()), QString::fromUtf8(texts[i].second)) << texts[i].first;
        // TextId is written first, except in the last three entries.
        const bool valueFirst = i + 3 >= std::size(texts);
        EXPECT_STREQ(t.first_attribute().name(), valueFirst ? "Value" : "TextId") << texts[i].first;
    }
}
