; The Tarnwick installer: tarnwick-<version>-setup.exe puts the program into Program Files\Tarnwick, adds a
; Start-menu shortcut and an uninstaller registered in the machine's Uninstall key. /S installs silently.
; Uninstalling removes the program, the shortcut and the user's Run value; the settings and the history log stay.
;
; makensis -DVERSION=1.0.0 -DPROGRAM=tarnwick.exe -DICON=tarnwick.ico -DOUTPUT=tarnwick-1.0.0-setup.exe installer.nsi

!include WinMessages.nsh

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwick"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "Tarnwick"
OutFile "${OUTPUT}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\Tarnwick"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Tarnwick"
VIAddVersionKey "CompanyName" "Quelvane"
VIAddVersionKey "LegalCopyright" "Quelvane"
VIAddVersionKey "FileDescription" "Tarnwick setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Tarnwick"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "/oname=tarnwick.exe" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Tarnwick.lnk" "$INSTDIR\tarnwick.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tarnwick"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quelvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tarnwick.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  ; a running copy is asked to close first, so that its file can go
  FindWindow $0 "Tarnwick.Form1"
  StrCmp $0 0 +3
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    Sleep 1000
  ; The user's start with Windows: the program registers itself under the name of the first program file of its
  ; folder, tarnwick.exe where the file system lists names in order, perhaps uninstall.exe where it does not.
  DeleteRegValue HKCU "${RUN_KEY}" "tarnwick.exe"
  ReadRegStr $1 HKCU "${RUN_KEY}" "uninstall.exe"
  StrCmp $1 '"$INSTDIR\tarnwick.exe"' 0 +2
    DeleteRegValue HKCU "${RUN_KEY}" "uninstall.exe"
  Delete "$SMPROGRAMS\Tarnwick.lnk"
  Delete "$INSTDIR\tarnwick.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
