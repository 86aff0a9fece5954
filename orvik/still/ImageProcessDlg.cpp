#include "ImageProcessDlg.h"

#include "PictureFamily.h"
#include "Resource.h"

#include <algorithm>

// ---------------------------------------------------------------- slider
BEGIN_MESSAGE_MAP(CReleaseNotifySlider, CSliderCtrl)
    ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

void CReleaseNotifySlider::OnLButtonUp(UINT nFlags, CPoint point)
{
    if (m_hNotify)
        ::SendMessageW(m_hNotify, WM_SLIDER_RELEASED, 0, 0);
    CSliderCtrl::OnLButtonUp(nFlags, point);
}

// ---------------------------------------------------------------- picture control
BEGIN_MESSAGE_MAP(CPictureCtrl, CStatic)
    ON_WM_PAINT()
END_MESSAGE_MAP()

void CPictureCtrl::OnPaint()
{
    CPaintDC dc(this);
    HDC mem = ::CreateCompatibleDC(dc.m_hDC);
    HBITMAP box = ::CreateCompatibleBitmap(dc.m_hDC, kWidth, kHeight);
    HGDIOBJ old = ::SelectObject(mem, box);
    const RECT all = {0, 0, kWidth, kHeight};
    ::FillRect(mem, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::BitBlt(dc.m_hDC, 0, 0, kWidth, kHeight, mem, 0, 0, SRCCOPY);
    ::SelectObject(mem, old);
    ::DeleteObject(box);
    ::DeleteDC(mem);
    // Centred at its own size; the DIB of each paint is freed at once.
    const int w = m_bitmap.GetWidth(), h = m_bitmap.GetHeight();
    StretchPicture(dc.m_hDC, m_bitmap, (kWidth - w) / 2, (kHeight - h) / 2, w, h);
}

// ---------------------------------------------------------------- dialog
namespace {

struct ModeInfo {
    UINT title;
    int low, high, initial, scale;
};

// Indexed by mode; mode 0 only inverts the preview.
const ModeInfo kModes[] = {
    {0, 0, 0, 0, 1},
    {IDS_IMAGE_AVERAGE, 3, 255, 3, 1},
    {IDS_IMAGE_MEDIAN, 2, 20, 2, 1},
    {IDS_IMAGE_SHARPEN, -100, 100, 1, 10},
    {IDS_IMAGE_EMBOSS, 0, 100, 0, 10},
    {IDS_IMAGE_ROTATE, 0, 360, 0, 100},
    {IDS_IMAGE_BRIGHTNESS, -100, 100, 1, 10},
    {IDS_IMAGE_CONTRAST, -100, 100, 1, 10},
    {IDS_IMAGE_SATURATION, -100, 100, 1, 10},
};

const ModeInfo& InfoOf(int mode) { return kModes[mode >= 0 && mode <= 8 ? mode : 0]; }

}  // namespace

BEGIN_MESSAGE_MAP(CImageProcessDlg, CBCGPDialog)
    ON_WM_HSCROLL()
    ON_MESSAGE(CReleaseNotifySlider::WM_SLIDER_RELEASED, OnSliderReleased)
END_MESSAGE_MAP()

CImageProcessDlg::CImageProcessDlg(CWnd* pParent) : CBCGPDialog(IDD_IMAGE_PROCESS, pParent) {}

CSize CImageProcessDlg::FitSize(int width, int height)
{
    const int bw = CPictureCtrl::kWidth, bh = CPictureCtrl::kHeight;
    if (width <= 0 || height <= 0)
        return CSize(std::max(width, 0), std::max(height, 0));
    if (width <= bw && height <= bh)
        return CSize(width, height);
    // Scaled by the smaller of the two ratios, so both sides fit.
    if ((long long)width * bh >= (long long)height * bw)
        return CSize(bw, std::max(1, int((long long)height * bw / width)));
    return CSize(std::max(1, int((long long)width * bh / height)), bh);
}

void CImageProcessDlg::Fit(LBitmap& bitmap)
{
    const CSize size = FitSize(bitmap.GetWidth(), bitmap.GetHeight());
    if (size.cx != bitmap.GetWidth() || size.cy != bitmap.GetHeight())
        bitmap.Size(size.cx, size.cy, SIZE_RESAMPLE);
}

int CImageProcessDlg::ParameterOf(int mode, int pos) { return pos * InfoOf(mode).scale; }

L_INT CImageProcessDlg::Apply(LBitmap& bitmap, int mode, int parameter)
{
    switch (mode) {
    case kAverage: return bitmap.AverageFilter(parameter);
    case kMedian: return bitmap.MedianFilter(parameter);
    case kSharpen: return bitmap.Sharpen(parameter);
    case kEmboss: return bitmap.Emboss(0, parameter);
    case kRotate: return bitmap.Rotate(parameter, ROTATE_RESIZE, 0xFFFFFF);
    case kBrightness: return bitmap.ChangeIntensity(parameter);
    case kContrast: return bitmap.ChangeContrast(parameter);
    case kSaturation: return bitmap.ChangeSaturation(parameter);
    default: return bitmap.Invert();
    }
}

void CImageProcessDlg::Init(const LBitmapBase& picture, int mode)
{
    // The picture has no floating selection in this program, so the before
    // picture is always the whole of it.
    LBitmap& before = m_before.Picture();
    before.Copy(picture);
    m_source.Copy(before);
    Fit(before);
    m_preview.Copy(before);
    m_nMode = mode;
    if (mode >= kAverage && mode <= kSaturation)
        m_strTitle.LoadString(InfoOf(mode).title);
    else
        m_preview.Invert();
}

void CImageProcessDlg::DoDataExchange(CDataExchange* pDX)
{
    CBCGPDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROC_SLIDER, m_slider);
    DDX_Control(pDX, IDC_PROC_BEFORE, m_before);
    DDX_Control(pDX, IDC_PROC_AFTER, m_after);
}

