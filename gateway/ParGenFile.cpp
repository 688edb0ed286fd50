#include "gateway/ParGenFile.h"

#include "platform/Files.h"
#include "platform/IntConv.h"
#include "platform/XmlDoc.h"

#include <stdexcept>

namespace pargen {
namespace {

// The mobile-connection drop-downs are stored by item text; their items are never translated.
constexpr const char* kAuthItemsData[] = {"None", "PAP", "CHAP", "PAP or CHAP"};
constexpr const char* kSimItemsData[] = {"SIM 1", "SIM 2"};
constexpr std::span<const char* const> kAuthItems(kAuthItemsData);
constexpr std::span<const char* const> kSimItems(kSimItemsData);

// File order. Columns: element, control, kind, default of a missing element, default of a missing
// file (when it differs), item count of a positional drop-down, items of a drop-down kept by text.
const Element kElements[kElementCount] = {
    {"Select_Device", "CB_Select_Device_Device", Kind::Index, "0", nullptr, 3, {}},
    {"Eth_Conn_Device_Name", "E_EthConn_Device_Name", Kind::Text, "", nullptr, 0, {}},
    {"Eth_Conn_DHCP_Cable", "CB_EthConn_En_DHCP_Cable", Kind::Check, "0", nullptr, 0, {}},
    {"Eth_Conn_DHCP_WiFi", "CB_EthConn_En_DHCP_WiFi", Kind::Check, "0", nullptr, 0, {}},
    {"Eth_Conn_Enable_DNS", "CB_EthConn_Enable_DNS", Kind::Check, "0", nullptr, 0, {}},
    {"Eth_Conn_Primary_DNS1", "E_EthConn_Pri_DNS_IP1", Kind::Text, "8", nullptr, 0, {}},
    {"Eth_Conn_Primary_DNS2", "E_EthConn_Pri_DNS_IP2", Kind::Text, "8", nullptr, 0, {}},
    {"Eth_Conn_Primary_DNS3", "E_EthConn_Pri_DNS_IP3", Kind::Text, "8", nullptr, 0, {}},
    {"Eth_Conn_Primary_DNS4", "E_EthConn_Pri_DNS_IP4", Kind::Text, "8", nullptr, 0, {}},
    {"Eth_Conn_Secondary_DNS1", "E_EthConn_Sec_DNS_IP1", Kind::Text, "8", nullptr, 0, {}},
    {"Eth_Conn_Secondary_DNS2", "E_EthConn_Sec_DNS_IP2", Kind::Text, "8", nullptr, 0, {}},
    {"Eth_Conn_Secondary_DNS3", "E_EthConn_Sec_DNS_IP3", Kind::Text, "8", nullptr, 0, {}},
    {"Eth_Conn_Secondary_DNS4", "E_EthConn_Sec_DNS_IP4", Kind::Text, "8", nullptr, 0, {}},
    {"MQTT_Server_URL", "E_MQTT_Server", Kind::Text, "", nullptr, 0, {}},
    {"MQTT_Server_Port", "E_MQTT_Server_Port", Kind::Text, "1883", nullptr, 0, {}},
    {"MQTT_Client_ID", "E_MQTT_Client_ID", Kind::Text, "", nullptr, 0, {}},
    {"MQTT_Keep_Alive", "E_MQTT_Keep_Alive", Kind::Text, "", nullptr, 0, {}},
    {"MQTT_Clean_Session", "CB_MQTT_Clean_Session", Kind::Check, "0", nullptr, 0, {}},
    {"MQTT_WillFlag", "CB_MQTT_WillFlag", Kind::Check, "0", nullptr, 0, {}},
    {"MQTT_Will_Topic_Name", "E_MQTT_Will_TopicName", Kind::Text, "", nullptr, 0, {}},
    {"MQTT_Will_Message", "E_MQTT_Will_Message", Kind::Text, "", nullptr, 0, {}},
    {"MQTT_Will_Retained", "CB_MQTT_Will_Retained", Kind::Check, "0", nullptr, 0, {}},
    {"MQTT_Will_QoS", "CB_MQTT_Will_QoS", Kind::Index, "0", nullptr, 3, {}},
    {"MQTT_PublishTopicConnection", "CB_MQTT_PublishTopicConnection", Kind::Check, "0", nullptr, 0, {}},
    {"MQTT_Connection_Topic_Name", "E_MQTT_Connection_TopicName", Kind::Text, "", nullptr, 0, {}},
    {"MQTT_Connection_Message", "E_MQTT_Connection_Message", Kind::Text, "", nullptr, 0, {}},
    {"MQTT_Connection_Retained", "CB_MQTT_Connection_Retained", Kind::Check, "0", nullptr, 0, {}},
    {"MQTT_Username", "E_MQTT_Username", Kind::Text, "", nullptr, 0, {}},
    {"MQTT_Password", "E_MQTT_Password", Kind::Text, "", nullptr, 0, {}},
    {"MQTT_ASync_Send_Time", "E_MQTT_ASync_Send_Time", Kind::Text, "", "10", 0, {}},
    {"MQTT_Topic_DALI_Answer", "E_MQTT_TopicDALIAns", Kind::Text, "", nullptr, 0, {}},
    {"MQTT_Enable_Reprogram", "CB_MQTT_Enable_ReProgram", Kind::Check, "0", nullptr, 0, {}},
    {"MQTT_Reprogram_Topic", "E_MQTT_Reprogram_Topic", Kind::Text, "", nullptr, 0, {}},
    {"MQTT_Reprogram_Value", "E_MQTT_Reproram_Value", Kind::Text, "", nullptr, 0, {}},
    {"Ethernet_IP1", "E_Ethernet_IP1", Kind::Text, "192", nullptr, 0, {}},
    {"Ethernet_IP2", "E_Ethernet_IP2", Kind::Text, "168", nullptr, 0, {}},
    {"Ethernet_IP3", "E_Ethernet_IP3", Kind::Text, "0", nullptr, 0, {}},
    {"Ethernet_IP4", "E_Ethernet_IP4", Kind::Text, "10", nullptr, 0, {}},
    {"Ethernet_SM1", "E_Ethernet_SM1", Kind::Text, "255", nullptr, 0, {}},
    {"Ethernet_SM2", "E_Ethernet_SM2", Kind::Text, "255", nullptr, 0, {}},
    {"Ethernet_SM3", "E_Ethernet_SM3", Kind::Text, "255", nullptr, 0, {}},
    {"Ethernet_SM4", "E_Ethernet_SM4", Kind::Text, "0", nullptr, 0, {}},
    {"Ethernet_GAT1", "E_Ethernet_GAT1", Kind::Text, "192", nullptr, 0, {}},
    {"Ethernet_GAT2", "E_Ethernet_GAT2", Kind::Text, "168", nullptr, 0, {}},
    {"Ethernet_GAT3", "E_Ethernet_GAT3", Kind::Text, "0", nullptr, 0, {}},
    {"Ethernet_GAT4", "E_Ethernet_GAT4", Kind::Text, "1", nullptr, 0, {}},
    {"Ethernet_EN_GAT", "CB_Ethernet_En_GAT", Kind::Check, "0", nullptr, 0, {}},
    {"WiFi_Type", "CB_WiFi2_Type", Kind::Index, "0", nullptr, 2, {}},
    {"WiFi_IP1", "E_WiFi2_IP1_IP1", Kind::Text, "192", nullptr, 0, {}},
    {"WiFi_IP2", "E_WiFi2_IP1_IP2", Kind::Text, "168", nullptr, 0, {}},
    {"WiFi_IP3", "E_WiFi2_IP1_IP3", Kind::Text, "0", nullptr, 0, {}},
    {"WiFi_IP4", "E_WiFi2_IP1_IP4", Kind::Text, "100", nullptr, 0, {}},
    {"WiFi_SM1", "E_WiFi2_IP1_SM1", Kind::Text, "255", nullptr, 0, {}},
    {"WiFi_SM2", "E_WiFi2_IP1_SM2", Kind::Text, "255", nullptr, 0, {}},
    {"WiFi_SM3", "E_WiFi2_IP1_SM3", Kind::Text, "255", nullptr, 0, {}},
    {"WiFi_SM4", "E_WiFi2_IP1_SM4", Kind::Text, "0", nullptr, 0, {}},
    {"WiFi_EN_Gateway", "CB_WiFi2_IP1_En_GAT", Kind::CheckInt, "0", nullptr, 0, {}},
    {"WiFi_GAT1", "E_WiFi2_IP1_GAT1", Kind::Text, "192", nullptr, 0, {}},
    {"WiFi_GAT2", "E_WiFi2_IP1_GAT2", Kind::Text, "168", nullptr, 0, {}},
    {"WiFi_GAT3", "E_WiFi2_IP1_GAT3", Kind::Text, "0", nullptr, 0, {}},
    {"WiFi_GAT4", "E_WiFi2_IP1_GAT4", Kind::Text, "1", nullptr, 0, {}},
    {"WiFi_IP2_IP1", "E_WiFi2_IP2_IP1", Kind::Text, "192", nullptr, 0, {}},
    {"WiFi_IP2_IP2", "E_WiFi2_IP2_IP2", Kind::Text, "168", nullptr, 0, {}},
    {"WiFi_IP2_IP3", "E_WiFi2_IP2_IP3", Kind::Text, "0", nullptr, 0, {}},
    {"WiFi_IP2_IP4", "E_WiFi2_IP2_IP4", Kind::Text, "110", nullptr, 0, {}},
    {"WiFi_IP2_SM1", "E_WiFi2_IP2_SM1", Kind::Text, "255", nullptr, 0, {}},
    {"WiFi_IP2_SM2", "E_WiFi2_IP2_SM2", Kind::Text, "255", nullptr, 0, {}},
    {"WiFi_IP2_SM3", "E_WiFi2_IP2_SM3", Kind::Text, "255", nullptr, 0, {}},
    {"WiFi_IP2_SM4", "E_WiFi2_IP2_SM4", Kind::Text, "0", nullptr, 0, {}},
    {"WiFi_IP2_EN_Gateway", "CB_WiFi2_IP2_En_GAT", Kind::CheckInt, "0", nullptr, 0, {}},
    {"WiFi_IP2_GAT1", "E_WiFi2_IP2_GAT1", Kind::Text, "192", nullptr, 0, {}},
    {"WiFi_IP2_GAT2", "E_WiFi2_IP2_GAT2", Kind::Text, "168", nullptr, 0, {}},
    {"WiFi_IP2_GAT3", "E_WiFi2_IP2_GAT3", Kind::Text, "0", nullptr, 0, {}},
    {"WiFi_IP2_GAT4", "E_WiFi2_IP2_GAT4", Kind::Text, "1", nullptr, 0, {}},
    {"WiFi_SSID", "E_WiFi2_SSID", Kind::Text, "", nullptr, 0, {}},
    {"WiFi_PWD", "E_WiFi2_Password", Kind::Text, "", nullptr, 0, {}},
    {"WiFi_Secure_Type", "CB_WiFi2_Secure_Type", Kind::Index, "0", nullptr, 4, {}},
    {"WiFi_EN_DHCP", "CB_WiFi2_En_DHCP", Kind::CheckInt, "0", nullptr, 0, {}},
    {"WiFi_DHCP_First_IP1", "E_WiFi2_DHCP_First_IP1", Kind::Text, "192", nullptr, 0, {}},
    {"WiFi_DHCP_First_IP2", "E_WiFi2_DHCP_First_IP2", Kind::Text, "168", nullptr, 0, {}},
    {"WiFi_DHCP_First_IP3", "E_WiFi2_DHCP_First_IP3", Kind::Text, "0", nullptr, 0, {}},
    {"WiFi_DHCP_First_IP4", "E_WiFi2_DHCP_First_IP4", Kind::Text, "200", nullptr, 0, {}},
    {"WiFi_DHCP_SM1", "E_WiFi2_DHCP_SM1", Kind::Text, "255", nullptr, 0, {}},
    {"WiFi_DHCP_SM2", "E_WiFi2_DHCP_SM2", Kind::Text, "255", nullptr, 0, {}},
    {"WiFi_DHCP_SM3", "E_WiFi2_DHCP_SM3", Kind::Text, "255", nullptr, 0, {}},
    {"WiFi_DHCP_SM4", "E_WiFi2_DHCP_SM4", Kind::Text, "0", nullptr, 0, {}},
    {"WiFi_Lease_Time", "E_WiFi2_Lease_Time", Kind::Text, "86400", nullptr, 0, {}},
    {"WiFi_Max_Client", "CB_WiFi2_Max_Client", Kind::Index, "0", nullptr, 10, {}},
    {"WiFi_Channel", "CB_WiFi2_Channel", Kind::Index, "1", nullptr, 12, {}},
    {"TLS_Enable", "CB_TLS_Enable", Kind::CheckInt, "0", nullptr, 0, {}},
    {"TLS_En_Server_Auth", "CB_TLS_En_Server_Auth", Kind::CheckInt, "0", nullptr, 0, {}},
    {"TLS_Server_Auth_Certificate", "E_TLS_Server_Cert", Kind::Text, "", nullptr, 0, {}},
    {"TLS_En_Client_Auth", "CB_TLS_En_Client_Auth", Kind::CheckInt, "0", nullptr, 0, {}},
    {"TLS_Client_CA_Certificate", "E_TLS_CA_Cert", Kind::Text, "", nullptr, 0, {}},
    {"TLS_Client_Auth_Certificate", "E_TLS_Client_Cert", Kind::Text, "", nullptr, 0, {}},
    {"TLS_Client_Auth_Key", "E_TLS_Client_Cert_Key", Kind::Text, "", nullptr, 0, {}},
    {"TLS_Client_Auth_Key_Password", "E_TLS_Client_Cert_Key_Pass", Kind::Text, "", nullptr, 0, {}},
    {"NTP_Server_URL", "E_NTP_Server_URL", Kind::Text, "", nullptr, 0, {}},
    {"NTP_Poll_Time", "E_NTP_Poll_Time", Kind::Text, "", nullptr, 0, {}},
    {"PROFINET_IP1", "E_PROFINET_IP1", Kind::Text, "192", nullptr, 0, {}},
    {"PROFINET_IP2", "E_PROFINET_IP2", Kind::Text, "168", nullptr, 0, {}},
    {"PROFINET_IP3", "E_PROFINET_IP3", Kind::Text, "0", nullptr, 0, {}},
    {"PROFINET_IP4", "E_PROFINET_IP4", Kind::Text, "5", nullptr, 0, {}},
    {"PROFINET_SM1", "E_PROFINET_SM1", Kind::Text, "255", nullptr, 0, {}},
    {"PROFINET_SM2", "E_PROFINET_SM2", Kind::Text, "255", nullptr, 0, {}},
    {"PROFINET_SM3", "E_PROFINET_SM3", Kind::Text, "255", nullptr, 0, {}},
    {"PROFINET_SM4", "E_PROFINET_SM4", Kind::Text, "0", nullptr, 0, {}},
    {"PROFINET_GAT1", "E_PROFINET_GAT1", Kind::Text, "192", nullptr, 0, {}},
    {"PROFINET_GAT2", "E_PROFINET_GAT2", Kind::Text, "168", nullptr, 0, {}},
    {"PROFINET_GAT3", "E_PROFINET_GAT3", Kind::Text, "0", nullptr, 0, {}},
    {"PROFINET_GAT4", "E_PROFINET_GAT4", Kind::Text, "1", nullptr, 0, {}},
    {"PROFINET_EN_GAT", "CB_PROFINET_GAT", Kind::Check, "0", nullptr, 0, {}},
    {"PROFINET_PORT", "E_PROFINET_TunnelPort", Kind::Text, "2000", nullptr, 0, {}},
    {"PROFINET_NAME_STA", "E_PROFINET_NameStation", Kind::Text, "devicename1", nullptr, 0, {}},
    {"PROFINET_NB_IN", "E_PROFINET_NByte_In", Kind::Text, "1438", nullptr, 0, {}},
    {"PROFINET_NB_OUT", "E_PROFINET_NByte_Out", Kind::Text, "1438", nullptr, 0, {}},
    {"PROFINET_ENABLE_DIAGNOSTIC", "CB_PROFINET_Diagnostic", Kind::Check, "0", nullptr, 0, {}},
    {"PROFINET_DIAGNOSTIC_ADDRESS", "E_PROFINET_Diagnostic", Kind::Text, "0", nullptr, 0, {}},
    {"GSM_GPRS_PIN", "E_GSM_GPRS_PIN", Kind::Text, "", nullptr, 0, {}},
    {"GSM_GPRS_APN", "E_GSM_GPRS_APN", Kind::Text, "", nullptr, 0, {}},
    {"GSM_GPRS_AUTHTYPE", "CB_GSM_GPRS_AuthType", Kind::ItemText, "None", nullptr, 0, kAuthItems},
    {"GSM_GPRS_USERNAME", "E_GSM_GPRS_UserName", Kind::Text, "", nullptr, 0, {}},
    {"GSM_GPRS_PASSWORD", "E_GSM_GPRS_Password", Kind::Text, "", nullptr, 0, {}},
    {"GSM_GPRS_ENABLE_SECOND_SIM", "CB_GSM_GPRS_En_Second_SIM", Kind::Check, "0", nullptr, 0, {}},
    {"GSM_GPRS_PIN_2", "E_GSM_GPRS_PIN2", Kind::Text, "", nullptr, 0, {}},
    {"GSM_GPRS_APN_2", "E_GSM_GPRS_APN2", Kind::Text, "", nullptr, 0, {}},
    {"GSM_GPRS_AUTHTYPE_2", "CB_GSM_GPRS_AuthType2", Kind::ItemText, "None", nullptr, 0, kAuthItems},
    {"GSM_GPRS_USERNAME_2", "E_GSM_GPRS_UserName2", Kind::Text, "", nullptr, 0, {}},
    {"GSM_GPRS_PASSWORD_2", "E_GSM_GPRS_Password2", Kind::Text, "", nullptr, 0, {}},
    {"GSM_GPRS_MAIN_SIM", "CB_GSM_GPRS_Main_SIM", Kind::ItemText, "SIM 1", nullptr, 0, kSimItems},
};

}  // namespace

std::span<const Element> elements() { return kElements; }

int indexOf(QStringView name) {
    for (int i = 0; i < kElementCount; ++i)
        if (name == QLatin1StringView(kElements[i].name)) return i;
    return -1;
}

QString& Values::operator[](QStringView name) {
    const int i = indexOf(name);
    if (i < 0) throw std::out_of_range("unknown ParGen element: " + name.toString().toStdString());
    return (*this)[i];
}

const QString& Values::operator[](QStringView name) const {
    return const_cast<Values&>(*this)[name];
}

Values elementDefaults() {
    Values v;
    for (int i = 0; i < kElementCount; ++i) v[i] = QString::fromLatin1(kElements[i].defaultValue);
    return v;
}

Values fileMissingDefaults() {
    Values v;
    for (int i = 0; i < kElementCount; ++i) {
        const Element& e = kElements[i];
        v[i] = QString::fromLatin1(e.fileMissingValue ? e.fileMissingValue : e.defaultValue);
    }
    return v;
}

QString readValue(const Element& e, bool present, const QString& text) {
    const QString def = QString::fromLatin1(e.defaultValue);
    if (!present) return def;
    switch (e.kind) {
    case Kind::Text:
        return text;
    case Kind::Check:
        return text == u"1" ? QStringLiteral("1") : QStringLiteral("0");
    case Kind::CheckInt:
        return plat::strToIntDef(text, 0) == 1 ? QStringLiteral("1") : QStringLiteral("0");
    case Kind::Index: {
        // A text that is no integer selects the default position; a position outside the list
        // selects nothing.
        const int pos = plat::strToIntDef(text, def.toInt());
        return (pos >= 0 && pos < e.itemCount) ? QString::number(pos) : QStringLiteral("-1");
    }
    case Kind::ItemText:
        for (const char* item : e.items) {
            const QString s = QString::fromLatin1(item);
            if (s.compare(text, Qt::CaseInsensitive) == 0) return s;
        }
        // Nothing matches: the drop-down ends up on its first item.
        return QString::fromLatin1(e.items.front());
    }
    return def;
}

Values fromDocument(const plat::XmlDocument& doc) {
    const plat::XmlElement root = doc.root();
    Values v;
    for (int i = 0; i < kElementCount; ++i) {
        const Element& e = kElements[i];
        const plat::XmlElement el = root.child(QLatin1StringView(e.name));
        v[i] = readValue(e, !el.isNull(), el.text());
    }
    return v;
}

Values fromBytes(const QByteArray& bytes) {
    plat::XmlDocument doc;
    QString error;
    if (!doc.loadBytes(bytes, &error)) throw plat::Error(error);
    return fromDocument(doc);
}

Values readFile(const QString& path, ReadResult* result) {
    if (!plat::fileExists(path)) {
        if (result) *result = ReadResult::FileMissing;
        return fileMissingDefaults();
    }
    plat::XmlDocument doc;
    QString error;
    if (!doc.load(path, &error)) throw plat::Error(error);
    if (result) *result = ReadResult::Read;
    return fromDocument(doc);
}

namespace {
void build(plat::XmlDocument& doc, const Values& values) {
    plat::XmlElement root = doc.createRoot(QLatin1StringView(kRootName));
    doc.appendComment(QLatin1StringView(kVersionComment));
    for (int i = 0; i < kElementCount; ++i) root.appendTextChild(QLatin1StringView(kElements[i].name), values[i]);
}
}  // namespace

QByteArray toBytes(const Values& values) {
    plat::XmlDocument doc;
    build(doc, values);
    return doc.toBytes();
}

void writeFile(const QString& path, const Values& values) {
    plat::XmlDocument doc;
    build(doc, values);
    QString error;
    if (!doc.save(path, &error)) throw plat::Error(error);
}

}  // namespace pargen
