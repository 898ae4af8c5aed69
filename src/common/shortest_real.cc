#include "common/shortest_real.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <type_traits>

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

// The value is digits * 10^exponent; `digits` may end in zeros.
struct ShortestDecimal {
  uint64_t digits;
  int exponent;
};

// The same decimal with exactly kWidth digits (17 for doubles, 9 for floats:
// the most a shortest form has), zeros added. With `kNear`, `digits` has
// kWidth - 1 or kWidth already.
template <int kWidth, bool kNear = false>
[[gnu::always_inline]] inline ShortestDecimal Widened(uint64_t digits, int exponent) {
  if constexpr (kNear) {
    const int short_by_one = digits < kPowersOfTen[kWidth - 1] ? 1 : 0;
    return {digits * (1 + 9 * static_cast<uint64_t>(short_by_one)), exponent - short_by_one};
  }
  const int added = kWidth - DigitCount(digits);
  return {digits * kPowersOfTen[added], exponent - added};
}

// floor(e * log10(2)) and floor(log10(3/4 * 2^e)) for the exponents of doubles.
constexpr int FloorLog10Pow2(int e) { return (e * 1262611) >> 22; }
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
  static constexpr uint64_t Power(int k) {
    return Scale64::Entry(k).high + (-k >= 0 && -k <= 27 ? 0 : 1);
  }

 private:
  uint64_t g_;
};

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
    if (up_inside != wp_inside) return {sp + (wp_inside ? 1 : 0), k + 1};
  }
  const bool u_inside = lower <= 4 * s, w_inside = 4 * s + 4 <= upper;
  if (u_inside != w_inside) return {s + (w_inside ? 1 : 0), k};
  const uint64_t mid = 4 * s + 2;
  const bool round_up = vb > mid || (vb == mid && (s & 1) != 0);
  return {s + (round_up ? 1 : 0), k};
}

// A value c * 2^q that is an integer below 2^(fraction_bits+1) is its own
// shortest form: 0 <= -q <= the trailing zero bits of c (at most
// fraction_bits, as c is below 2^(fraction_bits+1)).
bool IsSmallInteger(uint64_t c, int q) {
  return static_cast<unsigned>(-q) <= static_cast<unsigned>(std::countr_zero(c));
}

// "e-324" to "e+308" in the low bytes of a word, their length in the top byte.
constexpr int kLeastExponent = -324, kGreatestExponent = 308;
inline constexpr std::array<uint64_t, kGreatestExponent - kLeastExponent + 1> kExponentTexts = [] {
  std::array<uint64_t, kGreatestExponent - kLeastExponent + 1> texts{};
  for (int exponent = kLeastExponent; exponent <= kGreatestExponent; ++exponent) {
    const int magnitude = exponent < 0 ? -exponent : exponent;
    uint64_t text = 'e' | static_cast<uint64_t>(exponent < 0 ? '-' : '+') << 8;
    int length = 2;
    if (magnitude >= 100) text |= uint64_t('0' + magnitude / 100) << 8 * length++;
    text |= uint64_t('0' + magnitude / 10 % 10) << 8 * length++;
    text |= uint64_t('0' + magnitude % 10) << 8 * length++;
    texts[exponent - kLeastExponent] = text | uint64_t(length) << 56;
  }
  return texts;
}();

