// Panels of the other gateway models of the family: their routines' positions, heights and enabled
// states, and whole models laid out through the order table.
#include "gateway/UParGen.h"
#include "platform/CategoryPanels.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace {

class ParGenOtherModels : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tmp.isValid());
        Load_Default_Language();
        g_ProjectPath = tmp.path();  // no "ParGen.xml": a show loads the defaults
        Set_Files();
    }
    void TearDown() override {
        g_ProjectPath.clear();
        Set_Files();
    }
    QTemporaryDir tmp;
    testing_support::RecordingDialogs dialogs;
};

int top(TFParGen& d, const char* name) { return d.Control(QString::fromLatin1(name))->y(); }
bool shown(TFParGen& d, const char* name) { return plat::ownVisible(d.Control(QString::fromLatin1(name))); }
bool enabled(TFParGen& d, const char* name) { return plat::ownEnabled(d.Control(QString::fromLatin1(name))); }
int height(TFParGen& d, const char* panel) { return d.Panel(QString::fromLatin1(panel))->panelHeight(); }
void select(TFParGen& d, const char* combo, int position) { d.Combo(QString::fromLatin1(combo))->setCurrentIndex(position); }
void tick(TFParGen& d, const char* check, bool on) { d.Check(QString::fromLatin1(check))->setChecked(on); }

using Routine = void (TFParGen::*)();

}  // namespace

TEST_F(ParGenOtherModels, PanelsWhoseRowsNeverMove) {
    const struct {
        Routine routine;
        const char* panel;
        int height;
    } cases[] = {
        {&TFParGen::RePosition_Object_WorkMode, "CP_Working_Mode", 67},
        {&TFParGen::RePosition_Object_Serial, "CP_Serial", 179},
        {&TFParGen::RePosition_Object_Modbus_Master, "CP_Modbus_Master", 206},
        {&TFParGen::RePosition_Object_CAN, "CP_CAN", 67},
        {&TFParGen::RePosition_Object_CANopen, "CP_CANopen", 178},
        {&TFParGen::RePosition_Object_J1939, "CP_J1939", 150},
        {&TFParGen::RePosition_Object_DeviceNet_Master, "CP_DeviceNet_Master", 95},
        {&TFParGen::RePosition_Object_DeviceNet_Slave, "CP_DeviceNet_Slave", 150},
        {&TFParGen::RePosition_Object_PROFIBUS, "CP_PROFIBUS", 150},
        {&TFParGen::RePosition_Object_NMEA2000, "CP_NMEA2000", 121},
        {&TFParGen::RePosition_Object_DMX, "CP_DMX", 94},
        {&TFParGen::RePosition_Object_KNX, "CP_KNX", 94},
        {&TFParGen::RePosition_Object_DALI, "CP_DALI", 121},
        {&TFParGen::RePosition_Object_Modbus_TCP_Master, "CP_Modbus_TCP_Master", 178},
        {&TFParGen::RePosition_Object_Modbus_TCP_Slave, "CP_Modbus_TCP_Slave", 150},
        {&TFParGen::RePosition_Object_EtherNetIP, "CP_EtherNetIP", 206},
        {&TFParGen::RePosition_Object_SNMP_Manager, "CP_SNMP_Manager", 150},
    };
    TFParGen d;
    for (const auto& c : cases) {
        d.Panel(QString::fromLatin1(c.panel))->setPanelHeight(500);
        (d.*c.routine)();
        EXPECT_EQ(height(d, c.panel), c.height) << c.panel;
    }
    // CANopen's network-start edit sits right of its check box, the SDO time-out edit further right.
    EXPECT_EQ(d.Control("E_CANopen_NetworkStart_Delay")->geometry(), QRect(313, 94, 116, 21));
    EXPECT_EQ(d.Control("E_CANopen_SDO_Timeout")->geometry(), QRect(252, 121, 177, 21));
    // Disabled by the design, and no routine enables them.
    for (const char* n : {"CB_KNX_Type", "CB_PROFIBUS_Baudrate", "E_EtherNetIP_TunnelPort"}) EXPECT_FALSE(enabled(d, n)) << n;
}

