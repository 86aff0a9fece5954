#include "LBitmapWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr UINT_PTR kSubclassId = 0x4C42;  // "LB"

// Header and colour table of the frame's rows from first, count rows, top-down.
struct DibHeader {
    BITMAPINFOHEADER h;
    RGBQUAD colors[256];
};

void FillHeader(DibHeader& d, const imaging::Frame& f, int rows)
{
    std::memset(&d, 0, sizeof d);
    d.h.biSize = sizeof d.h;
    d.h.biWidth = f.width;
    d.h.biHeight = -rows;
    d.h.biPlanes = 1;
    d.h.biBitCount = WORD(f.bpp);
    d.h.biCompression = BI_RGB;
    if (f.bpp <= 8) {
        d.h.biClrUsed = DWORD(1) << f.bpp;
        std::memcpy(d.colors, f.palette, sizeof(RGBQUAD) << f.bpp);
    }
}

}  // namespace

LBitmapWindow::~LBitmapWindow()
{
    Unbind();
}

void LBitmapWindow::Unbind()
{
    if (m_hWnd) {
        RemoveWindowSubclass(m_hWnd, SubclassProc, kSubclassId);
        m_hWnd = nullptr;
    }
}

L_INT LBitmapWindow::SetWndHandle(HWND hWnd)
{
    if (hWnd && !IsWindow(hWnd))
        return Fail(LERR_NO_WINDOW);
    Unbind();
    if (!hWnd)
        return SUCCESS;
    if (!SetWindowSubclass(hWnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return Fail(LERR_NO_WINDOW);
    m_hWnd = hWnd;
    UpdateScrollBars();
    Repaint();
    return SUCCESS;
}

L_INT LBitmapWindow::EnableAutoScroll(BOOL enable)
{
    m_autoScroll = enable;
    UpdateScrollBars();
    Repaint();
    return SUCCESS;
}

L_INT LBitmapWindow::SetZoomPercent(L_INT percent)
{
    if (percent < 1 || percent > 3200)
        return Fail(LERR_INV_PARAMETER);
    m_zoom = percent;
    UpdateScrollBars();
    Repaint();
    return SUCCESS;
}

L_INT LBitmapWindow::SetZoomMode(L_INT mode)
{
    return mode == 0 ? SUCCESS : Fail(LERR_INV_PARAMETER);
}

SIZE LBitmapWindow::DisplaySize() const
{
    return SIZE{LONG((long long)m_frame.width * m_zoom / 100), LONG((long long)m_frame.height * m_zoom / 100)};
}

RECT LBitmapWindow::GetBitmapVisibleRect() const
{
    RECT client = {};
    if (m_hWnd)
        GetClientRect(m_hWnd, &client);
    const SIZE size = DisplaySize();
    RECT r;
    if (size.cx < client.right)
        r.left = (client.right - size.cx) / 2;
    else
        r.left = m_hWnd ? -GetScrollPos(m_hWnd, SB_HORZ) : 0;
    if (size.cy < client.bottom)
        r.top = (client.bottom - size.cy) / 2;
    else
        r.top = m_hWnd ? -GetScrollPos(m_hWnd, SB_VERT) : 0;
    r.right = r.left + size.cx;
    r.bottom = r.top + size.cy;
    return r;
}

void LBitmapWindow::Repaint() const
{
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, FALSE);
}

void LBitmapWindow::Changed()
{
    UpdateScrollBars();
    Repaint();
}

LRESULT LBitmapWindow::MsgProcCallBack(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

void LBitmapWindow::OnDraw(HDC, const RECT&)
{
}

void LBitmapWindow::UpdateScrollBars()
{
    if (!m_hWnd || !m_autoScroll)
        return;
    RECT client;
    GetClientRect(m_hWnd, &client);
    const SIZE size = DisplaySize();
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE;
    si.nMax = size.cx > 0 ? size.cx - 1 : 0;
    si.nPage = UINT(client.right);
    SetScrollInfo(m_hWnd, SB_HORZ, &si, TRUE);
    si.nMax = size.cy > 0 ? size.cy - 1 : 0;
    si.nPage = UINT(client.bottom);
    SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
}

void LBitmapWindow::Scroll(int bar, WORD code)
{
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(m_hWnd, bar, &si);
    int pos = si.nPos;
    const int line = 16, page = std::max<int>(1, int(si.nPage));
    switch (code) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = si.nTrackPos; break;
    case SB_TOP: pos = si.nMin; break;
    case SB_BOTTOM: pos = si.nMax; break;
    default: return;
    }
    pos = std::clamp(pos, si.nMin, std::max(si.nMin, si.nMax - int(si.nPage) + 1));
    if (pos != si.nPos) {
        SetScrollPos(m_hWnd, bar, pos, TRUE);
        Repaint();
    }
}

void LBitmapWindow::Paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const RECT pic = m_frame.Empty() ? RECT{0, 0, 0, 0} : GetBitmapVisibleRect();

    // The bands around the picture, in the window class's background.
    HBRUSH brush = reinterpret_cast<HBRUSH>(GetClassLongPtrW(m_hWnd, GCLP_HBRBACKGROUND));
    if (!brush)
        brush = GetSysColorBrush(COLOR_WINDOW);
    const RECT bands[4] = {
        {client.left, client.top, client.right, std::max(client.top, pic.top)},
        {client.left, std::min(client.bottom, pic.bottom), client.right, client.bottom},
        {client.left, std::max(client.top, pic.top), std::max(client.left, pic.left), std::min(client.bottom, pic.bottom)},
        {std::min(client.right, pic.right), std::max(client.top, pic.top), client.right, std::min(client.bottom, pic.bottom)},
    };
    for (const RECT& b : bands)
        if (b.right > b.left && b.bottom > b.top)
            FillRect(dc, &b, brush);

    RECT visible;
    if (!m_frame.Empty() && IntersectRect(&visible, &pic, &client)) {
        // Only the source rows and columns that reach the client area go to
        // GDI, so a large picture at a high zoom costs what is shown.
        const long long dw = pic.right - pic.left, dh = pic.bottom - pic.top;
        const int sx0 = int((visible.left - pic.left) * m_frame.width / dw);
        const int sx1 = int(std::min<long long>(m_frame.width, ((visible.right - pic.left) * m_frame.width + dw - 1) / dw));
        const int sy0 = int((visible.top - pic.top) * m_frame.height / dh);
        const int sy1 = int(std::min<long long>(m_frame.height, ((visible.bottom - pic.top) * m_frame.height + dh - 1) / dh));
        const int dx0 = pic.left + int(sx0 * dw / m_frame.width), dx1 = pic.left + int(sx1 * dw / m_frame.width);
        const int dy0 = pic.top + int(sy0 * dh / m_frame.height), dy1 = pic.top + int(sy1 * dh / m_frame.height);
        DibHeader header;
        FillHeader(header, m_frame, sy1 - sy0);
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchDIBits(dc, dx0, dy0, dx1 - dx0, dy1 - dy0, sx0, 0, sx1 - sx0, sy1 - sy0, m_frame.Row(sy0),
                      reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, SRCCOPY);
    }
    OnDraw(dc, ps.rcPaint);
    EndPaint(m_hWnd, &ps);
}

