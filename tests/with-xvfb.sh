#!/usr/bin/env bash
# Runs a command on a private Xvfb display of its own, so tests never touch the
# user's desktop and can run side by side.
set -u
work=$(mktemp -d)
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
display=""
read -r -t 20 display <"$work/display" || true
if [ -z "$display" ]; then
  echo "with-xvfb: Xvfb did not start" >&2
  kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
  exit 1
fi
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
"$@"
status=$?
kill "$xvfb_pid" 2>/dev/null
wait "$xvfb_pid" 2>/dev/null
rm -rf "$work"
exit "$status"
