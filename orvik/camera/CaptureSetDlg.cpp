#include "CaptureSetDlg.h"

#include <OrvikDoc.h>
#include <Settings.h>

#include "DialogInit.h"
#include "Resource.h"

int CaptureFactorToIndex(int factor) { return factor / 2; }
int CaptureIndexToFactor(int index) { return index > 0 ? index * 2 : 1; }

CCaptureSetDlg::CCaptureSetDlg(COrvikDoc* doc, CWnd* pParent) : CBCGPDialog(IDD_CAPTURE_SET, pParent), m_pDoc(doc) {}

BOOL CCaptureSetDlg::OnInitDialog() {
    CBCGPDialog::OnInitDialog();
    AddDialogInitItems(m_hWnd, IDD_CAPTURE_SET);
    if (!m_pDoc) return TRUE;
    SendDlgItemMessage(IDC_CS_SINGLE_X, CB_SETCURSEL, CaptureFactorToIndex(m_pDoc->m_nSingleCapSubX), 0);
    SendDlgItemMessage(IDC_CS_SINGLE_Y, CB_SETCURSEL, CaptureFactorToIndex(m_pDoc->m_nSingleCapSubY), 0);
    SendDlgItemMessage(IDC_CS_MULTI_X, CB_SETCURSEL, CaptureFactorToIndex(m_pDoc->m_nMultiCapSubX), 0);
    SendDlgItemMessage(IDC_CS_MULTI_Y, CB_SETCURSEL, CaptureFactorToIndex(m_pDoc->m_nMultiCapSubY), 0);
    CheckDlgButton(IDC_CS_SAVE_TIME, m_pDoc->m_bSaveWithTime ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_CS_SAVE_MARKER, m_pDoc->m_bSaveWithMarker ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void CCaptureSetDlg::OnOK() {
    if (m_pDoc) {
        auto factor = [this](int id) { return CaptureIndexToFactor(int(SendDlgItemMessage(id, CB_GETCURSEL, 0, 0))); };
        m_pDoc->m_nSingleCapSubX = factor(IDC_CS_SINGLE_X);
        m_pDoc->m_nSingleCapSubY = factor(IDC_CS_SINGLE_Y);
        m_pDoc->m_nMultiCapSubX = factor(IDC_CS_MULTI_X);
        m_pDoc->m_nMultiCapSubY = factor(IDC_CS_MULTI_Y);
        m_pDoc->m_bSaveWithMarker = IsDlgButtonChecked(IDC_CS_SAVE_MARKER) == BST_CHECKED;
        m_pDoc->m_bSaveWithTime = IsDlgButtonChecked(IDC_CS_SAVE_TIME) == BST_CHECKED;
        WriteIniInt(ini::kSave, L"SingleCapSubX", m_pDoc->m_nSingleCapSubX);
        WriteIniInt(ini::kSave, L"SingleCapSubY", m_pDoc->m_nSingleCapSubY);
        WriteIniInt(ini::kSave, L"MultiCapSubX", m_pDoc->m_nMultiCapSubX);
        WriteIniInt(ini::kSave, L"MultiCapSubY", m_pDoc->m_nMultiCapSubY);
        WriteIniInt(ini::kSave, L"SaveWithMarker", m_pDoc->m_bSaveWithMarker ? 1 : 0);
        WriteIniInt(ini::kSave, L"SaveWithTime", m_pDoc->m_bSaveWithTime ? 1 : 0);
    }
    CBCGPDialog::OnOK();
}
