#!/usr/bin/env bash
# Runs the stress session at many seeds: the single-thread run in the normal build and in the
# ASan+UBSan build, and the two-thread run pinned to one core (where a scheduling slip shows).
#   scripts/soak.sh [200 [50 [50]]]   the number of seeds of each run, 0-100000
# Builds what is missing (build/, build-asan/); JOBS=n sets the parallelism of the runs and
# SOAK_CALLS the length of each session (default 10000 calls).
# Prints each failing seed with its replay line and exits non-zero if any seed failed.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
if [ $# -gt 3 ]; then
  echo "soak.sh: at most three numbers of seeds, not $#" >&2
  exit 2
fi
normal=${1:-200}
asan=${2:-50}
threads=${3:-50}
for n in "normal:$normal" "asan:$asan" "two-thread:$threads"; do
  qv_whole "the number of ${n%%:*} seeds" "${n#*:}" 0 100000
done
if [ $((normal + asan + threads)) = 0 ]; then
  echo "soak.sh: no seed to run" >&2
  exit 2
fi
calls=${SOAK_CALLS:-10000}
qv_whole SOAK_CALLS "$calls" 1 100000000
qv_tmpdir
export QV_STRESS_CALLS=$calls

cmake -S . -B build -G Ninja -DQV_WERROR=ON >/dev/null || exit 1
cmake --build build -j "$jobs" --target stress_test_stress stress_test_stress_threads >/dev/null ||
  exit 1
if [ "$asan" -gt 0 ]; then
  cmake -S . -B build-asan -G Ninja -DQV_SANITIZE=ON >/dev/null || exit 1
  cmake --build build-asan -j "$jobs" --target stress_test_stress >/dev/null || exit 1
fi

log=$(mktemp -d) || exit 1
trap 'rm -rf "$log"' EXIT

# run <label> <seed> <command...>: one session; a failure leaves its output in $log.
run() {
  local label=$1 seed=$2
  shift 2
  QV_STRESS_SEED=$seed "$@" >"$log/$label-$seed.txt" 2>&1 && rm -f "$log/$label-$seed.txt"
}
export -f run
export log

# <label> <seeds> <command...>: each seed in turn, $jobs at once.
runs() {
  local label=$1 seeds=$2
  shift 2
  seq 1 "$seeds" | xargs -P "$jobs" -I{} bash -c 'run "$@"' run "$label" {} "$@"
}
# Each run's command, also its replay line's. One core for every two-thread run: the two
# threads interleave at the scheduler's whim.
declare -A program=([normal]=build/tests/stress/stress_test_stress
  [asan]=build-asan/tests/stress/stress_test_stress
  [two-thread]="taskset -c 0 build/tests/stress/stress_test_stress_threads")
status=0
runs normal "$normal" ${program[normal]} || status=1
runs asan "$asan" ${program[asan]} || status=1
runs two-thread "$threads" ${program[two-thread]} || status=1

failed=0
for f in "$log"/*.txt; do
  [ -e "$f" ] || continue
  failed=$((failed + 1))
  name=$(basename "$f" .txt)
  label=${name%-*}
  echo "FAILED $name (replay: QV_STRESS_SEED=${name##*-} QV_STRESS_CALLS=$calls" \
    "${program[$label]})"
  grep -E "call [0-9]+:|ERROR|runtime error" "$f" | head -5
done
# A session whose output could not be written failed all the same.
[ "$status" = 0 ] || [ "$failed" -gt 0 ] || echo "a session failed and left no output"
echo "soak: $normal normal, $asan ASan+UBSan, $threads two-thread on one core; $failed failed"
[ "$failed" -eq 0 ] && [ "$status" -eq 0 ]
