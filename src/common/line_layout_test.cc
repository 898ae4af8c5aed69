#include "common/line_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text_capture.h"

namespace {

std::string Apply(std::span<const LayoutItem> layout, std::span<const FieldValue> values) {
  return CaptureText([&](TextOutput& out) { WriteLayout(out, layout, values); });
}

std::vector<FieldValue> Reals(int count) {
  std::vector<FieldValue> values;
  for (int i = 1; i <= count; ++i) values.push_back(RealValue(i));
  return values;
}

std::string Repeated(const std::string& text, int times) {
  std::string result;
  for (int i = 0; i < times; ++i) result += text;
  return result;
}

// A line ends before the first field that finds no value (after the text
// before it); values left at the end resume at the last group on a new line.
TEST(LineLayout, ValuesRunningOutOrLeftOver) {
  constexpr LayoutItem kTenReals[] = {ScaledRealItem(15, 7), GroupItem(9, 2), LiteralItem(","),
                                      ScaledRealItem(15, 7)};
  EXPECT_EQ(Apply(kTenReals, Reals(2)), "  1.0000000E+00,  2.0000000E+00,\n");
  const std::string ten = Apply(kTenReals, Reals(10));
  EXPECT_EQ(ten.size(), 10u * 15 + 9 + 1);
  EXPECT_TRUE(ten.ends_with(",  1.0000000E+01\n")) << ten;
  constexpr LayoutItem kLongLine[] = {LiteralItem(",x"), GroupItem(500, 2), LiteralItem(","),
                                      ScaledRealItem(12, 4)};
  const std::vector<FieldValue> halves(600, RealValue(0.5));
  EXPECT_EQ(Apply(kLongLine, halves),
            ",x" + Repeated(",  5.0000E-01", 500) + "\n" + Repeated(",  5.0000E-01", 100) + ",\n");
  constexpr LayoutItem kPair[] = {LiteralItem("#"), IntegerItem(3), IntegerItem(3)};
  const FieldValue three[] = {IntegerValue(1), IntegerValue(2), IntegerValue(3)};
  EXPECT_EQ(Apply(kPair, three), "#  1  2\n#  3\n");
  constexpr LayoutItem kHead[] = {LiteralItem("ZONE N="), IntegerItem(8)};
  EXPECT_EQ(Apply(kHead, {}), "ZONE N=\n");
}

TEST(LineLayout, FieldsOfEveryKindBlanksAndLineBreaks) {
  constexpr LayoutItem kRow[] = {IntegerItem(8), BlanksItem(1), GroupItem(3, 2),
                                 ScaledRealItem(12, 5), BlanksItem(1)};
  const FieldValue row[] = {IntegerValue(7), RealValue(1), RealValue(-2), RealValue(0)};
  EXPECT_EQ(Apply(kRow, row), "       7  1.00000E+00 -2.00000E+00  0.00000E+00 \n");
  constexpr LayoutItem kMixed[] = {TextItem(5),          LiteralItem("|"), FractionRealItem(15, 7),
                                   LineBreakItem(),      IntegerItem(8),   TextItem(3),
                                   ScaledRealItem(12, 4)};
  // A number given to a real field is converted, and one to an integer field too.
  const FieldValue mixed[] = {TextValue(",x,y"), RealValue(12.5), RealValue(-1.0),
                              TextValue("abcdef"), IntegerValue(3)};
  EXPECT_EQ(Apply(kMixed, mixed), " ,x,y|  0.1250000E+02\n      -1abc  3.0000E+00\n");
}

}  // namespace
