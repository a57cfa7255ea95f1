# Sourced by our scripts and their tests: temporary files and folders that a stop at any moment
# cannot leave behind. qv_temp_file <variable> and qv_temp_dir <variable> make one, named in
# the variable and in qv_temp; qv_temp_clear [<from>] removes qv_temp's names from index <from>
# on (all of them by default). The name goes in qv_temp before the file is made (mktemp
# stopped after making one would leave it unnamed). False when none can be made.
#
# qv_temp_own makes the run's own folder, first in qv_temp, and hands it on as TMPDIR: what the
# run and everything it starts make there goes with it, whatever was ended before it could
# clean up, and nothing else lands in the TMPDIR the run was given.

qv_temp=()

qv_temp_file() { qv_temp_make "$1" qv_temp_new_file; }
qv_temp_dir() { qv_temp_make "$1" mkdir -m 700; }
qv_temp_new_file() { (umask 077 && set -C && : >"$1"); }
qv_temp_make() {
  local i name var=$1
  shift
  for ((i = 0; i < 100; ++i)); do
    name=${TMPDIR:-/tmp}/qv.$$.$RANDOM$RANDOM
    qv_temp+=("$name")
    if "$@" "$name" 2>/dev/null; then
      printf -v "$var" %s "$name"
      return 0
    fi
    unset 'qv_temp[-1]' # someone else's
  done
  return 1
}
qv_temp_own() {
  local own
  qv_temp_dir own || return 1
  export TMPDIR=$own
}
qv_temp_clear() {
  local from=${1:-0}
  [ ${#qv_temp[@]} -le "$from" ] || rm -rf -- "${qv_temp[@]:from}" || true
  qv_temp=("${qv_temp[@]:0:from}")
}
