#include "board/BoardWindow.h"

// Placeholder until text-path drawing lands.
void BoardWindow::AddDigitText(const CString&, int, int, int, BOOL) {}
void BoardWindow::AddLabelText(Gdiplus::GraphicsPath&, const CString&, int, int, int, int) {}
