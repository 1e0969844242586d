#!/usr/bin/env bash
# Builds the Windows Installer package build/package/Hourwarden-VERSION-x64.msi from the Windows
# build (the service, the session tool, hwctl and the settings window) with wixl, and prints its path. VERSION is the
# project's version from CMakeLists.txt; scripts/package.sh VERSION gives the package another one
# (the package test builds a later version that way to try an upgrade).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)" --target hourwarden hourwarden-session hwctl hourwarden-settings >/dev/null
version=${1:-$(cat build/windows/version.txt)}
mkdir -p build/package
msi="build/package/Hourwarden-$version-x64.msi"
wixl -a x64 -D Version="$version" -D BinDir=build/windows -o "$msi" package/hourwarden.wxs
sql() { msibuild "$msi" -q "$1"; }
column() {  # column TABLE KEY NUMBER: one field of the table's row with that key, empty when absent
  msiinfo export "$msi" "$1" | tr -d '\r' | awk -F'\t' -v key="$2" -v n="$3" 'NR > 3 && $1 == key { print $n }'
}
# wixl writes an "expandable" registry value as a plain string; Windows Installer stores a value
# written "#%..." as REG_EXPAND_SZ, which Event Viewer expects of a message file.
sql "UPDATE \`Registry\` SET \`Value\` = '#%[#hourwarden.exe]' WHERE \`Name\` = 'EventMessageFile'"

# What wixl cannot write (package/hourwarden.wxs says why each is needed):
# KEEPCONFIG and LOGFOLDER join the secure properties wixl lists for the upgrade.
secure=$(column Property SecureCustomProperties 2)
if [ -n "$secure" ]; then
  sql "UPDATE \`Property\` SET \`Value\` = '$secure;KEEPCONFIG;LOGFOLDER' WHERE \`Property\` = 'SecureCustomProperties'"
else
  sql "INSERT INTO \`Property\` (\`Property\`, \`Value\`) VALUES ('SecureCustomProperties', 'KEEPCONFIG;LOGFOLDER')"
fi
# The service install is vital: msidbServiceInstallErrorControlVital (0x8000) beside the error control.
error_control=$(column ServiceInstall Service 6)
sql "UPDATE \`ServiceInstall\` SET \`ErrorControl\` = $(( error_control | 0x8000 )) WHERE \`ServiceInstall\` = 'Service'"
# The failure-actions flag (MsiServiceConfig, Windows Installer 5.0): ConfigType 4 is
# SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, Argument 1 sets it; Event 5: at the install and at a
# reinstall. MsiConfigureServices applies it between InstallServices (5800) and StartServices (5900).
sql "CREATE TABLE \`MsiServiceConfig\` (\`MsiServiceConfig\` CHAR(72) NOT NULL, \`Name\` CHAR(255) NOT NULL, \`Event\` SHORT NOT NULL, \`ConfigType\` LONG NOT NULL, \`Argument\` CHAR(255), \`Component_\` CHAR(72) NOT NULL PRIMARY KEY \`MsiServiceConfig\`)"
sql "INSERT INTO \`MsiServiceConfig\` (\`MsiServiceConfig\`, \`Name\`, \`Event\`, \`ConfigType\`, \`Argument\`, \`Component_\`) VALUES ('FailureActionsFlag', 'Hourwarden', 5, 4, '1', 'Service')"
sql "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Condition\`, \`Sequence\`) VALUES ('MsiConfigureServices', 'VersionNT', 5850)"
echo "$PWD/$msi"
