// Datagrams from the gateway, as the scan judges them: any bytes must classify without harm, an
// accepted long frame must yield a header and records inside its own bytes, and the answer slot
// must keep exactly what fits.
#include "mbus/MBusFrames.h"
#include "mbus/MBusLink.h"
#include "mbus/UMBusScanDecode.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> d(data, size);
    const mbus::TAnswerKind kind = mbus::Classify_Answer(d);
    if ((kind == mbus::TAnswerKind::Single_Char) != mbus::Is_Single_Char(d)) std::abort();
    if ((kind == mbus::TAnswerKind::Nothing) != d.empty()) std::abort();
    if (!mbus::Text_Answer_Is(d, std::string_view(reinterpret_cast<const char*>(data), size))) std::abort();

    const auto header = mbus::Read_RSP_UD_Header(d);
    if (header.has_value() != (kind == mbus::TAnswerKind::RSP_UD)) std::abort();
    if (header) {
        const auto records = mbus::RSP_UD_Records(d);
        if (records.data() != data + 19 || records.size() != size - 21) std::abort();
        mbus::TVariableList list;
        mbus::Decode_Records(list, records, mbus::TDecodeContext{});
    }

    static mbus::TAnswerSlot slot;
    const bool kept = slot.Store(d, true);
    if (kept != (size <= mbus::TAnswerSlot::Capacity)) std::abort();
    if (kept) {
        const auto a = slot.Read();
        if (!a.Arrived || a.Bytes.size() != size || !std::equal(a.Bytes.begin(), a.Bytes.end(), data)) std::abort();
    }
    return 0;
}
