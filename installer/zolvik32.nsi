; The installer of Zolvik32: a per-user installation into the user's
; programs folder, without administrator rights (the settings live in the
; current user's registry anyway). Built by the win64 preset:
;   makensis -DVERSION=1.1.0 -DSOURCE=<repository> -DBIN32=<win32 build>
;            -DBIN64=<win64 build> -DOUTFILE=<Zolvik32-Setup.exe> zolvik32.nsi
; Silent use: Zolvik32-Setup.exe /S [/NOAUTOSTART] [/D=folder];
; Deinstallieren.exe /S [/REMOVESETTINGS].
Unicode true
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "x64.nsh"

!define PRODUCT "Zolvik32"
!define PUBLISHER "Quendlin"
!define UNINSTALLER "Deinstallieren.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zolvik32"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
!define SYSTEM_KEY "Software\Quendlin\Zolvik32"
!define SCHEME_KEY "AppEvents\Schemes\Apps\Zolvik32"
!define STARTMENU "$SMPROGRAMS\Zolvik32"
!define SYNCHRONIZE 0x00100000
; Files that running programs still map are moved here, out of the way; the
; next logon removes the folder.
!define ASIDE "$TEMP\Zolvik32-alt"
!define CLEANUP_VALUE "Zolvik32 alte Dateien"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Zolvik32"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

Var RestartNeeded

!define MUI_ICON "${SOURCE}/tray/win32/zolvik32.ico"
!define MUI_UNICON "${SOURCE}/tray/win32/zolvik32.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Zolvik32.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Zolvik32 jetzt starten"
!define MUI_FINISHPAGE_RUN_NOTCHECKED_IF_RESTART
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_GERMAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_GERMAN} "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductVersion" "${VERSION}"

; The running system is ended the way every program may end it: WM_CLOSE
; to the tray program's control window. Its process is waited for, since it
; still removes its hook and ends its 64-bit host after the window is gone.
!macro END_RUNNING_SYSTEM un
Function ${un}EndRunningSystem
    FindWindow $0 "Zolvik32" "Zolvik32"
    ${If} $0 == 0
        Return
    ${EndIf}
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
    System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2"
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    ${If} $2 P<> 0
        System::Call "kernel32::WaitForSingleObject(p r2, i 15000)"
        System::Call "kernel32::CloseHandle(p r2)"
    ${EndIf}
FunctionEnd
!macroend
!insertmacro END_RUNNING_SYSTEM ""
!insertmacro END_RUNNING_SYSTEM "un."

; After the hook is gone a library stays mapped in running programs until
; Windows unloads it from each: Windows lets such a file be renamed, also
; into another folder of the same drive, but not deleted. $R9 is the file;
; it is gone afterwards unless even the move failed.
!macro REMOVE_FILE un
Function ${un}RemoveFile
    ClearErrors
    Delete "$R9"
    ${IfNot} ${FileExists} "$R9"
        Return
    ${EndIf}
    CreateDirectory "${ASIDE}"
    GetTempFileName $R8 "${ASIDE}"
    Delete "$R8"
    ClearErrors
    Rename "$R9" "$R8"
    ${IfNot} ${Errors}
        WriteRegStr HKCU "${RUNONCE_KEY}" "${CLEANUP_VALUE}" \
            '"$SYSDIR\cmd.exe" /c rmdir /s /q "${ASIDE}"'
    ${EndIf}
FunctionEnd
!macroend
!insertmacro REMOVE_FILE ""
!insertmacro REMOVE_FILE "un."

; When the old library can neither be deleted nor moved, the new one waits
; beside it and takes its place at the next logon.
!macro INSTALL_LIBRARY folder name
    StrCpy $R9 "$INSTDIR\${name}"
    Call RemoveFile
    ${If} ${FileExists} "$INSTDIR\${name}"
        File "/oname=$INSTDIR\${name}.neu" "${folder}/${name}"
        WriteRegStr HKCU "${RUNONCE_KEY}" "Zolvik32 ${name}" \
            '"$SYSDIR\cmd.exe" /c move /y "$INSTDIR\${name}.neu" "$INSTDIR\${name}"'
        StrCpy $RestartNeeded 1
        SetRebootFlag true
    ${Else}
        File "${folder}/${name}"
    ${EndIf}
!macroend

!macro UNINSTALL_FILE name
    StrCpy $R9 "$INSTDIR\${name}"
    Call un.RemoveFile
!macroend

Section "Zolvik32" SecProgram
    SectionIn RO
    Call EndRunningSystem
    SetOutPath "$INSTDIR"
    File "${BIN32}/Zolvik32.exe"
    !insertmacro INSTALL_LIBRARY "${BIN32}" "Zolhook.dll"
!if /FileExists "${BIN32}/Zolsetup.exe"
    File "${BIN32}/Zolsetup.exe"
!endif
    ${If} ${RunningX64}
        File "${BIN64}/Zolvik64.exe"
        !insertmacro INSTALL_LIBRARY "${BIN64}" "Zolhook64.dll"
    ${EndIf}
    SetOutPath "$INSTDIR\Beispiele"
    File "${SOURCE}/examples/*.reg"
    SetOutPath "$INSTDIR\Dokumentation"
    File "${SOURCE}/docs/user-guide.md"
