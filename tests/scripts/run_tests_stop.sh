#!/usr/bin/env bash
# run-tests.sh as a user meets it, with the build, ctest and the fuzzers stubbed: what it
# refuses, its help, a run through a link that ends on its verdict, and a stop signal, to the
# script alone or to its whole group, that ends the run at once with one line, the signal's
# shell status, no further stage and no temporary file left.
#   run_tests_stop.sh <repository>
. "$(dirname "$0")/stub_repo.sh" "$1" run-tests.sh scripts/common.sh scripts/stop.sh
export STUB=$work TMPDIR=$work/tmp
mkdir -p "$TMPDIR" "$repo/tests/fuzz" "$repo/build-fuzz/tests/fuzz"
# Every stub notes its name; one named in $HANG notes its process and the sleep it starts and
# waits for the sleep.
hang='echo "$NAME" >>"$STUB/ran"
if [ "$NAME" = "${HANG:-}" ]; then
  echo $$ >>"$STUB/pids"; sleep 30 & echo $! >>"$STUB/pids"; wait $!
fi'
stub "$work/bin/cmake" "NAME=cmake\$1; $hang"
stub "$work/bin/clang" 'echo 14.0.6'
stub "$work/bin/ctest" "NAME=ctest; $hang"'
echo "Test project"
case ${CTEST:-pass} in
  pass) printf "100%% tests passed, 0 tests failed out of 3\n\nThe following tests did not run:\n\t  2 - A.Skip (Skipped)\n" ;;
  fail) printf "67%% tests passed, 1 tests failed out of 3\n\nThe following tests FAILED:\n\t  3 - B.Fails (Failed)\nErrors while running CTest\n"; exit 8 ;;
esac
echo "Total Test time (real) =   0.01 sec"'
for f in fuzz_a fuzz_b; do
  : >"$repo/tests/fuzz/$f.cpp"
  stub "$repo/build-fuzz/tests/fuzz/$f" "NAME=$f; $hang"
done

# Arguments and help.
(cd "$work" && "$repo/run-tests.sh" --sanitize extra >out 2>err)
check "$? $(head -c6 "$work/err")" "2 usage:" "--sanitize extra"
(cd "$work" && "$repo/run-tests.sh" --frob >out 2>err)
check "$? $(head -c6 "$work/err")" "2 usage:" "--frob"
help=$("$repo/run-tests.sh" --help 2>&1)
check "$?" 0 "--help's exit status"
for word in JOBS= QV_SKIP_DEPS= FUZZ_SECONDS= QV_APT_TESTS=; do
  grep -q -- "$word" <<<"$help" || check "no $word" "$word" "--help names it"
done

# Through a link, a run ends on its verdict.
ln -s "$repo/run-tests.sh" "$work/tests here"
check "$("$work/tests here" | tail -n1)" "run-tests.sh: 2 tests passed, 1 skipped" "passed"
check "$(CTEST=fail "$work/tests here" | tail -n2)" "run-tests.sh: 1 of 3 tests FAILED:
  B.Fails (Failed)" "failed"
check "$("$repo/run-tests.sh" --sanitize 2>&1 | tail -n1)" "passed  fuzzer: fuzz_b" "--sanitize"
check "$(ls -A "$TMPDIR")" "" "temporary files after --sanitize"

# Stops: SIGINT to the group during the tests, SIGTERM to the script during the build, SIGHUP
# during a fuzzer, where the corpus and log are temporary files.
stop() { # <signal> <to: group or script> <stub to hang in> <arguments>...
  local sig=$1 to=$2
  HANG=$3
  shift 3
  rm -f "$work/pids" "$work/ran"
  HANG=$HANG start run "$repo/run-tests.sh" "$@"
  await "$work/pids" || echo "FAILED: $HANG did not start"
  sleep 0.1
  if [ "$to" = group ]; then kill -s "$sig" -- "-$started"; else kill -s "$sig" "$started"; fi
  finish "$started"
  check "$ended" "$(($(kill -l "$sig") + 128))" "exit status on SIG$sig in $HANG"
  check "$(tail -n1 "$work/run.err")" "run-tests.sh: stopped by SIG$sig; no further test ran" \
    "last line on SIG$sig in $HANG"
  while read -r pid; do
    alive "$pid" && check "$pid" gone "a process of $HANG after SIG$sig"
  done <"$work/pids"
  check "$(tail -n1 "$work/ran")" "$HANG" "the last stub to start after SIG$sig"
  check "$(ls -A "$TMPDIR")" "" "temporary files after SIG$sig in $HANG"
}
stop INT group ctest
stop TERM script cmake--build
stop HUP script fuzz_a --sanitize
stop INT script ctest --sanitize
exit $failed
