#!/usr/bin/env bash
# run-tests.sh as a user meets it, with the build, ctest and the fuzzers stubbed: what it
# refuses, its help, its verdicts and failures, and a stop signal, to the script alone or to
# its whole group, that ends the run at once with one line, no further stage and no temporary
# file left, by the signal itself: a loop around it, and .ci/run, stop too.
#   run_tests_stop.sh <repository>
. "$(dirname "$0")/stub_repo.sh" "$1" run-tests.sh scripts/common.sh scripts/stop.sh
export STUB=$work TMPDIR=$work/tmp
mkdir -p "$TMPDIR" "$repo/tests/fuzz" "$repo/build-fuzz/tests/fuzz" "$repo/.ci"
cp "$src/.ci/run" "$repo/.ci/run"
# Every stub notes its name, and fails when its arguments hold $FAIL; with $LEAVE it leaves a
# folder in its TMPDIR, which it notes. One named in $HANG notes its process and the sleep it
# starts and waits for the sleep, both deaf to SIGTERM with $DEAF.
hang='echo "$NAME" >>"$STUB/ran"
[ -z "${LEAVE:-}" ] || { mkdir "$TMPDIR/left by $NAME"; echo "$TMPDIR" >>"$STUB/tmpdirs"; }
case " $* " in *" ${FAIL:-none} "*) exit 1 ;; esac
case " $* " in *" ${GONE:-none} "*) rm -rf "$TMPDIR" ;; esac
if [ "$NAME" = "${HANG:-}" ]; then
  [ -z "${DEAF:-}" ] || trap "" TERM
  echo $$ >>"$STUB/pids"; sleep 30 & echo $! >>"$STUB/pids"; wait $!
fi'
stub "$work/bin/cmake" "NAME=cmake\$1; $hang"
stub "$work/bin/clang" 'echo 14.0.6'
stub "$work/bin/ctest" "NAME=ctest; $hang"'
echo "Test project"
case ${CTEST:-pass} in
  pass) printf "100%% tests passed, 0 tests failed out of 3\n\nThe following tests did not run:\n\t  2 - A.Skip (Skipped)\n" ;;
  fail) printf "33%% tests passed, 2 tests failed out of 3\n\nThe following tests FAILED:\n\t  1 - A.Fails (Failed)\n\t  3 - B.Fails (Failed)\nErrors while running CTest\n"; exit 8 ;;
  crash) echo "Segmentation fault"; exit 9 ;;
  none) echo "No tests were found!!!" ;;
esac
echo "Total Test time (real) =   0.01 sec"'
for f in fuzz_a fuzz_b; do
  : >"$repo/tests/fuzz/$f.cpp"
  stub "$repo/build-fuzz/tests/fuzz/$f" "NAME=$f; printf 'ERROR: $f %s\\n' 1 2 3 4 5 6; $hang"
done
stub "$repo/scripts/deps.sh" 'echo "$*" >"$STUB/deps"'
tests() { (cd "$work" && rm -f ran && "$repo/run-tests.sh" "$@" >out 2>err); }

# What it refuses: named first, then the usage; nothing runs.
refused() { # <first line> <arguments>...
  local line=$1
  shift
  tests "$@"
  check "$? $(head -n1 "$work/err")" "2 $line" "refused: $*"
  check "$(cat "$work/ran" 2>/dev/null)" "" "what ran after: $line"
}
refused "run-tests.sh: unknown option --frob" --frob
refused "run-tests.sh: unexpected argument extra after --sanitize" --sanitize extra
check "$(sed -n 2p "$work/err")" "usage: ./run-tests.sh [--sanitize]" "the usage after the refusal"
for jobs in 00 0 12345678901234567890 -1 x; do
  JOBS=$jobs refused "run-tests.sh: JOBS must be a whole number from 1 to 4096, not '$jobs'"
done
for s in 0 abc 007 86401; do
  FUZZ_SECONDS=$s refused \
    "run-tests.sh: FUZZ_SECONDS must be a whole number from 1 to 86400, not '$s'" --sanitize
