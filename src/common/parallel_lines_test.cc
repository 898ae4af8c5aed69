#include "common/parallel_lines.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// Lines of uneven cost, so that later chunks are often done before earlier
// ones and threads wait for their slots.
void WriteItems(TextOutput& chunk, int32_t first, int32_t last) {
  for (int32_t i = first; i <= last; ++i) {
    const int repeats = (i / 8192) % 5 == 0 ? 12 : 1;
    for (int r = 0; r < repeats; ++r) chunk.Append(std::to_string(i));
    chunk.Append('\n');
  }
}

std::string Formatted(int32_t first, int32_t last, int threads) {
  auto out = TextOutput::InMemory();
  FormatLinesInOrder(*out, first, last, WriteItems, threads);
  return std::string(out->Contents());
}

// Hundreds of chunks on two or three threads: the bytes one thread writes,
// call after call (the threads and their slots serve every call).
TEST(FormatLinesInOrder, ManyChunksOnSeveralThreadsAreTheBytesOfOne) {
  const std::string one = Formatted(3, 1'500'000, 1);
  for (int threads : {2, 3, 2}) {
    EXPECT_EQ(Formatted(3, 1'500'000, threads), one) << threads << " threads";
  }
}

// A chunk that fails ends the call with its exception; the next call is
// served as if nothing had happened.
TEST(FormatLinesInOrder, AFailedChunkIsThrownAndTheThreadsServeTheNextCall) {
  auto out = TextOutput::InMemory();
  const LineFormatter failing = [](TextOutput& chunk, int32_t first, int32_t last) {
    if (first <= 700'000 && 700'000 <= last) throw std::runtime_error("chunk failed");
    WriteItems(chunk, first, last);
  };
  EXPECT_THROW(FormatLinesInOrder(*out, 1, 1'000'000, failing, 2), std::runtime_error);
  EXPECT_EQ(Formatted(1, 300'000, 2), Formatted(1, 300'000, 1));
}

}  // namespace
