#include "board/BoardWindow.h"

// Placeholder until the layered render cycle lands.
void BoardWindow::Render() {}
void BoardWindow::DrawBackground(Gdiplus::Graphics&) {}
void BoardWindow::DrawDividers(Gdiplus::Graphics&) {}
