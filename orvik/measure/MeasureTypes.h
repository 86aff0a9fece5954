// The records a measurement layer shares with its shapes and its owners:
// calibration, view settings, tool codes and shape types.
#pragma once
#include <windows.h>

// Sent (not posted) by the scale bar to the layer's view window after each
// drag step; wParam and lParam 0.
const UINT WM_RULER_CHANGED = WM_USER + 100;

// Unit names by calibration unit index. The unit only labels the calibrated
// numbers: nothing converts between units.
const int kMeasureUnitCount = 5;
extern const wchar_t* const MeasureUnitNames[kMeasureUnitCount];
// The name of a unit index; an index no unit has gives "" rather than a
// wrong label.
const wchar_t* MeasureUnitName(int unit);

// Copied whole between the layer, the still-image view and the calibration
// dialog.
struct MeasureCalibration {
    int unit = 0;                  // index into MeasureUnitNames
    double unitsPerPixelX = 0.2;   // calibrated length of one image pixel
    double unitsPerPixelY = 0.2;
    double knownLengthX = 10.0;    // what the scale bar's arms stand for
    double knownLengthY = 10.0;
};

// A calibration the shapes can use: a unit that exists, and lengths that are
// finite and above zero (a zero or negative one would reach divisions and
// turn every measurement into nonsense).
bool IsValidCalibration(const MeasureCalibration& cal);

// One record per layer, shared by pointer with every shape of it.
struct MeasureViewSettings {
    int pointColor = 2;    // colour table indices: points and vertex crosses
    int lineColor = 3;     // lines, arcs, circles, scale bar, reticle
    int handleColor = 4;   // adjust-point squares, the point marker's circle
    int textColor = 1;     // value texts and burned-in texts
    HWND hwndView = nullptr;
    int buttonDown = 0;    // 1 between a press and its release
    POINT scroll = {0, 0}; // scroll position of the view, window pixels
    float zoom = 1.0f;     // window pixels per image pixel, always > 0
};

// A zoom the mapping can divide by: finite and above 0.
bool IsValidZoom(float zoom);

// window = trunc(image * zoom - scroll) and image = trunc((window + scroll)
// / zoom), per axis, in place.
void MeasureImageToView(const MeasureViewSettings& view, POINT& pt);
void MeasureViewToImage(const MeasureViewSettings& view, POINT& pt);

// The tool an owner passes with every mouse call. Values not listed act as
// kToolMove on a press.
enum MeasureTool {
    kToolNone = 0,
    kToolPoint = 1,
    kToolLine = 2,
    kToolAngle = 3,
    kToolRect = 4,
    kToolPolygon = 5,
    kToolCircle = 6,
    kToolCircle3 = 7,
    kToolText = 8,
    kToolLastShape = 9,    // the press goes to the last shape, nothing is made
    kToolMove = 10,
    kToolDeleteOne = 200,
    kToolNothing = 201,
};

// Shape types as CreateShape takes them; 8 makes nothing.
enum MeasureShapeType {
    kShapePoint = 1,
    kShapeLine = 2,
    kShapeAngle = 3,
    kShapeRect = 4,
    kShapePolygon = 5,
    kShapeCircle = 6,
    kShapeCircle3 = 7,
    kShapeNone = 8,
    kShapeScaleBar = 9,
    kShapeReticle = 10,
    kShapeText = 11,
};

// Hit results besides a vertex index.
const int kHitNone = -1;
const int kHitBody = 10000;
