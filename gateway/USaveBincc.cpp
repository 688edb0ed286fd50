#include "gateway/USaveBincc.h"

#include "platform/Files.h"
#include "platform/IntConv.h"
#include "platform/UserDialogs.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"

#include <QtGlobal>
#include <algorithm>
#include <span>

namespace USaveBincc {
namespace {

// ---- Little-endian writes into the bank-1 record. ----

void put8(TBank1& b, int at, uint32_t v) { b[at] = static_cast<uint8_t>(v); }
void put16(TBank1& b, int at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(TBank1& b, int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void putBytes(TBank1& b, int at, std::array<uint8_t, 4> v) { std::copy(v.begin(), v.end(), b.begin() + at); }
void zero(TBank1& b, int from, int to) { std::fill(b.begin() + from, b.begin() + to + 1, uint8_t{0}); }
void putInt(TBank1& b, int at, int width, uint32_t v) {
    if (width == 1) put8(b, at, v);
    else if (width == 2) put16(b, at, v);
    else put32(b, at, v);
}

// ---- Little-endian appends for bank 2. ----

class LeWriter {
public:
    explicit LeWriter(QByteArray& out) : out_(out) {}
    void u8(uint32_t v) { out_.append(static_cast<char>(static_cast<uint8_t>(v))); }
    void u16(uint32_t v) {
        u8(v);
        u8(v >> 8);
    }
    void u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) u8(v >> (8 * i));
    }
    void chars(const std::array<char, 4>& id) { out_.append(id.data(), 4); }
    void text(const QByteArray& t) {
        if (t.isEmpty()) return;  // an empty text takes no bytes
        out_.append(t);
        out_.append('\0');
    }
    qsizetype pos() const { return out_.size(); }

private:
    QByteArray& out_;
};

// ---- Element lookup in "ParGen.xml": by name among the root's children, first of that name. ----

class ParGen {
public:
    explicit ParGen(plat::XmlElement root) : root_(root) {}
    std::optional<QString> text(const char* name) const {
        const plat::XmlElement e = root_.child(QString::fromLatin1(name));
        if (e.isNull()) return std::nullopt;
        return e.text();
    }
    // The element as an integer; `bad` when it is missing or not an integer.
    int32_t integer(const char* name, int32_t bad) const {
        const auto t = text(name);
        if (!t) return bad;
        return plat::tryStrToInt(*t).value_or(bad);
    }
    // A switch counts as on only when its text is exactly "1".
    bool on(const char* name) const { return text(name).value_or(QString()) == u"1"; }

private:
    plat::XmlElement root_;
};

// ---- Bank 1 fields, as the parameter table gives them. ----

// Four elements <prefix>1 .. <prefix>4, one byte each in that order.
struct OctetField {
    int offset;
    const char* prefix;
    std::array<uint8_t, 4> bad;
};

constexpr OctetField kProfinetIP{40, "PROFINET_IP", {192, 168, 0, 5}};
constexpr OctetField kProfinetSM{44, "PROFINET_SM", {255, 255, 255, 0}};
constexpr OctetField kProfinetGAT{48, "PROFINET_GAT", {192, 168, 0, 1}};
constexpr OctetField kEthernetIP{388, "Ethernet_IP", {192, 168, 0, 10}};
constexpr OctetField kEthernetSM{392, "Ethernet_SM", {255, 255, 255, 0}};
constexpr OctetField kEthernetGAT{396, "Ethernet_GAT", {192, 168, 0, 1}};
constexpr OctetField kWiFiDhcpFirst{1260, "WiFi_DHCP_First_IP", {192, 168, 0, 200}};
constexpr OctetField kWiFiDhcpSM{1264, "WiFi_DHCP_SM", {255, 255, 255, 0}};
constexpr OctetField kWiFiIP{1276, "WiFi_IP", {192, 168, 0, 100}};
constexpr OctetField kWiFiSM{1280, "WiFi_SM", {255, 255, 255, 0}};
constexpr OctetField kWiFiGAT{1284, "WiFi_GAT", {192, 168, 0, 1}};
constexpr OctetField kWiFi2IP{1288, "WiFi_IP2_IP", {192, 168, 0, 110}};
constexpr OctetField kWiFi2SM{1292, "WiFi_IP2_SM", {255, 255, 255, 0}};
constexpr OctetField kWiFi2GAT{1296, "WiFi_IP2_GAT", {192, 168, 0, 1}};
constexpr OctetField kSecondaryDNS{1340, "Eth_Conn_Secondary_DNS", {8, 8, 4, 4}};
constexpr OctetField kPrimaryDNS{1420, "Eth_Conn_Primary_DNS", {8, 8, 8, 8}};

struct IntField {
    int offset;
    int width;
    const char* element;
    int32_t bad;
};

constexpr IntField kProfinetPort{104, 2, "PROFINET_PORT", 2000};
constexpr IntField kProfinetNbIn{116, 4, "PROFINET_NB_IN", 1438};
constexpr IntField kProfinetNbOut{120, 4, "PROFINET_NB_OUT", 1438};
constexpr IntField kWiFiType{1273, 1, "WiFi_Type", 0};
// Access point only (Wi-Fi type 0).
constexpr IntField kAccessPointFields[] = {
    {1258, 1, "WiFi_EN_DHCP", 0},
    {1259, 1, "WiFi_Secure_Type", 0},
    {1268, 4, "WiFi_Lease_Time", 86400},
};
constexpr IntField kWiFiChannel{1274, 1, "WiFi_Channel", 1};
constexpr int kAutomaticChannelOffset = 1275;
constexpr int kMaxClientOffset = 1272;
constexpr int kDhcpFlagsOffset = 1256;
constexpr int kDiagnosticOffset = 384;

struct StringField {
    int offset;
    int width;
    int maxChars;
    const char* element;
    const char* missing;  // the value when the element is missing
};

constexpr StringField kHostName{1300, 32, 31, "Eth_Conn_Device_Name", ""};
constexpr StringField kStationName{1012, 32, 32, "PROFINET_NAME_STA", "devicename1"};
constexpr StringField kSSID{1148, 32, 32, "WiFi_SSID", ""};
constexpr StringField kWiFiPassword{1180, 64, 64, "WiFi_PWD", ""};

void readOctets(TBank1& b, const ParGen& p, const OctetField& f) {
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = QByteArray(f.prefix) + char('1' + i);
        put8(b, f.offset + i, static_cast<uint32_t>(p.integer(name.constData(), f.bad[i])));
    }
}

// The DHCP server's range fields are one number made of the four elements, first + second x 2^8 +
// third x 2^16 + fourth x 2^24: an element outside 0..255 carries into (or borrows from) its neighbours.
void readAssembled(TBank1& b, const ParGen& p, const OctetField& f) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = QByteArray(f.prefix) + char('1' + i);
        value += static_cast<uint32_t>(p.integer(name.constData(), f.bad[i])) << (8 * i);
    }
    put32(b, f.offset, value);
}

