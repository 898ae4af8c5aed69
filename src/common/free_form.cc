#include "common/free_form.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

// Shortest round-trip text of `value` in its own precision, made to look like
// a real: "-0" becomes "0.0", "86400" becomes "86400.0".
template <typename Real>
char* WriteShortest(char* out, Real value) {
  if (std::isnan(value)) return std::copy_n("NaN", 3, out);
  if (std::isinf(value)) {
    return value < 0 ? std::copy_n("-Infinity", 9, out) : std::copy_n("Infinity", 8, out);
  }
  if (value == 0) value = 0;  // drops the sign of negative zero
  char* end = std::to_chars(out, out + 32, value).ptr;
  bool looks_real = std::find_if(out, end, [](char c) { return c == '.' || c == 'e'; }) != end;
  if (!looks_real) end = std::copy_n(".0", 2, end);
  return end;
}

}  // namespace

char* WriteShortestReal(char* out, double value) { return WriteShortest(out, value); }
char* WriteShortestSingleReal(char* out, float value) { return WriteShortest(out, value); }

FreeFormLine& FreeFormLine::Text(std::string_view text) {
  out_.Append(text);
  return *this;
}

FreeFormLine& FreeFormLine::Integer(int64_t value) {
  char* p = out_.Reserve(24);
  *p++ = ' ';
  out_.Commit(std::to_chars(p, p + 22, value).ptr);
  return *this;
}

FreeFormLine& FreeFormLine::Real(double value) {
  char* p = out_.Reserve(40);
  *p++ = ' ';
  out_.Commit(WriteShortestReal(p, value));
  return *this;
}

FreeFormLine& FreeFormLine::SingleReal(double value) {
  char* p = out_.Reserve(40);
  *p++ = ' ';
  out_.Commit(WriteShortestSingleReal(p, static_cast<float>(value)));
  return *this;
}
