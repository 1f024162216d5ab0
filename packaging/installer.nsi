; Per-user installer of the four trees: no administrator rights, one folder under the
; user's local programs folder, a Start-menu folder, an entry in the list of installed apps.
; ./package passes VERSION, BINDIR (the four programs), DOCDIR (ReadMe.txt, LICENSE.txt),
; ICON, OUTFILE and TARGET (x86-unicode for the shipped installer).

!macro TREE_REQUIRE NAME
  !ifndef ${NAME}
    !error "${NAME} is not defined: build the installer with ./package"
  !endif
!macroend
!insertmacro TREE_REQUIRE VERSION
!insertmacro TREE_REQUIRE BINDIR
!insertmacro TREE_REQUIRE DOCDIR
!insertmacro TREE_REQUIRE ICON
!insertmacro TREE_REQUIRE OUTFILE
!ifndef TARGET
  !define TARGET x86-unicode
!endif

Unicode true
Target ${TARGET}

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Orvella Tree Ornaments"
!define PUBLISHER "Orvella"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvellaTreeOrnaments"
!define UNINST_PARENT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define TREE_CLASS "TfrmMain"
; How long running trees get to save their settings and end after the close request.
!define CLOSE_DEADLINE_MS 15000

; PROCESSENTRY32W: its size and the offset of szExeFile differ with the pointer size.
!if ${TARGET} == amd64-unicode
  !define PE32_SIZE 568
  !define PE32_NAME 44
!else
  !define PE32_SIZE 556
  !define PE32_NAME 36
!endif

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) Orvella"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "This puts the four desktop trees Fernlight, Glimmerlode, Quorrisk and Vudododoz on your computer, for you alone. No administrator rights are needed.$\r$\n$\r$\nRunning trees that are installed already are closed first; they keep their settings.$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME
; A permissive licence asks for no acceptance: the page informs and moves on.
!define MUI_LICENSEPAGE_TEXT_BOTTOM "The trees are free software under this licence."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${DOCDIR}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; The finish page (never shown in a silent install) offers to start one tree.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Vudododoz now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartOneTree
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\ReadMe.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the read-me"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; ---------------------------------------------------------------------------
; Closing running trees. A tree's main window gets WM_CLOSE, the same request as its
; Exit item, so it saves its settings and ends. The installer closes only the trees
; it is about to overwrite (those running from the install folder); the uninstaller
; closes every running tree of the four, since it removes their shared settings.
!macro TREE_CLOSER un

; $0 = process id -> $1 = 1 when it is one of the four trees in scope, else 0.
Function ${un}IsTreeProcess
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $1 0
  System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r0) p .r2'
  ${If} $2 P<> 0
    System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN}) i .r4'
    System::Call 'kernel32::CloseHandle(p r2)'
    ${If} $4 <> 0
      ${GetFileName} "$3" $5
      ${If} $5 == "Fernlight.exe"
      ${OrIf} $5 == "Glimmerlode.exe"
      ${OrIf} $5 == "Quorrisk.exe"
      ${OrIf} $5 == "Vudododoz.exe"
        !if "${un}" == "un."
          StrCpy $1 1
        !else
          ${If} "$3" == "$INSTDIR\$5"
            StrCpy $1 1
          ${EndIf}
        !endif
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $5
  Pop $4
  Pop $3
  Pop $2
FunctionEnd

