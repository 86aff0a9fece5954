#include "ToolkitControls.h"

// ---------------------------------------------------------------- dialog
IMPLEMENT_DYNAMIC(CBCGPDialog, CDialog)
BEGIN_MESSAGE_MAP(CBCGPDialog, CDialog)
    ON_WM_CTLCOLOR()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

CBCGPDialog::CBCGPDialog() : m_bVisualManagerStyle(TRUE) {}
CBCGPDialog::CBCGPDialog(UINT nIDTemplate, CWnd* pParentWnd) : CDialog(nIDTemplate, pParentWnd), m_bVisualManagerStyle(TRUE) {}
CBCGPDialog::CBCGPDialog(LPCWSTR lpszTemplateName, CWnd* pParentWnd)
    : CDialog(lpszTemplateName, pParentWnd), m_bVisualManagerStyle(TRUE) {}

HBRUSH CBCGPDialog::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    (void)pWnd;
    if (!m_bVisualManagerStyle) return reinterpret_cast<HBRUSH>(Default());
    switch (nCtlColor) {
    case CTLCOLOR_DLG:
    case CTLCOLOR_STATIC:
    case CTLCOLOR_BTN: {
        CBCGPVisualManager* vm = CBCGPVisualManager::GetInstance();
        if (pDC) {
            pDC->SetBkColor(vm->GetFaceColor());
            pDC->SetBkMode(TRANSPARENT);
        }
        return vm->GetFaceBrush();
    }
    default:
        return reinterpret_cast<HBRUSH>(Default());
    }
}

BOOL CBCGPDialog::OnEraseBkgnd(CDC* pDC) {
    if (!m_bVisualManagerStyle) return CDialog::OnEraseBkgnd(pDC);
    CRect rc;
    GetClientRect(&rc);
    pDC->FillSolidRect(&rc, CBCGPVisualManager::GetInstance()->GetFaceColor());
    return TRUE;
}

// ---------------------------------------------------------------- button
IMPLEMENT_DYNAMIC(CBCGPButton, CButton)
BEGIN_MESSAGE_MAP(CBCGPButton, CButton)
    ON_WM_SETCURSOR()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CBCGPButton::s_bWinXPTheme = TRUE;

CBCGPButton::CBCGPButton()
    : m_nFlatStyle(BUTTONSTYLE_FLAT), m_bTransparent(FALSE), m_hBitmap(nullptr), m_bAutoDestroyImage(FALSE),
      m_hwndTooltip(nullptr), m_hCursor(nullptr) {}

CBCGPButton::~CBCGPButton() {
    if (m_hBitmap && m_bAutoDestroyImage) ::DeleteObject(m_hBitmap);
}

