#include "writers/restart_writer.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "text_capture.h"
#include "tiny_model.h"

namespace {

// Reads a real field back as a Fortran reader would: a three-digit exponent
// has no letter before its sign.
double ReadRealField(const std::string& field) {
  std::string text;
  const size_t sign = field.find_last_of("+-");
  if (field.find('E') == std::string::npos && sign != std::string::npos && sign > 2) {
    text.append(field, 0, sign).append(1, 'E').append(field, sign, std::string::npos);
  } else {
    text = field;
  }
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  EXPECT_EQ(*end, '\0') << field;
  return value;
}

// The real fields of a node line: everything after the `first_real` comma.
std::vector<double> RealFields(const std::string& line, int first_real) {
  const std::vector<std::string> fields = CommaTexts(line);
  std::vector<double> reals;
  for (size_t i = first_real; i < fields.size(); ++i) {
    EXPECT_EQ(fields[i].size(), 25u) << line;
    reals.push_back(ReadRealField(fields[i]));
  }
  return reals;
}

TinyModel ExampleNode() {
  TinyModel m(1, 0);
  m.model.NodeX[1] = 10, m.model.NodeY[1] = 2.5, m.model.NodeHead[1] = -1.25;
  return m;
}

TEST(RestartWriter, KorinLinesWithPressureOrTotalHead) {
  TinyModel m = ExampleNode();
  EXPECT_EQ(m.RestartStep(3, 0.5, 0, 0, 0),
            "  LA,TIME  3 0.5\n"
            "         1,    0,  1.00000000000000000E+01,  2.50000000000000000E+00,"
            " -1.25000000000000000E+00,  0.00000000000000000E+00,\n");
  // Total head: -1.25 + 2.5.
  EXPECT_EQ(m.RestartStep(3, 0.5, 1, 0, 0),
            "  LA,TIME  3 0.5\n"
            "         1,    0,  1.00000000000000000E+01,  2.50000000000000000E+00,"
            "  1.25000000000000000E+00,  0.00000000000000000E+00,\n");
}

TEST(RestartWriter, DelmLinesCarryExtraCodeAndRealsWithoutFinalComma) {
  TinyModel m = ExampleNode();
  m.model.NodeHead[1] = 12, m.model.NodeExtraCode[1] = 3, m.model.NodeExtraA[1] = 1,
  m.model.NodeExtraB[1] = 2;
  EXPECT_EQ(m.RestartStep(3, 0.5, 0, 1, 0),
            "  LA,TIME  3 0.5\n"
            "         1,    0,    3,  1.00000000000000000E+01,  2.50000000000000000E+00,"
            "  1.20000000000000000E+01,  0.00000000000000000E+00,  1.00000000000000000E+00,"
            "  2.00000000000000000E+00\n");
}

TEST(RestartWriter, HeadLineAndEmptyModels) {
  TinyModel none(0, 0);
  EXPECT_EQ(none.RestartStep(7, 2.25, 0, 0, 0), "  LA,TIME  7 2.25\n");
  EXPECT_EQ(none.RestartStep(7, 2.25, 0, 1, 0), "  LA,TIME  7 2.25\n");
  EXPECT_EQ(none.RestartStep(7, 2.25, 0, 0, 1), "");

  // Without head lines two steps are a plain concatenation of node lists.
  TinyModel m = ExampleNode();
  const std::string node_line =
      "         1,    0,  1.00000000000000000E+01,  2.50000000000000000E+00,"
      " -1.25000000000000000E+00,  0.00000000000000000E+00,\n";
  const std::string two_steps = m.RestartStep(1, 0.5, 0, 0, 1) + m.RestartStep(2, 1.0, 0, 0, 1);
  EXPECT_EQ(two_steps, node_line + node_line);
}

TEST(RestartWriter, NodeNumbersAndCodesKeepTheirColumns) {
  TinyModel m(6, 0);
  const int32_t codes[] = {-1, 99999, 100000, -9999, -10000, 12};
  const char* written[] = {",   -1", ",99999", ",*****", ",-9999", ",*****", ",   12"};
  for (int32_t n = 1; n <= 6; ++n)
    m.model.NodeCode[n] = codes[n - 1], m.model.NodeExtraCode[7 - n] = codes[n - 1];
  const std::vector<std::string> korin = SplitLines(m.RestartStep(1, 1.0, 0, 0, 1));
  const std::vector<std::string> delm = SplitLines(m.RestartStep(1, 1.0, 0, 1, 1));
  ASSERT_EQ(korin.size(), 6u);
  ASSERT_EQ(delm.size(), 6u);
  for (int32_t n = 1; n <= 6; ++n) {
    const std::string number = std::string(9, ' ') + std::to_string(n);
    EXPECT_EQ(korin[n - 1].substr(0, 10), number);
    EXPECT_EQ(korin[n - 1].substr(10, 6), written[n - 1]);
    EXPECT_EQ(korin[n - 1].size(), 10 + 6 + 4 * 26 + 1u);
    EXPECT_EQ(delm[n - 1].substr(10, 6), written[n - 1]);
    EXPECT_EQ(delm[n - 1].substr(16, 6), written[6 - n]);
    EXPECT_EQ(delm[n - 1].size(), 10 + 6 + 6 + 6 * 26u);
  }
}

// Any finite double, with exponents anywhere in its range.
double RandomFiniteDouble(std::mt19937_64& random) {
  for (;;) {
    const uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value)) return value;
  }
}

