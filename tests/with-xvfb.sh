#!/usr/bin/env bash
# Runs a command on a private Xvfb display of its own, so tests never touch the
# user's desktop and can run side by side.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/xvfb-lib.sh"
if ! start_private_xvfb; then
  echo "with-xvfb: Xvfb did not start" >&2
  exit 1
fi
"$@"
status=$?
stop_private_xvfb
exit "$status"
