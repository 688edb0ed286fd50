#include "mbus/MBusNetwork.h"

#include "platform/Files.h"
#include "platform/IntConv.h"
#include "platform/XmlDoc.h"

#include <cstring>
#include <optional>

namespace mbus {

namespace {

// ---- writing ----

void put(pugi::xml_node e, const char* name, const QString& value) {
    e.append_attribute(name).set_value(value.toUtf8().constData());
}
void put(pugi::xml_node e, const char* name, int32_t value) { e.append_attribute(name).set_value(value); }
void put(pugi::xml_node e, const char* name, uint32_t value) { e.append_attribute(name).set_value(value); }
void put(pugi::xml_node e, const char* name, uint8_t value) { e.append_attribute(name).set_value(unsigned(value)); }
void put(pugi::xml_node e, const char* name, bool value) { e.append_attribute(name).set_value(value ? "1" : "0"); }

const char* const kKeyNames[16] = {
    "wMBus_Key_1", "wMBus_Key_2",  "wMBus_Key_3",  "wMBus_Key_4",  "wMBus_Key_5",  "wMBus_Key_6",
    "wMBus_Key_7", "wMBus_Key_8",  "wMBus_Key_9",  "wMBus_Key_10", "wMBus_Key_11", "wMBus_Key_12",
    "wMBus_Key_13", "wMBus_Key_14", "wMBus_Key_15", "wMBus_Key_16",
};

void writeVariable(pugi::xml_node parent, const TVariabile& v) {
    pugi::xml_node e = parent.append_child("Variabile");
    put(e, "Enable", v.Enable);
    put(e, "Desc", v.Description);
    put(e, "Type", v.Type_Of_Data);
    put(e, "Fun_Field", v.Function_Field);
    put(e, "Dim", v.Dimension);
    put(e, "Unit", v.Unita);
    put(e, "StoNumber", v.Storage_Number);
    put(e, "Tariff", v.Tariff);
    put(e, "VIFE", v.VIFE);
    put(e, "BCDtoINT", v.BCDtoINT);
    put(e, "VIF_ASCII", v.VIF_ASCII);
    put(e, "Length", v.Length);
    put(e, "Position", v.Position);
    put(e, "Topic", v.Topic);
    put(e, "Post_Operation", v.Post_Operation);
}

void writeNode(pugi::xml_node root, const TNodo& n) {
    pugi::xml_node e = root.append_child("Nodo");
    put(e, "Enable_Node", n.Enable);
    put(e, "ID_Primary", n.Node_ID_Primary);
    put(e, "ID_Secondary", n.Node_ID_Secondary);
    put(e, "Descrizione", n.Description);
    put(e, "Send_SND_NKE", n.Send_SNK);
    put(e, "Reset_App", n.Reset_App);
    put(e, "Node_State", n.Node_State);
    put(e, "Ident_Num", n.Ident_Num);
    put(e, "BCDtoINT_IN", n.BCDtoINT_IN);
    put(e, "Swap_IN", n.Swap_Ident);
    put(e, "Node_ID_Type", n.Node_ID_Type);
    put(e, "Var_List_Type", n.Var_List_Type);
    put(e, "Cut_After", n.Cut_After);
    put(e, "NS_Topic", n.NS_Topic);
    put(e, "IN_Topic", n.IN_Topic);
    put(e, "Access_Number", n.Access_Number);
    put(e, "AN_Topic", n.AN_Topic);
    put(e, "IN_VarType", uint8_t(0));  // kept for the gateway's file layout, never read back
    put(e, "MBus_Type", n.MBus_Type);
    put(e, "wMBus_ManID", n.wMBus_ManID);
    put(e, "wMBus_Add", n.wMBus_Add);
    put(e, "wMBus_Ver", n.wMBus_Ver);
    put(e, "wMBus_DevType", n.wMBus_DevType);
    put(e, "wMBus_En_Key", n.wMBus_En_Key);
    for (int k = 0; k < 16; ++k) put(e, kKeyNames[k], n.wMBus_Key[size_t(k)]);
    put(e, "wMBus_RSSI", n.wMBus_RSSI);
    put(e, "wMBus_RSSI_Topic", n.wMBus_RSSI_Topic);
    for (const TVariabile& v : n.Var_List) writeVariable(e, v);
}

void buildDocument(plat::XmlDocument& doc, const TNodiList& nodes) {
    const pugi::xml_node root = doc.createRoot(QString::fromLatin1(kNetworkRoot)).node();
    doc.appendComment(QString::fromLatin1(kNetworkVersionComment));
    for (const TNodo& n : nodes) writeNode(root, n);
}

// ---- reading ----

// The platform's integer rule on an attribute's UTF-8 text. Only blanks, signs, "$", "x" and
// digits can make an integer, so any other byte fails at once and short texts are converted
// without a heap copy.
template <typename Parse>
auto parseInt(const char* s, Parse parse) -> decltype(parse(QStringView())) {
    char16_t buf[64];
    size_t n = 0;
    for (; s[n] && n < std::size(buf); ++n) {
        if (static_cast<unsigned char>(s[n]) >= 0x80) return std::nullopt;
        buf[n] = char16_t(s[n]);
    }
    if (s[n]) return parse(QString::fromUtf8(s));
    return parse(QStringView(buf, qsizetype(n)));
}

std::optional<int32_t> toInt32(const char* s) { return parseInt(s, [](QStringView v) { return plat::tryStrToInt(v); }); }
std::optional<int64_t> toInt64(const char* s) {
    return parseInt(s, [](QStringView v) { return plat::tryStrToInt64(v); });
}

// Thrown inside the reader when a required value is missing or not a number; becomes the
// result's message.
struct StopReading {
    QString message;
};

class Attributes {
public:
    explicit Attributes(pugi::xml_node e) : e_(e) {}

