// The Zentu capture filter's property pages: frame size (on the output pin)
// and camera setup (on the filter). Both reach the camera through IZentu.
#pragma once
#include "Strmbase.h"
#include "IZentu.h"
#include "SetupPageCore.h"

class CSizePropertyPage : public CBasePropertyPage {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);

    HRESULT OnConnect(IUnknown* pUnk) override;
    HRESULT OnDisconnect() override;
    HRESULT OnActivate() override;
    HRESULT OnDeactivate() override;
    HRESULT OnApplyChanges() override;
    INT_PTR OnReceiveMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    CSizePropertyPage(LPUNKNOWN pUnk, int dialog, int title);
    IZentu* m_zentu = nullptr;
    int m_size = 1;
};

class CSetupPage : public CBasePropertyPage, private CZentuCameraControl {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);

    HRESULT OnConnect(IUnknown* pUnk) override;
    HRESULT OnDisconnect() override;
    HRESULT OnActivate() override;
    HRESULT OnDeactivate() override;
    HRESULT OnApplyChanges() override;
    INT_PTR OnReceiveMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    CSetupPage(LPUNKNOWN pUnk, int dialog, int title);

    // The camera as the page core sees it: IZentu.
    bool GetParaTeam(BYTE* v) override { return m_zentu->GetParaTeam(v) == S_OK; }
    bool GetGamma(BYTE* v) override { return m_zentu->GetGamma(v) == S_OK; }
    bool GetSaturation(int* e, BYTE* v) override { return m_zentu->GetSaturation(e, v) == S_OK; }
    bool GetContrast(BYTE* v) override { return m_zentu->GetContrast(v) == S_OK; }
    bool GetExposure(int* a, BYTE* t, WORD* e, WORD* g) override { return m_zentu->GetExposure(a, t, e, g) == S_OK; }
    bool GetWhiteBalance(int* q, BYTE* r, BYTE* g, BYTE* b) override
    {
        return m_zentu->GetWhiteBalance(q, r, g, b) == S_OK;
    }
    bool GetWhiteBlack(int* v) override { return m_zentu->GetWhiteBlack(v) == S_OK; }
    bool GetVFlip(int* v) override { return m_zentu->GetVFlip(v) == S_OK; }
    bool GetHFlip(int* v) override { return m_zentu->GetHFlip(v) == S_OK; }
    bool GetSpeed(BYTE* v) override { return m_zentu->GetSpeed(v) == S_OK; }
    bool GetHZ(int* v) override { return m_zentu->GetHZ(v) == S_OK; }
    void SetParaTeam(BYTE v) override { m_zentu->SetParaTeam(v); }
    void SaveParaTeam() override { m_zentu->SaveParaTeam(); }
    void SetGamma(BYTE v) override { m_zentu->SetGamma(v); }
    void SetContrast(BYTE v) override { m_zentu->SetContrast(v); }
    void SetSaturation(int e, BYTE v) override { m_zentu->SetSaturation(e, v); }
    void SetExposure(int a, BYTE t, WORD e, WORD g) override { m_zentu->SetExposure(a, t, e, g); }
    void SetWhiteBalance(int q, BYTE r, BYTE g, BYTE b) override { m_zentu->SetWhiteBalance(q, r, g, b); }
    void SetWhiteBlack(int v) override { m_zentu->SetWhiteBlack(v); }
    void SetVFlip(int v) override { m_zentu->SetVFlip(v); }
    void SetHFlip(int v) override { m_zentu->SetHFlip(v); }
    void SetSpeed(BYTE v) override { m_zentu->SetSpeed(v); }
    void SetHZ(int v) override { m_zentu->SetHZ(v); }

    IZentu* m_zentu = nullptr;
    CSetupPageCore m_core;
};