TEST_F(ParGenOtherModels, CableDhcpDisablesTheAddressBlocksOfExactlySevenPanels) {
    const Routine routines[] = {
        &TFParGen::RePosition_Object_WorkMode,         &TFParGen::RePosition_Object_MBus,
        &TFParGen::RePosition_Object_wMBus,            &TFParGen::RePosition_Object_WiFi,
        &TFParGen::RePosition_Object_Serial,           &TFParGen::RePosition_Object_Modbus_Master,
        &TFParGen::RePosition_Object_Modbus_Slave,     &TFParGen::RePosition_Object_Modbus_TCP_Master,
        &TFParGen::RePosition_Object_Modbus_TCP_Slave, &TFParGen::RePosition_Object_CAN,
        &TFParGen::RePosition_Object_CANopen,          &TFParGen::RePosition_Object_J1939,
        &TFParGen::RePosition_Object_DeviceNet_Master, &TFParGen::RePosition_Object_DeviceNet_Slave,
        &TFParGen::RePosition_Object_EtherNetIP,       &TFParGen::RePosition_Object_PROFIBUS,
        &TFParGen::RePosition_Object_NMEA2000,         &TFParGen::RePosition_Object_DMX,
        &TFParGen::RePosition_Object_KNX,              &TFParGen::RePosition_Object_SNMP_Agent,
        &TFParGen::RePosition_Object_SNMP_Manager,     &TFParGen::RePosition_Object_BACnet_Slave,
        &TFParGen::RePosition_Object_BACnet_Master,    &TFParGen::RePosition_Object_DALI,
    };
    const std::pair<const char*, const char*> blocks[] = {
        {"E_ModbusTCPMaster_", "CB_ModbusTCPMaster_En_GAT"}, {"E_ModbusTCPSlave_", "CB_ModbusTCPSlave_En_GAT"},
        {"E_EtherNetIP_", "CB_EtherNetIP_GAT"},               {"E_SNMP_Manager_", "CB_SNMP_Manager_GAT"},
        {"E_SNMP_Agent_", "CB_SNMP_Agent_GAT"},               {"E_BACnet_IP_Slave_", "CB_BACnet_IP_Slave_GAT"},
        {"E_BACnet_IP_Master_", "CB_BACnet_IP_Master_GAT"}};
    const QStringList byDesign = {"CB_KNX_Type", "CB_PROFIBUS_Baudrate", "E_EtherNetIP_TunnelPort"};
    QStringList expected = byDesign;
    for (const auto& [prefix, check] : blocks) {
        expected << QString::fromLatin1(check);
        for (const char* part : {"IP", "SM", "GAT"})
            for (int i = 1; i <= 4; ++i) expected << QString::fromLatin1(prefix) + part + QString::number(i);
    }
    expected.sort();

    TFParGen d;
    auto disabledOfOtherPanels = [&] {
        QStringList out;
        for (plat::TCategoryPanel* p : d.CPG->panels()) {
            if (!p->isHidden()) continue;  // this gateway's nine
            for (QWidget* w : p->client()->findChildren<QWidget*>())
                if (!plat::ownEnabled(w)) out << w->objectName();
        }
        out.sort();
        return out;
    };
    for (bool dhcp : {true, false}) {
        tick(d, "CB_EthConn_En_DHCP_Cable", dhcp);
        for (Routine r : routines) (d.*r)();
        EXPECT_EQ(disabledOfOtherPanels(), dhcp ? expected : byDesign) << "cable DHCP " << dhcp;
    }
}

