#!/usr/bin/env bash
# End-to-end checks of the time under Wine's service control manager, in a throw-away prefix whose
# system zone is Los Angeles (the programs' TZ): the administrator's zone (TimeZone "Tokyo
# Standard Time") in every stamp of the debug log, in current_time= and in the day of the count;
# a stop while a time check waits on a site that never answers; the https:// time check against
# loopback TLS sites with certificates from a test CA that the prefix trusts (made here with
# openssl). Prints one line per check and ends with "N passed, M failed".
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
# Every program of the prefix, the service manager and the service included, inherits the zone.
export TZ=America/Los_Angeles
source "$root/scripts/wine_env.sh"
source "$root/scripts/wine_service.sh"

work="$root/build/windows/e2e-time"
source "$root/tests/checks.sh"
server_pids=()
start_server() {  # start_server SCRIPT ARGS...: a loopback server of the test, ended at the finish
  python3 "$@" &
  server_pids+=($!)
}
finish() {
  for pid in "${server_pids[@]}"; do kill "$pid" 2>/dev/null; done
  hw_time_server_stop
  wine_prefix_done
}
trap finish EXIT
# Installs or uninstalls; a message box (an error) would wait for ever, so the run is given a minute.
setup_service() { (cd "$app" && timeout 60 wine hourwarden.exe "$1" /silent); }
hw_installed() { wine sc query Hourwarden </dev/null >/dev/null 2>&1; }

rm -rf "$work" && mkdir -p "$work"
wine_prefix_new "$work/prefix"
app="$WINEPREFIX/drive_c/Hourwarden"
hw_install_files "$app"
log="$app/debug.log"
calls="$app/netapi32_calls.log"
hwctl="$root/build/windows/hwctl/hwctl.exe"
user=$(wine cmd /c echo %USERNAME% 2>/dev/null | tr -d '\r')

# Compares the log's times with the zone's time now: "all" is true when every stamp lies within
# three minutes of it and one current_time= shows its hour and minute (give or take three); "any"
# is true when any stamp does.
log_times_in_zone() {  # log_times_in_zone all|any LOG ZONE
  python3 - "$@" <<'PY'
import datetime, re, sys, zoneinfo
mode, path, zone = sys.argv[1:]
now = datetime.datetime.now(zoneinfo.ZoneInfo(zone)).replace(tzinfo=None)
text = open(path, encoding="latin-1").read()
near = lambda t: abs((t - now).total_seconds()) <= 180
stamps = [datetime.datetime.strptime(s, "%d.%m.%Y %H:%M:%S") for s in re.findall(r"^\[([0-9.]+ [0-9:]+)\]", text, re.M)]
if mode == "any":
    sys.exit(0 if any(near(s) for s in stamps) else 1)
day = datetime.timedelta(days=1)
shown = [datetime.datetime.combine(now.date(), datetime.time(int(h), int(m)))
         for h, m in re.findall(r"current_time=(\d\d):(\d\d)", text)]
sys.exit(0 if stamps and all(near(s) for s in stamps) and any(near(t) or near(t + day) or near(t - day) for t in shown) else 1)
PY
}

echo "== the administrator's zone, the system's zone elsewhere"
hw_time_server_start "$work"
hw_sample_configuration "$user" 0
hw_reg_add "$HW_PRODUCT_KEY" TimeZone REG_SZ "Tokyo Standard Time"
setup_service /install
wine net start Hourwarden >/dev/null 2>&1
check "service running" waits_for 20 hw_running
# The start's day test waits for the first confirmed time (wall-clock time: a loaded machine starts
# Wine's services slowly).
check "time confirmed and the log flushed" within 90 grep -q "Updating spent time for user" "$log"
check "the debug log's times and current_time= are Tokyo's" log_times_in_zone all "$log" Asia/Tokyo
check "none of them is the system zone's (Los Angeles)" not log_times_in_zone any "$log" America/Los_Angeles
spent_is_one() { [ "$(hw_reg_value "$HW_USERS_KEY\\$user" SpentTime)" = 0x1 ]; }
check "first minute counted" waits_for 100 spent_is_one
check "the count is dated by Tokyo's day" test "$(hw_reg_value "$HW_USERS_KEY\\$user" TimeStamp)" = "$(TZ=Asia/Tokyo date +%d.%m.%Y)"
wine "$hwctl" check >"$work/check.out" 2>&1 </dev/null
# hwctl wraps its lines at 100 columns: the continuation lines are joined again.
check "hwctl check finds the system's zone is Pacific and warns" \
  sh -c "tr -d '\r' <'$work/check.out' | sed -e ':a' -e 'N' -e '\$!ba' -e 's/\n  */ /g' |
    grep -q \"TimeZone: Tokyo Standard Time is not the computer's zone (Pacific Standard Time)\""
