#!/usr/bin/env bash
# headless_burn.sh BUILD-DIR RUN-DIR IMAGE: one burn through the tool's window on a virtual display,
# as a person would do it: drops IMAGE on the window and clicks GO, with screenshots of the start,
# the running burn and the end in RUN-DIR/screenshots. The camera is whatever
# FLARNEX_SIMULATED_CAMERA describes. Prints the final status line; exits 0 on "Burn Successes!",
# and non-zero at once, with the box's text and the status line, when the tool opens a message box.
# scripts/run.sh calls it when there is no display.
set -euo pipefail
build_dir=$(cd "$1" && pwd)
run_dir=$(cd "$2" && pwd)
image=$(realpath "$3")
source "$(dirname "$0")/window_drive.sh"
flarnex="$build_dir/app/flarnex"
xdrive="$build_dir/platform/gtk/flarnex_xdrive"
shots="$run_dir/screenshots"
mkdir -p "$shots"
export GSETTINGS_BACKEND=${GSETTINGS_BACKEND:-memory}
export NO_AT_BRIDGE=1

trap drive_cleanup EXIT
start_display
start_tool "$run_dir" "$run_dir/trace.txt"

wait_for 30 '$1 == "window" && $2 == 102'
sleep 1  # the first frame is drawn after the window maps
shot 1-start.png

drop_file "$image"
wait_for 10 "$status_ready"
click_control 1002  # GO
wait_for 30 "$status_burning"
sleep 3
shot 2-burning.png
wait_for 600 "$status_burn_end"
sleep 1
shot 3-end.png

status=$(last_status)
echo "status: $status"
case "$status" in
  *Successes* | *成功*) exit 0 ;;
  *) exit 1 ;;
esac
