// Trevlo as Orvik uses it: linked at load time, run against the simulated
// UVC cameras and the registered Sorvane, inside Wine's DirectShow.
#include "Trevlo.h"

#include "AfxTestScript.h"
#include "Sorvane.h"
#include "UvcCamInstall.h"
#include "UvcDevices.h"
#include "UvcScene.h"
#include "WmvRle.h"

#include <gtest/gtest.h>
#include <psapi.h>
#include <vfw.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

const BYTE kPatchRgb[8][3] = {{160, 32, 32},  {32, 160, 32},  {32, 32, 160},   {160, 160, 32},
                              {32, 160, 160}, {160, 32, 160}, {224, 224, 224}, {16, 16, 16}};


// Takes a registered plug-in's filters out of the registry for a while
// (the stand-in compressor, for the machine that has none), and files them
// again when it goes.
class ServerAway {
public:
    explicit ServerAway(LPCWSTR module)
    {
        m_module = LoadLibraryW(module);
        if (m_module)
            m_hr = Call("DllUnregisterServer");
    }
    ~ServerAway()
    {
        if (m_module) {
            Call("DllRegisterServer");
            FreeLibrary(m_module);
        }
    }
    HRESULT Result() const { return m_hr; }

private:
    HRESULT Call(const char* name)
    {
        using Fn = HRESULT(STDAPICALLTYPE*)();
        Fn fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m_module, name)));
        return fn ? fn() : E_FAIL;
    }
    HMODULE m_module = nullptr;
    HRESULT m_hr = E_FAIL;
};

// Takes the other video input devices of the suite (the Zentu camera) out of
// the category, so that it holds only the simulated cameras.
class OtherDevicesAway : public ServerAway {
public:
    OtherDevicesAway() : ServerAway(ZENTU_AX) {}
};

// Files one of the stand-in sinks under a platform class for a while, in
// place of Wine's filter, and puts Wine's back when it goes: a File Writer
// whose pin offers the IStream that AVI Mux writes through, and a Video
// Mixing Renderer that takes RGB24 (Wine's lack both). Wine's server is kept
// aside in the registry too, so that a run that crashed is mended by the next.
class SinkStandin {
public:
    explicit SinkStandin(LPCWSTR clsid) : m_clsid(clsid)
    {
        const std::wstring key = std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32";
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &m_key) !=
                ERROR_SUCCESS ||
            RegCreateKeyExW(HKEY_CURRENT_USER, kAside, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                            &m_aside, nullptr) != ERROR_SUCCESS)
            return;
        const std::wstring current = Read(m_key, nullptr);
        m_saved = Read(m_aside, clsid);
        if (m_saved.empty() && current != DSSINKS_AX) {
            m_saved = current;
            Write(m_aside, clsid, m_saved);
        }
        m_ok = !m_saved.empty() && Write(m_key, nullptr, DSSINKS_AX);
    }
    ~SinkStandin()
    {
        if (m_ok && Write(m_key, nullptr, m_saved))
            RegDeleteValueW(m_aside, m_clsid);
        if (m_key)
            RegCloseKey(m_key);
        if (m_aside)
            RegCloseKey(m_aside);
    }
    bool Ok() const { return m_ok; }
    // Puts back what a run that crashed left filed.
    static void Mend()
    {
        for (LPCWSTR clsid : {kFileWriter, kVideoRenderer}) {
            SinkStandin s(clsid);
        }
    }
    static constexpr LPCWSTR kFileWriter = L"{8596E5F0-0DA5-11D0-BD21-00A0C911CE86}";
    static constexpr LPCWSTR kVideoRenderer = L"{B87BEB7B-8D29-423F-AE4D-6582C10175AC}";

private:
    static constexpr LPCWSTR kAside = L"Software\\Veltrane\\TrevloTest\\SinkServers";
    static std::wstring Read(HKEY key, LPCWSTR name)
    {
        WCHAR value[MAX_PATH] = {};
        DWORD bytes = sizeof(value) - sizeof(WCHAR);
        if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &bytes) != ERROR_SUCCESS)
            return std::wstring();
        return value;
    }
    static bool Write(HKEY key, LPCWSTR name, const std::wstring& value)
    {
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              DWORD((value.size() + 1) * sizeof(WCHAR))) == ERROR_SUCCESS;
    }
    LPCWSTR m_clsid;
    HKEY m_key = nullptr;
    HKEY m_aside = nullptr;
    std::wstring m_saved;
    bool m_ok = false;
};

// Handles the thread's messages while waiting, as the host's message loop does.
void Pump(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        const LONG left = LONG(end - GetTickCount());
        if (left <= 0)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(left < 20 ? left : 20), QS_ALLINPUT);
    }
}

struct Frame {
    int width = 0, height = 0;
    std::vector<BYTE> dib;
    // (R, G, B) at x, y counted from the top row.
    void Rgb(int x, int y, int rgb[3]) const
    {
        const int stride = (width * 3 + 3) & ~3;
        const BYTE* p = &dib[size_t(height - 1 - y) * stride + size_t(x) * 3];
        rgb[0] = p[2];
        rgb[1] = p[1];
        rgb[2] = p[0];
    }
    bool Near(int x, int y, int r, int g, int b, int tolerance = 2) const
    {
        int c[3];
        Rgb(x, y, c);
        return abs(c[0] - r) <= tolerance && abs(c[1] - g) <= tolerance && abs(c[2] - b) <= tolerance;
    }
    bool PatchesAt(int row, bool mirrored) const
    {
        for (int i = 0; i < 8; ++i) {
            const int k = mirrored ? 7 - i : i;
            if (!Near((2 * i + 1) * width / 16, row, kPatchRgb[k][0], kPatchRgb[k][1], kPatchRgb[k][2]))
                return false;
        }
        return true;
    }
    int GreyAt() const
    {
        int c[3];
        Rgb(width / 8, height * 3 / 8, c);
        return c[1];
    }
};

// The current frame, or false after `ms` without one.
bool Grab(CXGraphDll& g, Frame* f, long w, long h, DWORD ms = 5000)
{
    const DWORD end = GetTickCount() + ms;
    do {
        long size = 0;
        if (g.CaptureToBuf(&size, nullptr) == S_OK && size > 0) {
            f->width = w;
            f->height = h;
            f->dib.assign(size_t(size), 0);
            if (g.CaptureToBuf(&size, f->dib.data()) == S_OK && size == long(f->dib.size()))
                return true;
        }
        Pump(20);
    } while (LONG(end - GetTickCount()) > 0);
    return false;
}

// Grabs until a frame satisfies `ok` (settings take a few frames to show).
bool GrabUntil(CXGraphDll& g, Frame* f, long w, long h, const std::function<bool(const Frame&)>& ok,
               DWORD ms = 4000)
{
    const DWORD end = GetTickCount() + ms;
    do {
        if (Grab(g, f, w, h) && ok(*f))
            return true;
        Pump(30);
    } while (LONG(end - GetTickCount()) > 0);
    return false;
}

