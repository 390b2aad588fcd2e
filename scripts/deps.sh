#!/bin/sh
# Installs, from Debian's packages, whatever the build and the tests need and this machine lacks.
set -e
need=""
have() { command -v "$1" >/dev/null 2>&1; }
have cmake || need="$need cmake"
have ninja || need="$need ninja-build"
have g++ || need="$need g++"
have x86_64-w64-mingw32-g++-posix || need="$need g++-mingw-w64-x86-64-posix"
have x86_64-w64-mingw32-windres || need="$need binutils-mingw-w64-x86-64"
have i686-w64-mingw32-g++-posix || need="$need g++-mingw-w64-i686-posix"
have i686-w64-mingw32-windres || need="$need binutils-mingw-w64-i686"
have wine || need="$need wine"
have wine64 || [ -x /usr/lib/wine/wine64 ] || need="$need wine64"
# The 32-bit loader, for the x86 build's tests and its setup program, only where
# this machine can run 32-bit programs: elsewhere it would only stand in the way.
if [ ! -e /usr/lib/wine/wine ] && "$(dirname "$0")/wine-loader.sh" --32bit; then need="$need wine32:i386"; fi
# Marlett (caption buttons), Tahoma and the symbol fonts for the prefixes.
[ -f /usr/share/wine/fonts/marlett.ttf ] || need="$need fonts-wine"
have makensis || need="$need nsis"
have Xvfb || need="$need xvfb"
have xvfb-run || need="$need xvfb"
have xauth || need="$need xauth"
[ -f /usr/src/googletest/CMakeLists.txt ] || need="$need googletest"
# The benchmarks' smoke runs: trees made by a script, timings against rsync, ratios with bc.
have python3 || need="$need python3"
have rsync || need="$need rsync"
have bc || need="$need bc"
# The fuzz run of the job target rule; skipped, with a word, without it.
have clang++ || need="$need clang"
if [ -n "$need" ]; then
  echo "Installing:$need"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  case "$need" in
    *:i386*) dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386 ;;
  esac
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $need mingw-w64-tools
fi
