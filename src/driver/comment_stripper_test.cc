#include "driver/comment_stripper.h"

#include <gtest/gtest.h>

#include <string>

#include "text_capture.h"

namespace {

struct Copied {
  std::string text;
  bool reported;
};

Copied Copy(const std::string& line) {
  bool reported = false;
  std::string text = CaptureText([&](TextOutput& out) { reported = CopyDataLine(line, out); });
  return {text, reported};
}

TEST(CommentStripping, CommentLinesAreDroppedOnlyWhenTheMarkIsInColumnOne) {
  EXPECT_EQ(Copy("# a comment").text, "");
  EXPECT_EQ(Copy("#").text, "");
  EXPECT_EQ(Copy("\x81\x94 full-width mark").text, "");
  EXPECT_EQ(Copy(" # not a comment").text, " # not a comment\n");
  EXPECT_EQ(Copy("data # trailing").text, "data # trailing\n");
  EXPECT_FALSE(Copy("# a comment").reported);
}

TEST(CommentStripping, LinesLoseTrailingBlanksButKeepFiveColumns) {
  EXPECT_EQ(Copy("").text, "     \n");
  EXPECT_TRUE(Copy("").reported);
  EXPECT_EQ(Copy("END").text, "END  \n");
  EXPECT_TRUE(Copy("END").reported);
  EXPECT_EQ(Copy("END    ").text, "END  \n");
  EXPECT_EQ(Copy("1,2,3" + std::string(100, ' ')).text, "1,2,3\n");
  EXPECT_FALSE(Copy("1,2,3" + std::string(100, ' ')).reported);
  EXPECT_EQ(Copy("abcd").text, "abcd \n");
  EXPECT_TRUE(Copy("abcd").reported);
  EXPECT_EQ(Copy("  \t").text, "  \t  \n");  // a tab is not a blank, but it sits before column 5
  EXPECT_EQ(Copy("    \t").text, "    \t\n");
  EXPECT_FALSE(Copy("    \t").reported);
}

TEST(CommentStripping, LinesAreCutAt200ColumnsAndBytesPassThrough) {
  std::string long_line = std::string(190, 'a') + "bbbbbbbbbb" + std::string(50, 'c');
  EXPECT_EQ(Copy(long_line).text, std::string(190, 'a') + "bbbbbbbbbb\n");
  std::string cut_in_blanks = std::string(150, 'x') + std::string(60, ' ') + "tail";
  EXPECT_EQ(Copy(cut_in_blanks).text, std::string(150, 'x') + "\n");
  std::string japanese = "\x90\xDF\x93\x5F 12  ";
  EXPECT_EQ(Copy(japanese).text, "\x90\xDF\x93\x5F 12\n");
}

}  // namespace
