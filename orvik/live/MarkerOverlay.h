// The marker overlays of the live picture (ruler, square grid, concentric
// circles), the date stamp, and their burn-in into a saved still.
#pragma once
#include <windows.h>

#include <string>

// Overlay kinds as the marker settings store them.
enum MarkerKind { kMarkerNone = 0, kMarkerRuler = 1, kMarkerGrid = 2, kMarkerCircles = 3 };

// GDI drawing on `dc` at the display size width x height, with a solid pen of
// width 1 in `colour` and the null brush (both restored afterwards); `unit`
// in display pixels. A unit <= 0 draws nothing. Calling thread's DC.
void DrawRulerOverlay(HDC dc, int width, int height, COLORREF colour, int unit);
void DrawGridOverlay(HDC dc, int width, int height, COLORREF colour, int unit);
void DrawCircleOverlay(HDC dc, int width, int height, COLORREF colour, int unit);
// The overlay of `kind` (kMarkerNone and unknown kinds draw nothing).
void DrawMarkerOverlay(HDC dc, MarkerKind kind, int width, int height, COLORREF colour, int unit);

// "%d-%d-%d %d:%d:%d": year, month, day, hour, minute, second, no leading zeros.
std::wstring FormatTimeStamp(const SYSTEMTIME& time);

// Renders the still's burn-in on grey 128 into `overlay` (height rows of
// Dib24Stride(width) bytes, first row the picture's top, as the camera's
// frame runs): with `marker` the overlay of `kind`, with `time` the local
// time at (20, 20) in a font 20 pixels high (40 from width 2001 up), both in
// `colour`. `dc` is a memory DC; nothing stays selected into it. 0, or -1
// for a null DC or overlay, a size <= 0 or a failed GDI call.
int DrawTimeStamp(HDC dc, BYTE* overlay, int width, int height, COLORREF colour, int unit, MarkerKind kind,
                  bool marker, bool time);

// The still burn-in: DrawTimeStamp on a memory DC of its own, then
// MergeOverlay into `frame` (a DIB-packed, top-down 24-bit still). Does
// nothing and returns 0 when neither marker nor time is asked for; -1 when
// the overlay cannot be made (the still is then untouched).
int BurnInStill(BYTE* frame, int width, int height, COLORREF colour, int unit, MarkerKind kind, bool marker,
                bool time);

// Marker drawing straight into the pixels of a 24-bit frame (rows `stride`
// apart, y in memory order), clipped to the frame. 0, or -1 for a bad frame.
// Ruler: the middle row and column, a tick every 6 pixels outward from the
// centre, every fifth one 31 pixels long, the others 15.
int RTRulerPixels(BYTE* frame, int width, int height, int stride, COLORREF colour);
// Grid: rows and columns 0, 50, 100, ...
int RTGridPixels(BYTE* frame, int width, int height, int stride, COLORREF colour);
// Circles: midpoint circles of radii 0, 40, 80, ... (width / 40 of them)
// around the centre, then the middle row and column.
int RTCirclePixels(BYTE* frame, int width, int height, int stride, COLORREF colour);
