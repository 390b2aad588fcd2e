#!/bin/bash
# Times our robocopy.exe under Wine against cp -a, rsync -a and a plain
# CopyFileW loop (bench/copyloop.cpp) on the same generated tree.
#
# Usage: bench/copier.sh BUILD_DIR
# Sizes (environment): SMALL_FILES=20000 SMALL_DIRS=200 (files of 100..8000 bytes),
#   LARGE_FILES=20 LARGE_MB=20, REPEAT=3 (best and median of that many runs).
# ROBOCOPY_BASE=path/to/another/robocopy.exe times that build beside ours on
# the all-changed rerun (every file replaced), for before/after figures.
# The Wine prefix is BUILD_DIR/wineprefix. A wineserver is kept alive during
# the runs, so each Wine timing includes the program's start-up in a running
# Wine session (as in the backup script), not the wineserver's own boot.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/.." && pwd)
SMALL_FILES=${SMALL_FILES:-20000}
SMALL_DIRS=${SMALL_DIRS:-200}
LARGE_FILES=${LARGE_FILES:-20}
LARGE_MB=${LARGE_MB:-20}
REPEAT=${REPEAT:-3}

robocopy=$build/tools/robocopy/robocopy.exe
copyloop=$build/bench/copyloop.exe
[ -f "$robocopy" ] || cmake --build "$build" --target robocopy
if [ ! -f "$copyloop" ]; then
  if ! cmake --build "$build" --target copyloop >/dev/null 2>&1; then
    mkdir -p "$build/bench"
    x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -municode -static -DUNICODE -D_UNICODE \
      "$repo/bench/copyloop.cpp" -o "$copyloop"
  fi
fi
if ! command -v rsync >/dev/null 2>&1; then
  echo "rsync is missing: installing it with apt-get"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get install -y rsync >/dev/null 2>&1 || { $SUDO apt-get update >/dev/null && $SUDO apt-get install -y rsync >/dev/null; }
fi
[ -f "$build/wineprefix/system.reg" ] || "$repo/scripts/prefix.sh" "$build"
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all

