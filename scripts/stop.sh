# Sourced by run.sh and run-tests.sh: a stop signal (SIGINT, SIGTERM, SIGHUP), sent to the
# script alone or to its whole process group, stops the command it is running and everything
# that command started, and the script with it: nothing further starts.
#
# A long command runs as a job in a process group of its own (qv_run). bash runs a trap only
# once a foreground command has ended, but it breaks off `wait` at once. The trap ends the
# job's whole tree, in whatever group its processes are (tree.sh). Commands that may ask for a
# password (the package step) run in the foreground instead, keeping the terminal; a stop then
# takes effect when they end.
#
# The script sets qv_name (its name in the line; its file's name by default) and qv_stopped
# (what the line adds after the signal's name). Temporary files and folders made by qv_temp_file
# and qv_temp_dir are in qv_temp, removed on a stop.

. "${BASH_SOURCE[0]%/*}/tree.sh"

qv_name=${0##*/}
qv_stopped=
qv_temp=()
qv_job=

qv_stop() {
  # Nothing cuts the clean-up short: no second stop, nor a write to a reader that has gone.
  trap '' INT TERM HUP PIPE
  # A stop between a job's start and the note of its process id finds it as the last job.
  [ "$qv_job" != starting ] || qv_job=${!:-}
  if [ -n "$qv_job" ]; then
    qv_end_tree "$qv_job" || true
    wait "$qv_job" 2>/dev/null || true
  fi
  [ ${#qv_temp[@]} -eq 0 ] || rm -rf -- "${qv_temp[@]}" || true
  echo "$qv_name: stopped by SIG$1$qv_stopped" >&2 || true
  # Ending by the signal itself tells a calling shell that the stop was not handled here, so a
  # loop or script around this one stops too. A signal ignored since the start cannot be reset:
  # then its shell status.
  trap - "$1"
  kill -s "$1" "$$"
  exit "$2"
}
trap 'qv_stop INT 130' INT
trap 'qv_stop TERM 143' TERM
trap 'qv_stop HUP 129' HUP

# qv_temp_file <variable> and qv_temp_dir <variable>: a new temporary file or folder, named in
# the variable and in qv_temp. The name goes in qv_temp before the file is made, so a stop at
# any moment leaves none (mktemp stopped after making one would leave it unnamed). False when
# none can be made.
qv_temp_file() { qv_temp_make "$1" "(umask 077 && set -C && : >\"\$0\") 2>/dev/null"; }
qv_temp_dir() { qv_temp_make "$1" 'mkdir -m 700 "$0" 2>/dev/null'; }
qv_temp_make() {
  local i name
  for ((i = 0; i < 100; ++i)); do
    name=${TMPDIR:-/tmp}/qv.$$.$RANDOM$RANDOM
    qv_temp+=("$name")
    if bash -c "$2" "$name"; then
      printf -v "$1" %s "$name"
      return 0
    fi
    unset 'qv_temp[-1]' # someone else's
  done
  return 1
}

# Runs a command (a function too) as a job in a process group of its own, without the
# terminal's input, and waits for it; its exit status.
qv_run() {
  local status=0
  qv_job=starting
  set -m
  "$@" </dev/null &
  qv_job=$!
  set +m
  wait "$qv_job" || status=$?
  qv_job=
  return "$status"
}
