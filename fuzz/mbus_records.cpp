// Record bytes come from meters: any bytes must decode without reading past them, and every item
// that is not marked unusable must carry exactly the data bytes it claims, with type codes inside
// the editor's lists.
#include "mbus/UMBusScanDecode.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the input, so that the sanitizer sees any read past its end.
    const std::vector<uint8_t> bytes(data, data + size);
    for (bool wireless : {false, true}) {
        mbus::TDecodeContext context;
        context.Wireless = wireless;
        mbus::TVariableList list;
        mbus::Decode_Records(list, bytes, context);
        size_t claimed = 0;
        for (const auto& v : list) {
            if (v.nbyte < 0 || size_t(v.nbyte) > size) std::abort();
            if (!v.errata && v.Real_Wireless_Var && v.totdati.size() != 2 * v.nbyte) std::abort();
            if (!v.Real_Wireless_Var && !wireless) std::abort();
            // The codes index the editor's lists of 26 types and 152 VIFE items.
            if (v.type_data >= 26 && v.type_data != 65535) std::abort();
            if (v.Type_Data_Vife < 0 || v.Type_Data_Vife >= 152) std::abort();
            claimed += size_t(v.nbyte);
        }
        if (claimed > size) std::abort();
    }
    return 0;
}
