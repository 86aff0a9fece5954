#include "PolygonShape.h"

#include <algorithm>
#include <cmath>

int CPolygonShape::OnLButtonDblClk(UINT, int, int, int tool) {
    // The first click of the double click has placed its vertex already.
    // Only the polygon under construction closes: every shape of the layer
    // hears the double click.
    if (tool != m_type || !m_active) return kHitNone;
    m_closed = true;
    if (GetCoordCount() < 3) {
        Discard();   // deletes this
        return kHitNone;
    }
    m_active = false;
    m_hit = kHitNone;
    return kHitNone;
}

// The shoelace sum, each edge's product in 32-bit integers (ample for any
// picture the program opens), then scaled by both calibrations.
double CPolygonShape::GetArea() const {
    const int n = GetCoordCount();
    if (n < 3) return 0.0;
    double sum = 0;
    for (int i = 0; i < n; ++i) {
        const CPoint& a = m_coords[i];
        const CPoint& b = m_coords[(i + 1) % n];
        sum += (a.y + b.y) * (a.x - b.x) * 0.5;
    }
    return std::fabs(sum) * m_pCal->unitsPerPixelX * m_pCal->unitsPerPixelY;
}

std::vector<CString> CPolygonShape::GetValueTexts() const {
    if (!m_closed || m_coords.empty()) return {};
    CString s;
    // Three decimals, rounded to the nearest (halves away from zero).
    s.Format(L"S=%.3f%s^2", GetArea(), Unit());
    return {s};
}

// Always solid, and no handles: a polygon is grabbed only at its vertices.
void CPolygonShape::Draw(CDC* pDC) {
    const int n = GetCoordCount();
    if (n == 0) return;
    for (int i = 0; i + 1 < n; ++i) DrawLine(pDC, false, m_coords[i].x, m_coords[i].y, m_coords[i + 1].x, m_coords[i + 1].y);
    const CPoint& last = m_coords[n - 1];
    if (!m_closed) {
        DrawLine(pDC, false, last.x, last.y, m_rubber.x, m_rubber.y);
        return;
    }
    DrawLine(pDC, false, last.x, last.y, m_coords[0].x, m_coords[0].y);
    int minX = 10000, minY = 10000;
    for (const CPoint& p : m_coords) {
        minX = std::min<int>(minX, p.x);
        minY = std::min<int>(minY, p.y);
    }
    DrawValueText(pDC, GetValueTexts()[0], minX, minY - 25);
}

void CPolygonShape::Invalidate() {
    if (!m_coords.empty()) InvalidateImageRect(BuildingBox(), FALSE);
}

void CPolygonShape::Discard() { DiscardWithRect(BuildingBox(), FALSE); }
