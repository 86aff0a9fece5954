// A toolkit slider that tells one window, by WM_SLIDER_RELEASED, when the
// operator lets go of it: for dialogs whose reaction to a move is expensive.
// Keyboard moves tell no one.
#pragma once

#include <ToolkitControls.h>

// Sent (wParam 0, lParam 0) once the button is released over the slider; the
// receiver asks the slider for its position.
constexpr UINT WM_SLIDER_RELEASED = 0x7F1;

class CNotifySliderCtrl : public CBCGPSliderCtrl {
    DECLARE_MESSAGE_MAP()
public:
    CNotifySliderCtrl();
    void SetNotifyWnd(HWND hWnd) { m_hNotifyWnd = hWnd; }
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
private:
    HWND m_hNotifyWnd;
};
