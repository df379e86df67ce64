#!/usr/bin/env bash
# Builds the tool and starts it in a window on the simulated camera (sample firmware, flash kept
# in a file, so a burn survives a restart and an export reads it back). On a fresh Debian 12
# machine run it as root: it installs what is missing first (packages and the locales).
#
# With a display (DISPLAY set and reachable) the tool opens there and you drive it yourself.
# Without one, scripts/headless_burn.sh drives one whole burn through the window on a virtual
# display and exits with its outcome.
#
# Everything it writes lands in out/run/ (override with FLARNEX_RUN_DIR): the sample image
# sample.src, exported images, screenshots/ and the window trace; the camera's flash file sits in
# a folder of its own, camera/, apart from the images a user picks.
#
# With --real-camera it starts the tool on the machine's own USB cameras instead (uvcvideo), on
# the display; there is nothing to drive without one.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
real_camera=0
case "${1:-}" in
  "") ;;
  --real-camera) real_camera=1 ;;
  *) echo "usage: bash scripts/run.sh [--real-camera]" >&2; exit 2 ;;
esac
source scripts/packages.sh
prepare_machine

build_dir="$repo/build/run"
run_dir=${FLARNEX_RUN_DIR:-$repo/out/run}
mkdir -p "$run_dir/camera"

echo "=== build ==="
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target flarnex flarnex_xdrive flarnex_sample_image
flarnex="$build_dir/app/flarnex"
xdrive="$build_dir/platform/gtk/flarnex_xdrive"

if [ "$real_camera" = 1 ]; then
  if [ -z "${DISPLAY:-}" ] || ! "$xdrive" probe 2>/dev/null; then
    echo "run.sh --real-camera: no display to open the tool on (set DISPLAY)" >&2
    exit 1
  fi
  echo "=== starting the tool on the machine's cameras on $DISPLAY (exports go to $run_dir) ==="
  unset FLARNEX_SIMULATED_CAMERA
  cd "$run_dir"
  exec "$flarnex"
fi

# The file chooser opens on *.SRC files, so the sample carries that extension.
image="$run_dir/sample.src"
"$build_dir/simulated_camera/flarnex_sample_image" "$image"
echo "sample image: $image"

# The camera: chip 0x32 with an MX25L1005 flash holding the sample firmware, kept in
# camera/flash.bin; each request takes 200 us, as over USB, so the burn can be watched.
export FLARNEX_SIMULATED_CAMERA=${FLARNEX_SIMULATED_CAMERA:-"chip=0x32,flash=MX25L1005,firmware=sample,flash_file=$run_dir/camera/flash.bin,latency_us=200"}
export GSETTINGS_BACKEND=${GSETTINGS_BACKEND:-memory}
export NO_AT_BRIDGE=1

if [ -n "${DISPLAY:-}" ] && "$xdrive" probe 2>/dev/null; then
  echo "=== starting the tool on $DISPLAY (exports go to $run_dir) ==="
  cd "$run_dir"
  exec "$flarnex"
fi

echo "=== no display: driving one burn on a virtual display ==="
exec bash scripts/headless_burn.sh "$build_dir" "$run_dir" "$image"
