// A static text label drawn in its own colours, used by the camera dialogs.
#pragma once

#include <AfxWindows.h>

class CColorLabel : public CStatic {
public:
    explicit CColorLabel(int param = 0);

    void SetText(LPCWSTR text);
    void SetTextColor(COLORREF c);
    void SetBackColor(COLORREF c);
    void SetHighColor(COLORREF c);
    void SetLowColor(COLORREF c);
    // The first two colours black, the last two as at construction, the parameter 0.
    void ResetColors();

    static const COLORREF kInitialColors[4];

    CString m_strText;
    CString m_strFaceName;
    COLORREF m_colors[4];  // text, back, high, low
    int m_nParam;
    DWORD m_dwStyle;

protected:
    void SetColor(int index, COLORREF c);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
};
