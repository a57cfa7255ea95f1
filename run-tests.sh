#!/usr/bin/env bash
# Builds and runs every test; see usage below. A stop signal (Ctrl-C, SIGTERM, SIGHUP) stops
# the whole run at once, and no further test or stage starts.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")"
usage() {
  cat <<'EOF'
usage: ./run-tests.sh [--sanitize]
  (no argument)  the normal build (build/) and every test
  --sanitize     every test under ASan+UBSan (build-asan/), the threaded tests under TSan
                 (build-tsan/), then a short run of each fuzzer (build-fuzz/)
  --help         this text
Environment:
  JOBS=n          build and test parallelism, 1-4096 (default: every core)
  QV_SKIP_DEPS=1  skip the package step (scripts/deps.sh), for machines that have the
                  packages by other means
  FUZZ_SECONDS=n  each fuzzer's run with --sanitize, 1-86400 (default 20)
  QV_APT_TESTS=1  also test the package step against the machine's real package manager
                  (needs root and the mirror; installs and removes a small package)
EOF
}
# Names what it refuses, then the usage.
refuse() {
  echo "run-tests.sh: $1" >&2
  usage >&2
  exit 2
}
mode=normal
if [ $# -gt 0 ]; then
  case $1 in
    --sanitize) mode=sanitize ;;
    --help | -h)
      [ $# = 1 ] || refuse "unexpected argument $2 after $1"
      usage
      exit 0
      ;;
    -*) refuse "unknown option $1" ;;
    *) refuse "unexpected argument $1" ;;
  esac
  [ $# = 1 ] || refuse "unexpected argument $2 after $1"
fi
. scripts/common.sh
qv_tmpdir
qv_flag QV_APT_TESTS
[ $mode = normal ] || qv_whole FUZZ_SECONDS "${FUZZ_SECONDS:-20}" 1 86400
. scripts/stop.sh
qv_name=run-tests.sh
# Output is read through a pipe into the read or mapfile at its end, run in this shell, never
# with $(...) or <(...): bash can lose a stop's trap while it parses one of those.
shopt -s lastpipe
qv_stopped="; no further test ran"
# The run's own temporary folder, handed to the build and the tests as TMPDIR: whatever they
# leave there goes with it, once the run's tree has ended, at its end or on a stop.
qv_temp_own || {
  echo "run-tests.sh: cannot make a temporary folder in ${TMPDIR:-/tmp}; no test ran" >&2
  exit 1
}
# The package step keeps the terminal: it may ask for a password.
scripts/deps.sh "${test_packages[@]}"
# Temporary files for ctest's output, named in the variables given.
logs() {
  local var
  for var; do
    qv_temp_file "$var" || {
      echo "run-tests.sh: cannot make a temporary file in ${TMPDIR:-/tmp}; no test ran" >&2
      exit 1
    }
  done
}
# The tests a ctest log names as failed, one a line: "<name> (<how it failed>)".
failed_tests() {
  sed -n '/^The following tests FAILED:/,/^[^[:space:]]/s/^[[:space:]]*[0-9]* - //p' "$1"
}

if [ $mode = normal ]; then
  build() {
    cmake -S . -B build -G Ninja -DQV_WERROR=ON && cmake --build build -j "$jobs"
  }
  if ! qv_run build; then
    echo "run-tests.sh: the build failed; no test ran"
    exit 1
  fi
  logs log
  tests() {
    ctest --test-dir build -j "$jobs" --output-on-failure 2>&1 | tee "$log"
  }
  status=0
  qv_run tests || status=$?
  # The verdict comes last, where a glance at the end finds it.
  summary=
  grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" |
    IFS= read -r summary || true
  failed_tests "$log" | mapfile -t failed
  grep -c '(Skipped)$' "$log" | read -r skipped || true
  qv_temp_clear
  if [ -z "$summary" ] || { [ "$status" != 0 ] && [ ${#failed[@]} = 0 ]; }; then
    echo "run-tests.sh: the tests did not finish (ctest's exit status $status)"
    exit 1
  fi
  total=${summary##* }
  if [ "$status" = 0 ] && [ ${#failed[@]} = 0 ]; then
    if [ "$skipped" = 0 ]; then
      echo "run-tests.sh: $total tests passed"
    else
      echo "run-tests.sh: $((total - skipped)) tests passed, $skipped skipped"
    fi
    exit 0
  fi
  echo "run-tests.sh: ${#failed[@]} of $total tests FAILED:"
  printf '  %s\n' "${failed[@]}"
  exit 1
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

# Each ctest's output is kept too: the tests that failed are named again after the summary,
# where a log cut to its end still shows them.
logs asan_log tsan_log
asan() {
  cmake -S . -B build-asan -G Ninja -DQV_SANITIZE=ON &&
    cmake --build build-asan -j "$jobs" &&
    ctest --test-dir build-asan -j "$jobs" --output-on-failure 2>&1 | tee "$asan_log"
}
stage "ASan+UBSan: every test" qv_run asan

# ThreadSanitizer over the tests labelled "threads" (files named test_*_threads.cpp).
tsan() {
  cmake -S . -B build-tsan -G Ninja -DQV_TSAN=ON &&
    cmake --build build-tsan -j "$jobs" --target qv_threaded_tests &&
    ctest --test-dir build-tsan -L threads -j "$jobs" --output-on-failure 2>&1 | tee "$tsan_log"
}
stage "TSan: the threaded tests" qv_run tsan
failures=()
failed_tests "$asan_log" | sed 's/^/ASan+UBSan: /' | mapfile -t -O 0 failures || true
failed_tests "$tsan_log" | sed 's/^/TSan: /' | mapfile -t -O "${#failures[@]}" failures || true

# Fuzzers: clang's libFuzzer, each run briefly from its seed corpus. The packages come first,
# in the foreground.
fuzz_compile() {
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DQV_FUZZ=ON -DQV_TESTS=OFF &&
    cmake --build build-fuzz -j "$jobs"
}
fuzz_build() {
  scripts/deps.sh clang &&
    clang -dumpversion | IFS=. read -r ver _ &&
    scripts/deps.sh "libclang-rt-$ver-dev" &&
    qv_run fuzz_compile
}
# A failing run's finding (its error, and the input as base64 to replay with the fuzzer) is
# repeated after the summary, where a log cut to its end still shows it.
findings=()
fuzz_one() {
  build-fuzz/tests/fuzz/"$1" -max_total_time="${FUZZ_SECONDS:-20}" -rss_limit_mb=2048 \
    -timeout=10 -print_final_stats=1 -artifact_prefix="$2/" "$2" 2>&1 | tee "$3"
}
fuzz_run() {
  local name=$1 corpus log status=0 own=${#qv_temp[@]}
  # Both are checked: an empty name would put the corpus in / and the findings beside it.
  qv_temp_dir corpus || return 1
  qv_temp_file log || {
    qv_temp_clear "$own"
    return 1
  }
  [ -d "tests/fuzz/corpus/$name" ] && cp -r "tests/fuzz/corpus/$name/." "$corpus/"
  qv_run fuzz_one "$name" "$corpus" "$log" || status=$?
  if [ "$status" != 0 ]; then
    findings+=("$name:")
    grep -E 'ERROR|SUMMARY|^Base64' "$log" | head -5 | mapfile -t -O "${#findings[@]}" findings ||
      true
  fi
  qv_temp_clear "$own"
  return "$status"
}
if compgen -G "tests/fuzz/fuzz_*.cpp" >/dev/null; then
  stage "fuzzers: build" fuzz_build
  if [ "${summary[-1]}" = "passed  fuzzers: build" ]; then
    for src in tests/fuzz/fuzz_*.cpp; do
      name=${src##*/}
      name=${name%.cpp}
      stage "fuzzer: $name" fuzz_run "$name"
    done
  fi
fi

echo "==== summary"
printf '%s\n' "${summary[@]}"
[ ${#failures[@]} = 0 ] || printf '%s\n' "==== the tests that failed" "${failures[@]}"
[ ${#findings[@]} = 0 ] || printf '%s\n' "==== what the fuzzers found" "${findings[@]}"
exit $failed
