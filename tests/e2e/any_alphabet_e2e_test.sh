#!/usr/bin/env bash
# End-to-end check of names outside the ANSI code page under Wine's service control manager, in a
# throw-away prefix whose ANSI code page is 1252 (Western European): a user named in Cyrillic and
# one named in Greek, both restricted all day, are blocked by their own names in the recording
# netapi32.dll; the debug log, UTF-8 without a byte-order mark, names them rightly, and so do the
# minute report and hwctl. Prints one line per check and ends with "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/wine_env.sh"
source "$root/scripts/wine_service.sh"

source "$root/tests/checks.sh"

# English programs and an English prefix: the ANSI code page of a Western European PC. The shell's
# own texts are UTF-8, which Wine turns into UTF-16 for the programs' command lines.
export LANG=en_US.UTF-8 LC_ALL=C.UTF-8
hw_e2e_prefix "$root/build/windows/e2e-alphabet"
log="$app/debug.log"
calls="$app/netapi32_calls.log"  # written by the recording netapi32.dll
none=$(printf '00%.0s' $(seq 21))
hwctl="$root/build/windows/hwctl/hwctl.exe"
acp=$(hw_reg_value 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' ACP)
check "the prefix's ANSI code page is 1252, which has neither alphabet" test "$acp" = 1252

# Both users restricted from 00:00 to 24:00 every day, written by regedit from a UTF-16 file as an
# administrator's .reg file would be.
hw_time_server_start "$work"
hw_sample_configuration bob 60
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  for name in Дима Ελένη; do
    printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Qorvex\\Hourwarden\\Time_restrictions\\%s]\r\n' "$name"
    for day in 0 1 2 3 4 5 6; do printf '"Day%s"="00:00 24:00"\r\n' "$day"; done
    printf '\r\n'
  done
} | iconv -f UTF-8 -t UTF-16 >"$WINEPREFIX/drive_c/names.reg"
wine regedit /s 'C:\names.reg' >/dev/null 2>&1 </dev/null

(cd "$app" && wine hourwarden.exe /install /silent)
wine net start Hourwarden >/dev/null 2>&1
check "service running" waits_for 20 sh -c "wine sc query Hourwarden | grep -q RUNNING"

check "netapi: Дима's logon hours set to none" \
  waits_for 100 grep -q "user=Дима level=1020 units=168 hours=$none\$" "$calls"
check "netapi: Ελένη's logon hours set to none" grep -q "user=Ελένη level=1020 units=168 hours=$none\$" "$calls"
# The lines reach the file at the end of the tick.
check "the debug log names Дима" waits_for 30 grep -q "User account successfully blocked: Дима" "$log"
check "the debug log names Ελένη" grep -q "User account successfully blocked: Ελένη" "$log"
check "the debug log has no question marks for a name" sh -c "! grep -q 'blocked: ?' '$log'"
check "the debug log starts without a byte-order mark" \
  test "$(head -c 3 "$log" | od -An -tx1 | tr -d ' ')" != efbbbf
python3 "$root/scripts/minute_report.py" "$log" >"$work/report.txt" 2>&1
check "the minute report reads the log" grep -q "Ελένη" "$work/report.txt"

# hwctl takes the name from its UTF-16 command line and writes UTF-8 to a file.
wine "$hwctl" show Ελένη >"$work/show.txt" 2>&1 </dev/null
check "hwctl show finds the Greek key" grep -q "Ελένη" "$work/show.txt"
check "hwctl show reads its periods" grep -q "00:00" "$work/show.txt"

wine net stop Hourwarden >/dev/null 2>&1
check "netapi: Дима unblocked at the stop" waits_for 20 grep -q "user=Дима level=1020 units=168 hours=ff" "$calls"
(cd "$app" && timeout 60 wine hourwarden.exe /uninstall /silent)

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
