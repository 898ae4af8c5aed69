#include "model/node_averages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>

#include "model/elem_columns.h"
#include "tiny_model.h"

namespace {

// Six elements on nine nodes, with the velocity of each and its D:
//   1: quad 1 2 5 4, (1, 0), D 2        2: quad 2 3 6 5, (3, 0), D 4
//   3: triangle 3 7 6 6, (5, 5), D 3    4: triangle 7 8 6 0, (2, 0), D 1
//   5: inactive (attribute 0)           6: inactive (attribute -1)
// Node 9 belongs to inactive elements only. Room is made for node 10 and
// element 7 beyond NUMNP and NUMEL: node 10 is never averaged, and element 7
// is active and must be ignored.
TinyModel AveragingModel() {
  TinyModel m(10, 7);
  m.NUMNP = 9, m.NUMEL = 6;
  m.SetElem(1, {1, 2, 5, 4, 1}, 1, 0, 2);
  m.SetElem(2, {2, 3, 6, 5, 2}, 3, 0, 4);
  m.SetElem(3, {3, 7, 6, 6, 1}, 5, 5, 3);
  m.SetElem(4, {7, 8, 6, 0, 5}, 2, 0, 1);
  m.SetElem(5, {1, 2, 9, 8, 0}, 100, 100, 1);
  m.SetElem(6, {9, 8, 7, 7, -1}, 100, 100, 1);
  m.SetElem(7, {1, 1, 1, 1, 1}, 1000, 1000, 1);
  // Leftovers of an earlier step, and sentinels outside 1..NUMNP.
  NodeAverages& a = *m.averages;
  std::fill_n(a.NodeElemCount, 11, 77);
  for (double* work : {a.NodeVX, a.NodeVY, a.NodeWorkA, a.NodeWorkB}) std::fill_n(work, 11, -7.5);
  return m;
}

constexpr double kThird = 1.0 / 3.0;

TEST(AverageElemVelocities, MeansOverActiveElementsAtDistinctCorners) {
  TinyModel m = AveragingModel();
  m.Average(0);
  // Node 6 is met by elements 2, 3, 4: sums (3 + 5 + 2, 0 + 5 + 0) times 1/3.
  const std::array<int32_t, 10> count = {77, 1, 2, 2, 1, 2, 3, 2, 1, 0};
  const std::array<double, 10> vx = {-7.5, 1, 2, 4, 1, 2, 10 * kThird, 3.5, 2, 0};
  const std::array<double, 10> vy = {-7.5, 0, 0, 2.5, 0, 0, 5 * kThird, 2.5, 0, 0};
  for (int n = 0; n <= 9; ++n) {
    EXPECT_EQ(m.averages->NodeElemCount[n], count[n]) << "node " << n;
    EXPECT_EQ(m.averages->NodeVX[n], vx[n]) << "node " << n;
    EXPECT_EQ(m.averages->NodeVY[n], vy[n]) << "node " << n;
    // Without D the divided sums are cleared and stay zero.
    EXPECT_EQ(m.averages->NodeWorkA[n], n == 0 ? -7.5 : 0.0) << "node " << n;
    EXPECT_EQ(m.averages->NodeWorkB[n], n == 0 ? -7.5 : 0.0) << "node " << n;
  }
  // The mean is the sum times the reciprocal of the count, which differs
  // from a plain division here.
  ASSERT_NE(5 * kThird, 5 / 3.0);
  ASSERT_NE(10 * kThird, 10 / 3.0);
  // Nothing beyond NUMNP is touched.
  EXPECT_EQ(m.averages->NodeElemCount[10], 77);
  EXPECT_EQ(m.averages->NodeVX[10], -7.5);
}

TEST(AverageElemVelocities, DividedValuesUseTheReciprocalOfD) {
  TinyModel m = AveragingModel();
  m.Average(1);
  // Element quotients: 1: (0.5, 0)  2: (0.75, 0)  3: (q3, q3)  4: (2, 0)
  // with q3 = 5 * 1/3, which differs from 5 / 3.
  const double q3 = 5 * kThird;
  ASSERT_NE(q3, 5 / 3.0);
  const std::array<double, 10> a = {
      -7.5,           0.5, 0.625, (0.75 + q3) * 0.5, 0.5, 0.625, (0.75 + q3 + 2) * kThird,
      (q3 + 2) * 0.5, 2,   0};
  const std::array<double, 10> b = {-7.5, 0, 0, q3 * 0.5, 0, 0, q3 * kThird, q3 * 0.5, 0, 0};
  for (int n = 0; n <= 9; ++n) {
    EXPECT_EQ(m.averages->NodeWorkA[n], a[n]) << "node " << n;
    EXPECT_EQ(m.averages->NodeWorkB[n], b[n]) << "node " << n;
  }
  EXPECT_EQ(m.averages->NodeVX[3], 4.0);
  EXPECT_EQ(m.averages->NodeVY[7], 2.5);
}

TEST(AverageElemVelocities, AllInactiveOrNoElementsLeaveZeros) {
  TinyModel m = AveragingModel();
  for (int32_t e = 1; e <= 4; ++e) m.model.ElemNodes[ElemColumns::Index(e, 5)] = 0;
  m.Average(1);
  for (int n = 1; n <= 9; ++n) {
    EXPECT_EQ(m.averages->NodeElemCount[n], 0);
    EXPECT_EQ(m.averages->NodeVX[n], 0.0);
    EXPECT_EQ(m.averages->NodeVY[n], 0.0);
    EXPECT_EQ(m.averages->NodeWorkA[n], 0.0);
    EXPECT_EQ(m.averages->NodeWorkB[n], 0.0);
  }
  TinyModel empty = AveragingModel();
  empty.NUMEL = 0;
  empty.Average(0);
  EXPECT_EQ(empty.averages->NodeElemCount[1], 0);
  EXPECT_EQ(empty.averages->NodeVX[9], 0.0);
}

TEST(AverageElemVelocities, CountsActiveElementsOnly) {
  TinyModel m = AveragingModel();
  EXPECT_EQ(CountActiveElems(m.model), 4);
  m.NUMEL = 7;
  EXPECT_EQ(CountActiveElems(m.model), 5);
  m.NUMEL = -3;
  EXPECT_EQ(CountActiveElems(m.model), 0);
}

TEST(ElemColumns, TrianglesAndWrittenFourthCorner) {
  TinyModel m = AveragingModel();
  const ElemColumns elems(m.model);
  EXPECT_FALSE(elems.IsTriangle(1));
  EXPECT_TRUE(elems.IsTriangle(3));
  EXPECT_TRUE(elems.IsTriangle(4));
  EXPECT_EQ(elems.WrittenCorner4(1), 4);
  EXPECT_EQ(elems.WrittenCorner4(3), 6);
  EXPECT_EQ(elems.WrittenCorner4(4), 6);
  EXPECT_TRUE(elems.IsActive(4));
  EXPECT_FALSE(elems.IsActive(5));
  EXPECT_FALSE(elems.IsActive(6));
}

}  // namespace