// A gateway address that is not in use is stored as 255.255.255.255.
void readGateway(TBank1& b, const ParGen& p, const OctetField& f, const char* enableElement) {
    if (p.on(enableElement)) readOctets(b, p, f);
    else putBytes(b, f.offset, {255, 255, 255, 255});
}

void readInt(TBank1& b, const ParGen& p, const IntField& f) {
    putInt(b, f.offset, f.width, static_cast<uint32_t>(p.integer(f.element, f.bad)));
}

// One byte per character (the low byte of its 16-bit code), no terminator of its own.
void readString(TBank1& b, const ParGen& p, const StringField& f) {
    const QString text = p.text(f.element).value_or(QString::fromLatin1(f.missing));
    const qsizetype n = std::min<qsizetype>(text.size(), f.maxChars);
    zero(b, f.offset, f.offset + f.width - 1);
    for (qsizetype i = 0; i < n; ++i) b[f.offset + i] = static_cast<uint8_t>(text[i].unicode() & 0xFF);
}

// ---- Bank 2 parameter fields taken from "ParGen.xml". ----

struct MqttTextField {
    const char* element;
    QByteArray& (*target)(TMQTT&);
};

constexpr MqttTextField kMqttTexts[] = {
    {"MQTT_Server_URL", [](TMQTT& m) -> QByteArray& { return m.Server_Address; }},
    {"MQTT_Client_ID", [](TMQTT& m) -> QByteArray& { return m.Connect_Data.ClientID.CString; }},
    {"MQTT_Will_Topic_Name", [](TMQTT& m) -> QByteArray& { return m.Connect_Data.Will.TopicName.CString; }},
    {"MQTT_Will_Message", [](TMQTT& m) -> QByteArray& { return m.Connect_Data.Will.WillMessage.CString; }},
    {"MQTT_Connection_Topic_Name", [](TMQTT& m) -> QByteArray& { return m.onconnect.topicName.CString; }},
    {"MQTT_Connection_Message", [](TMQTT& m) -> QByteArray& { return m.onconnect.conn_message.CString; }},
    {"MQTT_Username", [](TMQTT& m) -> QByteArray& { return m.Connect_Data.Username.CString; }},
    {"MQTT_Password", [](TMQTT& m) -> QByteArray& { return m.Connect_Data.Password.CString; }},
    {"TLS_Client_Auth_Key_Password", [](TMQTT& m) -> QByteArray& { return m.TLS_Client_Key_Pass; }},
    {"NTP_Server_URL", [](TMQTT& m) -> QByteArray& { return m.NTP_Server_Address; }},
};

constexpr MqttTextField kCertificates[] = {
    {"TLS_Server_Auth_Certificate", [](TMQTT& m) -> QByteArray& { return m.TLS_Server_Cert; }},
    {"TLS_Client_CA_Certificate", [](TMQTT& m) -> QByteArray& { return m.TLS_CA_Cert; }},
    {"TLS_Client_Auth_Certificate", [](TMQTT& m) -> QByteArray& { return m.TLS_Client_Cert; }},
    {"TLS_Client_Auth_Key", [](TMQTT& m) -> QByteArray& { return m.TLS_Client_Key; }},
};

// Integers are stored in the field's width by keeping their low bytes.
struct MqttIntField {
    const char* element;
    int32_t bad;
    void (*store)(TMQTT&, uint32_t);
};

