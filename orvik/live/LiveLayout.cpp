#include "OrvikView.h"

LiveLayout ComputeLiveLayout(int zoomMode, SIZE frame, SIZE client) {
    LiveLayout out;
    const int cw = client.cx, ch = client.cy, fw = frame.cx, fh = frame.cy;
    if (zoomMode == 1 && fw > 0 && fh > 0) {
        out.rect = CRect(CPoint(cw > fw ? (cw - fw) / 2 : 0, ch > fh ? (ch - fh) / 2 : 0), CSize(fw, fh));
        out.scrollSize = CSize(fw, fh);
        out.setScroll = true;
        out.zoom = 1.0f;
        return out;
    }
    // A path that reports no frame size fills the view: there is no aspect to keep.
    if (fw <= 0 || fh <= 0 || cw <= 0 || ch <= 0) {
        out.rect = CRect(0, 0, cw > 0 ? cw : 0, ch > 0 ? ch : 0);
        out.zoom = 1.0f;
        return out;
    }
    int width, height;
    if ((long long)cw * fh >= (long long)ch * fw) {
        width = (int)((long long)fw * ch / fh);
        height = ch;
    } else {
        width = cw;
        height = (int)((long long)fh * cw / fw);
    }
    out.rect = CRect(CPoint((cw - width) / 2, (ch - height) / 2), CSize(width, height));
    out.zoom = (float)width / (float)fw;
    return out;
}
