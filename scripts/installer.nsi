; Ostrevin's setup program, made by scripts/package.sh with makensis.
; Defines: VERSION (x.y.z), ARCH (x64 or x86), EXE (the program built for ARCH),
; ICON, OUTFILE.
;
; One setup program per architecture, each a program of its own architecture:
; the x64 one installs the 64-bit Ostrevin and runs on 64-bit Windows only; the
; x86 one installs the 32-bit Ostrevin, for 32-bit Windows (it runs on both).
;
; Installed per user, without administrator rights: the program runs as the
; invoking user and keeps Ostrevin.cfg in its current folder, so the shortcut
; starts it in the user's own %APPDATA%\Ostrevin, which this installer makes
; for the one user who has the shortcut.
!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define BITS "64-bit"
!else if "${ARCH}" == "x86"
  Target x86-unicode
  !define BITS "32-bit"
!else
  !error "ARCH must be x64 or x86"
!endif
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ostrevin"

Name "Ostrevin ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Ostrevin"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "Ostrevin ${VERSION} (${BITS})"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Ostrevin"
VIAddVersionKey "CompanyName" "Ostrevin developers"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 Ostrevin developers"
VIAddVersionKey "FileDescription" "Ostrevin setup (${BITS})"
VIAddVersionKey "FileVersion" "${VERSION}.0"
VIAddVersionKey "ProductVersion" "${VERSION}.0"

!include "MUI2.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Ostrevin"
!define MUI_FINISHPAGE_RUN_FUNCTION StartFromDataFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Ostrevin"
  SetOutPath "$INSTDIR"
  File "/oname=Ostrevin.exe" "${EXE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The shortcut's working folder (the current folder when the shortcut is created).
  CreateDirectory "$APPDATA\Ostrevin"
  SetOutPath "$APPDATA\Ostrevin"
  CreateShortCut "$SMPROGRAMS\Ostrevin.lnk" "$INSTDIR\Ostrevin.exe" "" "$INSTDIR\Ostrevin.exe" 0 \
    SW_SHOWNORMAL "" "A simple file backup utility"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "Ostrevin"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "Ostrevin developers"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Ostrevin.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
SectionEnd

Function StartFromDataFolder
  SetOutPath "$APPDATA\Ostrevin"
  Exec '"$INSTDIR\Ostrevin.exe"'
FunctionEnd

; The user's settings and job files stay: only what setup put in place goes.
Section "Uninstall"
  Delete "$SMPROGRAMS\Ostrevin.lnk"
  Delete "$INSTDIR\Ostrevin.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd
