// The colour picker's notifications. The palette popup sends them to the
// picker button; the button sends them on to its parent with wParam the
// colour and lParam the button's control id.
#pragma once
#include "framework/Win.h"

constexpr UINT CLRN_SELCHANGE = WM_USER + 1001;     // 2025: hot cell / colour changed
constexpr UINT CLRN_DROPDOWN = WM_USER + 1002;      // 2026: the palette has opened
constexpr UINT CLRN_CLOSEUP = WM_USER + 1003;       // 2027: the palette is closing
constexpr UINT CLRN_SELENDOK = WM_USER + 1004;      // 2028: a colour was accepted
constexpr UINT CLRN_SELENDCANCEL = WM_USER + 1005;  // 2029: the choice was cancelled
