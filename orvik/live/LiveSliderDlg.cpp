#include "LiveSliderDlg.h"

#include "Resource.h"

BEGIN_MESSAGE_MAP(CLiveSliderDlg, CBCGPDialog)
    ON_WM_HSCROLL()
END_MESSAGE_MAP()

CLiveSliderDlg::CLiveSliderDlg(UINT nIDTemplate, LiveViewSettings& settings, CWnd* pParentWnd)
    : CBCGPDialog(nIDTemplate, pParentWnd), m_settings(settings) {}

void CLiveSliderDlg::DoDataExchange(CDataExchange* pDX)
{
    CBCGPDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SET_SLIDER, m_slider);
}

BOOL CLiveSliderDlg::OnInitDialog()
{
    CBCGPDialog::OnInitDialog();
    InitSlider(m_slider);
    SetDlgItemText(IDC_SET_VALUE, Label());
    return TRUE;
}

void CLiveSliderDlg::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    if (!pScrollBar || pScrollBar->m_hWnd != m_slider.m_hWnd) {
        CBCGPDialog::OnHScroll(nSBCode, nPos, pScrollBar);
        return;
    }
    // The slider's own position: nPos carries it only for thumb moves, and
    // is 0 for line, page and keyboard moves.
    Apply(m_slider.GetPos());
    SetDlgItemText(IDC_SET_VALUE, Label());
}
