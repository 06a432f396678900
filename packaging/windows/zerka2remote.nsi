; The Windows installer: per user, no administrator rights, German.
; makensis -DVERSION=x.y.z -DPROGRAM=<stripped zerka2remote.exe> -DICON=<zerka2remote.ico>
;          -DLICENSE=<LICENSE.txt> -DSIGN=<authenticode-sign.sh> -DOUTFILE=<setup.exe> zerka2remote.nsi
;
; Options, word for word: /S silently; /AUTOSTART or /NOAUTOSTART turn start at log-on on or
; off, and without either an upgrade keeps it as it was (a first silent install leaves it off);
; /D=folder, as the last option, installs there. An upgrade goes into the folder of the existing
; install unless /D= names another, and then the old copy goes. Any other option is refused with
; exit status 2. The uninstaller keeps the user's settings under HKCU\Software\Velmarin.

Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestSupportedOS all
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "nsDialogs.nsh"

!define PRODUCT "Zerka2 Remote"
!define PUBLISHER "Velmarin"
!define EXE "zerka2remote.exe"
!define UNINSTALLER "uninstall.exe"
!define LICENSE_FILE "LICENSE.txt"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The running program's message-only window (one per session), to know whether it ran.
!define INSTANCE_CLASS "Zerka2RemoteInstance"
!define HWND_MESSAGE -3

; Signs the uninstaller and the installer once makensis has written them; without the signing
; variables in the environment the script does nothing.
!uninstfinalize 'bash "${SIGN}" "%1"' = 0
!finalize 'bash "${SIGN}" "%1"' = 0

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1031 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1031 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1031 "FileDescription" "${PRODUCT} Installation"
VIAddVersionKey /LANG=1031 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "${PRODUCT} jetzt starten"

Var Autostart
Var AutostartBox
Var AutostartOption ; "on", "off" or "" from the command line
Var OldDir          ; where the existing install is, "" when there is none
Var WasRunning      ; 1 when this installer ended the running program

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
Page custom AutostartPage AutostartPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "German"

; Refuse TEXT: ends the installer with exit status 2 for a command line it does not take.
!macro Refuse TEXT
  MessageBox MB_ICONSTOP "${TEXT}$\r$\n$\r$\nMöglich sind /S, /AUTOSTART oder /NOAUTOSTART und als letzte /D=Ordner." /SD IDOK
  SetErrorLevel 2
  Quit
!macroend

; ReadOption WORD: one word of the command line.
Function ReadOption
  Exch $R9
  Push $R8
  StrCpy $R8 ""
  ${If} $R9 S== "/S"
  ${OrIf} $R9 S== "/NCRC"
    ; NSIS's own
  ${ElseIf} $R9 S== "/AUTOSTART"
    StrCpy $R8 "on"
  ${ElseIf} $R9 S== "/NOAUTOSTART"
    StrCpy $R8 "off"
  ${Else}
    !insertmacro Refuse "Unbekannte Option: $R9"
  ${EndIf}
  ${If} $R8 != ""
    ${If} $AutostartOption != ""
    ${AndIf} $AutostartOption != $R8
      !insertmacro Refuse "/AUTOSTART und /NOAUTOSTART schließen einander aus."
    ${EndIf}
    StrCpy $AutostartOption $R8
  ${EndIf}
  Pop $R8
  Pop $R9
FunctionEnd

; The command line split at blanks, each word to ReadOption. NSIS has taken /D= off its end.
Function ReadOptions
  ${GetParameters} $R0
  StrCpy $R1 ""
  StrCpy $R2 0
  ${Do}
    StrCpy $R3 $R0 1 $R2
    ${If} $R3 == " "
    ${OrIf} $R3 == ""
      ${If} $R1 != ""
        Push $R1
        Call ReadOption
        StrCpy $R1 ""
      ${EndIf}
      ${IfThen} $R3 == "" ${|} ${ExitDo} ${|}
    ${Else}
      StrCpy $R1 "$R1$R3"
    ${EndIf}
    IntOp $R2 $R2 + 1
  ${Loop}
FunctionEnd

Function .onInit
  ReadRegStr $OldDir HKCU "${UNINSTALL_KEY}" "InstallLocation"
  Call ReadOptions
  ${If} $AutostartOption == "on"
    StrCpy $Autostart ${BST_CHECKED}
  ${ElseIf} $AutostartOption == "off"
    StrCpy $Autostart ${BST_UNCHECKED}
  ${Else}
    ReadRegStr $1 HKCU "${RUN_KEY}" "${PRODUCT}"
    ${If} $1 != ""
      StrCpy $Autostart ${BST_CHECKED}
    ${Else}
      StrCpy $Autostart ${BST_UNCHECKED}
    ${EndIf}
  ${EndIf}
