; The Windows installer: per user, no administrator rights, German.
; makensis -DVERSION=x.y.z -DPROGRAM=<stripped zerka2remote.exe> -DICON=<zerka2remote.ico>
;          -DLICENSE=<LICENSE.txt> -DSIGN=<authenticode-sign.sh> -DOUTFILE=<setup.exe>
;          -DPUBLISHER=<name> -DCOPYRIGHT=<the licence's copyright line>
;          [-DPLUGINS=<folder with signed copies of the plugins>] zerka2remote.nsi
;
; Options, word for word: /S silently; /AUTOSTART or /NOAUTOSTART turn start at log-on on or
; off, and without either an upgrade keeps it as it was (a first silent install leaves it off);
; /D=folder, as the last option, installs there. An upgrade goes into the folder of the existing
; install unless /D= names another, and then the old copy goes. Any other option is refused with
; exit status 2. The uninstaller keeps the user's settings under HKCU\Software\Velmarin.
;
; Exit statuses: 0 installed; 1 cancelled by the user; 2 a refused command line; 3 the running
; program could not be ended; 4 a file could not be written; 5 run as another account than the
; one signed in (elevated with an administrator's account, or as SYSTEM), which would install
; into that account's profile. Elevated as the signed-in user it installs, and starts the
; program through Explorer, in the user's own unelevated rights.

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
!define EXE "zerka2remote.exe"
!define UNINSTALLER "uninstall.exe"
!define LICENSE_FILE "LICENSE.txt"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The running program's message-only window (one per session), to know whether it ran.
!define INSTANCE_CLASS "Zerka2RemoteInstance"
!define HWND_MESSAGE -3
!define SYSTEM_SID "S-1-5-18"

!ifdef PLUGINS
  ; Signed copies of NSIS's plugins, so every DLL the installer unpacks carries the signature.
  !addplugindir /amd64-unicode "${PLUGINS}"
!endif

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
VIAddVersionKey /LANG=1031 "LegalCopyright" "${COPYRIGHT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!define MUI_FINISHPAGE_RUN_TEXT "${PRODUCT} jetzt starten"

Var Autostart
Var AutostartBox
Var AutostartOption ; "on", "off" or "" from the command line
Var OldDir          ; where the existing install is, "" when there is none
Var WasRunning      ; 1 when this installer ended the running program
Var OwnSid          ; the account this installer runs as
Var Elevated        ; 1 when it runs with an administrator's full rights

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
Page custom AutostartPage AutostartPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "German"

!define EXIT_REFUSED 2
!define EXIT_NOT_ENDED 3
!define EXIT_NOT_WRITTEN 4
!define EXIT_WRONG_ACCOUNT 5

; Refuse TEXT: ends the installer with exit status 2 for a command line it does not take.
!macro Refuse TEXT
  MessageBox MB_ICONSTOP "${TEXT}$\r$\n$\r$\nMöglich sind /S, /AUTOSTART oder /NOAUTOSTART und als letzte /D=Ordner." /SD IDOK
  SetErrorLevel ${EXIT_REFUSED}
  Quit
!macroend

; ProcessUserSid: the SID, as text, of the account of the process whose handle is on the stack;
; "" when it cannot be read.
Function ProcessUserSid
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $4 ""
  System::Call 'advapi32::OpenProcessToken(p r0, i 8, *p .r1) i .r2'
  ${If} $2 != 0
    System::Call 'advapi32::GetTokenInformation(p r1, i 1, p 0, i 0, *i .r2)'
    System::Alloc $2
    Pop $3
    System::Call 'advapi32::GetTokenInformation(p r1, i 1, p r3, i r2, *i .r2) i .r0'
    ${If} $0 != 0
      System::Call '*$3(p .r0)'
      System::Call 'advapi32::ConvertSidToStringSidW(p r0, *p .r2) i .r0'
      ${If} $0 != 0
        System::Call 'kernel32::lstrcpynW(w .r4, p r2, i ${NSIS_MAX_STRLEN})'
        System::Call 'kernel32::LocalFree(p r2)'
      ${EndIf}
    ${EndIf}
    System::Free $3
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
  StrCpy $0 $4
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Sets $OwnSid and $Elevated, and refuses an account that is not the one signed in: SYSTEM, or
; another account than the one the desktop's shell runs as. Without a shell (nobody signed in)
; there is no one else to ask.
Function CheckAccount
  Push -1
  Call ProcessUserSid
  Pop $OwnSid
  StrCpy $Elevated 0
  System::Call 'advapi32::OpenProcessToken(p -1, i 8, *p .r1) i .r0'
  ${If} $0 != 0
    System::Call 'advapi32::GetTokenInformation(p r1, i 20, *i .r2, i 4, *i .r3) i .r0'
    ${If} $0 != 0
    ${AndIf} $2 != 0
      StrCpy $Elevated 1
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
  StrCpy $3 ""
  System::Call 'user32::GetShellWindow() p .r0'
  ${If} $0 != 0
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r1) p .r2'
    ${If} $2 != 0
      Push $2
      Call ProcessUserSid
      Pop $3
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
  ${EndIf}
  StrCpy $4 0
  ${If} $OwnSid == "${SYSTEM_SID}"
    StrCpy $4 1
  ${ElseIf} $3 != ""
  ${AndIf} $3 != $OwnSid
    StrCpy $4 1
  ${EndIf}
  ${If} $4 == 1
    MessageBox MB_ICONSTOP "${PRODUCT} wird für das angemeldete Konto installiert, dieses Programm läuft aber als ein anderes Konto (als Administrator oder SYSTEM).$\r$\n$\r$\nBitte starten Sie die Installation ohne „Als Administrator ausführen“ als der Benutzer, der ${PRODUCT} verwenden soll." /SD IDOK
    SetErrorLevel ${EXIT_WRONG_ACCOUNT}
    Quit
  ${EndIf}