std::vector<std::wstring> FilterNames(IGraphBuilder* graph)
{
    std::vector<std::wstring> names;
    IEnumFilters* filters = nullptr;
    if (!graph || FAILED(graph->EnumFilters(&filters)))
        return names;
    IBaseFilter* f = nullptr;
    while (filters->Next(1, &f, nullptr) == S_OK) {
        FILTER_INFO info = {};
        if (SUCCEEDED(f->QueryFilterInfo(&info))) {
            names.push_back(info.achName);
            if (info.pGraph)
                info.pGraph->Release();
        }
        f->Release();
    }
    filters->Release();
    return names;
}

bool Has(const std::vector<std::wstring>& v, LPCWSTR name)
{
    for (const auto& s : v)
        if (s == name)
            return true;
    return false;
}

// The boxes recorded since the last call, as the seam records them.
std::wstring Boxes()
{
    std::wstring record = LPCWSTR(AfxTestGetRecord());
    AfxTestClearRecord();
    return record;
}

// One "Error!" box with its style MB_OK | MB_TASKMODAL | MB_SETFOREGROUND.
std::wstring ErrorBox(const std::wstring& text)
{
    return L"msgbox|Error!|" + text + L"|0x12000\n";
}

// A host window on the virtual display, as Orvik's video window.
class HostWindow {
public:
    HostWindow(int w, int h)
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TrevloTestHost";
        wc.hbrBackground = HBRUSH(GetStockObject(BLACK_BRUSH));
        RegisterClassW(&wc);
        m_hwnd = CreateWindowExW(WS_EX_TOPMOST, L"TrevloTestHost", L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                 0, 0, w, h, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~HostWindow() { DestroyWindow(m_hwnd); }
    HWND Get() const { return m_hwnd; }

private:
    HWND m_hwnd = nullptr;
};

BOOL CALLBACK FirstChild(HWND hwnd, LPARAM p)
{
    *reinterpret_cast<HWND*>(p) = hwnd;
    return FALSE;
}

ULONG NextHandleSlot()
{
    HANDLE h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const ULONG slot = HandleToULong(h);
    CloseHandle(h);
    return slot;
}

HRESULT ModuleCanUnload(LPCWSTR module)
{
    HMODULE h = GetModuleHandleW(module);
    if (!h)
        return S_OK;
    auto fn = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(h, "DllCanUnloadNow")));
    return fn ? fn() : E_FAIL;
}

template <class T>
struct Ref {
    T* p = nullptr;
    ~Ref() { if (p) p->Release(); }
    T* operator->() const { return p; }
    void** Out() { return reinterpret_cast<void**>(&p); }
};

IPin* PinById(IBaseFilter* f, LPCWSTR want, PIN_DIRECTION dir)
{
    IEnumPins* pins = nullptr;
    f->EnumPins(&pins);
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION d;
        LPWSTR id = nullptr;
        pin->QueryDirection(&d);
        pin->QueryId(&id);
        const bool match = d == dir && (!want || wcscmp(id, want) == 0);
        CoTaskMemFree(id);
        if (match)
            break;
        pin->Release();
        pin = nullptr;
    }
    pins->Release();
    return pin;
}

// The same preview of the first camera with Wine's filters alone (camera ->
// Smart Tee -> whatever renders the preview pin), run and torn down: what
// Wine's own parts cost per cycle.
void WineOnlyCycle(HWND host)
{
    Ref<IGraphBuilder> graph;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                              graph.Out()));
    Ref<ICreateDevEnum> devices;
    Ref<IEnumMoniker> monikers;
    Ref<IMoniker> moniker;
    Ref<IBaseFilter> camera, tee;
    CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum, devices.Out());
    ASSERT_EQ(devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers.p, 0), S_OK);
    ASSERT_EQ(monikers->Next(1, &moniker.p, nullptr), S_OK);
    ASSERT_HRESULT_SUCCEEDED(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, camera.Out()));
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_SmartTee, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                              tee.Out()));
    graph->AddFilter(camera.p, L"Cap");
    graph->AddFilter(tee.p, L"Smart Tee");
    Ref<IPin> out, in, preview;
    out.p = PinById(camera.p, nullptr, PINDIR_OUTPUT);
    in.p = PinById(tee.p, nullptr, PINDIR_INPUT);
    ASSERT_HRESULT_SUCCEEDED(graph->Connect(out.p, in.p));
    preview.p = PinById(tee.p, L"Preview", PINDIR_OUTPUT);
    ASSERT_HRESULT_SUCCEEDED(graph->Render(preview.p));
    Ref<IVideoWindow> window;
    Ref<IMediaControl> control;
    graph->QueryInterface(IID_IVideoWindow, window.Out());
    graph->QueryInterface(IID_IMediaControl, control.Out());
    window->put_Owner(reinterpret_cast<OAHWND>(host));
    window->put_WindowStyle(WS_CHILD | WS_VISIBLE);
    control->Run();
    Pump(100);
    control->Stop();
    window->put_Visible(OAFALSE);
    window->put_Owner(0);
    for (;;) {
        Ref<IEnumFilters> filters;
        Ref<IBaseFilter> f;
        graph->EnumFilters(&filters.p);
        if (filters->Next(1, &f.p, nullptr) != S_OK || FAILED(graph->RemoveFilter(f.p)))
            break;
    }
}

class Trevlo : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        AfxTestSetScript(L"");
        AfxTestClearRecord();
        DefaultSizeClass = 0;
        SinkStandin::Mend();
    }
    void TearDown() override
    {
        AfxTestSetScript(nullptr);
        CoUninitialize();
    }
};

// Sees the object's protected tables, as a subclass may.
struct Probe : CXGraphDll {
    using CXGraphDll::m_astrDeviceNames;
    using CXGraphDll::m_nDeviceCount;
    using CXGraphDll::m_pCaptureFilter;
    using CXGraphDll::m_aSizes;
};

// The one model table answers both questions: the name Orvik's probe looks
// for, and whether the default-device search takes it.
TEST(SupportedCameras, ProbeNamesByTypeAndTheSearchTakesEveryUvcOne)
{
    const struct {
        int camType, camSubType;
        LPCWSTR name;  // null: none
    } cases[] = {
        {0, 0, L"Camera-S3K"}, {0, 9, L"Camera-S3K"}, {2, 0, L"Vantor-Q7L"}, {2, 1, L"Hollin W8K"},
        {2, 4, L"K-LB4.2"},    {2, 7, L"Camera-J60"}, {3, 0, L"Vantor-T6M"}, {6, 2, L"Vantor-T8M"},
        {2, 8, nullptr},       {2, -1, nullptr},      {7, 0, nullptr},       {-1, -1, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.camType << "/" << c.camSubType);
        const LPCWSTR name = CameraNameForType(c.camType, c.camSubType);
        if (!c.name)
            EXPECT_EQ(name, nullptr);
        else
            EXPECT_STREQ(name, c.name);
    }
    // CamType 2 cameras are opened through this library: each must be one
    // its search takes.
    for (int sub = 0; sub <= 7; ++sub) {
        SCOPED_TRACE(sub);
        const SupportedCamera* model = FindSupportedCamera(CameraNameForType(2, sub));
        ASSERT_NE(model, nullptr);
        EXPECT_GE(model->sizeClass, 0);
    }
    // Exact names only.
    EXPECT_EQ(FindSupportedCamera(L"Camera-R5V "), nullptr);
    EXPECT_EQ(FindSupportedCamera(nullptr), nullptr);
}

