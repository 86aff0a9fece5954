#include "RectShape.h"

#include <cstdlib>

namespace {
const int kMinSide = 10;   // image pixels
}

void CRectShape::RubberBand(int x, int y) {
    const CPoint p0 = m_coords[0];
    AddOneCoord(x, p0.y);
    AddOneCoord(p0.x, y);
    AddOneCoord(x, y);
    m_hit = 3;
}

bool CRectShape::TooSmall() const {
    if (GetCoordCount() == 1) return true;
    if (GetCoordCount() != 4) return false;
    return std::abs(m_coords[0].x - m_coords[3].x) < kMinSide && std::abs(m_coords[0].y - m_coords[3].y) < kMinSide;
}

// After the grabbed corner has moved, the other corners follow it and the
// rectangle keeps at least 10 pixels a side: a drag up or left of the start
// leaves the smallest rectangle.
int CRectShape::MoveBody(int x, int y) {
    if (GetCoordCount() != 4) return CMeasureShape::MoveBody(x, y);
    CPoint* v = m_coords.data();
    switch (m_hit) {
    case 3:
        if (v[3].x <= v[0].x + kMinSide) v[3].x = v[0].x + kMinSide;
        if (v[3].y <= v[0].y + kMinSide) v[3].y = v[0].y + kMinSide;
        v[1].x = v[3].x;
        v[2].y = v[3].y;
        break;
    case 2:
        if (v[2].x >= v[3].x - kMinSide) v[2].x = v[3].x - kMinSide;
        if (v[2].y <= v[0].y + kMinSide) v[2].y = v[0].y + kMinSide;
        v[0].x = v[2].x;
        v[3].y = v[2].y;
        break;
    case 0:
        if (v[0].x >= v[3].x - kMinSide) v[0].x = v[3].x - kMinSide;
        if (v[0].y >= v[3].y - kMinSide) v[0].y = v[3].y - kMinSide;
        v[1].y = v[0].y;
        v[2].x = v[0].x;
        break;
    case 1:
        if (v[1].x <= v[0].x + kMinSide) v[1].x = v[0].x + kMinSide;
        if (v[1].y >= v[3].y - kMinSide) v[1].y = v[3].y - kMinSide;
        v[0].y = v[1].y;
        v[3].x = v[1].x;
        break;
    default:
        return CMeasureShape::MoveBody(x, y);
    }
    return m_hit;
}

CRect CRectShape::Box() const {
    if (GetCoordCount() != 4) return CRect();
    return MeasureBox(m_coords[0].x, m_coords[0].y, m_coords[3].x, m_coords[3].y);
}

double CRectShape::GetArea() const {
    const CRect b = Box();
    return b.Width() * m_pCal->unitsPerPixelX * b.Height() * m_pCal->unitsPerPixelY;
}

double CRectShape::GetPerimeter() const {
    const CRect b = Box();
    return 2 * (b.Width() * m_pCal->unitsPerPixelX + b.Height() * m_pCal->unitsPerPixelY);
}

std::vector<CString> CRectShape::GetValueTexts() const {
    if (GetCoordCount() != 4) return {};
    CString s;
    // Three decimals, rounded to the nearest (halves away from zero).
    s.Format(L"S=%.3f%s^2", GetArea(), Unit());
    return {s};
}

void CRectShape::Draw(CDC* pDC) {
    if (GetCoordCount() != 4) return;
    const CPoint* v = m_coords.data();
    static const int kSides[4][2] = {{0, 1}, {1, 3}, {0, 2}, {2, 3}};
    for (const auto& s : kSides) DrawLine(pDC, m_selected, v[s[0]].x, v[s[0]].y, v[s[1]].x, v[s[1]].y);
    DrawValueText(pDC, GetValueTexts()[0], v[0].x, v[0].y);
    DrawHandles(pDC);
}

bool CRectShape::HitBody(int x, int y) {
    if (GetCoordCount() != 4 || HitVertex(x, y) != kHitNone) return false;
    return Box().PtInRect(CPoint(x, y)) != FALSE;
}

void CRectShape::Invalidate() {
    if (GetCoordCount() == 1) {
        InvalidateImageRect(CRect(m_coords[0], m_coords[0]), TRUE);
    } else if (GetCoordCount() == 4) {
        InvalidateImageRect(
            MeasureBox(m_coords[0].x - 20, m_coords[0].y - 100, m_coords[3].x + 200, m_coords[3].y + 20), TRUE);
    }
}

void CRectShape::Discard() {
    CRect r = GetCoordCount() == 4 ? Box() : VertexBox();
    r.InflateRect(100, 30);
    DiscardWithRect(r, FALSE);
}
