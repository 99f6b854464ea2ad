; The Kennfix installer for Windows 10/11 (packaging/windows/CMakeLists.txt
; builds it with makensis). It installs for the user who runs it, without
; administrator rights: the programs under %LOCALAPPDATA%\Programs\Kennfix,
; the Start menu entries, "Öffnen mit → Kennfix Liste" for .csv files and
; the entry under installed apps, all under HKEY_CURRENT_USER. The
; uninstaller removes exactly these and nothing else: files by name, never a
; folder with what it holds, and a key shared with others only when it is
; left empty. "/S" installs and uninstalls without a window.
;
; A folder of the user's choosing may hold files of their own with the names
; of ours (a COPYING.txt): the files go only into a folder that is ours, the
; chosen one if it is missing, empty or the installed Kennfix's, otherwise a
; folder "Kennfix" in it. Neither installer nor uninstaller changes anything
; while one of the programs runs: the user is asked to close it (retry or
; cancel); a silent run gives up with status 2 and says why in
; %TEMP%\Kennfix-Setup.log.
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
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryChosen
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

; A file that cannot be written stops the run instead of being skipped: no
; mix of old and new files. The checks below see to it before anything is
; touched; this is for a program started in between.
AllowSkipFiles off

; Gives up: tells the user, or, in a silent run, appends the message to
; %TEMP%\Kennfix-Setup.log, where whoever deployed it looks; the exit status
; is 2. Callers give up before they change anything.
!macro DefineGiveUp prefix
Function ${prefix}GiveUp
  Exch $0
  Push $1
  DetailPrint "$0"
  ${If} ${Silent}
    ClearErrors
    FileOpen $1 "$TEMP\Kennfix-Setup.log" a
    ${IfNot} ${Errors}
      FileSeek $1 0 END
      FileWriteUTF16LE /BOM $1 "$0$\r$\n"
      FileClose $1
    ${EndIf}
  ${Else}
    MessageBox MB_OK|MB_ICONSTOP "$0"
  ${EndIf}
  !if "${prefix}" == "un."
    ; The copy of the uninstaller in the temporary folder goes at the next
    ; start of Windows, as after a removal.
    ${If} "$EXEDIR" != "$INSTDIR"
      Delete /REBOOTOK "$EXEPATH"
      RMDir /REBOOTOK "$EXEDIR"
    ${EndIf}
  !endif
  SetErrorLevel 2
  Pop $1
  Pop $0
  Abort
FunctionEnd
!macroend
!insertmacro DefineGiveUp ""
!insertmacro DefineGiveUp "un."

; $R0 = the first of the programs in $INSTDIR that runs, or "". A program
; that runs cannot be opened for writing, nor replaced, nor deleted.
!macro IfRunning name
  ${If} $R0 == ""
  ${AndIf} ${FileExists} "$INSTDIR\${name}"
    ClearErrors
    FileOpen $R1 "$INSTDIR\${name}" a
    ${If} ${Errors}
      StrCpy $R0 "${name}"
    ${Else}
      FileClose $R1
    ${EndIf}
  ${EndIf}
!macroend
!macro DefineFindRunningProgram prefix
Function ${prefix}FindRunningProgram
  StrCpy $R0 ""
  !insertmacro IfRunning "kennfix.exe"
  !insertmacro IfRunning "kennfix-liste.exe"
  !insertmacro IfRunning "kennfix-batch.exe"
FunctionEnd
!macroend
!insertmacro DefineFindRunningProgram ""
!insertmacro DefineFindRunningProgram "un."

; Waits until no program in $INSTDIR runs, asking the user to close them;
; gives up with the message on the stack if the user cancels or nobody can
; be asked.
!macro WaitForPrograms prefix action_failed
  ${Do}
    Call ${prefix}FindRunningProgram
    ${If} $R0 == ""
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Kennfix läuft noch: „$INSTDIR\$R0“ ist in Gebrauch.$\r$\n$\r$\nBitte schließen Sie alle Fenster von Kennfix und Kennfix Liste und wählen Sie „Wiederholen“." /SD IDCANCEL IDRETRY +3
    Push "${action_failed}, weil Kennfix noch läuft („$INSTDIR\$R0“ ist in Gebrauch). Es wurde nichts verändert."
    Call ${prefix}GiveUp
  ${Loop}
!macroend

; Whether a folder may take our files: it is missing or empty, or it is
; where Kennfix is installed. Pushes 1 or 0.
Function IsOurFolder
  Exch $0
  Push $1
  ${DirState} "$0" $1
  ${If} $1 == 1
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $1 != ""
      GetFullPathName $1 "$1"
      GetFullPathName $0 "$0"
    ${EndIf}
    ${If} $1 != ""
    ${AndIf} $1 == $0
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
  ${Else}
    StrCpy $0 1
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd

; Makes $INSTDIR a folder of ours: the chosen one, or "Kennfix" in it. $0 is
; empty, or the message if neither may take our files.
Function ChooseOwnFolder
  Push $1
  StrCpy $0 ""
  Push "$INSTDIR"
  Call IsOurFolder
  Pop $1
  ${If} $1 != 1
    Push "$INSTDIR\Kennfix"
    Call IsOurFolder
    Pop $1
    ${If} $1 == 1
      StrCpy $INSTDIR "$INSTDIR\Kennfix"
    ${Else}
      StrCpy $0 "In „$INSTDIR“ und in „$INSTDIR\Kennfix“ liegen schon Dateien, die nicht zu Kennfix gehören. Bitte wählen Sie einen anderen Ordner: Kennfix wurde nicht installiert."
    ${EndIf}
  ${EndIf}
  Pop $1
FunctionEnd

; The folder page: the folder the files will go to is shown when going on.
Function DirectoryChosen
  Push $0
  Call ChooseOwnFolder
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "$0"
    Pop $0
    Abort
  ${EndIf}
  Pop $0
FunctionEnd

; Tells Explorer that what opens which file type has changed.
!macro AssociationsChanged
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
!macroend

Section "Kennfix"
  SetShellVarContext current
  ; A silent run has had no folder page.
  Call ChooseOwnFolder
  ${If} $0 != ""
    Push $0
    Call GiveUp
  ${EndIf}
  !insertmacro WaitForPrograms "" "Kennfix ${VERSION} wurde nicht installiert"
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
  !insertmacro WaitForPrograms "un." "Kennfix wurde nicht entfernt"
  ClearErrors
  !insertmacro KennfixFiles RemoveFile
  ${If} ${Errors}
    ; Started in between: the entry under installed apps, the Start menu and
    ; the uninstaller stay, so that it can be removed once it has ended.
    Push "Kennfix wurde nicht vollständig entfernt: Dateien in „$INSTDIR“ sind in Gebrauch. Bitte schließen Sie Kennfix und entfernen Sie es noch einmal."
    Call un.GiveUp
  ${EndIf}
  !insertmacro KennfixShortcuts RemoveShortcut
  ; Started in its folder with _?= (which gives the caller the exit status),
  ; the uninstaller cannot delete itself: Windows does so when it next starts.
  ${If} "$EXEDIR" == "$INSTDIR"
    Delete /REBOOTOK "$INSTDIR\uninstall.exe"
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    Delete "$INSTDIR\uninstall.exe"
  ${EndIf}
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
