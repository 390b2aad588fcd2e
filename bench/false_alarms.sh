#!/bin/sh
# False alarms of the look for damaged files on generated trees (bench/false_alarms.cpp),
# natively: it reads no files, only what their first 4 KB would hold.
# Usage: bench/false_alarms.sh [FILES] [SEEDS]   (20000 files, 5 seeds by default)
set -e
cd "$(dirname "$0")/.."
scripts/build.sh native bench_false_alarms >/dev/null
build/native/bench_false_alarms "$@"
