; The installer of Zolvik32: a per-user installation into the user's
; programs folder, without administrator rights (the settings live in the
; current user's registry anyway). Built from the files of the win32 build:
;   makensis -DVERSION=1.1.0 -DSOURCE=<repository> -DBIN32=<win32 build>
;            -DOUTFILE=<Zolvik32-Setup.exe> zolvik32.nsi
; Silent use: Zolvik32-Setup.exe /S [/NOAUTOSTART] [/D=folder], exit code 0,
; 3010 when the new files take their place only at the next logon, 2 when
; refused; Deinstallieren.exe /S [/REMOVESETTINGS].
; A test build names the account it runs under instead of asking Windows:
;   -DTEST_ELEVATION=<token elevation type> -DTEST_SID=<the user's SID>
Unicode true
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

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
!define PROCESS_TERMINATE 0x0001
!define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
!define TH32CS_SNAPTHREAD 0x4
; Version 1.1.0 served 64-bit programs with a companion of its own, a host
; program and its hook library. Nothing installs them any more; the
; installer and the uninstaller end the host and remove both where an
; earlier installation left them.
!define COMPANION "Zolvik64.exe"
!define COMPANION_LIBRARY "Zolhook64.dll"
!define COMPANION_GRACE 5000
; Files that running programs still map are moved out of the way into one
; of these folders, the second where the first lies on another volume
; (Windows moves such a file only within its volume); the next logon
; removes both.
!define ASIDE "$TEMP\Zolvik32-alt"
!define ASIDE_BESIDE "$INSTDIR-alt"
!define CLEANUP_VALUE "Zolvik32 alte Dateien"
; When even that fails, the new files wait beside the old ones under this
; suffix, and the uninstaller puts them in place at the next logon, all
; together, before the tray program starts: the program imports its library
; by ordinal, and an old library under a new program would stay for good.
!define NEW_SUFFIX ".neu"
!define REPLACE_OPTION "/ERSETZEN"
!define REPLACE_COMMAND '"$INSTDIR\${UNINSTALLER}" ${REPLACE_OPTION}'
!define REPLACE_VALUE "Zolvik32 neue Dateien"
!define START_COMMAND '"$INSTDIR\Zolvik32.exe"'
; Token elevation type of the elevated half of a split token (User Account
; Control); the SID of the system account.
!define TOKEN_ELEVATION_FULL 2
!define SYSTEM_SID "S-1-5-18"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Zolvik32"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

Var RestartNeeded
Var StartCommand

!define MUI_ICON "${SOURCE}/tray/win32/zolvik32.ico"
!define MUI_UNICON "${SOURCE}/tray/win32/zolvik32.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Zolvik32.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Zolvik32 jetzt starten"
; A logon is all the new files wait for.
!define MUI_FINISHPAGE_REBOOTLATER_DEFAULT
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
; still removes its hooks after the window is gone.
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

; The 1.1.0 host has no window: it runs until its tray program ends or its
; thread receives WM_QUIT, and then removes its hook. One left running, say
; beside a tray program that no longer answers, gets WM_QUIT in each of its
; threads first, and is ended by force only when it has not gone after a
; while. Only the host of this installation's folder is ended.
!macro END_COMPANION un
; Process $4, opened as $3 when it runs this installation's host, else $3
; is 0.
Function ${un}OpenCompanion
    System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE}|${PROCESS_TERMINATE}|${PROCESS_QUERY_LIMITED_INFORMATION}, i 0, i r4) p .r3"
    ${If} $3 P= 0
        Return
    ${EndIf}
    System::Call "kernel32::QueryFullProcessImageNameW(p r3, i 0, w .r5, *i ${NSIS_MAX_STRLEN}) i .r6"
    ${If} $6 == 0
    ${OrIf} $5 != "$INSTDIR\${COMPANION}"
        System::Call "kernel32::CloseHandle(p r3)"
        StrCpy $3 0
    ${EndIf}
FunctionEnd

