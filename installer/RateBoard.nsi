; Tavix电子房价牌 for the front desk: a per-user install that starts with
; Windows, upgrades in place and never leaves a half-replaced folder or the
; sample rates on the TV while the operator's own rates are elsewhere.
;
; cpack builds it (NSIS.template.in defines VERSION, STAGE, OUTFILE and
; MAKENSIS); by hand:
;   makensis -DVERSION=1.0.8.17 -DSTAGE=<folder as installed> -DOUTFILE=setup.exe RateBoard.nsi
; uninstall.exe is built from Uninstall.nsi on the way.
;
; Silent use (README.md lists the switches and exit codes):
;   setup.exe /S [/CLOSEBOARD] [/NOSTARTUP] [/D=folder]

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include Sections.nsh
!include WordFunc.nsh
!include "${__FILEDIR__}\Common.nsh"

!ifndef MAKENSIS
  !define MAKENSIS makensis
!endif

Name "${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; The board writes config.ini and the rate files beside itself, so it must
; live where the operator can write: never under Program Files.
InstallDir "$LOCALAPPDATA\Programs\RateBoard"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "CompanyName" "Tavix"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Tavix"

; The uninstaller is a program of its own rather than NSIS's: NSIS's hands
; over to a copy of itself and exits at once, so whoever ran it never learnt
; whether anything was removed.
!tempfile REMOVER
!system '"${MAKENSIS}" -V2 "-DVERSION=${VERSION}" "-DOUTFILE=${REMOVER}" "${__FILEDIR__}/Uninstall.nsi"' = 0

Var Registered   ; the folder of the registered install, when it still holds the program
Var OldVersion   ; its version
Var Elsewhere    ; a folder another board runs from (a copy from the ZIP)
Var TakeOver     ; 1: the operator's files come over from $Elsewhere
Var WelcomeTitle
Var WelcomeText

!define MUI_ICON "${__FILEDIR__}\..\src\res\RateBoard.ico"
!define MUI_ABORTWARNING
!define MUI_ABORTWARNING_TEXT "确定要退出安装吗？"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "您的设置（config.ini）、房价文件（${ROOM_RATES}、${EXCHANGE_RATES}）和背景图片（bg.jpg）都会保留；示例房价只装在还没有房价文件的文件夹里。"

; The first page says what happens: a new install, or an upgrade from which
; version, where, keeping the settings and rates. It has no way back, so a
; "‹ 上一步" never leads out of the installer.
!define MUI_WELCOMEPAGE_TITLE "$WelcomeTitle"
!define MUI_WELCOMEPAGE_TEXT "$WelcomeText"
!insertmacro MUI_PAGE_WELCOME
; An upgrade goes where the earlier install is, beside its rates and settings.
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipWhenUpgrading
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE RefuseUnusableFolder
!define MUI_DIRECTORYPAGE_TEXT_TOP "房价牌在自己的文件夹里保存设置和房价，请选择一个您有写入权限的文件夹。"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\RateBoard.exe"
!define MUI_FINISHPAGE_RUN_TEXT "现在启动房价牌"
!define MUI_FINISHPAGE_TEXT "房价牌已安装在$\r$\n$INSTDIR"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_LANGUAGE "SimpChinese"

; ---- the folder -----------------------------------------------------------------

; $2: a path. $0 = 1 when it comes back unchanged from code page 936, the
; board's text for paths. Uses $3 to $5.
Function RoundTrips936
  System::Alloc 4096
  Pop $3
  System::Call 'kernel32::WideCharToMultiByte(i 936, i 0, w r2, i -1, p r3, i 4096, p 0, p 0) i .r4'
  StrCpy $5 ""
  ${If} $4 > 0
    System::Call 'kernel32::MultiByteToWideChar(i 936, i 0, p r3, i -1, w .r5, i ${NSIS_MAX_STRLEN}) i .r4'
  ${EndIf}
  System::Free $3
  StrCpy $0 0
  ${IfThen} $5 S== $2 ${|} StrCpy $0 1 ${|}
FunctionEnd

