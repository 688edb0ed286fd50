#include "building/BACnetClientSchema.h"

#include "platform/XmlDoc.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <algorithm>

namespace bacnetclient {
namespace {

using namespace accesslist;

QStringList list(std::initializer_list<const char*> texts) {
    QStringList l;
    for (const char* t : texts) l << QString::fromLatin1(t);
    return l;
}

int decimal(const QString& text) { return listNumber(text, NumberRule::Decimal); }

// A decimal number too large for an int (an object instance): leading blanks, a sign, digits.
int64_t decimal64(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    const QString rest = text.mid(i);
    qsizetype d = rest.startsWith(u'-') || rest.startsWith(u'+') ? 1 : 0;
    if (d >= rest.size() || rest.size() - d > 18) return -1;
    for (qsizetype k = d; k < rest.size(); ++k)
        if (rest[k] < u'0' || rest[k] > u'9') return -1;
    return rest.toLongLong();
}

QString upper(const QString& text) { return TrimCtl(text).toUpper(); }

bool in(int v, std::initializer_list<int> set) { return std::find(set.begin(), set.end(), v) != set.end(); }

bool proprietaryType(int code) { return code >= 128 && code <= 1023; }

std::optional<Failure> fail(int text) { return Failure{text, {}}; }

std::vector<Attribute> readAttributes() {
    return {{"Enable", Missing::Default, "Y"},
            {"IP_Address_Slave_ID", Missing::Default},
            {"Object_Type", Missing::Default},
            {"Instance", Missing::Default},
            {"Property", Missing::Default},
            {"NumByte", Missing::Default},
            {"Enable_Destination", Missing::Default, "N"},
            {"Destination_Network", Missing::Default},
            {"Destination_Length", Missing::Default},
            {"Destination_Address", Missing::Default},
            {"PollTime", Missing::Default},
            {"MaxError", Missing::Default},
            {"Position", Missing::Default},
            {"StartBit", Missing::Default},
            {nullptr, Missing::KeepReset},  // Swap: the gateway does not take it
            {nullptr, Missing::KeepReset},  // Convertion: likewise
            {"Mnemonic", Missing::Default}};
}

std::vector<Attribute> writeAttributes() {
    return {{"Enable", Missing::Default, "Y"},
            {"IP_Address_Slave_ID", Missing::Default},
            {"Object_Type", Missing::Default},
            {"Data_Type", Missing::Default},
            {"Instance", Missing::Default},
            {"Property", Missing::Default},
            {"Priority", Missing::Default},
            {"NumByte", Missing::Default},
            {"Enable_Destination", Missing::Default, "N"},
            {"Destination_Network", Missing::Default},
            {"Destination_Length", Missing::Default},
            {"Destination_Address", Missing::Default},
            {"OnChange", Missing::Default, "N"},
            {"OnTimer", Missing::Default, "N"},
            {"PollTime", Missing::Default},
            {"MaxError", Missing::Default},
            {"Position", Missing::Default},
            {"StartBit", Missing::Default},
            {nullptr, Missing::KeepReset},
            {nullptr, Missing::KeepReset},
            {"Mnemonic", Missing::Default}};
}

Schema makeSchema(int key) {
    return Schema{"BACnet_Master_Access.xml", "BACnet_Master_Access", "1.009", "row", NumberRule::Decimal,
                  {{"BACnet_Read", readAttributes(), kRows, key, KeyTrim::Trimmed, rEnable, {rEnable, rEnDest, rSwap},
                    "BACnet Read"},
                   {"BACnet_Write", writeAttributes(), kRows, key, KeyTrim::Trimmed, wEnable,
                    {wEnable, wEnDest, wChange, wTimer, wSwap}, "BACnet Write"}}};
}

// The texts of one page's checks.
struct PageTexts {
    int ip, slave, objectType, instance, property;
    int net, length, byte, word, ipPort, lengthWrong;
};
constexpr PageTexts kReadTexts{4738, 4739, 4740, 4741, 4742, 4770, 4771, 4772, 4773, 4774, 4786};
constexpr PageTexts kWriteTexts{4747, 4748, 4749, 4750, 4751, 4775, 4776, 4777, 4778, 4779, 4787};

Check address(int kind, int column, const PageTexts& t) {
    return [=](const RowView& r) -> std::optional<Failure> {
        if (kind == kIP) {
            uint8_t b1, b2, b3, b4;
            if (Split_IP_Address(r.text(column), b1, b2, b3, b4)) return fail(t.ip);
        } else if (kind == kMSTP) {
            const int id = r.number(column);
            if (id < 0 || id > 254) return fail(t.slave);
        }
        return std::nullopt;
    };
}

Check instance(int column, int text) {
    return [=](const RowView& r) -> std::optional<Failure> {
        const int64_t v = decimal64(r.text(column));
        if (v < 0 || v > 4294967295LL) return fail(text);
        return std::nullopt;
    };
}

// Network number, address length and address of a request routed to another network.
Check destination(int net, int length, int address, bool read, const PageTexts& t) {
    return [=](const RowView& r) -> std::optional<Failure> {
        const int n = r.number(net);
        if (n < 1 || n > 65535) return fail(t.net);
        const int len = r.number(length);
        // Any number other than 1, 2 or 6 is a wrong length; only a text is read as an "M" list.
        if (len != -1 || upper(r.text(length)) == u"-1") {
            const int a = r.number(address);
            switch (len) {
            case 1:
                return a >= 0 && a <= 255 ? std::nullopt : fail(t.byte);
            case 2:
                return a >= 1 && a <= 65535 ? std::nullopt : fail(t.word);
            case 6: {
                uint8_t b1, b2, b3, b4;
                uint16_t port;
                return Split_IP_Port(TrimCtl(r.text(address)), b1, b2, b3, b4, port) ? std::nullopt : fail(t.ipPort);
            }
            default:
                return fail(t.length);
            }
        }
        const QString m = upper(r.text(length));
        if (m.size() != 2 || m[0] != u'M' || m[1] < u'1' || m[1] > u'8') return fail(t.lengthWrong);
        return Check_Dest_Add(r.text(address), m[1].unicode() - u'0', read);
    };
}

bool enabled(const RowView& r) { return r.text(1) == u"Y"; }

SectionRules readRules(int kind) {
    SectionRules s;
    s.skip = [](const RowView& r) { return !enabled(r); };
    const PageTexts& t = kReadTexts;
    s.checks = {
        address(kind, rAddress, t),
        [](const RowView& r) {
            return Check_Object_Type(r.text(rObjectType), true) == kInvalid ? fail(kReadTexts.objectType)
                                                                              : std::nullopt;
        },
        instance(rInstance, t.instance),
        [](const RowView& r) {
            const int code = Check_Object_Type(r.text(rObjectType), true);
            return Check_Property(r.text(rProperty), true, code) == kInvalid ? fail(kReadTexts.property)
                                                                               : std::nullopt;
        },
        inRange(rNByte, 0, 255, 4743),
        when([](const RowView& r) { return upper(r.text(rEnDest)) == u"Y"; },
             destination(rDNet, rDLen, rDAdd, true, t)),
        inRange(rPollTime, 0, 100000000, 4744),
        inRange(rMaxErr, 0, 65535, 4745),
    };
    return s;
}

SectionRules writeRules(int kind) {
    SectionRules s;
    s.skip = [](const RowView& r) { return !enabled(r); };
    const PageTexts& t = kWriteTexts;
    const auto code = [](const RowView& r) { return Check_Object_Type(r.text(wObjectType), false); };
    const auto property = [code](const RowView& r) { return Check_Property(r.text(wProperty), false, code(r)); };
    s.checks = {
        address(kind, wAddress, t),
        [code](const RowView& r) { return code(r) == kInvalid ? fail(kWriteTexts.objectType) : std::nullopt; },
        instance(wInstance, t.instance),
        [property](const RowView& r) {
            const int p = property(r);
            return p == 100 || p == 200 ? std::nullopt : fail(kWriteTexts.property);
        },
        [code, property](const RowView& r) -> std::optional<Failure> {
            const int p = property(r);
            if (p != 100 || Check_Data_Type(r.text(wDataType), code(r), p)) return std::nullopt;
            const QString expected = Aspected_Data_Type_Value(code(r), p);
            if (expected.isEmpty()) return fail(4752);
            Failure f{4758, {}};
            f.own = Text_Table.value(4758) + expected;
            return f;
        },
        inRange(wPriority, 0, 16, 4753),
        [](const RowView& r) -> std::optional<Failure> {
            const int most = Check_Num_Byte_Max(r.text(wDataType));
            const int n = r.number(wNByte);
            if (n < 0 || n > most) return Failure{4754, most};
            return std::nullopt;
        },
        when([](const RowView& r) { return upper(r.text(wEnDest)) == u"Y"; },
             destination(wDNet, wDLen, wDAdd, false, t)),
        when([](const RowView& r) { return r.text(wTimer).toUpper() == u"Y"; }, inRange(wPollTime, 0, 100000000, 4755)),
        inRange(wMaxErr, 0, 65535, 4756),
    };
    return s;
}

struct EdeType {
    int type;
    const char* name;
    const char* dataType;
    int bytes;
};
constexpr EdeType kEdeTypes[] = {
    {0, "Analog Input", "Real", 4},        {1, "Analog Output", "Real", 4},
    {2, "Analog Value", "Real", 4},        {3, "Binary Input", "Enumerated", 1},
    {4, "Binary Output", "Enumerated", 1}, {5, "Binary Value", "Enumerated", 1},
    {13, "Multi-State Input", "Unsigned Int", 4}, {14, "Multi-State Output", "Unsigned Int", 4},
    {19, "Multi-State Value", "Unsigned Int", 4}, {21, "Life Safety Point", "Enumerated", 2},
    {22, "Life Safety Zone", "Enumerated", 2},    {23, "Accumulator", "Unsigned Int", 4},
    {45, "Integer Value", "Signed Int", 4},       {46, "Large Analog Value", "Double", 8},
    {48, "Positive Integer Value", "Unsigned Int", 4},
};

const EdeType* findEde(int type) {
    for (const EdeType& e : kEdeTypes)
        if (e.type == type) return &e;
    return nullptr;
}

}  // namespace

int keyColumn(int kind) { return kind == kIP || kind == kMSTP ? rAddress : rObjectType; }

const Schema& schema(int kind) {
    static const Schema byAddress = makeSchema(rAddress);
    static const Schema byObjectType = makeSchema(rObjectType);
    return keyColumn(kind) == rAddress ? byAddress : byObjectType;
}

std::optional<int> masterType(const QByteArray& parGen) {
    plat::XmlDocument doc;
    if (!doc.loadBytes(parGen)) return std::nullopt;
    const plat::XmlElement e = doc.root().child(QStringLiteral("BACnet_Master_Type"));
    if (e.isNull()) return std::nullopt;
    const QString text = e.text();
    const int v = decimal(text);
    return v == -1 && TrimCtl(text) != u"-1" ? 0 : v;
}

int clientWidthFor(int screenWidth) { return screenWidth < 1271 ? 1000 : 1305; }

const QStringList& readObjectTypes() {
    static const QStringList l = list({"Accumulator", "Multi-State Input", "Multi-State Output", "Multi-State Value",
                                       "Analog Input", "Analog Output", "Analog Value", "Binary Input", "Binary Output",
                                       "Binary Value", "Integer Value", "Large Analog Value", "Positive Integer Value",
                                       "Life Safety Point", "Life Safety Zone"});
    return l;
}

const QStringList& writeObjectTypes() {
    static const QStringList l =
        list({"Multi-State Output", "Multi-State Value", "Analog Output", "Analog Value", "Binary Output",
              "Binary Value", "Integer Value", "Large Analog Value", "Positive Integer Value"});
    return l;
}

const QStringList& readProperties() {
    static const QStringList l =
        list({"Present Value (85)", "Object Identifier (75)", "Units (117)", "Scale (187)", "PreScale (185)",
              "Polarity (84)", "Event State (36)", "Status Flags (111)", "Object Type (79)", "Number of States (74)"});
    return l;
}

const QStringList& writeProperties() {
    static const QStringList l = list({"Present Value (85)"});
    return l;
}

const QStringList& dataTypes() {
    static const QStringList l =
        list({"Null", "Boolean", "Unsigned Int", "Signed Int", "Real", "Double", "Octet String", "Character String",
              "Bit String", "Enumerated", "Date", "Time", "Object ID"});
    return l;
}

const QStringList& destinationLengths() {
    static const QStringList l = list({"1", "2", "6", "M1", "M2", "M3", "M4", "M5", "M6", "M7", "M8"});
    return l;
}

const QStringList& readConversions() {
    static const QStringList l = list({"None", "Float to Int", "(Float to Int) * 10", "(Float to Int) * 100"});
    return l;
}

const QStringList& writeConversions() {
    static const QStringList l = list({"None", "Int to Float", "(Int to Float) / 10", "(Int to Float) / 100"});
    return l;
}

int Check_Object_Type(const QString& text, bool read) {
    static const struct {
        const char* text;
        int code;
        bool readOnly;
    } kTypes[] = {{"ACCUMULATOR", 1, true},         {"MULTI-STATE INPUT", 2, true},
                  {"MULTI-STATE OUTPUT", 3, false}, {"ANALOG INPUT", 4, true},
                  {"ANALOG OUTPUT", 5, false},      {"BINARY INPUT", 6, true},
                  {"BINARY OUTPUT", 7, false},      {"INTEGER VALUE", 8, false},
                  {"LARGE ANALOG VALUE", 9, false}, {"POSITIVE INTEGER VALUE", 10, false},
                  {"MULTI-STATE VALUE", 11, false}, {"ANALOG VALUE", 12, false},
                  {"BINARY VALUE", 13, false},      {"LIFE SAFETY POINT", 14, false},
                  {"LIFE SAFETY ZONE", 15, false}};
    const QString t = upper(text);
    for (const auto& e : kTypes)
        if (t == QLatin1StringView(e.text)) return read || !e.readOnly ? e.code : kInvalid;
    const int n = decimal(t);
    return proprietaryType(n) ? n : kInvalid;
}

int Check_Property(const QString& text, bool read, int Obj_Type) {
    // The read page's properties of fixed size; `only` lists the object types a property belongs
    // to, `not_` those it does not (both empty: every type).
    static const struct {
        const char* text;
        int result;
        std::initializer_list<int> only, not_;
    } kReadProperties[] = {
        {"OBJECT IDENTIFIER (75)", 4, {}, {}},   {"UNITS (117)", 4, {}, {2, 3, 6, 7, 11, 13}},
        {"SCALE (187)", 1, {1}, {}},             {"PRESCALE (185)", 5, {1}, {}},
        {"POLARITY (84)", 1, {6, 7, 13}, {}},    {"EVENT STATE (36)", 4, {}, {}},
        {"STATUS FLAGS (111)", 1, {}, {}},       {"OBJECT TYPE (79)", 2, {}, {}},
        {"NUMBER OF STATES (74)", 4, {2, 3, 11}, {}},
    };
    const QString t = upper(text);
    if (t == u"PRESENT VALUE (85)") return 100;
    const int n = decimal(t);
    if (n >= 512 && n <= 4184303) return 200;
    if (!read) return kInvalid;
    for (const auto& p : kReadProperties) {
        if (t != QLatin1StringView(p.text)) continue;
        if (p.only.size() > 0 && !in(Obj_Type, p.only)) return kInvalid;
        return in(Obj_Type, p.not_) ? kInvalid : p.result;
    }
    return kInvalid;
}

bool Check_Data_Type(const QString& text, int Obj_Type, int Property_val) {
    if (Property_val == 200) return true;
    if (Property_val != 100) return false;
    if (proprietaryType(Obj_Type)) return true;
    const QString expected = Aspected_Data_Type_Value(Obj_Type, Property_val);
    return !expected.isEmpty() && upper(text) == expected.toUpper();
}

QString Aspected_Data_Type_Value(int Obj_Type, int) {
    // The present value's data type by object-type code; other codes have none to name.
    static const struct {
        std::initializer_list<int> codes;
        const char* name;
    } kTypes[] = {{{3, 10, 11}, "Unsigned Int"}, {{8}, "Signed Int"}, {{5, 12}, "Real"},
                  {{9}, "Double"},               {{7, 13}, "Enumerated"}};
    for (const auto& e : kTypes)
        if (in(Obj_Type, e.codes)) return QString::fromLatin1(e.name);
    return {};
}

int Check_Num_Byte_Max(const QString& dataType) {
    static const struct {
        const char* type;
        int most;
    } kMost[] = {{"NULL", 0}, {"BOOLEAN", 1},    {"UNSIGNED INT", 4}, {"SIGNED INT", 4}, {"REAL", 4},
                 {"ENUMERATED", 4}, {"DATE", 4}, {"TIME", 4},         {"OBJECT ID", 4},  {"DOUBLE", 8},
                 {"BIT STRING", 120}};
    const QString t = upper(dataType);
    for (const auto& m : kMost)
        if (t == QLatin1StringView(m.type)) return m.most;
    return 255;  // the strings and any other text
}

std::optional<Failure> Check_Dest_Add(const QString& values, int NumByte, bool InRead) {
    const QString all = TrimCtl(values);
    // An empty list has no bytes at all: too few.
    const QStringList parts = all.isEmpty() ? QStringList() : all.split(u',');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i >= NumByte) return fail(InRead ? 4784 : 4785);
        const int b = decimal(TrimCtl(parts[i]));
        if (b < 0 || b > 255) return fail(InRead ? 4782 : 4783);
    }
    if (parts.size() < NumByte) return fail(InRead ? 4788 : 4789);
    return std::nullopt;
}

