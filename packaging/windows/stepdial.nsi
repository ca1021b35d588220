; stepdial's installer for Windows 7 SP1 and later, per machine. makensis is given
; VERSION, PUBLISHER, PROGRAM64 and PROGRAM32 (the two stepdial.exe), ICON, FONT
; (DavidCLM-Bold.otf), FONT_LICENCE and OUTFILE. /S installs or uninstalls silently; the
; registered silent uninstallation runs in place (_?=) so that its caller gets its status.
Unicode true
; A 32-bit installer starts on 32-bit Windows as well; on 64-bit Windows it installs the
; 64-bit program.
Target x86-unicode
RequestExecutionLevel admin
ManifestDPIAware true
; Not solid: a solid archive is unpacked into the temporary folder before the script runs,
; and where that folder takes nothing NSIS ends with its own status 2 (see EXIT_NO_TEMP).
SetCompressor lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\stepdial"
!define FONTS_KEY "SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts"
!define SUBSTITUTES_KEY "SOFTWARE\Microsoft\Windows NT\CurrentVersion\FontSubstitutes"
!define FONT_FILE "DavidCLM-Bold.otf"
!define FONT_ENTRY "David CLM Bold (OpenType)"
; Status of a silent run that changed nothing because stepdial runs.
!define EXIT_RUNNING 2
; Status of a run that could not write or remove what it installs.
!define EXIT_FAILED 3
; Status of a run that changed nothing because the temporary folder took nothing: the
; System plug-in unpacks there, and the in-place uninstaller leaves its copy there.
!define EXIT_NO_TEMP 4
; Windows' ERROR_SUCCESS_REBOOT_REQUIRED: done, but a file goes only when Windows restarts.
!define EXIT_RESTART 3010
; A file skipped is a broken installation: a file that cannot be written fails it.
AllowSkipFiles off

Name "stepdial ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "stepdial ${VERSION}"
Icon "${ICON}"
UninstallIcon "${ICON}"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

; The port library of the program this Windows gets.
Var Library
; The outermost of the folders this installation made ($INSTDIR or one above it; it made
; each between them too), or "" when it made none.
Var AddedFolders
; Whether $INSTDIR held no stepdial.exe before: a failed installation then takes back
; what it wrote.
Var Fresh

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 ProductName "stepdial"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 FileDescription "stepdial installer"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 LegalCopyright "Copyright ${PUBLISHER}"