wine "$hwctl" list >"$work/list.out" 2>&1 </dev/null
check "hwctl list counts the day in Tokyo" grep -q "^[A-Za-z]* $(TZ=Asia/Tokyo date +%d.%m.%Y) " "$work/list.out"
wine net stop Hourwarden >/dev/null 2>&1
check "service stopped" waits_for 10 hw_stopped
# A service removed while its process still runs is only marked for deletion, and installing it
# again fails until the process ends: the next start waits for both.
check "its process ended" waits_for 60 not hw_service_process
setup_service /uninstall
check "the service is removed" waits_for 30 not hw_installed
hw_time_server_stop

echo "== a stop while the time check waits on a site that never answers"
rm -f "$log" "$app/process.log" "$work/held"
start_server "$root/tests/e2e/silent_time_server.py" --port-file "$work/silent-port" --held-file "$work/held"
for _ in $(seq 50); do [ -s "$work/silent-port" ] && break; sleep 0.1; done
hw_reg_add "$HW_PRODUCT_KEY" TimeUrl REG_SZ "http://127.0.0.1:$(cat "$work/silent-port")/"
setup_service /install
wine net start Hourwarden >/dev/null 2>&1
check "service running" waits_for 20 hw_running
check "a tick's time check waits on the site" waits_for 60 test -s "$work/held"
calls_before=$(wc -l < "$calls")
stop_begin=$(date +%s%N)
wine net stop Hourwarden >/dev/null 2>&1
waits_for 30 hw_stopped
stop_ms=$(( ($(date +%s%N) - stop_begin) / 1000000 ))
echo "   the stop took $stop_ms ms"
check "the stop completes within the 5 s the service manager waits at a shutdown" test "$stop_ms" -lt 5000
check "the service is stopped" hw_stopped
blocked_after_stop() { tail -n +"$((calls_before + 1))" "$calls" | grep -c "hours=$(printf '00%.0s' $(seq 21))\$"; }
unblocked_after_stop() { tail -n +"$((calls_before + 1))" "$calls" | grep -c "hours=$(printf 'ff%.0s' $(seq 21))\$"; }
check "every restricted user unblocked at the stop" test "$(unblocked_after_stop)" -ge 3
check "the process ends once the fetch gives up" waits_for 40 not hw_service_process
echo "   it ended $(( ($(date +%s%N) - stop_begin) / 1000000 )) ms after the stop began"
check "its last lines written" grep -q "Service destroyed" "$log"
check "nobody blocked again after the stop" test "$(blocked_after_stop)" -eq 0
waits_for 30 not hw_service_process
setup_service /uninstall

echo "== https:// with a certificate from a CA the prefix trusts"
tls="$work/tls"
mkdir -p "$tls"
cat >"$tls/ext.cnf" <<'CNF'
[ca]
default_ca = test_ca
[test_ca]
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha256
policy = any_name
unique_subject = no
[any_name]
commonName = supplied
[server]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
# Windows matches the IP address entry; Wine compares the name as text, so the address is both.
subjectAltName = IP:127.0.0.1,DNS:127.0.0.1
[other_host]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:time.example.net
CNF
make_ca() {  # make_ca NAME
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 30 -subj "/CN=Hourwarden $1" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"
}
sign() {  # sign CA NAME EXTENSIONS START END
  openssl req -newkey rsa:2048 -nodes -keyout "$2.key" -out "$2.csr" -subj "/CN=127.0.0.1"
  : >index.txt; echo 01 >serial
  openssl ca -batch -config ext.cnf -cert "$1.pem" -keyfile "$1.key" -in "$2.csr" -out "$2.pem" \
    -extfile ext.cnf -extensions "$3" -startdate "$4" -enddate "$5"
}
starts=$(date -u -d '-1 day' +%Y%m%d%H%M%SZ)
ends=$(date -u -d '+30 days' +%Y%m%d%H%M%SZ)
( cd "$tls" && make_ca test-ca && make_ca unknown-ca &&
  sign test-ca trusted server "$starts" "$ends" &&
  sign test-ca expired server 20200101000000Z 20200201000000Z &&
  sign test-ca other-host other_host "$starts" "$ends" &&
  sign unknown-ca untrusted server "$starts" "$ends" ) >"$tls/openssl.log" 2>&1
