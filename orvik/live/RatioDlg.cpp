#include "RatioDlg.h"

#include "Resource.h"

CRatioDlg::CRatioDlg(LiveViewSettings& settings, CWnd* pParentWnd)
    : CLiveSliderDlg(IDD_RATIO, settings, pParentWnd) {}

void CRatioDlg::InitSlider(CSliderCtrl& slider)
{
    slider.SetRange(1, 50);
    slider.SetPageSize(5);
    // Single-precision product, truncated: every ratio a slider position
    // gave (position / 10) maps back to that position.
    slider.SetPos(static_cast<int>(m_settings.ratio * 10.0f));
}

void CRatioDlg::Apply(int pos) { m_settings.ratio = static_cast<float>(pos) / 10.0f; }

CString CRatioDlg::Label() const
{
    CString s;
    s.Format(L"%1.1f", static_cast<double>(m_settings.ratio));
    return s;
}
