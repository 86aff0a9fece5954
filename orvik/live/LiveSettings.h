// The settings of the live picture that its settings dialogs edit: the
// binary threshold, the multiply ratio and the marker overlay's units and
// colour. The live-preview document holds one record and hands it to the
// dialogs. The user-interface thread writes it while the frame thread reads
// it for every frame, so each field is atomic on its own.
#pragma once
#include <windows.h>

#include <atomic>

#include "ColorTable.h"

struct LiveViewSettings {
    std::atomic<BYTE> threshold{128};   // binary filter: grey above it turns white
    std::atomic<float> ratio{2.0f};     // multiply mask operation, 0.1 to 5.0
    // Display pixels between ruler ticks, grid lines and circle radii.
    std::atomic<int> rulerUnit{5};
    std::atomic<int> gridUnit{40};
    std::atomic<int> circleUnit{40};
    std::atomic<int> markerColorIndex{kColorGreen};
    // The red, green and blue bytes the marker overlay draws in: the table's
    // colour of the index.
    std::atomic<COLORREF> markerColor{MeasureColorTable[kColorGreen].color};
};

// [Marker] CircleUnit, RulerUnit, GridUnit and MarkerColor into setting.ini, as "%d".
void SaveMarkerSettings(const LiveViewSettings& settings);
