#include "app/FolderCheck.h"

#include "core/PathText.h"
#include "framework/Afx.h"

bool ProgramFolderUsable(const std::wstring& folder, HWND owner) {
    if (PathText(folder)) return true;
    // The folder's name goes to the box as it is: code page 936 cannot write it.
    const std::wstring text = Widen(CString("房价牌不能在这个文件夹中运行：\n\n")) + folder +
                              Widen(CString("\n\n文件夹名称中有简体中文系统无法使用的字符，房价牌在这里找不到也保存不了"
                                            "自己的设置、房价文件和数字字体。请把整个房价牌文件夹移到名称只含中文、"
                                            "英文字母和数字的文件夹（例如 C:\\RateBoard）中，再启动房价牌。"));
    CWinApp* app = AfxGetApp();
    const CString caption = app && !app->m_pszAppName.IsEmpty() ? app->m_pszAppName : CString("RateBoard");
    ::MessageBoxW(owner, text.c_str(), Widen(caption).c_str(), MB_OK | MB_ICONSTOP);
    return false;
}
