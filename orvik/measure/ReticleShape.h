// The reticle (type 10): a cross over the picture's centre with graduated
// ticks, drawn in device pixels. It measures nothing and is never deleted.
#pragma once
#include "MeasureShape.h"

class CReticleShape : public CMeasureShape {
public:
    CReticleShape(HWND hwndView, CMeasureLayer* pLayer, MeasureCalibration* pCal, MeasureViewSettings* pView)
        : CMeasureShape(hwndView, pLayer, pCal, pView, kShapeReticle) {}

    void Draw(CDC* pDC) override;
    void Invalidate() override;

    // Both repaint the old and the new cross.
    void SetImageSize(int width, int height);
    // Device pixels per ten ticks (50: a tick every 5 pixels).
    void SetSpacing(int x, int y);

    CSize GetImageSize() const { return CSize(m_width, m_height); }
    CSize GetSpacing() const { return CSize(m_spacingX, m_spacingY); }

private:
    int m_width = 640;
    int m_height = 480;
    int m_spacingX = 50;
    int m_spacingY = 50;
};
