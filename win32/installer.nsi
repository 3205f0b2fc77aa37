; The Tarnwick installer: tarnwick-<version>-setup.exe puts the program into Program Files\Tarnwick, adds a
; Start-menu shortcut and an uninstaller registered in the machine's Uninstall key. Interactively it shows a welcome
; page, the licence, the folder, the progress and a finish page that can start the program; /S installs silently.
; A running Tarnwick is asked to close before its file is replaced or removed; where one cannot be closed, nothing
; is changed and setup ends with status 2 and says why (on its standard error when silent).
; Uninstalling removes the program, the shortcut and the user's Run value; the settings and the history log stay.
;
; makensis -DVERSION=1.0.0 -DPROGRAM=tarnwick.exe -DICON=tarnwick.ico -DLICENSE=LICENSE \
;          -DOUTPUT=tarnwick-1.0.0-setup.exe installer.nsi

!include MUI2.nsh
!include LogicLib.nsh
!include WinMessages.nsh

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwick"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; the class of the program's main window, one per running copy
!define WINDOW_CLASS "Tarnwick.Form1"
; how long a copy asked to close may take to end, in milliseconds: a pass under way is cancelled first
!define CLOSE_WAIT 30000

Name "Tarnwick"
OutFile "${OUTPUT}"
InstallDir "$PROGRAMFILES64\Tarnwick"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show
BrandingText "Tarnwick ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Tarnwick"
VIAddVersionKey "CompanyName" "Quelvane"
VIAddVersionKey "LegalCopyright" "Quelvane"
VIAddVersionKey "FileDescription" "Tarnwick setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "Setup will guide you through the installation of Tarnwick, which reports the files \
added, removed or modified in the folders you choose.$\r$\n$\r$\nIf Tarnwick is running, Setup closes it; its \
folder list, settings and history log are kept.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
; the MIT licence grants, it asks no acceptance: the page informs and goes on with Next
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Tarnwick is free software under the MIT License above. $_CLICK"
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; the progress page stays until Next, so that what was done can be read
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_FINISHPAGE_RUN "$INSTDIR\tarnwick.exe"
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "Tarnwick will be uninstalled from the following folder. If it is running, it is \
asked to close first. Your folder list, settings and history log are kept. Click Uninstall to start the \
uninstallation."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Says why a silent setup stops, on the standard error of whoever started it (its console, or a file it was
; redirected to): a script has nothing else to read.
!macro DEFINE_TELL prefix who
Function ${prefix}Tell
  Exch $R0
  Push $0
  Push $1
  StrCpy $1 0
  System::Call 'kernel32::GetStdHandle(i -12) p .r0'
  ${If} $0 == 0
  ${OrIf} $0 == -1
    ; a program with a window gets no standard error of its own from a console
    System::Call 'kernel32::AttachConsole(i -1) i .r1'
    ${If} $1 != 0
      System::Call 'kernel32::CreateFileW(w "CONOUT$$", i 0x40000000, i 2, p 0, i 3, i 0, p 0) p .r0'
    ${EndIf}
  ${EndIf}
  ${If} $0 != 0
  ${AndIf} $0 != -1
    FileWrite $0 "Tarnwick ${who}: $R0$\r$\n"
    ${If} $1 != 0
      FileClose $0
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
  Pop $R0
FunctionEnd
!macroend
!insertmacro DEFINE_TELL "" "setup"
!insertmacro DEFINE_TELL "un." "uninstaller"

