// Cost of one real field, against snprintf and std::to_chars doing the same
// rounding. Every benchmark iteration writes a fixed array of values like
// those in simulator results, field after field; the per_field counter is the
// time per field.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "common/number_fields.h"

namespace {

constexpr size_t kValueCount = 4096;

// Heads, pressures, concentrations, velocities, saturations, times, zeros.
std::vector<double> RealisticValues() {
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<double> values;
  values.reserve(kValueCount);
  while (values.size() < kValueCount) {
    const double u = unit(random);
    switch (values.size() % 8) {
      case 0:
        values.push_back(100.0 + 900.0 * u);
        break;  // head, m
      case 1:
        values.push_back(std::pow(10.0, 4.0 + 2.0 * u));
        break;  // pressure, Pa
      case 2:
        values.push_back(std::pow(10.0, -6.0 + 6.0 * u));
        break;  // concentration
      case 3:
        values.push_back((u - 0.5) * 2e-5);
        break;  // velocity, m/s
      case 4:
        values.push_back(u);
        break;  // saturation
      case 5:
        values.push_back(std::round(u * 1000.0) * 86400.0);
        break;  // time, s
      case 6:
        values.push_back(u < 0.5 ? 0.0 : -std::pow(10.0, 8.0 * u));
        break;  // zero or flux
      default:
        values.push_back(std::pow(10.0, -40.0 + 80.0 * u));
        break;  // anything
    }
  }
  return values;
}

const std::vector<double>& Values() {
  static const std::vector<double> values = RealisticValues();
  return values;
}

// Reports the time per field: every iteration writes all kValueCount values.
void CountFields(benchmark::State& state) {
  state.counters["per_field"] = benchmark::Counter(
      kValueCount, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Room for every value of one iteration, written one after another as the
// writers do.
char* Buffer() {
  static char buffer[kValueCount * 32];
  return buffer;
}

void BM_ScaledRealField(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int digits = static_cast<int>(state.range(1));
  const std::vector<double>& values = Values();
  for (auto _ : state) {
    char* out = Buffer();
    for (double value : values) out = WriteScaledRealField(out, value, width, digits);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  CountFields(state);
}
BENCHMARK(BM_ScaledRealField)->Args({15, 7})->Args({25, 17})->Args({12, 4});

void BM_FractionRealField(benchmark::State& state) {
  const std::vector<double>& values = Values();
  for (auto _ : state) {
    char* out = Buffer();
    for (double value : values) out = WriteFractionRealField(out, value, 15, 7);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  CountFields(state);
}
BENCHMARK(BM_FractionRealField);

// The same rounding by printf: "%15.7E" and "%25.17E".
void BM_SnprintfScientific(benchmark::State& state) {
  const int digits = static_cast<int>(state.range(0));
  const std::vector<double>& values = Values();
  for (auto _ : state) {
    char* out = Buffer();
    for (double value : values) out += std::snprintf(out, 32, "%*.*E", digits + 8, digits, value);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  CountFields(state);
}
BENCHMARK(BM_SnprintfScientific)->Arg(7)->Arg(17);

// The same rounding by std::to_chars (no padding, lower-case exponent).
void BM_ToCharsScientific(benchmark::State& state) {
  const int digits = static_cast<int>(state.range(0));
  const std::vector<double>& values = Values();
  for (auto _ : state) {
    char* out = Buffer();
    for (double value : values) {
      out = std::to_chars(out, out + 32, value, std::chars_format::scientific, digits).ptr;
    }
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  CountFields(state);
}
BENCHMARK(BM_ToCharsScientific)->Arg(7)->Arg(17);

void BM_IntegerField(benchmark::State& state) {
  std::mt19937_64 random(7);
  std::vector<int64_t> values(kValueCount);
  for (int64_t& value : values) value = static_cast<int64_t>(random() % 2000000) - 1000000;
  for (auto _ : state) {
    char* out = Buffer();
    for (int64_t value : values) out = WriteIntegerField(out, value, 8);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  CountFields(state);
}
BENCHMARK(BM_IntegerField);

}  // namespace
