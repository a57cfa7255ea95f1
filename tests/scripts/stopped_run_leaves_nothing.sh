#!/usr/bin/env bash
# A stopped test run leaves nothing behind. run-tests.sh, its build stubbed but ctest real, runs
# our script tests, which start processes in groups and sessions of their own and put stand-ins
# of the package manager on PATH; it is stopped at moments across their first seconds: SIGINT
# to its group and to it alone, SIGTERM, SIGHUP. The package step's test is also stopped alone
# while it waits for its locks. Within 3 s of each stop no process of the run may live, its
# temporary folder must be empty, and no call may have reached the package manager: tripwires
# named as its commands stand on PATH ahead of the machine's own and log any call.
#   stopped_run_leaves_nothing.sh <repository>
machine_path=$PATH
. "$(dirname "$0")/stub_repo.sh" "$1" run-tests.sh scripts/common.sh scripts/stop.sh
export QV_SRC=$src STUB=$work TMPDIR=$work/tmp
mkdir -p "$TMPDIR" "$repo/build" "$work/trip"
for cmd in apt-get apt-config dpkg dpkg-query sudo; do
  stub "$work/trip/$cmd" "echo \"$cmd \$*\" >>\"\$STUB/tripped\"; exit 1"
done
stub "$work/bin/cmake" 'exit 0'
PATH="$work/bin:$work/trip:$machine_path"
# The tests that start processes, each run as ctest runs it, and one that leaves its own in a
# session and a group of their own, with no clean-up at all.
for t in deps_waits_for_locks:/scripts/deps.sh run_sh_stop: run_tests_stop: run_sh_paths:; do
  echo "add_test(${t%:*} bash -c \"exec bash \\\"\$QV_SRC/tests/scripts/${t%:*}.sh\\\"" \
    "\\\"\$QV_SRC${t#*:}\\\"\")"
done >"$repo/build/CTestTestfile.cmake"
echo 'add_test(careless bash -c "setsid sleep 60 & timeout 60 sleep 60 & wait")' \
  >>"$repo/build/CTestTestfile.cmake"

mark=qv-stopped-run-$$-$RANDOM
# The processes started with the mark in their environment, as "pid: command line".
marked() {
  local pid
  for pid in $(marked_with "QV_STOP_MARK=$mark"); do
    echo "$pid: $(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)"
  done
}
# Waits at most 3 s for the stopped run to leave nothing; checks what is left.
left() { # <what was stopped>
  local i
  for ((i = 0; i < 60; ++i)); do
    [ -z "$(marked)" ] && [ -z "$(ls -A "$TMPDIR")" ] && break
    sleep 0.05
  done
  check "$(marked)" "" "processes left 3 s after $1"
  check "$(ls -A "$TMPDIR")" "" "temporary files left 3 s after $1"
  [ -z "$(ls -A "$TMPDIR")" ] || ls -AR "$TMPDIR"
  check "$(cat "$work/tripped" 2>/dev/null)" "" "calls to the package manager after $1"
  qv_end_tree $(marked | cut -d: -f1) # a failed check ends here, not in a later test
  rm -rf "$TMPDIR"/* "$work/tripped"
}
# Starts $@ with the mark; true once its tests have made their first temporary folder: a
# folder in the run's own.
run() {
  start run bash -c 'export QV_STOP_MARK=$0; exec "$@"' "$mark" "$@"
  local i made
  for ((i = 0; i < 200; ++i)); do
    for made in "$TMPDIR"/*/*/; do
      [ -d "$made" ] && return 0
    done
    sleep 0.05
  done
  return 1
}

for stop in "INT group 0" "INT script 0.5" "TERM script 1" "HUP group 1.5" "TERM group 2.2"; do
  read -r sig to after <<<"$stop"
  run "$repo/run-tests.sh"
  check "$?" 0 "the tests started before SIG$sig"
  sleep "$after"
  if [ "$to" = group ]; then kill -s "$sig" -- "-$group"; else kill -s "$sig" "$started"; fi
  finish "$group"
  check "$ended" "SIG$sig" "how the run ended on SIG$sig to the $to after $after s"
  left "SIG$sig to the $to after $after s"
done

# The package step's test, stopped while deps.sh waits for the locks.
run bash "$src/tests/scripts/deps_waits_for_locks.sh" "$src/scripts/deps.sh"
for ((i = 0; i < 200; ++i)); do
  grep -qs '^Waiting for' "$TMPDIR"/*/*out && break
  sleep 0.05
done
check "$(cat "$TMPDIR"/*/*out 2>/dev/null | grep -c '^Waiting for')" 1 "deps.sh waiting"
kill -TERM -- "-$group"
finish "$group"
left "SIGTERM to the package step's test"
exit $failed
