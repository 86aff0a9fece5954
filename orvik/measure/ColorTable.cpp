#include "ColorTable.h"

const MeasureColorEntry MeasureColorTable[kColorCount] = {
  {RGB(0, 0, 0), L"Black"},     {RGB(255, 255, 255), L"White"},
  {RGB(255, 0, 0), L"Red"},     {RGB(0, 255, 0), L"Green"},
  {RGB(0, 0, 255), L"Blue"},    {RGB(0, 255, 255), L"Cyan"},
  {RGB(255, 0, 255), L"Magenta"}, {RGB(255, 255, 0), L"Yellow"},
};

bool IsMeasureColorIndex(int index) { return index >= 0 && index < kColorCount; }

COLORREF MeasureColor(int index, int fallback) {
  if (!IsMeasureColorIndex(index)) index = IsMeasureColorIndex(fallback) ? fallback : kColorGreen;
  return MeasureColorTable[index].color;
}
