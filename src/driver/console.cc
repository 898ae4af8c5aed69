#include "driver/console.h"

#include <charconv>

#include "common/bounded_line.h"
#include "common/free_form.h"
#include "common/notes.h"
#include "common/run_error.h"

namespace {

RunError ReplyError(const Question& question, const std::string& what) {
  return ErrorAbout("standard input", "answer to \"" + std::string(question.shown) + "\": " + what);
}

// A reply that is no answer at all: the message says what the question takes.
RunError NotAnAnswer(const Question& question, const std::string& what) {
  if (question.answers.empty()) return ReplyError(question, what);
  return ReplyError(question, what + "; the question takes " + std::string(question.answers));
}

}  // namespace

void Console::Prompt(std::string_view text) {
  out_.Append(' ');
  out_.Append(text);
  out_.EndLine();
}

void Console::FixedLine(std::string_view text) {
  out_.Append(text);
  out_.EndLine();
}

std::string Console::RequireLine(const Question& question) {
  out_.Flush();
  BoundedLine line;
  if (!ReadBoundedLine(*in_.rdbuf(), kReplyLimit, LongLines::kStop, line)) {
    throw ReplyError(question, "end of input before an answer was given");
  }
  if (line.Cut()) {
    throw ReplyError(question, "the reply is longer than " + std::to_string(kReplyLimit) +
                                   " bytes; it begins \"" +
                                   EscapedText(line.text.substr(0, kShownReplyLength)) + "...\"");
  }
  if (line.holds_nul) {
    throw ReplyError(question, "the reply " + QuotedReply(line.text) + " holds a NUL byte");
  }
  if (first_line_) DropByteOrderMark(line.text);
  first_line_ = false;
  return std::move(line.text);
}

int32_t Console::ReadInteger(const Question& question) {
  for (;;) {
    std::string line = RequireLine(question);
    if (std::optional<int32_t> value = ParseIntegerReply(line, question)) return *value;
  }
}

std::string Console::ReadFileName(const Question& question) {
  std::string name =
      FileNameFromReply(RequireLine(question), "answer to \"" + std::string(question.shown) + "\"");
  if (name.empty()) throw ReplyError(question, "the file name is blank");
  return name;
}

std::string FileNameFromLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  line = line.substr(0, kFileNameWidth);
  size_t first = line.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  size_t last = line.find_last_not_of(' ');
  return std::string(line.substr(first, last - first + 1));
}

std::string FileNameFromReply(std::string_view line, std::string_view source) {
  std::string name = FileNameFromLine(line);
  if (line.size() > kFileNameWidth &&
      line.find_first_not_of(" \r", kFileNameWidth) != std::string_view::npos) {
    WriteNote(std::string(source) + ": the file name " + QuotedReply(line) + " is cut to " +
              std::to_string(kFileNameWidth) + " characters; " + QuotedReply(name) + " is used");
  }
  return name;
}

std::optional<int32_t> ParseIntegerReply(std::string_view line, const Question& question) {
  size_t start = 0;
  while (start < line.size() && IsFreeFormSeparator(line[start])) ++start;
  if (start == line.size()) return std::nullopt;
  size_t stop = start;
  while (stop < line.size() && !IsFreeFormSeparator(line[stop])) ++stop;
  std::string_view token = line.substr(start, stop - start);
  std::string_view digits = token;
  if (token[0] == '+' && token.size() > 1 && token[1] != '-') digits.remove_prefix(1);
  int32_t value = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error == std::errc::result_out_of_range) {
    throw NotAnAnswer(question, QuotedReply(token) + " is out of range");
  }
  if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) {
    throw NotAnAnswer(question, QuotedReply(token) + " is not a whole number");
  }
  return value;
}
