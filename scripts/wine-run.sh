#!/bin/sh
# Runs a Windows program under Wine in the prefix of the build tree that holds it
# (OSTREVIN_PREFIX overrides); never the user's default prefix.
set -e
prefix=${OSTREVIN_PREFIX:-}
if [ -z "$prefix" ]; then
  dir=$(cd "$(dirname "$1")" && pwd)
  while [ "$dir" != "/" ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  prefix="$dir/wineprefix"
fi
export WINEPREFIX="$prefix" WINEDEBUG=${WINEDEBUG:--all}
eval "$("$(dirname "$0")/wine-loader.sh")"
exec wine "$@"
