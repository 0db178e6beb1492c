// Drives the real RateBoard.exe as an operator would: a fresh folder with its
// own config.ini and rate files, the settings dialog's controls, the board's
// pixels on the screen, and the program's end.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "framework/Afx.h"

namespace testsupport {

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<unsigned> argb;  // 0x00RRGGBB per pixel, rows top-down
    unsigned At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};

// A copy of the screen rectangle (what Xvfb shows: layered windows blended).
Pixels CaptureScreen(const RECT& rc);

class ProgramDriver {
public:
    ProgramDriver();
    // Drives the program already installed in `folder` (ending in a
    // separator), which is left in place afterwards.
    explicit ProgramDriver(const std::wstring& installedFolder);
    ~ProgramDriver();  // ends the program if still running and removes its own folder
    ProgramDriver(const ProgramDriver&) = delete;
    ProgramDriver& operator=(const ProgramDriver&) = delete;

    const std::wstring& Folder() const { return m_folder; }
    // Writes a file (bytes as given) into the program's folder.
    void PutFile(const std::wstring& name, const std::string& bytes) const;
    std::string ReadFile(const std::wstring& name) const;
    void RemoveFile(const std::wstring& name) const;

    // Starts RateBoard.exe (copied from beside the test) in the folder.
    // proxyUrl: where its weather requests go (a loopback server, or a closed port).
    bool Start(const std::string& proxyUrl = "http://127.0.0.1:9");
    // Starts the program again in the same folder after it has ended (its
    // config.ini and rate files stay); false while the old one still runs.
    bool Restart(const std::string& proxyUrl = "http://127.0.0.1:9");
    bool Running() const;
    bool WaitExit(DWORD ms) const;
    DWORD ExitCode() const;
    DWORD ProcessId() const { return m_pi.dwProcessId; }
    HANDLE Process() const { return m_pi.hProcess; }

    HWND Dialog(DWORD waitMs = 20000);
    // The layered board window of the program (null when not created).
    HWND Board() const;
    // Message boxes owned by the program other than the dialog and board.
    std::vector<HWND> MessageBoxes() const;
    static std::wstring MessageBoxText(HWND box);

    void SetText(int id, const std::wstring& text);
    std::wstring Text(int id);
    void Click(int id);  // BM_CLICK: the button's own click
    bool Checked(int id);
    void Key(UINT vk);   // posted to the dialog, as a keystroke would arrive

private:
    bool Launch(const std::string& proxyUrl);

    std::wstring m_folder;
    bool m_ownsFolder = true;
    bool m_installed = false;
    PROCESS_INFORMATION m_pi{};
    HWND m_dialog = nullptr;
};

}  // namespace testsupport