constexpr MqttIntField kMqttInts[] = {
    {"Working_Mode", 2, [](TMQTT& m, uint32_t v) { m.Mode = v; }},
    {"MQTT_Server_Port", 1883, [](TMQTT& m, uint32_t v) { m.Server_Port = static_cast<uint16_t>(v); }},
    {"MQTT_Keep_Alive", 0, [](TMQTT& m, uint32_t v) { m.Connect_Data.KeepAliveInterval = static_cast<uint16_t>(v); }},
    {"MQTT_Clean_Session", 0, [](TMQTT& m, uint32_t v) { m.Connect_Data.CleanSession = static_cast<uint8_t>(v); }},
    {"MQTT_WillFlag", 0, [](TMQTT& m, uint32_t v) { m.Connect_Data.WillFlag = static_cast<uint8_t>(v); }},
    {"MQTT_Will_Retained", 0, [](TMQTT& m, uint32_t v) { m.Connect_Data.Will.Retained = static_cast<uint8_t>(v); }},
    {"MQTT_Will_QoS", 0, [](TMQTT& m, uint32_t v) { m.Connect_Data.Will.QoS = static_cast<uint8_t>(v); }},
    {"MQTT_PublishTopicConnection", 0, [](TMQTT& m, uint32_t v) { m.onconnectFlag = static_cast<uint8_t>(v); }},
    {"MQTT_Connection_Retained", 0, [](TMQTT& m, uint32_t v) { m.onconnect.reteined = static_cast<uint8_t>(v); }},
    {"MQTT_ASync_Send_Time", 10, [](TMQTT& m, uint32_t v) { m.Time_Poll = v; }},
};

constexpr MqttIntField kTlsNtpInts[] = {
    {"TLS_Enable", 0, [](TMQTT& m, uint32_t v) { m.TLS_Flag = v; }},
    {"TLS_En_Server_Auth", 0, [](TMQTT& m, uint32_t v) { m.TLS_Server_Authentication = v; }},
    {"TLS_En_Client_Auth", 0, [](TMQTT& m, uint32_t v) { m.TLS_Client_Authentication = v; }},
    {"NTP_Poll_Time", 1000, [](TMQTT& m, uint32_t v) { m.NTP_Server_Poll = v; }},
};

void readMqttInts(TMQTT& m, const ParGen& p, std::span<const MqttIntField> fields) {
    for (const MqttIntField& f : fields) f.store(m, static_cast<uint32_t>(p.integer(f.element, f.bad)));
}

// ---- Topic file helpers. ----

QString upperAscii(const QString& s) {
    QString out = s;
    for (QChar& c : out)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
    return out;
}

bool isYes(const QString& s) { return upperAscii(s) == u"Y"; }

QString topicError(const QString& what) {
    return QStringLiteral("Error in \"MQTT_Set_Topic.xml\": %1").arg(what);
}

// Attribute that the row must carry.
QString required(const plat::XmlElement& row, const char* section, int rowNumber, const char* attribute) {
    const QString name = QString::fromLatin1(attribute);
    if (!row.hasAttribute(name))
        throw plat::Error(topicError(QStringLiteral("section \"%1\", row %2: the attribute \"%3\" is missing")
                                         .arg(QString::fromLatin1(section))
                                         .arg(rowNumber)
                                         .arg(name)));
    return row.attribute(name);
}

int32_t requiredQoS(const plat::XmlElement& row, const char* section, int rowNumber) {
    const QString text = required(row, section, rowNumber, "QoS");
    const auto v = plat::tryStrToInt(text);
    if (!v)
        throw plat::Error(topicError(QStringLiteral("section \"%1\", row %2: the attribute \"QoS\" is not an integer (\"%3\")")
                                         .arg(QString::fromLatin1(section))
                                         .arg(rowNumber)
                                         .arg(text)));
    return *v;
}

int32_t intAttribute(const plat::XmlElement& row, const char* attribute, int32_t fallback) {
    const QString name = QString::fromLatin1(attribute);
    if (!row.hasAttribute(name)) return fallback;
    return plat::strToIntDef(row.attribute(name), fallback);
}

QString templateAttribute(const plat::XmlElement& row) {
    return row.attribute(QStringLiteral("Template"), QStringLiteral("$VALUE$"));
}

plat::XmlElement requiredSection(const plat::XmlElement& root, const char* section) {
    const plat::XmlElement e = root.child(QString::fromLatin1(section));
    if (e.isNull())
        throw plat::Error(topicError(QStringLiteral("the section \"%1\" is missing").arg(QString::fromLatin1(section))));
    return e;
}

// ---- Offsets. The pool runs from offset 221 in one fixed order; each text's offset is where it lands. ----

class Layout {
public:
    // A text addressed by a pointer: an empty one points at the 0 byte at offset 220.
    void pointer(const QByteArray& text, uint32_t& add) { add = text.isEmpty() ? kEmptyTextOffset : take(text); }
    // A string reference: an empty one has address 0 and length 0.
    void reference(TMQTTString& s) {
        s.Len = static_cast<int32_t>(s.CString.size());
        s.Address = s.CString.isEmpty() ? 0 : take(s.CString);
    }
    void certificate(const QByteArray& text, uint32_t& add, uint32_t& len) {
        pointer(text, add);
        len = static_cast<uint32_t>(text.size());
    }
    uint32_t block(uint64_t size) {
        const auto at = static_cast<uint32_t>(at_);
        at_ += size;
        return at;
    }
    uint64_t end() const { return at_; }

private:
    uint32_t take(const QByteArray& text) {
        const auto at = static_cast<uint32_t>(at_);
        at_ += static_cast<uint64_t>(text.size()) + 1;
        return at;
    }
    uint64_t at_ = kBank2HeaderSize;
};

