# Shell helpers for running the tool on a private X display; sourced, not run.
# Every wait here has a bound, and only processes started here are ended, by pid.

kToolWindowName='^Quorvin挂机采集助手V2\.0$'

# Starts Xvfb on a free display number of its choosing and exports DISPLAY.
# Sets xvfb_pid. Returns 1 when no usable server came up in three tries.
start_private_xvfb() {
  local try
  for ((try = 0; try < 3; try++)); do
    if start_xvfb_once; then
      # With other servers starting and stopping on this machine, a display we
      # were handed has been seen unreachable at once; then we start afresh.
      timeout 10 xdpyinfo >/dev/null 2>&1 && return 0
      stop_private_xvfb
    fi
  done
  return 1
}

start_xvfb_once() {
  local fifo_dir display=""
  fifo_dir=$(mktemp -d) || return 1
  mkfifo "$fifo_dir/display"
  # -displayfd picks a free display and names it only once it accepts clients,
  # so nothing races with another server starting beside us.
  # -noreset: a server that resets when its last client leaves refuses the
  # next one for a moment, and the xdpyinfo check below is such a client.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo_dir/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 display <"$fifo_dir/display" || true
  rm -rf "$fifo_dir"
  if [ -z "$display" ]; then
    stop_private_xvfb
    return 1
  fi
  export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
}

stop_private_xvfb() {
  [ -n "${xvfb_pid:-}" ] && end_process "$xvfb_pid"
  xvfb_pid=""
}

# Waits up to `bound_s` whole seconds for child `pid` to end; 1 if it has not.
await_exit() {
  local pid=$1 bound_s=$2 tries
  for ((tries = 0; tries < bound_s * 10; tries++)); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  ! kill -0 "$pid" 2>/dev/null
}

# Asks a child process to end, gives it 5 s, then kills it; reaps it either way.
end_process() {
  local pid=$1
  kill "$pid" 2>/dev/null && ! await_exit "$pid" 5 && kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return 0
}

# Prints the id of the tool's main window once it is mapped, polling every 10 ms.
# Returns 1 after `bound_s` seconds, or at once when process `pid` has ended.
wait_for_tool_window() {
  local pid=$1 bound_s=$2 window deadline
  deadline=$((SECONDS + bound_s))
  while ((SECONDS < deadline)); do
    window=$(xdotool search --all --onlyvisible --pid "$pid" --name "$kToolWindowName" 2>/dev/null | head -n 1)
    if [ -n "$window" ]; then
      echo "$window"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.01
  done
  return 1
}
