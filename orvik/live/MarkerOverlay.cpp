#include "MarkerOverlay.h"

#include "GdiScope.h"
#include "OverlayMerge.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace {

void Line(HDC dc, int x0, int y0, int x1, int y1)
{
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

void CentreLines(HDC dc, int width, int height)
{
    Line(dc, width / 2, 0, width / 2, height);
    Line(dc, 0, height / 2, width, height / 2);
}

int CeilDiv(int a, int b)
{
    return (a + b - 1) / b;
}

// The pen and brush of every marker drawing, restored when it ends.
class MarkerPen {
public:
    MarkerPen(HDC dc, COLORREF colour)
        : m_pen(CreatePen(PS_SOLID, 1, colour)), m_brush(dc, GetStockObject(NULL_BRUSH)), m_selected(dc, m_pen.Get())
    {
    }

private:
    GdiObject m_pen;
    GdiSelection m_brush;
    GdiSelection m_selected;
};

// ---- pixels straight into a frame -----------------------------------------

class PixelPainter {
public:
    PixelPainter(BYTE* frame, int width, int height, int stride, COLORREF colour)
        : m_frame(frame), m_width(width), m_height(height), m_stride(stride),
          m_b(GetBValue(colour)), m_g(GetGValue(colour)), m_r(GetRValue(colour))
    {
    }
    void Dot(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height)
            return;
        BYTE* p = m_frame + static_cast<size_t>(m_stride) * y + 3 * static_cast<size_t>(x);
        p[0] = m_b, p[1] = m_g, p[2] = m_r;
    }
    void Row(int y, int x0, int x1) const
    {
        for (int x = x0; x <= x1; ++x)
            Dot(x, y);
    }
    void Column(int x, int y0, int y1) const
    {
        for (int y = y0; y <= y1; ++y)
            Dot(x, y);
    }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    BYTE* m_frame;
    int m_width, m_height, m_stride;
    BYTE m_b, m_g, m_r;
};

bool BadFrame(const BYTE* frame, int width, int height, int stride)
{
    return !frame || width <= 0 || height <= 0 || stride / 3 < width;
}

void MiddleLines(const PixelPainter& p)
{
    p.Row(p.Height() / 2, 0, p.Width() - 1);
    p.Column(p.Width() / 2, 0, p.Height() - 1);
}

}  // namespace

void DrawRulerOverlay(HDC dc, int width, int height, COLORREF colour, int unit)
{
    if (!dc || unit <= 0)
        return;
    MarkerPen pen(dc, colour);
    const int cx = width / 2, cy = height / 2;
    const int shortTick = unit + unit / 4, longTick = 2 * unit + 1;
    CentreLines(dc, width, height);
    for (int i = 0, n = cx / unit; i <= n; ++i) {
        const int t = i % 5 == 0 ? longTick : shortTick;
        Line(dc, cx + i * unit, cy - t, cx + i * unit, cy + t);
        Line(dc, cx - i * unit, cy - t, cx - i * unit, cy + t);
    }
    for (int i = 0, m = cy / unit; i < m; ++i) {
        const int t = i % 5 == 0 ? longTick : shortTick;
        Line(dc, cx - t, cy + i * unit, cx + t, cy + i * unit);
        Line(dc, cx - t, cy - i * unit, cx + t, cy - i * unit);
    }
}

void DrawGridOverlay(HDC dc, int width, int height, COLORREF colour, int unit)
{
    if (!dc || unit <= 0 || width <= 0 || height <= 0)
        return;
    MarkerPen pen(dc, colour);
    for (int k = 1, n = CeilDiv(width, unit); k <= n; ++k)
        Line(dc, k * unit, 0, k * unit, height);
    for (int k = 1, n = CeilDiv(height, unit); k <= n; ++k)
        Line(dc, 0, k * unit, width, k * unit);
}

void DrawCircleOverlay(HDC dc, int width, int height, COLORREF colour, int unit)
{
    if (!dc || unit <= 0 || width <= 0 || height <= 0)
        return;
    MarkerPen pen(dc, colour);
    const int cx = width / 2, cy = height / 2;
    const int nx = CeilDiv(width, unit), ny = CeilDiv(height, unit);
    for (int k = 1, n = nx > ny ? nx : ny; k <= n; ++k) {
        const int r = k * unit;
        Ellipse(dc, cx - r, cy - r, cx + r, cy + r);
    }
    CentreLines(dc, width, height);
}

void DrawMarkerOverlay(HDC dc, MarkerKind kind, int width, int height, COLORREF colour, int unit)
{
    switch (kind) {
    case kMarkerRuler: DrawRulerOverlay(dc, width, height, colour, unit); break;
    case kMarkerGrid: DrawGridOverlay(dc, width, height, colour, unit); break;
    case kMarkerCircles: DrawCircleOverlay(dc, width, height, colour, unit); break;
    default: break;
    }
}

