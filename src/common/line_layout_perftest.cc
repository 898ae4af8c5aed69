// Cost of writing whole lines through a layout, against writing the same
// fields directly: the difference is what the layout walk itself costs.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "common/line_layout.h"
#include "common/number_fields.h"
#include "common/platform.h"

namespace {

constexpr LayoutItem kNodeLine[] = {ScaledRealItem(15, 7), GroupItem(9, 2), LiteralItem(","),
                                    ScaledRealItem(15, 7)};
constexpr LayoutItem kElemLine[] = {IntegerItem(8), GroupItem(3, 2), LiteralItem(","),
                                    IntegerItem(8)};
constexpr int kLines = 4096;

// Adds the counter "per_line": the time of one line.
void ReportTimePerLine(benchmark::State& state) {
  state.counters["per_line"] = benchmark::Counter(
      kLines, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

std::vector<double> Values() {
  std::mt19937_64 random(5);
  std::uniform_real_distribution<double> unit(-100.0, 100.0);
  std::vector<double> values(7 * kLines);
  for (double& v : values) v = unit(random);
  return values;
}

void BM_NodeLineThroughLayout(benchmark::State& state) {
  std::vector<double> values = Values();
  TextOutput sink("null", platform::OpenToWrite("/dev/null", false), true);
  for (auto _ : state) {
    for (int line = 0; line < kLines; ++line) {
      const double* v = &values[7 * line];
      const FieldValue fields[] = {RealValue(v[0]), RealValue(v[1]), RealValue(v[2]),
                                   RealValue(v[3]), RealValue(v[4]), RealValue(v[5]),
                                   RealValue(v[6])};
      WriteLayout(sink, kNodeLine, fields);
    }
  }
  ReportTimePerLine(state);
}
BENCHMARK(BM_NodeLineThroughLayout);

void BM_NodeLineDirect(benchmark::State& state) {
  std::vector<double> values = Values();
  TextOutput sink("null", platform::OpenToWrite("/dev/null", false), true);
  for (auto _ : state) {
    for (int line = 0; line < kLines; ++line) {
      const double* v = &values[7 * line];
      char* p = sink.Reserve(256);
      for (int i = 0; i < 7; ++i) {
        p = WriteScaledRealField(p, v[i], 15, 7);
        *p++ = ',';
      }
      *p++ = '\n';
      sink.Commit(p);
    }
  }
  ReportTimePerLine(state);
}
BENCHMARK(BM_NodeLineDirect);

void BM_ElemLineThroughLayout(benchmark::State& state) {
  TextOutput sink("null", platform::OpenToWrite("/dev/null", false), true);
  for (auto _ : state) {
    for (int line = 0; line < kLines; ++line) {
      const FieldValue fields[] = {IntegerValue(line), IntegerValue(line + 1),
                                   IntegerValue(line + 1001), IntegerValue(line + 1000)};
      WriteLayout(sink, kElemLine, fields);
    }
  }
  ReportTimePerLine(state);
}
BENCHMARK(BM_ElemLineThroughLayout);

}  // namespace
