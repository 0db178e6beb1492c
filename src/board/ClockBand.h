// The clock row of the board in a small layered window of its own. Each
// second only the clock changes (the colon blinks, a minute changes a digit),
// and Wine's UpdateLayeredWindow costs in proportion to the WINDOW's area
// whatever the dirty rectangle (it copies the whole window surface in and
// out at every call): a colon pushed into a 3840 x 2160 board cost as much as
// a whole 1080p picture. Pushed into this band instead, it costs what a small
// window costs at any board size.
//
// The band is an owned popup of the board, so it always lies above it; it
// never takes the focus and has no taskbar button. It covers a fixed area of
// the board (recomputed at layout), shows the board's own pixels there, and
// the board's picture is fully transparent under it: on the screen the two
// compose to exactly the board's pixels. It follows the board wherever it
// moves and whenever it shows or hides; a press on it drags the board, as a
// press on the board does.
#pragma once
#include "framework/Wnd.h"

class ClockBand : public CWnd {
public:
    // The band window, owned by `board` and hidden.
    bool Create(HWND board);
    // The band's area in board coordinates; empty: no band.
    void SetArea(const RECT& area) { m_area = area; }
    const RECT& Area() const { return m_area; }
    // Moves the band to the board's position and shows or hides it with the
    // board (from the board's WM_WINDOWPOSCHANGED, whoever moved or hid it).
    void Follow();

protected:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    HWND m_board = nullptr;
    RECT m_area{0, 0, 0, 0};
};
