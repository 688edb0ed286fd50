#include "gateway/UParGen.h"

#include "controls/FadeButton.h"
#include "platform/CategoryPanels.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "platform/IntConv.h"
#include "platform/UserDialogs.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QValidator>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <span>
#include <stdexcept>

namespace {

QString T(int index) { return (index >= 0 && index < Text_Table.size()) ? Text_Table.at(index) : QString(); }

// ---------------------------------------------------------------------------------------------
// Controls with the dialog's own input rules.

// Limits what the user types (length, digits only) without touching texts set by the program:
// a file may hold a longer text, which is shown whole and can still be shortened.
class TypingLimit : public QValidator {
public:
    TypingLimit(QLineEdit* edit, int maxLength, bool digitsOnly)
        : QValidator(edit), max_(maxLength), digits_(digitsOnly), last_(edit->text()) {
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& t) { last_ = t; });
    }
    // Texts the program sets are taken whole.
    void setTextUnchecked(QLineEdit* edit, const QString& text) {
        unchecked_ = true;
        edit->setText(text);
        unchecked_ = false;
    }
    State validate(QString& input, int&) const override {
        if (unchecked_) return Acceptable;
        if (max_ > 0 && input.size() > max_ && input.size() > last_.size()) return Invalid;
        if (digits_ && nonDigits(input) > nonDigits(last_)) return Invalid;
        return Acceptable;
    }

private:
    static int nonDigits(const QString& s) {
        int n = 0;
        for (QChar c : s)
            if (c < u'0' || c > u'9') ++n;
        return n;
    }
    int max_;
    bool digits_;
    bool unchecked_ = false;
    QString last_;
};

// A drop-down the user picks from. The wheel never turns it: the window takes every wheel over the
// panels to scroll them, so a focused drop-down under the pointer cannot change by accident.
class TDropDown : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void wheelEvent(QWheelEvent* e) override { e->ignore(); }
};

// ---------------------------------------------------------------------------------------------
// Panel content, as data. Row k of a panel has its label at Top 12 + 28 k and its inputs 3 pixels
// higher; a gateway or diagnostic row puts its inputs 2 pixels above its check box.

enum class Row {
    Edit,     // label, edit 238 wide
    Rich,     // label, rich edit 238 wide
    Cert,     // label, rich edit 211 wide, "..." button
    Address,  // label, four octet edits with "." labels between them
    Gateway,  // check box 175 wide, four octet edits
    Check,    // check box filling the row
    CheckEdit,  // check box 175 wide, edit
    Combo,    // label, drop-down
    Heading,  // label across the row
    Versions,  // label, three check boxes "1", "2", "3" side by side
};

struct Items {
    std::span<const char* const> fixed;  // never translated
    int firstText = -1;                  // or text-table entries firstText .. firstText + count - 1
    int count = 0;
};

constexpr int kKindOffset = 1000;

struct RowDef {
    Row kind;
    const char* label;   // label or check box
    int text;            // its caption's text-table entry; -1: `fixedCaption`
    const char* input;   // input control, or the octet edits' common prefix (digits 1..4 follow)
    std::array<int, 4> hints{-1, -1, -1, -1};
    int maxLength = 0;
    bool digitsOnly = false;
    Items items{};
    const char* fixedCaption = nullptr;
    int inputOffset = kKindOffset;  // Top of the inputs relative to the label (or leading check box)
    const char* button = nullptr;
    int leadWidth = 0;   // 0: the usual width of the row's kind
    int inputLeft = 0;   // 0: the input column
    int inputWidth = 0;  // 0: the usual width
    int dotOffset = 0;   // Top of the "." labels relative to the label
};

// Inputs 3 pixels above a label; 2 above a check box that leads its row.
int resolvedOffset(const RowDef& r) {
    if (r.inputOffset != kKindOffset) return r.inputOffset;
    return (r.kind == Row::Gateway || r.kind == Row::CheckEdit) ? -2 : -3;
}

struct PanelDef {
    const char* name;
    std::vector<RowDef> rows;
};

constexpr const char* kSelectDeviceItems[] = {"Only Ethernet Cable ", "Ethernet Cable + Wi-Fi",
                                              "Ethernet Cable + Mobile Connection"};
