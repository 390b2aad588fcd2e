#!/bin/sh
# Builds Ostrevin for x86-64 and x86 and makes, under build/package/, one setup
# program (NSIS) for each, Ostrevin-<version>-x64-setup.exe for 64-bit Windows
# and Ostrevin-<version>-x86-setup.exe for 32-bit Windows, and the portable zip.
set -e
cd "$(dirname "$0")/.."
scripts/build.sh win Ostrevin
scripts/build.sh win32 Ostrevin
version=$(sed -n 's/^project(Ostrevin VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "No project VERSION found in CMakeLists.txt" >&2; exit 1; }
out=$(pwd)/build/package
rm -rf "$out"
mkdir -p "$out"

for arch in x64:win x86:win32; do
  makensis -V2 -WX -DVERSION="$version" -DARCH="${arch%:*}" -DEXE="$(pwd)/build/${arch#*:}/Ostrevin.exe" \
    -DICON="$(pwd)/src/res/ostrevin.ico" -DOUTFILE="$out/Ostrevin-$version-${arch%:*}-setup.exe" scripts/installer.nsi
done

# The portable zip: both programs and a short text, in CR LF for Notepad.
top=Ostrevin-$version
mkdir -p "$out/zip/$top/64-bit" "$out/zip/$top/32-bit"
cp build/win/Ostrevin.exe "$out/zip/$top/64-bit/"
cp build/win32/Ostrevin.exe "$out/zip/$top/32-bit/"
sed 's/$/\r/' >"$out/zip/$top/README.txt" <<TEXT
Ostrevin $version, a simple file backup utility for Windows 7 and later.

64-bit\Ostrevin.exe is for 64-bit Windows, 32-bit\Ostrevin.exe for 32-bit
Windows (it runs on 64-bit Windows too). Nothing needs installing: copy the
folder of your choice where you like and start Ostrevin.exe.

Ostrevin keeps its settings in Ostrevin.cfg in the folder it is started in
(the program's own folder when you double-click it), so put it in a folder you
can write to, not in Program Files. Job files are kept in the folder Ostrevin
in your Documents.

Backups are copied by the robocopy of Windows.
TEXT
(cd "$out/zip" && cmake -E tar cf "../Ostrevin-$version-portable.zip" --format=zip "$top")
rm -rf "$out/zip"
ls -l "$out"
