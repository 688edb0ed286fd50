// The configuration images: bank 1 field by field, bank 2 byte for byte and pointer by pointer,
// the template field ranges, the certificate rule, and the step's refusals.
#include "gateway/USaveBincc.h"

#include "platform/XmlDoc.h"
#include "shell/UComon.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

using namespace USaveBincc;
using testing_support::readAll;
using testing_support::RecordingDialogs;
using testing_support::writeAll;

namespace {

using Attrs = std::vector<std::pair<QString, QString>>;

QByteArray parGenXml(const Attrs& elements) {
    plat::XmlDocument doc;
    plat::XmlElement root = doc.createRoot(QStringLiteral("Par_Gen"));
    doc.appendComment(QStringLiteral("SW_VERSION = 1.003"));
    for (const auto& [name, value] : elements) root.appendTextChild(name, value);
    return doc.toBytes();
}

struct TopicFile {
    std::vector<Attrs> publish;
    std::vector<Attrs> subscribe;
    QString allowCrLf = QStringLiteral("N");
    bool withPublish = true;
    bool withSubscribe = true;
};

QByteArray topicXml(const TopicFile& f) {
    plat::XmlDocument doc;
    plat::XmlElement root = doc.createRoot(QStringLiteral("MQTT_Set_Topic"));
    doc.appendComment(QStringLiteral("SW_VERSION = 1.003"));
    const auto section = [&](const char* name, const std::vector<Attrs>& rows) {
        plat::XmlElement s = root.appendChild(QString::fromLatin1(name));
        for (const Attrs& r : rows) {
            plat::XmlElement row = s.appendChild(QStringLiteral("row"));
            for (const auto& [k, v] : r) row.setAttribute(k, v);
        }
    };
    if (f.withPublish) section("MQTT_Publish", f.publish);
    if (f.withSubscribe) section("MQTT_Subscribe", f.subscribe);
    root.appendChild(QStringLiteral("MQTT_Options")).appendTextChild(QStringLiteral("Option_Allow_CR_LF"), f.allowCrLf);
    return doc.toBytes();
}

Attrs pubRow(const QString& topic, const QString& tmpl = QStringLiteral("$VALUE$")) {
    return {{"Topic", topic},     {"Retained", "N"},  {"QoS", "0"},       {"DataType", "Int"},
            {"Dimension", "2"},   {"Position", "0"},  {"IPAddress", ""},  {"FormatHex", "N"},
            {"InputTemplate", ""}, {"Template", tmpl}, {"OnChange", "Y"}, {"OnCMD", "N"},
            {"OnTimer", "N"},     {"Time", ""},       {"Mnemonic", "m"}};
}

Attrs subRow(const QString& topic, const QString& tmpl = QStringLiteral("$VALUE$")) {
    return {{"Topic", topic},    {"Retained", "N"},  {"QoS", "1"},      {"DataType", "Int"}, {"Dimension", "2"},
            {"Position", "0"},   {"IPAddress", ""},  {"Port", ""},      {"EthType", ""},     {"InputTemplate", ""},
            {"FormatHex", "N"},  {"Template", tmpl}, {"Mnemonic", "s"}};
}

Attrs with(Attrs row, const QString& name, const QString& value) {
    for (auto& [k, v] : row)
        if (k == name) {
            v = value;
            return row;
        }
    row.emplace_back(name, value);
    return row;
}

Attrs without(Attrs row, const QString& name) {
    std::erase_if(row, [&](const auto& kv) { return kv.first == name; });
    return row;
}

BuildState build(std::optional<QByteArray> parGen, std::optional<QByteArray> topics, const QString& certDir = {}) {
    BuildState s;
    QString error;
    EXPECT_TRUE(Build_Banks(s, BuildInput{std::move(parGen), std::move(topics), certDir}, &error)) << error.toStdString();
    return s;
}

uint32_t rd32(const QByteArray& b, qsizetype at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[at + i]);
    return v;
}
uint32_t rd16(const QByteArray& b, qsizetype at) {
    return static_cast<uint8_t>(b[at]) | (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8);
}

QByteArray bytes(std::initializer_list<int> v) {
    QByteArray out;
    for (int x : v) out.append(static_cast<char>(x));
    return out;
}
QByteArray le16(uint32_t v) { return bytes({int(v & 0xFF), int((v >> 8) & 0xFF)}); }
QByteArray le32(uint32_t v) {
    return bytes({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int((v >> 24) & 0xFF)});
}
QByteArray zeros(int n) { return QByteArray(n, '\0'); }
QByteArray field(const QByteArray& text, int width) { return text + zeros(width - static_cast<int>(text.size())); }

