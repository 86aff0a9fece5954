// The recording dialog: chooses the clip's file, starts, pauses and resumes
// the document's recording, and feeds the Hestral and DirectShow frames from
// its own timer (the Marrowin frame thread appends its frames itself).
#pragma once

#include <AfxWindows.h>
#include <Toolkit.h>

#include <vector>

class COrvikDoc;

// The frame a timer tick records from a grabbed bottom-up 24-bit frame of
// `width` x `height` with rows `stride` bytes apart. DirectShow frames of
// 1600 x 1200 are halved to 800 x 600 (every second pixel of every second
// row); DirectShow frames wider than 1024 other than 1280 and 1600 give none
// (false). Rows of `out` are padded to four bytes.
struct RecordFrame {
    int width = 0;
    int height = 0;
    std::vector<BYTE> pixels;
};
bool MakeRecordFrame(bool directShow, int width, int height, int stride, const BYTE* src, RecordFrame& out);

class CRecordDlg : public CBCGPDialog {
public:
    CRecordDlg(COrvikDoc* doc, CWnd* pParent = nullptr);

    enum { kNotStarted = 0, kRecording = 1, kPaused = 2 };
    int GetState() const { return m_nState; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    afx_msg void OnBrowse();
    afx_msg void OnStartPause();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnClose();
    DECLARE_MESSAGE_MAP()

    void EndRecording();
    // One grabbed frame of the camera path into `frame`; false for none.
    bool GrabFrame(RecordFrame& frame);

    CWnd m_wndPath;
    CButton m_btnEnd;
    CButton m_btnStart;
    CBCGPButton m_btnBrowse;
    int m_nState;
    COrvikDoc* m_pDoc;
    int m_bNeverPressed;
};
