#include "fieldbus/MQTTAccessSchema.h"

#include "shell/UComon.h"

#include <limits>

namespace mqttaccess {
namespace {

using namespace accesslist;

QString dataType(const RowView& r) { return TrimCtl(r.text(kDataType)).toUpper(); }

std::function<bool(const RowView&)> typeIs(const char16_t* type) {
    return [type](const RowView& r) { return dataType(r) == type; };
}

// The texts of a page, from "Data Type must be selected" on.
SectionRules pageRules(int firstText) {
    SectionRules rules;
    rules.skip = [](const RowView& r) { return r.text(kEnable).toUpper() != u"Y"; };
    rules.checks = {
        [firstText](const RowView& r) -> std::optional<Failure> {
            if (dataType(r).isEmpty()) return Failure{firstText, {}};
            return std::nullopt;
        },
        when(typeIs(u"INT"), oneOf(kDimension, {1, 2, 4, 8}, firstText + 1)),
        when(typeIs(u"FLOAT"), oneOf(kDimension, {4, 8}, firstText + 2)),
        when([](const RowView& r) { return dataType(r) != u"INT" && dataType(r) != u"FLOAT"; },
             inRange(kDimension, 1, std::numeric_limits<int>::max(), firstText + 3)),
        // Only the start lies in the area: the value's bytes may run on past its end.
        inRange(kPosition, 0, kAreaBytes - 1, firstText + 4),
    };
    return rules;
}

std::vector<Attribute> attributes() {
    return {{"Enable", Missing::Default, "N"},      {"Index_Topic", Missing::KeepReset},
            {"DataType", Missing::KeepReset},       {"Dimension", Missing::KeepReset},
            {"Position", Missing::KeepReset},       {"Template", Missing::KeepReset},
            {"Mnemonic", Missing::KeepReset}};
}

}  // namespace

const Schema& schema() {
    static const Schema schema{
        "MQTT_Set_Access.xml", "MQTT_Set_Access", "1.111", "row", NumberRule::House,
        {{"MQTT_Publish", attributes(), kRows, kTopic, KeyTrim::Trimmed, kEnable, {kEnable}, "MQTT Publish"},
         {"MQTT_Subscribe", attributes(), kRows, kTopic, KeyTrim::Trimmed, kEnable, {kEnable}, "MQTT Subscribe"}}};
    return schema;
}

std::vector<SectionRules> rules() { return {pageRules(1447), pageRules(1452)}; }

}  // namespace mqttaccess
