#include "common/shortest_real.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "common/decimal_digits.h"
#include "common/pow10_table.h"

// The search follows R. Giulietti's "Schubfach" method: with k chosen so that
// 10^k is about the spacing of the values around v, the interval of decimals
// that read back as v holds at most one multiple of 10^(k+1) and one or two
// multiples of 10^k next to v; the scaled bounds come from one 128-bit power
// of ten each, rounded to odd so that exact halves stay recognisable.
//
// The usual values (not a power of two, not an integer, not subnormal) take
// J. Jeon's "Dragonbox" route over the same powers instead: one product. With
// k smaller by kappa (1 for floats, 2 for doubles), the upper end z of v's
// interval scaled by 10^-k has kappa + 1 digits more than the interval is
// wide (delta, 10^kappa to 10^(kappa+1) - 1 in the same units). When those
// last digits r of z are below delta, z cut to a multiple of 10^(kappa+1) is
// inside the interval and is the answer (on r = delta, if the lower end
// counts); else the answer is the multiple of 10^k nearest v, which lies
// delta / 2 below z: one division by 10^kappa. Only exact halves and ends
// need a second look, at the low bits of a product.

namespace {

__extension__ using Uint128 = unsigned __int128;

// The value is digits * 10^exponent, with no trailing zero in `digits`.
struct ShortestDecimal {
  uint64_t digits;
  int exponent;
};

// floor(e * log10(2)) and floor(log10(3/4 * 2^e)) for the exponents of doubles.
int FloorLog10Pow2(int e) { return (e * 1262611) >> 22; }
int FloorLog10ThreeQuartersPow2(int e) { return (e * 1262611 - 524031) >> 22; }

// 10^-k scaled into [2^127, 2^128): the truncated table value plus one,
// unless that value is exact (5^-k below 2^128). Applied to cp, it gives the
// top 64 bits of g * cp / 2^128 with the lowest bit set when bits 64 to 127
// of the product are not zero beyond the approximation of g: rounded to odd.
class Scale64 {
 public:
  explicit Scale64(int k) : high_(Entry(k).high), low_(Entry(k).low) { RoundUp(k, high_, low_); }
  // The table value plus one unless exact.
  static void RoundUp(int k, uint64_t& high, uint64_t& low) {
    if (-k < 0 || -k > 55) low += 1, high += low == 0 ? 1 : 0;
  }
  uint64_t operator()(uint64_t cp) const {
    const Uint128 x = static_cast<Uint128>(low_) * cp;
    const Uint128 y = static_cast<Uint128>(high_) * cp + static_cast<uint64_t>(x >> 64);
    return static_cast<uint64_t>(y >> 64) | (static_cast<uint64_t>(y) > 1 ? 1 : 0);
  }
  static constexpr const Pow10Entry& Entry(int k) { return kPow10Table[-k - kPow10MinExponent]; }

 private:
  uint64_t high_, low_;
};

// The same with the top 64 bits of the power (rounded up unless exact, that
// is 5^-k below 2^64), for floats: the product is cut at bit 64 and its bits
// 32 to 63 decide the lowest bit.
class Scale32 {
 public:
  explicit Scale32(int k) : g_(Power(k)) {}
  uint64_t operator()(uint64_t cp) const {
    const Uint128 x = static_cast<Uint128>(g_) * cp;
    return static_cast<uint64_t>(x >> 64) | ((static_cast<uint64_t>(x) >> 32) > 1 ? 1 : 0);
  }
  // 10^-k rounded up to 64 bits unless exact.
  static uint64_t Power(int k) { return Scale64::Entry(k).high + (-k >= 0 && -k <= 27 ? 0 : 1); }