; $9 = "close" (post WM_CLOSE to each tree's main window), "count" or "end" (terminate).
; Returns in $8 how many tree processes in scope are running.
Function ${un}VisitTrees
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $8 0
  System::Call 'kernel32::CreateToolhelp32Snapshot(i 2, i 0) p .r2'
  ${If} $2 P<> -1
    System::Alloc ${PE32_SIZE}
    Pop $3
    System::Call '*$3(i ${PE32_SIZE})'
    System::Call 'kernel32::Process32FirstW(p r2, p r3) i .r4'
    ${DoWhile} $4 <> 0
      System::Call '*$3(&v8, i .r0)'
      Call ${un}IsTreeProcess
      ${If} $1 = 1
        IntOp $8 $8 + 1
        ${If} $9 == "close"
          StrCpy $5 0
          ${Do}
            System::Call 'user32::FindWindowExW(p 0, p r5, w "${TREE_CLASS}", p 0) p .r5'
            ${IfThen} $5 P= 0 ${|} ${ExitDo} ${|}
            System::Call 'user32::GetWindowThreadProcessId(p r5, *i .r1)'
            ${If} $1 = $0
              System::Call 'user32::PostMessageW(p r5, i 0x0010, p 0, p 0)'
            ${EndIf}
          ${Loop}
        ${ElseIf} $9 == "end"
          System::Call 'kernel32::OpenProcess(i 0x0001, i 0, i r0) p .r5'
          ${If} $5 P<> 0
            System::Call 'kernel32::TerminateProcess(p r5, i 1)'
            System::Call 'kernel32::CloseHandle(p r5)'
          ${EndIf}
        ${EndIf}
      ${EndIf}
      System::Call 'kernel32::Process32NextW(p r2, p r3) i .r4'
    ${Loop}
    System::Free $3
    System::Call 'kernel32::CloseHandle(p r2)'
  ${EndIf}
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; $9 = deadline in ms. Waits until no tree in scope runs; $8 = how many still run.
Function ${un}WaitForTrees
  Push $6
  Push $7
  Push $9
  StrCpy $6 $9
  System::Call 'kernel32::GetTickCount() i .r7'
  ${Do}
    StrCpy $9 "count"
    Call ${un}VisitTrees
    ${IfThen} $8 = 0 ${|} ${ExitDo} ${|}
    System::Call 'kernel32::GetTickCount() i .r9'
    IntOp $9 $9 - $7
    ${IfThen} $9 > $6 ${|} ${ExitDo} ${|}
    Sleep 200
  ${Loop}
  Pop $9
  Pop $7
  Pop $6
FunctionEnd

Function ${un}CloseTrees
  Push $8
  Push $9
  StrCpy $9 "close"
  Call ${un}VisitTrees
  ${If} $8 > 0
    DetailPrint "Closing $8 running tree(s)..."
    StrCpy $9 ${CLOSE_DEADLINE_MS}
    Call ${un}WaitForTrees
    ${If} $8 > 0
      MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "$8 tree(s) did not close.$\r$\n$\r$\nChoose OK to end them now (their latest settings are lost), or Cancel to stop." /SD IDOK IDOK end_them
      Abort "The trees are still running; nothing was changed."
    end_them:
      StrCpy $9 "end"
      Call ${un}VisitTrees
      StrCpy $9 5000
      Call ${un}WaitForTrees
      ${If} $8 > 0
        Abort "The trees could not be ended; nothing was changed."
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $9
  Pop $8
FunctionEnd

!macroend

!insertmacro TREE_CLOSER ""
!insertmacro TREE_CLOSER "un."

Function StartOneTree
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\Vudododoz.exe"'
FunctionEnd

; ---------------------------------------------------------------------------
!macro TREE_SHORTCUT NAME
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${NAME}.lnk" "$INSTDIR\${NAME}.exe" "" "$INSTDIR\${NAME}.exe" 0
!macroend

Section "Trees"
  SectionIn RO
  Call CloseTrees
  SetOutPath "$INSTDIR"
  File "${BINDIR}\Fernlight.exe"
  File "${BINDIR}\Glimmerlode.exe"
  File "${BINDIR}\Quorrisk.exe"
  File "${BINDIR}\Vudododoz.exe"
  File "${DOCDIR}\ReadMe.txt"
  File "${DOCDIR}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The working folder of each shortcut is the install folder (the current output path).
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  !insertmacro TREE_SHORTCUT Fernlight
  !insertmacro TREE_SHORTCUT Glimmerlode
  !insertmacro TREE_SHORTCUT Quorrisk
  !insertmacro TREE_SHORTCUT Vudododoz

  ; No start-up value here: each tree registers itself at its first start.
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Vudododoz.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Call un.CloseTrees

  Delete "$INSTDIR\Fernlight.exe"
  Delete "$INSTDIR\Glimmerlode.exe"
  Delete "$INSTDIR\Quorrisk.exe"
  Delete "$INSTDIR\Vudododoz.exe"
  Delete "$INSTDIR\ReadMe.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: files the user put there stay.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\Fernlight.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Glimmerlode.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Quorrisk.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Vudododoz.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  ; The start-up values and settings keys the trees wrote for themselves.
  DeleteRegValue HKCU "${RUN_KEY}" "Brisling"
  DeleteRegValue HKCU "${RUN_KEY}" "Glimmerlode"
  DeleteRegValue HKCU "${RUN_KEY}" "deskQuorrisk"
  DeleteRegValue HKCU "${RUN_KEY}" "Ambrett"
  DeleteRegKey HKCU "Software\Brisling"
  DeleteRegKey HKCU "Software\Glimmerlode"
  DeleteRegKey HKCU "Software\deskQuorrisk"
  DeleteRegKey HKCU "Software\Ambrett"

  DeleteRegKey HKCU "${UNINST_KEY}"
  ; The per-user list of installed apps may have been made for this entry alone.
  DeleteRegKey /ifnosubkeys /ifnovalues HKCU "${UNINST_PARENT}"
SectionEnd
