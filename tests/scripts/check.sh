# Sourced by the tests of our scripts: check <got> <expected> <what> says what differs and
# marks the test failed; a test ends with `exit $failed`.
failed=0
check() {
  if [ "$1" != "$2" ]; then
    echo "FAILED: $3: '$1', expected '$2'"
    failed=1
  fi
}
