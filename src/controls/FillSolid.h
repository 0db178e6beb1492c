// Fills a rectangle with one colour through the DC's background colour, and
// leaves that colour set: text drawn opaque afterwards (the custom button's
// caption) gets the same background.
#pragma once
#include "framework/Win.h"

inline void FillSolidRect(HDC dc, const RECT& rc, COLORREF colour) {
    ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
}
