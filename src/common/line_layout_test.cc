#include "common/line_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text_capture.h"

namespace {

std::string Apply(std::span<const LayoutItem> layout, std::span<const FieldValue> values) {
  return CaptureText([&](TextOutput& out) { WriteLayout(out, layout, values); });
}

std::vector<FieldValue> Reals(int count, double first = 1.0) {
  std::vector<FieldValue> values;
  for (int i = 0; i < count; ++i) values.push_back(RealValue(first + i));
  return values;
}

TEST(LineLayout, LineEndsBeforeTheFirstFieldThatFindsNoValue) {
  constexpr LayoutItem kTenReals[] = {ScaledRealItem(15, 7), GroupItem(9, 2), LiteralItem(","),
                                      ScaledRealItem(15, 7)};
  std::string seven = Apply(kTenReals, Reals(7));
  EXPECT_EQ(seven,
            "  1.0000000E+00,  2.0000000E+00,  3.0000000E+00,  4.0000000E+00,"
            "  5.0000000E+00,  6.0000000E+00,  7.0000000E+00,\n");
  std::string ten = Apply(kTenReals, Reals(10));
  EXPECT_EQ(ten.size(), 10u * 15 + 9 + 1);
  EXPECT_TRUE(ten.ends_with("  1.0000000E+01\n")) << ten;
}

TEST(LineLayout, ValuesLeftAtTheEndResumeAtTheLastGroupOnANewLine) {
  constexpr LayoutItem kLongLine[] = {LiteralItem(",x"), GroupItem(500, 2), LiteralItem(","),
                                      ScaledRealItem(12, 4)};
  std::vector<FieldValue> values(600, RealValue(0.5));
  std::string text = Apply(kLongLine, values);
  std::string pair = ",  5.0000E-01";
  std::string first_line = ",x";
  for (int i = 0; i < 500; ++i) first_line += pair;
  std::string second_line;
  for (int i = 0; i < 100; ++i) second_line += pair;
  EXPECT_EQ(text, first_line + "\n" + second_line + ",\n");
}

TEST(LineLayout, LayoutWithoutGroupResumesAtItsStart) {
  constexpr LayoutItem kPair[] = {LiteralItem("#"), IntegerItem(3), IntegerItem(3)};
  std::vector<FieldValue> values = {IntegerValue(1), IntegerValue(2), IntegerValue(3)};
  EXPECT_EQ(Apply(kPair, values), "#  1  2\n#  3\n");
}

TEST(LineLayout, TrailingTextIsWrittenWhenEveryFieldIsFilled) {
  constexpr LayoutItem kRow[] = {IntegerItem(8), BlanksItem(1), GroupItem(3, 2),
                                 ScaledRealItem(12, 5), BlanksItem(1)};
  std::vector<FieldValue> values = {IntegerValue(7), RealValue(1), RealValue(-2), RealValue(0)};
  EXPECT_EQ(Apply(kRow, values),
            "       7"
            " "
            " 1.00000E+00 "
            "-2.00000E+00 "
            " 0.00000E+00 "
            "\n");
}

TEST(LineLayout, FieldsOfEveryKindAndLineBreaks) {
  constexpr LayoutItem kMixed[] = {TextItem(5),     LiteralItem("|"), FractionRealItem(15, 7),
                                   LineBreakItem(), IntegerItem(8),   TextItem(3)};
  std::vector<FieldValue> values = {TextValue(",x,y"), RealValue(12.5), IntegerValue(-1),
                                    TextValue("abcdef")};
  EXPECT_EQ(Apply(kMixed, values), " ,x,y|  0.1250000E+02\n      -1abc\n");
  // A number given to a real field is converted, and one to an integer field too.
  constexpr LayoutItem kNumbers[] = {ScaledRealItem(12, 4), IntegerItem(4)};
  std::vector<FieldValue> crossed = {IntegerValue(3), RealValue(42.0)};
  EXPECT_EQ(Apply(kNumbers, crossed), "  3.0000E+00  42\n");
}

TEST(LineLayout, NoValuesWritesTheTextBeforeTheFirstField) {
  constexpr LayoutItem kHead[] = {LiteralItem("ZONE N="), IntegerItem(8)};
  EXPECT_EQ(Apply(kHead, {}), "ZONE N=\n");
  constexpr LayoutItem kTextOnly[] = {LiteralItem("EVARIABLES")};
  EXPECT_EQ(Apply(kTextOnly, {}), "EVARIABLES\n");
}

}  // namespace
