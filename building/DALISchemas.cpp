#include "building/DALISchemas.h"

#include "platform/XmlDoc.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

namespace dali {
namespace {

using namespace accesslist;

QStringList latin(std::initializer_list<const char*> texts) {
    QStringList l;
    for (const char* t : texts) l << QString::fromLatin1(t);
    return l;
}

const QStringList& buttonEvents() {
    static const QStringList l = latin({"Button Released", "Button Pressed", "Short Press", "Double Press",
                                        "Long Press Start", "Long Press Repeat", "Long Press Stop", "Button Free",
                                        "Button Stuck"});
    return l;
}
const QStringList& absenceEvents() {
    static const QStringList l = latin({"No Movement", "Vacant", "Presence Sensor"});
    return l;
}
const QStringList& presenceEvents() {
    static const QStringList l = latin({"Movement", "Still Vacant", "Occupied", "Still Occupied", "Movement Sensor"});
    return l;
}

// Each event group, the condition it needs and the text of its message.
struct EventGroup {
    const QStringList& (*events)();
    const char* condition;
    int message;
};
const EventGroup kEventGroups[] = {{&buttonEvents, "When Equal to Value", 4964},
                                   {&absenceEvents, "NAND Logic with Value", 4965},
                                   {&presenceEvents, "AND Logic with Value", 4966}};

const EventGroup* groupOf(const QString& value) {
    for (const EventGroup& g : kEventGroups)
        if (g.events().contains(value)) return &g;
    return nullptr;
}

QString elementName(int n, const char* suffix) {
    return QStringLiteral("DALI_ID_DEVICE_") + QString::number(n) + QString::fromLatin1(suffix);
}

std::optional<Failure> fail(int text, std::optional<int64_t> limit = std::nullopt) { return Failure{text, limit}; }

// A trimmed text as a decimal integer, -1 when it is none.
int64_t trimmedNumber(const QString& text) { return listNumber(TrimCtl(text), NumberRule::Decimal); }

std::optional<Failure> functionCondition(const RowView& r) {
    if (TrimCtl(r.text(fCondition)).isEmpty()) return fail(4950);
    return std::nullopt;
}

Check functionValue(QChar separator) {
    return [separator](const RowView& r) -> std::optional<Failure> {
        const QString value = TrimCtl(r.text(fValue));
        if (const EventGroup* g = groupOf(value)) {
            if (TrimCtl(r.text(fCondition)) != QLatin1String(g->condition)) return fail(g->message);
            return std::nullopt;
        }
        float v = 0;
        if (!Str_To_Float_Sep(value, separator, v)) return fail(4951);
        return std::nullopt;
    };
}

// Every Next Function names a function of the list or 0, once every function passed its own checks.
std::optional<ListFailure> nextFunctions(const Rows& rows, int end, NumberRule) {
    for (int r = 0; r < end; ++r) {
        const QString next = TrimCtl(rows[size_t(r)].value(fNextFunction));
        if (next.isEmpty()) continue;
        const int64_t v = trimmedNumber(next);
        if (v < 0 || v > end) return ListFailure{r + 1, Failure{4952, end}};
    }
    return std::nullopt;
}

std::optional<Failure> ruleType(const RowView& r) {
    const bool device = TrimCtl(r.text(rDevSen)).compare(QLatin1String("Device"), Qt::CaseInsensitive) == 0;
    const QStringList& types = device ? deviceTypes() : sensorTypes();
    if (!types.contains(TrimCtl(r.text(rType)), Qt::CaseInsensitive)) return fail(device ? 4929 : 4930);
    return std::nullopt;
}

Check ruleFunction(int functionCount) {
    return [functionCount](const RowView& r) -> std::optional<Failure> {
        const QString text = TrimCtl(r.text(rFunction));
        if (text.isEmpty()) return std::nullopt;
        // "3 - Dim hall": the number before the first blank.
        const qsizetype blank = text.indexOf(u' ');
        const int64_t v = trimmedNumber(blank < 0 ? text : text.left(blank));
        if (v < 0 || v > functionCount) return fail(4953, functionCount);
        return std::nullopt;
    };
}

}  // namespace

const QStringList& dimmingModes() {
    static const QStringList l = latin({"Normal", "Start Break"});
    return l;
}
const QStringList& recallLevels() {
    static const QStringList l =
        latin({"None", "Recall Min-Max Level for Switch", "Recall Old Value Level for Switch"});
    return l;
}
const QStringList& deviceOrSensor() {
    static const QStringList l = latin({"Device", "Sensor"});
    return l;
}
const QStringList& deviceTypes() {
    static const QStringList l =
        latin({"Fluorescent Lamp", "Emergency Lamp", "High Voltage Discharge", "Alogen Lamp", "Dimmer", "Converter",
               "Led Lamp", "Actuator On Off", "Color Control", "Sequencer"});
    return l;
}
const QStringList& sensorTypes() {
    static const QStringList l = latin({"Generic Input", "Push Button", "Absolute Input", "Occupancy Sensor",
                                        "Light Sensor", "Color Sensor", "Relative Input"});
    return l;
}
const QStringList& numBytes() {
    static const QStringList l = latin({"1", "2"});
    return l;
}
const QStringList& functions() {
    static const QStringList l = latin({"Function Null", "Multiplication", "Division", "Addition", "Subtraction",
                                        "Set Out", "Dim Up", "Dim Down", "Toggle", "Ramp Start", "Ramp Stop"});
    return l;
}
const QStringList& conditions() {
    static const QStringList l =
        latin({"No Condition", "When Equal to Value", "When Lower to Value", "When Greater to Value",
               "AND Logic with Value", "OR Logic with Value", "XOR Logic with Value", "NAND Logic with Value",
               "NOR Logic with Value"});
    return l;
}
const QStringList& events() {
    static const QStringList l = buttonEvents() + latin({"No Movement", "Movement", "Vacant", "Still Vacant",
                                                         "Occupied", "Still Occupied", "Presence Sensor",
                                                         "Movement Sensor"});
    return l;
}
const QStringList& channels() {
    static const QStringList l = [] {
        QStringList c;
        for (int i = 0; i < kDevices; ++i) c << QStringLiteral("DALI Channel %1").arg(i);
        for (int i = 1; i <= 16; ++i) c << QStringLiteral("DALI Group %1").arg(i);
        c << QStringLiteral("DALI Broadcast");
        return c;
    }();
    return l;
}

QString Check_ReCall_Level(const QString& text) {
    return text == recallLevels()[1] || text == recallLevels()[2] ? text : recallLevels()[0];
}

DevicesRead readDevices(const QByteArray& bytes) {
    DevicesRead read;
    read.devices.resize(kDevices);
    plat::XmlDocument doc;
    if (!doc.loadBytes(bytes, &read.error)) {
        read.error = QStringLiteral("Error in \"DALI_Access.xml\": %1").arg(read.error);
        return read;
    }
    const plat::XmlElement root = doc.root();
    if (root.isNull()) {
        read.error = QStringLiteral("Error in \"DALI_Access.xml\": the document has no root element");
        return read;
    }
    for (int n = 0; n < kDevices; ++n) {
        DeviceRead& d = read.devices[size_t(n)];
        const plat::XmlElement enable = root.child(elementName(n, ""));
        d.enable = !enable.isNull() && enable.text() == u"1";
        if (const plat::XmlElement e = root.child(elementName(n, "_MIN_MAN_VALUE")); !e.isNull())
            d.minMax = e.text() == u"1";
        if (const plat::XmlElement e = root.child(elementName(n, "_RECALL_LEVEL")); !e.isNull())
            d.recall = Check_ReCall_Level(e.text());
    }
    return read;
}

void writeDevices(const std::vector<DeviceRow>& rows, plat::XmlDocument& doc) {
    plat::XmlElement root = doc.createRoot(QStringLiteral("DALI_Access"));
    doc.appendComment(QStringLiteral("SW_VERSION = 1.305"));
    const auto flag = [](const QString& check) { return TrimCtl(check.toUpper()) == u"Y" ? QStringLiteral("1") : QStringLiteral("0"); };
    for (int n = 0; n < kDevices; ++n) {
        const DeviceRow row = size_t(n) < rows.size() ? rows[size_t(n)] : DeviceRow{};
        root.appendTextChild(elementName(n, ""), flag(row.enable));
        root.appendTextChild(elementName(n, "_MIN_MAN_VALUE"), row.minMax == u"Y" ? QStringLiteral("1") : QStringLiteral("0"));
        root.appendTextChild(elementName(n, "_RECALL_LEVEL"), row.recall);
    }
}

const Schema& rulesSchema() {
    static const Schema schema{
        "DALI2_Access.xml", "DALI2_Access", "1.305", "row", NumberRule::Decimal,
        {{"DALI2_Functions_Rules",
          {{"Function", Missing::Default},
           {"Condition", Missing::Default},
           {"Value", Missing::Default},
           {"Channel", Missing::Default},
           {"Val", Missing::Default},
           {"Next_Function", Missing::Default},
           {"Mnemonic", Missing::Default}},
          kFunctionRows, fFunction, KeyTrim::Trimmed, 0, {}, ""},
         {"DALI2_SetAccess_Rules",
          {{"Enable", Missing::Default, "Y"},
           {"DeviceSensor", Missing::Default},
           {"Type", Missing::Default},
           {"ChannelNumber", Missing::Default},
           {"Instance", Missing::Default},
           {"Command", Missing::Default},
           {"TimeSend", Missing::Default},
           {"TimeOut", Missing::Default},
           {"Function", Missing::Default},
           {"Position", Missing::Default},
           {"NumBytes", Missing::Default},
           {"Mnemonic", Missing::Default}},
          kRuleRows, rDevSen, KeyTrim::Trimmed, rEnable, {rEnable}, ""}}};
    return schema;
}

std::optional<QString> conditionForEvent(const QString& value) {
    if (const EventGroup* g = groupOf(value)) return QString::fromLatin1(g->condition);
    return std::nullopt;
}

std::vector<SectionRules> rules(const Rows& functionRows, QChar separator) {
    const int functionCount = rowListLength(rulesSchema().sections[0], functionRows);
    SectionRules fn;
    fn.checks = {functionCondition, functionValue(separator)};
    fn.listCheck = nextFunctions;
    SectionRules rule;
    rule.skip = [](const RowView& r) { return r.text(rEnable) != u"Y"; };
    rule.checks = {
        ruleType,
        inRange(rChannelNumber, 0, 63, 4931),
        inRange(rInstance, 0, 31, 4932),
        inRange(rCommand, 0, 255, 4936),
        inRange(rTimeSend, 0, 100000000, 4933),
        inRange(rTimeOut, 0, 100000000, 4934),
        ruleFunction(functionCount),
        inRangeShowingLimit(rPosition, 0, kMaxPosition, 4935),
    };
    return {fn, rule};
}

QString text(int n) {
    const QString t = Text_Table.value(n);
    if (n < 4960 || n > 4966 || !TrimCtl(t).isEmpty()) return t;
    static const char* const kOwn[] = {
        "Channel",
        "Brightness",
        "Select the DALI Channel, Group or Broadcast the Function acts on",
        "Insert the Brightness the Function sets",
        "Functions - Error Row %d!! A button event needs the Condition \"When Equal to Value\"",
        "Functions - Error Row %d!! This event needs the Condition \"NAND Logic with Value\"",
        "Functions - Error Row %d!! This event needs the Condition \"AND Logic with Value\"",
    };
    return QString::fromLatin1(kOwn[n - 4960]);
}

QString formatMessage(const QString& text, int row, std::optional<int64_t> limit) {
    QString out;
    out.reserve(text.size() + 16);
    int filled = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // The row, then the limit where the message has one; a "%d" beyond them stays as it is.
        if (text[i] == u'%' && i + 1 < text.size() && text[i + 1] == u'd' && (filled == 0 || (filled == 1 && limit))) {
            out += QString::number(filled == 0 ? int64_t(row) : *limit);
            ++filled;
            ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

}  // namespace dali
