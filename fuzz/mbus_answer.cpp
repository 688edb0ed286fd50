// Datagrams from the gateway, as the scan judges them: any bytes must classify without harm, an
// accepted long frame must yield a header and records inside its own bytes, and the answer queue
// must keep exactly what fits, in order.
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

    // The queue keeps what fits, up to its capacity, oldest first; past the capacity the oldest
    // make room and are counted.
    const size_t pushes = 1 + size % (mbus::TAnswerQueue::Capacity + 40);
    mbus::TAnswerQueue queue;
    for (size_t i = 0; i < pushes; ++i) {
        mbus::TBytes own(d.begin(), d.end());
        if (!own.empty()) own[0] = uint8_t(own[0] + i);  // each push its own
        const bool kept = queue.Push(own);
        if (kept != (size <= mbus::TAnswerQueue::Datagram_Size)) std::abort();
    }
    if (size > mbus::TAnswerQueue::Datagram_Size) {
        if (!queue.Empty() || queue.Overflowed() != 0) std::abort();
        return 0;
    }
    const size_t held = std::min(pushes, mbus::TAnswerQueue::Capacity);
    if (queue.Size() != held || queue.Overflowed() != pushes - held) std::abort();
    mbus::TBytes got;
    for (size_t i = pushes - held; i < pushes; ++i) {
        if (!queue.Pop(got) || got.size() != size) std::abort();
        if (size > 0 && (got[0] != uint8_t(data[0] + i) || !std::equal(got.begin() + 1, got.end(), data + 1)))
            std::abort();
    }
    if (queue.Pop(got)) std::abort();
    return 0;
}
