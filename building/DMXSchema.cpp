#include "building/DMXSchema.h"

#include "platform/XmlDoc.h"

namespace dmx {

using namespace accesslist;

const Schema& defaultValuesSchema() {
    static const Schema schema{
        "DMX_Default_Values.xml", "DMX_Default_Values", "1.000", "Row", NumberRule::Decimal,
        {{nullptr, {{"Default_Value", Missing::Default, "0", "0"}, {"Mnemonic", Missing::Default}}, kMaxChannels,
          kNoKey, KeyTrim::AsIs, 0, {}, ""}}};
    return schema;
}

std::vector<SectionRules> defaultValuesRules() {
    SectionRules rules;
    rules.checks = {inRange(1, 0, 255, 3712)};
    return {rules};
}

int channelCount(const QByteArray& parGen) {
    plat::XmlDocument doc;
    if (!doc.loadBytes(parGen)) return kMaxChannels;
    const plat::XmlElement element = doc.root().child(QStringLiteral("DMX_Num_Channels"));
    if (element.isNull()) return kMaxChannels;
    const int n = listNumber(element.text(), NumberRule::Decimal);
    // A universe has no more than 512 channels; a larger count would only build a huge table.
    return n >= 1 && n <= kMaxChannels ? n : kMaxChannels;
}

}  // namespace dmx