    pugi::xml_attribute get(const char* name) const { return e_.attribute(name); }

    // Missing or not an integer: the default; a number wider than the field keeps its low bits.
    int32_t int32(const char* name, int32_t fallback) const {
        const pugi::xml_attribute a = get(name);
        if (!a) return fallback;
        return toInt32(a.value()).value_or(fallback);
    }
    uint8_t byte(const char* name, uint8_t fallback) const {
        const pugi::xml_attribute a = get(name);
        if (!a) return fallback;
        const auto v = toInt32(a.value());
        return v ? uint8_t(uint32_t(*v)) : fallback;
    }
    uint32_t uint32(const char* name, uint32_t fallback) const {
        const pugi::xml_attribute a = get(name);
        if (!a) return fallback;
        const auto v = toInt64(a.value());
        return v ? uint32_t(uint64_t(*v)) : fallback;
    }
    QString text(const char* name) const { return QString::fromUtf8(get(name).value()); }
    bool exactly(const char* name, const char* value) const {
        const pugi::xml_attribute a = get(name);
        return a && std::strcmp(a.value(), value) == 0;
    }

    QString requiredText(const char* name, const QString& where) const {
        const pugi::xml_attribute a = get(name);
        if (!a) throw StopReading{missing(name, where)};
        return QString::fromUtf8(a.value());
    }
    int32_t requiredInt(const char* name, const QString& where) const {
        const pugi::xml_attribute a = get(name);
        if (!a) throw StopReading{missing(name, where)};
        const auto v = toInt32(a.value());
        if (!v)
            throw StopReading{QStringLiteral("%1: \"%2\" is not a valid integer value for the attribute \"%3\"")
                                  .arg(where, QString::fromUtf8(a.value()), QString::fromLatin1(name))};
        return *v;
    }

private:
    static QString missing(const char* name, const QString& where) {
        return QStringLiteral("%1: the attribute \"%2\" is missing").arg(where, QString::fromLatin1(name));
    }

