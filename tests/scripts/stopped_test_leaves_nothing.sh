#!/usr/bin/env bash
# A script test stopped at any command of its setup (stub_repo.sh) by SIGINT, SIGTERM, SIGHUP or
# SIGPIPE ends with that signal's status and leaves no file: the stop comes from the test
# itself, at a command counted by a DEBUG trap. So does one stopped from outside, with what it
# runs, in its body after the links to its tools, rm and sleep among them, are gone: a clean-up
# must not need what it removes. Its clean-up waits a second for a job to end, and the stop
# comes again meanwhile, as a stop sends SIGTERM again: it must not cut the clean-up short.
#   stopped_test_leaves_nothing.sh <repository>
set -uo pipefail
. "$1/scripts/temp.sh" || exit 1
. "${0%/*}/check.sh"
trap qv_temp_clear EXIT
stop_traps
mkwork || exit 1
export QV_SRC=$1 TMPDIR=$work/tmp QV_COUNT=$work/count
mkdir "$TMPDIR"
# victim.sh <command to stop at, or "body"> <signal>
cat >"$work/victim.sh" <<'EOF2'
stop_at=$1 stop_sig=$2 stop_n=0
if [ "$stop_at" != body ]; then
  set -T
  trap '((++stop_n != stop_at)) || kill -s "$stop_sig" $$' DEBUG
fi
. "$QV_SRC/tests/scripts/stub_repo.sh" "$QV_SRC" run.sh
trap - DEBUG
[ "$stop_at" = body ] || { echo "$stop_n" >"$QV_COUNT"; exit 3; } # never stopped
sleep=$(readlink "$work/tools/sleep")
rm "$work/tools/rm" "$work/tools/sleep"
bash -c 'trap "\"\$0\" 1; exit" INT TERM HUP PIPE; while :; do "$0" 0.05; done' "$sleep" &
: >"$work/ready"
"$sleep" 10
EOF2
# Its setup's commands, counted once unstopped (their number follows the length of PATH).
bash "$work/victim.sh" 0 TERM 2>>"$work/err"
check "$?" 3 "the status of a test never stopped"
total=$(cat "$QV_COUNT" 2>/dev/null)
# Stops one at each of its first commands, where its folder is made, then at a spread of the
# rest, until the setup ends before the count: a stop lost on the way would end it sooner.
codes=(INT:130 TERM:143 HUP:129 PIPE:141)
for ((at = 1, i = 0; ; at += at < 80 ? 1 : 1 + at / 8, ++i)); do
  sig=${codes[i % 4]}
  { bash "$work/victim.sh" "$at" "${sig%:*}"; } 2>>"$work/err"
  status=$?
  [ "$status" != 3 ] || break
  check "$status" "${sig#*:}" "the status of a test stopped by SIG${sig%:*} at command $at"
  check "$(ls -A "$TMPDIR")" "" "files left by a test stopped by SIG${sig%:*} at command $at"
  rm -rf "${TMPDIR:?}"/*
done
check "$((total > 80 && at > total))" 1 "the last command stopped at, $at, of $total"
for sig in "${codes[@]}"; do
  set -m
  bash "$work/victim.sh" body "${sig%:*}" 2>>"$work/err" &
  set +m
  victim=$!
  for ((i = 0; i < 200; ++i)); do
    compgen -G "$TMPDIR/*/ready" >/dev/null && break
    sleep 0.05
  done
  kill -s "${sig%:*}" -- "-$victim"
  sleep 0.3
  kill -s "${sig%:*}" -- "-$victim"
  wait "$victim"
  check "$?" "${sig#*:}" "the status of a test stopped by SIG${sig%:*} with its tools gone"
  check "$(ls -A "$TMPDIR")" "" "files left by a test stopped by SIG${sig%:*} with its tools gone"
  rm -rf "${TMPDIR:?}"/*
done
exit $failed
