#!/usr/bin/env bash
# run.sh BINARY TARGET SECONDS [CORPUS]: replays the target's seeds and every input that once
# broke it (tests/fuzz/corpus/TARGET, tests/fuzz/regressions/TARGET; for the language target
# also resources/English.ini, for the hive target the offline tests' public hives and mutated
# copies of them), then fuzzes for SECONDS, adding
# what it learns to CORPUS (a temporary folder when none is given). Exits non-zero on a crash
# or a sanitizer's report, whose input lands in build/fuzz/artifacts/ to be kept as a regression.
set -uo pipefail
binary=$1 target=$2 seconds=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
corpus=${4:-$work/corpus}
artifacts=$here/../../build/fuzz/artifacts
mkdir -p "$corpus" "$artifacts"
dirs=()
for dir in "$here/corpus/$target" "$here/regressions/$target"; do [ -d "$dir" ] && dirs+=("$dir"); done

replay=()
for dir in "${dirs[@]}"; do replay+=("$dir"/*); done
# The language target's first seed is the program's own language file.
if [ "$target" == language ]; then
  cp "$here/../../resources/English.ini" "$corpus/"
  replay+=("$corpus/English.ini")
fi
if [ "$target" == hive ]; then
  # Whole hives from real machines, each also damaged at thirty random places: too
  # large to fuzz from, worth reading once each under the sanitizers.
  hives=$here/../data/hives
  for f in NTUSER_BAGMRU.DAT transactions_NTUSER.DAT; do xz -dc "$hives/$f.xz" >"$work/$f"; done
  python3 "$here/../offline/mutate-hives.py" 4 "$work/NTUSER_BAGMRU.DAT" "$work/transactions_NTUSER.DAT"
  replay+=("$work"/*.DAT*)
fi
echo "=== $target: ${#replay[@]} inputs replayed"
"$binary" -artifact_prefix="$artifacts/$target-" "${replay[@]}" >"$work/replay.log" 2>&1 ||
  { tail -40 "$work/replay.log"; exit 1; }

echo "=== $target: fuzzed for ${seconds} s"
"$binary" -max_total_time="$seconds" -print_final_stats=1 -timeout=20 -rss_limit_mb=2048 \
  -artifact_prefix="$artifacts/$target-" "$corpus" "${dirs[@]}" >"$work/fuzz.log" 2>&1
code=$?
grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$work/fuzz.log" | sed "s/^/$target: /"
if [ $code -ne 0 ]; then
  grep -E 'ERROR|runtime error|SUMMARY|Test unit written' "$work/fuzz.log" | head -20
  echo "$target: FAILED; keep the input as tests/fuzz/regressions/$target/<what it broke>"
fi
exit $code
