#include "support/WineWindowOptions.h"

#include "framework/Win.h"

namespace testsupport {
namespace {

// Wine reads per-program options of its X11 driver from this key.
const wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\";
const wchar_t kX11Driver[] = L"\\X11 Driver";
const wchar_t kManaged[] = L"Managed";

class RegKey {
public:
    RegKey() = default;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() {
        if (m_key) ::RegCloseKey(m_key);
    }
    HKEY* out() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

bool Exists(const std::wstring& path) {
    RegKey key;
    return ::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

}  // namespace

UnmanagedWindowsFor::UnmanagedWindowsFor(const std::wstring& exeName) : m_appKey(kAppDefaults + exeName) {
    m_createdAppKey = !Exists(m_appKey);
    m_createdDriverKey = !Exists(m_appKey + kX11Driver);
    RegKey driver;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, (m_appKey + kX11Driver).c_str(), 0, nullptr, 0,
                          KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, driver.out(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    wchar_t previous[16] = {};
    DWORD size = sizeof previous - sizeof(wchar_t), type = 0;
    if (::RegQueryValueExW(driver.get(), kManaged, nullptr, &type, reinterpret_cast<BYTE*>(previous), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ) {
        m_hadPrevious = true;
        m_previous = previous;
    }
    const wchar_t no[] = L"N";
    m_applied = ::RegSetValueExW(driver.get(), kManaged, 0, REG_SZ, reinterpret_cast<const BYTE*>(no), sizeof no) ==
                ERROR_SUCCESS;
}

UnmanagedWindowsFor::~UnmanagedWindowsFor() {
    if (m_createdDriverKey) {
        ::RegDeleteKeyW(HKEY_CURRENT_USER, (m_appKey + kX11Driver).c_str());
        if (m_createdAppKey) ::RegDeleteKeyW(HKEY_CURRENT_USER, m_appKey.c_str());
        return;
    }
    RegKey driver;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, (m_appKey + kX11Driver).c_str(), 0, KEY_SET_VALUE, driver.out()) !=
        ERROR_SUCCESS) {
        return;
    }
    if (m_hadPrevious) {
        ::RegSetValueExW(driver.get(), kManaged, 0, REG_SZ, reinterpret_cast<const BYTE*>(m_previous.c_str()),
                         static_cast<DWORD>((m_previous.size() + 1) * sizeof(wchar_t)));
    } else {
        ::RegDeleteValueW(driver.get(), kManaged);
    }
}

}  // namespace testsupport
