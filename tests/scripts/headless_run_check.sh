#!/usr/bin/env bash
# headless_run_check.sh SOURCE-DIR BUILD-DIR: the run command's unattended burn on a camera whose
# burn fails with a message box (a 64 KB flash fails the verify). Nobody answers a box there, so
# the run must print the box's text and the status line and exit non-zero instead of waiting.
# Also: a bad camera configuration names the variable once.
set -uo pipefail
source_dir=$1
build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
expect() {  # expect DESCRIPTION COMMAND...: the command succeeds
  local what=$1
  shift
  if ! "$@"; then
    echo "FAILED: $what" >&2
    failures=$((failures + 1))
  fi
}

"$build_dir/simulated_camera/flarnex_sample_image" "$work/sample.src"
export FLARNEX_SIMULATED_CAMERA="chip=0x32,flash=SST25VF512"
unset DISPLAY
bash "$source_dir/scripts/headless_burn.sh" "$build_dir" "$work" "$work/sample.src" >"$work/out.txt" 2>&1
status=$?
cat "$work/out.txt"
expect "the run exits non-zero" test "$status" -ne 0
expect "the box's text is printed" grep -qxF "message box: flarnex: The Flash size is less than 128K, please confirm!" "$work/out.txt"
expect "the status line is printed" grep -qxF "status: Burning..." "$work/out.txt"
expect "the box is in a screenshot" test -s "$work/screenshots/box.png"

FLARNEX_SIMULATED_CAMERA="nodes=none" "$build_dir/app/flarnex" >"$work/bad.txt" 2>&1
status=$?
cat "$work/bad.txt"
expect "a bad configuration ends the tool" test "$status" -ne 0
expect "the variable is named once" test "$(grep -o FLARNEX_SIMULATED_CAMERA "$work/bad.txt" | wc -l)" -eq 1
expect "the item the user wrote is named" grep -qF "'nodes=none'" "$work/bad.txt"
[ "$failures" -eq 0 ]
