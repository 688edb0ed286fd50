#pragma once
// The house rule for turning texts into integers, used by every validation and every file reader:
// optional leading blanks, an optional sign, then decimal digits (leading zeros are never octal) or
// hexadecimal digits after "$", "x" or "0x" (x in either case). An empty text, trailing blanks, any
// other character or an overflow fail, and the caller's default applies.
#include <QStringView>
#include <cstdint>
#include <optional>

namespace plat {

// 32-bit conversion. Hexadecimal accepts the full 32-bit pattern ("$FFFFFFFF" is -1), decimal
// fails outside the signed range.
std::optional<int32_t> tryStrToInt(QStringView text);
int32_t strToIntDef(QStringView text, int32_t fallback);

// Same rule with a 64-bit result, for values that may exceed the signed 32-bit range.
std::optional<int64_t> tryStrToInt64(QStringView text);
int64_t strToInt64Def(QStringView text, int64_t fallback);

}  // namespace plat
