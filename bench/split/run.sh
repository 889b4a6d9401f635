#!/usr/bin/env bash
# Split-package join benchmark: a 1 GB package in 100 pieces joined by the reassembly against cat
# of the same pieces' data into one file, in one run, with the join's peak memory.
#   bench/split/run.sh [path/to/quillan_split_bench]
# Work files live in a private folder under /tmp (about 3 GB while it runs), removed at the end.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
driver=${1:-$here/../../build-bench/bench/split/quillan_split_bench}
[ -x "$driver" ] || { echo "driver not found: $driver (build target quillan_split_bench)" >&2; exit 2; }
command -v /usr/bin/time >/dev/null || { echo "missing /usr/bin/time (tools/install-deps.sh)" >&2; exit 2; }

work=$(mktemp -d /tmp/quillan-split-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pieces" "$work/data"
echo "Preparing a 1 GB package in 100 pieces in $work ..."
head -c $((1024 * 1024 * 1024)) /dev/urandom > "$work/Package.zip"
"$driver" split "$work/Package.zip" "$work/pieces" 100
# cat gets the same bytes without the 10-byte piece headers, so both write exactly 1 GB.
for p in "$work"/pieces/Package.zip.*; do tail -c +11 "$p" > "$work/data/$(basename "$p")"; done
rm -f "$work/Package.zip"

best_join=999999 best_cat=999999
ms() { local s e; sync; s=$(date +%s%N); "$@"; e=$(date +%s%N); echo $(( (e - s) / 1000000 )); }
for round in 1 2 3; do
  j=$(ms "$driver" join "$work/pieces" Package.tpl "$work/joined.zip")
  c=$(ms sh -c "cat '$work'/data/Package.zip.* > '$work/cat.zip'")
  cmp -s "$work/joined.zip" "$work/cat.zip" || { echo "joined archive differs"; exit 1; }
  rm -f "$work/joined.zip" "$work/cat.zip"
  echo "round $round: join $j ms, cat $c ms"
  [ "$j" -lt "$best_join" ] && best_join=$j
  [ "$c" -lt "$best_cat" ] && best_cat=$c
done
/usr/bin/time -f "%M" -o "$work/peak" "$driver" join "$work/pieces" Package.tpl "$work/joined.zip"
speed=$(awk -v j="$best_join" -v c="$best_cat" 'BEGIN { printf "%.2f", c / j }')
echo "Join 1 GB from 100 pieces, best of three: join $best_join ms, cat $best_cat ms, speed ratio (cat/join) $speed"
echo "Peak memory of the join: $(awk '{printf "%.1f", $1 / 1024}' "$work/peak") MB"
