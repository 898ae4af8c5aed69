#include "driver/console.h"

#include <gtest/gtest.h>

#include <sstream>

#include "common/run_error.h"

namespace {

TEST(ConsoleReplies, IntegerIsTheFirstValueOfTheFirstLineThatHasOne) {
  EXPECT_EQ(ParseIntegerReply("  -12  ", "q"), -12);
  EXPECT_EQ(ParseIntegerReply("+7", "q"), 7);
  EXPECT_EQ(ParseIntegerReply("3,4", "q"), 3);
  EXPECT_EQ(ParseIntegerReply("\t2 junk after\r", "q"), 2);
  EXPECT_EQ(ParseIntegerReply("   ", "q"), std::nullopt);
  EXPECT_EQ(ParseIntegerReply("-2147483648", "q"), -2147483647 - 1);
  for (const char* reply : {"abc", "2.5", "1e3", "+-1", "-", "12x", "2147483648"}) {
    try {
      ParseIntegerReply(reply, "mode question");
      ADD_FAILURE() << "accepted " << reply;
    } catch (const RunError& error) {
      EXPECT_NE(std::string(error.what()).find("\"mode question\": \"" + std::string(reply)),
                std::string::npos)
          << error.what();
    }
  }
  // Blank lines are passed over.
  std::istringstream in("\n   \n42 1\n");
  EXPECT_EQ(Console(in, *TextOutput::InMemory()).ReadInteger("q"), 42);
}

TEST(ConsoleReplies, FileNameIsCutAt20CharactersAndLosesItsBlanks) {
  EXPECT_EQ(FileNameFromLine("  result.bin   "), "result.bin");
  EXPECT_EQ(FileNameFromLine("abcdefghijklmnopqrstuvwxy"), "abcdefghijklmnopqrst");
  EXPECT_EQ(FileNameFromLine("out.txt\r"), "out.txt");
  EXPECT_EQ(FileNameFromLine("                    beyond"), "");
}

}  // namespace
