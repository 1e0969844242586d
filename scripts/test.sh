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

# Runs one suite with its output in build/test-logs/NAME.log (a hung run must not hang the whole
# test command): run_suite NAME COMMAND... sets suite_log and suite_status.
run_suite() {
  suite_log="$logs/$1.log"; shift
  timeout 900 "$@" >"$suite_log" 2>&1
  suite_status=$?
}

# Adds one suite's counts and shows its failures: add_counts NAME OK BAD FAILURE-PATTERN. A run
# that ended badly without reporting a failure counts as one.
add_counts() {
  local name="$1" ok="${2:-0}" bad="${3:-0}" failures="$4"
  if [ "$suite_status" -ne 0 ] && [ "$bad" -eq 0 ]; then
    bad=1
    echo "   $name ended with status $suite_status before reporting; see $suite_log"
    tail -20 "$suite_log"
  fi
  grep -E "$failures" "$suite_log" | sort -u
  echo "   $ok passed, $bad failed"
  passed=$((passed + ok))
  failed=$((failed + bad))
}

# Runs one GoogleTest executable and adds its counts.
run_gtest() {
  local name="$1"; shift
  echo "== $name"
  run_suite "$name" "$@"
  add_counts "$name" \
    "$(grep -oE '^\[  PASSED  \] [0-9]+ test' "$suite_log" | grep -oE '[0-9]+' | tail -1)" \
    "$(grep -oE '^\[  FAILED  \] [0-9]+ test' "$suite_log" | grep -oE '[0-9]+' | tail -1)" \
    '^\[  FAILED  \] [A-Za-z]'
}

# Runs a test script that ends with its own "N passed, M failed" line and adds its counts.
run_counted_script() {
  local name="$1"; shift
  echo "== $name"
  run_suite "$name" "$@"
  local counts
  counts=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$suite_log" | tail -1)
  add_counts "$name" "$(echo "$counts" | grep -oE '^[0-9]+')" \
    "$(echo "$counts" | grep -oE '[0-9]+ failed' | grep -oE '[0-9]+')" '^FAILED: '
}

# The includes point down the layers, never back.
run_counted_script include-rules python3 tests/include_rules_test.py
run_counted_script include-rules-planted python3 tests/include_rules_plant_test.py

# The minute-by-minute report of scripts/run.sh, read from debug-log lines.
run_counted_script minute-report python3 tests/minute_report_test.py

run_gtest linux-unit build/linux/tests/hourwarden_tests

# The fuzz targets, 10 s each, where clang's libFuzzer is installed.
if scripts/fuzz.sh --available; then
  run_counted_script fuzz scripts/fuzz.sh 10
else
  echo "== fuzz: skipped, clang with libFuzzer is not installed (Debian: clang, libclang-rt-14-dev)"
fi

source scripts/wine_env.sh
trap wine_prefix_end EXIT
wine_prefix_new "$root/build/windows/wineprefix"
# The account and session calls go to the recording netapi32.dll and wtsapi32.dll beside the
# tests, never to an account or a session.
run_gtest windows-unit env WINEDLLOVERRIDES=netapi32,wtsapi32=n wine build/windows/tests/hourwarden_win_tests.exe
failed=$suite_status wine_prefix_done

# The suites below each run in a Wine prefix of their own and spend most of their time waiting
# for the service's minute cycles, so up to $HOURWARDEN_TEST_JOBS (default 3) of them run at once.
# Each keeps its own log; their counts are added in the order they are listed.
max_jobs="${HOURWARDEN_TEST_JOBS:-3}"
background=()

# Starts a counted script in the background: start_counted_script NAME COMMAND...
start_counted_script() {
  local name="$1"; shift
  while [ "$(jobs -rp | wc -l)" -ge "$max_jobs" ]; do wait -n 2>/dev/null || true; done
  ( timeout 900 "$@" >"$logs/$name.log" 2>&1; echo $? >"$logs/$name.status" ) &
  background+=("$name")
}

# Waits for every started script and adds their counts, in the order they were started.
finish_counted_scripts() {
  wait
  local name counts
  for name in "${background[@]}"; do
    echo "== $name"
    suite_log="$logs/$name.log"
    suite_status=$(cat "$logs/$name.status" 2>/dev/null || echo 1)
    counts=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$suite_log" | tail -1)
    add_counts "$name" "$(echo "$counts" | grep -oE '^[0-9]+')" \
      "$(echo "$counts" | grep -oE '[0-9]+ failed' | grep -oE '[0-9]+')" '^FAILED: '
  done
}

# EndSession lock under the service control manager: the held-back user's session disconnected,
# left alone while locked, disconnected again once unlocked, with the recording wtsapi32.dll.
# The longest suite (it waits through several minute cycles), so it starts first.
start_counted_script end-session-e2e tests/e2e/end_session_e2e_test.sh

# The minutes of a locked screen under the service control manager, counted or not as
# CountLockedSessions says, with the recording wtsapi32.dll reporting the console locked. It waits
# through several minute cycles, so it starts second.
start_counted_script locked-e2e tests/e2e/locked_session_e2e_test.sh

# hourwarden.exe as an installed service under Wine's service control manager.
start_counted_script service-e2e tests/e2e/service_e2e_test.sh

# The installer package under Wine's msiexec: install, upgrade, uninstall, in a prefix of its own.
start_counted_script package-wine tests/package_wine_test.sh

# The time under the service control manager: the administrator's zone, a stop during a fetch
# that never answers, the https:// check against loopback TLS sites.
start_counted_script time-e2e tests/e2e/time_check_e2e_test.sh

# The days counted: a round trip through a zone of another date finds the day's count again.
start_counted_script day-ledger-e2e tests/e2e/day_ledger_e2e_test.sh

# A time site that answers one byte every 4 s: the start does not wait, the users are held back and
# the stop is quick.
start_counted_script slow-network tests/e2e/slow_network_e2e_test.sh

# The session tool as a program of a user's session, in a prefix of its own.
start_counted_script session-wine tests/session_wine_test.sh

# hwctl.exe against the real registry, in a prefix of its own.
start_counted_script hwctl-wine tests/hwctl_wine_test.sh

# What hourwarden.exe sets up on a PC (the Safe Mode entries) and the trim of a log while it runs.
start_counted_script host-e2e tests/e2e/host_e2e_test.sh

# The service's pipe as any program of a session may use or abuse it, in a prefix of its own.
start_counted_script pipe-e2e tests/e2e/pipe_e2e_test.sh

# Users named in Cyrillic and Greek on a prefix of the Western European code page: blocked by
# their own names, and named rightly in the debug log.
start_counted_script any-alphabet tests/e2e/any_alphabet_e2e_test.sh

# The session tool's dialog at a scale of 150 %: the size and layout of that scale.
start_counted_script dpi-e2e tests/e2e/dpi_e2e_test.sh
# The settings window on an Xvfb screen, driven by window messages: what one Apply writes, and a
# value changed under it not overwritten unasked. Its pictures go to build/screenshots/.
start_counted_script settings-window tests/e2e/settings_window_e2e_test.sh

finish_counted_scripts

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
