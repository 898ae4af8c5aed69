// Cost of one number field, against {fmt} and snprintf doing the same
// rounding. Every benchmark iteration writes a fixed array of values like
// those in simulator results, field after field; the per_field counter is the
// time per field.
#include <benchmark/benchmark.h>
#include <fmt/format.h>

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

// The program's real fields, each timed three ways on the same values: the
// field itself (as the hot lines call it, shape known at compile time), and
// its nearest standard form by {fmt} (format_to into the buffer) and by
// snprintf: "%15.7E" for the scaled (15, 7) field, "%15.6E" (the same seven
// significant digits) for the fraction field (15, 7).
template <int kWidth, int kDigits, bool kFraction>
void BM_Field(benchmark::State& state) {
  const std::vector<double>& values = Values();
  for (auto _ : state) {
    char* out = Buffer();
    for (double value : values) {
      out = kFraction ? WriteFractionRealFieldOf<kWidth, kDigits>(out, value)
                      : WriteScaledRealFieldOf<kWidth, kDigits>(out, value);
    }
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  CountFields(state);
}

// The standard forms as literal format strings, so that {fmt} checks and
// parses them at compile time.
#define RXPOST_STANDARD_FORM(name, form)                              \
  struct name {                                                       \
    static constexpr const char* kPrintf = "%" form;                  \
    static constexpr auto Fmt() { return FMT_STRING("{:" form "}"); } \
  }
RXPOST_STANDARD_FORM(FormatOf15x7, "15.7E");
RXPOST_STANDARD_FORM(FormatOf25x17, "25.17E");
RXPOST_STANDARD_FORM(FormatOf12x4, "12.4E");
RXPOST_STANDARD_FORM(FormatOf12x5, "12.5E");
RXPOST_STANDARD_FORM(FormatOf13x6, "13.6E");
RXPOST_STANDARD_FORM(FormatOf15x6, "15.6E");  // the fraction field (15, 7): 7 significant digits

template <typename Format>
void BM_Fmt(benchmark::State& state) {
  const std::vector<double>& values = Values();
  for (auto _ : state) {
    char* out = Buffer();
    for (double value : values) out = fmt::format_to(out, Format::Fmt(), value);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  CountFields(state);
}

template <typename Format>
void BM_Snprintf(benchmark::State& state) {
  const std::vector<double>& values = Values();
  for (auto _ : state) {
    char* out = Buffer();
    for (double value : values) out += std::snprintf(out, 32, Format::kPrintf, value);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  CountFields(state);
}

#define RXPOST_FIELD_BENCHMARKS(width, digits, fraction, format) \
  BENCHMARK_TEMPLATE(BM_Field, width, digits, fraction);         \
  BENCHMARK_TEMPLATE(BM_Fmt, format);                            \
  BENCHMARK_TEMPLATE(BM_Snprintf, format)

RXPOST_FIELD_BENCHMARKS(15, 7, false, FormatOf15x7);
RXPOST_FIELD_BENCHMARKS(25, 17, false, FormatOf25x17);
RXPOST_FIELD_BENCHMARKS(12, 4, false, FormatOf12x4);
RXPOST_FIELD_BENCHMARKS(12, 5, false, FormatOf12x5);
RXPOST_FIELD_BENCHMARKS(13, 6, false, FormatOf13x6);
RXPOST_FIELD_BENCHMARKS(15, 7, true, FormatOf15x6);

// The general entry (shape known at run time), as WriteLayout calls it.
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
BENCHMARK(BM_ScaledRealField)->Args({15, 7})->Args({25, 17});

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
