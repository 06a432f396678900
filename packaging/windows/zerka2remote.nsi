; The Windows installer: per user, no administrator rights, German.
; makensis -DVERSION=x.y.z -DPROGRAM=<stripped zerka2remote.exe> -DICON=<zerka2remote.ico>
;          -DOUTFILE=<setup.exe> zerka2remote.nsi
;
; Silently: /S installs without start at log-on, /S /AUTOSTART with it. The uninstaller keeps
; the user's settings under HKCU\Software\Velmarin.

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
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
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

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
Page custom AutostartPage AutostartPageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "German"

Function .onInit
  ; Silently only /AUTOSTART turns it on; in the dialog the box shows what is set now.
  StrCpy $Autostart ${BST_UNCHECKED}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTOSTART" $1
  ${IfNot} ${Errors}
    StrCpy $Autostart ${BST_CHECKED}
  ${ElseIfNot} ${Silent}
    ReadRegStr $1 HKCU "${RUN_KEY}" "${PRODUCT}"
    ${If} $1 != ""
      StrCpy $Autostart ${BST_CHECKED}
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

Section "Programm"
  ; The new program asks the running one to end (its own close path, without the question),
  ; whichever version that is, so its file can be replaced.
  InitPluginsDir
  SetOutPath "$PLUGINSDIR"
  File "/oname=${EXE}" "${PROGRAM}"
  ExecWait '"$PLUGINSDIR\${EXE}" --quit' $0
  ${If} $0 != 0
    MessageBox MB_ICONSTOP "${PRODUCT} läuft noch und ließ sich nicht beenden. Bitte beenden Sie es und starten Sie die Installation erneut." /SD IDOK
    Abort
  ${EndIf}

  SetOutPath "$INSTDIR"
  ClearErrors
  CopyFiles /SILENT "$PLUGINSDIR\${EXE}" "$INSTDIR"
  ${If} ${Errors}
    MessageBox MB_ICONSTOP "$INSTDIR\${EXE} ließ sich nicht schreiben." /SD IDOK
    Abort
  ${EndIf}
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}"

  ; Through the program's own option, so the Run value is always the one it writes itself.
  ${If} $Autostart == ${BST_CHECKED}
    ExecWait '"$INSTDIR\${EXE}" --autostart=on'
  ${Else}
    ExecWait '"$INSTDIR\${EXE}" --autostart=off'
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
SectionEnd

Section "Uninstall"
  ${If} ${FileExists} "$INSTDIR\${EXE}"
    ExecWait '"$INSTDIR\${EXE}" --quit' $0
    ${If} $0 != 0
      MessageBox MB_ICONSTOP "${PRODUCT} läuft noch und ließ sich nicht beenden. Bitte beenden Sie es und starten Sie die Deinstallation erneut." /SD IDOK
      Abort
    ${EndIf}
    ExecWait '"$INSTDIR\${EXE}" --autostart=off'
  ${EndIf}
  ; Left behind by an older program that the switch above could not reach.
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
