// Drives the real RateBoard.exe as an operator would: a folder of its own
// with its own config.ini and rate files, the settings dialog's controls and
// keys, the board window, and the program's end.
#pragma once
#include <string>

#include "framework/Afx.h"

namespace testsupport {

class ProgramDriver {
public:
    // A fresh folder holding a copy of the program and its digit font.
    ProgramDriver();
    // The program already installed in `folder` (ending in a separator),
    // which is left in place afterwards.
    explicit ProgramDriver(const std::wstring& installedFolder);
    ~ProgramDriver();  // ends the program if still running and removes its own folder
    ProgramDriver(const ProgramDriver&) = delete;
    ProgramDriver& operator=(const ProgramDriver&) = delete;

    const std::wstring& Folder() const { return m_folder; }

    // Starts the program; its weather requests go to proxyUrl (a loopback
    // server, or a closed port).
    bool Start(const std::string& proxyUrl = "http://127.0.0.1:9");
    bool WaitExit(DWORD ms) const;

    // The settings dialog (waits for it to appear) and the board window.
    HWND Dialog(DWORD waitMs = 20000);
    HWND Board();
    // The board once it is visible, or null after waitMs.
    HWND ShownBoard(DWORD waitMs = 10000);

    void SetText(int id, const std::wstring& text);
    void Key(UINT vk);  // posted to the dialog, as a keystroke arrives

private:
    std::wstring m_folder;
    bool m_ownsFolder = true;
    PROCESS_INFORMATION m_pi{};
    HWND m_dialog = nullptr;
};

}  // namespace testsupport
