# Shell helpers for running the tool against the sample back end; sourced, not
# run, after scripts/xvfb-lib.sh. Every wait has a bound.

# Starts the sample back end built in `build` with its output in `folder`;
# sets back_end_pid and base (its address). Returns 1 when it did not start.
start_sample_back_end() {
  local build=$1 folder=$2 port="" tries
  "$build/bin/sample-back-end" --port 0 >"$folder/back-end.out" &
  back_end_pid=$!
  for ((tries = 0; tries < 100 && ${#port} == 0; tries++)); do
    port=$(sed -n 's/^port=\([0-9]*\)$/\1/p' "$folder/back-end.out" 2>/dev/null)
    [ -z "$port" ] && sleep 0.1
  done
  [ -n "$port" ] || return 1
  base="http://127.0.0.1:$port"
}

# Puts the tool into `folder` with a config.ini for the back end at $base:
# six lines joined by CR LF, none after the last.
place_tool() {
  local build=$1 folder=$2 round_minutes=$3 interval_minutes=$4
  cp "$build/bin/quorvin-assistant" "$folder/" || return 1
  printf '%s\r\n%s\r\n%s\r\n%s\r\n%s\r\n%s' "$base/login" "$base/collect" \
    "$base/generate/channels" "$base/generate/home" "$round_minutes" "$interval_minutes" \
    >"$folder/config.ini"
}

# Starts the tool placed in `folder`, its browser profile kept there too; sets tool_pid.
start_tool() {
  local folder=$1
  (cd "$folder" && XDG_DATA_HOME="$folder/data" XDG_CACHE_HOME="$folder/cache" \
    exec ./quorvin-assistant >"$folder/tool.log" 2>&1) &
  tool_pid=$!
}

# Waits up to `bound_s` seconds for the back end to record `what`.
await_event() {
  local what=$1 bound_s=$2 deadline=$((SECONDS + $2))
  while ((SECONDS < deadline)); do
    curl -s --max-time 5 "$base/__record" | grep -q " $what\$" && return 0
    kill -0 "$tool_pid" 2>/dev/null || return 1
    sleep 0.5
  done
  echo "'$what' was not seen within $bound_s s" >&2
  return 1
}

# Window coordinates: the browser box's page starts at (17,88), where the login
# form sits at fixed places; 开始挂机 is at (17,508).
click_in_tool() { xdotool mousemove --sync --window "$1" "$2" "$3" click 1; }
type_in_tool() { xdotool windowfocus --sync "$1" type --delay 50 "$2"; }

# Logs in as an operator would, once the login page has loaded in `window`.
log_in() {
  local window=$1
  await_event "load login" 60 || return 1
  sleep 2
  click_in_tool "$window" 137 161 && type_in_tool "$window" admin &&
    click_in_tool "$window" 137 201 && type_in_tool "$window" admin123 &&
    click_in_tool "$window" 77 242 || return 1
  await_event "load admin" 30
}

press_start() { click_in_tool "$1" 61 526; }

# The whole set-up of a run: a private display, the back end, the tool placed
# in `folder` with the given minutes, started and logged in. Sets window (and
# xvfb_pid, back_end_pid, tool_pid, base); prints what failed and returns 1.
start_logged_in_tool() {
  local build=$1 folder=$2 round_minutes=$3 interval_minutes=$4
  start_private_xvfb || { echo "Xvfb did not start" >&2; return 1; }
  start_sample_back_end "$build" "$folder" || { echo "the sample back end did not start" >&2; return 1; }
  place_tool "$build" "$folder" "$round_minutes" "$interval_minutes" ||
    { echo "could not place the tool" >&2; return 1; }
  start_tool "$folder"
  window=$(wait_for_tool_window "$tool_pid" 60) ||
    { echo "the tool's window did not appear" >&2; return 1; }
  log_in "$window" || { echo "could not log in" >&2; return 1; }
}
