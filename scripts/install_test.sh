#!/bin/sh
# Installs Ostrevin silently, with the setup program of the build tree's
# architecture, into a fresh Wine prefix of the tree's kind (64-bit Windows for
# build/win, 32-bit for build/win32), checks the setup's own architecture, the files, the
# Add/Remove Programs entry and the Start menu shortcut, starts the program
# through that shortcut and closes it, then uninstalls silently and checks that
# the user's settings and job files stay.
# Usage: install_test.sh BUILD_DIR SETUP_EXE   (run by CTest, label "package")
set -e
build=$(cd "$1" && pwd)
setup=$(realpath "$2")
[ -f "$setup" ] || { echo "No setup program at $setup: run scripts/package.sh first" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"

export WINEPREFIX="$build/install_test/prefix" WINEDEBUG=-all
eval "$("$(dirname "$0")/wine-loader.sh")"
# No menu entries for the Linux desktop from this throwaway prefix.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"
expected_machine="8664 020b"
if grep -q '^CMAKE_TOOLCHAIN_FILE.*i686' "$build/CMakeCache.txt"; then
  export WINEARCH=win32
  expected_machine="014c 010b"
fi
rm -rf "$build/install_test"
mkdir -p "$build/install_test"
wineboot -i >/dev/null 2>&1 || true
wineserver -w
user=$(ls "$WINEPREFIX/drive_c/users" | grep -vx Public)
home="$WINEPREFIX/drive_c/users/$user"
# Documents is a link to the Linux home folder; the program's job folder goes there.
rm "$home/Documents"
mkdir "$home/Documents"

failures=0
check() {  # check DESCRIPTION COMMAND...
  what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
machine() {  # the PE header's machine field and its optional header's magic (PE32 or PE32+), in hex
  pe=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  echo "$(od -An -tx2 -j$((pe + 4)) -N2 "$1" | tr -d ' ') $(od -An -tx2 -j$((pe + 24)) -N2 "$1" | tr -d ' ')"
}
link_of() { wine "$build/install_probe.exe" link "$1" | tr -d "\r"; }

check "the setup program is a program of this Windows ($expected_machine)" test "$(machine "$setup")" = "$expected_machine"
wine "$setup" /S
wineserver -w
program="$home/AppData/Local/Programs/Ostrevin"
data="$home/AppData/Roaming/Ostrevin"
link="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Ostrevin.lnk"
win_home="C:\\users\\$user"
check "program and uninstaller in place" test -f "$program/Ostrevin.exe" -a -f "$program/Uninstall.exe"
check "the flavour of this Windows ($expected_machine)" test "$(machine "$program/Ostrevin.exe")" = "$expected_machine"
check "data folder made" test -d "$data"
check "Add/Remove Programs entry" grep -q '^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Ostrevin\]' "$WINEPREFIX/user.reg"
check "shortcut in the Start menu" test -f "$link"
check "shortcut target and working folder" test "$(link_of "$win_home\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Ostrevin.lnk")" = \
  "$(printf '%s\n%s' "$win_home\\AppData\\Local\\Programs\\Ostrevin\\Ostrevin.exe" "$win_home\\AppData\\Roaming\\Ostrevin")"

# Started through the shortcut, as from the Start menu, and closed by its window.
wine start /wait "$win_home\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Ostrevin.lnk" &
started=$!
check "main window shown and closed" wine "$build/install_probe.exe" close
status=0
wait $started || status=$?
check "program ended cleanly" test $status -eq 0
check "settings written in the data folder" test -f "$data/Ostrevin.cfg"
check "job folder made in Documents" test -d "$home/Documents/Ostrevin"
mkdir -p "$home/Documents/Ostrevin"
echo '"C:\DATA" "D:\BACKUP" ' >"$home/Documents/Ostrevin/mine.job"
wineserver -w

wine "$program/Uninstall.exe" /S
# The uninstaller runs from a copy of itself; it is done when the prefix is idle.
wineserver -w
check "program folder removed" test ! -e "$program"
check "shortcut removed" test ! -e "$link"
check "Add/Remove Programs entry removed" test -z "$(grep 'Uninstall\\\\Ostrevin\]' "$WINEPREFIX/user.reg")"
check "settings kept" test -f "$data/Ostrevin.cfg"
check "job files kept" test -f "$home/Documents/Ostrevin/mine.job"

if [ $failures -ne 0 ]; then
  echo "$failures checks failed; the prefix stays for a look: $WINEPREFIX"
  exit 1
fi
rm -rf "$build/install_test"
