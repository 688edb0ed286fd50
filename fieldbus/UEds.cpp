#include "fieldbus/UEds.h"

#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/IntConv.h"
#include "platform/UserDialogs.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"

#include <QHash>
#include <algorithm>
#include <utility>

namespace {

constexpr char kPdoFile[] = "PDO_CANopen.xml";
constexpr char kSdoServerFile[] = "SDO_Server_CANopen.xml";

constexpr char EDS_File_Name[] = "CANopen_MQTT.eds";
constexpr char EDS_Description[] = "Converter CANopen / MQTT";
constexpr char EDS_Product_Number[] = "620";
constexpr char EDS_Order_Code[] = "KG73620";
constexpr char kMaker[] = "Quorim";

// The names of the application variables of receive PDO 1 to 30 and transmit PDO 1 to 30; a
// variable's name is its PDO's name followed by its byte number.
constexpr const char* RPDO_Var_Names[kMaxPDO] = {
    "b",  "c",  "d",  "e",  "f",  "g",  "h",  "j",  "k",  "i",  "aa", "ab", "ac", "ad", "ae",
    "af", "ag", "ah", "ai", "al", "am", "an", "ao", "ap", "aq", "ar", "as", "at", "au", "av"};
constexpr const char* TPDO_Var_Names[kMaxPDO] = {
    "l",  "m",  "n",  "o",  "p",  "q",  "r",  "s",  "t",  "u",  "ca", "cb", "cc", "cd", "ce",
    "cf", "cg", "ch", "ci", "cl", "cm", "cn", "co", "cp", "cq", "cr", "cs", "ct", "cu", "cv"};

// The PDO objects of each direction: communication, mapping and application variables.
constexpr uint16_t kRxCommunication = 0x1400, kRxMapping = 0x1600, kRxVariables = 0x7000;
constexpr uint16_t kTxCommunication = 0x1800, kTxMapping = 0x1A00, kTxVariables = 0x7050;

constexpr uint16_t kMandatoryObjects[] = {0x1000, 0x1001, 0x1018};
constexpr uint16_t kFixedOptionalObjects[] = {0x1005, 0x1006, 0x1008, 0x1014, 0x1016, 0x1017, 0x1029, 0x1280};

// One block of the fixed objects: a record header when subNumber > 0, else a variable.
struct FixedBlock {
    uint16_t index;
    int sub;  // -1: the object's own section
    int subNumber;
    const char* name;
    const char* objectType;
    const char* dataType;
    const char* access;
    const char* defaultValue;  // nullptr: the block has no DefaultValue line
};

constexpr FixedBlock kFixedBlocks[] = {
    {0x1000, -1, 0, "Device Type", "0x07", "0x0007", "const", "0x000101A4"},
    {0x1001, -1, 0, "Error Register", "0x07", "0x0005", "ro", "0x00"},
    {0x1005, -1, 0, "COB-ID SYNC", "0x07", "0x0007", "rw", "0x80000080"},
    {0x1006, -1, 0, "Communication Cycle Period", "0x07", "0x0007", "rw", "0x00000000"},
    {0x1008, -1, 0, "Manufacturer Device Name", "0x07", "0x0009", "const", "s1"},
    {0x1014, -1, 0, "COB-ID EMCY", "0x07", "0x0007", "ro", "$NODEID+0x80"},
    {0x1016, -1, 3, "Heartbeat Consumer Entries", "0x08", nullptr, nullptr, nullptr},
    {0x1016, 0, 0, "Number of Entries", "0x07", "0x0005", "ro", "0x02"},
    {0x1016, 1, 0, "Consumer Heartbeat Time 1", "0x07", "0x0007", "rw", "0x00000000"},
    {0x1016, 2, 0, "Consumer Heartbeat Time 2", "0x07", "0x0007", "rw", "0x00000000"},
    {0x1017, -1, 0, "Producer Heartbeat Time", "0x07", "0x0006", "rw", "0x000003E8"},
    {0x1018, -1, 5, "Identity Object", "0x09", nullptr, nullptr, nullptr},
    {0x1018, 0, 0, "number of entries", "0x07", "0x0005", "ro", "0x4"},
    {0x1018, 1, 0, "Vendor Id", "0x07", "0x0007", "ro", nullptr},
    {0x1018, 2, 0, "Product Code", "0x07", "0x0007", "ro", nullptr},
    {0x1018, 3, 0, "Revision number", "0x07", "0x0007", "ro", nullptr},
    {0x1018, 4, 0, "Serial number", "0x07", "0x0007", "ro", nullptr},
    {0x1029, -1, 2, "Error Behaviour", "0x08", nullptr, nullptr, nullptr},
    {0x1029, 0, 0, "Number of Entries", "0x07", "0x0005", "ro", "1"},
    {0x1029, 1, 0, "Communication Error", "0x07", "0x0005", "rw", "0x0"},
    {0x1280, -1, 4, "Client SDO Parameter 1", "0x09", nullptr, nullptr, nullptr},
    {0x1280, 0, 0, "Number of Entries", "0x07", "0x0005", "ro", "0x03"},
    {0x1280, 1, 0, "COB-ID Client -> Server", "0x07", "0x0007", "rw", nullptr},
    {0x1280, 2, 0, "COB-ID Server -> Client", "0x07", "0x0007", "rw", nullptr},
    {0x1280, 3, 0, "Node ID of the SDO Server", "0x07", "0x0005", "rw", nullptr},
};

// The device section up to the PDO counts.
constexpr std::pair<const char*, const char*> kDeviceInfo[] = {
    {"VendorName", kMaker},           {"VendorNumber", "0x00"},       {"ProductName", EDS_Description},
    {"ProductNumber", EDS_Product_Number}, {"RevisionNumber", "0x0"}, {"OrderCode", EDS_Order_Code},
    {"BaudRate_10", "1"},             {"BaudRate_20", "1"},           {"BaudRate_50", "1"},
    {"BaudRate_125", "1"},            {"BaudRate_250", "1"},          {"BaudRate_500", "1"},
    {"BaudRate_800", "0"},            {"BaudRate_1000", "1"},         {"DynamicChannelsSupported", "0"},
    {"GroupMessaging", "0"},          {"LSS_Supported", "0"},         {"Granularity", "0"},
    {"SimpleBootUpSlave", "1"},       {"SimpleBootUpMaster", "0"}};

QString latin(const char* s) { return QString::fromLatin1(s); }

QString hex(uint32_t value, int digits) {
    return QString::number(value, 16).toUpper().rightJustified(digits, u'0');
}
QString H2(uint32_t v) { return hex(v, 2); }
QString H4(uint32_t v) { return hex(v, 4); }
QString H8(uint32_t v) { return hex(v, 8); }
QString D(int64_t v) { return QString::number(v); }

QString fileError(const char* file, const QString& what) {
    return QStringLiteral("Error in \"%1\": %2").arg(latin(file), what);
}

QString rowPlace(const char* section, size_t row) {
    return QStringLiteral("section \"%1\", row %2").arg(latin(section)).arg(row + 1);
}

// Loads the bytes and finds the root; false with the message in `error`.
bool openDocument(plat::XmlDocument& doc, const QByteArray& bytes, const char* file, QString* error) {
    QString parseError;
    if (!doc.loadBytes(bytes, &parseError)) {
        if (error) *error = fileError(file, parseError);
        return false;
    }
    if (doc.root().isNull()) {
        if (error) *error = fileError(file, QStringLiteral("the document has no root element"));
        return false;
    }
    return true;
}

// The rows of one section, or false with `error` when the section is missing.
bool sectionRows(const plat::XmlDocument& doc, const char* file, const char* section,
                 std::vector<plat::XmlElement>& rows, QString* error) {
    const plat::XmlElement parent = doc.root().child(latin(section));
    if (parent.isNull()) {
        if (error) *error = fileError(file, QStringLiteral("the section \"%1\" is missing").arg(latin(section)));
        return false;
    }
    // Every child element is a row, as the lists read them.
    rows = parent.childElements();
    return true;
}

// A required attribute's text, or nothing with `error` naming file, section, row and attribute.
std::optional<QString> requiredAttribute(const plat::XmlElement& row, const char* name, const char* file,
                                         const char* section, size_t index, QString* error) {
    const QString key = latin(name);
    if (row.hasAttribute(key)) return row.attribute(key);
    if (error)
        *error = fileError(file, QStringLiteral("%1: the attribute \"%2\" is missing").arg(rowPlace(section, index), key));
    return std::nullopt;
}

// Whether the file defines an object of this index itself: a fixed one or one of the PDOs.
bool sdoIndexTaken(const EDS_Tables& t, int index) {
    if (std::find(std::begin(kMandatoryObjects), std::end(kMandatoryObjects), index) != std::end(kMandatoryObjects) ||
        std::find(std::begin(kFixedOptionalObjects), std::end(kFixedOptionalObjects), index) !=
            std::end(kFixedOptionalObjects))
        return true;
    const auto within = [index](uint16_t first, int count) { return index >= first && index < first + count; };
    return within(kRxCommunication, t.Num_RPDO) || within(kRxMapping, t.Num_RPDO) ||
           within(kRxVariables, t.Num_RPDO) || within(kTxCommunication, t.Num_TPDO) ||
           within(kTxMapping, t.Num_TPDO) || within(kTxVariables, t.Num_TPDO);
}

// The file's lines and the two block forms.
class Lines {
public:
    void add(const QString& line) { lines_.append(line); }
    void add(const char* line) { lines_.append(latin(line)); }
    void empty() { lines_.append(QString()); }

