#!/usr/bin/env bash
# Throughput benchmark: makes an RX-KORIN result file of NX x NY nodes with
# 3 steps (1000 x 1000 unless given), converts every step to TECPLOT, to
# restart data (total head) and to mkVIEW, and prints for each kind the wall
# time, output megabytes per second, nanoseconds per written number, peak
# resident memory, and the time of a plain `cp` of the same output with the
# ratio of the two. Each time is the median of three runs.
#
#   scripts/benchmark.sh [NX NY]
set -euo pipefail
cd "$(dirname "$0")/.."
nx=${1:-1000}
ny=${2:-1000}
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" --target rxpost make_result_file >/dev/null

work=scratch/benchmark
mkdir -p "$work"
rxpost=$(pwd)/build/rxpost
build/make_result_file --program korin --nx "$nx" --ny "$ny" --steps 3 --seed 1 \
  --out "$work/result.bin"
echo "result file: $(stat -c %s "$work/result.bin") bytes, $nx x $ny nodes, 3 steps"

now() { date +%s.%N; }

# Seconds of the middle one of three runs of a command, each after a sync so
# that no run pays for the write-back of an earlier one.
median_of_three() {
  local start end times=()
  for _ in 1 2 3; do
    sync
    start=$(now)
    "$@"
    end=$(now)
    times+=("$(echo "$end - $start" | bc -l)")
  done
  printf '%s\n' "${times[@]}" | sort -g | sed -n 2p
}

convert() { (cd "$work" && /usr/bin/time -f '%M' -o "$1.rss" "$rxpost" < "$1.answers" > /dev/null); }
copy_output() { cp "$work/$1.out" "$work/$1.copy"; }

# kind-name menu-answer head-style-answer(empty when not asked)
run_kind() {
  local name=$1 answer=$2 head_style=$3
  printf '0\n0\n0\n1\nresult.bin\n0\n%s\n%s%s\n-1\n' "$answer" "$head_style" "$name.out" \
    > "$work/$name.answers"
  local seconds cp_seconds bytes numbers rss_kb
  seconds=$(median_of_three convert "$name")
  rss_kb=$(tail -n 1 "$work/$name.rss")
  bytes=$(stat -c %s "$work/$name.out")
  cp_seconds=$(median_of_three copy_output "$name")
  # Every comma-separated field holding a digit is one written number.
  numbers=$(awk -F, '{ for (i = 1; i <= NF; i++) if ($i ~ /[0-9]/) n++ } END { print n }' \
    "$work/$name.out")
  printf '%-8s wall %6.3f s  %7.1f MB/s  %5.1f ns/number  peak RSS %6.1f MB  cp %6.3f s  wall/cp %5.2f  (%d bytes, %d numbers)\n' \
    "$name" "$seconds" "$(echo "$bytes / $seconds / 1000000" | bc -l)" \
    "$(echo "$seconds * 1000000000 / $numbers" | bc -l)" "$(echo "$rss_kb / 1024" | bc -l)" \
    "$cp_seconds" "$(echo "$seconds / $cp_seconds" | bc -l)" "$bytes" "$numbers"
  rm -f "$work/$name.out" "$work/$name.copy"
}

run_kind tecplot 2 ""
run_kind restart 1 "1
"
run_kind mkview 5 ""