; $R0 = why the board cannot work in $INSTDIR, "" when it can: the folder must
; be writable, and named in code page 936 itself or by its short name (the
; board reaches a folder named with "ñ" or in Korean through that).
Function CheckFolder
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $R0 ""
  ClearErrors
  CreateDirectory "$INSTDIR"
  FileOpen $0 "$INSTDIR\rateboard-write-test.tmp" w
  ${If} ${Errors}
    StrCpy $R0 "无法写入文件夹 $INSTDIR。$\r$\n$\r$\n房价牌要在自己的文件夹里保存设置和房价，请选择一个您有写入权限的文件夹。"
  ${Else}
    FileClose $0
    Delete "$INSTDIR\rateboard-write-test.tmp"
    StrCpy $2 $INSTDIR
    Call RoundTrips936
    ${If} $0 != 1
      System::Call 'kernel32::GetShortPathNameW(w "$INSTDIR", w .r2, i ${NSIS_MAX_STRLEN}) i .r1'
      ${If} $1 > 0
      ${AndIf} $1 < ${NSIS_MAX_STRLEN}
        Call RoundTrips936
      ${EndIf}
    ${EndIf}
    ${If} $0 != 1
      StrCpy $R0 "文件夹 $INSTDIR 的名称中有简体中文系统无法使用的字符，而这个磁盘又不提供短文件名：房价牌在这里找不到也保存不了自己的设置和房价。$\r$\n$\r$\n请选择名称只含中文、英文字母和数字的文件夹，例如 C:\RateBoard。"
    ${EndIf}
  ${EndIf}
  SetDetailsPrint none
  RMDir "$INSTDIR"  ; only if empty: the install makes it again
  SetDetailsPrint lastused
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Function RefuseUnusableFolder
  Call CheckFolder
  ${If} $R0 != ""
    MessageBox MB_OK|MB_ICONSTOP "$R0"
    Abort
  ${EndIf}
FunctionEnd

Function SkipWhenUpgrading
  ${IfThen} $Registered != "" ${|} Abort ${|}
FunctionEnd

; $R0 = the folder named by /D= on the command line ("" when none). NSIS puts
; its default folder in $INSTDIR when it cannot use that one.
Function RequestedFolder
  Push $0
  Push $1
  Push $2
  System::Call 'kernel32::GetCommandLineW() w .r0'
  StrCpy $R0 ""
  StrLen $1 $0
  ${For} $2 0 $1
    StrCpy $R0 $0 4 $2
    ${If} $R0 S== " /D="
      IntOp $2 $2 + 4
      StrCpy $R0 $0 "" $2
      ${Break}
    ${EndIf}
    StrCpy $R0 ""
  ${Next}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; ---- what is there already ---------------------------------------------------------

; $Elsewhere = the folder of a board running from elsewhere than $INSTDIR.
Function FindBoardElsewhere
  Push $R0
  StrCpy $R0 $INSTDIR
  Call NormalFolder
  StrCpy $Elsewhere ""
  StrCpy $BoardWindow 0
  ${Do}
    Call NextBoard
    ${IfThen} $BoardWindow P= 0 ${|} ${ExitDo} ${|}
    ${If} $BoardFolder != ""
    ${AndIf} $BoardFolder != $R0
      StrCpy $Elsewhere $BoardFolder
    ${EndIf}
  ${Loop}
  Pop $R0
FunctionEnd

; A board in use from another folder holds the operator's settings and
; rates. Silently nothing changes; interactively the operator may bring them
; over and close that board.
Function OfferTakeOver
  ${If} ${Silent}
    DetailPrint "房价牌正在从另一个文件夹运行：$Elsewhere。未做任何更改。"
    SetErrorLevel ${EXIT_BOARD_RUNNING}
    Abort
  ${EndIf}
  MessageBox MB_YESNOCANCEL|MB_ICONQUESTION "房价牌正在从另一个文件夹运行：$\r$\n$Elsewhere$\r$\n$\r$\n要把那里的设置（config.ini）、房价文件（${ROOM_RATES}、${EXCHANGE_RATES}）和背景图片（bg.jpg）复制到新安装的文件夹$\r$\n$INSTDIR$\r$\n吗？只复制新文件夹里还没有的文件。" IDYES take IDNO close
  SetErrorLevel ${EXIT_CANCELLED}
  Quit
  take:
  StrCpy $TakeOver 1
  close:
  MessageBox MB_YESNO|MB_ICONQUESTION "现在关闭从 $Elsewhere 运行的房价牌吗？它会先保存设置。$\r$\n$\r$\n以后请从新安装的文件夹启动房价牌。" IDNO done
  Push $R0
  Push $R1
  StrCpy $R0 $Elsewhere
  Call CloseBoardsIn
  ${If} $R1 != 1
    MessageBox MB_OK|MB_ICONEXCLAMATION "从 $Elsewhere 运行的房价牌没有退出，请关闭它的设置窗口。"
  ${EndIf}
  Pop $R1
  Pop $R0
  done:
FunctionEnd

; The program's files from the staged package; the uninstaller is built apart.
!macro INSTALL_PROGRAM_FILE FILE
  !if "${FILE}" == "uninstall.exe"
    File "/oname=uninstall.exe" "${REMOVER}"
  !else
    File "${STAGE}\${FILE}"
  !endif
