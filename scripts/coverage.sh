#!/usr/bin/env bash
# Builds with gcov instrumentation in build-cov/, runs the whole test suite and prints the line
# and branch coverage per folder. The full report (JSON, with every function's count) is left in
# build-cov/coverage.json. JOBS=n sets the build and test parallelism (default: every core);
# QV_SKIP_DEPS=1 skips the package check. Exits non-zero when a test failed, after the report.
# The build and the tests get a temporary folder of the run's own as TMPDIR; it goes whole, with
# whatever they left there, when the run ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. scripts/common.sh
. scripts/temp.sh
qv_tmpdir
trap qv_temp_clear EXIT
qv_temp_own || {
  echo "coverage.sh: cannot make a temporary folder in ${TMPDIR:-/tmp}" >&2
  exit 1
}
scripts/deps.sh "${test_packages[@]}" gcovr

# -O0 keeps one line one count; the shared objects (platform, the bundle) are instrumented too.
# Threads update one counter at once: atomic updates keep the counts whole.
flags="--coverage -fprofile-update=atomic"
cmake -S . -B build-cov -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQV_WERROR=ON \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage \
  -DCMAKE_MODULE_LINKER_FLAGS=--coverage
cmake --build build-cov -j "$jobs"
# Counts from an earlier run would add up with this one's.
find build-cov -name '*.gcda' -delete
status=0
ctest --test-dir build-cov -j "$jobs" --output-on-failure || status=$?

# Only our own sources count: not the tests, the generated files or the system's headers.
gcovr --root . --object-directory build-cov -j "$jobs" \
  --exclude 'tests/' --exclude 'testsupport/' --exclude 'bench/' --exclude 'build[^/]*/' \
  --exclude-directories '.*/CMakeFiles/[0-9.]+' \
  --exclude-unreachable-branches --exclude-throw-branches \
  --json build-cov/coverage.json --json-summary build-cov/coverage-summary.json build-cov

python3 - build-cov/coverage-summary.json <<'EOF'
import json, os, sys
from collections import defaultdict

def group(path):
    parts = path.split("/")
    base = parts[-1]
    if path.startswith("WDL/IPlug/"):
        if base.startswith("IPlugAU"):
            return "WDL/IPlug/IPlugAU* (binding)"
        if base.startswith(("IGraphicsMac", "IGraphicsCocoa")):
            return "WDL/IPlug/IGraphicsMac,Cocoa (GUI layer)"
    if parts[0] == "WDL":
        return os.path.dirname(path) + "/"
    return parts[0] + "/" if len(parts) > 1 else path

sums = defaultdict(lambda: [0, 0, 0, 0])
for f in json.load(open(sys.argv[1]))["files"]:
    s = sums[group(f["filename"])]
    s[0] += f["line_covered"]; s[1] += f["line_total"]
    s[2] += f["branch_covered"]; s[3] += f["branch_total"]

def pct(a, b):
    return "%6.1f%%" % (100.0 * a / b) if b else "      -"

print("%-42s %8s %14s %8s %14s" % ("folder", "lines", "", "branches", ""))
total = [0, 0, 0, 0]
for name in sorted(sums):
    s = sums[name]
    total = [t + v for t, v in zip(total, s)]
    print("%-42s %s %6d/%-7d %s %6d/%-7d" % (name, pct(s[0], s[1]), s[0], s[1],
                                             pct(s[2], s[3]), s[2], s[3]))
print("%-42s %s %6d/%-7d %s %6d/%-7d" % ("all", pct(total[0], total[1]), total[0], total[1],
                                         pct(total[2], total[3]), total[2], total[3]))
EOF
exit $status
