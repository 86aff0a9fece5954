// The measurement overlay of one picture: the shapes, the calibration that
// turns image pixels into lengths, the view settings that map image pixels
// to window pixels, the mouse tools, drawing and the burn-in for saving.
//
// Threads: everything runs on the user-interface thread, except DrawAll,
// which the live frame thread calls for every frame. One recursive lock
// guards the shape list, the vertices and both records; every member takes
// it. The owner's answer to WM_RULER_CHANGED runs under it, so it must not
// wait for the frame thread.
#pragma once
#include <AfxWindows.h>
#include <memory>
#include <mutex>
#include <vector>

#include "MeasureTypes.h"

class CMeasureShape;

class CMeasureLayer {
public:
    CMeasureLayer();
    ~CMeasureLayer();
    CMeasureLayer(const CMeasureLayer&) = delete;
    CMeasureLayer& operator=(const CMeasureLayer&) = delete;

    // ---- shapes
    // Appends a shape of type 1 to 7 or 9 to 11 and returns it; any other
    // type (8 included) makes nothing and returns null.
    CMeasureShape* CreateShape(int type);
    // Index of the shape with that id, or -1.
    int FindShape(UINT id) const;
    // Deletes the shape with that id unless it is a scale bar or a reticle.
    void DeleteShape(UINT id);
    // Deletes all but the shape at index 0 (the scale bar) and repaints.
    void DeleteAllShapes();
    void DeselectAll();
    int GetShapeCount() const;
    // The shape at an index, or null. User-interface thread only.
    CMeasureShape* GetShape(int index) const;
    // What the shape at an index shows, in drawing order.
    std::vector<CString> GetShapeTexts(int index) const;

    // ---- drawing
    // Index 0 only while the scale bar is shown, then the rest in order.
    void DrawAll(CDC* pDC);
    // Repaints the view window and draws the shapes into it at once.
    void Redraw();
    void SetShowScaleBar(int show);
    int GetShowScaleBar() const;

    // ---- view settings
    void SetViewWindow(HWND hwnd);
    void SetColors(int point, int line, int handle, int text);
    // Returns the previous zoom. A zoom that is not above 0 is refused: the
    // zoom stays and the current one is returned.
    float SetZoom(float zoom);
    float GetZoom() const;
    void SetScrollOffset(CPoint offset);
    CPoint GetScrollOffset() const;
    // FALSE, and nothing changes, for a record IsValidCalibration refuses.
    BOOL SetCalibration(const MeasureCalibration& cal);
    MeasureCalibration GetCalibration() const;
    // The whole record; FALSE, and nothing changes, for a zoom not above 0.
    BOOL SetViewSettings(const MeasureViewSettings& view);
    MeasureViewSettings GetViewSettings() const;
    // Window pixels to image pixels, in place, and back.
    void ViewToImage(CPoint& pt) const;
    void ImageToView(CPoint& pt) const;
    int IsButtonDown() const;

    // ---- mouse, in window (client) pixels, with the message's key flags
    // and the owner's MeasureTool
    void OnLButtonDown(UINT nFlags, int x, int y, int tool);
    void OnLButtonUp(UINT nFlags, int x, int y, int tool);
    void OnLButtonDblClk(UINT nFlags, int x, int y, int tool);
    void OnMouseMove(UINT nFlags, int x, int y, int tool);

    // ---- burn-in
    // Draws the chosen parts on grey 128 into `buffer`, a caller-owned 24-bit
    // bottom-up picture of Dib24Stride(width) x height bytes, through the
    // memory context pDC. The caller sets zoom 1 and scroll (0, 0) first.
    // FALSE for a null buffer, a size <= 0 or no bitmap for that size (the
    // buffer is then not a rendered overlay).
    BOOL RenderOverlay(CDC* pDC, BYTE* buffer, int width, int height, int drawShapes, int drawScaleBar,
                       int drawDate, int drawText, LPCWSTR text);
    // The shared burn-in rule (OverlayMerge.h): 0, or -1 for bad arguments.
    int MergeOverlay(BYTE* frame, const BYTE* overlay, int width, int height);

    // ---- the reticle, when the shape at index 1 is one
    void SetImageSize(int width, int height);
    void SetSpacing(int x, int y);

    // Held by shapes whose own windows change them outside the mouse calls.
    std::unique_lock<std::recursive_mutex> Lock() const { return std::unique_lock<std::recursive_mutex>(m_lock); }

private:
    void InvalidateView();
    // Draws index 0 and/or the rest; the lock is held.
    void DrawShapes(CDC* pDC, bool first, bool rest);
    // Press with a tool that makes a new shape, or tool 9.
    void PressNewShape(UINT nFlags, const CPoint& pt, int tool, int type);
    // Press with 3, 5 or 7: the shape of that type under construction, else
    // a new one.
    void PressMultiClick(UINT nFlags, const CPoint& pt, int tool);
    // Offers a call to every shape from the last to the first; the shapes
    // may delete themselves on the way. Stops at a call that returns true.
    template <class Call>
    void EachShapeFromLast(Call call);
    void Broadcast(int (CMeasureShape::*handler)(UINT, int, int, int), UINT nFlags, int x, int y, int tool);

    mutable std::recursive_mutex m_lock;
    std::vector<std::unique_ptr<CMeasureShape>> m_shapes;   // index 0 the scale bar
    MeasureCalibration m_cal;
    MeasureViewSettings m_view;
    int m_showScaleBar = 0;
};
