// A docking pane that holds the Marrowin adjust dialog, for a frame that
// wants it docked rather than in the camera task pane.
#pragma once

#include <ToolkitBars.h>

class CPellixAdjustDlg;

// The plain child window between the pane and the dialog it owns.
class CCamAdjustContainer : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    CCamAdjustContainer();
    ~CCamAdjustContainer() override;
    CPellixAdjustDlg* GetDialog() const { return m_pDialog; }
    afx_msg int OnCreate(LPCREATESTRUCT lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
private:
    CPellixAdjustDlg* m_pDialog;
};

constexpr UINT IDC_CAM_ADJUST_CONTAINER = 12133;

class CCamAdjustBar : public CBCGPDockingControlBar {
    DECLARE_MESSAGE_MAP()
public:
    CCamAdjustContainer& GetContainer() { return m_container; }
    afx_msg int OnCreate(LPCREATESTRUCT lpcs);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnPaint();
private:
    CCamAdjustContainer m_container;
};

// Nothing constructs one; kept as the subsystem's common base.
class CCamAdjustBase {
public:
    virtual ~CCamAdjustBase() {}
};
