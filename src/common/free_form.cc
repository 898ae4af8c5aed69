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
  if (std::isfinite(value)) [[likely]]
    return WriteShortestRealText(out, value);
  if (std::isnan(value)) return std::copy_n("NaN", 3, out);
  return value < 0 ? std::copy_n("-Infinity", 9, out) : std::copy_n("Infinity", 8, out);
}

}  // namespace

char* WriteFreeFormInteger(char* out, int64_t value) {
  *out++ = ' ';
  if (value < 0) *out++ = '-';
  const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : value;
  if (magnitude < kPowersOfTen[8]) {  // the usual case: one word of eight digits, cut
    const int count = DigitCount(magnitude);
    const uint64_t digits = EightDigits(static_cast<uint32_t>(magnitude)) >> (8 * (8 - count));
    std::memcpy(out, &digits, 8);
    return out + count;
  }
  if (magnitude >= kPowersOfTen[18]) return std::to_chars(out, out + 20, magnitude).ptr;
  const int count = DigitCount(magnitude);
  WriteDigits(out, magnitude, count);
  return out + count;
}

char* WriteFreeFormReal(char* out, double value) {
  *out++ = ' ';
  return WriteShortest(out, value);
}

char* WriteFreeFormSingleReal(char* out, double value) {
  *out++ = ' ';
  return WriteShortest(out, static_cast<float>(value));
}

FreeFormCounter::FreeFormCounter(int32_t first) {
  std::memset(text_, ' ', sizeof text_);
  char item[kMaxFreeFormNumber];
  const int length = static_cast<int>(WriteFreeFormInteger(item, first) - item);
  begin_ = kEnd - length;
  std::memcpy(text_ + begin_, item, static_cast<size_t>(length));
}

FreeFormLine& FreeFormLine::Integer(int64_t value) {
  out_.Commit(WriteFreeFormInteger(out_.Reserve(kMaxFreeFormNumber), value));
  return *this;
}

FreeFormLine& FreeFormLine::Real(double value) {
  out_.Commit(WriteFreeFormReal(out_.Reserve(kMaxFreeFormNumber), value));
  return *this;
}

FreeFormLine& FreeFormLine::SingleReal(double value) {
  out_.Commit(WriteFreeFormSingleReal(out_.Reserve(kMaxFreeFormNumber), value));
  return *this;
}
