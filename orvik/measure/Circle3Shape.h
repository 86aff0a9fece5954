// The three-point circle (type 7): the circle through three clicks; "A=" is
// its area in calibrated units squared.
#pragma once
#include "ClickShape.h"

class CCircle3Shape : public CClickShape {
public:
    CCircle3Shape(HWND hwndView, CMeasureLayer* pLayer, MeasureCalibration* pCal, MeasureViewSettings* pView)
        : CClickShape(hwndView, pLayer, pCal, pView, kShapeCircle3) {}

    double GetArea() const override;
    void Draw(CDC* pDC) override;
    void Invalidate() override;
    void Discard() override;
    bool HitBody(int x, int y) override;
    std::vector<CString> GetValueTexts() const override;

    // The circle through the three vertices in image pixels; false when
    // there are fewer or they lie on one line.
    bool GetCircle(CPoint& centre, int& radius) const;

protected:
    bool TakesMoreVertices() const override { return GetCoordCount() < 3; }
    int FinalVertexCount() const override { return 3; }

private:
    CRect PaintBox() const;
};
