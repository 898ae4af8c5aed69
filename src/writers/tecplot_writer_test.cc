#include "writers/tecplot_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "text_capture.h"
#include "tiny_model.h"

namespace {

// Two quads, a triangle stored with its third corner repeated, one stored
// with 0 as fourth corner, and two inactive elements; node 8 lies on
// inactive elements only, node 9 on none.
TinyModel MixedModel() {
  TinyModel m(9, 6);
  m.SetTitle("TWO QUADS");
  const double nodes[9][3] = {{0, 0, 1}, {1, 0, 2}, {2, 0, 3},    {0, 1, 4},  {1, 1, 5},
                              {2, 1, 6}, {3, 1, 7}, {5, 5, -0.5}, {9, 9, -10}};
  for (int n = 1; n <= 9; ++n) m.SetNode(n, nodes[n - 1][0], nodes[n - 1][1], nodes[n - 1][2]);
  m.SetElem(1, {1, 2, 5, 4, 1}, 1, 0);
  m.SetElem(2, {2, 3, 6, 5, 2}, 3, 0);
  m.SetElem(3, {3, 7, 6, 6, 1}, 0, 4);
  m.SetElem(4, {5, 6, 8, 8, 0}, 50, 50);
  m.SetElem(5, {2, 3, 7, 0, 1}, 0, -2);
  m.SetElem(6, {1, 4, 8, 8, -1}, 50, 50);
  return m;
}

TEST(TecplotWriter, KorinZoneOfMixedElements) {
  TinyModel m = MixedModel();
  const std::string title_line =
      "TITTLE = \"TIME=  5.0000000E-01 TWO QUADS" + std::string(71, ' ') + "\"\n";
  EXPECT_EQ(m.TecplotZone(0.5, 0),
            title_line +
                "VARIABLES = \"X\",\"Y\",\"P\",\"H\",\"VX\",\"VY\",\"V\"\n"
                "ZONE N=        9, E=        4, F=FEPOINT\n"
                "  0.0000000E+00,  0.0000000E+00,  1.0000000E+00,  1.0000000E+00,  1.0000000E+00,"
                "  0.0000000E+00,  1.0000000E+00,\n"
                "  1.0000000E+00,  0.0000000E+00,  2.0000000E+00,  2.0000000E+00,  1.3333333E+00,"
                " -6.6666667E-01,  1.4907120E+00,\n"
                "  2.0000000E+00,  0.0000000E+00,  3.0000000E+00,  3.0000000E+00,  1.0000000E+00,"
                "  6.6666667E-01,  1.2018504E+00,\n"
                "  0.0000000E+00,  1.0000000E+00,  4.0000000E+00,  5.0000000E+00,  1.0000000E+00,"
                "  0.0000000E+00,  1.0000000E+00,\n"
                "  1.0000000E+00,  1.0000000E+00,  5.0000000E+00,  6.0000000E+00,  2.0000000E+00,"
                "  0.0000000E+00,  2.0000000E+00,\n"
                "  2.0000000E+00,  1.0000000E+00,  6.0000000E+00,  7.0000000E+00,  1.5000000E+00,"
                "  2.0000000E+00,  2.5000000E+00,\n"
                "  3.0000000E+00,  1.0000000E+00,  7.0000000E+00,  8.0000000E+00,  0.0000000E+00,"
                "  1.0000000E+00,  1.0000000E+00,\n"
                "  5.0000000E+00,  5.0000000E+00, -5.0000000E-01,  4.5000000E+00,  0.0000000E+00,"
                "  0.0000000E+00,  0.0000000E+00,\n"
                "  9.0000000E+00,  9.0000000E+00, -1.0000000E+01, -1.0000000E+00,  0.0000000E+00,"
                "  0.0000000E+00,  0.0000000E+00,\n"
                "       1,       2,       5,       4\n"
                "       2,       3,       6,       5\n"
                "       3,       7,       6,       6\n"
                "       2,       3,       7,       7\n");
  // The closing quote of a short title stands in column 112.
  EXPECT_EQ(title_line.size(), 113u);
  EXPECT_EQ(title_line.find('"', 10), 111u);
}

TEST(TecplotWriter, ExampleLinesAndTotalHeadColumn) {
  TinyModel m(27, 1);
  m.SetNode(1, 1, 2, -0.3);
  m.SetElem(1, {12, 13, 27, 26, 1}, 0, 0);
  for (int32_t n = 2; n <= 27; ++n) m.SetNode(n, 0.5 * n, 3.25 - n, 1.5 * n - 20);
  const std::vector<std::string> lines = SplitLines(m.TecplotZone(0, 0));
  ASSERT_EQ(lines.size(), 3 + 27 + 1u);
  EXPECT_EQ(lines[3],
            "  1.0000000E+00,  2.0000000E+00, -3.0000000E-01,  1.7000000E+00,  0.0000000E+00,"
            "  0.0000000E+00,  0.0000000E+00,");
  EXPECT_EQ(lines[30], "      12,      13,      27,      26");
  for (int32_t n = 1; n <= 27; ++n) {
    const std::vector<double> f = CommaFields(lines[2 + n]);
    ASSERT_EQ(f.size(), 7u) << lines[2 + n];
    EXPECT_NEAR(f[3], f[2] + f[1], 1e-6 * (std::abs(f[3]) + 1)) << "node " << n;
    EXPECT_EQ(lines[2 + n].back(), ',');
  }
}

TEST(TecplotWriter, DelmZoneShowsStoredAndDividedValues) {
  // Quads 1 2 5 4 with (3, 4) and D 2, 2 3 6 5 with (1, 0) and D 4.
  TinyModel m(6, 2);
  for (int n = 1; n <= 6; ++n) m.SetNode(n, n - 1, 0, 10 + n);
  m.SetElem(1, {1, 2, 5, 4, 1}, 3, 4, 2);
  m.SetElem(2, {2, 3, 6, 5, 1}, 1, 0, 4);
  const std::vector<std::string> lines = SplitLines(m.TecplotZone(86400, 1));
  ASSERT_EQ(lines.size(), 3 + 6 + 2u);
  EXPECT_EQ(lines[0].substr(0, 31), "TITTLE = \"TIME=  8.6400000E+04 ");
  EXPECT_EQ(lines[1],
            "VARIABLES = \"X\",\"Y\",\"H\",\"VX\",\"VY\",\"V\",\"VX/D\",\"VY/D\",\"V/D\"");
  EXPECT_EQ(lines[2], "ZONE N=        6, E=        2, F=FEPOINT");
  EXPECT_EQ(lines[3],
            "  0.0000000E+00,  0.0000000E+00,  1.1000000E+01,  3.0000000E+00,  4.0000000E+00,"
            "  5.0000000E+00,  1.5000000E+00,  2.0000000E+00,  2.5000000E+00,");
  // Node 2: means (2, 2) and (0.875, 1).
  EXPECT_EQ(lines[4],
            "  1.0000000E+00,  0.0000000E+00,  1.2000000E+01,  2.0000000E+00,  2.0000000E+00,"
            "  2.8284271E+00,  8.7500000E-01,  1.0000000E+00,  1.3287682E+00,");
  EXPECT_EQ(lines[5],
            "  2.0000000E+00,  0.0000000E+00,  1.3000000E+01,  1.0000000E+00,  0.0000000E+00,"
            "  1.0000000E+00,  2.5000000E-01,  0.0000000E+00,  2.5000000E-01,");
}

TEST(TecplotWriter, AllElementsInactive) {
  TinyModel m(4, 2);
  m.SetElem(1, {1, 2, 3, 4, 0}, 5, 5);
  m.SetElem(2, {1, 2, 3, 3, -2}, 5, 5);
  for (int32_t flag : {0, 1}) {
    const std::vector<std::string> lines = SplitLines(m.TecplotZone(1, flag));
    ASSERT_EQ(lines.size(), 3 + 4u);
    EXPECT_EQ(lines[2], "ZONE N=        4, E=        0, F=FEPOINT");
    for (int i = 3; i < 7; ++i) {
      const std::vector<double> f = CommaFields(lines[i]);
      ASSERT_EQ(f.size(), flag == 1 ? 9u : 7u);
      for (size_t k = flag == 1 ? 3 : 4; k < f.size(); ++k) EXPECT_EQ(f[k], 0.0) << lines[i];
    }
  }
}

TEST(TecplotWriter, SecondZoneAveragesItsOwnStepOnly) {
  TinyModel m(6, 2);
  m.SetElem(1, {1, 2, 5, 4, 1}, 1, 0);
  m.SetElem(2, {2, 3, 6, 5, 1}, 3, 0);
  std::string zones = m.TecplotZone(1, 0);
  m.model.ElemVX[1] = 5, m.model.ElemVX[2] = 5;
  const std::vector<std::string> lines = SplitLines(zones + m.TecplotZone(2, 0));
  ASSERT_EQ(lines.size(), 2 * (3 + 6 + 2u));
  EXPECT_EQ(lines[0].substr(0, 30), "TITTLE = \"TIME=  1.0000000E+00");
  EXPECT_EQ(lines[11].substr(0, 30), "TITTLE = \"TIME=  2.0000000E+00");
  EXPECT_EQ(CommaFields(lines[4])[4], 2.0);   // node 2, first step: (1 + 3) / 2
  EXPECT_EQ(CommaFields(lines[15])[4], 5.0);  // node 2, second step: (5 + 5) / 2
  EXPECT_EQ(CommaFields(lines[14])[4], 5.0);  // node 1, second step
}

}  // namespace
