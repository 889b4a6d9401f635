#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test through CTest.
#   QUILLAN_WERROR=ON    warnings are errors (CI sets it)
#   QUILLAN_SANITIZE=ON  AddressSanitizer + UBSan build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh

build=build
sanitize=${QUILLAN_SANITIZE:-OFF}
[ "$sanitize" = ON ] && build=build-asan
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DQUILLAN_WERROR="${QUILLAN_WERROR:-OFF}" -DQUILLAN_SANITIZE="$sanitize"
cmake --build "$build" -j "$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600
