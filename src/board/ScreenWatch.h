// The board's side of the monitors: the system's monitor list, and the
// watch that hides the board when the monitor under it goes away and brings
// it back when an extended monitor returns (decisions in Screens.h).
#pragma once
#include <vector>

#include "board/Screens.h"
#include "framework/Win.h"

// The monitors as the system lists them now; empty when they cannot be read.
std::vector<screens::Monitor> SystemMonitors();
// A window's rectangle on the virtual screen.
screens::Rect WindowRect(HWND hwnd);

class ScreenWatch {
public:
    enum class Result { Nothing, Hidden, Returned };
    // The operator placed the board (the watch notes where) or hid it: it no
    // longer waits for a monitor to come back.
    void Placed(HWND board) {
        m_watch.Reset();
        Check(board);
    }
    void Reset() { m_watch.Reset(); }
    // Looks at the monitors (at each tick and at WM_DISPLAYCHANGE). Hides the
    // board, or moves it back and shows it without taking the focus; the
    // caller then gives the window its whole picture. Neither the output
    // switch nor config.ini is touched.
    Result Check(HWND board);

private:
    screens::Watch m_watch;
};
