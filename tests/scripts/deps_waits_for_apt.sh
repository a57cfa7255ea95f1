#!/usr/bin/env bash
# scripts/deps.sh against a busy package manager: the lists lock held for 10 s and dpkg's
# front-end lock for 20 s while it is asked for a small missing package. It must wait for
# each, say once that it waits, and install. Needs root and the mirror: exits 77 (skipped)
# without either, or when apt is busy already.
#   deps_waits_for_apt.sh <path of deps.sh>
set -uo pipefail
deps=$1
probe=hello # small, and needs nothing but libc
skip() {
  echo "skipped: $*"
  exit 77
}
# It takes the machine's own apt and dpkg locks and installs a real package: only when asked.
[ "${QV_APT_TESTS:-0}" = 1 ] || skip "runs only with QV_APT_TESTS=1"
[ "$(id -u)" = 0 ] || skip "installing needs root"
command -v python3 >/dev/null || skip "the lock holder needs python3"
dpkg-query -W -f='${Status}' "$probe" 2>/dev/null | grep -q 'install ok installed' &&
  skip "$probe is installed already"
. "${deps%/*}/temp.sh" || exit 1
. "$(dirname "$0")/check.sh"
holder=
cleanup() {
  [ -n "$holder" ] && kill "$holder" 2>/dev/null
  # Leave the machine as it was: the package goes again when this test put it there.
  if dpkg-query -W -f='${Status}' "$probe" 2>/dev/null | grep -q 'install ok installed'; then
    apt-get purge -y -q "$probe" >/dev/null 2>&1
  fi
  qv_temp_clear
}
trap cleanup EXIT
stop_traps
mkwork || exit 1
(cd "$work" && timeout --foreground 30 apt-get download -q "$probe" >/dev/null 2>&1) ||
  skip "cannot fetch $probe from the mirror (no network, or no package lists yet)"

# apt takes fcntl locks, which flock(1) does not see: hold them as apt would. Exit 3 when
# another process holds one already.
python3 - >"$work/held" 2>&1 <<'PY' &
import fcntl, os, sys, time
fds = []
for path in ("/var/lib/apt/lists/lock", "/var/lib/dpkg/lock-frontend"):
    fd = os.open(path, os.O_RDWR | os.O_CREAT, 0o640)
    try:
        fcntl.lockf(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        sys.exit(3)
    fds.append(fd)
print("held", flush=True)
time.sleep(10)
os.close(fds[0])
time.sleep(10)
PY
holder=$!
for _ in $(seq 50); do
  grep -q held "$work/held" && break
  kill -0 "$holder" 2>/dev/null || break
  sleep 0.1
done
grep -q held "$work/held" || skip "apt is busy with another process"
start=$SECONDS

# In the C locale apt's own lines are known: its "Waiting for cache lock" counts as saying it too.
(unset QV_SKIP_DEPS && LC_ALL=C "$deps" "$probe" >"$work/out" 2>&1)
status=$?
took=$((SECONDS - start))
cat "$work/out"
check "$status" 0 "deps.sh exit status"
check "$(dpkg-query -W -f='${Status}' "$probe" 2>/dev/null)" "install ok installed" "$probe"
check "$(grep -c '^Waiting for' "$work/out")" 1 "lines saying it waits"
# Installing took the front-end lock, which came free 20 s after the start.
check "$((took >= 19))" 1 "waited 19 s or more (took $took s)"
[ $failed = 0 ] && echo "passed"
exit $failed
