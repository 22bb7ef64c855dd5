# Shell helpers that measure a process with all its descendants (the tool and
# its Chromium processes); sourced, not run.

# The pid and every descendant pid of `pid`, one a line.
process_tree() {
  local pid=$1 child
  echo "$pid"
  for child in $(cat /proc/"$pid"/task/*/children 2>/dev/null); do
    process_tree "$child"
  done
}

# Processor time, in clock ticks, used so far by the tree of `pid`.
tree_cpu_ticks() {
  local total=0 p fields
  for p in $(process_tree "$1"); do
    # Fields after the command name, which may hold blanks: utime and stime are 14 and 15.
    fields=$(sed 's/^.*) //' /proc/"$p"/stat 2>/dev/null) || continue
    set -- $fields
    total=$((total + ${12:-0} + ${13:-0}))
  done
  echo "$total"
}

# One field (Rss, Pss, ...) of one process's memory in kB; 0 once it is gone.
process_memory_kb() {
  local value
  value=$(awk -v f="$2:" '$1 == f { print $2 }' /proc/"$1"/smaps_rollup 2>/dev/null)
  echo "${value:-0}"
}

# The same field summed over the process and all below it.
tree_memory_kb() {
  local pid=$1 field=$2 total=0 p
  for p in $(process_tree "$pid"); do
    total=$((total + $(process_memory_kb "$p" "$field")))
  done
  echo "$total"
}