    pugi::xml_node e_;
};

pugi::xml_node firstElement(pugi::xml_node parent) {
    for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_element) return n;
    return {};
}

pugi::xml_node nextElement(pugi::xml_node n) {
    for (n = n.next_sibling(); n; n = n.next_sibling())
        if (n.type() == pugi::node_element) return n;
    return {};
}

TNodo readNode(const Attributes& a, int number) {
    TNodo n;
    // A file saved by a scan records the tick in "Node_Enable".
    pugi::xml_attribute enable = a.get("Enable_Node");
    if (!enable) enable = a.get("Node_Enable");
    n.Enable = !(enable && std::strcmp(enable.value(), "0") == 0);
    n.Description = a.requiredText("Descrizione", QStringLiteral("Node %1").arg(number));
    n.Node_ID_Type = a.byte("Node_ID_Type", 0);
    const pugi::xml_attribute id = a.get("ID");
    const std::optional<int32_t> idValue = id ? toInt32(id.value()) : std::nullopt;
    if (idValue) {
        n.Node_ID_Primary = n.Node_ID_Type == 0 ? *idValue : 1;
        n.Node_ID_Secondary = n.Node_ID_Type == 0 ? 1 : *idValue;
    } else {
        n.Node_ID_Primary = a.int32("ID_Primary", 1);
        n.Node_ID_Secondary = a.int32("ID_Secondary", 1);
    }
    n.Send_SNK = a.byte("Send_SND_NKE", 0);
    n.Reset_App = a.byte("Reset_App", 0);
    n.Node_State = a.byte("Node_State", 0);
    n.Ident_Num = a.byte("Ident_Num", 0);
    n.BCDtoINT_IN = a.byte("BCDtoINT_IN", 0);
    n.Swap_Ident = a.int32("Swap_IN", 0);
    n.Var_List_Type = a.byte("Var_List_Type", 0);
    n.Cut_After = a.byte("Cut_After", 0);
    n.NS_Topic = a.int32("NS_Topic", 0);
    n.IN_Topic = a.int32("IN_Topic", 0);
    n.Access_Number = a.byte("Access_Number", 0);
    n.AN_Topic = a.int32("AN_Topic", 0);
    n.MBus_Type = a.byte("MBus_Type", 1);
    n.wMBus_ManID = a.text("wMBus_ManID");
    n.wMBus_Add = a.text("wMBus_Add");
    n.wMBus_Ver = a.text("wMBus_Ver");
    n.wMBus_DevType = a.text("wMBus_DevType");
    n.wMBus_En_Key = a.byte("wMBus_En_Key", 0);
    for (int k = 0; k < 16; ++k) n.wMBus_Key[size_t(k)] = a.text(kKeyNames[k]);
    n.wMBus_RSSI = a.byte("wMBus_RSSI", 0);
    n.wMBus_RSSI_Topic = a.int32("wMBus_RSSI_Topic", 0);
    return n;
}

TVariabile readVariable(const Attributes& a, int node, int number) {
    const QString where = QStringLiteral("Node %1, variable %2").arg(node).arg(number);
    TVariabile v;
    v.Enable = a.exactly("Enable", "1");
    v.Description = a.requiredText("Desc", where);
    v.Type_Of_Data = a.requiredInt("Type", where);
    v.Function_Field = a.requiredInt("Fun_Field", where);
    v.Dimension = a.requiredInt("Dim", where);
    v.Unita = a.int32("Unit", 0);
    v.Storage_Number = a.uint32("StoNumber", 0);
    v.Tariff = a.int32("Tariff", 0);
    v.VIFE = a.byte("VIFE", 0);
    v.BCDtoINT = a.exactly("BCDtoINT", "1");
    v.VIF_ASCII = a.text("VIF_ASCII");
    v.Length = a.int32("Length", 0);
    v.Position = a.byte("Position", 1);
    v.Topic = a.int32("Topic", 0);
    v.Post_Operation = a.byte("Post_Operation", 0);
    return v;
}

TNetworkRead fromDocument(const plat::XmlDocument& doc) {
    TNetworkRead r;
    int nodeNumber = 0;
    try {
        for (pugi::xml_node ne = firstElement(doc.root().node()); ne; ne = nextElement(ne)) {
            ++nodeNumber;
            r.Nodes.push_back(readNode(Attributes(ne), nodeNumber));
            TNodo& node = r.Nodes.back();
            int varNumber = 0;
            for (pugi::xml_node ve = firstElement(ne); ve; ve = nextElement(ve))
                node.Var_List.push_back(readVariable(Attributes(ve), nodeNumber, ++varNumber));
        }
    } catch (const StopReading& stop) {
        r.Status = TNetworkReadStatus::Partial;
        r.Message = stop.message;
    }
    return r;
}

TNetworkRead refused(const QString& message) {
    TNetworkRead r;
    r.Status = TNetworkReadStatus::Refused;
    r.Message = message;
    return r;
}

}  // namespace

QByteArray Network_To_Bytes(const TNodiList& nodes) {
    plat::XmlDocument doc;
    buildDocument(doc, nodes);
    return doc.toBytes();
}

void Write_Network(const TNodiList& nodes, const QString& path) {
    plat::XmlDocument doc;
    buildDocument(doc, nodes);
    QString error;
    if (!doc.save(path, &error)) throw plat::Error(error);
}

TNetworkRead Network_From_Bytes(const QByteArray& bytes) {
    plat::XmlDocument doc;
    QString error;
    if (!doc.loadBytes(bytes, &error)) return refused(error);
    return fromDocument(doc);
}

TNetworkRead Read_Network(const QString& path) {
    if (!plat::fileExists(path)) {
        TNetworkRead r;
        r.Status = TNetworkReadStatus::NoFile;
        return r;
    }
    plat::XmlDocument doc;
    QString error;
    if (!doc.load(path, &error)) return refused(error);
    TNetworkRead r = fromDocument(doc);
    if (r.Status == TNetworkReadStatus::Partial) r.Message = QStringLiteral("%1: %2").arg(path, r.Message);
    return r;
}

}  // namespace mbus