check "the test certificates are made" test -s "$tls/untrusted.pem"
# The prefix trusts the test CA: a certificate in the machine's root store, as crypt32 keeps it
# in the registry (a property list holding the certificate itself, property 32).
der=$(openssl x509 -in "$tls/test-ca.pem" -outform der | od -An -v -tx1 | tr -d ' \n')
le32() { printf '%08x' "$1" | sed -E 's/(..)(..)(..)(..)/\4\3\2\1/'; }
thumbprint=$(openssl x509 -in "$tls/test-ca.pem" -outform der | sha1sum | cut -c1-40 | tr a-f A-F)
hw_reg_add "HKLM\\Software\\Microsoft\\SystemCertificates\\ROOT\\Certificates\\$thumbprint" Blob REG_BINARY \
  "$(le32 32)$(le32 1)$(le32 $((${#der} / 2)))$der"
start_server "$root/tests/e2e/tls_time_server.py" --port-file "$work/tls-ports" --plain-log "$work/plain.log" \
  --site "trusted:$tls/trusted.pem:$tls/trusted.key" --site "expired:$tls/expired.pem:$tls/expired.key" \
  --site "other-host:$tls/other-host.pem:$tls/other-host.key" --site "untrusted:$tls/untrusted.pem:$tls/untrusted.key"
for _ in $(seq 50); do [ -s "$work/tls-ports" ] && break; sleep 0.1; done
port() { awk -v name="$1" '$1 == name { print $2 }' "$work/tls-ports"; }

env HOURWARDEN_TEST_HTTPS_TRUSTED="https://127.0.0.1:$(port trusted)" \
    HOURWARDEN_TEST_HTTPS_EXPIRED="https://127.0.0.1:$(port expired)" \
    HOURWARDEN_TEST_HTTPS_OTHER_HOST="https://127.0.0.1:$(port other-host)" \
    HOURWARDEN_TEST_HTTPS_UNTRUSTED="https://127.0.0.1:$(port untrusted)" \
    HOURWARDEN_TEST_PLAIN_PORT="$(port plain)" HOURWARDEN_TEST_PLAIN_LOG="$work/plain.log" \
  wine "$root/build/windows/tests/hourwarden_win_tests.exe" --gtest_filter='HttpsTimePageFetchTest.*' \
  >"$work/https.log" 2>&1 </dev/null
tr -d '\r' <"$work/https.log" | grep -E '^\[ +(OK|FAILED|SKIPPED) +\] Https' | sed 's/^/   /'
check "the five HTTPS fetch tests pass, none skipped" \
  sh -c "tr -d '\\r' < '$work/https.log' | grep -q '^\\[  PASSED  \\] 5 tests\\.\$' && ! grep -q SKIPPED '$work/https.log'"

hw_reg_add "$HW_PRODUCT_KEY" TimeUrl REG_SZ "https://127.0.0.1:$(port trusted)/"
rm -f "$log"
setup_service /install
wine net start Hourwarden >/dev/null 2>&1
check "the service confirms the time over https" waits_for 30 grep -q "Updating spent time for user" "$log"
check "at its first check" sh -c "! grep -q 'Not possible to connect to time site' '$log'"
wine net stop Hourwarden >/dev/null 2>&1
waits_for 10 hw_stopped
waits_for 30 not hw_service_process
setup_service /uninstall

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
