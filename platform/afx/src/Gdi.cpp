#include "AfxWindows.h"
#include "AfxImpl.h"

IMPLEMENT_DYNAMIC(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)
IMPLEMENT_DYNCREATE(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)
IMPLEMENT_DYNAMIC(CWindowDC, CDC)
IMPLEMENT_DYNCREATE(CMenu, CObject)

CGdiObject::~CGdiObject() { DeleteObject(); }

// The empty asm hides from the optimiser that `this` cannot be null.
template <class T>
static const T* Opaque(const T* p) {
    asm("" : "+r"(p));
    return p;
}
HGDIOBJ CGdiObject::GetSafeHandle() const { const CGdiObject* p = Opaque(this); return p ? p->m_hObject : nullptr; }
HDC CDC::GetSafeHdc() const { const CDC* p = Opaque(this); return p ? p->m_hDC : nullptr; }
HMENU CMenu::GetSafeHmenu() const { const CMenu* p = Opaque(this); return p ? p->m_hMenu : nullptr; }
HWND CWnd::GetSafeHwnd() const { const CWnd* p = Opaque(this); return p ? p->m_hWnd : nullptr; }
BOOL CGdiObject::DeleteObject() {
    if (!m_hObject) return FALSE;
    HGDIOBJ h = Detach();
    return ::DeleteObject(h);
}

// Temporary wrappers never own the handle; they are freed at idle time.
CGdiObject* PASCAL CGdiObject::FromHandle(HGDIOBJ h) {
    if (!h) return nullptr;
    CRuntimeClass* rc;
    switch (::GetObjectType(h)) {
    case OBJ_PEN: case OBJ_EXTPEN: rc = RUNTIME_CLASS(CPen); break;
    case OBJ_BRUSH: rc = RUNTIME_CLASS(CBrush); break;
    case OBJ_FONT: rc = RUNTIME_CLASS(CFont); break;
    case OBJ_BITMAP: rc = RUNTIME_CLASS(CBitmap); break;
    case OBJ_REGION: rc = RUNTIME_CLASS(CRgn); break;
    default: rc = RUNTIME_CLASS(CGdiObject); break;
    }
    if (CObject* known = AfxImplFindTempGdi(h, rc)) return static_cast<CGdiObject*>(known);
    CGdiObject* p;
    if (rc == RUNTIME_CLASS(CPen)) p = new CPen;
    else if (rc == RUNTIME_CLASS(CBrush)) p = new CBrush;
    else if (rc == RUNTIME_CLASS(CFont)) p = new CFont;
    else if (rc == RUNTIME_CLASS(CBitmap)) p = new CBitmap;
    else if (rc == RUNTIME_CLASS(CRgn)) p = new CRgn;
    else p = new CGdiObject;
    p->m_hObject = h;
    AfxImplAddTempGdi(h, p);
    return p;
}

BOOL CFont::CreatePointFont(int nPointSize, LPCWSTR lpszFaceName, CDC* pDC) {
    LOGFONTW lf = {};
    HDC hdc = pDC ? pDC->m_hAttribDC : ::GetDC(nullptr);
    lf.lfHeight = -MulDiv(nPointSize, ::GetDeviceCaps(hdc, LOGPIXELSY), 720);
    if (!pDC) ::ReleaseDC(nullptr, hdc);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, lpszFaceName ? lpszFaceName : L"", LF_FACESIZE);
    return CreateFontIndirect(&lf);
}

BOOL CBitmap::LoadBitmap(UINT nID) { return LoadBitmap(MAKEINTRESOURCEW(nID)); }
BOOL CBitmap::LoadBitmap(LPCWSTR name) {
    HINSTANCE h = AfxFindResourceHandle(name, RT_BITMAP);
    return Attach(::LoadBitmapW(h, name));
}
BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int w, int h) {
    return Attach(::CreateCompatibleBitmap(pDC->m_hDC, w, h));
}

// ---------------------------------------------------------------- CDC
CDC::CDC() : m_hDC(nullptr), m_hAttribDC(nullptr), m_bPrinting(FALSE), m_hWnd(nullptr) {}
CDC::~CDC() { if (m_hDC) ::DeleteDC(Detach()); }

CDC* PASCAL CDC::FromHandle(HDC h) {
    if (!h) return nullptr;
    if (CObject* known = AfxImplFindTempGdi(h, RUNTIME_CLASS(CDC))) return static_cast<CDC*>(known);
    CDC* p = new CDC;
    p->m_hDC = p->m_hAttribDC = h;
    AfxImplAddTempGdi(h, p);
    return p;
}
BOOL CDC::Attach(HDC h) {
    if (!h) return FALSE;
    m_hDC = m_hAttribDC = h;
    return TRUE;
}
HDC CDC::Detach() {
    HDC h = m_hDC;
    m_hDC = m_hAttribDC = nullptr;
    return h;
}
BOOL CDC::CreateDC(LPCWSTR a, LPCWSTR b, LPCWSTR c, const DEVMODEW* d) { return Attach(::CreateDCW(a, b, c, d)); }
BOOL CDC::CreateIC(LPCWSTR a, LPCWSTR b, LPCWSTR c, const DEVMODEW* d) { return Attach(::CreateICW(a, b, c, d)); }
BOOL CDC::CreateCompatibleDC(CDC* pDC) { return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr)); }
BOOL CDC::DeleteDC() { return m_hDC ? ::DeleteDC(Detach()) : FALSE; }
CWnd* CDC::GetWindow() const { return CWnd::FromHandle(m_hWnd ? m_hWnd : ::WindowFromDC(m_hDC)); }

