// The Marrowin camera's adjust panel: seven sliders over the camera's
// exposure, gains, gamma and saturation, one-shot auto exposure and white
// balance, and a worker that runs auto exposure every two seconds while its
// check box is on. Modeless; hosted by the camera task pane or CCamAdjustBar.
#pragma once

#include <ToolkitControls.h>

// Re-reads the gains, gamma and saturation from the camera into the
// sliders and labels (no arguments).
constexpr UINT WM_ADJUST_REFRESH = 0x8CE;

class CPellixAdjustDlg : public CBCGPDialog {
    DECLARE_MESSAGE_MAP()
public:
    explicit CPellixAdjustDlg(CWnd* pParent = nullptr);
    ~CPellixAdjustDlg() override;
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr) override;

    // Sets the camera in the order gain, red, blue, green, gamma, saturation;
    // also used by the colour-scheme dialog.
    static void ApplyToCamera(float sat, float gamma, float gain, float r, float g, float b);
    static void ReadFromCamera(float* sat, float* gamma, float* gain, float* r, float* g, float* b);
    void LoadSettings();
    void SaveSettings();
    void RefreshFromCamera();

    afx_msg void OnAutoExposure();
    afx_msg void OnWhiteBalance();
    afx_msg void OnContinuousAutoExposure();
    afx_msg void OnDefault();
    afx_msg void OnColorScheme();

    bool IsContinuous() const { return m_bContinuous != 0; }

    // Gamma below 1 sits at 100 g, above at 200 - 100 / g: 1 .. 199 for the
    // library's 0.01 .. 100, 100 being 1.0.
    static int GammaToPos(float gamma);
    static float PosToGamma(int pos);
    // Pause between the worker's passes; tests shorten it.
    static void SetPassInterval(DWORD ms) { s_dwPassInterval = ms; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnRefresh(WPARAM, LPARAM);
    afx_msg LRESULT OnExposureFromWorker(WPARAM, LPARAM);

private:
    struct Row;
    static const Row s_rows[7];
    void ShowRow(const Row& row, float value, float min, float max, bool setRange);
    void ShowValue(const Row& row, float value);
    void ShowExposure(float ms);
    void RunAutoExposure(RECT* area);
    static DWORD WINAPI ThreadProc(LPVOID param);
    void WorkerLoop();

    CBCGPButton m_btnDefault, m_btnColorScheme, m_btnWhiteBalance, m_btnAutoExposure;
    CSliderCtrl m_sliders[7];
    HBRUSH m_hWhiteBrush;
    int m_bContinuous;
    int m_nExposureTarget;
    HANDLE m_hThread;
    // Manual-reset: m_hRun set while continuous auto exposure is on,
    // m_hStop set when the dialog goes.
    HANDLE m_hRun;
    HANDLE m_hStop;
    // Keeps the one-shot and the worker's auto exposure from overlapping.
    CRITICAL_SECTION m_autoExposure;
    static DWORD s_dwPassInterval;
};