; Walks the threads of the system: $9 "quit" posts WM_QUIT to each thread
; of the host, "end" waits for the host and ends it when it stays. The
; threads of a process come one after another: a process is looked at
; again only when it is the host.
Function ${un}VisitCompanionThreads
    System::Call "kernel32::CreateToolhelp32Snapshot(i ${TH32CS_SNAPTHREAD}, i 0) p .r0"
    ${If} $0 P= -1
        Return
    ${EndIf}
    System::Call "*(i 28, i, i, i, i, i, i) p .r1"
    System::Call "kernel32::Thread32First(p r0, p r1) i .r2"
    StrCpy $8 ""
    ${DoWhile} $2 != 0
        System::Call "*$1(i, i, i .r7, i .r4)"
        StrCpy $3 0
        ${If} $4 != $8
            Call ${un}OpenCompanion
            StrCpy $8 $4
        ${EndIf}
        ${If} $3 P<> 0
            StrCpy $8 ""
            ${If} $9 == "quit"
                System::Call "user32::PostThreadMessageW(i r7, i ${WM_QUIT}, p 0, p 0)"
            ${Else}
                System::Call "kernel32::WaitForSingleObject(p r3, i ${COMPANION_GRACE}) i .r4"
                ${If} $4 != 0
                    System::Call "kernel32::TerminateProcess(p r3, i 1)"
                    System::Call "kernel32::WaitForSingleObject(p r3, i ${COMPANION_GRACE})"
                ${EndIf}
            ${EndIf}
            System::Call "kernel32::CloseHandle(p r3)"
        ${EndIf}
        System::Call "kernel32::Thread32Next(p r0, p r1) i .r2"
    ${Loop}
    System::Free $1
    System::Call "kernel32::CloseHandle(p r0)"
FunctionEnd

Function ${un}EndCompanion
    StrCpy $9 "quit"
    Call ${un}VisitCompanionThreads
    StrCpy $9 "end"
    Call ${un}VisitCompanionThreads
FunctionEnd
!macroend
!insertmacro END_COMPANION ""
!insertmacro END_COMPANION "un."

; After the hook is gone a library stays mapped in running programs until
; Windows unloads it from each: Windows lets such a file be renamed, also
; into another folder of the same volume, but not deleted.
!macro LIBRARY_FUNCTIONS un
; $R9 into the folder on the stack; $R8 is where it went, or "".
Function ${un}MoveAside
    Exch $R7
    StrCpy $R8 ""
    CreateDirectory "$R7"
    ClearErrors
    GetTempFileName $R6 "$R7"
    ${IfNot} ${Errors}
        Delete "$R6"
        Rename "$R9" "$R6"
        ${IfNot} ${FileExists} "$R9"
            StrCpy $R8 $R6
        ${EndIf}
    ${EndIf}
    Pop $R7
FunctionEnd

; $R9 out of its folder; $R8 is where it went, or "" when it stayed or was
; not there.
Function ${un}TakeAside
    StrCpy $R8 ""
    ${IfNot} ${FileExists} "$R9"
        Return
    ${EndIf}
    Push "${ASIDE}"
    Call ${un}MoveAside
    ${If} $R8 == ""
        Push "${ASIDE_BESIDE}"
        Call ${un}MoveAside
    ${EndIf}
    ${If} $R8 != ""
        WriteRegStr HKCU "${RUNONCE_KEY}" "${CLEANUP_VALUE}" \
            '"$SYSDIR\cmd.exe" /c rmdir /s /q "${ASIDE}" & rmdir /s /q "${ASIDE_BESIDE}"'
    ${EndIf}
FunctionEnd

; Every old library out of the installation folder, or none of them: $R5
; is 1 when they all stay, since one of them could not go.
Function ${un}ClearLibraries
    StrCpy $R9 "$INSTDIR\Zolhook.dll"
    Call ${un}TakeAside
    StrCpy $R4 $R8
    StrCpy $R9 "$INSTDIR\${COMPANION_LIBRARY}"
    Call ${un}TakeAside
    StrCpy $R3 $R8
    StrCpy $R5 0
    ${If} ${FileExists} "$INSTDIR\Zolhook.dll"
    ${OrIf} ${FileExists} "$INSTDIR\${COMPANION_LIBRARY}"
        StrCpy $R5 1
        ${If} $R4 != ""
            Rename "$R4" "$INSTDIR\Zolhook.dll"
        ${EndIf}
        ${If} $R3 != ""
            Rename "$R3" "$INSTDIR\${COMPANION_LIBRARY}"
        ${EndIf}
    ${Else}
        ; Those that no program uses go at once.
        Delete "$R4"
        Delete "$R3"
    ${EndIf}
FunctionEnd

; $R9 gone, unless it is in use and cannot even move.
Function ${un}RemoveFile
    Delete "$R9"
    Call ${un}TakeAside
FunctionEnd
!macroend
!insertmacro LIBRARY_FUNCTIONS ""
!insertmacro LIBRARY_FUNCTIONS "un."

; The account check: the system is installed for the user who is logged on
; and runs with that user's rights. Run elevated, the installer would put
; it into the profile of whoever gave the administrator's password, and
; start a tray program whose sound requests and hook questions User
; Interface Privilege Isolation then holds back; run as SYSTEM, into the
; system's profile, where no one types.
; Without User Account Control a token is never split, and an
; administrator's programs all run with the full token: those accounts may
; install. Under Wine every process holds the elevated token.
Function AccountFacts
!ifdef TEST_ELEVATION
    StrCpy $0 ${TEST_ELEVATION}
    StrCpy $1 ${TEST_SID}