CGdiObject* CDC::SelectGdiObject(CGdiObject* p) {
    if (!p) return nullptr;
    return CGdiObject::FromHandle(::SelectObject(m_hDC, p->m_hObject));
}
CGdiObject* CDC::SelectStockObject(int nIndex) {
    HGDIOBJ h = ::GetStockObject(nIndex);
    return h ? CGdiObject::FromHandle(::SelectObject(m_hDC, h)) : nullptr;
}
void CDC::LPtoDP(LPSIZE s) const {
    POINT p[2] = {{0, 0}, {s->cx, s->cy}};
    ::LPtoDP(m_hAttribDC, p, 2);
    s->cx = p[1].x - p[0].x;
    s->cy = p[1].y - p[0].y;
}
void CDC::DPtoLP(LPSIZE s) const {
    POINT p[2] = {{0, 0}, {s->cx, s->cy}};
    ::DPtoLP(m_hAttribDC, p, 2);
    s->cx = p[1].x - p[0].x;
    s->cy = p[1].y - p[0].y;
}
void CDC::FillSolidRect(LPCRECT r, COLORREF c) {
    COLORREF old = ::SetBkColor(m_hDC, c);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, r, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}
void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF c) {
    RECT r = {x, y, x + cx, y + cy};
    FillSolidRect(&r, c);
}
void CDC::Draw3dRect(LPCRECT r, COLORREF tl, COLORREF br) {
    int x = r->left, y = r->top, w = r->right - r->left, h = r->bottom - r->top;
    FillSolidRect(x, y, w - 1, 1, tl);
    FillSolidRect(x, y, 1, h - 1, tl);
    FillSolidRect(x + w, y, -1, h, br);
    FillSolidRect(x, y + h, w, -1, br);
}
int CDC::StartDoc(LPCWSTR name) {
    DOCINFOW di = {};
    di.cbSize = sizeof di;
    di.lpszDocName = name;
    return ::StartDocW(m_hDC, &di);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_ps() {
    m_hWnd = (pWnd ? pWnd->m_hWnd : nullptr);
    if (m_hWnd) Attach(::BeginPaint(m_hWnd, &m_ps));
}
CPaintDC::~CPaintDC() {
    if (m_hWnd && m_hDC) ::EndPaint(m_hWnd, &m_ps);
    Detach();
}
CClientDC::CClientDC(CWnd* pWnd) {
    m_hWnd = (pWnd ? pWnd->m_hWnd : nullptr);
    Attach(::GetDC(m_hWnd));
}
CClientDC::~CClientDC() { if (m_hDC) ::ReleaseDC(m_hWnd, Detach()); }
CWindowDC::CWindowDC(CWnd* pWnd) {
    m_hWnd = (pWnd ? pWnd->m_hWnd : nullptr);
    Attach(::GetWindowDC(m_hWnd));
}
CWindowDC::~CWindowDC() { if (m_hDC) ::ReleaseDC(m_hWnd, Detach()); }

// ---------------------------------------------------------------- CMenu
CMenu::CMenu() : m_hMenu(nullptr) {}
CMenu::~CMenu() { DestroyMenu(); }
CMenu* PASCAL CMenu::FromHandle(HMENU h) {
    if (!h) return nullptr;
    if (CObject* known = AfxImplFindTempGdi(h, RUNTIME_CLASS(CMenu))) return static_cast<CMenu*>(known);
    CMenu* p = new CMenu;
    p->m_hMenu = h;
    AfxImplAddTempGdi(h, p);
    return p;
}
BOOL CMenu::LoadMenu(UINT nID) { return LoadMenu(MAKEINTRESOURCEW(nID)); }
BOOL CMenu::LoadMenu(LPCWSTR name) {
    if (m_hMenu) DestroyMenu();
    return Attach(::LoadMenuW(AfxFindResourceHandle(name, RT_MENU), name));
}
BOOL CMenu::DestroyMenu() {
    if (!m_hMenu) return FALSE;
    return ::DestroyMenu(Detach());
}
CMenu* CMenu::GetSubMenu(int nPos) const { return FromHandle(::GetSubMenu(m_hMenu, nPos)); }
int CMenu::GetMenuString(UINT nID, CString& s, UINT nFlags) const {
    wchar_t buf[256] = {0};
    int n = ::GetMenuStringW(m_hMenu, nID, buf, 256, nFlags);
    s = buf;
    return n;
}
BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT r) {
    return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, (pWnd ? pWnd->m_hWnd : nullptr), r);
}
