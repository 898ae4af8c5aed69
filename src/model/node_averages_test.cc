#include "model/node_averages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>

#include "model/elem_columns.h"

namespace {

// Six elements on nine nodes (corners, attribute; velocity and D):
//   1: quad 1 2 5 4, (1, 0), 2          2: quad 2 3 6 5, (3, 0), 4
//   3: triangle 3 9 6 6, (5, 5), 3      4: triangle 9 8 6 0, (2, 0), 1
//   5, 6: inactive (attributes 0, -1), on node 7 among others.
// Node 10 and element 7 (active) lie beyond NUMNP and NUMEL and must be left
// alone. The work arrays hold leftovers of an earlier step.
TEST(AverageElemVelocities, MeansOverActiveElementsAtDistinctCornersTimesReciprocals) {
  const int32_t elems[7][5] = {{1, 2, 5, 4, 1}, {2, 3, 6, 5, 2},  {3, 9, 6, 6, 1}, {9, 8, 6, 0, 5},
                               {1, 2, 7, 8, 0}, {7, 8, 9, 9, -1}, {1, 1, 1, 1, 1}};
  const double values[7][3] = {{1, 0, 2},     {3, 0, 4},     {5, 5, 3},      {2, 0, 1},
                               {100, 100, 1}, {100, 100, 1}, {1000, 1000, 1}};
  auto model = std::make_unique<ModelStore>();
  model->PrepareNodeArrays(10);
  model->PrepareElemArrays(7);
  model->NUMNP = 9, model->NUMEL = 6;
  for (int32_t e = 1; e <= 7; ++e) {
    for (int c = 1; c <= 5; ++c) model->ElemNodes[ElemColumns::Index(e, c)] = elems[e - 1][c - 1];
    model->ElemVX[e] = values[e - 1][0], model->ElemVY[e] = values[e - 1][1];
    model->ElemD[e] = values[e - 1][2];
  }
  // Sums times the reciprocal of the count (5 * (1/3) is not 5 / 3.0); the
  // quotients are products with the reciprocal of D: q3 = 5 * (1/3).
  const double third = 1.0 / 3.0, q3 = 5 * third, x = -7.5;
  const std::array<int32_t, 11> count = {77, 1, 2, 2, 1, 2, 3, 0, 1, 2, 77};
  const std::array<double, 11> vx = {x, 1, 2, 4, 1, 2, 10 * third, 0, 2, 3.5, x};
  const std::array<double, 11> vy = {x, 0, 0, 2.5, 0, 0, 5 * third, 0, 0, 2.5, x};
  for (Simulator simulator : {Simulator::kKorin, Simulator::kDelm}) {
    NodeAverages a;
    a.ShowEntries(10);
    std::fill_n(a.NodeElemCount, 11, 77);
    for (double* work : {a.NodeVX, a.NodeVY, a.NodeWorkA, a.NodeWorkB}) std::fill_n(work, 11, x);
    AverageElemVelocities(*model, simulator, a);
    std::array<double, 11> va = {
        x, 0.5, 0.625, (0.75 + q3) * 0.5, 0.5, 0.625, (0.75 + q3 + 2) * third, 0, 2, (q3 + 2) * 0.5,
        x};
    std::array<double, 11> vb = {x, 0, 0, q3 * 0.5, 0, 0, q3 * third, 0, 0, q3 * 0.5, x};
    if (simulator == Simulator::kKorin)
      std::fill_n(va.begin() + 1, 9, 0.0), std::fill_n(vb.begin() + 1, 9, 0.0);
    for (int n = 0; n <= 10; ++n) {
      EXPECT_EQ(a.NodeElemCount[n], count[n]) << "node " << n;
      EXPECT_TRUE(a.NodeVX[n] == vx[n] && a.NodeVY[n] == vy[n]) << "node " << n;
      EXPECT_TRUE(a.NodeWorkA[n] == va[n] && a.NodeWorkB[n] == vb[n])
          << SimulatorName(simulator) << ", node " << n;
    }
  }
}

}  // namespace