uint32_t byteSum(const QByteArray& b, int n) {
    uint32_t s = 0;
    for (int i = 0; i < n; ++i) s += static_cast<uint8_t>(b[i]);
    return s;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Bank 1

TEST(Bank1, WithoutParGenIsTheNoFileRecord) {
    const BuildState s = build(std::nullopt, std::nullopt);
    const QByteArray& b = s.bank1Image;
    ASSERT_EQ(b.size(), 2048);
    // The whole record, written out from the "No file" column.
    QByteArray expected(2048, '\0');
    const auto put = [&](int at, const QByteArray& v) { expected.replace(at, v.size(), v); };
    put(0, le32(250000));
    put(4, le32(250000));
    put(12, le32(9600));
    put(40, bytes({192, 168, 2, 205}));
    put(44, bytes({255, 255, 255, 0}));
    put(48, bytes({255, 255, 255, 255}));
    put(52, le16(10000));
    put(54, le16(10001));
    put(56, le16(10001));
    put(436, QByteArray(8, '\x08'));
    put(1424, le32(0x80000));
    put(2044, bytes({0x8A, 0x0D, 0x00, 0x00}));
    EXPECT_EQ(b.toHex(), expected.toHex());
    EXPECT_EQ(rd32(b, 2044), 3466u);
}

struct Bank1Case {
    const char* name;
    Attrs elements;
    std::vector<std::pair<int, QByteArray>> expect;  // bytes at an offset
};
void PrintTo(const Bank1Case& c, std::ostream* os) { *os << c.name; }


class Bank1Fields : public ::testing::TestWithParam<Bank1Case> {};

TEST_P(Bank1Fields, StoresTheFieldAsTheTableSays) {
    const Bank1Case& c = GetParam();
    const BuildState s = build(parGenXml(c.elements), std::nullopt);
    const QByteArray& b = s.bank1Image;
    ASSERT_EQ(b.size(), 2048);
    for (const auto& [at, value] : c.expect)
        EXPECT_EQ(b.mid(at, value.size()).toHex(' '), value.toHex(' ')) << "at offset " << at;
    // Whatever the fields, the record closes with the byte sum and the base address of bank 2.
    EXPECT_EQ(rd32(b, 2044), byteSum(b, 2044));
    EXPECT_EQ(rd32(b, 1424), 0x80000u);
}

const std::vector<Bank1Case> kBank1Cases = {
    {"EmptyFileGivesTheBadColumn",
     {},
     {{40, bytes({192, 168, 0, 5})},
      {44, bytes({255, 255, 255, 0})},
      {48, bytes({255, 255, 255, 255})},  // no gateway switch: off
      {104, le16(2000)},
      {116, le32(1438)},
      {120, le32(1438)},
      {384, le32(0)},
      {388, bytes({192, 168, 0, 10})},
      {392, bytes({255, 255, 255, 0})},
      {396, bytes({255, 255, 255, 255})},
      {1012, field("devicename1", 32)},
      {1148, zeros(96)},
      {1256, bytes({0, 0, 0, 0})},  // flags, then access point DHCP off and security 0
      {1260, bytes({192, 168, 0, 200, 255, 255, 255, 0})},
      {1268, le32(86400)},
      {1272, bytes({10, 0, 1, 0})},  // clients, type access point, channel 1, no automatic search
      {1276, bytes({192, 168, 0, 100, 255, 255, 255, 0})},
      {1284, zeros(16)},  // station-only block of an access point
      {1300, zeros(32)},
      {1340, zeros(4)},
      {1420, zeros(4)}}},
    {"ProfinetGatewayOn",
     {{"PROFINET_EN_GAT", "1"}, {"PROFINET_GAT1", "10"}, {"PROFINET_GAT2", "1"}, {"PROFINET_GAT3", "2"}, {"PROFINET_GAT4", "254"}},
     {{48, bytes({10, 1, 2, 254})}}},
    {"ProfinetGatewayOnWithMissingOctets", {{"PROFINET_EN_GAT", "1"}}, {{48, bytes({192, 168, 0, 1})}}},
    {"ProfinetGatewayOff",
     {{"PROFINET_EN_GAT", "0"}, {"PROFINET_GAT1", "192"}, {"PROFINET_GAT2", "168"}, {"PROFINET_GAT3", "0"}, {"PROFINET_GAT4", "1"}},
     {{48, bytes({255, 255, 255, 255})}}},
    {"SwitchIsOnOnlyForExactlyOne", {{"PROFINET_EN_GAT", "01"}, {"Ethernet_EN_GAT", " 1"}},
     {{48, bytes({255, 255, 255, 255})}, {396, bytes({255, 255, 255, 255})}}},
    {"EthernetGatewayOn",
     {{"Ethernet_EN_GAT", "1"}, {"Ethernet_GAT1", "172"}, {"Ethernet_GAT2", "16"}, {"Ethernet_GAT3", "3"}, {"Ethernet_GAT4", "4"}},
     {{396, bytes({172, 16, 3, 4})}}},
    {"AddressesKeepTheirLowByteAndAcceptHex",
     {{"PROFINET_IP1", "300"}, {"PROFINET_IP2", "$1F"}, {"PROFINET_IP3", " 7"}, {"PROFINET_IP4", "7 "},
      {"Ethernet_IP1", "-1"}, {"Ethernet_IP2", "0x10"}, {"Ethernet_IP3", ""}, {"Ethernet_IP4", "abc"}},
     {{40, bytes({44, 31, 7, 5})}, {388, bytes({255, 16, 0, 10})}}},
    {"PortAndAreaSizesAreNotBounded",
     {{"PROFINET_PORT", "70000"}, {"PROFINET_NB_IN", "2000"}, {"PROFINET_NB_OUT", "$FFFFFFFF"}},
     {{104, le16(70000 & 0xFFFF)}, {116, le32(2000)}, {120, le32(0xFFFFFFFF)}}},
    {"DhcpCableFlag", {{"Eth_Conn_DHCP_Cable", "1"}, {"Eth_Conn_DHCP_WiFi", "0"}}, {{1256, le16(1)}}},
    {"DhcpWiFiFlag", {{"Eth_Conn_DHCP_WiFi", "1"}}, {{1256, le16(2)}}},
    {"DhcpBothFlags", {{"Eth_Conn_DHCP_Cable", "1"}, {"Eth_Conn_DHCP_WiFi", "1"}}, {{1256, le16(3)}}},
    {"DnsOnReadsBothServers",
     {{"Eth_Conn_Enable_DNS", "1"}, {"Eth_Conn_Primary_DNS1", "1"}, {"Eth_Conn_Primary_DNS2", "1"},
      {"Eth_Conn_Primary_DNS3", "1"}, {"Eth_Conn_Primary_DNS4", "1"}, {"Eth_Conn_Secondary_DNS1", "9"},
      {"Eth_Conn_Secondary_DNS2", "9"}, {"Eth_Conn_Secondary_DNS3", "9"}, {"Eth_Conn_Secondary_DNS4", "9"}},
     {{1420, bytes({1, 1, 1, 1})}, {1340, bytes({9, 9, 9, 9})}}},
    {"DnsOnWithMissingServersUsesTheirDefaults", {{"Eth_Conn_Enable_DNS", "1"}},
     {{1420, bytes({8, 8, 8, 8})}, {1340, bytes({8, 8, 4, 4})}}},
    {"DnsOffLeavesBothZero",
     {{"Eth_Conn_Enable_DNS", "0"}, {"Eth_Conn_Primary_DNS1", "1"}, {"Eth_Conn_Secondary_DNS1", "9"}},
     {{1420, zeros(4)}, {1340, zeros(4)}}},
    {"DiagnosticOnAddressZeroGivesOne",
     {{"PROFINET_ENABLE_DIAGNOSTIC", "1"}, {"PROFINET_DIAGNOSTIC_ADDRESS", "0"}}, {{384, le32(1)}}},
    {"DiagnosticOnStoresAddressPlusOne",
     {{"PROFINET_ENABLE_DIAGNOSTIC", "1"}, {"PROFINET_DIAGNOSTIC_ADDRESS", "100"}}, {{384, le32(101)}}},
    {"DiagnosticOnAddressNotAnIntegerGivesOne",
     {{"PROFINET_ENABLE_DIAGNOSTIC", "1"}, {"PROFINET_DIAGNOSTIC_ADDRESS", "ten"}}, {{384, le32(1)}}},
    {"DiagnosticOnAddressMissingGivesZero", {{"PROFINET_ENABLE_DIAGNOSTIC", "1"}}, {{384, le32(0)}}},
    {"DiagnosticOffGivesZero",
     {{"PROFINET_ENABLE_DIAGNOSTIC", "0"}, {"PROFINET_DIAGNOSTIC_ADDRESS", "100"}}, {{384, le32(0)}}},
    {"AccessPointReadsItsBlock",
     {{"WiFi_Type", "0"}, {"WiFi_EN_DHCP", "1"}, {"WiFi_Secure_Type", "2"}, {"WiFi_DHCP_First_IP1", "10"},
      {"WiFi_DHCP_First_IP2", "0"}, {"WiFi_DHCP_First_IP3", "0"}, {"WiFi_DHCP_First_IP4", "50"},
      {"WiFi_DHCP_SM1", "255"}, {"WiFi_DHCP_SM2", "255"}, {"WiFi_DHCP_SM3", "0"}, {"WiFi_DHCP_SM4", "0"},
      {"WiFi_Lease_Time", "3600"}, {"WiFi_Max_Client", "4"}, {"WiFi_Channel", "6"},
      {"WiFi_EN_Gateway", "1"}, {"WiFi_GAT1", "10"}, {"WiFi_IP2_IP1", "10"}},
     {{1258, bytes({1, 2, 10, 0, 0, 50, 255, 255, 0, 0})},
      {1268, le32(3600)},
      {1272, bytes({5, 0, 6, 0})},
      {1284, zeros(16)}}},  // an access point never carries the station gateway or second address
    {"DhcpServerRangeIsOneNumberOfItsFourElements",
     {{"WiFi_DHCP_First_IP1", "300"}, {"WiFi_DHCP_First_IP2", "1"}, {"WiFi_DHCP_First_IP3", "0"},
      {"WiFi_DHCP_First_IP4", "10"}, {"WiFi_DHCP_SM1", "-1"}, {"WiFi_DHCP_SM2", "0"}, {"WiFi_DHCP_SM3", "0"},
      {"WiFi_DHCP_SM4", "0"}},
     {{1260, le32(300 + (1u << 8) + (10u << 24))}, {1264, le32(0xFFFFFFFFu)}}},
    {"AccessPointAutomaticChannel", {{"WiFi_Type", "0"}, {"WiFi_Channel", "0"}}, {{1274, bytes({0, 1})}}},
    {"AccessPointChannelNotAnIntegerIsOne", {{"WiFi_Channel", "auto"}}, {{1274, bytes({1, 0})}}},
    {"AccessPointMaxClientNotAnIntegerIsTen", {{"WiFi_Max_Client", "many"}}, {{1272, bytes({10})}}},
    {"StationIgnoresTheAccessPointBlock",
     {{"WiFi_Type", "1"}, {"WiFi_EN_DHCP", "1"}, {"WiFi_Secure_Type", "2"}, {"WiFi_DHCP_First_IP1", "10"},
      {"WiFi_Lease_Time", "3600"}, {"WiFi_Max_Client", "4"}, {"WiFi_Channel", "0"}},
     {{1258, zeros(15)}, {1273, bytes({1})}, {1274, zeros(2)}}},
    {"StationGatewaysAndSecondAddress",
     {{"WiFi_Type", "1"}, {"WiFi_IP1", "10"}, {"WiFi_IP2", "0"}, {"WiFi_IP3", "0"}, {"WiFi_IP4", "7"},
      {"WiFi_EN_Gateway", "1"}, {"WiFi_GAT1", "10"}, {"WiFi_GAT2", "0"}, {"WiFi_GAT3", "0"}, {"WiFi_GAT4", "1"},
      {"WiFi_IP2_IP1", "10"}, {"WiFi_IP2_IP2", "1"}, {"WiFi_IP2_IP3", "0"}, {"WiFi_IP2_IP4", "7"},
      {"WiFi_IP2_EN_Gateway", "1"}, {"WiFi_IP2_GAT1", "10"}, {"WiFi_IP2_GAT2", "1"}, {"WiFi_IP2_GAT3", "0"},
      {"WiFi_IP2_GAT4", "1"}},
     {{1276, bytes({10, 0, 0, 7, 255, 255, 255, 0})},
      {1284, bytes({10, 0, 0, 1, 10, 1, 0, 7, 255, 255, 255, 0, 10, 1, 0, 1})}}},
    {"StationGatewaysOff",
     {{"WiFi_Type", "1"}, {"WiFi_EN_Gateway", "0"}, {"WiFi_IP2_EN_Gateway", "0"}},
     {{1284, bytes({255, 255, 255, 255})},
      {1288, bytes({192, 168, 0, 110, 255, 255, 255, 0, 255, 255, 255, 255})}}},
    {"StationNameOf32CharactersFillsItsField",
     {{"PROFINET_NAME_STA", QString(32, u'n')}},
     {{1012, QByteArray(32, 'n')}, {1044, zeros(4)}}},
    {"StationNameOf33CharactersIsCut", {{"PROFINET_NAME_STA", QString(32, u'n') + u'X'}},
     {{1012, QByteArray(32, 'n')}, {1044, zeros(4)}}},
    {"EmptyStationNameIsZero", {{"PROFINET_NAME_STA", ""}}, {{1012, zeros(32)}}},
    {"HostNameOf31CharactersIsKept", {{"Eth_Conn_Device_Name", QString(31, u'h')}},
     {{1300, QByteArray(31, 'h') + zeros(1)}}},
    {"HostNameOf40CharactersKeeps31", {{"Eth_Conn_Device_Name", QString(30, u'h') + QStringLiteral("XYZabcdefg")}},
     {{1300, QByteArray(30, 'h') + "X" + zeros(1)}}},
    {"StringsKeepTheLowByteOfEachCharacter",
     {{"WiFi_SSID", QStringLiteral("caf\u00E9 \u0141")}, {"WiFi_PWD", QString(70, u'p')}},
     {{1148, field(bytes({'c', 'a', 'f', 0xE9, ' ', 0x41}), 32)}, {1180, QByteArray(64, 'p')}, {1244, zeros(4)}}},
};

INSTANTIATE_TEST_SUITE_P(Table, Bank1Fields, ::testing::ValuesIn(kBank1Cases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Bank 2

TEST(Bank2, WithoutAnyFileIsTheBareHeader) {
    const BuildState s = build(std::nullopt, std::nullopt);
    QByteArray e;
    e += le32(0) + le32(0) + le32(0x800DC) + le16(0);                // mode, poll, broker, port
    e += QByteArray("MQTC") + le32(0) + bytes({4}) + zeros(12);        // connect data, client id
    e += le16(0) + bytes({0, 0}) + QByteArray("MQTW") + le32(0);       // keep alive, flags, will
    e += zeros(24) + bytes({0, 0}) + zeros(24);                        // will texts, flags, user, password
    e += le32(0) + le32(0x80000) + le32(0x80000) + le32(0x80000);     // no subscriptions
    e += le32(0) + le32(0x80000);                                     // no publications
    e += le32(0) + le32(0) + le32(0x800DC) + le32(0);                 // TLS, server certificate
    e += le32(0) + le32(0x800DC) + le32(0) + le32(0x800DC) + le32(0);  // client certificate and key
    e += le32(0) + le32(0x800DC) + le32(0x800DC) + le32(0);           // key password, NTP
    e += bytes({0}) + zeros(24) + bytes({0, 0}) + zeros(12);           // on-connect message, DALI topic
    e += le32(0x800DC) + le32(0) + bytes({0});                        // CA certificate, empty text
    ASSERT_EQ(e.size(), 221);
    EXPECT_EQ(s.bank2Image.toHex(' '), e.toHex(' '));
}

// One subscription, one publication and one certificate, laid out by hand from the tables.
TEST(Bank2, SmallImageMatchesTheHandLayout) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeAll(dir.filePath("server.pem"), "AB\nCD\n");
    const QByteArray parGen = parGenXml({{"MQTT_Server_URL", "broker.lan"},
                                         {"MQTT_Server_Port", "8883"},
                                         {"MQTT_Client_ID", "abcd"},
                                         {"MQTT_Keep_Alive", "60"},
                                         {"MQTT_Clean_Session", "1"},
                                         {"MQTT_ASync_Send_Time", "5"},
                                         {"TLS_Enable", "1"},
                                         {"TLS_En_Server_Auth", "1"},
                                         {"TLS_Server_Auth_Certificate", "server.pem"},
                                         {"NTP_Server_URL", ""},
                                         {"NTP_Poll_Time", "3600"}});
    TopicFile t;
    t.subscribe = {with(with(with(subRow("cmd/set"), "Position", "10"), "QoS", "1"), "DataType", "Int")};
    t.publish = {{{"Topic", QStringLiteral("t/\u00E9")}, {"Retained", "Y"}, {"QoS", "2"}, {"DataType", "Float"},
                  {"Dimension", "4"}, {"Position", "3"}, {"Template", "{\"v\":$VALUE$}"}, {"OnChange", "Y"},
                  {"OnCMD", "N"}, {"OnTimer", "Y"}, {"Time", "500"}, {"Mnemonic", "Temp"}}};
    const BuildState s = build(parGen, topicXml(t), dir.path());

    QByteArray e;
    // Header.
    e += le32(2) + le32(5) + le32(0x80000 + 221) + le16(8883);
    e += QByteArray("MQTC") + le32(0) + bytes({4});
    e += le32(0x80000 + 232) + le32(4) + le32(0x80000 + 232);  // client id
    e += le16(60) + bytes({1, 0});
    e += QByteArray("MQTW") + le32(0) + zeros(24) + bytes({0, 0});
    e += zeros(24);                                                  // user name, password
    e += le32(1) + le32(0x80000 + 246) + le32(0x80000 + 266) + le32(0x80000 + 270);
    e += le32(1) + le32(0x80000 + 305);
    e += le32(1) + le32(1) + le32(0x80000 + 237) + le32(8);         // TLS on, server certificate
    e += le32(0) + le32(0x800DC) + le32(0) + le32(0x800DC) + le32(0);
    e += le32(0) + le32(0x800DC) + le32(0x800DC) + le32(3600);
    e += bytes({0}) + zeros(24) + bytes({0, 0}) + zeros(12);
    e += le32(0x800DC) + le32(0) + bytes({0});
    ASSERT_EQ(e.size(), 221);
    // Pool: header texts.
    e += QByteArray("broker.lan", 11);                               // 221
    e += QByteArray("abcd", 5);                                      // 232
    e += QByteArray("AB\r\nCD\r\n", 9);                              // 237
    // Subscriptions: filter references, filter texts, QoS values, records, templates.
    e += le32(0x80000 + 258) + le32(7) + le32(0x80000 + 258);       // 246
    e += QByteArray("cmd/set", 8);                                   // 258
    e += le32(1);                                                    // 266
    e += le32(10) + le32(2) + le32(1) + le32(0x80000 + 297) + le32(0x800DC) + le32(0) + le16(0) + bytes({0});  // 270
    e += QByteArray("$VALUE$", 8);                                   // 297
    // Publications: record, then description, topic, templates.
    e += le32(0x80000 + 354) + le32(0x80000 + 359) + le32(4) + le32(0x80000 + 359);  // 305
    e += bytes({1}) + le32(2) + le32(0x800DC) + le32(0x80000 + 364) + le32(0) + le32(3) + le16(4) + le16(2);
    e += le32(500) + le32(1 | 4);
    e += QByteArray("Temp", 5);                                      // 354
    e += QByteArray("t/\xC3\xA9", 5);                                // 359
    e += QByteArray("{\"v\":$VALUE$}", 14);                          // 364
    ASSERT_EQ(e.size(), 378);
    EXPECT_EQ(s.bank2Image.toHex(' '), e.toHex(' '));
}

namespace {

// Reads the image the way the device does and records which bytes each item occupies.
class ImageWalker {
public:
    explicit ImageWalker(const QByteArray& image) : img_(image) {}

    uint32_t u32(qsizetype at) const { return rd32(img_, at); }

    // A pointer to a pooled text: inside the image, at the expected text, closed by a 0 byte.
    void pointer(qsizetype at, const QByteArray& expected, const std::string& what) {
        const uint32_t ptr = u32(at);
        if (expected.isEmpty()) {
            EXPECT_EQ(ptr, 0x800DCu) << what;
            return;
        }
        text(ptr, expected, what);
    }
    // A string reference: pointer, length, the same pointer; three zero words for an empty text.
    void reference(qsizetype at, const QByteArray& expected, const std::string& what) {
        const uint32_t p1 = u32(at), len = u32(at + 4), p2 = u32(at + 8);
        if (expected.isEmpty()) {
            EXPECT_EQ(p1, 0u) << what;
            EXPECT_EQ(len, 0u) << what;
            EXPECT_EQ(p2, 0u) << what;
            return;
        }
        EXPECT_EQ(p1, p2) << what;
        EXPECT_EQ(len, static_cast<uint32_t>(expected.size())) << what;
        text(p1, expected, what);
    }
    // A block of `size` bytes at a pointer; returns its offset.
    qsizetype block(uint32_t ptr, qsizetype size, const std::string& what) {
        EXPECT_GE(ptr, 0x80000u + 221) << what;
        const qsizetype off = static_cast<qsizetype>(ptr) - 0x80000;
        EXPECT_LE(off + size, img_.size()) << what;
        claim(off, size, what);
        return off;
    }
    // Every byte after the header belongs to exactly one item.
    void expectPoolCovered() const {
        qsizetype at = 221;
        for (const auto& [start, item] : used_) {
            EXPECT_EQ(start, at) << "gap or overlap before " << item.second;
            at = start + item.first;
        }
        EXPECT_EQ(at, img_.size());
    }

private:
    void text(uint32_t ptr, const QByteArray& expected, const std::string& what) {
        ASSERT_GE(ptr, 0x80000u + 221) << what;
        const qsizetype off = static_cast<qsizetype>(ptr) - 0x80000;
        ASSERT_LT(off + expected.size(), img_.size()) << what;
        EXPECT_EQ(img_.mid(off, expected.size()), expected) << what;
        EXPECT_EQ(img_[off + expected.size()], '\0') << what;
        claim(off, expected.size() + 1, what);
    }
    void claim(qsizetype off, qsizetype size, const std::string& what) {
        EXPECT_TRUE(used_.emplace(off, std::make_pair(size, what)).second) << "two items at one offset: " << what;
    }
    const QByteArray& img_;
    std::map<qsizetype, std::pair<qsizetype, std::string>> used_;
};

}  // namespace

TEST(Bank2, EveryPointerOfARichImageReachesItsText) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeAll(dir.filePath("srv.crt"), "-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n");
    writeAll(dir.filePath("cli.crt"), "CLIENT\r\nLINE2");
    writeAll(dir.filePath("cli.key"), "\xEF\xBB\xBFKEY \xC3\xA9\n");
    const QByteArray parGen = parGenXml({{"MQTT_Server_URL", "mqtt.example.test"},
                                         {"MQTT_Client_ID", QStringLiteral("gw-\u00FC")},
                                         {"MQTT_Will_Topic_Name", "will/t"},
                                         {"MQTT_Will_Message", "gone"},
                                         {"MQTT_Username", "user"},
                                         {"MQTT_Password", "pw"},
                                         {"TLS_Server_Auth_Certificate", "srv.crt"},
                                         {"TLS_Client_Auth_Certificate", "cli.crt"},
                                         {"TLS_Client_Auth_Key", "cli.key"},
                                         {"TLS_Client_CA_Certificate", "missing-ca.crt"},
                                         {"TLS_Client_Auth_Key_Password", "secret"},
                                         {"NTP_Server_URL", "pool.ntp.test"},
                                         {"MQTT_Connection_Topic_Name", "hello/t"},
                                         {"MQTT_Connection_Message", "online"}});
    TopicFile t;
    t.allowCrLf = "Y";
    for (int i = 0; i < 40; ++i) {
        Attrs r = pubRow(QStringLiteral("pub/\u20AC/%1").arg(i),
                         i % 5 == 0 ? QString() : QStringLiteral("{\"n\":%1,\r\n\"v\":$VALUE$}").arg(i));
        if (i % 7 == 0) r = with(r, "Mnemonic", "");
        else r = with(r, "Mnemonic", QStringLiteral("description %1").arg(i));
        t.publish.push_back(r);
    }
    for (int i = 0; i < 30; ++i)
        t.subscribe.push_back(subRow(QStringLiteral("sub/%1/#").arg(i),
                                     i % 4 == 0 ? QString() : QStringLiteral("@I%1.16@ x").arg(8 * i)));
    const BuildState s = build(parGen, topicXml(t), dir.path());
    const QByteArray& img = s.bank2Image;
    ImageWalker w(img);

    w.pointer(8, "mqtt.example.test", "broker");
    w.reference(23, QStringLiteral("gw-\u00FC").toUtf8(), "client id");
    w.reference(47, "will/t", "will topic");
    w.reference(59, "gone", "will message");
    w.reference(73, "user", "user name");
    w.reference(85, "pw", "password");
    const QByteArray srv = "-----BEGIN CERTIFICATE-----\r\nMIIB\r\n-----END CERTIFICATE-----\r\n";
    w.pointer(129, srv, "server certificate");
    EXPECT_EQ(w.u32(133), static_cast<uint32_t>(srv.size()));
    w.pointer(141, "CLIENT\r\nLINE2\r\n", "client certificate");
    EXPECT_EQ(w.u32(145), 15u);
    w.pointer(149, "KEY \xC3\xA9\r\n", "client key");
    EXPECT_EQ(w.u32(153), 8u);
    w.pointer(161, "secret", "key password");
    w.pointer(165, "pool.ntp.test", "NTP server");
    w.reference(174, "hello/t", "connection topic");
    w.reference(186, "online", "connection message");
    w.reference(200, "", "DALI answer topic");
    w.pointer(212, "missing-ca.crt", "CA certificate stored by name");
    EXPECT_EQ(w.u32(216), 14u);

    const uint32_t n = w.u32(97);
    ASSERT_EQ(n, 30u);
    const qsizetype filters = w.block(w.u32(101), 12 * n, "filter references");
    const qsizetype qos = w.block(w.u32(105), 4 * n, "QoS values");
    const qsizetype subs = w.block(w.u32(109), 27 * n, "subscription records");
    for (uint32_t i = 0; i < n; ++i) {
        const std::string tag = "subscription " + std::to_string(i);
        w.reference(filters + 12 * i, QStringLiteral("sub/%1/#").arg(i).toUtf8(), tag + " topic");
        EXPECT_EQ(w.u32(qos + 4 * i), 1u) << tag;
        const qsizetype r = subs + 27 * i;
        w.pointer(r + 12, i % 4 == 0 ? QByteArray() : QStringLiteral("@I%1.16@ x").arg(8 * i).toUtf8(), tag + " template");
        w.pointer(r + 16, QByteArray(), tag + " output template");
        if (i % 4 != 0) {
            EXPECT_EQ(w.u32(r), i) << tag;       // bit 8 i is byte i
            EXPECT_EQ(w.u32(r + 4), 3u) << tag;  // 16 bits starting on a byte boundary reach a third byte
        }
    }
    const uint32_t m = w.u32(113);
    ASSERT_EQ(m, 40u);
    const qsizetype pubs = w.block(w.u32(117), 49 * m, "publication records");
    for (uint32_t i = 0; i < m; ++i) {
        const std::string tag = "publication " + std::to_string(i);
        const qsizetype r = pubs + 49 * i;
        w.pointer(r, i % 7 == 0 ? QByteArray() : QStringLiteral("description %1").arg(i).toUtf8(), tag + " description");
        w.reference(r + 4, QStringLiteral("pub/\u20AC/%1").arg(i).toUtf8(), tag + " topic");
        w.pointer(r + 21, QByteArray(), tag + " input template");
        w.pointer(r + 25, i % 5 == 0 ? QByteArray() : QStringLiteral("{\"n\":%1,\r\n\"v\":$VALUE$}").arg(i).toUtf8(),
                  tag + " template");
    }
    w.expectPoolCovered();
}

// ---------------------------------------------------------------------------------------------
// What the topic file's rows become.

TEST(Bank2Rows, PublicationFields) {
    TopicFile t;
    t.publish = {
        with(with(with(pubRow("a\r\nb"), "Template", "x\r\ny"), "OnTimer", "N"), "Time", "500"),
        with(with(with(with(pubRow("c"), "OnTimer", "y"), "Time", " 250 "), "Retained", "y"), "OnCMD", "Y"),
        with(with(with(pubRow("d"), "OnTimer", "Y"), "Time", "soon"), "OnChange", "N"),
        without(without(without(without(pubRow("e"), "Template"), "DataType"), "Dimension"), "Position"),
        with(with(with(pubRow("f"), "DataType", " sint "), "Dimension", "70000"), "Position", "x"),
    };
    const BuildState s = build(parGenXml({}), topicXml(t));
    const auto& p = s.mqtt.Publish_Data;
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[0].Publish_Topic.CString, "ab");  // a topic never keeps line breaks
    EXPECT_EQ(p[0].Output_Template, "xy");        // the option is "N"
    EXPECT_EQ(p[0].Timer, 0u);                    // no timer event: no period
    EXPECT_EQ(p[0].Options, 1u);
    EXPECT_EQ(p[1].Timer, 250u);
    EXPECT_EQ(p[1].Retained, 1);
    EXPECT_EQ(p[1].Options, 1u | 2u | 4u);
    EXPECT_EQ(p[2].Timer, 0u);
    EXPECT_EQ(p[2].Options, 4u);
    EXPECT_EQ(p[3].Output_Template, "$VALUE$");
    EXPECT_EQ(p[3].Type_Data, 0);
    EXPECT_EQ(p[3].Length, 4);
    EXPECT_EQ(p[3].Position, 0u);
    EXPECT_EQ(p[4].Type_Data, 4);
    EXPECT_EQ(p[4].Length, 70000 & 0xFFFF);
    EXPECT_EQ(p[4].Position, 0u);
}