// The chosen device shows by a setting made through the object arriving at
// that device of the simulator.
TEST_F(Trevlo, ChoosesTheFirstDeviceWhoseNameIsSupportedExactly)
{
    struct Case {
        LPCWSTR installed;
        LPCWSTR chosen;  // null: none
        int sizeClass;
        long w, h;       // after SetDisplayMode(0)
    } cases[] = {
        {L"Camera-S3K;Camera-R5V", L"Camera-R5V", 1, 1600, 1200},
        {L"Hollin W8K;Camera-R5V", L"Hollin W8K", 2, 1280, 1024},
        {L"Camera-J40;Camera-J20", L"Camera-J40", 3, 1024, 768},
        {L"Vantor-T4M", L"Vantor-T4M", 0, 0, 0},
        {L"camera-r5v;Camera-R5V2;Camera-R5V ", nullptr, 0, 0, 0},
        {L"", nullptr, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "installed " << testing::PrintToString(std::wstring(c.installed)));
        ScopedCameras cameras(c.installed);
        ASSERT_HRESULT_SUCCEEDED(cameras.Result());
        DefaultSizeClass = 0;
        AfxTestSetScript(L"msgbox IDOK");
        Boxes();
        Probe g;
        const HRESULT hr = g.InitGraph();
        if (!c.chosen) {
            EXPECT_EQ(hr, E_FAIL);
            EXPECT_FALSE(g.HasCamera());
            EXPECT_EQ(Boxes(), ErrorBox(L"Could not get the capture device"));
            long w = 1, h = 1;
            EXPECT_EQ(g.GetVideoSize(w, h), E_POINTER);
        } else {
            EXPECT_EQ(hr, S_OK);
            EXPECT_TRUE(g.HasCamera());
            EXPECT_TRUE(Boxes().empty());
            EXPECT_EQ(DefaultSizeClass, c.sizeClass);
            ASSERT_EQ(g.SetVideoProperty(VIDEO_BRIGHTNESS, 7, 2), S_OK);
            EXPECT_EQ(UvcDevice(c.chosen)->procAmp[VideoProcAmp_Brightness], 7);
            EXPECT_EQ(g.GetAllAvailSize(), S_OK);
            EXPECT_EQ(g.SetDisplayMode(0), S_OK);
            long w = -1, h = -1;
            EXPECT_EQ(g.GetVideoSize(w, h), S_OK);
            EXPECT_EQ(w, c.w);
            EXPECT_EQ(h, c.h);
        }
        g.TearDownGraph();
        g.ClearGraph();
    }
}

TEST_F(Trevlo, ListsEveryDeviceAndReportsAnEmptyCategoryOnce)
{
    OtherDevicesAway away;
    ASSERT_HRESULT_SUCCEEDED(away.Result());
    {
        ScopedCameras cameras(L"Camera-S3K;Camera-R5V;Hollin W8K");
        ASSERT_HRESULT_SUCCEEDED(cameras.Result());
        Probe g;
        g.GetAllCapDevice();
        ASSERT_EQ(g.m_nDeviceCount, 3);
        EXPECT_EQ(std::wstring(g.m_astrDeviceNames[0]), L"Camera-S3K");
        EXPECT_EQ(std::wstring(g.m_astrDeviceNames[2]), L"Hollin W8K");
        g.GetAllCapDevice();  // again: the old monikers go
        EXPECT_EQ(g.m_nDeviceCount, 3);
        EXPECT_TRUE(Boxes().empty());
    }
    ScopedCameras none(L"");
    Probe g;
    AfxTestSetScript(L"msgbox IDOK");
    g.GetAllCapDevice();
    EXPECT_EQ(g.m_nDeviceCount, 0);
    EXPECT_EQ(Boxes(), ErrorBox(L"Sorry, you have no video capture hardware.\r\n\r\nVideo "
                                                 L"capture will not function properly."));
}

// The size list is the capabilities reversed; mode 1 takes the first width
// of 1280 or 1024; other modes choose nothing.
TEST_F(Trevlo, SizeListAndDisplayModes)
{
    ScopedCameras cameras(L"Camera-R5V");
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    Probe g;
    EXPECT_EQ(g.GetAllAvailSize(), E_POINTER);
    ASSERT_EQ(g.InitGraph(), S_OK);
    ASSERT_EQ(g.GetAllAvailSize(), S_OK);
    ASSERT_EQ(g.m_aSizes.GetSize(), 5);
    const long widths[] = {1600, 1280, 1024, 800, 640};
    for (int i = 0; i < 5; ++i) {
        const SizeEntry* e = static_cast<const SizeEntry*>(g.m_aSizes.GetAt(i));
        EXPECT_EQ(e->width, widths[i]);
        EXPECT_TRUE(e->subtype == MEDIASUBTYPE_RGB24);
    }
    long w = 0, h = 0;
    g.SetDisplayMode(7);
    g.GetVideoSize(w, h);
    EXPECT_EQ(w, 0);
    g.SetDisplayMode(1);
    g.GetVideoSize(w, h);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 1024);
    g.SetDisplayMode(0);
    g.GetVideoSize(w, h);
    EXPECT_EQ(w, 1600);

    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"combo host", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr));
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | CBS_DROPDOWNLIST, CRect(0, 0, 150, 100), &parent, 5));
    combo.AddString(L"stale");
    EXPECT_EQ(g.InitVideoSizeCombo(&combo), S_OK);
    ASSERT_EQ(combo.GetCount(), 5);
    CString text;
    combo.GetLBText(0, text);
    EXPECT_EQ(std::wstring(text), L"1600 X 1200");
    combo.GetLBText(4, text);
    EXPECT_EQ(std::wstring(text), L"640 X 480");
    EXPECT_EQ(combo.GetCurSel(), 0);
    EXPECT_EQ(g.InitVideoSizeCombo(nullptr), E_POINTER);
    parent.DestroyWindow();
    g.ClearGraph();
}

