#!/usr/bin/env bash
# Builds both presets and runs every test: the unit tests natively (with the sanitizers), then
# the Windows build's tests under Wine in a throw-away prefix. Ends with "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/build.sh || { echo "Build failed"; echo "0 passed, 1 failed"; exit 1; }

logs="$root/build/test-logs"
mkdir -p "$logs"
passed=0
failed=0

# Runs one GoogleTest executable and adds its counts; a run that reports no count failed.
run_gtest() {
  local name="$1"; shift
  local log="$logs/$name.log"
  echo "== $name"
  # A hung run must not hang the whole test command.
  timeout 900 "$@" >"$log" 2>&1
  local status=$?
  local ok bad
  ok=$(grep -oE '^\[  PASSED  \] [0-9]+ test' "$log" | grep -oE '[0-9]+' | tail -1)
  bad=$(grep -oE '^\[  FAILED  \] [0-9]+ test' "$log" | grep -oE '[0-9]+' | tail -1)
  ok=${ok:-0}
  bad=${bad:-0}
  if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then
    bad=1
    echo "   $name ended with status $status before reporting; see $log"
    tail -20 "$log"
  fi
  grep -E '^\[  FAILED  \] [A-Za-z]' "$log" | sort -u
  echo "   $ok passed, $bad failed"
  passed=$((passed + ok))
  failed=$((failed + bad))
}

# Runs a test script that ends with its own "N passed, M failed" line and adds its counts; a run
# that reports no count failed.
run_counted_script() {
  local name="$1"; shift
  local log="$logs/$name.log"
  echo "== $name"
  timeout 900 "$@" >"$log" 2>&1
  local status=$?
  local counts ok bad
  counts=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$log" | tail -1)
  ok=$(echo "$counts" | grep -oE '^[0-9]+')
  bad=$(echo "$counts" | grep -oE '[0-9]+ failed' | grep -oE '[0-9]+')
  ok=${ok:-0}
  bad=${bad:-0}
  if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then
    bad=1
    echo "   $name ended with status $status before reporting; see $log"
    tail -20 "$log"
  fi
  grep -E '^FAILED: ' "$log"
  echo "   $ok passed, $bad failed"
  passed=$((passed + ok))
  failed=$((failed + bad))
}

run_gtest linux-unit build/linux/tests/hourwarden_tests

source scripts/wine_env.sh
trap wine_prefix_end EXIT
wine_prefix_new "$root/build/windows/wineprefix"
# The account calls go to the recording netapi32.dll beside the tests, never to an account.
run_gtest windows-unit env WINEDLLOVERRIDES=netapi32=n wine build/windows/tests/hourwarden_win_tests.exe
wine_prefix_end
# hwctl.exe against the real registry, in a prefix of its own.
run_counted_script hwctl-wine tests/hwctl_wine_test.sh

# The session tool as a program of a user's session, in a prefix of its own.
run_counted_script session-wine tests/session_wine_test.sh

# hourwarden.exe as an installed service under Wine's service control manager.
run_counted_script service-e2e tests/e2e/service_e2e_test.sh

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