// Writes the pool texts; each must land where the layout placed it.
class PoolWriter {
public:
    explicit PoolWriter(LeWriter& w) : w_(w) {}
    void pointer(const QByteArray& text, uint32_t add) { put(text, add); }
    void reference(const TMQTTString& s) { put(s.CString, s.Address); }
    void certificate(const QByteArray& text, uint32_t add, uint32_t) { put(text, add); }

private:
    void put(const QByteArray& text, uint32_t add) {
        Q_ASSERT(text.isEmpty() || w_.pos() == static_cast<qsizetype>(add));
        w_.text(text);
    }
    LeWriter& w_;
};

// The header's texts in pool order, shared by the layout and the writer so the two cannot differ.
template <class M, class V>
void headerTexts(M& m, V& v) {
    v.pointer(m.Server_Address, m.Server_Address_Add);
    v.reference(m.Connect_Data.ClientID);
    v.reference(m.Connect_Data.Will.TopicName);
    v.reference(m.Connect_Data.Will.WillMessage);
    v.reference(m.Connect_Data.Username);
    v.reference(m.Connect_Data.Password);
    v.certificate(m.TLS_Server_Cert, m.TLS_Server_Cert_Add, m.TLS_Server_Cert_Len);
    v.certificate(m.TLS_Client_Cert, m.TLS_Client_Cert_Add, m.TLS_Client_Cert_Len);
    v.certificate(m.TLS_Client_Key, m.TLS_Client_Key_Add, m.TLS_Client_Key_Len);
    v.pointer(m.TLS_Client_Key_Pass, m.TLS_Client_Key_Add_Pass);
    v.pointer(m.NTP_Server_Address, m.NTP_Server_Address_Add);
    v.reference(m.onconnect.topicName);
    v.reference(m.onconnect.conn_message);
    v.reference(m.topic_answer_dali);
    v.certificate(m.TLS_CA_Cert, m.TLS_CA_Cert_Add, m.TLS_CA_Cert_Len);
}

template <class S, class V>
void subscriptionTexts(S& s, V& v) {
    v.pointer(s.Input_Template, s.Input_Template_Add);
    v.pointer(s.Output_Template, s.Output_Template_Add);
}

template <class P, class V>
void publicationTexts(P& p, V& v) {
    v.pointer(p.Description, p.Desc_Add);
    v.reference(p.Publish_Topic);
    v.pointer(p.Input_Template, p.Input_Template_Add);
    v.pointer(p.Output_Template, p.Output_Template_Add);
}

// Computes every offset and length of the record; returns the image length.
uint64_t computeOffsets(TMQTT& m) {
    Layout layout;
    headerTexts(m, layout);
    const auto n = static_cast<uint64_t>(m.Subscribe_Data.size());
    if (n > 0) {
        m.Topic_Filters_Add = layout.block(kStringReferenceSize * n);
        for (TMQTTString& f : m.Topic_Filters) layout.reference(f);
        m.Topic_Filter_QoS_Add = layout.block(4 * n);
        m.Subscribe_Data_Add = layout.block(kSubscribeRecordSize * n);
        for (TMQTT_Subscribe_Data& s : m.Subscribe_Data) subscriptionTexts(s, layout);
    } else {
        m.Topic_Filters_Add = m.Topic_Filter_QoS_Add = m.Subscribe_Data_Add = 0;
    }
    m.Topic_Filter_Count = static_cast<int32_t>(n);
    const auto count = static_cast<uint64_t>(m.Publish_Data.size());
    if (count > 0) {
        m.Publish_Data_Add = layout.block(kPublishRecordSize * count);
        for (TMQTT_Publish_Data& p : m.Publish_Data) publicationTexts(p, layout);
    } else {
        m.Publish_Data_Add = 0;
    }
    m.Publish_Topic_Count = static_cast<int32_t>(count);
    return layout.end();
}

void writeReference(LeWriter& w, uint32_t base, const TMQTTString& s) {
    const uint32_t ptr = s.Address == 0 ? 0 : base + s.Address;
    w.u32(ptr);
    w.u32(static_cast<uint32_t>(s.Len));
    w.u32(ptr);
}

BuildState& programState() {
    static BuildState state;
    return state;
}

}  // namespace

// ---- Bank 1 ----

void Init_Bank1(TBank1& b) {
    b.fill(0);
    put32(b, 0, 250000);
    put32(b, 4, 250000);
    put32(b, 12, 9600);
    putBytes(b, 40, {192, 168, 2, 205});
    putBytes(b, 44, {255, 255, 255, 0});
    putBytes(b, 48, {255, 255, 255, 255});
    put16(b, 52, 10000);
    put16(b, 54, 10001);
    put16(b, 56, 10001);
    std::fill(b.begin() + 436, b.begin() + 444, uint8_t{8});
    put32(b, kBank1BaseAddressOffset, kBank2Base);
}

void Init_MQTT(TMQTT& m) {
    m = TMQTT{};
    m.Connect_Data.Struct_ID = {'M', 'Q', 'T', 'C'};
    m.Connect_Data.MQTTVersion = 4;
    m.Connect_Data.Will.Struct_ID = {'M', 'Q', 'T', 'W'};
}

