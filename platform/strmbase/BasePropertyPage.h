// A property page on a dialog resource, for the OLE property frame.
#pragma once

#include "ComBase.h"

#include <ocidl.h>
#include <olectl.h>

class CBasePropertyPage : public IPropertyPage, public CUnknown {
public:
    CBasePropertyPage(LPCWSTR name, LPUNKNOWN pUnk, int DialogId, int TitleId);
    ~CBasePropertyPage() override;

    DECLARE_IUNKNOWN
    STDMETHODIMP NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

    // IPropertyPage
    STDMETHODIMP SetPageSite(LPPROPERTYPAGESITE pPageSite) override;
    STDMETHODIMP Activate(HWND hwndParent, LPCRECT prect, BOOL fModal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(LPPROPPAGEINFO pPageInfo) override;
    STDMETHODIMP SetObjects(ULONG cObjects, LPUNKNOWN* ppUnk) override;
    STDMETHODIMP Show(UINT nCmdShow) override;
    STDMETHODIMP Move(LPCRECT prect) override;
    STDMETHODIMP IsPageDirty() override { return m_bDirty ? S_OK : S_FALSE; }
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG) override { return E_NOTIMPL; }

    // What a page decides.
    virtual HRESULT OnConnect(IUnknown*) { return S_OK; }
    virtual HRESULT OnDisconnect() { return S_OK; }
    virtual HRESULT OnActivate() { return S_OK; }
    virtual HRESULT OnDeactivate() { return S_OK; }
    virtual HRESULT OnApplyChanges() { return S_OK; }
    virtual INT_PTR OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

protected:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;                      // the page's dialog while active
    HWND m_Dlg = nullptr;                       // same window, for callers that use this name
    LPPROPERTYPAGESITE m_pPageSite = nullptr;   // held
    BOOL m_bDirty = FALSE;
    int m_TitleId;
    int m_DialogId;
};
