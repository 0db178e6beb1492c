// Process-wide settings and data shared by the settings dialog, the board,
// the rate reader and the weather downloads. All are written on the
// user-interface thread, except the weather record, which guards itself.
#pragma once
#include "framework/Afx.h"
#include "framework/GdiPlus.h"
#include "core/WeatherRecord.h"

class CCore;
class BoardWindow;

// Posted to the board: lParam 0 asks for a render at once; -1 tells that no
// internet session could be opened.
constexpr UINT WM_WEATHER_DONE = WM_USER + 2;
// Posted to the board when a download has ended: wParam TRUE when it
// published a new record, FALSE when it failed.
constexpr UINT WM_WEATHER_RESULT = WM_USER + 3;

extern WeatherRecord g_weatherRecord;

extern CCore* g_core;        // owned by the settings dialog
extern BoardWindow* g_board; // owned by the settings dialog

extern BOOL g_outputOn;
extern int g_width;
extern int g_height;
extern Gdiplus::Color g_clrFont;
extern Gdiplus::Color g_clrBg;
extern Gdiplus::Color g_clrDigi;
extern RECT g_boardRect;
extern int g_screenCx;
extern int g_screenCy;
extern int g_textSizeLarge;
extern int g_textSizeSmall;
extern int g_textSizeMedium;

extern CString g_appPath;
extern CString g_roomRatePath;
extern CString g_exchangeRatePath;
extern CString g_fontName;

// Rate tables (layout in data/RateParser.h); buffers owned by the settings dialog.
extern char* g_roomRates;
extern int g_roomRateCount;
extern char* g_exchangeRates;
extern int g_exchangeRateCount;