TEST_F(ParGenOtherModels, MBusWirelessMBusAndModbusSlaveFollowTheirDropDowns) {
    const struct {
        Routine routine;
        const char* panel;
        const char* combo;
        int position;
        std::vector<const char*> rows;  // shown exactly when `expectShown`
        bool expectShown;
        int height;
    } cases[] = {
        {&TFParGen::RePosition_Object_MBus, "CP_MBus", "CB_MBus_OnWire_Present", 0,
         {"L_MBus_Baudrate", "CB_MBus_Baudrate", "CB_MBus_Parity", "E_MBus_CyclicDelay", "L_MBus_NodeState",
          "E_MBus_NodeState", "CB_MBus_Request_on_MQTT"},
         false, 67},
        {&TFParGen::RePosition_Object_MBus, "CP_MBus", "CB_MBus_OnWire_Present", 1,
         {"L_MBus_Baudrate", "CB_MBus_Parity", "E_MBus_NodeState", "CB_MBus_Request_on_MQTT"}, true, 205},
        {&TFParGen::RePosition_Object_MBus, "CP_MBus", "CB_MBus_OnWire_Present", -1, {"CB_MBus_Request_on_MQTT"}, true, 205},
        {&TFParGen::RePosition_Object_wMBus, "CP_wMBus", "CB_wMBus_Wireless_Present", 0,
         {"L_wMBus_Mode", "CB_wMBus_Mode", "L_wMBus_Radio_Channel", "CB_wMBus_Radio_Channel"}, false, 67},
        {&TFParGen::RePosition_Object_wMBus, "CP_wMBus", "CB_wMBus_Wireless_Present", 1,
         {"CB_wMBus_Mode", "CB_wMBus_Radio_Channel"}, true, 123},
        {&TFParGen::RePosition_Object_Modbus_Slave, "CP_Modbus_Slave", "CB_WorkMode_WorkMode", 0,
         {"L_ModbusSlave_ID_Device", "E_ModbusSlave_ID_Device", "CB_ModbusSlave_ReadInput"}, false, 151},
        {&TFParGen::RePosition_Object_Modbus_Slave, "CP_Modbus_Slave", "CB_WorkMode_WorkMode", 1,
         {"L_ModbusSlave_ID_Device", "E_ModbusSlave_ID_Device", "CB_ModbusSlave_ReadInput"}, true, 205},
    };
    TFParGen d;
    for (const auto& c : cases) {
        select(d, c.combo, c.position);
        (d.*c.routine)();
        for (const char* r : c.rows) EXPECT_EQ(shown(d, r), c.expectShown) << c.combo << " " << c.position << " " << r;
        EXPECT_EQ(height(d, c.panel), c.height) << c.combo << " " << c.position;
    }
    // The node-state edit keeps its own column.
    EXPECT_EQ(d.Control("E_MBus_NodeState")->geometry(), QRect(328, 121, 101, 21));
    EXPECT_EQ(d.Combo("CB_MBus_OnWire_Present")->itemText(1), Text_Table[409]);
}

TEST_F(ParGenOtherModels, SnmpAgentVersionsAndSecurityLevels) {
    const struct {
        bool v3;
        int level;
        bool user, authority, privacy;
        int height;
    } cases[] = {
        {false, 0, false, false, false, 232}, {false, 2, false, false, false, 232}, {true, 0, true, false, false, 291},
        {true, 1, true, true, false, 347},    {true, 2, true, true, true, 403},     {true, -1, true, true, true, 403},
    };
    TFParGen d;
    for (const auto& c : cases) {
        tick(d, "CB_SNMP_Agent_Version3", c.v3);
        select(d, "CB_SNMP_Agent_SecurityLevel", c.level);
        d.RePosition_Object_SNMP_Agent();
        const std::string what = std::string("v3 ") + (c.v3 ? "on" : "off") + ", level " + std::to_string(c.level);
        EXPECT_EQ(shown(d, "E_SNMP_Agent_User"), c.user) << what;
        EXPECT_EQ(shown(d, "CB_SNMP_Agent_SecurityLevel"), c.user) << what;
        EXPECT_EQ(shown(d, "E_SNMP_Agent_Authority"), c.authority) << what;
        EXPECT_EQ(shown(d, "CB_SNMP_Agent_AuthorityMode"), c.authority) << what;
        EXPECT_EQ(shown(d, "L_SNMP_Agent_Privacy"), c.privacy) << what;
        EXPECT_EQ(shown(d, "CB_SNMP_Agent_PrivacyMode"), c.privacy) << what;
        EXPECT_EQ(height(d, "CP_SNMP_Agent"), c.height) << what;
    }
    // The three version boxes side by side.
    EXPECT_EQ(d.Control("CB_SNMP_Agent_Version1")->x(), 191);
    EXPECT_EQ(d.Control("CB_SNMP_Agent_Version2")->x(), 270);
    EXPECT_EQ(d.Control("CB_SNMP_Agent_Version3")->x(), 349);
    EXPECT_EQ(d.Control("CB_SNMP_Agent_Version2")->toolTip(), Text_Table[2017]);
}

