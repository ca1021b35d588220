; stepdial's installer for 64-bit Windows, per machine. makensis is given VERSION,
; PROGRAM (stepdial.exe), FONT (DavidCLM-Bold.otf), FONT_LICENCE and OUTFILE.
; /S installs or uninstalls silently.
Unicode true
; A 64-bit installer for a 64-bit program: it runs where the program does, wine64 included.
Target amd64-unicode
RequestExecutionLevel admin
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\stepdial"
!define FONTS_KEY "SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts"
!define SUBSTITUTES_KEY "SOFTWARE\Microsoft\Windows NT\CurrentVersion\FontSubstitutes"
!define FONT_FILE "DavidCLM-Bold.otf"
!define FONT_ENTRY "David CLM Bold (OpenType)"
!define PUBLISHER "The stepdial authors"

Name "stepdial ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\stepdial"
BrandingText "stepdial ${VERSION}"

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
which does not come with it.$\r$\n$\r$\nPut the 64-bit inpoutx64.dll in $INSTDIR, \
beside stepdial.exe, before you start stepdial."
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the folder for inpoutx64.dll"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  ; A 64-bit program is registered in the 64-bit view of the registry.
  SetRegView 64
  ; An update goes where the last installation went.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
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

Section "stepdial"
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "/oname=stepdial.exe" "${PROGRAM}"
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
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
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
