# Sourced by our scripts and their tests, under `set -eu` too: qv_end_tree ends processes and
# everything they started, whatever process group or session a descendant moved to, and
# returns once none of them lives. Read from /proc, as ps may be missing.
#
# A process that dies hands its children to init, where no parent links them to the tree any
# more, and a descendant may leave its group (setsid, set -m, timeout). So the tree is frozen
# first: each process found is stopped (it can then neither fork nor die), and the search goes
# on from the stopped ones until it finds none new. The groups of the processes found count as
# the tree too, for orphans that stay in their group. Then all are sent SIGTERM and let go,
# children before their parents: a parent that dies first would leave its stopped children in
# an orphaned group, which the kernel and some runners (ctest) treat harshly, cutting their
# clean-up short. What the clean-up starts is followed alike, and whatever still lives after
# the grace period is frozen again and killed.
#
# A shell can lose a stop signal: bash (5.2) may run a trap while it parses a $(...) or <(...)
# it is about to run, the trap's action then fails to parse ("unexpected EOF while looking for
# matching `)'") and the shell goes on as if no signal came. So SIGTERM is sent again, once a
# second, to those first asked that still live; what their clean-up started is never hurried.
# The waits are measured in seconds, not turns of a scan that slows down on a loaded machine.

qv_tree_grace=${qv_tree_grace:-5}
# How long a freeze waits for a member that does not stop, in seconds.
qv_tree_wait=${qv_tree_wait:-1}

