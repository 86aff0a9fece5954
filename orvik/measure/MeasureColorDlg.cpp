#include "MeasureColorDlg.h"

#include "Resource.h"

CMeasureColorDlg::CMeasureColorDlg(CWnd* pParentWnd) : CBCGPDialog(IDD_MEASURE_COLOR, pParentWnd) {}

void CMeasureColorDlg::SetColors(int text, int lines, int points, int adjustPoints)
{
    m_text = text;
    m_lines = lines;
    m_points = points;
    m_adjustPoints = adjustPoints;
}

// Loading fills and selects each combo; OK's exchange stores the selections
// and keeps the dialog open while a combo has none.
void CMeasureColorDlg::DoDataExchange(CDataExchange* pDX)
{
    CBCGPDialog::DoDataExchange(pDX);
    DDX_ColorCombo(pDX, IDC_MC_POINTS, m_comboPoints, m_points);
    DDX_ColorCombo(pDX, IDC_MC_ADJUST_POINTS, m_comboAdjustPoints, m_adjustPoints);
    DDX_ColorCombo(pDX, IDC_MC_LINES, m_comboLines, m_lines);
    DDX_ColorCombo(pDX, IDC_MC_TEXT, m_comboText, m_text);
}