// Orvik's sequence, then the pixels: the host window, the grabbed frames,
// Sorvane's flips, the camera's own settings and flips.
TEST_F(Trevlo, PreviewGraphShowsTheChartAndCarriesEverySetting)
{
    ScopedCameras cameras(L"Camera-J20");
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    HostWindow host(320, 240);
    ASSERT_NE(host.Get(), nullptr);
    CXGraphDll g;
    EXPECT_EQ(g.put_EnableProcess(TRUE), E_POINTER);  // no graph yet
    ASSERT_EQ(g.InitGraph(), S_OK);
    ASSERT_EQ(g.GetAllAvailSize(), S_OK);
    g.SetDisplayMode(0);
    long w = 0, h = 0;
    g.GetVideoSize(w, h);
    ASSERT_EQ(w, 1024);
    ASSERT_EQ(h, 768);
    ASSERT_EQ(g.MakeGraph(), S_OK);
    long size = 0;
    EXPECT_EQ(g.CaptureToBuf(&size, nullptr), VFW_E_WRONG_STATE);  // nothing grabbed yet
    EXPECT_EQ(g.SetParentWnd(host.Get(), 0, 0, 320, 240), S_OK);
    EXPECT_EQ(g.GetParentWnd(), host.Get());
    EXPECT_EQ(g.put_EnableProcess(TRUE), S_OK);
    ASSERT_HRESULT_SUCCEEDED(g.Run());

    const auto names = FilterNames(g.GetGraph());
    for (LPCWSTR n : {L"Cap", L"Kelm Sorvane", L"Smart Tee", L"Grabber", L"NULL renderer"})
        EXPECT_TRUE(Has(names, n)) << testing::PrintToString(std::wstring(n));
    // The graph's VMR-7 stays only while the preview goes to it; Wine's takes
    // none of these formats, and an idle one would answer for the video window.
    if (Has(names, L"VM7 renderer")) {
        Ref<IBaseFilter> vmr;
        ASSERT_HRESULT_SUCCEEDED(g.GetGraph()->FindFilterByName(L"VM7 renderer", &vmr.p));
        Ref<IPin> in, peer;
        in.p = PinById(vmr.p, nullptr, PINDIR_INPUT);
        ASSERT_NE(in.p, nullptr);
        EXPECT_EQ(in.p->ConnectedTo(&peer.p), S_OK) << "an idle VMR-7 left in the graph";
    }

    Frame f;
    ASSERT_TRUE(Grab(g, &f, w, h)) << "no frame reached the grabber";
    EXPECT_EQ(f.dib.size(), size_t(1024 * 3 * 768));
    EXPECT_TRUE(f.PatchesAt(h / 8, false));
    EXPECT_EQ(f.GreyAt(), 128);

    // The renderer's window is a child of the host and shows the chart.
    HWND child = nullptr;
    EnumChildWindows(host.Get(), FirstChild, LPARAM(&child));
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(GetWindowLongW(child, GWL_STYLE) & WS_CHILD);
    EXPECT_TRUE(IsWindowVisible(child));
    RECT rc;
    GetWindowRect(child, &rc);
    EXPECT_EQ(rc.right - rc.left, 320);
    EXPECT_EQ(rc.bottom - rc.top, 240);
    bool chart = false;
    for (int attempt = 0; attempt < 40 && !chart; ++attempt) {
        Pump(50);
        HDC dc = GetDC(child);
        chart = true;
        for (int i = 0; i < 8 && chart; ++i) {
            const COLORREF c = GetPixel(dc, (2 * i + 1) * 320 / 16, 240 / 8);
            chart = abs(GetRValue(c) - kPatchRgb[i][0]) <= 8 && abs(GetGValue(c) - kPatchRgb[i][1]) <= 8 &&
                    abs(GetBValue(c) - kPatchRgb[i][2]) <= 8;
        }
        ReleaseDC(child, dc);
    }
    EXPECT_TRUE(chart) << "the host window does not show the chart";
    EXPECT_EQ(g.ShowVideoWindow(FALSE), S_OK);
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_EQ(g.ShowVideoWindow(TRUE), S_OK);
    EXPECT_TRUE(IsWindowVisible(child));

    // Sorvane's vertical flip and mirror.
    EXPECT_EQ(g.put_Flip(TRUE), S_OK);
    EXPECT_TRUE(GrabUntil(g, &f, w, h, [&](const Frame& x) { return x.PatchesAt(h - 1 - h / 8, false); }));
    EXPECT_EQ(g.put_Mirror(TRUE), S_OK);
    EXPECT_TRUE(GrabUntil(g, &f, w, h, [&](const Frame& x) { return x.PatchesAt(h - 1 - h / 8, true); }));
    g.put_Flip(FALSE);
    g.put_Mirror(FALSE);
    EXPECT_TRUE(GrabUntil(g, &f, w, h, [&](const Frame& x) { return x.PatchesAt(h / 8, false); }));

    // Properties: the simulator's ranges, and a value set shows in the frame.
    long mn = 0, mx = 0, def = 0;
    EXPECT_EQ(g.GetRange(VIDEO_BRIGHTNESS, &mn, &mx, &def, nullptr), S_OK);
    EXPECT_EQ(mn, -10);
    EXPECT_EQ(mx, 10);
    EXPECT_EQ(def, 0);
    EXPECT_EQ(g.GetRange(VIDEO_GAMMA, &mn, &mx, &def, nullptr), S_OK);
    EXPECT_EQ(mn, 100);
    EXPECT_EQ(mx, 300);
    EXPECT_EQ(g.GetRange(VIDEO_BRIGHTNESS, &mn, &mx, nullptr, nullptr), E_FAIL);
    EXPECT_EQ(g.SetVideoProperty(VIDEO_BRIGHTNESS, 5, 2), S_OK);
    long value = 0, flags = 0;
    EXPECT_EQ(g.GetVideoProperty(VIDEO_BRIGHTNESS, &value, &flags), S_OK);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(flags, 2);
    EXPECT_EQ(g.GetVideoProperty(VIDEO_BRIGHTNESS, nullptr, &flags), E_FAIL);
    EXPECT_TRUE(GrabUntil(g, &f, w, h, [](const Frame& x) { return x.GreyAt() == 148; })) << f.GreyAt();
    g.SetVideoProperty(VIDEO_BRIGHTNESS, 0, 2);

    // Camera controls: exposure one step up doubles every value.
    EXPECT_EQ(g.GetCameraControlRange(CAMERA_EXPOSURE, &mn, &mx, &def), S_OK);
    EXPECT_EQ(mn, -7);
    EXPECT_EQ(mx, -1);
    EXPECT_EQ(def, -4);
    EXPECT_EQ(g.SetCameraControl(CAMERA_EXPOSURE, -5, FALSE), S_OK);
    EXPECT_EQ(g.GetCameraControl(CAMERA_EXPOSURE, &value, &flags), S_OK);
    EXPECT_EQ(value, -5);
    EXPECT_EQ(flags, CameraControl_Flags_Manual);
    EXPECT_TRUE(GrabUntil(g, &f, w, h, [](const Frame& x) { return x.GreyAt() == 64; })) << f.GreyAt();
    EXPECT_EQ(g.SetCameraControl(CAMERA_EXPOSURE, -5, TRUE), S_OK);
    g.GetCameraControl(CAMERA_EXPOSURE, &value, &flags);
    EXPECT_EQ(flags, CameraControl_Flags_Auto);
    EXPECT_TRUE(GrabUntil(g, &f, w, h, [](const Frame& x) { return x.GreyAt() == 128; })) << f.GreyAt();

    // The camera's own flips: both flags held at once, each read back.
    EXPECT_EQ(g.SetFlip(FLIP_VERTICAL, TRUE), S_OK);
    EXPECT_EQ(g.SetFlip(FLIP_HORIZONTAL, TRUE), S_OK);
    BOOL on = FALSE;
    EXPECT_EQ(g.GetFlip(FLIPTYPE(5), &on), S_OK);
    EXPECT_TRUE(on);
    EXPECT_TRUE(GrabUntil(g, &f, w, h, [&](const Frame& x) { return x.PatchesAt(h - 1 - h / 8, true); }));
    EXPECT_EQ(g.SetFlip(FLIP_VERTICAL, FALSE), S_OK);
    EXPECT_EQ(g.GetFlip(FLIP_VERTICAL, &on), S_OK);
    EXPECT_FALSE(on);
    EXPECT_EQ(g.GetFlip(FLIP_HORIZONTAL, &on), S_OK);
    EXPECT_TRUE(on);
    EXPECT_TRUE(GrabUntil(g, &f, w, h, [&](const Frame& x) { return x.PatchesAt(h / 8, true); }));
    g.SetFlip(FLIP_HORIZONTAL, FALSE);

    // Counters come from the camera's pin.
    float fps = 0;
    EXPECT_EQ(g.GetAvgFrameRate(&fps), S_OK);
    EXPECT_GT(fps, 0.0f);
    long frames = 0;
    EXPECT_EQ(g.GetNumNotDropped(&frames), S_OK);
    EXPECT_GT(frames, 0);

    EXPECT_EQ(g.FullScreen(), S_OK);
    EXPECT_EQ(g.Pause(), S_OK);
    EXPECT_EQ(g.Stop(), S_OK);
    EXPECT_EQ(g.TearDownGraph(), S_OK);
    EXPECT_EQ(FilterNames(g.GetGraph()), std::vector<std::wstring>{L"Cap"});
    EXPECT_EQ(g.put_Flip(TRUE), E_POINTER);
    EXPECT_EQ(g.CaptureToBuf(&size, nullptr), E_POINTER);
    g.ClearGraph();
    EXPECT_EQ(g.GetGraph(), nullptr);
    EXPECT_TRUE(Boxes().empty());
}

