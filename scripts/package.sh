#!/usr/bin/env bash
# Builds the Windows Installer package build/package/Hourwarden-VERSION-x64.msi from the Windows
# build (the service, the session tool and hwctl) with wixl, and prints its path. VERSION is the
# project's version from CMakeLists.txt; scripts/package.sh VERSION gives the package another one
# (the package test builds a later version that way to try an upgrade).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)" --target hourwarden hourwarden-session hwctl >/dev/null
version=${1:-$(cat build/windows/version.txt)}
mkdir -p build/package
msi="build/package/Hourwarden-$version-x64.msi"
wixl -a x64 -D Version="$version" -D BinDir=build/windows -o "$msi" package/hourwarden.wxs
# wixl writes an "expandable" registry value as a plain string; Windows Installer stores a value
# written "#%..." as REG_EXPAND_SZ, which Event Viewer expects of a message file.
msibuild "$msi" -q "UPDATE \`Registry\` SET \`Value\` = '#%[#hourwarden.exe]' WHERE \`Name\` = 'EventMessageFile'"
echo "$PWD/$msi"
