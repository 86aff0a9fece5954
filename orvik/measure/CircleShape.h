// The circle (type 6): vertex 0 the centre, vertex 1 on the rim; "R=" and
// "S=" in calibrated units.
#pragma once
#include "DragShape.h"

class CCircleShape : public CDragShape {
public:
    CCircleShape(HWND hwndView, CMeasureLayer* pLayer, MeasureCalibration* pCal, MeasureViewSettings* pView)
        : CDragShape(hwndView, pLayer, pCal, pView, kShapeCircle) {}

    double GetPerimeter() const override;
    double GetArea() const override;
    void Draw(CDC* pDC) override;
    void Invalidate() override;
    void Discard() override;
    int MoveBody(int x, int y) override;
    bool HitBody(int x, int y) override;
    std::vector<CString> GetValueTexts() const override;
    virtual double GetRadius() const;

    // Radius in whole image pixels (the distance truncated), 0 without a rim.
    int RadiusPixels() const;

protected:
    void RubberBand(int x, int y) override;
    bool TooSmall() const override;
    void MoveVertex(int hit, int x, int y) override;

private:
    CRect Box() const;
    CRect PaintBox() const;
};
