// Ruler files (*.rlr): the calibration dialog's record as eleven lines of
// single-byte text, each ending in CR CR LF, the bar's corner always at
// (100, 100).
#pragma once
#include <AfxCore.h>

#include <string>

struct RulerFile {
    CString xResult = L"0.200";     // units per pixel as shown, "%.3f"
    CString yResult = L"0.200";
    CString xReal = L"10.00000";    // real lengths as typed
    CString yReal = L"10.00000";
    int xStart = 100, xEnd = 150, xLength = 50;
    int yStart = 100, yEnd = 150, yLength = 50;
    int unit = 0;                   // index into MeasureUnitNames
};

// The bytes of a file written from `r`: lines 5 to 10 come from the two
// lengths alone, so the corner is (100, 100) whatever r's ends are.
std::string FormatRulerFile(const RulerFile& r);

// Reads the bytes of a file (LF, CR LF or CR CR LF line ends). False, and
// `out` untouched, unless there are eleven lines, lines 1 to 4 are numbers,
// lines 5 to 11 whole numbers, the unit 0 to 4 and both arms and both real
// lengths above zero.
bool ParseRulerFile(const std::string& bytes, RulerFile& out);

// A decimal number typed by a user: the whole text must be one, and a single
// comma stands for the decimal point (as the French, German and Polish
// interfaces write it). False for anything else, or for inf and nan.
bool ParseDecimal(LPCWSTR text, double& value);
