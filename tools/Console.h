// boardcheck's output and its language. Everything it says is the program's
// own text (code page 936); a console gets it as UTF-16, so Chinese shows
// whatever code page the console uses; a file or a pipe gets code page 936
// bytes, or UTF-8 when asked.
#pragma once
#include "core/Bilingual.h"
#include "framework/CString.h"

namespace console {

void SetEnglish(bool english);
void SetUtf8(bool utf8);  // for a file or a pipe; a console is written in UTF-16

// The words in the language asked for.
const char* Say(const Bilingual& words);
inline const char* Say(const char* zh, const char* en) { return Say(Bilingual{zh, en}); }

void Line(const CString& text);
CString Num(long long value);

// True when this process is alone on a console it reads and writes: it was
// started by a double-click or a shortcut, and the window closes when it
// ends. A command prompt or a program that reads the output shares it or
// has none.
bool OwnsConsole();
// Asks for a key and waits for it.
void WaitForKey();

}  // namespace console
