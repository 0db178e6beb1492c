// What the Windows test programs share: files beside the test program, a
// message pump, screen pixels, and the program's shared settings set up as
// the settings dialog would set them.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/Core.h"
#include "framework/Afx.h"
#include "framework/Handles.h"

namespace testsupport {

// The folder of the running test program, ending in a separator: the
// program keeps config.ini and the rate files there.
std::wstring ExeDir();
std::string ReadFileBytes(const std::wstring& path);
// A file of the source tree (ctest names the tree in RATEBOARD_SOURCE_DIR).
std::string SourceFile(const std::string& relative);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
void RemoveFile(const std::wstring& path);

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

// A copy of a screen rectangle as Xvfb shows it (layered windows blended
// over black), 0x00RRGGBB per pixel, rows top-down.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
    std::uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};
Pixels CaptureScreen(const RECT& rc);
// A colour as the screen shows a pixel of the board: blended over black at
// a constant alpha of 253, each channel c becomes c x 253 / 255, rounded.
std::uint32_t Blended(std::uint32_t rgb);

// A console program (a whole command line) started in the test program's
// folder, running beside the test until Finish(); its output read through a
// pipe, or with ownConsole, on a hidden console of its own, as a double-click.
class ConsoleProgram {
public:
    explicit ConsoleProgram(const std::wstring& commandLine, bool ownConsole = false);
    // What it printed and its exit status (99 when it did not end within
    // 30 s of its start: it is then ended).
    std::pair<std::string, DWORD> Finish();
    // While it runs: the text on its own console, then a key pressed there.
    std::string Screen(bool pressKey = false) const;
    bool Running() const { return ::WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT; }

private:
    UniqueKernelHandle m_read, m_process;
    DWORD m_start;
};
// Runs a console program to its end and returns what it printed.
std::string RunConsole(const std::wstring& commandLine);

// A click of the left mouse button at a point of the screen, as the mouse
// makes it (through the system's input, to whichever window it reaches).
void ClickScreen(int x, int y);

// On the desktop of cmake/two-screens: the TV's output off (no messages pumped,
// so no tick runs meanwhile) or on again (pumped: Wine waits for the windows
// it moves), until the system's monitor list shows it (at most 5 s).
bool SwitchTv(bool on);

// Sends every WinINet request of this process to proxyUrl. WinINet reads the
// variable once, at the first session: call before any download.
void UseProxy(const std::string& proxyUrl);

// Both rate files with `rows` rows, as an operator would write them.
std::pair<std::string, std::string> SampleRateFiles(int rows);

// The core instance, the rate buffers and the settings a board reads, for
// one test; put back to the program's start state afterwards.
class SharedSettings {
public:
    SharedSettings(int width, int height);
    ~SharedSettings();
    SharedSettings(const SharedSettings&) = delete;
    SharedSettings& operator=(const SharedSettings&) = delete;
    // Board size and the text sizes the settings dialog derives from it.
    static void Resize(int width, int height);
    // rows rows in both tables, and a full same-day weather record.
    static void FillTables(int rows);

private:
    std::unique_ptr<CCore> m_core;
    std::vector<char> m_roomRates;
    std::vector<char> m_exchangeRates;
};

}  // namespace testsupport
