// Trevlo: the capture-graph library. CXGraphDll finds the first supported
// USB video camera, builds a DirectShow graph around it (camera -> Sorvane
// -> Smart Tee; capture branch -> Sample Grabber -> Null Renderer; preview
// branch -> a renderer whose window is a child of the caller's) and keeps
// every interface of it until it is torn down.
//
// The field order is part of the interface: hosts carry their own inline
// copies of GetGraph, GetParentWnd and HasCamera.
#pragma once

#include "AfxWindows.h"

#include <dshow.h>
#include <qedit.h>

struct ISorvane;

// Values of IAMVideoProcAmp's properties, passed through unchanged.
enum VIDEOPROPERTY {
    VIDEO_BRIGHTNESS = 0,
    VIDEO_CONTRAST = 1,
    VIDEO_HUE = 2,
    VIDEO_SATURATION = 3,
    VIDEO_SHARPNESS = 4,
    VIDEO_GAMMA = 5,
    VIDEO_COLORENABLE = 6,
    VIDEO_WHITEBALANCE = 7,
    VIDEO_BACKLIGHTCOMPENSATION = 8,
    VIDEO_GAIN = 9,
};

// Values of IAMCameraControl's properties, passed through unchanged.
enum CAMERACONTROL {
    CAMERA_PAN = 0,
    CAMERA_TILT = 1,
    CAMERA_ROLL = 2,
    CAMERA_ZOOM = 3,
    CAMERA_EXPOSURE = 4,
    CAMERA_IRIS = 5,
    CAMERA_FOCUS = 6,
};

// 0 is the horizontal flip; every other value the vertical one.
enum FLIPTYPE {
    FLIP_HORIZONTAL = 0,
    FLIP_VERTICAL = 1,
};

// One frame size the capture pin offers.
struct SizeEntry {
    long width;
    long height;
    GUID subtype;
};

// Set from the chosen device's name: 1 prefers 1600 x 1200, 2 1280 x 1024,
// 3 1024 x 768, 4 800 x 600; 0 chooses nothing.
AFX_EXT_DATA extern int DefaultSizeClass;

// The camera models by name: which ones the default-device search takes and
// at what size, and which name Orvik's probe looks for for a settings
// file's CamType and CamSubType.
struct SupportedCamera {
    LPCWSTR name;
    // -1: not taken by the default-device search; 0: taken, leaving
    // DefaultSizeClass as it is; else the DefaultSizeClass it sets.
    int sizeClass;
    int camType;     // -1: no CamType names it
    int camSubType;  // -1: any CamSubType of camType
};
AFX_EXT_DATA extern const SupportedCamera SupportedCameraNames[17];
// The row of exactly this name, or null.
AFX_EXT_API const SupportedCamera* FindSupportedCamera(LPCWSTR name);
// The name the probe looks for for a CamType and CamSubType, or null.
AFX_EXT_API LPCWSTR CameraNameForType(int camType, int camSubType);

class AFX_EXT_CLASS CXGraphDll {
public:
    CXGraphDll();
    virtual ~CXGraphDll();

    HRESULT InitGraph();
    HRESULT GetDefaultCapDevice(IBaseFilter** ppFilter);
    void GetAllCapDevice();
    HRESULT GetAllAvailSize();
    HRESULT SetDisplayMode(int mode);
    HRESULT GetVideoSize(long& w, long& h);
    HRESULT MakeGraph();
    HRESULT MakeCaptureGraph();
    HRESULT FindCompressor(wchar_t* name, IBaseFilter** ppFilter);
    HRESULT GetSmartTeeCapturePin(IPin** ppPin);
    HRESULT GetSmartTeePreviewPin(IPin** ppPin);
    HRESULT Run();
    HRESULT Pause();
    HRESULT Stop();
    HRESULT MakeGraphRun();
    HRESULT ChangeVideoSize(long w, long h);
    HRESULT SetParentWnd(HWND parent, long x, long y, long cx, long cy);
    HRESULT ShowVideoWindow(BOOL show);
    HRESULT FullScreen();
    HRESULT TearDownGraph();
    HRESULT ClearGraph();
    void Error(wchar_t* text);

    IGraphBuilder* GetGraph() { return m_pGraph; }
    HWND GetParentWnd() { return m_hParentWnd; }
    BOOL HasCamera() { return m_bHasCamera; }

