#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are not installed yet.
# QV_SKIP_DEPS=1 skips the check and the install, for machines that have what is needed
# by other means.
set -euo pipefail
case "${QV_SKIP_DEPS:-0}" in
  0) ;;
  1) exit 0 ;;
  *)
    echo "deps.sh: QV_SKIP_DEPS must be 0 or 1, not '$QV_SKIP_DEPS'" >&2
    exit 2
    ;;
esac
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Installing them needs root and sudo is not available. As root, run:" >&2
    echo "  apt-get install --no-install-recommends ${missing[*]}" >&2
    echo "or, when they are there by other means, set QV_SKIP_DEPS=1 to skip this step." >&2
    exit 1
  fi
  sudo=(sudo)
fi

# apt gives up at once when another apt or dpkg holds its locks (a second of our scripts, the
# boot's upgrades); we wait for them instead, five minutes at most in all. Its locks are fcntl
# locks: /proc/locks lists the held ones by device and inode (flock(1) cannot wait for them).
# Where they live is apt's to say: its configuration may move its and dpkg's state elsewhere.
apt_lists=/var/lib/apt/lists/
dpkg_status=/var/lib/dpkg/status
if command -v apt-config >/dev/null 2>&1; then
  eval "$(apt-config shell apt_lists Dir::State::lists/d dpkg_status Dir::State::status/f \
    2>/dev/null)"
fi
lists_lock=${apt_lists%/}/lock
dpkg_dir=${dpkg_status%/*}
dpkg_locks=("$dpkg_dir/lock-frontend" "$dpkg_dir/lock")
wait_limit=300
deadline=$((SECONDS + wait_limit))
said_waiting=
# Prints the first of the given lock files that a process holds; false when none is held.
held_lock() {
  local f major minor inode
  for f in "$@"; do
    read -r major minor inode < <(stat -c '%Hd %Ld %i' "$f" 2>/dev/null) || continue
    if grep -qF " $(printf '%02x:%02x' "$major" "$minor"):$inode " /proc/locks 2>/dev/null; then
      echo "$f"
      return 0
    fi
  done
  return 1
}
wait_for_locks() {
  local f
  while f=$(held_lock "$@"); do
    if [ $SECONDS -ge $deadline ]; then
      echo "The package manager stayed busy for $((wait_limit / 60)) minutes: another process" \
        "still holds $f. Run this again when it has finished." >&2
      exit 1
    fi
    [ -n "$said_waiting" ] ||
      echo "Waiting for the package manager: another process holds $f (at most" \
        "$((wait_limit / 60)) minutes)"
    said_waiting=1
    sleep 1
  done
}

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# apt-get update has no lock timeout of its own: a run that lost the lists lock to another
# process waits and runs again.
wait_for_locks "$lists_lock"
until "${sudo[@]}" apt-get update -q; do
  held_lock "$lists_lock" >/dev/null || exit 1
  wait_for_locks "$lists_lock"
done
wait_for_locks "${dpkg_locks[@]}"
# apt's own timeout covers a process that takes the lock between our look and apt's.
left=$((deadline - SECONDS))
"${sudo[@]}" apt-get install -o DPkg::Lock::Timeout=$((left > 1 ? left : 1)) -y -q \
  --no-install-recommends "${missing[@]}"
