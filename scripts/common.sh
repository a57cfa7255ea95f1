# Sourced by the build scripts: the checks of their settings, the build's parallelism and the
# packages a build with its tests needs. A setting that is wrong stops the script with status
# 2 before it has done anything.

# qv_whole <name> <value> <least> <most>: refuses a value that is no whole number in the range,
# written without a sign or leading zeros (a number too long for the shell is refused too).
qv_whole() {
  case "$2" in
    "" | *[!0-9]* | 0?*) ;;
    *) [ ${#2} -le 9 ] && [ "$2" -ge "$3" ] && [ "$2" -le "$4" ] && return 0 ;;
  esac
  echo "${0##*/}: $1 must be a whole number from $3 to $4, not '$2'" >&2
  exit 2
}

# qv_flag <name>: refuses a switch set to anything but 0 or 1.
qv_flag() {
  case "${!1:-0}" in
    0 | 1) ;;
    *)
      echo "${0##*/}: $1 must be 0 or 1, not '${!1}'" >&2
      exit 2
      ;;
  esac
}

# qv_tmpdir: refuses a temporary folder that is missing or cannot be written, before anything
# is made in it (mktemp would fail inside a step, or a path built from its empty answer would
# point elsewhere).
qv_tmpdir() {
  local dir=${TMPDIR:-/tmp}
  if [ ! -d "$dir" ] || [ ! -w "$dir" ] || [ ! -x "$dir" ]; then
    echo "${0##*/}: the temporary folder '$dir' (TMPDIR) is missing or cannot be written" >&2
    exit 2
  fi
}

# CMake takes a "\" in a folder name for a folder separator before its own checks can see it:
# a clone in such a folder is refused here, as CMake refuses the characters it can see.
qv_root=$(cd "${BASH_SOURCE[0]%/*}/.." && pwd)
case $qv_root in
  *\\*)
    echo "${0##*/}: a folder name holding \"\\\" cannot be built: $qv_root" >&2
    exit 2
    ;;
esac

# JOBS, or every core.
jobs=${JOBS:-$(nproc)}
qv_whole JOBS "$jobs" 1 4096
qv_flag QV_SKIP_DEPS

test_packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libpng-dev zlib1g-dev
  libfreetype-dev fonts-dejavu-core python3 python3-mido libcairo2-dev midicsv)

# How the sanitizer builds report: leaks checked, every UBSan finding fatal.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
