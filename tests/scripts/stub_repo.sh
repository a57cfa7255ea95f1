# Sourced by the tests of our scripts: copies of the named files of repository $1 in a
# repository of their own, "$repo", whose package step does nothing, all in a temporary folder
# "$work" removed on exit. Stub commands go in "$work/bin", first on PATH.
#   . stub_repo.sh <repository> <file>...
set -uo pipefail
work=$(mktemp -d)
jobs_started=()
# The scripts under test run in process groups of their own: a stopped test ends them too.
cleanup() {
  local pid
  for pid in "${jobs_started[@]}"; do
    kill -TERM -- "-$pid" 2>/dev/null && finish "$pid"
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
repo="$work/the repo"
mkdir -p "$repo/scripts" "$work/bin"
src=$1
shift
for f; do cp "$src/$f" "$repo/$f"; done
export PATH="$work/bin:$PATH"

# Writes an executable bash script $1 whose body is $2.
stub() {
  printf '#!/usr/bin/env bash\n%s\n' "$2" >"$1"
  chmod +x "$1"
}
stub "$repo/scripts/deps.sh" 'exit 0'

# True while process $1 runs (a zombie does not).
alive() {
  local stat
  read -r stat 2>/dev/null <"/proc/$1/stat" || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}

# Starts a script of the stub repository as a job of its own, with the stop signals at their
# defaults (a job a script starts would begin with SIGINT ignored), its output into files
# "$work/<name>.out" and ".err"; its process id in $started.
start() {
  local name=$1
  shift
  set -m
  env --default-signal=INT,TERM,HUP "$@" >"$work/$name.out" 2>"$work/$name.err" &
  started=$!
  jobs_started+=("$started")
  set +m
}

# Waits at most 10 s for process $1 to end; its exit status in $ended, or "still running".
finish() {
  local i
  ended="still running"
  for ((i = 0; i < 200; ++i)); do
    if ! alive "$1"; then
      wait "$1"
      ended=$?
      return
    fi
    sleep 0.05
  done
  kill -KILL -- "-$1" 2>/dev/null
}

# Waits at most 10 s until file $1 exists.
await() {
  local i
  for ((i = 0; i < 200; ++i)); do
    [ -e "$1" ] && return 0
    sleep 0.05
  done
  return 1
}

. "$(dirname "${BASH_SOURCE[0]}")/check.sh"
