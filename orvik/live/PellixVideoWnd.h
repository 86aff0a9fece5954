// CamType 0: the Marrowin camera, the one path whose live frames pass through
// Orvik. A frame thread grabs each frame, applies the document's real-time
// filter and mask operation, appends it to the clip while recording, and
// draws it with the live measurements and the marker overlay.
#pragma once

#include "VideoWnd.h"

#include <atomic>
#include <mutex>
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

    // The document's real-time filter and mask operation on a frame, in
    // place, as the live picture gets them (and so a still of it): rows
    // `stride` bytes apart. Any thread.
    static void ApplyRealtimeProcessing(const COrvikDoc& doc, BYTE* frame, int w, int h, int stride);

    // Frames appended to the clip; drives the "Recording" text.
    int m_nFrameCounter;

protected:
    // Steps every 20 ms while the run event is set, until the stop event.
    static DWORD WINAPI funcTarnThreadProc(LPVOID param);
    // Sets the stop event and joins the frame thread (never terminates it).
    void EndFrameThread();
    // The clip's copy of the frame: every second pixel of every second row,
    // top-down, appended through the document. True when it was appended.
    bool AppendClipFrame(COrvikDoc* doc, int w, int h);
    // The frame at the display size with measurements, overlay and text,
    // drawn in one blit. `recording` adds the "Recording" text.
    void ComposeAndShow(HWND hwnd, COrvikDoc* doc, int w, int h, bool recording);

    afx_msg void OnDestroy();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    DECLARE_MESSAGE_MAP()

    // The last grab: header zeroed until the first successful one. Written
    // by the frame thread, read by CopyLastFrame, both under m_frameLock.
    std::mutex m_frameLock;
    BITMAPINFOHEADER m_header;
    std::vector<BYTE> m_frame;  // maximum width x maximum height x 3
    // Set by the frame thread at the first successful grab; read bare by the
    // erase handler.
    std::atomic<bool> m_bHaveFrame;
    // Rows padded to four bytes for the stretch when 3 w is not (frame thread only).
    std::vector<BYTE> m_padded;
    // Manual-reset events: the thread runs while m_hRunEvent is set and ends
    // when m_hStopEvent is; it is never suspended, so never inside a lock.
    HANDLE m_hRunEvent;
    HANDLE m_hStopEvent;
};
