#include "core/Core.h"

#include <shellapi.h>

#include <cmath>
#include <vector>

#include "core/ConfigText.h"
#include "core/PathText.h"
#include "core/PictureFile.h"
#include "core/StrUtil.h"

namespace {
const wchar_t kSection[] = L"board";

std::wstring KeyW(const char* key) { return Widen(CString(key)); }

// Families tried, in order, when the asked-for text family is not installed.
const wchar_t* const kCjkFallbacks[] = {
    L"SimHei", L"Microsoft YaHei", L"\u5fae\u8f6f\u96c5\u9ed1", L"DengXian", L"SimSun", L"\u5b8b\u4f53",
    L"WenQuanYi Zen Hei", L"Noto Sans CJK SC", L"Source Han Sans SC", L"Droid Sans Fallback",
};
}  // namespace

// A folder no code page 936 name reaches is reported at start (the
// program's and boardcheck's own checks); its files are then out of reach.
CCore::CCore() {
    const std::wstring folder = ProgramFolder();
    m_appPath = PathText(folder).value_or(Narrow(folder));
}

CCore::~CCore() {
    // Fonts before their families, families before their collections.
    m_fonts.clear();
    m_families.clear();
    m_measureGraphics.reset();
}

CString CCore::getAppPath() const { return m_appPath; }

CString CCore::getConfigPath() const { return m_appPath + "config.ini"; }

// ---- configuration ------------------------------------------------------------

CString CCore::ConfigRaw(const char* key) const {
    const wchar_t kMissing[] = L"\x1f<missing>";
    std::vector<wchar_t> buffer(1024);
    DWORD n = ::GetPrivateProfileStringW(kSection, KeyW(key).c_str(), kMissing, buffer.data(),
                                         static_cast<DWORD>(buffer.size()), Widen(getConfigPath()).c_str());
    std::wstring value(buffer.data(), n);
    if (value == kMissing) return CString(configtext::DefaultText(key));
    return Narrow(value);
}

BOOL CCore::WriteConfig(const char* key, const CString& value) const {
    return ::WritePrivateProfileStringW(kSection, KeyW(key).c_str(), Widen(value).c_str(), Widen(getConfigPath()).c_str());
}

void CCore::autoFileConfig() {
    const std::wstring file = Widen(getConfigPath());
    for (const configtext::Default& d : configtext::kDefaults) {
        wchar_t probe[8] = {};
        const wchar_t kMissing[] = L"\x1f";
        ::GetPrivateProfileStringW(kSection, KeyW(d.key).c_str(), kMissing, probe, 8, file.c_str());
        if (std::wstring(probe) == kMissing) WriteConfig(d.key, CString(d.text));
    }
}

int CCore::getConfigInt(const char* key) const {
    if (auto v = configtext::ParseInt(ConfigRaw(key).str())) return *v;
    const char* fallback = configtext::DefaultText(key);
    auto v = configtext::ParseInt(fallback ? fallback : "0");
    return v ? *v : 0;
}

BOOL CCore::getConfigB(const char* key) const { return getConfigInt(key) != 0 ? TRUE : FALSE; }

Gdiplus::Color CCore::getConfigClr(const char* key) const {
    if (auto v = configtext::ParseColour(ConfigRaw(key).str())) return Gdiplus::Color(*v);
    const char* fallback = configtext::DefaultText(key);
    auto v = configtext::ParseColour(fallback ? fallback : "FF000000");
    return Gdiplus::Color(v ? *v : 0xFF000000u);
}

CString CCore::getConfigStr(const char* key) const { return ConfigRaw(key); }

BOOL CCore::saveConfigInt(const char* key, int value) const { return WriteConfig(key, getStrInt(value)); }

BOOL CCore::saveConfigB(const char* key, BOOL value) const { return WriteConfig(key, value ? "1" : "0"); }

BOOL CCore::saveConfigClr(const char* key, const Gdiplus::Color& value) const {
    return WriteConfig(key, CString(configtext::FormatColour(value.GetValue())));
}

// ---- colours and strings ---------------------------------------------------------

COLORREF CCore::getClrRef(const Gdiplus::Color& colour) const {
    return RGB(colour.GetRed(), colour.GetGreen(), colour.GetBlue());
}

