#!/bin/sh
# Builds everything and runs every test: the portable logic natively, then the
# program, its copier and their tests under Wine inside Xvfb.
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=${JOBS:-2}

cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j "$jobs"
(cd build/native && ctest --output-on-failure)
if [ -x build/native/job_rule_fuzz ]; then
  echo "Fuzzing the job target rule and the script writer for 30 s"
  (cd build/native && ./job_rule_fuzz -max_total_time=30 -artifact_prefix=fuzz- >fuzz.log 2>&1 ||
    { tail -n 40 fuzz.log; exit 1; })
  tail -n 1 build/native/fuzz.log
else
  echo "clang with libFuzzer not found: the fuzz run is skipped"
fi

cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/win -j "$jobs"
cd build/win
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure
