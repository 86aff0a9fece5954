#include "LiveSettings.h"

#include "Settings.h"

void SaveMarkerSettings(const LiveViewSettings& s)
{
    WriteIniInt(ini::kMarker, L"CircleUnit", s.circleUnit);
    WriteIniInt(ini::kMarker, L"RulerUnit", s.rulerUnit);
    WriteIniInt(ini::kMarker, L"GridUnit", s.gridUnit);
    WriteIniInt(ini::kMarker, L"MarkerColor", s.markerColorIndex);
}
