#!/bin/sh
# Makes the build tree's own Wine prefix (once), puts Wine's TrueType fonts in it
# and our copier in place of Wine's robocopy stub. Usage: prefix.sh BUILD_DIR [no-wm]
# "no-wm": the display has no window manager (Xvfb), so Wine must not wait for one
# whenever a window is hidden.
set -e
build=$(cd "$1" && pwd)
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all
eval "$("$(dirname "$0")/wine-loader.sh")"
# A 64-bit prefix made while only the 64-bit loader could run has no 32-bit half, which
# the 32-bit loader needs to start anything, itself included: where it runs now, the
# prefix is made anew (it holds nothing of the tests', which make their own folders).
wow="$WINEPREFIX/drive_c/windows/syswow64"
if [ -d "$wow" ] && [ ! -f "$wow/kernel32.dll" ] && "$(dirname "$0")/wine-loader.sh" --32bit; then
  echo "Wine prefix $WINEPREFIX lacks its 32-bit half: making it anew"
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # A 32-bit tree gets a 32-bit Windows, where its exes run as they would there.
  if grep -q '^CMAKE_TOOLCHAIN_FILE.*i686' "$build/CMakeCache.txt" 2>/dev/null; then export WINEARCH=win32; fi
  echo "Creating ${WINEARCH:-win64} Wine prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  # Let the first start settle; a server kept alive by someone else must not block us.
  timeout 120 wineserver -w || true
fi
# A new prefix has no TrueType fonts: caption buttons (Marlett) and Tahoma would
# fall back to bitmap fonts and letters.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
for f in /usr/share/wine/fonts/*.ttf; do
  [ -f "$f" ] || { echo "Wine's fonts are missing (Debian package fonts-wine)" >&2; exit 1; }
  cmp -s "$f" "$fonts/${f##*/}" || cp "$f" "$fonts/"
done

sys="$WINEPREFIX/drive_c/windows/system32/robocopy.exe"
ours="$build/tools/robocopy/robocopy.exe"
if [ -f "$ours" ]; then
  # Replace only Wine's builtin stub (or an older copy of ours), never a real robocopy.
  if [ ! -f "$sys" ] || grep -q "Wine builtin DLL" "$sys" || grep -q "Ostrevin copier" "$sys"; then
    if ! cmp -s "$ours" "$sys"; then
      cp "$ours" "$sys"
      wine reg add 'HKCU\Software\Wine\DllOverrides' /v robocopy.exe /d native /f >/dev/null 2>&1
    fi
  fi
fi

user_reg="$WINEPREFIX/user.reg"
if [ "${2:-}" = "no-wm" ]; then
  if ! grep -q '"Managed"="N"' "$user_reg"; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  fi
elif grep -q '"Managed"="N"' "$user_reg"; then
  wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1
fi
