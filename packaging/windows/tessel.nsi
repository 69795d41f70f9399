; The Windows installer of Tessel: tessel-cli.exe and Explorer's thumbnail
; handler, installed for every user. makensis gets VERSION, CLI, HANDLER
; and OUTFILE from the build (packaging/windows/CMakeLists.txt).
;   tessel-VERSION-setup.exe /S      installs silently
;   Uninstall.exe /S                 removes what the installer added
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessel"

Name "Tessel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tessel"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Tessel"
  SetRegView 64
  SetOutPath "$INSTDIR"
  File "/oname=tessel-cli.exe" "${CLI}"
  File "/oname=tessel-thumbnails.dll" "${HANDLER}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ; The handler writes its own keys (its class, and the thumbnail key of
  ; .pud files), machine-wide.
  RegDLL "$INSTDIR\tessel-thumbnails.dll"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tessel ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Tessel developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetRegView 64
  UnRegDLL "$INSTDIR\tessel-thumbnails.dll"
  Delete "$INSTDIR\tessel-thumbnails.dll"
  Delete "$INSTDIR\tessel-cli.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
