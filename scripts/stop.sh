# Sourced by run.sh and run-tests.sh: a stop signal (SIGINT, SIGTERM, SIGHUP), sent to the
# script alone or to its whole process group, stops the command it is running and everything
# that command started, and the script with it: nothing further starts.
#
# A long command runs as a job in a process group of its own (qv_run). bash runs a trap only
# once a foreground command has ended, but it breaks off `wait` at once; and the job's group
# lets the trap end the job's whole tree. Commands that may ask for a password (the package
# step) run in the foreground instead, keeping the terminal; a stop then takes effect when
# they end.
#
# The script sets qv_name (its name in the line; its file's name by default) and qv_stopped
# (what the line adds after the signal's name), and may add files and folders to qv_temp,
# removed on a stop.

qv_name=${0##*/}
qv_stopped=
qv_temp=()
qv_job=

# True while a process of group $1 lives (zombies aside): read from /proc, as ps may be missing.
qv_group_alive() {
  local f stat fields
  for f in /proc/[0-9]*/stat; do
    read -r stat 2>/dev/null <"$f" || continue
    read -r -a fields <<<"${stat##*) }" # state, parent, group, ...
    [ "${fields[2]}" = "$1" ] && [ "${fields[0]}" != Z ] && return 0
  done
  return 1
}

qv_stop() {
  trap '' INT TERM HUP
  # A stop between a job's start and the note of its process id finds it as the last job.
  [ "$qv_job" != starting ] || qv_job=${!:-}
  if [ -n "$qv_job" ]; then
    kill -TERM -- "-$qv_job" 2>/dev/null || true
    wait "$qv_job" 2>/dev/null || true
    local i
    for ((i = 0; i < 100; ++i)); do
      qv_group_alive "$qv_job" || break
      sleep 0.05
    done
    kill -KILL -- "-$qv_job" 2>/dev/null || true
  fi
  [ ${#qv_temp[@]} -eq 0 ] || rm -rf -- "${qv_temp[@]}"
  echo "$qv_name: stopped by SIG$1$qv_stopped" >&2
  exit "$2"
}
trap 'qv_stop INT 130' INT
trap 'qv_stop TERM 143' TERM
trap 'qv_stop HUP 129' HUP

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
