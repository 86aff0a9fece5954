#include "BasePropertyPage.h"
#include "DllSetup.h"

#include <cwchar>

CBasePropertyPage::CBasePropertyPage(LPCWSTR name, LPUNKNOWN pUnk, int DialogId, int TitleId)
    : CUnknown(name, pUnk), m_TitleId(TitleId), m_DialogId(DialogId)
{
}

CBasePropertyPage::~CBasePropertyPage()
{
    if (m_hwnd)
        DestroyWindow(m_hwnd);
    if (m_pPageSite)
        m_pPageSite->Release();
}

STDMETHODIMP CBasePropertyPage::NonDelegatingQueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IPropertyPage)
        return GetInterface(static_cast<IPropertyPage*>(this), ppv);
    return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CBasePropertyPage::SetPageSite(LPPROPERTYPAGESITE pPageSite)
{
    if (pPageSite) {
        if (m_pPageSite)
            return E_UNEXPECTED;
        m_pPageSite = pPageSite;
        m_pPageSite->AddRef();
    } else {
        if (!m_pPageSite)
            return E_UNEXPECTED;
        m_pPageSite->Release();
        m_pPageSite = nullptr;
    }
    return S_OK;
}

INT_PTR CALLBACK CBasePropertyPage::DialogProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CBasePropertyPage* page;
    if (uMsg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        page = reinterpret_cast<CBasePropertyPage*>(lParam);
        if (!page)
            return TRUE;
        page->m_hwnd = hwnd;
        page->m_Dlg = hwnd;
    } else {
        page = reinterpret_cast<CBasePropertyPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!page)
        return FALSE;
    return page->OnReceiveMessage(hwnd, uMsg, wParam, lParam);
}

INT_PTR CBasePropertyPage::OnReceiveMessage(HWND, UINT uMsg, WPARAM, LPARAM)
{
    // Focus goes to the first control, as in any dialog.
    return uMsg == WM_INITDIALOG ? TRUE : FALSE;
}

STDMETHODIMP CBasePropertyPage::Activate(HWND hwndParent, LPCRECT prect, BOOL)
{
    if (!prect)
        return E_POINTER;
    if (m_hwnd)
        return E_UNEXPECTED;
    HWND hwnd = CreateDialogParamW(g_hInst, MAKEINTRESOURCEW(m_DialogId), hwndParent, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
    if (!hwnd)
        return E_OUTOFMEMORY;
    m_hwnd = hwnd;
    m_Dlg = hwnd;
    const HRESULT hr = OnActivate();
    if (FAILED(hr)) {
        DestroyWindow(m_hwnd);
        m_hwnd = m_Dlg = nullptr;
        return hr;
    }
    Move(prect);
    return Show(SW_SHOWNORMAL);
}

STDMETHODIMP CBasePropertyPage::Deactivate()
{
    if (!m_hwnd)
        return E_UNEXPECTED;
    const HRESULT hr = OnDeactivate();
    if (FAILED(hr))
        return hr;
    DestroyWindow(m_hwnd);
    m_hwnd = m_Dlg = nullptr;
    return S_OK;
}

namespace {

INT_PTR CALLBACK MeasureProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The dialog's size in pixels, from a hidden copy of it.
SIZE DialogSize(int dialogId)
{
    SIZE size = {0, 0};
    HWND hwnd = CreateDialogParamW(g_hInst, MAKEINTRESOURCEW(dialogId), GetDesktopWindow(), MeasureProc, 0);
    if (hwnd) {
        RECT rc;
        GetWindowRect(hwnd, &rc);
        size.cx = rc.right - rc.left;
        size.cy = rc.bottom - rc.top;
        DestroyWindow(hwnd);
    }
    return size;
}

}  // namespace

STDMETHODIMP CBasePropertyPage::GetPageInfo(LPPROPPAGEINFO pPageInfo)
{
    if (!pPageInfo)
        return E_POINTER;
    WCHAR title[256] = {};
    LoadStringW(g_hInst, UINT(m_TitleId), title, 256);
    const size_t n = wcslen(title) + 1;
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc(n * sizeof(WCHAR)));
    if (!copy)
        return E_OUTOFMEMORY;
    wmemcpy(copy, title, n);
    pPageInfo->cb = sizeof(PROPPAGEINFO);
    pPageInfo->pszTitle = copy;
    pPageInfo->size = DialogSize(m_DialogId);
    pPageInfo->pszDocString = nullptr;
    pPageInfo->pszHelpFile = nullptr;
    pPageInfo->dwHelpContext = 0;
    return S_OK;
}

STDMETHODIMP CBasePropertyPage::SetObjects(ULONG cObjects, LPUNKNOWN* ppUnk)
{
    if (cObjects == 0)
        return OnDisconnect();
    if (cObjects != 1)
        return E_UNEXPECTED;
    if (!ppUnk || !ppUnk[0])
        return E_POINTER;
    return OnConnect(ppUnk[0]);
}

STDMETHODIMP CBasePropertyPage::Show(UINT nCmdShow)
{
    if (!m_hwnd)
        return E_UNEXPECTED;
    ShowWindow(m_hwnd, int(nCmdShow));
    InvalidateRect(m_hwnd, nullptr, TRUE);
    return S_OK;
}

STDMETHODIMP CBasePropertyPage::Move(LPCRECT prect)
{
    if (!prect)
        return E_POINTER;
    if (!m_hwnd)
        return E_UNEXPECTED;
    MoveWindow(m_hwnd, prect->left, prect->top, prect->right - prect->left, prect->bottom - prect->top, TRUE);
    return S_OK;
}

STDMETHODIMP CBasePropertyPage::Apply()
{
    if (!m_pPageSite)
        return E_UNEXPECTED;
    if (!m_bDirty)
        return S_OK;
    return OnApplyChanges();
}
