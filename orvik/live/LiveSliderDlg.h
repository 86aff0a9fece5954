// A settings dialog of one slider whose every move goes straight into a
// live setting, so the live picture follows while the dialog is open. OK and
// the second button only end the dialog: the setting stays as last moved.
#pragma once
#include "LiveSettings.h"
#include "Toolkit.h"

class CLiveSliderDlg : public CBCGPDialog {
public:
    BOOL OnInitDialog() override;
protected:
    CLiveSliderDlg(UINT nIDTemplate, LiveViewSettings& settings, CWnd* pParentWnd);
    // Range, page and line size of the slider, and its position from the setting.
    virtual void InitSlider(CSliderCtrl& slider) = 0;
    // The setting takes the slider's position.
    virtual void Apply(int pos) = 0;
    // The value label's text, from the setting.
    virtual CString Label() const = 0;

    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    DECLARE_MESSAGE_MAP()

    LiveViewSettings& m_settings;
    CSliderCtrl m_slider;
};
