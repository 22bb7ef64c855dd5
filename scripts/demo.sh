#!/usr/bin/env bash
# Runs the tool built in <build-dir> against the sample back end, from a demo
# folder with a config.ini of short minutes. With a display you log in and
# press 开始挂机 yourself; without one, a private Xvfb runs it, this script
# logs in and starts the cycle with xdotool, and screenshots show it.
set -u
build=$(cd "${1:?usage: scripts/demo.sh <build-dir>}" && pwd) || exit 1
source "$(dirname "${BASH_SOURCE[0]}")/xvfb-lib.sh"
source "$(dirname "${BASH_SOURCE[0]}")/back-end-lib.sh"

demo="$build/demo"
tool_pid="" back_end_pid=""

finish() {
  local status=$1
  [ -n "$tool_pid" ] && end_process "$tool_pid"
  [ -n "$back_end_pid" ] && end_process "$back_end_pid"
  stop_private_xvfb
  exit "$status"
}
trap 'finish 130' INT TERM

fail() {
  echo "demo: $*" >&2
  finish 1
}

# A fresh folder each time: the tool reads config.ini beside itself, and its
# browser profile stays here too.
rm -rf "$demo" && mkdir -p "$demo" || exit 1
start_sample_back_end "$build" "$demo" || fail "the sample back end did not start"
# One minute of collecting, a new cycle every two minutes.
place_tool "$build" "$demo" 1 2 || exit 1

echo "Sample back end: $base (what it saw: $base/__record)"
echo "Log in with user admin, password admin123, then press 开始挂机."

if [ -n "${DISPLAY:-}" ] && timeout 10 xdpyinfo >/dev/null 2>&1; then
  start_tool "$demo"
  wait "$tool_pid"
  tool_pid=""
  finish 0
fi

echo "No usable display (DISPLAY='${DISPLAY:-}'): the demo runs under Xvfb and does the above itself; Ctrl-C ends it."
start_private_xvfb || fail "Xvfb did not start"
start_tool "$demo"
window=$(wait_for_tool_window "$tool_pid" 60) || fail "the tool's window did not appear within 60 s"

screenshot() {
  if timeout 30 import -window root "$demo/$1"; then
    echo "Screenshot: $demo/$1"
  else
    echo "demo: the screenshot $1 failed" >&2
  fi
}

await_event "load login" 60 || finish 1
sleep 2
screenshot demo-login.png
echo "Logging in as admin / admin123 ..."
log_in "$window" || finish 1
echo "Pressing 开始挂机: one minute of collecting, then about 45 s of page generation."
press_start "$window"
await_event "press collect:start" 30 || finish 1
sleep 5
screenshot demo-countdown.png
await_event "load home" 150 || finish 1
sleep 2
screenshot demo-end-of-cycle.png
echo "The cycle ran; the next starts two minutes after this one ended. Ctrl-C ends the demo."
wait "$tool_pid"
tool_pid=""
finish 0
