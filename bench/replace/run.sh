#!/usr/bin/env bash
# File backup and replacement benchmark: 2,000 files (1 GB in all, 512 KiB each) backed up from the
# application folder and replaced from the update folder by the two phases, against `cp -p` doing
# the same two copies, in one run, best of three each.
#   bench/replace/run.sh [path/to/quillan_replace_bench] [files] [KiB per file]
# Work files live in a private folder under $QUILLAN_BENCH_TMP (default /tmp; about 4 GB while it
# runs), removed at the end. On a busy disk the write-back of 2 GB makes single timings swing by a
# factor of four; a memory file system (QUILLAN_BENCH_TMP=/dev/shm) times the copying itself.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
driver=${1:-$here/../../build-bench/bench/replace/quillan_replace_bench}
files=${2:-2000}
kib=${3:-512}
[ -x "$driver" ] || { echo "driver not found: $driver (build target quillan_replace_bench)" >&2; exit 2; }

work=$(mktemp -d "${QUILLAN_BENCH_TMP:-/tmp}/quillan-replace-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/seed-old" "$work/update"
echo "Preparing $files files of $kib KiB (old and new copies) in $work ..."
head -c $((files * kib * 1024)) /dev/urandom | split -a 4 -d -b $((kib * 1024)) - "$work/seed-old/file_"
head -c $((files * kib * 1024)) /dev/urandom | split -a 4 -d -b $((kib * 1024)) - "$work/update/file_"

# A fresh application folder (the old files) for every round; the update folder (the new ones) is
# only read.
setup() {
  rm -rf "$work/app" "$work/backup" "$work/bench-data" "$work/DeployErrlog.log"
  cp -a "$work/seed-old" "$work/app"
  mkdir -p "$work/backup"
  sync
}
ms() { local s e; s=$(date +%s%N); "$@"; e=$(date +%s%N); echo $(( (e - s) / 1000000 )); }

best_q=999999 best_cp=999999
for round in 1 2 3; do
  setup
  q=$("$driver" "$work/app" "$work/update" "$work/backup")
  cmp -s "$work/app/file_0000" "$work/update/file_0000" || { echo "not replaced"; exit 1; }
  cmp -s "$work/backup/file_0000" "$work/seed-old/file_0000" || { echo "not backed up"; exit 1; }
  setup
  c=$(ms sh -c "cp -p '$work'/app/* '$work/backup/' && cp -p '$work'/update/* '$work/app/'")
  echo "round $round: phases $q ms, cp -p $c ms"
  [ "$q" -lt "$best_q" ] && best_q=$q
  [ "$c" -lt "$best_cp" ] && best_cp=$c
done
speed=$(awk -v q="$best_q" -v c="$best_cp" 'BEGIN { printf "%.2f", c / q }')
echo "Back up and replace $files files ($((files * kib / 1024)) MB), best of three: phases $best_q ms, cp -p $best_cp ms, speed ratio (cp/phases) $speed"
