// The four colours of a still-image view's measurement layer (dialog 174),
// as colour-table indices. The caller sets them, runs the dialog and, on
// IDOK, reads them back.
#pragma once
#include "ColorCombo.h"
#include "Toolkit.h"

class CMeasureColorDlg : public CBCGPDialog {
public:
    explicit CMeasureColorDlg(CWnd* pParentWnd = nullptr);
    // Note the order: it is not the layer's SetColors order.
    void SetColors(int text, int lines, int points, int adjustPoints);

    int m_text = kColorRed;           // value texts
    int m_lines = kColorGreen;        // lines, arcs, circles, scale bar
    int m_points = kColorBlue;        // coordinate points and vertex crosses
    int m_adjustPoints = kColorRed;   // handle squares
protected:
    void DoDataExchange(CDataExchange* pDX) override;

    CColorCombo m_comboPoints, m_comboLines, m_comboAdjustPoints, m_comboText;
};
