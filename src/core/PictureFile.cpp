#include "core/PictureFile.h"

#include <objbase.h>

#include <memory>

#include "framework/Handles.h"

namespace picture {
namespace {

// Full sharing: the program replacing the file may write, rename or delete
// it while the board reads.
UniqueKernelHandle OpenShared(const CString& path) {
    HANDLE file = ::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

std::optional<std::uint64_t> SizeOf(HANDLE file) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0) return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

struct ComReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};

// The bytes of a file read whole into a movable block a stream can take
// over, and their hash; empty when they could not all be read (a region
// locked by the program writing it, an I/O error, a file cut meanwhile).
UniqueGlobal ReadWhole(HANDLE file, std::uint64_t size, std::uint64_t* hash) {
    UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size ? size : 1)));
    if (!block) return {};
    auto* bytes = static_cast<char*>(::GlobalLock(block.get()));
    if (!bytes) return {};
    DWORD read = 0;
    const bool ok = ::ReadFile(file, bytes, static_cast<DWORD>(size), &read, nullptr) && read == size;
    *hash = ContentHash(bytes, read);  // a file cut shorter meanwhile has a new stamp, and is read again
    ::GlobalUnlock(block.get());
    return ok ? std::move(block) : UniqueGlobal();
}

}  // namespace

Stamp StampOf(const CString& path) {
    WIN32_FILE_ATTRIBUTE_DATA info{};
    Stamp stamp;
    if (!::GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return stamp;
    }
    stamp.exists = true;
    stamp.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.written = (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                    info.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

std::optional<std::uint64_t> HashOf(const CString& path) {
    const UniqueKernelHandle file = OpenShared(path);
    if (!file) return std::nullopt;
    const std::optional<std::uint64_t> size = SizeOf(file.get());
    if (!size) return std::nullopt;
    if (*size > kMaxBytes) return 0;  // no picture either way
    std::uint64_t hash = kHashStart;
    std::unique_ptr<char[]> piece(new char[64 * 1024]);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), piece.get(), 64 * 1024, &read, nullptr)) return std::nullopt;
        if (read == 0) return hash;
        hash = ContentHash(piece.get(), read, hash);
    }
}

Seen Draw(Gdiplus::Graphics& graphics, int x, int y, const CString& path) {
    Seen seen;
    seen.stamp = StampOf(path);  // before the bytes: a change while reading shows as a new stamp
    if (!seen.stamp.exists) return seen;
    seen.kind = Seen::Kind::Unreadable;
    const UniqueKernelHandle file = OpenShared(path);
    const std::optional<std::uint64_t> size = file ? SizeOf(file.get()) : std::nullopt;
    if (!size) return seen;
    if (*size > kMaxBytes) {
        seen.kind = Seen::Kind::Read;  // no picture, and HashOf agrees
        return seen;
    }
    auto bytes = ReadWhole(file.get(), *size, &seen.hash);
    if (!bytes) return seen;
    seen.kind = Seen::Kind::Read;
    IStream* raw = nullptr;
    if (::CreateStreamOnHGlobal(bytes.get(), TRUE, &raw) != S_OK) return seen;
    bytes.release();  // the stream frees the block
    const std::unique_ptr<IStream, ComReleaser> stream(raw);
    // The block may be larger than asked for: the stream holds the file's bytes only.
    ULARGE_INTEGER length{};
    length.QuadPart = *size;
    stream->SetSize(length);
    const std::unique_ptr<Gdiplus::Bitmap> decoded(Gdiplus::Bitmap::FromStream(stream.get()));
    if (!decoded || decoded->GetLastStatus() != Gdiplus::Ok) return seen;
    seen.drawn = graphics.DrawImage(decoded.get(), x, y, static_cast<INT>(decoded->GetWidth()),
                                    static_cast<INT>(decoded->GetHeight())) == Gdiplus::Ok;
    return seen;
}

}  // namespace picture
