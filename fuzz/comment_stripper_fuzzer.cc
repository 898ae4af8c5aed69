// Fuzz target: the bytes as an analysis data file, copied by the conversion
// mode into a file in memory, whose lines are then checked: none is a comment,
// each holds 5 to 200 bytes and ends in a non-blank unless it is 5 long.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "common/run_error.h"
#include "common/text_output.h"
#include "driver/comment_stripper.h"

namespace {

int MemoryFile() {
  static const int fd = [] {
    int made = memfd_create("analysis", 0);
    if (made < 0) std::abort();
    return made;
  }();
  return fd;
}

// The copy's bytes, read back; the memory file is emptied for the next input.
std::string TakeCopy() {
  const int fd = MemoryFile();
  const off_t size = lseek(fd, 0, SEEK_CUR);
  std::string copy(static_cast<size_t>(size), '\0');
  if (pread(fd, copy.data(), copy.size(), 0) != size) std::abort();
  if (ftruncate(fd, 0) != 0 || lseek(fd, 0, SEEK_SET) != 0) std::abort();
  return copy;
}

void CheckLine(std::string_view line) {
  const bool fine = line.size() >= 5 && line.size() <= 200 && !line.starts_with('#') &&
                    !line.starts_with("\x81\x94") && (line.size() == 5 || line.back() != ' ');
  if (!fine) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TextOutput* const console = new TextOutput("console", open("/dev/null", O_WRONLY), true);
  static TextOutput* const output = new TextOutput("ANALYSIS.DAT", MemoryFile(), false);
  std::stringbuf input(std::string(reinterpret_cast<const char*>(data), size));
  StripComments(input, "fuzz input", *output, *console);
  output->Flush();
  console->Flush();
  const std::string whole_copy = TakeCopy();
  std::string_view copy = whole_copy;
  while (!copy.empty()) {
    const size_t end = copy.find('\n');
    if (end == std::string_view::npos) std::abort();  // every line ends with LF
    CheckLine(copy.substr(0, end));
    copy.remove_prefix(end + 1);
  }
  return 0;
}
