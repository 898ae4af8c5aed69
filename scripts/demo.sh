#!/usr/bin/env bash
# Builds rxpost and the result-file maker, makes a small RX-KORIN result file
# in scratch/demo and walks through the whole dialogue with a file of answers:
# TECPLOT output of every step.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" --target rxpost make_result_file

demo=scratch/demo
mkdir -p "$demo"
build/make_result_file --program korin --nx 5 --ny 4 --steps 3 --seed 7 --out "$demo/result.bin"
# mode 0 (transfer), box 0, KORIN 0, type the name 1, the file, data OK 0,
# TECPLOT 2, the output file, every step -1
printf '0\n0\n0\n1\nresult.bin\n0\n2\nzones.dat\n-1\n' > "$demo/answers.txt"
(cd "$demo" && ../../build/rxpost < answers.txt)
echo "---- $demo/zones.dat (first 30 lines) ----"
head -n 30 "$demo/zones.dat"
