#include "Splash.h"
#include "Resource.h"

BOOL CSplashWnd::c_bShowSplashWnd = FALSE;
CSplashWnd* CSplashWnd::c_pSplashWnd = nullptr;

BEGIN_MESSAGE_MAP(CSplashWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_TIMER()
END_MESSAGE_MAP()

CSplashWnd::CSplashWnd() {}

CSplashWnd::~CSplashWnd() {
    if (c_pSplashWnd == this) c_pSplashWnd = nullptr;
}

void CSplashWnd::EnableSplashScreen(BOOL bEnable) { c_bShowSplashWnd = bEnable; }

void CSplashWnd::ShowSplashScreen(CWnd* pParentWnd) {
    if (!c_bShowSplashWnd || c_pSplashWnd) return;
    CSplashWnd* splash = new CSplashWnd;
    c_pSplashWnd = splash;
    if (splash->Create(pParentWnd)) {
        splash->UpdateWindow();
    } else if (c_pSplashWnd == splash) {
        // Not deleted by a failed creation (its destructor clears the pointer).
        delete splash;
    }
}

BOOL CSplashWnd::PreTranslateAppMessage(MSG* pMsg) {
    if (!c_pSplashWnd || !c_pSplashWnd->m_hWnd) return FALSE;
    switch (pMsg->message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN: case WM_NCRBUTTONDOWN: case WM_NCMBUTTONDOWN:
        c_pSplashWnd->HideSplashScreen();
        return TRUE;
    }
    return FALSE;
}

BOOL CSplashWnd::Create(CWnd* pParentWnd) {
    if (!m_bitmap.LoadBitmap(IDB_SPLASH)) return FALSE;
    BITMAP bm = {};
    m_bitmap.GetBitmap(&bm);
    LPCWSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW));
    return CreateEx(0, cls, nullptr, WS_POPUP | WS_VISIBLE, 0, 0, bm.bmWidth, bm.bmHeight,
                    pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr, nullptr);
}

void CSplashWnd::HideSplashScreen() {
    DestroyWindow();   // deletes this
    if (CWnd* main = AfxGetMainWnd()) main->UpdateWindow();
}

void CSplashWnd::PostNcDestroy() { delete this; }

int CSplashWnd::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
    CenterWindow();
    SetTimer(1, 750, nullptr);
    return 0;
}

void CSplashWnd::OnPaint() {
    CPaintDC dc(this);
    CDC mem;
    if (!mem.CreateCompatibleDC(&dc)) return;
    BITMAP bm = {};
    m_bitmap.GetBitmap(&bm);
    CBitmap* old = mem.SelectObject(&m_bitmap);
    dc.BitBlt(0, 0, bm.bmWidth, bm.bmHeight, &mem, 0, 0, SRCCOPY);
    mem.SelectObject(old);
}

void CSplashWnd::OnTimer(UINT_PTR) { HideSplashScreen(); }
