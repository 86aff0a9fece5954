// The mouse protocol of the shapes placed click by click (angle, polygon,
// three-point circle): each release with the shape's tool places a vertex,
// and between clicks a rubber line follows the pointer.
#pragma once
#include "MeasureShape.h"

class CClickShape : public CMeasureShape {
public:
    using CMeasureShape::CMeasureShape;

    int OnLButtonDown(UINT nFlags, int x, int y, int tool) override;
    int OnLButtonUp(UINT nFlags, int x, int y, int tool) override;
    int OnMouseMove(UINT nFlags, int x, int y, int tool) override;

    int GetClickCount() const { return m_clicks; }
    CPoint GetRubberPoint() const { return m_rubber; }

protected:
    // Whether another click adds a vertex.
    virtual bool TakesMoreVertices() const = 0;
    // The vertex count that finishes the shape; 0 when a double click does.
    virtual int FinalVertexCount() const = 0;
    // Repaint after every release, whatever the tool.
    virtual void RepaintAfterRelease() { Invalidate(); }
    // The box of the vertices and, while more may come, the rubber point.
    CRect BuildingBox() const;

    int m_clicks = 0;
    CPoint m_rubber;
    // Held by a move-tool press until its release. A shape under
    // construction is active too, and must not follow a pointer that only
    // hovers after the tool changed.
    bool m_grabbed = false;
};
