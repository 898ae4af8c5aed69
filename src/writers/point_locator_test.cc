// The pass over the elements finds exactly the triangle (and weights) of the
// plain search, on random meshes with quadrilaterals, triangles stored both
// ways, clockwise, degenerate and sliver elements and a large one over all,
// for points at corners, on edges, inside, just outside, outside, far away.
#include "writers/point_locator.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <random>
#include <vector>

#include "model/elem_columns.h"

namespace {

// A mesh filled by hand, nodes and elements numbered from 1.
struct Mesh {
  Mesh(int32_t nodes, int32_t elems) {
    model.PrepareNodeArrays(nodes);
    model.PrepareElemArrays(elems);
    model.NUMNP = nodes;
  }
  void SetNode(int32_t n, double x, double y) { model.NodeX[n] = x, model.NodeY[n] = y; }
  // Corners 1 to 4, then the attribute.
  void SetElem(int32_t e, const std::array<int32_t, 5>& columns) {
    for (int c = 0; c < 5; ++c) model.ElemNodes[ElemColumns::Index(e, c + 1)] = columns[c];
  }
  std::unique_ptr<ModelStore> store = std::make_unique<ModelStore>();
  ModelStore& model = *store;
};

TEST(PointLocator, FindsTheSameTriangleAsThePlainSearch) {
  for (int seed = 1; seed <= 6; ++seed) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    // Even seeds: integer coordinates, so edge midpoints lie exactly on edges;
    // seeds 3 and 6: far from the origin, where rounding is coarse.
    const double jitter = seed % 2 == 0 ? 0 : 0.3, offset = seed % 3 == 0 ? 4.5e6 : 0;
    const int nx = 10 + seed, ny = 12, grid = nx * ny, big = grid + 1, sliver = grid + 4;
    Mesh mesh(grid + 4, 2 * nx * ny);
    std::vector<double> xs, ys;
    auto add_point = [&](double x, double y) { xs.push_back(x), ys.push_back(y); };
    for (int n = 1; n <= grid; ++n) {
      mesh.SetNode(n, offset + 2 * ((n - 1) % nx) + jitter * unit(random),
                   offset + 2 * ((n - 1) / nx));
    }
    // A large counter-clockwise triangle, and a node just off the first edge.
    mesh.SetNode(big, offset - 1, offset - 1);
    mesh.SetNode(big + 1, offset + 2 * nx, offset - 1);
    mesh.SetNode(big + 2, offset + nx, offset + 2 * ny);
    mesh.SetNode(sliver, offset + 1 + jitter, offset + 1e-9);
    int e = 0;
    mesh.SetElem(++e, {big, big + 2, big + 1, 0, 1});  // clockwise
    for (int n1 = 1; n1 + nx < grid; ++n1) {
      if (n1 % nx == 0) continue;
      const int n2 = n1 + 1, n3 = n1 + nx + 1, n4 = n1 + nx;
      const std::array<int32_t, 5> shapes[][2] = {
          {{n1, n4, n3, n2, 1}},                      // clockwise
          {{n1, n2, n3, n3, 1}, {n1, n3, n4, 0, 0}},  // two triangles
          {{n1, n2, n2, n4, 1}},                      // first triangle degenerate
          {{n1, n2, sliver, 0, 1}, {n1, n2, n3, n4, 1}},
          {{n1, n2, n3, n4, 1}}};
      for (const auto& shape : shapes[std::min<int>(random() % 6, 4)]) {
        if (shape[0] != 0) mesh.SetElem(++e, shape);
      }
      for (int n : {n1, n2, n3, n4}) {
        add_point(mesh.model.NodeX[n], mesh.model.NodeY[n]);
        add_point((mesh.model.NodeX[n] + mesh.model.NodeX[n1]) / 2,
                  (mesh.model.NodeY[n] + mesh.model.NodeY[n1]) / 2);
      }
      for (int k = 0; k < 8; ++k)
        add_point(mesh.model.NodeX[n1] + 2 * unit(random), mesh.model.NodeY[n1] + 2 * unit(random));
    }
    mesh.SetElem(++e, {big, big + 1, big + 2, big + 2, 1});
    mesh.model.NUMEL = e;
    for (double x : {-1e-12, -6.0, 2e5, 1e6, 1e12}) add_point(offset + x, offset + x / 2);
    add_point(offset + 1 + jitter, offset + 1e-9);
    // The first `count` points; gives how many lie in the grid's elements.
    auto expect_plain_picks = [&](size_t count) {
      const std::vector<PointPick> picks =
          LocatePoints(mesh.model, {xs.data(), count}, {ys.data(), count});
      int found = 0;
      for (size_t k = 0; k < count; ++k) {
        const PointPick plain = LocatePointPlainly(mesh.model, xs[k], ys[k]);
        EXPECT_EQ(picks[k].nodes, plain.nodes)
            << "seed " << seed << " at " << xs[k] << ", " << ys[k];
        EXPECT_EQ(picks[k].weights, plain.weights);
        found += plain.nodes[0] != 0 && plain.nodes[0] <= grid;
      }
      return found;
    };
    const int found = expect_plain_picks(xs.size());  // most, but not all
    EXPECT_GT(found, static_cast<int>(xs.size()) / 2);
    EXPECT_LT(found, static_cast<int>(xs.size()));
    expect_plain_picks(25);  // the first two cells: points all inside the large triangle
  }
}

}  // namespace
