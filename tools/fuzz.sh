#!/usr/bin/env bash
# Builds the fuzz targets in build-fuzz/ (clang++, libFuzzer, ASan + UBSan) and runs each one for
# SECONDS seconds (default 5) from its seed corpus in tests/fuzz/corpus/<target>/.
#   tools/fuzz.sh [SECONDS] [TARGET...]     e.g. tools/fuzz.sh 600 engine
# Exits non-zero when any target crashes, leaks, exceeds 10 s on one input or 1 GiB of memory.
# New interesting inputs go to build-fuzz/corpus/<target>/ (the checked-in seeds are never
# rewritten); the input that broke a target is kept as build-fuzz/artifacts/<target>-crash-....
# QUILLAN_FUZZ_SEED fixes the mutations' seed (the test command sets 1, so that its short pass is
# the same walk on every machine and a failure there is one anyone can repeat).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-5}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(connection_string tsql_translate engine import_xml workbook_strings workbook service_answer ftp_listing zip_names manifest)

# Debug information as line tables only: every backtrace and sanitizer report still names file
# and line, and the builds from nothing take a third less time than with full information.
lineTables=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$root" # paths relative to the checkout: a fresh clone still hits the cache
fi
build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${lineTables[@]}" -DCMAKE_CXX_COMPILER=clang++ \
      "${launcher[@]}" -DQUILLAN_FUZZ=ON -DQUILLAN_BUILD_UI=OFF -DQUILLAN_BUILD_TESTS=OFF \
      -DQUILLAN_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target quillan_fuzzers -j 2

mkdir -p "$build/artifacts"
seed=()
[ -n "${QUILLAN_FUZZ_SEED:-}" ] && seed=(-seed="$QUILLAN_FUZZ_SEED")
failed=()
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t"
  log="$build/fuzz-$t.log"
  echo "fuzz: $t for ${seconds}s"
  if ! "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
         -artifact_prefix="$build/artifacts/$t-" -print_final_stats=1 "${seed[@]}" \
         "$build/corpus/$t" "tests/fuzz/corpus/$t" >"$log" 2>&1; then
    echo "fuzz: $t FAILED (log: $log)"
    grep -aE "ERROR|SUMMARY|property broken|uncaught|Test unit written" "$log" | head -10 || true
    failed+=("$t")
  else
    grep -E "stat::number_of_executed_units" "$log" | sed "s/^/fuzz: $t /" || true
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: ${#failed[@]} of ${#targets[@]} targets failed: ${failed[*]}"
  exit 1
fi
echo "fuzz: all ${#targets[@]} targets ran ${seconds}s without a failure"
