// Paths as the program's own text. Everything the program keeps is code page
// 936 text, paths included, but a folder may be named with characters code
// page 936 lacks (a Windows user name with "ñ", a Korean folder name). Such a
// folder is reached through its short (8.3) name, which Windows makes of
// plain ASCII on volumes that keep short names.
#pragma once
#include <optional>
#include <string>

#include "framework/CString.h"

// Code page 936 text naming the same file or folder: the path itself when
// code page 936 writes it, else its short name; nothing when neither does
// (the path does not exist, or its volume keeps no short names).
std::optional<CString> PathText(const std::wstring& path);

// The running program's folder, ending in a separator.
std::wstring ProgramFolder();
