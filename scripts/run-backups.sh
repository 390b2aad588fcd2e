#!/bin/bash
# Runs the backups of one job file with no one at the screen, for cron:
# Ostrevin.exe /run JOBFILE under Wine on a virtual screen, started in build/win/run
# (where the window keeps its settings), so the date it records is the window's.
# Exits with the program's code: 0 complete, 1 failed, 2 not finished, 3 not
# started, 4 not confirmed, 5 bad command line or unreadable job file, 6 not
# complete (only new files copied), 7 held (files looked damaged).
# Usage: scripts/run-backups.sh JOBFILE [/quiet]   (a name in ~/Ostrevin, as Open shows it)
set -u -o pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 1 ]; then
  echo "usage: $0 JOBFILE [/quiet]" >&2
  exit 5
fi
if [ ! -f "$top/build/win/Ostrevin.exe" ] || [ ! -f "$top/build/win/wineprefix/system.reg" ]; then
  echo "Ostrevin is not built here yet: run scripts/start.sh once first." >&2
  exit 5
fi
export WINEPREFIX="$top/build/win/wineprefix" WINEDEBUG=-all
eval "$("$top/scripts/wine-loader.sh")"
mkdir -p "$top/build/win/run"
cd "$top/build/win/run"
status=0
# As in start.sh: Wine cannot read the label of Z: (the Linux root); nothing to act on.
xvfb-run -a -s "-screen 0 1024x768x24" "$top/scripts/wine-run.sh" ../Ostrevin.exe /run "$@" 2> >(sed "/^wine: Read access denied for device/d; /^X connection to/d" >&2) || status=$?
exit $status
