// Small relatives of the processing dialog's picture control that no
// command of Orvik uses: a picture control that paints through a bitmap
// window, a plain document and scroll view, and the bitmap class of the
// live document's mask.
#pragma once
#include <AfxWindows.h>
#include <Imaging.h>

// Draws a 24-bit device-independent copy of picture stretched to the
// rectangle (x, y, w, h) of dc, SRCCOPY; FALSE when no copy could be made.
// The copy is freed before it returns.
BOOL StretchPicture(HDC dc, const LBitmapBase& picture, int x, int y, int w, int h);

// Paints its bitmap unscaled at the top left of the control.
class CAnimPictureCtrl : public CStatic {
public:
    LAnimationWindow& Picture() { return m_picture; }

protected:
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    LAnimationWindow m_picture;
};

class CImageDoc : public CDocument {
    DECLARE_DYNCREATE(CImageDoc)
};

class CImageView : public CScrollView {
    DECLARE_DYNCREATE(CImageView)
public:
    void OnInitialUpdate() override;
    void OnDraw(CDC* pDC) override;
};

// The library's sub-objects (dialogs, regions, TWAIN and the rest) are not
// part of this build, so the bitmap needs nothing beyond its base.
class CLeadBitmap : public LBitmapBase {};
