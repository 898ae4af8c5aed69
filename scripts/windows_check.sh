#!/usr/bin/env bash
# Runs the Windows build (build-windows/rxpost.exe) under wine over a matrix of
# generated result files and answers, and the Linux build (build/rxpost) over
# the same inputs, and compares what they leave behind:
#   - every text output and standard output: the Linux bytes with each LF
#     turned into CR LF;
#   - .vtu and .pvd files: the very same bytes;
#   - exit status and the lines of standard error: the same;
#   - every input: untouched.
# The Windows side reads its text inputs (answers, WORK.LST, PICKUP.INP, the
# data file of the conversion mode) with CR LF line ends in every other run.
# Besides, it checks what only Windows has: another case of the result file's
# name, and its full path with a drive letter, are the result file too; and
# on a console (a UTF-8 terminal through script) the Japanese texts show.
#
#   scripts/windows_check.sh          the matrix run by scripts/test.sh
#   scripts/windows_check.sh --wide   many more models, sizes and step answers
#
# Prints one line per failure and, last, "N passed, M failed"; exits 1 when
# anything failed, 77 when wine is not installed (1 under CI=true, where the
# set-up line installs it).
set -euo pipefail
trap 'echo "windows_check: stopped by a failed command at line $LINENO" >&2' ERR
cd "$(dirname "$0")/.."
root=$(pwd)
wide=0
[[ "${1:-}" == "--wide" ]] && wide=1

if ! command -v wine >/dev/null || ! command -v wineserver >/dev/null; then
  if [[ "${CI:-}" == true ]]; then
    echo "windows_check: FAIL: CI=true and wine is not installed (apt-get install wine wine64)" >&2
    exit 1
  fi
  echo "windows_check: wine is not installed; skipped (apt-get install wine wine64)" >&2
  exit 77
fi

jobs=$(nproc 2>/dev/null || echo 2)
if [[ ! -x build/rxpost || ! -x build/make_result_file ]]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build -j"$jobs" --target rxpost make_result_file >/dev/null
fi
bash scripts/build-windows.sh >/dev/null
linux_rxpost=$root/build/rxpost
windows_rxpost=$root/build-windows/rxpost.exe
maker=$root/build/make_result_file

# One wine prefix of the check's own, one wine server for the whole matrix.
export WINEPREFIX=$root/build-windows/wineprefix WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  wineboot -i </dev/null >/dev/null 2>&1 || true
fi
# A server left by wineboot or an earlier start is ended first: -p takes
# only a prefix that has none.
wineserver -k 2>/dev/null || true
wineserver -w
wineserver -p </dev/null
trap 'wineserver -k 2>/dev/null || true' EXIT

work=$root/build-windows/check
rm -rf "$work"
mkdir -p "$work/models"
passed=0
failed=0
run_number=0

fail() {
  echo "FAIL $1: $2"
  failed=$((failed + 1))
}

# Every LF of a file (or of standard input) as CR LF.
crlf() { sed -z 's/\n/\r\n/g' "$@"; }

# make_model NAME MAKER-ARGS...: a result file in models/.
make_model() {
  local name=$1
  shift
  "$maker" "$@" --out "$work/models/$name" >/dev/null
}

# Text inputs of the current scenario: written LF on the Linux side, and LF
# or CR LF (every other run) on the Windows side.
put_text() {
  local name=$1 text=$2
  printf '%s' "$text" >"$dir/L/$name"
  if ((run_number % 2 == 1)); then
    printf '%s' "$text" | crlf >"$dir/W/$name"
  else
    printf '%s' "$text" >"$dir/W/$name"
  fi
}

# begin NAME: a fresh scenario folder with a Linux and a Windows side.
begin() {
  run_number=$((run_number + 1))
  scenario=$1
  rewritten='^$' # files there before the run that the run may write over
  dir=$work/runs/$run_number
  mkdir -p "$dir/L" "$dir/W"
}

# model FILE-IN-MODELS [NAME]: a result file into both sides.
model() {
  cp "$work/models/$1" "$dir/L/${2:-$1}"
  cp "$work/models/$1" "$dir/W/${2:-$1}"
}

