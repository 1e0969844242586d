#!/usr/bin/env bash
# Installs what building and testing Hourwarden needs, when it is missing (Debian; apt-get as
# root, or through sudo). Shared by the build, test and run commands.
set -euo pipefail

# openssl: the end-to-end test of the https:// time check makes its test CA and certificates.
# zbar-tools: zbarimg reads the QR codes of the parent's code in a unit test.
# xvfb, x11-apps: scripts/screenshots.sh draws the session tool's windows, and the settings
# window's test draws that window, on a virtual X screen and dumps it with xwd.
packages=(
  cmake make g++ googletest libgtest-dev libgmock-dev libbenchmark-dev libssl-dev
  g++-mingw-w64-x86-64-posix wine wine64 python3 curl clang libclang-rt-14-dev wixl msitools openssl zbar-tools xvfb x11-apps
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null; then
  sudo=(sudo)
else
  echo "Missing packages (${missing[*]}) and no root rights or sudo to install them." >&2
  exit 1
fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
