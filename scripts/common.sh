# Sourced by the build scripts: the build's parallelism and the packages a build with its tests
# needs.

# JOBS, or every core; exits the script with status 2 when JOBS is no positive number.
jobs=${JOBS:-$(nproc)}
case "$jobs" in
  "" | *[!0-9]* | 0) echo "JOBS must be a positive number, not '$jobs'" >&2; exit 2 ;;
esac

test_packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libpng-dev zlib1g-dev
  libfreetype-dev fonts-dejavu-core python3 python3-mido libcairo2-dev midicsv)

# How the sanitizer builds report: leaks checked, every UBSan finding fatal.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
