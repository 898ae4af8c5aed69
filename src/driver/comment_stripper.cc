#include "driver/comment_stripper.h"

#include <cstdint>
#include <string>

#include "common/bounded_line.h"
#include "common/free_form.h"
#include "common/input_file.h"
#include "common/notes.h"
#include "common/output_files.h"
#include "common/shown_text.h"
#include "driver/dialogue_texts.h"

namespace {

constexpr size_t kLineWidth = 200;
constexpr size_t kShortestLine = 5;

bool IsComment(std::string_view line) {
  return line.starts_with('#') || line.starts_with("\x81\x94");
}

// A note for each of the first few lines cut at kLineWidth, then one for the rest.
class CutLineNotes {
 public:
  explicit CutLineNotes(const std::string& input_name) : input_name_(input_name) {}
  // After the last line: the count of cut lines not noted one by one.
  void Finish() const {
    if (cut_ <= kNotedLines) return;
    WriteNote(EscapedText(input_name_) + ": " + std::to_string(cut_ - kNotedLines) +
              " more lines are longer than " + std::to_string(kLineWidth) +
              " characters and are cut too");
  }
  void Add(uint64_t line_number) {
    if (++cut_ > kNotedLines) return;
    WriteNote(EscapedText(input_name_) + ": line " + std::to_string(line_number) +
              " is longer than " + std::to_string(kLineWidth) + " characters; only its first " +
              std::to_string(kLineWidth) + " are copied");
  }

 private:
  static constexpr uint64_t kNotedLines = 10;
  const std::string& input_name_;
  uint64_t cut_ = 0;
};

// Copies one input line (without its line end) to `out` unless it is a
// comment. Returns true when the line was blank from column 5 on, which the
// console reports.
bool CopyDataLine(std::string_view line, TextOutput& out) {
  if (IsComment(line)) return false;
  line = line.substr(0, kLineWidth);
  size_t last = line.find_last_not_of(' ');
  bool blank_tail = last == std::string_view::npos || last < kShortestLine - 1;
  size_t length = blank_tail ? kShortestLine : last + 1;
  out.Append(line.substr(0, length));
  for (size_t i = line.size(); i < length; ++i) out.Append(' ');
  out.EndLine();
  return blank_tail;
}

}  // namespace

void StripComments(std::streambuf& input, const std::string& input_name, TextOutput& output,
                   TextOutput& console) {
  CutLineNotes notes(input_name);
  BoundedLine line;
  for (uint64_t number = 1; ReadBoundedLine(input, kLineWidth, LongLines::kSkip, line); ++number) {
    if (IsComment(line.text)) continue;
    if (line.cuts_text) notes.Add(number);
    if (CopyDataLine(line.text, output)) FreeFormLine(console).Text("NMCLM").Integer(5).End();
  }
  notes.Finish();
}

void RunCommentStripping(Console& console) {
  console.Prompt(dialogue::kAnalysisFileQuestion);
  std::string input_name = console.ReadFileName(dialogue::kAnalysisFileAnswer);
  OutputFiles files;
  files.RegisterInput(input_name);
  InputFile input(input_name, "the data file");
  auto output = files.Create(std::string(kStrippedFileName));
  StripComments(input, input_name, *output, console.out());
  output->Finish();
}
