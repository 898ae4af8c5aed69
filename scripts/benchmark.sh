#!/usr/bin/env bash
# Throughput benchmark: makes an RX-KORIN result file of NX x NY nodes with
# 3 steps (1000 x 1000 unless given) and converts every step to each output
# kind. Each conversion runs three times, interleaved with its two
# yardsticks: build/write_yardstick writing the same number of bytes in 1 MiB
# writes over the same, existing output file, once emptying it first (as a
# plain program opens a file) and once in place, cut at the end (no blocks
# freed or found). A third measure is no yardstick but the floor of
# rxpost's own way of writing, which keeps the old file whole until the new
# one is: the old file's cached pages dropped, a new file beside it, into
# blocks set aside, renamed over it (freeing the old file's blocks, which a
# disk mounted with `discard` trims inside the renaming). It prints, for
# each kind, the median wall time of all four, the ratios, output MB/s,
# nanoseconds per written number and
# peak resident memory; for TECPLOT also the ratios to the same conversion
# written with C fprintf (build/fprintf_tecplot) and with the formatted WRITE
# of the Fortran run-time library (tools/legacy_tecplot.f90, built here with
# gfortran when it is installed). All three write the same bytes. Then
# `rxpost history` at 2222 points against the same pass at one node, and
# `rxpost map` of the final step. Last, the TECPLOT conversion of the Windows
# build (build-windows/rxpost.exe) under wine, interleaved with the Linux
# build's, and the ratio of their times (skipped where wine or the mingw-w64
# compiler is not installed).
#
#   scripts/benchmark.sh [NX NY]
set -euo pipefail
cd "$(dirname "$0")/.."
nx=${1:-1000}
ny=${2:-1000}
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" \
  --target rxpost make_result_file write_yardstick fprintf_tecplot >/dev/null

legacy=""
if command -v gfortran >/dev/null; then
  gfortran -O2 -o build/legacy_tecplot tools/legacy_tecplot.f90
  legacy=$(pwd)/build/legacy_tecplot
else
  echo "gfortran is not installed: no comparison with the legacy formatted WRITE"
fi

work=scratch/benchmark
mkdir -p "$work"
bin=$(pwd)/build
"$bin/make_result_file" --program korin --nx "$nx" --ny "$ny" --steps 3 --seed 1 \
  --out "$work/result.bin"
echo "result file: $(stat -c %s "$work/result.bin") bytes, $nx x $ny nodes, 3 steps"
# Other work on the machine moves the timings: the load is shown before and after.
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg) (processors: $(nproc))"

now() { date +%s.%N; }
median() { printf '%s\n' "$@" | sort -g | sed -n 2p; }

# Seconds one run of a command takes, after a sync so that no run pays for
# the write-back of an earlier one.
seconds_of() {
  local start end
  sync
  start=$(now)
  "$@"
  end=$(now)
  echo "$end - $start" | bc -l
}

convert() { (cd "$work" && /usr/bin/time -f '%M' -o "$1.rss" "$bin/rxpost" < "$1.answers" > /dev/null); }
yardstick() { "$bin/write_yardstick" "$work/$1.out" "$2"; }
yardstick_in_place() { "$bin/write_yardstick" --in-place "$work/$1.out" "$2"; }
written_beside() { "$bin/write_yardstick" --beside "$work/$1.out" "$2"; }
fprintf_tecplot() { "$bin/fprintf_tecplot" "$work/result.bin" 0 "$work/tecplot.out"; }
legacy_tecplot() { "$legacy" "$work/result.bin" "$work/tecplot.out"; }

# Every comma-separated field holding a digit is one written number.
count_numbers() {
  awk -F, '{ for (i = 1; i <= NF; i++) if ($i ~ /[0-9]/) n++ } END { print n + 0 }' "$1"
}

