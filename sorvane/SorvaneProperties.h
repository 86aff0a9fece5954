// The Sorvane filter's property page: every click and trackbar release goes
// to the filter at once; closing without Apply puts back what was there.
#pragma once

#include "Sorvane.h"
#include "Strmbase.h"

class CSorvaneProperties : public CBasePropertyPage {
public:
    static CUnknown* WINAPI CreateInstance(LPUNKNOWN pUnk, HRESULT* phr);

private:
    explicit CSorvaneProperties(LPUNKNOWN pUnk);

    struct Settings {
        BOOL enable, flip, mirror, gray, invert;
        BOOL binary;
        long threshold;
        BOOL emboss, sharp, addOne, addTwo;
        BOOL multiply;
        long tenths;
        BOOL rgb;
        long r, g, b;
    };

    HRESULT OnConnect(IUnknown* pUnknown) override;
    HRESULT OnDisconnect() override;
    HRESULT OnActivate() override;
    HRESULT OnDeactivate() override;
    HRESULT OnApplyChanges() override;
    INT_PTR OnReceiveMessage(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    void Read(Settings* s) const;
    void OnClick(int id);
    void OnTrackbar(int id);
    void OnDefault();
    void SetLabels(bool blank);
    void MoveTrackbars();
    void EnableControls();
    void SetDirty();
    void SetCheck(int id, BOOL on);

    ISorvane* m_pSorvane = nullptr;  // held between OnConnect and OnDisconnect
    Settings m_live = {};
    Settings m_restore = {};          // what "Default" and closing put back
};