FunctionEnd

; Starts the installed program as the signed-in user: an elevated installer hands the start to
; Explorer, which runs it in the user's own rights (it would otherwise run elevated, out of
; reach of the user's later starts and of Explorer's messages).
Function StartProgram
  ${If} $Elevated == 1
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\${EXE}"'
  ${Else}
    Exec '"$INSTDIR\${EXE}"'
  ${EndIf}
FunctionEnd

; FolderIdentity: "volume:index" of the folder named on the stack, the same however its path is
; spelled (short names, junctions, case); "" when it cannot be opened.
Function FolderIdentity
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  StrCpy $6 ""
  ; FILE_FLAG_BACKUP_SEMANTICS opens a folder; no access asked beyond its attributes.
  System::Call 'kernel32::CreateFileW(w r0, i 0, i 7, p 0, i 3, i 0x02000000, p 0) p .r1'
  System::Alloc 52
  Pop $2
  System::Call 'kernel32::GetFileInformationByHandle(p r1, p r2) i .r3'
  ${If} $3 != 0
    System::Call '*$2(i, i, i, i, i, i, i, i .r3, i, i, i, i .r4, i .r5)'
    StrCpy $6 "$3:$4:$5"
  ${EndIf}
  System::Free $2
  System::Call 'kernel32::CloseHandle(p r1)'
  StrCpy $0 $6
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

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
  Call ReadOptions
  Call CheckAccount
  ReadRegStr $OldDir HKCU "${UNINSTALL_KEY}" "InstallLocation"
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
    SetErrorLevel ${EXIT_NOT_ENDED}
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
  ; This user's program titles its window with the user's SID; earlier versions left it empty.
  System::Call 'user32::FindWindowExW(p ${HWND_MESSAGE}, p 0, w "${INSTANCE_CLASS}", w "$OwnSid") p .r0'
  ${If} $0 == 0
    System::Call 'user32::FindWindowExW(p ${HWND_MESSAGE}, p 0, w "${INSTANCE_CLASS}", w "") p .r0'
  ${EndIf}
  ${If} $0 != 0
    StrCpy $WasRunning 1
  ${EndIf}
  Push "$PLUGINSDIR\${EXE}"
  Push "Installation"
  Call EndProgram

  SetOutPath "$INSTDIR"
  ; CopyFileW itself: it reports a file in use, where the shell's copy may not.
  System::Call 'kernel32::CopyFileW(w "$PLUGINSDIR\${EXE}", w "$INSTDIR\${EXE}", i 0) i .r0'
  ${If} $0 == 0
    MessageBox MB_ICONSTOP "$INSTDIR\${EXE} ließ sich nicht schreiben." /SD IDOK
    ; The monitoring goes on with what is there.
    ${If} $WasRunning == 1
    ${AndIf} ${FileExists} "$INSTDIR\${EXE}"
      Call StartProgram
    ${EndIf}
    SetErrorLevel ${EXIT_NOT_WRITTEN}
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

  ; Moved to another folder: the one uninstall entry points here, so the old copy goes. The
  ; same folder spelled another way is no other folder; one whose identity cannot be read stays.
  StrCpy $1 ""
  StrCpy $2 ""
  ${If} $OldDir != ""
  ${AndIf} ${FileExists} "$OldDir\${EXE}"
    Push $OldDir
    Call FolderIdentity
    Pop $1
    Push $INSTDIR
    Call FolderIdentity
    Pop $2
  ${EndIf}
  ${If} $1 != ""
  ${AndIf} $2 != ""
  ${AndIf} $1 != $2
    Delete "$OldDir\${EXE}"
    Delete "$OldDir\${UNINSTALLER}"
    Delete "$OldDir\${LICENSE_FILE}"
    RMDir "$OldDir"
  ${EndIf}

  ${If} $WasRunning == 1
    Call StartProgram
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
