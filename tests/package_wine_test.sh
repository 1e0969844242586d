#!/usr/bin/env bash
# The installer package under Wine's msiexec, in a throw-away prefix: a first install, an
# upgrade to a later version, an uninstall that keeps the configuration and one with
# KEEPCONFIG=0 that removes it. The service runs with the recording netapi32.dll (placed in the
# program folder before the install) and a loopback time page. Prints one line per check and ends
# with "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/wine_env.sh"
source "$root/scripts/wine_service.sh"

work="$root/build/windows/package-test"
source "$root/tests/checks.sh"
# Runs msiexec with the arguments; its exit code lands in $status. (Wine's programs must not hold
# this script's pipes open, so its output goes to a file.)
msiexec() {
  wine msiexec "$@" >"$work/msiexec.out" 2>&1 </dev/null
  status=$?
}
# The type and data of a value as reg query shows them ("REG_SZ C:\..."), empty when absent.
typed_value() {
  wine reg query "$1" /v "$2" 2>/dev/null </dev/null | tr -d '\r' |
    awk -v line="    $2    " 'index($0, line) == 1 { print substr($0, length(line) + 1) }' | sed 's/    / /'
}
key_exists() { wine reg query "$1" >/dev/null 2>&1 </dev/null; }
finish() {
  hw_time_server_stop
  wine_prefix_done
}
trap finish EXIT

rm -rf "$work" && mkdir -p "$work"
version=$(cat "$root/build/windows/version.txt")
msi=$("$root/scripts/package.sh" | tail -1)
# The upgrade: the same package with the patch number one higher.
later="${version%.*}.$(( ${version##*.} + 1 ))"
later_msi=$("$root/scripts/package.sh" "$later" | tail -1)
msi_file="$msi"
# msiexec takes the packages by their Windows paths (Wine's Z: is the Unix root).
msi="Z:${msi//\//\\}"
later_msi="Z:${later_msi//\//\\}"

wine_prefix_new "$work/prefix"
program_dir="$WINEPREFIX/drive_c/Program Files/Hourwarden"
service_key='HKLM\System\CurrentControlSet\Services\Hourwarden'
sources_key='HKLM\System\CurrentControlSet\Services\EventLog\Application'
run_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
safe_boot_keys=('HKLM\System\CurrentControlSet\Control\SafeBoot\Minimal\Hourwarden'
                'HKLM\System\CurrentControlSet\Control\SafeBoot\Network\Hourwarden')
