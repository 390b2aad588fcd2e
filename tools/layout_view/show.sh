#!/bin/sh
# Shows the main window with three jobs, the folder browser and the drive selection
# on a virtual screen and saves a screenshot. Usage: tools/layout_view/show.sh [OUT.png]
set -e
cd "$(dirname "$0")/../.."
out=${1:-layout.png}
cmake --build build/win --target layout_view >/dev/null
scripts/prefix.sh build/win no-wm
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c "scripts/wine-run.sh build/win/layout_view.exe 6 & sleep 5; import -window root '$out'; wait"
echo "saved $out"