 private:
  uint64_t g_;
};

[[gnu::always_inline]] inline ShortestDecimal WithoutTrailingZeros(ShortestDecimal d) {
  while (d.digits % 10 == 0) d.digits /= 10, ++d.exponent;
  return d;
}

// v = c * 2^q; `closer_below` when the value below v is half as far as the
// one above (c is a power of two).
template <typename Scale>
[[gnu::always_inline]] inline ShortestDecimal Shortest(uint64_t c, int q, bool closer_below) {
  const bool even = (c & 1) == 0;
  const uint64_t cb = 4 * c, cbl = cb - 2 + (closer_below ? 1 : 0), cbr = cb + 2;
  const int k = closer_below ? FloorLog10ThreeQuartersPow2(q) : FloorLog10Pow2(q);
  const int h = q + Scale64::Entry(k).binary_exponent + 128;  // 1 to 4
  const Scale scale(k);
  const uint64_t vb = scale(cb << h);
  const uint64_t lower = scale(cbl << h) + (even ? 0 : 1);
  const uint64_t upper = scale(cbr << h) - (even ? 0 : 1);
  const uint64_t s = vb / 4;
  if (s >= 10) {
    const uint64_t sp = s / 10;
    const bool up_inside = lower <= 40 * sp, wp_inside = 40 * sp + 40 <= upper;
    if (up_inside != wp_inside) return WithoutTrailingZeros({sp + (wp_inside ? 1 : 0), k + 1});
  }
  const bool u_inside = lower <= 4 * s, w_inside = 4 * s + 4 <= upper;
  if (u_inside != w_inside) return WithoutTrailingZeros({s + (w_inside ? 1 : 0), k});
  const uint64_t mid = 4 * s + 2;
  const bool round_up = vb > mid || (vb == mid && (s & 1) != 0);
  return WithoutTrailingZeros({s + (round_up ? 1 : 0), k});
}

// A value c * 2^q that is an integer below 2^(fraction_bits+1) is its own
// shortest form: 0 <= -q <= the trailing zero bits of c (at most
// fraction_bits, as c is below 2^(fraction_bits+1)).
bool IsSmallInteger(uint64_t c, int q) {
  return static_cast<unsigned>(-q) <= static_cast<unsigned>(std::countr_zero(c));
}

// d.ddde+XX: the digits one place on, the first moved before the point.
[[gnu::always_inline]] inline char* WriteScientific(char* out, ShortestDecimal d, int count,
                                                    int exponent) {
  out[0] = WriteDigits(out + 1, d.digits, count);
  char* p = out + 1;
  if (count > 1) *p = '.', p += count;
  *p++ = 'e';
  *p++ = exponent < 0 ? '-' : '+';
  exponent = std::abs(exponent);
  if (exponent >= 100) *p++ = static_cast<char>('0' + exponent / 100), exponent %= 100;
  WritePair(p, static_cast<uint32_t>(exponent));
  return p + 2;
}

// A value whose shortest form ends in zeros before the point is an integer,
// and is written with its own digits, as the standard library does.
char* WriteInteger(char* out, double value, int count) {
  if (value < 1e18) {
    WriteDigits(out, static_cast<uint64_t>(value), count);
    return out + count;
  }
  auto n = static_cast<Uint128>(value);
  for (char* p = out + count; p != out; n /= 10) *--p = static_cast<char>('0' + n % 10);
  return out + count;
}

// ddd.ddd, `before_point` (1 to count - 1) digits before the point: the
// digits made apart, then copied to either side of the point in words of 16
// and 8 bytes (the rubbish past the last digit lands past the end).
[[gnu::always_inline]] inline char* WriteWithPoint(char* out, uint64_t digits, int count,
                                                   int before_point) {
  char made[24];
  WriteDigits(made, digits, count);
  std::memcpy(out, made, 16);
  out[before_point] = '.';
  std::memcpy(out + before_point + 1, made + before_point, 8);
  if (count - before_point > 8) std::memcpy(out + before_point + 9, made + before_point + 8, 8);
  return out + count + 1;
}

// With `kMarkReal`, an integer gets ".0" after its digits.
template <bool kMarkReal>
[[gnu::always_inline]] inline char* WriteFixed(char* out, double value, ShortestDecimal d,
                                               int count) {
  if (d.exponent >= 0) {
    char* end = WriteInteger(out, value, count + d.exponent);
    if constexpr (kMarkReal) end = std::copy_n(".0", 2, end);
    return end;
  }
  const int before_point = count + d.exponent;
  if (before_point > 0) return WriteWithPoint(out, d.digits, count, before_point);
  // 0.ddd with at most 3 zeros after the point (else scientific is shorter).
  std::memcpy(out, "0.000", 5);
  WriteDigits(out + 2 - before_point, d.digits, count);
  return out + 2 - before_point + count;
}

// Fixed or scientific notation, whichever is shorter (fixed on a tie). With
// n digits and the exponent E of the first, scientific takes n + 4 bytes
// (n + 5 past one digit, for the point), one more from |E| >= 100. Fixed
// takes n + 1 when the point falls among the digits, n + 1 - E before them
// (so up to E = -4, or -3 for one digit), and n + zeros past them (so up to
// 5 zeros, or 4 for one digit).
template <bool kMarkReal>
[[gnu::always_inline]] inline char* WriteDecimal(char* out, bool negative, double magnitude,
                                                 ShortestDecimal d) {
  if (negative) *out++ = '-';
  const int count = DigitCount(d.digits);
  const int exponent = d.exponent + count - 1;
  const int most_zeros = count > 1 ? 4 : 3;
  return exponent >= -most_zeros && d.exponent <= most_zeros + 1
             ? WriteFixed<kMarkReal>(out, magnitude, d, count)
             : WriteScientific(out, d, count, exponent);
}

// Subnormal values and powers of two by the interval search, kept off the
// usual route's code and registers. The value of IEEE bits with
// `kFractionBits` fraction bits and an exponent biased by `kBias` (counting
// the fraction as an integer): c * 2^q.
template <typename Scale, int kFractionBits, int kBias>
[[gnu::noinline]] ShortestDecimal ShortestRare(uint64_t bits) {
  const uint64_t fraction = bits & ((uint64_t{1} << kFractionBits) - 1);
  const int biased = static_cast<int>(bits >> kFractionBits);
  if (biased == 0) return Shortest<Scale>(fraction, 1 - kBias, false);
  const uint64_t c = fraction | (uint64_t{1} << kFractionBits);
  const int q = biased - kBias;
  if (IsSmallInteger(c, q)) return WithoutTrailingZeros({c >> -q, 0});
  return Shortest<Scale>(c, q, fraction == 0 && biased > 1);
}

// The products of the usual route with g, the power of ten of Scale32 (64
// bits) or Scale64 (128 bits), taken as a fraction of 2^64 or 2^128: Upper,
// the integer of x * g and whether it is exact; Parity, the parity of the
// integer of x * 2^beta * g (from the low bits of x * g) and whether it is
// exact; Width, delta: the interval's width in the units of z.
struct ProductBits {
  uint64_t integer;
  bool is_integer;
};
struct ParityBits {
  bool odd, is_integer;
};

class FloatProducts {
 public:
  static constexpr int kKappa = 1;  // z has 2 digits more than the width
  explicit FloatProducts(int k) : g_(Scale32::Power(k)) {}
  uint32_t Width(int beta) const { return static_cast<uint32_t>(g_ >> (63 - beta)); }
  ProductBits Upper(uint64_t x) const {
    const Uint128 z = static_cast<Uint128>(g_) * x;
    return {static_cast<uint64_t>(z >> 64), (static_cast<uint64_t>(z) >> 32) == 0};
  }
  ParityBits Parity(uint64_t x, int beta) const {
    const uint64_t low = g_ * x;
    return {((low >> (64 - beta)) & 1) != 0, static_cast<uint32_t>(low >> (32 - beta)) == 0};
  }

