#!/usr/bin/env bash
# End-to-end check of EndSession lock under Wine's service control manager, in a throw-away
# prefix, with no session tool: the Wine user (who owns every running program) has no allowance.
# The recording wtsapi32.dll lists the user's console session 1 as this script writes its state
# into the file beside it, records each logoff and disconnection, and reports the session
# disconnected once the service has disconnected it. The service disconnects the session instead
# of ending it, leaves it alone while it is locked or disconnected, and disconnects it again two
# minutes after it is reported unlocked again. Then the session tool counts down to the lock and
# offers the day's grace to save the work, which holds the request back.
# Prints one line per check and ends with "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/wine_env.sh"
source "$root/scripts/wine_service.sh"

source "$root/tests/checks.sh"
hw_e2e_prefix "$root/build/windows/e2e-end-session"
log="$app/debug.log"
calls="$app/wtsapi32_calls.log"      # written by the recording wtsapi32.dll
console="$app/wtsapi32_console.txt"  # read by it at every call

disconnections() { grep -c "^disconnect session=1 wait=0" "$calls" 2>/dev/null || echo 0; }
disconnections_are() { [ "$(disconnections)" = "$1" ]; }
left_alone() { tr -d '\r' <"$log" | grep -c "No logoff request for $user: every session locked or disconnected"; }
left_alone_more_than() { [ "$(left_alone)" -gt "$1" ]; }

hw_time_server_start "$work"
hw_sample_configuration "$user" 0
hw_reg_add "$HW_PRODUCT_KEY" EndSession REG_SZ lock
(cd "$app" && wine hourwarden.exe /install /silent)
wine net start Hourwarden >/dev/null 2>&1
check "service running" waits_for 20 sh -c "wine sc query Hourwarden | grep -q RUNNING"

echo "== a held-back user's session in use is disconnected, not logged off"
check "the service reads EndSession lock" waits_for 60 grep -q "Sessions of held-back users: locked" "$log"
check "the session is disconnected" waits_for 250 disconnections_are 1
sleep 3  # the rest of that tick, which writes the debug log
check "never logged off" sh -c "! grep -q '^logoff' '$calls'"
check "the debug log says the programs stay open" \
  grep -q "Disconnecting session 1 of WINEPC\\\\$user: still in use against the logoff request; its programs stay open" "$log"
check "the session of someone else is left alone" sh -c "! grep -q 'session=2' '$calls'"

echo "== locked, it is left alone"
echo locked >"$console"
before=$(left_alone)
check "two minutes in which nothing is asked" waits_for 150 left_alone_more_than $((before + 1))
check "no further disconnection" disconnections_are 1
check "no logoff request stands" test "$(hw_reg_value "$HW_USERS_KEY\\$user" Logoff)" = 0x0

echo "== unlocked again, it is asked again and disconnected again two minutes later"
rm -f "$console"
unlocked_at=$SECONDS
check "disconnected again" waits_for 250 disconnections_are 2
check "not before its second minute in use" test $((SECONDS - unlocked_at)) -ge 100
check "the request was raised again" grep -q "User $user still logged !" "$log"
check "still never logged off" sh -c "! grep -q '^logoff' '$calls'"

echo "== the session tool: the countdown to the lock, and the grace to save the work"
probe="$root/build/windows/tests/window_probe.exe"
tool_log="$work/tool.log"
showing() { wine "$probe" showing "$1" 2>/dev/null; }
not_showing() { ! showing "$1"; }
shown() { wine "$probe" shown Hourwarden "$1" 2>/dev/null; }
# Once a minute has found the session disconnected again (no request stands), it is unlocked and
# the tool started; the next minute asks again. Wine runs the service in session 1, like every
# other program.
before=$(left_alone)
waits_for 100 left_alone_more_than "$before"
rm -f "$console"
wine "$root/build/windows/session/hourwarden-session.exe" /countdown=30 /poll=200 /servicesessionfortesting=1 \
  "/logofflogfortesting=$(winepath -w "$tool_log" 2>/dev/null)" >/dev/null 2>&1 &
tool_pid=$!
check "the countdown says the computer will lock" waits_for 100 showing "The computer will lock in"
check "it offers the grace to save the work" waits_for 5 shown "I need to save my work"
check "and no more time, as no parent's code is set up" sh -c "! wine '$probe' shown Hourwarden 'Ask for more time...' 2>/dev/null"
wine "$probe" click Hourwarden "I need to save my work" >/dev/null 2>&1
check "the grace ends the countdown" waits_for 10 not_showing "The computer will lock in"
check "and says until when" waits_for 5 showing "to save your work."
check "the service gives it and says so" \
  waits_for 10 grep -q "Grace to save the work asked by $user: 5 minutes given, once for" "$log"
check "GraceDate is today" test "$(hw_reg_value "$HW_USERS_KEY\\$user" GraceDate)" = "$(date +%d.%m.%Y)"
check "the request is withdrawn" test "$(hw_reg_value "$HW_USERS_KEY\\$user" Logoff)" = 0x0
check "and held back at the next minute" \
  waits_for 100 grep -q "No logoff request for $user: the grace to save the work runs" "$log"
check "no lock came from the countdown" test ! -e "$tool_log"
check "no further disconnection meanwhile" disconnections_are 2
wine "$probe" close "Hourwarden - User loggoff tool" >/dev/null 2>&1
wait "$tool_pid" 2>/dev/null

wine net stop Hourwarden >/dev/null 2>&1
(cd "$app" && timeout 60 wine hourwarden.exe /uninstall /silent)

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