Gdiplus::Color CCore::getColorFromClrRef(COLORREF colour) const {
    return Gdiplus::Color(255, GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

CString CCore::getStrInt(int value) const { return strutil::IntText(value); }

CString CCore::getFg(const CString& text, char sep, int index) const { return strutil::Field(text, sep, index); }

CString CCore::getStrPart(const CString& text, const char* start, const char* end) const {
    return strutil::Between(text, start, end);
}

void CCore::UTF8_ANSI(CString& text) const {
    if (text.IsEmpty()) return;
    int wide = ::MultiByteToWideChar(CP_UTF8, 0, text.GetString(), text.GetLength(), nullptr, 0);
    if (wide <= 0) {
        text.Empty();
        return;
    }
    std::wstring buffer(static_cast<size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.GetString(), text.GetLength(), &buffer[0], wide);
    // U+FFFD (an invalid sequence) has no code page 936 form either; both
    // come out as the default character.
    text = Narrow(buffer);
}

// ---- fonts and text --------------------------------------------------------------

std::unique_ptr<Gdiplus::FontFamily> CCore::createFontFamily(const CString& name) const {
    auto family = std::make_unique<Gdiplus::FontFamily>(Widen(name).c_str());
    if (family->GetLastStatus() == Gdiplus::Ok && family->IsAvailable()) return family;
    for (const wchar_t* candidate : kCjkFallbacks) {
        family = std::make_unique<Gdiplus::FontFamily>(candidate);
        if (family->GetLastStatus() == Gdiplus::Ok && family->IsAvailable()) return family;
    }
    // The system's sans family, through the flat API (the C++ helper for it
    // misbehaves in some GDI+ builds).
    Gdiplus::GpFontFamily* generic = nullptr;
    Gdiplus::DllExports::GdipGetGenericFontFamilySansSerif(&generic);
    family = std::make_unique<Gdiplus::FontFamily>();
    if (generic) {
        WCHAR genericName[LF_FACESIZE] = {};
        Gdiplus::DllExports::GdipGetFamilyName(generic, genericName, LANG_NEUTRAL);
        family = std::make_unique<Gdiplus::FontFamily>(genericName);
    }
    return family;
}

const Gdiplus::FontFamily& CCore::MeasureFamily(const CString& name) {
    auto it = m_families.find(name);
    if (it == m_families.end()) it = m_families.emplace(name, createFontFamily(name)).first;
    return *it->second;
}

Gdiplus::Font& CCore::MeasureFont(const CString& family, int emSize) {
    auto key = std::make_pair(family, emSize);
    auto it = m_fonts.find(key);
    if (it == m_fonts.end()) {
        auto font = std::make_unique<Gdiplus::Font>(&MeasureFamily(family), static_cast<Gdiplus::REAL>(emSize),
                                                    Gdiplus::FontStyleRegular, Gdiplus::UnitPixel);
        it = m_fonts.emplace(key, std::move(font)).first;
    }
    return *it->second;
}

Gdiplus::Size CCore::getTextBounds(const CString& family, int emSize, const CString& text) {
    if (text.IsEmpty() || emSize <= 0) return Gdiplus::Size(0, 0);
    if (!m_measureGraphics) {
        m_measureDC.reset(::CreateCompatibleDC(nullptr));
        BITMAPINFO bmi{};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = 1;
        bmi.bmiHeader.biHeight = -1;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        m_measureBitmap.reset(::CreateDIBSection(m_measureDC.get(), &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
        ::SelectObject(m_measureDC.get(), m_measureBitmap.get());
        m_measureGraphics = std::make_unique<Gdiplus::Graphics>(m_measureDC.get());
        m_measureGraphics->SetPageUnit(Gdiplus::UnitPixel);
        m_measureFormat = std::make_unique<Gdiplus::StringFormat>(0, LANG_NEUTRAL);
    }
    std::wstring wide = Widen(text);
    Gdiplus::RectF box;
    m_measureGraphics->MeasureString(wide.c_str(), static_cast<INT>(wide.size()), &MeasureFont(family, emSize),
                                     Gdiplus::PointF(0, 0), m_measureFormat.get(), &box);
    return Gdiplus::Size(static_cast<INT>(std::ceil(box.Width)), static_cast<INT>(std::ceil(box.Height)));
}

BOOL CCore::initFontFamily(const CString& file, Gdiplus::FontFamily* family) {
    if (!family) return FALSE;
    const CString path = m_appPath + file;
    auto it = m_fontFiles.find(path);
    if (it == m_fontFiles.end()) {
        auto collection = std::make_unique<Gdiplus::PrivateFontCollection>();
        if (collection->AddFontFile(Widen(path).c_str()) != Gdiplus::Ok) return FALSE;
        it = m_fontFiles.emplace(path, std::move(collection)).first;
    }
    INT found = 0;
    if (it->second->GetFamilies(1, family, &found) != Gdiplus::Ok || found < 1) return FALSE;
    return TRUE;
}

// ---- pictures and files -----------------------------------------------------------

picture::Seen CCore::drawPic(Gdiplus::Graphics& graphics, int x, int y, const CString& file) {
    // Read, decoded, drawn and let go at once, so the operator can replace
    // the file at any time; the board keeps the picture it drew, not the file.
    return picture::Draw(graphics, x, y, file);
}

BOOL CCore::isFileExist(const CString& path) const {
    DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

bool ShellOpen(const wchar_t* file, const wchar_t* parameters) {
    // ShellExecute's result is a handle only in name: above 32 is success.
    return reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", file, parameters, nullptr, SW_SHOWNORMAL)) > 32;
}

}  // namespace

bool CCore::openUrl(const CString& target) const { return ShellOpen(Widen(target).c_str(), nullptr); }

bool CCore::openWith(const wchar_t* program, const CString& file) const {
    return ShellOpen(program, (L"\"" + Widen(file) + L"\"").c_str());
}

void CCore::msgboxWarning(HWND owner, const CString& text) const {
    CWinApp* app = AfxGetApp();
    CString caption = app ? app->m_pszAppName : CString("RateBoard");
    ::MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), MB_OK | MB_ICONWARNING);
}

CTime CCore::getTimeNow() const { return CTime::GetCurrentTime(); }

CString CCore::getWeekStr(const CTime& time) const { return strutil::WeekdayText(time.GetDayOfWeek() - 1); }