TEST_F(ParGenOtherModels, BacnetOverIpOrMsTp) {
    TFParGen d;
    struct Case {
        const char* what;
        Routine routine;
        const char* type;
        int position;
        std::vector<std::pair<const char*, int>> tops;
        std::vector<const char*> hidden;
        const char* panel;
        int height;
    };
    const Case cases[] = {
        {"slave MS/TP", &TFParGen::RePosition_Object_BACnet_Slave, "CB_BACnet_Slave_Type", 1,
         {{"L_BACnet_MSTP_Slave_Baudrate", 40}, {"CB_BACnet_MSTP_Slave_Baudrate", 37}, {"L_BACnet_MSTP_Slave_Parity", 68},
          {"E_BACnet_MSTP_Slave_Network", 233}, {"CB_BACnet_Slave_Desc_32_Chars", 264}},
         {"L_BACnet_IP_Slave_IP", "E_BACnet_IP_Slave_IP1", "L_Dot_BACnet_IP_Slave_SM_2", "CB_BACnet_IP_Slave_GAT",
          "E_BACnet_IP_Slave_Port", "L_BACnet_IP_Slave_Device_Identifier"},
         "CP_BACnet_Slave", 317},
        {"slave IP", &TFParGen::RePosition_Object_BACnet_Slave, "CB_BACnet_Slave_Type", 0,
         {{"L_BACnet_IP_Slave_IP", 40}, {"E_BACnet_IP_Slave_Device_Identifier", 177}, {"CB_BACnet_Slave_Desc_32_Chars", 208}},
         {"L_BACnet_MSTP_Slave_Baudrate", "CB_BACnet_MSTP_Slave_Baudrate", "E_BACnet_MSTP_Slave_Network"},
         "CP_BACnet_Slave", 261},
        {"master IP", &TFParGen::RePosition_Object_BACnet_Master, "CB_BACnet_Master_Type", 0,
         {{"L_BACnet_IP_Master_IP", 40}, {"E_BACnet_IP_Master_TimeOut_Polling", 205}},
         {"CB_BACnet_MSTP_Master_Baudrate", "E_BACnet_MSTP_Master_Device_Instance"},
         "CP_BACnet_Master", 262},
        {"master MS/TP", &TFParGen::RePosition_Object_BACnet_Master, "CB_BACnet_Master_Type", 1,
         {{"L_BACnet_MSTP_Master_Baudrate", 40}, {"E_BACnet_MSTP_Master_Device_Instance", 205}},
         {"E_BACnet_IP_Master_IP4", "E_BACnet_IP_Master_TimeOut_Polling", "CB_BACnet_IP_Master_GAT"},
         "CP_BACnet_Master", 262},
    };
    for (const Case& c : cases) {
        select(d, c.type, c.position);
        (d.*c.routine)();
        for (const auto& [n, t] : c.tops) {
            EXPECT_TRUE(shown(d, n)) << c.what << " " << n;
            EXPECT_EQ(top(d, n), t) << c.what << " " << n;
        }
        for (const char* n : c.hidden) EXPECT_FALSE(shown(d, n)) << c.what << " " << n;
        EXPECT_EQ(height(d, c.panel), c.height) << c.what;
    }
}

