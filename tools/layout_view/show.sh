#!/bin/sh
# Shows the main window with three jobs, the folder browser and the drive selection
# on a virtual screen and saves a screenshot.
# Usage: tools/layout_view/show.sh [OUT.png]   (build/layout.png by default)
set -e
out=$(realpath -m "${1:-$(dirname "$0")/../../build/layout.png}")
cd "$(dirname "$0")/../.."
if ! command -v import >/dev/null 2>&1; then
  echo "ImageMagick's import takes the screenshot and is missing: apt-get install imagemagick" >&2
  exit 1
fi
scripts/build.sh win layout_view >/dev/null
scripts/prefix.sh build/win no-wm
mkdir -p "$(dirname "$out")"
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c "scripts/wine-run.sh build/win/layout_view.exe 6 & sleep 5; import -window root '$out'; wait"
echo "saved $out"
