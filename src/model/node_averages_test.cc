// Averages kept in one workspace follow the mesh they are asked for: a mesh
// prepared anew in the same model (its corners changed) is averaged over its
// own elements, not over those listed for the mesh before.
#include "model/node_averages.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/elem_columns.h"

namespace {

// Two triangles over nodes 1..4, the second one's corners given; every
// element velocity (1, 2) times its number.
void PrepareMesh(ModelStore& model, int32_t second_corner1) {
  model.PrepareNodeArrays(4);
  model.PrepareElemArrays(2);
  model.NUMNP = 4, model.NUMEL = 2;
  const int32_t columns[2][5] = {{1, 2, 3, 0, 1}, {second_corner1, 3, 4, 0, 1}};
  for (int32_t e = 1; e <= 2; ++e) {
    for (int c = 1; c <= 5; ++c) model.ElemNodes[ElemColumns::Index(e, c)] = columns[e - 1][c - 1];
    model.ElemVX[e] = e, model.ElemVY[e] = 2.0 * e, model.ElemD[e] = 1;
  }
}

TEST(NodeAverages, AMeshPreparedAgainIsAveragedOverItsOwnElements) {
  auto model = std::make_unique<ModelStore>();
  NodeAverages averages;
  PrepareMesh(*model, 2);  // node 1 in element 1 only
  AverageElemVelocities(*model, Simulator::kKorin, averages);
  EXPECT_EQ(averages.NodeVX[1], 1.0);
  EXPECT_EQ(averages.NodeVX[2], 1.5);
  PrepareMesh(*model, 1);  // node 1 in both elements, node 2 in element 1 only
  AverageElemVelocities(*model, Simulator::kKorin, averages);
  EXPECT_EQ(averages.NodeVX[1], 1.5);
  EXPECT_EQ(averages.NodeVY[1], 3.0);
  EXPECT_EQ(averages.NodeVX[2], 1.0);
  EXPECT_EQ(averages.NodeElemCount[4], 1);
}

}  // namespace