work=$(mktemp -d /tmp/ostrevin-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

echo "Generating $SMALL_FILES small files in $SMALL_DIRS folders and $LARGE_FILES files of $LARGE_MB MB in $work"
python3 - "$work/small" "$SMALL_FILES" "$SMALL_DIRS" <<'EOF'
import os, random, sys
root, files, dirs = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(7)
for d in range(dirs):
    folder = os.path.join(root, f"folder{d:04}")
    os.makedirs(folder)
    for f in range(files // dirs + (1 if d < files % dirs else 0)):
        with open(os.path.join(folder, f"file{f:05}.dat"), "wb") as out:
            out.write(rng.randbytes(rng.randint(100, 8000)))
EOF
mkdir -p "$work/large"
for i in $(seq 1 "$LARGE_FILES"); do head -c $((LARGE_MB << 20)) /dev/urandom > "$work/large/big$i.bin"; done
sync

wineserver -p 120 2>/dev/null || true
wine "$robocopy" >/dev/null 2>&1 || true   # first start of the prefix, not timed

# timeit NAME PREP CMD...: runs PREP (untimed) then CMD, REPEAT times; records best and median.
declare -A best median
timeit() {
  local name=$1 prep=$2; shift 2
  local times=() s e
  for _ in $(seq 1 "$REPEAT"); do
    eval "$prep"
    sync
    s=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    e=$(date +%s.%N)
    times+=("$(echo "$e - $s" | bc)")
  done
  best[$name]=$(printf '%s\n' "${times[@]}" | sort -g | head -1)
  median[$name]=$(printf '%s\n' "${times[@]}" | sort -g | sed -n "$(( (REPEAT + 1) / 2 ))p")
  printf '  %-26s best %8.3f s   median %8.3f s\n' "$name" "${best[$name]}" "${median[$name]}"
}

# A copy that the bench checks, so a fast but wrong copier shows up.
check_copy() {
  local tree=$1 code
  rm -rf "$work/out_check"
  set +e
  wine "$robocopy" "$(winpath "$work/$tree")" "$(winpath "$work/out_check")" /E /R:0 /W:0 >/dev/null 2>&1
  code=$?
  wine "$robocopy" "$(winpath "$work/$tree")" "$(winpath "$work/out_check")" /E /R:0 /W:0 >/dev/null 2>&1
  local again=$?
  set -e
  if [ "$code" -ne 1 ] || [ "$again" -ne 0 ] || ! diff -r "$work/$tree" "$work/out_check" >/dev/null; then
    echo "  CHECK FAILED on $tree: exit codes $code then $again, or the trees differ" >&2
    exit 1
  fi
  echo "  check: robocopy copy of $tree is identical (exit 1, then 0 on rerun)"
  rm -rf "$work/out_check"
}

start=$(date +%s.%N)
timeit "wine start-up (usage)" ":" wine "$robocopy"
for tree in small large; do
  src=$work/$tree
  echo "[$tree]"
  check_copy "$tree"
  timeit "$tree cp -a" "rm -rf '$work/out_cp'" cp -a "$src" "$work/out_cp"
  timeit "$tree rsync -a" "rm -rf '$work/out_rs'" rsync -a "$src/" "$work/out_rs/"
  timeit "$tree CopyFileW loop" "rm -rf '$work/out_loop'" wine "$copyloop" "$(winpath "$src")" "$(winpath "$work/out_loop")"
  timeit "$tree robocopy" "rm -rf '$work/out_rc'" wine "$robocopy" "$(winpath "$src")" "$(winpath "$work/out_rc")" /E /R:0 /W:0
  timeit "$tree rsync -a rerun" ":" rsync -a "$src/" "$work/out_rs/"
  timeit "$tree robocopy rerun" ":" wine "$robocopy" "$(winpath "$src")" "$(winpath "$work/out_rc")" /E /R:0 /W:0
  # Every file newer: each copy replaces an older one.
  touch_all="find '$src' -type f -exec touch {} +"
  for rc in ${ROBOCOPY_BASE:-} "$robocopy"; do
    label="$tree robocopy all-changed"; [ "$rc" = "$robocopy" ] || label="$tree base all-changed"
    timeit "$label" "$touch_all" wine "$rc" "$(winpath "$src")" "$(winpath "$work/out_rc")" /E /R:0 /W:0
  done
  rm -rf "$work/out_cp" "$work/out_rs" "$work/out_loop" "$work/out_rc"
done

ratio() { echo "scale=2; $1 / $2" | bc; }
echo
echo "Ratios (best of $REPEAT; median in brackets):"
printf '  small files, robocopy / CopyFileW loop : %s (%s)   aim <= 0.9\n' \
  "$(ratio "${best[small robocopy]}" "${best[small CopyFileW loop]}")" "$(ratio "${median[small robocopy]}" "${median[small CopyFileW loop]}")"
printf '  large files, robocopy / cp -a          : %s (%s)   aim <= 1.0\n' \
  "$(ratio "${best[large robocopy]}" "${best[large cp -a]}")" "$(ratio "${median[large robocopy]}" "${median[large cp -a]}")"
printf '  small files, robocopy / cp -a          : %s (%s)\n' \
  "$(ratio "${best[small robocopy]}" "${best[small cp -a]}")" "$(ratio "${median[small robocopy]}" "${median[small cp -a]}")"
printf '  large files, robocopy / CopyFileW loop : %s (%s)\n' \
  "$(ratio "${best[large robocopy]}" "${best[large CopyFileW loop]}")" "$(ratio "${median[large robocopy]}" "${median[large CopyFileW loop]}")"
printf '  no-change rerun, small, robocopy/rsync : %s (%s)   aim <= 2.0\n' \
  "$(ratio "${best[small robocopy rerun]}" "${best[small rsync -a rerun]}")" "$(ratio "${median[small robocopy rerun]}" "${median[small rsync -a rerun]}")"
printf '  no-change rerun, large, robocopy/rsync : %s (%s)   aim <= 2.0\n' \
  "$(ratio "${best[large robocopy rerun]}" "${best[large rsync -a rerun]}")" "$(ratio "${median[large robocopy rerun]}" "${median[large rsync -a rerun]}")"
if [ -n "${ROBOCOPY_BASE:-}" ]; then
  printf '  all-changed small, ours / base         : %s (%s)\n' \
    "$(ratio "${best[small robocopy all-changed]}" "${best[small base all-changed]}")" "$(ratio "${median[small robocopy all-changed]}" "${median[small base all-changed]}")"
fi
echo "Load average now: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores; bench took $(echo "$(date +%s.%N) - $start" | bc | cut -d. -f1) s"
