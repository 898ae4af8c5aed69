#include "writers/mkview_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "tiny_model.h"

namespace {

const char kKorinNodeVariables[] =
    "NVARIABLES = \"SW\",\"X\",\"Y\",\"P\",\"H\",\"VX\",\"VY\",\"V\",\"Q\"";
const char kElemVariables[] =
    "EVARIABLES = \"SW\",\"I\",\"J\",\"K\",\"L\",\"P\",\"X\",\"Y\",\"VX\",\"VY\",\"V\"";

TEST(MkViewWriter, HeadOfBothFlags) {
  // 1150 elements, every 23rd inactive: 1100 active.
  TinyModel m(1234, 1150);
  m.SetTitle("MK RUN");
  for (int32_t e = 1; e <= 1150; ++e)
    m.SetElem(e, {e, e + 1, e + 2, e + 3, e % 23 == 0 ? 0 : 1}, 0, 0);
  const std::vector<std::string> korin = SplitLines(m.MkViewStep(86400, 0));
  ASSERT_EQ(korin.size(), 4 + 1234 + 1 + 1100u);
  EXPECT_EQ(korin[0], "TIME=  8.6400E+04");
  EXPECT_EQ(korin[1], "TITTLE= \"MK RUN" + std::string(74, ' ') + "\"");
  EXPECT_EQ(korin[2], "ZONE N=     1234, E=     1100, M=    1,NV= 6 ,EV= 5");
  EXPECT_EQ(korin[3], kKorinNodeVariables);
  EXPECT_EQ(korin[4 + 1234], kElemVariables);

  const std::vector<std::string> delm = SplitLines(m.MkViewStep(86400, 1));
  ASSERT_EQ(delm.size(), 4 + 1234 + 1 + 1100u);
  EXPECT_EQ(delm[0], "TIME=  8.6400E+04");
  EXPECT_EQ(delm[2], "ZONE N=     1234, E=     1100,M= 1 ,NV= 9 ,EV= 5");
  EXPECT_EQ(delm[3],
            "NVARIABLES = \"SW\",\"X\",\"Y\",\"H\",\"VX\",\"VY\",\"V\",\"VX*D\",\"VY*D\",\"V*D\","
            "\"BL\",\"Q\"");
  EXPECT_EQ(delm[4 + 1234], kElemVariables);
}

// Quad 12 13 27 26 with attribute 3 on the unit square at (1, 2).
TinyModel OneQuadModel(double vx, double vy, double d) {
  TinyModel m(27, 1);
  m.SetNode(12, 1, 2, -0.3);
  m.SetNode(13, 2, 2, 0);
  m.SetNode(27, 2, 3, 0);
  m.SetNode(26, 1, 3, 0);
  m.SetElem(1, {12, 13, 27, 26, 3}, vx, vy, d);
  return m;
}

// Expects the listed lines (index, text) in the block of `m`'s step, which
// has one line a node and the one quad.
void ExpectOneQuadLines(TinyModel& m, int32_t ProgramFlag,
                        const std::vector<std::pair<int, std::string>>& expected) {
  const std::vector<std::string> lines = SplitLines(m.MkViewStep(0, ProgramFlag));
  ASSERT_EQ(lines.size(), 4 + 27 + 1 + 1u);
  for (const auto& [index, text] : expected) {
    EXPECT_EQ(lines[index], text) << "flag " << ProgramFlag << ", line " << index;
  }
}

TEST(MkViewWriter, NodeAndElementLinesOfOneQuad) {
  TinyModel korin = OneQuadModel(0.003, -0.004, 1);
  ExpectOneQuadLines(
      korin, 0,
      {{4 + 11,
        " 0,  1.0000E+00,  2.0000E+00, -3.0000E-01,  1.7000E+00,  3.0000E-03, -4.0000E-03,"
        "  5.0000E-03,  0.0000E+00,"},
       {4,
        " 0,  0.0000E+00,  0.0000E+00,  0.0000E+00,  0.0000E+00,  0.0000E+00,  0.0000E+00,"
        "  0.0000E+00,  0.0000E+00,"},
       {31, kElemVariables},
       {32,
        " 0,      12,      13,      27,      26,       3,  1.5000E+00,  2.5000E+00,"
        "  3.0000E-03, -4.0000E-03,  5.0000E-03"}});

  // RX-DELM lines split velocity and flow on the layer; P is 1.
  TinyModel delm = OneQuadModel(3, 4, 2);
  delm.model.NodeHead[12] = 12, delm.model.NodeExtraB[12] = 7, delm.model.NodeFlow[12] = -0.5;
  ExpectOneQuadLines(
      delm, 1,
      {{4 + 11,
        " 0,  1.0000E+00,  2.0000E+00,  1.2000E+01,  1.5000E+00,  2.0000E+00,  2.5000E+00,"
        "  3.0000E+00,  4.0000E+00,  5.0000E+00,  7.0000E+00, -5.0000E-01"},
       {32,
        " 0,      12,      13,      27,      26,       1,  1.5000E+00,  2.5000E+00,"
        "  1.5000E+00,  2.0000E+00,  2.5000E+00"}});
}

TEST(MkViewWriter, ElementCentresVelocitiesAndAttributes) {
  TinyModel m(6, 5);
  const double xy[6][2] = {{0, 0}, {3, 0}, {3, 3}, {0, 3}, {6, 0}, {6, 3}};
  for (int n = 1; n <= 6; ++n) m.SetNode(n, xy[n - 1][0], xy[n - 1][1], 0);
  m.SetElem(1, {1, 2, 3, 4, 3}, 3, 4);
  m.SetElem(2, {2, 5, 6, 3, 7}, 6, 8);
  m.SetElem(3, {1, 2, 4, 4, 1}, 0, 0);
  m.SetElem(4, {3, 5, 3, 3, 0}, 9, 9);
  m.SetElem(5, {2, 5, 6, 0, 2}, 1, 0);
  const std::vector<std::string> lines = SplitLines(m.MkViewStep(0, 0));
  ASSERT_EQ(lines.size(), 4 + 6 + 1 + 4u);
  EXPECT_EQ(lines[2], "ZONE N=        6, E=        4, M=    1,NV= 6 ,EV= 5");
  EXPECT_EQ(lines[11],
            " 0,       1,       2,       3,       4,       3,  1.5000E+00,  1.5000E+00,"
            "  3.0000E+00,  4.0000E+00,  5.0000E+00");
  EXPECT_EQ(lines[12],
            " 0,       2,       5,       6,       3,       7,  4.5000E+00,  1.5000E+00,"
            "  6.0000E+00,  8.0000E+00,  1.0000E+01");
  // Triangles: centres over three corners, the third corner shown again.
  EXPECT_EQ(lines[13],
            " 0,       1,       2,       4,       4,       1,  1.0000E+00,  1.0000E+00,"
            "  0.0000E+00,  0.0000E+00,  0.0000E+00");
  EXPECT_EQ(lines[14],
            " 0,       2,       5,       6,       6,       2,  5.0000E+00,  1.0000E+00,"
            "  1.0000E+00,  0.0000E+00,  1.0000E+00");
}

TEST(MkViewWriter, NoActiveElementsAndNoNodes) {
  TinyModel inactive(3, 1);
  inactive.SetElem(1, {1, 2, 3, 3, 0}, 4, 4);
  const std::vector<std::string> lines = SplitLines(inactive.MkViewStep(0, 0));
  ASSERT_EQ(lines.size(), 4 + 3 + 1u);
  EXPECT_EQ(lines[2], "ZONE N=        3, E=        0, M=    1,NV= 6 ,EV= 5");
  for (int i = 4; i < 7; ++i) {
    const std::vector<double> f = CommaFields(lines[i]);
    ASSERT_EQ(f.size(), 9u);
    EXPECT_EQ(f[5], 0.0);
    EXPECT_EQ(f[6], 0.0);
    EXPECT_EQ(f[7], 0.0);
  }
  EXPECT_EQ(lines[7], kElemVariables);

  TinyModel empty(0, 0);
  for (int32_t flag : {0, 1}) {
    const std::vector<std::string> head = SplitLines(empty.MkViewStep(0, flag));
    ASSERT_EQ(head.size(), 5u);
    EXPECT_EQ(head[2].substr(0, 30), "ZONE N=        0, E=        0,");
    EXPECT_EQ(head[4], kElemVariables);
  }
}

TEST(MkViewWriter, DelmNodeColumnsMatchTecplotColumns) {
  TinyModel m(9, 4);
  for (int n = 1; n <= 9; ++n) m.SetNode(n, n % 3, n / 3, 0);
  m.SetElem(1, {1, 2, 5, 4, 1}, 0.37, -1.9, 0.8);
  m.SetElem(2, {2, 3, 6, 5, 1}, -2.6, 0.45, 3.3);
  m.SetElem(3, {4, 5, 8, 7, 1}, 1.7, 2.2, 0.6);
  m.SetElem(4, {5, 6, 9, 8, 1}, 0.05, -0.7, 1.9);
  const std::vector<std::string> mk = SplitLines(m.MkViewStep(0, 1));
  const std::vector<std::string> tec = SplitLines(m.TecplotZone(0, 1));
  ASSERT_EQ(mk.size(), 4 + 9 + 1 + 4u);
  ASSERT_EQ(tec.size(), 3 + 9 + 4u);
  for (int n = 1; n <= 9; ++n) {
    const std::vector<double> a = CommaFields(mk[3 + n]);
    const std::vector<double> b = CommaFields(tec[2 + n]);
    ASSERT_EQ(a.size(), 12u);
    ASSERT_EQ(b.size(), 9u);
    // mkVIEW VX VY V | VX*D VY*D V*D against TECPLOT VX/D VY/D V/D | VX VY V.
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(a[4 + k], b[6 + k], 5e-5 * std::abs(b[6 + k])) << "node " << n;
      EXPECT_NEAR(a[7 + k], b[3 + k], 5e-5 * std::abs(b[3 + k])) << "node " << n;
    }
    EXPECT_NE(a[4], a[7]) << "node " << n;
  }
}

}  // namespace
