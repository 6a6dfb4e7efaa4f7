; The setup program of the download. It installs the program and its README.txt, a
; Start menu shortcut and, by choice, one in the Startup folder that starts the program
; minimized, so that at log-on only its icon appears (on a first install by default,
; installed again as the install it replaces had it); it writes the Add/Remove Programs
; entry and the uninstaller, which takes all of that away again.
;
; No admin rights: on Windows 2000 and later it installs for the current user alone (a
; folder under the user's local application data, the entry under HKCU). The 95 family
; has no per-user folders and no rights to ask for: there it installs under Program
; Files for every user. A running copy is ended before its files are replaced or
; removed; the setup starts the new one again once it is in place.
;
;   makensis -DVERSION=1.00 -DWINDOW_CLASS=nowplaying.frmMain -DSTAGE=DIR -DOUTFILE=SETUP.exe setup/nowplaying.nsi
; scripts/dist.sh runs it on the files it has staged for the zip (STAGE holds
; nowplaying.exe and README.txt), so the setup installs the zip's bytes. The build hands
; it the version and the class of the program's About window, which every running copy
; has, from app/resources/resource.h.

; ANSI, so that Windows 95, 98 and ME run it.
Unicode false
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include LogicLib.nsh
!include MUI2.nsh
!include Sections.nsh
!include WinMessages.nsh
!include WinVer.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\nowplaying"
!define SYNCHRONIZE 0x00100000
!define END_TIMEOUT_MS 5000
!define /math END_POLLS ${END_TIMEOUT_MS} / 100
!define CSIDL_PROGRAMS 0x02
!define CSIDL_STARTUP 0x07
!define CSIDL_LOCAL_APPDATA 0x1c
!define WC_NO_BEST_FIT_CHARS 0x400
; The wide path at r8 in the ANSI code page into r9; r6 is 0 when no character was lost.
!define TO_ANSI "kernel32::WideCharToMultiByte(i 0, i ${WC_NO_BEST_FIT_CHARS}, p r8, i -1, m .r9, \
    i ${NSIS_MAX_STRLEN}, p 0, *i .r6)"

; The two shortcuts' paths (see CHOOSE_CONTEXT).
Var StartMenuLink
Var StartupLink
; 1 once the setup has ended a running copy, which it then starts again.
Var Restart

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
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The setup is ANSI, so that the 95 family runs it, and on NT the system hands it the
; user's folders through the ANSI code page: in a profile folder whose name the code page
; cannot hold (a Cyrillic user name on a Western system) they arrive with question marks
; or look-alike letters, and lead nowhere. Such a folder is named by its short name, which
; the system makes of characters that the code page holds.
; AnsiPath(csidl, name), on the stack, gives the path of name in the folder csidl, or ""
; when the setup cannot name that folder (a disk that keeps no short names). It changes
; $5 to $9.
!macro ANSI_PATH un
Function ${un}AnsiPath
    Pop $9
    Pop $5
    System::Call "*(&w${NSIS_MAX_STRLEN}) p .r8"
    System::Call "shell32::SHGetFolderPathW(p 0, i r9, p 0, i 0, p r8) i .r7"
    System::Call "${TO_ANSI}"
    ${If} $6 <> 0
        System::Call "kernel32::GetShortPathNameW(p r8, p r8, i ${NSIS_MAX_STRLEN})"
        System::Call "${TO_ANSI}"
    ${EndIf}
    System::Free $8
    ${If} $7 <> 0
    ${OrIf} $6 <> 0
        Push ""
    ${Else}
        Push "$9\$5"
    ${EndIf}
FunctionEnd
!macroend
!insertmacro ANSI_PATH ""
!insertmacro ANSI_PATH "un."

; The same choice in the setup and in the uninstaller: where the program goes ($0; ""
; when the setup cannot name the folder) and which Start menu, Startup folder and
; registry root (SHCTX) it uses.
!macro CHOOSE_CONTEXT un
    ${If} ${IsNT}
    ${AndIf} "$LOCALAPPDATA" != ""
        SetShellVarContext current
        StrCpy $0 "$LOCALAPPDATA\Programs\nowplaying"
    ${Else}
        SetShellVarContext all
        StrCpy $0 "$PROGRAMFILES\nowplaying"
    ${EndIf}
    StrCpy $StartMenuLink "$SMPROGRAMS\nowplaying.lnk"
    StrCpy $StartupLink "$SMSTARTUP\nowplaying.lnk"
    ${If} ${AtLeastWin2000}
    ${AndIf} "$LOCALAPPDATA" != ""
        Push "Programs\nowplaying"
        Push ${CSIDL_LOCAL_APPDATA}
        Push "nowplaying.lnk"
        Push ${CSIDL_PROGRAMS}
        Push "nowplaying.lnk"
        Push ${CSIDL_STARTUP}
        Call ${un}AnsiPath
        Pop $StartupLink
        Call ${un}AnsiPath
        Pop $StartMenuLink
        Call ${un}AnsiPath
        Pop $0
    ${EndIf}
!macroend

; Ends a running copy the way its own window would: WM_CLOSE to the About window
; removes the icon and ends the program. Its process is waited for, since its file
; stays in use until it has ended; a process the setup cannot open (one that has just
; ended, or runs with other rights) through its window instead. Only a copy still
; running then is reported.
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
    ${If} $2 <> 0
        System::Call "kernel32::WaitForSingleObject(p r2, i ${END_TIMEOUT_MS}) i .r3"
        System::Call "kernel32::CloseHandle(p r2)"
    ${Else}
        ${For} $1 1 ${END_POLLS}
            System::Call "user32::IsWindow(p r0) i .r3"
            ${IfThen} $3 = 0 ${|} ${ExitFor} ${|}
            Sleep 100
        ${Next}
    ${EndIf}
    ${If} $3 <> 0
        MessageBox MB_OK|MB_ICONEXCLAMATION "nowplaying is still running and did not end when asked to. \
            Its files may stay as they are: end it from its icon's menu (Exit) and run this again." /SD IDOK
    ${Else}
        StrCpy $Restart 1
    ${EndIf}
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPY ""
!insertmacro END_RUNNING_COPY "un."

Section "nowplaying" SecProgram
    SectionIn RO
    Call EndRunningCopy
    SetOutPath "$INSTDIR"
    File "${STAGE}/nowplaying.exe"
    File "${STAGE}/README.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut $StartMenuLink "$INSTDIR\nowplaying.exe"
    ; The Startup section makes it again when chosen.
    Delete $StartupLink

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
    CreateShortcut $StartupLink "$INSTDIR\nowplaying.exe" "" "" 0 SW_SHOWMINIMIZED
SectionEnd

; The copy that the setup ended starts again, minimized as from the Startup folder: only
; its icon appears. Package managers upgrade silently, and the program would otherwise
; stay gone until the next log-on.
Section "-Restart"
    ${If} $Restart == 1
        ExecShell "" "$INSTDIR\nowplaying.exe" "" SW_SHOWMINIMIZED
    ${EndIf}
SectionEnd

Function .onInit
    !insertmacro CHOOSE_CONTEXT ""
    ; The install this one replaces: the Startup choice it was made with, which its
    ; shortcut shows (a first install has it), and its folder, unless /D= sets one.
    ReadRegStr $1 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $1 != ""
    ${AndIfNot} ${FileExists} $StartupLink
        !insertmacro UnselectSection ${SecStartup}
    ${EndIf}
    ${If} $INSTDIR == ""
        StrCpy $INSTDIR $1
    ${EndIf}
    ${If} $INSTDIR == ""
        StrCpy $INSTDIR $0
    ${EndIf}
    ${If} $INSTDIR == ""
        MessageBox MB_OK|MB_ICONSTOP "This setup cannot reach your user profile's folders, whose name \
            Windows cannot pass to it. It has changed nothing. Run it again with the folder to install \
            to as its last argument (nowplaying-${VERSION}-setup.exe /D=C:\Some\Folder); it then makes no \
            Start menu or Startup shortcut." /SD IDOK
        Abort
    ${EndIf}
FunctionEnd

; An upgrade that ended the program has already started it again; the finish page's
; Run is for a first install.
Function FinishShow
    ${If} $Restart == 1
        SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
        ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    ${EndIf}
FunctionEnd

Function un.onInit
    !insertmacro CHOOSE_CONTEXT "un."
    ; Started from a folder whose name reaches it with question marks, the uninstaller
    ; works in the folder the setup wrote down.
    ${IfNot} ${FileExists} "$INSTDIR\uninstall.exe"
        ReadRegStr $INSTDIR SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Call un.EndRunningCopy
    Delete $StartMenuLink
    Delete $StartupLink
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
