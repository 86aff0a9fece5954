// The live-preview document: the state of the live picture (zoom, real-time
// filter, mask operation and its mask, marker overlay, live measurement,
// recording) and the commands of the live picture. It stores nothing on disk.
//
// The Marrowin frame thread reads this state on every frame step. Single
// words are written whole by the user-interface thread; the mask is swapped
// as one immutable object; the AVI writer and the recording flag are used
// only under m_recordLock; the measurement layer has its own lock.
#pragma once

#include <AfxWindows.h>

#include <LBitmap.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "LiveSettings.h"
#include "MeasureTypes.h"

class CAviWriter;
class CMeasureLayer;
class CXGraphDll;
class COrvikView;
struct CStillFrame;

// The mask image of the mask operations: 24-bit pixels, rows top-down and
// padded to four bytes, as the frame runs.
struct CLiveMask {
    std::vector<BYTE> pixels;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// The imaging library's bitmap the mask file is loaded through.
class CLeadBitmap : public LBitmap {};

// Filter modes, mask operations and overlay kinds as the commands set them.
enum LiveFilter { kFilterNone = 10, kFilterGray, kFilterBinary, kFilterInvert, kFilterSharp, kFilterEmboss,
                  kFilterGaussBlur, kFilterEqualize };
enum LiveMaskOp { kMaskNone = 20, kMaskAnd, kMaskOr, kMaskXor, kMaskAdd, kMaskSub, kMaskMultiply, kMaskDivide };

class COrvikDoc : public CDocument {
    DECLARE_DYNCREATE(COrvikDoc)
public:
    COrvikDoc();
    ~COrvikDoc() override;

    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(LPCWSTR lpszPathName) override;
    void Serialize(CArchive& ar) override;
    void SetPathName(LPCWSTR lpszPathName, BOOL bAddToMRU = TRUE) override;

    COrvikView* GetView() const;
    // The first document whose live flag is set, over every template.
    static COrvikDoc* FindLiveDoc();
    // The first document of the application's first template.
    static COrvikDoc* GetFirstDoc();

    // Recording, called by the recording dialog.
    void StartRecording(LPCWSTR file);
    void PauseRecording(bool paused);
    void StopRecording();
    // One frame for the clip while recording; false when none is recorded.
    bool AppendRecordingFrame(HBITMAP frame);

    // Still capture (the capture dialog calls both).
    void OnSaveStill();
    // One frame of the live camera written to `path` as BMP or JPEG by
    // `ext`; false (with the reason shown) when nothing was written.
    bool SaveStill(LPCWSTR path, LPCWSTR ext);
    // The camera's frame for a still-image document: the whole frame as the
    // camera gives it, no processing; false, and nothing shown, without one.
    bool GrabViewFrame(CStillFrame& still);
    void OnLoadMask();

    // The mask the frame step uses: held for the step, never freed under it.
    std::shared_ptr<const CLiveMask> GetMask() const;
    void SetMask(std::shared_ptr<const CLiveMask> mask);

    // The capture graph of the document's DirectShow video window, or null.
    CXGraphDll* GetCaptureGraph() const;

    // Display pixels between the marks of the overlay in force; 0 for none.
    int MarkerUnit() const;

    // In the order of the live picture's state.
    CFrameWnd* m_pMainFrame;
    bool m_bLive;
    std::atomic<int> m_nZoomMode;       // 0 fit ("Suitable"), 1 one to one ("Real")
    std::atomic<int> m_nDisplayWidth;   // kept by the view
    std::atomic<int> m_nDisplayHeight;
    std::atomic<bool> m_bRealtimeEnable;
    std::atomic<int> m_nOverlayKind;    // MarkerKind
    std::atomic<int> m_nFilterMode;     // LiveFilter
    std::atomic<bool> m_bMaskEnable;
    std::atomic<int> m_nMaskOperation;  // LiveMaskOp
    // Threshold, ratio, the three units and the marker colour.
    LiveViewSettings m_settings;
    CLeadBitmap m_maskBitmap;
    int m_nSingleCapSubX;
    int m_nSingleCapSubY;
    int m_nMultiCapSubX;
    int m_nMultiCapSubY;
    CMeasureLayer* m_pMeasureLayer;
    std::atomic<int> m_nMeasureTool;    // 0 none, 1 point, 2 line
    MeasureCalibration m_calibration;
    int m_nPointColor;
    int m_nLineColor;
    int m_nHandleColor;
    int m_nTextColor;
    std::atomic<bool> m_bDrawMeasurements;
    CAviWriter* m_pAviWriter;           // guarded by m_recordLock
    std::atomic<bool> m_bRecording;     // written under m_recordLock
    bool m_bSaveWithMarker;
    bool m_bSaveWithTime;

protected:
    // The view laid out again from its own client rectangle, `times` times.
    void RelayoutView(int times);
    // The frame of the camera path for a still: false (with the reason shown)
    // when none could be had.
    bool GrabPellixStill(CStillFrame& still);
    bool GrabGraphStill(CStillFrame& still);
    bool GrabHestralStill(CStillFrame& still);
    // The same frames without the still's processing, failures unreported.
    bool GrabPellixFrame(CStillFrame& still, int subX, int subY);
    LPCWSTR GrabGraphFrame(CStillFrame& still, bool uvcSizes);
    bool GrabHestralFrame(CStillFrame& still);
    bool GrabHestralFileFrame(CStillFrame& still);
    bool SaveHestralFile(LPCWSTR path, LPCWSTR ext);

    mutable std::mutex m_maskLock;
    std::shared_ptr<const CLiveMask> m_mask;  // guarded by m_maskLock
    std::mutex m_recordLock;

    afx_msg void OnCapture();
    afx_msg void OnUpdateCapture(CCmdUI* pCmdUI);
    afx_msg void OnFlipHorizontal();
    afx_msg void OnFlipVertical();
    afx_msg void OnUpdateFlipHorizontal(CCmdUI* pCmdUI);
    afx_msg void OnUpdateFlipVertical(CCmdUI* pCmdUI);
    afx_msg void OnReloadCamera();
    afx_msg void OnZoomSuitable();
    afx_msg void OnZoomReal();
    afx_msg void OnUpdateZoomSuitable(CCmdUI* pCmdUI);
    afx_msg void OnUpdateZoomReal(CCmdUI* pCmdUI);
    afx_msg void OnOverlay(UINT id);
    afx_msg void OnUpdateOverlay(CCmdUI* pCmdUI);
    afx_msg void OnMarkerSetting();
    afx_msg void OnUpdateMarkerSetting(CCmdUI* pCmdUI);
    afx_msg void OnFilter(UINT id);
    afx_msg void OnUpdateFilter(CCmdUI* pCmdUI);
    afx_msg void OnMaskOperation(UINT id);
    afx_msg void OnUpdateMaskOperation(CCmdUI* pCmdUI);
    afx_msg void OnUpdateLoadMask(CCmdUI* pCmdUI);
    afx_msg void OnThreshold();
    afx_msg void OnRatio();
    afx_msg void OnMeasurePoint();
    afx_msg void OnMeasureLine();
    afx_msg void OnRecord();
    afx_msg void OnCaptureSettings();
    DECLARE_MESSAGE_MAP()
};
