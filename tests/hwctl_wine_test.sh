#!/usr/bin/env bash
# hwctl.exe against the real registry under Wine, in a throw-away prefix: it configures a user,
# the registry then holds exactly the stored formats, and list, show and check report them.
# Needs the windows preset built. Ends with "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
hwctl="$root/build/windows/hwctl/hwctl.exe"
work="$root/build/windows/hwctl-wine-test"
rm -rf "$work" && mkdir -p "$work"

source scripts/wine_env.sh
trap wine_prefix_done EXIT
wine_prefix_new "$root/build/windows/hwctlprefix"
drive_c="$WINEPREFIX/drive_c"
users_key='HKLM\SOFTWARE\Qorvex\Hourwarden\Time_restrictions'

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok: $1"; }
fail() { failed=$((failed + 1)); echo "FAILED: $1"; shift; printf '    %s\n' "$@"; }

# Runs hwctl with the arguments; its output and messages land in $out, its exit code in $status.
# (Wine's programs must not hold this script's pipes open, so everything goes through files.)
hw() {
  wine "$hwctl" "$@" >"$work/out" 2>&1 </dev/null
  status=$?
  out=$(tr -d '\r' <"$work/out")
}

# The key as `reg export` writes it: the value lines of the key only, types spelled out.
exported() {
  rm -f "$drive_c/export.reg"
  wine reg export "$1" 'C:\export.reg' /y >/dev/null 2>&1 </dev/null
  iconv -f UTF-16 -t UTF-8 "$drive_c/export.reg" 2>/dev/null | tr -d '\r' | sed -n '/^\[/,$p' |
    awk 'NR == 1 || /^"/'
}

expect_status() {  # NAME WANTED
  if [ "$status" -eq "$2" ]; then pass "$1"; else fail "$1" "exit $status, wanted $2" "$out"; fi
}

expect_text() {  # NAME WANTED ACTUAL
  if [ "$3" == "$2" ]; then pass "$1"; else fail "$1" "wanted:" "$2" "got:" "$3"; fi
}

expect_line() {  # NAME PATTERN: a line of $out matches the extended regular expression
  if grep -qE -- "$2" <<<"$out"; then pass "$1"; else fail "$1" "no line matching: $2" "$out"; fi
}

echo "== add takes the accounts of the computer"
# Wine knows one account, its user's; alice is none, and is restricted ahead of her account.
user=$(wine cmd /c echo %USERNAME% 2>/dev/null </dev/null | tr -d '\r')
hw add nosuchkid
expect_status "a name that is no account is refused" 1
expect_line "the refusal says so" '^hwctl: refused: nosuchkid is no account of this computer; nothing was written$'
expect_line "the refusal lists the accounts" "^$user +- +-\$"
if wine reg query "$users_key\\nosuchkid" >/dev/null 2>&1 </dev/null; then
  fail "the refused name got no key" "reg query finds it"
else
  pass "the refused name got no key"
fi
hw add "$user"
expect_status "the Wine user's account is taken" 0
hw remove "$user" --yes
hw add alice --not-yet
expect_status "add alice --not-yet" 0
expect_line "--not-yet warns" '^warning: no account of this computer is named alice yet'

echo "== hwctl configures a user"
hw limit alice 60 60 60 60 90 - -
expect_status "limit alice" 0
hw periods alice mon "08:00-12:00 21:00-24:00"
expect_status "periods alice mon" 0
hw periods alice sun 00:00-07:00
expect_status "periods alice sun" 0
hw periods alice tue 8:00-12:00
expect_status "a time without two-digit fields is refused" 1
expect_line "the refusal says which periods and the rule" '^hwctl: refused: restricted periods of alice on Tuesday: "8:00-12:00" is not a'
hw limit alice 60 60 -5 60 60 60 60
expect_status "a negative allowance is refused" 1

