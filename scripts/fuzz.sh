#!/usr/bin/env bash
# Builds every fuzz target (fuzz/*_fuzzer.cc) with clang's libFuzzer and the
# address and undefined-behaviour sanitizers, and runs each in turn for the
# given seconds (default 60), seeded with result files that the result-file
# maker makes now, small texts, and the inputs kept in tests/fuzz_regressions/.
# Corpora grow in build-fuzz/fuzz-corpus/ from run to run; a finding is kept in
# build-fuzz/fuzz-findings/NAME/ and makes the script fail.
#
#   scripts/fuzz.sh [seconds-per-target [target...]]   (default: every target)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-60}
build=$root/build-fuzz

if ! command -v clang++-14 >/dev/null || ! ls /usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  echo "fuzz.sh: installing clang-14 and its runtime" >&2
  apt-get update -qq && apt-get install -y -qq clang-14 libclang-rt-14-dev >/dev/null
fi

targets=("${@:2}")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzzer.cc; do targets+=("$(basename "$source" .cc)"); done
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DRXPOST_FUZZ=ON >/dev/null
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}" make_result_file

# Seeds of one target, made afresh in $1 for target base name $2.
make_seeds() {
  local dir=$1 base=$2 maker=$build/make_result_file
  rm -rf "$dir" && mkdir -p "$dir"
  case $base in
    comment_stripper)
      printf '# comment\nTITLE  \n # kept\n\x81\x94 wide\n\nEND\n1,2,3      \n' >"$dir/data"
      printf 'a\r\nb\tc\r\n%0250d\n' 0 >"$dir/long" ;;
    answers)
      printf '\x10\n0\n0\n1\nresult.bin\n0\n2\nout.txt\n-1\n' >"$dir/transfer"
      printf '\x02 +7 ,3\n  name.dat   \n\n\n-2147483648\n' >"$dir/free-form"
      printf '\xff%030d\r\n\x00x\n' 5 >"$dir/names" ;;
    pickup_file)
      printf '3 0 0 0 0\n10 20 30\n' >"$dir/heads"
      printf -- '-2 3 0 2 1\n5 7\n1,2,3\n4 5\n0.5 0.25\n' >"$dir/mixed" ;;
    *)
      local program steps fault
      for program in korin delm; do
        for steps in 0 1 3; do
          "$maker" --program $program --nx 3 --ny 2 --steps $steps --seed $steps \
            --out "$dir/$program-$steps.bin"
        done
        for fault in cut no-last-elements short-record bad-framing; do
          "$maker" --program $program --nx 2 --ny 2 --steps 2 --seed 7 --fault $fault \
            --out "$dir/$program-$fault.bin"
        done
      done ;;
  esac
  local kept
  for kept in "$root/tests/fuzz_regressions/$base"/*; do
    [ -f "$kept" ] || continue
    case $kept in
      *.hex) xxd -r -p "$kept" >"$dir/kept-$(basename "$kept" .hex)" ;;
      *) cp "$kept" "$dir/kept-$(basename "$kept")" ;;
    esac
  done
}

total=0
failed=()
for target in "${targets[@]}"; do
  base=${target%_fuzzer}
  seeds=$build/fuzz-seeds/$base corpus=$build/fuzz-corpus/$base findings=$build/fuzz-findings/$base
  make_seeds "$seeds" "$base"
  mkdir -p "$corpus" "$findings"
  log=$build/fuzz-$base.log
  status=0
  "$build/$target" -max_total_time="$seconds" -seed="${FUZZ_SEED:-0}" -runs="${FUZZ_RUNS:--1}" -timeout=25 -rss_limit_mb=4096 -close_fd_mask=3 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$seeds" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  runs=${runs:-0}
  total=$((total + runs))
  echo "fuzz.sh: $target: $runs executions in ${seconds}s, exit status $status"
  if [ "$status" -ne 0 ]; then
    failed+=("$target")
    grep -E "ERROR|SUMMARY|artifact" "$log" | head -20 >&2 || true
  fi
done
echo "fuzz.sh: $total executions in all"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz.sh: findings in ${failed[*]}: see $build/fuzz-findings/ and $build/fuzz-*.log" >&2
  exit 1
fi