TEST_F(ParGenOtherModels, OlderWiFiPanelWithItsThreeTypes) {
    struct Case {
        const char* what;
        int type;
        int secure;
        bool dhcp, autoAddress;
        std::vector<std::pair<const char*, int>> tops;
        std::vector<const char*> hidden;
        int height;
    };
    const Case cases[] = {
        {"access point, unsecured, DHCP off", 0, 0, false, false,
         {{"L_WiFi_IP", 40}, {"L_WiFi_SM", 68}, {"CB_WiFi_En_Gat", 96}, {"CB_WiFi_En_DNS", 124}, {"L_WiFi_Port", 152},
          {"L_WiFi_SSID", 180}, {"L_WiFi_Secure_Type", 208}, {"CB_WiFi_En_DHCP", 236}, {"L_WiFi_Max_Client", 264},
          {"L_WiFi_Channel", 292}},
         {"CB_WiFi_IP_Auto", "CB_WiFi_En_WPS", "E_WiFi_Password", "E_WiFi_Lease_Time", "E_WiFi_Name"},
         347},
        {"access point, secured, DHCP on", 0, 2, true, false,
         {{"L_WiFi_Password", 236}, {"CB_WiFi_En_DHCP", 264}, {"L_WiFi_DHCP_First_IP", 292}, {"L_WiFi_DHCP_SM", 320},
          {"L_WiFi_Lease_Time", 348}, {"L_WiFi_Max_Client", 376}, {"L_WiFi_Channel", 404}},
         {"E_WiFi_Name"},
         459},
        {"access point with no secure type shows the password", 0, -1, false, false,
         {{"L_WiFi_Password", 236}, {"CB_WiFi_En_DHCP", 264}}, {}, 375},
        {"client with a fixed address", 1, 0, true, false,
         {{"CB_WiFi_IP_Auto", 40}, {"L_WiFi_IP", 68}, {"L_WiFi_SM", 96}, {"CB_WiFi_En_Gat", 124}, {"CB_WiFi_En_DNS", 152},
          {"L_WiFi_Port", 180}, {"L_WiFi_SSID", 208}, {"L_WiFi_Password", 236}},
         {"E_WiFi_Name", "CB_WiFi_Secure_Type", "CB_WiFi_En_DHCP", "E_WiFi_DHCP_First_IP1", "CB_WiFi_Max_Client",
          "CB_WiFi_Channel", "CB_WiFi_En_WPS"},
         290},
        {"client with an automatic address", 1, 0, false, true,
         {{"CB_WiFi_IP_Auto", 40}, {"L_WiFi_Name", 68}, {"L_WiFi_Port", 96}, {"L_WiFi_SSID", 124}, {"L_WiFi_Password", 152}},
         {"E_WiFi_IP1", "L_Dot_WiFi_SM_3", "CB_WiFi_En_Gat", "E_WiFi_DNS4", "L_Dot_WiFi_DNS_1"},
         206},
        {"WiFi Direct keeps the last layout", 2, 2, true, false,
         {{"CB_WiFi_IP_Auto", 40}, {"L_WiFi_Name", 68}, {"L_WiFi_Password", 152}},
         {"E_WiFi_IP1", "CB_WiFi_Channel"},
         206},
    };
    TFParGen d;
    for (const Case& c : cases) {
        select(d, "CB_WiFi_Type", c.type);
        select(d, "CB_WiFi_Secure_Type", c.secure);
        tick(d, "CB_WiFi_En_DHCP", c.dhcp);
        tick(d, "CB_WiFi_IP_Auto", c.autoAddress);
        d.RePosition_Object_WiFi();
        for (const auto& [n, t] : c.tops) {
            EXPECT_TRUE(shown(d, n)) << c.what << " " << n;
            EXPECT_EQ(top(d, n), t) << c.what << " " << n;
        }
        for (const char* n : c.hidden) EXPECT_FALSE(shown(d, n)) << c.what << " " << n;
        EXPECT_EQ(height(d, "CP_WiFi"), c.height) << c.what;
    }
    // Client mode, fixed address: gateway and DNS octets 3 above their check box, "." labels 1 below.
    select(d, "CB_WiFi_Type", 1);
    tick(d, "CB_WiFi_IP_Auto", false);
    d.RePosition_Object_WiFi();
    EXPECT_EQ(top(d, "E_WiFi_GAT2"), 121);
    EXPECT_EQ(top(d, "L_Dot_WiFi_GAT_2"), 125);
    EXPECT_EQ(top(d, "E_WiFi_DNS4"), 149);
    EXPECT_EQ(top(d, "L_Dot_WiFi_DNS_3"), 153);
    // No control of this panel is ever disabled.
    for (QWidget* w : d.Panel("CP_WiFi")->client()->findChildren<QWidget*>())
        EXPECT_TRUE(plat::ownEnabled(w)) << w->objectName().toStdString();
    EXPECT_EQ(d.Combo("CB_WiFi_Channel")->count(), 12);
    EXPECT_EQ(d.Control("E_WiFi_DNS3")->toolTip(), Text_Table[506]);
}

