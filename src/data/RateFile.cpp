#include "data/RateFile.h"

#include <cstring>
#include <vector>

#include "app/Globals.h"
#include "core/Core.h"
#include "framework/Handles.h"
#include "framework/Text.h"

namespace {
constexpr DWORD kChunk = 64 * 1024;
}  // namespace

int ReadRateFile(const CString& path, char* buffer) {
    if (!buffer) return 0;
    std::memset(buffer, 0, RATE_BUFFER_SIZE);
    if (g_core && !g_core->isFileExist(path)) return 0;

    // Shared for reading and writing, as a text-mode open is, so that an
    // editor holding the file open does not keep the board from reading it.
    const HANDLE opened = ::CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return 0;
    UniqueKernelHandle file(opened);

    // Read in pieces: a file of any size, or a line of many megabytes, costs
    // one pass and a fixed amount of memory.
    rates::RateParser parser(buffer, nullptr);
    std::vector<char> chunk(kChunk);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), chunk.data(), kChunk, &got, nullptr)) {
            // Half a table would look like a whole one: show none.
            std::memset(buffer, 0, RATE_BUFFER_SIZE);
            return 0;
        }
        if (got == 0) break;
        parser.Feed(chunk.data(), got);
    }
    return parser.Finish();
}
