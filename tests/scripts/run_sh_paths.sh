#!/usr/bin/env bash
# run.sh from another folder: it builds in its own repository but runs the host where the
# caller stands, with the arguments as given. The build is stubbed: a copy of run.sh in a
# folder of its own, a cmake that does nothing and a host that prints its folder and words.
#   run_sh_paths.sh <path of run.sh> <path of scripts/common.sh>
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
repo="$work/the repo"
mkdir -p "$repo/scripts" "$repo/build-run/host" "$work/bin" "$work/my work"
cp "$1" "$repo/run.sh"
cp "$2" "$repo/scripts/common.sh"
printf '#!/bin/sh\nexit 0\n' >"$repo/scripts/deps.sh"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/cmake"
printf '#!/bin/sh\npwd\nfor a in "$@"; do echo "[$a]"; done\n' >"$repo/build-run/host/auhost"
chmod +x "$repo/run.sh" "$repo/scripts/deps.sh" "$work/bin/cmake" "$repo/build-run/host/auhost"
cd "$work/my work"
got=$(PATH="$work/bin:$PATH" JOBS=1 ../"the repo"/run.sh --script mine.txt --out "out here")
want="$work/my work
[--script]
[mine.txt]
[--out]
[out here]"
if [ "$got" != "$want" ]; then
  printf 'expected:\n%s\ngot:\n%s\n' "$want" "$got"
  exit 1
fi
echo "run.sh runs the host from the caller's folder"
