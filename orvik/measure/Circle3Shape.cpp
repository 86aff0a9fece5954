#include "Circle3Shape.h"

#include <cmath>

#include "MeasureGdi.h"

namespace {
// Beyond this the three points are as good as on one line: the centre would
// not fit the coordinates.
const double kFarAway = 1e6;
}

// The centre is where the perpendicular bisectors of the chords 0-1 and 1-2
// meet, each through the chord's midpoint taken in whole pixels ((a + b + 1)
// / 2). Each bisector is d.x * X + d.y * Y = d . m for its chord d, so the
// meeting point is exact up to one division, and parallel chords (all three
// points on one line) show as a zero determinant. The centre is rounded
// half up and the radius, its distance to vertex 0, truncated.
bool CCircle3Shape::GetCircle(CPoint& centre, int& radius) const {
    if (GetCoordCount() != 3) return false;
    const CPoint* v = m_coords.data();
    const long long m1x = (v[0].x + v[1].x + 1) / 2, m1y = (v[0].y + v[1].y + 1) / 2;
    const long long m2x = (v[1].x + v[2].x + 1) / 2, m2y = (v[1].y + v[2].y + 1) / 2;
    const long long a1 = v[1].x - v[0].x, b1 = v[1].y - v[0].y, c1 = a1 * m1x + b1 * m1y;
    const long long a2 = v[2].x - v[1].x, b2 = v[2].y - v[1].y, c2 = a2 * m2x + b2 * m2y;
    const long long det = a1 * b2 - a2 * b1;
    if (det == 0) return false;
    const double X = double(c1 * b2 - c2 * b1) / det;
    const double Y = double(a1 * c2 - a2 * c1) / det;
    if (std::fabs(X) > kFarAway || std::fabs(Y) > kFarAway) return false;
    centre = CPoint(static_cast<int>(X + 0.5), static_cast<int>(Y + 0.5));
    const double dx = v[0].x - centre.x, dy = v[0].y - centre.y;
    const double r = std::sqrt(dx * dx + dy * dy);
    if (r > kFarAway) return false;
    radius = static_cast<int>(r);
    return true;
}

double CCircle3Shape::GetArea() const {
    CPoint c;
    int r;
    if (!GetCircle(c, r)) return 0.0;
    return r * 3.14159 * m_pCal->unitsPerPixelX * r * m_pCal->unitsPerPixelY;
}

std::vector<CString> CCircle3Shape::GetValueTexts() const {
    if (GetCoordCount() != 3) return {};
    CString s;
    // Five decimals, rounded to the nearest (halves away from zero); an
    // area, though written without "^2".
    s.Format(L"A=%.5f%s", GetArea(), Unit());
    return {s};
}

void CCircle3Shape::Draw(CDC* pDC) {
    CPoint c;
    int r;
    if (GetCircle(c, r)) DrawEllipse(pDC, m_selected, c.x - r, c.y - r, c.x + r, c.y + r);
    DrawHandles(pDC);
    if (GetCoordCount() != 3) return;
    const CPoint at = ToView(m_coords[1].x, m_coords[1].y);
    DrawTextAt(pDC, GetValueTexts()[0], at.x, at.y - 20, CreateSmallFont(0));
}

bool CCircle3Shape::HitBody(int x, int y) {
    CPoint c;
    int r;
    if (HitVertex(x, y) != kHitNone || !GetCircle(c, r)) return false;
    const double dx = x - c.x, dy = y - c.y;
    return dx * dx + dy * dy <= double(r) * r;
}

CRect CCircle3Shape::PaintBox() const {
    CPoint c;
    int r;
    if (GetCircle(c, r)) return CRect(c.x - r, c.y - r, c.x + r, c.y + r);
    return BuildingBox();
}

void CCircle3Shape::Invalidate() {
    if (GetCoordCount() > 0) InvalidateImageRect(PaintBox(), TRUE);
}

void CCircle3Shape::Discard() { DiscardWithRect(PaintBox(), TRUE); }
