; Tarnwick's installer: a per-user installation that needs no administrator rights.
;
; makensis -DVERSION=1.2.3.4 -DPROGRAM=<path of Tarnwick.exe> -DICON=<path of the
; program's icon> -DOUTFILE=<path of the setup program> tarnwick.nsi
;
; The program goes to %LOCALAPPDATA%\Programs\Tarnwick; %LOCALAPPDATA%\Tarnwick is
; its data folder and the working directory of every shortcut, because the program
; writes Tarnwick.log into its working directory. /S installs and uninstalls silently.

!ifndef VERSION | PROGRAM | ICON | OUTFILE
  !error "Give VERSION, PROGRAM, ICON and OUTFILE with -D"
!endif

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define APP "Tarnwick"
!define PUBLISHER "Tessaro"
!define DESCRIPTION "Dravos Upload Ulkin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define DATA_FOLDER "$LOCALAPPDATA\${APP}"
!define MENU_SHORTCUT "$SMPROGRAMS\${APP}.lnk"
!define STARTUP_SHORTCUT "$SMSTARTUP\${APP}.lnk"
!define UNINSTALLER "Uninstall.exe"

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${APP}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${APP} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include "running_copy.nsh"

!insertmacro RUNNING_COPY_FUNCTIONS ""
!insertmacro RUNNING_COPY_FUNCTIONS "un."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "This will install ${APP} ${VERSION} for you alone; it does not need \
administrator rights.$\r$\n$\r$\n${APP} lives in the notification area and sends your recordings and \
documents to the service, and fetches the files the service holds for you.$\r$\n$\r$\nClick Next to continue."
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start ${APP} now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Started from the data folder, as the shortcuts start it.
Function StartProgram
  SetOutPath "${DATA_FOLDER}"
  Exec '"$INSTDIR\${APP}.exe"'
FunctionEnd

Section "${APP}" SectionProgram
  SectionIn RO
  Call StopRunningCopy
  SetOutPath "$INSTDIR"
  File "/oname=${APP}.exe" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; The shortcuts take the folder last set here as their working directory.
  SetOutPath "${DATA_FOLDER}"
  CreateShortcut "${MENU_SHORTCUT}" "$INSTDIR\${APP}.exe" "" "$INSTDIR\${APP}.exe" 0 SW_SHOWNORMAL "" "${DESCRIPTION}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\${APP}.exe",0'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Start ${APP} when I log on" SectionStartup
  SetOutPath "${DATA_FOLDER}"
  CreateShortcut "${STARTUP_SHORTCUT}" "$INSTDIR\${APP}.exe" "" "$INSTDIR\${APP}.exe" 0 SW_SHOWNORMAL "" "${DESCRIPTION}"
SectionEnd

Section "-After"
  ; Turning start at logon off on a new installation takes away the old shortcut.
  ${IfNot} ${SectionIsSelected} ${SectionStartup}
    Delete "${STARTUP_SHORTCUT}"
  ${EndIf}
  ; A silent update puts back the copy it stopped; an interactive one offers it.
  ${If} ${Silent}
  ${AndIf} $StoppedRunningCopy == 1
    Call StartProgram
  ${EndIf}
SectionEnd

; The registry profile, the data folder with the log and the author's own folders stay.
Section "Uninstall"
  Call un.StopRunningCopy
  Delete "${STARTUP_SHORTCUT}"
  Delete "${MENU_SHORTCUT}"
  Delete "$INSTDIR\${APP}.exe"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
