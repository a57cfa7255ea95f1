#!/usr/bin/env bash
# scripts/deps.sh against a busy package manager, with stand-ins for apt-config, apt-get,
# dpkg-query and sudo, and no other package manager on PATH. Holders of our own keep locks
# while a missing package is asked for: deps.sh must call each apt-get only once the locks it
# takes are free, say once that it waits, and install. An update that fails for another reason
# stops it, with apt's error, before any install.
#   deps_waits_for_locks.sh <path of deps.sh>
. "$(dirname "$0")/stub_repo.sh" "$(dirname "$1")/.." scripts/deps.sh
probe=qv-probe
mkdir -p "$work/lists" "$work/dpkg"
export STUB_DIR=$work STUB_PROBE=$probe

cat >"$work/bin/apt-config" <<'EOF2'
#!/bin/sh
# shell <variable> <key>...: apt's and dpkg's state in the test's folder.
[ "$1" = shell ] || exit 1
shift
while [ $# -ge 2 ]; do
  case $2 in
    Dir::State::lists/d) echo "$1='$STUB_DIR/lists/'" ;;
    Dir::State::status/f) echo "$1='$STUB_DIR/dpkg/status'" ;;
  esac
  shift 2
done
EOF2
cat >"$work/bin/dpkg-query" <<'EOF2'
#!/bin/sh
# Everything is installed but the probe, until apt-get has installed it.
for p; do :; done
if [ "$p" = "$STUB_PROBE" ] && [ ! -e "$STUB_DIR/installed" ]; then
  echo "dpkg-query: no packages found matching $p" >&2
  exit 1
fi
printf 'install ok installed'
EOF2
cat >"$work/bin/apt-get" <<'EOF2'
#!/bin/sh
# Logs each call as "<command> <free|held> <arguments>" and, as apt does, fails when a lock it
# takes is held; an update fails anyway when asked to.
case $1 in
  update) locks=$STUB_DIR/lists/lock ;;
  install) locks="$STUB_DIR/dpkg/lock-frontend $STUB_DIR/dpkg/lock" ;;
  *) locks= ;;
esac
state=free
for lock in $locks; do
  flock -n "$lock" true || state=held
done
cmd=$1
shift
echo "$cmd $state $*" >>"$STUB_DIR/calls"
[ $state = free ] || exit 100
if [ "$cmd" = update ] && [ -n "${STUB_UPDATE_FAILS:-}" ]; then
  echo "E: The repository 'qv' does not have a Release file." >&2
  exit 100
fi
[ "$cmd" != install ] || : >"$STUB_DIR/installed"
EOF2
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work"/bin/*

# Holds lock file $1 for $2 s as flock(1) takes it. The sleep keeps the locked descriptor, so
# its end lets the lock go.
hold() {
  start "hold-${1##*/}" bash -c '{ flock 3 && : >"$0.held" && exec sleep "$1"; } 3>"$0"' "$1" "$2"
  await "$1.held"
  check "$?" 0 "the holder of $1 started"
}

# Runs deps.sh for the probe and a package that is there; how it ended in $ended.
deps() {
  rm -f "$work/calls" "$work/installed" "$work"/lists/* "$work"/dpkg/*
  "$@"
  start deps bash -c 'unset QV_SKIP_DEPS; LC_ALL=C exec "$0" "$@"' "$repo/scripts/deps.sh" \
    "$probe" qv-present
  finish "$group"
}
calls() { # the calls' field $1, on one line
  cut -d' ' -f"$1" "$work/calls" 2>/dev/null | paste -sd' '
}

deps eval 'hold "$work/lists/lock" 1; hold "$work/dpkg/lock-frontend" 2'
cat "$work/deps.out" "$work/deps.err"
check "$ended" 0 "deps.sh's exit status"
check "$([ -e "$work/installed" ] && echo yes || echo no)" yes "$probe installed"
check "$(grep -c '^Waiting for' "$work/deps.out")" 1 "lines saying it waits"
check "$(calls 1)" "update install" "apt-get calls"
check "$(calls 2)" "free free" "their locks when called"
install=$(grep '^install ' "$work/calls" 2>/dev/null)
timeout=$(sed -n 's/.* -o DPkg::Lock::Timeout=\([0-9][0-9]*\) .*/\1/p' <<<"$install")
check "$((${timeout:-0} >= 1))" 1 "install's lock timeout (${timeout:-none})"
check "${install##* }" "$probe" "the package installed"

# dpkg's own lock alone, as a dpkg run outside apt holds it.
deps hold "$work/dpkg/lock" 1
check "$ended" 0 "deps.sh's exit status with dpkg's lock held"
check "$(grep -c '^Waiting for' "$work/deps.out")" 1 "lines saying it waits for dpkg's lock"
check "$(calls 1-2)" "update free install free" "apt-get calls with dpkg's lock held"

QV_SKIP_DEPS=yes "$repo/scripts/deps.sh" "$probe" 2>"$work/err"
check "$? $(cat "$work/err")" "2 deps.sh: QV_SKIP_DEPS must be 0 or 1, not 'yes'" "QV_SKIP_DEPS=yes"

deps export STUB_UPDATE_FAILS=1
check "$ended" 1 "deps.sh's exit status when the update fails"
check "$(calls 1)" "update" "apt-get calls when the update fails"
check "$(grep -c "^E: The repository 'qv'" "$work/deps.err")" 1 "apt's error shown"
exit $failed