TEST(Bank2Rows, LineBreaksFollowTheOptionOnlyInPublicationTemplates) {
    for (const char* option : {"Y", "N", "y"}) {
        TopicFile t;
        t.allowCrLf = option;
        t.publish = {pubRow("p\n", "a\r\nb")};
        t.subscribe = {subRow("s\r", "c\r\nd")};
        const BuildState s = build(parGenXml({}), topicXml(t));
        const bool allowed = QString::fromLatin1(option) == u"Y";
        EXPECT_EQ(s.mqtt.Publish_Data[0].Output_Template, allowed ? "a\r\nb" : "ab") << option;
        EXPECT_EQ(s.mqtt.Subscribe_Data[0].Input_Template, "c\r\nd") << option;
        EXPECT_EQ(s.mqtt.Publish_Data[0].Publish_Topic.CString, "p") << option;
        EXPECT_EQ(s.mqtt.Topic_Filters[0].CString, "s") << option;
    }
}

TEST(Bank2Rows, SubscriptionRangeFromTheTemplateReplacesPositionAndDimension) {
    TopicFile t;
    t.subscribe = {with(with(subRow("plain", "$VALUE$"), "Position", "12"), "Dimension", "8"),
                   with(with(subRow("ranged", "@I8.8@"), "Position", "12"), "Dimension", "8"),
                   with(with(subRow("two", "@I0.8@ @I32.8@"), "Position", "12"), "Dimension", "8"),
                   without(subRow("bare"), "Template")};
    const BuildState s = build(parGenXml({}), topicXml(t));
    const auto& d = s.mqtt.Subscribe_Data;
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(std::make_pair(d[0].Position, d[0].Length), std::make_pair(12u, 8u));
    EXPECT_EQ(std::make_pair(d[1].Position, d[1].Length), std::make_pair(1u, 2u));
    EXPECT_EQ(std::make_pair(d[2].Position, d[2].Length), std::make_pair(0u, 6u));
    EXPECT_EQ(d[3].Input_Template, "$VALUE$");
    EXPECT_EQ(d[0].Type_SubData, 1u);
}

