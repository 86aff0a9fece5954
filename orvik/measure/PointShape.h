// The point marker (type 1): one vertex, its pixel coordinates as text.
#pragma once
#include "MeasureShape.h"

class CPointShape : public CMeasureShape {
public:
    CPointShape(HWND hwndView, CMeasureLayer* pLayer, MeasureCalibration* pCal, MeasureViewSettings* pView)
        : CMeasureShape(hwndView, pLayer, pCal, pView, kShapePoint) {}

    void Draw(CDC* pDC) override;
    int OnLButtonDown(UINT nFlags, int x, int y, int tool) override;
    int OnLButtonUp(UINT nFlags, int x, int y, int tool) override;
    int OnMouseMove(UINT nFlags, int x, int y, int tool) override;
    void Invalidate() override;
    void Discard() override;
    std::vector<CString> GetValueTexts() const override;
};