TEST_F(ParGenOtherModels, TwoModelsLaidOutEndToEnd) {
    struct Case {
        const char* model;
        int connectionType;
        std::vector<std::pair<const char*, int>> heights;
        std::vector<const char*> collapsed;
        std::vector<const char*> open;
    };
    const Case cases[] = {
        // M-Bus gateway: its own Wi-Fi panel is never locked; the mobile panel follows the rule.
        {"611", 0, {{"CP_Working_Mode", 67}, {"CP_MBus", 67}, {"CP_wMBus", 67}, {"CP_WiFi", 347}, {"CP_MQTT", 292}},
         {"CP_GSM_GPRS"}, {"CP_WiFi", "CP_MBus", "CP_TLS"}},
        // BACnet slave gateway on Wi-Fi.
        {"618", 1, {{"CP_BACnet_Slave", 261}, {"CP_Ethernet_Connection", 206}, {"CP_WiFi2", 291}},
         {"CP_GSM_GPRS"}, {"CP_WiFi2", "CP_BACnet_Slave"}},
    };
    for (const Case& c : cases) {
        TFParGen d;
        d.show();  // loads the defaults first
        const TFParGen::ModelOrder& model = *TFParGen::FindModel(QString::fromLatin1(c.model));
        for (plat::TCategoryPanel* p : d.CPG->panels()) p->hide();
        d.Order_TAB_Panels_Model(model);
        select(d, "CB_Select_Device_Device", c.connectionType);
        select(d, "CB_WiFi_Type", 0);
        d.RePosition_Objects_Model(model);

        ASSERT_EQ(d.CPG->stackedPanels().size(), static_cast<qsizetype>(model.panels.size())) << c.model;
        int y = 0;
        for (plat::TCategoryPanel* p : d.CPG->stackedPanels()) {
            EXPECT_EQ(p->geometry().top(), y) << c.model << " " << p->objectName().toStdString();
            y += p->shownHeight();
        }
        for (const auto& [p, h] : c.heights) EXPECT_EQ(height(d, p), h) << c.model << " " << p;
        for (const char* p : c.collapsed) EXPECT_TRUE(d.Panel(p)->collapsed()) << c.model << " " << p;
        for (const char* p : c.open)
            EXPECT_TRUE(!d.Panel(p)->collapsed() && d.Panel(p)->isEnabled()) << c.model << " " << p;

        if (const QByteArray dir = qgetenv("CONF_SCREENSHOT_DIR"); !dir.isEmpty()) {
            d.CPG->widget()->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/pargen_model_%1.png").arg(c.model));
        }
    }
}

TEST_F(ParGenOtherModels, LabelsAndHintsOfTheOtherPanelsComeFromTheirRanges) {
    TFParGen d;
    const std::pair<const char*, int> captions[] = {
        {"L_WorkMode_WorkMode", 620}, {"CB_MBus_Request_on_MQTT", 4245}, {"L_CANopen_SDO_Timeout", 1837},
        {"CB_CANopen_NetworkStart", 1834}, {"L_BACnet_MSTP_Slave_Network", 4112}, {"L_BACnet_MSTP_Master_Parity", 4185},
        {"CB_ModbusTCPSlave_En_GAT", 1801}, {"L_SNMP_Agent_PrivacyMode", 2029}, {"L_SNMP_Manager_NameStation", 2060},
        {"CB_DALI_En_DALI2", 4218}, {"CB_ModbusSlave_ReadInput", 1970}, {"L_WiFi_Name", 536}};
    for (const auto& [n, i] : captions) {
        QWidget* w = d.Control(n);
        const QString text = qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text() : qobject_cast<QCheckBox*>(w)->text();
        EXPECT_EQ(text, Text_Table[i]) << n;
    }
    const std::pair<const char*, int> hints[] = {
        {"CB_CANopen_NetworkStart", 1835}, {"E_CANopen_NetworkStart_Delay", 1836}, {"E_ModbusTCPSlave_SM3", 699},
        {"E_ModbusTCPSlave_SM4", 1800},     {"E_ModbusTCPSlave_GAT1", 1803},        {"CB_WorkMode_WorkMode", 623},
        {"CB_MBus_OnWire_Present", 410},    {"E_BACnet_IP_Master_GAT4", 4174},      {"CB_SNMP_Agent_Version3", 2018},
        {"E_WiFi_DHCP_SM2", 531}};
    for (const auto& [n, i] : hints) EXPECT_EQ(d.Control(n)->toolTip(), Text_Table[i]) << n;
    EXPECT_EQ(d.Combo("CB_WorkMode_WorkMode")->itemText(1), Text_Table[622]);
    EXPECT_EQ(d.Label("L_Serial_DataBits")->text(), "Data Bits");
}

