#include "PictureFamily.h"

BEGIN_MESSAGE_MAP(CAnimPictureCtrl, CStatic)
    ON_WM_PAINT()
END_MESSAGE_MAP()

BOOL StretchPicture(HDC dc, const LBitmapBase& picture, int x, int y, int w, int h)
{
    LBitmap copy;
    if (!picture.IsAllocated() || copy.Copy(picture) != SUCCESS || copy.ChangeBitsPerPixel(24) != SUCCESS)
        return FALSE;
    HGLOBAL dib = copy.ConvertToDIB();
    if (!dib)
        return FALSE;
    const BITMAPINFO* info = static_cast<const BITMAPINFO*>(::GlobalLock(dib));
    const BYTE* bits = reinterpret_cast<const BYTE*>(info) + info->bmiHeader.biSize;
    ::StretchDIBits(dc, x, y, w, h, 0, 0, copy.GetWidth(), copy.GetHeight(), bits, info, DIB_RGB_COLORS, SRCCOPY);
    ::GlobalUnlock(dib);
    ::GlobalFree(dib);
    return TRUE;
}

void CAnimPictureCtrl::OnPaint()
{
    CPaintDC dc(this);
    m_picture.SetZoomMode(0);
    StretchPicture(dc.m_hDC, m_picture, 0, 0, m_picture.GetWidth(), m_picture.GetHeight());
}

IMPLEMENT_DYNCREATE(CImageDoc, CDocument)
IMPLEMENT_DYNCREATE(CImageView, CScrollView)

void CImageView::OnInitialUpdate()
{
    CScrollView::OnInitialUpdate();
    SetScrollSizes(MM_TEXT, CSize(100, 100));
}

void CImageView::OnDraw(CDC*) { (void)GetDocument(); }
