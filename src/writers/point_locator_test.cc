// The pass over the elements finds exactly the triangle (and weights) of the
// plain search, on random meshes with quadrilaterals, triangles stored both ways,
// clockwise, degenerate and sliver elements and large overlapping ones, for
// points at corners, on edges, inside, just outside, outside and far away.
#include "writers/point_locator.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "tiny_model.h"

namespace {

using Point = std::pair<double, double>;

TEST(PointLocator, FindsTheSameTriangleAsThePlainSearch) {
  for (int seed = 1; seed <= 6; ++seed) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    // Even seeds: integer coordinates, so edge midpoints lie exactly on edges;
    // seeds 3 and 6: far from the origin, where rounding is coarse.
    const double jitter = seed % 2 == 0 ? 0 : 0.3, offset = seed % 3 == 0 ? 4.5e6 : 0;
    const int nx = 10 + seed, ny = 12, grid_nodes = nx * ny;
    TinyModel mesh(grid_nodes + 4, 2 * (nx - 1) * (ny - 1) + 2);
    auto node = [&](int i, int j) { return j * nx + i + 1; };
    for (int j = 0; j < ny; ++j) {
      for (int i = 0; i < nx; ++i) {
        mesh.SetNode(node(i, j), offset + 2 * i + jitter * unit(random), offset + 2 * j, 0);
      }
    }
    // Corners of a large counter-clockwise triangle over everything, and a
    // node just off the middle of the first edge (for a sliver).
    mesh.SetNode(grid_nodes + 1, offset - 1, offset - 1, 0);
    mesh.SetNode(grid_nodes + 2, offset + 2 * nx, offset - 1, 0);
    mesh.SetNode(grid_nodes + 3, offset + nx, offset + 2 * ny, 0);
    mesh.SetNode(grid_nodes + 4, offset + 1 + jitter, offset + 1e-9, 0);
    int e = 0;
    mesh.SetElem(++e, {grid_nodes + 1, grid_nodes + 3, grid_nodes + 2, 0, 1}, 0, 0);  // clockwise
    std::vector<Point> points;
    for (int j = 0; j + 1 < ny; ++j) {
      for (int i = 0; i + 1 < nx; ++i) {
        const int n1 = node(i, j), n2 = node(i + 1, j), n3 = node(i + 1, j + 1),
                  n4 = node(i, j + 1);
        switch (random() % 6) {
          case 0:
            mesh.SetElem(++e, {n1, n4, n3, n2, 1}, 0, 0);
            break;  // clockwise
          case 1:
            mesh.SetElem(++e, {n1, n2, n3, n3, 1}, 0, 0);
            mesh.SetElem(++e, {n1, n3, n4, 0, 0}, 0, 0);
            break;
          case 2:
            mesh.SetElem(++e, {n1, n2, n2, n4, 1}, 0, 0);
            break;  // first triangle degenerate
          case 3:
            mesh.SetElem(++e, {n1, n2, grid_nodes + 4, 0, 1}, 0, 0);
            [[fallthrough]];  // sliver
          default:
            mesh.SetElem(++e, {n1, n2, n3, n4, 1}, 0, 0);
        }
        for (int n : {n1, n2, n3, n4}) {
          points.push_back({mesh.model.NodeX[n], mesh.model.NodeY[n]});
          points.push_back({(mesh.model.NodeX[n] + mesh.model.NodeX[n1]) / 2,
                            (mesh.model.NodeY[n] + mesh.model.NodeY[n1]) / 2});
        }
        for (int k = 0; k < 8; ++k) {
          points.push_back({offset + 2 * (i + unit(random)), offset + 2 * (j + unit(random))});
        }
      }
    }
    mesh.SetElem(++e, {grid_nodes + 1, grid_nodes + 2, grid_nodes + 3, grid_nodes + 3, 1}, 0, 0);
    mesh.NUMEL = e;
    for (double x : {-1e-12, -6.0, 2e5, 1e6, 1e12}) points.push_back({offset + x, offset + x / 2});
    points.push_back({offset + 1 + jitter, offset + 1e-9});
    std::vector<double> xs, ys;
    for (auto [x, y] : points) xs.push_back(x), ys.push_back(y);
    // Compares the picks of the first `count` points; gives how many lie in
    // the grid's elements.
    auto expect_plain_picks = [&](size_t count) {
      const std::vector<PointPick> picks =
          LocatePoints(mesh.model, {xs.data(), count}, {ys.data(), count});
      int found = 0;
      for (size_t k = 0; k < count; ++k) {
        const PointPick plain = LocatePointPlainly(mesh.model, xs[k], ys[k]);
        EXPECT_EQ(picks[k].nodes, plain.nodes)
            << "seed " << seed << " at " << xs[k] << ", " << ys[k];
        EXPECT_EQ(picks[k].weights, plain.weights);
        found += plain.nodes[0] != 0 && plain.nodes[0] <= grid_nodes;
      }
      return found;
    };
    // Most points lie in the grid's elements, some in the large one or none.
    const int found = expect_plain_picks(points.size());
    EXPECT_GT(found, static_cast<int>(points.size()) / 2);
    EXPECT_LT(found, static_cast<int>(points.size()));
    expect_plain_picks(25);  // the first two cells: points all inside the large triangle
  }
}

}  // namespace
