#!/usr/bin/env bash
# Pictures of the window during real runs, on a virtual X display (docs/window.md, docs/windows.md):
#   OUT/NAME-progress.png  a package download held part-way by the office: its step bar shows
#   OUT/NAME-finished.png  release 8 installed, the closing box up
#   OUT/NAME-failed.png    a hotfix that fails: the run is put back, the closing box up
# Usage: bash tools/window-screenshots.sh [--windows] OUT [NAME]
#   without --windows: the Qt window of the native build (QUILLAN_BUILD_DIR, default build/), NAME qt
#   --windows: quillan.exe and quillan-sample.exe of the Windows build (QUILLAN_WINDOWS_BUILD, default
#              build-windows/) under Wine, NAME win32; the native build serves the release and grabs
#              the screen. Wine's prefix: QUILLAN_WINEPREFIX (default build-windows/wineprefix, made
#              when missing, with Wine's Tahoma and Marlett copied into its Fonts folder).
# Everything else lives in a temporary folder of its own, removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

windows=0
if [ "${1:-}" = --windows ]; then
  windows=1
  shift
fi
[ $# -ge 1 ] || { sed -n '2,12p' "$0" >&2; exit 64; }
out=$(mkdir -p "$1" && cd "$1" && pwd)
name=${2:-$([ $windows = 1 ] && echo win32 || echo qt)}
native=${QUILLAN_BUILD_DIR:-build}
bin=$native/app
grab=$native/ui/quillan-screengrab
for tool in "$bin/quillan-office" "$bin/quillan-release" "$bin/quillan-sample" "$grab"; do
  [ -x "$tool" ] || { echo "window-screenshots: $tool is not built" >&2; exit 1; }
done
command -v xvfb-run >/dev/null || { echo "window-screenshots: xvfb-run (xvfb) is not installed" >&2; exit 1; }

work=$(mktemp -d /tmp/quillan-shots.XXXXXX)
office_pid=
cleanup() {
  [ -z "$office_pid" ] || kill "$office_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

if [ $windows = 1 ]; then
  winbuild=${QUILLAN_WINDOWS_BUILD:-build-windows}
  [ -x "$winbuild/app/quillan.exe" ] || { echo "window-screenshots: $winbuild/app/quillan.exe is not built" >&2; exit 1; }
  export WINEPREFIX=${QUILLAN_WINEPREFIX:-$PWD/$winbuild/wineprefix} WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d;winedbg.exe=d"
  [ -d "$WINEPREFIX/drive_c" ] || { wineboot --init >/dev/null 2>&1; wineserver --wait 2>/dev/null || true; }
  # Wine draws its controls in Tahoma and its glyphs in Marlett, found only in the prefix's Fonts.
  if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
fi

# Release 8: a program large enough that a held download stops part-way, a report, another file
# and a hotfix. The failing release's hotfix refers to a table that does not exist.
release() { # OFFICE GOOD|BAD
  local source=$work/new-$2
  mkdir -p "$source"
  head -c 3000000 /dev/urandom >"$source/Tervik.exe"
  printf 'Sales report 8\n' >"$source/Sales.rpt"
  printf 'Read me, release 8\n' >"$source/ReadMe.txt"
  if [ "$2" = good ]; then
    printf '%s\r\n' '--[TERVIK HOTFIX VERSION]=801' 'INSERT INTO HotFixLog (FixId) VALUES (801)' 'GO' \
      >"$source/HF801.sql"
  else
    printf '%s\r\n' '--[TERVIK HOTFIX VERSION]=801' 'INSERT INTO NoSuchTable (FixId) VALUES (801)' 'GO' \
      >"$source/HF801.sql"
  fi
  "$bin/quillan-release" "$source" "$1" --version 8 --report-path 'App.Path\Reports' >/dev/null
}

serve() { # OFFICE [OFFICE OPTIONS...]
  local port_file=$work/port
  rm -f "$port_file"
  "$bin/quillan-office" "$1" --port-file "$port_file" "${@:2}" >/dev/null &
  office_pid=$!
  for _ in $(seq 100); do
    [ -s "$port_file" ] && break
    sleep 0.05
  done
  [ -s "$port_file" ] || { echo "window-screenshots: quillan-office did not start" >&2; exit 1; }
  port=$(cat "$port_file")
}

windowsPath() { # the folder as the Windows build names it (Wine's drive Z: is /)
  printf 'Z:%s' "$1" | tr / '\\'
}

install() { # DIR: the sample installation with release 7's files, pointing at the office
  local args=("--mode" "http" "--server-path" "http://127.0.0.1:$port/" "--web-service" "DeployService"
    "--deploy-path" "Deploy/" "--master-path" "Master/" "--trans-path" "Trans/")
  if [ $windows = 1 ]; then
    wine "$winbuild/app/quillan-sample.exe" "$(windowsPath "$1")" "${args[@]}" >/dev/null
  else
    "$bin/quillan-sample" "$1" "${args[@]}" >/dev/null
  fi
  mkdir -p "$1/Reports"
  printf 'Tervik 7\n' >"$1/Tervik.exe"
  printf 'Sales report 7\n' >"$1/Reports/Sales.rpt"
  printf 'Read me, release 7\n' >"$1/ReadMe.txt"
}

# One run in the window: start it, wait (at most a minute) until the run log holds PATTERN, let the
# window settle for DELAY_MS, save the screen, then end the program.
shoot() { # DIR PATTERN DELAY_MS PICTURE
  local runner
  if [ $windows = 1 ]; then
    runner=(wine "$winbuild/app/quillan.exe" --app-dir "$(windowsPath "$1")")
  else
    runner=("$bin/quillan" --app-dir "$1")
  fi
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    "${@:6}" --answer continue=yes --answer close=yes >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 600); do
      grep -q "$2" "$1/Tervik/Logs/DeployErrlog.log" 2>/dev/null && break
      sleep 0.1
    done
    "$5" "$4" "$3" --crop
    kill $pid 2>/dev/null; wait $pid 2>/dev/null
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null; fi
    exit 0' sh "$1" "$2" "$3" "$4" "$grab" "${runner[@]}"
  echo "window-screenshots: $4"
}

# A download held by the office after a third of the package: the download step's bar stands still.
release "$work/office-good" good
serve "$work/office-good" --stall-after Release8.zip=1000000
install "$work/progress"
shoot "$work/progress" "Release8.zip" 2500 "$out/$name-progress.png"
kill "$office_pid" 2>/dev/null || true

serve "$work/office-good"
install "$work/finished"
shoot "$work/finished" "Removing" 1500 "$out/$name-finished.png"
kill "$office_pid" 2>/dev/null || true

release "$work/office-bad" bad
serve "$work/office-bad"
install "$work/failed"
shoot "$work/failed" "Roll" 1500 "$out/$name-failed.png"