TEST(Bank2Rows, WithoutParGenTheRowsLoseTheirMappingAndOneSubscriptionRemains) {
    TopicFile t;
    t.publish = {with(pubRow("p"), "Position", "5")};
    t.subscribe = {subRow("s1", "@I8.8@"), subRow("s2"), subRow("s3")};
    const BuildState s = build(std::nullopt, topicXml(t));
    EXPECT_EQ(s.mqtt.Mode, 0u);
    ASSERT_EQ(s.mqtt.Subscribe_Data.size(), 1u);
    EXPECT_EQ(s.mqtt.Subscribe_Data[0].Position, 0u);
    EXPECT_EQ(s.mqtt.Subscribe_Data[0].Length, 0u);
    EXPECT_EQ(s.mqtt.Subscribe_Data[0].Type_SubData, 0u);
    EXPECT_EQ(s.mqtt.Subscribe_Data[0].Input_Template, "@I8.8@");
    ASSERT_EQ(s.mqtt.Publish_Data.size(), 1u);
    EXPECT_EQ(s.mqtt.Publish_Data[0].Position, 0u);
    EXPECT_EQ(s.mqtt.Publish_Data[0].Length, 0);
    EXPECT_EQ(s.mqtt.Publish_Data[0].Output_Template, "$VALUE$");
    EXPECT_EQ(rd32(s.bank2Image, 97), 1u);
}

