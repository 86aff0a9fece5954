// The base of every measurement shape: vertices in image pixels, identity and
// mouse state, the mapping to window pixels and the drawing steps that give
// all shapes one look.
#pragma once
#include <AfxWindows.h>
#include <vector>

#include "MeasureTypes.h"

class CMeasureLayer;

class CMeasureShape {
public:
    CMeasureShape(HWND hwndView, CMeasureLayer* pLayer, MeasureCalibration* pCal, MeasureViewSettings* pView,
                  int type);
    virtual ~CMeasureShape();
    CMeasureShape(const CMeasureShape&) = delete;
    CMeasureShape& operator=(const CMeasureShape&) = delete;

    virtual int GetType() const;
    virtual UINT GetId() const;
    // Both go through the layer, which refuses a record the shapes cannot use.
    virtual BOOL SetCalibration(const MeasureCalibration& cal);
    virtual BOOL SetViewSettings(const MeasureViewSettings& view);
    virtual double GetPerimeter() const;
    virtual double GetArea() const;
    virtual void Draw(CDC* pDC);
    // Mouse input in image pixels. A shape may delete itself inside these
    // (its Discard); it then returns at once and touches nothing of itself.
    virtual int OnLButtonDown(UINT nFlags, int x, int y, int tool);
    virtual int OnLButtonUp(UINT nFlags, int x, int y, int tool);
    virtual int OnMouseMove(UINT nFlags, int x, int y, int tool);
    virtual int OnLButtonDblClk(UINT nFlags, int x, int y, int tool);
    virtual void Invalidate();
    virtual int HitTest(int x, int y);
    virtual void SetSelected(bool selected);
    virtual int AddOneCoord(int x, int y);
    // The vertex, or null for an index outside the list. The pointer lasts
    // until the next vertex is added or removed.
    virtual CPoint* GetCoord(int index);
    virtual int SetCoord(int index, int x, int y);
    virtual int MoveBody(int x, int y);
    virtual int HitVertex(int x, int y);
    virtual bool HitBody(int x, int y);
    virtual void DrawHandle(CDC* pDC, int x, int y);
    virtual void DrawLine(CDC* pDC, bool dotted, int x1, int y1, int x2, int y2);
    virtual void DrawArc(CDC* pDC, bool dotted, int left, int top, int right, int bottom, int xStart, int yStart,
                         int xEnd, int yEnd);
    virtual void DrawEllipse(CDC* pDC, bool dotted, int left, int top, int right, int bottom);
    virtual void DrawValueText(CDC* pDC, LPCWSTR text, int x, int y);
    virtual void Discard();
    // The texts the shape shows, in the order it draws them.
    virtual std::vector<CString> GetValueTexts() const;

    void ImageToView(CPoint& pt) const;
    void ViewToImage(CPoint& pt) const;
    void InvalidateImageRect(const CRect& rect, BOOL erase);

    int GetCoordCount() const { return static_cast<int>(m_coords.size()); }
    bool IsActive() const { return m_active; }
    bool IsSelected() const { return m_selected; }
    int GetHit() const { return m_hit; }

protected:
    // The first step of a press in the shared protocol: the hit test, then a
    // delete-one press (true: the caller returns -1 at once, the shape may be
    // gone) or a move-tool grab of what was hit.
    bool PressDeletesOrGrabs(int x, int y, int tool);
    // Window pixels of an image point.
    CPoint ToView(int x, int y) const;
    // The unit name of the current calibration.
    const wchar_t* Unit() const;
    // Text at a window point in a font the caller made, in the text colour.
    void DrawTextAt(CDC* pDC, LPCWSTR text, int wx, int wy, HFONT font);
    // Deletes the vertices, repaints `rect` and has the layer delete this
    // shape: the caller must return without touching the shape again.
    void DiscardWithRect(const CRect& rect, BOOL erase);
    void DrawHandles(CDC* pDC);
    // The box of all vertices (empty without any).
    CRect VertexBox() const;

    HWND m_hwndView;
    CMeasureLayer* m_pLayer;
    UINT m_id;
    MeasureCalibration* m_pCal;
    MeasureViewSettings* m_pView;
    int m_type;
    std::vector<CPoint> m_coords;
    bool m_active;
    bool m_selected;
    CPoint m_last;
    int m_hit;
};

// Normalised box through two points.
CRect MeasureBox(int x1, int y1, int x2, int y2);
// Grows r to hold p.
void ExtendBox(CRect& r, POINT p);