// Each forwarder reaches the filter: set through Trevlo, read back through
// the filter's own interface, and read through Trevlo.
TEST_F(Trevlo, ForwardersReachSorvane)
{
    ScopedCameras cameras(L"Vantor-T4M");
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    CXGraphDll g;
    BOOL b = FALSE;
    long v1 = 0, v2 = 0, v3 = 0;
    EXPECT_EQ(g.get_Gray(&b), E_POINTER);
    EXPECT_EQ(g.put_RgbGain(TRUE, 1, 2, 3), E_POINTER);
    ASSERT_EQ(g.InitGraph(), S_OK);
    ASSERT_EQ(g.MakeGraph(), S_OK);
    IBaseFilter* filter = nullptr;
    ASSERT_EQ(g.GetGraph()->FindFilterByName(L"Kelm Sorvane", &filter), S_OK);
    ISorvane* s = nullptr;
    ASSERT_EQ(filter->QueryInterface(IID_ISorvane, reinterpret_cast<void**>(&s)), S_OK);
    filter->Release();

    struct Flag {
        HRESULT (CXGraphDll::*put)(BOOL);
        HRESULT (CXGraphDll::*get)(BOOL*);
        HRESULT (STDMETHODCALLTYPE ISorvane::*direct)(BOOL*);
    } flags[] = {
        {&CXGraphDll::put_EnableProcess, &CXGraphDll::get_EnableProcess, &ISorvane::get_EnableProcess},
        {&CXGraphDll::put_Flip, &CXGraphDll::get_Flip, &ISorvane::get_Flip},
        {&CXGraphDll::put_Mirror, &CXGraphDll::get_Mirror, &ISorvane::get_Mirror},
        {&CXGraphDll::put_Gray, &CXGraphDll::get_Gray, &ISorvane::get_Gray},
        {&CXGraphDll::put_Invert, &CXGraphDll::get_Invert, &ISorvane::get_Invert},
        {&CXGraphDll::put_Emboss, &CXGraphDll::get_Emboss, &ISorvane::get_Emboss},
        {&CXGraphDll::put_Sharp, &CXGraphDll::get_Sharp, &ISorvane::get_Sharp},
        {&CXGraphDll::put_AddOne, &CXGraphDll::get_AddOne, &ISorvane::get_AddOne},
    };
    for (size_t i = 0; i < sizeof(flags) / sizeof(flags[0]); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ((g.*flags[i].put)(TRUE), S_OK);
        b = FALSE;
        EXPECT_EQ((s->*flags[i].direct)(&b), S_OK);
        EXPECT_TRUE(b);
        b = FALSE;
        EXPECT_EQ((g.*flags[i].get)(&b), S_OK);
        EXPECT_TRUE(b);
        EXPECT_EQ((g.*flags[i].put)(FALSE), S_OK);
        EXPECT_EQ((s->*flags[i].direct)(&b), S_OK);
        EXPECT_FALSE(b);
    }
    EXPECT_EQ(g.put_Binary(TRUE, 77), S_OK);
    s->get_Binary(&b, &v1);
    EXPECT_TRUE(b);
    EXPECT_EQ(v1, 77);
    g.get_Binary(&b, &v2);
    EXPECT_EQ(v2, 77);
    EXPECT_EQ(g.put_Multiply(TRUE, 15), S_OK);
    s->get_Multiply(&b, &v1);
    EXPECT_EQ(v1, 15);
    g.get_Multiply(&b, &v2);
    EXPECT_EQ(v2, 15);
    EXPECT_EQ(g.put_RgbGain(TRUE, 4, -5, 6), S_OK);
    s->get_RgbGain(&b, &v1, &v2, &v3);
    EXPECT_EQ(v1, 4);
    EXPECT_EQ(v2, -5);
    EXPECT_EQ(v3, 6);
    v1 = v2 = v3 = 0;
    g.get_RgbGain(&b, &v1, &v2, &v3);
    EXPECT_EQ(v2, -5);
    std::vector<BYTE> mask(640 * 480 * 3);
    BYTE* maskPtr = mask.data();
    EXPECT_EQ(g.put_MaskOverlay(TRUE, &maskPtr), S_OK);
    s->get_MaskOverlay(&b);
    EXPECT_TRUE(b);
    g.put_MaskOverlay(FALSE, &maskPtr);
    g.get_MaskOverlay(&b);
    EXPECT_FALSE(b);
    s->Release();
    g.TearDownGraph();
    EXPECT_EQ(g.get_Gray(&b), E_POINTER);
    g.ClearGraph();
}

