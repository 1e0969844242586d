#!/usr/bin/env bash
# The main job: builds hourwarden.exe, installs it as a service under Wine with a sample
# configuration and a loopback time page, starts it and reports what it decides minute by minute
# (read from its debug log, which stays on disk), then stops and uninstalls it and shows
# hwctl list. Takes under three minutes.
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

echo "The sample: $user (who owns every running program) may use the computer 1 minute a day,"
echo "alice is in a restricted period all day, bob is free."
echo "Installing and starting the service..."
(cd "$app" && wine hourwarden.exe /install /silent)
rm -f "$app/debug.log"
wine net start Hourwarden >/dev/null 2>&1

# The service's decisions as they come, read from its own debug log.
echo
python3 scripts/minute_report.py "$app/debug.log" --follow 128

echo
echo "Stopping and uninstalling..."
wine net stop Hourwarden >/dev/null 2>&1
(cd "$app" && wine hourwarden.exe /uninstall /silent)
echo
echo "hwctl list afterwards:"
wine "$root/build/windows/hwctl/hwctl.exe" list 2>/dev/null </dev/null | tr -d '\r'
echo
echo "The whole debug log: $app/debug.log (process log: $app/process.log)"
