// Dialogs and controls drawn in the toolkit's colours.
#pragma once
#include "ToolkitCore.h"

class TOOLKIT_API CBCGPDialog : public CDialog {
    DECLARE_DYNAMIC(CBCGPDialog)
    DECLARE_MESSAGE_MAP()
public:
    CBCGPDialog();
    explicit CBCGPDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CBCGPDialog(LPCWSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    void EnableVisualManagerStyle(BOOL bEnable = TRUE) { m_bVisualManagerStyle = bEnable; }
    // The toolkit's colour for the dialog and its static and button children.
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
protected:
    BOOL m_bVisualManagerStyle;
};

class TOOLKIT_API CBCGPButton : public CButton {
    DECLARE_DYNAMIC(CBCGPButton)
    DECLARE_MESSAGE_MAP()
public:
    CBCGPButton();
    ~CBCGPButton() override;
    // A bitmap resource shown on the button; FALSE when it cannot be loaded.
    BOOL SetImage(UINT uiBmpResId, UINT uiBmpHotResId = 0, UINT uiBmpDsblResID = 0);
    void SetImage(HBITMAP hBitmap, BOOL bAutoDestroy = TRUE);
    HBITMAP GetImage() const { return m_hBitmap; }
    void SetTooltip(LPCWSTR lpszToolTipText);
    CString GetTooltip() const { return m_strTooltip; }
    void SetMouseCursorHand();
    void SetMouseCursor(HCURSOR hcursor) { m_hCursor = hcursor; }
    static void EnableWinXPTheme(BOOL bEnable = TRUE) { s_bWinXPTheme = bEnable; }
    static BOOL IsWinXPThemeEnabled() { return s_bWinXPTheme; }
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnDestroy();
    // Push buttons with an image draw it left of their text.
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    enum FlatStyle { BUTTONSTYLE_3D, BUTTONSTYLE_FLAT, BUTTONSTYLE_SEMIFLAT, BUTTONSTYLE_NOBORDERS };
    FlatStyle m_nFlatStyle;
    BOOL m_bTransparent;
protected:
    void EnsureTooltip();
    HBITMAP m_hBitmap;
    BOOL m_bAutoDestroyImage;
    CString m_strTooltip;
    HWND m_hwndTooltip;
    HCURSOR m_hCursor;
    static BOOL s_bWinXPTheme;
};

// Opens its address in the shell when clicked.
class TOOLKIT_API CBCGPURLLinkButton : public CBCGPButton {
    DECLARE_DYNAMIC(CBCGPURLLinkButton)
    DECLARE_MESSAGE_MAP()
public:
    CBCGPURLLinkButton();
    void SetURL(LPCWSTR lpszURL) { m_strURL = lpszURL; }
    void SetURLPrefix(LPCWSTR lpszPrefix) { m_strPrefix = lpszPrefix; }
    CString GetURL() const { return m_strURL; }
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    // Test hook: record the address instead of opening it.
    static void SetTestOpenHook(void (*pfn)(LPCWSTR));
protected:
    CString m_strURL;
    CString m_strPrefix;
};

class TOOLKIT_API CBCGPSliderCtrl : public CSliderCtrl {
    DECLARE_DYNAMIC(CBCGPSliderCtrl)
    DECLARE_MESSAGE_MAP()
public:
    explicit CBCGPSliderCtrl(BOOL bVisualManagerStyle = FALSE);
    BOOL m_bVisualManagerStyle;
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
};

class TOOLKIT_API CBCGPListCtrl : public CListCtrl {
    DECLARE_DYNAMIC(CBCGPListCtrl)
};

class TOOLKIT_API CBCGPToolTipCtrl : public CWnd {
    DECLARE_DYNCREATE(CBCGPToolTipCtrl)
public:
    CBCGPToolTipCtrl();
    explicit CBCGPToolTipCtrl(CBCGPToolTipParams* pParams);
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    BOOL AddTool(CWnd* pWnd, LPCWSTR lpszText);
    void SetParams(CBCGPToolTipParams* pParams);
    const CBCGPToolTipParams& GetParams() const { return m_params; }
protected:
    CBCGPToolTipParams m_params;
};
