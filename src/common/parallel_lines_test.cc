#include "common/parallel_lines.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "text_capture.h"

namespace {

// Lines of different lengths, so that chunk boundaries fall anywhere.
void NumberLines(TextOutput& out, int32_t first, int32_t last) {
  for (int32_t i = first; i <= last; ++i) {
    out.Append(std::to_string(i));
    out.Append(std::string(static_cast<size_t>(i % 7), '.'));
    out.EndLine();
  }
}

TEST(FormatLinesInOrder, ThreadsWriteTheBytesOfOneThread) {
  for (int32_t last : {0, 1, 8191, 8192, 8193, 100000}) {
    const std::string one = CaptureText([&](TextOutput& out) { NumberLines(out, 1, last); });
    for (int threads : {1, 2, 3}) {
      const std::string many = CaptureText(
          [&](TextOutput& out) { FormatLinesInOrder(out, 1, last, NumberLines, threads); });
      EXPECT_EQ(many, one) << last << " lines on " << threads << " threads";
    }
  }
}

TEST(FormatLinesInOrder, AFormattingFailureReachesTheCaller) {
  const auto failing = [](TextOutput& out, int32_t first, int32_t last) {
    if (last >= 50000 && first <= 50000) throw std::runtime_error("broken line");
    NumberLines(out, first, last);
  };
  EXPECT_THROW(
      CaptureText([&](TextOutput& out) { FormatLinesInOrder(out, 1, 100000, failing, 2); }),
      std::runtime_error);
}

}  // namespace
