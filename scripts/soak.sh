#!/usr/bin/env bash
# Runs the real tool against the sample back end for a number of cycles (the
# shortest the settings allow), records the resident memory of the tool and its
# Chromium processes after every cycle, and fails when it grows more than
# 5 MB per 100 cycles (least-squares slope).
set -u
build=$(cd "${1:?usage: scripts/soak.sh <build-dir> [cycles]}" && pwd) || exit 1
cycles=${2:-30}
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/xvfb-lib.sh"
source "$here/back-end-lib.sh"
source "$here/measure-lib.sh"

work="$build/soak"
tool_pid="" back_end_pid=""
cleanup() {
  [ -n "$tool_pid" ] && end_process "$tool_pid"
  [ -n "$back_end_pid" ] && end_process "$back_end_pid"
  stop_private_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM
fail() { echo "soak: $*" >&2; exit 1; }

rm -rf "$work" && mkdir -p "$work" || exit 1
# No minutes of collecting (the cycle generates on its first tick) and a new
# cycle every minute: about 51 s of work per cycle.
start_logged_in_tool "$build" "$work" 0 1 || fail "no run"
press_start "$window"

curve="$work/rss.txt"
: >"$curve"
for ((cycle = 1; cycle <= cycles; cycle++)); do
  deadline=$((SECONDS + 180))
  until (($(curl -s --max-time 5 "$base/__record" | grep -c ' load home$') >= cycle)); do
    ((SECONDS < deadline)) || fail "cycle $cycle did not end"
    kill -0 "$tool_pid" 2>/dev/null || fail "the tool ended during cycle $cycle"
    sleep 1
  done
  sleep 2
  rss_kb=$(tree_memory_kb "$tool_pid" Rss)
  echo "$cycle $rss_kb" >>"$curve"
  echo "cycle $cycle: $((rss_kb / 1024)) MB"
  # Each process on its own, so that growth can be put down to one of them.
  for p in $(process_tree "$tool_pid"); do
    kind=$(tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | grep -o -- '--type=[a-z-]*' | head -n 1)
    echo "$cycle $p ${kind:-tool} $(process_memory_kb "$p" Rss)" >>"$work/processes.txt"
  done
done

# The slope of resident memory over cycles, by least squares, per 100 cycles.
growth=$(awk '{ n++; sx += $1; sy += $2 / 1024; sxx += $1 * $1; sxy += $1 * $2 / 1024 }
  END { d = n * sxx - sx * sx; printf "%.2f", d ? 100 * (n * sxy - sx * sy) / d : 0 }' "$curve")
echo "soak_rss_growth_mb_per_100_cycles=$growth MB"
echo "The curve: $curve; each process after each cycle: $work/processes.txt"
# What each process held after the first cycle and after the last.
awk -v last="$cycles" '$1 == 1 { first[$2] = $4; kind[$2] = $3 } $1 == last { final[$2] = $4; kind[$2] = $3 }
  END { for (p in kind) printf "  %s %s: %d -> %d kB\n", kind[p], p, first[p], final[p] }' \
  "$work/processes.txt"
awk -v g="$growth" 'BEGIN { exit !(g <= 5) }' || fail "memory grows $growth MB per 100 cycles"