; Asks every running Tarnwick to close, as taskkill without /f does, and waits for each to end. Then $INSTDIR's
; program file must be free: a copy of another user, or one still starting, has no window here to be asked.
; Leaves "" on the stack when the file is free, else the reason it is not.
!macro DEFINE_CLOSE_RUNNING prefix
Function ${prefix}CloseRunning
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $4 ""
  StrCpy $5 0 ; copies closed
  ${Do}
    FindWindow $0 "${WINDOW_CLASS}"
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    DetailPrint "Tarnwick is running: asking it to close..."
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    ; SYNCHRONIZE, enough to wait for its end
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=${CLOSE_WAIT}
    ${If} $2 != 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i ${CLOSE_WAIT}) i .r3'
      System::Call 'kernel32::CloseHandle(p r2)'
    ${Else}
      ; a process that cannot be opened: only its window can be watched
      StrCpy $1 0
      ${Do}
        System::Call 'user32::IsWindow(p r0) i .r3'
        ${If} $3 == 0
          ${Break}
        ${EndIf}
        Sleep 200
        IntOp $1 $1 + 200
      ${LoopUntil} $1 >= ${CLOSE_WAIT}
    ${EndIf}
    ${If} $3 != 0
      StrCpy $4 "Tarnwick was asked to close but is still running."
      ${Break}
    ${EndIf}
    DetailPrint "Tarnwick has closed."
    IntOp $5 $5 + 1
  ${Loop}
  ${If} $4 == ""
  ${AndIf} ${FileExists} "$INSTDIR\tarnwick.exe"
    ; a copy that was closed may need a moment more to let go of its file; any other holder will not
    StrCpy $1 0
    ${Do}
      ClearErrors
      FileOpen $0 "$INSTDIR\tarnwick.exe" a
      ${IfNot} ${Errors}
        FileClose $0
        ${Break}
      ${EndIf}
      ${If} $5 == 0
      ${OrIf} $1 >= ${CLOSE_WAIT}
        StrCpy $4 "$INSTDIR\tarnwick.exe is in use: Tarnwick may be running for another user."
        ${Break}
      ${EndIf}
      Sleep 200
      IntOp $1 $1 + 200
    ${Loop}
  ${EndIf}
  StrCpy $0 $4
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_RUNNING ""
!insertmacro DEFINE_CLOSE_RUNNING "un."

; Closes the running program or, where it will not close, stops setup before anything is changed: the user may
; close it and retry; silently, or on Cancel, setup ends with status 2.
!macro CLOSE_OR_STOP prefix what
  ${Do}
    Call ${prefix}CloseRunning
    Pop $0
    ${If} $0 == ""
      ${Break}
    ${EndIf}
    ${If} ${Silent}
      Push "$0 Nothing was changed."
      Call ${prefix}Tell
    ${Else}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$0$\r$\n$\r$\nClose Tarnwick, then click Retry. Cancel \
        stops the ${what} and changes nothing." IDRETRY retry_${what}
    ${EndIf}
    DetailPrint "$0"
    SetErrorLevel 2
    Abort "Nothing was changed."
    retry_${what}:
  ${Loop}
!macroend

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Tarnwick"
  SetShellVarContext all
  !insertmacro CLOSE_OR_STOP "" "installation"
  SetOutPath "$INSTDIR"
  ClearErrors
  File "/oname=tarnwick.exe" "${PROGRAM}"
  ${If} ${Errors}
    ; started again since it was closed, and its file skipped (what a silent setup does with a file it cannot
    ; write): the old program would stay under a setup that says it succeeded
    StrCpy $0 "$INSTDIR\tarnwick.exe could not be written: Tarnwick may have been started again."
    ${If} ${Silent}
      Push "$0 Nothing was changed."
      Call Tell
    ${Else}
      MessageBox MB_OK|MB_ICONSTOP "$0$\r$\n$\r$\nNothing was changed: close Tarnwick and run Setup again."
    ${EndIf}
    DetailPrint "$0"
    SetErrorLevel 2
    Abort "Nothing was changed."
  ${EndIf}
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

; The user's start with Windows: every Run value that starts this very program goes, whatever its name (tarnwick.exe
; today; earlier versions named it after the first program file of the folder, perhaps uninstall.exe); a value that
; starts anything else, another copy of Tarnwick included, is another program's. As the program itself reads a
; command: what it starts is its quoted first word, or the whole command when that is not quoted.
Function un.RemoveRunValues
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $3 '"$INSTDIR\tarnwick.exe"'
  StrLen $4 $3
  StrCpy $0 0
  ${Do}
    EnumRegValue $1 HKCU "${RUN_KEY}" $0
    ${If} $1 == ""
      ${Break}
    ${EndIf}
    ClearErrors
    ReadRegStr $2 HKCU "${RUN_KEY}" $1
    ${If} ${Errors}
      StrCpy $2 "" ; not text: another program's
    ${EndIf}
    StrCpy $5 $2 $4
    ${If} $2 == "$INSTDIR\tarnwick.exe"
    ${OrIf} $5 == $3
      ClearErrors
      DeleteRegValue HKCU "${RUN_KEY}" $1
      ${If} ${Errors}
        IntOp $0 $0 + 1
      ${Else}
        StrCpy $0 0 ; the values are numbered anew
      ${EndIf}
    ${Else}
      IntOp $0 $0 + 1
    ${EndIf}
  ${Loop}
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  !insertmacro CLOSE_OR_STOP "un." "uninstallation"
  Call un.RemoveRunValues
  Delete "$SMPROGRAMS\Tarnwick.lnk"
  Delete "$INSTDIR\tarnwick.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
