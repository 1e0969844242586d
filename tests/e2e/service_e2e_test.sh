#!/usr/bin/env bash
# End-to-end: hourwarden.exe as a real service under Wine's service control manager, in a
# throw-away prefix, with a loopback time page and the recording netapi32.dll. Prints one line per
# check and ends with "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/wine_env.sh"
source "$root/scripts/wine_service.sh"

source "$root/tests/checks.sh"
hw_e2e_prefix "$root/build/windows/e2e"
calls="$app/netapi32_calls.log"  # written by the recording netapi32.dll
none=$(printf '00%.0s' $(seq 21))
all=$(printf 'ff%.0s' $(seq 21))
today=$(date +%d.%m.%Y)

# --- The configuration: the Wine user (who owns every running program) with no allowance, alice
# restricted all day, bob free.
hw_time_server_start "$work"
hw_sample_configuration "$user" 0

echo "== install"
(cd "$app" && wine hourwarden.exe /install /silent)
service_key='HKLM\System\CurrentControlSet\Services\Hourwarden'
check "service type own process" test "$(hw_reg_value "$service_key" Type)" = 0x10
check "automatic start" test "$(hw_reg_value "$service_key" Start)" = 0x2
check "normal error control" test "$(hw_reg_value "$service_key" ErrorControl)" = 0x1
check "local system account" test "$(hw_reg_value "$service_key" ObjectName)" = LocalSystem
check "display name" test "$(hw_reg_value "$service_key" DisplayName)" = Hourwarden
check "full path of the executable" test "$(hw_reg_value "$service_key" ImagePath)" = 'C:\Hourwarden\hourwarden.exe'
source_key='HKLM\System\CurrentControlSet\Services\EventLog\Application\Hourwarden'
check "event source with the program as its message file" test "$(hw_reg_value "$source_key" EventMessageFile)" = 'C:\Hourwarden\hourwarden.exe'
check "event source types" test "$(hw_reg_value "$source_key" TypesSupported)" = 0x7
check "install run logs in the current directory" grep -q "Service created" "$app/debug.log"
rm -f "$app/debug.log"

echo "== start and the first minute cycle"
wine net start Hourwarden >/dev/null 2>&1
check "service running" waits_for 10 sh -c "wine sc query Hourwarden | grep -q RUNNING"
spent_is_one() { [ "$(hw_reg_value "$HW_USERS_KEY\\$user" SpentTime)" = 0x1 ]; }
check "first minute counted for the logged-on user" waits_for 100 spent_is_one
sleep 3  # the rest of that tick: the evaluation, the flush
check "TimeStamp is today" test "$(hw_reg_value "$HW_USERS_KEY\\$user" TimeStamp)" = "$today"
check "logoff requested for the user over the allowance" test "$(hw_reg_value "$HW_USERS_KEY\\$user" Logoff)" = 0x1
check "no logoff request for alice, who is not logged on" test -z "$(hw_reg_value "$HW_USERS_KEY\\alice" Logoff)"
check "no minutes for alice" test "$(hw_reg_value "$HW_USERS_KEY\\alice" SpentTime)" = 0x0
check "debug.log written in Path" grep -q "Executing service" "$app/debug.log"
check "over-limit line" grep -q "User logged over time limit:0" "$app/debug.log"
check "user blocked" grep -q "User account successfully blocked: $user" "$app/debug.log"
check "alice blocked" grep -q "User account successfully blocked: alice" "$app/debug.log"
check "bob unblocked" grep -q "User account successfully unblocked: bob" "$app/debug.log"
check "process.log lists the service itself" grep -q "^O\[.*| $user | hourwarden.exe | " "$app/process.log"
check "logs are hidden" sh -c "wine cmd /c attrib 'C:\\Hourwarden\\debug.log' | tr -d '\\r' | grep -q ' H '"
check "netapi: the user's logon hours set to none" grep -q "user=$user level=1020 units=168 hours=$none\$" "$calls"
check "netapi: alice's logon hours set to none" grep -q "user=alice level=1020 units=168 hours=$none\$" "$calls"
check "netapi: bob's logon hours set to all" grep -q "user=bob level=1020 units=168 hours=$all\$" "$calls"

