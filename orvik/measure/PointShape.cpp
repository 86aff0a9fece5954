#include "PointShape.h"

#include "ColorTable.h"
#include "MeasureGdi.h"

int CPointShape::OnLButtonDown(UINT, int x, int y, int tool) {
    if (tool == kToolDeleteOne && HitVertex(x, y) != kHitNone) {
        Discard();   // deletes this
        return kHitNone;
    }
    if (tool == kToolPoint) {
        AddOneCoord(x, y);
        m_active = true;
        return 0;
    }
    if (tool == kToolMove && HitVertex(x, y) != kHitNone) {
        m_active = true;
        Invalidate();
        return 0;
    }
    return kHitNone;
}

// A new or grabbed marker jumps to the pointer and follows it.
int CPointShape::OnMouseMove(UINT, int x, int y, int) {
    if (!m_active) return kHitNone;
    Invalidate();
    SetCoord(0, x, y);
    return 0;
}

int CPointShape::OnLButtonUp(UINT, int, int, int) {
    Invalidate();
    m_active = false;
    return kHitNone;
}

std::vector<CString> CPointShape::GetValueTexts() const {
    if (m_coords.empty()) return {};
    CString s;
    s.Format(L"(%d, %d)", m_coords[0].x, m_coords[0].y);   // image pixels, not calibrated
    return {s};
}

// Unlike the handles, the marker scales with the zoom.
void CPointShape::Draw(CDC* pDC) {
    if (m_coords.empty()) return;
    const HDC dc = pDC->m_hDC;
    const int x = m_coords[0].x, y = m_coords[0].y;
    const CPoint tl = ToView(x - 3, y - 3), br = ToView(x + 4, y + 4), p = ToView(x, y);
    {
        CSelectedObject pen(dc, ::CreatePen(PS_SOLID, 1, MeasureColor(m_pView->handleColor, kColorBlue)));
        CSelectedObject brush = CSelectedObject::Stock(dc, NULL_BRUSH);
        ::Ellipse(dc, tl.x, tl.y, br.x, br.y);
        const CPoint l = ToView(x - 6, y), r = ToView(x + 7, y), t = ToView(x, y - 6), b = ToView(x, y + 7);
        ::MoveToEx(dc, l.x, l.y, nullptr);
        ::LineTo(dc, r.x, r.y);
        ::MoveToEx(dc, t.x, t.y, nullptr);
        ::LineTo(dc, b.x, b.y);
    }
    {
        CSelectedObject pen(dc, ::CreatePen(PS_SOLID, 1, MeasureColor(m_pView->pointColor, kColorRed)));
        ::MoveToEx(dc, tl.x + 1, p.y, nullptr);
        ::LineTo(dc, br.x - 1, p.y);
        ::MoveToEx(dc, p.x, tl.y + 1, nullptr);
        ::LineTo(dc, p.x, br.y - 1);
    }
    DrawTextAt(pDC, GetValueTexts()[0], p.x, p.y - 20, CreateSmallFont());
}

void CPointShape::Invalidate() {
    if (m_coords.empty()) return;
    const CPoint p = m_coords[0];
    InvalidateImageRect(CRect(p.x - 20, p.y - 30, p.x + 100, p.y + 20), TRUE);
}

void CPointShape::Discard() {
    const CPoint p = m_coords.empty() ? CPoint() : m_coords[0];
    DiscardWithRect(CRect(p.x - 10, p.y - 20, p.x + 80, p.y + 10), FALSE);
}
