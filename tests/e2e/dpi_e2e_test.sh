#!/usr/bin/env bash
# The session tool's windows at a scale of 150 % under Wine, in a throw-away prefix whose screen
# has 144 dots per inch: the dialog "Ask for more time" opens in the size and the layout of that
# scale, as the tool reads it for its window. Prints one line per check and ends with
# "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/wine_env.sh"
source "$root/tests/checks.sh"
win="$root/build/windows"
tool="$win/session/hourwarden-session.exe"
probe="$win/tests/window_probe.exe"
work="$win/e2e-dpi"
title="Hourwarden - User loggoff tool"
dialog="Hourwarden: ask for more time"
trap wine_prefix_done EXIT

rm -rf "$work" && mkdir -p "$work"
wine_prefix_new "$work/prefix"
w() { timeout 60 wine "$@" 2>/dev/null </dev/null; }
size_of() { w "$probe" size "$@" | tr -d '\r'; }
# The display's scale as Windows keeps it for the user, read by each program as it starts.
w reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
user=$(w "$probe" user | tr -d '\r')
w reg add "HKLM\\SOFTWARE\\Qorvex\\Hourwarden\\Time_restrictions\\$user" /v DayLimit /t REG_SZ /d 1440 /f >/dev/null

wine "$tool" /poll=200 >/dev/null 2>&1 </dev/null &
check "the session tool runs" waits_for 20 w "$probe" find "$title"
w "$probe" command "$title" 1  # the tray menu's "Ask for more time..."
check "the dialog opens" waits_for 10 w "$probe" find "$dialog"
check "the dialog is 660 by 420 pixels, the 440 by 280 of 100 %" test "$(size_of "$dialog")" = "660 420"
check "its Close button 150 by 45, the 100 by 30 of 100 %" test "$(size_of "$dialog" 2)" = "150 45"
w "$probe" close "$dialog"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
