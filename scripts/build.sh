#!/usr/bin/env bash
# Builds both presets: the native core with its unit tests, and the Windows executables.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$jobs"
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs"