# Wine's reg.exe now and then prints nothing while three suites share the machine; the entry is
# asked for again rather than taken as missing.
safe_boot_entry_is_service() { test "$(hw_reg_default "$1")" = 'REG_SZ Service'; }
no_safe_boot_entry() { for key in "${safe_boot_keys[@]}"; do key_exists "$key" && return 1; done; return 0; }
# One field of a table of the built package, by the row's key: table_field MSI TABLE KEY NUMBER.
table_field() {
  msiinfo export "$1" "$2" | tr -d '\r' | awk -F'\t' -v key="$3" -v n="$4" 'NR > 3 && $1 == key { print $n }'
}
user=$(wine cmd /c echo %USERNAME% 2>/dev/null </dev/null | tr -d '\r')
# The Start-menu shortcut of the settings window, wherever the prefix keeps the common Start menu.
settings_shortcut() { find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Hourwarden Settings.lnk' 2>/dev/null; }

# The configuration an administrator imported before installing: every minute of the Wine user
# (who owns every running program) counted, the loopback time page, the debug log of every
# minute. Path is left to the package.
hw_time_server_start "$work"
hw_reg_add "$HW_PRODUCT_KEY" Debug REG_DWORD 3
hw_reg_add "$HW_PRODUCT_KEY" TimeUrl REG_SZ "$HW_TIME_URL"
hw_reg_add "$HW_USERS_KEY\\$user" DayLimit REG_SZ "1440"
# Wine has no account calls: the service gets the recording netapi32.dll beside it.
mkdir -p "$program_dir"
cp "$root/build/windows/service/netapi32.dll" "$program_dir/"
wine reg add 'HKCU\Software\Wine\AppDefaults\hourwarden.exe\DllOverrides' /v netapi32 /d native /f >/dev/null 2>&1

echo "== the package's tables"
check "KEEPCONFIG and LOGFOLDER are secure properties" \
  sh -c "echo ';$(table_field "$msi_file" Property SecureCustomProperties 2);' | grep ';KEEPCONFIG;' | grep -q ';LOGFOLDER;'"
check "the service install is vital (0x8000) with normal error control" \
  test "$(table_field "$msi_file" ServiceInstall Service 6)" = $((0x8000 | 1))
check "the failure-actions flag set for the service at its install" \
  test "$(table_field "$msi_file" MsiServiceConfig FailureActionsFlag 2)/$(table_field "$msi_file" MsiServiceConfig FailureActionsFlag 4)/$(table_field "$msi_file" MsiServiceConfig FailureActionsFlag 5)" = "Hourwarden/4/1"
sequence_of() { table_field "$msi_file" InstallExecuteSequence "$1" 3; }
check "and applied between InstallServices and StartServices" \
  test "$(sequence_of InstallServices)" -lt "$(sequence_of MsiConfigureServices)" -a "$(sequence_of MsiConfigureServices)" -lt "$(sequence_of StartServices)"

echo "== install"
msiexec /i "$msi" /qn
check "msiexec /i succeeds" test "$status" -eq 0
for program in hourwarden.exe hourwarden-session.exe hwctl.exe hourwarden-settings.exe; do
  check "$program in Program Files\\Hourwarden" test -f "$program_dir/$program"
done
# The values of hourwarden.exe /install, as the end-to-end suite checks them there.
check "the Start-menu shortcut \"Hourwarden Settings\"" test -n "$(settings_shortcut)"
check "service type own process" test "$(hw_reg_value "$service_key" Type)" = 0x10
check "automatic start" test "$(hw_reg_value "$service_key" Start)" = 0x2
check "normal error control (the installer keeps the vital bit to itself)" test "$(hw_reg_value "$service_key" ErrorControl)" = 0x1
check "local system account" test "$(hw_reg_value "$service_key" ObjectName)" = LocalSystem
check "display name" test "$(hw_reg_value "$service_key" DisplayName)" = Hourwarden
# Windows Installer quotes the path of the program; Wine's writes it without the quotes.
check "the service runs the installed program" \
  test "$(hw_reg_value "$service_key" ImagePath | tr -d '"')" = 'C:\Program Files\Hourwarden\hourwarden.exe'
check "service started by the install" waits_for 10 sh -c "wine sc query Hourwarden </dev/null | grep -q RUNNING"
check "session tool started at logon, quoted" \
  test "$(typed_value "$run_key" 'Hourwarden session')" = 'REG_SZ "C:\Program Files\Hourwarden\hourwarden-session.exe"'
for source in Hourwarden hourwarden.exe; do
  check "event source $source: the program as its message file" \
    test "$(typed_value "$sources_key\\$source" EventMessageFile)" = 'REG_EXPAND_SZ C:\Program Files\Hourwarden\hourwarden.exe'
  check "event source $source: its types" test "$(hw_reg_value "$sources_key\\$source" TypesSupported)" = 0x7
done
for key in "${safe_boot_keys[@]}"; do
  check "started in Safe Mode: ${key##*SafeBoot\\}" waits_for 5 safe_boot_entry_is_service "$key"
done
check "Path set to the log folder, with its backslash" test "$(hw_reg_value "$HW_PRODUCT_KEY" Path)" = 'C:\ProgramData\Hourwarden\'
check "the log folder made" test -d "$WINEPREFIX/drive_c/ProgramData/Hourwarden"
# hwctl check warns of a TimeZone that is not the computer's zone, and of none.
check "TimeZone set to the computer's zone" \
  sh -c "test -n \"\$(wine reg query 'HKLM\\SOFTWARE\\Qorvex\\Hourwarden' /v TimeZone </dev/null 2>/dev/null | grep REG_SZ)\" &&
    ! wine '$program_dir/hwctl.exe' check </dev/null 2>/dev/null | grep -q 'warning: .*TimeZone'"
check "CountLockedSessions set to 0: a locked screen uses up no time" \
  test "$(hw_reg_value "$HW_PRODUCT_KEY" CountLockedSessions)" = 0x0
check "EndSession set to lock: the session is kept when the time is up" \
  test "$(hw_reg_value "$HW_PRODUCT_KEY" EndSession)" = lock
spent_counted() { [ $(( $(hw_reg_value "$HW_USERS_KEY\\$user" SpentTime) + 0 )) -ge 1 ]; }
# Setting Path asked for a reload, which takes the first minute; the reload reads the count back
# without the date the start took (the start writes nothing), so the second minute starts the
# day afresh without counting; the third is counted, about 180 s after the start. The wait is in
# wall-clock time, with a margin for a loaded machine.
check "a minute counted for the logged-on user" within 300 spent_counted
check "the debug log written in the log folder" grep -q "Executing service" "$WINEPREFIX/drive_c/ProgramData/Hourwarden/debug.log"
hwctl_version=$(wine "$program_dir/hwctl.exe" --version 2>/dev/null </dev/null | tr -d '\r')
check "hwctl --version names the package's version" test "$hwctl_version" = "hwctl (Hourwarden) $version"
check "the package carries that version" sh -c "msiinfo export '$msi_file' Property | tr -d '\\r' | grep -qx 'ProductVersion	$version'"

echo "== upgrade to $later"
wine "$program_dir/hwctl.exe" debug 2 >/dev/null 2>&1 </dev/null  # a setting changed after the install
wine "$program_dir/hwctl.exe" timezone "Tokyo Standard Time" >/dev/null 2>&1 </dev/null
spent_before=$(hw_reg_value "$HW_USERS_KEY\\$user" SpentTime)
msiexec /i "$later_msi" /qn
check "msiexec /i of the later version succeeds" test "$status" -eq 0
installed_products() {
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null </dev/null | tr -d '\r' |
    grep -c 'DisplayName    REG_SZ    Hourwarden$'
}
check "one Hourwarden left installed" test "$(installed_products)" -eq 1
check "the later version registered" sh -c "wine reg query 'HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall' /s </dev/null | tr -d '\\r' | grep -q 'DisplayVersion    REG_SZ    $later\$'"
check "the service runs again" waits_for 10 sh -c "wine sc query Hourwarden </dev/null | grep -q RUNNING"
check "the changed setting kept" test "$(hw_reg_value "$HW_PRODUCT_KEY" Debug)" = 0x2
check "Path kept" test "$(hw_reg_value "$HW_PRODUCT_KEY" Path)" = 'C:\ProgramData\Hourwarden\'
check "the chosen TimeZone kept" test "$(hw_reg_value "$HW_PRODUCT_KEY" TimeZone)" = "Tokyo Standard Time"
check "the counted minutes kept" sh -c "[ \$(( $(hw_reg_value "$HW_USERS_KEY\\$user" SpentTime) )) -ge \$(( $spent_before )) ]"

echo "== uninstall"
msiexec /x "$later_msi" /qn
check "msiexec /x succeeds" test "$status" -eq 0
check "service removed" sh -c "! wine reg query '$service_key' </dev/null"
for program in hourwarden.exe hourwarden-session.exe hwctl.exe hourwarden-settings.exe; do
  check "$program removed" test ! -e "$program_dir/$program"
done
check "the Start-menu shortcut removed" test -z "$(settings_shortcut)"
check "session tool no longer started" test -z "$(typed_value "$run_key" 'Hourwarden session')"
check "event sources removed" sh -c "! wine reg query '$sources_key\\Hourwarden' </dev/null && ! wine reg query '$sources_key\\hourwarden.exe' </dev/null"
check "no longer started in Safe Mode" no_safe_boot_entry
check "configuration kept" test "$(hw_reg_value "$HW_PRODUCT_KEY" TimeUrl)" = "$HW_TIME_URL"
check "counted minutes kept" test -n "$(hw_reg_value "$HW_USERS_KEY\\$user" SpentTime)"

echo "== uninstall with KEEPCONFIG=0"
msiexec /i "$msi" /qn
check "installed again" test "$status" -eq 0
msiexec /x "$msi" /qn KEEPCONFIG=0
check "msiexec /x KEEPCONFIG=0 succeeds" test "$status" -eq 0
check "configuration removed" sh -c "! wine reg query '$HW_PRODUCT_KEY' </dev/null"
check "service removed again" sh -c "! wine reg query '$service_key' </dev/null"
check "and its Safe Mode entries" no_safe_boot_entry

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
