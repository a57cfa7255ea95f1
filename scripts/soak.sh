#!/usr/bin/env bash
# Runs the stress session at many seeds: the single-thread run in the normal build and in the
# ASan+UBSan build, and the two-thread run pinned to one core (where a scheduling slip shows).
#   scripts/soak.sh [normal seeds] [asan seeds] [two-thread seeds]   (default 200 50 50)
# Builds what is missing (build/, build-asan/); JOBS=n sets the parallelism of the runs and
# SOAK_CALLS the length of each session (default 10000 calls).
# Prints each failing seed with its replay line and exits non-zero if any seed failed.
set -uo pipefail
cd "$(dirname "$0")/.."
normal=${1:-200}
asan=${2:-50}
threads=${3:-50}
. scripts/common.sh
export QV_STRESS_CALLS=${SOAK_CALLS:-10000}

cmake -S . -B build -G Ninja -DQV_WERROR=ON >/dev/null || exit 1
cmake --build build -j "$jobs" --target stress_test_stress stress_test_stress_threads >/dev/null ||
  exit 1
if [ "$asan" -gt 0 ]; then
  cmake -S . -B build-asan -G Ninja -DQV_SANITIZE=ON >/dev/null || exit 1
  cmake --build build-asan -j "$jobs" --target stress_test_stress >/dev/null || exit 1
fi

log=$(mktemp -d)
trap 'rm -rf "$log"' EXIT

# run <label> <program> <seed> [prefix...]: one session; a failure leaves its output in $log.
run() {
  local label=$1 program=$2 seed=$3
  shift 3
  if QV_STRESS_SEED=$seed "$@" "$program" >"$log/$label-$seed.txt" 2>&1; then
    rm -f "$log/$label-$seed.txt"
  fi
}
export -f run
export log

seq 1 "$normal" | xargs -P "$jobs" -I{} bash -c 'run normal build/tests/stress/stress_test_stress {}'
seq 1 "$asan" | xargs -P "$jobs" -I{} bash -c \
  'run asan build-asan/tests/stress/stress_test_stress {}'
# One core for every two-thread run: the two threads interleave at the scheduler's whim.
seq 1 "$threads" | xargs -P "$jobs" -I{} bash -c \
  'run threads build/tests/stress/stress_test_stress_threads {} taskset -c 0'

failed=0
for f in "$log"/*.txt; do
  [ -e "$f" ] || continue
  failed=$((failed + 1))
  name=$(basename "$f" .txt)
  echo "FAILED $name (replay: QV_STRESS_SEED=${name##*-} with the ${name%-*} program)"
  grep -E "call [0-9]+:|ERROR|runtime error" "$f" | head -5
done
echo "soak: $normal normal, $asan ASan+UBSan, $threads two-thread on one core; $failed failed"
[ "$failed" -eq 0 ]
