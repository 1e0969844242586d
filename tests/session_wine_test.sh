#!/usr/bin/env bash
# The session tool under Wine, in a throw-away prefix: it installs its start at logon, runs one
# instance per session with its window titled as the service's uninstall expects, turns a raised
# request into a sign-out, or a lock with EndSession lock (recorded by the test hook instead of
# ending or locking the Wine session), closes the countdown when the request is withdrawn, offers
# no parent's code the service does not offer, ignores users without a key, and closes when the
# service is uninstalled. Ends with "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
win="$root/build/windows"
tool="$win/session/hourwarden-session.exe"
service="$win/service/hourwarden.exe"
probe="$win/tests/window_probe.exe"
work="$root/build/session-wine"
title="Hourwarden - User loggoff tool"
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'

source scripts/wine_env.sh
trap wine_prefix_done EXIT
wine_prefix_new "$win/wineprefix-session"
rm -rf "$work"
mkdir -p "$work"

passed=0
failed=0
check() {
  local what="$1"
  shift
  if "$@"; then
    echo "ok: $what"
    passed=$((passed + 1))
  else
    echo "FAILED: $what"
    failed=$((failed + 1))
  fi
}
# Retries the command every 0.2 s for up to the given seconds.
wait_for() {
  local seconds="$1"
  shift
  local end=$((SECONDS + seconds))
  while [ "$SECONDS" -lt "$end" ]; do
    "$@" && return 0
    sleep 0.2
  done
  "$@"
}
w() { timeout 60 wine "$@" 2>/dev/null; }
window_exists() { w "$probe" find "$title"; }
no_window() { ! window_exists; }
notice_on_top() { w "$probe" topmost "Hourwarden"; }
no_notice() { ! w "$probe" find "Hourwarden"; }
exists() { [ -s "$1" ]; }
process_ended() { ! kill -0 "$1" 2>/dev/null; }
run_value() { w reg query "$run_key" /v "Hourwarden session" | tr -d '\r'; }
no_run_value() { ! w reg query "$run_key" /v "Hourwarden session" >/dev/null; }

user=$(w "$probe" user | tr -d '\r')
key="HKLM\\SOFTWARE\\Qorvex\\Hourwarden\\Time_restrictions\\$user"
echo "Wine user: $user"

# Start at logon: the quoted full path under the machine-wide Run key.
check "/install /silent succeeds" w "$tool" /install /silent
check "the Run key starts the tool by its quoted full path" \
  grep -qF "\"$(winepath -w "$tool" 2>/dev/null)\"" <(run_value)

# A restricted user whose request is not raised.
w reg add "$key" /v Logoff /t REG_DWORD /d 0 /f >/dev/null
w reg add "$key" /v DayLimit /t REG_SZ /d "1440" /f >/dev/null
# The service's install and uninstall runs write their debug.log into the current directory.
in_work() { (cd "$work" && "$@"); }
check "the service installs (its uninstall closes the tool later)" in_work w "$service" /install /silent

log="$work/logoff.log"
wine "$tool" /countdown=5 /poll=200 "/logofflogfortesting=$(winepath -w "$log" 2>/dev/null)" >/dev/null 2>&1 &
tool_pid=$!
check "the tool's window is found by its title" wait_for 20 window_exists
check "a second instance in the session ends at once" w "$tool" /poll=200
check "the first instance keeps running" kill -0 "$tool_pid"
sleep 1
check "no logoff while the request is not raised" test ! -e "$log"

# The tray menu's "Ask for more time..." (its command posted as the menu would) opens the dialog;
# with no service to say a parent's code is set up, it offers none.
dialog="Hourwarden: ask for more time"
dialog_open() { w "$probe" topmost "$dialog"; }
gives() { w "$probe" text "$dialog" 102 | tr -d '\r'; }
w "$probe" command "$title" 1
check "the tray menu's item opens the dialog" wait_for 10 dialog_open
check "without the service it offers no code" test "$(gives)" = "No parent's code can be used now."
w "$probe" close "$dialog"