    void section(const QString& name) { add(QLatin1Char('[') + name + QLatin1Char(']')); }
    void key(const char* key, const QString& value) { add(latin(key) + u'=' + value); }

    // A section line, the six keys (DefaultValue only when there is one), then an empty line unless
    // the block ends the fixed objects.
    void variable(const QString& name, const QString& parameter, const char* objectType, const char* dataType,
                  const char* access, const std::optional<QString>& defaultValue, const char* mapping,
                  bool emptyAfter = true) {
        section(name);
        key("ParameterName", parameter);
        key("ObjectType", latin(objectType));
        key("DataType", latin(dataType));
        key("AccessType", latin(access));
        if (defaultValue) key("DefaultValue", *defaultValue);
        key("PDOMapping", latin(mapping));
        if (emptyAfter) empty();
    }
    void record(const QString& name, int subNumber, const QString& parameter, const char* objectType) {
        section(name);
        key("SubNumber", D(subNumber));
        key("ParameterName", parameter);
        key("ObjectType", latin(objectType));
        empty();
    }

    QStringList take() { return std::move(lines_); }

private:
    QStringList lines_;
};

QString sectionName(uint16_t index, int sub = -1) {
    return sub < 0 ? H4(index) : H4(index) + QStringLiteral("sub") + D(sub);
}

// The communication object of a PDO.
void communicationObject(Lines& l, uint16_t index, const QString& parameter, int32_t cobId) {
    l.record(sectionName(index), 4, parameter, "0x09");
    l.variable(sectionName(index, 0), QStringLiteral("Number of Entries"), "0x07", "0x0005", "ro",
               QStringLiteral("0x03"), "0");
    l.variable(sectionName(index, 1), QStringLiteral("COB-ID"), "0x07", "0x0007", "rw",
               QStringLiteral("0x") + H8(uint32_t(cobId)), "0");
    l.variable(sectionName(index, 2), QStringLiteral("Transmission Type"), "0x07", "0x0005", "rw",
               QStringLiteral("0xFE"), "0");
    l.variable(sectionName(index, 3), QStringLiteral("Inhibit Time"), "0x07", "0x0006", "rw", QStringLiteral("0x0"),
               "0");
}

// The mapping object of a PDO of `length` bytes whose variables are `variables`.
void mappingObject(Lines& l, uint16_t index, const QString& parameter, int length, uint16_t variables) {
    l.record(sectionName(index), length + 1, parameter, "0x09");
    l.variable(sectionName(index, 0), QStringLiteral("Number of Entries"), "0x07", "0x0005", "ro",
               QStringLiteral("0x") + H2(length), "0");
    for (int j = 1; j <= length; ++j)
        l.variable(sectionName(index, j), QStringLiteral("Mapping Entry ") + D(j), "0x07", "0x0007", "ro",
                   QStringLiteral("0x") + H4(variables) + H2(j) + QStringLiteral("08"), "0");
}

// The application variables of a PDO, one byte each.
void variablesObject(Lines& l, uint16_t index, const QString& parameter, int length, const char* countAccess,
                     const char* varName, const char* varAccess) {
    l.record(sectionName(index), length + 1, parameter, "0x08");
    l.variable(sectionName(index, 0), QStringLiteral("Number of Entries"), "0x07", "0x0005", countAccess,
               QStringLiteral("0x") + H2(length), "0");
    for (int j = 1; j <= length; ++j)
        l.variable(sectionName(index, j), latin(varName) + D(j), "0x07", "0x0005", varAccess, QStringLiteral("0x00"),
                   "1");
}

// One manufacturer object: a record of its sub-indexes, with a count entry when the list has no
// sub-index 0 of its own.
void manufacturerObject(Lines& l, const SDO_Index& object) {
    const uint16_t I = object.Index;
    const int N = int(object.Sub_Indexs.size());
    const int first = object.Sub_Indexs.front().Sub;
    const int last = object.Sub_Indexs.back().Sub;
    l.record(sectionName(I), first == 0 ? N : N + 1, QStringLiteral("App Vars"), "0x9");
    if (first != 0)
        l.variable(sectionName(I, 0), QStringLiteral("Largest Sub-Index supported"), "0x7", "0x0005", "ro",
                   QStringLiteral("0x") + H2(last), "0");
    // The value range of each size: data type, low and high limit, default.
    struct Size {
        const char* dataType;
        const char* low;
        const char* high;
        const char* value;
    };
    static constexpr Size kByte = {"0x0005", "0x00", "0xFF", "0x00"};
    static constexpr Size kWord = {"0x0006", "0x0000", "0xFFFF", "0x0000"};
    static constexpr Size kLong = {"0x0007", "0x00000000", "0xFFFFFFFF", "0x00000000"};
    for (const SDO_Sub_Type& s : object.Sub_Indexs) {
        const Size& size = s.Quantity == 1 ? kByte : s.Quantity == 2 ? kWord : kLong;
        l.section(H4(I) + QStringLiteral("sub") + QString::number(s.Sub, 16).toUpper());
        l.add("ParameterName=Application Variable");
        l.add("ObjectType=0x7");
        l.key("DataType", latin(size.dataType));
        l.key("LowLimit", latin(size.low));
        l.key("HighLimit", latin(size.high));
        l.key("DefaultValue", latin(size.value));
        l.add(s.Readonly ? "AccessType=ro" : "AccessType=rw");
        l.add("PDOMapping=0");
        l.empty();
    }
}

// Sorting, the last check and the text: what follows the reading of both files.
eds::Built finish(EDS_Tables& tables, const QDateTime& now) {
    Sort_SDO_Sub_Indexs(tables.List_SDO_Index);
    if (const std::optional<QString> p = eds::problem(tables)) return {{}, *p};
    return {eds::edsBytes(eds::edsLines(tables, now)), {}};
}

// Reads a project file when it exists: nothing for a missing file, false when it cannot be read.
bool readIfExists(const QString& path, const char* file, std::optional<QByteArray>& bytes, QString* error) {
    bytes.reset();
    if (!plat::fileExists(path)) return true;
    QString why;
    bytes = plat::readFile(path, &why);
    if (!bytes && error) *error = fileError(file, why);
    return bytes.has_value();
}

}  // namespace

