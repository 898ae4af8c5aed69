#include "driver/console.h"

#include <gtest/gtest.h>

#include <sstream>

#include "common/run_error.h"
#include "text_capture.h"

namespace {

TEST(ConsoleReplies, IntegerIsTheFirstValueOfTheFirstLineThatHasOne) {
  EXPECT_EQ(ParseIntegerReply("5", "q"), 5);
  EXPECT_EQ(ParseIntegerReply("  -12  ", "q"), -12);
  EXPECT_EQ(ParseIntegerReply("+7", "q"), 7);
  EXPECT_EQ(ParseIntegerReply("3,4", "q"), 3);
  EXPECT_EQ(ParseIntegerReply("3 junk after", "q"), 3);
  EXPECT_EQ(ParseIntegerReply("\t2\r", "q"), 2);
  EXPECT_EQ(ParseIntegerReply("", "q"), std::nullopt);
  EXPECT_EQ(ParseIntegerReply("   ", "q"), std::nullopt);
  EXPECT_EQ(ParseIntegerReply("2147483647", "q"), 2147483647);
  EXPECT_EQ(ParseIntegerReply("-2147483648", "q"), -2147483647 - 1);
}

TEST(ConsoleReplies, ReplyThatIsNotAWholeNumberNamesTheQuestion) {
  for (const char* reply : {"abc", "2.5", "1e3", "+-1", "-", "+", "12x", "2147483648"}) {
    try {
      ParseIntegerReply(reply, "mode question");
      FAIL() << "accepted " << reply;
    } catch (const RunError& error) {
      std::string message = error.what();
      EXPECT_NE(message.find("mode question"), std::string::npos) << message;
      EXPECT_NE(message.find(reply), std::string::npos) << message;
    }
  }
}

TEST(ConsoleReplies, FileNameIsCutAt20CharactersAndLosesItsBlanks) {
  EXPECT_EQ(FileNameFromLine("result.bin"), "result.bin");
  EXPECT_EQ(FileNameFromLine("  result.bin   "), "result.bin");
  EXPECT_EQ(FileNameFromLine("abcdefghijklmnopqrstuvwxy"), "abcdefghijklmnopqrst");
  EXPECT_EQ(FileNameFromLine("out.txt\r"), "out.txt");
  EXPECT_EQ(FileNameFromLine("                    beyond"), "");
}

TEST(Console, ReadsPassOverBlankLinesAndFailAtEndOfInput) {
  std::istringstream in("\n   \n42 1\nname.txt\n   \n");
  std::string shown = CaptureText([&](TextOutput& out) {
    Console console(in, out);
    console.Prompt("  INPUT No. ? =");
    EXPECT_EQ(console.ReadInteger("q"), 42);
    EXPECT_EQ(console.ReadFileName("file"), "name.txt");
    EXPECT_THROW(console.ReadFileName("blank file"), RunError);
    try {
      console.ReadInteger("step question");
      FAIL() << "read past the end of input";
    } catch (const RunError& error) {
      EXPECT_EQ(std::string(error.what()),
                "standard input: answer to \"step question\": end of input before an answer was "
                "given");
    }
  });
  EXPECT_EQ(shown, "   INPUT No. ? =\n");
}

}  // namespace
