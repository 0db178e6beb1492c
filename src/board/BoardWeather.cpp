#include "core/Globals.h"
#include "board/BoardWindow.h"
#include "data/WeatherThread.h"

// Every placement and every hour: the panel shows "Loading" until the new
// download publishes a record; a failed one leaves "Loading" until the next.
void BoardWindow::StartWeatherThread() {
    g_weatherRecord.Set("Loading");
    if (!StartWeatherDownload(m_hWnd)) AfxMessageBox("Cannot Start New Thread", MB_OK);
}
