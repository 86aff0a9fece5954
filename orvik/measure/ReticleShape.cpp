#include "ReticleShape.h"

#include "ColorTable.h"
#include "MeasureGdi.h"

namespace {
// Half-length of tick i: long every 10, middle every 5.
int TickHalf(int i) { return i % 10 == 0 ? 15 : i % 5 == 0 ? 10 : 5; }
}

// Device pixels: neither zoom nor scroll applies. Both axes take as many
// ticks as half the X half-width.
void CReticleShape::Draw(CDC* pDC) {
    const HDC dc = pDC->m_hDC;
    CSelectedObject pen(dc, ::CreatePen(PS_SOLID, 1, MeasureColor(m_pView->lineColor, kColorGreen)));
    const int cx = m_width / 2, cy = m_height / 2, n = cx / 2;
    auto line = [dc](int x1, int y1, int x2, int y2) {
        ::MoveToEx(dc, x1, y1, nullptr);
        ::LineTo(dc, x2, y2);
    };
    line(0, cy, m_width, cy);
    for (int i = 1; i <= n; ++i) {
        const int d = static_cast<int>(i * m_spacingX / 10.0), h = TickHalf(i);
        line(cx - d, cy - h, cx - d, cy + h);
        line(cx + d, cy - h, cx + d, cy + h);
    }
    line(cx, 0, cx, m_height);
    for (int i = 1; i <= n; ++i) {
        const int d = static_cast<int>(i * m_spacingY / 10.0), h = TickHalf(i);
        line(cx - h, cy - d, cx + h, cy - d);
        line(cx - h, cy + d, cx + h, cy + d);
    }
}

void CReticleShape::Invalidate() {
    if (!m_hwndView) return;
    const int cx = m_width / 2, cy = m_height / 2;
    const CRect bands[2] = {MeasureBox(0, cy - 100, m_width, cy + 100), MeasureBox(cx - 100, 0, cx + 100, m_height)};
    for (const CRect& r : bands) ::InvalidateRect(m_hwndView, &r, TRUE);
}

void CReticleShape::SetImageSize(int width, int height) {
    Invalidate();
    m_width = width;
    m_height = height;
    Invalidate();
}

void CReticleShape::SetSpacing(int x, int y) {
    Invalidate();
    m_spacingX = x;
    m_spacingY = y;
    Invalidate();
}
