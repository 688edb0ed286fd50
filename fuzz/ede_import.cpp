// Reads arbitrary bytes as a BACnet device's EDE file: whatever the header, line ends, field
// counts or line lengths, every object listed is of a kept type, chosen for import and reading,
// and written only when commandable, with its texts trimmed.
#include "building/BACnetEDEList.h"
#include "shell/UComon.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::vector<TBACnet_Var> list = Load_EDE_Bytes(bytes);
    for (const TBACnet_Var& v : list) {
        if (!EDE_Type_Kept(v.object_type) || !v.import || !v.read || v.write != v.commandable) __builtin_trap();
        for (const QString* t : {&v.keyname, &v.object_name, &v.description, &v.unit_code, &v.vendor_specific_address})
            if (*t != TrimCtl(*t) || t->contains(u'\n') || t->contains(u'\r')) __builtin_trap();
        if (v.object_name.contains(u';') || v.description.contains(u';')) __builtin_trap();
    }
    return 0;
}
