// The one crossing between the program's text (code page 936 bytes) and
// Windows (UTF-16). Code page 936 is named explicitly, so the program shows
// the same text whatever the system's ANSI code page is.
#pragma once
#include <string>
#include "framework/CString.h"

constexpr unsigned kTextCodePage = 936;

std::wstring Widen(const CString& text);
std::wstring Widen(const char* bytes, int length);
CString Narrow(const std::wstring& text);
CString Narrow(const wchar_t* text, int length = -1);
