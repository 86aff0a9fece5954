// The eight colours of the marker overlays and the measurement shapes.
#pragma once
#include <windows.h>

// Index as stored in setting.ini and in the layers' view settings.
enum MeasureColorIndex {
  kColorBlack = 0, kColorWhite, kColorRed, kColorGreen, kColorBlue,
  kColorCyan, kColorMagenta, kColorYellow,
  kColorCount
};

struct MeasureColorEntry {
  COLORREF color;       // 0x00BBGGRR
  const wchar_t* name;  // as the colour combo lists it
};

extern const MeasureColorEntry MeasureColorTable[kColorCount];

bool IsMeasureColorIndex(int index);

// The colour of a stored index. An index no entry has (a combo without a
// selection stores -1) draws in `fallback`'s colour instead of reading past
// the table.
COLORREF MeasureColor(int index, int fallback = kColorGreen);
