#!/bin/sh
# CPU used by Ostrevin while a run waits ~10 s for its script (a busy wait would use a whole core).
# Usage: bench/wait_cpu.sh [BUILD_DIR]   (default build/win, made by scripts/test.sh)
set -e
cd "$(dirname "$0")/.."
build=${1:-build/win}
cmake --build "$build" --target bench_wait_cpu >/dev/null
scripts/prefix.sh "$build" no-wm
xvfb-run -a scripts/wine-run.sh "$build/bench_wait_cpu.exe"
