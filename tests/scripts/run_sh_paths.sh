#!/usr/bin/env bash
# run.sh from another folder: it builds in its own repository but runs the host where the
# caller stands, with the arguments as given. The build is stubbed: a copy of run.sh in a
# folder of its own, a cmake that does nothing and a host that prints its folder and words.
# Run through a link from elsewhere, it finds its repository all the same.
#   run_sh_paths.sh <repository>
. "$(dirname "$0")/stub_repo.sh" "$1" run.sh scripts/common.sh scripts/stop.sh
mkdir -p "$repo/build-run/host" "$work/my work"
stub "$work/bin/cmake" 'exit 0'
stub "$repo/build-run/host/auhost" 'pwd; for a in "$@"; do echo "[$a]"; done'
ln -s "$repo/run.sh" "$work/run here"
cd "$work/my work"
want="$work/my work
[--script]
[mine.txt]
[--out]
[out here]"
check "$(JOBS=1 ../"the repo"/run.sh --script mine.txt --out "out here")" "$want" "run.sh"
check "$(JOBS=1 ../"run here" --script mine.txt --out "out here")" "$want" "a link to run.sh"
exit $failed
