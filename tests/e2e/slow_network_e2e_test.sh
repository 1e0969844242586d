#!/usr/bin/env bash
# End-to-end under Wine's service control manager: a network that answers too slowly holds
# nothing up. The time site on loopback takes every connection and sends one byte every 4 s. The
# start reports running at once (timed, also with a site that never sends a byte), the user is
# held back within 30 s of net start, the service itself ends the user's session when no session
# tool does (the recording wtsapi32.dll), and a stop ends within 20 s and gives the hours back.
# Prints one line per check and ends with "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/wine_env.sh"
source "$root/scripts/wine_service.sh"

work="$root/build/windows/e2e-slow"
source "$root/tests/checks.sh"
server_pids=()
finish() {
  for pid in "${server_pids[@]}"; do kill "$pid" 2>/dev/null; done
  wine_prefix_done
}
trap finish EXIT
ms_since() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }
# Starts a loopback site of the test, sending a byte every $1 seconds (0: never); sets site_url.
start_site() {
  rm -f "$work/site-port"
  python3 "$root/tests/e2e/slow_time_server.py" --every "$1" --port-file "$work/site-port" --log-file "$work/site-$1.log" &
  server_pids+=($!)
  for _ in $(seq 50); do [ -s "$work/site-port" ] && break; sleep 0.1; done
  site_url="http://127.0.0.1:$(cat "$work/site-port")/"
}
# Starts the service and prints how long net start took to see it running, in ms.
timed_start() {
  local begin
  begin=$(date +%s%N)
  wine net start Hourwarden >/dev/null 2>&1
  waits_for 30 hw_running
  ms_since "$begin"
}

rm -rf "$work" && mkdir -p "$work"
wine_prefix_new "$work/prefix"
app="$WINEPREFIX/drive_c/Hourwarden"
hw_install_files "$app"
log="$app/debug.log"
calls="$app/netapi32_calls.log"
sessions="$app/wtsapi32_calls.log"
none=$(printf '00%.0s' $(seq 21))
all=$(printf 'ff%.0s' $(seq 21))
user=$(wine cmd /c echo %USERNAME% 2>/dev/null | tr -d '\r')

echo "== a site that never sends a byte: the start does not wait for it"
start_site 0
# The Wine user, who owns every running program, may use the PC all day: only the unconfirmed
# time holds it back.
HW_TIME_URL="$site_url" hw_sample_configuration "$user" 1440
(cd "$app" && timeout 60 wine hourwarden.exe /install /silent)
start_ms=$(timed_start)
echo "   net start saw the service running after $start_ms ms"
check "running within 5 s of net start" test "$start_ms" -lt 5000
check "its time check waits on the site meanwhile" waits_for 10 grep -q "taken 1" "$work/site-0.log"
wine net stop Hourwarden >/dev/null 2>&1
waits_for 20 hw_stopped
waits_for 30 not hw_service_process

echo "== a site that sends one byte every 4 seconds"
rm -f "$log" "$calls" "$sessions"
start_site 4
hw_reg_add "$HW_PRODUCT_KEY" TimeUrl REG_SZ "$site_url"
start_begin=$(date +%s%N)
start_ms=$(timed_start)
echo "   net start saw the service running after $start_ms ms"
check "running within 5 s of net start" test "$start_ms" -lt 5000
user_blocked() { grep -q "user=$user level=1020 units=168 hours=$none\$" "$calls"; }
logoff_requested() { [ "$(hw_reg_value "$HW_USERS_KEY\\$user" Logoff)" = 0x1 ]; }
check "the user blocked" waits_for 30 user_blocked
check "and asked to log off" waits_for 30 logoff_requested
check "both within 30 s of net start" test "$(ms_since "$start_begin")" -lt 30000
check "for the unconfirmed time" grep -q "inet_connected=0" "$log"
check "the service ends the user's session itself, no session tool running" \
  waits_for 150 grep -q "^logoff session=1 wait=0" "$sessions"
check "each check gives the site up at its 30 seconds" \
  grep -q "had not completed when the 30 seconds for the site were over, so the request was closed ($site_url)" "$log"
check "and a new check follows" grep -q "taken 2" "$work/site-4.log"
check "the user was never given the hours back" not grep -q "user=$user level=1020 units=168 hours=$all\$" "$calls"

calls_before=$(wc -l <"$calls")
stop_begin=$(date +%s%N)
wine net stop Hourwarden >/dev/null 2>&1
waits_for 30 hw_stopped
stop_ms=$(ms_since "$stop_begin")
echo "   the stop took $stop_ms ms"
check "the stop ends within 20 s" test "$stop_ms" -lt 20000
unblocked_after_stop() { tail -n +"$((calls_before + 1))" "$calls" | grep -c "hours=$all\$"; }
check "and gives every restricted user the hours back" test "$(unblocked_after_stop)" -ge 3
check "the process ends, its check abandoned" waits_for 30 not hw_service_process
check "its last lines written" grep -q "Service destroyed" "$log"
(cd "$app" && timeout 60 wine hourwarden.exe /uninstall /silent)

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
