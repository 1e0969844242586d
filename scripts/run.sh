#!/usr/bin/env bash
# The main job: builds hourwarden.exe, installs it as a service under Wine with a sample
# configuration and a loopback time page, starts it and shows what it decides minute by minute
# (its debug log), then stops and uninstalls it. Takes about three minutes.
#
# The sample: the Wine user, who owns every running program, may use the computer for 1 minute
# a day; alice is in a restricted period all day; bob is free.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/build.sh >/dev/null
source scripts/wine_env.sh
source scripts/wine_service.sh

work="$root/build/windows/run"
rm -rf "$work" && mkdir -p "$work"
finish() {
  hw_time_server_stop
  wine_prefix_end
}
trap finish EXIT
echo "Preparing a Wine prefix..."
wine_prefix_new "$work/prefix"
app="$WINEPREFIX/drive_c/Hourwarden"
hw_install_files "$app"
user=$(wine cmd /c echo %USERNAME% 2>/dev/null | tr -d '\r')

hw_time_server_start "$work"
hw_sample_configuration "$user" 1

echo "Installing and starting the service (restricted users: $user, alice, bob)..."
(cd "$app" && wine hourwarden.exe /install /silent)
rm -f "$app/debug.log"
wine net start Hourwarden >/dev/null 2>&1

# Shows the debug log as it grows, leaving out the per-tick lines of the process census.
shown=0
show_new_lines() {
  [ -f "$app/debug.log" ] || return 0
  local total
  total=$(wc -l < "$app/debug.log")
  if [ "$total" -gt "$shown" ]; then
    tail -n +"$((shown + 1))" "$app/debug.log" | head -n "$((total - shown))" | tr -d '\r' |
      { grep -v -e "ERROR:Not possible to open process" -e "failed with error" -e "Tocks synchronization" || true; }
    shown=$total
  fi
}
for _ in $(seq 150); do
  show_new_lines
  sleep 1
done

echo "Stopping and uninstalling..."
wine net stop Hourwarden >/dev/null 2>&1
sleep 1
show_new_lines
(cd "$app" && wine hourwarden.exe /uninstall /silent)
echo
echo "Registry afterwards ($user):"
wine reg query "$HW_USERS_KEY\\$user" 2>/dev/null | tr -d '\r' | grep -E "SpentTime|TimeStamp|Logoff"
echo "Logs: $app/debug.log and $app/process.log"
