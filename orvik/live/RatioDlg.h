// The factor of the live picture's multiply mask operation (dialog 183):
// slider positions 1 to 50 stand for 0.1 to 5.0.
#pragma once
#include "LiveSliderDlg.h"

class CRatioDlg : public CLiveSliderDlg {
public:
    explicit CRatioDlg(LiveViewSettings& settings, CWnd* pParentWnd = nullptr);
protected:
    void InitSlider(CSliderCtrl& slider) override;
    void Apply(int pos) override;
    CString Label() const override;
};
