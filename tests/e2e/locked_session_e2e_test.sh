#!/usr/bin/env bash
# End-to-end check of the minutes of a locked screen under Wine's service control manager, in a
# throw-away prefix: the recording wtsapi32.dll reports the console session (the Wine user's, who
# owns every running program) locked or unlocked as this script writes it into the file beside it.
# Without CountLockedSessions the locked minute is counted like the minutes before and after it;
# with CountLockedSessions 0 (hwctl countlocked off) it is not, and the minute report says so.
# Prints one line per check and ends with "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/wine_env.sh"
source "$root/scripts/wine_service.sh"

source "$root/tests/checks.sh"
hw_e2e_prefix "$root/build/windows/e2e-locked"
log="$app/debug.log"
console="$app/wtsapi32_console.txt"  # read by the recording wtsapi32.dll at every call
hwctl="$root/build/windows/hwctl/hwctl.exe"

spent() { hw_reg_value "$HW_USERS_KEY\\$user" SpentTime; }
spent_is() { [ "$(spent)" = "$1" ]; }
# Waits for the minute that brings the count to the value, then sets the console's state for the
# next minute.
minute_then() {  # minute_then COUNT locked|unlocked DESCRIPTION
  check "$3" waits_for 100 spent_is "$1"
  if [ "$2" = locked ]; then echo locked >"$console"; else rm -f "$console"; fi
}

# The Wine user may use the computer an hour a day: every minute is counted and nobody is asked to
# log off.
hw_time_server_start "$work"
hw_sample_configuration "$user" 60
(cd "$app" && wine hourwarden.exe /install /silent)
wine net start Hourwarden >/dev/null 2>&1
check "service running" waits_for 20 sh -c "wine sc query Hourwarden | grep -q RUNNING"

echo "== without CountLockedSessions every minute with a program running counts"
minute_then 0x1 locked "the minute before the lock counted"
minute_then 0x2 unlocked "the locked minute counted"
minute_then 0x3 unlocked "the minute after it counted"
check "no minute said to be left uncounted" sh -c "! grep -q 'Minute not counted' '$log'"

echo "== with CountLockedSessions 0 the locked minute is not counted"
wine "$hwctl" countlocked off >/dev/null 2>&1 </dev/null
check "hwctl countlocked off stores 0" test "$(hw_reg_value "$HW_PRODUCT_KEY" CountLockedSessions)" = 0x0
# The reload takes the next minute, which counts nothing.
check "the service reads the setting at its reload" \
  waits_for 100 grep -q "Minutes of locked and disconnected sessions counted: no" "$log"
minute_then 0x4 locked "the minute before the lock counted"
check "the locked minute is not counted, and the log says why" \
  waits_for 100 grep -q "Minute not counted for $user: every session locked or disconnected" "$log"
check "the count stayed" spent_is 0x4
check "the sessions were learnt from the system" grep -q "Sessions of $user: active=0 locked=1 disconnected=0 outside=0" "$log"
rm -f "$console"
check "the minute after the lock counted" waits_for 100 spent_is 0x5
python3 "$root/scripts/minute_report.py" "$log" >"$work/report.txt" 2>&1
check "the minute report says which minute was not counted" \
  grep -q -- "-- $user: this minute not counted, the screen locked" "$work/report.txt"

wine net stop Hourwarden >/dev/null 2>&1
(cd "$app" && timeout 60 wine hourwarden.exe /uninstall /silent)

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
