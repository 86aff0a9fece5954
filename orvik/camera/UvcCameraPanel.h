// The DirectShow cameras' adjust panel: the capture device's brightness,
// contrast, saturation, gamma, sharpness and white balance through the live
// video window's graph, and the colour gains, in the camera through the UVC
// property library (the P8Z cameras, sub-types 5 to 7, where slider 1021 is
// the exposure) or in the processing filter (every other sub-type, R5V).
// Modeless; hosted by the camera task pane.
#pragma once

#include <ToolkitControls.h>

#include "ColorSchemeDlg.h"

class CVideoWnd;
class CXGraphDll;

class CUvcCameraPanel : public CBCGPDialog, public CUvcPresetTarget {
    DECLARE_MESSAGE_MAP()
public:
    explicit CUvcCameraPanel(CWnd* pParent = nullptr);
    ~CUvcCameraPanel() override;
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr) override;

    // The live video window whose graph the panel drives.
    void SetOwnerView(CVideoWnd* videoWnd);
    // Restores the camera's section to the panel and the device; the video
    // control dialog's lamp buttons follow (P8Z). Nothing without a video window.
    void LoadSettings(HWND videoBox);
    // Brightness, saturation, contrast, gamma, sharpness, the three gains, the
    // value of slider 1021 and its mode (1 automatic, 2 manual); the second
    // form also switches the camera's automatic white balance (P8Z).
    void ApplyPreset(int brightness, int saturation, int contrast, int gamma, int sharpness, int red, int green,
                     int blue, int value1021, int mode) override;
    void ApplyPreset(int brightness, int saturation, int contrast, int gamma, int sharpness, int red, int green,
                     int blue, int value1021, int mode, int autoWhiteBalance) override;
    void LockControls(BOOL bLock);

    afx_msg void OnAutoWhiteBalance();
    afx_msg void OnAutoExposure();
    afx_msg void OnDefault();
    afx_msg void OnColorScheme();

    // The device exposure of a slider 1021 position (P8Z): 1 .. 5 give -5 .. -1.
    static long ExposureFromPos(int pos) { return pos - 6; }

    int m_nWbMode;        // 1 automatic, 2 manual
    int m_nExposureMode;  // 1 automatic, 2 manual
    int m_nRed, m_nGreen, m_nBlue;
    int m_nBrightness, m_nContrast, m_nSaturation, m_nGamma, m_nSharpness;
    int m_nValue1021;
    // Which preset Default applies (P8Z); the video control dialog's lamp buttons set them too.
    int m_bLedPreset, m_bHalogenPreset;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnDestroy();

private:
    struct PropRow;
    struct GainRow;
    static const PropRow s_props[5];
    static const GainRow s_gains[3];
    CXGraphDll* Graph() const;
    bool IsP8Z() const;
    void ShowPos(UINT slider, UINT label, int pos);
    void ShowProp(const PropRow& row, int value);
    void SendProp(const PropRow& row, int value, long flags);
    void SetGainsEnabled(bool on);
    void SetRow1021Enabled(bool on);
    void SetWhiteBalanceMode(int mode);
    void LayOutForP8Z();
    void OpenColorSchemeDialog();

    CBCGPButton m_btnDefault, m_btnColorScheme;
    CVideoWnd* m_pVideoWnd;
    HWND m_hVideoWnd;
};