constexpr const char* kQoSItems[] = {"0", "1", "2"};
constexpr const char* kMaxClientItems[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
constexpr const char* kAuthItems[] = {"None", "PAP", "CHAP", "PAP or CHAP"};
constexpr const char* kSimItems[] = {"SIM 1", "SIM 2"};
constexpr const char* kBACnetTypes[] = {"BACnet/IP", "BACnet MS/TP"};
constexpr const char* kSecurityLevels[] = {"NoAuthority NoPrivacy", "Authority NoPrivacy", "Authority Privacy"};

using H = std::array<int, 4>;
constexpr H kNoHints{-1, -1, -1, -1};
constexpr H h1(int a) { return {a, -1, -1, -1}; }
constexpr H h4(int a) { return {a, a + 1, a + 2, a + 3}; }

// The content of every panel: this gateway's nine in display order, then those of the other models.
const std::vector<PanelDef>& panelDefs() {
    static const std::vector<PanelDef> defs = {
        {"CP_Select_Device",
         {{Row::Combo, "L_Select_Device_Device", 4248, "CB_Select_Device_Device", h1(4249), 0, false, {kSelectDeviceItems}}}},
        {"CP_Ethernet_Connection",
         {
             {Row::Edit, "L_EthConn_Device_Name", 4251, "E_EthConn_Device_Name", h1(4252), 31},
             {Row::Check, "CB_EthConn_En_DHCP_Cable", 4253, nullptr, h1(4254)},
             {Row::Check, "CB_EthConn_En_DHCP_WiFi", 4255, nullptr, h1(4256)},
             {Row::Check, "CB_EthConn_Enable_DNS", 4257, nullptr, h1(4258)},
             {Row::Address, "L_EthConn_Primary_DNS", 4263, "E_EthConn_Pri_DNS_IP", h4(4259)},
             {Row::Address, "L_EthConn_Secondary_DNS", 4264, "E_EthConn_Sec_DNS_IP", h4(4265)},
         }},
        {"CP_PROFINET",
         {
             {Row::Address, "L_PROFINET_IP", 1915, "E_PROFINET_IP", h4(1916)},
             {Row::Address, "L_PROFINET_SM", 1920, "E_PROFINET_SM", h4(1921)},
             {Row::Gateway, "CB_PROFINET_GAT", 1925, "E_PROFINET_GAT", h1(1926)},
             {Row::Edit, "L_PROFINET_TunnelPort", 1931, "E_PROFINET_TunnelPort", h1(1932)},
             {Row::Edit, "L_PROFINET_NameStation", 1933, "E_PROFINET_NameStation", h1(1934), 31},
             {Row::Edit, "L_PROFINET_NByte_In", 1935, "E_PROFINET_NByte_In", h1(1936)},
             {Row::Edit, "L_PROFINET_NByte_Out", 1937, "E_PROFINET_NByte_Out", h1(1938)},
             {Row::CheckEdit, "CB_PROFINET_Diagnostic", 1939, "E_PROFINET_Diagnostic", {1940, 1941, -1, -1}},
         }},
        {"CP_MQTT",
         {
             {Row::Edit, "L_MQTT_Server", 429, "E_MQTT_Server", h1(430)},
             {Row::Edit, "L_MQTT_Server_Port", 431, "E_MQTT_Server_Port", h1(432)},
             {Row::Edit, "L_MQTT_Client_ID", 433, "E_MQTT_Client_ID", h1(434)},
             {Row::Edit, "L_MQTT_Keep_Alive", 435, "E_MQTT_Keep_Alive", h1(436)},
             {Row::Check, "CB_MQTT_Clean_Session", 437, nullptr, h1(438)},
             {Row::Check, "CB_MQTT_WillFlag", 439, nullptr, h1(440)},
             {Row::Edit, "L_MQTT_Will_TopicName", 441, "E_MQTT_Will_TopicName", h1(442)},
             {Row::Edit, "L_MQTT_Will_Message", 443, "E_MQTT_Will_Message", h1(444)},
             {Row::Check, "CB_MQTT_Will_Retained", 445, nullptr, h1(446)},
             {Row::Combo, "L_MQTT_Will_QoS", 447, "CB_MQTT_Will_QoS", h1(448), 0, false, {kQoSItems}},
             {Row::Check, "CB_MQTT_PublishTopicConnection", 4226, nullptr, h1(4227)},
             {Row::Edit, "L_MQTT_Connection_TopicName", 4228, "E_MQTT_Connection_TopicName", h1(4229)},
             {Row::Edit, "L_MQTT_Connection_Message", 4230, "E_MQTT_Connection_Message", h1(4231)},
             {Row::Check, "CB_MQTT_Connection_Retained", 4232, nullptr, h1(4233)},
             {Row::Edit, "L_MQTT_Username", 449, "E_MQTT_Username", h1(450)},
             {Row::Rich, "L_MQTT_Password", 451, "E_MQTT_Password", h1(452)},
             {Row::Edit, "L_MQTT_ASync_Send_Time", 453, "E_MQTT_ASync_Send_Time", h1(454)},
             {Row::Edit, "L_MQTT_TopicDALIAns", 4234, "E_MQTT_TopicDALIAns", h1(4235)},
             {Row::Check, "CB_MQTT_Enable_ReProgram", 4236, nullptr, h1(4237)},
             {Row::Edit, "L_MQTT_Reprogram_Topic", 4238, "E_MQTT_Reprogram_Topic", h1(4239)},
             {Row::Edit, "L_MQTT_Reproram_Value", 4240, "E_MQTT_Reproram_Value", h1(4241)},
         }},
        {"CP_Ethernet",
         {
             {Row::Address, "L_Ethernet_IP", 456, "E_Ethernet_IP", h4(457)},
             {Row::Address, "L_Ethernet_SM", 461, "E_Ethernet_SM", h4(462)},
             {Row::Gateway, "CB_Ethernet_En_GAT", 466, "E_Ethernet_GAT", h1(467)},
             {Row::Gateway, "CB_Ethernet_En_DNS", -1, "E_Ethernet_DNS", kNoHints, 0, false, {}, "DNS"},
             {Row::Edit, "L_Ethernet_TCP_Port", -1, "E_Ethernet_TCP_Port", kNoHints, 0, false, {}, "TCP Port"},
             {Row::Edit, "L_Ethernet_UDP_Port", -1, "E_Ethernet_UDP_Port", kNoHints, 0, false, {}, "UDP Port"},
             {Row::Check, "CB_Ethernet_Reset_24h", 4243, nullptr, h1(4244)},
         }},
        {"CP_TLS",
         {
             {Row::Check, "CB_TLS_Enable", 555, nullptr, h1(556)},
             {Row::Check, "CB_TLS_En_Server_Auth", 557, nullptr, h1(558)},
             {Row::Cert, "L_TLS_Server_Cert", 559, "E_TLS_Server_Cert", h1(560), 0, false, {}, nullptr, -5,
              "Btn_TLS_Server_Cert"},
             {Row::Check, "CB_TLS_En_Client_Auth", 561, nullptr, h1(562)},
             {Row::Cert, "L_TLS_CA_Cert", 5246, "E_TLS_CA_Cert", h1(5247), 0, false, {}, nullptr, -3, "Btn_TLS_CA_Cert"},
             {Row::Cert, "L_TLS_Client_Cert", 563, "E_TLS_Client_Cert", h1(564), 0, false, {}, nullptr, -3,
              "Btn_TLS_Client_Cert"},
             {Row::Cert, "L_TLS_Client_Cert_Key", 565, "E_TLS_Client_Cert_Key", h1(566), 0, false, {}, nullptr, -3,
              "Btn_TLS_Client_Cert_Key"},
             {Row::Edit, "L_TLS_Client_Cert_Key_Pass", 567, "E_TLS_Client_Cert_Key_Pass", h1(568)},
         }},
        {"CP_NTP",
         {
             {Row::Edit, "L_NTP_Server_URL", 570, "E_NTP_Server_URL", h1(571)},
             {Row::Edit, "L_NTP_Poll_Time", 572, "E_NTP_Poll_Time", h1(573)},
         }},
        {"CP_WiFi2",
         {
             {Row::Combo, "L_WiFi2_Type", 5101, "CB_WiFi2_Type", h1(5102), 0, false, {{}, 5103, 2}},
             {Row::Heading, "L_WiFi2_IP1", 5105, nullptr},
             {Row::Address, "L_WiFi2_IP1_IP", 5106, "E_WiFi2_IP1_IP", h4(5107)},
             {Row::Address, "L_WiFi2_IP1_SM", 5111, "E_WiFi2_IP1_SM", h4(5112)},
             {Row::Gateway, "CB_WiFi2_IP1_En_GAT", 5116, "E_WiFi2_IP1_GAT", h1(5117)},
             {Row::Heading, "L_WiFi2_IP2", 5122, nullptr},
             {Row::Address, "L_WiFi2_IP2_IP", 5123, "E_WiFi2_IP2_IP", h4(5124)},
             {Row::Address, "L_WiFi2_IP2_SM", 5128, "E_WiFi2_IP2_SM", h4(5129)},
             {Row::Gateway, "CB_WiFi2_IP2_En_GAT", 5133, "E_WiFi2_IP2_GAT", h1(5134)},
             {Row::Edit, "L_WiFi2_SSID", 5139, "E_WiFi2_SSID", h1(5140)},
             {Row::Edit, "L_WiFi2_Password", 5141, "E_WiFi2_Password", h1(5142)},
             {Row::Combo, "L_WiFi2_Secure_Type", 5143, "CB_WiFi2_Secure_Type", h1(5144), 0, false, {{}, 5145, 4}},
             {Row::Check, "CB_WiFi2_En_DHCP", 5149, nullptr, h1(5150)},
             {Row::Address, "L_WiFi2_DHCP_First_IP", 5151, "E_WiFi2_DHCP_First_IP", h4(5152)},
             {Row::Address, "L_WiFi2_DHCP_SM", 5156, "E_WiFi2_DHCP_SM", h4(5157)},
             {Row::Edit, "L_WiFi2_Lease_Time", 5161, "E_WiFi2_Lease_Time", h1(5162)},
             {Row::Combo, "L_WiFi2_Max_Client", 5163, "CB_WiFi2_Max_Client", h1(5164), 0, false, {kMaxClientItems}},
             {Row::Combo, "L_WiFi2_Channel", 5165, "CB_WiFi2_Channel", h1(5166), 0, false, {{}, 5167, 12}},
         }},
        {"CP_GSM_GPRS",
         {
             {Row::Edit, "L_GSM_GPRS_PIN", 4151, "E_GSM_GPRS_PIN", h1(4152), 8, true},
             {Row::Edit, "L_GSM_GPRS_APN", 4153, "E_GSM_GPRS_APN", h1(4154)},
             {Row::Combo, "L_GSM_GPRS_AuthType", 4220, "CB_GSM_GPRS_AuthType", h1(4221), 0, false, {kAuthItems}},
             {Row::Edit, "L_GSM_GPRS_UserName", 4222, "E_GSM_GPRS_UserName", h1(4223), 32},
             {Row::Edit, "L_GSM_GPRS_Password", 4224, "E_GSM_GPRS_Password", h1(4225), 32},
             {Row::Check, "CB_GSM_GPRS_En_Second_SIM", 5232, nullptr, h1(5233)},
             {Row::Edit, "L_GSM_GPRS_PIN2", 5234, "E_GSM_GPRS_PIN2", h1(5235), 8, true},
             {Row::Edit, "L_GSM_GPRS_APN2", 5236, "E_GSM_GPRS_APN2", h1(5237)},
             {Row::Combo, "L_GSM_GPRS_AuthType2", 5238, "CB_GSM_GPRS_AuthType2", h1(5239), 0, false, {kAuthItems}},
             {Row::Edit, "L_GSM_GPRS_UserName2", 5240, "E_GSM_GPRS_UserName2", h1(5241), 32},
             {Row::Edit, "L_GSM_GPRS_Password2", 5242, "E_GSM_GPRS_Password2", h1(5243), 32},
             {Row::Combo, "L_GSM_GPRS_Main_SIM", 5244, "CB_GSM_GPRS_Main_SIM", h1(5245), 0, false, {kSimItems}},
         }},

        // Panels that only the other models of the family show.
        {"CP_Working_Mode",
         {{Row::Combo, "L_WorkMode_WorkMode", 620, "CB_WorkMode_WorkMode", h1(623), 0, false, {{}, 621, 2}}}},
        {"CP_MBus",
         {
             {Row::Combo, "L_MBus_OnWire_Present", 407, "CB_MBus_OnWire_Present", h1(410), 0, false, {{}, 408, 2}},
             {Row::Combo, "L_MBus_Baudrate", 411, "CB_MBus_Baudrate", h1(412)},
             {Row::Combo, "L_MBus_Parity", 413, "CB_MBus_Parity", h1(414)},
             {Row::Edit, "L_MBus_CyclicDelay", 415, "E_MBus_CyclicDelay", h1(416)},
             {.kind = Row::Edit, .label = "L_MBus_NodeState", .text = 417, .input = "E_MBus_NodeState", .hints = h1(418),
              .inputLeft = 328, .inputWidth = 101},
             {Row::Check, "CB_MBus_Request_on_MQTT", 4245, nullptr, h1(4246)},
         }},
        {"CP_wMBus",
         {
             {Row::Combo, "L_wMBus_Wireless_Present", 420, "CB_wMBus_Wireless_Present", h1(423), 0, false, {{}, 421, 2}},
             {Row::Combo, "L_wMBus_Mode", 424, "CB_wMBus_Mode", h1(425)},
             {Row::Combo, "L_wMBus_Radio_Channel", 426, "CB_wMBus_Radio_Channel", h1(427)},
         }},
        {"CP_WiFi",
         {
             {Row::Combo, "L_WiFi_Type", 479, "CB_WiFi_Type", h1(480), 0, false, {{}, 481, 3}},
             {Row::Check, "CB_WiFi_IP_Auto", 484, nullptr, h1(485)},
             {Row::Address, "L_WiFi_IP", 486, "E_WiFi_IP", h4(487)},
             {Row::Address, "L_WiFi_SM", 491, "E_WiFi_SM", h4(492)},
             // Here the octets sit 3 above the check box and the "." labels 1 below its Top.
             {.kind = Row::Gateway, .label = "CB_WiFi_En_Gat", .text = 496, .input = "E_WiFi_GAT", .hints = h1(497),
              .inputOffset = -3, .dotOffset = 1},
             {.kind = Row::Gateway, .label = "CB_WiFi_En_DNS", .text = 502, .input = "E_WiFi_DNS", .hints = h1(503),
              .inputOffset = -3, .dotOffset = 1},
             {Row::Edit, "L_WiFi_Port", 508, "E_WiFi_Port", h1(509)},
             {Row::Check, "CB_WiFi_En_WPS", 510, nullptr, h1(511)},
             {Row::Edit, "L_WiFi_SSID", 512, "E_WiFi_SSID", h1(513)},
             {Row::Edit, "L_WiFi_Password", 514, "E_WiFi_Password", h1(515)},
             {Row::Combo, "L_WiFi_Secure_Type", 516, "CB_WiFi_Secure_Type", h1(517), 0, false, {{}, 518, 4}},
             {Row::Check, "CB_WiFi_En_DHCP", 522, nullptr, h1(523)},
             {Row::Address, "L_WiFi_DHCP_First_IP", 524, "E_WiFi_DHCP_First_IP", h4(525)},
             {Row::Address, "L_WiFi_DHCP_SM", 529, "E_WiFi_DHCP_SM", h4(530)},
             {Row::Edit, "L_WiFi_Lease_Time", 534, "E_WiFi_Lease_Time", h1(535)},
             {Row::Edit, "L_WiFi_Name", 536, "E_WiFi_Name", h1(537)},
             {Row::Combo, "L_WiFi_Max_Client", 538, "CB_WiFi_Max_Client", h1(539)},
             {Row::Combo, "L_WiFi_Channel", 540, "CB_WiFi_Channel", h1(541), 0, false, {{}, 542, 12}},
         }},
        {"CP_Serial",
         {
             {Row::Combo, "L_Serial_Serial", 4137, "CB_Serial_Serial", h1(4138)},
             {Row::Combo, "L_Serial_Baudrate", 4139, "CB_Serial_Baudrate", h1(4140)},
             {Row::Combo, "L_Serial_Parity", 4141, "CB_Serial_Parity", h1(4142)},
             {Row::Combo, "L_Serial_StopBits", 4143, "CB_Serial_StopBits", h1(4144)},
             {Row::Combo, "L_Serial_DataBits", -1, "CB_Serial_DataBits", kNoHints, 0, false, {}, "Data Bits"},
         }},
        {"CP_Modbus_Master",
         {
             {Row::Combo, "L_ModbusMaster_Serial", 625, "CB_ModbusMaster_Serial", h1(626)},
             {Row::Combo, "L_ModbusMaster_Baudrate", 627, "CB_ModbusMaster_Baudrate", h1(628)},
             {Row::Combo, "L_ModbusMaster_Parity", 629, "CB_ModbusMaster_Parity", h1(630)},
             {Row::Combo, "L_ModbusMaster_StopBits", 631, "CB_ModbusMaster_StopBits", h1(632)},
             {Row::Edit, "L_ModbusMaster_TimeOut", 633, "E_ModbusMaster_TimeOut", h1(634)},
             {Row::Edit, "L_ModbusMaster_CyclicDelay", 635, "E_ModbusMaster_CyclicDelay", h1(636)},
         }},
        {"CP_Modbus_Slave",
         {
             {Row::Combo, "L_ModbusSlave_Serial", 680, "CB_ModbusSlave_Serial", h1(681)},
             {Row::Combo, "L_ModbusSlave_Baudrate", 682, "CB_ModbusSlave_Baudrate", h1(683)},
             {Row::Combo, "L_ModbusSlave_Parity", 684, "CB_ModbusSlave_Parity", h1(685)},
             {Row::Combo, "L_ModbusSlave_StopBits", 686, "CB_ModbusSlave_StopBits", h1(687)},
             {Row::Edit, "L_ModbusSlave_ID_Device", 688, "E_ModbusSlave_ID_Device", h1(689)},
             {Row::Check, "CB_ModbusSlave_ReadInput", 1970, nullptr, h1(1971)},
         }},
        {"CP_Modbus_TCP_Master",
         {
             {Row::Address, "L_ModbusTCPMaster_IP", 645, "E_ModbusTCPMaster_IP", h4(646)},
             {Row::Address, "L_ModbusTCPMaster_SM", 650, "E_ModbusTCPMaster_SM", h4(651)},
             {Row::Gateway, "CB_ModbusTCPMaster_En_GAT", 655, "E_ModbusTCPMaster_GAT", h1(656)},
             {Row::Edit, "L_ModbusTCPMaster_TimeOut", 661, "E_ModbusTCPMaster_TimeOut", h1(662)},
             {Row::Edit, "L_ModbusTCPMaster_CyclicDelay", 663, "E_ModbusTCPMaster_CyclicDelay", h1(664)},
         }},
        {"CP_Modbus_TCP_Slave",
         {
             {Row::Address, "L_ModbusTCPSlave_IP", 691, "E_ModbusTCPSlave_IP", h4(692)},
             {Row::Address, "L_ModbusTCPSlave_SM", 696, "E_ModbusTCPSlave_SM", {697, 698, 699, 1800}},
             {Row::Gateway, "CB_ModbusTCPSlave_En_GAT", 1801, "E_ModbusTCPSlave_GAT", h1(1802)},
             {Row::Edit, "L_ModbusTCPSlave_Port", 1807, "E_ModbusTCPSlave_Port", h1(1808)},
         }},
        {"CP_BACnet_Master",
         {
             {Row::Combo, "L_BACnet_Master_Type", 4157, "CB_BACnet_Master_Type", h1(4158), 0, false, {kBACnetTypes}},
             {Row::Address, "L_BACnet_IP_Master_IP", 4159, "E_BACnet_IP_Master_IP", h4(4160)},
             {Row::Address, "L_BACnet_IP_Master_SM", 4164, "E_BACnet_IP_Master_SM", h4(4165)},
             {Row::Gateway, "CB_BACnet_IP_Master_GAT", 4169, "E_BACnet_IP_Master_GAT", h1(4170)},
             {Row::Edit, "L_BACnet_IP_Master_Port", 4175, "E_BACnet_IP_Master_Port", h1(4176)},
             {Row::Edit, "L_BACnet_IP_Master_Device_Name", 4177, "E_BACnet_IP_Master_Device_Name", h1(4178)},
             {Row::Edit, "L_BACnet_IP_Master_Device_Identifier", 4179, "E_BACnet_IP_Master_Device_Identifier", h1(4180)},
             {Row::Edit, "L_BACnet_IP_Master_TimeOut_Polling", 4181, "E_BACnet_IP_Master_TimeOut_Polling", h1(4182)},
             {Row::Combo, "L_BACnet_MSTP_Master_Baudrate", 4183, "CB_BACnet_MSTP_Master_Baudrate", h1(4184)},
             {Row::Combo, "L_BACnet_MSTP_Master_Parity", 4185, "CB_BACnet_MSTP_Master_Parity", h1(4186)},
             {Row::Edit, "L_BACnet_MSTP_Master_Device_Name", 4187, "E_BACnet_MSTP_Master_Device_Name", h1(4188)},
             {Row::Edit, "L_BACnet_MSTP_Master_MAC", 4189, "E_BACnet_MSTP_Master_MAC", h1(4190)},
             {Row::Edit, "L_BACnet_MSTP_Master_Max_Master", 4191, "E_BACnet_MSTP_Master_Max_Master", h1(4192)},
             {Row::Edit, "L_BACnet_MSTP_Master_Max_Info_Frame", 4193, "E_BACnet_MSTP_Master_Max_Info_Frame", h1(4194)},
             {Row::Edit, "L_BACnet_MSTP_Master_Device_Instance", 4195, "E_BACnet_MSTP_Master_Device_Instance", h1(4196)},
         }},
        {"CP_BACnet_Slave",
         {
             {Row::Combo, "L_BACnet_Slave_Type", 2074, "CB_BACnet_Slave_Type", h1(2075), 0, false, {kBACnetTypes}},
             {Row::Address, "L_BACnet_IP_Slave_IP", 2076, "E_BACnet_IP_Slave_IP", h4(2077)},
             {Row::Address, "L_BACnet_IP_Slave_SM", 2081, "E_BACnet_IP_Slave_SM", h4(2082)},
             {Row::Gateway, "CB_BACnet_IP_Slave_GAT", 2086, "E_BACnet_IP_Slave_GAT", h1(2087)},
             {Row::Edit, "L_BACnet_IP_Slave_Port", 2092, "E_BACnet_IP_Slave_Port", h1(2093)},
             {Row::Edit, "L_BACnet_IP_Slave_Device_Name", 2094, "E_BACnet_IP_Slave_Device_Name", h1(2095)},
             {Row::Edit, "L_BACnet_IP_Slave_Device_Identifier", 2096, "E_BACnet_IP_Slave_Device_Identifier", h1(2097)},
             {Row::Combo, "L_BACnet_MSTP_Slave_Baudrate", 2098, "CB_BACnet_MSTP_Slave_Baudrate", h1(2099)},
             {Row::Combo, "L_BACnet_MSTP_Slave_Parity", 4100, "CB_BACnet_MSTP_Slave_Parity", h1(4101)},
             {Row::Edit, "L_BACnet_MSTP_Slave_Device_Name", 4102, "E_BACnet_MSTP_Slave_Device_Name", h1(4103)},
             {Row::Edit, "L_BACnet_MSTP_Slave_MAC", 4104, "E_BACnet_MSTP_Slave_MAC", h1(4105)},
             {Row::Edit, "L_BACnet_MSTP_Slave_Max_Master", 4106, "E_BACnet_MSTP_Slave_Max_Master", h1(4107)},
             {Row::Edit, "L_BACnet_MSTP_Slave_Max_Info_Frame", 4108, "E_BACnet_MSTP_Slave_Max_Info_Frame", h1(4109)},
             {Row::Edit, "L_BACnet_MSTP_Slave_Device_Instance", 4110, "E_BACnet_MSTP_Slave_Device_Instance", h1(4111)},
             {Row::Edit, "L_BACnet_MSTP_Slave_Network", 4112, "E_BACnet_MSTP_Slave_Network", h1(4113)},
             {Row::Check, "CB_BACnet_Slave_Desc_32_Chars", 4114, nullptr, h1(4115)},
         }},
        {"CP_CAN", {{Row::Combo, "L_CAN_Baudrate", 1825, "CB_CAN_Baudrate", h1(1826)}}},
        {"CP_CANopen",
         {
             {Row::Edit, "L_CANopen_ID_Device", 1828, "E_CANopen_ID_Device", h1(1829)},
             {Row::Combo, "L_CANopen_Baudrate", 1830, "CB_CANopen_Baudrate", h1(1831)},
             {Row::Check, "CB_CANopen_Operational", 1832, nullptr, h1(1833)},
             {.kind = Row::CheckEdit, .label = "CB_CANopen_NetworkStart", .text = 1834, .input = "E_CANopen_NetworkStart_Delay",
              .hints = {1835, 1836, -1, -1}, .leadWidth = 295, .inputLeft = 313, .inputWidth = 116},
             {.kind = Row::Edit, .label = "L_CANopen_SDO_Timeout", .text = 1837, .input = "E_CANopen_SDO_Timeout",
              .hints = h1(1838), .inputLeft = 252, .inputWidth = 177},
         }},
        {"CP_DALI",
         {
             {Row::Edit, "L_DALI_Console_Port", 4147, "E_DALI_Console_Port", h1(4148)},
             {Row::Check, "CB_DALI_Disable_Scan", 4216, nullptr, h1(4217)},
             {Row::Check, "CB_DALI_En_DALI2", 4218, nullptr, h1(4219)},
         }},
        {"CP_DeviceNet_Master",
         {
             {Row::Edit, "L_DeviceNet_Master_ID_Device", 1854, "E_DeviceNet_Master_ID_Device", h1(1855)},
             {Row::Combo, "L_DeviceNet_Master_Baudrate", 1856, "CB_DeviceNet_Master_Baudrate", h1(1857)},
         }},
        {"CP_DeviceNet_Slave",
         {
             {Row::Edit, "L_DeviceNet_Slave_ID_Device", 1860, "E_DeviceNet_Slave_ID_Device", h1(1861)},
             {Row::Combo, "L_DeviceNet_Slave_Baudrate", 1862, "CB_DeviceNet_Slave_Baudrate", h1(1863)},
             {Row::Edit, "L_DeviceNet_Slave_NumByteIn", 1864, "E_DeviceNet_Slave_NumByteIn", h1(1865)},
             {Row::Edit, "L_DeviceNet_Slave_NumByteOut", 1866, "E_DeviceNet_Slave_NumByteOut", h1(1867)},
         }},
        {"CP_DMX",
         {
             {Row::Combo, "L_DMX_Type", 1981, "CB_DMX_Type", h1(1982)},
             {Row::Edit, "L_DMX_ChannelNum", 1983, "E_DMX_ChannelNum", h1(1984)},
         }},
        {"CP_EtherNetIP",
         {
             {Row::Address, "L_EtherNetIP_IP", 1872, "E_EtherNetIP_IP", h4(1873)},
             {Row::Address, "L_EtherNetIP_SM", 1877, "E_EtherNetIP_SM", h4(1878)},
             {Row::Gateway, "CB_EtherNetIP_GAT", 1882, "E_EtherNetIP_GAT", h1(1883)},
             {Row::Edit, "L_EtherNetIP_TunnelPort", 1888, "E_EtherNetIP_TunnelPort", h1(1889)},
             {Row::Edit, "L_EtherNetIP_NByte_In", 1890, "E_EtherNetIP_NByte_In", h1(1891)},
             {Row::Edit, "L_EtherNetIP_NByte_Out", 1892, "E_EtherNetIP_NByte_Out", h1(1893)},
         }},
        {"CP_J1939",
         {
             {Row::Combo, "L_J1939_Baudrate", 1843, "CB_J1939_Baudrate", h1(1844)},
             {Row::Edit, "L_J1939_TimeOut", 1845, "E_J1939_TimeOut", h1(1846)},
             {Row::Check, "CB_J1939_Peer_To_Peer", 1847, nullptr, h1(1848)},
             {Row::Edit, "L_J1939_ID_Device", 1849, "E_J1939_ID_Device", h1(1850)},
         }},
        {"CP_KNX",
         {
             {Row::Combo, "L_KNX_Type", 1987, "CB_KNX_Type", h1(1988)},
             {Row::Edit, "L_KNX_IDDevice", 1989, "E_KNX_IDDevice", h1(1990)},
         }},
        {"CP_NMEA2000",
         {
             {Row::Combo, "L_NMEA2000_Baudrate", 1973, "CB_NMEA2000_Baudrate", h1(1974)},
             {Row::Edit, "L_NMEA2000_TimeOut", 1975, "E_NMEA2000_TimeOut", h1(1976)},
             {Row::Check, "CB_NMEA2000_Peer_To_Peer", 1977, nullptr, h1(1978)},
         }},
        {"CP_PROFIBUS",
         {
             {Row::Edit, "L_PROFIBUS_ID_Device", 1959, "E_PROFIBUS_ID_Device", h1(1960)},
             {Row::Combo, "L_PROFIBUS_Baudrate", 1961, "CB_PROFIBUS_Baudrate", h1(1962)},
             {Row::Edit, "L_PROFIBUS_NByte_In", 1963, "E_PROFIBUS_NByte_In", h1(1964)},
             {Row::Edit, "L_PROFIBUS_NByte_Out", 1965, "E_PROFIBUS_NByte_Out", h1(1966)},
         }},
        {"CP_SNMP_Manager",
         {
             {Row::Address, "L_SNMP_Manager_IP", 2044, "E_SNMP_Manager_IP", h4(2045)},
             {Row::Address, "L_SNMP_Manager_SM", 2049, "E_SNMP_Manager_SM", h4(2050)},
             {Row::Gateway, "CB_SNMP_Manager_GAT", 2054, "E_SNMP_Manager_GAT", h1(2055)},
             {Row::Edit, "L_SNMP_Manager_NameStation", 2060, "E_SNMP_Manager_NameStation"},
         }},
        {"CP_SNMP_Agent",
         {
             {Row::Address, "L_SNMP_Agent_IP", 1993, "E_SNMP_Agent_IP", h4(1994)},
             {Row::Address, "L_SNMP_Agent_SM", 1998, "E_SNMP_Agent_SM", h4(1999)},
             {Row::Gateway, "CB_SNMP_Agent_GAT", 2003, "E_SNMP_Agent_GAT", h1(2004)},
             {Row::Edit, "L_SNMP_Agent_NameStation", 2009, "E_SNMP_Agent_NameStation", h1(2010)},
             {Row::Edit, "L_SNMP_Agent_Contact", 2011, "E_SNMP_Agent_Contact", h1(2012)},
             {Row::Edit, "L_SNMP_Agent_Location", 2013, "E_SNMP_Agent_Location", h1(2014)},
             // Three check boxes "1", "2", "3" one pixel above their label.
             {.kind = Row::Versions, .label = "L_SNMP_Agent_Version", .text = 2015, .input = "CB_SNMP_Agent_Version",
              .hints = {2016, 2017, 2018, -1}, .inputOffset = -1},
             {Row::Edit, "L_SNMP_Agent_User", 2019, "E_SNMP_Agent_User", h1(2020)},
             {Row::Combo, "L_SNMP_Agent_SecurityLevel", 2021, "CB_SNMP_Agent_SecurityLevel", h1(2022), 0, false,
              {kSecurityLevels}},
             {Row::Edit, "L_SNMP_Agent_Authority", 2023, "E_SNMP_Agent_Authority", h1(2024)},
             {Row::Combo, "L_SNMP_Agent_AuthorityMode", 2025, "CB_SNMP_Agent_AuthorityMode", h1(2026)},
             {Row::Edit, "L_SNMP_Agent_Privacy", 2027, "E_SNMP_Agent_Privacy", h1(2028)},
             {Row::Combo, "L_SNMP_Agent_PrivacyMode", 2029, "CB_SNMP_Agent_PrivacyMode", h1(2030)},
         }},
    };
    return defs;
}

// Chains along which "." moves the focus; each lists the octet-edit prefixes in order.
const std::vector<std::vector<const char*>>& dotChains() {
    static const std::vector<std::vector<const char*>> chains = {
        {"E_Ethernet_IP", "E_Ethernet_SM", "E_Ethernet_GAT"},
        {"E_EthConn_Pri_DNS_IP", "E_EthConn_Sec_DNS_IP"},
        {"E_WiFi2_IP1_IP", "E_WiFi2_IP1_SM", "E_WiFi2_IP1_GAT"},
        {"E_WiFi2_IP2_IP", "E_WiFi2_IP2_SM", "E_WiFi2_IP2_GAT"},
        {"E_WiFi2_DHCP_First_IP", "E_WiFi2_DHCP_SM"},
        {"E_PROFINET_IP", "E_PROFINET_SM", "E_PROFINET_GAT"},
    };
    return chains;
}

// Every panel of the dialog, with the text of its caption and its routine in the re-layout.
struct PanelInfo {
    const char* name;
    int caption;
    void (TFParGen::*routine)();
};

const std::vector<PanelInfo>& allPanels() {
    static const std::vector<PanelInfo> panels = {
        {"CP_Select_Device", 4247, &TFParGen::RePosition_Object_Select_Device},
        {"CP_Ethernet_Connection", 4250, &TFParGen::RePosition_Object_Ethernet_Connection},
        {"CP_Working_Mode", 619, &TFParGen::RePosition_Object_WorkMode},
        {"CP_MBus", 406, &TFParGen::RePosition_Object_MBus},
        {"CP_wMBus", 419, &TFParGen::RePosition_Object_wMBus},
        {"CP_MQTT", 428, &TFParGen::RePosition_Object_MQTT},
        {"CP_Ethernet", 455, &TFParGen::RePosition_Object_Ethernet},
        {"CP_WiFi", 478, &TFParGen::RePosition_Object_WiFi},
        {"CP_WiFi2", 478, &TFParGen::RePosition_Object_WiFi2},
        {"CP_TLS", 554, &TFParGen::RePosition_Object_TLS},
        {"CP_NTP", 569, &TFParGen::RePosition_Object_NTP},
        {"CP_GSM_GPRS", 4150, &TFParGen::RePosition_Object_GSM_GPRS},
        {"CP_Serial", 4136, &TFParGen::RePosition_Object_Serial},
        {"CP_Modbus_Master", 624, &TFParGen::RePosition_Object_Modbus_Master},
        {"CP_Modbus_Slave", 679, &TFParGen::RePosition_Object_Modbus_Slave},
        {"CP_Modbus_TCP_Master", 644, &TFParGen::RePosition_Object_Modbus_TCP_Master},
        {"CP_Modbus_TCP_Slave", 690, &TFParGen::RePosition_Object_Modbus_TCP_Slave},
        {"CP_BACnet_Master", 4156, &TFParGen::RePosition_Object_BACnet_Master},
        {"CP_BACnet_Slave", 2073, &TFParGen::RePosition_Object_BACnet_Slave},
        {"CP_CAN", 1824, &TFParGen::RePosition_Object_CAN},
        {"CP_CANopen", 1827, &TFParGen::RePosition_Object_CANopen},
        {"CP_DALI", 4146, &TFParGen::RePosition_Object_DALI},
        {"CP_DeviceNet_Master", 1853, &TFParGen::RePosition_Object_DeviceNet_Master},
        {"CP_DeviceNet_Slave", 1859, &TFParGen::RePosition_Object_DeviceNet_Slave},
        {"CP_DMX", 1980, &TFParGen::RePosition_Object_DMX},
        {"CP_EtherNetIP", 1871, &TFParGen::RePosition_Object_EtherNetIP},
        {"CP_J1939", 1842, &TFParGen::RePosition_Object_J1939},
        {"CP_KNX", 1986, &TFParGen::RePosition_Object_KNX},
        {"CP_NMEA2000", 1972, &TFParGen::RePosition_Object_NMEA2000},
        {"CP_PROFIBUS", 1958, &TFParGen::RePosition_Object_PROFIBUS},
        {"CP_PROFINET", 1914, &TFParGen::RePosition_Object_PROFINET},
        {"CP_SNMP_Manager", 2043, &TFParGen::RePosition_Object_SNMP_Manager},
        {"CP_SNMP_Agent", 1992, &TFParGen::RePosition_Object_SNMP_Agent},
    };
    return panels;
}

const PanelInfo* panelInfo(const char* name) {
    for (const PanelInfo& p : allPanels())
        if (std::strcmp(p.name, name) == 0) return &p;
    return nullptr;
}
int panelCaption(const char* name) { return panelInfo(name)->caption; }
auto panelRoutine(const char* name) { return panelInfo(name)->routine; }

QString octetName(const char* prefix, int i) { return QLatin1StringView(prefix) + QString::number(i + 1); }
QString dotName(const char* prefix, int i) {
    // "E_Ethernet_IP" -> "L_Dot_Ethernet_IP_1"
    QString p = QLatin1StringView(prefix);
    if (p.startsWith(u"E_")) p = p.mid(2);
    return QStringLiteral("L_Dot_") + p + u'_' + QString::number(i + 1);
}

constexpr int kLeft = 14;
constexpr int kInputLeft = 191;
constexpr int kInputWidth = 238;
constexpr int kOctetLefts[4] = {191, 252, 313, 374};
constexpr int kDotLefts[3] = {247, 308, 369};
constexpr int kOctetWidth = 55;
constexpr int kEditHeight = 21;
constexpr int kComboHeight = 22;
constexpr int kRichHeight = 23;
constexpr int kCheckHeight = 17;
constexpr int kLabelHeight = 16;

const char* const kCertQuestion = "This file is already present in Certificates folder. Do you want to overwrite?";

}  // namespace

