#include "ThresholdDlg.h"

#include "Resource.h"

CThresholdDlg::CThresholdDlg(LiveViewSettings& settings, CWnd* pParentWnd)
    : CLiveSliderDlg(IDD_THRESHOLD, settings, pParentWnd) {}

void CThresholdDlg::InitSlider(CSliderCtrl& slider)
{
    slider.SetRange(1, 255);
    slider.SetPageSize(8);
    slider.SetLineSize(1);
    slider.SetPos(m_settings.threshold);
}

void CThresholdDlg::Apply(int pos) { m_settings.threshold = static_cast<BYTE>(pos); }

CString CThresholdDlg::Label() const
{
    CString s;
    s.Format(L"%d", static_cast<int>(m_settings.threshold));
    return s;
}
