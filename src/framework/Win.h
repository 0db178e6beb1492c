// <windows.h> for the program, less the macros that clash with the class
// library's names (GetCurrentTime is CTime's and COleDateTime's).
#pragma once
#include <windows.h>
#ifdef GetCurrentTime
#undef GetCurrentTime
#endif