# run_kind NAME MENU_ANSWER [HEAD_STYLE_ANSWER]: converts every step.
run_kind() {
  local name=$1 answer=$2 head_style=${3:-}
  [ -n "$head_style" ] && head_style="$head_style
"
  printf '0\n0\n0\n1\nresult.bin\n0\n%s\n%s%s\n-1\n' "$answer" "$head_style" "$name.out" \
    > "$work/$name.answers"
  local runs=() yards=() in_place=() beside=() bytes=0 rss_kb numbers
  for _ in 1 2 3; do
    runs+=("$(seconds_of convert "$name")")
    bytes=$(stat -c %s "$work/$name.out")
    yards+=("$(seconds_of yardstick "$name" "$bytes")")
    in_place+=("$(seconds_of yardstick_in_place "$name" "$bytes")")
    beside+=("$(seconds_of written_beside "$name" "$bytes")")
  done
  # The yardstick wrote over the output: one more conversion to count numbers.
  convert "$name"
  rss_kb=$(tail -n 1 "$work/$name.rss")
  numbers=$(count_numbers "$work/$name.out")
  local wall yard yard_in_place floor_beside
  wall=$(median "${runs[@]}")
  yard=$(median "${yards[@]}")
  yard_in_place=$(median "${in_place[@]}")
  floor_beside=$(median "${beside[@]}")
  printf '%-8s wall %6.3f s  yardstick %6.3f s  ratio %5.2f  (in place %6.3f s, ratio %5.2f; beside and renamed %6.3f s, ratio %5.2f)  %7.1f MB/s  %5.1f ns/number  peak RSS %6.1f MB  (%d bytes, %d numbers)\n' \
    "$name" "$wall" "$yard" "$(echo "$wall / $yard" | bc -l)" \
    "$yard_in_place" "$(echo "$wall / $yard_in_place" | bc -l)" \
    "$floor_beside" "$(echo "$wall / $floor_beside" | bc -l)" \
    "$(echo "$bytes / $wall / 1000000" | bc -l)" \
    "$(echo "$wall * 1000000000 / ($numbers + 1)" | bc -l)" "$(echo "$rss_kb / 1024" | bc -l)" \
    "$bytes" "$numbers"
  rm -f "$work/$name.out"
}

# rxpost vtk over every step; its yardstick writes the bytes of all the files
# it wrote (the collection and the step files) to one file.
run_vtk() {
  local runs=() yards=() bytes=0 rss_kb
  vtk() { (cd "$work" && /usr/bin/time -f '%M' -o vtk.rss "$bin/rxpost" vtk result.bin vtk.pvd --steps all); }
  for _ in 1 2 3; do
    runs+=("$(seconds_of vtk)")
    bytes=$(cat "$work"/vtk.pvd "$work"/vtk_*.vtu | wc -c)
    yards+=("$(seconds_of yardstick vtk "$bytes")")
  done
  rss_kb=$(tail -n 1 "$work/vtk.rss")
  local wall yard
  wall=$(median "${runs[@]}")
  yard=$(median "${yards[@]}")
  printf '%-8s wall %6.3f s  yardstick %6.3f s  ratio %5.2f  %7.1f MB/s  peak RSS %6.1f MB  (%d bytes)\n' \
    vtk "$wall" "$yard" "$(echo "$wall / $yard" | bc -l)" \
    "$(echo "$bytes / $wall / 1000000" | bc -l)" "$(echo "$rss_kb / 1024" | bc -l)" "$bytes"
  rm -f "$work"/vtk.pvd "$work"/vtk_*.vtu "$work/vtk.out"
}

# The TECPLOT conversion against the same conversion written with fprintf
# and with the legacy formatted WRITE, interleaved.
compare_tecplot_versions() {
  local runs=() printfs=() legacies=()
  for _ in 1 2 3; do
    runs+=("$(seconds_of convert tecplot)")
    printfs+=("$(seconds_of fprintf_tecplot)")
    [ -n "$legacy" ] && legacies+=("$(seconds_of legacy_tecplot)")
  done
  local wall printf_wall
  wall=$(median "${runs[@]}")
  printf_wall=$(median "${printfs[@]}")
  printf '%-8s wall %6.3f s  fprintf version %6.3f s (%5.2f times rxpost)' \
    tecplot "$wall" "$printf_wall" "$(echo "$printf_wall / $wall" | bc -l)"
  if [ -n "$legacy" ]; then
    local legacy_wall
    legacy_wall=$(median "${legacies[@]}")
    printf '  legacy WRITE version %6.3f s (%5.2f times rxpost)' \
      "$legacy_wall" "$(echo "$legacy_wall / $wall" | bc -l)"
  fi
  printf '\n'
  rm -f "$work/tecplot.out"
}

