// The strength of one still-image operation (dialog 203), chosen on a slider
// while a before and an after preview show its effect. The view runs it
// modally and applies the parameter to the whole picture on OK.
#pragma once
#include <AfxWindows.h>
#include <Imaging.h>

#include "Toolkit.h"

// Tells a window when the left button is released on it: a drag has ended.
class CReleaseNotifySlider : public CSliderCtrl {
public:
    enum : UINT { WM_SLIDER_RELEASED = 0x7F1 };
    void SetNotifyWnd(HWND hWnd) { m_hNotify = hWnd; }

protected:
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    DECLARE_MESSAGE_MAP()

private:
    HWND m_hNotify = nullptr;
};

// A black 152 x 130 box with a bitmap drawn unscaled in its centre.
class CPictureCtrl : public CStatic {
public:
    enum { kWidth = 152, kHeight = 130 };
    LBitmap& Picture() { return m_bitmap; }
    void Refresh() { Invalidate(FALSE); }

protected:
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    LBitmap m_bitmap;
};

class CImageProcessDlg : public CBCGPDialog {
public:
    enum Mode {
        kInvertPreview = 0,
        kAverage,
        kMedian,
        kSharpen,
        kEmboss,
        kRotate,
        kBrightness,
        kContrast,
        kSaturation
    };
    explicit CImageProcessDlg(CWnd* pParent = nullptr);

    // The picture and the mode, before DoModal.
    void Init(const LBitmapBase& picture, int mode);
    BOOL OnInitDialog() override;

    // The size that fits width x height into 152 x 130 keeping the aspect
    // ratio; never 0 on either side, never larger than the picture.
    static CSize FitSize(int width, int height);
    // The library call of mode with parameter on a bitmap.
    static L_INT Apply(LBitmap& bitmap, int mode, int parameter);
    // The parameter a slider position stands for in mode.
    static int ParameterOf(int mode, int pos);

    // What the after box shows.
    const LBitmap& AfterPicture() { return m_after.Picture(); }

    int m_nParameter = 0;
    int m_nPos = 0;
    int m_nMode = kInvertPreview;
    CString m_strTitle;
    CString m_strValue;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg LRESULT OnSliderReleased(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    static void Fit(LBitmap& bitmap);
    void ShowPreview();

    CReleaseNotifySlider m_slider;
    CPictureCtrl m_before, m_after;
    LBitmap m_source;   // the full-size picture
    LBitmap m_preview;  // processed, then fitted
};
