# Sourced by the tests of our scripts: check <got> <expected> <what> says what differs and
# marks the test failed; a test ends with `exit $failed`.
failed=0
check() {
  if [ "$1" != "$2" ]; then
    echo "FAILED: $3: '$1', expected '$2'"
    failed=1
  fi
}

# mkwork makes the test's temporary folder, $work. A clean-up set before calls rmwork: a stop
# at any moment leaves no folder, for the name is known before the folder is made (mktemp
# killed after making it would leave it unnamed).
work=${work-}
work_making=${work_making-}
mkwork() {
  local i
  for ((i = 0; i < 100; ++i)); do
    work_making=${TMPDIR:-/tmp}/qv-test.$$.$RANDOM$RANDOM
    if mkdir -m 700 "$work_making" 2>/dev/null; then
      work=$work_making
      work_making=
      return 0
    fi
  done
  work_making=
  echo "FAILED: cannot make a temporary folder in ${TMPDIR:-/tmp}"
  return 1
}
rmwork() {
  [ -z "$work" ] || rm -rf "$work"
  [ -z "$work_making" ] || rmdir "$work_making" 2>/dev/null
}
