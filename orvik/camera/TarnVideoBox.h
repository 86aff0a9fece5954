// The video panel of the camera task pane: mirror and flip of the live
// picture on every camera path, pause and resume, the Hestral camera's high
// and low resolution, and the light source of the UVC and Hestral cameras.
// The flip flags are process-wide; the live document's flip commands come
// through the main frame to the same camera calls.
#pragma once

#include <AfxWindows.h>
#include <Toolkit.h>

class COrvikDoc;

class CTarnVideoBox : public CBCGPDialog {
public:
    explicit CTarnVideoBox(CWnd* pParent = nullptr);
    ~CTarnVideoBox() override;
    // Modeless, as the task pane hosts it.
    BOOL Create(CWnd* pParent);

    // Every child enabled (0) or disabled; then Live is enabled only while
    // paused and, unlocked, Pause only while running. Uncreated: nothing.
    void LockControls(BOOL lock);
    // Check boxes 1000 and 1001 from the two flip flags.
    void UpdateFlipChecks();
    afx_msg void OnHorizontalFlip();
    afx_msg void OnVerticalFlip();
    // A new live preview when none is open.
    void OpenPreview();

protected:
    // The live-preview document, or null without a preview.
    virtual COrvikDoc* CameraDoc();

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override {}
    void OnCancel() override {}
    afx_msg void OnPause();
    afx_msg void OnLive();
    afx_msg void OnHighResolution();
    afx_msg void OnLowResolution();
    afx_msg void OnLed();
    afx_msg void OnHalogen();
    afx_msg LRESULT OnReadMirror(WPARAM, LPARAM);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    void SetResolution(bool high);
    void SetLightSource(int halogen);
    void LockOthers(BOOL lock);

    CBCGPButton m_btnLive;
    CBCGPButton m_btnPause;
    int m_nLightChosen;
    HBRUSH m_hBrush;
    // The live document's filter and mask flags as Pause found them.
    bool m_bSavedRealtime;
    bool m_bSavedMask;
    bool m_bSavedFlags;
};