TEST(Bank2Rows, ParGenParametersAndTheirBadValues) {
    const BuildState bad = build(parGenXml({{"MQTT_Server_Port", "port"}, {"NTP_Poll_Time", ""}}), std::nullopt);
    EXPECT_EQ(bad.mqtt.Mode, 2u);
    EXPECT_EQ(bad.mqtt.Server_Port, 1883);
    EXPECT_EQ(bad.mqtt.Time_Poll, 10u);
    EXPECT_EQ(bad.mqtt.NTP_Server_Poll, 1000u);
    const BuildState set = build(parGenXml({{"MQTT_Keep_Alive", "120"}, {"MQTT_WillFlag", "1"}, {"MQTT_Will_QoS", "2"},
                                            {"MQTT_Will_Retained", "1"}, {"MQTT_PublishTopicConnection", "1"},
                                            {"MQTT_Connection_Retained", "1"}, {"TLS_En_Client_Auth", "01"},
                                            {"MQTT_Server_URL", "  spaced  "}}),
                                 std::nullopt);
    const QByteArray& h = set.bank2Image;
    EXPECT_EQ(rd16(h, 35), 120u);
    EXPECT_EQ(h[38], 1);
    EXPECT_EQ(h[71], 1);
    EXPECT_EQ(h[72], 2);
    EXPECT_EQ(h[173], 1);
    EXPECT_EQ(h[198], 1);
    EXPECT_EQ(h[199], 0);
    EXPECT_EQ(rd32(h, 137), 1u);  // stored as its integer value
    EXPECT_EQ(h.mid(221, 11), QByteArray("  spaced  ", 11));  // texts are taken untrimmed
}

