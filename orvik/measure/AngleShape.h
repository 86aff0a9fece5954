// The angle (type 3): three clicks, vertex 1 the apex; "A=" in degrees.
#pragma once
#include "ClickShape.h"

class CAngleShape : public CClickShape {
public:
    CAngleShape(HWND hwndView, CMeasureLayer* pLayer, MeasureCalibration* pCal, MeasureViewSettings* pView)
        : CClickShape(hwndView, pLayer, pCal, pView, kShapeAngle) {}

    void Draw(CDC* pDC) override;
    void Invalidate() override;
    void Discard() override;
    int MoveBody(int x, int y) override;
    bool HitBody(int x, int y) override;
    std::vector<CString> GetValueTexts() const override;

    // Degrees from 0 to under 360, counter-clockwise on the screen from the
    // arm to the third click to the arm to the first; 0.0 until three
    // vertices exist.
    double GetAngle() const;

protected:
    bool TakesMoreVertices() const override { return GetCoordCount() < 3; }
    int FinalVertexCount() const override { return 3; }
    // The whole view: the arc and the text reach beyond the vertices.
    void RepaintAfterRelease() override {
        if (m_hwndView) ::InvalidateRect(m_hwndView, nullptr, TRUE);
    }

private:
    CRect PaintBox() const;
};
