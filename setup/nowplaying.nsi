; The setup program of the download. It installs the program and its README.txt, a
; Start menu shortcut and, by choice (on by default), one in the Startup folder that
; starts the program minimized, so that at log-on only its icon appears; it writes the
; Add/Remove Programs entry and the uninstaller, which takes all of that away again.
;
; No admin rights: on Windows 2000 and later it installs for the current user alone (a
; folder under the user's local application data, the entry under HKCU). The 95 family
; has no per-user folders and no rights to ask for: there it installs under Program
; Files for every user. A running copy is ended before its files are replaced or
; removed.
;
;   makensis -DVERSION=1.00 -DSTAGE=DIR -DOUTFILE=SETUP.exe setup/nowplaying.nsi
; scripts/dist.sh runs it on the files it has staged for the zip (STAGE holds
; nowplaying.exe and README.txt), so the setup installs the zip's bytes.

; ANSI, so that Windows 95, 98 and ME run it.
Unicode false
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include LogicLib.nsh
!include MUI2.nsh
!include WinMessages.nsh
!include WinVer.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\nowplaying"
; The program's About window, which every running copy has, shown or hidden.
!define WINDOW_CLASS "nowplaying.frmMain"
!define SYNCHRONIZE 0x00100000
!define END_TIMEOUT_MS 5000

Name "nowplaying"
OutFile "${OUTFILE}"
BrandingText "nowplaying ${VERSION}"
ShowInstDetails show
ManifestDPIAware true

!define MUI_ICON "..\app\resources\nowplaying.ico"
!define MUI_UNICON "..\app\resources\nowplaying.ico"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\nowplaying.exe"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The same choice in the setup and in the uninstaller: where the program goes and
; which Start menu, Startup folder and registry root (SHCTX) it uses.
!macro CHOOSE_CONTEXT
    ${If} ${IsNT}
    ${AndIf} "$LOCALAPPDATA" != ""
        SetShellVarContext current
        StrCpy $0 "$LOCALAPPDATA\Programs\nowplaying"
    ${Else}
        SetShellVarContext all
        StrCpy $0 "$PROGRAMFILES\nowplaying"
    ${EndIf}
!macroend

; Ends a running copy the way its own window would: WM_CLOSE to the About window
; removes the icon and ends the program. Its process is waited for, since its file
; stays in use until it has ended.
!macro END_RUNNING_COPY un
Function ${un}EndRunningCopy
    FindWindow $0 "${WINDOW_CLASS}"
    ${If} $0 = 0
        Return
    ${EndIf}
    DetailPrint "Ending the running nowplaying"
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
    System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2"
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=${END_TIMEOUT_MS}
    System::Call "kernel32::WaitForSingleObject(p r2, i ${END_TIMEOUT_MS}) i .r3"
    System::Call "kernel32::CloseHandle(p r2)"
    ${If} $3 <> 0
        MessageBox MB_OK|MB_ICONEXCLAMATION "nowplaying is still running and did not end when asked to. \
            Its files may stay as they are: end it from its icon's menu (Exit) and run this again." /SD IDOK
    ${EndIf}
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPY ""
!insertmacro END_RUNNING_COPY "un."

Function .onInit
    !insertmacro CHOOSE_CONTEXT
    ; /D= sets the folder before this runs; otherwise an earlier install's folder, so
    ; that installing again replaces it.
    ${If} $INSTDIR == ""
        ReadRegStr $INSTDIR SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${EndIf}
    ${If} $INSTDIR == ""
        StrCpy $INSTDIR $0
    ${EndIf}
FunctionEnd

Section "nowplaying" SecProgram
    SectionIn RO
    Call EndRunningCopy
    SetOutPath "$INSTDIR"
    File "${STAGE}/nowplaying.exe"
    File "${STAGE}/README.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\nowplaying.lnk" "$INSTDIR\nowplaying.exe"

    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "nowplaying"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\nowplaying.exe,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    SectionGetSize ${SecProgram} $0
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Run: Minimized, as a user would set it in the shortcut's properties (NSIS writes
; SW_SHOWMINIMIZED as SW_SHOWMINNOACTIVE): the program then opens no window.
Section "Start nowplaying at log-on" SecStartup
    CreateShortcut "$SMSTARTUP\nowplaying.lnk" "$INSTDIR\nowplaying.exe" "" "" 0 SW_SHOWMINIMIZED
SectionEnd

Function un.onInit
    !insertmacro CHOOSE_CONTEXT
FunctionEnd

Section "Uninstall"
    Call un.EndRunningCopy
    Delete "$SMPROGRAMS\nowplaying.lnk"
    Delete "$SMSTARTUP\nowplaying.lnk"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    Delete "$INSTDIR\nowplaying.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\uninstall.exe"
    ; Only when empty, since a folder chosen with /D may hold the user's own files too;
    ; last, so that the folder's going means the uninstall is complete. The uninstaller
    ; works in the folder, which cannot go while it is any process's current folder.
    SetOutPath "$TEMP"
    RMDir "$INSTDIR"
SectionEnd