std::optional<QString> Load_Certificate(const QString& name, const QString& certificatesDir, QString* error) {
    // Only a bare file name is looked up: a name with a path never reaches outside the folder.
    const bool bare = !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\') && name != u"." && name != u"..";
    if (!bare) return name;
    const QString path = certificatesDir + u'/' + name;
    if (!plat::fileExists(path)) return name;
    QString readError;
    const auto bytes = plat::readFile(path, &readError);
    if (!bytes) {
        if (error) *error = QStringLiteral("Error! Cannot read the certificate \"%1\": %2").arg(path, readError);
        return std::nullopt;
    }
    // Read as lines (CR LF, LF or CR end a line) and joined again with CR LF after every line.
    const QString text = plat::decodeText(*bytes);
    QString out;
    out.reserve(text.size() + text.size() / 32 + 2);
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype i = start;
        while (i < n && text[i] != u'\r' && text[i] != u'\n') ++i;
        out.append(QStringView(text).mid(start, i - start));
        out.append(u"\r\n");
        if (i < n && text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    return out;
}

bool Load_ParGen(BuildState& state, const BuildInput& input, QString* error) {
    if (!input.parGen) return true;
    plat::XmlDocument doc;
    QString parseError;
    if (!doc.loadBytes(*input.parGen, &parseError)) {
        if (error) *error = QStringLiteral("Error in \"ParGen.xml\": %1").arg(parseError);
        return false;
    }
    const ParGen p(doc.root());
    TBank1& b = state.bank1;
    TMQTT& m = state.mqtt;

    // MQTT mode.
    readMqttInts(m, p, std::span(kMqttInts, 1));

    // Host name, DHCP flags, DNS.
    readString(b, p, kHostName);
    uint32_t flags = 0;
    put16(b, kDhcpFlagsOffset, flags);
    if (p.on("Eth_Conn_DHCP_Cable")) flags |= 1u;
    if (p.on("Eth_Conn_DHCP_WiFi")) flags |= 2u;
    put16(b, kDhcpFlagsOffset, flags);
    if (p.on("Eth_Conn_Enable_DNS")) {
        readOctets(b, p, kPrimaryDNS);
        readOctets(b, p, kSecondaryDNS);
    }

    // PROFINET.
    readOctets(b, p, kProfinetIP);
    readOctets(b, p, kProfinetSM);
    readGateway(b, p, kProfinetGAT, "PROFINET_EN_GAT");
    readInt(b, p, kProfinetPort);
    readString(b, p, kStationName);
    readInt(b, p, kProfinetNbIn);
    readInt(b, p, kProfinetNbOut);
    // 0 means "no diagnostic address", so the address is stored plus one.
    uint32_t diagnostic = 0;
    if (p.on("PROFINET_ENABLE_DIAGNOSTIC")) {
        const auto text = p.text("PROFINET_DIAGNOSTIC_ADDRESS");
        if (text) diagnostic = static_cast<uint32_t>(plat::tryStrToInt(*text).value_or(0)) + 1u;
    }
    put32(b, kDiagnosticOffset, diagnostic);

    // MQTT parameters.
    readMqttInts(m, p, std::span(kMqttInts).subspan(1));
    for (const MqttTextField& f : kMqttTexts) f.target(m) = p.text(f.element).value_or(QString()).toUtf8();

    // Ethernet.
    readOctets(b, p, kEthernetIP);
    readOctets(b, p, kEthernetSM);
    readGateway(b, p, kEthernetGAT, "Ethernet_EN_GAT");

    // Wi-Fi.
    readInt(b, p, kWiFiType);
    const uint8_t wifiType = b[kWiFiType.offset];
    readOctets(b, p, kWiFiIP);
    readOctets(b, p, kWiFiSM);
    readGateway(b, p, kWiFiGAT, "WiFi_EN_Gateway");
    QString protocol1, protocol2;
    if (wifiType == 1 && Get_Device_Protocols(protocol1, protocol2) == 2) {
        readOctets(b, p, kWiFi2IP);
        readOctets(b, p, kWiFi2SM);
        readGateway(b, p, kWiFi2GAT, "WiFi_IP2_EN_Gateway");
    } else {
        zero(b, kWiFiGAT.offset, kWiFi2SM.offset + 3);
    }
    readString(b, p, kSSID);
    readString(b, p, kWiFiPassword);
    if (wifiType == 0) {
        for (const IntField& f : kAccessPointFields) readInt(b, p, f);
        readAssembled(b, p, kWiFiDhcpFirst);
        readAssembled(b, p, kWiFiDhcpSM);
        const auto maxClient = p.text("WiFi_Max_Client");
        const auto maxClientValue = maxClient ? plat::tryStrToInt(*maxClient) : std::nullopt;
        put8(b, kMaxClientOffset, maxClientValue ? static_cast<uint32_t>(*maxClientValue) + 1u : 10u);
        readInt(b, p, kWiFiChannel);
        put8(b, kAutomaticChannelOffset, b[kWiFiChannel.offset] == 0 ? 1u : 0u);
    }

    // TLS and NTP.
    readMqttInts(m, p, kTlsNtpInts);
    for (const MqttTextField& f : kCertificates) {
        const auto cert = Load_Certificate(p.text(f.element).value_or(QString()), input.certificatesDir, error);
        if (!cert) return false;
        f.target(m) = cert->toUtf8();
    }
    m.onconnect.qos = 0;
    m.topic_answer_dali = TMQTTString{};
    m.TLS_Client_Key_Password = 0;
    return true;
}

bool Load_MQTT_Set_Topic(BuildState& state, const BuildInput& input, QString* error) {
    TMQTT& m = state.mqtt;
    state.allowCrLf = false;
    if (input.topics) {
        plat::XmlDocument doc;
        QString parseError;
        if (!doc.loadBytes(*input.topics, &parseError)) {
            if (error) *error = topicError(parseError);
            return false;
        }
        const plat::XmlElement root = doc.root();
        try {
            state.allowCrLf =
                root.child(QStringLiteral("MQTT_Options")).child(QStringLiteral("Option_Allow_CR_LF")).text() == u"Y";
            const plat::XmlElement publish = requiredSection(root, "MQTT_Publish");
            const plat::XmlElement subscribe = requiredSection(root, "MQTT_Subscribe");
            const bool mapping = m.Mode != 0 && m.Mode != 3;

            const std::vector<plat::XmlElement> pubRows = publish.childElements(QStringLiteral("row"));
            m.Publish_Data.assign(pubRows.size(), TMQTT_Publish_Data{});
            for (size_t i = 0; i < pubRows.size(); ++i) {
                const plat::XmlElement& row = pubRows[i];
                const int number = static_cast<int>(i) + 1;
                TMQTT_Publish_Data& d = m.Publish_Data[i];
                d.Publish_Topic.CString = Remove_CR_LF(required(row, "MQTT_Publish", number, "Topic"), false).toUtf8();
                d.Retained = isYes(required(row, "MQTT_Publish", number, "Retained")) ? 1 : 0;
                d.QoS = static_cast<uint32_t>(requiredQoS(row, "MQTT_Publish", number));
                d.Options = 0;
                if (isYes(row.attribute(QStringLiteral("OnChange")))) d.Options |= 1u;
                if (isYes(row.attribute(QStringLiteral("OnCMD")))) d.Options |= 2u;
                if (isYes(row.attribute(QStringLiteral("OnTimer")))) d.Options |= 4u;
                d.Timer = 0;
                if (d.Options & 4u)
                    d.Timer = static_cast<uint32_t>(plat::strToIntDef(TrimCtl(row.attribute(QStringLiteral("Time"))), 0));
                if (mapping) {
                    d.Type_Data = static_cast<uint16_t>(DataType_Code(row.attribute(QStringLiteral("DataType"))));
                    d.Length = static_cast<uint16_t>(intAttribute(row, "Dimension", 4));
                    d.Position = static_cast<uint32_t>(intAttribute(row, "Position", 0));
                }
                d.Output_Template = Remove_CR_LF(templateAttribute(row), state.allowCrLf).toUtf8();
                d.Input_Template.clear();
                d.Source_IP_Address = 0;
                d.Description = required(row, "MQTT_Publish", number, "Mnemonic").toUtf8();
            }

            std::vector<plat::XmlElement> subRows = subscribe.childElements(QStringLiteral("row"));
            if (m.Mode == 0 && subRows.size() > 1) subRows.resize(1);
            const size_t n = subRows.size();
            m.Topic_Filters.assign(n, TMQTTString{});
            m.Topic_Filter_QoS.assign(n, 0);
            m.Subscribe_Data.assign(n, TMQTT_Subscribe_Data{});
            for (size_t i = 0; i < n; ++i) {
                const plat::XmlElement& row = subRows[i];
                const int number = static_cast<int>(i) + 1;
                TMQTT_Subscribe_Data& d = m.Subscribe_Data[i];
                m.Topic_Filters[i].CString =
                    Remove_CR_LF(required(row, "MQTT_Subscribe", number, "Topic"), false).toUtf8();
                m.Topic_Filter_QoS[i] = requiredQoS(row, "MQTT_Subscribe", number);
                // Subscription templates keep their line breaks whatever the option says.
                const QString tmpl = templateAttribute(row);
                d.Input_Template = tmpl.toUtf8();
                if (m.Mode != 0) {
                    d.Type_SubData = DataType_Code(row.attribute(QStringLiteral("DataType")));
                    d.Length = static_cast<uint32_t>(intAttribute(row, "Dimension", 4));
                    d.Position = static_cast<uint32_t>(intAttribute(row, "Position", 0));
                    int64_t first = 0, count = 0;
                    if (Template_Byte_Range(tmpl, first, count)) {
                        d.Position = static_cast<uint32_t>(first);
                        d.Length = static_cast<uint32_t>(count);
                    }
                }
                d.Output_Template.clear();
                d.IP_Address = 0;
                d.Port = 0;
                d.Proto = 0;
            }
        } catch (const plat::Error& e) {
            if (error) *error = e.message();
            return false;
        }
    }
    state.bank2Length = computeOffsets(m);
    return true;
}

qsizetype Write_MQTT_Bank(const TMQTT& m, uint32_t base, QByteArray& out) {
    out.clear();
    LeWriter w(out);
    const TMQTTPacket_ConnectData& c = m.Connect_Data;
    w.u32(m.Mode);                                   // 0
    w.u32(m.Time_Poll);                              // 4
    w.u32(base + m.Server_Address_Add);              // 8
    w.u16(m.Server_Port);                            // 12
    w.chars(c.Struct_ID);                            // 14
    w.u32(static_cast<uint32_t>(c.Struct_Version));  // 18
    w.u8(c.MQTTVersion);                             // 22
    writeReference(w, base, c.ClientID);             // 23
    w.u16(c.KeepAliveInterval);                      // 35
    w.u8(c.CleanSession);                            // 37
    w.u8(c.WillFlag);                                // 38
    w.chars(c.Will.Struct_ID);                       // 39
    w.u32(static_cast<uint32_t>(c.Will.Struct_Version));  // 43
    writeReference(w, base, c.Will.TopicName);       // 47
    writeReference(w, base, c.Will.WillMessage);     // 59
    w.u8(c.Will.Retained);                           // 71
    w.u8(c.Will.QoS);                                // 72
    writeReference(w, base, c.Username);             // 73
    writeReference(w, base, c.Password);             // 85
    w.u32(static_cast<uint32_t>(m.Topic_Filter_Count));  // 97
    w.u32(base + m.Topic_Filters_Add);               // 101
    w.u32(base + m.Topic_Filter_QoS_Add);            // 105
    w.u32(base + m.Subscribe_Data_Add);              // 109
    w.u32(static_cast<uint32_t>(m.Publish_Topic_Count));  // 113
    w.u32(base + m.Publish_Data_Add);                // 117
    w.u32(m.TLS_Flag);                               // 121
    w.u32(m.TLS_Server_Authentication);              // 125
    w.u32(base + m.TLS_Server_Cert_Add);             // 129: certificates go pointer first, then length
    w.u32(m.TLS_Server_Cert_Len);                    // 133
    w.u32(m.TLS_Client_Authentication);              // 137
    w.u32(base + m.TLS_Client_Cert_Add);             // 141
    w.u32(m.TLS_Client_Cert_Len);                    // 145
    w.u32(base + m.TLS_Client_Key_Add);              // 149
    w.u32(m.TLS_Client_Key_Len);                     // 153
    w.u32(m.TLS_Client_Key_Password);                // 157
    w.u32(base + m.TLS_Client_Key_Add_Pass);         // 161
    w.u32(base + m.NTP_Server_Address_Add);          // 165
    w.u32(m.NTP_Server_Poll);                        // 169
    w.u8(m.onconnectFlag);                           // 173
    writeReference(w, base, m.onconnect.topicName);  // 174
    writeReference(w, base, m.onconnect.conn_message);  // 186
    w.u8(m.onconnect.reteined);                      // 198
    w.u8(m.onconnect.qos);                           // 199
    writeReference(w, base, m.topic_answer_dali);    // 200
    w.u32(base + m.TLS_CA_Cert_Add);                 // 212
    w.u32(m.TLS_CA_Cert_Len);                        // 216
    w.u8(0);                                         // 220: the empty text
    Q_ASSERT(w.pos() == kBank2HeaderSize);

    PoolWriter pool(w);
    headerTexts(m, pool);
    if (!m.Subscribe_Data.empty()) {
        Q_ASSERT(w.pos() == static_cast<qsizetype>(m.Topic_Filters_Add));
        for (const TMQTTString& f : m.Topic_Filters) writeReference(w, base, f);
        for (const TMQTTString& f : m.Topic_Filters) pool.reference(f);
        Q_ASSERT(w.pos() == static_cast<qsizetype>(m.Topic_Filter_QoS_Add));
        for (int32_t q : m.Topic_Filter_QoS) w.u32(static_cast<uint32_t>(q));
        Q_ASSERT(w.pos() == static_cast<qsizetype>(m.Subscribe_Data_Add));
        for (const TMQTT_Subscribe_Data& s : m.Subscribe_Data) {
            w.u32(s.Position);                        // 0
            w.u32(s.Length);                          // 4
            w.u32(s.Type_SubData);                    // 8
            w.u32(base + s.Input_Template_Add);       // 12
            w.u32(base + s.Output_Template_Add);      // 16
            w.u32(s.IP_Address);                      // 20
            w.u16(s.Port);                            // 24
            w.u8(s.Proto);                            // 26
        }
        for (const TMQTT_Subscribe_Data& s : m.Subscribe_Data) subscriptionTexts(s, pool);
    }
    if (!m.Publish_Data.empty()) {
        Q_ASSERT(w.pos() == static_cast<qsizetype>(m.Publish_Data_Add));
        for (const TMQTT_Publish_Data& p : m.Publish_Data) {
            w.u32(base + p.Desc_Add);                 // 0
            writeReference(w, base, p.Publish_Topic); // 4
            w.u8(p.Retained);                         // 16
            w.u32(p.QoS);                             // 17
            w.u32(base + p.Input_Template_Add);       // 21
            w.u32(base + p.Output_Template_Add);      // 25
            w.u32(p.Source_IP_Address);               // 29
            w.u32(p.Position);                        // 33
            w.u16(p.Length);                          // 37
            w.u16(p.Type_Data);                       // 39
            w.u32(p.Timer);                           // 41
            w.u32(p.Options);                         // 45
        }
        for (const TMQTT_Publish_Data& p : m.Publish_Data) publicationTexts(p, pool);
    }
    return out.size();
}

QByteArray Copy_Bank1(TBank1& b) {
    uint32_t sum = 0;
    for (int i = 0; i < kBank1ChecksumOffset; ++i) sum += b[i];
    put32(b, kBank1ChecksumOffset, sum);
    return QByteArray(reinterpret_cast<const char*>(b.data()), kBank1Size);
}

bool Build_Banks(BuildState& state, const BuildInput& input, QString* error) {
    state.bank1Image.clear();
    state.bank2Image.clear();
    Init_Bank1(state.bank1);
    Init_MQTT(state.mqtt);
    if (!Load_ParGen(state, input, error)) return false;
    if (!Load_MQTT_Set_Topic(state, input, error)) return false;
    // The updater writes bank 2 from 0x80000 up to 0xFFFFF: a larger image would overrun it.
    if (state.bank2Length > static_cast<uint64_t>(kBank2Capacity)) {
        if (error)
            *error = QStringLiteral("Error! The configuration image \"bank2.bin\" would take %1 bytes, more than the "
                                    "%2 bytes of its memory area. Reduce the topics, templates or certificates. "
                                    "No image was written.")
                         .arg(static_cast<qulonglong>(state.bank2Length))
                         .arg(kBank2Capacity);
        return false;
    }
    put32(state.bank1, kBank1BaseAddressOffset, kBank2Base);
    QByteArray bank2;
    bank2.reserve(static_cast<qsizetype>(state.bank2Length));
    Write_MQTT_Bank(state.mqtt, kBank2Base, bank2);
    Q_ASSERT(static_cast<uint64_t>(bank2.size()) == state.bank2Length);
    state.bank2Image = std::move(bank2);
    state.bank1Image = Copy_Bank1(state.bank1);
    return true;
}

bool Save_Banks(const BuildState& state, const QString& binDir, QString* error) {
    const struct {
        const char* name;
        const QByteArray& image;
    } files[] = {{"bank1.bin", state.bank1Image}, {"bank2.bin", state.bank2Image}};
    for (const auto& f : files) {
        const QString path = binDir + u'/' + QString::fromLatin1(f.name);
        QString writeError;
        if (!plat::atomicWrite(path, f.image, &writeError)) {
            if (error) *error = QStringLiteral("Error! Cannot write \"%1\": %2").arg(path, writeError);
            return false;
        }
    }
    return true;
}

bool Read_Input(const QString& parGenFile, const QString& topicFile, const QString& certificatesDir,
                BuildInput& input, QString* error) {
    input = BuildInput{};
    input.certificatesDir = certificatesDir;
    const struct {
        const QString& path;
        std::optional<QByteArray>& bytes;
    } sources[] = {{parGenFile, input.parGen}, {topicFile, input.topics}};
    for (const auto& s : sources) {
        if (!plat::fileExists(s.path)) continue;
        QString readError;
        s.bytes = plat::readFile(s.path, &readError);
        if (!s.bytes) {
            if (error) *error = QStringLiteral("Error! Cannot read \"%1\": %2").arg(s.path, readError);
            return false;
        }
    }
    return true;
}

QString Remove_CR_LF(const QString& text, bool allow) {
    if (allow) return text;
    QString out = text;
    out.remove(u'\r');
    out.remove(u'\n');
    return out;
}

bool Template_Byte_Range(const QString& tmpl, int64_t& firstByte, int64_t& byteCount) {
    const qsizetype at = tmpl.indexOf(u'@');
    if (at < 0) return false;
    QStringView s = QStringView(tmpl).mid(at + 1);
    if (!s.contains(u'@')) return false;
    // Only the lowest start and the highest end matter, so no list of fields is kept and any
    // number of fields is taken; 64-bit sums cannot overflow with 32-bit operands.
    bool found = false;
    int64_t lowest = 0, highestEnd = 0;
    while (!s.isEmpty()) {
        const qsizetype close = s.indexOf(u'@');
        const QStringView field = close > 1 ? s.mid(1, close - 1) : QStringView();
        const qsizetype dot = field.indexOf(u'.');
        int64_t a = 0, b = 0;
        if (dot >= 0) {
            a = plat::tryStrToInt(TrimCtl(field.left(dot).toString())).value_or(0);
            b = plat::tryStrToInt(TrimCtl(field.mid(dot + 1).toString())).value_or(0);
        } else {
            b = plat::tryStrToInt(TrimCtl(field.toString())).value_or(0);
        }
        if (b > 0) {
            lowest = found ? std::min(lowest, a) : a;
            highestEnd = found ? std::max(highestEnd, a + b) : a + b;
            found = true;
        }
        if (close < 0) break;
        s = s.mid(close + 1);
        const qsizetype next = s.indexOf(u'@');
        s = next >= 0 ? s.mid(next + 1) : QStringView();
    }
    if (!found) return false;
    firstByte = lowest / 8;
    byteCount = highestEnd / 8 - firstByte + 1;
    return true;
}

uint32_t DataType_Code(const QString& text) {
    static constexpr struct {
        const char16_t* name;
        uint32_t code;
    } kCodes[] = {{u"STRING", 0}, {u"INT", 1}, {u"FLOAT", 2}, {u"BASE64", 3}, {u"SINT", 4}};
    const QString key = upperAscii(TrimCtl(text));
    for (const auto& c : kCodes)
        if (key == QStringView(c.name)) return c.code;
    return 0;
}

bool Create_Bin(QString* error) {
    BuildState& state = programState();
    BuildInput input;
    if (!Read_Input(g_ParGenFile, g_MQTTSetTopicFile, g_ProjectPath + QStringLiteral("/Certificates"), input, error)) {
        state.bank1Image.clear();
        state.bank2Image.clear();
        return false;
    }
    return Build_Banks(state, input, error);
}

bool Save_Bin(QString* error) {
    const BuildState& state = programState();
    if (state.bank1Image.isEmpty() || state.bank2Image.isEmpty()) {
        if (error) *error = QStringLiteral("Error! The configuration images have not been built.");
        return false;
    }
    return Save_Banks(state, g_ProjectPath + QStringLiteral("/bin"), error);
}

bool Build_Images(QString* error) {
    QString message;
    if (Create_Bin(&message) && Save_Bin(&message)) return true;
    plat::dialogs().error(message);
    if (error) *error = message;
    return false;
}

const QByteArray& Bank1_Image() { return programState().bank1Image; }
const QByteArray& Bank2_Image() { return programState().bank2Image; }

}  // namespace USaveBincc
