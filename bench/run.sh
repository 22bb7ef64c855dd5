#!/usr/bin/env bash
# Runs the benchmarks built in <build-dir> on a private Xvfb and prints one line
# per figure: name=value unit.
set -u
build=$(cd "${1:?usage: bench/run.sh <build-dir>}" && pwd) || exit 1
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/xvfb-lib.sh"

kStarts=5
work=$(mktemp -d)
tool_pid=""
cleanup() {
  [ -n "$tool_pid" ] && end_process "$tool_pid"
  stop_private_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Keeps Qt's warning about a missing runtime folder out of the figures.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"

if ! start_private_xvfb; then
  echo "bench: Xvfb did not start" >&2
  exit 1
fi

"$build/bin/pumping_delay_bench" || exit 1
"$build/bin/page_automation_bench" 2>/dev/null || exit 1

# A complete config.ini, so each start shows the back-end page and starts
# Chromium as in daily use. Nothing listens on the port: the window maps before
# the page would load, so what it serves does not matter.
mkdir "$work/tool"
cp "$build/bin/quorvin-assistant" "$work/tool/"
printf '%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n%s' http://127.0.0.1:9/login.php \
  http://127.0.0.1:9/collect.php http://127.0.0.1:9/channel.php http://127.0.0.1:9/home.php \
  1 10 >"$work/tool/config.ini"
export XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config"

# Sets elapsed_us: from the start of the process until its window is mapped.
time_one_start() {
  local started window
  started=${EPOCHREALTIME/./}
  "$work/tool/quorvin-assistant" >>"$work/tool.log" 2>&1 &
  tool_pid=$!
  if ! window=$(wait_for_tool_window "$tool_pid" 60); then
    echo "bench: the tool's window did not appear; its last output:" >&2
    tail -n 20 "$work/tool.log" >&2
    return 1
  fi
  elapsed_us=$((${EPOCHREALTIME/./} - started))
  timeout 15 xdotool windowfocus --sync "$window" key Escape >/dev/null 2>&1
  await_exit "$tool_pid" 15
  end_process "$tool_pid"
  tool_pid=""
}

times=()
for ((run = 0; run < kStarts; run++)); do
  time_one_start || exit 1
  times+=("$elapsed_us")
done
median_us=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$((kStarts / 2 + 1))p")
echo "startup_to_window_ms=$((median_us / 1000)) ms"

# The tool at work over real cycles: some minutes.
bash "$(dirname "${BASH_SOURCE[0]}")/cycle_bench.sh" "$build" || exit 1
