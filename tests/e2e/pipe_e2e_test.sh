#!/usr/bin/env bash
# End-to-end: the service's pipe under Wine's service control manager, as any program of a session
# may use or abuse it: hwctl check asking for the status, a program that keeps taking the pipe and
# saying nothing, a flood of oversized requests, and a program that makes the pipe while the
# service is stopped. Prints one line per check and ends with "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/wine_env.sh"
source "$root/scripts/wine_service.sh"

source "$root/tests/checks.sh"
hw_e2e_prefix "$root/build/windows/pipe-e2e"
hwctl="$root/build/windows/hwctl/hwctl.exe"
client="$root/build/windows/tests/more_time_client.exe"
log="$app/debug.log"
# Wine runs the service in session 1, like every other program: hwctl is told so.
export HOURWARDEN_SERVICES_SESSION_FOR_TESTING=1

hw_time_server_start "$work"
hw_sample_configuration "$user" 1440
hw_reg_add "$HW_PRODUCT_KEY" Debug REG_DWORD 2
(cd "$app" && wine hourwarden.exe /install /silent)
wine net start Hourwarden >/dev/null 2>&1
# The time is checked on a thread of its own after the start, and the user, free all day, is
# unblocked only once it is confirmed (wall-clock time: a loaded machine runs Wine's services slowly).
check "service running with its time confirmed" within 90 grep -q "successfully unblocked: $user" "$log"

echo "== hwctl check asks the service for its status"
wine "$hwctl" check >"$work/check.out" 2>&1 </dev/null
check "it reports a running, answering service" \
  grep -q '^Service: running and answering on \\\\.\\pipe\\Hourwarden (version [0-9.]*, time confirmed)' "$work/check.out"

echo "== a program that keeps taking the pipe and saying nothing"
wine "$client" squat 25 >/dev/null 2>&1 &
squatter=$!
sleep 3
wine "$client" status 10 >"$work/status.out" 2>&1
longest=$(tr -d '\r' <"$work/status.out" | sed -n 's/^longest \([0-9]*\) ms$/\1/p')
echo "   $(tr -d '\r' <"$work/status.out" | tr '\n' ' ')"
check "another client gets every answer" grep -q '^status version=' "$work/status.out"
check "each within 3 s" test "${longest:-99999}" -lt 3000
check "the silent client is dropped after 5 s, as the debug log says" \
  within 60 grep -q "sent nothing within 5 s and was dropped" "$log"
kill "$squatter" 2>/dev/null; wait "$squatter" 2>/dev/null

echo "== a flood of oversized requests for 20 s"
sleep 3  # the tick after the squatter's last line
size_before=$(stat -c %s "$log")
wine "$client" flood 20 >"$work/flood.out" 2>&1
sleep 5  # two ticks: every line is flushed
grown=$(( $(stat -c %s "$log") - size_before ))
echo "   $(tr -d '\r' <"$work/flood.out"), the debug log grew by $grown bytes"
check "the requests were sent" grep -Eq '^sent [1-9][0-9]+' "$work/flood.out"
check "the debug log grew by at most 100 KB" test "$grown" -le 102400
check "the refusal is said once at once" \
  test "$(tr -d '\r' <"$log" | grep -c 'A request of more than 256 bytes to .* was refused$')" = 1
check "and then with its count within the minute" \
  waits_for 70 grep -Eq 'A request of more than 256 bytes to .* was refused \([0-9]+ times in the last [0-9]+ s\)' "$log"

echo "== stopped, and a program makes the pipe in its place"
wine net stop Hourwarden >/dev/null 2>&1
check "service stopped" waits_for 10 sh -c "wine sc query Hourwarden | grep -q STOPPED"
wine "$hwctl" check >"$work/stopped.out" 2>&1 </dev/null
check "hwctl check fails" test $? = 1
check "and says the service does not run" grep -q '^Service: not running\.' "$work/stopped.out"
wine "$client" serve 20 >"$work/serve.out" 2>&1 &
server=$!
waits_for 10 grep -q serving "$work/serve.out"
wine "$client" ask JBSWY3DPEHPK3PXP >"$work/ask.out" 2>&1
check "a client does not trust the pipe" grep -q '^untrusted: the service does not run' "$work/ask.out"
check "and sends it no code" sh -c "! grep -q 'got:' '$work/serve.out'"
kill "$server" 2>/dev/null; wait "$server" 2>/dev/null

(cd "$app" && wine hourwarden.exe /uninstall /silent)
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