!else
    StrCpy $0 0
    StrCpy $1 ""
    System::Call "advapi32::OpenProcessToken(p -1, i 8, *p .r2) i .r3"
    ${If} $3 != 0
        System::Call "advapi32::GetTokenInformation(p r2, i 18, *i .r0, i 4, *i .r3) i .r3"
        System::Alloc 256
        Pop $4
        System::Call "advapi32::GetTokenInformation(p r2, i 1, p r4, i 256, *i .r3) i .r3"
        ${If} $3 != 0
            System::Call "*$4(p .r5)"
            System::Call "advapi32::ConvertSidToStringSidW(p r5, *p .r6) i .r3"
            ${If} $3 != 0
                System::Call "*$6(&w128 .r1)"
                System::Call "kernel32::LocalFree(p r6)"
            ${EndIf}
        ${EndIf}
        System::Free $4
        System::Call "kernel32::CloseHandle(p r2)"
    ${EndIf}
    System::Call "kernel32::GetModuleHandleW(w 'ntdll.dll') p .r2"
    System::Call "kernel32::GetProcAddress(p r2, m 'wine_get_version') p .r3"
    ${If} $3 P<> 0
        StrCpy $0 0
    ${EndIf}
!endif
FunctionEnd

Function RefuseForeignAccount
    Call AccountFacts
    ${If} $1 == "${SYSTEM_SID}"
        MessageBox MB_ICONSTOP|MB_OK "Das Setup läuft unter dem Systemkonto (SYSTEM). Zolvik32 wird für das Benutzerkonto eingerichtet, das es verwendet.$\r$\n$\r$\nBitte starten Sie Zolvik32-Setup.exe als dieser Benutzer." /SD IDOK
    ${ElseIf} $0 == ${TOKEN_ELEVATION_FULL}
        MessageBox MB_ICONSTOP|MB_OK "Das Setup wurde mit Administratorrechten gestartet. Zolvik32 wird ohne diese Rechte für Ihr eigenes Benutzerkonto eingerichtet.$\r$\n$\r$\nBitte starten Sie Zolvik32-Setup.exe erneut, ohne „Als Administrator ausführen“." /SD IDOK
    ${Else}
        Return
    ${EndIf}
    SetErrorLevel 2
    Quit
FunctionEnd

; The files that must come from one version, with the suffix they are
; written under.
!macro PROGRAM_FILES suffix
    File "/oname=$INSTDIR\Zolvik32.exe${suffix}" "${BIN32}/Zolvik32.exe"
    File "/oname=$INSTDIR\Zolhook.dll${suffix}" "${BIN32}/Zolhook.dll"
!if /FileExists "${BIN32}/Zolsetup.exe"
    File "/oname=$INSTDIR\Zolsetup.exe${suffix}" "${BIN32}/Zolsetup.exe"
!endif
!macroend

!macro UNINSTALL_FILE name
    StrCpy $R9 "$INSTDIR\${name}"
    Call un.RemoveFile
!macroend

Section "Zolvik32" SecProgram
    SectionIn RO
    Call EndRunningSystem
    Call EndCompanion
    ; Version 1.1.0 replaced each library on its own at logon.
    DeleteRegValue HKCU "${RUNONCE_KEY}" "Zolvik32 Zolhook.dll"
    DeleteRegValue HKCU "${RUNONCE_KEY}" "Zolvik32 ${COMPANION_LIBRARY}"
    DeleteRegValue HKCU "${RUNONCE_KEY}" "${REPLACE_VALUE}"
    Delete "$INSTDIR\*${NEW_SUFFIX}"
    SetOutPath "$INSTDIR"
    Call ClearLibraries
    StrCpy $RestartNeeded $R5
    ${If} $RestartNeeded == 1
        !insertmacro PROGRAM_FILES "${NEW_SUFFIX}"
        StrCpy $StartCommand '${REPLACE_COMMAND}'
        SetRebootFlag true
    ${Else}
        !insertmacro PROGRAM_FILES ""
        StrCpy $R9 "$INSTDIR\${COMPANION}"
        Call RemoveFile
        StrCpy $StartCommand '${START_COMMAND}'
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

; The same Run value the configuration program manages: the program's
; quoted path, or, while new files wait, the command that puts them in
; place and then starts it.
Section "Mit Windows starten" SecAutostart
    WriteRegStr HKCU "${RUN_KEY}" "Zolvik32" $StartCommand
SectionEnd

; Offered on a first installation only, so that the system does something
; useful at once; an existing configuration is never touched.
Section "Beispielkonfiguration (Büro, deutsch)" SecExample
    nsExec::ExecToLog '"$SYSDIR\reg.exe" import "$INSTDIR\Beispiele\german-office.reg"'
    Pop $0
