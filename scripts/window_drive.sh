# Driving the tool's window on a virtual display, for the scripts that run it unattended. Sourced;
# the caller sets `xdrive` (the flarnex_xdrive program) and `flarnex` (the tool), and may set
# `shots` (the screenshot folder).
#
# The tool writes what its window shows into a trace file (FLARNEX_VIEW_TRACE), one line per
# event, tab-separated: window/control geometry, every text a control shows, and each message box.
# A message box in an unattended run is a failure: nobody would answer it, so the waits stop at
# once, print the box's text and the status line, and the caller exits non-zero.

xvfb_pid=
tool_pid=
fd_file=
trace=

drive_cleanup() {
  [ -n "$tool_pid" ] && kill "$tool_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ -n "$fd_file" ] && rm -f "$fd_file"
  return 0
}

# start_display: a virtual display of 1024x768, DISPLAY pointing at it.
start_display() {
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -s 0 -dpms 3>"$fd_file" 2>/dev/null &
  xvfb_pid=$!
  local _
  for _ in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.1; done
  [ -s "$fd_file" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$fd_file")"
  export GDK_BACKEND=x11
}

# start_tool FOLDER TRACE-FILE: the tool in FOLDER (where its exports land), tracing its window.
start_tool() {
  trace=$2
  : >"$trace"
  (cd "$1" && FLARNEX_VIEW_TRACE="$trace" exec "$flarnex") &
  tool_pid=$!
}

last_status() { awk -F'\t' '$1 == "text" && $2 == 1014 {s = $3} END {print s}' "$trace"; }

# A message box the tool opened, as "caption: text" (empty when none).
open_box() { awk -F'\t' '$1 == "msgbox" {b = $2 ": " $3} END {print b}' "$trace"; }

report_box() {
  echo "message box: $(open_box)" >&2
  echo "status: $(last_status)" >&2
  [ -n "${shots:-}" ] && shot box.png
  return 0
}

# wait_for SECONDS AWK-CONDITION: until a trace line matches. Non-zero when the time runs out, the
# tool ends, or a message box opens (reported).
wait_for() {
  local deadline=$((SECONDS + $1))
  while [ $SECONDS -lt $deadline ]; do
    if awk -F'\t' "$2 {found=1} END {exit !found}" "$trace"; then return 0; fi
    if [ -n "$(open_box)" ]; then report_box; return 1; fi
    kill -0 "$tool_pid" 2>/dev/null || { echo "the tool ended early" >&2; return 1; }
    sleep 0.2
  done
  echo "timed out waiting for: $2" >&2
  return 1
}

# count_lines AWK-CONDITION: trace lines that match.
count_lines() { awk -F'\t' "$1 {n++} END {print n + 0}" "$trace"; }

main_window() { awk -F'\t' '$1 == "window" && $2 == 102 {print $3; exit}' "$trace"; }

centre_of() {  # centre_of CONTROL-ID -> "x y" in the main window
  awk -F'\t' -v id="$1" '$1 == "control" && $2 == 102 && $3 == id {print int($4 + $6 / 2), int($5 + $7 / 2); exit}' "$trace"
}

click_control() {  # click_control CONTROL-ID
  local x y
  read -r x y <<<"$(centre_of "$1")"
  "$xdrive" click "$(main_window)" "$x" "$y"
}

drop_file() {  # drop_file PATH: dropped over the tab area, as from a file manager
  local x y
  read -r x y <<<"$(centre_of 1025)"
  "$xdrive" drop "$(main_window)" "$x" "$y" "$1"
}

shot() { "$xdrive" screenshot "$shots/$1" && echo "screenshot: $shots/$1"; }

# Status-line conditions, in both languages.
status_ready='$1 == "text" && $2 == 1014 && ($3 ~ /GO/ || $3 ~ /开始烧录/)'
status_burning='$1 == "text" && $2 == 1014 && ($3 ~ /Burning/ || $3 ~ /烧录中/)'
status_burn_end='$1 == "text" && $2 == 1014 && ($3 ~ /Burn (Successes|Failed)!/ || $3 ~ /烧录(成功|失败)/)'
