#include "core/Globals.h"
#include "board/BoardWindow.h"
#include "data/WeatherThread.h"

// Every placement and every hour: the panel shows "Loading" until the new
// download publishes a record; a failed one leaves "Loading" until the next.
// One download per board at a time: while one runs, a Refresh, the hourly
// timer or a retry starts none (that one ends within its deadline and tells
// the board), so no server can make the board pile up threads and sockets.
void BoardWindow::StartWeatherThread() {
    if (RunningWeatherDownloads(m_hWnd) > 0) return;
    g_weatherRecord.Set("Loading");
    if (!StartWeatherDownload(m_hWnd)) AfxMessageBox("Cannot Start New Thread", MB_OK);
}