# The clock in microseconds, in qv_tree_now (whatever the locale's decimal point).
qv_tree_clock() {
  local t=${EPOCHREALTIME//[!0-9]/}
  qv_tree_now=$((10#$t))
}

# Every live process of the machine: state, parent and group by process id.
qv_tree_scan() {
  local f stat fields pid
  qv_tree_state=() qv_tree_parent=() qv_tree_group=()
  for f in /proc/[0-9]*/stat; do
    read -r stat 2>/dev/null <"$f" || continue
    pid=${f#/proc/}
    pid=${pid%/stat}
    read -r -a fields <<<"${stat##*) }" # state, parent, group, ...
    [ "${fields[0]}" = Z ] && continue
    qv_tree_state[pid]=${fields[0]}
    qv_tree_parent[pid]=${fields[1]}
    qv_tree_group[pid]=${fields[2]}
  done
  return 0
}

# Makes process $1 a member, in qv_tree_order after its parent, and its group part of the tree
# unless it is this shell's own.
qv_tree_join() {
  qv_tree_members[$1]=1
  qv_tree_order+=("$1")
  [ "${qv_tree_group[$1]}" = "${qv_tree_group[$BASHPID]:-}" ] ||
    qv_tree_groups[${qv_tree_group[$1]}]=1
}

# Adds to qv_tree_members the live processes that descend from a member or share a member's
# group (but never this shell or its ancestors); the new ones in qv_tree_new.
qv_tree_grow() {
  local pid grew=1
  qv_tree_new=()
  while [ $grew = 1 ]; do
    grew=0
    for pid in "${!qv_tree_state[@]}"; do
      [ -z "${qv_tree_members[pid]:-}" ] || continue
      [ -z "${qv_tree_self[pid]:-}" ] || continue
      if [ -n "${qv_tree_members[${qv_tree_parent[pid]}]:-}" ] ||
        [ -n "${qv_tree_groups[${qv_tree_group[pid]}]:-}" ]; then
        qv_tree_join "$pid"
        qv_tree_new+=("$pid")
        grew=1
      fi
    done
  done
  return 0
}

# Stops every member until a search begun after all of them had stopped finds no new one: then
# nothing of the tree can fork or leave it. A SIGSTOP takes effect only once a fork under way
# has finished, and a search lists the processes before it reads their states, so a child
# forked meanwhile would be missed and never asked to end. A member still running is sent
# SIGSTOP again (one that joined while the tree ran, at the end of the grace period). After
# $qv_tree_wait seconds, one that has not stopped (a parent waiting on its vfork child, or one
# not ours to stop) is waited for no longer.
qv_tree_freeze() {
  local deadline settled=0
  qv_tree_clock
  deadline=$((qv_tree_now + qv_tree_wait * 1000000))
  while :; do
    qv_tree_scan
    qv_tree_grow
    if [ ${#qv_tree_new[@]} -gt 0 ]; then
      kill -STOP "${qv_tree_new[@]}" 2>/dev/null || true
      settled=0
    elif [ $settled = 1 ]; then
      return 0
    else
      qv_tree_clock
      qv_tree_running
      if [ ${#qv_tree_living[@]} = 0 ] || [ $qv_tree_now -ge $deadline ]; then
        settled=1
      else
        kill -STOP "${qv_tree_living[@]}" 2>/dev/null || true
      fi
    fi
  done
}
# The living members not yet stopped, in qv_tree_living.
qv_tree_running() {
  local pid
  qv_tree_living=()
  for pid in "${!qv_tree_members[@]}"; do
    case ${qv_tree_state[pid]:-T} in
      T | t) ;;
      *) qv_tree_living+=("$pid") ;;
    esac
  done
  return 0
}

# The ones still living among the pids $@, last first: for qv_tree_order, children before
# their parents.
qv_tree_alive_of() {
  local i
  qv_tree_living=()
  for ((i = $#; i > 0; --i)); do
    [ -z "${qv_tree_state[${!i}]:-}" ] || qv_tree_living+=("${!i}")
  done
  return 0
}
qv_tree_alive() { qv_tree_alive_of "${qv_tree_order[@]}"; }

# qv_end_tree <pid>...: ends them and their trees; SIGTERM first, SIGKILL after
# $qv_tree_grace seconds.
qv_end_tree() {
  local pid asked resend deadline
  qv_tree_members=() qv_tree_groups=() qv_tree_self=() qv_tree_order=()
  # This shell and its ancestors are never part of the tree, whatever group they share.
  qv_tree_scan
  for ((pid = BASHPID; pid > 1; pid = ${qv_tree_parent[pid]:-0})); do qv_tree_self[pid]=1; done
  for pid; do
    [ -n "${qv_tree_state[pid]:-}" ] && [ -z "${qv_tree_self[pid]:-}" ] || continue
    qv_tree_join "$pid"
    kill -STOP "$pid" 2>/dev/null || true
  done
  qv_tree_freeze
  qv_tree_alive
  [ ${#qv_tree_living[@]} -gt 0 ] || return 0
  asked=("${qv_tree_living[@]}")
  kill -TERM "${asked[@]}" 2>/dev/null || true
  for pid in "${asked[@]}"; do kill -CONT "$pid" 2>/dev/null || true; done
  qv_tree_clock
  resend=$((qv_tree_now + 1000000))
  deadline=$((qv_tree_now + qv_tree_grace * 1000000))
  while :; do
    sleep 0.05
    qv_tree_scan
    qv_tree_grow # what their clean-up starts
    qv_tree_alive
    [ ${#qv_tree_living[@]} -gt 0 ] || return 0
    qv_tree_clock
    [ $qv_tree_now -lt $deadline ] || break
    if [ $qv_tree_now -ge $resend ]; then
      qv_tree_alive_of "${asked[@]}"
      [ ${#qv_tree_living[@]} = 0 ] || kill -TERM "${qv_tree_living[@]}" 2>/dev/null || true
      resend=$((qv_tree_now + 1000000))
    fi
  done
  qv_tree_freeze
  qv_tree_alive
  kill -KILL "${qv_tree_living[@]}" 2>/dev/null || true
  deadline=$((qv_tree_now + 5000000))
  while :; do
    qv_tree_scan
    qv_tree_alive
    [ ${#qv_tree_living[@]} -gt 0 ] || return 0
    qv_tree_clock
    [ $qv_tree_now -lt $deadline ] || return 1
    sleep 0.05
  done
}

# qv_end_jobs: ends the trees of this shell's jobs still running, as its job table has them,
# and reaps them. A job started just as a stop came is there before its process id could be
# noted, and one already reaped is never ended: its process id may be another program's by now.
qv_end_jobs() {
  local running
  running=$(jobs -pr)
  [ -n "$running" ] || return 0
  qv_end_tree $running || true
  wait $running 2>/dev/null || true
}
