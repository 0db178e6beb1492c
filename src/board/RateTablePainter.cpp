#include "board/BoardWindow.h"

// Placeholder until the rate tables land.
void BoardWindow::DrawRateTables() {}
