#pragma once
// Number helpers with the house rules: scaling by a fraction, rounding halves to even, and number
// texts with the locale's decimal separator.
#include <QString>
#include <cstdint>

namespace plat {

// a * b / c with a 64-bit product, the quotient rounded half away from zero; -1 for a zero divisor
// or a result outside 32 bits.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// The nearest integer, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
int64_t Round(double value);

// The shortest text that reads back as the value within 15 significant digits ("0.3" for 0.1 + 0.2);
// scientific form ("1E-5", "1.5E20") below 0.0001 or from 1E15 on. "NAN", "INF", "-INF".
QString FloatToStr(double value);
// Fixed form with `digits` decimals (0..18); a value exactly halfway rounds away from zero.
QString FloatToStrFixed(double value, int digits);

// The number texts behind both and behind Format, with "." as the decimal point.
namespace numtext {
// Up to `precision` significant digits, trailing zeros dropped; scientific from 1E<precision> on
// and below 0.0001.
QString general(double value, int precision);
// `digits` decimals, exact halves away from zero.
QString fixed(double value, int digits);
// "-d.dddE+ddd" with `precision` digits in all and at least three exponent digits.
QString exponent(double value, int precision);
// NAN, INF, -INF; empty for a finite value.
QString special(double value);
}  // namespace numtext

}  // namespace plat
