#!/usr/bin/env bash
# The Windows side: cross-builds the platform layer, the ODBC database layer and their tests with
# MinGW-w64 in build-windows/ (cmake/windows/) and runs each test program under Wine. Without the
# cross compiler or Wine it says so and succeeds; a failed test fails it (docs/windows.md).
#   QUILLAN_WERROR=ON  warnings are errors
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  echo "windows tests: skipped, the MinGW-w64 cross compiler (g++-mingw-w64-x86-64) is not installed"
  exit 0
fi
if ! command -v wine >/dev/null; then
  echo "windows tests: skipped, Wine (wine, wine64) is not installed"
  exit 0
fi

build=build-windows
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
started=$SECONDS
cmake -S cmake/windows -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
      -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/windows/mingw-w64.cmake" -DQUILLAN_WERROR="${QUILLAN_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j "$(nproc)"
built=$SECONDS

# A prefix of its own, 64-bit only, made once; no desktop entries, no browser or .NET installers,
# no crash dialog and no window of any kind (nothing here needs a display).
export WINEPREFIX="$PWD/$build/wineprefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d;winedbg.exe=d"
# The zone tests need Central European time with its summer rule: Wine takes the system zone
# from the TZ it is started with (tzdata).
export TZ=Europe/Berlin
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "windows tests: creating the Wine prefix (once)"
  wineboot --init >/dev/null 2>&1 || wine wineboot --init >/dev/null 2>&1
  wineserver --wait 2>/dev/null || true
fi

passed=0 # test cases, as GoogleTest counts them
failed=0
programsFailed=0
for exe in "$build"/tests/platform/test_platform.exe "$build"/tests/platform/db/test_db.exe; do
  name=$(basename "$exe" .exe)
  # Each program's own time limit, as CTest gives each test: a hung one cannot hold the run.
  status=0
  timeout 300 wine "$exe" --gtest_brief=1 >"$build/$name.log" 2>&1 || status=$?
  ok=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$build/$name.log")
  bad=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below.*/\1/p' "$build/$name.log")
  passed=$((passed + ${ok:-0}))
  failed=$((failed + ${bad:-0}))
  if [ "$status" -eq 0 ]; then
    echo "windows tests: $name passed (${ok:-0} tests)"
  else
    programsFailed=$((programsFailed + 1))
    echo "windows tests: $name FAILED (exit $status)"
    cat "$build/$name.log"
  fi
done
wineserver --kill 2>/dev/null || true
echo "windows tests: built in $((built - started)) s, ran in $((SECONDS - built)) s"
echo "windows: $passed passed, $failed failed"
[ "$programsFailed" -eq 0 ]