BOOL CBCGPButton::SetImage(UINT uiBmpResId, UINT, UINT) {
    HINSTANCE h = AfxFindResourceHandle(MAKEINTRESOURCEW(uiBmpResId), RT_BITMAP);
    HBITMAP bmp = static_cast<HBITMAP>(::LoadImageW(h, MAKEINTRESOURCEW(uiBmpResId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bmp) return FALSE;
    SetImage(bmp, TRUE);
    return TRUE;
}

void CBCGPButton::SetImage(HBITMAP hBitmap, BOOL bAutoDestroy) {
    if (m_hBitmap && m_bAutoDestroyImage && m_hBitmap != hBitmap) ::DeleteObject(m_hBitmap);
    m_hBitmap = hBitmap;
    m_bAutoDestroyImage = bAutoDestroy;
    if (!m_hWnd) return;
    UINT type = GetStyle() & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
    Invalidate();
}

void CBCGPButton::DrawItem(LPDRAWITEMSTRUCT p) {
    HDC dc = p->hDC;
    RECT rc = p->rcItem;
    UINT state = DFCS_BUTTONPUSH | ((p->itemState & ODS_SELECTED) ? DFCS_PUSHED : 0) |
                 ((p->itemState & ODS_DISABLED) ? DFCS_INACTIVE : 0);
    ::DrawFrameControl(dc, &rc, DFC_BUTTON, state);
    int x = rc.left + 4;
    if (m_hBitmap) {
        BITMAP bm = {};
        ::GetObjectW(m_hBitmap, sizeof bm, &bm);
        HDC mem = ::CreateCompatibleDC(dc);
        HGDIOBJ old = ::SelectObject(mem, m_hBitmap);
        int h = bm.bmHeight < rc.bottom - rc.top - 4 ? bm.bmHeight : rc.bottom - rc.top - 4;
        int w = bm.bmWidth < rc.right - rc.left - 8 ? bm.bmWidth : rc.right - rc.left - 8;
        ::BitBlt(dc, x, rc.top + (rc.bottom - rc.top - h) / 2, w, h, mem, 0, 0, SRCCOPY);
        ::SelectObject(mem, old);
        ::DeleteDC(mem);
        x += w + 4;
    }
    wchar_t text[256] = L"";
    ::GetWindowTextW(p->hwndItem, text, 256);
    if (text[0]) {
        RECT rt = {x, rc.top, rc.right - 4, rc.bottom};
        HGDIOBJ oldFont = ::SelectObject(dc, (HFONT)SendMessage(WM_GETFONT));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor((p->itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        ::DrawTextW(dc, text, -1, &rt, DT_SINGLELINE | DT_VCENTER | (m_hBitmap ? DT_LEFT : DT_CENTER));
        ::SelectObject(dc, oldFont);
    }
    if (p->itemState & ODS_FOCUS) {
        ::InflateRect(&rc, -3, -3);
        ::DrawFocusRect(dc, &rc);
    }
}

void CBCGPButton::EnsureTooltip() {
    if (m_hwndTooltip || !m_hWnd) return;
    m_hwndTooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                      m_hWnd, nullptr, AfxGetInstanceHandle(), nullptr);
}

void CBCGPButton::SetTooltip(LPCWSTR lpszToolTipText) {
    m_strTooltip = lpszToolTipText ? lpszToolTipText : L"";
    EnsureTooltip();
    if (!m_hwndTooltip) return;
    TTTOOLINFOW ti = {};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = ::GetParent(m_hWnd);
    ti.uId = (UINT_PTR)m_hWnd;
    ti.lpszText = const_cast<LPWSTR>((LPCWSTR)m_strTooltip);
    ::SendMessageW(m_hwndTooltip, TTM_DELTOOLW, 0, (LPARAM)&ti);
    if (!m_strTooltip.IsEmpty()) ::SendMessageW(m_hwndTooltip, TTM_ADDTOOLW, 0, (LPARAM)&ti);
}

void CBCGPButton::SetMouseCursorHand() { m_hCursor = ::LoadCursorW(nullptr, IDC_HAND); }

BOOL CBCGPButton::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
    if (m_hCursor && nHitTest == HTCLIENT) {
        ::SetCursor(m_hCursor);
        return TRUE;
    }
    return CButton::OnSetCursor(pWnd, nHitTest, message);
}

void CBCGPButton::OnDestroy() {
    if (m_hwndTooltip) ::DestroyWindow(m_hwndTooltip);
    m_hwndTooltip = nullptr;
    CButton::OnDestroy();
}

// ---------------------------------------------------------------- link button
IMPLEMENT_DYNAMIC(CBCGPURLLinkButton, CBCGPButton)
BEGIN_MESSAGE_MAP(CBCGPURLLinkButton, CBCGPButton)
END_MESSAGE_MAP()

namespace {
void (*g_pfnOpenHook)(LPCWSTR) = nullptr;
}

CBCGPURLLinkButton::CBCGPURLLinkButton() { SetMouseCursorHand(); }

void CBCGPURLLinkButton::SetTestOpenHook(void (*pfn)(LPCWSTR)) { g_pfnOpenHook = pfn; }

BOOL CBCGPURLLinkButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        CString url = m_strURL;
        if (url.IsEmpty() && m_hWnd) GetWindowText(url);
        url = m_strPrefix + url;
        if (!url.IsEmpty()) {
            if (g_pfnOpenHook) g_pfnOpenHook(url);
            else ::ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOWNORMAL);
        }
        return FALSE;   // the parent may still handle the click
    }
    return CBCGPButton::OnChildNotify(message, wParam, lParam, pResult);
}

// ---------------------------------------------------------------- slider, list, tooltip
IMPLEMENT_DYNAMIC(CBCGPSliderCtrl, CSliderCtrl)
BEGIN_MESSAGE_MAP(CBCGPSliderCtrl, CSliderCtrl)
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()

CBCGPSliderCtrl::CBCGPSliderCtrl(BOOL bVisualManagerStyle) : m_bVisualManagerStyle(bVisualManagerStyle) {}
void CBCGPSliderCtrl::OnLButtonUp(UINT, CPoint) { Default(); }
void CBCGPSliderCtrl::OnMouseMove(UINT, CPoint) { Default(); }
void CBCGPSliderCtrl::OnKeyDown(UINT, UINT, UINT) { Default(); }

IMPLEMENT_DYNAMIC(CBCGPListCtrl, CListCtrl)

IMPLEMENT_DYNCREATE(CBCGPToolTipCtrl, CWnd)
CBCGPToolTipCtrl::CBCGPToolTipCtrl() {}
CBCGPToolTipCtrl::CBCGPToolTipCtrl(CBCGPToolTipParams* pParams) { SetParams(pParams); }
void CBCGPToolTipCtrl::SetParams(CBCGPToolTipParams* pParams) { m_params = pParams ? *pParams : CBCGPToolTipParams(); }

BOOL CBCGPToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle) {
    if (m_hWnd) return FALSE;
    return CWnd::CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | dwStyle, 0, 0, 0, 0,
                          pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr, nullptr);
}

BOOL CBCGPToolTipCtrl::AddTool(CWnd* pWnd, LPCWSTR lpszText) {
    if (!m_hWnd || !pWnd || !pWnd->m_hWnd) return FALSE;
    TTTOOLINFOW ti = {};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = ::GetParent(pWnd->m_hWnd);
    ti.uId = (UINT_PTR)pWnd->m_hWnd;
    ti.lpszText = const_cast<LPWSTR>(lpszText ? lpszText : L"");
    return (BOOL)SendMessage(TTM_ADDTOOLW, 0, (LPARAM)&ti);
}
