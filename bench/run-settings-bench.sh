#!/usr/bin/env bash
# Prints the time of saving the scan path list with 1,000 entries: `cv --add-path` (target
# < 0.3 s), `cv --remove-path` and the main window's save at closing. Builds its own Release tree.
#   bench/run-settings-bench.sh [PATHS]   (default 1000; BUILD_DIR overrides build-release)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-release}
paths=${1:-1000}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCV_BUILD_TESTS=OFF >/dev/null
ninja -C "$build" cv cv_settings_bench >/dev/null
"$build/bin/cv_settings_bench" "$paths"
