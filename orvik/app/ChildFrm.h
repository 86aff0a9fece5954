// The MDI child frame of both document types: no system menu, always maximised.
#pragma once

#include <Toolkit.h>

class CChildFrame : public CBCGPMDIChildWnd {
    DECLARE_DYNCREATE(CChildFrame)
public:
    CChildFrame();
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void ActivateFrame(int nCmdShow = -1) override;
protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    DECLARE_MESSAGE_MAP()
};