echo "== the session the session tool did not end"
# No session tool runs, so the Wine user stays logged on against the request; the recording
# wtsapi32.dll lists the user's session 1 (and session 2 of someone else) and records each logoff.
sessions="$app/wtsapi32_calls.log"
ended_by_service() { grep -q "^logoff session=1 wait=0" "$sessions"; }
check "the service ends the user's session itself" waits_for 150 ended_by_service
sleep 3  # the rest of that tick, which writes the debug log
check "not before the second minute still logged on" \
  sh -c "tr -d '\\r' < '$app/debug.log' | grep -E 'still logged !|Ending session' | head -3 | tr '\\n' '|' | grep -q 'still logged !|.*still logged !|.*Ending session 1 of WINEPC'"
check "the session of someone else is left alone" sh -c "! grep -q 'session=2' '$sessions'"

echo "== configuration changed with hwctl while the service runs"
hwctl="$root/build/windows/hwctl/hwctl.exe"
check "hwctl list shows the minute the service counted" \
  sh -c "wine '$hwctl' list 2>/dev/null | tr -d '\r' | grep -Eq '^$user +0 +[1-9][0-9]* +0, over +no +none +requested'"
echo "== more time by a parent's code"
tools="$root/build/windows/tests"
client="$tools/more_time_client.exe"
probe="$tools/window_probe.exe"
code_key='SOFTWARE\Qorvex\Hourwarden\ParentCode'
spent() { printf '%d' "$(hw_reg_value "$HW_USERS_KEY\\$user" SpentTime)"; }
ask() { wine "$client" "$@" 2>/dev/null | tr -d '\r'; }
secret=$(wine "$hwctl" parent-code new 2>/dev/null | tr -d '\r' | grep -oE 'secret=[A-Z2-7]+' | cut -d= -f2)
check "hwctl parent-code new prints the secret in the authenticator address" test "${#secret}" = 32
wine "$hwctl" parent-code minutes "$user" 1 >/dev/null 2>&1
check "its key lets LocalSystem and the Administrators in, nobody else" \
  test "$(wine "$tools/key_probe.exe" sddl "$code_key" 2>/dev/null | tr -d '\r')" = 'D:P(A;;KA;;;SY)(A;;KA;;;BA)'
check "a program dropped to a standard user's rights cannot read it" \
  test "$(wine "$tools/key_probe.exe" standard "$code_key" 2>/dev/null | tr -d '\r')" = denied
check "while it can read the product key" \
  test "$(wine "$tools/key_probe.exe" standard 'SOFTWARE\Qorvex\Hourwarden' 2>/dev/null | tr -d '\r')" = opened
check "hwctl check says the code is set up and finds its key sound" \
  sh -c "wine '$hwctl' check 2>/dev/null | tr -d '\r' | grep -q \"^Parent's code: set up\" && ! wine '$hwctl' check 2>/dev/null | grep -q ParentCode"

# The session tool counts down the logoff the service asks for, and its notice offers more time.
session_tool="$root/build/windows/session/hourwarden-session.exe"
tool_log="$work/logoff.log"
# Wine runs the service in session 1, like every other program.
wine "$session_tool" /countdown=60 /poll=200 /servicesessionfortesting=1 \
  "/logofflogfortesting=$(winepath -w "$tool_log" 2>/dev/null)" >/dev/null 2>&1 &
tool_pid=$!
check "the logoff notice offers to ask for more time" waits_for 30 wine "$probe" shown Hourwarden "Ask for more time..."
# The test client asks as the Wine user with the code of this moment, the dialog with the code of
# the next step (a phone a little ahead), since each step is taken once.
code_now=$(ask code "$secret")
before=$(spent)
answer=$(ask raw "more-time code=$code_now")
after=$(spent)
check "a right code from the pipe gives the user's 1 minute" test "$answer" = "added 1"
check "and SpentTime drops by it (a minute cycle may count one meanwhile)" \
  test "$before" -ge 1 -a $((before - after)) -ge 0 -a $((before - after)) -le 1
echo "   SpentTime $before before, $after after"
check "the service logs it" waits_for 5 grep -q "Parent's code accepted for $user: 1 minutes given back" "$app/debug.log"

