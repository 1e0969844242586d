#!/usr/bin/env bash
# Times the census of a tick under Wine, in a throw-away prefix of its own: starts about 150
# long-lived processes, then measures, interleaved in one run, the census that queries every
# process, the bare process snapshot and the census from the snapshot, and prints the medians and
# ratios. Not part of the test command. Arguments go to the benchmark:
#   scripts/bench_census.sh [--processes N] [--rounds R] [--new K] [--tick-ms T]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target census_system_bench >/dev/null

source scripts/wine_env.sh
trap wine_prefix_end EXIT
wine_prefix_new "$root/build/windows/bench-wineprefix"
# Wine's programs must not hold this script's output open, so the result goes through a file.
out="$root/build/windows/bench/census_system_bench.out"
wine build/windows/bench/census_system_bench.exe "$@" >"$out" 2>&1 </dev/null
wine_prefix_end
tr -d '\r' <"$out"
