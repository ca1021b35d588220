; stepdial's installer for Windows 7 SP1 and later, per machine. makensis is given
; VERSION, PUBLISHER, PROGRAM64 and PROGRAM32 (the two stepdial.exe), ICON, RUNNING_MUTEX
; (what a running stepdial holds), FONT (DavidCLM-Bold.otf), FONT_LICENCE and OUTFILE.
; /S installs or uninstalls silently.
Unicode true
; A 32-bit installer starts on 32-bit Windows as well; on 64-bit Windows it installs the
; 64-bit program.
Target x86-unicode
RequestExecutionLevel admin
ManifestDPIAware true
SetCompressor /SOLID lzma

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

Name "stepdial ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "stepdial ${VERSION}"
Icon "${ICON}"
UninstallIcon "${ICON}"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

; The port library of the program this Windows gets.
Var Library

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 ProductName "stepdial"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 FileDescription "stepdial installer"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 LegalCopyright "Copyright ${PUBLISHER}"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; The port library is not ours to ship: the operator brings it.
!define MUI_FINISHPAGE_TEXT "stepdial drives the parallel port through the inpout port library, \
which does not come with it.$\r$\n$\r$\nPut $Library in $INSTDIR, \
beside stepdial.exe, before you start stepdial.$\r$\n$\r$\nThe library writes to the port at \
address 378 (hex). A plug-in PCI or PCIe parallel card sits elsewhere: set its LPT address to 378 \
in the card driver's settings (Device Manager, the port's Properties), where the card allows it."
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the folder for $Library"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running stepdial keeps its stepdial.exe: an update would register the new version
; over the old program, and an uninstallation would leave it behind. The operator is
; asked to close it; a silent run changes nothing and ends with EXIT_RUNNING.
!macro REFUSE_WHILE_RUNNING UN
Function ${UN}RefuseWhileRunning
  retry:
  ; SYNCHRONIZE. Denied access means it exists too: a stepdial of another user's session.
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MUTEX}") p.r0 ?e'
  Pop $1
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
  ${ElseIf} $1 <> 5
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
!macroend
!insertmacro REFUSE_WHILE_RUNNING ""
!insertmacro REFUSE_WHILE_RUNNING "un."

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
  !insertmacro USE_WINDOWS_BITNESS
  Call RefuseWhileRunning
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
FunctionEnd

Function un.onInit
  !insertmacro USE_WINDOWS_BITNESS
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

Section "stepdial"
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    File "/oname=stepdial.exe" "${PROGRAM64}"
  ${Else}
    File "/oname=stepdial.exe" "${PROGRAM32}"
  ${EndIf}
  File "/oname=fonts-licence.txt" "${FONT_LICENCE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\stepdial.lnk" "$INSTDIR\stepdial.exe"
  Call InstallDavid

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "stepdial"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\stepdial.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
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

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\stepdial.lnk"
  Delete "$INSTDIR\stepdial.exe"
  Delete "$INSTDIR\fonts-licence.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: the port library the operator put here is not ours to remove.
  RMDir "$INSTDIR"

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
SectionEnd
