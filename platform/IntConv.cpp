#include "platform/IntConv.h"

namespace plat {
namespace {

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

// Parses into a magnitude no larger than `limit`; hexadecimal digits may use the unsigned range
// given by `hexLimit`. Returns the signed value or nothing.
std::optional<int64_t> parse(QStringView s, uint64_t decLimitPos, uint64_t decLimitNeg, uint64_t hexLimit,
                             int bits) {
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n && s[i] == u' ') ++i;
    bool negative = false;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && s[i] == u'$') {
        hex = true;
        ++i;
    } else if (i < n && (s[i] == u'x' || s[i] == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n) return std::nullopt;
    uint64_t value = 0;
    const uint64_t limit = hex ? hexLimit : (negative ? decLimitNeg : decLimitPos);
    const int base = hex ? 16 : 10;
    for (; i < n; ++i) {
        const int d = hex ? hexDigit(s[i]) : (s[i] >= u'0' && s[i] <= u'9' ? s[i].unicode() - '0' : -1);
        if (d < 0) return std::nullopt;
        if (value > (limit - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base)) return std::nullopt;
        value = value * base + static_cast<uint64_t>(d);
    }
    if (hex && bits == 32) {
        // A hexadecimal text is a bit pattern: $FFFFFFFF reads as -1.
        const auto pattern = static_cast<int32_t>(static_cast<uint32_t>(value));
        return negative ? -static_cast<int64_t>(pattern) : static_cast<int64_t>(pattern);
    }
    if (negative) return value == decLimitNeg ? static_cast<int64_t>(-static_cast<int64_t>(value - 1) - 1)
                                              : -static_cast<int64_t>(value);
    return static_cast<int64_t>(value);
}

}  // namespace

std::optional<int32_t> tryStrToInt(QStringView text) {
    const auto v = parse(text, 0x7FFFFFFFull, 0x80000000ull, 0xFFFFFFFFull, 32);
    if (!v || *v < INT32_MIN || *v > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(*v);
}

int32_t strToIntDef(QStringView text, int32_t fallback) { return tryStrToInt(text).value_or(fallback); }

std::optional<int64_t> tryStrToInt64(QStringView text) {
    return parse(text, 0x7FFFFFFFFFFFFFFFull, 0x8000000000000000ull, 0x7FFFFFFFFFFFFFFFull, 64);
}

int64_t strToInt64Def(QStringView text, int64_t fallback) { return tryStrToInt64(text).value_or(fallback); }

}  // namespace plat
