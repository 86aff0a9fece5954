// The capture panel of the camera task pane: one still now, a timed series
// of stills into a folder under running numbers, the recording dialog, and
// the still size of the DirectShow cameras. The live-preview document grabs
// and writes every still; this panel decides when, and under which name.
#pragma once

#include <AfxWindows.h>
#include <Toolkit.h>

class COrvikDoc;

// A number typed into the wait, interval or images box, checked against
// [lo, hi]. Empty text or any character but a digit: the fallback, silently.
// Out of range (overflowing digit strings included): the fallback and a
// message; but 0 where 0 is out of range takes the fallback silently.
enum CaptureFieldCheck { kFieldAccepted, kFieldSilentFallback, kFieldMessageFallback };
CaptureFieldCheck CheckCaptureField(LPCWSTR text, int lo, int hi, int fallback, int& value);

// folder + "\" + prefix + number + ext, with one backslash whether or not the
// folder ends in one (an empty folder has none).
CString CaptureStillPath(const CString& folder, const CString& prefix, int number, LPCWSTR ext);

class CTarnCaptureBox : public CBCGPDialog {
public:
    explicit CTarnCaptureBox(CWnd* pParent = nullptr);
    ~CTarnCaptureBox() override;
    // Modeless, as the task pane hosts it.
    BOOL Create(CWnd* pParent);

    // Enables every child when `lock` is 0, disables every child otherwise.
    void LockControls(BOOL lock);

    enum { kSeriesTimer = 1, kWaitTimer = 2 };
    int GetRunningNumber() const { return m_nRunningNumber; }
    int GetTaken() const { return m_nTaken; }

protected:
    // The live-preview document a still goes to; null without a preview.
    virtual COrvikDoc* CameraDoc();
    // One still of the series written by the document.
    virtual void SaveStill(COrvikDoc* doc, LPCWSTR path, LPCWSTR ext);
    // The folder chooser, "Select Folder:"; false when cancelled.
    virtual bool ChooseFolder(CString& folder);

    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnStartSeries();
    afx_msg void OnStopSeries();
    afx_msg void OnBrowse();
    afx_msg void OnChangeWait();
    afx_msg void OnChangeInterval();
    afx_msg void OnChangeImages();
    afx_msg void OnResolution();
    afx_msg void OnCapture();
    afx_msg void OnRecord();
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    // Members to controls (save = false) or controls to members (true).
    void Exchange(bool save);
    void CheckField(int id, int lo, int hi, int fallback, UINT message, int& value);
    void TakeStill();
    void EndSeries();
    void FillResolutions();

    CBCGPButton m_btnBrowse;
    CBCGPButton m_btnStop;
    CBCGPButton m_btnStart;
    CBCGPButton m_btnCapture;
    CBCGPButton m_btnRecord;
    CString m_strFolder;
    CString m_strPrefix;
    CString m_strNumber;
    CString m_strFileType;
    CString m_strCurrentName;
    CString m_strCurrentIndex;
    CString m_strRemaining;
    int m_nImages;
    int m_nInterval;
    int m_nWait;
    int m_nTaken;
    int m_nWaitElapsed;
    int m_nRunningNumber;
    HBRUSH m_hBrush;
    bool m_bExchanging;
};