# Runs rxpost.exe under wine in the Windows side's folder. rxpost never ends
# with status 1 and always writes its banner or a line; status 1 with nothing
# written is wine failing to start the program (seen now and then right after
# another run), so such a run is started again, up to twice. Standard input
# is read into a file first, so that a second start gets it whole. A run that
# hangs is stopped after five minutes (status 124, a failure).
run_windows() {
  local attempt status
  cat >"$dir/W.stdin"
  for attempt in 1 2 3; do
    status=0
    (cd "$dir/W" && timeout -k 10 300 wine "$windows_rxpost" "$@" <../W.stdin >../W.stdout \
      2>../W.stderr) || status=$?
    [[ $status == 1 && ! -s "$dir/W.stdout" && ! -s "$dir/W.stderr" ]] || break
    echo "windows_check: wine did not start rxpost.exe (status 1, no output); again" >&2
  done
  echo "$status" >"$dir/W.status"
}

# Runs both builds in their folders: the dialogue from `answers`, or the
# command line from the arguments. The inputs are kept aside to be checked.
run_both() {
  local side
  for side in L W; do
    mkdir -p "$dir/inputs.$side"
    cp -a "$dir/$side"/. "$dir/inputs.$side/"
  done
  if (($# == 0)); then
    (cd "$dir/L" && "$linux_rxpost" <.answers >../L.stdout 2>../L.stderr) && echo 0 >"$dir/L.status" ||
      echo $? >"$dir/L.status"
    run_windows <"$dir/W/.answers"
  else
    (cd "$dir/L" && "$linux_rxpost" "$@" </dev/null >../L.stdout 2>../L.stderr) &&
      echo 0 >"$dir/L.status" || echo $? >"$dir/L.status"
    run_windows "$@" </dev/null
  fi
}

# dialogue ANSWERS: runs the dialogue with these answers (LF; CR LF on the
# Windows side in every other run).
dialogue() {
  put_text .answers "$1"
  run_both
}

# Inputs of each side untouched; files of each side the same set; each
# output and standard output the Linux bytes with CR LF (.vtu/.pvd: as they
# are); exit status and standard error lines the same.
compare() {
  local problems=() name
  local side
  for side in L W; do
    for name in $(ls -A "$dir/inputs.$side"); do
      [[ $name =~ $rewritten ]] && continue
      cmp -s "$dir/inputs.$side/$name" "$dir/$side/$name" ||
        problems+=("input $name changed on side $side")
    done
  done
  [[ "$(ls -A "$dir/L")" == "$(ls -A "$dir/W")" ]] ||
    problems+=("files differ: L: $(ls -A "$dir/L" | tr '\n' ' ') W: $(ls -A "$dir/W" | tr '\n' ' ')")
  for name in $(ls -A "$dir/L"); do
    [[ (-e "$dir/inputs.L/$name" && ! $name =~ $rewritten) || ! -e "$dir/W/$name" ]] && continue
    case $name in
      *.vtu | *.pvd) cmp -s "$dir/L/$name" "$dir/W/$name" || problems+=("$name not identical") ;;
      *) crlf "$dir/L/$name" | cmp -s - "$dir/W/$name" || problems+=("$name differs") ;;
    esac
  done
  crlf "$dir/L.stdout" | cmp -s - "$dir/W.stdout" || problems+=("standard output differs")
  tr -d '\r' <"$dir/W.stderr" | cmp -s "$dir/L.stderr" - ||
    problems+=("standard error differs: $(head -c 300 "$dir/L.stderr") | $(head -c 300 "$dir/W.stderr")")
  [[ "$(cat "$dir/L.status")" == "$(cat "$dir/W.status")" ]] ||
    problems+=("exit status $(cat "$dir/L.status") on Linux, $(cat "$dir/W.status") on Windows")
  if ((${#problems[@]} == 0)); then
    passed=$((passed + 1))
  else
    fail "$scenario" "$(printf '%s; ' "${problems[@]}")"
  fi
}

# expect_refusal TEXT: the Windows side alone refused to write over an input
# (status 2, TEXT on standard error, inputs untouched).
expect_refusal() {
  local problems=() name
  for name in $(ls -A "$dir/inputs.W"); do
    cmp -s "$dir/inputs.W/$name" "$dir/W/$name" || problems+=("input $name changed")
  done
  [[ "$(cat "$dir/W.status")" == 2 ]] || problems+=("exit status $(cat "$dir/W.status")")
  grep -q "$1" "$dir/W.stderr" || problems+=("standard error: $(head -c 300 "$dir/W.stderr")")
  if ((${#problems[@]} == 0)); then
    passed=$((passed + 1))
  else
    fail "$scenario" "$(printf '%s; ' "${problems[@]}")"
  fi
}

# transfer SIM FILE KIND STEP [HEAD-STYLE]: the dialogue through to the end.
transfer_answers() {
  local program=$1 file=$2 kind=$3 step=$4 head=${5:-}
  printf '0\n0\n%s\n1\n%s\n0\n%s\n%sout.dat\n%s\n' "$program" "$file" "$kind" \
    "${head:+$head$'\n'}" "$step"
}

pickup_text=$'3 2 0 2 2\n1 5 7\n2 4\n1 3\n0.5 0.5\n2.25 1.75\n'
data_text=$'# a comment\n  10    20   \n\x81\x94 full-width comment\n12\n    \nTITLE  \x83\x66\x81\x7C\x83\x5E  \ninner # kept\n'

# The models: both simulators, a few sizes; steps numbered 1..3 (or given).
make_model K.BIN --program korin --nx 6 --ny 5 --steps 3 --seed 11
make_model D.BIN --program delm --nx 5 --ny 4 --steps 3 --seed 12
make_model CUT.BIN --program korin --nx 6 --ny 5 --steps 3 --seed 13 --fault cut
make_model SHORT.BIN --program delm --nx 5 --ny 4 --steps 2 --seed 14 --fault short-record
models=("0 K.BIN" "1 D.BIN")
step_answers=(0 -1 2)
if ((wide)); then
  make_model K2.BIN --program korin --nx 40 --ny 30 --steps 5 --seed 21 --step-numbers 0,3,3,7,9
  make_model D2.BIN --program delm --nx 33 --ny 27 --steps 4 --seed 22 --step-times 0.5,1e-7,3e5,12
  make_model K3.BIN --program korin --nx 2 --ny 2 --steps 0 --seed 23
  make_model D3.BIN --program delm --nx 120 --ny 80 --steps 2 --seed 24
  models+=("0 K2.BIN" "1 D2.BIN" "0 K3.BIN" "1 D3.BIN")
  step_answers=(0 -1 2 3 9 -7)
fi

# Every menu kind of both simulators, with each step answer (INTERP reads
# every step whatever the answer: one run).
for entry in "${models[@]}"; do
  read -r program file <<<"$entry"
  for kind in 1 -1 2 3 4 5 6 7; do
    for step in "${step_answers[@]}"; do
      [[ $kind == 6 && $step != 0 ]] && continue
      head=""
      [[ $program == 0 && ($kind == 1 || $kind == -1) ]] && head=$(((step + 2) % 2))
      begin "$file kind $kind step $step"
      model "$file"
      [[ $kind == 6 ]] && put_text PICKUP.INP "$pickup_text"
      dialogue "$(transfer_answers "$program" "$file" "$kind" "$step" "$head")"
      compare
    done
  done
done

# A model of more nodes and elements than a chunk of lines holds, on two
# formatting threads: the threads share the lines out and hand the chunks
# over to the writer many times a run.
make_model BIG.BIN --program korin --nx 100 --ny 90 --steps 2 --seed 15
for kind in 2 3 5; do
  begin "BIG.BIN kind $kind, two formatting threads"
  model BIG.BIN
  RXPOST_THREADS=2 dialogue "$(transfer_answers 0 BIG.BIN "$kind" -1 "")"
  compare
done

# The file named by WORK.LST; the MicroAVS kind next to an older AVS.tmp.
begin "WORK.LST names the file"
model D.BIN
put_text WORK.LST $'first\nsecond\nthird\nD.BIN\nfifth\n'
dialogue $'0\n0\n1\n0\n0\n4\nout.dat\n-1\n'
compare

# The conversion mode: comment lines, trailing blanks, Shift-JIS text.
begin "conversion mode"
put_text data.txt "$data_text"
dialogue $'1\ndata.txt\n'
compare

# The command line: info (text and CSV), vtk and history.
for file in K.BIN D.BIN; do
  begin "info $file"
  model "$file"
  run_both info "$file"
  compare
  begin "info --csv $file"
  model "$file"
  run_both info --csv "$file"
  compare
  begin "vtk $file"
  model "$file"
  run_both vtk --steps all "$file" out.pvd
  compare
done

# history: the time history of a node and of picked points, to standard
# output and to a CSV file.
begin "history --node 3 K.BIN"
model K.BIN
run_both history K.BIN --node 3
compare
begin "history --pickup D.BIN --csv"
model D.BIN
put_text PICKUP.INP "$pickup_text"
run_both history D.BIN --pickup PICKUP.INP --csv h.csv
compare

# vtk over an earlier collection of more steps: the collection is replaced
# whole and the step files it lists no more are removed.
begin "vtk over an earlier collection"
model D.BIN
(cd "$dir/L" && "$linux_rxpost" vtk --steps all D.BIN out.pvd 2>/dev/null)
(cd "$dir/W" && wine "$windows_rxpost" vtk --steps all D.BIN out.pvd 2>/dev/null)
rewritten='^out'
run_both vtk --steps 2 D.BIN out.pvd
compare

# Errors: a missing result file, a cut one, a short record, a reply that is
# no number, a missing PICKUP.INP, and outputs that are inputs.
begin "missing result file"
dialogue "$(transfer_answers 0 NONE.BIN 2 0)"
compare
begin "cut result file"
model CUT.BIN
dialogue "$(transfer_answers 0 CUT.BIN 2 -1)"
compare
begin "short record"
model SHORT.BIN
dialogue "$(transfer_answers 1 SHORT.BIN 3 -1)"
compare
begin "reply not a number"
model K.BIN
dialogue $'0\n0\n0\n1\nK.BIN\n0\nTECPLOT\n'
compare
begin "missing PICKUP.INP"
model K.BIN
dialogue "$(transfer_answers 0 K.BIN 6 0)"
compare
begin "output ./K.BIN"
model K.BIN
dialogue $'0\n0\n0\n1\nK.BIN\n0\n2\n./K.BIN\n0\n'
compare
begin "output a hard link to the result file"
model K.BIN
ln "$dir/L/K.BIN" "$dir/L/HARD.BIN"
ln "$dir/W/K.BIN" "$dir/W/HARD.BIN"
dialogue $'0\n0\n0\n1\nK.BIN\n0\n2\nHARD.BIN\n0\n'
compare
begin "output AVS.tmp"
model D.BIN
dialogue $'0\n0\n1\n1\nD.BIN\n0\n4\nAVS.tmp\n0\n'
compare
begin "conversion into its own input"
put_text ANALYSIS.DAT "$data_text"
dialogue $'1\nANALYSIS.DAT\n'
compare

# Windows only: another case of the name, and the full path with its drive
# letter (through a short link, as names are cut at 20 characters).
begin "output k.bin (another case)"
model K.BIN
dialogue $'0\n0\n0\n1\nK.BIN\n0\n2\nk.bin\n0\n'
expect_refusal 'k.bin: is the file "K.BIN" that this run reads'
short=/tmp/w$((RANDOM % 90000 + 10000))
begin "output Z:${short//\//\\}\\K.BIN (full path)"
model K.BIN
rm -f "$short"
ln -s "$dir/W" "$short"
dialogue $'0\n0\n0\n1\nK.BIN\n0\n2\nZ:'"${short//\//\\}"$'\\K.BIN\n0\n'
rm -f "$short"
expect_refusal 'that this run reads'

# A console: the Japanese texts are shown as Japanese (wine hands the
# console's wide characters to the terminal, here a UTF-8 one, through script).
begin "console shows the Japanese texts"
model K.BIN
put_text .answers $'0\n0\n0\n1\nK.BIN\n1\n'
(cd "$dir/W" && LC_ALL=C.UTF-8 timeout 120 script -qc "wine '$windows_rxpost' < .answers" \
  /dev/null </dev/null >../W.console 2>&1) || true
if grep -q '節点総数' "$dir/W.console" && grep -q 'デ－タ－ＯＫ？　Ｙ／０　Ｎ／１' "$dir/W.console"; then
  passed=$((passed + 1))
else
  fail "$scenario" "no Japanese text on the console: $(head -c 300 "$dir/W.console" | tr -d '\033')"
fi

echo "$passed passed, $failed failed"
((failed == 0))