# The request is raised, seen, and withdrawn within the countdown: the countdown and its notice end.
showing() { w "$probe" showing "$1"; }
not_showing() { ! w "$probe" showing "$1"; }
w reg add "$key" /v Logoff /t REG_DWORD /d 1 /f >/dev/null
check "a raised request shows the topmost countdown" wait_for 10 notice_on_top
check "which says the computer will sign the user out" showing "The computer will sign you out in"
check "and offers no more time without a parent's code" sh -c "! timeout 60 wine '$probe' shown Hourwarden 'Ask for more time...' 2>/dev/null"
w reg add "$key" /v Logoff /t REG_DWORD /d 0 /f >/dev/null
check "a withdrawn request closes the countdown" wait_for 5 not_showing "The computer will sign you out in"
sleep 6
check "and nothing is signed out" test ! -e "$log"

# A request that stands: the sign-out follows the countdown, and the notice goes.
w reg add "$key" /v Logoff /t REG_DWORD /d 1 /f >/dev/null
check "the sign-out follows the countdown" wait_for 15 exists "$log"
sleep 1
check "the sign-out is asked for once" test "$(grep -c 'EWX_LOGOFF' "$log" 2>/dev/null)" = 1
check "the countdown is gone once it is asked for" not_showing "The computer will sign you out in"

# The logoff did not end the session (a cancelled sign-out): 30 s later, the request raised again,
# the tool counts down and asks again.
w reg add "$key" /v Logoff /t REG_DWORD /d 1 /f >/dev/null
asked_twice() { [ "$(grep -c 'EWX_LOGOFF' "$log" 2>/dev/null)" = 2 ]; }
check "a logoff that did not end the session is asked for again" wait_for 50 asked_twice
w reg add "$key" /v Logoff /t REG_DWORD /d 0 /f >/dev/null

# With EndSession lock the countdown says so and LockWorkStation is called instead.
w reg add 'HKLM\SOFTWARE\Qorvex\Hourwarden' /v EndSession /t REG_SZ /d lock /f >/dev/null
sleep 32  # the settle time of the last sign-out
w reg add "$key" /v Logoff /t REG_DWORD /d 1 /f >/dev/null
check "with EndSession lock the countdown says the computer will lock" wait_for 10 showing "The computer will lock in"
locked() { grep -q 'LockWorkStation()' "$log"; }
check "and the screen is locked, not signed out" wait_for 15 locked
check "no sign-out came with it" test "$(grep -c 'EWX_LOGOFF' "$log" 2>/dev/null)" = 2
w reg add "$key" /v Logoff /t REG_DWORD /d 0 /f >/dev/null
w reg delete 'HKLM\SOFTWARE\Qorvex\Hourwarden' /v EndSession /f >/dev/null

# The service's uninstall finds the window and sends WM_CLOSE.
check "the service uninstalls" in_work w "$service" /uninstall /silent
check "the tool ends on WM_CLOSE" wait_for 15 process_ended "$tool_pid"
wait "$tool_pid"
check "the tool's exit code is 0" test $? = 0
check "its window is gone" no_window

# A user without a key: nothing happens, whatever other users' requests say.
w reg delete "$key" /f >/dev/null
w reg add "${key}-other" /v Logoff /t REG_DWORD /d 1 /f >/dev/null
log2="$work/logoff-nokey.log"
wine "$tool" /countdown=1 /poll=200 "/logofflogfortesting=$(winepath -w "$log2" 2>/dev/null)" >/dev/null 2>&1 &
tool_pid=$!
check "the tool starts for a user without a key" wait_for 20 window_exists
sleep 3
check "a user without a key is not logged off" test ! -e "$log2"
check "nor shown a notice" no_notice
w "$probe" close "$title"
check "it ends on WM_CLOSE" wait_for 15 process_ended "$tool_pid"

# A program of the user that makes the tool's mutex first does not keep the tool away.
wine "$probe" squat 'Local\HourwardenSessionTool' 60 >"$work/squat.out" 2>/dev/null &
squat_pid=$!
wait_for 20 grep -q holding "$work/squat.out"
wine "$tool" /poll=200 >/dev/null 2>&1 &
tool_pid=$!
check "the tool runs although another program holds its mutex" wait_for 20 window_exists
w "$probe" close "$title"
check "and ends on WM_CLOSE" wait_for 15 process_ended "$tool_pid"
kill "$squat_pid" 2>/dev/null

check "/uninstall /silent succeeds" w "$tool" /uninstall /silent
check "the Run key no longer starts the tool" no_run_value

wine_prefix_end
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
