#!/usr/bin/env bash
# End-to-end check of the days counted, under Wine's service control manager, as a child without
# TimeZone set would try it: a restricted user at 61 of 60 minutes, the service run once in a zone
# whose date is another (Kiritimati, 14 hours east of UTC, against Pago Pago, 11 hours west: 25
# hours apart, so the dates always differ), then in the first zone again: the count is 61 again
# and the user blocked. A prefix's zone is the programs' TZ, so each zone gets a wineserver of its
# own. Prints one line per check and ends with "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
first_zone=Pacific/Pago_Pago
other_zone=Pacific/Kiritimati
export TZ=$first_zone
source "$root/scripts/wine_env.sh"
source "$root/scripts/wine_service.sh"
source "$root/tests/checks.sh"

work="$root/build/windows/e2e-ledger"
finish() {
  hw_time_server_stop
  wine_prefix_done
}
trap finish EXIT
# Ends every program of the prefix and serves it again with the zone: in_zone ZONE
in_zone() {
  wine_prefix_end
  export TZ="$1"
  wineserver -p >/dev/null 2>&1 </dev/null
}
# Starts the service and waits for the start's day test: run_service DATE-LINE
run_service() {
  rm -f "$log"
  wine net start Hourwarden >/dev/null 2>&1
  waits_for 20 hw_running && waits_for 60 grep -q "$1" "$log"
}
stop_service() {
  wine net stop Hourwarden >/dev/null 2>&1
  waits_for 20 hw_stopped
  waits_for 30 not hw_service_process
}
# The hours of the user's last logon-hours change: none or all.
last_hours() {
  grep "user=$user level=1020 " "$calls" | tail -1 | grep -q "hours=$(printf "$1%.0s" $(seq 21))\$"
}
user_key() { echo "$HW_USERS_KEY\\$user"; }

rm -rf "$work" && mkdir -p "$work"
wine_prefix_new "$work/prefix"
app="$WINEPREFIX/drive_c/Hourwarden"
hw_install_files "$app"
log="$app/debug.log"
calls="$app/netapi32_calls.log"
user=$(wine cmd /c echo %USERNAME% 2>/dev/null | tr -d '\r')
first_day=$(TZ=$first_zone date +%d.%m.%Y)

hw_time_server_start "$work"
hw_sample_configuration "$user" 60
hw_reg_add "$(user_key)" SpentTime REG_DWORD 61
hw_reg_add "$(user_key)" TimeStamp REG_SZ "$first_day"
(cd "$app" && timeout 60 wine hourwarden.exe /install /silent)
check "service installed" wine sc query Hourwarden

echo "== in Kiritimati, another date"
in_zone $other_zone
other_day=$(date +%d.%m.%Y)
echo "   $first_zone: $first_day, $other_zone: $other_day"
check "the service counts a new day there" run_service "spent time=0 date=$other_day"
check "and lets the user go on with it" waits_for 10 last_hours ff
stop_service
check "the stop writes that day's count" test "$(hw_reg_value "$(user_key)" TimeStamp)" = "$other_day"
check "and keeps the first day's 61 minutes" sh -c "wine reg query '$(user_key)' /v SpentDays | grep -q '$first_day=61'"

echo "== in Pago Pago again"
in_zone $first_zone
check "the count of the first day is 61 again" run_service "spent time=61 date=$first_day"
check "the debug log says the clock went back" grep -q "The clock went back to $first_day, before $other_day counted for $user" "$log"
check "the user is over the allowance" waits_for 10 grep -q "User logged over time limit:60" "$log"
check "and blocked" waits_for 10 last_hours 00
wine "$root/build/windows/hwctl/hwctl.exe" show "$user" >"$work/show.out" 2>&1 </dev/null
check "hwctl show marks the day borrowed from" grep -q "$other_day .*after today" "$work/show.out"
stop_service
check "the stop writes 61 minutes or more on the first day" \
  sh -c "[ \"\$(printf '%d' '$(hw_reg_value "$(user_key)" SpentTime)')\" -ge 61 ] &&
         [ '$(hw_reg_value "$(user_key)" TimeStamp)' = '$first_day' ]"
(cd "$app" && timeout 60 wine hourwarden.exe /uninstall /silent)

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
