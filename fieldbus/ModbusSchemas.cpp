#include "fieldbus/ModbusSchemas.h"

#include "platform/IntConv.h"
#include "shell/UComon.h"

namespace modbus {
namespace {

using namespace accesslist;

constexpr int64_t kMaxTime = 100000000;

// The kind of a rule comes from its Type cell, trimmed and upper-cased.
QString typeOf(const RowView& r, int column) { return TrimCtl(r.text(column)).toUpper(); }

std::function<bool(const RowView&)> bitKind(int typeColumn) {
    return [typeColumn](const RowView& r) {
        const QString t = typeOf(r, typeColumn);
        return t == u"INPUT STATUS" || t == u"COIL STATUS";
    };
}
std::function<bool(const RowView&)> coils(int typeColumn) {
    return [typeColumn](const RowView& r) { return typeOf(r, typeColumn) == u"COIL STATUS"; };
}
std::function<bool(const RowView&)> notOf(std::function<bool(const RowView&)> f) {
    return [f = std::move(f)](const RowView& r) { return !f(r); };
}

// The cell holds more than blanks.
Check notBlank(int column, int text) {
    return [=](const RowView& r) -> std::optional<Failure> {
        if (TrimCtl(r.text(column)).isEmpty()) return Failure{text, {}};
        return std::nullopt;
    };
}

Check validAddress(int column, int text) {
    return [=](const RowView& r) -> std::optional<Failure> {
        if (Check_IP_Address(r.text(column))) return Failure{text, {}};
        return std::nullopt;
    };
}

// NPoint within the limit of its kind, the limit shown in the message.
void pointCount(SectionRules& rules, std::function<bool(const RowView&)> bits, int column, int bitLimit,
                int registerLimit, int text) {
    rules.checks.push_back(when(bits, inRangeShowingLimit(column, 1, bitLimit, text)));
    rules.checks.push_back(when(notOf(bits), inRangeShowingLimit(column, 1, registerLimit, text)));
}

// The last byte a write rule uses lies inside the area: two bytes a register; for coils the bits
// from the start bit on, eight a byte.
Check areaEnd(int position, int npoint, int bit, int type, int areaBytes, int text) {
    const auto isCoil = coils(type);
    return [=](const RowView& r) -> std::optional<Failure> {
        const int64_t pos = r.number(position), n = r.number(npoint);
        int64_t end;
        if (isCoil(r)) {
            const int64_t b = std::max(r.number(bit), 0);
            end = pos + (n + b - 1) / 8;
        } else {
            end = pos + 2 * n - 1;
        }
        if (end >= areaBytes) return Failure{text, {}};
        return std::nullopt;
    };
}

// A rule is checked only when its enable cell, trimmed, reads "Y".
bool disabled(const RowView& r) { return TrimCtl(r.text(1)) != u"Y"; }

// The read rules from the slave id on; `c` is the column of the slave id, `t` the text of its check.
// The TCP list puts the server's address and port in front and numbers its texts differently, so
// each text is given.
struct ReadTexts {
    int slave, type, address, npoint, poll, maxError, topic;
};
void readRules(SectionRules& rules, int c, const ReadTexts& t, int topicColumn) {
    rules.checks.push_back(inRange(c, 1, 247, t.slave));
    rules.checks.push_back(notBlank(c + 1, t.type));
    rules.checks.push_back(inRange(c + 2, 0, 65535, t.address));
    pointCount(rules, bitKind(c + 1), c + 3, 2000, 125, t.npoint);
    rules.checks.push_back(inRange(c + 4, 1000, kMaxTime, t.poll));
    rules.checks.push_back(inRange(c + 5, 0, kMaxTime, t.maxError));
    // Position and Start Bit are hidden in the topic mode and not checked.
    rules.checks.push_back(notBlank(topicColumn, t.topic));
    rules.skip = disabled;
}

// The write rules from the slave id on; On Change and On CMD stand between Poll Time and Max Error.
void writeRules(SectionRules& rules, int c, int t, int areaBytes) {
    rules.checks.push_back(inRange(c, 1, 247, t));
    rules.checks.push_back(notBlank(c + 1, t + 1));
    rules.checks.push_back(inRange(c + 2, 0, 65535, t + 2));
    pointCount(rules, coils(c + 1), c + 3, 1968, 123, t + 3);
    rules.checks.push_back(inRange(c + 4, 0, kMaxTime, t + 4));
    rules.checks.push_back(inRange(c + 7, 0, kMaxTime, t + 5));
    rules.checks.push_back(inRangeShowingLimit(c + 8, 0, areaBytes - 1, t + 6));
    // The message has always said 0 to 7: a start bit outside would move the coils' end.
    rules.checks.push_back(when(coils(c + 1), inRange(c + 9, 0, 7, t + 7)));
    rules.checks.push_back(areaEnd(c + 8, c + 3, c + 9, c + 1, areaBytes, t + 8));
    rules.skip = disabled;
}

std::vector<Attribute> readAttributes(bool tcp) {
    std::vector<Attribute> a = {{"Enable", Missing::Default, "Y"}};
    if (tcp) a.insert(a.end(), {{"IP_Address"}, {"Port"}});
    a.insert(a.end(), {{"Slave_ID"}, {"Type"}, {"Address"}, {"NPoint"}, {"PollTime"}, {"MaxError"}, {"Position"},
                       {"Bit"}, {"Swap", Missing::Default, "N"}, {"SwapWord", Missing::Default, "N"},
                       {"Index_Topic", Missing::KeepReset}, {"Mnemonic"}});
    return a;
}

std::vector<Attribute> writeAttributes(bool tcp) {
    std::vector<Attribute> a = {{"Enable", Missing::Default, "Y"}};
    if (tcp) a.insert(a.end(), {{"IP_Address"}, {"Port"}});
    a.insert(a.end(), {{"Slave_ID"}, {"Type"}, {"Address"}, {"NPoint"}, {"PollTime"}, {"OnChange"},
                       {"OnCMD", Missing::Default, "N"}, {"MaxError"}, {"Position"}, {"Bit"},
                       {"Swap", Missing::Default, "N"}, {"SwapWord", Missing::Default, "N"}, {"Mnemonic"}});
    return a;
}

}  // namespace

const Schema& masterSchema() {
    static const Schema schema{
        "ModbusM_SetAccess.xml", "EtherNetIP_to_Modbus", "1.111", "row", NumberRule::House,
        {{"Modbus_Read", readAttributes(false), 512, 2, KeyTrim::Trimmed, 1, {1, 10, 11}, "Modbus Read"},
         {"Modbus_Write", writeAttributes(false), 512, 2, KeyTrim::Trimmed, 1, {1, 7, 8, 12, 13}, "Modbus Write"}}};
    return schema;
}

const Schema& tcpMasterSchema() {
    static const Schema schema{
        "ModbusTCPM_SetAccess.xml", "PROFINET_Master_to_Modbus_TCP_Master", nullptr, "row", NumberRule::House,
        {{"Modbus_Read", readAttributes(true), 512, 2, KeyTrim::Trimmed, 1, {1, 12, 13}, "Modbus Read"},
         {"Modbus_Write", writeAttributes(true), 512, 2, KeyTrim::Trimmed, 1, {1, 9, 10, 14, 15}, "Modbus Write"}}};
    return schema;
}

std::vector<SectionRules> masterRules(int nbyteIn, int nbyteOut) {
    std::vector<SectionRules> rules(2);
    readRules(rules[0], 2, {1369, 1370, 1371, 1372, 1373, 1374, 1378}, kMasterColumns.readTopic);
    writeRules(rules[1], 2, 1379, nbyteOut);
    return rules;
}

std::vector<SectionRules> tcpMasterRules(int nbyteIn, int nbyteOut) {
    std::vector<SectionRules> rules(2);
    rules[0].checks = {validAddress(2, 1539), inRange(3, 0, 65535, 1540)};
    readRules(rules[0], 4, {1541, 1542, 1543, 1544, 1599, 1546, 1598}, kTcpMasterColumns.readTopic);
    rules[1].checks = {validAddress(2, 1550), inRange(3, 0, 65535, 1551)};
    writeRules(rules[1], 4, 1552, nbyteOut);
    return rules;
}

bool Check_IP_Address(const QString& IP_Address) {
    if (IP_Address.isEmpty()) return true;
    // Three dots split four parts; whatever follows the third dot is the fourth part, so a fifth
    // part or a trailing dot leaves a text that is no number.
    qsizetype from = 0;
    for (int part = 0; part < 4; ++part) {
        const qsizetype dot = part < 3 ? IP_Address.indexOf(u'.', from) : IP_Address.size();
        if (dot < 0) return true;
        const std::optional<int> v = plat::tryStrToInt(IP_Address.mid(from, dot - from));
        if (!v || *v < 0 || *v > 255) return true;
        from = dot + 1;
    }
    return false;
}

PublishTopics readPublishTopics(const QByteArray& bytes, const QString& fileName) {
    return mqtttopics::readTopics(bytes, fileName, mqtttopics::kPublish);
}

}  // namespace modbus
