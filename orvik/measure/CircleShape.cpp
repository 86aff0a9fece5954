#include "CircleShape.h"

#include <cmath>

void CCircleShape::RubberBand(int x, int y) {
    AddOneCoord(x, y);
    m_hit = 1;
}

bool CCircleShape::TooSmall() const { return GetCoordCount() == 1 || RadiusPixels() < 6; }

int CCircleShape::RadiusPixels() const {
    if (GetCoordCount() < 2) return 0;
    const double dx = m_coords[1].x - m_coords[0].x, dy = m_coords[1].y - m_coords[0].y;
    return static_cast<int>(std::sqrt(dx * dx + dy * dy));
}

// The radius and the perimeter use the X calibration only.
double CCircleShape::GetRadius() const { return GetCoordCount() == 2 ? RadiusPixels() * m_pCal->unitsPerPixelX : 0.0; }

double CCircleShape::GetPerimeter() const {
    return GetCoordCount() == 2 ? RadiusPixels() * 6.28318 * m_pCal->unitsPerPixelX : 0.0;
}

double CCircleShape::GetArea() const {
    const int r = RadiusPixels();
    return GetCoordCount() == 2 ? r * 3.14159 * r * m_pCal->unitsPerPixelX * m_pCal->unitsPerPixelY : 0.0;
}

std::vector<CString> CCircleShape::GetValueTexts() const {
    if (GetCoordCount() != 2) return {};
    CString r, s;
    // Three decimals, rounded to the nearest (halves away from zero).
    r.Format(L"R=%.3f%s", GetRadius(), Unit());
    s.Format(L"S=%.3f%s^2", GetArea(), Unit());
    return {r, s};
}

// Only the rim vertex follows the pointer; a grabbed centre moves the whole
// circle by the drag step, as the body does.
void CCircleShape::MoveVertex(int hit, int x, int y) {
    if (hit != 0) CDragShape::MoveVertex(hit, x, y);
}

int CCircleShape::MoveBody(int x, int y) {
    if (m_hit == 0 || m_hit == kHitBody) {
        for (CPoint& p : m_coords) p.Offset(x - m_last.x, y - m_last.y);
        m_last = CPoint(x, y);
    }
    return m_hit;
}

CRect CCircleShape::Box() const {
    const int r = RadiusPixels();
    const CPoint c = m_coords.empty() ? CPoint() : m_coords[0];
    return CRect(c.x - r, c.y - r, c.x + r, c.y + r);
}

void CCircleShape::Draw(CDC* pDC) {
    if (GetCoordCount() != 2) return;
    const CRect b = Box();
    DrawEllipse(pDC, m_selected, b.left, b.top, b.right, b.bottom);
    DrawHandles(pDC);
    const std::vector<CString> texts = GetValueTexts();
    DrawValueText(pDC, texts[0], m_coords[0].x, m_coords[0].y);
    DrawValueText(pDC, texts[1], m_coords[0].x, m_coords[0].y - 30);
}

bool CCircleShape::HitBody(int x, int y) {
    if (GetCoordCount() != 2 || HitVertex(x, y) != kHitNone) return false;
    const double dx = x - m_coords[0].x, dy = y - m_coords[0].y, r = RadiusPixels();
    return dx * dx + dy * dy <= r * r;
}

// The circle with its two texts above the centre.
CRect CCircleShape::PaintBox() const {
    CRect b = Box();
    b.InflateRect(30, 100, 30, 30);
    return b;
}

void CCircleShape::Invalidate() {
    if (!m_coords.empty()) InvalidateImageRect(PaintBox(), TRUE);
}

void CCircleShape::Discard() { DiscardWithRect(PaintBox(), FALSE); }
