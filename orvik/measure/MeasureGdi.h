// Small owners for the pens, brushes and fonts the measurement drawing makes:
// each one is selected for one drawing step and the context gets its previous
// object back before the new one is deleted.
#pragma once
#include <windows.h>

class CSelectedObject {
public:
    // Takes ownership of `made` (may be null: then nothing is selected).
    CSelectedObject(HDC dc, HGDIOBJ made) : m_dc(dc), m_obj(made), m_owned(true) {
        m_old = m_obj ? ::SelectObject(m_dc, m_obj) : nullptr;
    }
    // A stock object: selected, never deleted.
    static CSelectedObject Stock(HDC dc, int index) { return CSelectedObject(dc, ::GetStockObject(index), false); }
    CSelectedObject(CSelectedObject&& o) noexcept
        : m_dc(o.m_dc), m_obj(o.m_obj), m_old(o.m_old), m_owned(o.m_owned) {
        o.m_obj = nullptr;
        o.m_old = nullptr;
    }
    ~CSelectedObject() {
        if (m_old) ::SelectObject(m_dc, m_old);
        if (m_obj && m_owned) ::DeleteObject(m_obj);
    }
    CSelectedObject(const CSelectedObject&) = delete;
    CSelectedObject& operator=(const CSelectedObject&) = delete;

private:
    CSelectedObject(HDC dc, HGDIOBJ obj, bool owned) : m_dc(dc), m_obj(obj), m_owned(owned) {
        m_old = m_obj ? ::SelectObject(m_dc, m_obj) : nullptr;
    }
    HDC m_dc;
    HGDIOBJ m_obj;
    HGDIOBJ m_old;
    bool m_owned;
};

// Text colour and a transparent background for one text step.
class CTextStyle {
public:
    CTextStyle(HDC dc, COLORREF color)
        : m_dc(dc), m_oldColor(::SetTextColor(dc, color)), m_oldMode(::SetBkMode(dc, TRANSPARENT)) {}
    ~CTextStyle() {
        ::SetBkMode(m_dc, m_oldMode);
        ::SetTextColor(m_dc, m_oldColor);
    }
    CTextStyle(const CTextStyle&) = delete;
    CTextStyle& operator=(const CTextStyle&) = delete;

private:
    HDC m_dc;
    COLORREF m_oldColor;
    int m_oldMode;
};

// The face every measurement text uses. Drawn without anti-aliasing, so that
// text burned into a picture has only its own colour and the overlay's grey
// key, and the screen shows what the saved picture will.
inline HFONT CreateMeasureFont(int height, int width, int weight) {
    return ::CreateFontW(height, width, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"MS Sans Serif");
}

// The value texts of the shapes and the labels.
inline HFONT CreateValueFont() { return CreateMeasureFont(24, 0, 500); }
// The small texts: point coordinates, the three-point circle's area, the
// burned-in date and text.
inline HFONT CreateSmallFont(int width = 7) { return CreateMeasureFont(12, width, 100); }
