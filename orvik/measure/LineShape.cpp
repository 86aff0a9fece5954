#include "LineShape.h"

#include <cmath>

void CLineShape::RubberBand(int x, int y) {
    // The second vertex stays where the pointer first moved; vertex 0 (the
    // hit) follows the pointer from now on.
    AddOneCoord(x, y);
}

bool CLineShape::TooSmall() const {
    if (GetCoordCount() < 2) return true;
    return std::abs(m_coords[0].x - m_coords[1].x) < 5 && std::abs(m_coords[0].y - m_coords[1].y) < 5;
}

double CLineShape::GetLength() const {
    if (GetCoordCount() < 2) return 0.0;
    // Each axis in its own calibration, so non-square pixels measure right.
    const double dx = (m_coords[0].x - m_coords[1].x) * m_pCal->unitsPerPixelX;
    const double dy = (m_coords[0].y - m_coords[1].y) * m_pCal->unitsPerPixelY;
    return std::sqrt(dx * dx + dy * dy);
}

std::vector<CString> CLineShape::GetValueTexts() const {
    if (GetCoordCount() < 2) return {};
    CString s;
    // Three decimals, rounded to the nearest (halves away from zero, as the
    // runtime's printf does), then the unit name: "L=50.000um".
    s.Format(L"L=%.3f%s", GetLength(), Unit());
    return {s};
}

void CLineShape::Draw(CDC* pDC) {
    if (GetCoordCount() == 2) {
        const CPoint a = m_coords[0], b = m_coords[1];
        DrawLine(pDC, m_selected, a.x, a.y, b.x, b.y);
        const int dx = a.x - b.x, dy = a.y - b.y;
        const double len = std::sqrt(double(dx) * dx + double(dy) * dy);
        // End marks across the line, 50 image pixels to either side; a line
        // of no length has no direction to be crossed.
        if (m_selected && len > 0) {
            const int ox = static_cast<int>(-dy * 50 / len), oy = static_cast<int>(dx * 50 / len);
            for (const CPoint& e : {a, b}) DrawLine(pDC, m_selected, e.x - ox, e.y - oy, e.x + ox, e.y + oy);
        }
    }
    DrawHandles(pDC);
    if (GetCoordCount() != 2) return;
    const CPoint a = m_coords[0], b = m_coords[1];
    const int mx = (a.x + b.x) / 2, my = (a.y + b.y) / 2;
    // Above the middle; 10 right of it unless the line is horizontal, and
    // below it when the line rises to the right on the screen.
    CPoint at(mx + 10, my - 20);
    if (a.x != b.x && a.y == b.y) at = CPoint(mx, my - 20);
    else if (a.x != b.x && double(a.y - b.y) / (a.x - b.x) < -0.08) at = CPoint(mx + 10, my + 10);
    DrawValueText(pDC, GetValueTexts()[0], at.x, at.y);
}

bool CLineShape::HitBody(int x, int y) {
    if (GetCoordCount() != 2 || HitVertex(x, y) != kHitNone) return false;
    CRect r = MeasureBox(m_coords[0].x, m_coords[0].y, m_coords[1].x, m_coords[1].y);
    r.InflateRect(4, 4);
    return r.PtInRect(CPoint(x, y)) != FALSE;
}

void CLineShape::Invalidate() {
    if (GetCoordCount() == 1) {
        InvalidateImageRect(CRect(m_coords[0].x - 20, m_coords[0].y - 20, m_coords[0].x + 20, m_coords[0].y + 20),
                            TRUE);
    } else if (GetCoordCount() == 2) {
        CRect r = VertexBox();
        r.InflateRect(50, 50);
        InvalidateImageRect(r, TRUE);
    }
}

void CLineShape::Discard() {
    CRect r = VertexBox();
    r.InflateRect(100, 30);
    DiscardWithRect(r, TRUE);
}
