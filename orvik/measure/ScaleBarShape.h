// The scale bar (type 9): an L whose arms stand for the calibration's known
// lengths. Dragging an end re-calibrates the layer; the bar is never deleted.
#pragma once
#include "MeasureShape.h"

class CScaleBarShape : public CMeasureShape {
public:
    enum Part { kPartNone = 0, kPartBar = 1, kPartXEnd = 2, kPartYEnd = 3 };

    CScaleBarShape(HWND hwndView, CMeasureLayer* pLayer, MeasureCalibration* pCal, MeasureViewSettings* pView);

    void Draw(CDC* pDC) override;
    int OnLButtonDown(UINT nFlags, int x, int y, int tool) override;
    int OnLButtonUp(UINT nFlags, int x, int y, int tool) override;
    int OnMouseMove(UINT nFlags, int x, int y, int tool) override;
    void Invalidate() override;
    // The part under (x, y): a Part value, never -1.
    int HitTest(int x, int y) override;
    std::vector<CString> GetValueTexts() const override;

    // Vertex 0, the end of the X arm, and vertex 1, the end of the Y arm
    // (image pixels); the corner is (yEnd.x, xEnd.y).
    void GetEnds(CPoint& xEnd, CPoint& yEnd) const;
    // Moves both ends without repainting.
    void SetEnds(int xEndX, int xEndY, int yEndX, int yEndY);

    int GetDragPart() const { return m_part; }

private:
    void Recalibrate();

    int m_part = kPartNone;
    CPoint m_press;
    int m_limit = 0;
};
