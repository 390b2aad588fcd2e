#!/bin/bash
# Installs what is missing, builds Ostrevin, makes its Wine prefix and starts it
# in build/win/run, which then holds its settings file. Whenever Ostrevin ends,
# or this script is stopped (Ctrl+C, kill, a closed terminal), nothing is left:
# the prefix's Wine processes end and, without a display, so do the virtual
# screen and its temporary files.
set -e -o pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="$top/build/win/wineprefix"

if [ "${1:-}" = "--run" ]; then
  # Within the display: the program, then the prefix's helper processes, so the
  # display outlives every Wine window.
  cd "$top/build/win/run"
  status=0
  "$top/scripts/wine-run.sh" ../Ostrevin.exe || status=$?
  wineserver -w || true
  exit $status
fi

cd "$top"
scripts/deps.sh
scripts/build.sh win Ostrevin robocopy
if [ -z "${DISPLAY:-}" ]; then scripts/prefix.sh build/win no-wm; else scripts/prefix.sh build/win; fi
mkdir -p build/win/run

if [ -z "${DISPLAY:-}" ]; then
  echo "No display found: starting Ostrevin under xvfb-run (a virtual screen you cannot see)."
  set -- xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --run
else
  set -- "$0" --run
fi
# Stopping this script ends the program; xvfb-run then removes its screen and files.
# The program runs in a session of its own, so a Ctrl+C reaches only this script
# (an X server would stop at once and leave Wine complaining about it).
trap 'wineserver -k 2>/dev/null || true' INT TERM HUP
# The drive lists ask every drive for its label, and Wine cannot read the label of
# Z: (the Linux root) from its block device without read access to it; nothing
# to act on, so that line is dropped.
{ setsid "$@" 2>&1 1>&3 3>&- | sed '/^wine: Read access denied for device L"\\\\??\\\\Z:\\\\", FS volume label and serial are not available\.$/d' >&2; } 3>&1 &
job=$!
status=0
wait $job || status=$?
# A signal cuts the wait short; the program is ending, so wait for it.
while kill -0 $job 2>/dev/null; do
  status=0
  wait $job || status=$?
done
exit $status
