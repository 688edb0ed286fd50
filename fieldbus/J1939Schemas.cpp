#include "fieldbus/J1939Schemas.h"

#include "shell/UComon.h"

namespace j1939 {
namespace {

using namespace accesslist;

// Receive columns.
constexpr int kRxDataPage = 1, kRxPgn = 2, kRxSource = 3, kRxTransport = 4, kRxStart = 5, kRxCount = 6,
              kRxOnRequest = 8, kRxTime = 9;
// Transmit columns.
constexpr int kTxPriority = 1, kTxDataPage = 2, kTxPgn = 3, kTxSource = 4, kTxCount = 5, kTxRequest = 6,
              kTxDataChange = 7, kTxTimer = 8, kTxSendTimer = 9;

// The largest group the transport protocol carries.
constexpr int kTransportBytes = 1785;

Check notEmpty(int column, int text) {
    return [=](const RowView& row) -> std::optional<Failure> {
        if (row.text(column).isEmpty()) return Failure{text, {}};
        return std::nullopt;
    };
}

bool flagged(const RowView& row, int column) { return row.text(column) == u"Y"; }
bool filled(const RowView& row, int column) { return !TrimCtl(row.text(column)).isEmpty(); }

// The bytes a receive row takes from the exchange area: its N Byte, or none without the transport
// protocol and without start and count.
int64_t capturedBytes(const RowView& r) {
    const bool counts = flagged(r, kRxTransport) || (filled(r, kRxStart) && filled(r, kRxCount));
    return counts ? r.number(kRxCount) : 0;
}

// A transmit row of an older file names one trigger in "T_Type"; a row without a length sends 8.
void completeTransmitRow(const AttributeLookup& attribute, Row& row) {
    if (row[kTxCount].isEmpty()) row[kTxCount] = QStringLiteral("8");
    const std::optional<QString> type = attribute("T_Type");
    if (!type) return;
    for (int c : {kTxRequest, kTxDataChange, kTxTimer}) row[c] = QStringLiteral("N");
    const QString upper = type->toUpper();
    if (upper == u"ON DATA CHANGE") row[kTxDataChange] = QStringLiteral("Y");
    else if (upper == u"ON TIMER") row[kTxTimer] = QStringLiteral("Y");
}

}  // namespace

const Schema& receiveSchema() {
    static const Schema schema{
        "J1939_Rec_Frames.xml", "Receive_J1939", "1.104", "row", NumberRule::House,
        {{nullptr,
          {{"DP", Missing::Default, ""},
           {"PGN", Missing::Default, ""},
           {"SA", Missing::Default, ""},
           {"TP", Missing::Default, "N"},
           {"TP_Start", Missing::Default, ""},
           {"TP_NByte", Missing::Default, ""},
           {"Delete", Missing::Default, "N"},
           {"OnRequest", Missing::Default, "N"},
           {"OnReq_Time", Missing::Default, "1000"},
           {"Mnemonic", Missing::Default, ""}},
          512, kRxPgn, KeyTrim::AsIs, 0, {kRxTransport, 7, kRxOnRequest}, ""}}};
    return schema;
}

const Schema& transmitSchema() {
    static const Schema schema{
        "J1939_Send_Frames.xml", "Transmit_J1939", "1.104", "row", NumberRule::House,
        {{nullptr,
          {{"Priority", Missing::Default, ""},
           {"DP", Missing::Default, ""},
           {"PGN", Missing::Default, ""},
           {"SA", Missing::Default, ""},
           {"TP_NByte", Missing::Default, "8"},
           {"On_Request", Missing::Default, "N"},
           {"On_Data_Change", Missing::Default, "N"},
           {"On_Timer", Missing::Default, "N"},
           {"SendTimer", Missing::Default, ""},
           {"Mnemonic", Missing::Default, ""}},
          512, kTxPgn, KeyTrim::AsIs, 0, {kTxRequest, kTxDataChange, kTxTimer}, "", &completeTransmitRow}}};
    return schema;
}

std::vector<SectionRules> receiveRules(int areaBytes) {
    const auto transport = [](const RowView& r) { return flagged(r, kRxTransport); };
    const auto single = [](const RowView& r) { return !flagged(r, kRxTransport); };
    // Without the transport protocol a row may capture nothing (both empty); with both filled it
    // takes bytes of the single frame.
    const auto singleWithBytes = [](const RowView& r) {
        return !flagged(r, kRxTransport) && filled(r, kRxStart) && filled(r, kRxCount);
    };
    SectionRules rules;
    rules.checks = {
        notEmpty(kRxDataPage, 2636),
        inRange(kRxPgn, 0, 0xFFFF, 2637),
        inRange(kRxSource, 0, 255, 2638),
        when(transport, inRange(kRxStart, 0, kTransportBytes, 2639)),
        when(transport,
             [](const RowView& r) -> std::optional<Failure> {
                 const int start = r.number(kRxStart), count = r.number(kRxCount);
                 if (count < 0 || start + count > kTransportBytes) return Failure{2640, {}};
                 return std::nullopt;
             }),
        when(single,
             [](const RowView& r) -> std::optional<Failure> {
                 if (filled(r, kRxStart) != filled(r, kRxCount)) return Failure{2641, {}};
                 return std::nullopt;
             }),
        // The sum rule alone lets "abc" or "-5" through as a start byte.
        when(singleWithBytes,
             inRangeOwnText(kRxStart, 0, 7, QStringLiteral("!! The Start Byte must be between 0 and 7"))),
        when(singleWithBytes, inRange(kRxCount, 1, 8, 2643)),
        when(singleWithBytes,
             [](const RowView& r) -> std::optional<Failure> {
                 if (r.number(kRxStart) + r.number(kRxCount) > 8) return Failure{2644, {}};
                 return std::nullopt;
             }),
        runningTotal(capturedBytes, areaBytes, 2645),
        when([](const RowView& r) { return flagged(r, kRxOnRequest); }, inRange(kRxTime, 2, 10000000, 2646)),
    };
    return {rules};
}

std::vector<SectionRules> transmitRules(int areaBytes) {
    SectionRules rules;
    rules.checks = {
        inRange(kTxPriority, 0, 7, 2736),
        notEmpty(kTxDataPage, 2737),
        inRange(kTxPgn, 0, 0x1FFFF, 2738),
        inRange(kTxSource, 0, 255, 2739),
        inRangeShowingLimit(kTxCount, 1, areaBytes, 2740),
        runningTotal([](const RowView& r) { return int64_t(r.number(kTxCount)); }, areaBytes, 2741),
        when([](const RowView& r) { return flagged(r, kTxTimer); }, inRange(kTxSendTimer, 1, 65535, 2742)),
    };
    return {rules};
}

}  // namespace j1939
