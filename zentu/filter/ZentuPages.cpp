#include "ZentuPages.h"
#include "ZentuFilter.h"
#include "ZentuRes.h"

#include <commctrl.h>
#include <new>

namespace {

void InitControls()
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
}

void MarkDirty(IPropertyPageSite* site, BOOL* dirty)
{
    *dirty = TRUE;
    if (site)
        site->OnStatusChange(PROPPAGESTATUS_DIRTY);
}

}  // namespace

// ---------------------------------------------------------------------------
// Size page

CUnknown* WINAPI CSizePropertyPage::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr)
{
    return CreatedInstance(g_zentuChinese ? new (std::nothrow) CSizePropertyPage(pUnk, IDD_SIZE_ZH, IDS_SIZE_TITLE_ZH)
                                          : new (std::nothrow) CSizePropertyPage(pUnk, IDD_SIZE_EN, IDS_SIZE_TITLE_EN),
                           phr);
}

CSizePropertyPage::CSizePropertyPage(LPUNKNOWN pUnk, int dialog, int title)
    : CBasePropertyPage(L"Zentu SizePage", pUnk, dialog, title)
{
    InitControls();
}

HRESULT CSizePropertyPage::OnConnect(IUnknown* pUnk)
{
    if (m_zentu)
        OnDisconnect();
    HRESULT hr = pUnk->QueryInterface(IID_IZentu, reinterpret_cast<void**>(&m_zentu));
    if (FAILED(hr)) {
        m_zentu = nullptr;
        return E_NOINTERFACE;
    }
    int size = 1;
    if (m_zentu->GetSize(&size) == S_OK && size >= 0 && size <= 2)
        m_size = size;
    return S_OK;
}

HRESULT CSizePropertyPage::OnDisconnect()
{
    if (m_zentu)
        m_zentu->Release();
    m_zentu = nullptr;
    return S_OK;
}

HRESULT CSizePropertyPage::OnActivate()
{
    CheckRadioButton(m_hwnd, IDC_SIZE_1280, IDC_SIZE_640, IDC_SIZE_1280 + m_size);
    return S_OK;
}

HRESULT CSizePropertyPage::OnDeactivate()
{
    m_bDirty = FALSE;
    return S_OK;
}

HRESULT CSizePropertyPage::OnApplyChanges()
{
    if (!m_zentu)
        return E_POINTER;
    int size = m_size;
    if (m_hwnd) {
        if (IsDlgButtonChecked(m_hwnd, IDC_SIZE_1280) == BST_CHECKED) size = 0;
        else if (IsDlgButtonChecked(m_hwnd, IDC_SIZE_1024) == BST_CHECKED) size = 1;
        else if (IsDlgButtonChecked(m_hwnd, IDC_SIZE_640) == BST_CHECKED) size = 2;
    }
    // A connected pin keeps its size; the page has nothing more to say then.
    if (m_zentu->SetSize(size) == S_OK)
        m_size = size;
    m_bDirty = FALSE;
    return S_OK;
}

INT_PTR CSizePropertyPage::OnReceiveMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) >= IDC_SIZE_1280 &&
        LOWORD(wParam) <= IDC_SIZE_640) {
        MarkDirty(m_pPageSite, &m_bDirty);
        return TRUE;
    }
    return CBasePropertyPage::OnReceiveMessage(hwnd, msg, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Setup page

CUnknown* WINAPI CSetupPage::CreateInstance(LPUNKNOWN pUnk, HRESULT* phr)
{
    return CreatedInstance(g_zentuChinese ? new (std::nothrow) CSetupPage(pUnk, IDD_SETUP_ZH, IDS_SETUP_TITLE_ZH)
                                          : new (std::nothrow) CSetupPage(pUnk, IDD_SETUP_EN, IDS_SETUP_TITLE_EN),
                           phr);
}

CSetupPage::CSetupPage(LPUNKNOWN pUnk, int dialog, int title)
    : CBasePropertyPage(L"Zentu SetupPage", pUnk, dialog, title)
{
    InitControls();
}

HRESULT CSetupPage::OnConnect(IUnknown* pUnk)
{
    if (m_zentu)
        OnDisconnect();
    if (FAILED(pUnk->QueryInterface(IID_IZentu, reinterpret_cast<void**>(&m_zentu)))) {
        m_zentu = nullptr;
        return E_NOINTERFACE;
    }
    m_core.Connect(this);
    return S_OK;
}

HRESULT CSetupPage::OnDisconnect()
{
    m_core.Disconnect();
    if (m_zentu)
        m_zentu->Release();
    m_zentu = nullptr;
    return S_OK;
}

HRESULT CSetupPage::OnActivate()
{
    m_core.Activate(m_hwnd);
    return S_OK;
}

HRESULT CSetupPage::OnDeactivate()
{
    m_core.Deactivate();
    m_bDirty = FALSE;
    return S_OK;
}

// Every change went to the camera as it was made.
HRESULT CSetupPage::OnApplyChanges()
{
    return m_zentu ? S_OK : E_POINTER;
}

INT_PTR CSetupPage::OnReceiveMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND && m_hwnd)
        MarkDirty(m_pPageSite, &m_bDirty);
    if (m_core.OnMessage(msg, wParam, lParam))
        return TRUE;
    return CBasePropertyPage::OnReceiveMessage(hwnd, msg, wParam, lParam);
}
