// Console: both ends of the dialogue. Prompts go out as free-form lines (one
// leading blank), boxes as fixed lines; answers come in one per line, read
// free-form. Standard output is flushed before every read, so a user at a
// terminal sees the question before answering it.
//
// Every problem with an answer (end of input, a reply that is not a whole
// number, a blank file name, a NUL byte, a reply of more than 64 KiB) throws
// RunError naming the question as the screen asks it, showing the reply
// (escaped, long ones cut) and saying which answers the question takes. A
// byte-order mark at the head of the answers is passed over.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

#include "common/text_output.h"

// Longest file name the dialogue keeps: a longer reply is cut.
inline constexpr size_t kFileNameWidth = 20;
// Longest reply line read; an endless one ends the run instead of filling memory.
inline constexpr size_t kReplyLimit = 64 * 1024;

// A question as messages name it: its text as the screen shows it, and the
// answers it takes (empty when the text says it).
struct Question {
  constexpr Question(std::string_view shown_text, std::string_view answer_text = {})
      : shown(shown_text), answers(answer_text) {}
  constexpr Question(const char* shown_text) : shown(shown_text) {}
  std::string_view shown;
  std::string_view answers;
};

class Console {
 public:
  Console(std::istream& in, TextOutput& out) : in_(in), out_(out) {}

  void Prompt(std::string_view text);     // " " + text
  void FixedLine(std::string_view text);  // text as it stands
  void EmptyLine() { out_.EndLine(); }
  void BlankLine() { Prompt(" "); }  // a free-form line holding one blank
  TextOutput& out() { return out_; }

  // Reads one integer free-form: blank lines are passed over, values are
  // separated by blanks or commas, and what follows the first value on its
  // line is ignored.
  int32_t ReadInteger(const Question& question);
  // Reads the next line's first 20 characters as a file name, without the
  // blanks around it; a blank name is an error, a cut one gets a note.
  std::string ReadFileName(const Question& question);

 private:
  std::string RequireLine(const Question& question);

  std::istream& in_;
  TextOutput& out_;
  bool first_line_ = true;
};

// The first 20 characters of `line` without surrounding blanks (and without
// a carriage return left by a CR LF line end).
std::string FileNameFromLine(std::string_view line);
// The same, with a note on standard error when the line names more than 20
// characters; `source` says where the line comes from.
std::string FileNameFromReply(std::string_view line, std::string_view source);

// The first value of a free-form line as an integer: nothing when the line
// holds no value; throws RunError (naming `question`) when the value is not a
// whole number that fits 32 bits.
std::optional<int32_t> ParseIntegerReply(std::string_view line, const Question& question);
