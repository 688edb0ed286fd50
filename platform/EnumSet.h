#pragma once
// A set of enumeration values: bit n stands for the value of ordinal n, which is also how a set is
// streamed as a number.
#include <cstdint>
#include <initializer_list>

namespace plat {

template <class E>
class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> values) {
        for (E v : values) bits_ |= bit(v);
    }
    static constexpr TEnumSet fromBits(uint32_t bits) {
        TEnumSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr uint32_t bits() const { return bits_; }
    constexpr bool contains(E v) const { return (bits_ & bit(v)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr TEnumSet& include(E v) { bits_ |= bit(v); return *this; }
    constexpr TEnumSet& exclude(E v) { bits_ &= ~bit(v); return *this; }
    friend constexpr bool operator==(TEnumSet, TEnumSet) = default;

private:
    // Sets are of enumerations with at most 32 values.
    static constexpr uint32_t bit(E v) {
        return static_cast<unsigned>(v) < 32 ? uint32_t{1} << static_cast<unsigned>(v) : 0;
    }
    uint32_t bits_ = 0;
};

}  // namespace plat
