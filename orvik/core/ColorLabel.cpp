#include "ColorLabel.h"

const COLORREF CColorLabel::kInitialColors[4] = {RGB(0, 0, 0), RGB(131, 210, 255), RGB(52, 255, 34), RGB(1, 135, 31)};

BEGIN_MESSAGE_MAP(CColorLabel, CStatic)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CColorLabel::CColorLabel(int param) : m_nParam(param), m_dwStyle(0x40000000) {
    for (int i = 0; i < 4; ++i) m_colors[i] = kInitialColors[i];
}

void CColorLabel::SetText(LPCWSTR text) {
    m_strText = text ? text : L"";
    if (GetSafeHwnd()) Invalidate();
}

void CColorLabel::SetColor(int index, COLORREF c) {
    m_colors[index] = c;
    if (GetSafeHwnd()) Invalidate();
}

void CColorLabel::SetTextColor(COLORREF c) { SetColor(0, c); }
void CColorLabel::SetBackColor(COLORREF c) { SetColor(1, c); }
void CColorLabel::SetHighColor(COLORREF c) { SetColor(2, c); }
void CColorLabel::SetLowColor(COLORREF c) { SetColor(3, c); }

void CColorLabel::ResetColors() {
    m_colors[0] = m_colors[1] = 0;
    m_colors[2] = kInitialColors[2];
    m_colors[3] = kInitialColors[3];
    m_nParam = 0;
    if (GetSafeHwnd()) Invalidate();
}

void CColorLabel::OnPaint() {
    CPaintDC dc(this);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(m_colors[0]);
    CFont* old = dc.SelectObject(GetFont());
    dc.TextOut(10, 0, m_strText);
    if (old) dc.SelectObject(old);
}
