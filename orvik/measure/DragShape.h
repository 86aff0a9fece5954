// The mouse protocol of the shapes made by one press and a drag (line,
// rectangle, circle): press to create or grab, move to size or drag, release
// to finish; each type gives its creation, rubber-band and discard steps.
#pragma once
#include "MeasureShape.h"

class CDragShape : public CMeasureShape {
public:
    using CMeasureShape::CMeasureShape;

    int OnLButtonDown(UINT nFlags, int x, int y, int tool) override;
    int OnMouseMove(UINT nFlags, int x, int y, int tool) override;
    int OnLButtonUp(UINT nFlags, int x, int y, int tool) override;

protected:
    // The first press with the shape's own tool: one vertex at the press.
    virtual void CreateAt(int x, int y);
    // A move with the shape's own tool while only the press vertex exists.
    virtual void RubberBand(int x, int y) = 0;
    // Checked at every release; true makes the shape discard itself.
    virtual bool TooSmall() const = 0;
    // The grabbed vertex follows the pointer.
    virtual void MoveVertex(int hit, int x, int y);
};
