// Wine's X11 driver options for the program under test, for the life of one
// object. Without a window manager on the X display (Xvfb here), Wine hides
// each of its "managed" windows (those with a caption, or activated) by
// waiting up to 2 s for the window manager to withdraw it, which never
// happens. A test that times how quickly the program closes sets the
// program's windows unmanaged, as they would be on a plain Windows desktop.
#pragma once
#include <string>

namespace testsupport {

class UnmanagedWindowsFor {
public:
    // exeName: e.g. L"RateBoard.exe"; applies to processes started afterwards.
    explicit UnmanagedWindowsFor(const std::wstring& exeName);
    ~UnmanagedWindowsFor();  // puts the previous setting back
    UnmanagedWindowsFor(const UnmanagedWindowsFor&) = delete;
    UnmanagedWindowsFor& operator=(const UnmanagedWindowsFor&) = delete;

    bool Applied() const { return m_applied; }

private:
    std::wstring m_appKey;
    bool m_createdAppKey = false;
    bool m_createdDriverKey = false;
    bool m_hadPrevious = false;
    std::wstring m_previous;
    bool m_applied = false;
};

}  // namespace testsupport
