// A marker overlay drawn once and laid over every live frame: the GDI drawing
// of a grid at a small unit costs thousands of lines, the cached one a pass
// over the frame.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "MarkerOverlay.h"

class COverlayCache {
public:
    // Lays the overlay of `kind` over a 24-bit frame (rows `stride` apart;
    // `topDown` when its first row in memory is the picture's top), pixel for
    // pixel as DrawMarkerOverlay would draw it on that frame. The overlay is
    // drawn again only when kind, unit, colour or size change. 0, or -1 for
    // a bad frame or when the overlay cannot be drawn (the frame is then
    // untouched). A unit <= 0 or kMarkerNone lays nothing. One thread at a
    // time (the frame thread).
    int Apply(BYTE* frame, int width, int height, int stride, bool topDown, MarkerKind kind, int unit,
              COLORREF colour);

    // Forgets the drawing, so the next Apply draws afresh.
    void Reset();

    // Tests only: how many times the overlay has been drawn.
    int Renders() const { return m_renders; }

private:
    bool Render(int width, int height, MarkerKind kind, int unit, COLORREF colour);

    // What the drawing was made for.
    MarkerKind m_kind = kMarkerNone;
    int m_unit = 0;
    COLORREF m_colour = 0;
    int m_width = 0, m_height = 0;
    bool m_valid = false;
    int m_renders = 0;

    // 0xFF for each byte the overlay covers, picture rows from the top, three
    // bytes a pixel, no padding; per row the covered byte range [begin, end).
    std::vector<BYTE> m_mask;
    std::vector<int> m_begin, m_end;
    std::vector<BYTE> m_colourRow;  // the colour over a whole row, plus a block
};