TEST(Bank2Rows, ABrokerAddressOfTenCharactersMovesThePool) {
    const BuildState s = build(parGenXml({{"MQTT_Server_URL", "0123456789"}, {"MQTT_Client_ID", "next"}}), std::nullopt);
    EXPECT_EQ(rd32(s.bank2Image, 8), 0x800DDu);
    EXPECT_EQ(rd32(s.bank2Image, 23), 0x80000u + 232);
}

// ---------------------------------------------------------------------------------------------
// Helpers with rules of their own.

struct RangeCase {
    const char* name;
    QString tmpl;
    bool found;
    int64_t first;
    int64_t count;
};
void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.name; }


class TemplateRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(TemplateRange, CoversEveryField) {
    const RangeCase& c = GetParam();
    int64_t first = -99, count = -99;
    EXPECT_EQ(Template_Byte_Range(c.tmpl, first, count), c.found);
    if (c.found) {
        EXPECT_EQ(first, c.first);
        EXPECT_EQ(count, c.count);
    }
}

QString manyFields(int count) {
    // Offsets rise, then the largest end comes last, far beyond the hundred-and-first field.
    QString out;
    for (int i = 0; i < count; ++i) out += QStringLiteral("@I%1.8@ ").arg(8 * i);
    return out;
}

const RangeCase kRangeCases[] = {
    {"NoAt", "$VALUE$", false, 0, 0},
    {"OneAtOnly", "value @ here", false, 0, 0},
    {"UnclosedField", "@I8.8", false, 0, 0},
    {"OneField", "@I8.8@", true, 1, 2},
    {"TwoFields", "@I0.8@ @I32.8@", true, 0, 6},
    {"SixteenBitsReachAThirdByte", "@I0.16@", true, 0, 3},
    {"TextAroundTheField", "{\"v\":@F16.32@}", true, 2, 5},
    {"AdjacentFields", "@I8.8@@I16.8@", true, 1, 3},
    {"BlanksAroundNumbersAreTrimmed", "@I 8 . 8 @", true, 1, 2},
    {"NoDotMeansOffsetZero", "@I16@", true, 0, 3},
    {"EmptyOffsetIsZero", "@I.8@", true, 0, 2},
    {"ZeroCountIsDropped", "@I8.0@", false, 0, 0},
    {"CountNotAnIntegerIsDropped", "@Ia.b@", false, 0, 0},
    {"DroppedFieldDoesNotCount", "@I8.0@ @I64.8@", true, 8, 2},
    {"LaterSmallerOffsetLowersTheStart", "@I64.8@ @I8.8@", true, 1, 9},
    {"DivisionTruncatesTowardZero", "@I-4.16@", true, 0, 2},
    {"NoLimitOnTheNumberOfFields", manyFields(300), true, 0, 301},
    {"SumsBeyond32Bits", "@I2147483647.2147483647@", true, 268435455, 268435457},
};

