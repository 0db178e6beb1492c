// A board set up for measuring: full tables, a full weather record, a fixed
// rectangle, no placement (so no download replaces the record), and a record
// of every string outline one render adds.
#pragma once
#include <string>
#include <vector>

#include "board/BoardWindow.h"

struct OutlineCall {
    bool digitPath;
    std::wstring text;
    const Gdiplus::FontFamily* family;
    int emSize;
    int x;
    int y;
};

// Fills both rate tables with `rows` rows and the weather record with a
// same-day record.
void FillBenchData(int rows);

class BenchBoard : public BoardWindow {
public:
    // Shows the window at rc, laid out, without starting timers or downloads.
    void Show(RECT rc);
    // Records the outlines of the next renders (off when false).
    void Record(bool on) { m_recording = on; if (on) m_calls.clear(); }
    const std::vector<OutlineCall>& Calls() const { return m_calls; }
    const Gdiplus::FontFamily* TextFamily() const { return m_pTextFamily.get(); }
    const Gdiplus::StringFormat* Format() const { return &m_format; }
    HWND Hwnd() const { return m_hWnd; }

protected:
    void AddOutline(Gdiplus::GraphicsPath& path, const std::wstring& text, const Gdiplus::FontFamily* family,
                    int emSize, int x, int y) override;

private:
    bool m_recording = false;
    std::vector<OutlineCall> m_calls;
};
