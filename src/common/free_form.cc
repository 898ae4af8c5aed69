#include "common/free_form.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "common/decimal_digits.h"
#include "common/shortest_real.h"

namespace {

// Shortest round-trip text of `value` in its own precision, made to look like
// a real: "-0" becomes "0.0", "86400" becomes "86400.0". Writes at most 32
// bytes; returns the end.
template <typename Real>
char* WriteShortest(char* out, Real value) {
  if (std::isnan(value)) return std::copy_n("NaN", 3, out);
  if (std::isinf(value)) {
    return value < 0 ? std::copy_n("-Infinity", 9, out) : std::copy_n("Infinity", 8, out);
  }
  if (value == 0) value = 0;  // drops the sign of negative zero
  char* end = WriteShortestText(out, value);
  // Only an integral value can be written without a point or an exponent.
  const bool integral =
      std::abs(value) >= Real{1e15} || value == static_cast<Real>(static_cast<int64_t>(value));
  if (!integral) return end;
  bool looks_real = std::find_if(out, end, [](char c) { return c == '.' || c == 'e'; }) != end;
  if (!looks_real) end = std::copy_n(".0", 2, end);
  return end;
}

}  // namespace

FreeFormLine& FreeFormLine::Integer(int64_t value) {
  char* p = out_.Reserve(32);
  *p++ = ' ';
  if (value < 0) *p++ = '-';
  const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : value;
  if (magnitude < kPowersOfTen[8]) {  // the usual case: one word of eight digits, cut
    const int count = DigitCount(magnitude);
    const uint64_t digits = EightDigits(static_cast<uint32_t>(magnitude)) >> (8 * (8 - count));
    std::memcpy(p, &digits, 8);
    out_.Commit(p + count);
    return *this;
  }
  if (magnitude >= kPowersOfTen[18]) {
    out_.Commit(std::to_chars(p, p + 20, magnitude).ptr);
    return *this;
  }
  const int count = DigitCount(magnitude);
  WriteDigits(p, magnitude, count);
  out_.Commit(p + count);
  return *this;
}

FreeFormLine& FreeFormLine::Real(double value) {
  char* p = out_.Reserve(40);
  *p++ = ' ';
  out_.Commit(WriteShortest(p, value));
  return *this;
}

FreeFormLine& FreeFormLine::SingleReal(double value) {
  char* p = out_.Reserve(40);
  *p++ = ' ';
  out_.Commit(WriteShortest(p, static_cast<float>(value)));
  return *this;
}
