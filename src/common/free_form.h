// Free-form lines, the lines whose spacing is the program's own choice
// (console prompts, head lines of restart blocks, FEMAP's comma lines):
// one blank starts the line, text items stand as they are, and every number
// is preceded by one blank. Integers are plain decimal; reals have the fewest
// digits that read back to the same value in their precision, and always a
// decimal point or an exponent, so a reader sees a real.
//
//   FreeFormLine(out).Text(" LA,TIME ").Integer(3).Real(0.5).End();
//   // "  LA,TIME  3 0.5"
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/text_output.h"

// The items of a free-form line, each with its blank, written at `out` for
// writers that fill a whole line at once: they write at most
// kMaxFreeFormNumber bytes and return the end.
inline constexpr size_t kMaxFreeFormNumber = 40;
char* WriteFreeFormInteger(char* out, int64_t value);
char* WriteFreeFormReal(char* out, double value);        // double precision
char* WriteFreeFormSingleReal(char* out, double value);  // rounded to a 4-byte real first

class FreeFormLine {
 public:
  explicit FreeFormLine(TextOutput& out) : out_(out) { out_.Append(' '); }
  FreeFormLine& Text(std::string_view text) {
    out_.Append(text);
    return *this;
  }
  FreeFormLine& Integer(int64_t value);
  FreeFormLine& Real(double value);        // double precision
  FreeFormLine& SingleReal(double value);  // rounded to a 4-byte real first
  void End() { out_.EndLine(); }

 private:
  TextOutput& out_;
};

// Free-form reading (console answers, PICKUP.INP): values stand between
// blanks, tabs and commas (a CR, of a CR LF line end, separates too).
inline bool IsFreeFormSeparator(char c) { return c == ' ' || c == ',' || c == '\t' || c == '\r'; }
