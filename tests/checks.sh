# Sourced by the Wine test scripts: one line per check and the counts for their closing
# "N passed, M failed" line.
#   check DESCRIPTION COMMAND...   runs the command quietly and counts it passed or failed
#   waits_for SECONDS COMMAND...   true once the command succeeds within the time
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
waits_for() {
  local seconds="$1"; shift
  for _ in $(seq $((seconds * 2))); do "$@" >/dev/null 2>&1 && return 0; sleep 0.5; done
  return 1
}
