// The rectangle (type 4): vertices 0 top-left, 1 top-right, 2 bottom-left,
// 3 bottom-right; "S=" area in calibrated units squared.
#pragma once
#include "DragShape.h"

class CRectShape : public CDragShape {
public:
    CRectShape(HWND hwndView, CMeasureLayer* pLayer, MeasureCalibration* pCal, MeasureViewSettings* pView)
        : CDragShape(hwndView, pLayer, pCal, pView, kShapeRect) {}

    double GetPerimeter() const override;
    double GetArea() const override;
    void Draw(CDC* pDC) override;
    void Invalidate() override;
    void Discard() override;
    int MoveBody(int x, int y) override;
    bool HitBody(int x, int y) override;
    std::vector<CString> GetValueTexts() const override;

protected:
    void RubberBand(int x, int y) override;
    bool TooSmall() const override;

private:
    // The box of vertices 0 and 3 (empty without four vertices).
    CRect Box() const;
};
