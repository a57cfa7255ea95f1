#!/usr/bin/env bash
# scripts/deps.sh against a busy package manager, with stand-ins for apt-config, apt-get,
# dpkg-query and sudo: a holder of our own keeps the lists lock for 1 s and dpkg's front-end
# lock for 2 s while a missing package is asked for. deps.sh must call each apt-get only once
# its lock is free, say once that it waits, and install.
#   deps_waits_for_locks.sh <path of deps.sh>
set -uo pipefail
deps=$1
probe=qv-probe
work=$(mktemp -d)
holders=()
cleanup() {
  if [ ${#holders[@]} -gt 0 ]; then
    kill "${holders[@]}" 2>/dev/null
    wait "${holders[@]}" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/bin" "$work/lists" "$work/dpkg"
export STUB_DIR=$work STUB_PROBE=$probe

cat >"$work/bin/apt-config" <<'EOF'
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
EOF
cat >"$work/bin/dpkg-query" <<'EOF'
#!/bin/sh
# Everything is installed but the probe, until apt-get has installed it.
for p; do :; done
if [ "$p" = "$STUB_PROBE" ] && [ ! -e "$STUB_DIR/installed" ]; then
  echo "dpkg-query: no packages found matching $p" >&2
  exit 1
fi
printf 'install ok installed'
EOF
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/sh
# Logs each call as "<command> <free|held> <arguments>" and, as apt does, fails when the lock
# it takes is held.
case $1 in
  update) lock=$STUB_DIR/lists/lock ;;
  install) lock=$STUB_DIR/dpkg/lock-frontend ;;
  *) lock= ;;
esac
state=free
[ -n "$lock" ] && ! flock -n "$lock" true && state=held
cmd=$1
shift
echo "$cmd $state $*" >>"$STUB_DIR/calls"
[ $state = free ] || exit 100
[ "$cmd" != install ] || : >"$STUB_DIR/installed"
EOF
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work"/bin/*

# Holds lock file $1 for $2 s as flock(1) takes it. The sleep keeps the locked descriptor, so
# killing it lets the lock go.
hold() {
  { flock 3 && : >"$1.held" && exec sleep "$2"; } 3>"$1" &
  holders+=($!)
}
hold "$work/lists/lock" 1
hold "$work/dpkg/lock-frontend" 2
for _ in $(seq 50); do
  [ -e "$work/lists/lock.held" ] && [ -e "$work/dpkg/lock-frontend.held" ] && break
  sleep 0.1
done
if [ ! -e "$work/lists/lock.held" ] || [ ! -e "$work/dpkg/lock-frontend.held" ]; then
  echo "FAILED: the lock holders did not start"
  exit 1
fi

timeout 30 env -u QV_SKIP_DEPS LC_ALL=C PATH="$work/bin:$PATH" "$deps" "$probe" qv-present \
  >"$work/out" 2>&1
status=$?
cat "$work/out"
. "$(dirname "$0")/check.sh"
check "$status" 0 "deps.sh exit status"
check "$([ -e "$work/installed" ] && echo yes || echo no)" yes "$probe installed"
check "$(grep -c '^Waiting for' "$work/out")" 1 "lines saying it waits"
check "$(cut -d' ' -f1 "$work/calls" 2>/dev/null | paste -sd' ')" "update install" \
  "apt-get calls"
check "$(cut -d' ' -f2 "$work/calls" 2>/dev/null | paste -sd' ')" "free free" \
  "their locks when called"
install=$(grep '^install ' "$work/calls" 2>/dev/null)
timeout=$(sed -n 's/.* -o DPkg::Lock::Timeout=\([0-9][0-9]*\) .*/\1/p' <<<"$install")
check "$((${timeout:-0} >= 1))" 1 "install's lock timeout (${timeout:-none})"
check "${install##* }" "$probe" "the package installed"
[ $failed = 0 ] && echo "passed"
exit $failed
