#include "core/PathText.h"

#include <vector>

#include "framework/Text.h"
#include "framework/Win.h"

namespace {
// Text that comes back unchanged from code page 936: nothing was lost or
// replaced by a look-alike on the way.
std::optional<CString> As936(const std::wstring& path) {
    CString text = Narrow(path);
    if (path.empty() || Widen(text) != path) return std::nullopt;
    return text;
}
}  // namespace

std::optional<CString> PathText(const std::wstring& path) {
    if (auto text = As936(path)) return text;
    const DWORD size = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::vector<wchar_t> shortPath(size);
    const DWORD n = ::GetShortPathNameW(path.c_str(), shortPath.data(), size);
    if (n == 0 || n >= size) return std::nullopt;
    return As936(std::wstring(shortPath.data(), n));
}

std::wstring ProgramFolder() {
    // Paths may exceed MAX_PATH; grow until the name fits.
    std::vector<wchar_t> path(MAX_PATH);
    DWORD n = 0;
    while ((n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) >= path.size() &&
           path.size() < 32768) {
        path.resize(path.size() * 2);
    }
    std::wstring dir(path.data(), n);
    const size_t slash = dir.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".\\") : dir.substr(0, slash + 1);
}
