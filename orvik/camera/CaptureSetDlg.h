// How stills are saved: the reduction factors of single stills and of the
// stills of a timed series, and the burn-in switches. Edits the document's
// members and keeps them in [Save] of setting.ini.
#pragma once

#include <AfxWindows.h>
#include <Toolkit.h>

class COrvikDoc;

// A reduction factor (1, 2, 4) and its combo index: index 0 is factor 1,
// index n is 2n; no selection (CB_ERR) counts as index 0.
int CaptureFactorToIndex(int factor);
int CaptureIndexToFactor(int index);

class CCaptureSetDlg : public CBCGPDialog {
public:
    CCaptureSetDlg(COrvikDoc* doc, CWnd* pParent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

    COrvikDoc* m_pDoc;
};
