# shellcheck shell=bash
# Sourced, not run: Wine for the Windows build in the folder given to wine_session, as the tests and
# the benchmarks start it. A prefix of its own in that folder (64-bit only, made once: about ten
# seconds); no desktop entries, no browser or .NET installers, no crash dialog and no window of any
# kind (nothing here needs a display). One wineserver kept for the session, so each program starts
# in a fraction of a second, and Wine's services started here on /dev/null: started by a program
# under test, they would inherit its output and keep open the pipe a caller reads to its end.
# wine_session_end stops that wineserver. winpath PATH prints PATH as a Windows program under Wine
# takes it (drive Z: is the root).
wine_session() { # WINDOWS_BUILD_DIR
  WINEPREFIX="$(cd "$1" && pwd)/wineprefix"
  export WINEPREFIX WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d;winedbg.exe=d"
  unset DISPLAY WAYLAND_DISPLAY
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating the Wine prefix $WINEPREFIX (once)" >&2
    wineboot --init >/dev/null 2>&1 || wine wineboot --init >/dev/null 2>&1
    wineserver --wait 2>/dev/null || true
  fi
  wineserver --persistent=60 2>/dev/null || true
  wineboot >/dev/null 2>&1 </dev/null || true
}
wine_session_end() {
  wineserver --kill 2>/dev/null || true
}
winpath() {
  printf 'Z:%s' "$1" | tr / '\\'
}
