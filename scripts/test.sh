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

cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/win -j "$jobs"
cd build/win
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure
