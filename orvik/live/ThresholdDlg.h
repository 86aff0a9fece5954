// The binary threshold of the live picture (dialog 176).
#pragma once
#include "LiveSliderDlg.h"

class CThresholdDlg : public CLiveSliderDlg {
public:
    explicit CThresholdDlg(LiveViewSettings& settings, CWnd* pParentWnd = nullptr);
protected:
    void InitSlider(CSliderCtrl& slider) override;
    void Apply(int pos) override;
    CString Label() const override;
};
