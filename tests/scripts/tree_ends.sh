#!/usr/bin/env bash
# qv_end_tree (scripts/tree.sh) ends a process and all it started: descendants in sessions and
# groups of their own, orphans left in its group, and what a clean-up starts on the way out.
# Children get their stop before their parents: a parent that dies first would leave them
# stopped in an orphaned group, which the kernel hangs up. The caller is never ended.
#   tree_ends.sh <repository>
set -uo pipefail
. "$1/scripts/tree.sh" || exit 1
. "$1/scripts/temp.sh" || exit 1
. "$(dirname "$0")/check.sh"
# Long enough for a loaded machine to see what the clean-up starts while it runs.
qv_tree_grace=3
mark=qv-tree-$$-$RANDOM
marked() { marked_with "QV_TREE_MARK=$mark" | paste -sd' '; }
# What a root's clean-up starts may outlive it: its tree is ended first, then whatever is left
# with the mark.
cleanup() {
  trap '' INT TERM HUP PIPE
  unset -f kill # a case's stand-in
  local left
  qv_end_jobs
  left=$(marked)
  [ -z "$left" ] || kill -KILL $left 2>/dev/null
  qv_temp_clear
}
trap cleanup EXIT
stop_traps
mkwork || exit 1
# Starts bash -c $1 in a group of its own with the mark, and waits for it to say ready.
start() {
  rm -f "$work/ready"
  set -m
  QV_TREE_MARK=$mark W=$work bash -c "$1" &
  root=$!
  set +m
  for ((i = 0; i < 200; ++i)); do
    [ -e "$work/ready" ] && return
    sleep 0.05
  done
  check "not ready" ready "$1"
}
# Waits at most 10 s until file $2 has $1 lines.
await_lines() {
  local i
  for ((i = 0; i < 200; ++i)); do
    [ "$(wc -l <"$2")" -lt "$1" ] || return 0
    sleep 0.05
  done
}
ends() { # <what>
  qv_end_tree "$@"
  check "$?" 0 "qv_end_tree's status for $what"
  check "$(marked)" "" "processes left of $what"
  wait "$root" 2>/dev/null
}

what="a tree in other sessions and groups, and an orphan in its group"
start '( sleep 60 & ); timeout 60 sleep 60 & setsid bash -c "( sleep 60 & ); sleep 60" &
sleep 0.2; touch "$W/ready"; wait'
ends "$root"

what="what a clean-up starts"
start 'trap "setsid sleep 600 & sleep 1; exit" TERM; touch "$W/ready"
while :; do sleep 0.05; done'
ends "$root"

what="a shell that lost the first SIGTERM"
start 'again() { echo again >"$W/again"; exit; }; trap "trap again TERM" TERM; touch "$W/ready"
while :; do sleep 0.05; done'
ends "$root"
check "$(cat "$work/again" 2>/dev/null)" again "how $what ended"

what="children in their parent's group"
start 'for i in $(seq 20); do
  bash -c "trap \"echo HUP >>\\\"\$W/log\\\"\" HUP
  trap \"sleep 0.3; echo done >>\\\"\$W/log\\\"; exit\" TERM
  touch \"\$W/ready\$i\"; while :; do sleep 0.05; done" &
done
while [ $(ls "$W" | grep -c ready) -lt 20 ]; do sleep 0.05; done; touch "$W/ready"; wait'
ends "$root"
check "$(sort "$work/log" 2>/dev/null | uniq -c | paste -sd' ' | tr -s ' ')" " 20 done" \
  "what the children saw"

# Neither a stop nor a clean-up is hurried: SIGTERM goes again only to those first asked.
what="what a clean-up starts, asked by no one"
cat >"$work/clean-up.sh" <<'EOF2'
trap 'echo hurried >>"$W/hurried"' TERM
sleep 2
EOF2
start 'trap "trap : TERM; bash \"\$W/clean-up.sh\"; exit" TERM; touch "$W/ready"
while :; do sleep 0.05; done'
ends "$root"
check "$(cat "$work/hurried" 2>/dev/null)" "" "what the clean-up saw"

# A fork under way when SIGSTOP is sent finishes before the stop lands, and a search lists the
# processes before it reads their states: a child forked meanwhile is asked to end too. Here the
# root's stop lands late, in the freeze's second or third search: the root forks a child after
# that search has listed the processes, then stops before its state is read. Every child lives
# until it is asked to end.
mkfifo "$work/fork"
cat >"$work/forks.sh" <<'EOF2'
child() {
  (
    trap 'echo $BASHPID >>"$W/asked"; exit' TERM
    echo $BASHPID >>"$W/started"
    sleep 60 &
    wait
  ) &
}
child
exec 3<>"$W/fork" # never at its end between two children
touch "$W/ready"
while read -r _ <&3; do child; done
EOF2
# The stops the tree sends to process $held are dropped.
kill() {
  if [ "$1" = -STOP ]; then
    local pid stop=()
    for pid in "${@:2}"; do [ "$pid" = "$held" ] || stop+=("$pid"); done
    [ ${#stop[@]} = 0 ] || builtin kill -STOP "${stop[@]}"
    return 0
  fi
  builtin kill "$@"
}
eval "searched_$(declare -f qv_tree_scan)"
qv_tree_scan() {
  searched_qv_tree_scan
  if [ "${FUNCNAME[1]}" = qv_tree_freeze ] && ((++searches == late)); then
    echo >"$work/fork"
    await_lines 2 "$work/started"
    builtin kill -STOP "$root"
    qv_tree_state[root]=T
  fi
}
for late in 2 3; do
  what="a child forked before its parent's stop landed in search $late"
  rm -f "$work/started" "$work/asked"
  searches=0
  start 'exec bash "$W/forks.sh"'
  held=$root
  qv_tree_wait=60 ends "$root" # the root stops late by design, not for want of a stop
  check "$(wc -l <"$work/started")" 2 "children started, search $late"
  check "$(sort "$work/started" | comm -23 - <(sort "$work/asked") | paste -sd' ')" "" \
    "children never asked to end, search $late"
done
eval "$(declare -f searched_qv_tree_scan | sed 1s/searched_//)"

# One that cannot be stopped (not ours to stop) is waited for a second, no longer.
what="a root that never stops"
start 'touch "$W/ready"; while :; do sleep 0.05; done'
held=$root
ends "$root"
unset -f kill

what="the caller among the processes named"
start 'touch "$W/ready"; sleep 60'
ends "$$" "$root"
exit $failed
