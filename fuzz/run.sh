#!/usr/bin/env bash
# Fuzzes one target for FUZZ_SECONDS (default 10) from a copy of its seed
# corpus, so the corpus in the repository never changes. Fails on any crash,
# hang, leak or sanitizer report, and keeps the input that caused it.
set -euo pipefail
target=$1 seeds=$2 scratch=$3
seconds=${FUZZ_SECONDS:-10}
name=$(basename "$target")

rm -rf "$scratch/corpus" "$scratch/tmp"
trap 'rm -rf "$scratch/tmp"' EXIT
mkdir -p "$scratch/corpus" "$scratch/tmp" "$scratch/crashes"
cp "$seeds"/* "$scratch/corpus/"

if ! TMPDIR="$scratch/tmp" UBSAN_OPTIONS=print_stacktrace=1 \
    "$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$scratch/crashes/" "$scratch/corpus" >"$scratch/log" 2>&1; then
  tail -n 60 "$scratch/log"
  echo "$name: FAILED; the input is kept in $scratch/crashes/"
  exit 1
fi
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$scratch/log")
echo "$name: $runs executions in $seconds s, corpus grown to $(ls "$scratch/corpus" | wc -l) inputs" |
  tee "$scratch/summary"
