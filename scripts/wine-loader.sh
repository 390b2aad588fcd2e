#!/bin/sh
# Which Wine loader this machine can use, decided here for every script.
#
#   eval "$(scripts/wine-loader.sh)"   puts scripts/wine64 first on PATH when the
#                                      32-bit loader is installed but cannot run here
#   scripts/wine-loader.sh --32bit     exits 0 when this machine runs 32-bit programs
#
# Debian's `wine` script (and wineboot, winepath, which call it) picks the 32-bit
# loader whenever wine32 is installed, even on a kernel without 32-bit support,
# where every call then fails with "Exec format error". The shims in scripts/wine64
# start the 64-bit loader instead, which runs 64-bit programs; where the 32-bit
# loader runs, nothing changes.
set -e
here=$(cd "$(dirname "$0")" && pwd)
loader32=/usr/lib/wine/wine

runs_32bit() {
  if [ -e "$loader32" ]; then
    "$loader32" --version >/dev/null 2>&1
    return
  fi
  # Before wine32 is installed: a 96-byte static i386 program that exits with 42.
  # It is written into the build tree, as a temp folder may forbid running programs.
  mkdir -p "$here/../build"
  probe=$(mktemp "$here/../build/.probe32.XXXXXX")
  printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\273\052\000\000\000\315\200' >"$probe"
  chmod +x "$probe"
  status=0
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ $status -eq 42 ]
}

case "${1:-}" in
  --32bit) runs_32bit ;;
  "")
    if [ -e "$loader32" ] && ! runs_32bit; then
      case ":$PATH:" in
        *":$here/wine64:"*) ;;
        *) printf 'PATH=%s:"$PATH"; export PATH\n' "$here/wine64" ;;
      esac
    fi
    ;;
  *) echo "usage: $0 [--32bit]" >&2; exit 2 ;;
esac
