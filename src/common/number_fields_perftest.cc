// Cost of one real field, against snprintf and std::to_chars doing the same
// rounding. Every benchmark iteration formats one value from a fixed array of
// values like those in simulator results, so the time per iteration is the
// time per field.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "common/number_fields.h"

namespace {

constexpr size_t kValueCount = 4096;  // a power of two: the index wraps with a mask

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

void BM_ScaledRealField(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int digits = static_cast<int>(state.range(1));
  const std::vector<double>& values = Values();
  char field[kMaxFieldWidth];
  size_t i = 0;
  for (auto _ : state) {
    WriteScaledRealField(field, values[i++ & (kValueCount - 1)], width, digits);
    benchmark::DoNotOptimize(field);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ScaledRealField)->Args({15, 7})->Args({25, 17})->Args({12, 4});

void BM_FractionRealField(benchmark::State& state) {
  const std::vector<double>& values = Values();
  char field[kMaxFieldWidth];
  size_t i = 0;
  for (auto _ : state) {
    WriteFractionRealField(field, values[i++ & (kValueCount - 1)], 15, 7);
    benchmark::DoNotOptimize(field);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FractionRealField);

void BM_SnprintfScientific(benchmark::State& state) {
  const int digits = static_cast<int>(state.range(0));
  const std::vector<double>& values = Values();
  char text[64];
  size_t i = 0;
  for (auto _ : state) {
    std::snprintf(text, sizeof text, "%*.*E", digits + 8, digits, values[i++ & (kValueCount - 1)]);
    benchmark::DoNotOptimize(text);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SnprintfScientific)->Arg(7)->Arg(17);

void BM_ToCharsScientific(benchmark::State& state) {
  const int digits = static_cast<int>(state.range(0));
  const std::vector<double>& values = Values();
  char text[64];
  size_t i = 0;
  for (auto _ : state) {
    std::to_chars(text, text + sizeof text, values[i++ & (kValueCount - 1)],
                  std::chars_format::scientific, digits);
    benchmark::DoNotOptimize(text);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ToCharsScientific)->Arg(7)->Arg(17);

void BM_IntegerField(benchmark::State& state) {
  std::mt19937_64 random(7);
  std::vector<int64_t> values(kValueCount);
  for (int64_t& value : values) value = static_cast<int64_t>(random() % 2000000) - 1000000;
  char field[kMaxFieldWidth];
  size_t i = 0;
  for (auto _ : state) {
    WriteIntegerField(field, values[i++ & (kValueCount - 1)], 8);
    benchmark::DoNotOptimize(field);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_IntegerField);

}  // namespace
