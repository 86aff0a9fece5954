// A bitmap that paints itself into a window it is given: centred when it is
// smaller than the client area, offset by the window's scroll position when
// larger, at a zoom percentage. The window stays the caller's; the bitmap
// window only subclasses it while bound.
#pragma once

#include "LBitmap.h"

class LBitmapWindow : public LBitmap {
public:
    LBitmapWindow() = default;
    ~LBitmapWindow() override;

    // Binds to hWnd (NULL unbinds) and repaints it.
    L_INT SetWndHandle(HWND hWnd);
    HWND GetBitmapWnd() const { return m_hWnd; }

    // With auto-scroll the bitmap window sets and follows the window's scroll
    // bars itself; without it the owner does and the picture follows them.
    L_INT EnableAutoScroll(BOOL enable);
    BOOL IsAutoScrollEnabled() const { return m_autoScroll; }

    // 1..3200 percent.
    L_INT SetZoomPercent(L_INT percent);
    L_INT GetZoomPercent() const { return m_zoom; }
    // Only mode 0 (the picture at the zoom percentage) exists.
    L_INT SetZoomMode(L_INT mode);

    // Where the whole picture lies in client coordinates at the current zoom
    // and scroll position; parts may lie outside the client area.
    RECT GetBitmapVisibleRect() const;

    // COPY2CB_EMPTY empties the clipboard first; COPY2CB_DIB, COPY2CB_DDB and
    // COPY2CB_PALETTE (pictures with a colour table only) place the formats.
    L_INT CopyToClipboard(HWND owner, UINT flags) const;

    // There is no floating selection.
    BOOL HasFloater() const { return FALSE; }
    LBitmapBase* GetFloater() { return nullptr; }

    // The display is true colour: no palette is realised, so callers repaint.
    LRESULT OnQueryNewPalette() { return 0; }
    void OnPaletteChanged(HWND) {}

    // Invalidates the bound window without erasing.
    void Repaint() const;

protected:
    // Sees every message of the bound window first; 0 lets the bitmap window
    // and the window's own procedure go on with it.
    virtual LRESULT MsgProcCallBack(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // After the picture is painted, with the paint device context.
    virtual void OnDraw(HDC hdc, const RECT& paint);

    void Changed() override;

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void Unbind();
    void Paint();
    void UpdateScrollBars();
    void Scroll(int bar, WORD code);
    SIZE DisplaySize() const;

    HWND m_hWnd = nullptr;
    L_INT m_zoom = 100;
    BOOL m_autoScroll = TRUE;
};
