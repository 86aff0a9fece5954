// The application's commands on documents as a whole: capture to view, auto
// focus, the resolution combo box and the About box, with their update handlers.
#include "AboutDlg.h"
#include "MainFrm.h"
#include "OrvikApp.h"
#include "OrvikDoc.h"
#include "OrvikView.h"
#include "OzuFreeDoc.h"
#include "OzuFreeView.h"
#include "Resource.h"
#include "StillFrame.h"
#include <Globals.h>
#include <Imaging.h>
#include <MathUtil.h>

// A frame of the live camera in a new still-image document. The frame comes
// first: a failed grab opens nothing, and the picture goes only into the
// document this command opened.
void COrvikApp::OnCaptureToView() {
    CMainFrame* frame = DYNAMIC_DOWNCAST(CMainFrame, m_pMainWnd);
    COrvikDoc* live = frame ? frame->GetCameraDoc() : nullptr;
    if (!live || !m_pStillTemplate) return;
    CStillFrame still;
    LBitmap picture;
    if (!live->GrabViewFrame(still) || !StillFrameToBitmap(still, picture)) return;
    COzuFreeDoc* doc = DYNAMIC_DOWNCAST(COzuFreeDoc, m_pStillTemplate->OpenDocumentFile(nullptr, TRUE));
    COzuFreeView* view = doc ? doc->GetView() : nullptr;
    if (!view) return;
    if (view->m_wndImage.Copy(picture) != SUCCESS) {
        doc->OnCloseDocument();
        return;
    }
    if (g_bLangArabic) view->m_wndImage.Reverse();
    view->ResetScrollSizes();
}

// Capture to view, Record and Capture: a live preview in the active child, and
// for the Hestral cameras not stopped by Pause.
void COrvikApp::OnUpdateLiveCommand(CCmdUI* pCmdUI) {
    CMainFrame* frame = DYNAMIC_DOWNCAST(CMainFrame, m_pMainWnd);
    BOOL enable = FALSE;
    if (frame && frame->GetCameraDoc()) {
        CMDIChildWnd* child = frame->MDIGetActive();
        CView* view = child ? child->GetActiveView() : nullptr;
        enable = view && view->IsKindOf(RUNTIME_CLASS(COrvikView)) && !(IsHestralCamType() && g_bPreviewStopped);
    }
    pCmdUI->Enable(enable);
}

// A program that has ended, or never started, is started again; one still
// running is left alone.
void COrvikApp::OnAutoFocus() {
    DWORD code = 0;
    if (m_piTolmira.hProcess && ::GetExitCodeProcess(m_piTolmira.hProcess, &code) && code == STILL_ACTIVE) return;
    StartTolmira();
}

void COrvikApp::OnUpdateAutoFocus(CCmdUI* pCmdUI) {
    if (g_bTolmira == 0) pCmdUI->Enable(FALSE);
    else if (g_bTolmira == 1) pCmdUI->Enable(TRUE);
}

void COrvikApp::OnResolutionCombo() {
    CObList buttons;
    CBCGPToolBar::GetCommandButtons(ID_RESOLUTION_COMBO, buttons);
    CBCGPToolbarComboBoxButton* combo = nullptr;
    for (POSITION pos = buttons.GetHeadPosition(); pos && !combo;) {
        CBCGPToolbarComboBoxButton* b = DYNAMIC_DOWNCAST(CBCGPToolbarComboBoxButton, buttons.GetNext(pos));
        if (b && CBCGPToolBar::IsLastCommandFromButton(b)) combo = b;
    }
    if (!combo) {
        AfxMessageBox(L"Show \"Set Active Configuration\" dialog....", MB_OK | OrvikRtlFlag());
        return;
    }
    g_nUvcStillResolution = OrvikResolutionIndex(combo->GetText(), g_nUvcStillResolution);
}

void COrvikApp::OnAppAbout() {
    CAboutDlg dlg;
    dlg.DoModal();
}

void COrvikApp::OnUpdateAppAbout(CCmdUI* pCmdUI) {
    CString text;
    text.LoadString(IDS_ABOUT_ITEM);
    pCmdUI->SetText(text + g_szLogoTitle);
}
