#!/usr/bin/env bash
# run.sh stopped while it builds, by a signal to its own process: the build and what it started
# end, run.sh says so in one line, ends by the signal (so a calling shell stops too) and runs no
# session; likewise while it waits for another run.sh's build. A failed build runs no session.
# Two at once build in turn and both sessions run. The build is stubbed: each build notes its
# process and the sleep it starts, or is held until the test lets it go.
#   run_sh_stop.sh <repository>
. "$(dirname "$0")/stub_repo.sh" "$1" run.sh scripts/common.sh scripts/stop.sh
mkdir -p "$repo/build-run/host"
export STUB=$work
stub "$work/bin/cmake" '[ "$1" = --build ] || exit 0
mkdir "$STUB/building" 2>/dev/null || echo "two builds at once" >>"$STUB/log"
echo $$ >>"$STUB/pids"
if [ "$BUILD_SECONDS" = held ]; then
  for ((i = 0; i < 400; ++i)); do [ -e "$STUB/release" ] && break; sleep 0.05; done
elif [ "$BUILD_SECONDS" = fails ]; then
  rmdir "$STUB/building"
  exit 1
else
  sleep "$BUILD_SECONDS" &
  echo $! >>"$STUB/pids"
  wait $!
fi
rmdir "$STUB/building"'
stub "$repo/build-run/host/auhost" 'echo "session $*" >>"$STUB/log"'
fresh() { rm -rf "$work/pids" "$work/log" "$work/building"; }

for sig in INT TERM HUP; do
  fresh
  BUILD_SECONDS=30 start run "$repo/run.sh" --out "$sig"
  await "$work/building"
  check "$?" 0 "the build started before SIG$sig"
  kill -s "$sig" "$started"
  check_stopped "$sig" "run.sh: stopped by SIG$sig while building; no session ran" \
    "run.sh's build on SIG$sig"
  check "$(cat "$work/log" 2>/dev/null)" "" "what ran after SIG$sig"
done

fresh
BUILD_SECONDS=fails start run "$repo/run.sh" --out failed
finish "$group"
check "$ended" 1 "how run.sh ended on a failed build"
check "$(cat "$work/log" 2>/dev/null)" "" "what ran after a failed build"

# A second run.sh waits for the first one's build; stopped there, it leaves the first alone.
fresh
BUILD_SECONDS=held start first "$repo/run.sh" --out 1
first=$group
await "$work/building"
check "$?" 0 "the first build started"
BUILD_SECONDS=0 start second "$repo/run.sh" --out 2
for ((i = 0; i < 200; ++i)); do
  grep -q "waiting for another" "$work/second.out" && break
  sleep 0.05
done
check "$(cat "$work/second.out")" "run.sh: waiting for another run.sh's build in $repo/build-run" \
  "the second run.sh's line"
kill -TERM "$started"
finish "$group"
check "$ended" SIGTERM "how the waiting run.sh ended"
check "$(cat "$work/second.err")" "run.sh: stopped by SIGTERM while building; no session ran" \
  "the waiting run.sh's line"
touch "$work/release"
finish "$first"
check "$ended" 0 "exit status of the building run.sh"
check "$(cat "$work/log")" "session --out 1" "what ran"

# Two at once: the second builds when the first is done, and both sessions run.
fresh
BUILD_SECONDS=1 start a "$repo/run.sh" --out a
a=$group
BUILD_SECONDS=1 start b "$repo/run.sh" --out b
finish "$a"
check "$ended" 0 "exit status of one of two"
finish "$group"
check "$ended" 0 "exit status of the other"
check "$(sort "$work/log")" "session --out a
session --out b" "what ran"
exit $failed