INSTANTIATE_TEST_SUITE_P(Table, TemplateRange, ::testing::ValuesIn(kRangeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DataTypeCode, MapsTheUpperCasedTrimmedName) {
    const std::pair<const char*, uint32_t> cases[] = {{"String", 0}, {"Int", 1},  {"Float", 2},   {"Base64", 3},
                                                      {"SInt", 4},   {" int ", 1}, {"", 0},        {"Double", 0},
                                                      {"float32", 0}};
    for (const auto& [text, code] : cases) EXPECT_EQ(DataType_Code(QString::fromLatin1(text)), code) << text;
}

struct CertCase {
    const char* name;
    const char* fileName;   // the file put into the folder (nullptr: none)
    QByteArray content;
    QString element;        // what "ParGen.xml" names
    QByteArray expected;    // the UTF-8 bytes that go into the image
};
void PrintTo(const CertCase& c, std::ostream* os) { *os << c.name; }


class Certificate : public ::testing::TestWithParam<CertCase> {};

TEST_P(Certificate, FollowsTheCertificateRule) {
    const CertCase& c = GetParam();
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    QDir(root.path()).mkdir("Certificates");
    const QString certs = root.filePath("Certificates");
    if (c.fileName) writeAll(certs + u'/' + QString::fromLatin1(c.fileName), c.content);
    // A file beside the folder, which a name with a path could reach.
    writeAll(root.filePath("outside.pem"), "SECRET\n");
    QString error;
    const auto text = Load_Certificate(c.element, certs, &error);
    ASSERT_TRUE(text.has_value()) << error.toStdString();
    EXPECT_EQ(text->toUtf8(), c.expected);
}

const CertCase kCertCases[] = {
    {"LfLinesBecomeCrLfWithAFinalOne", "a.pem", "L1\nL2\n", "a.pem", "L1\r\nL2\r\n"},
    {"CrLfLinesStay", "a.pem", "L1\r\nL2\r\n", "a.pem", "L1\r\nL2\r\n"},
    {"LastLineWithoutBreakGetsOne", "a.pem", "L1\nL2", "a.pem", "L1\r\nL2\r\n"},
    {"BareCrEndsALine", "a.pem", "L1\rL2", "a.pem", "L1\r\nL2\r\n"},
    {"EmptyLinesAreKept", "a.pem", "L1\n\nL2\n", "a.pem", "L1\r\n\r\nL2\r\n"},
    {"EmptyFileIsEmpty", "a.pem", "", "a.pem", ""},
    {"Utf8ByteOrderMark", "a.pem", "\xEF\xBB\xBF\xC3\xA9\n", "a.pem", "\xC3\xA9\r\n"},
    {"NoMarkReadsTheCodePage", "a.pem", "\xE9\x80\n", "a.pem", "\xC3\xA9\xE2\x82\xAC\r\n"},
    {"MissingFileIsStoredByName", nullptr, "", "ca.crt", "ca.crt"},
    {"EmptyNameIsEmpty", "a.pem", "X", "", ""},
    {"RelativePathIsNeverRead", nullptr, "", "../outside.pem", "../outside.pem"},
    {"BackslashPathIsNeverRead", nullptr, "", "..\\outside.pem", "..\\outside.pem"},
};

INSTANTIATE_TEST_SUITE_P(Table, Certificate, ::testing::ValuesIn(kCertCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CertificateRule, AnAbsolutePathIsStoredAsGivenAndNotRead) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    writeAll(root.filePath("abs.pem"), "SECRET\n");
    const QString name = root.filePath("abs.pem");
    QString error;
    EXPECT_EQ(Load_Certificate(name, root.filePath("Certificates"), &error), std::optional<QString>(name));
}

// ---------------------------------------------------------------------------------------------
// The step: build, refuse, write.

namespace {

class ImageStep : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        savedPath_ = g_ProjectPath;
        g_ProjectPath = dir_.path();
        Set_Files();
        QDir(dir_.path()).mkdir("bin");
        QDir(dir_.path()).mkdir("Certificates");
    }
    void TearDown() override {
        g_ProjectPath = savedPath_;
        Set_Files();
    }
    QString bin(const char* name) const { return dir_.path() + "/bin/" + name; }
    void putOldImages() {
        writeAll(bin("bank1.bin"), "old1");
        writeAll(bin("bank2.bin"), "old2");
    }
    QTemporaryDir dir_;
    QString savedPath_;
    RecordingDialogs dialogs_;
};

}  // namespace

TEST_F(ImageStep, BuildImagesWritesBothFiles) {
    writeAll(g_ParGenFile, parGenXml({{"MQTT_Server_URL", "b"}}));
    TopicFile t;
    t.publish = {pubRow("p")};
    t.subscribe = {subRow("s")};
    writeAll(g_MQTTSetTopicFile, topicXml(t));
    putOldImages();
    QString error;
    ASSERT_TRUE(Build_Images(&error)) << error.toStdString();
    EXPECT_TRUE(dialogs_.shown.empty());
    EXPECT_EQ(readAll(bin("bank1.bin")), Bank1_Image());
    EXPECT_EQ(readAll(bin("bank2.bin")), Bank2_Image());
    EXPECT_EQ(Bank1_Image().size(), 2048);
    EXPECT_EQ(rd32(Bank2_Image(), 0), 2u);
    EXPECT_EQ(rd32(Bank2_Image(), 97), 1u);
    EXPECT_EQ(rd32(Bank2_Image(), 113), 1u);
}

TEST_F(ImageStep, NothingOfAnEarlierBuildSurvives) {
    writeAll(g_ParGenFile, parGenXml({{"PROFINET_NAME_STA", "station"}, {"MQTT_Server_URL", "broker"}}));
    TopicFile t;
    t.publish = {pubRow("p")};
    writeAll(g_MQTTSetTopicFile, topicXml(t));
    ASSERT_TRUE(Build_Images());
    QFile::remove(g_ParGenFile);
    QFile::remove(g_MQTTSetTopicFile);
    ASSERT_TRUE(Build_Images());
    EXPECT_EQ(rd32(readAll(bin("bank1.bin")), 2044), 3466u);
    EXPECT_EQ(readAll(bin("bank2.bin")).size(), 221);
}

