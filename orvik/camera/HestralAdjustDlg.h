// The Hestral cameras' adjust panel (types 3 to 6): saturation, contrast,
// gamma, colour gains, colour enhancement, auto exposure with its target,
// exposure time and analog gain, the LED and halogen presets, and the
// resolution the camera last ran at. Modeless; hosted by the camera task pane.
#pragma once

#include <ToolkitControls.h>

#include "ColorSchemeDlg.h"

// Posted by the colour-scheme dialog once it stored a scheme's values in the
// members: send them to the camera and show them.

class CHestralAdjustDlg : public CBCGPDialog {
    DECLARE_MESSAGE_MAP()
public:
    explicit CHestralAdjustDlg(CWnd* pParent = nullptr);
    ~CHestralAdjustDlg() override;
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr) override;

    // Restores [Nodrel] to the panel and the camera. The live video window
    // is asked to restart the camera when it runs at another resolution than
    // the stored one; the video control dialog's resolution and lamp buttons
    // follow. Either window may be null.
    void LoadSettings(HWND videoWnd, HWND videoBox);
    void RefreshFromCamera();
    void LockControls(BOOL bLock);
    // Six values in the order saturation, gamma, analog gain, red, green, blue.
    void ReadColorValues(float* sat, float* gamma, float* gain, float* r, float* g, float* b);
    void ApplyColorValues(float sat, float gamma, float gain, float r, float g, float b);

    afx_msg void OnWhiteBalance();
    afx_msg void OnColorEnhancement();
    afx_msg void OnAutoExposure();
    afx_msg void OnDefault();
    afx_msg void OnColorScheme();

    // What the stored resolution asks for on a camera type running at
    // `width`: the high/low flag, the frame width, the restart message (0
    // for none) and the video dialog's button to check. False when the
    // choice is neither 0 (high) nor 1 (low) or the type is not Hestral.
    struct ResolutionStep {
        int flag;
        int width;
        UINT message;
        UINT button;
    };
    static bool ResolutionFor(int camType, long choice, int width, ResolutionStep* step);

    int m_nSaturation, m_nContrast, m_nGamma, m_nRed, m_nGreen, m_nBlue;
    int m_nAnalogGain, m_nAeTarget, m_nExposureTime;
    int m_bColorEnhance, m_bAutoExposure;
    int m_nResolution;  // the stored choice, 0 high, 1 low
    // The high/low flag LoadSettings settled (0 high, 1 low).
    int m_nResolutionFlag;
    // Which preset Default applies; the video control dialog's lamp buttons set them too.
    int m_bLedPreset, m_bHalogenPreset;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnSchemeApplied(WPARAM, LPARAM);

private:
    struct Row;
    static const Row s_rows[9];
    void ShowRow(const Row& row);
    void ApplyEnableRules();
    void SendGains();
    void OpenColorSchemeDialog();

    CBCGPButton m_btnWhiteBalance, m_btnColorScheme, m_btnDefault;
    HBRUSH m_hWhiteBrush;
    HWND m_hVideoBox;
};