expect_text "the registry holds exactly the stored formats" '[HKEY_LOCAL_MACHINE\SOFTWARE\Qorvex\Hourwarden\Time_restrictions\alice]
"Day0"="08:00 12:00 21:00 24:00"
"Day1"=""
"Day2"=""
"Day3"=""
"Day4"=""
"Day5"=""
"Day6"="00:00 07:00"
"DayLimit"="60 60 60 60 90 1440 1440"' "$(exported "$users_key\\alice")"
expect_text "the service is asked to reload" '[HKEY_LOCAL_MACHINE\SOFTWARE\Qorvex\Hourwarden]
"ReadSettings"=dword:00000001' "$(exported 'HKLM\SOFTWARE\Qorvex\Hourwarden' | head -2)"

echo "== list and show report it"
allowances=(60 60 60 60 90 unlimited unlimited)
today=$(( $(date +%u) - 1 ))
hw list
expect_status "list" 0
expect_line "list shows today's allowance, nothing spent and nothing requested" \
  "^alice +${allowances[$today]} +0 +[-0-9]+ +(no|until [^ ]+( [0-9:]+)?) +[A-Za-z0-9: ]+ +no$"
hw show alice
expect_line "show gives Monday's periods" '^Monday +60 +08:00-12:00 21:00-24:00$'
expect_line "show gives Sunday's periods" '^Sunday +unlimited +00:00-07:00$'

echo "== grant lowers today's count"
wine reg add "$users_key\\alice" /v SpentTime /t REG_DWORD /d 50 /f >/dev/null 2>&1 </dev/null
wine reg add "$users_key\\alice" /v TimeStamp /t REG_SZ /d "$(date +%d.%m.%Y)" /f >/dev/null 2>&1 </dev/null
hw grant alice 20
expect_status "grant alice 20" 0
out=$(exported "$users_key\\alice")
expect_line "SpentTime is 30 minutes" '^"SpentTime"=dword:0000001e$'

echo "== the log folder must be kept from standard users"
mkdir -p "$drive_c/open" "$drive_c/kept"
chmod 777 "$drive_c/open"
chmod 755 "$drive_c/kept"
hw path 'C:\open'
expect_status "a folder everyone may write to is refused" 1
expect_line "the refusal names the group" 'Everyone \(S-1-1-0\) may create'
hw path 'C:\kept'
expect_status "a folder kept from users is taken" 0
expect_line "Path is stored with its backslash" '^The service now writes its logs to C:\\kept\\debug\.log'
hw path 'C:\kept' --verbose
expect_line "--verbose names the value written" '^  HKLM\\SOFTWARE\\Qorvex\\Hourwarden: Path = "C:\\kept\\"$'

echo "== check finds hand-made mistakes"
# No service is installed in this prefix: the configuration alone is checked.
hw check --config-only
expect_status "a key of no account is a problem" 1
expect_line "check names the key of no account" '^alice: account: no account of this computer has this name'
expect_line "and nothing else" '^1 problem found\.$'
if awk 'length($0) > 100 { exit 1 }' <<<"$out"; then
  pass "no line of check is longer than 100 columns"
else
  fail "no line of check is longer than 100 columns" "$out"
fi
wine reg add "$users_key\\alice" /v Day2 /t REG_SZ /d "12:00 08:00" /f >/dev/null 2>&1 </dev/null
wine reg add "$users_key\\alice" /v Logoff /t REG_SZ /d 1 /f >/dev/null 2>&1 </dev/null
hw check --config-only
expect_status "check reports the problems" 1
expect_line "descending times" '^alice: Day2 \(Wednesday\): "12:00 08:00": times not ascending'
expect_line "a value of the wrong type" '^alice: Logoff: holds REG_SZ where REG_DWORD was expected'

echo "== remove deletes the key"
hw remove alice
expect_status "remove asks for --yes" 1
hw remove alice --yes
expect_status "remove alice --yes" 0
if wine reg query "$users_key\\alice" >/dev/null 2>&1 </dev/null; then
  fail "the user key is gone" "reg query still finds it"
else
  pass "the user key is gone"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