    HRESULT GetRange(VIDEOPROPERTY prop, long* pMin, long* pMax, long* pDefault, long* pReserved);
    HRESULT SetVideoProperty(VIDEOPROPERTY prop, long value, long flags);
    HRESULT GetVideoProperty(VIDEOPROPERTY prop, long* pValue, long* pFlags);
    HRESULT GetCameraControlRange(CAMERACONTROL prop, long* pMin, long* pMax, long* pDefault);
    HRESULT SetCameraControl(CAMERACONTROL prop, long value, BOOL automatic);
    HRESULT GetCameraControl(CAMERACONTROL prop, long* pValue, long* pFlags);
    HRESULT SetFlip(FLIPTYPE type, BOOL on);
    HRESULT GetFlip(FLIPTYPE type, BOOL* pOn);
    HRESULT GetAvgFrameRate(float* pFps);
    HRESULT GetNumNotDropped(long* pFrames);
    HRESULT InitVideoSizeCombo(CComboBox* pCombo);
    // *size in: the bytes `buffer` holds; out: the bytes of the frame. With a
    // null buffer only the size is given.
    HRESULT CaptureToBuf(long* size, BYTE* buffer);
    HRESULT CaptureOneFrame(CString file);
    HRESULT SetCaptureFile(wchar_t* path);
    HRESULT ShowVideoPropertyPages();
    HRESULT ShowSorvanePropertyPages();

    // Forwarders to the processing filter; E_POINTER while there is none.
    HRESULT put_EnableProcess(BOOL b);
    HRESULT put_Flip(BOOL b);
    HRESULT put_Mirror(BOOL b);
    HRESULT put_Gray(BOOL b);
    HRESULT put_Invert(BOOL b);
    HRESULT put_Binary(BOOL b, long threshold);
    HRESULT put_Emboss(BOOL b);
    HRESULT put_Sharp(BOOL b);
    HRESULT put_AddOne(BOOL b);
    HRESULT put_Multiply(BOOL b, long tenths);
    HRESULT put_RgbGain(BOOL b, long r, long g, long bl);
    HRESULT put_MaskOverlay(BOOL b, BYTE** mask);
    HRESULT get_EnableProcess(BOOL* pb);
    HRESULT get_Flip(BOOL* pb);
    HRESULT get_Mirror(BOOL* pb);
    HRESULT get_Gray(BOOL* pb);
    HRESULT get_Invert(BOOL* pb);
    HRESULT get_Binary(BOOL* pb, long* pThreshold);
    HRESULT get_Emboss(BOOL* pb);
    HRESULT get_Sharp(BOOL* pb);
    HRESULT get_AddOne(BOOL* pb);
    HRESULT get_Multiply(BOOL* pb, long* pTenths);
    HRESULT get_RgbGain(BOOL* pb, long* pR, long* pG, long* pB);
    HRESULT get_MaskOverlay(BOOL* pb);

protected:
    ICaptureGraphBuilder2* m_pBuilder;
    IGraphBuilder* m_pGraph;
    ISampleGrabber* m_pGrabber;
    IAMStreamConfig* m_pStreamConfig;
    IBaseFilter* m_pSmartTee;
    IFileSinkFilter* m_pFileSink;
    IBaseFilter* m_pSorvaneFilter;
    ISorvane* m_pSorvane;
    IBaseFilter* m_pCaptureFilter;
    IMoniker* m_apDeviceMonikers[256];
    int m_nDeviceCount;
    HWND m_hParentWnd;
    CString m_astrDeviceNames[256];
    long m_lWidth;
    long m_lHeight;
    CPtrArray m_aSizes;
    int m_nSizeIndex;
    int m_nDisplayMode;
    BOOL m_bHasCamera;

private:
    void Report(LPCWSTR text) { Error(const_cast<wchar_t*>(text)); }
    void ClearSizes();
    void ChooseFormat(bool anyHeight1280);
    HRESULT AddProcessingFilters(bool anyHeight1280);
    HRESULT AddNewFilter(REFCLSID clsid, LPCWSTR name, LPCWSTR failure, IBaseFilter** ppFilter);
    HRESULT ConnectThroughSmartTee(IPin** teeCapture, IPin** teePreview);
    HRESULT SmartTeePin(LPCWSTR id, IPin** ppPin);
    HRESULT ShowPages(IBaseFilter* filter);
    void HideVideoWindow();
};