run_kind tecplot 2
run_kind restart 1 1
run_kind mkview 5
run_kind femap 3
run_kind microavs 4
run_vtk
compare_tecplot_versions

# rxpost history at 2222 points (PICKUP.INP, spread over the mesh) over every
# step, against the same pass following one node (reading the steps alone);
# and rxpost map of the final step's total head as a PNG picture.
run_charts() {
  awk -v nx="$nx" -v ny="$ny" 'BEGIN { srand(7); print "0 0 0 0 2222";
    for (k = 0; k < 2222; ++k) print rand() * 10 * (nx - 1), rand() * 5 * (ny - 1) }' \
    > "$work/PICKUP.INP"
  points() { (cd "$work" && "$bin/rxpost" history result.bin --pickup PICKUP.INP \
    --csv history.csv 2> /dev/null); }
  one_node() { (cd "$work" && "$bin/rxpost" history result.bin --node 1 --csv history.csv); }
  picture() { (cd "$work" && "$bin/rxpost" map result.bin map.png); }
  local runs=() reads=() maps=()
  for _ in 1 2 3; do
    runs+=("$(seconds_of points)")
    reads+=("$(seconds_of one_node)")
    maps+=("$(seconds_of picture)")
  done
  local wall read
  wall=$(median "${runs[@]}")
  read=$(median "${reads[@]}")
  printf '%-8s wall %6.3f s  one node %6.3f s  ratio %5.2f  (2222 points, every step)\n' \
    history "$wall" "$read" "$(echo "$wall / $read" | bc -l)"
  printf '%-8s wall %6.3f s  (PNG of the final step)\n' map "$(median "${maps[@]}")"
  rm -f "$work/PICKUP.INP" "$work/history.csv" "$work/map.png"
}
run_charts

# The Windows build's TECPLOT conversion under wine against the Linux build's,
# interleaved; both write the same lines (CR LF on Windows).
compare_windows_tecplot() {
  if ! command -v wine >/dev/null || ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
    echo "wine or mingw-w64 is not installed: no Windows build measured"
    return
  fi
  bash scripts/build-windows.sh >/dev/null
  export WINEPREFIX=$(pwd)/build-windows/wineprefix WINEDEBUG=-all WINEARCH=win64
  [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1 || true
  wineserver -k 2>/dev/null || true  # -p takes only a prefix without a server
  wineserver -w
  wineserver -p
  local exe linux_runs=() windows_runs=()
  exe=$(pwd)/build-windows/rxpost.exe
  windows_convert() { (cd "$work" && wine "$exe" < tecplot.answers > /dev/null); }
  windows_convert  # the first start of wine in a while pays for loading it
  for _ in 1 2 3; do
    linux_runs+=("$(seconds_of convert tecplot)")
    windows_runs+=("$(seconds_of windows_convert)")
  done
  local lines bytes linux_wall windows_wall
  lines=$(wc -l < "$work/tecplot.out")
  bytes=$(stat -c %s "$work/tecplot.out")
  convert tecplot
  [ "$bytes" -eq $(($(stat -c %s "$work/tecplot.out") + lines)) ] ||
    echo "the Windows output is not the Linux output with CR LF line ends"
  linux_wall=$(median "${linux_runs[@]}")
  windows_wall=$(median "${windows_runs[@]}")
  printf '%-8s Linux %6.3f s  Windows under wine %6.3f s  ratio %5.2f  (%d bytes on Windows)\n' \
    tecplot "$linux_wall" "$windows_wall" "$(echo "$windows_wall / $linux_wall" | bc -l)" "$bytes"
  wineserver -k
  rm -f "$work/tecplot.out"
}
compare_windows_tecplot
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