TEST_F(ParGenOtherModels, EveryModelByItsOwnRoutines) {
    // Caption texts of the panels, as the user reads them.
    const std::map<std::string, const char*> text = {
        {"CP_Select_Device", "Select Device"},   {"CP_Ethernet_Connection", "Ethernet Connection"},
        {"CP_Working_Mode", "Working Mode"},     {"CP_MBus", "M-Bus"},
        {"CP_wMBus", "M-Bus Wireless"},          {"CP_MQTT", "MQTT"},
        {"CP_Ethernet", "Ethernet"},             {"CP_WiFi", "Wi-Fi"},
        {"CP_WiFi2", "Wi-Fi"},                   {"CP_TLS", "TLS (Transport Layer Security)"},
        {"CP_NTP", "NTP (Network Time Protocol)"}, {"CP_GSM_GPRS", "GSM / GPRS / LTE"},
        {"CP_Serial", "Serial"},                 {"CP_Modbus_Master", "Modbus Master"},
        {"CP_Modbus_Slave", "Modbus Slave"},     {"CP_Modbus_TCP_Master", "Modbus TCP Master"},
        {"CP_Modbus_TCP_Slave", "Modbus TCP Slave"}, {"CP_BACnet_Master", "BACnet Master"},
        {"CP_BACnet_Slave", "BACnet Slave"},     {"CP_CAN", "CAN"},
        {"CP_CANopen", "CANopen"},               {"CP_DALI", "DALI"},
        {"CP_DeviceNet_Master", "DeviceNet Master"}, {"CP_DeviceNet_Slave", "DeviceNet Slave"},
        {"CP_DMX", "DMX"},                       {"CP_EtherNetIP", "EtherNet/IP"},
        {"CP_J1939", "J1939"},                   {"CP_KNX", "KNX"},
        {"CP_NMEA2000", "NMEA 2000"},            {"CP_PROFIBUS", "PROFIBUS"},
        {"CP_PROFINET", "PROFINET"},             {"CP_SNMP_Manager", "SNMP Manager"},
        {"CP_SNMP_Agent", "SNMP Agent"}};
    enum After { ConnectionType, FirstTypeForced, Nothing };
    struct Case {
        const char* code;
        Routine order, relayout;
        std::vector<const char*> panels;  // display order
        After after;
    };
    // The line 610 to 634: connection type, its field-bus panel(s), then the common tail.
    auto line = [](std::vector<const char*> bus) {
        std::vector<const char*> p = {"CP_Select_Device", "CP_Ethernet_Connection"};
        p.insert(p.end(), bus.begin(), bus.end());
        for (const char* t : {"CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}) p.push_back(t);
        return p;
    };
    auto r811 = [](std::vector<const char*> bus) {
        std::vector<const char*> p = {"CP_Ethernet_Connection"};
        p.insert(p.end(), bus.begin(), bus.end());
        for (const char* t : {"CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP"}) p.push_back(t);
        return p;
    };
#define M(c) #c, &TFParGen::Order_TAB_Panels_##c, &TFParGen::RePosition_Objects_##c
    const Case cases[] = {
        {M(610), line({}), ConnectionType},
        {M(611),
         {"CP_Select_Device", "CP_Working_Mode", "CP_MBus", "CP_wMBus", "CP_MQTT", "CP_Ethernet", "CP_WiFi", "CP_TLS",
          "CP_NTP", "CP_GSM_GPRS"},
         ConnectionType},
        {M(612), line({"CP_Serial"}), ConnectionType},
        {M(613), line({"CP_Working_Mode", "CP_Modbus_Master"}), ConnectionType},
        {M(614), line({"CP_Working_Mode", "CP_Modbus_Slave"}), ConnectionType},
        {M(615), line({"CP_Working_Mode", "CP_Modbus_TCP_Master"}), ConnectionType},
        {M(616), line({"CP_Modbus_TCP_Slave"}), ConnectionType},
        {M(617), line({"CP_BACnet_Master"}), ConnectionType},
        {M(618), line({"CP_BACnet_Slave"}), ConnectionType},
        {M(619), line({"CP_CAN"}), ConnectionType},
        {M(620), line({"CP_CANopen"}), ConnectionType},
        {M(621), line({"CP_DALI"}), ConnectionType},
        {M(622), line({"CP_DeviceNet_Master"}), ConnectionType},
        {M(623), line({"CP_DeviceNet_Slave"}), ConnectionType},
        {M(624), line({"CP_DMX"}), ConnectionType},
        {M(625), line({"CP_EtherNetIP"}), ConnectionType},
        {M(626), line({"CP_J1939"}), ConnectionType},
        {M(627), line({"CP_KNX"}), ConnectionType},
        {M(629), line({"CP_NMEA2000"}), ConnectionType},
        {M(631), line({"CP_PROFIBUS"}), ConnectionType},
        {M(632), line({"CP_PROFINET"}), ConnectionType},
        {M(633), line({"CP_SNMP_Manager"}), ConnectionType},
        {M(634), line({"CP_SNMP_Agent"}), ConnectionType},
        {M(811_R1), r811({"CP_J1939"}), FirstTypeForced},
        {M(811_R2), r811({"CP_CAN"}), FirstTypeForced},
        {M(811_R3), r811({"CP_Working_Mode", "CP_Modbus_Master"}), Nothing},
    };
#undef M
    constexpr int kUntouched = 999;
    for (const Case& c : cases) {
        TFParGen d;
        for (plat::TCategoryPanel* p : d.CPG->panels()) p->hide();
        (d.*c.order)();
        QStringList expected;
        for (const char* p : c.panels) expected << QString::number(expected.size() + 1) + ". " + text.at(p);
        QStringList captions;
        QStringList names;
        for (plat::TCategoryPanel* p : d.CPG->stackedPanels()) {
            EXPECT_EQ(p->TabOrder(), captions.size()) << c.code;
            captions << p->caption();
            names << p->objectName();
        }
        EXPECT_EQ(captions, expected) << c.code;
        QStringList expectedNames;
        for (const char* p : c.panels) expectedNames << p;
        EXPECT_EQ(names, expectedNames) << c.code;

        // The re-layout runs the routines of the shown panels and of no other; then the model's rule.
        select(d, "CB_Select_Device_Device", 1);  // re-lays this build's model at once
        for (plat::TCategoryPanel* p : d.CPG->panels()) {
            p->setPanelHeight(kUntouched);
            p->setEnabled(true);
            p->Expand();
        }
        (d.*c.relayout)();
        for (plat::TCategoryPanel* p : d.CPG->panels()) {
            const bool ran = expectedNames.contains(p->objectName());
            EXPECT_EQ(p->panelHeight() != kUntouched, ran) << c.code << " " << p->objectName().toStdString();
        }
        const bool ruled = c.after == ConnectionType;
        EXPECT_EQ(d.Panel("CP_GSM_GPRS")->collapsed(), ruled) << c.code;
        EXPECT_EQ(d.Panel("CP_GSM_GPRS")->isEnabled(), !ruled) << c.code;
        EXPECT_FALSE(d.Panel("CP_WiFi")->collapsed()) << c.code;
        EXPECT_EQ(d.Combo("CB_Select_Device_Device")->currentIndex(), c.after == FirstTypeForced ? 0 : 1) << c.code;
        if (expectedNames.contains("CP_Ethernet_Connection")) {
            EXPECT_EQ(enabled(d, "CB_EthConn_En_DHCP_WiFi"), c.after != FirstTypeForced) << c.code;
        }
    }
}
