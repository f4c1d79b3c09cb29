; The Windows installer: both desktop programs, wr7310.exe, the help page and the default
; settings into "Program Files\WR7310", Start-menu shortcuts, the radio file types of both
; models, and an uninstaller listed in Apps & features. Made by scripts/windows-installer.sh:
;   makensis -DVERSION=1.2.3 -DSTAGING=<installed tree> -DFILES=<list.nsh> -DUNFILES=<list.nsh>
;            -DOUTFILE=<setup.exe> [-DLICENSE=<file>] installer.nsi
; FILES and UNFILES list exactly the files of the installed tree, so the uninstaller removes
; those and nothing else: settings and backups that users or the programs wrote stay.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\WR7310"

Name "WR7310 ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\WR7310"
InstallDirRegKey HKLM "${KEY}" "InstallLocation"
BrandingText "WR7310 ${VERSION}"

!define MUI_ICON "${XTRA_ICON}"
!define MUI_UNICON "${XTRA_ICON}"
!insertmacro MUI_PAGE_WELCOME
!ifdef LICENSE
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!endif
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\bin\WR7310SXtra.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; FileType EXT PROGID DESCRIPTION PROGRAM: the program opens the radio files of its model and
; lends them its icon.
!macro FileType EXT PROGID DESCRIPTION PROGRAM
    WriteRegStr HKLM "Software\Classes\${EXT}" "" "${PROGID}"
    WriteRegStr HKLM "Software\Classes\${EXT}\OpenWithProgids" "${PROGID}" ""
    WriteRegStr HKLM "Software\Classes\${PROGID}" "" "${DESCRIPTION}"
    WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\bin\${PROGRAM},0"
    WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" \
        '"$INSTDIR\bin\${PROGRAM}" "%1"'
    WriteRegStr HKLM "Software\Classes\Applications\${PROGRAM}\SupportedTypes" "${EXT}" ""
!macroend

; The extension keeps pointing elsewhere if another program took it over since.
!macro UnFileType EXT PROGID PROGRAM
    ReadRegStr $0 HKLM "Software\Classes\${EXT}" ""
    StrCmp $0 "${PROGID}" 0 +2
    DeleteRegValue HKLM "Software\Classes\${EXT}" ""
    DeleteRegValue HKLM "Software\Classes\${EXT}\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty HKLM "Software\Classes\${EXT}\OpenWithProgids"
    DeleteRegKey /ifempty HKLM "Software\Classes\${EXT}"
    DeleteRegKey HKLM "Software\Classes\${PROGID}"
    DeleteRegKey HKLM "Software\Classes\Applications\${PROGRAM}"
!macroend

Section "WR7310"
    SetShellVarContext all
    !include "${FILES}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateDirectory "$SMPROGRAMS\WR7310"
    CreateShortcut "$SMPROGRAMS\WR7310\WR7310SXtra.lnk" "$INSTDIR\bin\WR7310SXtra.exe"
    CreateShortcut "$SMPROGRAMS\WR7310\WR7310S.lnk" "$INSTDIR\bin\WR7310S.exe"
    CreateShortcut "$SMPROGRAMS\WR7310\WR7310 Help.lnk" "$INSTDIR\share\doc\wr7310\WR7310S.html"
    CreateShortcut "$SMPROGRAMS\WR7310\Uninstall WR7310.lnk" "$INSTDIR\Uninstall.exe"

    !insertmacro FileType ".wr73" "WR7310.WR7310SXtra" "WR7310SXtra radio file" "WR7310SXtra.exe"
    !insertmacro FileType ".w73" "WR7310.WR7310S" "WR7310S radio file" "WR7310S.exe"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)' ; SHCNE_ASSOCCHANGED

    WriteRegStr HKLM "${KEY}" "DisplayName" "WR7310 programming software"
    WriteRegStr HKLM "${KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${KEY}" "DisplayIcon" "$INSTDIR\bin\WR7310SXtra.exe,0"
    WriteRegStr HKLM "${KEY}" "Publisher" "WR7310 developers"
    WriteRegStr HKLM "${KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${KEY}" "NoRepair" 1
    WriteRegDWORD HKLM "${KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    !include "${UNFILES}"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR" ; only when empty: what users keep there stays

    Delete "$SMPROGRAMS\WR7310\WR7310SXtra.lnk"
    Delete "$SMPROGRAMS\WR7310\WR7310S.lnk"
    Delete "$SMPROGRAMS\WR7310\WR7310 Help.lnk"
    Delete "$SMPROGRAMS\WR7310\Uninstall WR7310.lnk"
    RMDir "$SMPROGRAMS\WR7310"

    !insertmacro UnFileType ".wr73" "WR7310.WR7310SXtra" "WR7310SXtra.exe"
    !insertmacro UnFileType ".w73" "WR7310.WR7310S" "WR7310S.exe"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
    DeleteRegKey HKLM "${KEY}"
SectionEnd
