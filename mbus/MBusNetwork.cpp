#include "mbus/MBusNetwork.h"

#include "platform/Files.h"
#include "platform/IntConv.h"
#include "platform/XmlDoc.h"

#include <array>
#include <cstring>
#include <optional>
#include <span>

namespace mbus {

namespace {

// Attribute names in the order the editor writes them. The reader matches a file in this order
// with one comparison an attribute; any other order is found too.
enum NodeSlot : size_t {
    N_Enable_Node, N_ID_Primary, N_ID_Secondary, N_Descrizione, N_Send_SND_NKE, N_Reset_App, N_Node_State,
    N_Ident_Num, N_BCDtoINT_IN, N_Swap_IN, N_Node_ID_Type, N_Var_List_Type, N_Cut_After, N_NS_Topic, N_IN_Topic,
    N_Access_Number, N_AN_Topic, N_IN_VarType, N_MBus_Type, N_wMBus_ManID, N_wMBus_Add, N_wMBus_Ver,
    N_wMBus_DevType, N_wMBus_En_Key, N_wMBus_Key_1, N_wMBus_RSSI = N_wMBus_Key_1 + 16, N_wMBus_RSSI_Topic,
    N_Node_Enable,  // written by a scan
    N_ID,           // written by a scan for some gateway families
    N_Count
};
constexpr std::array<const char*, N_Count> kNodeNames = {
    "Enable_Node", "ID_Primary", "ID_Secondary", "Descrizione", "Send_SND_NKE", "Reset_App", "Node_State",
    "Ident_Num", "BCDtoINT_IN", "Swap_IN", "Node_ID_Type", "Var_List_Type", "Cut_After", "NS_Topic", "IN_Topic",
    "Access_Number", "AN_Topic", "IN_VarType", "MBus_Type", "wMBus_ManID", "wMBus_Add", "wMBus_Ver",
    "wMBus_DevType", "wMBus_En_Key", "wMBus_Key_1", "wMBus_Key_2", "wMBus_Key_3", "wMBus_Key_4", "wMBus_Key_5",
    "wMBus_Key_6", "wMBus_Key_7", "wMBus_Key_8", "wMBus_Key_9", "wMBus_Key_10", "wMBus_Key_11", "wMBus_Key_12",
    "wMBus_Key_13", "wMBus_Key_14", "wMBus_Key_15", "wMBus_Key_16", "wMBus_RSSI", "wMBus_RSSI_Topic",
    "Node_Enable", "ID",
};

enum VarSlot : size_t {
    V_Enable, V_Desc, V_Type, V_Fun_Field, V_Dim, V_Unit, V_StoNumber, V_Tariff, V_VIFE, V_BCDtoINT, V_VIF_ASCII,
    V_Length, V_Position, V_Topic, V_Post_Operation, V_Count
};
static_assert(size_t(V_Count) <= size_t(N_Count));
constexpr std::array<const char*, V_Count> kVarNames = {
    "Enable", "Desc", "Type", "Fun_Field", "Dim", "Unit", "StoNumber", "Tariff", "VIFE", "BCDtoINT", "VIF_ASCII",
    "Length", "Position", "Topic", "Post_Operation",
};

// ---- writing ----

void put(pugi::xml_node e, const char* name, const QString& value) {
    e.append_attribute(name).set_value(value.isEmpty() ? "" : value.toUtf8().constData());
}
void put(pugi::xml_node e, const char* name, int32_t value) { e.append_attribute(name).set_value(value); }
void put(pugi::xml_node e, const char* name, uint32_t value) { e.append_attribute(name).set_value(value); }
void put(pugi::xml_node e, const char* name, uint8_t value) { e.append_attribute(name).set_value(unsigned(value)); }
void put(pugi::xml_node e, const char* name, bool value) { e.append_attribute(name).set_value(value ? "1" : "0"); }

void writeVariable(pugi::xml_node parent, const TVariabile& v) {
    pugi::xml_node e = parent.append_child("Variabile");
    const auto& k = kVarNames;
    put(e, k[V_Enable], v.Enable);
    put(e, k[V_Desc], v.Description);
    put(e, k[V_Type], v.Type_Of_Data);
    put(e, k[V_Fun_Field], v.Function_Field);
    put(e, k[V_Dim], v.Dimension);
    put(e, k[V_Unit], v.Unita);
    put(e, k[V_StoNumber], v.Storage_Number);
    put(e, k[V_Tariff], v.Tariff);
    put(e, k[V_VIFE], v.VIFE);
    put(e, k[V_BCDtoINT], v.BCDtoINT);
    put(e, k[V_VIF_ASCII], v.VIF_ASCII);
    put(e, k[V_Length], v.Length);
    put(e, k[V_Position], v.Position);
    put(e, k[V_Topic], v.Topic);
    put(e, k[V_Post_Operation], v.Post_Operation);
}

void writeNode(pugi::xml_node root, const TNodo& n) {
    pugi::xml_node e = root.append_child("Nodo");
    const auto& k = kNodeNames;
    put(e, k[N_Enable_Node], n.Enable);
    put(e, k[N_ID_Primary], n.Node_ID_Primary);
    put(e, k[N_ID_Secondary], n.Node_ID_Secondary);
    put(e, k[N_Descrizione], n.Description);
    put(e, k[N_Send_SND_NKE], n.Send_SNK);
    put(e, k[N_Reset_App], n.Reset_App);
    put(e, k[N_Node_State], n.Node_State);
    put(e, k[N_Ident_Num], n.Ident_Num);
    put(e, k[N_BCDtoINT_IN], n.BCDtoINT_IN);
    put(e, k[N_Swap_IN], n.Swap_Ident);
    put(e, k[N_Node_ID_Type], n.Node_ID_Type);
    put(e, k[N_Var_List_Type], n.Var_List_Type);
    put(e, k[N_Cut_After], n.Cut_After);
    put(e, k[N_NS_Topic], n.NS_Topic);
    put(e, k[N_IN_Topic], n.IN_Topic);
    put(e, k[N_Access_Number], n.Access_Number);
    put(e, k[N_AN_Topic], n.AN_Topic);
    put(e, k[N_IN_VarType], uint8_t(0));  // kept for the gateway's file layout, never read back
    put(e, k[N_MBus_Type], n.MBus_Type);
    put(e, k[N_wMBus_ManID], n.wMBus_ManID);
    put(e, k[N_wMBus_Add], n.wMBus_Add);
    put(e, k[N_wMBus_Ver], n.wMBus_Ver);
    put(e, k[N_wMBus_DevType], n.wMBus_DevType);
    put(e, k[N_wMBus_En_Key], n.wMBus_En_Key);
    for (size_t i = 0; i < 16; ++i) put(e, k[N_wMBus_Key_1 + i], n.wMBus_Key[i]);
    put(e, k[N_wMBus_RSSI], n.wMBus_RSSI);
    put(e, k[N_wMBus_RSSI_Topic], n.wMBus_RSSI_Topic);
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
    // What the writer produces, plain decimal of at most nine digits, needs no more than this.
    {
        const bool negative = *s == '-';
        const char* d = s + (negative ? 1 : 0);
        int32_t value = 0;
        int n = 0;
        for (; n < 9 && d[n] >= '0' && d[n] <= '9'; ++n) value = value * 10 + (d[n] - '0');
        if (n > 0 && d[n] == 0) return negative ? -value : value;
    }
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

// The values of an element's attributes by slot, null where the attribute is missing. The first
// of two attributes with the same name counts.
class Slots {
public:
    // node and variable are the element's numbers for messages; variable 0 for a node.
    Slots(pugi::xml_node e, std::span<const char* const> names, int node, int variable)
        : names_(names), node_(node), variable_(variable) {
        const size_t N = names.size();
        size_t next = 0;
        for (pugi::xml_attribute a = e.first_attribute(); a; a = a.next_attribute()) {
            const char* name = a.name();
            const size_t s = next < N && std::strcmp(name, names[next]) == 0 ? next : find(name);
            if (s == N) continue;
            if (!v_[s]) v_[s] = a.value();
            next = s + 1;
        }
    }

    const char* operator[](size_t s) const { return v_[s]; }

    // Missing or not an integer: the default; a number wider than the field keeps its low bits.
    int32_t int32(size_t s, int32_t fallback) const { return v_[s] ? toInt32(v_[s]).value_or(fallback) : fallback; }
    uint8_t byte(size_t s, uint8_t fallback) const {
        const auto v = v_[s] ? toInt32(v_[s]) : std::nullopt;
        return v ? uint8_t(uint32_t(*v)) : fallback;
    }
    uint32_t uint32(size_t s, uint32_t fallback) const {
        const auto v = v_[s] ? toInt64(v_[s]) : std::nullopt;
        return v ? uint32_t(uint64_t(*v)) : fallback;
    }
    QString text(size_t s) const { return v_[s] && *v_[s] ? QString::fromUtf8(v_[s]) : QString(); }
    bool exactly(size_t s, const char* value) const { return v_[s] && std::strcmp(v_[s], value) == 0; }

    QString requiredText(size_t s) const {
        if (!v_[s]) throw StopReading{missing(s)};
        return QString::fromUtf8(v_[s]);
    }
    int32_t requiredInt(size_t s) const {
        if (!v_[s]) throw StopReading{missing(s)};
        const auto v = toInt32(v_[s]);
        if (!v)
            throw StopReading{QStringLiteral("%1: \"%2\" is not a valid integer value for the attribute \"%3\"")
                                  .arg(where(), QString::fromUtf8(v_[s]), QString::fromLatin1(names_[s]))};
        return *v;
    }

private:
    size_t find(const char* name) const {
        for (size_t i = 0; i < names_.size(); ++i)
            if (std::strcmp(name, names_[i]) == 0) return i;
        return names_.size();
    }
    QString missing(size_t s) const {
        return QStringLiteral("%1: the attribute \"%2\" is missing").arg(where(), QString::fromLatin1(names_[s]));
    }
    QString where() const {
        return variable_ == 0 ? QStringLiteral("Node %1").arg(node_)
                              : QStringLiteral("Node %1, variable %2").arg(node_).arg(variable_);
    }

    std::span<const char* const> names_;
    int node_;
    int variable_;
    std::array<const char*, N_Count> v_{};  // the node's table is the longer one
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

TNodo readNode(pugi::xml_node e, int number) {
    const Slots a(e, kNodeNames, number, 0);
    TNodo n;
    // A file saved by a scan records the tick in "Node_Enable".
    const char* enable = a[N_Enable_Node] ? a[N_Enable_Node] : a[N_Node_Enable];
    n.Enable = !(enable && std::strcmp(enable, "0") == 0);
    n.Description = a.requiredText(N_Descrizione);
    n.Node_ID_Type = a.byte(N_Node_ID_Type, 0);
    const std::optional<int32_t> id = a[N_ID] ? toInt32(a[N_ID]) : std::nullopt;
    if (id) {
        n.Node_ID_Primary = n.Node_ID_Type == 0 ? *id : 1;
        n.Node_ID_Secondary = n.Node_ID_Type == 0 ? 1 : *id;
    } else {
        n.Node_ID_Primary = a.int32(N_ID_Primary, 1);
        n.Node_ID_Secondary = a.int32(N_ID_Secondary, 1);
    }
    n.Send_SNK = a.byte(N_Send_SND_NKE, 0);
    n.Reset_App = a.byte(N_Reset_App, 0);
    n.Node_State = a.byte(N_Node_State, 0);
    n.Ident_Num = a.byte(N_Ident_Num, 0);
    n.BCDtoINT_IN = a.byte(N_BCDtoINT_IN, 0);
    n.Swap_Ident = a.int32(N_Swap_IN, 0);
    n.Var_List_Type = a.byte(N_Var_List_Type, 0);
    n.Cut_After = a.byte(N_Cut_After, 0);
    n.NS_Topic = a.int32(N_NS_Topic, 0);
    n.IN_Topic = a.int32(N_IN_Topic, 0);
    n.Access_Number = a.byte(N_Access_Number, 0);
    n.AN_Topic = a.int32(N_AN_Topic, 0);
    n.MBus_Type = a.byte(N_MBus_Type, 1);
    n.wMBus_ManID = a.text(N_wMBus_ManID);
    n.wMBus_Add = a.text(N_wMBus_Add);
    n.wMBus_Ver = a.text(N_wMBus_Ver);
    n.wMBus_DevType = a.text(N_wMBus_DevType);
    n.wMBus_En_Key = a.byte(N_wMBus_En_Key, 0);
    for (size_t k = 0; k < 16; ++k) n.wMBus_Key[k] = a.text(N_wMBus_Key_1 + k);
    n.wMBus_RSSI = a.byte(N_wMBus_RSSI, 0);
    n.wMBus_RSSI_Topic = a.int32(N_wMBus_RSSI_Topic, 0);
    return n;
}

TVariabile readVariable(pugi::xml_node e, int node, int number) {
    const Slots a(e, kVarNames, node, number);
    TVariabile v;
    v.Enable = a.exactly(V_Enable, "1");
    v.Description = a.requiredText(V_Desc);
    v.Type_Of_Data = a.requiredInt(V_Type);
    v.Function_Field = a.requiredInt(V_Fun_Field);
    v.Dimension = a.requiredInt(V_Dim);
    v.Unita = a.int32(V_Unit, 0);
    v.Storage_Number = a.uint32(V_StoNumber, 0);
    v.Tariff = a.int32(V_Tariff, 0);
    v.VIFE = a.byte(V_VIFE, 0);
    v.BCDtoINT = a.exactly(V_BCDtoINT, "1");
    v.VIF_ASCII = a.text(V_VIF_ASCII);
    v.Length = a.int32(V_Length, 0);
    v.Position = a.byte(V_Position, 1);
    v.Topic = a.int32(V_Topic, 0);
    v.Post_Operation = a.byte(V_Post_Operation, 0);
    return v;
}

TNetworkRead fromDocument(const plat::XmlDocument& doc) {
    TNetworkRead r;
    int nodeNumber = 0;
    try {
        for (pugi::xml_node ne = firstElement(doc.root().node()); ne; ne = nextElement(ne)) {
            ++nodeNumber;
            r.Nodes.push_back(readNode(ne, nodeNumber));
            TNodo& node = r.Nodes.back();
            int varNumber = 0;
            for (pugi::xml_node ve = firstElement(ne); ve; ve = nextElement(ve))
                node.Var_List.push_back(readVariable(ve, nodeNumber, ++varNumber));
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