!define MUI_PAGE_CUSTOMFUNCTION_LEAVE RefuseWhileRunning
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; The port library is not ours to ship: the operator brings it.
!define MUI_FINISHPAGE_TEXT "stepdial drives the parallel port through the inpout port library, \
which does not come with it.$\r$\n$\r$\nPut $Library in $INSTDIR, \
beside stepdial.exe, before you start stepdial; stepdial finds a PCI or PCIe card's port \
wherever Windows put it.$\r$\n$\r$\nThe library installs a driver, which memory integrity \
blocks on most new Windows 11 PCs. Uninstalling stepdial leaves its service (inpoutx64; \
inpout32 on 32-bit Windows).\
$\r$\n$\r$\nWithout a parallel port, choose a USB board with an FTDI chip under \
$\"stepdial settings$\" in the Start menu; its library comes with FTDI's driver from Windows Update."
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the folder for $Library"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Functions both the installer and the uninstaller call: UN is "un." for the uninstaller's
; copy, and DONE what it does to stepdial ("installed", "uninstalled").
!macro SHARED_FUNCTIONS UN DONE
; Replaces the path on the stack by the identity of the file or folder it names: its
; volume's serial number and its index on that volume, which every spelling of the path
; shares (a short 8.3 name, another drive letter for a folder above it, "..", letter
; case); "" when it cannot be opened.
Function ${UN}Identity
  Exch $R0
  Push $R1
  Push $R2
  Push $R3
  Push $R4
  ; FILE_READ_ATTRIBUTES, shared every way (a running program's file opens too), OPEN_EXISTING,
  ; FILE_FLAG_BACKUP_SEMANTICS (which a folder needs).
  System::Call 'kernel32::CreateFileW(w R0, i 0x80, i 7, p 0, i 3, i 0x02000000, p 0) p.R1'
  StrCpy $R0 ""
  ${If} $R1 P<> -1
    System::Alloc 52
    Pop $R2
    System::Call 'kernel32::GetFileInformationByHandle(p R1, p R2) i.R3'
    ${If} $R3 <> 0
      ; A BY_HANDLE_FILE_INFORMATION: the serial at byte 28, the index's halves at 44 and 48.
      System::Call '*$R2(i, i, i, i, i, i, i, i .R0, i, i, i, i .R3, i .R4)'
      StrCpy $R0 "$R0:$R3:$R4"
    ${EndIf}
    System::Free $R2
    System::Call 'kernel32::CloseHandle(p R1)'
  ${EndIf}
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

; The System plug-in, which every check below calls, unpacks into the temporary folder.
; Where that folder takes nothing, NSIS would end the run with its own status 2, which
; here means that stepdial runs: this run says what is wrong and ends with EXIT_NO_TEMP.
Function ${UN}RequireTempFolder
  ClearErrors
  GetTempFileName $0
  Delete $0
  CreateDirectory $0
  RMDir $0
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "stepdial cannot be ${DONE}: the temporary folder $TEMP takes no \
files. Make room there or make it writable, then try again." /SD IDOK
    SetErrorLevel ${EXIT_NO_TEMP}
    Quit
  ${EndIf}
  ; A folder that takes an empty one may still be too full for the plug-in.
  SetErrorLevel ${EXIT_NO_TEMP}
  InitPluginsDir
  SetErrorLevel -1
FunctionEnd

; Replaces the Windows error code on the stack by Windows' text for it.
Function ${UN}WindowsReason
  Exch $R0
  System::Call 'kernel32::FormatMessageW(i 0x1200, p 0, i R0, i 0, w .R0, i ${NSIS_MAX_STRLEN}, p 0)'
  Exch $R0
FunctionEnd

; $INSTDIR in its canonical form ("." and ".." resolved, an absolute path): its parents are
; then the folders above it, and it is registered as Windows would spell it.
Function ${UN}CanonicalInstdir
  System::Call 'kernel32::GetFullPathNameW(w "$INSTDIR", i ${NSIS_MAX_STRLEN}, w .r0, p 0) i.r1'
  ${If} $1 > 0
  ${AndIf} $1 < ${NSIS_MAX_STRLEN}
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

; A running stepdial keeps its stepdial.exe: an update would register the new version
; over the old program, and an uninstallation would leave it behind. The operator is
; asked to close it; a silent run changes nothing and ends with EXIT_RUNNING.
;
; Sets $0 to 1 while a process runs $INSTDIR's stepdial.exe. A process's image is the
; file Windows mapped for it: no other program can claim it without running that very
; file, as a name, a window or a named object can be taken by any user's program. It is
; told by identity, as the program may have been started by any spelling of its path.
Function ${UN}StepdialRuns
  Push "$INSTDIR\stepdial.exe"
  Call ${UN}Identity
  Pop $1
  StrCpy $0 0
  ${If} $1 == ""
    Return
  ${EndIf}
  ; TH32CS_SNAPPROCESS; a PROCESSENTRY32W of this 32-bit program is 556 bytes.
  System::Call 'kernel32::CreateToolhelp32Snapshot(i 2, i 0) p.r3'
  System::Alloc 556
  Pop $4
  System::Call '*$4(i 556)'
  System::Call 'kernel32::Process32FirstW(p r3, p r4) i.r5'
  ${DoWhile} $5 <> 0
    System::Call '*$4(i, i, i .r6, i, i, i, i, i, i, &w260 .r7)'
    ; PROCESS_QUERY_LIMITED_INFORMATION
    System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r6) p.r8'
    ${If} $8 P<> 0
      System::Call 'kernel32::QueryFullProcessImageNameW(p r8, i 0, w .r9, *i ${NSIS_MAX_STRLEN}) i.r2'
      System::Call 'kernel32::CloseHandle(p r8)'
      ${If} $2 <> 0
        Push $9
        Call ${UN}Identity
        Pop $9
        ${IfThen} $9 == $1 ${|} StrCpy $0 1 ${|}
      ${EndIf}
    ${ElseIf} $7 == "stepdial.exe"
      ; Another user's process this one may not look into: Windows refuses to open a
      ; running program's file for writing (ERROR_SHARING_VIOLATION).
      System::Call 'kernel32::CreateFileW(w "$INSTDIR\stepdial.exe", i 0x40000000, i 7, p 0, i 3, i 0, p 0) p.r8 ?e'
      Pop $2
      ${If} $8 P= -1
      ${AndIf} $2 = 32
        StrCpy $0 1
      ${ElseIf} $8 P<> -1
        System::Call 'kernel32::CloseHandle(p r8)'
      ${EndIf}
    ${EndIf}
    ${IfThen} $0 = 1 ${|} ${ExitDo} ${|}
    System::Call 'kernel32::Process32NextW(p r3, p r4) i.r5'
  ${Loop}
  System::Free $4
  System::Call 'kernel32::CloseHandle(p r3)'
