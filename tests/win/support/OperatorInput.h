// An operator's hands on another process's windows: the mouse through
// SendInput (under Wine it reaches every process on the desktop), the
// keyboard focus of a window's thread, the program's popups, and whether any
// copy of the program still runs.
#pragma once
#include <string>
#include <vector>

#include "framework/Afx.h"

namespace testsupport {

// Puts the pointer at the screen point and lets a mouse move arrive there.
void MouseMoveTo(int x, int y);
void MouseDown();
void MouseUp();
// Press at from, move in steps to to, release there.
void MouseDrag(POINT from, POINT to, int steps = 8);
// Move there, press and release.
void MouseClickAt(int x, int y);

// The window that has the keyboard focus in the thread that owns window.
HWND FocusOfThreadOf(HWND window);

// Visible top-level windows of the process that are owned by owner and are
// neither dialogs (#32770) nor tooltips: for the colour palette popup.
std::vector<HWND> OwnedPopups(DWORD pid, HWND owner);

// How many processes with this executable name (e.g. L"RateBoard.exe") run.
int ProcessesNamed(const std::wstring& exeName);

// Centre of a window's rectangle on the screen.
POINT CentreOf(const RECT& rc);

}  // namespace testsupport
