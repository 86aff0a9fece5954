// The "Camera Pane" task pane: groups for the camera dialogs of the camera
// type (video, adjust, capture) docked at the frame's left.
#pragma once

#include <Toolkit.h>
#include <TarnVideoBox.h>

class CCamPane : public CBCGPTasksPane {
    DECLARE_DYNAMIC(CCamPane)
public:
    CCamPane();

    // The camera dialogs the pane hosts. Each stays uncreated until the camera
    // type uses it; locking an uncreated one does nothing.
    CTarnVideoBox m_dlgVideo; // video control dialog
    CWnd m_dlgPellixAdjust;  // Marrowin adjust dialog
    CWnd m_dlgCapture;       // capture dialog
    CWnd m_dlgUvcPanel;      // UVC camera panel
    CWnd m_dlgHestralAdjust; // Hestral adjust dialog

    // Enables or disables every control of one dialog.
    static void LockControls(CWnd& dlg, BOOL bLock);
    void LockVideo(BOOL bLock) { m_dlgVideo.LockControls(bLock); }
    void LockCapture(BOOL bLock) { LockControls(m_dlgCapture, bLock); }
    void LockUvcPanel(BOOL bLock) { LockControls(m_dlgUvcPanel, bLock); }
    void LockHestralAdjust(BOOL bLock) { LockControls(m_dlgHestralAdjust, bLock); }

    int m_nVideoGroup;
    int m_nAdjustGroup;
    int m_nCaptureGroup;

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg LRESULT OnForwardPreset(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
