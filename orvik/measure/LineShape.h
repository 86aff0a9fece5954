// The length tool's line (type 2): two vertices, "L=" in calibrated units.
#pragma once
#include "DragShape.h"

class CLineShape : public CDragShape {
public:
    CLineShape(HWND hwndView, CMeasureLayer* pLayer, MeasureCalibration* pCal, MeasureViewSettings* pView)
        : CDragShape(hwndView, pLayer, pCal, pView, kShapeLine) {}

    void Draw(CDC* pDC) override;
    void Invalidate() override;
    void Discard() override;
    bool HitBody(int x, int y) override;
    std::vector<CString> GetValueTexts() const override;

    // Calibrated length; 0.0 without two vertices.
    double GetLength() const;

protected:
    void RubberBand(int x, int y) override;
    bool TooSmall() const override;
};
