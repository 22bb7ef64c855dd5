#!/usr/bin/env bash
# Runs the tool built in <build-dir> against the sample back end, from a demo
# folder with a config.ini of short minutes. With a display you log in and
# press 开始挂机 yourself; without one, a private Xvfb runs it, this script
# logs in and starts the cycle with xdotool, and screenshots show it.
set -u
build=$(cd "${1:?usage: scripts/demo.sh <build-dir>}" && pwd) || exit 1
source "$(dirname "${BASH_SOURCE[0]}")/xvfb-lib.sh"

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
cp "$build/bin/quorvin-assistant" "$demo/" || exit 1

"$build/bin/sample-back-end" --port 0 >"$demo/back-end.out" &
back_end_pid=$!
port=""
for ((tries = 0; tries < 100 && ${#port} == 0; tries++)); do
  port=$(sed -n 's/^port=\([0-9]*\)$/\1/p' "$demo/back-end.out" 2>/dev/null)
  [ -z "$port" ] && sleep 0.1
done
[ -n "$port" ] || fail "the sample back end did not start"
base="http://127.0.0.1:$port"

# Six lines joined by CR LF, none after the last: one minute of collecting,
# a new cycle every two minutes.
printf '%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n%s' "$base/login" "$base/collect" \
  "$base/generate/channels" "$base/generate/home" 1 2 >"$demo/config.ini"

echo "Sample back end: $base (what it saw: $base/__record)"
echo "Log in with user admin, password admin123, then press 开始挂机."

start_tool() {
  (cd "$demo" && XDG_DATA_HOME="$demo/data" XDG_CACHE_HOME="$demo/cache" \
    exec ./quorvin-assistant >"$demo/tool.log" 2>&1) &
  tool_pid=$!
}

if [ -n "${DISPLAY:-}" ] && timeout 10 xdpyinfo >/dev/null 2>&1; then
  start_tool
  wait "$tool_pid"
  tool_pid=""
  finish 0
fi

echo "No usable display (DISPLAY='${DISPLAY:-}'): the demo runs under Xvfb and does the above itself; Ctrl-C ends it."
start_private_xvfb || fail "Xvfb did not start"
start_tool
window=$(wait_for_tool_window "$tool_pid" 60) || fail "the tool's window did not appear within 60 s"

# Waits up to `bound_s` seconds for the back end to record `what`.
await_event() {
  local what=$1 bound_s=$2 deadline=$((SECONDS + $2))
  while ((SECONDS < deadline)); do
    curl -s --max-time 5 "$base/__record" | grep -q " $what\$" && return 0
    kill -0 "$tool_pid" 2>/dev/null || return 1
    sleep 0.5
  done
  echo "demo: '$what' was not seen within $bound_s s" >&2
  return 1
}

screenshot() {
  if timeout 30 import -window root "$demo/$1"; then
    echo "Screenshot: $demo/$1"
  else
    echo "demo: the screenshot $1 failed" >&2
  fi
}

# Window coordinates: the browser box's page starts at (17,88), where the login
# form sits at fixed places; 开始挂机 is at (17,508).
click() { xdotool mousemove --sync --window "$window" "$1" "$2" click 1; }
type_text() { xdotool windowfocus --sync "$window" type --delay 50 "$1"; }

await_event "load login" 60 || finish 1
sleep 2
screenshot demo-login.png
echo "Logging in as admin / admin123 ..."
click 137 161 && type_text admin && click 137 201 && type_text admin123 && click 77 242
await_event "load admin" 30 || finish 1
echo "Pressing 开始挂机: one minute of collecting, then about 45 s of page generation."
click 61 526
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
