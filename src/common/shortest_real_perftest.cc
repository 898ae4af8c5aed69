// Cost of the shortest round-trip text of a real, against std::to_chars
// making the same text. Every benchmark iteration writes a fixed array of
// values one after another; the per_value counter is the time per value.
// Values like those in results (heads 0 to 1000 m, velocities of 1e-9 to
// 1e-2 m/s either way) as doubles and as floats, and random bit patterns.
// Instructions per call, free of the machine's noise: run one benchmark under
// valgrind --tool=callgrind (e.g. --benchmark_filter='BM_Shortest<float,
// false, false>' --benchmark_min_time=1) and divide WriteShortestRealText's
// inclusive count by its calls (callgrind_annotate --inclusive=yes
// --tree=caller).
#include <benchmark/benchmark.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <type_traits>
#include <vector>

#include "common/shortest_real.h"

namespace {

constexpr size_t kValueCount = 16384;

std::vector<double> ResultLikeValues() {
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<double> values(kValueCount);
  for (size_t i = 0; i < kValueCount; ++i) {
    const double u = unit(random);
    values[i] =
        i % 2 == 0 ? 1000.0 * u : (u < 0.5 ? -1 : 1) * std::pow(10.0, -9.0 + 7.0 * unit(random));
  }
  return values;
}

// Finite values of random bits.
template <typename Real, typename Bits>
std::vector<Real> RandomBitValues() {
  std::mt19937_64 random(43);
  std::vector<Real> values;
  while (values.size() < kValueCount) {
    const Real value = std::bit_cast<Real>(static_cast<Bits>(random()));
    if (std::isfinite(value)) values.push_back(value);
  }
  return values;
}

template <typename Real, bool kRandomBits>
const std::vector<Real>& Values() {
  static const std::vector<Real> values = [] {
    if constexpr (kRandomBits) {
      return RandomBitValues<Real, std::conditional_t<sizeof(Real) == 8, uint64_t, uint32_t>>();
    } else {
      const std::vector<double> doubles = ResultLikeValues();
      return std::vector<Real>(doubles.begin(), doubles.end());
    }
  }();
  return values;
}

char* Buffer() {
  static char buffer[kValueCount * 32];
  return buffer;
}

// Writes every value of the set, by the program's writer or by the standard library.
template <typename Real, bool kRandomBits, bool kStandard>
void BM_Shortest(benchmark::State& state) {
  const std::vector<Real>& values = Values<Real, kRandomBits>();
  for (auto _ : state) {
    char* out = Buffer();
    for (Real value : values) {
      out = kStandard ? std::to_chars(out, out + 32, value).ptr : WriteShortestRealText(out, value);
    }
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  state.counters["per_value"] = benchmark::Counter(
      kValueCount, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK_TEMPLATE(BM_Shortest, double, false, false);
BENCHMARK_TEMPLATE(BM_Shortest, double, false, true);
BENCHMARK_TEMPLATE(BM_Shortest, float, false, false);
BENCHMARK_TEMPLATE(BM_Shortest, float, false, true);
BENCHMARK_TEMPLATE(BM_Shortest, double, true, false);
BENCHMARK_TEMPLATE(BM_Shortest, double, true, true);
BENCHMARK_TEMPLATE(BM_Shortest, float, true, false);
BENCHMARK_TEMPLATE(BM_Shortest, float, true, true);

}  // namespace
