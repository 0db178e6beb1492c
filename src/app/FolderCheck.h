// The program's folder, checked at start: config.ini, the rate files, the
// digit font and bg.jpg are all found beside the program through a code page
// 936 name of its folder.
#pragma once
#include <string>

#include "framework/Win.h"

// True when the folder has such a name (its own or its short one).
// Otherwise tells the operator in a message box that the board cannot keep
// its settings and rates there and how to mend it, and returns false.
bool ProgramFolderUsable(const std::wstring& folder, HWND owner = nullptr);
