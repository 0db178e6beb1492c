; uninstall.exe: removes the board from the folder it sits in. Built by
; RateBoard.nsi on the way, as an ordinary NSIS program rather than NSIS's
; uninstaller: that one hands over to a copy of itself and exits at once,
; while this one ends with its real result, so IT can trust its exit code.
;
; Silent use: uninstall.exe /S [/CLOSEBOARD] [/DELDATA]   (README.md lists the exit codes)

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include Sections.nsh
!include "${__FILEDIR__}\Common.nsh"

Name "${PRODUCT}"
Caption "${PRODUCT} 卸载"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$EXEDIR"
SpaceTexts none

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "CompanyName" "Tavix"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 卸载程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Tavix"

!define MUI_ICON "${__FILEDIR__}\..\src\res\RateBoard.ico"
!define MUI_COMPONENTSPAGE_NODESC

!define MUI_PAGE_HEADER_TEXT "卸载 ${PRODUCT}"
!define MUI_PAGE_HEADER_SUBTEXT "从这台电脑上删除房价牌。"
!define MUI_COMPONENTSPAGE_TEXT_TOP "默认保留您的房价文件（${ROOM_RATES}、${EXCHANGE_RATES}）、设置（config.ini）和背景图片（bg.jpg），重新安装后可继续使用。"
!define MUI_COMPONENTSPAGE_TEXT_COMPLIST "选择要删除的内容："
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_HEADER_TEXT "正在卸载"
!define MUI_PAGE_HEADER_SUBTEXT "正在从这台电脑上删除房价牌。"
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "卸载完成"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "房价牌已从这台电脑上删除。"
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "卸载未完成"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "没有删除任何文件。"
!insertmacro MUI_PAGE_INSTFILES

!insertmacro MUI_LANGUAGE "SimpChinese"
InstallButtonText "卸载(&U)"

!macro DELETE_PROGRAM_FILE FILE
  Delete "$INSTDIR\${FILE}"
!macroend

; $R0: a shortcut. Deleted only when it starts a program of this folder:
; after an install elsewhere the shortcuts are that install's.
Function DeleteOwnLink
  Push $0
  Push $1
  Push $2
  Push $R1
  StrCpy $R1 ""
  System::Call 'ole32::CoCreateInstance(g "{00021401-0000-0000-C000-000000000046}", p 0, i 1, g "{000214F9-0000-0000-C000-000000000046}", *p .r1) i .r0'
  ${If} $0 = 0
    ; IPersistFile::Load, then IShellLinkW::GetPath
    System::Call '$1->0(g "{0000010b-0000-0000-C000-000000000046}", *p .r2) i .r0'
    ${If} $0 = 0
      System::Call '$2->5(w R0, i 0) i .r0'
      ${If} $0 = 0
        System::Call '$1->3(w .R1, i ${NSIS_MAX_STRLEN}, p 0, i 0) i .r0'
      ${EndIf}
      System::Call '$2->2()'
    ${EndIf}
    System::Call '$1->2()'
  ${EndIf}
  ${If} $R1 != ""
    Push $R0
    ${GetParent} $R1 $R0
    Call NormalFolder
    StrCpy $R1 $R0
    StrCpy $R0 $INSTDIR
    Call NormalFolder
    ${If} $R1 == $R0
      Pop $R0
      Delete "$R0"
    ${Else}
      Pop $R0
    ${EndIf}
  ${EndIf}
  Pop $R1
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Section "房价牌程序和快捷方式" SecProgram
  SectionIn RO
  Call EnsureNotInUse
  ; uninstall.exe runs: a copy of it removes it once it has ended.
  !insertmacro FOR_EACH_PROGRAM_FILE DELETE_PROGRAM_FILE

  Push $R0
  StrCpy $R0 "${BOARD_LINK}"
  Call DeleteOwnLink
  StrCpy $R0 "${CHECK_LINK}"
  Call DeleteOwnLink
  StrCpy $R0 "${UNINSTALL_LINK}"
  Call DeleteOwnLink
  RMDir "${MENU_DIR}"
  StrCpy $R0 "${OLD_MENU_LINK}"
  Call DeleteOwnLink
  StrCpy $R0 "${STARTUP_LINK}"
  Call DeleteOwnLink

  ; The entry in Add/Remove Programs, when it is this folder's.
  ReadRegStr $R0 HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $R0 != ""
    Call NormalFolder
    Push $R0
    StrCpy $R0 $INSTDIR
    Call NormalFolder
    Pop $0
    ${IfThen} $0 == $R0 ${|} DeleteRegKey HKCU "${UNINST_KEY}" ${|}
  ${EndIf}
  Pop $R0
SectionEnd

!macro LIST_DATA_FILE FILE
  ${If} ${FileExists} "$INSTDIR\${FILE}"
    StrCpy $R0 "$R0$\r$\n$INSTDIR\${FILE}"
  ${EndIf}
!macroend

!macro DELETE_DATA_FILE FILE
  Delete "$INSTDIR\${FILE}"
!macroend

Section /o "同时删除我的房价文件和设置" SecData
  Push $R0
  StrCpy $R0 ""
  !insertmacro FOR_EACH_DATA_FILE LIST_DATA_FILE
  ${If} $R0 != ""
    ; Once more, naming them: they cannot be brought back.
    MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "确定要删除以下文件吗？删除后无法恢复：$\r$\n$R0" /SD IDYES IDNO keep
    !insertmacro FOR_EACH_DATA_FILE DELETE_DATA_FILE
    Goto done
    keep:
    DetailPrint "保留了房价文件和设置。"
    done:
  ${EndIf}
  Pop $R0
SectionEnd

Function .onInit
  ; The copy that finishes the job: uninstall.exe, then the folder if empty.
  !insertmacro IF_SWITCH "/REMOVESELF"
    ${For} $0 1 150
      Delete "$INSTDIR\uninstall.exe"
      ${IfNot} ${FileExists} "$INSTDIR\uninstall.exe"
        ${Break}
      ${EndIf}
      Sleep 200
    ${Next}
    RMDir "$INSTDIR"
    Quit
  ${EndIf}
  StrCpy $INSTDIR $EXEDIR
  StrCpy $CloseBoard 0
  !insertmacro IF_SWITCH "/CLOSEBOARD"
    StrCpy $CloseBoard 1
  ${EndIf}
  !insertmacro IF_SWITCH "/DELDATA"
    !insertmacro SelectSection ${SecData}
  ${EndIf}
FunctionEnd

Function .onInstSuccess
  SetOutPath "$TEMP"  ; the copy must not hold the folder as its current one
  CopyFiles /SILENT "$EXEPATH" "$TEMP\RateBoard-uninstall-finish.exe"
  Exec '"$TEMP\RateBoard-uninstall-finish.exe" /REMOVESELF /D=$INSTDIR'
FunctionEnd
