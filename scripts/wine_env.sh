# Sourced by the scripts: a throw-away Wine prefix under the build directory.
#   wine_prefix_new DIR   makes DIR a fresh prefix and exports WINEPREFIX and WINEDEBUG
#   wine_prefix_end       ends the prefix's server and every program in it
#   wine_prefix_done      the same at the end of a test script, and removes the prefix unless a
#                         check failed (its logs are then kept for reading) or
#                         HOURWARDEN_KEEP_PREFIXES is set: each prefix takes about 700 MB
export WINEDEBUG=-all
export WINEARCH=win64

wine_prefix_new() {
  local prefix="$1"
  export WINEPREFIX="$prefix"
  wineserver -k >/dev/null 2>&1 || true
  # A server that is still going down can hold files of the old prefix for a moment.
  for _ in 1 2 3 4 5; do rm -rf "$prefix" 2>/dev/null && break; sleep 1; done
  mkdir -p "$prefix"
  wineboot -i >/dev/null 2>&1
  # With no display Wine creates no window unless the null graphics driver is chosen.
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  # A crashing program ends at once instead of waiting in Wine's debugger for ever.
  wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1
  wineserver -w
  # Keep the server (and with it the services it runs) alive between the wine commands of a
  # script; otherwise it ends, taking the services along, once no program runs. The caller ends
  # it with wine_prefix_end (the server must not hold the caller's output open).
  wineserver -p >/dev/null 2>&1 </dev/null
}

# Ends the prefix's server and every program in it.
wine_prefix_end() {
  wineserver -k >/dev/null 2>&1 || true
}

wine_prefix_done() {
  wine_prefix_end
  if [ "${failed:-0}" -ne 0 ] || [ -n "${HOURWARDEN_KEEP_PREFIXES:-}" ]; then return 0; fi
  for _ in 1 2 3 4 5; do rm -rf "$WINEPREFIX" 2>/dev/null && break; sleep 1; done
}
