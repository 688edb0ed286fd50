// The DMX default values without a window: the channel count read from "ParGen.xml" and the rule of
// a default value.
#include "building/DMXSchema.h"
#include "shell/ULanguage.h"
#include "tests/building/BuildingTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(DMXChannels, CountFromTheParameterFile) {
    struct Case {
        const char* name;
        QByteArray parGen;
        int channels;
    } cases[] = {
        {"24", "<ParGen><Other>3</Other><DMX_Num_Channels>24</DMX_Num_Channels></ParGen>", 24},
        {"1", "<ParGen><DMX_Num_Channels>1</DMX_Num_Channels></ParGen>", 1},
        {"512", "<ParGen><DMX_Num_Channels>512</DMX_Num_Channels></ParGen>", 512},
        {"leading blank", "<ParGen><DMX_Num_Channels> 64</DMX_Num_Channels></ParGen>", 64},
        {"0", "<ParGen><DMX_Num_Channels>0</DMX_Num_Channels></ParGen>", 512},
        {"-5", "<ParGen><DMX_Num_Channels>-5</DMX_Num_Channels></ParGen>", 512},
        {"100000", "<ParGen><DMX_Num_Channels>100000</DMX_Num_Channels></ParGen>", 512},
        {"513", "<ParGen><DMX_Num_Channels>513</DMX_Num_Channels></ParGen>", 512},
        {"hexadecimal", "<ParGen><DMX_Num_Channels>0x18</DMX_Num_Channels></ParGen>", 512},
        {"not a number", "<ParGen><DMX_Num_Channels>many</DMX_Num_Channels></ParGen>", 512},
        {"empty element", "<ParGen><DMX_Num_Channels/></ParGen>", 512},
        {"no element", "<ParGen><Ethernet_IP1>192</Ethernet_IP1></ParGen>", 512},
        {"only deeper down", "<ParGen><X><DMX_Num_Channels>24</DMX_Num_Channels></X></ParGen>", 512},
        {"not well-formed", "<ParGen><DMX_Num_Channels>24</DMX_Num_Channels>", 512},
        {"empty file", "", 512},
    };
    for (const Case& c : cases) EXPECT_EQ(dmx::channelCount(c.parGen), c.channels) << c.name;
}

TEST(DMXRules, EveryRowIsCheckedAndAnEmptyCellFails) {
    Load_Default_Language();
    const accesslist::Schema& schema = dmx::defaultValuesSchema();
    struct Case {
        const char* value;
        const char* message;
    } cases[] = {
        {"0", ""},
        {"255", ""},
        {" 7", ""},
        {"256", "Error row 3!! Default Value must be between 0 and 255"},
        {"-1", "Error row 3!! Default Value must be between 0 and 255"},
        {"", "Error row 3!! Default Value must be between 0 and 255"},
        {"$FF", "Error row 3!! Default Value must be between 0 and 255"},
    };
    for (const Case& c : cases) {
        // Row 2 has an empty Mnemonic; there is no key, so row 3 is still part of the list.
        const accesslist::Rows rows = {{QString(), QStringLiteral("1"), QStringLiteral("a")},
                                       {QString(), QStringLiteral("2"), QString()},
                                       {QString(), QString::fromUtf8(c.value), QString()}};
        const accesslist::Problem p = accesslist::validate(schema, {rows}, dmx::defaultValuesRules());
        EXPECT_EQ(accesslist::problemMessage(schema, p, 3711, {}), QString::fromUtf8(c.message)) << c.value;
    }
}

}  // namespace
