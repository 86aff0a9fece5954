// The marker overlay's units and colour (dialog 200). OK stores them in the
// settings and in setting.ini; Cancel changes nothing.
#pragma once
#include "ColorCombo.h"
#include "LiveSettings.h"
#include "Toolkit.h"

class CMarkerDlg : public CBCGPDialog {
public:
    explicit CMarkerDlg(LiveViewSettings& settings, CWnd* pParentWnd = nullptr);
    BOOL OnInitDialog() override;
protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

    LiveViewSettings& m_settings;
    CColorCombo m_color;
    // What the controls show; the settings take them only on a valid OK.
    int m_colorIndex = 0;
    int m_rulerUnit = 0;
    int m_gridUnit = 0;
    int m_circleUnit = 0;
};
