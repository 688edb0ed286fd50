#include "building/NMEASchemas.h"

#include "shell/UComon.h"

namespace nmea {
namespace {

using namespace accesslist;

constexpr int64_t kMaxPGN = 0x1FFFF;
constexpr int64_t kMaxSourceAddress = 239;
constexpr int64_t kTransportBytes = 1785;  // a multi-packet message of the transport protocol
constexpr int64_t kFastPacketBytes = 223;
constexpr int64_t kFrameBytes = 8;

// Receive columns.
enum { rPGN = 1, rSA, rTP, rFP, rStart, rNByte, rDelete, rMnemonic };
// Transmit columns.
enum { tPriority = 1, tPGN, tSA, tFP, tNumByte, tRequest, tDataChange, tOnTimer, tSendTimer, tMnemonic };

std::function<bool(const RowView&)> ticked(int column) {
    return [column](const RowView& r) { return r.text(column) == u"Y"; };
}

bool transport(const RowView& r) { return r.text(rTP) == u"Y"; }
bool fastPacketOnly(const RowView& r) { return r.text(rFP) == u"Y" && !transport(r); }
bool singleFrame(const RowView& r) { return !transport(r) && r.text(rFP) != u"Y"; }
bool blank(const RowView& r, int column) { return TrimCtl(r.text(column)).isEmpty(); }
// A single frame without Start Byte and N Byte keeps the whole frame.
bool wholeFrame(const RowView& r) { return singleFrame(r) && blank(r, rStart) && blank(r, rNByte); }
bool partOfFrame(const RowView& r) { return singleFrame(r) && !blank(r, rStart) && !blank(r, rNByte); }

// The bytes from Start Byte on fit within `last`, N Byte counting from 0.
Check spanWithin(int64_t last, int text) {
    return [=](const RowView& r) -> std::optional<Failure> {
        const int64_t start = r.number(rStart), count = r.number(rNByte);
        if (count < 0 || start + count > last) return Failure{text, {}};
        return std::nullopt;
    };
}

// What a receive row keeps of its frame: N Byte, or the whole single frame.
int64_t keptBytes(const RowView& r) { return wholeFrame(r) ? kFrameBytes : r.number(rNByte); }

}  // namespace

const Schema& receiveSchema() {
    static const Schema schema{
        "NMEA_Rec_Frames.xml", "Receive_NMEA_2000", "1.000", "row", NumberRule::Decimal,
        {{nullptr,
          {{"PGN", Missing::Default}, {"SA", Missing::Default}, {"TP", Missing::Default, "N"},
           {"FP", Missing::Default, "N"}, {"TP_Start", Missing::Default}, {"TP_NByte", Missing::Default},
           {"Delete", Missing::Default, "N"}, {"Mnemonic", Missing::Default}},
          kRows, rPGN, KeyTrim::AsIs, 0, {rTP, rFP, rDelete}, ""}}};
    return schema;
}

const Schema& transmitSchema() {
    static const Schema schema{
        "NMEA_Send_Frames.xml", "Receive_NMEA_2000", "1.000", "row", NumberRule::Decimal,
        {{nullptr,
          {{"Priority", Missing::Default}, {"PGN", Missing::Default}, {"SA", Missing::Default},
           {"FP", Missing::Default, "N"}, {"TP_NByte", Missing::Default}, {"On_Request", Missing::Default, "N"},
           {"On_Data_Change", Missing::Default, "N"}, {"On_Timer", Missing::Default, "N"},
           {"SendTimer", Missing::Default}, {"Mnemonic", Missing::Default}},
          kRows, tPriority, KeyTrim::AsIs, 0, {tFP, tRequest, tDataChange, tOnTimer}, ""}}};
    return schema;
}

std::vector<SectionRules> receiveRules(int numByteIn) {
    SectionRules rules;
    rules.checks = {
        inRange(rPGN, 0, kMaxPGN, 3532),
        inRange(rSA, 0, kMaxSourceAddress, 3533),
        // Transport protocol, also when Fast Packet is ticked as well.
        when(transport, inRange(rStart, 0, kTransportBytes, 3534)),
        when(transport, spanWithin(kTransportBytes, 3535)),
        when(fastPacketOnly, inRange(rStart, 0, kFastPacketBytes, 3536)),
        when(fastPacketOnly, spanWithin(kFastPacketBytes, 3537)),
        when(singleFrame,
             [](const RowView& r) -> std::optional<Failure> {
                 if (blank(r, rStart) != blank(r, rNByte)) return Failure{3538, {}};
                 return std::nullopt;
             }),
        when(partOfFrame, inRange(rStart, 1, kFrameBytes, 3539)),
        when(partOfFrame, inRange(rNByte, 1, kFrameBytes, 3540)),
        when(partOfFrame, spanWithin(kFrameBytes, 3541)),
        runningTotal(keptBytes, numByteIn, 3542),
    };
    return {rules};
}

std::vector<SectionRules> transmitRules(int numByteOut) {
    SectionRules rules;
    // The list runs to the first empty Priority and is written whole. A row with a Priority and no
    // PGN has always been kept as it stands, unchecked; the rows after it are checked.
    rules.skip = [](const RowView& r) { return r.text(tPGN).isEmpty(); };
    // A row that holds a frame but no Priority would end the list and be lost with it.
    rules.listCheck = [](const Rows& rows, int end, NumberRule) -> std::optional<ListFailure> {
        if (end < int(rows.size()) && rowInUse(transmitSchema().sections[0], rows[size_t(end)]))
            return ListFailure{end + 1, Failure{3636, {}}};
        return std::nullopt;
    };
    rules.checks = {
        inRange(tPriority, 0, 7, 3636),
        inRange(tPGN, 0, kMaxPGN, 3637),
        inRange(tSA, 0, kMaxSourceAddress, 3638),
        inRangeShowingLimit(tNumByte, 0, numByteOut, 3639),
        runningTotal([](const RowView& r) { return int64_t(r.number(tNumByte)); }, numByteOut, 3640),
        when(ticked(tOnTimer), inRange(tSendTimer, 1, 65535, 3641)),
    };
    return {rules};
}

}  // namespace nmea
