#!/usr/bin/env bash
# Builds hourwarden.exe and runs it under Wine for a little over a minute (one minute cycle),
# then shows the debug log it produced.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/build.sh >/dev/null
source scripts/wine_env.sh
wine_prefix_new "$root/build/windows/runprefix"
work="$root/build/windows/run"
rm -rf "$work" && mkdir -p "$work"
cd "$work"
echo "Running hourwarden.exe under Wine for 65 s..."
wine "$root/build/windows/service/hourwarden.exe" 65
echo "---- debug.log"
cat debug.log
wineserver -k >/dev/null 2>&1 || true
