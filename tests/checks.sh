# Sourced by the Wine test scripts: one line per check and the counts for their closing
# "N passed, M failed" line.
#   check DESCRIPTION COMMAND...   runs the command quietly and counts it passed or failed
#   waits_for SECONDS COMMAND...   true once the command succeeds within the time (counted in
#                                  polls of 0.5 s, each also taking as long as the command)
#   not COMMAND...                 true when the command fails
#   within SECONDS COMMAND...      true once the command succeeds before SECONDS of wall-clock
#                                  time have passed, however long each try takes
passed=0
failed=0
check() {
  local what="$1"; shift
  if "$@" >/dev/null 2>&1; then
    passed=$((passed + 1)); echo "ok: $what"
  else
    failed=$((failed + 1)); echo "FAILED: $what"
  fi
}
not() { ! "$@"; }
waits_for() {
  local seconds="$1"; shift
  for _ in $(seq $((seconds * 2))); do "$@" >/dev/null 2>&1 && return 0; sleep 0.5; done
  return 1
}
within() {
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 1
  done
}
