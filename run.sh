#!/usr/bin/env bash
# The main job: installs what is missing, builds the plug-in bundle and the stand-in host, and
# runs one musician's session with the plug-in. Every option goes to the host:
#   ./run.sh                          the default session, files in ./quorlen-session/
#   ./run.sh --key D --scale "Minor Pentatonic" --rhythm 1/16 --bars 4 --seed 7
#   ./run.sh --script my-session.txt --out my-session
#   ./run.sh --help
# Relative paths are taken from the folder it is run from. JOBS=n sets the build's
# parallelism; QV_SKIP_DEPS=1 skips the package check.
set -euo pipefail
repo=$(cd "$(dirname "$0")" && pwd)
# The build happens in the repository; the session runs where the caller stands.
(
  cd "$repo"
  . scripts/common.sh
  scripts/deps.sh cmake ninja-build g++ pkg-config libpng-dev zlib1g-dev libfreetype-dev \
    fonts-dejavu-core
  cmake -S . -B build-run -G Ninja -DQV_TESTS=OFF >/dev/null
  cmake --build build-run -j "$jobs" --target auhost_run quorlen_vude
)
exec "$repo/build-run/host/auhost" "$@"
