#!/bin/sh
# Installs what is missing, builds Ostrevin, makes its Wine prefix and starts it.
set -e
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build/win -j "${JOBS:-2}"
if [ -z "${DISPLAY:-}" ]; then scripts/prefix.sh build/win no-wm; else scripts/prefix.sh build/win; fi
# The working folder holds the settings file.
mkdir -p build/win/run
cd build/win/run
if [ -z "${DISPLAY:-}" ]; then
  echo "No display found: starting Ostrevin under xvfb-run (a virtual screen you cannot see)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" ../../../scripts/wine-run.sh ../Ostrevin.exe
fi
exec ../../../scripts/wine-run.sh ../Ostrevin.exe