// The kWidth digits of a decimal at fixed places: the first apart and the others as words of eight
// characters, first in the lowest byte. The trailing zeros, the padding among them, are then the
// top bytes of the words that are '0', counted without a division.
//
// The digits come from one fraction F = D / 10^kWidth in 64 bits, by taking
// the integer part of F * 10, then of F * 10^4 four times (two for floats).
// F is made from D times K = 2^(64 + s) / 10^kWidth (s the largest shift that
// keeps K in a word) rounded up, and 1 added: it exceeds the exact fraction
// by less than 3 / 2^64, which stays below one unit of the last digit.
template <int kWidth>
class Significand {
 public:
  static constexpr bool kTwoWords = kWidth > 9;
  explicit Significand(uint64_t digits) {
    uint64_t fraction = Fraction(digits);
    first_ = static_cast<char>('0' + TakeDigits(fraction, 10));
    high_ = EightDigits(fraction);
    if constexpr (kTwoWords) low_ = EightDigits(fraction);
  }
  // The digits up to the last that is not 0.
  int Count() const {
    constexpr uint64_t kZeros = 0x3030303030303030;
    if constexpr (kTwoWords) {
      if (low_ != kZeros) return 9 + BytesUsed(low_ - kZeros);
    }
    return 1 + BytesUsed(high_ - kZeros);
  }
  // All kWidth digits at `at`.
  void Store(char* at) const {
    at[0] = first_;
    std::memcpy(at + 1, &high_, 8);
    if constexpr (kTwoWords) std::memcpy(at + 9, &low_, 8);
  }
  // The digits with a point after the first `before_point` (1 to kWidth - 1):
  // the digits after it stored again one place on.
  void StoreWithPoint(char* at, int before_point) const {
    Store(at);
    at[before_point] = '.';
    if (!kTwoWords || before_point <= 8) {
      const uint64_t after = high_ >> (8 * (before_point - 1));
      std::memcpy(at + before_point + 1, &after, 8);
      if constexpr (kTwoWords) std::memcpy(at + 10, &low_, 8);
    } else {
      const uint64_t after = low_ >> (8 * (before_point - 9));
      std::memcpy(at + before_point + 1, &after, 8);
    }
  }
  // d.ddde-XX (no point after one digit).
  char* StoreScientific(char* at, int count, int exponent) const {
    at[0] = first_;
    at[1] = '.';
    std::memcpy(at + 2, &high_, 8);
    if constexpr (kTwoWords) std::memcpy(at + 10, &low_, 8);
    char* end = at + count + (count > 1 ? 1 : 0);
    const uint64_t text = kExponentTexts[exponent - kLeastExponent];
    std::memcpy(end, &text, 8);
    return end + (text >> 56);
  }

 private:
  static constexpr int kShift = std::bit_width(kPowersOfTen[kWidth]) - 1;
  static constexpr uint64_t kScale =
      static_cast<uint64_t>((Uint128{1} << (64 + kShift)) / kPowersOfTen[kWidth] + 1);
  static uint64_t Fraction(uint64_t scaled) {
    return static_cast<uint64_t>((static_cast<Uint128>(scaled) * kScale) >> kShift) + 1;
  }
  // The integer part of fraction * unit, leaving the fraction part.
  static uint32_t TakeDigits(uint64_t& fraction, uint64_t unit) {
    const Uint128 product = static_cast<Uint128>(fraction) * unit;
    fraction = static_cast<uint64_t>(product);
    return static_cast<uint32_t>(product >> 64);
  }
  static uint64_t EightDigits(uint64_t& fraction) {
    const uint32_t high = TakeDigits(fraction, 10000);
    return kFourDigits[high] | uint64_t{kFourDigits[TakeDigits(fraction, 10000)]} << 32;
  }
  static int BytesUsed(uint64_t word) { return (std::bit_width(word) + 7) / 8; }
  char first_;
  uint64_t high_, low_ = 0;
};

// A value whose shortest form ends in zeros before the point is an integer,
// and is written with its own digits, as the standard library does; beyond
// 2^53 these may differ from the shortest form's.
[[gnu::noinline]] char* WriteInteger(char* out, double value, int count) {
  auto n = static_cast<Uint128>(value);
  for (char* p = out + count; p != out; n /= 10) *--p = static_cast<char>('0' + n % 10);
  return out + count;
}

// Fixed or scientific notation, whichever is shorter (fixed on a tie). With
// n digits and the exponent E of the first, scientific takes n + 4 bytes
// (n + 5 past one digit, for the point), one more from |E| >= 100. Fixed
// takes n + 1 when the point falls among the digits, n + 1 - E before them
// (so up to E = -4, or -3 for one digit), and n + zeros past them (so up to
// 5 zeros, or 4 for one digit). Below 10^kExactDigits the shortest form of an integer is its own
// digits.
template <bool kMarkReal, int kWidth, int kExactDigits>
[[gnu::always_inline]] inline char* WriteDecimal(char* out, double magnitude, ShortestDecimal d) {
  const Significand<kWidth> significand(d.digits);
  const int exponent = d.exponent + kWidth - 1;  // of the first digit
  const int count = significand.Count();
  const int most_zeros = count > 1 ? 4 : 3;
  if (exponent < -most_zeros || exponent - count > most_zeros) {
    return significand.StoreScientific(out, count, exponent);
  }
  if (exponent < 0) {  // 0.000ddd
    std::memcpy(out, "0.000000", 8);
    significand.Store(out + 1 - exponent);
    return out + 1 - exponent + count;
  }
  if (exponent < count - 1) {
    significand.StoreWithPoint(out, exponent + 1);
    return out + count + 1;
  }
  char* end = out + exponent + 1;
  if (exponent < kExactDigits) {
    significand.Store(out);
  } else {
    WriteInteger(out, magnitude, exponent + 1);
  }
  if constexpr (kMarkReal) end = std::copy_n(".0", 2, end);
  return end;
}

// Subnormal values and powers of two by the interval search, kept off the
// usual route's code and registers. The value of IEEE bits with
// `kFractionBits` fraction bits and an exponent biased by `kBias` (counting
// the fraction as an integer): c * 2^q.
template <typename Scale, int kFractionBits, int kBias, int kWidth>
[[gnu::noinline]] ShortestDecimal ShortestRare(uint64_t bits) {
  const uint64_t fraction = bits & ((uint64_t{1} << kFractionBits) - 1);
  const int biased = static_cast<int>(bits >> kFractionBits);
  const uint64_t c = fraction | (uint64_t{1} << kFractionBits);
  const int q = biased - kBias;
  ShortestDecimal d;
  if (biased == 0) {
    d = Shortest<Scale>(fraction, 1 - kBias, false);
  } else if (IsSmallInteger(c, q)) {
    d = {c >> -q, 0};
  } else {
    d = Shortest<Scale>(c, q, fraction == 0 && biased > 1);
  }
  return Widened<kWidth>(d.digits, d.exponent);
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

// The powers of the usual float route (k from that of the least normal
// exponent to that of the greatest) with their binary exponents, together:
// one small table.
struct FloatPower {
  uint64_t g;
  int binary_exponent;
};
constexpr int kFloatLeastK = FloorLog10Pow2(1 - 150) - 1;
constexpr int kFloatGreatestK = FloorLog10Pow2(254 - 150) - 1;
inline constexpr auto kFloatPowers = [] {
  std::array<FloatPower, kFloatGreatestK - kFloatLeastK + 1> powers{};
  for (int k = kFloatLeastK; k <= kFloatGreatestK; ++k) {
    powers[k - kFloatLeastK] = {Scale32::Power(k), Scale64::Entry(k).binary_exponent};
  }
  return powers;
}();

class FloatProducts {
 public:
  static constexpr int kKappa = 1;  // z has 2 digits more than the width
  static constexpr int kWidth = 9;
  explicit FloatProducts(int k)
      : g_(kFloatPowers[k - kFloatLeastK].g),
        binary_exponent_(kFloatPowers[k - kFloatLeastK].binary_exponent) {}
  int BinaryExponent() const { return binary_exponent_; }
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
  int binary_exponent_;
};

class DoubleProducts {
 public:
  static constexpr int kKappa = 2;  // z has 3 digits more than the width
  static constexpr int kWidth = 17;
  explicit DoubleProducts(int k)
      : high_(Scale64::Entry(k).high),
        low_(Scale64::Entry(k).low),
        binary_exponent_(Scale64::Entry(k).binary_exponent) {
    Scale64::RoundUp(k, high_, low_);
  }
  int BinaryExponent() const { return binary_exponent_; }
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
  int binary_exponent_;
};

// The usual value, c * 2^q, not a power of two: from z, the upper end scaled
// by 10^-k, and its last kKappa + 1 digits (see the top).
template <typename Products>
[[gnu::always_inline]] inline ShortestDecimal ShortestUsual(uint64_t c, int q) {
  constexpr int kKappa = Products::kKappa, kWidth = Products::kWidth;
  // For doubles, digits * 10 has 16 or 17 digits (15 or 16 for digits, as
  // z is 100c to 1000c: 4.5e17 to 9.1e18), and so has nearest.
  constexpr bool kNear = kKappa == 2;
  constexpr uint32_t kSmall = kKappa == 1 ? 10 : 100, kBig = 10 * kSmall;
  const int k = FloorLog10Pow2(q) - kKappa;
  const Products products(k);
  const int beta = q + products.BinaryExponent() + 127;  // 3 to 6, 6 to 9 for doubles
  const uint32_t delta = products.Width(beta);           // kSmall to kBig - 1
  const bool even = (c & 1) == 0;  // a tie reads back as v, so both ends are inside
  const ProductBits z = products.Upper((2 * c + 1) << beta);
  uint64_t digits = z.integer / kBig;
  uint32_t r = static_cast<uint32_t>(z.integer - kBig * digits);
  if (r == 0 && z.is_integer && !even) [[unlikely]] {  // an excluded upper end: one multiple lower
    digits -= 1, r = kBig;
  }
  // digits * kBig lies inside the interval when r < delta, and when r is
  // delta if the lower end counts or z - delta is above it. Whether it does
  // is a coin toss for the usual values, so both answers are made and one is
  // picked without a jump.
  bool shorter = r < delta;
  if (r == delta) [[unlikely]] {
    const ParityBits x = products.Parity(2 * c - 1, beta);
    shorter = x.odd || (x.is_integer && even);
  }
  // One digit more: the multiple of 10^k nearest v = z - delta / 2 (+ kSmall / 2 to round).
  const uint32_t distance = r - delta / 2 + kSmall / 2;
  const bool approximately_odd = ((distance ^ (kSmall / 2)) & 1) != 0;
  const bool exact = distance % kSmall == 0;
  uint64_t nearest = digits * uint64_t{10} + distance / kSmall;
  if (exact && !shorter) [[unlikely]] {  // v may lie half way: its scaled integer's parity decides
    const ParityBits y = products.Parity(2 * c, beta);
    if (y.odd != approximately_odd || ((nearest & 1) != 0 && y.is_integer)) nearest -= 1;
  }
  nearest = __builtin_expect_with_probability(shorter, true, 0.5) ? digits * 10 : nearest;
  return Widened<kWidth, kNear>(nearest, k + kKappa);
}

// For positive finite values only: the IEEE bits with `kFractionBits`
// fraction bits and an exponent biased by `kBias` (counting the fraction as
// an integer).
template <typename Scale, typename Products, int kFractionBits, int kBias>
[[gnu::always_inline]] inline ShortestDecimal ShortestDecimalOfBits(uint64_t bits) {
  constexpr int kWidth = Products::kWidth;
  const uint64_t fraction = bits & ((uint64_t{1} << kFractionBits) - 1);
  const int biased = static_cast<int>(bits >> kFractionBits);
  if (biased == 0 || fraction == 0) return ShortestRare<Scale, kFractionBits, kBias, kWidth>(bits);
  const uint64_t c = fraction | (uint64_t{1} << kFractionBits);
  const int q = biased - kBias;
  if (IsSmallInteger(c, q)) return Widened<kWidth>(c >> -q, 0);
  return ShortestUsual<Products>(c, q);
}

template <bool kMarkReal, typename Real>
char* WriteText(char* out, Real value) {
  constexpr bool kDouble = sizeof(Real) == 8;
  using Bits = std::conditional_t<kDouble, uint64_t, uint32_t>;
  constexpr int kSignBit = 8 * sizeof(Real) - 1;
  const Bits bits = std::bit_cast<Bits>(value);
  const Bits magnitude = bits & ~(Bits{1} << kSignBit);
  const bool negative = bits >> kSignBit != 0;
  if (magnitude == 0) {
    if constexpr (kMarkReal) return std::copy_n("0.0", 3, out);
    return std::copy_n(negative ? "-0" : "0", negative ? 2 : 1, out);
  }
  *out = '-';
  out += negative ? 1 : 0;
  if constexpr (kDouble) {
    const ShortestDecimal d = ShortestDecimalOfBits<Scale64, DoubleProducts, 52, 1075>(magnitude);
    return WriteDecimal<kMarkReal, 17, 15>(out, std::bit_cast<double>(magnitude), d);
  } else {
    const ShortestDecimal d = ShortestDecimalOfBits<Scale32, FloatProducts, 23, 150>(magnitude);
    return WriteDecimal<kMarkReal, 9, 7>(out, std::bit_cast<float>(magnitude), d);
  }
}

}  // namespace

char* WriteShortestText(char* out, double value) { return WriteText<false>(out, value); }
char* WriteShortestText(char* out, float value) { return WriteText<false>(out, value); }
char* WriteShortestRealText(char* out, double value) { return WriteText<true>(out, value); }
char* WriteShortestRealText(char* out, float value) { return WriteText<true>(out, value); }
