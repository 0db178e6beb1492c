#include "core/Globals.h"

// Constructed in this order before the application object's InitInstance.
WeatherRecord g_weatherRecord;
CString g_appPath;
CString g_roomRatePath;
CString g_exchangeRatePath;
CString g_fontName;
Gdiplus::Color g_clrFont(0xFF000000);
Gdiplus::Color g_clrBg(0xFF000000);
Gdiplus::Color g_clrDigi(0xFF000000);

CCore* g_core = nullptr;
BoardWindow* g_board = nullptr;
BOOL g_outputOn = FALSE;
int g_width = 0;
int g_height = 0;
RECT g_boardRect = {0, 0, 0, 0};
int g_screenCx = 0;
int g_screenCy = 0;
int g_textSizeLarge = 0;
int g_textSizeSmall = 0;
int g_textSizeMedium = 0;
char* g_roomRates = nullptr;
int g_roomRateCount = 0;
char* g_exchangeRates = nullptr;
int g_exchangeRateCount = 0;