!if /FileExists "${BIN32}/Dokumentation/index.html"
    File "${BIN32}/Dokumentation/*.html"
!endif
    SetOutPath "$INSTDIR\Dokumentation\images"
    File "${SOURCE}/docs/images/*.png"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    CreateDirectory "${STARTMENU}"
    CreateShortcut "${STARTMENU}\Zolvik32.lnk" "$INSTDIR\Zolvik32.exe"
!if /FileExists "${BIN32}/Zolsetup.exe"
    CreateShortcut "${STARTMENU}\Zolvik32 einrichten.lnk" "$INSTDIR\Zolsetup.exe"
!endif
    CreateShortcut "${STARTMENU}\Benutzerhandbuch.lnk" "$WINDIR\notepad.exe" \
        '"$INSTDIR\Dokumentation\user-guide.md"'
    CreateShortcut "${STARTMENU}\Zolvik32 deinstallieren.lnk" "$INSTDIR\${UNINSTALLER}"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Zolvik32.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The same Run value the configuration program manages.
Section "Mit Windows starten" SecAutostart
    WriteRegStr HKCU "${RUN_KEY}" "Zolvik32" '"$INSTDIR\Zolvik32.exe"'
SectionEnd

; Offered on a first installation only, so that the system does something
; useful at once; an existing configuration is never touched.
Section "Beispielkonfiguration (Büro, deutsch)" SecExample
    nsExec::ExecToLog '"$SYSDIR\reg.exe" import "$INSTDIR\Beispiele\german-office.reg"'
    Pop $0
SectionEnd

Section "-Start"
    ${If} $RestartNeeded == 1
        MessageBox MB_ICONINFORMATION|MB_OK "Eine Programmbibliothek von Zolvik32 wird noch von laufenden Programmen verwendet. Sie wird bei der nächsten Anmeldung ersetzt; starten Sie Zolvik32 danach." /SD IDOK
    ${ElseIf} ${Silent}
        Exec '"$INSTDIR\Zolvik32.exe"'
    ${EndIf}
SectionEnd

Function .onInit
    StrCpy $RestartNeeded 0
    ; No settings yet: the settings key has no value and there is no macro key.
    ClearErrors
    EnumRegValue $0 HKCU "${SYSTEM_KEY}\Settings" 0
    EnumRegKey $1 HKCU "${SYSTEM_KEY}\Macros" 0
    ${If} $0 != ""
    ${OrIf} $1 != ""
        SectionSetFlags ${SecExample} ${SF_RO}
    ${EndIf}
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/NOAUTOSTART" $R1
    ${IfNot} ${Errors}
        SectionSetFlags ${SecAutostart} 0
    ${EndIf}
FunctionEnd

Section "un.Zolvik32" UnSecProgram
    SectionIn RO
    Call un.EndRunningSystem
    !insertmacro UNINSTALL_FILE "Zolvik32.exe"
    !insertmacro UNINSTALL_FILE "Zolsetup.exe"
    !insertmacro UNINSTALL_FILE "Zolvik64.exe"
    !insertmacro UNINSTALL_FILE "Zolhook.dll"
    !insertmacro UNINSTALL_FILE "Zolhook64.dll"
    Delete "$INSTDIR\*.neu"
    RMDir /r "$INSTDIR\Beispiele"
    RMDir /r "$INSTDIR\Dokumentation"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    RMDir /r "${STARTMENU}"
    ReadRegStr $0 HKCU "${RUN_KEY}" "Zolvik32"
    ${If} $0 == '"$INSTDIR\Zolvik32.exe"'
        DeleteRegValue HKCU "${RUN_KEY}" "Zolvik32"
    ${EndIf}
    DeleteRegValue HKCU "${RUNONCE_KEY}" "Zolvik32 Zolhook.dll"
    DeleteRegValue HKCU "${RUNONCE_KEY}" "Zolvik32 Zolhook64.dll"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; The configuration program names the sound events for Windows' sound
; settings under their event names.
!macro REMOVE_EVENT_LABEL name
    DeleteRegKey HKCU "AppEvents\EventLabels\${name}"
!macroend

Section /o "un.Einstellungen und Makros entfernen" UnSecSettings
    DeleteRegKey HKCU "${SYSTEM_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Quendlin"
    DeleteRegKey HKCU "${SCHEME_KEY}"
    !insertmacro REMOVE_EVENT_LABEL "Ein"
    !insertmacro REMOVE_EVENT_LABEL "Aus"
    !insertmacro REMOVE_EVENT_LABEL "Großschrift"
    !insertmacro REMOVE_EVENT_LABEL "Rollen"
    !insertmacro REMOVE_EVENT_LABEL "Zehnerblock"
    !insertmacro REMOVE_EVENT_LABEL "NUM Punkt"
    !insertmacro REMOVE_EVENT_LABEL "Umlaut"
    !insertmacro REMOVE_EVENT_LABEL "EasyTab"
SectionEnd

Function un.onInit
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/REMOVESETTINGS" $R1
    ${IfNot} ${Errors}
        SectionSetFlags ${UnSecSettings} ${SF_SELECTED}
    ${EndIf}
FunctionEnd
