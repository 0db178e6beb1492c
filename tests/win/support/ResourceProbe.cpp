#include "support/ResourceProbe.h"

#include "framework/Win.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <vector>

namespace testsupport {
namespace {

int FreeGdiHandles() {
    std::vector<HRGN> made;
    made.reserve(70000);
    for (int i = 0; i < 200000; ++i) {
        HRGN r = ::CreateRectRgn(0, 0, 1, 1);
        if (!r) break;
        made.push_back(r);
    }
    for (HRGN r : made) ::DeleteObject(r);
    return static_cast<int>(made.size());
}

int FreeUserHandles() {
    std::vector<HACCEL> made;
    made.reserve(40000);
    ACCEL accel{FVIRTKEY, 'A', 1};
    for (int i = 0; i < 200000; ++i) {
        HACCEL a = ::CreateAcceleratorTableW(&accel, 1);
        if (!a) break;
        made.push_back(a);
    }
    for (HACCEL a : made) ::DestroyAcceleratorTable(a);
    return static_cast<int>(made.size());
}

}  // namespace

int CountThreads() {
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL ok = ::Thread32First(snap, &entry); ok; ok = ::Thread32Next(snap, &entry)) {
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
    }
    ::CloseHandle(snap);
    return count;
}

namespace {

double MemoryMiB() {
    PROCESS_MEMORY_COUNTERS_EX mem{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&mem), sizeof mem);
    const SIZE_T bytes = mem.PrivateUsage ? mem.PrivateUsage : mem.WorkingSetSize;
    return static_cast<double>(bytes) / 1048576.0;
}

}  // namespace

ResourceCounts CountResources(bool probeUser) {
    ResourceCounts c;
    c.freeGdiHandles = FreeGdiHandles();
    c.freeUserHandles = probeUser ? FreeUserHandles() : 0;
    c.threads = CountThreads();
    c.memoryMiB = MemoryMiB();
    return c;
}

}  // namespace testsupport
