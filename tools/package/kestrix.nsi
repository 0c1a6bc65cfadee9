; Kestrix's installer: per user and without administrator rights, into
; %LOCALAPPDATA%\Programs\Kestrix, with a Start menu shortcut, an entry in the
; system's list of programs, the choice to start at sign-in, and an uninstaller.
; tools/package.sh builds it:
;   makensis -DVERSION=0.9.22 -DEXECUTABLE=kestrix.exe -DTEXTS=installer_text.nsh
;            -DOUTFILE=kestrix-setup-0.9.22.exe kestrix.nsi
; /S installs and uninstalls silently (an upgrade keeps the start-at-sign-in choice).

!ifndef VERSION | EXECUTABLE | TEXTS | OUTFILE
  !error "define VERSION, EXECUTABLE, TEXTS and OUTFILE (see tools/package.sh)"
!endif

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

Name "Kestrix"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kestrix"
BrandingText "Kestrix ${VERSION}"
ShowInstDetails hide
ShowUninstDetails hide

; What the program itself reads and writes: the single-instance mutex and the quit
; request of its host, the Run value of its Settings window, the entry whose
; DisplayVersion its updater keeps current, and the parked copies its updater leaves.
!define MUTEX "Local\Kestrix.SingleInstance"
!define QUIT_MESSAGE "Kestrix.Quit"
!define HOST_CLASS "SnapHostWindow"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrix"
!define EXE "kestrix.exe"
!define CONFIG "kestrix.toml"

Var StartAtSignIn        ; 1 or 0: the choice on the options page
Var StartCheckbox
Var RemoveSettings       ; 1 or 0: the uninstaller's choice
Var RemoveSettingsCheckbox

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"

Page custom OptionsPage OptionsPageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_PAGE_CUSTOMFUNCTION_SHOW un.ConfirmPageShow
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE un.ConfirmPageLeave
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The languages and the texts of our own, from the program's message catalogue.
!include "${TEXTS}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Kestrix"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Kestrix Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Kestrix"

; --- a running copy ------------------------------------------------------------------

; Installer and uninstaller each need their own copy of these functions.
!macro RUNNING_COPY_FUNCTIONS UN
  ; Pushes 1 while a copy holds the single-instance mutex (a copy started as
  ; administrator denies us access to it: that is a running copy too), else 0.
  Function ${UN}CopyIsRunning
    Push $0
    Push $1
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${MUTEX}") p .r0 ?e'
    Pop $1
    ${If} $0 P<> 0
      System::Call 'kernel32::CloseHandle(p r0)'
      StrCpy $0 1
    ${ElseIf} $1 = 5
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
    Pop $1
    Exch $0
  FunctionEnd

  ; Polls for up to $R9 tenths of a second; pushes 1 when a copy still runs after it.
  Function ${UN}WaitWhileRunning
    Push $0
    Push $1
    StrCpy $1 0
    ${Do}
      Call ${UN}CopyIsRunning
      Pop $0
      ${If} $0 = 0
      ${OrIf} $1 >= $R9
        ${ExitDo}
      ${EndIf}
      Sleep 100
      IntOp $1 $1 + 1
    ${Loop}
    Pop $1
    Exch $0
  FunctionEnd

  ; Asks a running copy to quit as its tray menu's Exit does, and waits for it to end.
  ; A copy in the middle of a dialog (Settings, a message) handles that request only
  ; after the dialog, so it is then told to close its host window, which ends its
  ; dialogs too. Pushes 1 when a copy still runs, else 0.
  Function ${UN}CloseRunningCopy
    Push $0
    Push $R9
    Call ${UN}CopyIsRunning
    Pop $0
    ${If} $0 = 1
      System::Call 'user32::RegisterWindowMessageW(w "${QUIT_MESSAGE}") i .r0'
      System::Call 'user32::PostMessageW(p ${HWND_BROADCAST}, i r0, p 0, p 0)'
      StrCpy $R9 50
      Call ${UN}WaitWhileRunning
      Pop $0
    ${EndIf}
    ${If} $0 = 1
      FindWindow $0 "${HOST_CLASS}"
      ${If} $0 P<> 0
        System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0)'
      ${EndIf}
      StrCpy $R9 100
      Call ${UN}WaitWhileRunning
      Pop $0
    ${EndIf}
    Pop $R9
    Exch $0
  FunctionEnd

  ; Deletes the Run value and Windows' record of it when they start this copy (as the
  ; program writes it, with --at-login, or as earlier versions did, without), and
  ; leaves them when they start another one (a portable copy elsewhere).
  Function ${UN}DeleteOwnRunValue
    Push $0
    ReadRegStr $0 HKCU "${RUN_KEY}" "Kestrix"
    ${If} $0 == '"$INSTDIR\${EXE}" --at-login'
    ${OrIf} $0 == '"$INSTDIR\${EXE}"'
      DeleteRegValue HKCU "${RUN_KEY}" "Kestrix"
      DeleteRegValue HKCU "${APPROVED_KEY}" "Kestrix"
    ${EndIf}
    Pop $0
  FunctionEnd
!macroend
!insertmacro RUNNING_COPY_FUNCTIONS ""
!insertmacro RUNNING_COPY_FUNCTIONS "un."

; Closes a running copy; asks the user to exit it when that fails. Nobody can be asked
; in a silent install: the running executable is then parked under the names the
; program's own updater uses, and the program deletes it when it next starts.
!macro CLOSE_OR_ASK UN
  ${Do}
    Call ${UN}CloseRunningCopy
    Pop $0
    ${If} $0 = 0
      ${ExitDo}
    ${EndIf}
    ${If} ${Silent}
      ${ExitDo}
    ${EndIf}
    ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(setup_still_running)" IDCANCEL`
      Abort
    ${EndIf}
  ${Loop}
