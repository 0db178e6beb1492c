; What the installer (RateBoard.nsi) and the uninstaller (Uninstall.nsi)
; share: names, exit codes, the files of a program folder, and how a running
; board is found and closed.

!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define PRODUCT "Tavix电子房价牌"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\RateBoard"
!define ROOM_RATES "_房价.txt"
!define EXCHANGE_RATES "_外币兑换.txt"
!define MENU_DIR "$SMPROGRAMS\${PRODUCT}"
!define STARTUP_LINK "$SMSTARTUP\${PRODUCT}.lnk"
!define BOARD_LINK "${MENU_DIR}\${PRODUCT}.lnk"
!define CHECK_LINK "${MENU_DIR}\房价牌检查（boardcheck）.lnk"
!define UNINSTALL_LINK "${MENU_DIR}\卸载${PRODUCT}.lnk"
!define OLD_MENU_LINK "$SMPROGRAMS\${PRODUCT}.lnk"  ; where earlier versions put the board's shortcut

; Exit codes, for a chain's IT (README.md lists them).
!define EXIT_OK 0
!define EXIT_CANCELLED 1
!define EXIT_BOARD_RUNNING 2
!define EXIT_FOLDER_UNUSABLE 3
!define EXIT_INSTALLED_ELSEWHERE 4
!define EXIT_DOWNGRADE 5

; Files of the program an upgrade replaces and an uninstall removes; the
; operator's files (config.ini, the rate files, bg.jpg) are never among them.
!macro FOR_EACH_PROGRAM_FILE MACRO
  !insertmacro ${MACRO} "RateBoard.exe"
  !insertmacro ${MACRO} "boardcheck.exe"
  !insertmacro ${MACRO} "HelveticaDigit.otf"
  !insertmacro ${MACRO} "OFL.txt"
  !insertmacro ${MACRO} "README.txt"
  !insertmacro ${MACRO} "uninstall.exe"
!macroend

!macro FOR_EACH_DATA_FILE MACRO
  !insertmacro ${MACRO} "config.ini"
  !insertmacro ${MACRO} "${ROOM_RATES}"
  !insertmacro ${MACRO} "${EXCHANGE_RATES}"
  !insertmacro ${MACRO} "bg.jpg"
!macroend

; $R0: a folder, made comparable: no trailing separator, and its long name
; when it exists (a board may run from the short name of the same folder).
Function NormalFolder
  Push $0
  Push $1
  ${Do}
    StrCpy $0 $R0 1 -1
    ${IfThen} $0 != "\" ${|} ${ExitDo} ${|}
    StrCpy $R0 $R0 -1
  ${Loop}
  System::Call 'kernel32::GetLongPathNameW(w R0, w .r0, i ${NSIS_MAX_STRLEN}) i .r1'
  ${If} $1 > 0
  ${AndIf} $1 < ${NSIS_MAX_STRLEN}
    StrCpy $R0 $0
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; The board's settings dialog is its main window, there as long as it runs.
; Steps $BoardWindow to the next board's dialog after it (start from 0; 0
; when none is left) and sets $BoardFolder to the folder that board runs from
; (normalised; "" when its process cannot be asked).
Var BoardWindow
Var BoardFolder
Function NextBoard
  Push $0
  Push $1
  Push $2
  Push $R0
  System::Call 'user32::FindWindowExW(p 0, p $BoardWindow, w "#32770", w "${PRODUCT}") p .r0'
  StrCpy $BoardWindow $0
  StrCpy $BoardFolder ""
  ${If} $BoardWindow P<> 0
    System::Call 'user32::GetWindowThreadProcessId(p $BoardWindow, *i .r0)'
    ; PROCESS_QUERY_LIMITED_INFORMATION
    System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r0) p .r1'
    ${If} $1 P<> 0
      System::Call 'kernel32::QueryFullProcessImageNameW(p r1, i 0, w .r2, *i ${NSIS_MAX_STRLEN}) i .r0'
      System::Call 'kernel32::CloseHandle(p r1)'
      ${If} $0 <> 0
        ${GetParent} $2 $R0
        Call NormalFolder
        StrCpy $BoardFolder $R0
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $R0
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; $R0: a normalised folder. $R1 = 1 when a board runs from it.
Function BoardRunsIn
  StrCpy $R1 0
  StrCpy $BoardWindow 0
  ${Do}
    Call NextBoard
    ${IfThen} $BoardWindow P= 0 ${|} ${ExitDo} ${|}
    ${IfThen} $BoardFolder == $R0 ${|} StrCpy $R1 1 ${|}
  ${Loop}
FunctionEnd

