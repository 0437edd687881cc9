# shellcheck shell=bash
# Wine environment for running Trova's Windows build on Linux. Source it:
#
#   source scripts/wine-env.sh
#   trova_wine_prepare            # prefix + display + a resident wineserver
#   (cd build/a-mingw && ctest --output-on-failure)
#
# Functions:
#   trova_wine_vars      exports WINEPREFIX (default build/wine-prefix), WINEARCH,
#                        WINEDEBUG, LANG/LC_ALL=zh_CN.UTF-8 (code page 936, as on a
#                        Chinese Windows) and WINE (the 64-bit loader).
#   trova_wine_prefix    creates the prefix when it is not ready yet (wineboot -i,
#                        unmanaged X11 windows), under a lock so parallel callers
#                        wait for one another. TROVA_WINE_FRESH=1 starts it anew.
#   trova_wine_display   starts Xvfb on a free display when DISPLAY is unset.
#   trova_wine_prepare   all three, then keeps a wineserver running so every test
#                        program does not pay for starting one.
#   trova_wine_cleanup   stops what trova_wine_prepare started (runs at exit).
#
# A caller that already exported WINEPREFIX and DISPLAY keeps them.

TROVA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

trova_wine_vars() {
  export WINEPREFIX="${WINEPREFIX:-$TROVA_ROOT/build/wine-prefix}"
  export WINEARCH=win64
  export WINEDEBUG="${WINEDEBUG:--all}"
  # No Mono or Gecko: nothing here needs them, and wineboot would ask to download them.
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=;mshtml=}"
  export LANG=zh_CN.UTF-8
  export LC_ALL=zh_CN.UTF-8
  if [ -z "${WINE:-}" ]; then
    # Debian's "wine" wrapper prefers a 32-bit loader; the 64-bit one runs our programs.
    if [ -x /usr/lib/wine/wine64 ]; then WINE=/usr/lib/wine/wine64
    else WINE=$(command -v wine64 || command -v wine); fi
  fi
  export WINE
  if [ -z "${WINESERVER:-}" ]; then
    if [ -x /usr/lib/wine/wineserver ]; then WINESERVER=/usr/lib/wine/wineserver
    else WINESERVER=$(command -v wineserver); fi
  fi
  export WINESERVER
}

trova_wine_prefix() {
  trova_wine_vars
  local ready="$WINEPREFIX/.trova-ready"
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    # Only one caller builds the prefix; the others wait and then reuse it.
    flock -w 600 9 || { echo "wine-env: timed out waiting for $WINEPREFIX.lock" >&2; exit 1; }
    if [ "${TROVA_WINE_FRESH:-0}" = 1 ] || [ ! -e "$ready" ]; then
      "$WINESERVER" -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
      local start=$SECONDS
      # wineboot needs no display, but a given one costs nothing.
      "$WINE" wineboot -i >/dev/null 2>&1 || { echo "wine-env: wineboot failed" >&2; exit 1; }
      # Without a window manager (Xvfb) Wine waits about 2 s for every managed window
      # that closes; unmanaged windows close at once.
      "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
        >/dev/null 2>&1 || { echo "wine-env: cannot configure the prefix" >&2; exit 1; }
      "$WINESERVER" -w
      echo $((SECONDS - start)) > "$ready"  # how long creating it took, for the curious
      echo "wine-env: created $WINEPREFIX in $((SECONDS - start)) s" >&2
    fi
  ) 9>"$WINEPREFIX.lock" || return 1
  # Fresh once: the programs run in it afterwards reuse it.
  export TROVA_WINE_FRESH=0
}

trova_wine_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  command -v Xvfb >/dev/null || { echo "wine-env: Xvfb is not installed" >&2; return 1; }
  local n=${TROVA_XVFB_FIRST:-90} tries=0
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do
    n=$((n + 1)); tries=$((tries + 1))
    [ $tries -gt 200 ] && { echo "wine-env: no free X display" >&2; return 1; }
  done
  # A private cookie, so no other user of the machine can reach this display.
  local auth
  auth=$(mktemp "${TMPDIR:-/tmp}/trova-xauth.XXXXXX") || return 1
  xauth -q -f "$auth" add ":$n" . "$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')" || return 1
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -auth "$auth" >/dev/null 2>&1 &
  TROVA_XVFB_PID=$!
  TROVA_XVFB_AUTH=$auth
  local waited=0
  until [ -e "/tmp/.X11-unix/X$n" ]; do
    if ! kill -0 "$TROVA_XVFB_PID" 2>/dev/null; then
      # Another program took the display between the check and the start: try the next.
      rm -f "$auth"; unset TROVA_XVFB_PID TROVA_XVFB_AUTH
      TROVA_XVFB_FIRST=$((n + 1)) trova_wine_display
      return
    fi
    waited=$((waited + 1))
    [ $waited -gt 200 ] && { echo "wine-env: Xvfb did not start" >&2; return 1; }
    sleep 0.05
  done
  export DISPLAY=":$n" XAUTHORITY="$auth"
  trova_wine_cleanup_on_exit
}

trova_wine_cleanup() {
  if [ -n "${TROVA_WINESERVER_STARTED:-}" ]; then
    "$WINESERVER" -k 2>/dev/null || true
    timeout 30 "$WINESERVER" -w 2>/dev/null || true
    unset TROVA_WINESERVER_STARTED
  elif [ -n "${TROVA_XVFB_PID:-}" ]; then
    # Let Wine's processes on this display end before the display goes away.
    timeout 30 "$WINESERVER" -w 2>/dev/null || true
  fi
  if [ -n "${TROVA_XVFB_PID:-}" ]; then
    kill "$TROVA_XVFB_PID" 2>/dev/null && wait "$TROVA_XVFB_PID" 2>/dev/null
    rm -f "${TROVA_XVFB_AUTH:-}"
    unset TROVA_XVFB_PID TROVA_XVFB_AUTH DISPLAY XAUTHORITY
  fi
}

trova_wine_cleanup_on_exit() {
  [ -n "${TROVA_WINE_TRAP_SET:-}" ] && return 0
  TROVA_WINE_TRAP_SET=1
  # Keep whatever the caller already runs at exit.
  local previous
  previous=$(trap -p EXIT | sed -e "s/^trap -- '//" -e "s/' EXIT\$//")
  # shellcheck disable=SC2064
  trap "trova_wine_cleanup; ${previous:-:}" EXIT
}

trova_wine_prepare() {
  trova_wine_vars
  trova_wine_display || return 1
  trova_wine_prefix || return 1
  if [ -z "${TROVA_WINESERVER_STARTED:-}" ]; then
    # A resident wineserver: otherwise each test program starts and stops its own.
    "$WINESERVER" -p </dev/null >/dev/null 2>&1 && TROVA_WINESERVER_STARTED=1
    trova_wine_cleanup_on_exit
    # Start Wine's own background programs (services, the desktop) now, away from
    # any output: they stay as long as the wineserver does, and whoever started
    # them first would hand them its output pipe, which a caller such as CTest
    # then waits on for ever.
    "$WINE" wineboot </dev/null >/dev/null 2>&1 || true
  fi
}