struct RefusalCase {
    const char* name;
    QByteArray topics;
    QStringList mustName;  // words the message must hold
};
void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }


class ImageStepRefusal : public ImageStep, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ImageStepRefusal, StopsBeforeAnyFileIsWritten) {
    const RefusalCase& c = GetParam();
    writeAll(g_ParGenFile, parGenXml({}));
    writeAll(g_MQTTSetTopicFile, c.topics);
    putOldImages();
    QString error;
    EXPECT_FALSE(Build_Images(&error));
    ASSERT_EQ(dialogs_.errors().size(), 1);
    EXPECT_EQ(dialogs_.errors().front(), error);
    for (const QString& word : c.mustName) EXPECT_TRUE(error.contains(word)) << error.toStdString() << " lacks " << word.toStdString();
    EXPECT_EQ(readAll(bin("bank1.bin")), "old1");
    EXPECT_EQ(readAll(bin("bank2.bin")), "old2");
}

TopicFile withPub(std::vector<Attrs> rows) {
    TopicFile t;
    t.publish = std::move(rows);
    return t;
}
TopicFile withSub(std::vector<Attrs> rows) {
    TopicFile t;
    t.subscribe = std::move(rows);
    return t;
}

const RefusalCase kRefusals[] = {
    {"NotWellFormed", "<MQTT_Set_Topic><MQTT_Publish>", {"MQTT_Set_Topic.xml"}},
    {"PublishSectionMissing", topicXml([] { TopicFile t; t.withPublish = false; return t; }()), {"MQTT_Publish"}},
    {"SubscribeSectionMissing", topicXml([] { TopicFile t; t.withSubscribe = false; return t; }()), {"MQTT_Subscribe"}},
    {"PublicationWithoutTopic", topicXml(withPub({pubRow("a"), without(pubRow("b"), "Topic")})),
     {"MQTT_Publish", "row 2", "\"Topic\""}},
    {"PublicationWithoutRetained", topicXml(withPub({without(pubRow("a"), "Retained")})),
     {"MQTT_Publish", "row 1", "\"Retained\""}},
    {"PublicationWithoutMnemonic", topicXml(withPub({without(pubRow("a"), "Mnemonic")})),
     {"MQTT_Publish", "row 1", "\"Mnemonic\""}},
    {"PublicationQoSNotAnInteger", topicXml(withPub({pubRow("a"), pubRow("b"), with(pubRow("c"), "QoS", "high")})),
     {"MQTT_Publish", "row 3", "\"QoS\"", "high"}},
    {"PublicationQoSEmpty", topicXml(withPub({with(pubRow("a"), "QoS", "")})), {"MQTT_Publish", "row 1", "\"QoS\""}},
    {"SubscriptionWithoutTopic", topicXml(withSub({without(subRow("a"), "Topic")})),
     {"MQTT_Subscribe", "row 1", "\"Topic\""}},
    {"SubscriptionWithoutQoS", topicXml(withSub({subRow("a"), without(subRow("b"), "QoS")})),
     {"MQTT_Subscribe", "row 2", "\"QoS\""}},
    {"SubscriptionQoSNotAnInteger", topicXml(withSub({with(subRow("a"), "QoS", "1.5")})),
     {"MQTT_Subscribe", "row 1", "\"QoS\""}},
};

INSTANTIATE_TEST_SUITE_P(Table, ImageStepRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImageStep, ParGenNotWellFormedStopsTheStep) {
    writeAll(g_ParGenFile, "<Par_Gen><MQTT_Server_URL>x</Par_Gen>");
    putOldImages();
    EXPECT_FALSE(Build_Images());
    ASSERT_EQ(dialogs_.errors().size(), 1);
    EXPECT_TRUE(dialogs_.errors().front().contains("ParGen.xml"));
    EXPECT_EQ(readAll(bin("bank1.bin")), "old1");
}

// Publications whose one template is sized so that the image ends exactly `excess` bytes past
// the area (0: it fills the area exactly).
QByteArray topicsOfSize(int targetSize) {
    const auto file = [](int templateLength) {
        TopicFile t;
        t.publish = {pubRow("p", QString(templateLength, u't'))};
        return topicXml(t);
    };
    BuildState probe;
    QString error;
    EXPECT_TRUE(Build_Banks(probe, {parGenXml({}), file(1), {}}, &error));
    return file(1 + targetSize - static_cast<int>(probe.bank2Image.size()));
}

TEST_F(ImageStep, AnImageThatFillsItsAreaExactlyIsWritten) {
    writeAll(g_ParGenFile, parGenXml({}));
    writeAll(g_MQTTSetTopicFile, topicsOfSize(kBank2Capacity));
    ASSERT_TRUE(Build_Images());
    EXPECT_EQ(readAll(bin("bank2.bin")).size(), kBank2Capacity);
}

TEST_F(ImageStep, AnImageLargerThanItsAreaIsRefused) {
    writeAll(g_ParGenFile, parGenXml({}));
    writeAll(g_MQTTSetTopicFile, topicsOfSize(kBank2Capacity + 1));
    putOldImages();
    QString error;
    EXPECT_FALSE(Build_Images(&error));
    EXPECT_TRUE(error.contains("524289")) << error.toStdString();
    EXPECT_TRUE(error.contains("524288")) << error.toStdString();
    EXPECT_EQ(dialogs_.errors().size(), 1);
    EXPECT_EQ(readAll(bin("bank1.bin")), "old1");
    EXPECT_EQ(readAll(bin("bank2.bin")), "old2");
}

TEST_F(ImageStep, AMissingBinFolderIsReported) {
    QDir(dir_.path() + "/bin").removeRecursively();
    QString error;
    EXPECT_FALSE(Build_Images(&error));
    EXPECT_EQ(dialogs_.errors().size(), 1);
    EXPECT_TRUE(error.contains("bank1.bin")) << error.toStdString();
}

TEST_F(ImageStep, AFailedSecondWriteIsReported) {
    QDir(dir_.path()).mkpath("bin/bank2.bin");  // a folder where the file should go
    QString error;
    EXPECT_FALSE(Build_Images(&error));
    EXPECT_EQ(dialogs_.errors().size(), 1);
    EXPECT_TRUE(error.contains("bank2.bin")) << error.toStdString();
}

TEST_F(ImageStep, CertificatesComeFromTheProjectFolder) {
    writeAll(dir_.path() + "/Certificates/ca.pem", "CA\n");
    writeAll(g_ParGenFile, parGenXml({{"TLS_Client_CA_Certificate", "ca.pem"}, {"TLS_Server_Auth_Certificate", "gone.pem"}}));
    ASSERT_TRUE(Build_Images());
    const QByteArray img = readAll(bin("bank2.bin"));
    EXPECT_EQ(rd32(img, 216), 4u);                      // "CA\r\n"
    EXPECT_EQ(rd32(img, 133), 8u);                      // "gone.pem"
    EXPECT_EQ(img.mid(221, 9), QByteArray("gone.pem", 9));
    EXPECT_EQ(img.mid(230, 5), QByteArray("CA\r\n", 5));
}
