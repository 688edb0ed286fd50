// Record bytes come from meters: any bytes must decode without reading past them, and every item
// that is not marked unusable must carry exactly the data bytes it claims, with type codes inside
// the editor's lists. An unusable item ends the walk. Wrapped in a meter's answer, the bytes decode
// the same with CI 0x72 and as one unusable item with any other CI.
#include "mbus/MBusFrames.h"
#include "mbus/UMBusScanDecode.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

std::vector<uint8_t> answer(uint8_t ci, const std::vector<uint8_t>& records) {
    std::vector<uint8_t> f = {0x68, 0, 0, 0x68, 0x08, 0x05, ci, 0x78, 0x56, 0x34, 0x12, 0x24, 0x40, 0x01, 0x07,
                              0x55, 0x00, 0x00, 0x00};
    f.insert(f.end(), records.begin(), records.end());
    f[1] = f[2] = uint8_t(f.size() - 4);
    f.push_back(mbus::Frame_Checksum(std::span<const uint8_t>(f).subspan(4)));
    f.push_back(0x16);
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the input, so that the sanitizer sees any read past its end.
    const std::vector<uint8_t> bytes(data, data + size);
    for (bool wireless : {false, true}) {
        mbus::TDecodeContext context;
        context.Wireless = wireless;
        mbus::TVariableList list;
        const bool result = mbus::Decode_Records(list, bytes, context);
        size_t claimed = 0;
        for (size_t i = 0; i < list.size(); ++i) {
            const auto& v = list[i];
            if (v.nbyte < 0 || size_t(v.nbyte) > size) std::abort();
            if (!v.errata && v.Real_Wireless_Var && v.totdati.size() != 2 * v.nbyte) std::abort();
            if (v.errata && i + 1 != list.size()) std::abort();
            if (!v.Real_Wireless_Var && !wireless) std::abort();
            // The codes index the editor's lists of 26 types and 152 VIFE items.
            if (v.type_data >= 26 && v.type_data != 65535) std::abort();
            if (v.Type_Data_Vife < 0 || v.Type_Data_Vife >= 152) std::abort();
            claimed += size_t(v.nbyte);
        }
        if (claimed > size) std::abort();

        // A long frame holds at most 240 record bytes.
        if (wireless || size == 0 || size > 240) continue;
        mbus::TVariableList walked;
        if (mbus::Decode_Answer_Records(walked, answer(mbus::CI_Variable_Data, bytes), context) != result) std::abort();
        if (walked.size() != list.size()) std::abort();
        for (size_t i = 0; i < list.size(); ++i)
            if (walked[i].ValueStr != list[i].ValueStr || walked[i].totdati != list[i].totdati) std::abort();
        mbus::TVariableList fixed;
        if (!mbus::Decode_Answer_Records(fixed, answer(0x73, bytes), context)) std::abort();
        if (fixed.size() != 1 || !fixed[0].errata) std::abort();
    }
    return 0;
}
