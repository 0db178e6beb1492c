#include "data/RateFile.h"

#include <cstring>
#include <vector>

#include "framework/Handles.h"
#include "framework/Text.h"

namespace {

constexpr DWORD kChunk = 64 * 1024;

std::string To936(const char16_t* text, std::size_t length) {
    // wchar_t is UTF-16 on Windows.
    return Narrow(reinterpret_cast<const wchar_t*>(text), static_cast<int>(length)).str();
}

RateFileRead Unreadable(DWORD error) {
    RateFileRead read;
    read.readable = false;
    read.error = error;
    return read;
}

}  // namespace

RateFileRead ReadRateFile(const CString& path, char* buffer, const rates::RateParser::Observer& observer) {
    if (!buffer) return Unreadable(ERROR_INVALID_PARAMETER);
    // Shared for reading and writing, as a text-mode open is, so that an
    // editor holding the file open does not keep the board from reading it.
    const HANDLE opened = ::CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return Unreadable(error);
        std::memset(buffer, 0, RATE_BUFFER_SIZE);
        return RateFileRead{};  // no file: an empty table
    }
    UniqueKernelHandle file(opened);

    // One pass in pieces: a file of any size, or a line of many megabytes,
    // costs a fixed amount of memory, and what decides the encoding is what
    // the records are made of.
    rates::RateTextReader reader(&To936, static_cast<bool>(observer));
    std::vector<char> chunk(kChunk);
    for (;;) {
        DWORD got = 0;
        // Half a table would look like a whole one: keep the last good one.
        if (!::ReadFile(file.get(), chunk.data(), kChunk, &got, nullptr)) return Unreadable(::GetLastError());
        if (got == 0) break;
        reader.Feed(chunk.data(), got);
    }
    RateFileRead read;
    read.encoding = reader.Finish();
    read.count = reader.Count();
    std::memcpy(buffer, reader.Table(), RATE_BUFFER_SIZE);
    if (observer) {
        for (const rates::LineNote& note : reader.Notes()) observer(note);
    }
    return read;
}
