#include "TextShape.h"

#include <cwchar>

#include "MeasureGdi.h"
#include "MeasureLayer.h"

CTextShape::CTextShape(HWND hwndView, CMeasureLayer* pLayer, MeasureCalibration* pCal, MeasureViewSettings* pView)
    : CMeasureShape(hwndView, pLayer, pCal, pView, kShapeText) {
    m_text[0] = 0;
}

CTextShape::~CTextShape() {
    Discard();
    m_editor.DestroyWindow();
}

void CTextShape::SetText(LPCWSTR text) {
    wcsncpy(m_text, text ? text : L"", kMaxText);
    m_text[kMaxText] = 0;
}

void CTextShape::TakeEditorText(LPCWSTR text) {
    auto lock = m_pLayer->Lock();
    SetText(text);
    Invalidate();
}

std::vector<CString> CTextShape::GetValueTexts() const {
    if (!m_text[0] || GetCoordCount() != 1) return {};
    return {CString(m_text)};
}

int CTextShape::OnLButtonDown(UINT, int x, int y, int tool) {
    m_hit = HitTest(x, y);
    if (tool == kToolDeleteOne) {
        if (m_selected || m_hit != kHitNone) Discard();
        return kHitNone;
    }
    if (tool == kToolText && GetCoordCount() == 0) {
        AddOneCoord(x, y);
        m_editor.SetOwner(this);
        m_editor.CreateEx(0, nullptr, L"Text", WS_CHILD | WS_VISIBLE, 0, 0, 400, 400, m_hwndView,
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(CTextEditPopup::IDC_TEXT_POPUP)));
        if (m_editor.GetSafeHwnd()) m_editor.ShowWindow(SW_SHOW);
    }
    // Tool 10 grabs nothing: a placed label stays where it was placed.
    Invalidate();
    return m_hit;
}

int CTextShape::OnLButtonUp(UINT, int, int, int) { return m_hit; }

// Nothing makes a label active, so this never moves it; kept for the
// protocol's sake.
int CTextShape::OnMouseMove(UINT, int x, int y, int) {
    if (!m_active) return m_hit;
    m_selected = true;
    MoveBody(x, y);
    Invalidate();
    return m_hit;
}

void CTextShape::Draw(CDC* pDC) {
    if (m_text[0] && GetCoordCount() == 1) DrawValueText(pDC, m_text, m_coords[0].x, m_coords[0].y);
}

void CTextShape::GetMetrics(int& avg, int& max, int& height) const {
    const HDC dc = ::GetDC(m_hwndView);
    TEXTMETRICW tm = {};
    {
        CSelectedObject font(dc, CreateValueFont());
        ::GetTextMetricsW(dc, &tm);
    }
    ::ReleaseDC(m_hwndView, dc);
    avg = tm.tmAveCharWidth;
    max = tm.tmMaxCharWidth;
    height = tm.tmHeight;
}

// Both rectangles take the font's metrics (window pixels) at the anchor
// (image pixels), so they fit the drawn text only at zoom 1.
int CTextShape::TextRect(CRect& rect, bool repaint) const {
    if (GetCoordCount() != 1) return -1;
    int avg, max, height;
    GetMetrics(avg, max, height);
    const int n = static_cast<int>(wcslen(m_text));
    const CPoint a = m_coords[0];
    if (repaint) rect = CRect(a.x - 10, a.y - 10, a.x - 10 + max * n, a.y - 10 + height + 10);
    else rect = CRect(a.x, a.y, a.x + avg * n, a.y + height);
    return 0;
}

int CTextShape::GetTextRect(CRect& rect) const { return TextRect(rect, false); }
int CTextShape::GetInvalidRect(CRect& rect) const { return TextRect(rect, true); }

bool CTextShape::HitBody(int x, int y) {
    CRect r;
    return GetTextRect(r) == 0 && r.PtInRect(CPoint(x, y));
}

// An editor confirmed after its label lost the anchor repaints nothing.
void CTextShape::Invalidate() {
    CRect r;
    if (GetInvalidRect(r) == 0) InvalidateImageRect(r, FALSE);
}

void CTextShape::SetPosition(int x, int y) {
    if (GetCoordCount() != 1) return;
    Invalidate();
    m_coords[0] = CPoint(x, y);
    Invalidate();
}

void CTextShape::Discard() {
    if (GetCoordCount() != 1) return;
    Invalidate();
    m_coords.clear();
}
