#!/usr/bin/env bash
# Builds and runs every test.
#   ./run-tests.sh             normal build (build/)
#   ./run-tests.sh --sanitize  ASan+UBSan build (build-asan/), the threaded tests under TSan
#                              (build-tsan/), then a short run of each fuzzer
# JOBS=n sets the build and test parallelism (default: every core); QV_SKIP_DEPS=1 skips
# the package check (scripts/deps.sh); FUZZ_SECONDS=n sets each fuzzer's run (default 20).
set -euo pipefail
cd "$(dirname "$0")"
mode=normal
case "${1:-}" in
  "") ;;
  --sanitize) mode=sanitize ;;
  *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
esac
. scripts/common.sh
scripts/deps.sh "${test_packages[@]}"

if [ $mode = normal ]; then
  cmake -S . -B build -G Ninja -DQV_WERROR=ON
  cmake --build build -j "$jobs"
  ctest --test-dir build -j "$jobs" --output-on-failure
  exit 0
fi

# Every stage runs even when an earlier one failed, so one failure hides nothing; the summary
# at the end names each stage's result.
summary=()
failed=0
stage() {
  local name=$1
  shift
  echo "==== $name"
  if "$@"; then
    summary+=("passed  $name")
  else
    summary+=("FAILED  $name")
    failed=1
  fi
}

asan() {
  cmake -S . -B build-asan -G Ninja -DQV_SANITIZE=ON &&
    cmake --build build-asan -j "$jobs" &&
    ctest --test-dir build-asan -j "$jobs" --output-on-failure
}
stage "ASan+UBSan: every test" asan

# ThreadSanitizer over the tests labelled "threads" (files named test_*_threads.cpp).
tsan() {
  cmake -S . -B build-tsan -G Ninja -DQV_TSAN=ON &&
    cmake --build build-tsan -j "$jobs" --target qv_threaded_tests &&
    ctest --test-dir build-tsan -L threads -j "$jobs" --output-on-failure
}
stage "TSan: the threaded tests" tsan

# Fuzzers: clang's libFuzzer, each run briefly from its seed corpus.
fuzz_build() {
  scripts/deps.sh clang &&
    ver=$(clang -dumpversion | cut -d. -f1) &&
    scripts/deps.sh "libclang-rt-$ver-dev" &&
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DQV_FUZZ=ON -DQV_TESTS=OFF &&
    cmake --build build-fuzz -j "$jobs"
}
# A failing run's finding (its error, and the input as base64 to replay with the fuzzer) is
# repeated after the summary, where a log cut to its end still shows it.
findings=()
fuzz_run() {
  local name=$1 corpus log status
  corpus=$(mktemp -d)
  log=$(mktemp)
  [ -d "tests/fuzz/corpus/$name" ] && cp -r "tests/fuzz/corpus/$name/." "$corpus/"
  build-fuzz/tests/fuzz/"$name" -max_total_time="${FUZZ_SECONDS:-20}" -rss_limit_mb=2048 \
    -timeout=10 -print_final_stats=1 -artifact_prefix="$corpus/" "$corpus" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  if [ "$status" != 0 ]; then
    findings+=("$name:")
    mapfile -t -O "${#findings[@]}" findings < <(grep -E 'ERROR|SUMMARY|^Base64' "$log" | head -5)
  fi
  rm -rf "$corpus" "$log"
  return "$status"
}
if compgen -G "tests/fuzz/fuzz_*.cpp" >/dev/null; then
  stage "fuzzers: build" fuzz_build
  if [ "${summary[-1]}" = "passed  fuzzers: build" ]; then
    for src in tests/fuzz/fuzz_*.cpp; do
      name=$(basename "$src" .cpp)
      stage "fuzzer: $name" fuzz_run "$name"
    done
  fi
fi

echo "==== summary"
printf '%s\n' "${summary[@]}"
[ ${#findings[@]} = 0 ] || printf '%s\n' "==== what the fuzzers found" "${findings[@]}"
exit $failed
