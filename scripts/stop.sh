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
# (what the line adds after the signal's name). Temporary files and folders made with temp.sh
# are removed on a stop, once what the job started has ended, and when the script exits.

. "${BASH_SOURCE[0]%/*}/tree.sh"
. "${BASH_SOURCE[0]%/*}/temp.sh"

qv_name=${0##*/}
qv_stopped=

qv_stop() {
  # Nothing cuts the clean-up short: no second stop, nor a write to a reader that has gone.
  trap '' INT TERM HUP PIPE
  qv_end_jobs
  qv_temp_clear
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
trap qv_temp_clear EXIT

# Runs a command (a function too) as a job in a process group of its own, without the
# terminal's input, and waits for it; its exit status.
qv_run() {
  local status=0
  set -m
  "$@" </dev/null &
  set +m
  wait $! || status=$?
  return "$status"
}