namespace eds {

bool readPdo(const QByteArray& bytes, EDS_Tables& t, QString* error) {
    t.Num_RPDO = 0;
    t.Num_TPDO = 0;
    plat::XmlDocument doc;
    if (!openDocument(doc, bytes, kPdoFile, error)) return false;
    struct Direction {
        const char* section;
        int first;  // its first entry of PDO_List
        int32_t& count;
    };
    const Direction directions[] = {{"Receive_PDO", 0, t.Num_RPDO}, {"Transmit_PDO", kMaxPDO, t.Num_TPDO}};
    for (const Direction& d : directions) {
        std::vector<plat::XmlElement> rows;
        if (!sectionRows(doc, kPdoFile, d.section, rows, error)) return false;
        // The tables hold 30 PDOs a direction, as many as the list edits; further rows are not read.
        const size_t n = std::min(rows.size(), size_t(kMaxPDO));
        for (size_t i = 0; i < n; ++i) {
            const std::optional<QString> cobId = requiredAttribute(rows[i], "COB-ID", kPdoFile, d.section, i, error);
            if (!cobId) return false;
            const std::optional<QString> dimension =
                requiredAttribute(rows[i], "Dimension", kPdoFile, d.section, i, error);
            if (!dimension) return false;
            const std::optional<int32_t> length = plat::tryStrToInt(*dimension);
            // A PDO carries at most 8 bytes: more would map entries past them and overflow the
            // two-digit entry count.
            if (length && (*length < 1 || *length > 8)) {
                if (error)
                    *error = fileError(kPdoFile, QStringLiteral("%1: the Dimension \"%2\" must be between 1 and 8")
                                                     .arg(rowPlace(d.section, i), *dimension));
                return false;
            }
            t.PDO_List[size_t(d.first) + i] = {plat::tryStrToInt(*cobId).value_or(0), length.value_or(8)};
        }
        d.count = int32_t(n);
    }
    return true;
}

bool readSdoServer(const QByteArray& bytes, EDS_Tables& t, QString* error) {
    t.List_SDO_Index.clear();
    plat::XmlDocument doc;
    if (!openDocument(doc, bytes, kSdoServerFile, error)) return false;
    // Where each index and sub-index was first met, to name it when it comes again.
    QHash<uint32_t, QString> seen;
    const auto fail = [error](const QString& what) {
        if (error) *error = fileError(kSdoServerFile, what);
        return false;
    };
    for (const auto& [section, readonly] : {std::pair{"SDO_Read", true}, std::pair{"SDO_Write", false}}) {
        std::vector<plat::XmlElement> rows;
        if (!sectionRows(doc, kSdoServerFile, section, rows, error)) return false;
        for (size_t i = 0; i < rows.size(); ++i) {
            int32_t values[3] = {};
            const char* names[3] = {"Index", "SubIndex", "NByte"};
            for (int a = 0; a < 3; ++a) {
                const std::optional<QString> text = requiredAttribute(rows[i], names[a], kSdoServerFile, section, i, error);
                if (!text) return false;
                const std::optional<int32_t> v = plat::tryStrToInt(*text);
                if (!v)
                    return fail(QStringLiteral("%1: the attribute \"%2\" is not a number (\"%3\")")
                                    .arg(rowPlace(section, i), latin(names[a]), *text));
                values[a] = *v;
            }
            const auto [index, sub, quantity] = values;
            // An object dictionary has 16-bit indexes and 8-bit sub-indexes: a value outside them is
            // refused, not cut down to another object.
            if (index < 0 || index > 0xFFFF)
                return fail(QStringLiteral("%1: the Index \"%2\" must be between 0x0000 and 0xFFFF")
                                .arg(rowPlace(section, i), rows[i].attribute(QStringLiteral("Index"))));
            if (sub < 0 || sub > 0xFF)
                return fail(QStringLiteral("%1: the SubIndex \"%2\" of the index 0x%3 must be between 0x00 and 0xFF")
                                .arg(rowPlace(section, i), rows[i].attribute(QStringLiteral("SubIndex")), H4(index)));
            // The same entry twice would give two sections of one name, which no reader accepts.
            const uint32_t key = uint32_t(index) << 8 | uint32_t(sub);
            if (const auto first = seen.constFind(key); first != seen.constEnd())
                return fail(QStringLiteral("%1: the index 0x%2, sub-index 0x%3 is already in %4; the EDS cannot hold "
                                           "one entry twice")
                                .arg(rowPlace(section, i), H4(index), H2(sub), *first));
            seen.insert(key, rowPlace(section, i));
            const SDO_Sub_Type entry{uint8_t(sub), quantity, readonly, QString()};
            const int p = Find_SDO_Index(t.List_SDO_Index, index);
            if (p < 0)
                t.List_SDO_Index.push_back({uint16_t(index), {entry}});
            else
                t.List_SDO_Index[size_t(p)].Sub_Indexs.push_back(entry);
        }
    }
    return true;
}

std::optional<QString> problem(const EDS_Tables& t) {
    for (const SDO_Index& object : t.List_SDO_Index)
        if (sdoIndexTaken(t, object.Index))
            return fileError(kSdoServerFile,
                             QStringLiteral("the index 0x%1 is an object the EDS defines itself; the EDS cannot "
                                            "hold it twice")
                                 .arg(H4(object.Index)));
    return std::nullopt;
}

QString dateText(const QDate& date) {
    return QStringLiteral("%1-%2-%3")
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(date.year());
}

QString timeText(const QTime& time) {
    int h = time.hour();
    const char* suffix = "AM";
    if (h > 12) {
        suffix = "PM";
        h -= 12;
    } else if (h == 12) {
        suffix = "PM";  // noon, not midnight
    }
    return QStringLiteral("%1:%2%3")
        .arg(h, 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(latin(suffix));
}

QStringList edsLines(const EDS_Tables& t, const QDateTime& now) {
    const QString time = timeText(now.time());
    const QString date = dateText(now.date());
    const int R = std::clamp(t.Num_RPDO, 0, kMaxPDO);
    const int T = std::clamp(t.Num_TPDO, 0, kMaxPDO);
    const auto rx = [&t](int n) { return t.PDO_List[size_t(n)]; };
    const auto tx = [&t](int n) { return t.PDO_List[size_t(kMaxPDO + n)]; };
    Lines l;

    // File information.
    l.section(QStringLiteral("FileInfo"));
    l.key("FileName", latin(EDS_File_Name));
    l.add("FileVersion=1");
    l.add("FileRevision=0");
    l.add("EDSVersion=4.0");
    l.key("Description", latin(EDS_Description));
    l.key("CreationTime", time);
    l.key("CreationDate", date);
    l.key("CreatedBy", latin(kMaker));
    l.key("ModificationTime", time);
    l.key("ModificationDate", date);
    l.key("ModifiedBy", latin(kMaker));
    l.empty();

    // Device information.
    l.section(QStringLiteral("DeviceInfo"));
    for (const auto& [key, value] : kDeviceInfo) l.key(key, latin(value));
    l.key("NrOfRXPDO", D(R));
    l.key("NrOfTXPDO", D(T));
    l.empty();

    l.section(QStringLiteral("Comments"));
    l.add("Lines=0");
    l.empty();
    l.section(QStringLiteral("DummyUsage"));
    for (int k = 1; k <= 7; ++k) l.add(QStringLiteral("Dummy%1=0").arg(k, 4, 10, QLatin1Char('0')));
    l.empty();

    // The object lists.
    const auto list = [&l](const char* name, const std::vector<uint16_t>& objects) {
        l.section(latin(name));
        l.key("SupportedObjects", D(qsizetype(objects.size())));
        for (size_t k = 0; k < objects.size(); ++k) l.add(D(qsizetype(k + 1)) + QStringLiteral("=0x") + H4(objects[k]));
        l.empty();
    };
    list("MandatoryObjects", {std::begin(kMandatoryObjects), std::end(kMandatoryObjects)});
    std::vector<uint16_t> optionalObjects(std::begin(kFixedOptionalObjects), std::end(kFixedOptionalObjects));
    const std::pair<uint16_t, int> pdoObjects[] = {{kRxCommunication, R}, {kRxMapping, R}, {kTxCommunication, T},
                                                   {kTxMapping, T},       {kRxVariables, R}, {kTxVariables, T}};
    for (const auto& [first, count] : pdoObjects)
        for (int n = 0; n < count; ++n) optionalObjects.push_back(uint16_t(first + n));
    list("OptionalObjects", optionalObjects);
    std::vector<uint16_t> manufacturer;
    for (const SDO_Index& object : t.List_SDO_Index) manufacturer.push_back(object.Index);
    list("ManufacturerObjects", manufacturer);

    // The fixed objects; no empty line after the last.
    for (size_t k = 0; k < std::size(kFixedBlocks); ++k) {
        const FixedBlock& b = kFixedBlocks[k];
        if (b.subNumber > 0) {
            l.record(sectionName(b.index, b.sub), b.subNumber, latin(b.name), b.objectType);
            continue;
        }
        const std::optional<QString> value = b.defaultValue ? std::optional(latin(b.defaultValue)) : std::nullopt;
        l.variable(sectionName(b.index, b.sub), latin(b.name), b.objectType, b.dataType, b.access, value, "0",
                   k + 1 < std::size(kFixedBlocks));
    }

    // The PDOs: communication and mapping objects of each direction, then their variables.
    for (int n = 0; n < R; ++n)
        communicationObject(l, uint16_t(kRxCommunication + n), QStringLiteral("Receive PDO Communication Parameter ") + D(n + 1),
                            rx(n).COB_ID);
    for (int n = 0; n < R; ++n)
        mappingObject(l, uint16_t(kRxMapping + n), QStringLiteral("Receive PDO Mapping Parameter"), rx(n).Dimension,
                      uint16_t(kRxVariables + n));
    for (int n = 0; n < T; ++n)
        communicationObject(l, uint16_t(kTxCommunication + n),
                            QStringLiteral("Transmit PDO Communication Parameter ") + D(n + 1), tx(n).COB_ID);
    for (int n = 0; n < T; ++n)
        mappingObject(l, uint16_t(kTxMapping + n), QStringLiteral("Transmit PDO Mapping Parameter ") + D(n + 1),
                      tx(n).Dimension, uint16_t(kTxVariables + n));
    for (int n = 0; n < R; ++n)
        variablesObject(l, uint16_t(kRxVariables + n), QStringLiteral("RPDO") + D(n + 1), rx(n).Dimension, "ro",
                        RPDO_Var_Names[n], "rww");
    for (int n = 0; n < T; ++n)
        variablesObject(l, uint16_t(kTxVariables + n), QStringLiteral("TPDO") + D(n + 1), tx(n).Dimension, "rw",
                        TPDO_Var_Names[n], "rwr");

    // The manufacturer objects and a final empty line.
    for (const SDO_Index& object : t.List_SDO_Index)
        if (!object.Sub_Indexs.empty()) manufacturerObject(l, object);
    l.empty();
    return l.take();
}

QByteArray edsBytes(const QStringList& lines) {
    QByteArray out;
    for (const QString& line : lines) {
        out += line.toLatin1();
        out += "\r\n";
    }
    return out;
}

Built build(const std::optional<QByteArray>& pdoFile, const std::optional<QByteArray>& sdoServerFile,
            const QDateTime& now) {
    EDS_Tables tables;
    QString error;
    if (pdoFile && !readPdo(*pdoFile, tables, &error)) return {{}, error};
    if (sdoServerFile && !readSdoServer(*sdoServerFile, tables, &error)) return {{}, error};
    return finish(tables, now);
}

}  // namespace eds

bool Load_PDO_CANopen(EDS_Tables& tables, QString* error) {
    tables.Num_RPDO = 0;
    tables.Num_TPDO = 0;
    std::optional<QByteArray> bytes;
    if (!readIfExists(g_PDOCANopenFile, kPdoFile, bytes, error)) return false;
    return !bytes || eds::readPdo(*bytes, tables, error);
}

bool Load_SDO_Server_CANopen(EDS_Tables& tables, QString* error) {
    tables.List_SDO_Index.clear();
    std::optional<QByteArray> bytes;
    if (!readIfExists(g_SDOServerCANopenFile, kSdoServerFile, bytes, error)) return false;
    return !bytes || eds::readSdoServer(*bytes, tables, error);
}

int Find_SDO_Index(const std::vector<SDO_Index>& list, int Index) {
    for (size_t p = 0; p < list.size(); ++p)
        if (list[p].Index == Index) return int(p);
    return -1;
}

void Sort_SDO_Sub_Indexs(std::vector<SDO_Index>& list) {
    for (SDO_Index& object : list)
        std::stable_sort(object.Sub_Indexs.begin(), object.Sub_Indexs.end(),
                         [](const SDO_Sub_Type& a, const SDO_Sub_Type& b) { return a.Sub < b.Sub; });
}

bool Build_EDS(const QString& FileName) {
    EDS_Tables tables;
    QString error;
    eds::Built built;
    if (!Load_PDO_CANopen(tables, &error) || !Load_SDO_Server_CANopen(tables, &error))
        built.error = error;
    else
        built = finish(tables, plat::localNow());
    if (!built.error.isEmpty()) {
        plat::dialogs().error(built.error);
        return false;
    }
    if (!plat::atomicWrite(FileName, built.bytes, &error)) {
        plat::dialogs().error(QStringLiteral("Error! The file %1 could not be written: %2").arg(FileName, error));
        return false;
    }
    return true;
}