// -------------------------------------------------------------------------------------------------

TFParGen::TFParGen(QWidget* parent) : plat::TForm(parent) {
    setObjectName(QStringLiteral("FParGen"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);

    QWidget* title = TitleStrip();
    title->resize(title->width(), 69);
    QFont codeFont = font();
    codeFont.setPixelSize(26);
    codeFont.setBold(true);
    L_SW_Code()->setFont(codeFont);
    L_SW_Code()->setStyleSheet(QStringLiteral("color: rgb(128,128,128)"));
    L_SW_Code()->setGeometry(12, 6, 430, 34);
    L_SW_Desc()->setGeometry(14, 42, 430, 18);
    L_SW_Code()->setText(g_SWCode);

    CPG = new plat::TCategoryPanelGroup(this);
    CPG->setObjectName(QStringLiteral("CPG"));
    QPalette pal = CPG->palette();
    pal.setColor(QPalette::Window, HouseColor());
    CPG->setPalette(pal);
    CPG->viewport()->setPalette(pal);
    CPG->widget()->setPalette(pal);

    P_Button = new QWidget(this);
    P_Button->setObjectName(QStringLiteral("P_Button"));
    Btn_OK = NewHouseButton(P_Button);
    Btn_OK->setObjectName(QStringLiteral("Btn_OK"));
    Btn_Cancel = NewHouseButton(P_Button);
    Btn_Cancel->setObjectName(QStringLiteral("Btn_Cancel"));
    plat::onSignal(Btn_OK, &TFadeButton::clicked, this, [this]() { Btn_OKClick(); });
    plat::onSignal(Btn_Cancel, &TFadeButton::clicked, this, [this]() { SetModalResult(plat::mrCancel); });
    SetCancelButton(Btn_Cancel);  // Esc does what Cancel does

    buildPanels();
    SetClientSize(460, 700);
    // Only the height follows the user; the width stays 460.
    setMinimumSize(460, 200);
    setMaximumSize(460, QWIDGETSIZE_MAX);

    for (QComboBox* cb : findChildren<QComboBox*>())
        plat::onSignal(cb, &QComboBox::currentIndexChanged, this, [this, cb](int) { On_Change(cb); });
    for (QLineEdit* e : findChildren<QLineEdit*>())
        plat::onSignal(e, &QLineEdit::textChanged, this, [this, e](const QString&) { On_Change(e); });
    for (QCheckBox* cb : findChildren<QCheckBox*>())
        plat::onSignal(cb, &QCheckBox::toggled, this, [this, cb](bool) { On_Click(cb); });
    plat::onSignal(Panel(QStringLiteral("CP_MQTT")), &plat::TCategoryPanel::expanded, this, [this] { Move_GroupBoxs(); });

    for (plat::TCategoryPanel* p : panels_) p->hide();
    Order_TAB_Panels();
    Move_GroupBoxs();
    Set_Lang();
}

void TFParGen::register_(QWidget* w, const QString& name) {
    w->setObjectName(name);
    controls_.insert(name, w);
}

void TFParGen::buildPanels() {
    for (const PanelInfo& info : allPanels()) {
        auto* panel = new plat::TCategoryPanel(CPG);
        panel->setObjectName(QLatin1StringView(info.name));
        panels_.insert(QLatin1StringView(info.name), panel);
    }
    for (const PanelDef& pd : panelDefs()) {
        plat::TCategoryPanel* panel = Panel(QLatin1StringView(pd.name));
        QWidget* c = panel->client();
        int bottom = 0;
        auto place = [&](QWidget* w, int x, int y, int width, int height) {
            w->setGeometry(x, y, width, height);
            bottom = std::max(bottom, y + height);
        };
        auto makeLabel = [&](const char* name, int y, int width) {
            auto* l = new QLabel(c);
            register_(l, QLatin1StringView(name));
            place(l, kLeft, y, width, kLabelHeight);
            return l;
        };
        auto makeEdit = [&](const QString& name, int x, int y, int width, int height) {
            auto* e = new QLineEdit(c);
            // No length of its own: a limit, where there is one, holds for typing only.
            e->setMaxLength(std::numeric_limits<int>::max());
            register_(e, name);
            place(e, x, y, width, height);
            return e;
        };
        auto makeOctets = [&](const RowDef& r, int labelTop, int inputTop) {
            for (int i = 0; i < 4; ++i) {
                QLineEdit* e = makeEdit(octetName(r.input, i), kOctetLefts[i], inputTop, kOctetWidth, kEditHeight);
                e->installEventFilter(this);
                dotSuccessor_.insert(e, nullptr);
            }
            for (int i = 0; i < 3; ++i) {
                auto* dot = new QLabel(QStringLiteral("."), c);
                register_(dot, dotName(r.input, i));
                dot->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
                place(dot, kDotLefts[i], labelTop + r.dotOffset, 5, kLabelHeight);
            }
        };
        auto makeCheck = [&](const char* name, int x, int y, int width) {
            auto* cb = new QCheckBox(c);
            register_(cb, QLatin1StringView(name));
            place(cb, x, y, width, kCheckHeight);
            return cb;
        };

        for (size_t k = 0; k < pd.rows.size(); ++k) {
            const RowDef& r = pd.rows[k];
            const int top = 12 + 28 * static_cast<int>(k);
            const int inputTop = top + resolvedOffset(r);
            const int inputLeft = r.inputLeft ? r.inputLeft : kInputLeft;
            auto width = [&](int usual) { return r.inputWidth ? r.inputWidth : usual; };
            const int labelWidth = r.leadWidth ? r.leadWidth : inputLeft - kLeft - 2;
            switch (r.kind) {
            case Row::Edit:
            case Row::Rich: {
                makeLabel(r.label, top, labelWidth);
                QLineEdit* e = makeEdit(QLatin1StringView(r.input), inputLeft, inputTop, width(kInputWidth),
                                        r.kind == Row::Rich ? kRichHeight : kEditHeight);
                if (r.maxLength > 0 || r.digitsOnly) e->setValidator(new TypingLimit(e, r.maxLength, r.digitsOnly));
                break;
            }
            case Row::Cert: {
                makeLabel(r.label, top, labelWidth);
                makeEdit(QLatin1StringView(r.input), inputLeft, inputTop, width(211), kRichHeight);
                auto* b = NewHouseButton(QStringLiteral("..."), c);
                register_(b, QLatin1StringView(r.button));
                place(b, 406, inputTop, 23, 23);
                certBox_.insert(b, Edit(QLatin1StringView(r.input)));
                plat::onSignal(b, &TFadeButton::clicked, this, [this, b]() { Btn_OnCertificate(b); });
                break;
            }
            case Row::Address:
                makeLabel(r.label, top, labelWidth);
                makeOctets(r, top, inputTop);
                break;
            case Row::Gateway:
                makeCheck(r.label, kLeft, top, r.leadWidth ? r.leadWidth : 175);
                makeOctets(r, top, inputTop);
                break;
            case Row::Check:
                makeCheck(r.label, kLeft, top, r.leadWidth ? r.leadWidth : 415);
                break;
            case Row::CheckEdit:
                makeCheck(r.label, kLeft, top, r.leadWidth ? r.leadWidth : 175);
                makeEdit(QLatin1StringView(r.input), inputLeft, inputTop, width(kInputWidth), kEditHeight);
                break;
            case Row::Combo: {
                makeLabel(r.label, top, labelWidth);
                auto* cb = new TDropDown(c);
                register_(cb, QLatin1StringView(r.input));
                place(cb, inputLeft, inputTop, width(kInputWidth), kComboHeight);
                for (const char* item : r.items.fixed) cb->addItem(QString::fromLatin1(item));
                if (cb->count() > 0) cb->setCurrentIndex(0);
                break;
            }
            case Row::Heading:
                makeLabel(r.label, top, 415);
                break;
            case Row::Versions: {
                makeLabel(r.label, top, labelWidth);
                static constexpr int lefts[3] = {191, 270, 349};
                for (int i = 0; i < 3; ++i)
                    makeCheck(octetName(r.input, i).toLatin1().constData(), lefts[i], inputTop, 70)
                        ->setText(QString::number(i + 1));
                break;
            }
            }
            if (r.fixedCaption) {
                QWidget* w = Control(QLatin1StringView(r.label));
                if (auto* l = qobject_cast<QLabel*>(w)) l->setText(QString::fromLatin1(r.fixedCaption));
                if (auto* cb = qobject_cast<QCheckBox*>(w)) cb->setText(QString::fromLatin1(r.fixedCaption));
            }
        }
        // Design height: the lowest control, the header and a margin.
        panel->setPanelHeight(bottom + CPG->HeaderHeight() + 12);
    }

    for (const auto& chain : dotChains()) {
        QWidget* prev = nullptr;
        for (const char* prefix : chain)
            for (int i = 0; i < 4; ++i) {
                QWidget* e = Control(octetName(prefix, i));
                if (prev) dotSuccessor_.insert(prev, e);
                prev = e;
            }
    }

    for (const PanelDef& pd : panelDefs())
        for (const RowDef& r : pd.rows) {
            RowWidgets rw;
            rw.lead = Control(QLatin1StringView(r.label));
            rw.inputOffset = resolvedOffset(r);
            rw.dotOffset = r.dotOffset;
            switch (r.kind) {
            case Row::Address:
            case Row::Gateway:
                for (int i = 0; i < 4; ++i) rw.inputs << Control(octetName(r.input, i));
                for (int i = 0; i < 3; ++i) rw.dots << Control(dotName(r.input, i));
                break;
            case Row::Versions:
                for (int i = 0; i < 3; ++i) rw.inputs << Control(octetName(r.input, i));
                break;
            case Row::Heading:
            case Row::Check:
                break;
            default:
                rw.inputs << Control(QLatin1StringView(r.input));
                break;
            }
            if (r.button) rw.button = Control(QLatin1StringView(r.button));
            for (QWidget* w : rw.inputs) leadOf_.insert(w, rw.lead);
            leadOf_.insert(rw.lead, rw.lead);
            rows_.insert(QLatin1StringView(r.label), rw);
        }

    // Disabled by the design; no routine enables them.
    for (const char* n : {"CB_KNX_Type", "CB_PROFIBUS_Baudrate", "E_EtherNetIP_TunnelPort"})
        Control(QLatin1StringView(n))->setEnabled(false);

    for (const pargen::Element& el : pargen::elements()) {
        QWidget* w = Control(QLatin1StringView(el.control));
        Q_ASSERT_X(w, "TFParGen", el.control);
        bound_.push_back(w);
    }
}

void TFParGen::Order_TAB_Panels() { Order_TAB_Panels_632(); }

const std::vector<TFParGen::ModelOrder>& TFParGen::ModelOrders() {
    using R = ModelOrder::Rule;
    // One row a model: its panels in display order (the caption number is the position).
    static const std::vector<ModelOrder> models = {
        {"610", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"611", {"CP_Select_Device", "CP_Working_Mode", "CP_MBus", "CP_wMBus", "CP_MQTT", "CP_Ethernet", "CP_WiFi", "CP_TLS", "CP_NTP", "CP_GSM_GPRS"}, R::ConnectionType},
        {"612", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_Serial", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"613", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_Working_Mode", "CP_Modbus_Master", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"614", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_Working_Mode", "CP_Modbus_Slave", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"615", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_Working_Mode", "CP_Modbus_TCP_Master", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"616", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_Modbus_TCP_Slave", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"617", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_BACnet_Master", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"618", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_BACnet_Slave", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"619", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_CAN", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"620", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_CANopen", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"621", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_DALI", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"622", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_DeviceNet_Master", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"623", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_DeviceNet_Slave", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"624", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_DMX", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"625", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_EtherNetIP", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"626", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_J1939", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"627", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_KNX", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"629", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_NMEA2000", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"631", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_PROFIBUS", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"632", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_PROFINET", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"633", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_SNMP_Manager", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"634", {"CP_Select_Device", "CP_Ethernet_Connection", "CP_SNMP_Agent", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP", "CP_WiFi2", "CP_GSM_GPRS"}, R::ConnectionType},
        {"811_R1", {"CP_Ethernet_Connection", "CP_J1939", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP"}, R::EthernetOnlyFirst},
        {"811_R2", {"CP_Ethernet_Connection", "CP_CAN", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP"}, R::EthernetOnlyFirst},
        {"811_R3", {"CP_Ethernet_Connection", "CP_Working_Mode", "CP_Modbus_Master", "CP_MQTT", "CP_Ethernet", "CP_TLS", "CP_NTP"}, R::Nothing},
    };
    return models;
}

const TFParGen::ModelOrder* TFParGen::FindModel(QStringView code) {
    for (const ModelOrder& m : ModelOrders())
        if (code == QLatin1StringView(m.code)) return &m;
    return nullptr;
}

void TFParGen::Order_TAB_Panels_Model(const ModelOrder& model) {
    // Shown, stacked, numbered and tab-ordered once; the captions stay in the language of now.
    int top = 0;
    int i = 0;
    plat::TCategoryPanel* prev = nullptr;
    for (const char* name : model.panels) {
        plat::TCategoryPanel* p = Panel(QLatin1StringView(name));
        p->show();
        p->setTop(top);
        top += p->panelHeight();
        p->setCaption(QString::number(i + 1) + QStringLiteral(". ") + T(panelCaption(name)));
        p->SetTabOrder(i);
        if (prev) QWidget::setTabOrder(prev, p);
        prev = p;
        ++i;
    }
}

void TFParGen::Move_GroupBoxs() { RePosition_Objects_632(); }

void TFParGen::RePosition_Objects_Model(const ModelOrder& model) {
    if (model.rule == ModelOrder::Rule::EthernetOnlyFirst) {
        QComboBox* cb = Combo(QStringLiteral("CB_Select_Device_Device"));
        const QSignalBlocker block(cb);
        cb->setCurrentIndex(0);
    }
    for (const char* name : model.panels)
        if (const auto routine = panelRoutine(name)) (this->*routine)();
    if (model.rule != ModelOrder::Rule::ConnectionType) return;

    // Connection type: collapse before disabling, enable before expanding.
    plat::TCategoryPanel* wifi = Panel(QStringLiteral("CP_WiFi2"));
    plat::TCategoryPanel* gsm = Panel(QStringLiteral("CP_GSM_GPRS"));
    auto lock = [](plat::TCategoryPanel* p) {
        p->Collapse();
        p->setEnabled(false);
    };
    auto unlock = [](plat::TCategoryPanel* p) {
        p->setEnabled(true);
        p->Expand();
    };
    switch (position("CB_Select_Device_Device")) {
    case 0:
        lock(wifi);
        lock(gsm);
        break;
    case 1:
        unlock(wifi);
        lock(gsm);
        break;
    default:
        lock(wifi);
        unlock(gsm);
        break;
    }
}

// ---- Layout helpers -------------------------------------------------------------------------

bool TFParGen::ticked(const char* checkBox) const { return Check(QLatin1StringView(checkBox))->isChecked(); }
int TFParGen::position(const char* comboBox) const { return Combo(QLatin1StringView(comboBox))->currentIndex(); }

int TFParGen::placeRow(const char* lead, int y) {
    const RowWidgets& r = rows_[QLatin1StringView(lead)];
    const int inputOffset = r.inputOffset;
    r.lead->move(r.lead->x(), y);
    r.lead->show();
    for (QWidget* w : r.inputs) {
        w->move(w->x(), y + inputOffset);
        w->show();
    }
    for (QWidget* w : r.dots) {
        w->move(w->x(), y + r.dotOffset);
        w->show();
    }
    if (r.button) {
        r.button->move(r.button->x(), y + inputOffset);
        r.button->show();
    }
    return y + 28;
}

void TFParGen::hideRow(const char* lead) {
    const RowWidgets& r = rows_[QLatin1StringView(lead)];
    r.lead->hide();
    for (QWidget* w : r.inputs) w->hide();
    for (QWidget* w : r.dots) w->hide();
    if (r.button) r.button->hide();
}

void TFParGen::showRow(const char* lead) {
    const RowWidgets& r = rows_[QLatin1StringView(lead)];
    r.lead->show();
    for (QWidget* w : r.inputs) w->show();
    for (QWidget* w : r.dots) w->show();
    if (r.button) r.button->show();
}

void TFParGen::setAddressBlockEnabled(const char* ip, const char* sm, const char* gatewayCheck, const char* gat,
                                      bool enabled) {
    for (int i = 0; i < 4; ++i) {
        Control(octetName(ip, i))->setEnabled(enabled);
        Control(octetName(sm, i))->setEnabled(enabled);
        Control(octetName(gat, i))->setEnabled(enabled);
    }
    Control(QLatin1StringView(gatewayCheck))->setEnabled(enabled);
}

void TFParGen::setPanelHeight(const char* panel, const char* anchor) {
    const QWidget* a = Control(QLatin1StringView(anchor));
    Panel(QLatin1StringView(panel))->setPanelHeight(a->y() + a->height() + CPG->HeaderHeight() + 12);
}

// ---- Panel routines -------------------------------------------------------------------------

void TFParGen::RePosition_Object_Select_Device() { setPanelHeight("CP_Select_Device", "CB_Select_Device_Device"); }

void TFParGen::RePosition_Object_Ethernet_Connection() {
    setPanelHeight("CP_Ethernet_Connection", "E_EthConn_Sec_DNS_IP4");
    const int type = position("CB_Select_Device_Device");
    Control(QStringLiteral("CB_EthConn_En_DHCP_WiFi"))->setEnabled(type != 0 && type != 2);
}

void TFParGen::RePosition_Object_PROFINET() {
    setAddressBlockEnabled("E_PROFINET_IP", "E_PROFINET_SM", "CB_PROFINET_GAT", "E_PROFINET_GAT",
                           !ticked("CB_EthConn_En_DHCP_Cable"));
    setPanelHeight("CP_PROFINET", "E_PROFINET_Diagnostic");
}

void TFParGen::RePosition_Object_MQTT() {
    static const char* const willRows[] = {"L_MQTT_Will_TopicName", "L_MQTT_Will_Message", "CB_MQTT_Will_Retained",
                                           "L_MQTT_Will_QoS"};
    int y;
    if (ticked("CB_MQTT_WillFlag")) {
        for (const char* r : willRows) showRow(r);
        y = Control(QStringLiteral("L_MQTT_Will_QoS"))->y() + 28;
    } else {
        for (const char* r : willRows) hideRow(r);
        y = Control(QStringLiteral("L_MQTT_Will_TopicName"))->y();
    }
    y = placeRow("CB_MQTT_PublishTopicConnection", y);
    static const char* const connectionRows[] = {"L_MQTT_Connection_TopicName", "L_MQTT_Connection_Message",
                                                 "CB_MQTT_Connection_Retained"};
    for (const char* r : connectionRows) {
        if (ticked("CB_MQTT_PublishTopicConnection"))
            y = placeRow(r, y);
        else
            hideRow(r);
    }
    y = placeRow("L_MQTT_Username", y);
    placeRow("L_MQTT_Password", y);
    // Fields of other models: still loaded and saved, never shown here.
    for (const char* r : {"L_MQTT_ASync_Send_Time", "L_MQTT_TopicDALIAns", "CB_MQTT_Enable_ReProgram",
                          "L_MQTT_Reprogram_Topic", "L_MQTT_Reproram_Value"})
        hideRow(r);
    setPanelHeight("CP_MQTT", "E_MQTT_Password");
}

void TFParGen::RePosition_Object_Ethernet() {
    setAddressBlockEnabled("E_Ethernet_IP", "E_Ethernet_SM", "CB_Ethernet_En_GAT", "E_Ethernet_GAT",
                           !ticked("CB_EthConn_En_DHCP_Cable"));
    for (const char* r : {"CB_Ethernet_En_DNS", "L_Ethernet_TCP_Port", "L_Ethernet_UDP_Port", "CB_Ethernet_Reset_24h"})
        hideRow(r);
    setPanelHeight("CP_Ethernet", "E_Ethernet_GAT4");
}

void TFParGen::RePosition_Object_TLS() {
    static const char* const clientRows[] = {"L_TLS_CA_Cert", "L_TLS_Client_Cert", "L_TLS_Client_Cert_Key",
                                             "L_TLS_Client_Cert_Key_Pass"};
    if (!ticked("CB_TLS_Enable")) {
        for (const char* r : {"CB_TLS_En_Server_Auth", "L_TLS_Server_Cert", "CB_TLS_En_Client_Auth"}) hideRow(r);
        for (const char* r : clientRows) hideRow(r);
        setPanelHeight("CP_TLS", "CB_TLS_Enable");
        return;
    }
    showRow("CB_TLS_En_Server_Auth");
    int y = Control(QStringLiteral("CB_TLS_En_Server_Auth"))->y() + 28;
    if (ticked("CB_TLS_En_Server_Auth")) {
        showRow("L_TLS_Server_Cert");
        y = Control(QStringLiteral("E_TLS_Server_Cert"))->y() + 28;
    } else {
        hideRow("L_TLS_Server_Cert");
    }
    y = placeRow("CB_TLS_En_Client_Auth", y);
    if (ticked("CB_TLS_En_Client_Auth")) {
        for (const char* r : clientRows) y = placeRow(r, y);
        setPanelHeight("CP_TLS", "E_TLS_Client_Cert_Key_Pass");
    } else {
        for (const char* r : clientRows) hideRow(r);
        setPanelHeight("CP_TLS", "CB_TLS_En_Client_Auth");
    }
}

void TFParGen::RePosition_Object_NTP() { setPanelHeight("CP_NTP", "E_NTP_Poll_Time"); }

void TFParGen::RePosition_Object_WiFi2() {
    static const char* const block1[] = {"L_WiFi2_IP1_IP", "L_WiFi2_IP1_SM", "CB_WiFi2_IP1_En_GAT"};
    static const char* const block2[] = {"L_WiFi2_IP2_IP", "L_WiFi2_IP2_SM", "CB_WiFi2_IP2_En_GAT"};
    auto placeBlock = [this](const char* const (&rows)[3], int y) {
        y = placeRow(rows[0], y);
        y = placeRow(rows[1], y);
        return placeRow(rows[2], y);
    };
    int y = Control(QStringLiteral("L_WiFi2_Type"))->y() + 28;
    if (position("CB_WiFi2_Type") == 0) {
        hideRow("L_WiFi2_IP1");
        y = placeBlock(block1, y);
        setAddressBlockEnabled("E_WiFi2_IP1_IP", "E_WiFi2_IP1_SM", "CB_WiFi2_IP1_En_GAT", "E_WiFi2_IP1_GAT", true);
        hideRow("L_WiFi2_IP2");
        for (const char* r : block2) hideRow(r);
        y = placeRow("L_WiFi2_SSID", y);
        y = placeRow("L_WiFi2_Secure_Type", y);
        if (position("CB_WiFi2_Secure_Type") > 0)
            y = placeRow("L_WiFi2_Password", y);
        else
            hideRow("L_WiFi2_Password");
        y = placeRow("CB_WiFi2_En_DHCP", y);
        for (const char* r : {"L_WiFi2_DHCP_First_IP", "L_WiFi2_DHCP_SM", "L_WiFi2_Lease_Time"}) {
            if (ticked("CB_WiFi2_En_DHCP"))
                y = placeRow(r, y);
            else
                hideRow(r);
        }
        y = placeRow("L_WiFi2_Max_Client", y);
        placeRow("L_WiFi2_Channel", y);
        setPanelHeight("CP_WiFi2", "CB_WiFi2_Channel");
        return;
    }

    QString protocol1, protocol2;
    const int addresses = Check_Device_IP_Address_WiFi(protocol1, protocol2);
    const bool fixedAddress = !ticked("CB_EthConn_En_DHCP_WiFi");
    if (addresses == 2) {
        Label(QStringLiteral("L_WiFi2_IP1"))->setText(T(5105) + QStringLiteral(" - ") + protocol1);
        y = placeRow("L_WiFi2_IP1", y);
    } else {
        hideRow("L_WiFi2_IP1");
    }
    y = placeBlock(block1, y);
    setAddressBlockEnabled("E_WiFi2_IP1_IP", "E_WiFi2_IP1_SM", "CB_WiFi2_IP1_En_GAT", "E_WiFi2_IP1_GAT", fixedAddress);
    if (addresses == 2) {
        Label(QStringLiteral("L_WiFi2_IP2"))->setText(T(5122) + QStringLiteral(" - ") + protocol2);
        y = placeRow("L_WiFi2_IP2", y);
        y = placeBlock(block2, y);
        setAddressBlockEnabled("E_WiFi2_IP2_IP", "E_WiFi2_IP2_SM", "CB_WiFi2_IP2_En_GAT", "E_WiFi2_IP2_GAT",
                               fixedAddress);
    } else {
        hideRow("L_WiFi2_IP2");
        for (const char* r : block2) hideRow(r);
    }
    y = placeRow("L_WiFi2_SSID", y);
    placeRow("L_WiFi2_Password", y);
    for (const char* r : {"L_WiFi2_Secure_Type", "CB_WiFi2_En_DHCP", "L_WiFi2_DHCP_First_IP", "L_WiFi2_DHCP_SM",
                          "L_WiFi2_Lease_Time", "L_WiFi2_Max_Client", "L_WiFi2_Channel"})
        hideRow(r);
    setPanelHeight("CP_WiFi2", "E_WiFi2_Password");
}

void TFParGen::RePosition_Object_GSM_GPRS() {
    const bool second = ticked("CB_GSM_GPRS_En_Second_SIM");
    for (const char* r : {"L_GSM_GPRS_PIN2", "L_GSM_GPRS_APN2", "L_GSM_GPRS_AuthType2", "L_GSM_GPRS_UserName2",
                          "L_GSM_GPRS_Password2", "L_GSM_GPRS_Main_SIM"})
        second ? showRow(r) : hideRow(r);
    setPanelHeight("CP_GSM_GPRS", second ? "CB_GSM_GPRS_Main_SIM" : "CB_GSM_GPRS_En_Second_SIM");
}

// ---- Panel routines of the other models ------------------------------------------------------

namespace {

// Panels whose rows never move: only the height follows the anchor.
struct FixedPanel {
    const char* panel;
    const char* anchor;
};
constexpr FixedPanel kFixedPanels[] = {
    {"CP_Working_Mode", "CB_WorkMode_WorkMode"},     {"CP_Serial", "CB_Serial_DataBits"},
    {"CP_Modbus_Master", "E_ModbusMaster_CyclicDelay"}, {"CP_CAN", "CB_CAN_Baudrate"},
    {"CP_CANopen", "E_CANopen_SDO_Timeout"},         {"CP_J1939", "E_J1939_ID_Device"},
    {"CP_DeviceNet_Master", "CB_DeviceNet_Master_Baudrate"}, {"CP_DeviceNet_Slave", "E_DeviceNet_Slave_NumByteOut"},
    {"CP_PROFIBUS", "E_PROFIBUS_NByte_Out"},         {"CP_NMEA2000", "CB_NMEA2000_Peer_To_Peer"},
    {"CP_DMX", "E_DMX_ChannelNum"},                  {"CP_KNX", "E_KNX_IDDevice"},
    {"CP_DALI", "CB_DALI_En_DALI2"},
};

// Panels with an address block that the cable DHCP disables, and fixed rows.
struct AddressPanel {
    const char* panel;
    const char* ip;
    const char* sm;
    const char* gatewayCheck;
    const char* gat;
    const char* anchor;  // nullptr: the routine sets the height itself
};
constexpr AddressPanel kAddressPanels[] = {
    {"CP_Modbus_TCP_Master", "E_ModbusTCPMaster_IP", "E_ModbusTCPMaster_SM", "CB_ModbusTCPMaster_En_GAT",
     "E_ModbusTCPMaster_GAT", "E_ModbusTCPMaster_CyclicDelay"},
    {"CP_Modbus_TCP_Slave", "E_ModbusTCPSlave_IP", "E_ModbusTCPSlave_SM", "CB_ModbusTCPSlave_En_GAT",
     "E_ModbusTCPSlave_GAT", "E_ModbusTCPSlave_Port"},
    {"CP_EtherNetIP", "E_EtherNetIP_IP", "E_EtherNetIP_SM", "CB_EtherNetIP_GAT", "E_EtherNetIP_GAT",
     "E_EtherNetIP_NByte_Out"},
    {"CP_SNMP_Manager", "E_SNMP_Manager_IP", "E_SNMP_Manager_SM", "CB_SNMP_Manager_GAT", "E_SNMP_Manager_GAT",
     "E_SNMP_Manager_NameStation"},
    {"CP_SNMP_Agent", "E_SNMP_Agent_IP", "E_SNMP_Agent_SM", "CB_SNMP_Agent_GAT", "E_SNMP_Agent_GAT", nullptr},
    {"CP_BACnet_Slave", "E_BACnet_IP_Slave_IP", "E_BACnet_IP_Slave_SM", "CB_BACnet_IP_Slave_GAT",
     "E_BACnet_IP_Slave_GAT", nullptr},
    {"CP_BACnet_Master", "E_BACnet_IP_Master_IP", "E_BACnet_IP_Master_SM", "CB_BACnet_IP_Master_GAT",
     "E_BACnet_IP_Master_GAT", nullptr},
};

const FixedPanel& fixedPanel(const char* name) {
    for (const FixedPanel& f : kFixedPanels)
        if (std::strcmp(f.panel, name) == 0) return f;
    throw std::logic_error(name);
}
const AddressPanel& addressPanel(const char* name) {
    for (const AddressPanel& a : kAddressPanels)
        if (std::strcmp(a.panel, name) == 0) return a;
    throw std::logic_error(name);
}

}  // namespace

void TFParGen::layoutFixedPanel(const char* panel) { setPanelHeight(panel, fixedPanel(panel).anchor); }

void TFParGen::layoutAddressBlock(const char* panel) {
    const AddressPanel& a = addressPanel(panel);
    setAddressBlockEnabled(a.ip, a.sm, a.gatewayCheck, a.gat, !ticked("CB_EthConn_En_DHCP_Cable"));
    if (a.anchor) setPanelHeight(panel, a.anchor);
}

void TFParGen::RePosition_Object_WorkMode() { layoutFixedPanel("CP_Working_Mode"); }
void TFParGen::RePosition_Object_Serial() { layoutFixedPanel("CP_Serial"); }
void TFParGen::RePosition_Object_Modbus_Master() { layoutFixedPanel("CP_Modbus_Master"); }
void TFParGen::RePosition_Object_CAN() { layoutFixedPanel("CP_CAN"); }
void TFParGen::RePosition_Object_CANopen() { layoutFixedPanel("CP_CANopen"); }
void TFParGen::RePosition_Object_J1939() { layoutFixedPanel("CP_J1939"); }
void TFParGen::RePosition_Object_DeviceNet_Master() { layoutFixedPanel("CP_DeviceNet_Master"); }
void TFParGen::RePosition_Object_DeviceNet_Slave() { layoutFixedPanel("CP_DeviceNet_Slave"); }
void TFParGen::RePosition_Object_PROFIBUS() { layoutFixedPanel("CP_PROFIBUS"); }
void TFParGen::RePosition_Object_NMEA2000() { layoutFixedPanel("CP_NMEA2000"); }
void TFParGen::RePosition_Object_DMX() { layoutFixedPanel("CP_DMX"); }
void TFParGen::RePosition_Object_KNX() { layoutFixedPanel("CP_KNX"); }
void TFParGen::RePosition_Object_DALI() { layoutFixedPanel("CP_DALI"); }

void TFParGen::RePosition_Object_Modbus_TCP_Master() { layoutAddressBlock("CP_Modbus_TCP_Master"); }
void TFParGen::RePosition_Object_Modbus_TCP_Slave() { layoutAddressBlock("CP_Modbus_TCP_Slave"); }
void TFParGen::RePosition_Object_EtherNetIP() { layoutAddressBlock("CP_EtherNetIP"); }
void TFParGen::RePosition_Object_SNMP_Manager() { layoutAddressBlock("CP_SNMP_Manager"); }

void TFParGen::RePosition_Object_MBus() {
    static const char* const rows[] = {"L_MBus_Baudrate", "L_MBus_Parity", "L_MBus_CyclicDelay", "L_MBus_NodeState",
                                       "CB_MBus_Request_on_MQTT"};
    const bool present = position("CB_MBus_OnWire_Present") != 0;
    for (const char* r : rows) present ? showRow(r) : hideRow(r);
    setPanelHeight("CP_MBus", present ? "CB_MBus_Request_on_MQTT" : "CB_MBus_OnWire_Present");
}

void TFParGen::RePosition_Object_wMBus() {
    const bool present = position("CB_wMBus_Wireless_Present") != 0;
    for (const char* r : {"L_wMBus_Mode", "L_wMBus_Radio_Channel"}) present ? showRow(r) : hideRow(r);
    setPanelHeight("CP_wMBus", present ? "CB_wMBus_Radio_Channel" : "CB_wMBus_Wireless_Present");
}

void TFParGen::RePosition_Object_Modbus_Slave() {
    // Follows the working mode of its neighbour panel.
    const bool raw = position("CB_WorkMode_WorkMode") != 0;
    for (const char* r : {"L_ModbusSlave_ID_Device", "CB_ModbusSlave_ReadInput"}) raw ? showRow(r) : hideRow(r);
    setPanelHeight("CP_Modbus_Slave", raw ? "CB_ModbusSlave_ReadInput" : "CB_ModbusSlave_StopBits");
}

void TFParGen::RePosition_Object_SNMP_Agent() {
    layoutAddressBlock("CP_SNMP_Agent");
    static const char* const v3Rows[] = {"L_SNMP_Agent_User", "L_SNMP_Agent_SecurityLevel"};
    static const char* const authRows[] = {"L_SNMP_Agent_Authority", "L_SNMP_Agent_AuthorityMode"};
    static const char* const privRows[] = {"L_SNMP_Agent_Privacy", "L_SNMP_Agent_PrivacyMode"};
    if (!ticked("CB_SNMP_Agent_Version3")) {
        for (const auto* rows : {v3Rows, authRows, privRows})
            for (int i = 0; i < 2; ++i) hideRow(rows[i]);
        setPanelHeight("CP_SNMP_Agent", "CB_SNMP_Agent_Version3");
        return;
    }
    for (const char* r : v3Rows) showRow(r);
    const int level = position("CB_SNMP_Agent_SecurityLevel");
    for (const char* r : authRows) level == 0 ? hideRow(r) : showRow(r);
    for (const char* r : privRows) (level == 0 || level == 1) ? hideRow(r) : showRow(r);
    setPanelHeight("CP_SNMP_Agent", level == 0   ? "CB_SNMP_Agent_SecurityLevel"
                                    : level == 1 ? "CB_SNMP_Agent_AuthorityMode"
                                                 : "CB_SNMP_Agent_PrivacyMode");
}

void TFParGen::RePosition_Object_BACnet_Slave() {
    layoutAddressBlock("CP_BACnet_Slave");
    static const char* const ipRows[] = {"L_BACnet_IP_Slave_IP",   "L_BACnet_IP_Slave_SM",
                                         "CB_BACnet_IP_Slave_GAT", "L_BACnet_IP_Slave_Port",
                                         "L_BACnet_IP_Slave_Device_Name", "L_BACnet_IP_Slave_Device_Identifier"};
    static const char* const mstpRows[] = {"L_BACnet_MSTP_Slave_Baudrate",    "L_BACnet_MSTP_Slave_Parity",
                                           "L_BACnet_MSTP_Slave_Device_Name", "L_BACnet_MSTP_Slave_MAC",
                                           "L_BACnet_MSTP_Slave_Max_Master",  "L_BACnet_MSTP_Slave_Max_Info_Frame",
                                           "L_BACnet_MSTP_Slave_Device_Instance", "L_BACnet_MSTP_Slave_Network"};
    if (position("CB_BACnet_Slave_Type") == 0) {
        for (const char* r : ipRows) showRow(r);
        for (const char* r : mstpRows) hideRow(r);
        placeRow("CB_BACnet_Slave_Desc_32_Chars", Control(QStringLiteral("L_BACnet_IP_Slave_Device_Identifier"))->y() + 28);
    } else {
        // The MS/TP rows take the places from the address row down.
        int y = Control(QStringLiteral("L_BACnet_IP_Slave_IP"))->y();
        for (const char* r : ipRows) hideRow(r);
        for (const char* r : mstpRows) y = placeRow(r, y);
        placeRow("CB_BACnet_Slave_Desc_32_Chars", y);
    }
    setPanelHeight("CP_BACnet_Slave", "CB_BACnet_Slave_Desc_32_Chars");
}

void TFParGen::RePosition_Object_BACnet_Master() {
    layoutAddressBlock("CP_BACnet_Master");
    static const char* const ipRows[] = {"L_BACnet_IP_Master_IP",          "L_BACnet_IP_Master_SM",
                                         "CB_BACnet_IP_Master_GAT",        "L_BACnet_IP_Master_Port",
                                         "L_BACnet_IP_Master_Device_Name", "L_BACnet_IP_Master_Device_Identifier",
                                         "L_BACnet_IP_Master_TimeOut_Polling"};
    static const char* const mstpRows[] = {"L_BACnet_MSTP_Master_Baudrate",    "L_BACnet_MSTP_Master_Parity",
                                           "L_BACnet_MSTP_Master_Device_Name", "L_BACnet_MSTP_Master_MAC",
                                           "L_BACnet_MSTP_Master_Max_Master",  "L_BACnet_MSTP_Master_Max_Info_Frame",
                                           "L_BACnet_MSTP_Master_Device_Instance"};
    if (position("CB_BACnet_Master_Type") == 0) {
        for (const char* r : ipRows) showRow(r);
        for (const char* r : mstpRows) hideRow(r);
        setPanelHeight("CP_BACnet_Master", "E_BACnet_IP_Master_TimeOut_Polling");
    } else {
        int y = Control(QStringLiteral("L_BACnet_IP_Master_IP"))->y();
        for (const char* r : ipRows) hideRow(r);
        for (const char* r : mstpRows) y = placeRow(r, y);
        setPanelHeight("CP_BACnet_Master", "E_BACnet_MSTP_Master_Device_Instance");
    }
}

void TFParGen::RePosition_Object_WiFi() {
    static const char* const addressRows[] = {"L_WiFi_IP", "L_WiFi_SM", "CB_WiFi_En_Gat", "CB_WiFi_En_DNS"};
    static const char* const dhcpRows[] = {"L_WiFi_DHCP_First_IP", "L_WiFi_DHCP_SM", "L_WiFi_Lease_Time"};
    int y = Control(QStringLiteral("L_WiFi_Type"))->y() + 28;
    switch (position("CB_WiFi_Type")) {
    case 0:  // access point
        hideRow("CB_WiFi_IP_Auto");
        for (const char* r : addressRows) y = placeRow(r, y);
        y = placeRow("L_WiFi_Port", y);
        hideRow("CB_WiFi_En_WPS");
        y = placeRow("L_WiFi_SSID", y);
        y = placeRow("L_WiFi_Secure_Type", y);
        if (position("CB_WiFi_Secure_Type") != 0)
            y = placeRow("L_WiFi_Password", y);
        else
            hideRow("L_WiFi_Password");
        y = placeRow("CB_WiFi_En_DHCP", y);
        for (const char* r : dhcpRows) {
            if (ticked("CB_WiFi_En_DHCP"))
                y = placeRow(r, y);
            else
                hideRow(r);
        }
        hideRow("L_WiFi_Name");
        y = placeRow("L_WiFi_Max_Client", y);
        placeRow("L_WiFi_Channel", y);
        setPanelHeight("CP_WiFi", "CB_WiFi_Channel");
        break;
    case 1:  // client
        y = placeRow("CB_WiFi_IP_Auto", y);
        if (ticked("CB_WiFi_IP_Auto")) {
            for (const char* r : addressRows) hideRow(r);
            y = placeRow("L_WiFi_Name", y);
        } else {
            for (const char* r : addressRows) y = placeRow(r, y);
            hideRow("L_WiFi_Name");
        }
        y = placeRow("L_WiFi_Port", y);
        hideRow("CB_WiFi_En_WPS");
        y = placeRow("L_WiFi_SSID", y);
        hideRow("L_WiFi_Secure_Type");
        placeRow("L_WiFi_Password", y);
        hideRow("CB_WiFi_En_DHCP");
        for (const char* r : dhcpRows) hideRow(r);
        hideRow("L_WiFi_Max_Client");
        hideRow("L_WiFi_Channel");
        setPanelHeight("CP_WiFi", "E_WiFi_Password");
        break;
    default:  // "WiFi Direct" or nothing selected: the panel stays as it was
        break;
    }
}

// ---- Handlers -------------------------------------------------------------------------------

void TFParGen::On_Change(QObject* sender) {
    Is_Change = true;
    static const char* const relayout[] = {"CB_Select_Device_Device", "CB_WiFi2_Type", "CB_WiFi2_Secure_Type",
                                           "CB_MBus_OnWire_Present", "CB_wMBus_Wireless_Present", "CB_WiFi_Type",
                                           "CB_WiFi_Secure_Type"};
    for (const char* n : relayout)
        if (sender->objectName() == QLatin1StringView(n)) {
            Move_GroupBoxs();
            return;
        }
}

void TFParGen::On_Click(QObject* sender) {
    Is_Change = true;
    static const char* const relayout[] = {
        "CB_EthConn_En_DHCP_Cable", "CB_EthConn_En_DHCP_WiFi", "CB_MQTT_WillFlag", "CB_MQTT_PublishTopicConnection",
        "CB_MQTT_Enable_ReProgram", "CB_TLS_Enable", "CB_TLS_En_Server_Auth", "CB_TLS_En_Client_Auth",
        "CB_WiFi2_En_DHCP", "CB_GSM_GPRS_En_Second_SIM", "CB_WiFi_IP_Auto", "CB_WiFi_En_DHCP",
        "CB_SNMP_Agent_Version3"};
    for (const char* n : relayout)
        if (sender->objectName() == QLatin1StringView(n)) {
            Move_GroupBoxs();
            return;
        }
}

void TFParGen::FormResize() {
    if (width() != 460) resize(460, height());
}

void TFParGen::Set_Lang() {
    setWindowTitle(T(400));
    L_SW_Desc()->setText(T(401));
    Btn_OK->SetCaption(T(402));
    Btn_Cancel->SetCaption(T(403));
    Btn_OK->SetHint(T(404));
    Btn_Cancel->SetHint(T(405));

    for (const PanelDef& pd : panelDefs()) {
        for (const RowDef& r : pd.rows) {
            QWidget* lead = Control(QLatin1StringView(r.label));
            if (r.text >= 0) {
                if (auto* l = qobject_cast<QLabel*>(lead)) l->setText(T(r.text));
                if (auto* cb = qobject_cast<QCheckBox*>(lead)) cb->setText(T(r.text));
            }
            switch (r.kind) {
            case Row::Edit:
            case Row::Rich:
            case Row::Combo:
                if (r.hints[0] >= 0) Control(QLatin1StringView(r.input))->setToolTip(T(r.hints[0]));
                break;
            case Row::Cert:
                Control(QLatin1StringView(r.input))->setToolTip(T(r.hints[0]));
                Control(QLatin1StringView(r.button))->setToolTip(T(r.hints[0]));
                break;
            case Row::Address:
                for (int i = 0; i < 4; ++i)
                    if (r.hints[i] >= 0) Control(octetName(r.input, i))->setToolTip(T(r.hints[i]));
                break;
            case Row::Gateway:
                // The check box's hint, then one for each octet.
                if (r.hints[0] >= 0) {
                    lead->setToolTip(T(r.hints[0]));
                    for (int i = 0; i < 4; ++i) Control(octetName(r.input, i))->setToolTip(T(r.hints[0] + 1 + i));
                }
                break;
            case Row::Check:
                lead->setToolTip(T(r.hints[0]));
                break;
            case Row::CheckEdit:
                lead->setToolTip(T(r.hints[0]));
                Control(QLatin1StringView(r.input))->setToolTip(T(r.hints[1]));
                break;
            case Row::Heading:
                break;
            case Row::Versions:
                for (int i = 0; i < 3; ++i) Control(octetName(r.input, i))->setToolTip(T(r.hints[i]));
                break;
            }
            if (r.kind == Row::Combo && r.items.firstText >= 0) {
                // Translated items: refilled, first item selected until the next show.
                QComboBox* cb = Combo(QLatin1StringView(r.input));
                const QSignalBlocker block(cb);
                cb->clear();
                for (int i = 0; i < r.items.count; ++i) cb->addItem(T(r.items.firstText + i));
                cb->setCurrentIndex(0);
            }
        }
    }
}

QLineEdit* TFParGen::Edit(const QString& name) const { return qobject_cast<QLineEdit*>(Control(name)); }
QCheckBox* TFParGen::Check(const QString& name) const { return qobject_cast<QCheckBox*>(Control(name)); }
QComboBox* TFParGen::Combo(const QString& name) const { return qobject_cast<QComboBox*>(Control(name)); }
QLabel* TFParGen::Label(const QString& name) const { return qobject_cast<QLabel*>(Control(name)); }

pargen::Values TFParGen::Values() const {
    pargen::Values v;
    const auto els = pargen::elements();
    for (int i = 0; i < pargen::kElementCount; ++i) {
        QWidget* w = bound_[static_cast<size_t>(i)];
        switch (els[static_cast<size_t>(i)].kind) {
        case pargen::Kind::Text:
            v[i] = static_cast<QLineEdit*>(w)->text();
            break;
        case pargen::Kind::Check:
        case pargen::Kind::CheckInt:
            v[i] = static_cast<QCheckBox*>(w)->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
            break;
        case pargen::Kind::Index:
            v[i] = QString::number(static_cast<QComboBox*>(w)->currentIndex());
            break;
        case pargen::Kind::ItemText:
            v[i] = static_cast<QComboBox*>(w)->currentText();
            break;
        }
    }
    return v;
}

void TFParGen::SetValues(const pargen::Values& v) {
    const auto els = pargen::elements();
    for (int i = 0; i < pargen::kElementCount; ++i) {
        QWidget* w = bound_[static_cast<size_t>(i)];
        switch (els[static_cast<size_t>(i)].kind) {
        case pargen::Kind::Text: {
            auto* e = static_cast<QLineEdit*>(w);
            if (auto* limit = dynamic_cast<TypingLimit*>(const_cast<QValidator*>(e->validator())))
                limit->setTextUnchecked(e, v[i]);
            else
                e->setText(v[i]);
            break;
        }
        case pargen::Kind::Check:
        case pargen::Kind::CheckInt:
            static_cast<QCheckBox*>(w)->setChecked(v[i] == u"1");
            break;
        case pargen::Kind::Index: {
            auto* cb = static_cast<QComboBox*>(w);
            const int pos = v[i].toInt();
            cb->setCurrentIndex(pos >= 0 && pos < cb->count() ? pos : -1);
            break;
        }
        case pargen::Kind::ItemText: {
            auto* cb = static_cast<QComboBox*>(w);
            cb->setCurrentIndex(cb->findText(v[i], Qt::MatchFixedString));
            break;
        }
        }
    }
}

void TFParGen::FormShow() {
    try {
        SetValues(pargen::readFile(g_ParGenFile));
    } catch (const plat::Error& e) {
        // Never leave another project's values on screen behind an unreadable file.
        SetValues(pargen::fileMissingDefaults());
        plat::dialogs().error(e.message());
    }
    Is_Change = false;
    Move_GroupBoxs();
}

void TFParGen::Btn_OKClick() {
    if (!Controllo_Dati()) return;
    pargen::writeFile(g_ParGenFile, Values());
    SetModalResult(plat::mrOk);
}

QString TFParGen::fieldCaption(QWidget* field) const {
    QWidget* lead = leadOf_.value(field);
    if (auto* l = qobject_cast<QLabel*>(lead)) return l->text();
    if (auto* c = qobject_cast<QCheckBox*>(lead)) return c->text();
    return field->objectName();
}

bool TFParGen::Check_Device_Name(const QString& text) const {
    for (QChar c : text)
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))) return true;
    return false;
}

namespace {

// Number of a field: its text as an integer, -1 when it is none (which every range refuses).
int number(const QLineEdit* e) { return plat::strToIntDef(e->text(), -1); }

// True when an integer text reaches the image unchanged in a field of `maxValue`; a text that is
// no integer is left to the image's own default, as before. The image reads the text as a signed
// 32-bit integer, so "$FFFFFFFF" is -1 there and refused like "-1".
bool fitsField(const QString& text, int32_t maxValue) {
    if (!plat::tryStrToInt64(text)) return true;
    const auto v = plat::tryStrToInt(text);
    return v && *v >= 0 && *v <= maxValue;
}

// A character XML 1.0 can hold; surrogates only as a pair.
bool xmlCharsOk(const QString& s, QChar* bad) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        bool ok = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD);
        if (QChar::isHighSurrogate(c) && i + 1 < s.size() && QChar::isLowSurrogate(s[i + 1].unicode())) {
            ++i;
            ok = true;
        }
        if (!ok) {
            *bad = s[i];
            return false;
        }
    }
    return true;
}

}  // namespace

bool TFParGen::Controllo_Dati() {
    auto fail = [](const QString& message) {
        plat::dialogs().error(message);
        return false;
    };
    auto edit = [this](const QString& name) { return Edit(name); };
    auto shown = [this](const char* n) { return plat::ownVisible(Control(QLatin1StringView(n))); };
    auto shownEnabled = [this](const char* n) {
        QWidget* w = Control(QLatin1StringView(n));
        return plat::ownVisible(w) && plat::ownEnabled(w);
    };
    // Four octets; the message of octet k is entry first + k.
    auto octets = [&](const char* prefix, int firstMessage) {
        for (int i = 0; i < 4; ++i) {
            const int v = number(edit(octetName(prefix, i)));
            if (v < 0 || v > 255) return fail(T(firstMessage + i));
        }
        return true;
    };
    auto inRange = [&](const char* name, int lo, int hi) {
        const int v = number(edit(QLatin1StringView(name)));
        return v >= lo && v <= hi;
    };

    if (ticked("CB_EthConn_Enable_DNS")) {
        if (!octets("E_EthConn_Pri_DNS_IP", 5179)) return false;
        if (!octets("E_EthConn_Sec_DNS_IP", 5183)) return false;
    }
    if (shown("E_MQTT_Reproram_Value") && !inRange("E_MQTT_Reproram_Value", 0, 255)) return fail(T(4242));
    if (!octets("E_Ethernet_IP", 576) || !octets("E_Ethernet_SM", 580)) return false;
    if (ticked("CB_Ethernet_En_GAT") && !octets("E_Ethernet_GAT", 584)) return false;
    if (shown("CB_Ethernet_En_DNS") && ticked("CB_Ethernet_En_DNS") && !octets("E_Ethernet_DNS", 588)) return false;

    // Exactly one of the Wi-Fi steps runs, by the Wi-Fi type alone.
    if (position("CB_WiFi2_Type") == 0) {
        if (!octets("E_WiFi2_IP1_IP", 5187) || !octets("E_WiFi2_IP1_SM", 5191)) return false;
        if (ticked("CB_WiFi2_IP1_En_GAT") && !octets("E_WiFi2_IP1_GAT", 5195)) return false;
        if (ticked("CB_WiFi2_En_DHCP")) {
            if (!octets("E_WiFi2_DHCP_First_IP", 5199) || !octets("E_WiFi2_DHCP_SM", 5203)) return false;
            if (!inRange("E_WiFi2_Lease_Time", 1, 99999999)) return fail(T(5207));
        }
    } else {
        if (shownEnabled("E_WiFi2_IP1_IP1")) {
            if (!octets("E_WiFi2_IP1_IP", 5208) || !octets("E_WiFi2_IP1_SM", 5212)) return false;
            if (ticked("CB_WiFi2_IP1_En_GAT") && !octets("E_WiFi2_IP1_GAT", 5216)) return false;
        }
        if (shownEnabled("E_WiFi2_IP2_IP1")) {
            if (!octets("E_WiFi2_IP2_IP", 5220) || !octets("E_WiFi2_IP2_SM", 5224)) return false;
            if (ticked("CB_WiFi2_IP2_En_GAT") && !octets("E_WiFi2_IP2_GAT", 5228)) return false;
        }
    }

    if (!inRange("E_NTP_Poll_Time", 0, 10000000)) return fail(T(618));
    if (!octets("E_PROFINET_IP", 1942) || !octets("E_PROFINET_SM", 1946)) return false;
    if (ticked("CB_PROFINET_GAT") && !octets("E_PROFINET_GAT", 1950)) return false;
    {
        static const int reserved[] = {5000, 10000, 10001, 34962, 34963, 34964};
        const int port = number(edit(QStringLiteral("E_PROFINET_TunnelPort")));
        if (port < 1 || port > 65535 || std::find(std::begin(reserved), std::end(reserved), port) != std::end(reserved))
            return fail(T(1954));
    }
    constexpr int kMaxBytes = 1438;
    if (!inRange("E_PROFINET_NByte_In", 0, kMaxBytes)) return fail(T(1955) + QString::number(kMaxBytes));
    if (!inRange("E_PROFINET_NByte_Out", 0, kMaxBytes)) return fail(T(1956) + QString::number(kMaxBytes));
    if (ticked("CB_PROFINET_Diagnostic")) {
        const int limit = number(edit(QStringLiteral("E_PROFINET_NByte_Out"))) - 8;
        if (!inRange("E_PROFINET_Diagnostic", 0, limit)) return fail(T(1957) + QString::number(limit));
    }

    // Checks beyond the table above, for what the configuration image and the file can hold. They
    // look only at fields this layout shows: a hidden value cannot be corrected here, and it is
    // written back as it was read.
    auto shownEdit = [](QLineEdit* e) { return plat::ownVisible(e); };
    // Values the configuration image stores in fields of a fixed width: refused rather than cut.
    static const struct {
        const char* edit;
        int32_t maxValue;
        const char* message;
    } widths[] = {
        {"E_MQTT_Server_Port", 65535, "Error MQTT!! Server Port must be between 0 and 65535"},
        {"E_MQTT_Keep_Alive", 65535, "Error MQTT!! Keep Alive must be between 0 and 65535 seconds"},
        {"E_MQTT_ASync_Send_Time", 2147483647, "Error MQTT!! Send Time must be between 0 and 2147483647 seconds"},
    };
    for (const auto& w : widths) {
        QLineEdit* e = edit(QLatin1StringView(w.edit));
        if (shownEdit(e) && !fitsField(e->text(), w.maxValue)) return fail(QString::fromLatin1(w.message));
    }
    // Texts the image stores one byte per character.
    for (const char* n : {"E_EthConn_Device_Name", "E_PROFINET_NameStation", "E_WiFi2_SSID", "E_WiFi2_Password"}) {
        QLineEdit* e = edit(QLatin1StringView(n));
        if (!shownEdit(e)) continue;
        for (QChar c : e->text())
            if (c.unicode() > 0xFF)
                return fail(QStringLiteral("Error!! \"%1\" contains the character \"%2\", which the device cannot store")
                                .arg(fieldCaption(e), QString(c)));
    }
    // Texts that the parameter file could not hold.
    const auto els = pargen::elements();
    for (size_t i = 0; i < els.size(); ++i) {
        if (els[i].kind != pargen::Kind::Text) continue;
        auto* e = static_cast<QLineEdit*>(bound_[i]);
        QChar bad;
        if (shownEdit(e) && !xmlCharsOk(e->text(), &bad))
            return fail(QStringLiteral("Error!! \"%1\" contains a character that cannot be saved (U+%2)")
                            .arg(fieldCaption(e))
                            .arg(bad.unicode(), 4, 16, QLatin1Char('0')));
    }
    return true;
}

void TFParGen::Btn_OnCertificate(TFadeButton* sender) {
    QLineEdit* box = certBox_.value(sender);
    if (!box) return;
    const QString folder = g_ProjectPath + QStringLiteral("/Certificates");
    if (!plat::dirExists(folder) && !plat::forceDirectories(folder))
        throw plat::Error(QStringLiteral("Cannot create the folder \"%1\"").arg(folder));

    const std::optional<QString> chosen =
        plat::dialogs().openFile(QStringLiteral("Open"), folder, QStringLiteral("Any Files (*.*)"));
    if (!chosen || !plat::fileExists(*chosen)) return;

    const QString name = QFileInfo(*chosen).fileName();
    // The image builder looks the file up by this name in the folder: a bare file name only.
    if (name.isEmpty() || name == u"." || name == u".." || name.contains(u'/') || name.contains(u'\\')) {
        plat::dialogs().error(QStringLiteral("Invalid certificate file name: \"%1\"").arg(name));
        return;
    }
    const QString target = folder + u'/' + name;
    const QString chosenCanon = QFileInfo(*chosen).canonicalFilePath();
    const QString targetCanon = QFileInfo(target).canonicalFilePath();
    const bool alreadyHere = !targetCanon.isEmpty() && chosenCanon == targetCanon;
    if (!alreadyHere) {
        if (plat::fileExists(target) &&
            plat::dialogs().questionYesNoCancel(QString::fromLatin1(kCertQuestion)) != plat::Answer::Yes)
            return;
        QString error;
        if (!plat::copyFileReplace(*chosen, target, &error)) {
            plat::dialogs().error(QStringLiteral("The certificate could not be copied to \"%1\": %2").arg(target, error));
            return;
        }
    }
    box->setText(name);
}

int TFParGen::Check_Device_IP_Address_WiFi(QString& str_Bus_IP1, QString& str_Bus_IP2) const {
    str_Bus_IP1 = QStringLiteral("PROFINET Slave");
    str_Bus_IP2 = QStringLiteral("MQTT");
    return 2;
}

void TFParGen::KeyPress(QLineEdit* edit, QKeyEvent* event) {
    QWidget* next = dotSuccessor_.value(edit);
    if (next && next->isEnabled() && next->isVisibleTo(this)) next->setFocus(Qt::TabFocusReason);
    event->accept();
}

bool TFParGen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        auto* ke = static_cast<QKeyEvent*>(event);
        if (edit && dotSuccessor_.contains(edit) && ke->text() == u".") {
            plat::guarded([&] { KeyPress(edit, ke); });
            return true;  // a "." never reaches an octet edit
        }
    }
    return plat::TForm::eventFilter(watched, event);
}

void TFParGen::FormMouseWheel(QWheelEvent* event) {
    const QPoint p = CPG->mapFrom(this, event->position().toPoint());
    if (!CPG->rect().contains(p)) {
        event->ignore();
        return;
    }
    event->accept();
    const int lines = QApplication::wheelScrollLines();
    const bool up = event->angleDelta().y() > 0;
    for (int i = 0; i < lines; ++i) up ? CPG->scrollLineUp() : CPG->scrollLineDown();
}

void TFParGen::wheelEvent(QWheelEvent* event) {
    plat::guarded([&] { FormMouseWheel(event); });
}

void TFParGen::resizeEvent(QResizeEvent* event) {
    plat::TForm::resizeEvent(event);
    FormResize();
    const int w = width();
    const int h = height();
    const int titleH = TitleStrip()->height();
    TitleStrip()->setGeometry(0, 0, w, titleH);
    P_Button->setGeometry(0, h - 40, w, 40);
    Btn_Cancel->setGeometry(w - 8 - 110, 6, 110, 28);
    Btn_OK->setGeometry(w - 8 - 110 - 8 - 110, 6, 110, 28);
    CPG->setGeometry(0, titleH, w, h - titleH - 40);
}
