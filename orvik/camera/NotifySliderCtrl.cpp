#include "NotifySliderCtrl.h"

BEGIN_MESSAGE_MAP(CNotifySliderCtrl, CBCGPSliderCtrl)
    ON_WM_MOUSEMOVE()
    ON_WM_KEYDOWN()
    ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

CNotifySliderCtrl::CNotifySliderCtrl() : m_hNotifyWnd(nullptr) { m_bVisualManagerStyle = TRUE; }

void CNotifySliderCtrl::OnLButtonUp(UINT nFlags, CPoint point)
{
    // The trackbar settles its position first, so the receiver reads the new one.
    CBCGPSliderCtrl::OnLButtonUp(nFlags, point);
    if (m_hNotifyWnd) ::SendMessageW(m_hNotifyWnd, WM_SLIDER_RELEASED, 0, 0);
}

void CNotifySliderCtrl::OnMouseMove(UINT nFlags, CPoint point) { CBCGPSliderCtrl::OnMouseMove(nFlags, point); }

void CNotifySliderCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    CBCGPSliderCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
}
