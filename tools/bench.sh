#!/usr/bin/env bash
# All benchmarks in one run, each side by side with the standard tool and reported as ratios:
# the embedded engine (translation overhead, backup vs file copy), archives and the LAN copy
# (unzip, zip, cp), the transfers (curl), the deploy-script import (the sqlite3 shell's .import),
# a whole download-verify-unpack run (curl + unzip) and a whole deployment (curl, unzip, cp -p,
# sqlite3 .backup + zip), and the same whole deployment by the Windows build under Wine (when
# build-windows/ is there). Release build in build-bench/.
# Needs about 3 GB free under /tmp while it runs; everything it writes there is removed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh

build=${QUILLAN_BENCH_BUILD_DIR:-build-bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUILLAN_BUILD_UI=OFF -DQUILLAN_BUILD_TESTS=OFF
cmake --build "$build" --target quillan_db_bench quillan_archive_bench bench_transfer quillan_split_bench \
  quillan_import_bench quillan quillan-sample quillan-office quillan-release \
  quillan_replace_bench quillan_backup_bench

echo "== Database engine"
"$build/bench/db/quillan_db_bench" 200
echo
echo "== Archives and LAN copy"
bench/archive/run.sh "$build/bench/archive/quillan_archive_bench"
echo
echo "== Transfers"
bench/transfer/run_transfer_bench.sh "$build/bench/transfer/bench_transfer"
echo
echo "== Split-package join"
bench/split/run.sh "$build/bench/split/quillan_split_bench"
echo
echo "== Deploy-script import"
"$build/bench/scripts/quillan_import_bench" 10000
echo
echo "== Download, verify and unpack a release"
bench/deploy/run.sh "$build" "${QUILLAN_BENCH_RELEASE_MB:-500}"
echo
echo "== File backup and replacement"
bench/replace/run.sh "$build/bench/replace/quillan_replace_bench"
echo
echo "== Database backup and hotfix runner"
bench/backup/run.sh "$build/bench/backup/quillan_backup_bench"
echo
echo "== A whole deployment"
bench/whole/run.sh "$build" "${QUILLAN_BENCH_RELEASE_MB:-500}" "${QUILLAN_BENCH_RELEASE_FILES:-2000}"
echo
echo "== A whole deployment, verified against the same not verified"
bench/whole/signed.sh "$build" "${QUILLAN_BENCH_RELEASE_MB:-500}" "${QUILLAN_BENCH_RELEASE_FILES:-2000}"
echo
echo "== A whole deployment by the Windows build under Wine against the native build"
if [ -f build-windows/app/quillan.exe ] && command -v wine >/dev/null; then
  bench/whole/wine.sh "$build" build-windows "${QUILLAN_BENCH_RELEASE_MB:-500}" "${QUILLAN_BENCH_RELEASE_FILES:-2000}"
else
  echo "skipped: no Windows build (tools/windows-tests.sh makes build-windows/) or no Wine"
fi
