// gtest main for the Windows test programs: GDI+ is up for every test, as it
// is for the whole life of the settings dialog in the program.
#include <gtest/gtest.h>

#include "framework/GdiPlus.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    int result = RUN_ALL_TESTS();
    Gdiplus::GdiplusShutdown(token);
    return result;
}
