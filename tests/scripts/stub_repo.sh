# Sourced by the tests of our scripts: copies of the named files of repository $1 in a
# repository of their own, "$repo", whose package step does nothing unless scripts/deps.sh is
# among them, all in a temporary folder "$work" removed on exit. Stub commands go in
# "$work/bin", first on PATH; the rest of PATH is links to the common tools the scripts use, in
# the same folder's "tools": once the folder is gone, a call finds nothing, never the machine's
# own command in a stub's place (a package manager above all).
#   . stub_repo.sh <repository> <file>...
set -uo pipefail
src=$1
shift
# The clean-up's own commands come from the PATH the test was given, never from the links in
# the folder it removes: a stop can cut the setup short before they are all made.
path_given=$PATH
. "$src/scripts/tree.sh" || exit 1
. "$src/scripts/temp.sh" || exit 1
. "${BASH_SOURCE[0]%/*}/check.sh"
declare -A started_as=()
# What the test started ends, whatever group it moved to, before its files go: its jobs still
# running (qv_end_jobs). Neither a second stop signal nor a write to a runner that was stopped
# first (ctest: the shell says on stderr that its command was ended) may cut the clean-up short.
# Set before the folder is made: a stop at once must not leave it.
cleanup() {
  trap '' INT TERM HUP PIPE
  PATH=$path_given
  qv_end_jobs
  qv_temp_clear
}
trap cleanup EXIT
stop_traps
mkwork || exit 1
repo="$work/the repo"
mkdir -p "$repo/scripts" "$work/bin" "$work/tools"
for f in "$@" scripts/tree.sh scripts/temp.sh; do cp "$src/$f" "$repo/$f" || exit 1; done
# Each tool is looked up on PATH without a $(...): bash (5.2) can run a stop's trap while it
# parses one, drop the trap and abandon the command or loop it was in, with no failure, so the
# setup would go on with links missing and its stop lost.
IFS=: read -r -a path_dirs <<<"$PATH"
for tool in bash sh env cat cp chmod cut dirname basename readlink flock grep head tail ls ln \
  mkdir mktemp rm rmdir sed sleep sort tee touch wc nproc seq paste xargs id stat kill true uniq \
  false printf tr setsid taskset perl; do
  found=
  for dir in "${path_dirs[@]}"; do
    [ -f "$dir/$tool" ] && [ -x "$dir/$tool" ] && found=$dir/$tool && break
  done
  [ -n "$found" ] && ln -s "$found" "$work/tools/$tool" || exit 1
done
export PATH="$work/bin:$work/tools"

# Writes an executable bash script $1 whose body is $2.
stub() {
  rm -f "$1"
  printf '#!/usr/bin/env bash\n%s\n' "$2" >"$1"
  chmod +x "$1"
}
[ -e "$repo/scripts/deps.sh" ] || stub "$repo/scripts/deps.sh" 'exit 0'

# True while process $1 runs (a zombie does not).
alive() {
  local stat
  read -r stat 2>/dev/null <"/proc/$1/stat" || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}

# Starts a script of the stub repository in a process group of its own, with the stop signals
# at their defaults (a job a script starts would begin with SIGINT ignored), its output into
# files "$work/<name>.out" and ".err". Its process id goes in $started, its group's in $group.
# A small parent of the group's own, deaf to the stop signals, keeps how it ended: a shell's
# status cannot tell a death by a signal from an exit with 128 and the signal's number. They are
# blocked across its fork, not ignored: a stop sent to the child before it has reset them waits
# for it instead of being lost.
start() {
  local name=$1
  shift
  rm -f "$work/$name.pid" "$work/$name.ended"
  set -m
  perl -e '
    use Config;
    use POSIX ();
    my $at = shift;
    my $stops = POSIX::SigSet->new(POSIX::SIGINT(), POSIX::SIGTERM(), POSIX::SIGHUP());
    POSIX::sigprocmask(POSIX::SIG_BLOCK(), $stops);
    my $pid = fork() // die "fork: $!";
    if ($pid == 0) {
      $SIG{$_} = "DEFAULT" for qw(INT TERM HUP);
      POSIX::sigprocmask(POSIX::SIG_UNBLOCK(), $stops);
      exec { $ARGV[0] } @ARGV;
      POSIX::_exit(127);
    }
    $SIG{$_} = "IGNORE" for qw(INT TERM HUP);
    POSIX::sigprocmask(POSIX::SIG_UNBLOCK(), $stops);
    sub note {
      open(my $f, ">", "$at.new") or die;
      print $f $_[0];
      close $f;
      rename "$at.new", $_[1];
    }
    note($pid, "$at.pid");
    waitpid($pid, 0);
    note(($? & 127) ? "SIG" . (split " ", $Config{sig_name})[$? & 127] : $? >> 8,
         "$at.ended");
  ' "$work/$name" "$@" >"$work/$name.out" 2>"$work/$name.err" &
  group=$!
  set +m
  started_as[$group]=$name
  await "$work/$name.pid" && started=$(<"$work/$name.pid")
}

# Waits at most 10 s for the script started in group $1 to end; how it ended in $ended: its
# exit status, or the signal that ended it (SIGINT), or "still running".
finish() {
  local i
  ended="still running"
  for ((i = 0; i < 200; ++i)); do
    if ! alive "$1"; then
      wait "$1"
      ended=$(cat "$work/${started_as[$1]}.ended" 2>/dev/null)
      return
    fi
    sleep 0.05
  done
  qv_end_tree "$1"
}

# After stop signal SIG$1 to the script started as "run": it ended by the signal with line $2
# last on stderr, and the two processes its stub noted in "$work/pids" are gone.
check_stopped() { # <signal> <line> <what>
  local pid
  finish "$group"
  check "$ended" "SIG$1" "how $3 ended"
  check "$(tail -n1 "$work/run.err")" "$2" "the last line of $3"
  check "$(wc -l <"$work/pids")" 2 "processes noted in $3"
  while read -r pid; do
    alive "$pid" && check "$pid" gone "a process of $3"
  done <"$work/pids"
}

# Waits at most 10 s until file $1 exists.
await() {
  local i
  for ((i = 0; i < 200; ++i)); do
    [ -e "$1" ] && return 0
    sleep 0.05
  done
  return 1
}

