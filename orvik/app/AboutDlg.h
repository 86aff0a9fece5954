// The About box: the logo title as its caption and title line, the version
// from the settings file painted under the banner, and the link button.
#pragma once

#include <ToolkitControls.h>

class CAboutDlg : public CBCGPDialog {
public:
    CAboutDlg();
    enum { IDD = 100 };

    // Where OnPaint draws the version, in client pixels.
    static const int kVersionX = 60, kVersionY = 60;

    CBCGPURLLinkButton m_btnLink;
    WCHAR m_szVersion[256];

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
};
