#include "driver/comment_stripper.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>

#include "common/free_form.h"
#include "common/run_error.h"
#include "driver/dialogue_texts.h"

namespace {

constexpr size_t kLineWidth = 200;
constexpr size_t kShortestLine = 5;

bool IsComment(std::string_view line) {
  return line.starts_with('#') || line.starts_with("\x81\x94");
}

}  // namespace

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

void RunCommentStripping(Console& console) {
  console.Prompt(dialogue::kAnalysisFileQuestion);
  std::string input_name = console.ReadFileName(dialogue::kAnalysisFileQuestion);
  std::ifstream input(input_name, std::ios::binary);
  if (!input) throw ErrorAbout(input_name, std::string("cannot open: ") + std::strerror(errno));
  auto output = TextOutput::Create(std::string(kStrippedFileName));
  std::string line;
  while (std::getline(input, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (CopyDataLine(line, *output)) FreeFormLine(console.out()).Text("NMCLM").Integer(5).End();
  }
  if (input.bad()) throw ErrorAbout(input_name, "read failed");
  output->Flush();
}