// The single-frame BMP, parsed byte by byte, and the buffer the caller owns.
TEST_F(Trevlo, FrameGrabsIntoMemoryAndIntoABitmapFile)
{
    ScopedCameras cameras(L"Vantor-T4M");
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    CXGraphDll g;
    long size = 0;
    EXPECT_EQ(g.CaptureToBuf(&size, nullptr), E_POINTER);
    EXPECT_EQ(g.CaptureOneFrame(CString(L"C:\\trevlo_none.bmp")), E_POINTER);
    ASSERT_EQ(g.InitGraph(), S_OK);
    g.GetAllAvailSize();
    g.SetDisplayMode(0);  // the T4M has no size class: the camera keeps 640 x 480
    ASSERT_EQ(g.MakeGraph(), S_OK);
    ASSERT_HRESULT_SUCCEEDED(g.Run());
    Frame f;
    ASSERT_TRUE(Grab(g, &f, 640, 480));
    ASSERT_EQ(g.Pause(), S_OK);  // the last frame stays put
    Pump(200);
    ASSERT_TRUE(Grab(g, &f, 640, 480));
    EXPECT_EQ(f.dib.size(), size_t(921600));
    EXPECT_TRUE(f.PatchesAt(60, false));

    // A buffer smaller than the frame is never written.
    std::vector<BYTE> small(1000 + 16, 0xA5);
    size = 1000;
    EXPECT_EQ(g.CaptureToBuf(&size, small.data()), E_OUTOFMEMORY);
    EXPECT_EQ(size, 921600);
    for (BYTE c : small)
        ASSERT_EQ(c, 0xA5);

    WCHAR dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"trevlo_frame.bmp";
    DeleteFileW(path.c_str());
    ASSERT_EQ(g.CaptureOneFrame(CString(path.c_str())), S_OK);
    FILE* file = _wfopen(path.c_str(), L"rb");
    ASSERT_NE(file, nullptr);
    std::vector<BYTE> bytes(1000000);
    bytes.resize(fread(bytes.data(), 1, bytes.size(), file));
    fclose(file);
    ASSERT_EQ(bytes.size(), size_t(921658));
    auto u32 = [&](size_t at) { DWORD v; memcpy(&v, &bytes[at], 4); return v; };
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(u32(2), 921658u);
    EXPECT_EQ(u32(6), 0u);
    EXPECT_EQ(u32(10), 58u);
    BITMAPINFOHEADER bih;
    memcpy(&bih, &bytes[14], 40);
    EXPECT_EQ(bih.biSize, 40u);
    EXPECT_EQ(bih.biWidth, 640);
    EXPECT_EQ(bih.biHeight, 480);
    EXPECT_EQ(bih.biBitCount, 24);
    EXPECT_EQ(u32(54), 0u);
    EXPECT_TRUE(std::equal(f.dib.begin(), f.dib.end(), bytes.begin() + 58));
    DeleteFileW(path.c_str());

    // A file that cannot be made is a failure, and leaves nothing.
    const std::wstring bad = std::wstring(dir) + L"trevlo_no_such_folder\\frame.bmp";
    const HRESULT hr = g.CaptureOneFrame(CString(bad.c_str()));
    EXPECT_EQ(hr, HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(bad.c_str()), INVALID_FILE_ATTRIBUTES);

    // Another size: the graph is rebuilt and runs at it.
    EXPECT_HRESULT_SUCCEEDED(g.ChangeVideoSize(800, 600));
    ASSERT_TRUE(GrabUntil(g, &f, 800, 600, [](const Frame& x) { return x.dib.size() == 800u * 3 * 600; }));
    EXPECT_TRUE(f.PatchesAt(75, false));
    g.Stop();
    g.TearDownGraph();
    g.ClearGraph();
}

// Every graph-building failure: one "Error!" box and the failure code.
TEST_F(Trevlo, BuildFailuresShowOneBoxAndReturnTheirCode)
{
    AfxTestSetScript(L"msgbox IDOK;msgbox IDOK;msgbox IDOK");
    {
        ScopedCameras none(L"");
        CXGraphDll g;
        EXPECT_EQ(g.InitGraph(), E_FAIL);
        EXPECT_EQ(Boxes(), ErrorBox(L"Could not get the capture device"));
        // Orvik goes on into MakeGraph and the forwarders unchecked.
        const HRESULT hr = g.MakeGraph();
        EXPECT_TRUE(FAILED(hr));
        EXPECT_EQ(Boxes(), ErrorBox(L"Can't find Capture pin in capture filter"));
        EXPECT_EQ(g.put_EnableProcess(TRUE), S_OK);
        long w = 0, h = 0;
        EXPECT_EQ(g.GetVideoSize(w, h), E_POINTER);
        EXPECT_EQ(g.GetRange(VIDEO_BRIGHTNESS, &w, &h, &w, nullptr), E_FAIL);
        BOOL on = FALSE;
        EXPECT_EQ(g.SetFlip(FLIP_HORIZONTAL, TRUE), E_POINTER);
        EXPECT_EQ(g.GetFlip(FLIP_HORIZONTAL, &on), E_POINTER);
        EXPECT_EQ(g.SetCaptureFile(const_cast<wchar_t*>(L"C:\\x.avi")), E_POINTER);
        EXPECT_EQ(g.ShowVideoPropertyPages(), E_FAIL);
        g.TearDownGraph();
        g.ClearGraph();
        EXPECT_EQ(g.ClearGraph(), S_OK);
        EXPECT_EQ(g.Run(), E_FAIL);
        EXPECT_EQ(g.ShowVideoWindow(TRUE), E_POINTER);
    }
    ScopedCameras cameras(L"Vantor-T4M");
    // A machine without a Windows Media Video 9 encoder, as Wine is.
    ServerAway noCompressor(WMVCODEC_AX);
    ASSERT_HRESULT_SUCCEEDED(noCompressor.Result());
    CXGraphDll g;
    ASSERT_EQ(g.InitGraph(), S_OK);
    EXPECT_EQ(g.MakeCaptureGraph(), E_FAIL);
    EXPECT_EQ(Boxes(), ErrorBox(L"Could not create compressor"));
    g.TearDownGraph();
    g.ClearGraph();
}

