// Fuzz target: the bytes as the answers on standard input, read as the
// dialogue reads them (whole numbers and file names in turn, by a pattern
// taken from the first byte) until the answers run out or one is refused, or
// 64 questions are answered.
// A file name read is never longer than 20 characters nor blank-edged.
#include <fcntl.h>

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "common/run_error.h"
#include "common/text_output.h"
#include "driver/console.h"

constexpr int kQuestions = 64;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TextOutput* const out = new TextOutput("console", open("/dev/null", O_WRONLY), true);
  if (size == 0) return 0;
  const uint8_t pattern = data[0];
  std::istringstream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  Console console(in, *out);
  try {
    // A dialogue asks a dozen questions; more teach the reader nothing new.
    for (int question = 0; question < kQuestions; ++question) {
      if ((pattern >> (question % 8)) & 1) {
        const std::string name = console.ReadFileName("file name");
        if (name.empty() || name.size() > kFileNameWidth || name.front() == ' ' ||
            name.back() == ' ' || name.find('\0') != std::string::npos) {
          std::abort();
        }
      } else {
        console.ReadInteger("number");
      }
    }
  } catch (const RunError&) {
    // Every run of answers ends so: at the end of input, or at a refused answer.
  }
  return 0;
}
