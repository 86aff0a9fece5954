// The picture of one still-image view: a bitmap window bound to the view's
// window that paints the picture, lets the view's measurement layer draw on
// top, passes the scale bar's change message to the calibration dialog and
// writes the picture to BMP and JPEG files with or without the measurements
// burned in, or the measurements alone. Undo copies use only its bitmap.
#pragma once
#include <AfxWindows.h>
#include <Imaging.h>

#include <memory>
#include <vector>

#include "MeasureTypes.h"

class CMeasureLayer;

class CStillImageWnd : public LAnimationWindow {
public:
    CStillImageWnd();
    ~CStillImageWnd() override;

    CMeasureLayer* GetLayer() const { return m_pLayer.get(); }

    // Burns the layer into the picture, which becomes 24 bits and repaints.
    BOOL MergeMeasurements();
    // Runs the save dialog of the measurement data, then writes the shapes
    // alone on grey 128 at the picture's size.
    void GenerateMeasureData();
    // A 24-bit bottom-up BMP (54-byte headers, no colour table) or a baseline
    // JPEG of the picture, the measurements merged in when burnIn is 1. A file
    // that cannot be written is reported in a message box and answers FALSE.
    BOOL SaveBmp(LPCWSTR file, int burnIn);
    BOOL SaveJpeg(LPCWSTR file, int burnIn);
    // Mirrors every row of a 24-bit bottom-up buffer left to right in place.
    static void MirrorRows(BYTE* buffer, int width, int height);

    int m_nTool = kToolLine;      // the view's measuring tool
    MeasureCalibration m_cal;
    int m_nPointColor = 2, m_nLineColor = 3, m_nHandleColor = 4, m_nTextColor = 1;
    BOOL m_bMeasureData = FALSE;  // set while Generate Measure Data writes

protected:
    LRESULT MsgProcCallBack(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDraw(HDC hdc, const RECT& paint) override;

private:
    // The four writers' first step: the layer drawn on grey 128 at zoom 1 and
    // the picture at 24 bits, both bottom-up with rows of Dib24Stride bytes.
    struct Rendered {
        int width = 0, height = 0;
        std::vector<BYTE> overlay, pixels;
    };
    bool RenderOverlay(Rendered& out);
    // The bytes a writer stores: the overlay alone for measure data, else the
    // picture, merged when asked; unmirrored under Arabic. Empty on failure.
    bool PrepareForFile(int burnIn, Rendered& r, std::vector<BYTE>*& rows);

    std::unique_ptr<CMeasureLayer> m_pLayer;
};