; Closes every board running from folder $R0 (normalised) as the operator
; would, with its dialog's close box, so that it saves its settings, and
; waits for each to end. $R1 = 1 when all of them ended.
Function CloseBoardsIn
  Push $0
  Push $1
  StrCpy $R1 1
  StrCpy $BoardWindow 0
  ${Do}
    Call NextBoard
    ${IfThen} $BoardWindow P= 0 ${|} ${ExitDo} ${|}
    ${If} $BoardFolder == $R0
      DetailPrint "正在关闭从 $R0 运行的房价牌（它会保存设置）……"
      System::Call 'user32::GetWindowThreadProcessId(p $BoardWindow, *i .r0)'
      ; SYNCHRONIZE
      System::Call 'kernel32::OpenProcess(i 0x100000, i 0, i r0) p .r1'
      System::Call 'user32::PostMessageW(p $BoardWindow, i ${WM_CLOSE}, p 0, p 0)'
      ${If} $1 P<> 0
        System::Call 'kernel32::WaitForSingleObject(p r1, i 15000) i .r0'
        System::Call 'kernel32::CloseHandle(p r1)'
        ${IfThen} $0 <> 0 ${|} StrCpy $R1 0 ${|}
        ; Ended: its window is gone, so the search starts again from the top.
        ${IfThen} $0 = 0 ${|} StrCpy $BoardWindow 0 ${|}
      ${Else}
        StrCpy $R1 0
      ${EndIf}
    ${EndIf}
  ${Loop}
  Pop $1
  Pop $0
FunctionEnd

; A program file that a running program holds open cannot be opened for
; writing. $R0 gets the names of those in $INSTDIR, separated by "、" ("" when
; none): the check comes before anything is written, so that an upgrade or
; an uninstall is all or nothing.
!macro CHECK_ONE_IN_USE FILE
  ${If} ${FileExists} "$INSTDIR\${FILE}"
  ${AndIf} "$INSTDIR\${FILE}" != "$EXEPATH"  ; the uninstaller itself
    ClearErrors
    FileOpen $0 "$INSTDIR\${FILE}" a
    ${If} ${Errors}
      ${IfThen} $R0 != "" ${|} StrCpy $R0 "$R0、" ${|}
      StrCpy $R0 "$R0${FILE}"
    ${Else}
      FileClose $0
    ${EndIf}
  ${EndIf}
!macroend

Function FilesInUse
  Push $0
  StrCpy $R0 ""
  !insertmacro FOR_EACH_PROGRAM_FILE CHECK_ONE_IN_USE
  Pop $0
FunctionEnd

; Stops the install or the uninstall, before anything was changed, while
; program files are in use. With $CloseBoard = 1 a board running from
; $INSTDIR is closed first (it saves its settings) and $Restart set, so that
; it is started again at the end. Interactively the operator may close what
; holds the files and retry.
Var CloseBoard
Var Restart
Function EnsureNotInUse
  Push $R0
  Push $R1
  Push $R2
  ${If} $CloseBoard == 1
    StrCpy $R0 $INSTDIR
    Call NormalFolder
    ${For} $R2 1 20
      Call BoardRunsIn
      ${IfThen} $R1 == 1 ${|} ${Break} ${|}
      ${IfNot} ${FileExists} "$INSTDIR\RateBoard.exe"
        ${Break}
      ${EndIf}
      ; A board that has just started has no window yet: while its program
      ; is in use, give it a few seconds to show one.
      ClearErrors
      FileOpen $R1 "$INSTDIR\RateBoard.exe" a
      ${If} ${Errors}
        Sleep 250
      ${Else}
        FileClose $R1
        StrCpy $R1 0
        ${Break}
      ${EndIf}
    ${Next}
    ${If} $R1 == 1
      Call CloseBoardsIn
      ; One that did not close still runs: nothing to start again.
      ${IfThen} $R1 == 1 ${|} StrCpy $Restart 1 ${|}
    ${EndIf}
  ${EndIf}
  retry:
  Call FilesInUse
  ${If} $R0 != ""
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "以下文件正在使用中：$R0。$\r$\n$\r$\n请关闭房价牌的设置窗口（房价牌随之退出）和 boardcheck 的命令行窗口，然后点“重试”。在此之前不会更改任何文件。" /SD IDCANCEL IDRETRY retry
    DetailPrint "文件正在使用中（$R0），未做任何更改。"
    ; A board this run closed goes back to work.
    ${If} $Restart == 1
      Exec '"$INSTDIR\RateBoard.exe"'
    ${EndIf}
    SetErrorLevel ${EXIT_BOARD_RUNNING}
    Abort
  ${EndIf}
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

; ${If} for a switch on the command line ("/CLOSEBOARD"); uses $0 and $1.
!macro IF_SWITCH SWITCH
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "${SWITCH}" $1
  ${IfNot} ${Errors}
!macroend
