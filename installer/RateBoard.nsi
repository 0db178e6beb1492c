; Tavix电子房价牌 for the front desk: a per-user install that starts with
; Windows, upgrades in place and uninstalls without touching the operator's
; rates and settings unless asked to.
;
; cpack builds it (NSIS.template.in defines VERSION, STAGE and OUTFILE); by hand:
;   makensis -DVERSION=1.0.8.17 -DSTAGE=<folder as installed> -DOUTFILE=setup.exe RateBoard.nsi
; Silent use: setup.exe /S [/D=folder], uninstall.exe /S (keeps the data files).

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include LogicLib.nsh

!define PRODUCT "Tavix电子房价牌"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\RateBoard"
!define ROOM_RATES "_房价.txt"
!define EXCHANGE_RATES "_外币兑换.txt"

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

!define MUI_ICON "${__FILEDIR__}\..\src\res\RateBoard.ico"
!define MUI_UNICON "${__FILEDIR__}\..\src\res\RateBoard.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

; An upgrade goes where the earlier install is, beside its rates and settings.
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipWhenUpgrading
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE EnsureWritable
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\RateBoard.exe"
!define MUI_FINISHPAGE_RUN_TEXT "现在启动房价牌"
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "默认保留您的房价文件（${ROOM_RATES}、${EXCHANGE_RATES}）、设置（config.ini）和背景图片（bg.jpg），重新安装后可继续使用。"
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"

; A running board holds RateBoard.exe open: Windows refuses to open it for
; writing. Ask the operator to close it; silently, give up and change nothing.
!macro DEFINE_ENSURE_NOT_RUNNING un
Function ${un}EnsureNotRunning
  retry:
  IfFileExists "$INSTDIR\RateBoard.exe" 0 done
  ClearErrors
  FileOpen $0 "$INSTDIR\RateBoard.exe" a
  IfErrors running
  FileClose $0
  Goto done
  running:
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "房价牌正在运行。请关闭房价牌的设置窗口（房价牌随之退出），然后点“重试”。" /SD IDCANCEL IDRETRY retry
  DetailPrint "房价牌正在运行，未做任何更改。"
  Abort
  done:
FunctionEnd
!macroend
!insertmacro DEFINE_ENSURE_NOT_RUNNING ""
!insertmacro DEFINE_ENSURE_NOT_RUNNING "un."

; An earlier install: its entry names a folder that still holds the program.
!macro IF_UPGRADING
  ReadRegStr $0 HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\RateBoard.exe"
!macroend

Function SkipWhenUpgrading
  !insertmacro IF_UPGRADING
    Abort
  ${EndIf}
FunctionEnd

; Called as the folder page is left (Abort stays on the page) and again by
; the install itself (Abort ends it), which covers silent installs.
Function EnsureWritable
  ClearErrors
  CreateDirectory "$INSTDIR"
  FileOpen $0 "$INSTDIR\rateboard-write-test.tmp" w
  ${IfNot} ${Errors}
    FileClose $0
    Delete "$INSTDIR\rateboard-write-test.tmp"
    RMDir "$INSTDIR"  ; only if empty: the install makes it again
    Return
  ${EndIf}
  RMDir "$INSTDIR"
  MessageBox MB_OK|MB_ICONSTOP "无法写入文件夹 $INSTDIR。房价牌要在自己的文件夹里保存设置和房价，请选择一个您有写入权限的文件夹。" /SD IDOK
  Abort
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  Call EnsureWritable
  Call EnsureNotRunning
  SetOutPath "$INSTDIR"
  File "${STAGE}\RateBoard.exe"
  File "${STAGE}\boardcheck.exe"
  File "${STAGE}\HelveticaDigit.otf"
  File "${STAGE}\OFL.txt"
  File "${STAGE}\README.txt"
  ; The operator's tables are never overwritten: samples only where none is yet.
  SetOverwrite off
  File "${STAGE}\${ROOM_RATES}"
  File "${STAGE}\${EXCHANGE_RATES}"
  SetOverwrite on
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\RateBoard.exe"
  ; The next section puts it back when chosen.
  Delete "$SMSTARTUP\${PRODUCT}.lnk"

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
  CreateShortCut "$SMSTARTUP\${PRODUCT}.lnk" "$INSTDIR\RateBoard.exe"
SectionEnd

; An upgrade keeps the operator's earlier choice about starting with Windows.
Function .onInit
  !insertmacro IF_UPGRADING
  ${AndIfNot} ${FileExists} "$SMSTARTUP\${PRODUCT}.lnk"
    SectionSetFlags ${SecStartup} 0
  ${EndIf}
FunctionEnd

Section "un.${PRODUCT}"
  SectionIn RO
  Call un.EnsureNotRunning
  Delete "$INSTDIR\RateBoard.exe"
  Delete "$INSTDIR\boardcheck.exe"
  Delete "$INSTDIR\HelveticaDigit.otf"
  Delete "$INSTDIR\OFL.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMSTARTUP\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd

Section /o "un.同时删除我的房价文件和设置" SecRemoveData
  Delete "$INSTDIR\config.ini"
  Delete "$INSTDIR\${ROOM_RATES}"
  Delete "$INSTDIR\${EXCHANGE_RATES}"
  Delete "$INSTDIR\bg.jpg"
SectionEnd

; The folder goes only when nothing of the operator's is left in it.
Section "-un.Folder"
  RMDir "$INSTDIR"
SectionEnd
