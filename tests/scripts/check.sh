# Sourced by the tests of our scripts: check <got> <expected> <what> says what differs and
# marks the test failed; a test ends with `exit $failed`.
failed=0
check() {
  if [ "$1" != "$2" ]; then
    echo "FAILED: $3: '$1', expected '$2'"
    failed=1
  fi
}

# The processes whose environment holds $1 (NAME=value), by process id.
marked_with() { grep -lsz -- "^$1\$" /proc/[0-9]*/environ | cut -d/ -f3; }

# qv_temp_dir (scripts/temp.sh) for a test's own folder, saying why it failed.
mkwork() {
  qv_temp_dir work && return
  echo "FAILED: cannot make a temporary folder in ${TMPDIR:-/tmp}"
  return 1
}

# A stop signal ends the test through its EXIT trap, deaf to further stops: without a trap of
# its own bash runs the EXIT trap too, but a second stop signal (a stop sends SIGTERM again
# after a second) would end the clean-up halfway.
stop_traps() {
  local sig
  for sig in INT:130 TERM:143 HUP:129 PIPE:141; do
    trap "trap '' INT TERM HUP PIPE; exit ${sig#*:}" "${sig%:*}"
  done
}
