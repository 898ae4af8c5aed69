// Locating 2222 points, a quarter of them outside the mesh, on the benchmark
// mesh of 1000 x 1000 nodes (the result-file maker's grid, seed 1): the plain
// search, point by point, against the one pass over the elements, in the same
// run. The one pass also reports how many of its answers differ from the
// plain search's (the plain search runs first).
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "model/elem_columns.h"
#include "result_file_maker.h"
#include "writers/point_locator.h"

namespace {

constexpr int kPoints = 2222;

struct Bench {
  std::unique_ptr<ModelStore> model = std::make_unique<ModelStore>();
  std::vector<std::pair<double, double>> points;
  std::vector<PointPick> plain_picks;  // filled by the plain search's run
};

Bench& TheBench() {
  static Bench* bench = [] {
    auto* b = new Bench;
    GridOptions options;
    options.nx = 1000, options.ny = 1000, options.steps = 0, options.seed = 1;
    const MadeModel made = MakeGridModel(options);
    ModelStore& m = *b->model;
    m.NUMNP = static_cast<int32_t>(made.nodes.size());
    m.NUMEL = static_cast<int32_t>(made.elements.size());
    for (int32_t n = 1; n <= m.NUMNP; ++n) {
      m.NodeX[n] = made.nodes[n - 1].x, m.NodeY[n] = made.nodes[n - 1].y;
    }
    for (int32_t e = 1; e <= m.NUMEL; ++e) {
      for (int c = 1; c <= 4; ++c) {
        m.ElemNodes[ElemColumns::Index(e, c)] = made.elements[e - 1].corners[c - 1];
      }
      m.ElemNodes[ElemColumns::Index(e, 5)] = made.elements[e - 1].attribute;
    }
    // Inside: anywhere over the mesh (10 x 5 units a cell); outside: in a
    // band around it.
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> x(-2000, 12000), y(-1000, 6000);
    while (b->points.size() < kPoints) {
      const double px = x(random), py = y(random);
      const bool inside = px > 0 && px < 9990 && py > 0 && py < 4995;
      const bool wanted_inside = b->points.size() % 4 != 0;
      if (inside == wanted_inside) b->points.push_back({px, py});
    }
    return b;
  }();
  return *bench;
}

void ReportPerPoint(benchmark::State& state) {
  state.counters["per_point"] = benchmark::Counter(
      kPoints, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_LocatePlainly(benchmark::State& state) {
  Bench& bench = TheBench();
  for (auto _ : state) {
    bench.plain_picks.clear();
    for (auto [x, y] : bench.points)
      bench.plain_picks.push_back(LocatePointPlainly(*bench.model, x, y));
  }
  int found = 0;
  for (const PointPick& pick : bench.plain_picks) found += pick.nodes[0] != 0;
  state.counters["found"] = found;
  ReportPerPoint(state);
}
BENCHMARK(BM_LocatePlainly)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LocateInOnePass(benchmark::State& state) {
  Bench& bench = TheBench();
  std::vector<double> xs, ys;
  for (auto [x, y] : bench.points) xs.push_back(x), ys.push_back(y);
  std::vector<PointPick> picks;
  for (auto _ : state) picks = LocatePoints(*bench.model, xs, ys);
  int differs = 0;
  for (size_t i = 0; i < bench.plain_picks.size(); ++i) {
    differs += picks[i].nodes != bench.plain_picks[i].nodes ||
               picks[i].weights != bench.plain_picks[i].weights;
  }
  state.counters["differs_from_plain"] = differs;
  ReportPerPoint(state);
}
BENCHMARK(BM_LocateInOnePass)->Unit(benchmark::kMillisecond);

}  // namespace
