#include "fieldbus/CANSchemas.h"

#include "shell/UComon.h"

namespace can {
namespace {

using namespace accesslist;

constexpr int64_t kMaxTime = 100000000;
constexpr int64_t kMax11 = 2047;
constexpr int64_t kMax29 = 0x1FFFFFFF;

constexpr const char* kByteNames[8] = {"Byte1", "Byte2", "Byte3", "Byte4", "Byte5", "Byte6", "Byte7", "Byte8"};

bool elevenBits(const RowView& r) { return TrimCtl(r.text(kType)) == kType11; }
bool flagged(const RowView& r, int column) { return TrimCtl(r.text(column)).toUpper() == u"Y"; }

// The rules both lists share, up to Dimension.
SectionRules frameRules(int cobId11Text) {
    SectionRules rules;
    rules.skip = [](const RowView& r) { return !flagged(r, kEnable); };
    rules.checks = {
        when(elevenBits, inRange(kCobId, 0, kMax11, cobId11Text)),
        when([](const RowView& r) { return !elevenBits(r); }, inRange(kCobId, 0, kMax29, cobId11Text + 1)),
        inRange(kDim, 1, 8, cobId11Text + 2),
    };
    return rules;
}

// Bytes 1 to Dim, each unless empty or "None": a position of the area. The first byte's text stands
// apart from the others', with the suffix between.
void byteRules(SectionRules& rules, int firstColumn, int byte1Text, int maxByte) {
    const int suffix = byte1Text + 1;
    for (int k = 1; k <= 8; ++k) {
        const int column = firstColumn + k - 1;
        const int text = k == 1 ? byte1Text : byte1Text + k;
        rules.checks.push_back(when(
            [k, column](const RowView& r) {
                const QString cell = TrimCtl(r.text(column));
                return k <= r.number(kDim) && !cell.isEmpty() && cell != u"None";
            },
            inRangeShowingLimit(column, 0, maxByte - 1, text, suffix)));
    }
}

std::vector<Attribute> byteAttributes() {
    std::vector<Attribute> a;
    for (const char* name : kByteNames) a.push_back({name, Missing::KeepReset});
    return a;
}

std::vector<Attribute> receiveAttributes() {
    std::vector<Attribute> a = {{"Enable", Missing::Default, "Y"},
                                {"COBID", Missing::KeepReset},
                                {"CAN_Type", Missing::KeepReset},
                                {"Dim", Missing::KeepReset},
                                {"TimeOut", Missing::Default, "0"}};
    for (const Attribute& b : byteAttributes()) a.push_back(b);
    a.push_back({"Mnemonic", Missing::KeepReset});
    return a;
}

std::vector<Attribute> transmitAttributes() {
    std::vector<Attribute> a = {{"Enable", Missing::Default, "Y"},
                                {"COBID", Missing::KeepReset},
                                {"CAN_Type", Missing::Default, "2.0A (11 bits)"},
                                {"Dim", Missing::KeepReset},
                                {"OnChange", Missing::Default, "Y"},
                                {"OnCMD", Missing::Default, "N"},
                                {"OnTimer", Missing::Default, "N"},
                                {"Time", Missing::KeepReset}};
    for (const Attribute& b : byteAttributes()) a.push_back(b);
    a.push_back({"Mnemonic", Missing::KeepReset});
    return a;
}

// A timer without its period sends at once: "0", once OnTimer is known.
void completeTransmitRow(const AttributeLookup& attribute, Row& row) {
    if (!attribute("Time") && row[kTxOnTimer] == u"Y") row[kTxTime] = QStringLiteral("0");
}

}  // namespace

const Schema& receiveSchema() {
    static const Schema schema{"CAN_Rec_Frames.xml", "Receive_Frames", "1.002", "row", NumberRule::House,
                               {{nullptr, receiveAttributes(), 512, kCobId, KeyTrim::Trimmed, kEnable, {kEnable}, ""}}};
    return schema;
}

const Schema& transmitSchema() {
    static const Schema schema{"CAN_Send_Frames.xml", "Transmit_Frames", "1.002", "row", NumberRule::House,
                               {{nullptr, transmitAttributes(), 512, kCobId, KeyTrim::Trimmed, kEnable,
                                 {kEnable, kTxOnChange, kTxOnCMD, kTxOnTimer}, "", &completeTransmitRow}}};
    return schema;
}

std::vector<SectionRules> receiveRules(int maxByte) {
    SectionRules rules = frameRules(2145);
    rules.checks.push_back(inRange(kRxTimeOut, 0, kMaxTime, 2148));
    byteRules(rules, kRxFirstByte, 2149, maxByte);
    return {rules};
}

std::vector<SectionRules> transmitRules(int maxByte) {
    SectionRules rules = frameRules(2248);
    rules.checks.push_back(
        when([](const RowView& r) { return flagged(r, kTxOnTimer); }, inRange(kTxTime, 0, kMaxTime, 2251)));
    byteRules(rules, kTxFirstByte, 2252, maxByte);
    return {rules};
}

const QStringList& byteItems(int maxByte) {
    static QStringList items;
    if (items.size() != maxByte + 1) {
        QStringList built;
        built.reserve(maxByte + 1);
        built << QStringLiteral("None");
        for (int i = 0; i < maxByte; ++i) built << QString::number(i);
        items = std::move(built);
    }
    return items;
}

}  // namespace can
