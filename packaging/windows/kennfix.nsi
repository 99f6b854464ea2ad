; The Kennfix installer for Windows 10/11 (packaging/windows/CMakeLists.txt
; builds it with makensis). It installs for the user who runs it, without
; administrator rights: the programs under %LOCALAPPDATA%\Programs\Kennfix,
; the Start menu entries, "Öffnen mit → Kennfix Liste" for .csv files and
; the entry under installed apps, all under HKEY_CURRENT_USER. The
; uninstaller removes exactly these and nothing else: files by name, never a
; folder with what it holds, and a key shared with others only when it is
; left empty. "/S" installs and uninstalls without a window.
;
; Defined on the command line: VERSION (1.1.0), STAGE (the folder with the
; programs, the manual and COPYING.txt), ICON, OUTFILE.

; A 64-bit installer for 64-bit programs: Windows 10/11 on x64, and Wine
; without its 32-bit half.
Target amd64-unicode
ManifestDPIAware true
ManifestSupportedOS Win10
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kennfix"
!define OPEN_WITH_APP "Software\Classes\Applications\kennfix-liste.exe"
!define CSV_OPEN_WITH "Software\Classes\.csv\OpenWithList"
!define PUBLISHER "Kennfix-Entwickler"

Name "Kennfix"
Caption "Kennfix ${VERSION} installieren"
UninstallCaption "Kennfix entfernen"
BrandingText "Kennfix ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kennfix"
; A new version goes where the installed one is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1031 "ProductName" "Kennfix"
VIAddVersionKey /LANG=1031 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "FileDescription" "Kennfix ${VERSION} installieren"
VIAddVersionKey /LANG=1031 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1031 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "Kennfix berechnet die eTIN für Lohnsteuerbescheinigungen, für eine Person im Fenster „Kennfix“ und für ganze Personallisten in „Kennfix Liste“.$\r$\n$\r$\nKennfix wird nur für Sie installiert und braucht dafür keine Administratorrechte.$\r$\n$\r$\n$_CLICK"
!define MUI_FINISHPAGE_RUN "$INSTDIR\kennfix.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Kennfix starten"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\kennfix.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Das Handbuch zeigen"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

; What the installer puts into $INSTDIR, and the uninstaller takes out again.
!macro KennfixFiles action
  !insertmacro ${action} "kennfix.exe"
  !insertmacro ${action} "kennfix-liste.exe"
  !insertmacro ${action} "kennfix-batch.exe"
  !insertmacro ${action} "kennfix.html"
  !insertmacro ${action} "kennfix-liste.html"
  !insertmacro ${action} "kennfix-batch.html"
  !insertmacro ${action} "COPYING.txt"
!macroend
!macro InstallFile name
  File "${STAGE}\${name}"
!macroend
!macro RemoveFile name
  Delete "$INSTDIR\${name}"
!macroend

; The Start menu entries: name, target.
!macro KennfixShortcuts action
  !insertmacro ${action} "Kennfix" "kennfix.exe"
  !insertmacro ${action} "Kennfix Liste" "kennfix-liste.exe"
  !insertmacro ${action} "Kennfix-Handbuch" "kennfix.html"
!macroend
!macro MakeShortcut name target
  CreateShortcut "$SMPROGRAMS\${name}.lnk" "$INSTDIR\${target}"
!macroend
!macro RemoveShortcut name target
  Delete "$SMPROGRAMS\${name}.lnk"
!macroend

; Tells Explorer that what opens which file type has changed.
!macro AssociationsChanged
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

Section "Kennfix"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  !insertmacro KennfixFiles InstallFile
  WriteUninstaller "$INSTDIR\uninstall.exe"
  !insertmacro KennfixShortcuts MakeShortcut

  ; "Öffnen mit": kennfix-liste.exe among the programs offered for .csv
  ; files. What opens a .csv on a double click stays as it is.
  WriteRegStr HKCU "${OPEN_WITH_APP}" "FriendlyAppName" "Kennfix Liste"
  WriteRegStr HKCU "${OPEN_WITH_APP}\DefaultIcon" "" "$INSTDIR\kennfix-liste.exe,0"
  WriteRegStr HKCU "${OPEN_WITH_APP}\SupportedTypes" ".csv" ""
  WriteRegStr HKCU "${OPEN_WITH_APP}\shell\open\command" "" '"$INSTDIR\kennfix-liste.exe" "%1"'
  WriteRegStr HKCU "${CSV_OPEN_WITH}\kennfix-liste.exe" "" ""
  !insertmacro AssociationsChanged

  ; The entry under installed apps.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Kennfix"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kennfix.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Deletes HKCU\key if it holds neither keys nor values, its default value
; included: a key that others use as well (.csv) stays as long as they do.
!macro DeleteKeyIfUnused key
  Push "${key}"
  Call un.DeleteKeyIfUnused
!macroend
Function un.DeleteKeyIfUnused
  Exch $0
  Push $1
  EnumRegKey $1 HKCU "$0" 0
  ${If} $1 == ""
    EnumRegValue $1 HKCU "$0" 0
    ${If} $1 == ""
      ClearErrors
      ReadRegStr $1 HKCU "$0" ""
      ${If} ${Errors}
        DeleteRegKey HKCU "$0"
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

Section "Uninstall"
  SetShellVarContext current
  !insertmacro KennfixShortcuts RemoveShortcut
  !insertmacro KennfixFiles RemoveFile
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: the user may have put files of their own there. The
  ; same for the folder of per-user programs, which the installer made if
  ; it was missing.
  RMDir "$INSTDIR"
  RMDir "$LOCALAPPDATA\Programs"
  ; The uninstaller runs as a copy of itself in the temporary folder, which
  ; Windows deletes when it next starts. It registers the folder before the
  ; copy, so the folder, not yet empty then, would stay: once more, in order.
  ${If} "$EXEDIR" != "$INSTDIR"
    Delete /REBOOTOK "$EXEPATH"
    RMDir /REBOOTOK "$EXEDIR"
  ${EndIf}

  DeleteRegKey HKCU "${OPEN_WITH_APP}"
  DeleteRegKey HKCU "${CSV_OPEN_WITH}\kennfix-liste.exe"
  !insertmacro DeleteKeyIfUnused "${CSV_OPEN_WITH}"
  !insertmacro DeleteKeyIfUnused "Software\Classes\.csv"
  !insertmacro DeleteKeyIfUnused "Software\Classes\Applications"
  !insertmacro AssociationsChanged
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  !insertmacro DeleteKeyIfUnused "Software\Microsoft\Windows\CurrentVersion\Uninstall"
SectionEnd
