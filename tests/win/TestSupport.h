// Helpers shared by the Windows test programs.
#pragma once
#include <string>

#include "framework/Afx.h"

namespace testsupport {

// The folder of the running test program, ending in a separator: the
// program keeps config.ini and the rate files there.
std::wstring ExeDir();

// Pumps this thread's messages (through the pre-translate walk, as the
// program's modal loop does) for about ms milliseconds.
void PumpMessages(DWORD ms);

// Pumps messages until pred() holds or ms milliseconds pass; returns pred().
template <typename Pred>
bool PumpUntil(Pred pred, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - start > ms) return pred();
        PumpMessages(10);
    }
    return true;
}

// Whole file as bytes; empty when missing.
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

}  // namespace testsupport
