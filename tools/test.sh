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
# ccache, when present, keeps a second build of the same sources (another clone) to seconds.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
      -DQUILLAN_WERROR="${QUILLAN_WERROR:-OFF}" -DQUILLAN_SANITIZE="$sanitize"
cmake --build "$build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600

# The Windows build of the whole product, its tests and whole deployments run under Wine
# (docs/windows.md).
QUILLAN_BUILD_DIR="$build" bash tools/windows-tests.sh

# A short fuzzing pass of every parser that reads outside text (docs/fuzzing.md); about two minutes
# with the build. QUILLAN_FUZZ_SECONDS changes the time per target.
if [ "${QUILLAN_FUZZ_SECONDS:-5}" = 0 ]; then
  echo "fuzz: skipped, QUILLAN_FUZZ_SECONDS=0"
elif command -v clang++ >/dev/null; then
  bash tools/fuzz.sh "${QUILLAN_FUZZ_SECONDS:-5}"
else
  echo "fuzz: skipped, clang++ is not installed (libFuzzer needs it)"
fi
