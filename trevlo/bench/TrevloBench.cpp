// Frames reaching the Sample Grabber of Trevlo's preview graph at 1600 x 1200
// with Sorvane on (flip and mirror), against the rate the camera makes them,
// and the time CaptureToBuf takes against a plain copy of one frame.
#include "Trevlo.h"

#include "UvcCamInstall.h"
#include "UvcDevices.h"
#include "BenchTiming.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

void Pump(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        const LONG left = LONG(end - GetTickCount());
        if (left <= 0)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(left < 5 ? left : 5), QS_ALLINPUT);
    }
}

// The counter the camera burns into each frame, read after Sorvane's flip
// and mirror moved it.
ULONG Counter(const std::vector<BYTE>& dib, int w, int h)
{
    const int stride = (w * 3 + 3) & ~3;
    ULONG value = 0;
    for (int i = 0; i < 32; ++i) {
        const int x = w - 1 - (12 + 8 * i), y = h - 1 - h / 2;
        const BYTE* p = &dib[size_t(h - 1 - y) * stride + size_t(x) * 3];
        value = (value << 1) | (p[2] > 127 ? 1u : 0u);
    }
    return value;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const double seconds = argc > 1 ? _wtof(argv[1]) : 4.0;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HMODULE cam = LoadLibraryW(UVCCAM_AX);
    auto install = cam ? reinterpret_cast<InstallCamerasFn>(reinterpret_cast<void*>(GetProcAddress(cam, "InstallCameras")))
                       : nullptr;
    if (!install || FAILED(install(L"Camera-R5V"))) {
        printf("cannot install the simulated camera\n");
        return 1;
    }
    const long w = 1600, h = 1200;
    CXGraphDll* g = new CXGraphDll;
    HRESULT hr = g->InitGraph();
    g->GetAllAvailSize();
    g->SetDisplayMode(0);
    if (SUCCEEDED(hr))
        hr = g->MakeGraph();
    g->put_EnableProcess(TRUE);
    g->put_Flip(TRUE);
    g->put_Mirror(TRUE);
    if (FAILED(hr) || FAILED(g->Run())) {
        printf("the graph does not run: 0x%08lx\n", hr);
        return 1;
    }
    std::vector<BYTE> frame(size_t((w * 3 + 3) & ~3) * h);
    long size = 0;
    for (int i = 0; i < 500 && g->CaptureToBuf(&size, nullptr) != S_OK; ++i)
        Pump(10);
    const UvcDeviceState* device = UvcDevice(L"Camera-R5V");
    Pump(500);

    // Rates: the camera's own count and the counters the grabber saw.
    const LONG madeBefore = device->frameCounter;
    size = long(frame.size());
    g->CaptureToBuf(&size, frame.data());
    const ULONG firstSeen = Counter(frame, w, h);
    const double start = BenchNow();
    double grabTime = 0;
    int grabs = 0;
    ULONG lastSeen = firstSeen;
    while (BenchNow() - start < seconds) {
        size = long(frame.size());
        const double t0 = BenchNow();
        if (g->CaptureToBuf(&size, frame.data()) == S_OK) {
            grabTime += BenchNow() - t0;
            ++grabs;
            lastSeen = Counter(frame, w, h);
        }
        Pump(5);
    }
    const double elapsed = BenchNow() - start;
    const LONG made = device->frameCounter - madeBefore;
    g->Stop();

    // Baseline: one plain copy of a frame.
    std::vector<BYTE> copy(frame.size());
    const double c0 = BenchNow();
    for (int i = 0; i < 20; ++i) {
        memcpy(copy.data(), frame.data(), frame.size());
        frame[i] ^= copy[frame.size() - 1 - i];
    }
    const double copyTime = (BenchNow() - c0) / 20;

    const double madeRate = made / elapsed, seenRate = double(lastSeen - firstSeen) / elapsed;
    printf("1600 x 1200, Sorvane flip + mirror: camera %.1f fps, grabber %.1f fps (ratio %.2f)\n", madeRate,
           seenRate, madeRate > 0 ? seenRate / madeRate : 0.0);
    printf("CaptureToBuf %.2f ms, one frame copy %.2f ms (ratio %.1f)\n", grabs ? 1000 * grabTime / grabs : 0.0,
           1000 * copyTime, copyTime > 0 && grabs ? (grabTime / grabs) / copyTime : 0.0);
    g->TearDownGraph();
    g->ClearGraph();
    delete g;
    install(L"Camera-R5V");
    CoUninitialize();
    return 0;
}
