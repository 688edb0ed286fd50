#pragma once
// The BACnet engineering units without any widget: the name of every unit code 0 to 236 and the
// categories the unit picker groups them into.
#include <QString>
#include <cstddef>
#include <cstdint>

namespace bacnet {

inline constexpr int kUnitCount = 237;
inline constexpr int kCategoryCount = 23;

struct UnitCategory {
    const char* name;
    const uint8_t* codes;  // in the order the picker lists them
    size_t count;
};

// The 23 categories in the picker's order.
const UnitCategory& unitCategory(int index);

// The name of a code; "unknown" outside 0 to 236.
QString unitName(int code);
// The name the picker shows for a code: the unit name, except three the picker spells its own way.
QString pickerUnitName(int code);

}  // namespace bacnet

// The name of unit code Num_Unit; "unknown" for any other value.
QString Desc_Unit(int Num_Unit);
