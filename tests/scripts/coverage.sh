#!/usr/bin/env bash
# scripts/coverage.sh with the build, ctest and the report stubbed: the tests get a temporary
# folder of the run's own, which goes with what they leave there, whether they pass or fail.
#   coverage.sh <repository>
. "$(dirname "$0")/stub_repo.sh" "$1" scripts/coverage.sh scripts/common.sh
export STUB=$work TMPDIR=$work/tmp
mkdir "$TMPDIR"
for cmd in cmake find gcovr python3; do stub "$work/bin/$cmd" 'exit 0'; done
stub "$work/bin/ctest" 'mkdir "$TMPDIR/left by ctest"; echo "$TMPDIR" >>"$STUB/tmpdirs"
exit ${CTEST_STATUS:-0}'
for status in 0 8; do
  (cd "$work" && CTEST_STATUS=$status "$repo/scripts/coverage.sh" >out 2>err)
  check "$?" "$status" "coverage.sh's status when ctest's is $status"
  check "$(ls -A "$TMPDIR")" "" "temporary files after ctest's status $status"
done
(cd "$work" && TMPDIR=$work/gone "$repo/scripts/coverage.sh" >out 2>err)
check "$? $(cat "$work/err")" \
  "2 coverage.sh: the temporary folder '$work/gone' (TMPDIR) is missing or cannot be written" \
  "a missing TMPDIR"
mapfile -t seen <"$work/tmpdirs"
check "${#seen[@]}" 2 "ctest's runs"
check "${seen[0]%/*}" "$TMPDIR" "the folder holding ctest's TMPDIR"
check "${seen[1]%/*}" "$TMPDIR" "the folder holding ctest's TMPDIR, on a failure"
exit $failed
