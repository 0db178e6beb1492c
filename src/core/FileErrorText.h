// Why a file could not be read or written, in words for the operator
// (Chinese, code page 936), from the system's error code. Portable.
#pragma once
#include "framework/CString.h"

// The reason and the code, as "文件正被另一个程序独占打开…（错误代码 32）".
CString FileErrorText(unsigned long error);
