// Owners for the GDI objects of one drawing: each goes when its scope ends.
#pragma once
#include <windows.h>

// A pen, brush, font or bitmap that this code created.
class GdiObject {
public:
    explicit GdiObject(HGDIOBJ object = nullptr) : m_object(object) {}
    ~GdiObject()
    {
        if (m_object)
            DeleteObject(m_object);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    HGDIOBJ Get() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    HGDIOBJ m_object;
};

// An object selected into a DC; the previous one is selected back.
class GdiSelection {
public:
    GdiSelection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(object ? SelectObject(dc, object) : nullptr) {}
    ~GdiSelection()
    {
        if (m_previous)
            SelectObject(m_dc, m_previous);
    }
    GdiSelection(const GdiSelection&) = delete;
    GdiSelection& operator=(const GdiSelection&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A memory DC of this code's own.
class MemoryDc {
public:
    MemoryDc() : m_dc(CreateCompatibleDC(nullptr)) {}
    ~MemoryDc()
    {
        if (m_dc)
            DeleteDC(m_dc);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

// The header of a 24-bit DIB; a negative height runs top-down.
inline BITMAPINFO Dib24Info(int width, int height)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}
