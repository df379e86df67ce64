#!/usr/bin/env bash
# Builds and runs every test on a Debian 12 machine: installs what is missing (as root; without
# root it refuses, naming what is missing), then configures, builds and runs the suite plain,
# under AddressSanitizer + UndefinedBehaviorSanitizer, and under ThreadSanitizer. Exits non-zero
# when any build or test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
prepare_machine

jobs=$(nproc)
status=0
run_config() {
  local name=$1 sanitize=$2 exclude=$3
  local dir="build/$name"
  echo "=== $name build ==="
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLARNEX_SANITIZE="$sanitize" >/dev/null
  cmake --build "$dir" -j "$jobs"
  echo "=== $name tests ==="
  local args=(--test-dir "$dir" --output-on-failure -j "$jobs" --timeout 600)
  [ -n "$exclude" ] && args+=(-LE "$exclude")
  ctest "${args[@]}" || status=1
}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
# GTK needs no settings daemon or accessibility bus in the window tests.
export GSETTINGS_BACKEND=${GSETTINGS_BACKEND:-memory}
export NO_AT_BRIDGE=1

run_config plain "" ""
# The window tests drive an uninstrumented GTK; the sanitized runs cover everything else.
run_config asan address gui
run_config tsan thread gui
exit $status
