#include "MarkerDlg.h"

#include "Messages.h"
#include "Resource.h"

namespace {
// The overlays divide by their units: only whole pixels from 1 up pass.
void DDX_Unit(CDataExchange* pDX, int nIDC, int& unit)
{
    DDX_Text(pDX, nIDC, unit);
    if (pDX->m_bSaveAndValidate && unit <= 0) FailExchange(pDX, IDS_UNIT_POSITIVE);
}
}  // namespace

CMarkerDlg::CMarkerDlg(LiveViewSettings& settings, CWnd* pParentWnd)
    : CBCGPDialog(IDD_MARKER, pParentWnd), m_settings(settings) {}

BOOL CMarkerDlg::OnInitDialog()
{
    m_rulerUnit = m_settings.rulerUnit;
    m_gridUnit = m_settings.gridUnit;
    m_circleUnit = m_settings.circleUnit;
    m_colorIndex = m_settings.markerColorIndex;
    return CBCGPDialog::OnInitDialog();
}

void CMarkerDlg::DoDataExchange(CDataExchange* pDX)
{
    CBCGPDialog::DoDataExchange(pDX);
    DDX_ColorCombo(pDX, IDC_MK_COLOR, m_color, m_colorIndex);
    DDX_Unit(pDX, IDC_MK_RULER_UNIT, m_rulerUnit);
    DDX_Unit(pDX, IDC_MK_GRID_UNIT, m_gridUnit);
    DDX_Unit(pDX, IDC_MK_CIRCLE_UNIT, m_circleUnit);
}

void CMarkerDlg::OnOK()
{
    if (!UpdateData(TRUE)) return;
    m_settings.circleUnit = m_circleUnit;
    m_settings.gridUnit = m_gridUnit;
    m_settings.rulerUnit = m_rulerUnit;
    m_settings.markerColorIndex = m_colorIndex;
    m_settings.markerColor = MeasureColorTable[m_colorIndex].color;
    SaveMarkerSettings(m_settings);
    EndDialog(IDOK);
}
