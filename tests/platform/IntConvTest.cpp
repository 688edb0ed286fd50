#include "platform/IntConv.h"

#include <gtest/gtest.h>

#include <QString>

namespace {

struct IntCase {
    const char* text;
    std::optional<int32_t> expected;
};

class IntConv : public ::testing::TestWithParam<IntCase> {};

TEST_P(IntConv, FollowsTheHouseRule) {
    const IntCase& c = GetParam();
    EXPECT_EQ(plat::tryStrToInt(QString::fromUtf8(c.text)), c.expected) << "text: '" << c.text << "'";
    EXPECT_EQ(plat::strToIntDef(QString::fromUtf8(c.text), -77), c.expected.value_or(-77));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntConv,
    ::testing::Values(IntCase{"$FF", 255}, IntCase{"0X1f", 31}, IntCase{"x10", 16}, IntCase{" 7", 7},
                      IntCase{"-12", -12}, IntCase{"010", 10}, IntCase{"+5", 5}, IntCase{"-$10", -16},
                      IntCase{"2147483647", 2147483647}, IntCase{"-2147483648", INT32_MIN},
                      IntCase{"$FFFFFFFF", -1},  // hexadecimal is a 32-bit pattern
                      IntCase{"7 ", std::nullopt}, IntCase{"", std::nullopt}, IntCase{" ", std::nullopt},
                      IntCase{"2147483648", std::nullopt}, IntCase{"-2147483649", std::nullopt},
                      IntCase{"$100000000", std::nullopt}, IntCase{"1e3", std::nullopt},
                      IntCase{"$", std::nullopt}, IntCase{"0x", std::nullopt}, IntCase{"-", std::nullopt},
                      IntCase{"1.5", std::nullopt}, IntCase{"\t7", std::nullopt}, IntCase{"$G1", std::nullopt},
                      IntCase{"٣", std::nullopt}));

TEST(IntConv64, ReadsBeyondThe32BitRange) {
    EXPECT_EQ(plat::tryStrToInt64(u"4294967295"), 4294967295LL);
    EXPECT_EQ(plat::tryStrToInt64(u"-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(plat::tryStrToInt64(u"9223372036854775808"), std::nullopt);
    EXPECT_EQ(plat::tryStrToInt64(u"$FFFFFFFFFF"), 0xFFFFFFFFFFLL);
    EXPECT_EQ(plat::strToInt64Def(u"12 ", -1), -1);
}

}  // namespace
