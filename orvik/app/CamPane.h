// The "Camera Pane" task pane: groups for the camera dialogs of the camera
// type (video, adjust, capture) docked at the frame's left.
#pragma once

#include <Toolkit.h>

#include "HestralAdjustDlg.h"
#include "UvcCameraPanel.h"

class CCamPane : public CBCGPTasksPane {
    DECLARE_DYNAMIC(CCamPane)
public:
    CCamPane();

    // The camera dialogs the pane hosts. Each stays uncreated until the camera
    // type uses it; locking an uncreated one does nothing.
    CWnd m_dlgVideo;         // video control dialog
    CWnd m_dlgPellixAdjust;  // Marrowin adjust dialog
    CWnd m_dlgCapture;       // capture dialog
    CUvcCameraPanel m_dlgUvcPanel;        // UVC camera panel
    CHestralAdjustDlg m_dlgHestralAdjust; // Hestral adjust dialog

    // Enables or disables every control of one dialog.
    static void LockControls(CWnd& dlg, BOOL bLock);
    void LockVideo(BOOL bLock) { LockControls(m_dlgVideo, bLock); }
    void LockCapture(BOOL bLock) { LockControls(m_dlgCapture, bLock); }
    void LockUvcPanel(BOOL bLock) {
        if (m_dlgUvcPanel.GetSafeHwnd()) m_dlgUvcPanel.LockControls(bLock);
    }
    void LockHestralAdjust(BOOL bLock) {
        if (m_dlgHestralAdjust.GetSafeHwnd()) m_dlgHestralAdjust.LockControls(bLock);
    }

    int m_nVideoGroup;
    int m_nAdjustGroup;
    int m_nCaptureGroup;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void AddAdjustPanel();
    afx_msg LRESULT OnForwardPreset(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