BOOL CImageProcessDlg::OnInitDialog()
{
    CBCGPDialog::OnInitDialog();
    GetDlgItem(IDC_PROC_VALUE)->EnableWindow(FALSE);
    SetWindowText(m_strTitle);
    m_slider.SetNotifyWnd(m_hWnd);
    // The boxes are pixels, whatever the dialog font makes of the template.
    for (CWnd* box : {static_cast<CWnd*>(&m_before), static_cast<CWnd*>(&m_after)})
        box->SetWindowPos(nullptr, 0, 0, CPictureCtrl::kWidth, CPictureCtrl::kHeight,
                          SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (m_nMode >= kAverage && m_nMode <= kSaturation) {
        const ModeInfo& info = InfoOf(m_nMode);
        m_slider.SetRange(info.low, info.high);
        m_slider.SetPos(info.initial);
        m_nPos = info.initial;
        m_nParameter = ParameterOf(m_nMode, info.initial);
        Apply(m_preview, m_nMode, m_nParameter);
        Fit(m_preview);
    }
    m_strValue.Format(L"%d", m_nParameter);
    SetDlgItemText(IDC_PROC_VALUE, m_strValue);
    m_after.Picture().Copy(m_preview);
    return TRUE;
}

void CImageProcessDlg::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar)
{
    if (pScrollBar && pScrollBar->m_hWnd == m_slider.m_hWnd) {
        m_nPos = m_slider.GetPos();
        m_strValue.Format(L"%d", m_nPos);
        SetDlgItemText(IDC_PROC_VALUE, m_strValue);
    }
    CBCGPDialog::OnHScroll(nSBCode, nPos, pScrollBar);
}

LRESULT CImageProcessDlg::OnSliderReleased(WPARAM, LPARAM)
{
    ShowPreview();
    return 1;
}

void CImageProcessDlg::ShowPreview()
{
    CWaitCursor wait;
    m_preview.Copy(m_source);
    m_nPos = m_slider.GetPos();
    m_nParameter = ParameterOf(m_nMode, m_nPos);
    Apply(m_preview, m_nMode, m_nParameter);
    // A rotated preview is fitted by its rotated size.
    Fit(m_preview);
    m_after.Picture().Copy(m_preview);
    m_after.Refresh();
}
