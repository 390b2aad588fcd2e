#!/bin/sh
# Configures a build tree (once) and builds it, or the given targets.
# Usage: build.sh native|win|win32 [TARGET...]   (JOBS: parallel jobs, 2 by default)
set -e
cd "$(dirname "$0")/.."
kind=$1
shift
case "$kind" in
  native) args="-DCMAKE_BUILD_TYPE=Debug" ;;
  win) args="-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake" ;;
  win32) args="-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake" ;;
  *) echo "usage: $0 native|win|win32 [TARGET...]" >&2; exit 2 ;;
esac
dir=build/$kind
# CMake reads the toolchain file at the first configure only and warns when it is
# given again, so later runs leave configuring to the build step.
if [ ! -f "$dir/build.ninja" ]; then
  mkdir -p "$dir"
  if ! cmake -S . -B "$dir" -G Ninja $args >"$dir/configure.log" 2>&1; then
    cat "$dir/configure.log" >&2
    echo "Configuring $dir failed (the output above is kept in $dir/configure.log)" >&2
    exit 1
  fi
fi
targets=""
for t in "$@"; do targets="$targets --target $t"; done
cmake --build "$dir" -j "${JOBS:-2}" $targets
