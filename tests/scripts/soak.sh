#!/usr/bin/env bash
# scripts/soak.sh with the build and the stress programs stubbed: what it refuses, and a replay
# line for each failing seed that replays it as printed.
#   soak.sh <repository>
. "$(dirname "$0")/stub_repo.sh" "$1" scripts/soak.sh scripts/common.sh
export STUB=$work TMPDIR=$work/tmp
mkdir -p "$TMPDIR" "$repo/build/tests/stress" "$repo/build-asan/tests/stress"
stub "$work/bin/cmake" 'exit 0'
# Each program notes its runs; the single-thread one fails at seed 2 of 20000 calls only.
stub "$repo/build/tests/stress/stress_test_stress" 'echo normal >>"$STUB/ran"
[ "$QV_STRESS_SEED:$QV_STRESS_CALLS" != 2:20000 ] || { echo "call 15000: ERROR"; exit 1; }'
# The ASan one, when asked, fails and takes its output with it.
stub "$repo/build-asan/tests/stress/stress_test_stress" 'echo asan >>"$STUB/ran"
[ -z "${LOSE:-}" ] || { rm -f "$(readlink /proc/$$/fd/1)"; exit 1; }'
stub "$repo/build/tests/stress/stress_test_stress_threads" 'echo two-thread >>"$STUB/ran"
[ "$QV_STRESS_SEED" != 1 ] || { echo "call 7: ERROR"; exit 1; }'
soak() { (cd "$work" && rm -f ran && "$repo/scripts/soak.sh" "$@" >out 2>err); }

refused() { # <message> <arguments>...
  local line=$1
  shift
  soak "$@"
  check "$? $(cat "$work/err")" "2 soak.sh: $line" "refused: $line"
  check "$(cat "$work/ran" 2>/dev/null)" "" "what ran after: $line"
}
refused "the number of normal seeds must be a whole number from 0 to 100000, not 'x'" x 0 0
refused "the number of two-thread seeds must be a whole number from 0 to 100000, not '-5'" 2 0 -5
refused "the number of asan seeds must be a whole number from 0 to 100000, not '01'" 1 01
refused "at most three numbers of seeds, not 4" 1 1 1 1
refused "no seed to run" 0 0 0
SOAK_CALLS=0 refused "SOAK_CALLS must be a whole number from 1 to 100000000, not '0'" 1
TMPDIR=$work/gone refused \
  "the temporary folder '$work/gone' (TMPDIR) is missing or cannot be written" 1

SOAK_CALLS=20000 soak 3 1 2
check "$?" 1 "exit status with failing seeds"
check "$(cat "$work/out")" "FAILED normal-2 (replay: QV_STRESS_SEED=2 QV_STRESS_CALLS=20000 \
build/tests/stress/stress_test_stress)
call 15000: ERROR
FAILED two-thread-1 (replay: QV_STRESS_SEED=1 QV_STRESS_CALLS=20000 \
taskset -c 0 build/tests/stress/stress_test_stress_threads)
call 7: ERROR
soak: 3 normal, 1 ASan+UBSan, 2 two-thread on one core; 2 failed" "the report"
check "$(sort "$work/ran" | uniq -c | paste -sd' ' | tr -s ' ')" " 1 asan 3 normal 2 two-thread" \
  "the sessions run"
replay=$(sed -n '1s/.*(replay: \(.*\))$/\1/p' "$work/out")
(cd "$repo" && env $replay >/dev/null)
check "$?" 1 "the replay's exit status"
check "$(ls -A "$TMPDIR")" "" "temporary files after the soak"
LOSE=1 soak 0 1 0
check "$? $(cat "$work/out")" "1 a session failed and left no output
soak: 0 normal, 1 ASan+UBSan, 0 two-thread on one core; 0 failed" "a session that left no output"
soak 2 0 0
check "$? $(tail -n1 "$work/out")" \
  "0 soak: 2 normal, 0 ASan+UBSan, 0 two-thread on one core; 0 failed" "a passing soak"
exit $failed