FunctionEnd

Function AutostartPage
  !insertmacro MUI_HEADER_TEXT "Start beim Anmelden" "Soll ${PRODUCT} beim Anmelden an Windows starten?"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateCheckbox} 0 0 100% 12u "Beim Anmelden starten"
  Pop $AutostartBox
  ${NSD_SetState} $AutostartBox $Autostart
  ${NSD_SetFocus} $AutostartBox
  nsDialogs::Show
FunctionEnd

Function AutostartPageLeave
  ${NSD_GetState} $AutostartBox $Autostart
FunctionEnd

; The program the installer ended runs again already; "start now" would only show its window.
Function FinishPageShow
  ${If} $WasRunning == 1
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

; EndProgram EXE WHAT: ends the running program through EXE's --quit; one that does not end in
; its 10 s (hung in a restart or a message box) is ended at once after asking, silently without.
; WHAT names the step to start again ("Installation", "Deinstallation") when it still runs.
!macro EndProgramFunction UN
Function ${UN}EndProgram
  Exch $R1 ; WHAT
  Exch
  Exch $R0 ; EXE
  DetailPrint "${PRODUCT} wird beendet ..."
  SetDetailsPrint none
  ExecWait '"$R0" --quit' $0
  ${If} $0 != 0
    MessageBox MB_YESNO|MB_ICONEXCLAMATION "${PRODUCT} reagiert nicht. Beenden?" /SD IDYES IDNO +2
    ExecWait '"$R0" --terminate' $0
  ${EndIf}
  ${If} $0 != 0
    MessageBox MB_ICONSTOP "${PRODUCT} läuft noch und ließ sich nicht beenden. Bitte beenden Sie es und starten Sie die $R1 erneut." /SD IDOK
    Abort
  ${EndIf}
  SetDetailsPrint lastused
  Pop $R0
  Pop $R1
FunctionEnd
!macroend
!insertmacro EndProgramFunction ""
!insertmacro EndProgramFunction "un."

Section "Programm"
  ; The new program ends the running one, whichever version that is, so its file can be
  ; replaced.
  InitPluginsDir
  SetOutPath "$PLUGINSDIR"
  File "/oname=${EXE}" "${PROGRAM}"
  FindWindow $0 "${INSTANCE_CLASS}" "" ${HWND_MESSAGE}
  ${If} $0 != 0
    StrCpy $WasRunning 1
  ${EndIf}
  Push "$PLUGINSDIR\${EXE}"
  Push "Installation"
  Call EndProgram

  SetOutPath "$INSTDIR"
  ClearErrors
  CopyFiles /SILENT "$PLUGINSDIR\${EXE}" "$INSTDIR"
  ${If} ${Errors}
    MessageBox MB_ICONSTOP "$INSTDIR\${EXE} ließ sich nicht schreiben." /SD IDOK
    Abort
  ${EndIf}
  File "/oname=${LICENSE_FILE}" "${LICENSE}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}"

  ; Through the program's own option, so the Run value is always the one it writes itself.
  ${If} $Autostart == ${BST_CHECKED}
    ExecWait '"$INSTDIR\${EXE}" --autostart=on' $0
    StrCpy $1 "einrichten"
  ${Else}
    ExecWait '"$INSTDIR\${EXE}" --autostart=off' $0
    StrCpy $1 "abschalten"
  ${EndIf}
  ${If} $0 != 0
    MessageBox MB_ICONEXCLAMATION "Der Start beim Anmelden ließ sich nicht $1." /SD IDOK
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; Moved to another folder: the one uninstall entry points here, so the old copy goes.
  ${If} $OldDir != ""
  ${AndIf} $OldDir != $INSTDIR
  ${AndIf} ${FileExists} "$OldDir\${EXE}"
    Delete "$OldDir\${EXE}"
    Delete "$OldDir\${UNINSTALLER}"
    Delete "$OldDir\${LICENSE_FILE}"
    RMDir "$OldDir"
  ${EndIf}

  ${If} $WasRunning == 1
    Exec '"$INSTDIR\${EXE}"'
  ${EndIf}
SectionEnd

Section "Uninstall"
  ${If} ${FileExists} "$INSTDIR\${EXE}"
    Push "$INSTDIR\${EXE}"
    Push "Deinstallation"
    Call un.EndProgram
    ExecWait '"$INSTDIR\${EXE}" --autostart=off'
  ${EndIf}
  ; Left behind by an older program that the switch above could not reach.
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\${UNINSTALLER}"
  Delete "$INSTDIR\${LICENSE_FILE}"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