done
QV_SKIP_DEPS=yes refused "run-tests.sh: QV_SKIP_DEPS must be 0 or 1, not 'yes'"
QV_APT_TESTS=yes refused "run-tests.sh: QV_APT_TESTS must be 0 or 1, not 'yes'"
for mode in "" --sanitize; do
  TMPDIR=$work/gone refused \
    "run-tests.sh: the temporary folder '$work/gone' (TMPDIR) is missing or cannot be written" $mode
done
# A temporary folder that passes the checks but takes no folder (/proc, to root) stops the run.
if [ -w /proc ]; then
  TMPDIR=/proc tests
  check "$? $(cat "$work/err")" \
    "1 run-tests.sh: cannot make a temporary folder in /proc; no test ran" "TMPDIR=/proc"
  check "$(cat "$work/ran" 2>/dev/null)" "" "what ran with TMPDIR=/proc"
fi
cp -r "$repo" "$work/back\\slash"
(cd "$work" && "$work/back\\slash/run-tests.sh" >out 2>err)
check "$? $(cat "$work/err")" \
  "2 run-tests.sh: a folder name holding \"\\\" cannot be built: $work/back\\slash" "a clone in back\\slash"
rm -rf "$work/back\\slash"
help=$("$repo/run-tests.sh" --help 2>&1)
check "$?" 0 "--help's exit status"
for word in JOBS= QV_SKIP_DEPS= FUZZ_SECONDS= QV_APT_TESTS=; do
  grep -q -- "$word" <<<"$help" || check "no $word" "$word" "--help names it"
done

# Through a link, a run ends on its verdict. Its build and tests get a temporary folder of the
# run's own, which goes with what they leave there.
ln -s "$repo/run-tests.sh" "$work/tests here"
check "$(LEAVE=1 "$work/tests here" | tail -n1)" "run-tests.sh: 2 tests passed, 1 skipped" "passed"
check "$(ls -A "$TMPDIR")" "" "temporary files after a run"
mapfile -t seen <"$work/tmpdirs"
check "${#seen[@]}" 3 "stubs that left a folder"
check "${seen[2]}" "${seen[0]}" "ctest's TMPDIR"
check "${seen[0]%/*}" "$TMPDIR" "the folder holding the build's TMPDIR"
check "$(CTEST=fail "$work/tests here" | tail -n3)" "run-tests.sh: 2 of 3 tests FAILED:
  A.Fails (Failed)
  B.Fails (Failed)" "failed"
CTEST=crash tests
check "$? $(tail -n1 "$work/out")" \
  "1 run-tests.sh: the tests did not finish (ctest's exit status 9)" "a ctest that names no test"
CTEST=none tests
check "$? $(tail -n1 "$work/out")" \
  "1 run-tests.sh: the tests did not finish (ctest's exit status 0)" "a ctest that ran no test"
FAIL="--build build" tests
check "$? $(tail -n1 "$work/out")" "1 run-tests.sh: the build failed; no test ran" "a failed build"
check "$(grep -c ctest "$work/ran")" 0 "ctest runs after a failed build"
check "$(LEAVE=1 "$repo/run-tests.sh" --sanitize 2>&1 | tail -n1)" "passed  fuzzer: fuzz_b" \
  "--sanitize"
