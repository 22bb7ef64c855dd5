#!/usr/bin/env bash
# Starts the tool built in <build-dir>. Without a usable display it runs on a
# private Xvfb instead, and a screenshot shows what it drew.
set -u
build=$(cd "${1:?usage: scripts/run-tool.sh <build-dir>}" && pwd) || exit 1
tool="$build/bin/quorvin-assistant"
source "$(dirname "${BASH_SOURCE[0]}")/xvfb-lib.sh"

if [ -n "${DISPLAY:-}" ] && timeout 10 xdpyinfo >/dev/null 2>&1; then
  exec "$tool"
fi

echo "No usable display (DISPLAY='${DISPLAY:-}'): the tool runs under Xvfb; Ctrl-C ends it."
if ! start_private_xvfb; then
  echo "run-tool: Xvfb did not start" >&2
  exit 1
fi
"$tool" &
tool_pid=$!

finish() {
  end_process "$tool_pid"
  stop_private_xvfb
  exit 130
}
trap finish INT TERM

if wait_for_tool_window "$tool_pid" 60 >/dev/null; then
  # Chromium and the first page need a moment after the window maps.
  sleep 3
  screenshot="$build/run-screenshot.png"
  if timeout 30 import -window root "$screenshot"; then
    echo "Screenshot: $screenshot"
  else
    echo "run-tool: the screenshot failed" >&2
  fi
else
  echo "run-tool: the tool's window did not appear within 60 s" >&2
fi

wait "$tool_pid"
status=$?
stop_private_xvfb
exit "$status"