std::wstring FormatTimeStamp(const SYSTEMTIME& t)
{
    wchar_t text[64];
    swprintf(text, 64, L"%d-%d-%d %d:%d:%d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return text;
}

int DrawTimeStamp(HDC dc, BYTE* overlay, int width, int height, COLORREF colour, int unit, MarkerKind kind,
                  bool marker, bool time)
{
    if (!dc || !overlay || width <= 0 || height <= 0)
        return -1;
    const size_t stride = Dib24Stride(width);
    std::memset(overlay, kOverlayTransparent, stride * height);
    SetROP2(dc, R2_COPYPEN);
    BITMAPINFO info = Dib24Info(width, height);
    void* bits = nullptr;
    GdiObject section(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!section || !SetDIBits(dc, static_cast<HBITMAP>(section.Get()), 0, height, overlay, &info, DIB_RGB_COLORS))
        return -1;
    {
        GdiSelection selected(dc, section.Get());
        if (marker)
            DrawMarkerOverlay(dc, kind, width, height, colour, unit);
        if (time) {
            LOGFONTW lf = {};
            lf.lfHeight = width <= 2000 ? 20 : 40;
            lf.lfWidth = width <= 2000 ? 16 : 32;
            GdiObject font(CreateFontIndirectW(&lf));
            GdiSelection fontSelected(dc, font.Get());
            SYSTEMTIME now;
            GetLocalTime(&now);
            const std::wstring text = FormatTimeStamp(now);
            SetTextColor(dc, colour);
            SetBkMode(dc, TRANSPARENT);
            TextOutW(dc, 20, 20, text.c_str(), static_cast<int>(text.size()));
        }
        GdiFlush();
    }
    if (GetDIBits(dc, static_cast<HBITMAP>(section.Get()), 0, height, overlay, &info, DIB_RGB_COLORS) != height)
        return -1;
    // The section is bottom-up; the camera's stills run top-down.
    std::vector<BYTE> swap(stride);
    for (int y = 0, z = height - 1; y < z; ++y, --z) {
        BYTE* a = overlay + stride * y;
        BYTE* b = overlay + stride * z;
        std::memcpy(swap.data(), a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, swap.data(), stride);
    }
    return 0;
}

int BurnInStill(BYTE* frame, int width, int height, COLORREF colour, int unit, MarkerKind kind, bool marker,
                bool time)
{
    if (!frame || width <= 0 || height <= 0)
        return -1;
    if (!marker && !time)
        return 0;
    MemoryDc dc;
    std::vector<BYTE> overlay;
    try {
        overlay.resize(static_cast<size_t>(Dib24Stride(width)) * height);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    if (!dc.Get() || DrawTimeStamp(dc.Get(), overlay.data(), width, height, colour, unit, kind, marker, time) != 0)
        return -1;
    return MergeOverlay(frame, overlay.data(), width, height);
}

int RTRulerPixels(BYTE* frame, int width, int height, int stride, COLORREF colour)
{
    if (BadFrame(frame, width, height, stride))
        return -1;
    const PixelPainter p(frame, width, height, stride, colour);
    const int cx = width / 2, cy = height / 2;
    MiddleLines(p);
    for (int i = 0, n = cx / 6; i < n; ++i) {
        const int half = i % 5 == 4 ? 15 : 7;
        const int d = 6 * (i + 1);
        p.Column(cx + d, cy - half, cy + half);
        p.Column(cx - d, cy - half, cy + half);
    }
    for (int i = 0, n = cy / 6; i < n; ++i) {
        const int half = i % 5 == 4 ? 15 : 7;
        const int d = 6 * (i + 1);
        p.Row(cy + d, cx - half, cx + half);
        p.Row(cy - d, cx - half, cx + half);
    }
    return 0;
}

int RTGridPixels(BYTE* frame, int width, int height, int stride, COLORREF colour)
{
    if (BadFrame(frame, width, height, stride))
        return -1;
    const PixelPainter p(frame, width, height, stride, colour);
    for (int k = 0, n = (height + 49) / 50; k < n; ++k)
        p.Row(50 * k, 0, width - 1);
    for (int k = 0, n = (width + 49) / 50; k < n; ++k)
        p.Column(50 * k, 0, height - 1);
    return 0;
}

int RTCirclePixels(BYTE* frame, int width, int height, int stride, COLORREF colour)
{
    if (BadFrame(frame, width, height, stride))
        return -1;
    const PixelPainter p(frame, width, height, stride, colour);
    const int cx = width / 2, cy = height / 2;
    for (int k = 0, n = width / 40; k < n; ++k) {
        const int r = 40 * k;
        // Midpoint circle: one octant walked, eight plotted.
        int x = r, y = 0, e = 1 - r;
        while (x >= y) {
            const int pts[8][2] = {{x, y}, {y, x}, {-y, x}, {-x, y}, {-x, -y}, {-y, -x}, {y, -x}, {x, -y}};
            for (const auto& q : pts)
                p.Dot(cx + q[0], cy + q[1]);
            ++y;
            if (e < 0) {
                e += 2 * y + 1;
            } else {
                --x;
                e += 2 * (y - x) + 1;
            }
        }
    }
    MiddleLines(p);
    return 0;
}