!macroend

Function ParkRunningExecutable
  Push $0
  Push $1
  StrCpy $1 0
  ${Do}
    ${If} $1 = 0
      StrCpy $0 "$INSTDIR\${EXE}.old"
    ${Else}
      StrCpy $0 "$INSTDIR\${EXE}.old.$1"
    ${EndIf}
    Delete $0
    ${IfNot} ${FileExists} $0
      Rename "$INSTDIR\${EXE}" $0
      ${ExitDo}
    ${EndIf}
    IntOp $1 $1 + 1
  ${LoopUntil} $1 > 15
  Pop $1
  Pop $0
FunctionEnd

; --- install -----------------------------------------------------------------------------

Function .onInit
  ; On for a first install; an upgrade keeps what the user chose (in Settings too).
  StrCpy $StartAtSignIn 1
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    ReadRegStr $0 HKCU "${RUN_KEY}" "Kestrix"
    ${If} $0 == ""
      StrCpy $StartAtSignIn 0
    ${EndIf}
  ${EndIf}
FunctionEnd

Function OptionsPage
  !insertmacro MUI_HEADER_TEXT "$(setup_options_title)" "$(setup_options_subtitle)"
  nsDialogs::Create 1018
  Pop $0
  ; Right to left in Arabic, like the standard pages.
  nsDialogs::SetRTL $(^RTL)
  ${NSD_CreateLabel} 0 0 100% 12u "$(setup_folder)"
  Pop $0
  ${NSD_CreateText} 0 13u 100% 12u "$INSTDIR"
  Pop $0
  ${NSD_Edit_SetReadOnly} $0 1
  ${NSD_CreateCheckbox} 0 36u 100% 12u "$(setup_start_at_sign_in)"
  Pop $StartCheckbox
  ${If} $StartAtSignIn = 1
    ${NSD_Check} $StartCheckbox
  ${EndIf}
  ; The last page before the files are copied: its button installs.
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:$(^InstallBtn)"
  nsDialogs::Show
FunctionEnd

Function OptionsPageLeave
  ${NSD_GetState} $StartCheckbox $StartAtSignIn
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  !insertmacro CLOSE_OR_ASK ""
  ; Leftovers of earlier updates; a copy parked just now is still running and stays.
  Delete "$INSTDIR\${EXE}.old*"
  Delete "$INSTDIR\${EXE}.new-*"
  ${If} $0 = 1
    Call ParkRunningExecutable
  ${EndIf}
  File "/oname=${EXE}" "${EXECUTABLE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Kestrix.lnk" "$INSTDIR\${EXE}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Kestrix"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Kestrix"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ${If} $StartAtSignIn = 1
    ; The value the Settings window writes: --at-login tells a start at sign-in from the user's.
    WriteRegStr HKCU "${RUN_KEY}" "Kestrix" '"$INSTDIR\${EXE}" --at-login'
  ${Else}
    Call DeleteOwnRunValue
  ${EndIf}
SectionEnd

; --- uninstall ---------------------------------------------------------------------------

; The standard confirmation page with one more choice under the folder.
Function un.ConfirmPageShow
  FindWindow $0 "#32770" "" $HWNDPARENT
  GetDlgItem $1 $0 1000
  System::Call '*(i, i, i, i) p .r2'
  System::Call 'user32::GetWindowRect(p r1, p r2)'
  System::Call 'user32::MapWindowPoints(p 0, p r0, p r2, i 2)'
  System::Call '*$2(i .r3, i .r4, i .r5, i .r6)'
  System::Free $2
  IntOp $7 $6 - $4       ; the field's height
  IntOp $4 $6 + $7       ; one field's height below it
  IntOp $5 $5 - $3
  IntOp $8 ${WS_CHILD} | ${WS_VISIBLE}
  IntOp $8 $8 | ${WS_TABSTOP}
  IntOp $8 $8 | ${BS_AUTOCHECKBOX}
  StrCpy $9 0
  ${If} "$(^RTL)" == 1
    IntOp $8 $8 | ${BS_RIGHTBUTTON}
    IntOp $8 $8 | ${BS_RIGHT}
    IntOp $9 ${WS_EX_RTLREADING} | ${WS_EX_RIGHT}
  ${EndIf}
  System::Call 'user32::CreateWindowExW(i r9, w "BUTTON", w "$(setup_remove_settings)", i r8, i r3, i r4, i r5, i r7, p r0, p 1200, p 0, p 0) p .r1'
  StrCpy $RemoveSettingsCheckbox $1
  SendMessage $0 ${WM_GETFONT} 0 0 $2
  SendMessage $1 ${WM_SETFONT} $2 1
FunctionEnd

Function un.ConfirmPageLeave
  ${NSD_GetState} $RemoveSettingsCheckbox $RemoveSettings
FunctionEnd

Function un.onInit
  StrCpy $RemoveSettings 0
FunctionEnd

Section "Uninstall"
  !insertmacro CLOSE_OR_ASK "un."
  ${If} $0 = 1
    ; Silent, and the copy would not quit: change nothing rather than half of it.
    SetErrorLevel 2
    Abort
  ${EndIf}
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\${EXE}.old*"
  Delete "$INSTDIR\${EXE}.new-*"
  Delete "$SMPROGRAMS\Kestrix.lnk"
  Call un.DeleteOwnRunValue
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${If} $RemoveSettings = 1
    Delete "$APPDATA\Kestrix\${CONFIG}"
    RMDir "$APPDATA\Kestrix"
    Delete "$INSTDIR\${CONFIG}"
  ${EndIf}
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: a settings file kept beside the executable stays with its folder.
  RMDir "$INSTDIR"
SectionEnd
