#include "building/KNXSchema.h"

#include "shell/UComon.h"

namespace knx {
namespace {

using namespace accesslist;

constexpr int64_t kMaxAPCI = 1023;
constexpr int64_t kMaxPollTime = 100000000;
constexpr int64_t kMaxTimeOut = 100000000;
// The longest data of a telegram: standard frames 14 bytes, extended frames 255.
constexpr int64_t kBitLimit = 112, kExtendedBitLimit = 2040;
constexpr int64_t kByteLimit = 14, kExtendedByteLimit = 255;

bool upperIs(const RowView& r, int column, const char* text) {
    return r.text(column).toUpper() == QLatin1String(text);
}

// The start bit of a row in bit mode, or nothing in byte mode ("No").
std::optional<int> startBit(const RowView& r) {
    if (upperIs(r, cBitMode, "NO")) return std::nullopt;
    return r.number(cBitMode);
}

Check failsWith(int text, std::function<bool(const RowView&)> bad) {
    return [text, bad = std::move(bad)](const RowView& r) -> std::optional<Failure> {
        if (bad(r)) return Failure{text, {}};
        return std::nullopt;
    };
}

int64_t lengthLimit(const RowView& r) {
    const bool extended = upperIs(r, cExtended, "Y");
    if (startBit(r)) return extended ? kExtendedBitLimit : kBitLimit;
    return extended ? kExtendedByteLimit : kByteLimit;
}

}  // namespace

const Schema& schema() {
    static const Schema s{
        "KNX_SetAccess.xml", "BACnet_to_KNX", "1.004", "row", NumberRule::Decimal,
        {{"KNX_in_Write",
          {{"Enable", Missing::Default, "Y"},
           {"Source_Address"},
           {"Destination_Address"},
           {"APCI"},
           {"Priority", Missing::Default, "Normal", "", {"System", "Urgent", "Normal", "Low"}},
           {"Format", Missing::Default, "None"},
           {"MultiplicationFactor", Missing::Default},
           {"Extended"},
           {"ReTest"},
           {"On_Command", Missing::Default, "N"},
           {"On_Change"},
           {"On_Timer", Missing::Default, "N"},
           {"Poll_Time"},
           {"Position"},
           {"Bit_Mode"},
           {"Length"},
           {"TimeOut", Missing::Default, "0"},
           {"Mnemonic"}},
          kRows, cSource, KeyTrim::Trimmed, cEnable, {cEnable, cExtended, cReTest, cOnCommand, cOnChange, cOnTimer},
          ""}}};
    return s;
}

std::vector<SectionRules> rules(int maxNumByte, QChar decimalSeparator) {
    SectionRules r;
    r.skip = [](const RowView& row) { return TrimCtl(row.text(cEnable)) != u"Y"; };
    r.checks = {
        failsWith(3849, [](const RowView& row) { return Check_KNX_Address(TrimCtl(row.text(cSource)), false, true) != 0; }),
        [](const RowView& row) -> std::optional<Failure> {
            const QString dest = TrimCtl(row.text(cDestination));
            // Without a dot it is a group address (main/middle/sub), else an individual one.
            const bool group = Check_No_Point(dest);
            if (Check_KNX_Address(dest, group, true) != 0) return Failure{group ? 3851 : 3850, {}};
            return std::nullopt;
        },
        failsWith(3852,
                  [](const RowView& row) {
                      if (upperIs(row, cAPCI, "READ") || upperIs(row, cAPCI, "WRITE")) return false;
                      const int v = row.number(cAPCI);
                      return v < 0 || v > kMaxAPCI;
                  }),
        failsWith(3853,
                  [](const RowView& row) {
                      const QString p = row.text(cPriority);
                      return p != u"System" && p != u"Urgent" && p != u"Normal" && p != u"Low";
                  }),
        failsWith(3854, [](const RowView& row) { return TrimCtl(row.text(cFormat)).isEmpty(); }),
        failsWith(3865,
                  [decimalSeparator](const RowView& row) {
                      const QString factor = TrimCtl(row.text(cMulFactor));
                      float value = 0;
                      return !factor.isEmpty() && !Str_To_Float_Sep(factor, decimalSeparator, value);
                  }),
        when([](const RowView& row) { return upperIs(row, cOnTimer, "Y"); }, inRange(cPollTime, 1, kMaxPollTime, 3855)),
        inRangeShowingLimit(cPosition, 0, maxNumByte - 1, 3856),
        failsWith(3857,
                  [](const RowView& row) {
                      const std::optional<int> bit = startBit(row);
                      return bit && (*bit < 0 || *bit > 7);
                  }),
        [](const RowView& row) -> std::optional<Failure> {
            const int64_t limit = lengthLimit(row);
            const int length = row.number(cLength);
            if (length < 1 || length > limit) return Failure{3858, limit};
            return std::nullopt;
        },
        [maxNumByte](const RowView& row) -> std::optional<Failure> {
            const int64_t length = row.number(cLength);
            const std::optional<int> bit = startBit(row);
            const int64_t bytes = bit ? (length + *bit + 7) / 8 : length;
            if (row.number(cPosition) + bytes > maxNumByte) return Failure{3859, maxNumByte};
            return std::nullopt;
        },
        inRange(cTimeOut, 0, kMaxTimeOut, 3866),
    };
    return {r};
}

}  // namespace knx
