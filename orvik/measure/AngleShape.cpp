#include "AngleShape.h"

#include <cmath>

namespace {

const double kPi = 3.14159;   // as the angles have always been computed
const int kArcRadius = 40;    // image pixels

// Bearing of an arm on the screen: down 0, right 90, up 180, left 270.
double Bearing(int dx, int dy) {
    if (dx != 0) return (dx <= 0 ? 270 : 90) - std::atan(double(dy) / dx) * 180 / kPi;
    return dy <= 0 ? 180 : 0;
}

// Cross product sign of (b - a) x (p - a).
long long Side(CPoint a, CPoint b, int x, int y) {
    return (long long)(b.x - a.x) * (y - a.y) - (long long)(b.y - a.y) * (x - a.x);
}

}  // namespace

double CAngleShape::GetAngle() const {
    if (GetCoordCount() != 3) return 0.0;
    const CPoint* v = m_coords.data();
    double a = Bearing(v[0].x - v[1].x, v[0].y - v[1].y) - Bearing(v[2].x - v[1].x, v[2].y - v[1].y);
    if (a < 0) a += 360;
    return a;
}

std::vector<CString> CAngleShape::GetValueTexts() const {
    if (GetCoordCount() < 2) return {};
    CString s;
    // Three decimals, rounded to the nearest (halves away from zero).
    s.Format(L"A=%.3fdeg.", GetAngle());
    return {s};
}

void CAngleShape::Draw(CDC* pDC) {
    const int n = GetCoordCount();
    if (n == 0) return;
    const CPoint* v = m_coords.data();
    if (n == 1) {
        DrawLine(pDC, m_selected, v[0].x, v[0].y, m_rubber.x, m_rubber.y);
    } else if (n == 2) {
        DrawLine(pDC, m_selected, v[0].x, v[0].y, v[1].x, v[1].y);
        DrawLine(pDC, m_selected, v[1].x, v[1].y, m_rubber.x, m_rubber.y);
    } else {
        DrawLine(pDC, m_selected, v[0].x, v[0].y, v[1].x, v[1].y);
        DrawLine(pDC, m_selected, v[1].x, v[1].y, v[2].x, v[2].y);
        // From the radial towards vertex 2 to the one towards vertex 0; an
        // arm of no length has no radial, and then no arc is drawn.
        const double d0x = v[0].x - v[1].x, d0y = v[0].y - v[1].y;
        const double d2x = v[2].x - v[1].x, d2y = v[2].y - v[1].y;
        const double l0 = std::sqrt(d0x * d0x + d0y * d0y), l2 = std::sqrt(d2x * d2x + d2y * d2y);
        if (l0 > 0 && l2 > 0) {
            DrawArc(pDC, m_selected, v[1].x - kArcRadius, v[1].y - kArcRadius, v[1].x + kArcRadius,
                    v[1].y + kArcRadius, v[1].x + static_cast<int>(kArcRadius * d2x / l2),
                    v[1].y + static_cast<int>(kArcRadius * d2y / l2), v[1].x + static_cast<int>(kArcRadius * d0x / l0),
                    v[1].y + static_cast<int>(kArcRadius * d0y / l0));
        }
    }
    DrawHandles(pDC);
    if (n > 1) DrawValueText(pDC, GetValueTexts()[0], v[1].x + 50, v[1].y - 20);
}

bool CAngleShape::HitBody(int x, int y) {
    if (GetCoordCount() != 3 || HitVertex(x, y) != kHitNone) return false;
    const CPoint* v = m_coords.data();
    const long long a = Side(v[0], v[1], x, y), b = Side(v[1], v[2], x, y), c = Side(v[2], v[0], x, y);
    return (a >= 0 && b >= 0 && c >= 0) || (a <= 0 && b <= 0 && c <= 0);
}

int CAngleShape::MoveBody(int x, int y) {
    return GetCoordCount() == 3 ? CMeasureShape::MoveBody(x, y) : m_hit;
}

// The three sides (while building, the arms to the rubber point), with room
// for the arc and the text.
CRect CAngleShape::PaintBox() const {
    CRect r = GetCoordCount() == 3 ? VertexBox() : BuildingBox();
    r.InflateRect(50, 50);
    return r;
}

void CAngleShape::Invalidate() {
    if (GetCoordCount() > 0) InvalidateImageRect(PaintBox(), TRUE);
}

void CAngleShape::Discard() { DiscardWithRect(PaintBox(), TRUE); }
