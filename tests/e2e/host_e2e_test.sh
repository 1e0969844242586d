#!/usr/bin/env bash
# End-to-end: what hourwarden.exe sets up and keeps tidy on a PC, under Wine's service control
# manager in a throw-away prefix: the Safe Mode entries of /install and /uninstall, and a debug
# log over its limit cut back by the running service at its first flush, not only at a stop.
# (Wine stores no failure actions and sends no shutdown to a service: the unit tests cover
# those.) Prints one line per check and ends with "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/wine_env.sh"
source "$root/scripts/wine_service.sh"

source "$root/tests/checks.sh"
hw_e2e_prefix "$root/build/windows/host-e2e"
hw_time_server_start "$work"
hw_sample_configuration "$user" 1440
safe_boot_keys=('HKLM\System\CurrentControlSet\Control\SafeBoot\Minimal\Hourwarden'
                'HKLM\System\CurrentControlSet\Control\SafeBoot\Network\Hourwarden')

echo "== install"
(cd "$app" && wine hourwarden.exe /install /silent)
for key in "${safe_boot_keys[@]}"; do
  check "started in Safe Mode: ${key##*SafeBoot\\}" test "$(hw_reg_default "$key")" = 'REG_SZ Service'
done

echo "== a debug log over its limit while the service runs"
# 1.5 MiB of old lines, as a flood of failures between two stops would leave.
log="$app/debug.log"
python3 - "$log" <<'PY'
import sys
with open(sys.argv[1], "wb") as out:
    for number in range(15_000):
        out.write(b"[01.01.2026 00:00:00] an old line %05d " % number + b"." * 67 + b"\r\n")
PY
wine net start Hourwarden >/dev/null 2>&1
flushed() { grep -q "Executing service" "$log"; }
check "the service's first flush reaches the log" waits_for 30 flushed
size=$(stat -c %s "$log")
echo "   debug.log: $size bytes after the first flush"
check "the log is cut back to its newest lines within 896 KiB" test "$size" -le $((1048576 - 131072))
check "the kept part starts with a whole old line" sh -c "head -c 40 '$log' | grep -q '^\\[01.01.2026 00:00:00\\] an old line '"
check "the newest old line and the service's own lines are kept" \
  sh -c "grep -q 'an old line 14999 ' '$log' && tail -c 2000 '$log' | grep -q 'Executing service'"
check "no trim file is left beside it" test ! -e "$log.trim"
wine net stop Hourwarden >/dev/null 2>&1
check "service stopped" waits_for 10 sh -c "wine sc query Hourwarden | grep -q STOPPED"

echo "== uninstall"
(cd "$app" && wine hourwarden.exe /uninstall /silent)
for key in "${safe_boot_keys[@]}"; do
  check "no longer started in Safe Mode: ${key##*SafeBoot\\}" sh -c "! wine reg query '$key' >/dev/null 2>&1"
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
