// Which monitor is the extended screen, and whether the monitor under the
// board is still there. Front desks put the TV wherever the furniture
// allows: right or left of the operator's monitor, above it, lower down.
// Decisions on a list of monitors only, free of <windows.h>; ScreenWatch.h
// takes the list from the system and moves, hides and shows the window.
#pragma once
#include <vector>

#include "app/BoardPlacement.h"

namespace screens {

using placement::Rect;

struct Monitor {
    Rect rect;  // virtual-screen coordinates: the primary's top-left is (0, 0)
    bool primary = false;
};

// The monitor r overlaps most (the first listed on a tie), or -1 for none.
int MonitorUnder(const std::vector<Monitor>& monitors, const Rect& r);

// The extended screen: a monitor other than the primary one. With several,
// the one `board` lies on, else the nearest to the right of the primary,
// else the first listed. -1 when there is no other monitor.
int ExtendedMonitor(const std::vector<Monitor>& monitors, const Rect& board);

// Where "定位到第二屏" puts a width x height board that now covers `board`:
// the top-left corner of the extended monitor. With no other monitor, where
// a screen to the right of the primary one would begin, (primaryWidth, 0).
Rect SecondScreenRect(const std::vector<Monitor>& monitors, const Rect& board, int primaryWidth, int width,
                      int height);

// Follows the monitor under a shown board from one check to the next. A TV
// switched off at night may drop its link: its monitor leaves the list, and
// Windows moves the board onto the operator's screen. The board then hides
// until an extended monitor is back, and returns to where it was (or to
// that monitor's top-left when its old place lies on none). A board seen
// last on the primary monitor is the operator's choice and is left alone.
class Watch {
public:
    enum class Action { None, Hide, Return };
    struct Step {
        Action action = Action::None;
        Rect to;  // for Return: where the board goes
    };

    // The operator placed or hid the board: whatever happened before no
    // longer counts.
    void Reset() { *this = Watch(); }
    // window: the board's rectangle now; mayShow: nothing keeps a hidden
    // board from showing (its owner is not minimised). An empty list is a
    // list that could not be read: nothing is decided on it.
    Step Check(const std::vector<Monitor>& monitors, const Rect& window, bool visible, bool mayShow);

private:
    bool m_dark = false;        // hidden here because its monitor went away
    bool m_onExtended = false;  // m_place lay on a monitor other than the primary
    Rect m_place;               // where the board was last seen on a monitor
};

}  // namespace screens
