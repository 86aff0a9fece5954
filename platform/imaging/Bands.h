// Bands of rows processed at once on a few threads, in place.
#pragma once

#include "Frame.h"

#include <functional>
#include <vector>

namespace imaging {

// How many bands a picture of `rows` rows is cut into: one per processor,
// none thinner than `minRows`.
int BandCount(int rows, int minRows);

// Runs body(band, y0, y1) for `bands` even bands of [0, rows) on the calling
// thread and a few workers kept for the purpose, and returns when all are
// done. Where no worker can be had the calling thread does every band.
void ForBands(int rows, int bands, const std::function<void(int, int, int)>& body);

// One band's view of the source while the band overwrites its own rows.
// Rows outside the band come from copies taken before any band starts; an
// output row goes back into the picture only once no later output of the
// band reads its source row, so the rows inside stay the source meanwhile.
// The window of output row y spans source rows y - lo to y + hi.
// A band may instead be worked in vertical strips of at most `strip`
// columns, left to right: each strip's output is held until the next strip
// is done, so no strip may read columns of the one two before it.
class BandRows {
public:
    // Takes the copies; allocation failure answers LERR_NO_MEMORY and
    // changes nothing. `scratch` bytes are kept for the band's own use.
    L_INT Init(Frame& f, int y0, int y1, int lo, int hi, size_t scratch = 0, int strip = 0);

    // Source row y, clamped to the picture.
    const BYTE* Src(int y) const;
    // Where output row y is written, then Done(y), in order of y.
    BYTE* Out(int y) { return &m_ring[size_t((y - m_y0) % (m_lo + 1)) * m_f->stride]; }
    void Done(int y);
    // In strips: where row y of the current strip is written, from its first
    // column; then StripDone with the strip's columns.
    BYTE* StripOut(int y) { return &m_ring[(size_t(m_half) * (m_y1 - m_y0) + (y - m_y0)) * m_strip * 3]; }
    void StripDone(int x0, int x1);
    // Puts back the outputs still held; after the band's last row.
    void Finish();
    BYTE* Scratch() { return m_scratch.data(); }

private:
    Frame* m_f = nullptr;
    int m_y0 = 0, m_y1 = 0, m_lo = 0, m_top = 0;
    // Strips: their width, the half of m_ring being written, and the columns
    // of the strip held in the other half.
    int m_strip = 0, m_half = 0, m_heldX0 = 0, m_heldX1 = 0;
    void PutBackStrip();
    std::vector<BYTE> m_above, m_below, m_ring, m_scratch;
};

// Runs kernel(rows, y0, y1) over the bands of f, in place; the kernel writes
// every output row of its band through rows.Out and rows.Done, or where
// `strip` is given every strip through rows.StripOut and rows.StripDone.
L_INT FilterInPlace(Frame& f, int lo, int hi, int minRows, size_t scratch,
                    const std::function<void(BandRows&, int, int)>& kernel, int strip = 0);

}  // namespace imaging
