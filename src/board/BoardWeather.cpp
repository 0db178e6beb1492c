#include "app/Globals.h"
#include "board/BoardWindow.h"

// Placeholder until the weather download lands: the record reads "Loading".
void BoardWindow::StartWeatherThread() { g_weatherRecord.Set("Loading"); }