L_INT LBitmapWindow::CopyToClipboard(HWND owner, UINT flags) const
{
    if (m_frame.Empty())
        return Fail(LERR_NO_BITMAP);
    HGLOBAL dib = (flags & COPY2CB_DIB) ? ConvertToDIB() : nullptr;
    if ((flags & COPY2CB_DIB) && !dib)
        return Fail(LERR_NO_MEMORY);
    HBITMAP ddb = nullptr;
    if (flags & COPY2CB_DDB) {
        DibHeader header;
        FillHeader(header, m_frame, m_frame.height);
        HDC screen = GetDC(nullptr);
        ddb = CreateDIBitmap(screen, &header.h, CBM_INIT, m_frame.bits, reinterpret_cast<const BITMAPINFO*>(&header),
                             DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
    }
    HPALETTE palette = nullptr;
    if ((flags & COPY2CB_PALETTE) && m_frame.bpp <= 8) {
        struct {
            LOGPALETTE head;
            PALETTEENTRY more[255];
        } lp = {};
        lp.head.palVersion = 0x300;
        lp.head.palNumEntries = WORD(1 << m_frame.bpp);
        for (int i = 0; i < (1 << m_frame.bpp); ++i)
            lp.head.palPalEntry[i] = PALETTEENTRY{m_frame.palette[i].rgbRed, m_frame.palette[i].rgbGreen,
                                                  m_frame.palette[i].rgbBlue, 0};
        palette = CreatePalette(&lp.head);
    }
    L_INT rc = SUCCESS;
    if (!OpenClipboard(owner)) {
        rc = LERR_CLIPBOARD;
    } else {
        if ((flags & COPY2CB_EMPTY) && !EmptyClipboard())
            rc = LERR_CLIPBOARD;
        // The clipboard owns what it accepted.
        if (rc == SUCCESS && dib && SetClipboardData(CF_DIB, dib))
            dib = nullptr;
        if (rc == SUCCESS && ddb && SetClipboardData(CF_BITMAP, ddb))
            ddb = nullptr;
        if (rc == SUCCESS && palette && SetClipboardData(CF_PALETTE, palette))
            palette = nullptr;
        if (rc == SUCCESS && ((flags & COPY2CB_DIB) && dib))
            rc = LERR_CLIPBOARD;
        CloseClipboard();
    }
    if (dib)
        GlobalFree(dib);
    if (ddb)
        DeleteObject(ddb);
    if (palette)
        DeleteObject(palette);
    return Check(rc);
}

LRESULT CALLBACK LBitmapWindow::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR data)
{
    LBitmapWindow* self = reinterpret_cast<LBitmapWindow*>(data);
    if (const LRESULT handled = self->MsgProcCallBack(hWnd, message, wParam, lParam))
        return handled;
    switch (message) {
    case WM_PAINT:
        self->Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint fills the background around the picture
    case WM_SIZE:
        self->UpdateScrollBars();
        InvalidateRect(hWnd, nullptr, FALSE);
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (self->m_autoScroll && !lParam) {
            self->Scroll(message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wParam));
            return 0;
        }
        break;
    case WM_NCDESTROY:
        self->Unbind();
        break;
    }
    return DefSubclassProc(hWnd, message, wParam, lParam);
}