TEST(RestartWriter, RealsReadBackToTheStoredDoubles) {
  std::mt19937_64 random(2024);
  TinyModel m(400, 0);
  const double chosen[] = {DBL_MAX,
                           -DBL_MAX,
                           DBL_MIN,
                           std::numeric_limits<double>::denorm_min(),
                           1e-300,
                           -1e300,
                           0.1,
                           0.0,
                           9.999999999999999e99,
                           1e100};
  double* columns[] = {m.model.NodeX,    m.model.NodeY,      m.model.NodeHead,
                       m.model.NodeFlow, m.model.NodeExtraA, m.model.NodeExtraB};
  for (int32_t n = 1; n <= m.NUMNP; ++n) {
    for (int c = 0; c < 6; ++c) {
      columns[c][n] = n <= 10 ? chosen[(n - 1 + c) % 10] : RandomFiniteDouble(random);
    }
  }
  const std::vector<std::string> delm = SplitLines(m.RestartStep(1, 0.0, 0, 1, 1));
  const std::vector<std::string> korin = SplitLines(m.RestartStep(1, 0.0, 0, 0, 1));
  ASSERT_EQ(delm.size(), 400u);
  ASSERT_EQ(korin.size(), 400u);
  for (int32_t n = 1; n <= m.NUMNP; ++n) {
    const std::vector<double> d = RealFields(delm[n - 1], 3);
    ASSERT_EQ(d.size(), 6u);
    EXPECT_EQ(d[0], m.model.NodeX[n]);
    EXPECT_EQ(d[1], m.model.NodeY[n]);
    EXPECT_EQ(d[2], m.model.NodeHead[n]);
    EXPECT_EQ(d[3], m.model.NodeFlow[n]);
    EXPECT_EQ(d[4], m.model.NodeExtraA[n]);
    EXPECT_EQ(d[5], m.model.NodeExtraB[n]);
    ASSERT_EQ(korin[n - 1].back(), ',');
    const std::vector<double> k = RealFields(korin[n - 1].substr(0, korin[n - 1].size() - 1), 2);
    ASSERT_EQ(k.size(), 4u);
    EXPECT_EQ(k[0], m.model.NodeX[n]);
    EXPECT_EQ(k[2], m.model.NodeHead[n]);
    EXPECT_EQ(k[3], m.model.NodeFlow[n]);
  }
}

}  // namespace
