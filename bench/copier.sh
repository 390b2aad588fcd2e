#!/bin/bash
# Times our robocopy.exe under Wine against cp -a, rsync -a and a plain
# CopyFileW loop (bench/copyloop.cpp) on the same generated tree.
#
# Usage: bench/copier.sh BUILD_DIR
# Sizes (environment): SMALL_FILES=20000 SMALL_DIRS=200 (files of 100..8000 bytes),
#   LARGE_FILES=20 LARGE_MB=20, REPEAT=5 (interleaved rounds; medians and spread).
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
REPEAT=${REPEAT:-5}

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
eval "$("$repo/scripts/wine-loader.sh")"

work=$(mktemp -d /tmp/ostrevin-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

echo "Generating $SMALL_FILES small files in $SMALL_DIRS folders and $LARGE_FILES files of $LARGE_MB MB in $work"
python3 "$repo/bench/small_tree.py" "$work/small" "$SMALL_FILES" "$SMALL_DIRS"
mkdir -p "$work/large"
for i in $(seq 1 "$LARGE_FILES"); do head -c $((LARGE_MB << 20)) /dev/urandom > "$work/large/big$i.bin"; done
sync

wineserver -p 120 2>/dev/null || true
wine "$robocopy" >/dev/null 2>&1 || true   # first start of the prefix, not timed

# Contenders of one scenario run interleaved, round by round (A B C A B C ...),
# so that a busy moment of a shared machine hits them all alike.
# add NAME PREP CMD: registers a contender of the current scenario.
declare -A median spread
names=(); preps=(); cmds=()
add() { names+=("$1"); preps+=("$2"); cmds+=("$3"); }
# run_scenario: REPEAT rounds over the registered contenders; prints median and spread.
run_scenario() {
  local -A times=()
  local i s e
  for _ in $(seq 1 "$REPEAT"); do
    for i in "${!names[@]}"; do
      eval "${preps[$i]}"
      sync
      s=$(date +%s.%N)
      eval "${cmds[$i]}" >/dev/null 2>&1 || true
      e=$(date +%s.%N)
      times[$i]="${times[$i]:-} $(echo "$e - $s" | bc)"
    done
  done
  for i in "${!names[@]}"; do
    local sorted
    sorted=$(printf '%s\n' ${times[$i]} | sort -g)
    median[${names[$i]}]=$(echo "$sorted" | sed -n "$(( (REPEAT + 1) / 2 ))p")
    spread[${names[$i]}]="$(echo "$sorted" | head -1)-$(echo "$sorted" | tail -1)"
    printf '  %-30s median %8.3f s   spread %s s\n' "${names[$i]}" "${median[${names[$i]}]}" "${spread[${names[$i]}]}"
  done
  names=(); preps=(); cmds=()
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
rc() { echo "wine '$1' '$(winpath "$2")' '$(winpath "$3")' /E /R:0 /W:0 ${4:-}"; }
for tree in small large; do
  src=$work/$tree
  echo "[$tree] first copy"
  check_copy "$tree"
  add "$tree cp -a" "rm -rf '$work/out_cp'" "cp -a '$src' '$work/out_cp'"
  add "$tree rsync -a" "rm -rf '$work/out_rs'" "rsync -a '$src/' '$work/out_rs/'"
  add "$tree CopyFileW loop" "rm -rf '$work/out_loop'" "wine '$copyloop' '$(winpath "$src")' '$(winpath "$work/out_loop")'"
  add "$tree robocopy" "rm -rf '$work/out_rc'" "$(rc "$robocopy" "$src" "$work/out_rc")"
  add "$tree robocopy /LOG+" "rm -rf '$work/out_rl' '$work/run.log'" \
    "$(rc "$robocopy" "$src" "$work/out_rl" "/NP '/LOG+:$(winpath "$work/run.log")'")"
  run_scenario
  echo "[$tree] no-change rerun"
  add "$tree rsync -a rerun" ":" "rsync -a '$src/' '$work/out_rs/'"
  add "$tree robocopy rerun" ":" "$(rc "$robocopy" "$src" "$work/out_rc")"
  [ -n "${ROBOCOPY_BASE:-}" ] && add "$tree base rerun" ":" "$(rc "$ROBOCOPY_BASE" "$src" "$work/out_rc")"
  run_scenario
  echo "[$tree] all changed (every copy replaces an older one)"
  touch_all="find '$src' -type f -exec touch {} +"
  add "$tree robocopy all-changed" "$touch_all" "$(rc "$robocopy" "$src" "$work/out_rc")"
  [ -n "${ROBOCOPY_BASE:-}" ] && add "$tree base all-changed" "$touch_all" "$(rc "$ROBOCOPY_BASE" "$src" "$work/out_rc")"
  run_scenario
  rm -rf "$work/out_cp" "$work/out_rs" "$work/out_loop" "$work/out_rc" "$work/out_rl"
done

ratio() { echo "scale=2; $1 / $2" | bc; }
echo
echo "Ratios of medians ($REPEAT interleaved rounds):"
printf '  small files, robocopy / CopyFileW loop : %s   aim <= 0.9\n' "$(ratio "${median[small robocopy]}" "${median[small CopyFileW loop]}")"
printf '  large files, robocopy / CopyFileW loop : %s   aim <= 1.0\n' "$(ratio "${median[large robocopy]}" "${median[large CopyFileW loop]}")"
printf '  large files, robocopy / cp -a          : %s\n' "$(ratio "${median[large robocopy]}" "${median[large cp -a]}")"
printf '  small files, robocopy / cp -a          : %s\n' "$(ratio "${median[small robocopy]}" "${median[small cp -a]}")"
printf '  small files, with /LOG+ / without      : %s   aim <= 1.1\n' "$(ratio "${median[small robocopy /LOG+]}" "${median[small robocopy]}")"
printf '  no-change rerun, small, robocopy/rsync : %s   aim <= 2.0\n' "$(ratio "${median[small robocopy rerun]}" "${median[small rsync -a rerun]}")"
printf '  no-change rerun, large, robocopy/rsync : %s   aim <= 2.0\n' "$(ratio "${median[large robocopy rerun]}" "${median[large rsync -a rerun]}")"
if [ -n "${ROBOCOPY_BASE:-}" ]; then
  printf '  no-change rerun, small, ours / base    : %s\n' "$(ratio "${median[small robocopy rerun]}" "${median[small base rerun]}")"
  printf '  all-changed, small, ours / base        : %s\n' "$(ratio "${median[small robocopy all-changed]}" "${median[small base all-changed]}")"
fi
echo "Load average now: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores; bench took $(echo "$(date +%s.%N) - $start" | bc | cut -d. -f1) s"