 private:
  uint64_t g_;
};

class DoubleProducts {
 public:
  static constexpr int kKappa = 2;  // z has 3 digits more than the width
  explicit DoubleProducts(int k) : high_(Scale64::Entry(k).high), low_(Scale64::Entry(k).low) {
    Scale64::RoundUp(k, high_, low_);
  }
  uint32_t Width(int beta) const { return static_cast<uint32_t>(high_ >> (63 - beta)); }
  ProductBits Upper(uint64_t x) const {
    const Uint128 z = static_cast<Uint128>(high_) * x +
                      static_cast<uint64_t>((static_cast<Uint128>(low_) * x) >> 64);
    return {static_cast<uint64_t>(z >> 64), static_cast<uint64_t>(z) == 0};
  }
  ParityBits Parity(uint64_t x, int beta) const {
    const Uint128 low = static_cast<Uint128>(low_) * x;
    const uint64_t bits_64 = high_ * x + static_cast<uint64_t>(low >> 64);
    const uint64_t bits_0 = static_cast<uint64_t>(low);
    return {((bits_64 >> (64 - beta)) & 1) != 0, (bits_64 << beta | bits_0 >> (64 - beta)) == 0};
  }

 private:
  uint64_t high_, low_;
};

// The usual value, c * 2^q, not a power of two: from z, the upper end scaled
// by 10^-k, and its last kKappa + 1 digits (see the top).
template <typename Products>
[[gnu::always_inline]] inline ShortestDecimal ShortestUsual(uint64_t c, int q) {
  constexpr int kKappa = Products::kKappa;
  constexpr uint32_t kSmall = kKappa == 1 ? 10 : 100, kBig = 10 * kSmall;
  const int k = FloorLog10Pow2(q) - kKappa;
  const Products products(k);
  const int beta = q + Scale64::Entry(k).binary_exponent + 127;  // 3 to 6, 6 to 9 for doubles
  const uint32_t delta = products.Width(beta);                   // kSmall to kBig - 1
  const bool even = (c & 1) == 0;  // a tie reads back as v, so both ends are inside
  const ProductBits z = products.Upper((2 * c + 1) << beta);
  uint64_t digits = z.integer / kBig;
  uint32_t r = static_cast<uint32_t>(z.integer - kBig * digits);
  if (r < delta) {  // digits * kBig lies inside the interval unless on an excluded upper end
    if (r != 0 || !z.is_integer || even) return WithoutTrailingZeros({digits, k + kKappa + 1});
    digits -= 1, r = kBig;
  } else if (r == delta) {  // on the lower end: inside when that end is, or z - delta is above it
    const ParityBits x = products.Parity(2 * c - 1, beta);
    if (x.odd || (x.is_integer && even)) return WithoutTrailingZeros({digits, k + kKappa + 1});
  }
  // One digit more: the multiple of 10^k nearest v = z - delta / 2 (+ kSmall / 2 to round).
  const uint32_t distance = r - delta / 2 + kSmall / 2;
  const bool approximately_odd = ((distance ^ (kSmall / 2)) & 1) != 0;
  const bool exact = distance % kSmall == 0;
  uint64_t nearest = digits * uint64_t{10} + distance / kSmall;
  if (exact) {  // v may lie half way: the parity of v's scaled integer decides
    const ParityBits y = products.Parity(2 * c, beta);
    if (y.odd != approximately_odd || ((nearest & 1) != 0 && y.is_integer)) nearest -= 1;
  }
  return {nearest, k + kKappa};
}

// For positive finite values only: the IEEE bits with `kFractionBits`
// fraction bits and an exponent biased by `kBias` (counting the fraction as
// an integer).
template <typename Scale, typename Products, int kFractionBits, int kBias>
[[gnu::always_inline]] inline ShortestDecimal ShortestDecimalOfBits(uint64_t bits) {
  const uint64_t fraction = bits & ((uint64_t{1} << kFractionBits) - 1);
  const int biased = static_cast<int>(bits >> kFractionBits);
  if (biased == 0 || fraction == 0) return ShortestRare<Scale, kFractionBits, kBias>(bits);
  const uint64_t c = fraction | (uint64_t{1} << kFractionBits);
  const int q = biased - kBias;
  if (IsSmallInteger(c, q)) return WithoutTrailingZeros({c >> -q, 0});
  return ShortestUsual<Products>(c, q);
}

[[gnu::always_inline]] inline ShortestDecimal ShortestDecimalOf(double value) {
  return ShortestDecimalOfBits<Scale64, DoubleProducts, 52, 1075>(std::bit_cast<uint64_t>(value));
}
[[gnu::always_inline]] inline ShortestDecimal ShortestDecimalOf(float value) {
  return ShortestDecimalOfBits<Scale32, FloatProducts, 23, 150>(std::bit_cast<uint32_t>(value));
}

template <bool kMarkReal, typename Real>
char* WriteText(char* out, Real value) {
  const bool negative = std::signbit(value);
  if (value == 0) {
    if constexpr (kMarkReal) return std::copy_n("0.0", 3, out);
    return std::copy_n(negative ? "-0" : "0", negative ? 2 : 1, out);
  }
  const Real magnitude = negative ? -value : value;
  return WriteDecimal<kMarkReal>(out, negative, magnitude, ShortestDecimalOf(magnitude));
}

}  // namespace

char* WriteShortestText(char* out, double value) { return WriteText<false>(out, value); }
char* WriteShortestText(char* out, float value) { return WriteText<false>(out, value); }
char* WriteShortestRealText(char* out, double value) { return WriteText<true>(out, value); }
char* WriteShortestRealText(char* out, float value) { return WriteText<true>(out, value); }
