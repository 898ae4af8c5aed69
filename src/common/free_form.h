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
#include <cstring>
#include <string_view>

#include "common/text_output.h"

// The items of a free-form line, each with its blank, written at `out` for
// writers that fill a whole line at once: they write at most
// kMaxFreeFormNumber bytes and return the end.
inline constexpr size_t kMaxFreeFormNumber = 40;
char* WriteFreeFormInteger(char* out, int64_t value);
char* WriteFreeFormReal(char* out, double value);        // double precision
char* WriteFreeFormSingleReal(char* out, double value);  // rounded to a 4-byte real first

// The items WriteFreeFormInteger writes for a run of consecutive numbers
// from `first` (0 or more) on, counted up in their text instead of each
// turned into digits anew: the entity numbers of a run of lines.
class FreeFormCounter {
 public:
  explicit FreeFormCounter(int32_t first);
  // Writes the current number's item at `out` (up to 16 bytes there may be
  // overwritten) and returns its end.
  char* Write(char* out) const {
    std::memcpy(out, text_ + begin_, 16);
    return out + (kEnd - begin_);
  }
  void Next() {
    int i = kEnd - 1;
    while (text_[i] == '9') text_[i--] = '0';
    if (text_[i] == ' ') {
      text_[i] = '1';  // one digit more, after the blank before it
      --begin_;
    } else {
      ++text_[i];
    }
  }

 private:
  // The item ends at kEnd, right-aligned after blanks; the bytes after it
  // only let Write copy 16 bytes at once.
  static constexpr int kEnd = 16;
  char text_[kEnd + 16];
  int begin_;  // where the item (its blank) starts in text_
};

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