// With the compressor but Wine's own renderer, which refuses RGB24: the AVI
// branch is built, the preview fails with its box and code, and the graph
// goes down cleanly.
TEST_F(Trevlo, CaptureGraphReportsAPreviewItCannotRender)
{
    ScopedCameras cameras(L"Vantor-T4M");
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    AfxTestSetScript(L"msgbox IDOK");
    CXGraphDll g;
    ASSERT_EQ(g.InitGraph(), S_OK);
    EXPECT_EQ(g.MakeCaptureGraph(), VFW_E_CANNOT_CONNECT);
    EXPECT_EQ(Boxes(), ErrorBox(L"Can't render preview pin"));
    const auto names = FilterNames(g.GetGraph());
    for (LPCWSTR n : {L"Microsoft Windows Media Video 9", L"AVI Mux", L"File Writer"})
        EXPECT_TRUE(Has(names, n)) << testing::PrintToString(std::wstring(n));
    // The File Writer is there to take another file name (Wine's does not
    // give it back).
    EXPECT_EQ(g.SetCaptureFile(const_cast<wchar_t*>(L"C:\\trevlo_other.avi")), S_OK);
    EXPECT_EQ(g.TearDownGraph(), S_OK);
    EXPECT_EQ(FilterNames(g.GetGraph()), std::vector<std::wstring>{L"Cap"});
    g.ClearGraph();
}

// What the system's own AVI reader finds in a file.
struct AviFile {
    LONG open = -1;
    DWORD streams = 0;
    AVISTREAMINFOW info = {};
    BITMAPINFOHEADER format = {};
    LONG start = 0;
    // In stream order; an empty one stands for a frame the writer marked
    // as skipped.
    std::vector<std::vector<BYTE>> frames;
    std::vector<bool> keys;
};

AviFile ReadAvi(LPCWSTR path)
{
    AviFile a;
    AVIFileInit();
    PAVIFILE file = nullptr;
    a.open = AVIFileOpenW(&file, path, OF_READ | OF_SHARE_DENY_WRITE, nullptr);
    if (a.open == 0) {
        AVIFILEINFOW fi = {};
        AVIFileInfoW(file, &fi, sizeof(fi));
        a.streams = fi.dwStreams;
        PAVISTREAM stream = nullptr;
        if (AVIFileGetStream(file, &stream, streamtypeVIDEO, 0) == 0) {
            AVIStreamInfoW(stream, &a.info, sizeof(a.info));
            LONG size = sizeof(a.format);
            AVIStreamReadFormat(stream, 0, &a.format, &size);
            a.start = AVIStreamStart(stream);
            const LONG length = AVIStreamLength(stream);
            for (LONG i = a.start; i < a.start + length; ++i) {
                LONG bytes = 0, samples = 0;
                std::vector<BYTE> data;
                if (AVIStreamRead(stream, i, 1, nullptr, 0, &bytes, &samples) == 0 && bytes > 0) {
                    data.resize(size_t(bytes));
                    AVIStreamRead(stream, i, 1, data.data(), bytes, &bytes, &samples);
                }
                a.frames.push_back(std::move(data));
                a.keys.push_back(AVIStreamIsKeyFrame(stream, i) != FALSE);
            }
            AVIStreamRelease(stream);
        }
        AVIFileRelease(file);
    }
    AVIFileExit();
    return a;
}

// The simulator's frame counter, drawn into every frame.
LONG FrameCounter(const Frame& f)
{
    ULONG v = 0;
    for (int i = 0; i < 32; ++i) {
        int c[3];
        f.Rgb(8 + 8 * i + 4, f.height / 2, c);
        v = (v << 1) | (c[1] > 128 ? 1 : 0);
    }
    return LONG(v);
}

// The AVI graph records the camera through the compressor into the file it
// names, at width 1280; read back, the file holds the camera's frames in
// order.
TEST_F(Trevlo, CaptureGraphRecordsTheCameraIntoAnAviFile)
{
    ScopedCameras cameras(L"Camera-R5V");
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    SinkStandin writer(SinkStandin::kFileWriter);
    SinkStandin renderer(SinkStandin::kVideoRenderer);
    ASSERT_TRUE(writer.Ok() && renderer.Ok());
    const LPCWSTR path = L"C:\\temp.avi";
    DeleteFileW(path);
    {
        CXGraphDll g;
        ASSERT_EQ(g.InitGraph(), S_OK);
        ASSERT_EQ(g.GetAllAvailSize(), S_OK);
        g.SetDisplayMode(0);
        ASSERT_EQ(g.MakeCaptureGraph(), S_OK);
        EXPECT_TRUE(Boxes().empty());
        const auto names = FilterNames(g.GetGraph());
        for (LPCWSTR n : {L"Cap", L"Kelm Sorvane", L"Smart Tee", L"Microsoft Windows Media Video 9", L"AVI Mux",
                          L"File Writer", L"VM7 renderer"})
            EXPECT_TRUE(Has(names, n)) << testing::PrintToString(std::wstring(n));
        ASSERT_EQ(g.Run(), S_OK);
        Pump(2000);
        // The camera first: Wine's mux still takes samples once it has
        // stopped, and writes them through the file it has let go of.
        Ref<IBaseFilter> cap;
        ASSERT_EQ(g.GetGraph()->FindFilterByName(L"Cap", &cap.p), S_OK);
        EXPECT_EQ(cap->Stop(), S_OK);
        Pump(300);
        EXPECT_EQ(g.Stop(), S_OK);
        g.TearDownGraph();
        g.ClearGraph();
    }

    BYTE head[12] = {};
    DWORD got = 0;
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << "no file at the graph's path";
    ReadFile(h, head, sizeof(head), &got, nullptr);
    CloseHandle(h);
    EXPECT_EQ(memcmp(head, "RIFF", 4), 0);
    EXPECT_EQ(memcmp(head + 8, "AVI ", 4), 0);

    const AviFile avi = ReadAvi(path);
    ASSERT_EQ(avi.open, 0);
    EXPECT_EQ(avi.streams, 1u);
    EXPECT_EQ(avi.info.fccType, streamtypeVIDEO);
    EXPECT_EQ(avi.info.fccHandler, mmioFOURCC('W', 'M', 'V', '3'));
    EXPECT_EQ(avi.format.biCompression, mmioFOURCC('W', 'M', 'V', '3'));
    EXPECT_EQ(avi.format.biWidth, 1280);
    EXPECT_EQ(avi.format.biHeight, 1024);
    ASSERT_GT(avi.info.dwScale, 0u);
    EXPECT_NEAR(double(avi.info.dwRate) / avi.info.dwScale, 15.0, 0.01);
    // Two seconds at 15 frames a second, less what the start takes.
    EXPECT_GE(avi.frames.size(), 15u);
    EXPECT_LE(avi.frames.size(), 35u);
    LONG last = -1;
    for (size_t i = 0; i < avi.frames.size(); ++i) {
        Frame f;
        f.width = avi.format.biWidth;
        f.height = avi.format.biHeight;
        const int stride = (f.width * 3 + 3) & ~3;
        f.dib.assign(size_t(stride) * size_t(f.height), 0);
        ASSERT_FALSE(avi.frames[i].empty()) << "frame " << i;
        ASSERT_TRUE(WmvRleDecode(avi.frames[i].data(), avi.frames[i].size(), f.width, f.height, stride, f.dib.data()))
            << "frame " << i;
        EXPECT_TRUE(avi.keys[i]) << "frame " << i;
        EXPECT_TRUE(f.PatchesAt(f.height / 8, false)) << "frame " << i;
        EXPECT_EQ(f.GreyAt(), 128) << "frame " << i;
        const LONG counter = FrameCounter(f);
        // Never repeated or out of order; none missing after the second frame
        // (under Wine the file's first frame is now and then followed by a gap
        // of a few frames where the recording starts).
        if (i >= 2) {
            EXPECT_EQ(counter, last + 1) << "frame " << i << " is not the camera's next";
        } else if (i == 1) {
            EXPECT_GT(counter, last) << "frame 1 comes before frame 0";
        }
        last = counter;
    }
    DeleteFileW(path);
}