check "$(cat "$work/deps")" "libclang-rt-14-dev" "the last packages --sanitize asks for"
check "$(ls -A "$TMPDIR")" "" "temporary files after --sanitize"
# A failing stage fails the run, and the summary names it, then the tests that failed in each;
# a failed fuzzers' build runs none.
CTEST=fail FAIL="-B build-fuzz" tests --sanitize
check "$?" 1 "--sanitize's exit status with failing stages"
check "$(sed -n '/^==== summary/,$p' "$work/out")" "==== summary
FAILED  ASan+UBSan: every test
FAILED  TSan: the threaded tests
FAILED  fuzzers: build
==== the tests that failed
ASan+UBSan: A.Fails (Failed)
ASan+UBSan: B.Fails (Failed)
TSan: A.Fails (Failed)
TSan: B.Fails (Failed)" "--sanitize's summary"
check "$(grep -c fuzz_ "$work/ran")" 0 "fuzzers run after a failed build"
# What failing fuzzers found is repeated at the end.
FAIL=-timeout=10 tests --sanitize
check "$(sed -n '/^==== what the fuzzers found/,$p' "$work/out")" "==== what the fuzzers found
fuzz_a:
$(printf 'ERROR: fuzz_a %s\n' 1 2 3 4 5)
fuzz_b:
$(printf 'ERROR: fuzz_b %s\n' 1 2 3 4 5)" "the fuzzers' findings"
# A temporary folder gone by the fuzzers' turn fails each of them; none runs.
GONE="build-fuzz" tests --sanitize
check "$?" 1 "--sanitize's exit status with no temporary folder for the fuzzers"
check "$(grep -c "^FAILED  fuzzer: fuzz_" "$work/out")" 2 "fuzzers failed with no temporary folder"
check "$(grep -c fuzz_ "$work/ran")" 0 "fuzzers run with no temporary folder"
mkdir -p "$TMPDIR"

# Stops: SIGINT to the group during the tests, SIGTERM to the script during the build, SIGHUP
# during a fuzzer, where the corpus and log are temporary files.
stop() { # <signal> <to: group or script> <stub to hang in> <command>...
  local sig=$1 to=$2
  HANG=$3
  shift 3
  rm -f "$work/pids" "$work/ran"
  HANG=$HANG start run "$@"
  await "$work/pids"
  check "$?" 0 "$HANG started before SIG$sig"
  sleep 0.1
  if [ "$to" = group ]; then kill -s "$sig" -- "-$group"; else kill -s "$sig" "$started"; fi
  check_stopped "$sig" "run-tests.sh: stopped by SIG$sig; no further test ran" \
    "the run on SIG$sig in $HANG"
  check "$(tail -n1 "$work/ran")" "$HANG" "the last stub to start after SIG$sig"
  check "$(ls -A "$TMPDIR")" "" "temporary files after SIG$sig in $HANG"
}
tests=$repo/run-tests.sh
stop INT group ctest "$tests"
stop TERM script cmake--build "$tests"
stop HUP script fuzz_a "$tests" --sanitize
stop INT script ctest "$tests" --sanitize
# What SIGTERM does not end is killed once the grace period is over, and what it left goes.
LEAVE=1 DEAF=1 qv_tree_grace=1 stop INT group ctest "$tests"
# Its stop line written where no one reads any more (a pipe to a pager that got Ctrl-C too) does
# not change how it ends.
rm -f "$work/pids"
HANG=ctest start run bash -c 'exec 2> >(:); exec "$0"' "$tests"
await "$work/pids"
kill -INT "$started"
finish "$group"
check "$ended" SIGINT "how the run ended with no reader of its stop line"

# A stop of the whole group stops what called the run too: the second run never starts.
stop INT group ctest bash -c 'for i in 1 2; do echo "run $i" >>"$STUB/loop"; "$0"; done' \
  "$tests"
check "$(cat "$work/loop")" "run 1" "the runs a stopped loop started"
stop INT group ctest "$repo/.ci/run"
check "$(grep -c cmake-S "$work/ran")" 1 "builds configured by a stopped .ci/run"
# The stop of the run alone stops .ci/run too.
for sig in INT:130 TERM:143 HUP:129; do
  rm -f "$work/pids" "$work/ran"
  HANG=ctest start ci "$repo/.ci/run"
  await "$work/pids"
  qv_tree_scan
  for pid in "${!qv_tree_parent[@]}"; do
    [ "${qv_tree_parent[pid]}" != "$started" ] || kill -s "${sig%:*}" "$pid"
  done
  finish "$group"
  check "$ended" "${sig#*:}" "how .ci/run ended when its run was stopped by SIG${sig%:*}"
  check "$(grep -c cmake-S "$work/ran")" 1 "builds configured after SIG${sig%:*} to the run"
done
exit $failed
