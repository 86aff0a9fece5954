#include "ScaleBarShape.h"

#include <algorithm>
#include <cstdlib>

#include "MeasureLayer.h"

CScaleBarShape::CScaleBarShape(HWND hwndView, CMeasureLayer* pLayer, MeasureCalibration* pCal,
                               MeasureViewSettings* pView)
    : CMeasureShape(hwndView, pLayer, pCal, pView, kShapeScaleBar) {
    // Arms of 50 pixels with the corner at (50, 50): 10.0 / 50 = 0.2, the
    // default calibration.
    AddOneCoord(100, 50);
    AddOneCoord(50, 100);
}

void CScaleBarShape::GetEnds(CPoint& xEnd, CPoint& yEnd) const {
    if (GetCoordCount() != 2) return;
    xEnd = m_coords[0];
    yEnd = m_coords[1];
}

void CScaleBarShape::SetEnds(int xEndX, int xEndY, int yEndX, int yEndY) {
    if (GetCoordCount() != 2) return;
    m_coords[0] = CPoint(xEndX, xEndY);
    m_coords[1] = CPoint(yEndX, yEndY);
}

int CScaleBarShape::HitTest(int x, int y) {
    const CPoint p0 = m_coords[0], p1 = m_coords[1], pt(x, y);
    if (MeasureBox(p1.x - 5, p0.y - 5, p0.x - 4, p1.y - 4).PtInRect(pt)) return kPartBar;
    if (MeasureBox(p0.x - 5, p0.y - 5, p0.x + 5, p0.y + 5).PtInRect(pt)) return kPartXEnd;
    if (MeasureBox(p1.x - 5, p1.y - 5, p1.x + 5, p1.y + 5).PtInRect(pt)) return kPartYEnd;
    return kPartNone;
}

// Always -1, so the layer goes on offering the press to the shapes before it.
int CScaleBarShape::OnLButtonDown(UINT, int x, int y, int) {
    m_part = HitTest(x, y);
    // An end never crosses the corner: it stops one pixel beyond it.
    if (m_part == kPartBar) m_press = CPoint(x, y);
    else if (m_part == kPartXEnd) m_limit = m_coords[1].x + 1;
    else if (m_part == kPartYEnd) m_limit = m_coords[0].y + 1;
    return kHitNone;
}

int CScaleBarShape::OnMouseMove(UINT, int x, int y, int tool) {
    if (tool != kToolMove || m_part == kPartNone) return kHitNone;
    Invalidate();
    if (m_part == kPartBar) {
        for (CPoint& p : m_coords) p.Offset(x - m_press.x, y - m_press.y);
        m_press = CPoint(x, y);
    } else if (m_part == kPartXEnd) {
        m_coords[0].x = std::max(m_limit, x);
        Recalibrate();
    } else {
        m_coords[1].y = std::max(m_limit, y);
        Recalibrate();
    }
    Invalidate();
    ::SendMessageW(m_hwndView, WM_RULER_CHANGED, 0, 0);
    return kHitNone;
}

// Each arm stands for its known length, so its length in pixels gives the
// units per pixel of its axis. Both axes are recomputed whichever end moved;
// an arm of no length (set through SetEnds) keeps its axis as it was.
void CScaleBarShape::Recalibrate() {
    MeasureCalibration cal = m_pLayer->GetCalibration();
    const int lx = std::abs(m_coords[0].x - m_coords[1].x), ly = std::abs(m_coords[0].y - m_coords[1].y);
    if (lx > 0) cal.unitsPerPixelX = cal.knownLengthX / lx;
    if (ly > 0) cal.unitsPerPixelY = cal.knownLengthY / ly;
    m_pLayer->SetCalibration(cal);
}

int CScaleBarShape::OnLButtonUp(UINT, int, int, int) {
    Invalidate();
    m_part = kPartNone;
    return kHitNone;
}

std::vector<CString> CScaleBarShape::GetValueTexts() const {
    CString x, y;
    // The known lengths, five decimals rounded to the nearest (halves away
    // from zero), not the measured pixels.
    x.Format(L"%.5f%s", m_pCal->knownLengthX, Unit());
    y.Format(L"%.5f%s", m_pCal->knownLengthY, Unit());
    return {x, y};
}

void CScaleBarShape::Draw(CDC* pDC) {
    const CPoint p0 = m_coords[0], p1 = m_coords[1];
    DrawLine(pDC, false, p1.x - 5, p0.y, p0.x, p0.y);
    DrawLine(pDC, false, p0.x, p0.y - 5, p0.x, p0.y + 5);
    DrawLine(pDC, false, p1.x, p0.y - 5, p1.x, p1.y);
    DrawLine(pDC, false, p1.x - 5, p1.y, p1.x + 5, p1.y);
    const std::vector<CString> texts = GetValueTexts();
    DrawValueText(pDC, texts[0], p0.x + 10, p0.y - 5);
    DrawValueText(pDC, texts[1], p1.x, p1.y + 5);
}

void CScaleBarShape::Invalidate() {
    InvalidateImageRect(MeasureBox(m_coords[1].x - 5, m_coords[0].y - 5, m_coords[0].x + 100, m_coords[1].y + 50),
                        TRUE);
}