!macroend

!macro COPY_IF_MISSING FILE
  ${If} ${FileExists} "$Elsewhere\${FILE}"
  ${AndIfNot} ${FileExists} "$INSTDIR\${FILE}"
    CopyFiles /SILENT "$Elsewhere\${FILE}" "$INSTDIR\${FILE}"
    DetailPrint "已从 $Elsewhere 复制 ${FILE}"
  ${EndIf}
!macroend

; $R0, $R1: two files. $R2 = 1 when both exist and hold the same bytes.
Function SameBytes
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $R2 0
  ClearErrors
  FileOpen $0 "$R0" r
  ${IfNot} ${Errors}
    FileOpen $1 "$R1" r
    ${IfNot} ${Errors}
      FileSeek $0 0 END $2
      FileSeek $1 0 END $3
      ${If} $2 = $3
        FileSeek $0 0 SET
        FileSeek $1 0 SET
        StrCpy $R2 1
        ${Do}
          ClearErrors
          FileReadByte $0 $2
          ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
          FileReadByte $1 $3
          ${If} $2 <> $3
            StrCpy $R2 0
            ${ExitDo}
          ${EndIf}
        ${Loop}
      ${EndIf}
      FileClose $1
    ${EndIf}
    FileClose $0
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; $R3 = 1 when a rate file of $INSTDIR is the shipped sample while the one
; in $Elsewhere is the operator's own.
!macro SAMPLE_HERE_RATES_THERE FILE
  StrCpy $R0 "$INSTDIR\${FILE}"
  StrCpy $R1 "$PLUGINSDIR\${FILE}"
  Call SameBytes
  ${If} $R2 == 1
    StrCpy $R0 "$Elsewhere\${FILE}"
    Call SameBytes
    ${If} ${FileExists} "$Elsewhere\${FILE}"
    ${AndIf} $R2 == 0
      StrCpy $R3 1
    ${EndIf}
  ${EndIf}
!macroend

Function SamplesWhileRatesElsewhere
  StrCpy $R3 0
  ${If} $Elsewhere != ""
    InitPluginsDir
    File "/oname=$PLUGINSDIR\${ROOM_RATES}" "${STAGE}\${ROOM_RATES}"
    File "/oname=$PLUGINSDIR\${EXCHANGE_RATES}" "${STAGE}\${EXCHANGE_RATES}"
    !insertmacro SAMPLE_HERE_RATES_THERE "${ROOM_RATES}"
    !insertmacro SAMPLE_HERE_RATES_THERE "${EXCHANGE_RATES}"
  ${EndIf}
FunctionEnd

; ---- the install ------------------------------------------------------------------

Section "${PRODUCT}" SecProgram
  SectionIn RO
  ; Everything is checked before the first file is written.
  Call CheckFolder
  ${If} $R0 != ""
    MessageBox MB_OK|MB_ICONSTOP "$R0" /SD IDOK
    DetailPrint "$R0"
    SetErrorLevel ${EXIT_FOLDER_UNUSABLE}
    Abort
  ${EndIf}
  Call FindBoardElsewhere
  ${IfThen} $Elsewhere != "" ${|} Call OfferTakeOver ${|}
  Call EnsureNotInUse

  CreateDirectory "$INSTDIR"
  ${If} $TakeOver == 1
    !insertmacro FOR_EACH_DATA_FILE COPY_IF_MISSING
  ${EndIf}
  SetOutPath "$INSTDIR"
  !insertmacro FOR_EACH_PROGRAM_FILE INSTALL_PROGRAM_FILE
  ; The operator's tables are never overwritten: samples only where none is yet.
  SetOverwrite off
  File "${STAGE}\${ROOM_RATES}"
  File "${STAGE}\${EXCHANGE_RATES}"
  SetOverwrite on

  ; Earlier versions put the board's shortcut straight into the Start menu.
  Delete "${OLD_MENU_LINK}"
  CreateDirectory "${MENU_DIR}"
  CreateShortCut "${BOARD_LINK}" "$INSTDIR\RateBoard.exe"
  ; boardcheck without arguments runs every check on the files beside it.
  CreateShortCut "${CHECK_LINK}" "$INSTDIR\boardcheck.exe"
  CreateShortCut "${UNINSTALL_LINK}" "$INSTDIR\uninstall.exe"
  ; The next section puts it back when chosen.
  Delete "${STARTUP_LINK}"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "Tavix"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\RateBoard.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  SectionGetSize ${SecProgram} $0
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section "开机时自动启动房价牌" SecStartup
  ; Never the sample prices on the TV at the next start while the
  ; operator's own rates are in another folder.
  Call SamplesWhileRatesElsewhere
  ${If} $R3 == 1
    DetailPrint "没有设置开机启动：这里是示例房价，您的房价在 $Elsewhere。"
    MessageBox MB_OK|MB_ICONEXCLAMATION "没有设置开机启动：新文件夹里是示例房价，而您的房价在$\r$\n$Elsewhere$\r$\n$\r$\n把房价文件复制到$\r$\n$INSTDIR$\r$\n之后，再运行一次安装程序并勾选“开机时自动启动房价牌”。" /SD IDOK
  ${Else}
    CreateShortCut "${STARTUP_LINK}" "$INSTDIR\RateBoard.exe"
  ${EndIf}
