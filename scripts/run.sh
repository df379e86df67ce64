#!/usr/bin/env bash
# Builds the tool and starts it in a window on the simulated camera (sample firmware, flash kept
# in a file, so a burn survives a restart and an export reads it back). On a fresh Debian 12
# machine run it as root: it installs what is missing first.
#
# With a display (DISPLAY set and reachable) the tool opens there and you drive it yourself.
# Without one it starts a virtual display (Xvfb), drives one whole burn through the window as a
# person would (drops the sample image on the window, clicks GO), saves screenshots of the start,
# the running burn and the end, and prints the final status line.
#
# Everything it writes lands in out/run/ (override with FLARNEX_RUN_DIR): the sample image, the
# camera's flash file, exported images, screenshots/ and the window trace.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
source scripts/packages.sh
if [ "$(id -u)" = 0 ]; then
  install_missing_packages
fi

build_dir="$repo/build/run"
run_dir=${FLARNEX_RUN_DIR:-$repo/out/run}
shots="$run_dir/screenshots"
mkdir -p "$run_dir" "$shots"

echo "=== build ==="
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target flarnex flarnex_xdrive flarnex_sample_image
flarnex="$build_dir/app/flarnex"
xdrive="$build_dir/platform/gtk/flarnex_xdrive"

image="$run_dir/sample.bin"
"$build_dir/tests/gtk/flarnex_sample_image" "$image"
echo "sample image: $image"

# The camera: chip 0x32 with an MX25L1005 flash holding the sample firmware, kept in flash.bin;
# each request takes 200 us, as over USB, so the burn can be watched.
export FLARNEX_SIMULATED_CAMERA=${FLARNEX_SIMULATED_CAMERA:-"chip=0x32,flash=MX25L1005,firmware=sample,flash_file=$run_dir/flash.bin,latency_us=200"}
export GSETTINGS_BACKEND=${GSETTINGS_BACKEND:-memory}
export NO_AT_BRIDGE=1

if [ -n "${DISPLAY:-}" ] && "$xdrive" probe 2>/dev/null; then
  echo "=== starting the tool on $DISPLAY (exports go to $run_dir) ==="
  cd "$run_dir"
  exec "$flarnex"
fi

# No display: a virtual one, and an unattended burn.
echo "=== no display: starting Xvfb and driving one burn ==="
fd_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -s 0 -dpms 3>"$fd_file" 2>/dev/null &
xvfb_pid=$!
tool_pid=
cleanup() {
  [ -n "$tool_pid" ] && kill "$tool_pid" 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  rm -f "$fd_file"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$fd_file")"
export GDK_BACKEND=x11

trace="$run_dir/trace.txt"
: >"$trace"
export FLARNEX_VIEW_TRACE="$trace"
(cd "$run_dir" && exec "$flarnex") &
tool_pid=$!

# The trace's lines are tab-separated: window/control geometry and every text a control shows.
wait_for() {  # wait_for SECONDS AWK-CONDITION: until a trace line matches
  local deadline=$((SECONDS + $1))
  while [ $SECONDS -lt $deadline ]; do
    if awk -F'\t' "$2 {found=1} END {exit !found}" "$trace"; then return 0; fi
    kill -0 "$tool_pid" 2>/dev/null || { echo "the tool ended early" >&2; return 1; }
    sleep 0.2
  done
  echo "timed out waiting for: $2" >&2
  return 1
}
last_status() { awk -F'\t' '$1 == "text" && $2 == 1014 {s = $3} END {print s}' "$trace"; }
centre_of() {  # centre_of CONTROL-ID -> "x y" in the main window
  awk -F'\t' -v id="$1" '$1 == "control" && $2 == 102 && $3 == id {print int($4 + $6 / 2), int($5 + $7 / 2); exit}' "$trace"
}
shot() { "$xdrive" screenshot "$shots/$1"; echo "screenshot: $shots/$1"; }

wait_for 30 '$1 == "window" && $2 == 102'
window=$(awk -F'\t' '$1 == "window" && $2 == 102 {print $3; exit}' "$trace")
sleep 1
shot 1-start.png

# Drop the sample image on the window, as from a file manager.
read -r tab_x tab_y <<<"$(centre_of 1025)"
"$xdrive" drop "$window" "$tab_x" "$tab_y" "$image"
wait_for 10 '$1 == "text" && $2 == 1014 && ($3 ~ /GO/ || $3 ~ /开始烧录/)'

read -r go_x go_y <<<"$(centre_of 1002)"
"$xdrive" click "$window" "$go_x" "$go_y"
wait_for 30 '$1 == "text" && $2 == 1014 && ($3 ~ /Burning/ || $3 ~ /烧录中/)'
sleep 3
shot 2-burning.png
wait_for 600 '$1 == "text" && $2 == 1014 && ($3 ~ /Burn (Successes|Failed)!/ || $3 ~ /烧录(成功|失败)/)'
sleep 1
shot 3-end.png

status=$(last_status)
echo "status: $status"
kill "$tool_pid" 2>/dev/null || true
wait "$tool_pid" 2>/dev/null || true
tool_pid=
echo "screenshots in $shots; the camera's flash is kept in $run_dir/flash.bin"
case "$status" in
  *Successes* | *成功*) exit 0 ;;
  *) exit 1 ;;
esac
