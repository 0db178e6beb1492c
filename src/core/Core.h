// CCore: the board's utility library: configuration in config.ini beside the
// program, colours, text measuring, pictures, files and strings. One instance
// lives from the settings dialog's start to its end. getConfigStr, UTF8_ANSI
// and getStrPart are also called from weather downloads and keep no state.
#pragma once
#include <map>
#include <memory>
#include <utility>

#include "core/PictureCheck.h"
#include "framework/Afx.h"
#include "framework/GdiPlus.h"

class CCore {
public:
    CCore();
    ~CCore();
    CCore(const CCore&) = delete;
    CCore& operator=(const CCore&) = delete;

    // Creates config.ini when missing and adds every missing key with its
    // default; keys already present are never touched.
    void autoFileConfig();
    // The program's directory, ending in a path separator.
    CString getAppPath() const;
    CString getConfigPath() const;

    int getConfigInt(const char* key) const;
    BOOL getConfigB(const char* key) const;
    Gdiplus::Color getConfigClr(const char* key) const;
    CString getConfigStr(const char* key) const;
    // FALSE when config.ini could not be written (read-only, held by another
    // program, a folder of that name, a full disk); GetLastError says why.
    BOOL saveConfigInt(const char* key, int value) const;
    BOOL saveConfigB(const char* key, BOOL value) const;
    BOOL saveConfigClr(const char* key, const Gdiplus::Color& value) const;

    COLORREF getClrRef(const Gdiplus::Color& colour) const;
    Gdiplus::Color getColorFromClrRef(COLORREF colour) const;  // opaque
    CString getStrInt(int value) const;
    CString getFg(const CString& text, char sep, int index) const;
    CString getStrPart(const CString& text, const char* start, const char* end) const;
    // In place, from UTF-8 to code page 936. Invalid UTF-8 and characters
    // that code page 936 lacks become "?"; the rest of the text is kept.
    void UTF8_ANSI(CString& text) const;

    // GDI+'s layout size of text (default string format, pixel-unit font of
    // that family and em size), rounded up to whole pixels; empty text is 0 x 0.
    Gdiplus::Size getTextBounds(const CString& family, int emSize, const CString& text);
    // The installed family of that name; when it is missing, an installed
    // CJK sans family, then the system's sans family. Never null.
    std::unique_ptr<Gdiplus::FontFamily> createFontFamily(const CString& name) const;
    // Loads a font file from the program's folder into *family.
    BOOL initFontFamily(const CString& file, Gdiplus::FontFamily* family);
    // Draws a picture file at its natural pixel size, top-left corner at
    // (x, y), without keeping it open; what of it reached the picture
    // (picture::Draw).
    picture::Seen drawPic(Gdiplus::Graphics& graphics, int x, int y, const CString& file);

    BOOL isFileExist(const CString& path) const;
    // Opens the file or address in its associated program; false when the
    // system could not (no program associated, none found).
    bool openUrl(const CString& target) const;
    // Opens the file in that program (found on the system's path).
    bool openWith(const wchar_t* program, const CString& file) const;
    void msgboxWarning(HWND owner, const CString& text) const;

    CTime getTimeNow() const;
    CString getWeekStr(const CTime& time) const;

private:
    CString ConfigRaw(const char* key) const;
    BOOL WriteConfig(const char* key, const CString& value) const;
    const Gdiplus::FontFamily& MeasureFamily(const CString& name);
    Gdiplus::Font& MeasureFont(const CString& family, int emSize);

    CString m_appPath;
    // Text measuring: a 1 x 1 surface, the families and fonts asked for.
    // The bitmap is declared first so that it goes last: a bitmap still
    // selected into its DC cannot be deleted.
    UniqueBitmap m_measureBitmap;
    UniqueMemDC m_measureDC;
    std::unique_ptr<Gdiplus::Graphics> m_measureGraphics;
    std::unique_ptr<Gdiplus::StringFormat> m_measureFormat;
    std::map<CString, std::unique_ptr<Gdiplus::FontFamily>> m_families;
    std::map<std::pair<CString, int>, std::unique_ptr<Gdiplus::Font>> m_fonts;
    // Private font files stay loaded as long as the families taken from them.
    std::map<CString, std::unique_ptr<Gdiplus::PrivateFontCollection>> m_fontFiles;
};
