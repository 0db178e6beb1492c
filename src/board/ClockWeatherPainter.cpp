#include "board/BoardWindow.h"

// Placeholder until the clock and weather panel lands.
void BoardWindow::DrawClockWeather() {}
