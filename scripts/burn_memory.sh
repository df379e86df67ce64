#!/usr/bin/env bash
# burn_memory.sh [BURNS]: the tool's resident memory over repeated burns. Builds the tool, starts
# it on a virtual display with the simulated camera (no request latency, so the burns run at the
# software's own speed), loads the sample image by a drop and clicks GO BURNS times (default 20),
# printing the resident memory after each burn. Exits non-zero when the memory after the last burn
# is more than 2 MB above that after the first. FLARNEX_SIMULATED_CAMERA overrides the camera, for
# example with trace=on to see what the request trace costs.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
burns=${1:-20}
allowed_growth_kb=2048

build_dir="$repo/build/run"
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target flarnex flarnex_xdrive flarnex_sample_image >/dev/null
source scripts/window_drive.sh
flarnex="$build_dir/app/flarnex"
xdrive="$build_dir/platform/gtk/flarnex_xdrive"

work=$(mktemp -d)
trap 'drive_cleanup; rm -rf "$work"' EXIT
"$build_dir/simulated_camera/flarnex_sample_image" "$work/sample.src"
export FLARNEX_SIMULATED_CAMERA=${FLARNEX_SIMULATED_CAMERA:-"chip=0x32,flash=MX25L1005,firmware=sample,flash_file=$work/flash.bin"}
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
echo "camera: $FLARNEX_SIMULATED_CAMERA"

start_display
start_tool "$work" "$work/trace.txt"
wait_for 30 '$1 == "window" && $2 == 102'
drop_file "$work/sample.src"
wait_for 10 "$status_ready"

resident_kb() { awk '$1 == "VmRSS:" {print $2}' "/proc/$tool_pid/status"; }
first=
for burn in $(seq "$burns"); do
  click_control 1002  # GO
  wait_for 600 "$status_burn_end && \$3 !~ /Failed|失败/ {n++} n >= $burn"
  rss=$(resident_kb)
  [ -z "$first" ] && first=$rss
  echo "burn $burn: resident $rss kB ($((rss - first)) kB over the first)"
done
growth=$((rss - first))
echo "after $burns burns: $growth kB over the first burn (allowed: $allowed_growth_kb kB)"
[ "$growth" -le "$allowed_growth_kb" ]
