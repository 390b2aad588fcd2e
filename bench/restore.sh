#!/bin/bash
# Getting files back: what the Restore window reads (a backup of FILES files and VERSIONS
# dated folders, each keeping 1 file in 20) against a bare walk of those folders; and
# restoring the whole backup folder against our copier copying the same tree.
# Usage: bench/restore.sh [BUILD_DIR]   (default build/win, made by scripts/test.sh)
# Sizes (environment): FILES=20000 DIRS=200 VERSIONS=30, REPEAT=5 rounds; medians and spread.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/wine_env.sh "${1:-build/win}" bench_restore robocopy
VERSIONS=${VERSIONS:-30}

work=$(mktemp -d /tmp/ostrevin-restore-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
python3 bench/small_tree.py "$work/dest/BK" "$FILES" "$DIRS"
python3 - "$work/dest" "$VERSIONS" <<'PY'
import os, shutil, sys
dest, versions = sys.argv[1], int(sys.argv[2])
files = sorted(os.path.relpath(os.path.join(d, f), dest) for d, _, fs in os.walk(os.path.join(dest, "BK")) for f in fs)
for v in range(versions):
    dated = os.path.join(dest, "Ostrevin Versions", f"2026-11-{1 + v // 24:02} {v % 24:02}-00-00")
    kept = files[v % 20::20]
    for f in kept:
        os.makedirs(os.path.join(dated, os.path.dirname(f)), exist_ok=True)
        shutil.copyfile(os.path.join(dest, f), os.path.join(dated, f))
    with open(os.path.join(dated, "Ostrevin Added.txt"), "w", newline="") as out:
        out.write("".join(f.replace("/", "\\") + "\r\n" for f in kept[:10]))
PY
echo "$FILES files in $DIRS folders, $VERSIONS dated folders each keeping 1 in 20; $REPEAT rounds"
wineserver -p 300 2>/dev/null || true
win() { echo "Z:${1//\//\\}"; }
: > "$work/times"
for round in $(seq 1 "$REPEAT"); do
  rm -rf "$work/to"; mkdir "$work/to"; sync
  line=$(xvfb-run -a scripts/wine-run.sh "$build/bench_restore.exe" "$(win "$work/src/BK")" "$(win "$work/dest")" \
    "$(win "$work/to")" | tr -d '\r')
  [ -n "$line" ] || { echo "bench_restore.exe measured nothing" >&2; exit 1; }
  diff -r "$work/dest/BK" "$work/to/restored/BK" >/dev/null || { echo "the restore is not the backup" >&2; exit 1; }
  echo "$line" | tee -a "$work/times"
done
python3 - "$work/times" <<'PY'
import sys
sys.path.insert(0, "bench")
from medians import table
med = table(sys.argv[1], ["bare walk", "Restore window's read", "copier copying", "restoring the folder"], 22)
print(f"Restore window's read / bare walk: {med[1] / max(med[0], 0.001):.2f}  (aim <= 1.5)")
print(f"restoring a folder / copier: {med[3] / max(med[2], 0.001):.2f}  (aim <= 1.2)")
PY