FunctionEnd

Function ${UN}RefuseWhileRunning
  retry:
  Call ${UN}StepdialRuns
  ${If} $0 = 0
    Return
  ${EndIf}
  ${If} ${Silent}
    SetErrorLevel ${EXIT_RUNNING}
    Quit
  ${EndIf}
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "stepdial is running. Close every stepdial window (on every user's desktop), then choose Retry." \
    IDRETRY retry
  SetErrorLevel ${EXIT_RUNNING}
  Quit
FunctionEnd

; Removes, when empty, the folders from $INSTDIR up to $AddedFolders, the outermost one
; the installation made. A record that is neither $INSTDIR nor a folder above it removes
; nothing, and the search for it ends at the top of $INSTDIR's path.
Function ${UN}RemoveAddedFolders
  ${If} $AddedFolders == ""
    Return
  ${EndIf}
  Push $AddedFolders
  Call ${UN}Identity
  Pop $3
  ${If} $3 == ""
    Return
  ${EndIf}
  StrCpy $1 $INSTDIR
  StrCpy $2 1
  ${Do}
    Push $1
    Call ${UN}Identity
    Pop $0
    ${IfThen} $0 == $3 ${|} ${ExitDo} ${|}
    ${GetParent} $1 $1
    ; A drive ("C:", which names its current folder) was not made by the installer.
    ${GetParent} $1 $0
    ${IfThen} $0 == "" ${|} Return ${|}
    IntOp $2 $2 + 1
  ${Loop}
  StrCpy $1 $INSTDIR
  ${For} $0 1 $2
    RMDir $1
    ${GetParent} $1 $1
  ${Next}
FunctionEnd
!macroend
!insertmacro SHARED_FUNCTIONS "" installed
!insertmacro SHARED_FUNCTIONS "un." uninstalled

; The 64-bit program on 64-bit Windows, registered in the 64-bit view of the registry.
!macro USE_WINDOWS_BITNESS
  ${If} ${RunningX64}
    SetRegView 64
    StrCpy $Library "the 64-bit inpoutx64.dll"
  ${Else}
    StrCpy $Library "the 32-bit inpout32.dll"
  ${EndIf}
!macroend

Function .onInit
  Call RequireTempFolder
  !insertmacro USE_WINDOWS_BITNESS
  ; A folder given with /D= stays; an update goes where the last installation went.
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
  ${AndIf} ${RunningX64}
    StrCpy $INSTDIR "$PROGRAMFILES64\stepdial"
  ${ElseIf} $INSTDIR == ""
    StrCpy $INSTDIR "$PROGRAMFILES\stepdial"
  ${EndIf}
  Call RefuseWhileRunning
FunctionEnd

Function un.onInit
  Call un.RequireTempFolder
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AFTER=" $1
  ${IfNot} ${Errors}
    Call un.RemoveAfter
    Quit
  ${EndIf}
  !insertmacro USE_WINDOWS_BITNESS
  Call un.CanonicalInstdir
  Call un.RefuseWhileRunning
