#!/usr/bin/env bash
# End-to-end check of the settings window under Wine, drawn on an Xvfb screen: it opens on a
# prepared configuration, is driven by window messages as a parent's mouse and keyboard would (the
# account chosen by typing its name, a period painted by a drag over the grid, an allowance typed,
# Apply pressed), and writes the account's values and ReadSettings; the computer's page tells of the
# service and writes a debug level; a parent's code is set up; a value changed under it is not overwritten unasked. Its pictures go to build/screenshots/ (settings-*.png). Prints one line
# per check and ends with "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/wine_env.sh"
source "$root/scripts/wine_service.sh"
source "$root/tests/checks.sh"

work="$root/build/windows/e2e-settings"
shots="$root/build/screenshots"
display=":${HW_SETTINGS_DISPLAY:-78}"
probe="$root/build/windows/tests/window_probe.exe"
program="$root/build/windows/settingsapp/hourwarden-settings.exe"
title="Hourwarden Settings"
# The controls' identifiers (settingsapp/settings_window_win.cpp) and the grid's layout at 96 dots
# per inch (settingsapp/week_grid_win.cpp): a cell's centre.
list=100 grid=102 status=103
cell_x() { echo $((44 + $1 * 7 + 3)); }
cell_y() { echo $((18 + $1 * 24 + 12)); }

rm -rf "$work" && mkdir -p "$work" "$shots"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
finish() {
  wine_prefix_done
  kill "$xvfb_pid" 2>/dev/null
}
trap finish EXIT
export DISPLAY="$display"
wine_prefix_new "$work/prefix"
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
wineserver -k
wineserver -w
wineserver -p >/dev/null 2>&1 </dev/null
user=$(wine cmd /c echo %USERNAME% 2>/dev/null </dev/null | tr -d '\r')
key="$HW_USERS_KEY\\$user"
shot() {
  sleep 1
  xwd -name "$title" -silent -display "$display" -out "$work/$1.xwd" &&
    python3 "$root/scripts/xwd_to_png.py" "$work/$1.xwd" "$shots/$1.png"
}

# The user is limited; Tuesday holds a period off the quarter hours, which must stay as it is.
for day in 0 2 3 4 5 6; do hw_reg_add "$key" "Day$day" REG_SZ ""; done
hw_reg_add "$key" Day1 REG_SZ "12:07 12:08"
hw_reg_add "$key" DayLimit REG_SZ "60 60 60 60 60 60 60"
# 40 minutes counted today, and some days of the last weeks in the ledger.
ledger=""
for ago in 20 13 9 6 5 2 1; do ledger+="$(date -d "-$ago days" +%d.%m.%Y)=$((ago * 7 + 10))\\0"; done
wine reg add "$key" /v SpentDays /t REG_MULTI_SZ /d "${ledger}" /f >/dev/null 2>&1
hw_reg_add "$key" SpentTime REG_DWORD 40
hw_reg_add "$key" TimeStamp REG_SZ "$(date +%d.%m.%Y)"
# The process log of today in the regional formats set here: notepad.exe of the user started ten
# minutes ago and still running.
wine reg add 'HKCU\Control Panel\International' /v sShortDate /d dd.MM.yyyy /f >/dev/null 2>&1
wine reg add 'HKCU\Control Panel\International' /v sTimeFormat /d HH:mm:ss /f >/dev/null 2>&1
hw_reg_add "$HW_PRODUCT_KEY" Path REG_SZ 'C:\Hourwarden\'
mkdir -p "$WINEPREFIX/drive_c/Hourwarden"
printf 'O[%s] | 4242 | %s | notepad.exe | C:\\Windows\\notepad.exe \r\n' "$(date -d '-10 minutes' '+%d.%m.%Y %H:%M:%S')" \
  "$user" >"$WINEPREFIX/drive_c/Hourwarden/process.log"
wine "$program" >/dev/null 2>&1 </dev/null &
check "the window opens" waits_for 60 wine "$probe" find "$title"
check "the account is chosen by typing its name" wine "$probe" type "$title" "$list" "$user"
check "the allowance of Monday is shown in hours and minutes" \
  sh -c "[ \"\$(wine '$probe' text '$title' 110 | tr -d '\r')\" = 1 ]"
check "a drag paints Monday 08:00 to 09:00" \
  wine "$probe" drag "$title" "$grid" "$(cell_x 32)" "$(cell_y 0)" "$(cell_x 35)" "$(cell_y 0)"
