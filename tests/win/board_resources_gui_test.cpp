// A board renders every second for as long as the program runs: ten thousand
// renders must leave the process's GDI and USER handles, threads and private
// memory where they were.
#include <gtest/gtest.h>

#include <cstdio>

#include "BoardTestSupport.h"
#include "TestSupport.h"

#include <psapi.h>
#include <tlhelp32.h>

using boardtest::SharedSettings;
using boardtest::TestBoard;

namespace {

int g_updates = 0;
int g_updateFailures = 0;

// Counts the updates and passes them on; keeps no copy of the picture.
BOOL WINAPI CountingUpdateLayeredWindow(HWND hwnd, HDC dst, POINT* dstPoint, SIZE* size, HDC src, POINT* srcPoint,
                                        COLORREF key, BLENDFUNCTION* blend, DWORD flags) {
    ++g_updates;
    const BOOL ok = ::UpdateLayeredWindow(hwnd, dst, dstPoint, size, src, srcPoint, key, blend, flags);
    if (!ok) ++g_updateFailures;
    return ok;
}

struct Usage {
    DWORD gdi = 0;
    DWORD user = 0;
    SIZE_T privateBytes = 0;
    int threads = 0;
    int liveGdiObjects = 0;
};

int ThreadCount() {
    UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) {
        snapshot.release();
        return -1;
    }
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int n = 0;
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry))
        n += entry.th32OwnerProcessID == ::GetCurrentProcessId();
    return n;
}

// Wine answers GetGuiResources with 0, so the GDI objects are also counted
// directly: Wine's handle table resolves a bare 16-bit index to the live
// object in that slot, whatever its generation.
// Hands out whatever the window system queued, without waiting, as the
// program's message loop does between two ticks.
void DrainMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

int LiveGdiObjects() {
    int n = 0;
    for (UINT_PTR index = 1; index < 0x10000; ++index) n += ::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0;
    return n;
}

Usage Measure() {
    Usage u;
    u.gdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    u.user = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof(pmc);
    if (::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc))) {
        // Wine leaves PrivateUsage 0; its PagefileUsage is the same commit charge.
        u.privateBytes = pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
    }
    u.threads = ThreadCount();
    u.liveGdiObjects = LiveGdiObjects();
    return u;
}

}  // namespace

TEST(BoardResources, HandleProbeCountsLiveObjects) {
    const int before = LiveGdiObjects();
    ASSERT_GT(before, 0);
    {
        UniquePen pens[10];
        for (UniquePen& pen : pens) pen.reset(::CreatePen(PS_SOLID, 1, 0));
        EXPECT_EQ(LiveGdiObjects(), before + 10);
    }
    EXPECT_EQ(LiveGdiObjects(), before);
}

TEST(BoardResources, TenThousandRendersLeaveHandlesThreadsAndMemoryFlat) {
    // A small board: the cost of a render under Wine is mostly the update.
    SharedSettings settings(96, 54);
    TestBoard board;
    ASSERT_TRUE(board.Create(IDD_BOARD, nullptr));
    board.m_pfnUpdateLayeredWindow = &CountingUpdateLayeredWindow;
    board.recordOutlines = false;
    board.panels = [](TestBoard& b) {
        b.AddDigitText("12:34*", 36, 30, 5, TRUE);
        b.AddDigitText("面议", 0, 36, 30, FALSE);
        b.AddLabelText(b.m_textPath, "标准价/元", 0, 36, 15, 6);
        b.AddLabelText(b.m_digitPath, "25^℃", 36, 30, 40, 6);
    };
    board.PlaceBoard(RECT{40, 40, 136, 94});
    ::KillTimer(board.m_hWnd, BoardWindow::TIMER_TICK);
    for (int i = 0; i < 200; ++i) {  // caches and heaps settle
        board.Render();
        DrainMessages();
    }
    ASSERT_GT(board.m_digitPath.GetPointCount(), 0);
    ASSERT_GT(board.m_textPath.GetPointCount(), 0);

    const Usage before = Measure();
    const int rendersBefore = g_updates;
    const int renders = 10000;
    for (int i = 0; i < renders; ++i) {
        board.Render();
        DrainMessages();
    }
    const Usage after = Measure();

    std::printf("renders %d (failed updates %d)\n", g_updates - rendersBefore, g_updateFailures);
    std::printf("GetGuiResources GDI %lu -> %lu, USER %lu -> %lu; live GDI objects %d -> %d\n", before.gdi,
                after.gdi, before.user, after.user, before.liveGdiObjects, after.liveGdiObjects);
    std::printf("private bytes %lu -> %lu, threads %d -> %d\n", static_cast<unsigned long>(before.privateBytes),
                static_cast<unsigned long>(after.privateBytes), before.threads, after.threads);
    EXPECT_EQ(g_updates - rendersBefore, renders);
    EXPECT_EQ(g_updateFailures, 0);
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
    ASSERT_GT(before.liveGdiObjects, 0);
    EXPECT_EQ(after.liveGdiObjects, before.liveGdiObjects);
    ASSERT_GT(before.threads, 0);
    EXPECT_EQ(after.threads, before.threads);
    ASSERT_GT(before.privateBytes, 0u);
    // A leak of even 100 bytes a render would show as a megabyte.
    EXPECT_LT(after.privateBytes, before.privateBytes + 512 * 1024);
}