FunctionEnd

; The captions ask for "David". Windows brings its own David with its Hebrew fonts;
; where it has none, David CLM is installed and "David" mapped to it. What is added is
; recorded, so the uninstaller removes that and nothing else: a David CLM or a "David"
; mapping that was there before stays.
Function InstallDavid
  ${If} ${FileExists} "$FONTS\david.ttf"
  ${OrIf} ${FileExists} "$FONTS\davidbd.ttf"
    Return
  ${EndIf}
  ${IfNot} ${FileExists} "$FONTS\${FONT_FILE}"
    SetOutPath "$FONTS"
    File "${FONT}"
    WriteRegStr HKLM "${FONTS_KEY}" "${FONT_ENTRY}" "${FONT_FILE}"
    System::Call 'gdi32::AddFontResourceW(w "$FONTS\${FONT_FILE}") i.r1'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "AddedFont" 1
  ${EndIf}
  ReadRegStr $0 HKLM "${SUBSTITUTES_KEY}" "David"
  ${If} $0 == ""
    WriteRegStr HKLM "${SUBSTITUTES_KEY}" "David" "David CLM"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "AddedFontSubstitute" 1
  ${EndIf}
  SendMessage ${HWND_BROADCAST} ${WM_FONTCHANGE} 0 0 /TIMEOUT=5000
FunctionEnd

; Adds the size in bytes of FILE in FOLDER to $3.
!macro ADD_FILE_SIZE FOLDER FILE
  ${GetSize} "${FOLDER}" "/M=${FILE} /S=0B /G=0" $0 $1 $2
  IntOp $3 $3 + $0
!macroend

; Tells the operator that FOLDER cannot be written, with Windows' reason for the error
; code on the stack, and fails the installation.
!macro REFUSE_FOLDER FOLDER
  Call WindowsReason
  Pop $R1
  DetailPrint "${FOLDER}: $R1"
  MessageBox MB_OK|MB_ICONSTOP "stepdial cannot be installed in ${FOLDER}:$\r$\n$R1" /SD IDOK
  Abort
!macroend

; Makes $INSTDIR and the folders above it it lacks, outermost first, keeping the
; outermost in $AddedFolders, and opens stepdial.exe there for writing: a folder that
; cannot be written is named with Windows' reason before anything is installed.
Function MakeFolder
  Call CanonicalInstdir
  StrCpy $1 $INSTDIR
  StrCpy $AddedFolders ""
  StrCpy $4 0
  ${Do}
    ${If} ${FileExists} "$1\*.*"
    ${OrIf} $1 == ""
      ${ExitDo}
    ${EndIf}
    StrCpy $AddedFolders $1
    IntOp $4 $4 + 1
    ${GetParent} $1 $1
  ${Loop}
  ${ForEach} $2 $4 1 - 1
    StrCpy $1 $INSTDIR
    ${For} $3 2 $2
      ${GetParent} $1 $1
    ${Next}
    System::Call 'kernel32::CreateDirectoryW(w r1, p 0) i.r3 ?e'
    ${If} $3 = 0
      !insertmacro REFUSE_FOLDER $1
    ${EndIf}
    Pop $0
  ${Next}
  ${IfNot} ${FileExists} "$INSTDIR\stepdial.exe"
    StrCpy $Fresh 1
  ${EndIf}
  ; GENERIC_WRITE, OPEN_ALWAYS
  System::Call 'kernel32::CreateFileW(w "$INSTDIR\stepdial.exe", i 0x40000000, i 7, p 0, i 4, i 0x80, p 0) p.r3 ?e'
  ${If} $3 P= -1
    !insertmacro REFUSE_FOLDER $INSTDIR
  ${EndIf}
  Pop $0
  System::Call 'kernel32::CloseHandle(p r3)'
FunctionEnd

