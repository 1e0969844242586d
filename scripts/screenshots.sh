#!/usr/bin/env bash
# Renders the session tool's windows as a child meets them into PNG files under
# build/screenshots/: the warnings, the countdown to the lock, the countdown with the dialog open
# below it, and the dialog's answers to a wrong and a right parent's code. Wine draws them with its
# X11 driver on an Xvfb screen of 1024x768; xwd dumps the screen and scripts/xwd_to_png.py writes
# the PNG. Needs the Windows build (scripts/build.sh), Xvfb and xwd (xvfb and x11-apps, in
# scripts/setup.sh). Not part of the test command; prints each file it writes.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/wine_env.sh"
source "$root/scripts/wine_service.sh"

out="$root/build/screenshots"
display=":${HW_SCREENSHOT_DISPLAY:-77}"
win="$root/build/windows"
probe="$win/tests/window_probe.exe"
client="$win/tests/more_time_client.exe"
tool="$win/session/hourwarden-session.exe"
hwctl="$win/hwctl/hwctl.exe"

rm -rf "$out" && mkdir -p "$out"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
finish() {
  hw_time_server_stop
  wine_prefix_end
  kill "$xvfb_pid" 2>/dev/null
}
trap finish EXIT
export DISPLAY="$display"
sleep 1

wine_prefix_new "$out/prefix"
# Draw on the X screen instead of the null driver the tests use; the desktop process takes its
# driver when it starts, so the prefix's server starts again.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
wineserver -k
wineserver -w
wineserver -p >/dev/null 2>&1 </dev/null
app="$WINEPREFIX/drive_c/Hourwarden"
hw_install_files "$app"
user=$(wine cmd /c echo %USERNAME% 2>/dev/null | tr -d '\r')
key="$HW_USERS_KEY\\$user"

# Waits for the command to succeed, for up to the seconds given.
wait_for() {
  local end=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do [ "$SECONDS" -ge "$end" ] && return 1; sleep 0.5; done
}
showing() { wine "$probe" showing "$1" 2>/dev/null; }
shot() {  # shot NAME: the screen now, as NAME.png
  sleep 1  # the last repaint
  xwd -root -silent -display "$display" -out "$out/$1.xwd" &&
    python3 "$root/scripts/xwd_to_png.py" "$out/$1.xwd" "$out/$1.png" && rm -f "$out/$1.xwd" && echo "$out/$1.png"
}

# The warnings, from the values the service keeps: 45 of 60 minutes used, then 59.
hw_time_server_start "$out"
hw_sample_configuration "$user" 60
hw_reg_add "$HW_PRODUCT_KEY" EndSession REG_SZ lock
hw_reg_add "$key" TimeStamp REG_SZ "$(date +%d.%m.%Y)"
hw_reg_add "$key" SpentTime REG_DWORD 45
wine "$tool" /poll=200 /servicesessionfortesting=1 "/logofflogfortesting=$(winepath -w "$out/tool.log" 2>/dev/null)" \
  >/dev/null 2>&1 &
wait_for 30 showing "That is in 15" && shot warning-15-minutes
wine "$probe" close Hourwarden >/dev/null 2>&1
hw_reg_add "$key" SpentTime REG_DWORD 59
wait_for 30 showing "That is in 1" && shot warning-1-minute
wine "$probe" close Hourwarden >/dev/null 2>&1

# The countdown: the service, with a parent's code set up, holds the user (over the allowance) back.
secret=$(wine "$hwctl" parent-code new 2>/dev/null | tr -d '\r' | grep -oE 'secret=[A-Z2-7]+' | cut -d= -f2)
wine "$hwctl" parent-code minutes "$user" 15 >/dev/null 2>&1
hw_reg_add "$key" DayLimit REG_SZ "58 58 58 58 58 58 58"  # 59 used: over, and free again by a code
(cd "$app" && wine hourwarden.exe /install /silent)
wine net start Hourwarden >/dev/null 2>&1
wait_for 150 showing "The computer will lock in" && wait_for 10 wine "$probe" shown Hourwarden "Ask for more time..." &&
  shot countdown-lock
wine "$probe" click Hourwarden "Ask for more time..." >/dev/null 2>&1
dialog="Hourwarden: ask for more time"
wait_for 10 wine "$probe" topmost "$dialog" && shot countdown-with-dialog
wrong=$(wine "$client" code "$secret" 20 2>/dev/null | tr -d '\r')  # a code of ten minutes later
wine "$probe" settext "$dialog" 101 "$wrong" >/dev/null 2>&1
wine "$probe" click "$dialog" Ask >/dev/null 2>&1
wait_for 20 showing "That code did not work" && shot dialog-wrong-code
wine "$probe" settext "$dialog" 101 "$(wine "$client" code "$secret" 2>/dev/null | tr -d '\r')" >/dev/null 2>&1
wine "$probe" click "$dialog" Ask >/dev/null 2>&1
wait_for 20 showing "added" && shot dialog-code-accepted

wine "$probe" close "Hourwarden - User loggoff tool" >/dev/null 2>&1
wine net stop Hourwarden >/dev/null 2>&1
(cd "$app" && timeout 60 wine hourwarden.exe /uninstall /silent)
