// The "Camera Pane" task pane: groups for the camera dialogs of the camera
// type (video, adjust, capture) docked at the frame's left.
#pragma once

#include <Toolkit.h>
#include "HestralAdjustDlg.h"
#include "TarnVideoBox.h"
#include "PellixAdjustDlg.h"
#include "TarnCaptureBox.h"
#include "UvcCameraPanel.h"

// The pane's groups, top to bottom.
enum CamPaneGroup { kPaneVideo, kPaneAdjust, kPaneCapture };
// The height of the dialog a group hosts for a camera type (longTexts: a
// language whose texts need the taller UVC panel); 0 where the group hosts none.
int CamPaneDialogHeight(CamPaneGroup group, int camType, int camSubType, bool longTexts);

class CCamPane : public CBCGPTasksPane {
    DECLARE_DYNAMIC(CCamPane)
public:
    CCamPane();

    // The camera dialogs the pane hosts. Each stays uncreated until the camera
    // type uses it; locking an uncreated one does nothing.
    CTarnVideoBox m_dlgVideo;            // video control dialog
    CPellixAdjustDlg m_dlgPellixAdjust;  // Marrowin adjust dialog
    CTarnCaptureBox m_dlgCapture;        // capture dialog
    CUvcCameraPanel m_dlgUvcPanel;       // UVC camera panel
    CHestralAdjustDlg m_dlgHestralAdjust; // Hestral adjust dialog

    // Enables or disables every control of one dialog.
    static void LockControls(CWnd& dlg, BOOL bLock);
    void LockVideo(BOOL bLock) {
        if (m_dlgVideo.GetSafeHwnd()) m_dlgVideo.LockControls(bLock);
    }
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
    // The dialog of a group for this camera type, created as the pane's child
    // and added with its height; nothing when the type has none.
    void HostDialog(int group, CamPaneGroup kind, CWnd& dlg, BOOL created);
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg LRESULT OnForwardPreset(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()
};
