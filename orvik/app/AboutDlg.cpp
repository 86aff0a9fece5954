#include "AboutDlg.h"
#include "Resource.h"
#include <Globals.h>
#include <Settings.h>

#include <cstring>
#include <cwchar>

BEGIN_MESSAGE_MAP(CAboutDlg, CBCGPDialog)
    ON_WM_PAINT()
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg() : CBCGPDialog(IDD_ABOUTBOX) {
    std::memset(m_szVersion, 0, sizeof m_szVersion);
    ::GetPrivateProfileStringW(ini::kGeneral, L"Version", L"", m_szVersion, 256, g_strSettingsPath);
}

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
    CBCGPDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ABOUT_LINK, m_btnLink);
}

BOOL CAboutDlg::OnInitDialog() {
    CBCGPDialog::OnInitDialog();
    SetWindowText(g_szLogoTitle);
    if (CWnd* title = GetDlgItem(IDC_ABOUT_TITLE)) title->SetWindowText(g_szLogoTitle);
    return TRUE;
}

void CAboutDlg::OnPaint() {
    CPaintDC dc(this);
    dc.SetBkMode(TRANSPARENT);
    CFont* old = dc.SelectObject(GetFont());
    dc.TextOut(kVersionX, kVersionY, m_szVersion, (int)std::wcslen(m_szVersion));
    if (old) dc.SelectObject(old);
}