wine "$probe" settext "$title" 113 25 >/dev/null 2>&1
wine "$probe" click "$title" "&Apply" >/dev/null 2>&1
check "an allowance of 25 hours is refused with its rule" waits_for 10 wine "$probe" showing "An allowance runs from 0"
check "and nothing is written" test "$(hw_reg_value "$key" Day0 | tr -d ' ')" = ""
check "Thursday's allowance is typed" wine "$probe" settext "$title" 113 2
wine "$probe" settext "$title" 123 30 >/dev/null 2>&1
shot settings-week
check "Apply is pressed" wine "$probe" click "$title" "&Apply"
check "it says it saved" waits_for 10 wine "$probe" showing "Saved."
check "Monday's period is written" test "$(hw_reg_value "$key" Day0)" = "08:00 09:00"
check "Tuesday, untouched, keeps its period byte for byte" test "$(hw_reg_value "$key" Day1)" = "12:07 12:08"
check "DayLimit holds Thursday's 2 h 30 min" test "$(hw_reg_value "$key" DayLimit)" = "60 60 60 150 60 60 60"
check "ReadSettings is raised" test "$(hw_reg_value "$HW_PRODUCT_KEY" ReadSettings)" = 0x1

# Today's page: what was used, and more time given at once.
check "the page of today opens from its tab" wine "$probe" key "$title" 105 39
check "it shows the minutes used today" waits_for 10 wine "$probe" showing "Used today: 40 min of 1 h"
check "it shows the programs run today from the process log" waits_for 5 wine "$probe" showing "notepad.exe   1"
wine "$probe" settext "$title" 107 15 >/dev/null 2>&1
shot settings-today
check "more time is given" wine "$probe" click "$title" "&Give more time today"
check "it says so" waits_for 10 wine "$probe" showing "has 15 more minutes today"
check "today's count is 15 minutes lower" test "$(hw_reg_value "$key" SpentTime)" = 0x19

# The computer's page: the service's state at its foot, and a debug level written at Apply.
check "the computer's page opens from its tab" wine "$probe" key "$title" 105 39
check "it tells that the service does not answer" waits_for 30 wine "$probe" showing "The service: not running"
wine "$probe" settext "$title" 179 4 >/dev/null 2>&1
shot settings-computer
wine "$probe" click "$title" "&Apply" >/dev/null 2>&1
waits_for 10 wine "$probe" showing "Saved." >/dev/null 2>&1
check "the debug level is written at Apply" test "$(hw_reg_value "$HW_PRODUCT_KEY" Debug)" = 0x4

# The parent's code's page: a code set up at once, its secret written and its QR code drawn.
check "the parent's code's page opens from its tab" wine "$probe" key "$title" 105 39
check "a code is set up" wine "$probe" click "$title" "&Set up a new code"
check "it says so" waits_for 10 wine "$probe" showing "The parent's code is set up."
check "its secret is written" sh -c "echo '$(hw_reg_value "$HW_PRODUCT_KEY\ParentCode" Secret)' | grep -Eq '^[A-Z2-7]{32}\$'"
shot settings-code
for page in 3 2 1; do wine "$probe" key "$title" 105 37 >/dev/null 2>&1; done

# Painting Tuesday, whose period is off the quarter hours, says it is rounded.
wine "$probe" drag "$title" "$grid" "$(cell_x 72)" "$(cell_y 1)" "$(cell_x 75)" "$(cell_y 1)" >/dev/null 2>&1
check "editing a day off the quarter hours tells of the rounding" \
  waits_for 10 wine "$probe" showing "did not begin and end on quarter hours"
shot settings-rounded

# Another program changes Wednesday; the window's next Apply warns instead of overwriting it.
hw_reg_add "$key" Day2 REG_SZ "10:00 11:00"
wine "$probe" drag "$title" "$grid" "$(cell_x 80)" "$(cell_y 4)" "$(cell_x 83)" "$(cell_y 4)" >/dev/null 2>&1
wine "$probe" click "$title" "&Apply" >/dev/null 2>&1 &
check "a value changed under the window is warned of" waits_for 20 wine "$probe" showing "another program changed"
check "nothing is written before the parent answers" test -z "$(hw_reg_value "$key" Day4 | tr -d ' ')"
check "Wednesday keeps the other program's value" test "$(hw_reg_value "$key" Day2)" = "10:00 11:00"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
