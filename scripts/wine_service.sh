# Sourced by the end-to-end suite and the run script (after scripts/wine_env.sh): the service
# under Wine's service control manager with a loopback time page.
#
#   hw_time_server_start DIR [--date-header-only]   serves the time page; sets HW_TIME_URL
#   hw_time_server_stop
#   hw_reg_add KEY NAME TYPE DATA                     writes one registry value
#   hw_reg_value KEY NAME                             prints a value's data (empty when absent)
#   hw_reg_default KEY                                prints the type and data of the key's
#                                                     default value ("REG_SZ Service"), empty
#                                                     when absent
#   hw_sample_configuration USER MINUTES              the sample: USER may use the computer
#                                                     MINUTES a day, alice is restricted all day,
#                                                     bob is free; logs in C:\Hourwarden\, the
#                                                     time page at HW_TIME_URL
#   hw_install_files DIR                              copies hourwarden.exe (and, for tests, the
#                                                     recording netapi32.dll) into DIR
#   hw_e2e_prefix DIR                                 a fresh DIR (sets work) holding a new Wine
#                                                     prefix with the service's files in
#                                                     C:\Hourwarden (sets app; user: the Wine
#                                                     user); the prefix and the time page end
#                                                     with the script
#   hw_running, hw_stopped                            true while the service is in that state
#   hw_service_process                                true while a hourwarden.exe of this prefix
#                                                     runs (it may outlive the service's stop)
#
# Wine has no account API, so the service runs with the test-only netapi32.dll beside it, which
# records every NetUserSetInfo call in DIR/netapi32_calls.log, and with the test-only
# wtsapi32.dll, which lists made-up sessions and records every logoff in DIR/wtsapi32_calls.log. A service started by the service
# control manager does not inherit this shell's environment, so the override that loads it is
# set per program in the prefix's registry instead of through WINEDLLOVERRIDES.

hw_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
HW_PRODUCT_KEY='HKLM\SOFTWARE\Qorvex\Hourwarden'
HW_USERS_KEY='HKLM\SOFTWARE\Qorvex\Hourwarden\Time_restrictions'

hw_time_server_start() {
  local dir="$1"; shift
  rm -f "$dir/time-port"
  python3 "$hw_root/tests/e2e/time_server.py" --port-file "$dir/time-port" "$@" &
  HW_TIME_SERVER_PID=$!
  for _ in $(seq 50); do [ -s "$dir/time-port" ] && break; sleep 0.1; done
  HW_TIME_URL="http://127.0.0.1:$(cat "$dir/time-port")/cgi-bin/timer.pl"
}

hw_time_server_stop() {
  [ -n "${HW_TIME_SERVER_PID:-}" ] && kill "$HW_TIME_SERVER_PID" 2>/dev/null
  HW_TIME_SERVER_PID=""
}

hw_reg_add() {
  wine reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1
}

hw_reg_value() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^  /, ""); print }'
}

hw_e2e_prefix() {
  work="$1"
  rm -rf "$work" && mkdir -p "$work"
  trap 'hw_time_server_stop; wine_prefix_done' EXIT
  wine_prefix_new "$work/prefix"
  app="$WINEPREFIX/drive_c/Hourwarden"
  hw_install_files "$app"
  user=$(wine cmd /c echo %USERNAME% 2>/dev/null </dev/null | tr -d '\r')
}

hw_running() { wine sc query Hourwarden </dev/null | grep -q RUNNING; }
hw_stopped() { wine sc query Hourwarden </dev/null | grep -q STOPPED; }
hw_service_process() {
  local process
  for process in /proc/[0-9]*; do
    grep -qa 'hourwarden.exe' "$process/cmdline" 2>/dev/null &&
      tr '\0' '\n' <"$process/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

hw_reg_default() {
  wine reg query "$1" /ve 2>/dev/null </dev/null | tr -d '\r' | awk '$1 == "(Default)" { $1 = ""; sub(/^ /, ""); print }'
}

hw_sample_configuration() {
  local user="$1" minutes="$2"
  hw_reg_add "$HW_PRODUCT_KEY" Debug REG_DWORD 3
  hw_reg_add "$HW_PRODUCT_KEY" Path REG_SZ 'C:\Hourwarden\'
  hw_reg_add "$HW_PRODUCT_KEY" TimeUrl REG_SZ "$HW_TIME_URL"
  hw_reg_add "$HW_USERS_KEY\\$user" DayLimit REG_SZ "$minutes $minutes $minutes $minutes $minutes $minutes $minutes"
  for day in 0 1 2 3 4 5 6; do hw_reg_add "$HW_USERS_KEY\\alice" "Day$day" REG_SZ "00:00 24:00"; done
  wine reg add "$HW_USERS_KEY\\bob" /f >/dev/null 2>&1
}

hw_install_files() {
  mkdir -p "$1"
  cp "$hw_root/build/windows/service/hourwarden.exe" "$1/"
  local recorder
  for recorder in netapi32 wtsapi32; do
    if [ -f "$hw_root/build/windows/service/$recorder.dll" ]; then
      cp "$hw_root/build/windows/service/$recorder.dll" "$1/"
      wine reg add 'HKCU\Software\Wine\AppDefaults\hourwarden.exe\DllOverrides' /v "$recorder" /d native /f >/dev/null 2>&1
    fi
  done
}
