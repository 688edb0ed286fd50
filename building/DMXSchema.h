#pragma once
// The DMX default values without any widget: the file of one value and description per channel,
// its rule, and the channel count taken from the gateway's parameter file.
#include "shell/AccessListFile.h"

#include <QByteArray>
#include <vector>

namespace dmx {

// A DMX universe: the most channels the gateway drives, and the count when none is configured.
inline constexpr int kMaxChannels = 512;

// "DMX_Default_Values.xml": a "Row" for every channel, no key; the table is sized at each showing.
const accesslist::Schema& defaultValuesSchema();
std::vector<accesslist::SectionRules> defaultValuesRules();

// The channel count in the bytes of "ParGen.xml": the decimal text of the root's child
// `DMX_Num_Channels`. A document, element or number that cannot be read, or a count outside
// 1 to 512, gives 512.
int channelCount(const QByteArray& parGen);

}  // namespace dmx
