#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test through CTest.
#   QUILLAN_WERROR=ON    warnings are errors (CI sets it)
#   QUILLAN_SANITIZE=ON  AddressSanitizer + UBSan build in build-asan/
#   QUILLAN_FUZZ_SECONDS seconds per fuzz target after the tests (default 5, 0 skips; needs clang++)
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh

build=build
sanitize=${QUILLAN_SANITIZE:-OFF}
[ "$sanitize" = ON ] && build=build-asan
# Debug information as line tables only: every backtrace and sanitizer report still names file
# and line, and the builds from nothing take a third less time than with full information.
lineTables=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")
# ccache, when present, keeps a second build of the same sources (another clone) to seconds.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${lineTables[@]}" "${launcher[@]}" \
      -DQUILLAN_WERROR="${QUILLAN_WERROR:-OFF}" -DQUILLAN_SANITIZE="$sanitize" -DQUILLAN_TEST_SUITES=
cmake --build "$build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600

# The suites that read files from outside and start, end and replace programs, once more under
# AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan/ (docs/fuzzing.md says why these;
# QUILLAN_SANITIZE_SUITES=OFF skips the pass). A QUILLAN_SANITIZE=ON run has just run them all.
if [ "$sanitize" != ON ] && [ "${QUILLAN_SANITIZE_SUITES:-ON}" != OFF ]; then
  suites="test_platform;test_archive;test_lan;test_unpacking;test_file_phases;test_split_package"
  suites+=";test_script_import;test_embedded_engine"
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${lineTables[@]}" "${launcher[@]}" \
        -DQUILLAN_WERROR="${QUILLAN_WERROR:-OFF}" -DQUILLAN_SANITIZE=ON -DQUILLAN_BUILD_UI=OFF \
        -DQUILLAN_BUILD_BENCH=OFF -DQUILLAN_TEST_SUITES="$suites" >/dev/null
  cmake --build build-asan -j "$(nproc)" --target ${suites//;/ }
  ctest --test-dir build-asan --output-on-failure -j "$(nproc)" --timeout 600
fi

# The Windows build of the whole product, its tests and whole deployments run under Wine
# (docs/windows.md).
QUILLAN_BUILD_DIR="$build" bash tools/windows-tests.sh

# A short fuzzing pass of every parser that reads outside text (docs/fuzzing.md); about two minutes
# with the build. QUILLAN_FUZZ_SECONDS changes the time per target.
if [ "${QUILLAN_FUZZ_SECONDS:-5}" = 0 ]; then
  echo "fuzz: skipped, QUILLAN_FUZZ_SECONDS=0"
elif command -v clang++ >/dev/null; then
  QUILLAN_FUZZ_SEED=${QUILLAN_FUZZ_SEED:-1} bash tools/fuzz.sh "${QUILLAN_FUZZ_SECONDS:-5}"
else
  echo "fuzz: skipped, clang++ is not installed (libFuzzer needs it)"
fi
