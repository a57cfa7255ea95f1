#!/usr/bin/env bash
# The main job: installs what is missing, builds the plug-in bundle and the stand-in host, and
# runs one musician's session with the plug-in. Every option goes to the host:
#   ./run.sh                          the default session, files in ./quorlen-session/
#   ./run.sh --key D --scale "Minor Pentatonic" --rhythm 1/16 --bars 4 --seed 7
#   ./run.sh --script my-session.txt --out my-session
#   ./run.sh --help
# Relative paths are taken from the folder it is run from. JOBS=n sets the build's
# parallelism; QV_SKIP_DEPS=1 skips the package check. A stop signal while it builds stops the
# build, and no session runs; once the session runs, the host handles it.
set -euo pipefail
repo=$(cd "$(dirname "$(readlink -f "$0")")" && pwd)
. "$repo/scripts/common.sh"
. "$repo/scripts/stop.sh"
qv_name=run.sh
qv_stopped=" while building; no session ran"

# Builds in the repository, one run.sh at a time: a later one waits for the running build and
# then finds it done.
build() {
  cd "$repo" && mkdir -p build-run && exec 9>build-run/.run-sh.lock || return
  if ! flock -n 9; then
    echo "run.sh: waiting for another run.sh's build in $repo/build-run"
    flock 9 || return
  fi
  cmake -S . -B build-run -G Ninja -DQV_TESTS=OFF >/dev/null &&
    cmake --build build-run -j "$jobs" --target auhost_run quorlen_vude
}

# The package step keeps the terminal: it may ask for a password.
(cd "$repo" && scripts/deps.sh cmake ninja-build g++ pkg-config libpng-dev zlib1g-dev \
  libfreetype-dev fonts-dejavu-core)
qv_run build
# The session runs where the caller stands, and handles the stop signals itself.
trap - INT TERM HUP
exec "$repo/build-run/host/auhost" "$@"