; A failed installation registers nothing and leaves no half-installed folder: what a
; fresh one wrote goes, with the folders it made (only when empty).
Function .onInstFailed
  SetErrorLevel ${EXIT_FAILED}
  ${If} $Fresh = 1
    Delete "$SMPROGRAMS\stepdial.lnk"
    Delete "$SMPROGRAMS\stepdial settings.lnk"
    Delete "$INSTDIR\stepdial.exe"
    Delete "$INSTDIR\fonts-licence.txt"
    Delete "$INSTDIR\uninstall.exe"
  ${EndIf}
  SetOutPath $TEMP
  Call RemoveAddedFolders
FunctionEnd

; $AddedFolders from the registry: "" without a record by path (a number is an older
; version's record, ReadRegStr's error).
!macro READ_ADDED_FOLDERS
  ClearErrors
  ReadRegStr $AddedFolders HKLM "${UNINSTALL_KEY}" "AddedFolders"
  ${IfThen} ${Errors} ${|} StrCpy $AddedFolders "" ${|}
!macroend

; Fails the installation when the instruction before it could not write its file.
!macro FAIL_ON_ERRORS WHAT
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "stepdial cannot be installed: ${WHAT} could not be written." /SD IDOK
    Abort
  ${EndIf}
!macroend

Section "stepdial"
  SectionIn RO
  SetShellVarContext all
  Call MakeFolder
  ; An update into the folder of the installation before it keeps that one's record of
  ; the folders it made. A version that recorded them by number left nothing that can be
  ; trusted: none is recorded then, and the folders stay when stepdial goes.
  ${If} $AddedFolders == ""
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    Push $0
    Call Identity
    Pop $0
    Push $INSTDIR
    Call Identity
    Pop $1
    ${If} $0 != ""
    ${AndIf} $0 == $1
      !insertmacro READ_ADDED_FOLDERS
    ${EndIf}
  ${EndIf}
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "/oname=stepdial.exe" "${PROGRAM64}"
  ${Else}
    File "/oname=stepdial.exe" "${PROGRAM32}"
  ${EndIf}
  File "/oname=fonts-licence.txt" "${FONT_LICENCE}"
  ClearErrors
  WriteUninstaller "$INSTDIR\uninstall.exe"
  !insertmacro FAIL_ON_ERRORS "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\stepdial.lnk" "$INSTDIR\stepdial.exe"
  !insertmacro FAIL_ON_ERRORS "$SMPROGRAMS\stepdial.lnk"
  CreateShortcut "$SMPROGRAMS\stepdial settings.lnk" "$INSTDIR\stepdial.exe" "--settings"
  !insertmacro FAIL_ON_ERRORS "$SMPROGRAMS\stepdial settings.lnk"
  Call InstallDavid

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "stepdial"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\stepdial.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  ; In place: the uninstaller's own process does the work, and its status is the outcome.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
  ${If} $AddedFolders == ""
    DeleteRegValue HKLM "${UNINSTALL_KEY}" "AddedFolders"
  ${Else}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "AddedFolders" $AddedFolders
  ${EndIf}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB, of what was put here: not the operator's port library or anything else
  ; that shares the folder.
  StrCpy $3 0
  !insertmacro ADD_FILE_SIZE "$INSTDIR" stepdial.exe
  !insertmacro ADD_FILE_SIZE "$INSTDIR" fonts-licence.txt
  !insertmacro ADD_FILE_SIZE "$INSTDIR" uninstall.exe
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "AddedFont"
  ${If} $0 = 1
    !insertmacro ADD_FILE_SIZE "$FONTS" "${FONT_FILE}"
  ${EndIf}
  IntOp $3 $3 + 1023
  IntOp $3 $3 / 1024
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $3
SectionEnd