SectionEnd

; While new files wait, the previous version, still whole, runs on until
; the next logon; the finish page then offers no start.
Section "-Start"
    ${If} $RestartNeeded == 1
        ${IfNot} ${SectionIsSelected} ${SecAutostart}
            WriteRegStr HKCU "${RUNONCE_KEY}" "${REPLACE_VALUE}" '${REPLACE_COMMAND}'
        ${EndIf}
        MessageBox MB_ICONINFORMATION|MB_OK "Eine Programmbibliothek von Zolvik32 wird noch von laufenden Programmen verwendet. Die neue Version wird bei Ihrer nächsten Anmeldung eingesetzt; bis dahin läuft die bisherige weiter." /SD IDOK
    ${EndIf}
    ${If} $RestartNeeded == 1
    ${OrIf} ${Silent}
        Exec '${START_COMMAND}'
    ${EndIf}
SectionEnd

Function .onInstSuccess
    ${If} $RestartNeeded == 1
        SetErrorLevel 3010
    ${EndIf}
FunctionEnd

Function .onInit
    Call RefuseForeignAccount
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
    Call un.EndCompanion
    !insertmacro UNINSTALL_FILE "Zolvik32.exe"
    !insertmacro UNINSTALL_FILE "Zolsetup.exe"
    !insertmacro UNINSTALL_FILE "${COMPANION}"
    !insertmacro UNINSTALL_FILE "Zolhook.dll"
    !insertmacro UNINSTALL_FILE "${COMPANION_LIBRARY}"
    Delete "$INSTDIR\*${NEW_SUFFIX}"
    RMDir /r "$INSTDIR\Beispiele"
    RMDir /r "$INSTDIR\Dokumentation"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    RMDir /r "${STARTMENU}"
    ReadRegStr $0 HKCU "${RUN_KEY}" "Zolvik32"
    ${If} $0 == '${START_COMMAND}'
    ${OrIf} $0 == '${REPLACE_COMMAND}'
        DeleteRegValue HKCU "${RUN_KEY}" "Zolvik32"
    ${EndIf}
    DeleteRegValue HKCU "${RUNONCE_KEY}" "${REPLACE_VALUE}"
    DeleteRegValue HKCU "${RUNONCE_KEY}" "Zolvik32 Zolhook.dll"
    DeleteRegValue HKCU "${RUNONCE_KEY}" "Zolvik32 ${COMPANION_LIBRARY}"
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

; At the logon after an installation that had to leave its files waiting:
; while an old library is still in use the old files all stay as they are;
; otherwise every waiting file takes its place, and the 1.1.0 companion
; goes. The tray program starts afterwards when the Run value says so,
; which then says so again in the form the configuration program writes.
!macro TAKE_NEW_FILE name
    ${If} ${FileExists} "$INSTDIR\${name}${NEW_SUFFIX}"
        StrCpy $R9 "$INSTDIR\${name}"
        Call un.RemoveFile
        Rename "$INSTDIR\${name}${NEW_SUFFIX}" "$INSTDIR\${name}"
    ${EndIf}
!macroend

Function un.PutNewFilesInPlace
    ReadRegStr $0 HKCU "${RUN_KEY}" "Zolvik32"
    StrCpy $R5 0
    ${If} ${FileExists} "$INSTDIR\Zolvik32.exe${NEW_SUFFIX}"
        Call un.ClearLibraries
        ${If} $R5 == 0
            !insertmacro TAKE_NEW_FILE "Zolhook.dll"
            !insertmacro TAKE_NEW_FILE "Zolvik32.exe"
            !insertmacro TAKE_NEW_FILE "Zolsetup.exe"
            StrCpy $R9 "$INSTDIR\${COMPANION}"
            Call un.RemoveFile
        ${ElseIf} $0 != '${REPLACE_COMMAND}'
            WriteRegStr HKCU "${RUNONCE_KEY}" "${REPLACE_VALUE}" '${REPLACE_COMMAND}'
        ${EndIf}
    ${EndIf}
    ${If} $0 == '${REPLACE_COMMAND}'
        ${If} $R5 == 0
            WriteRegStr HKCU "${RUN_KEY}" "Zolvik32" '${START_COMMAND}'
        ${EndIf}
        Exec '${START_COMMAND}'
    ${EndIf}
FunctionEnd

Function un.onInit
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "${REPLACE_OPTION}" $R1
    ${IfNot} ${Errors}
        Call un.PutNewFilesInPlace
        Quit
    ${EndIf}
    ClearErrors
    ${GetOptions} $R0 "/REMOVESETTINGS" $R1
    ${IfNot} ${Errors}
        SectionSetFlags ${UnSecSettings} ${SF_SELECTED}
    ${EndIf}
FunctionEnd