# The withdrawn request ended the countdown; the user, still over, is asked again at a later minute.
check "the countdown ends with the withdrawn request, and comes back while the user is over" \
  waits_for 100 wine "$probe" showing "The computer will sign you out in"
wine "$probe" click Hourwarden "Ask for more time..." >/dev/null 2>&1
dialog="Hourwarden: ask for more time"
check "the notice's button opens the dialog" waits_for 10 wine "$probe" topmost "$dialog"
check "while the countdown runs" wine "$probe" showing "The computer will sign you out in"
wine "$probe" settext "$dialog" 101 "$(ask code "$secret" 1)" >/dev/null 2>&1
before=$(spent)
wine "$probe" click "$dialog" Ask >/dev/null 2>&1
dialog_answer() { wine "$probe" text "$dialog" 100 2>/dev/null | tr -d '\r'; }
check "the dialog says the minutes were added" waits_for 20 sh -c "wine '$probe' text '$dialog' 100 2>/dev/null | LC_ALL=C grep -Eq '^[0-9]+[^a-z]+minutes? added'"
echo "   dialog: $(dialog_answer) (SpentTime was $before, now $(spent))"
# The warning of the time left may come up instead (it shares the notice's title): look for the
# countdown's own words.
countdown_gone() { ! wine "$probe" showing "The computer will sign you out in"; }
check "and the countdown has ended" waits_for 5 countdown_gone
wine "$probe" close "$dialog" >/dev/null 2>&1
sleep 2
check "no logoff came from the countdown the code ended" test ! -e "$tool_log"
wine "$probe" close "Hourwarden - User loggoff tool" >/dev/null 2>&1
wait "$tool_pid" 2>/dev/null
check "a request naming another user is refused" \
  test "$(ask raw "more-time code=$(ask code "$secret") minutes=5 user=alice")" = refused
for length in 257 300 5000; do
  check "a request of $length bytes is refused" test "$(ask raw "$(printf 'x%.0s' $(seq $length))")" = refused
done
check "a client that sends nothing is dropped" test "$(ask silent 15)" = dropped
check "after 5 s, as the debug log says" waits_for 5 grep -q "sent nothing within 5 s and was dropped" "$app/debug.log"
# Wrong codes: the used one again, then four more, make five in a row.
check "a code already taken is not accepted again" test "$(ask raw "more-time code=$code_now")" = wrong
for attempt in 2 3; do ask wrong "$secret" >/dev/null; done
check "a wrong code's answer tells the tries left when asked" test "$(ask wrong "$secret")" = "wrong tries=1"
check "the fifth wrong code locks the code out" sh -c "wine '$client' wrong '$secret' 2>/dev/null | tr -d '\r' | grep -Eq '^locked [0-9]{2}:[0-9]{2}\$'"
check "then even the right one" sh -c "wine '$client' ask '$secret' 2 2>/dev/null | tr -d '\r' | grep -q '^locked '"
check "the lock-out is logged at level 1" waits_for 5 grep -q "Parent's code locked out for $user until [0-9:]* after 5 wrong codes" "$app/debug.log"
check "hwctl parent-code show tells the lock-out, not the secret" \
  sh -c "wine '$hwctl' parent-code show 2>/dev/null | tr -d '\r' | grep -Eq '^$user +1 +60 +[0-9]+ +5 +until ' && ! wine '$hwctl' parent-code show 2>/dev/null | grep -q '$secret'"

wine "$hwctl" limit "$user" - - - - - - - >/dev/null 2>&1
check "hwctl asked for a reload" test "$(hw_reg_value "$HW_PRODUCT_KEY" ReadSettings)" = 0x1
reloaded() { grep -q "Request to read user settings" "$app/debug.log"; }
check "the service reloads at its next minute" waits_for 100 reloaded
sleep 3
check "the reload request is consumed" test "$(hw_reg_value "$HW_PRODUCT_KEY" ReadSettings)" = 0x0
check "the new allowance unblocks the user" sh -c "sed -n '/Request to read user settings/,\$p' '$app/debug.log' | grep -q 'User account successfully unblocked: $user'"
check "no new logoff request" test "$(hw_reg_value "$HW_USERS_KEY\\$user" Logoff)" = 0x0
check "hwctl list shows the user unlimited" \
  sh -c "wine '$hwctl' list 2>/dev/null | tr -d '\r' | grep -Eq '^$user +unlimited +[0-9]+ '"

