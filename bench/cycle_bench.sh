#!/usr/bin/env bash
# The whole tool at work: processor time over one real cycle against the sample
# back end, and memory after one and after three cycles. Prints name=value unit.
set -u
build=$(cd "${1:?usage: bench/cycle_bench.sh <build-dir>}" && pwd) || exit 1
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/../scripts/xvfb-lib.sh"
source "$here/../scripts/back-end-lib.sh"
source "$here/../scripts/measure-lib.sh"

work=$(mktemp -d)
tool_pid="" back_end_pid=""
cleanup() {
  [ -n "$tool_pid" ] && end_process "$tool_pid"
  [ -n "$back_end_pid" ] && end_process "$back_end_pid"
  stop_private_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
fail() { echo "cycle bench: $*" >&2; exit 1; }

# One minute of collecting; cycles start two minutes apart.
start_logged_in_tool "$build" "$work" 1 2 || fail "no run"
sleep 3
echo "tool_pss_mb=$(($(tree_memory_kb "$tool_pid" Pss) / 1024)) MB"

ticks_per_second=$(getconf CLK_TCK)
press_start "$window"
started=$SECONDS
ticks_before=$(tree_cpu_ticks "$tool_pid")
await_event "load home" 200 || fail "the first cycle did not end"
ticks=$(($(tree_cpu_ticks "$tool_pid") - ticks_before))
wall=$((SECONDS - started))
awk -v t="$ticks" -v hz="$ticks_per_second" -v w="$wall" \
  'BEGIN { printf "cycle_cpu_fraction=%.4f ratio\n", t / hz / w }'
echo "rss_mb_after_1_cycle=$(($(tree_memory_kb "$tool_pid" Rss) / 1024)) MB"

for cycle in 2 3; do
  before=$(curl -s --max-time 5 "$base/__record" | grep -c ' load home$')
  deadline=$((SECONDS + 300))
  until (($(curl -s --max-time 5 "$base/__record" | grep -c ' load home$') > before)); do
    ((SECONDS < deadline)) || fail "cycle $cycle did not end"
    sleep 1
  done
done
echo "rss_mb_after_cycles=$(($(tree_memory_kb "$tool_pid" Rss) / 1024)) MB"