QString NByte_Hint(const QString& objectType, const QString& property) {
    if (TrimCtl(objectType).isEmpty() || TrimCtl(property).isEmpty()) return {};
    const int code = Check_Object_Type(objectType, true);
    const int r = Check_Property(property, true, code);
    if (r >= 1 && r <= 49) return QString::number(r);
    if (r != 100) return {};
    if (in(code, {1, 2, 3, 4, 5, 8, 10})) return QStringLiteral("4");
    if (in(code, {6, 7})) return QStringLiteral("1");
    if (code == 9) return QStringLiteral("8");
    return {};
}

std::vector<SectionRules> rules(int kind) { return {readRules(kind), writeRules(kind)}; }

QString Get_ObjType_EDE(int edeType) {
    const EdeType* e = findEde(edeType);
    return e ? QString::fromLatin1(e->name) : QString();
}

QString Get_DataType_EDE(int edeType) {
    const EdeType* e = findEde(edeType);
    return QString::fromLatin1(e ? e->dataType : "Null");
}

int Get_NumByte_EDE(int edeType) {
    const EdeType* e = findEde(edeType);
    return e ? e->bytes : 4;
}

ImportOutcome importObjects(Rows& read, Rows& write, int kind, const std::vector<TBACnet_Var>& objects,
                            const QString& address) {
    const Schema& s = schema(kind);
    struct Page {
        Rows& rows;
        const Section& section;
        int nbyte, position, columns;
        size_t next = 0;   // where the search for a free row goes on
        int64_t byte = 0;  // the next free byte
    };
    Page pages[2] = {{read, s.sections[0], rNByte, rPosition, kReadColumns},
                     {write, s.sections[1], wNByte, wPosition, kWriteColumns}};
    for (Page& p : pages)
        for (const Row& row : p.rows) {
            if (keyEmpty(p.section, row)) continue;
            const int pos = decimal(row.value(p.position)), n = decimal(row.value(p.nbyte));
            if (pos >= 0 && n >= 0) p.byte = std::max(p.byte, int64_t(pos) + n);
        }
    ImportOutcome out;
    const auto place = [&](int page, const TBACnet_Var& v) {
        Page& p = pages[page];
        while (p.next < p.rows.size() && !keyEmpty(p.section, p.rows[p.next])) ++p.next;
        if (p.next >= p.rows.size()) {
            ++out.notImported[page];
            return;
        }
        const int bytes = Get_NumByte_EDE(v.object_type);
        Row row(p.columns);
        const bool w = page == 1;
        const auto col = [w](int writeColumn, int readColumn) { return w ? writeColumn : readColumn; };
        row[1] = QStringLiteral("Y");
        row[col(wAddress, rAddress)] = address;
        row[col(wObjectType, rObjectType)] = Get_ObjType_EDE(v.object_type);
        row[col(wInstance, rInstance)] = QString::number(v.object_instance);
        row[col(wProperty, rProperty)] = QStringLiteral("Present Value (85)");
        row[p.nbyte] = QString::number(bytes);
        row[col(wEnDest, rEnDest)] = QStringLiteral("N");
        row[col(wPollTime, rPollTime)] = QStringLiteral("1000");
        row[col(wMaxErr, rMaxErr)] = QStringLiteral("0");
        row[p.position] = QString::number(p.byte);
        row[col(wStartBit, rStartBit)] = QStringLiteral("0");
        row[col(wSwap, rSwap)] = QStringLiteral("N");
        row[col(wMnemonic, rMnemonic)] = v.object_name + QStringLiteral(" - ") + v.description;
        if (w) {
            row[wDataType] = Get_DataType_EDE(v.object_type);
            row[wPriority] = QStringLiteral("0");
            row[wChange] = QStringLiteral("N");
            row[wTimer] = QStringLiteral("N");
        }
        // A row wider than the page (a grid with extra columns) keeps its width.
        for (qsizetype c = row.size(); c < p.rows[p.next].size(); ++c) row.append(QString());
        p.rows[p.next] = std::move(row);
        out.filled[page].push_back(int(p.next));
        p.byte += bytes;
        ++p.next;
    };
    for (const TBACnet_Var& v : objects) {
        if (!v.import) continue;
        if (v.read) place(0, v);
        if (v.write) place(1, v);
    }
    return out;
}

}  // namespace bacnetclient