echo "== a reload request written as a string (reg add's default type)"
spent_before=$(hw_reg_value "$HW_USERS_KEY\\$user" SpentTime)
wine reg add "$HW_PRODUCT_KEY" /v ReadSettings /d 1 /f >/dev/null 2>&1
request_consumed() { [ "$(hw_reg_value "$HW_PRODUCT_KEY" ReadSettings)" = 0x0 ]; }
check "the mistyped request is consumed, as a number 0" waits_for 100 request_consumed
counted_since() { [ "$(hw_reg_value "$HW_USERS_KEY\\$user" SpentTime)" != "$spent_before" ]; }
check "and the minute is still counted" waits_for 100 counted_since
check "the debug log names the value, the type found and the type expected" \
  grep -q 'ReadSettings" of key .*holds REG_SZ where REG_DWORD was expected; taken as absent' "$app/debug.log"

echo "== stop"
calls_before=$(wc -l < "$calls")
spent_before_stop=$(hw_reg_value "$HW_USERS_KEY\\$user" SpentTime)
wine net stop Hourwarden >/dev/null 2>&1
check "service stopped" waits_for 10 sh -c "wine sc query Hourwarden | grep -q STOPPED"
check "closing lines in order" sh -c "tr -d '\\r' < '$app/debug.log' | cut -c23- | grep -E '^(Stopping service|Service stopped|Service execution stopped|Service destroyed)$' | tail -4 | tr '\\n' '|' | grep -qx 'Stopping service|Service stopped|Service execution stopped|Service destroyed|'"
unblocked_at_stop() { tail -n +"$((calls_before + 1))" "$calls" | grep -c "hours=$all\$"; }
check "every restricted user unblocked at stop" test "$(unblocked_at_stop)" -ge 3
check "spent time kept at stop" test "$(hw_reg_value "$HW_USERS_KEY\\$user" SpentTime)" = "$spent_before_stop"

echo "== uninstall"
(cd "$app" && wine hourwarden.exe /uninstall /silent)
check "service removed" sh -c "! wine reg query '$service_key' >/dev/null 2>&1"
check "event source removed" sh -c "! wine reg query '$source_key' >/dev/null 2>&1"

echo "== a run outside the service control manager"
check "ends cleanly" sh -c "cd '$app' && timeout 60 wine hourwarden.exe"

echo "== time from the Date header only, with a Path that standard users can write to"
hw_time_server_stop
hw_time_server_start "$work" --date-header-only
hw_reg_add "$HW_PRODUCT_KEY" TimeUrl REG_SZ "$HW_TIME_URL"
# Wine derives a folder's access list from its Unix mode: 777 lets Everyone create files.
mkdir -p "$WINEPREFIX/drive_c/OpenLogs" && chmod 777 "$WINEPREFIX/drive_c/OpenLogs"
hw_reg_add "$HW_PRODUCT_KEY" Path REG_SZ 'C:\OpenLogs\'
own_log="$WINEPREFIX/drive_c/ProgramData/Hourwarden/Logs/debug.log"
(cd "$app" && wine hourwarden.exe /install /silent)
wine net start Hourwarden >/dev/null 2>&1
# The start's day test waits for the first confirmed time.
check "clock confirmed from the Date header" waits_for 20 grep -q "Updating spent time for user" "$own_log"
check "at the first check" sh -c "! grep -q 'Not possible to connect to time site\\|gives no time' '$own_log'"
check "the open Path is refused for the logs" test ! -e "$WINEPREFIX/drive_c/OpenLogs/debug.log"
check "the debug log says where the logs went and why" grep -q "The logs go to .*ProgramData.*standard users can write to it" "$own_log"
wine net stop Hourwarden >/dev/null 2>&1
(cd "$app" && wine hourwarden.exe /uninstall /silent)

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
