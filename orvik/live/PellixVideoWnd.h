// CamType 0: the Marrowin camera, the one path whose live frames pass through
// Orvik. A frame thread grabs each frame, applies the document's real-time
// filter and mask operation, appends it to the clip while recording, and
// draws it with the live measurements and the marker overlay.
#pragma once

#include "VideoWnd.h"

#include <vector>

class CPellixVideoWnd : public CVideoWnd {
public:
    CPellixVideoWnd();
    ~CPellixVideoWnd() override;
    void DrawFrame(HWND hwnd) override;
    void Pause() override;
    void Start() override;

    // A copy of the last grabbed frame: its header (negative height, rows
    // top-down, 3 bytes a pixel packed) and pixels. False before the first
    // successful grab.
    bool CopyLastFrame(BITMAPINFOHEADER& header, std::vector<BYTE>& pixels);

protected:
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    DECLARE_MESSAGE_MAP()
};
