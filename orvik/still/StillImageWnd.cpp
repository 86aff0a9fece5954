#include "StillImageWnd.h"

#include "Globals.h"
#include "MeasureLayer.h"
#include "OverlayMerge.h"
#include "OzuFreeView.h"

#include <AfxDialogs.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

BITMAPINFOHEADER Header24(int width, int height)
{
    BITMAPINFOHEADER h = {};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = BI_RGB;
    return h;
}

void ReportWriteFailure(LPCWSTR file, LONG osError)
{
    CFileException(CFileException::OsErrorToException(osError), osError, file).ReportError();
}

// Through the framework's box, which a test can answer.
void ReportNoMemory()
{
    CString text;
    text.LoadString(AFX_IDP_FAILED_MEMORY_ALLOC);
    AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION | OrvikRtlFlag());
}

}  // namespace

CStillImageWnd::CStillImageWnd() : m_pLayer(new CMeasureLayer)
{
    m_pLayer->SetColors(m_nPointColor, m_nLineColor, m_nHandleColor, m_nTextColor);
}

CStillImageWnd::~CStillImageWnd() = default;

LRESULT CStillImageWnd::MsgProcCallBack(HWND hWnd, UINT message, WPARAM, LPARAM)
{
    if (message == WM_RULER_CHANGED)
        if (COzuFreeView* view = DYNAMIC_DOWNCAST(COzuFreeView, CWnd::FromHandlePermanent(hWnd))) {
            view->m_dlgRuler.RefreshFromScaleBar();
            view->m_dlgRuler.ApplyCalibration();
        }
    return 0;
}

void CStillImageWnd::OnDraw(HDC hdc, const RECT&)
{
    CDC dc;
    dc.Attach(hdc);
    m_pLayer->DrawAll(&dc);
    dc.Detach();
}

bool CStillImageWnd::RenderOverlay(Rendered& out)
{
    if (m_frame.Empty())
        return false;
    const int w = m_frame.width, h = m_frame.height, stride = Dib24Stride(w);
    try {
        out.overlay.assign(size_t(stride) * h, kOverlayTransparent);
        out.pixels.resize(size_t(stride) * h);
    } catch (const std::bad_alloc&) {
        out.overlay.clear();
        out.pixels.clear();
        return false;
    }
    out.width = w;
    out.height = h;

    CDC dc;
    if (!dc.CreateCompatibleDC(nullptr))
        return false;
    const float zoom = m_pLayer->SetZoom(1.0f);
    const CPoint scroll = m_pLayer->GetScrollOffset();
    m_pLayer->SetScrollOffset(CPoint(0, 0));
    const BOOL drawn = m_pLayer->RenderOverlay(&dc, out.overlay.data(), w, h, 1, m_pLayer->GetShowScaleBar(), 0, 0, L"");
    m_pLayer->SetZoom(zoom);
    m_pLayer->SetScrollOffset(scroll);
    if (!drawn)
        return false;

    // Palette, 16- and 32-bit pictures are read as 24 bits only after
    // conversion: their own rows are shorter or laid out otherwise.
    imaging::Frame converted;
    const imaging::Frame* source = &m_frame;
    if (m_frame.bpp != 24) {
        if (imaging::Convert(m_frame, 24, converted) != SUCCESS)
            return false;
        source = &converted;
    }
    for (int y = 0; y < h; ++y)
        std::memcpy(&out.pixels[size_t(h - 1 - y) * stride], source->Row(y), size_t(stride));
    return true;
}

bool CStillImageWnd::PrepareForFile(int burnIn, Rendered& r, std::vector<BYTE>*& rows)
{
    if (!RenderOverlay(r))
        return false;
    if (burnIn == 1)
        MergeOverlay(r.pixels.data(), r.overlay.data(), r.width, r.height);
    rows = m_bMeasureData ? &r.overlay : &r.pixels;
    // Held mirrored while the interface reads right to left; stored as shot.
    if (g_bLangArabic)
        MirrorRows(rows->data(), r.width, r.height);
    return true;
}

