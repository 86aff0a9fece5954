// The splash window. Start-up only passes the command line's splash switch on;
// nothing shows the window, so by default it consumes no input.
#pragma once

#include <AfxWindows.h>

class CSplashWnd : public CWnd {
public:
    CSplashWnd();
    ~CSplashWnd() override;

    static void EnableSplashScreen(BOOL bEnable = TRUE);
    static void ShowSplashScreen(CWnd* pParentWnd = nullptr);
    // Hides the splash on a key or mouse-button press; TRUE when it consumed the message.
    static BOOL PreTranslateAppMessage(MSG* pMsg);
    static BOOL IsEnabled() { return c_bShowSplashWnd; }

protected:
    BOOL Create(CWnd* pParentWnd = nullptr);
    void HideSplashScreen();
    void PostNcDestroy() override;
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnPaint();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    DECLARE_MESSAGE_MAP()

    CBitmap m_bitmap;
    static BOOL c_bShowSplashWnd;
    static CSplashWnd* c_pSplashWnd;
};
