// The polygon (type 5): clicks closed by a double click; "S=" area in
// calibrated units squared.
#pragma once
#include "ClickShape.h"

class CPolygonShape : public CClickShape {
public:
    CPolygonShape(HWND hwndView, CMeasureLayer* pLayer, MeasureCalibration* pCal, MeasureViewSettings* pView)
        : CClickShape(hwndView, pLayer, pCal, pView, kShapePolygon) {}

    double GetArea() const override;
    void Draw(CDC* pDC) override;
    int OnLButtonDblClk(UINT nFlags, int x, int y, int tool) override;
    void Invalidate() override;
    void Discard() override;
    std::vector<CString> GetValueTexts() const override;

    bool IsClosed() const { return m_closed; }

protected:
    bool TakesMoreVertices() const override { return !m_closed; }
    int FinalVertexCount() const override { return 0; }

private:
    bool m_closed = false;
};