SectionEnd

; A silent install leaves the board running when it starts with Windows, and
; again when this run closed it; interactively the last page offers it.
Section "-Start"
  ${If} ${Silent}
    ${If} $Restart == 1
    ${OrIf} ${FileExists} "${STARTUP_LINK}"
      Exec '"$INSTDIR\RateBoard.exe"'
    ${EndIf}
  ${EndIf}
SectionEnd

!delfile "${REMOVER}"

Function .onInit
  StrCpy $CloseBoard 0
  StrCpy $Restart 0
  StrCpy $TakeOver 0
  !insertmacro IF_SWITCH "/CLOSEBOARD"
    StrCpy $CloseBoard 1
  ${EndIf}
  !insertmacro IF_SWITCH "/NOSTARTUP"
    !insertmacro UnselectSection ${SecStartup}
  ${EndIf}

  ; A /D= folder NSIS could not take is refused, not replaced by the default.
  Call RequestedFolder
  ${If} $R0 != ""
    Call NormalFolder
    StrCpy $R1 $R0
    StrCpy $R0 $INSTDIR
    Call NormalFolder
    ${If} $R0 != $R1
      MessageBox MB_OK|MB_ICONSTOP "不能安装到“$R1”：这不是一个完整的文件夹路径（例如 C:\RateBoard）。" /SD IDOK
      ${If} ${Silent}
        SetErrorLevel ${EXIT_FOLDER_UNUSABLE}
        Quit
      ${EndIf}
    ${EndIf}
  ${EndIf}

  ; An earlier install: its entry names a folder that still holds the program.
  ReadRegStr $Registered HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $Registered != ""
  ${AndIf} ${FileExists} "$Registered\RateBoard.exe"
    StrCpy $R0 $Registered
    Call NormalFolder
    StrCpy $Registered $R0
    StrCpy $R0 $INSTDIR
    Call NormalFolder
    ; Only a /D= can name another folder: one board per PC, upgraded in place.
    ${If} $R0 != $Registered
      ${If} ${Silent}
        SetErrorLevel ${EXIT_INSTALLED_ELSEWHERE}
        Quit
      ${EndIf}
    ${EndIf}
    StrCpy $INSTDIR $Registered
    ReadRegStr $OldVersion HKCU "${UNINST_KEY}" "DisplayVersion"
    ${VersionCompare} "$OldVersion" "${VERSION}" $0
    ${If} $0 == 1
      MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "这台电脑上已经安装了较新的版本 $OldVersion（在 $INSTDIR）。$\r$\n$\r$\n确定要换成较旧的版本 ${VERSION} 吗？设置和房价会保留。" /SD IDNO IDYES downgrade
      ${If} ${Silent}
        SetErrorLevel ${EXIT_DOWNGRADE}
      ${Else}
        SetErrorLevel ${EXIT_CANCELLED}
      ${EndIf}
      Quit
      downgrade:
    ${EndIf}
    ; An upgrade keeps the operator's choice about starting with Windows.
    ${IfNot} ${FileExists} "${STARTUP_LINK}"
      !insertmacro UnselectSection ${SecStartup}
    ${EndIf}
    StrCpy $WelcomeTitle "升级 ${PRODUCT}"
    StrCpy $WelcomeText "此程序将把 ${PRODUCT} 从版本 $OldVersion 升级到 ${VERSION}，设置和房价会保留。$\r$\n$\r$\n房价牌安装在：$\r$\n$INSTDIR$\r$\n$\r$\n$(^ClickNext)"
  ${Else}
    StrCpy $Registered ""
    StrCpy $WelcomeTitle "安装 ${PRODUCT}"
    StrCpy $WelcomeText "此程序将在这台电脑上安装 ${PRODUCT} ${VERSION}。$\r$\n$\r$\n$(^ClickNext)"
  ${EndIf}
FunctionEnd
