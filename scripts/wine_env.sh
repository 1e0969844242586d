# Sourced by the scripts: a throw-away Wine prefix under the build directory.
#   wine_prefix_new DIR   makes DIR a fresh prefix and exports WINEPREFIX and WINEDEBUG
export WINEDEBUG=-all
export WINEARCH=win64

wine_prefix_new() {
  local prefix="$1"
  export WINEPREFIX="$prefix"
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix"
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1
  # With no display Wine creates no window unless the null graphics driver is chosen.
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wineserver -w
}
