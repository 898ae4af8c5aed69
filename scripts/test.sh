#!/usr/bin/env bash
# Builds rxpost and runs every test three times: in a release build, under
# AddressSanitizer + UndefinedBehaviorSanitizer, and under ThreadSanitizer.
# After the release build, the Windows build runs under wine against it
# (scripts/windows_check.sh). The release build also compiles the
# micro-benchmarks, so they keep building. Last, each fuzz target runs
# briefly (one minute in all), so that they keep building and running.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DRXPOST_BENCHMARKS=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

# The Windows build under wine, output for output against the Linux build
# (skipped, with a line saying so, where wine is not installed).
bash scripts/windows_check.sh || [[ $? == 77 ]]

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRXPOST_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$jobs"
ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

# Every test again under ThreadSanitizer, which stops a run at the first
# data race (the chart libraries' own threads excepted).
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRXPOST_THREAD_SANITIZER=ON >/dev/null
cmake --build build-tsan -j"$jobs"
TSAN_OPTIONS="halt_on_error=1 suppressions=$(pwd)/tests/tsan_suppressions.txt" \
  ctest --test-dir build-tsan --output-on-failure -j"$jobs"

fuzzers=(fuzz/*_fuzzer.cc)
# A fixed seed makes the short run the same sequence of inputs every time, so
# that CI checks the targets rather than the luck of the draw (at most 5000
# inputs a target, within the time); longer runs
# (scripts/fuzz.sh alone) draw a new seed.
FUZZ_SEED=1 FUZZ_RUNS=5000 bash scripts/fuzz.sh $((60 / ${#fuzzers[@]}))
