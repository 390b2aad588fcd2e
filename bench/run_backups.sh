#!/bin/bash
# RUN BACKUPS end to end (one job of small files: first run and a no-change rerun)
# against rsync -a on the same tree, and against our copier alone; and the cost of
# the purge check (Remove ticked) on the no-change rerun, against the copier's own rerun;
# and the same rerun from Ostrevin.exe /run, from its start to its exit; and the job
# leaving out patterns that match nothing in the tree (first run and rerun); and keeping
# old copies: a no-change rerun with Remove, Keep ticked against unticked, and a rerun
# after 1 file in 20 changed, Keep ticked against unticked; and the look for damaged
# files, with it against without: after 1 file in 20 changed, and on a no-change rerun.
# Usage: bench/run_backups.sh [BUILD_DIR]   (default build/win, made by scripts/test.sh)
# Sizes (environment): FILES=20000 DIRS=200 (files of 100..8000 bytes), REPEAT=5
# interleaved rounds; medians and spread.
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/wine_env.sh "${1:-build/win}" bench_run_backups Ostrevin
command -v rsync >/dev/null || apt-get install -y rsync >/dev/null

work=$(mktemp -d /tmp/ostrevin-run-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
python3 bench/small_tree.py "$work/src" "$FILES" "$DIRS"
echo "$FILES files in $DIRS folders; $REPEAT interleaved rounds"
wineserver -p 300 2>/dev/null || true

now() { date +%s.%N; }
: > "$work/times"
for round in $(seq 1 "$REPEAT"); do
  read -r first rerun checked cfirst crerun unattended prerun xfirst xrerun rrerun_ rkrerun kchanged pchanged lchanged uchanged lrerun urerun < <(xvfb-run -a scripts/wine-run.sh "$build/bench_run_backups.exe" \
    "Z:${work//\//\\}\\src" 2>/dev/null | tr -d '\r')
  [ -n "$urerun" ] || { echo "bench_run_backups.exe measured nothing" >&2; exit 1; }
  rm -rf "$work/rsync"; sync
  s=$(now); rsync -a "$work/src/" "$work/rsync/"; rfirst=$(awk "BEGIN{print $(now) - $s}")
  s=$(now); rsync -a "$work/src/" "$work/rsync/"; rrerun=$(awk "BEGIN{print $(now) - $s}")
  echo "$first $rerun $checked $cfirst $crerun $rfirst $rrerun $unattended $prerun $xfirst $xrerun" \
    "$rrerun_ $rkrerun $kchanged $pchanged $lchanged $uchanged $lrerun $urerun" | tee -a "$work/times"
done
python3 - "$work/times" <<'PY'
import sys
sys.path.insert(0, "bench")
from medians import table
med = table(sys.argv[1], ["RUN BACKUPS first", "RUN BACKUPS rerun", "rerun, Remove ticked", "copier alone first", "copier alone rerun",
         "rsync -a first", "rsync -a rerun", "/run rerun, to exit", "rerun just before", "leaving out, first",
         "leaving out, rerun", "Remove rerun", "Remove+Keep rerun", "1/20 changed, Keep", "1/20 changed, no Keep",
         "1/20 changed, look", "1/20 changed, no look", "rerun, look", "rerun, no look"])
print(f"no-change rerun / rsync -a rerun: {med[1] / med[6]:.2f}  (aim <= 2.0)")
print(f"first run / copier alone first:  {med[0] / med[3]:.2f}  (aim <= 1.2)")
print(f"purge check (Remove rerun - rerun) / copier alone rerun: {(med[2] - med[1]) / med[4]:.2f}  (aim <= 1.0)")
print(f"Ostrevin.exe /run rerun / RUN BACKUPS rerun: {med[7] / med[1]:.2f}")
print(f"leaving out 4 patterns / none: first {med[9] / med[0]:.2f}, rerun {med[10] / med[8]:.2f}")
print(f"no-change rerun, Remove and Keep / Remove alone: {med[12] / med[11]:.2f}  (aim <= 1.1)")
print(f"1 file in 20 changed, Keep / no Keep: {med[13] / med[14]:.2f}  (aim <= 1.2)")
print(f"look for damage, 1 file in 20 changed: with / without {med[15] / med[16]:.2f}  (aim <= 1.2)")
print(f"look for damage, no-change rerun: (with - without) / without {(med[17] - med[18]) / med[18]:.2f}  (aim <= 0.10)")
PY