// Nothing outlives the graph; build, run and tear down many times.
TEST_F(Trevlo, TearDownReleasesEverythingAndRepeatsWithoutLeaks)
{
    ScopedCameras cameras(L"Vantor-T4M");
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    HostWindow host(160, 120);
    auto cycle = [&]() {
        CXGraphDll* g = new CXGraphDll;
        EXPECT_EQ(g->InitGraph(), S_OK);
        g->GetAllAvailSize();
        g->SetDisplayMode(0);
        EXPECT_EQ(g->MakeGraph(), S_OK);
        g->SetParentWnd(host.Get(), 0, 0, 160, 120);
        g->put_EnableProcess(TRUE);
        EXPECT_HRESULT_SUCCEEDED(g->Run());
        Frame f;
        EXPECT_TRUE(Grab(*g, &f, 640, 480));
        g->Stop();
        g->TearDownGraph();
        g->ClearGraph();
        delete g;
    };
    cycle();
    Pump(200);
    EXPECT_EQ(ModuleCanUnload(L"Sorvane.ax"), S_OK) << "Sorvane objects outlive the graph";
    EXPECT_EQ(ModuleCanUnload(L"UvcCam.ax"), S_OK) << "camera objects outlive the graph";

    const int cycles = 50;
    // Wine counts no handles per process: the slot a new handle takes shows
    // how many are open below it. Wine's renderer keeps some memory per
    // graph, so the figure to beat is that of Wine's filters alone.
    auto measure = [&](const std::function<void()>& one, ULONG* handles, double* megabytes, DWORD* ms) {
        const ULONG slotBefore = NextHandleSlot();
        PROCESS_MEMORY_COUNTERS before = {}, after = {};
        GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof(before));
        const DWORD start = GetTickCount();
        for (int i = 0; i < cycles; ++i)
            one();
        Pump(200);
        *ms = GetTickCount() - start;
        GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof(after));
        *handles = NextHandleSlot() - slotBefore;
        *megabytes = (double(after.PagefileUsage) - double(before.PagefileUsage)) / 1048576.0;
    };
    ULONG wineHandles = 0, handles = 0;
    double wineMb = 0, mb = 0;
    DWORD wineMs = 0, ms = 0;
    measure([&] { WineOnlyCycle(host.Get()); }, &wineHandles, &wineMb, &wineMs);
    measure(cycle, &handles, &mb, &ms);
    printf("%d cycles: Trevlo %lu ms, handle slots +%lu, memory %+.1f MB; Wine's filters alone %lu ms, handle "
           "slots +%lu, memory %+.1f MB\n",
           cycles, ms, handles, mb, wineMs, wineHandles, wineMb);
    EXPECT_LT(long(handles), 2 * cycles);
    EXPECT_LT(mb, wineMb + 10.0);
    EXPECT_EQ(ModuleCanUnload(L"Sorvane.ax"), S_OK);
    EXPECT_EQ(ModuleCanUnload(L"UvcCam.ax"), S_OK);
}

struct PageWatch {
    std::wstring caption;
    bool flipBox = false;
    std::atomic<bool> closed{false};
};

BOOL CALLBACK FindFlipBox(HWND hwnd, LPARAM p)
{
    WCHAR text[64] = {}, cls[64] = {};
    GetWindowTextW(hwnd, text, 64);
    GetClassNameW(hwnd, cls, 64);
    if (wcscmp(text, L"Flip") == 0 && _wcsicmp(cls, L"Button") == 0) {
        *reinterpret_cast<bool*>(p) = true;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindFrame(HWND hwnd, LPARAM p)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    WCHAR text[128] = {};
    GetWindowTextW(hwnd, text, 128);
    if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd) && wcsstr(text, L"Kelm Sorvane")) {
        *reinterpret_cast<HWND*>(p) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Finds the property frame, looks for the page's Flip box and cancels it.
DWORD WINAPI WatchPages(LPVOID p)
{
    PageWatch* watch = static_cast<PageWatch*>(p);
    for (int i = 0; i < 200 && !watch->closed; ++i) {
        Sleep(50);
        HWND frame = nullptr;
        EnumWindows(FindFrame, LPARAM(&frame));
        if (!frame)
            continue;
        WCHAR text[128] = {};
        GetWindowTextW(frame, text, 128);
        watch->caption = text;
        Sleep(200);
        EnumChildWindows(frame, FindFlipBox, LPARAM(&watch->flipBox));
        PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
        watch->closed = true;
    }
    return 0;
}

// The processing filter's page opens in a frame named after the filter in
// the graph; Trevlo returns when it is closed. Runs last: after the frame
// closes, Sorvane's module still reports an object alive.
TEST_F(Trevlo, SorvanePropertyPagesOpenUnderTheGraphName)
{
    ScopedCameras cameras(L"Vantor-T4M");
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    HostWindow host(160, 120);
    CXGraphDll g;
    EXPECT_EQ(g.ShowSorvanePropertyPages(), E_FAIL);
    ASSERT_EQ(g.InitGraph(), S_OK);
    ASSERT_EQ(g.MakeGraph(), S_OK);
    g.SetParentWnd(host.Get(), 0, 0, 160, 120);
    PageWatch watch;
    HANDLE watcher = CreateThread(nullptr, 0, WatchPages, &watch, 0, nullptr);
    EXPECT_EQ(g.ShowSorvanePropertyPages(), S_OK);
    watch.closed = true;
    WaitForSingleObject(watcher, 15000);
    CloseHandle(watcher);
    EXPECT_NE(watch.caption.find(L"Kelm Sorvane"), std::wstring::npos);
    EXPECT_TRUE(watch.flipBox) << "the page's controls are not in the frame";
    g.TearDownGraph();
    g.ClearGraph();
}

}  // namespace
