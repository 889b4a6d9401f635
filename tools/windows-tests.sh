#!/usr/bin/env bash
# The Windows side: the third-party libraries from Debian's sources (tools/windows-deps.sh, cached
# outside the clone), the whole product cross-built with MinGW-w64 into build-windows/ from the same
# CMake files as the native build, its test programs run by CTest under Wine, and whole deployments
# by quillan.exe under Wine driven by the native build's test_wine_deploy. Without the cross
# compiler or Wine it says so and succeeds; a failed test fails it (docs/windows.md).
#   QUILLAN_WERROR=ON     warnings are errors
#   QUILLAN_BUILD_DIR     the native build (default build/), for the office and the Wine cases
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

started=$SECONDS
deps=$(bash tools/windows-deps.sh | tail -n 1)
build=build-windows
native=${QUILLAN_BUILD_DIR:-build}
# Debug information as line tables only: every backtrace and sanitizer report still names file
# and line, and the builds from nothing take a third less time than with full information.
lineTables=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${lineTables[@]}" "${launcher[@]}" \
      -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/windows/mingw-w64.cmake" -DQUILLAN_WINDOWS_DEPS="$deps" \
      -DQUILLAN_WERROR="${QUILLAN_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j "$(nproc)"
built=$SECONDS

# The zone tests need Central European time with its summer rule: Wine takes the system zone
# from the TZ it is started with (tzdata).
export TZ=Europe/Berlin
. tools/wine-session.sh
wine_session "$build"

passed=0 # test cases, as GoogleTest counts them
failed=0
status=0
# The unit tests: CTest runs each test program under Wine (the build's emulator).
ctest --test-dir "$build" -V --timeout 300 >"$build/ctest.log" 2>&1 || status=1
# The distributable: made twice, the same bytes; unpacked, quillan.exe answers --help under Wine
# (and deploys a release among the whole deployments below).
packageChecks=0
packageFailed=0
packageCheck() { # NAME COMMAND...
  packageChecks=$((packageChecks + 1))
  if ! "${@:2}" >>"$build/package.log" 2>&1; then
    packageFailed=$((packageFailed + 1))
    status=1
    echo "windows tests: the distributable: $1 FAILED (see $build/package.log)"
  fi
}
: >"$build/package.log"
first=$(QUILLAN_PACKAGE_DIR="$build/dist1" QUILLAN_WINDOWS_BUILD="$build" bash tools/package-windows.sh 2>>"$build/package.log" || true)
second=$(QUILLAN_PACKAGE_DIR="$build/dist2" QUILLAN_WINDOWS_BUILD="$build" bash tools/package-windows.sh 2>>"$build/package.log" || true)
packageCheck "the same bytes twice" cmp "$first" "$second"
rm -rf "$build/unpacked" && mkdir -p "$build/unpacked"
packageCheck "unpacks with its files" sh -c "unzip -q '$first' -d '$build/unpacked' &&
  test -f '$build/unpacked/Dll/Sd.ini' && test -f '$build/unpacked/Images/Quillan.bmp' &&
  test -f '$build/unpacked/README-windows.txt'"
packageCheck "quillan.exe --help" sh -c "wine '$build/unpacked/quillan.exe' --help | grep -q -- --app-dir"
# The whole deployments under Wine, by the native build's driver (needs its office and tools),
# the last one by the unpacked distributable's quillan.exe.
wineCases="$native/tests/e2e/test_wine_deploy"
if [ -x "$wineCases" ]; then
  QUILLAN_WINDOWS_BIN="$PWD/$build/app" QUILLAN_WINDOWS_TESTS="$PWD/$build/tests/platform" \
    QUILLAN_WINDOWS_PACKAGE="$PWD/$build/unpacked" \
    timeout 900 "$wineCases" --gtest_brief=1 >"$build/wine-deploy.log" 2>&1 || status=1
else
  echo "windows tests: $wineCases is not built (build the native side first); the Wine deployments did not run"
  : >"$build/wine-deploy.log"
  status=1
fi
passed=$((passed + packageChecks - packageFailed))
failed=$((failed + packageFailed))

for log in "$build/ctest.log" "$build/wine-deploy.log"; do
  ok=$(sed -n 's/^\([0-9]*: \)\?\[  PASSED  \] \([0-9]*\) tests\?\..*/\2/p' "$log" | awk '{s += $1} END {print s + 0}')
  bad=$(sed -n 's/^\([0-9]*: \)\?\[  FAILED  \] \([0-9]*\) tests\?, listed below.*/\2/p' "$log" | awk '{s += $1} END {print s + 0}')
  passed=$((passed + ${ok:-0}))
  failed=$((failed + ${bad:-0}))
done
if [ "$status" -ne 0 ]; then
  echo "windows tests: FAILED; the output:"
  grep -v '^[0-9]*: \[       OK \]' "$build/ctest.log" | tail -n 200
  cat "$build/wine-deploy.log"
fi
wine_session_end
echo "windows tests: built in $((built - started)) s, ran in $((SECONDS - built)) s"
echo "windows: $passed passed, $failed failed"
[ "$status" -eq 0 ]