; Run in place, the uninstaller cannot delete its own file while it runs (nor rename
; it: it reads itself with a handle that refuses both): a copy in the temporary folder
; does that, with the folders, the moment this process has ended. The copy is made before
; anything is removed: where the temporary folder cannot take it, nothing changes.
Var SelfCopy
Function un.CopySelf
  StrCpy $SelfCopy ""
  Push $EXEPATH
  Call un.Identity
  Pop $0
  Push "$INSTDIR\uninstall.exe"
  Call un.Identity
  Pop $1
  ; Not in place: NSIS's own copy, which removes the installed file as any other.
  ${If} $0 == ""
  ${OrIf} $0 != $1
    Return
  ${EndIf}
  ClearErrors
  GetTempFileName $SelfCopy
  System::Call 'kernel32::CopyFileW(w "$EXEPATH", w "$SelfCopy", i 0) i.r0 ?e'
  Pop $1
  ${If} $0 = 0
    Delete $SelfCopy
    Push $1
    Call un.WindowsReason
    Pop $1
    MessageBox MB_OK|MB_ICONSTOP "stepdial cannot be uninstalled: the uninstaller cannot copy itself \
to the temporary folder $TEMP, from where it removes its own file:$\r$\n$1$\r$\nMake room there or \
make it writable, then try again." /SD IDOK
    SetErrorLevel ${EXIT_NO_TEMP}
    Abort
  ${EndIf}
FunctionEnd

; Removes the uninstaller and the folders the installation made: at once when this is a
; copy, else through the copy CopySelf made, which waits for this process to end. Where
; that copy cannot be started, the uninstaller goes when Windows restarts.
Function un.RemoveSelf
  ${If} $SelfCopy == ""
    Delete "$INSTDIR\uninstall.exe"
    Call un.RemoveAddedFolders
    Return
  ${EndIf}
  System::Call 'kernel32::GetCurrentProcessId() i.r1'
  ClearErrors
  Exec '"$SelfCopy" /S /AFTER=$1 /FOLDERS="$AddedFolders" _?=$INSTDIR'
  ${If} ${Errors}
    Delete $SelfCopy
    Delete /REBOOTOK "$INSTDIR\uninstall.exe"
  ${EndIf}
FunctionEnd

; The copy of CopySelf: waits for the uninstaller given by /AFTER= to end, removes its
; file and the folders it made (/FOLDERS=, as $AddedFolders), and goes itself when
; Windows restarts.
Function un.RemoveAfter
  ${GetOptions} $0 "/FOLDERS=" $AddedFolders
  ; SYNCHRONIZE
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p.r2'
  System::Call 'kernel32::WaitForSingleObject(p r2, i -1)'
  System::Call 'kernel32::CloseHandle(p r2)'
  SetOutPath $TEMP
  Delete "$INSTDIR\uninstall.exe"
  Call un.RemoveAddedFolders
  ; MOVEFILE_DELAY_UNTIL_REBOOT
  System::Call 'kernel32::MoveFileExW(w "$EXEPATH", p 0, i 4)'
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  ; The folders can go only when no process, this one included, works in them.
  SetOutPath $TEMP
  ; The port library the operator put here is not ours to remove: only empty folders go.
  !insertmacro READ_ADDED_FOLDERS
  Call un.CopySelf
  ClearErrors
  Delete "$INSTDIR\stepdial.exe"
  Delete "$INSTDIR\fonts-licence.txt"
  Delete "$SMPROGRAMS\stepdial.lnk"
  Delete "$SMPROGRAMS\stepdial settings.lnk"
  ; What could not be removed stays registered, with the uninstaller to try again.
  ${If} ${Errors}
    ${IfThen} $SelfCopy != "" ${|} Delete $SelfCopy ${|}
    SetErrorLevel ${EXIT_FAILED}
    Abort
  ${EndIf}

  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "AddedFont"
  ${If} $0 = 1
    System::Call 'gdi32::RemoveFontResourceW(w "$FONTS\${FONT_FILE}") i.r1'
    DeleteRegValue HKLM "${FONTS_KEY}" "${FONT_ENTRY}"
    ; A program still showing the font keeps the file open until it ends.
    Delete /REBOOTOK "$FONTS\${FONT_FILE}"
  ${EndIf}
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "AddedFontSubstitute"
  ${If} $0 = 1
    DeleteRegValue HKLM "${SUBSTITUTES_KEY}" "David"
  ${EndIf}
  SendMessage ${HWND_BROADCAST} ${WM_FONTCHANGE} 0 0 /TIMEOUT=5000
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Call un.RemoveSelf
  ${IfThen} ${RebootFlag} ${|} SetErrorLevel ${EXIT_RESTART} ${|}
SectionEnd
