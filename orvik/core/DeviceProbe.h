// Start-up's check that a camera of the configured type is plugged in: a
// video input device whose friendly name contains the wanted name, and
// (outside Hestral mode) whose capture filter binds and joins a graph.
// Lives for one start-up step, on the stack.
//
// Beside the check it carries a small preview player over the device
// (ChooseDevice to ListFrameSizes); nothing in the program calls it.
#pragma once

// The framework's windows before dshow.h, whose windowsx.h macros would
// otherwise rename the framework's members.
#include <AfxWindows.h>
#include <dshow.h>
#include <qedit.h>

#include <Com.h>

// One frame size the device offers.
struct FrameSizeRecord {
    LONG width;
    LONG height;
    GUID subtype;
};

class CDeviceProbe {
public:
    enum { kDeviceSlots = 10 };

    // Looks the device up and sets m_bFound.
    explicit CDeviceProbe(LPCWSTR name);
    ~CDeviceProbe();
    CDeviceProbe(const CDeviceProbe&) = delete;
    CDeviceProbe& operator=(const CDeviceProbe&) = delete;

    // The device filter in a new graph. E_FAIL (after the no-camera message
    // or the error box) when there is no usable camera.
    HRESULT CreateProbeGraph();
    // Stops and drops the graph and its builder; after every CreateProbeGraph.
    void Release();

    // The preview player.
    void ChooseDevice(IMoniker* device);
    template <class T>
    static void ReleaseInterface(T*& slot)
    {
        if (slot)
            slot->Release();
        slot = nullptr;
    }
    HRESULT BuildGrabberGraph(HWND window);
    HRESULT SetupVideoWindow(HWND window, long left, long top, long width, long height);
    void StopPreview(BOOL stop);
    void TogglePreview();
    void TearDownGraph();
    void RemoveDownstreamFilters(IBaseFilter* filter);
    void EnumerateDevices();
    void ShowDeviceProperties();
    void ListFrameSizes();

    IBaseFilter* GetDeviceFilter() const { return m_pDeviceFilter.Get(); }
    IGraphBuilder* GetGraph() const { return m_pGraph.Get(); }
    // FrameSizeRecord pointers, ascending by height, one per height.
    const CPtrArray& GetFrameSizes() const { return m_FrameSizes; }
    IMoniker* GetDeviceMoniker(int slot) const { return m_pDeviceMonikers[slot]; }
    const CString& GetDeviceName(int slot) const { return m_strDeviceNames[slot]; }

    BOOL m_bFound;

private:
    void LookUp();

    CString m_strWanted;
    Com<IBaseFilter> m_pDeviceFilter;
    Com<ICaptureGraphBuilder2> m_pBuilder;
    Com<IGraphBuilder> m_pGraph;
    Com<ISampleGrabber> m_pGrabber;
    Com<IAMStreamConfig> m_pStreamConfig;
    CPtrArray m_FrameSizes;
    IMoniker* m_pDeviceMonikers[kDeviceSlots];
    CString m_strDeviceNames[kDeviceSlots];
    IMoniker* m_pChosenDevice;
    BOOL m_bPreviewOn;
    HWND m_hOwner;
    LONG m_nVideoWidth;
    LONG m_nVideoHeight;
};

// Fills one slot per video input device, in the enumerator's order: the
// friendly name and the moniker (with a reference of its own); a device
// whose name cannot be read leaves its slot empty. Stops when the table is
// full. Serves the probe's table and the application's.
void EnumerateVideoDevices(IMoniker** monikers, CString* names, int slots);

// The frame sizes of a stream configuration as FrameSizeRecords, ascending by
// height; of several capabilities of one height the first stays.
void ListStreamFrameSizes(IAMStreamConfig* config, CPtrArray& sizes);
void FreeFrameSizes(CPtrArray& sizes);
