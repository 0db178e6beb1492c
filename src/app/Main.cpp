// The program's entry: the one application object and WinMain.
#include "app/BoardApp.h"

static BoardApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return AfxWinMain(instance); }
