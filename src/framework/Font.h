// CFont: owns one GDI font.
#pragma once
#include "framework/Handles.h"

class CFont {
public:
    BOOL CreateFontIndirect(const LOGFONTW* logFont) {
        m_font.reset(::CreateFontIndirectW(logFont));
        return m_font ? TRUE : FALSE;
    }
    HFONT GetSafeHandle() const { return m_font.get(); }
    operator HFONT() const { return m_font.get(); }
    void DeleteObject() { m_font.reset(); }

private:
    UniqueFont m_font;
};
