#!/bin/bash
# Builds everything and runs every test: the portable logic natively, then the
# program, its copier and their tests under Wine inside Xvfb (all suites on
# x86-64, the core and copier suites on x86 too), each benchmark once at tiny
# sizes, then the setup program and the portable zip, and installs and
# uninstalls each setup program under Wine. On a machine that cannot run 32-bit
# programs the x86 tree is built but its suites are skipped, and counted so.
# Ends with one line that counts the test cases of every suite.
set -e -o pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
screen=(xvfb-run -a -s "-screen 0 1280x1024x24")
failed_runs=()
skipped_cases=0

phase() { printf '\n==== %s ====\n' "$*"; }

# suite TREE NAME [CTEST ARGS...]: runs CTest in build/TREE, under Xvfb for Wine;
# every gtest program leaves its cases in build/TREE/cases, CTest its own list
# in build/TREE/NAME.xml.
suite() {
  local tree=$1 name=$2
  shift 2
  local dir=$top/build/$tree out wrap=()
  out="xml:$dir/cases/"
  if [ "$tree" != native ]; then
    # Programs under Wine take a Windows path; Z: is the Linux root.
    out="xml:Z:${dir//\//\\}\\cases\\"
    wrap=("${screen[@]}")
  fi
  (cd "$dir" && GTEST_OUTPUT=$out "${wrap[@]}" ctest --output-on-failure --output-junit "$dir/$name.xml" "$@") ||
    failed_runs+=("$tree: $name")
}

# skip TREE [CTEST ARGS...]: counts the CTest tests that suite() would have run
# there as skipped cases.
skip() {
  local tree=$1 n
  shift
  n=$(cd "$top/build/$tree" && ctest -N "$@" | sed -n 's/^Total Tests: \([0-9]*\)$/\1/p')
  skipped_cases=$((skipped_cases + ${n:-0}))
}

# The cases of every run: a gtest program's own count where it wrote one,
# otherwise the CTest test counts as one case (a script, or a program that crashed).
count_cases() {
  local run=0 passed=0 failed=0 skipped=0 tree list name status report t f d s
  for tree in native win win32; do
    for list in build/$tree/*.xml; do
      [ -f "$list" ] || continue
      while read -r name status; do
        report=build/$tree/cases/$name.xml
        if [ -f "$report" ]; then
          read -r t f d < <(sed -n 's/^<testsuites tests="\([0-9]*\)" failures="\([0-9]*\)" disabled="\([0-9]*\)".*/\1 \2 \3/p' "$report")
          s=$(grep -c 'result="skipped"' "$report" || true)
          # A program that failed on its own count of zero (a crash at exit) is one failure more.
          [ "$status" = fail ] && [ "$f" -eq 0 ] && f=1 && t=$((t + 1))
          run=$((run + t - d))
          failed=$((failed + f))
          skipped=$((skipped + s))
          passed=$((passed + t - d - f - s))
        elif [ "$status" != notrun ] && [ "$status" != disabled ]; then
          run=$((run + 1))
          if [ "$status" = run ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
        fi
      done < <(sed -n 's/^\s*<testcase name="\([^"]*\)".* status="\([a-z]*\)".*/\1 \2/p' "$list")
    done
  done
  skipped=$((skipped + skipped_cases))
  echo "Test cases run: $run"
  echo "Cases: $passed passed, $failed failed, $skipped skipped"
}

# The layers of src/, lowest first (README, Layout): a file includes headers of its
# own folder and of the folders its rule names: never a higher layer, nor a sibling not named.
check_layers() {
  local rules=(
    "core: core"
    "win: core res win"
    "folders: core res win folders"
    "jobs: core res win jobs"
    "about: core res win about"
    "run: core res win folders jobs run"
    "app: core res win folders jobs run about app"
    "ui: core res win folders jobs run about app ui"
  )
  local rule layer file dir bad=0
  for rule in "${rules[@]}"; do
    layer=${rule%%:*}
    while read -r file dir; do
      [[ " ${rule#*:} " == *" $dir "* ]] && continue
      echo "$file includes $dir/, which $layer/ may not (README, Layout)"
      bad=1
    done < <(grep -rE --include='*.cpp' --include='*.h' '^\s*#\s*include\s*"[^"/]+/' "src/$layer" |
      sed -E 's|^([^:]+):\s*#\s*include\s*"([^"/]+)/.*|\1 \2|')
  done
  return $bad
}

phase "Include order of the layers"
check_layers
echo "No include goes against the layers"

phase "Installing what is missing"
scripts/deps.sh
eval "$(scripts/wine-loader.sh)"
x86_reason="this machine cannot run 32-bit programs"
if scripts/wine-loader.sh --32bit; then x86_reason=""; fi
rm -rf build/*/cases build/*/suites-*.xml build/*/install-*.xml

phase "Native build"
scripts/build.sh native
phase "Native core tests"
suite native suites-native

if [ -x build/native/core_fuzz ]; then
  phase "Fuzzing the job target rule, the script writer, the run log and history readers for 30 s"
  (cd build/native && ./core_fuzz -max_total_time=30 -artifact_prefix=fuzz- >fuzz.log 2>&1 ||
    { tail -n 40 fuzz.log; exit 1; })
  tail -n 1 build/native/fuzz.log
else
  phase "clang with libFuzzer not found: the fuzz run is skipped"
fi

phase "x86-64 build"
scripts/build.sh win
phase "x86-64: every suite under Wine"
suite win suites-win -LE 'package|bench'
phase "x86-64: every benchmark once at tiny sizes, and the cron script"
suite win bench-win -L bench

x86_suites=(-R 'wine_prefix|core_tests|robocopy_tests')
if [ -z "$x86_reason" ]; then
  phase "x86 build"
  scripts/build.sh win32 Ostrevin robocopy core_tests robocopy_tests install_probe
  phase "x86: core and copier suites under 32-bit Wine"
  suite win32 suites-win32 "${x86_suites[@]}"
else
  # What ships builds here too (a cross-compile needs no 32-bit kernel); its tests would not run.
  phase "x86 build (the programs; their suites cannot run here)"
  scripts/build.sh win32 Ostrevin robocopy
  skip win32 "${x86_suites[@]}"
fi

phase "Setup program and portable zip"
scripts/package.sh
if [ -z "$x86_reason" ]; then
  phase "Installing and uninstalling each setup program under 64-bit and 32-bit Wine"
  suite win install-win -L package
  suite win32 install-win32 -L package
else
  phase "Installing and uninstalling the x64 setup program under 64-bit Wine"
  suite win install-win -L package
  skip win32 -L package
fi

phase "Summary"
[ -z "$x86_reason" ] || echo "x86 suites skipped: $x86_reason (the x86 tree and its setup program are built)"
count_cases
if [ ${#failed_runs[@]} -ne 0 ]; then
  printf 'Failed: %s\n' "${failed_runs[@]}"
  exit 1
fi