BOOL CStillImageWnd::MergeMeasurements()
{
    Rendered r;
    if (!RenderOverlay(r))
        return FALSE;
    MergeOverlay(r.pixels.data(), r.overlay.data(), r.width, r.height);
    BITMAPINFO info = {};
    info.bmiHeader = Header24(r.width, r.height);
    LBitmap merged(&info, r.pixels.data());
    if (!merged.IsAllocated())
        return FALSE;
    return Copy(merged) == SUCCESS;
}

BOOL CStillImageWnd::SaveBmp(LPCWSTR file, int burnIn)
{
    Rendered r;
    std::vector<BYTE>* rows = nullptr;
    if (!PrepareForFile(burnIn, r, rows)) {
        ReportNoMemory();
        return FALSE;
    }
    const DWORD image = DWORD(rows->size());
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;  // "BM"
    fh.bfSize = 54 + image;
    fh.bfOffBits = 54;
    const BITMAPINFOHEADER ih = Header24(r.width, r.height);

    HANDLE h = ::CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        ReportWriteFailure(file, LONG(::GetLastError()));
        return FALSE;
    }
    DWORD a = 0, b = 0, c = 0;
    const BOOL ok = ::WriteFile(h, &fh, 14, &a, nullptr) && ::WriteFile(h, &ih, 40, &b, nullptr) &&
                    ::WriteFile(h, rows->data(), image, &c, nullptr) && a == 14 && b == 40 && c == image;
    const LONG error = ok ? 0 : LONG(::GetLastError());
    ::CloseHandle(h);
    if (!ok) {
        // A partial picture is no picture: it does not stay behind.
        ::DeleteFileW(file);
        ReportWriteFailure(file, error ? error : ERROR_DISK_FULL);
        return FALSE;
    }
    return TRUE;
}

// Encoded from memory: a scratch BMP that cannot be written would otherwise
// leave an older picture to be encoded under the user's name.
BOOL CStillImageWnd::SaveJpeg(LPCWSTR file, int burnIn)
{
    Rendered r;
    std::vector<BYTE>* rows = nullptr;
    if (!PrepareForFile(burnIn, r, rows)) {
        ReportNoMemory();
        return FALSE;
    }
    BITMAPINFO info = {};
    info.bmiHeader = Header24(r.width, r.height);
    LBitmap picture(&info, rows->data());
    r.overlay.clear();
    r.pixels.clear();
    if (!picture.IsAllocated()) {
        ReportNoMemory();
        return FALSE;
    }
    ::SetLastError(0);
    if (picture.Save(file, FILE_JFIF, 24, 10, 0, nullptr) != SUCCESS) {
        const LONG error = LONG(::GetLastError());
        ReportWriteFailure(file, error ? error : ERROR_WRITE_FAULT);
        return FALSE;
    }
    return TRUE;
}

void CStillImageWnd::GenerateMeasureData()
{
    CFileDialog dlg(FALSE, L"bmp", L"Image", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_EXPLORER,
                    L"bmp Files (*.bmp)|*bmp|jpg Files (*.jpg)|*.jpg||", nullptr);
    if (dlg.DoModal() != IDOK)
        return;
    // The full path: the dialog's folder is not the current directory.
    const CString path = dlg.GetPathName();
    m_bMeasureData = TRUE;
    if (dlg.m_ofn.nFilterIndex == 2)
        SaveJpeg(path, 0);
    else
        SaveBmp(path, 0);
    m_bMeasureData = FALSE;
}

void CStillImageWnd::MirrorRows(BYTE* buffer, int width, int height)
{
    if (!buffer || width <= 0 || height <= 0)
        return;
    const int stride = Dib24Stride(width);
    for (int y = 0; y < height; ++y) {
        BYTE* row = buffer + size_t(y) * stride;
        for (int l = 0, r = width - 1; l < r; ++l, --r)
            for (int c = 0; c < 3; ++c)
                std::swap(row[l * 3 + c], row[r * 3 + c]);
    }
}
