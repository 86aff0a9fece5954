// Frames per second the capture filter delivers through a capture graph at
// each size, against the rate the simulated sensor sends at (its own timing),
// and the host's CPU time per delivered frame. Then, at the largest size, that
// figure by thread, and its parts measured on their own in the same process:
// the pipeline on a frame of the driver's scene, and the transport reading
// frames with the filter's reader thread.
#include "ZentuGraph.h"

#include "RawFrameReader.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {


double Seconds(const FILETIME& f)
{
    return double((ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e7;
}

double CpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return Seconds(kernel) + Seconds(user);
}

// The module a thread started in, by its start address: the filter's own
// streaming thread starts in the filter, its reader thread and the pipeline's
// second thread in the C runtime (_beginthreadex), Wine's threads in Wine's
// modules.
std::string StartModule(HANDLE thread)
{
    using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const QueryFn query =
        reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
    void* start = nullptr;
    HMODULE module = nullptr;
    char name[MAX_PATH] = "?";
    const int kWin32StartAddress = 9;
    if (query && query(thread, kWin32StartAddress, &start, sizeof start, nullptr) == 0 &&
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(start), &module) &&
        GetModuleFileNameA(module, name, sizeof name)) {
        const char* base = std::strrchr(name, '\\');
        return base ? base + 1 : name;
    }
    return name;
}

// CPU seconds of each thread of the process, keyed by thread id, with its
// start module.
struct ThreadCpu {
    std::string module;
    double seconds;
};

std::map<DWORD, ThreadCpu> ThreadTimes()
{
    std::map<DWORD, ThreadCpu> times;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return times;
    THREADENTRY32 te = {};
    te.dwSize = sizeof te;
    for (BOOL more = Thread32First(snap, &te); more; more = Thread32Next(snap, &te)) {
        if (te.th32OwnerProcessID != GetCurrentProcessId())
            continue;
        HANDLE h = OpenThread(THREAD_QUERY_INFORMATION, FALSE, te.th32ThreadID);
        if (!h)
            continue;
        FILETIME created, exited, kernel, user;
        if (GetThreadTimes(h, &created, &exited, &kernel, &user))
            times[te.th32ThreadID] = {StartModule(h), Seconds(kernel) + Seconds(user)};
        CloseHandle(h);
    }
    CloseHandle(snap);
    return times;
}

// CPU ms per frame between two thread samplings, summed by start module.
std::map<std::string, double> ModuleMsPerFrame(const std::map<DWORD, ThreadCpu>& before,
                                               const std::map<DWORD, ThreadCpu>& after, int frames)
{
    std::map<std::string, double> ms;
    for (const auto& t : after) {
        const auto b = before.find(t.first);
        const double used = t.second.seconds - (b == before.end() ? 0.0 : b->second.seconds);
        ms[t.second.module] += frames ? used * 1000.0 / frames : 0.0;
    }
    return ms;
}

struct NullSensor : IZentuSensor {
    void SetGain(int) override {}
    void SetExposureLines(uint16_t) override {}
};

// Process CPU ms per frame of `frames` runs of `one` (each returning whether
// it made a frame), or 0 when none came.
template <typename Fn>
double CpuMsPerFrame(int frames, Fn one)
{
    const double c0 = CpuSeconds();
    int made = 0;
    for (int i = 0; i < frames; i++)
        made += one() ? 1 : 0;
    return made ? (CpuSeconds() - c0) * 1000.0 / made : 0.0;
}

// The pipeline alone with the filter's settings, on the scene's raw frame
// (copied back before each run, as a fresh frame from the reader would be).
double PipelineMs(IZentu* zentu, int size, CZentuSimControl& sim)
{
    NullSensor sensor;
    ZentuOwner owner;
    PipelineOwnerOf(zentu, owner);
    owner.sensor = &sensor;
    ComputeExposureLimits(owner);
    const std::vector<BYTE> scene = SceneRawFrame(size, sim, 0);
    std::vector<BYTE> raw(scene.size());
    const ZentuFrameSize fs = ZentuSizeOf(owner.settings.sizeIndex);
    std::vector<BYTE> out(size_t(fs.outWidth) * fs.outHeight * 3);
    auto one = [&] {
        raw = scene;
        RunPipeline(owner, raw.data(), out.data());
        return true;
    };
    one();
    const double withCopy = CpuMsPerFrame(100, one);
    // The copy back is the bench's own: take it out again.
    const double copy = CpuMsPerFrame(100, [&] {
        raw = scene;
        return true;
    });
    return withCopy - copy;
}

// The transport alone: frames read by the filter's reader thread and handed
// straight back, for `ms` of the sensor's own timing.
double TransportMs(int size, int* frames, DWORD ms)
{
    *frames = 0;
    ZentuOwner owner;
    owner.settings.sizeIndex = uint32_t(size);
    CUsbTransport* t = StartCaptureSequence(owner);
    if (!t)
        return 0.0;
    CRawFrameReader reader;
    double perFrame = 0.0;
    if (reader.Start(t, CRawFrameReader::Path::ReaderThread)) {
        UsbStartStream(t);
        BYTE* raw = nullptr;
        int got = 0;
        // From the first frame on: the stream runs.
        for (const DWORD w0 = GetTickCount(); got == 0 && GetTickCount() - w0 < 5000;)
            got = reader.Acquire(&raw, nullptr, 100);
        if (got == 1)
            reader.Release(raw);
        const double c0 = CpuSeconds();
        const DWORD t0 = GetTickCount();
        for (bool streaming = got == 1; streaming && GetTickCount() - t0 < ms;) {
            got = reader.Acquire(&raw, nullptr, 100);
            if (got == 1) {
                reader.Release(raw);
                ++*frames;
            }
            streaming = got >= 0;
        }
        if (*frames)
            perFrame = (CpuSeconds() - c0) * 1000.0 / *frames;
        reader.Stop();
    }
    StopCaptureSequence(t);
    return perFrame;
}

// One graph streaming for 4 s at the sensor's own timing: the rates, the
// process's CPU ms per delivered frame, and that by thread start module.
struct Streamed {
    bool ok = false;
    double sensorFps = 0, fps = 0, cpuMs = 0, pipelineMs = 0;
    std::map<std::string, double> byModule;
};

Streamed Stream(int size, ZentuGraph::Tee tee, CZentuSimControl& sim, bool pipelineAlone)
{
    Streamed r;
    ZentuGraph graph(ZentuGraph::Grab::CountOnly, tee);
    if (FAILED(graph.Build(size)) || FAILED(graph.Run()) || !graph.WaitFrames(2))
        return r;
    const ZentuSimStatus s0 = sim.Status();
    const int f0 = graph.Frames();
    const std::map<DWORD, ThreadCpu> threads0 = ThreadTimes();
    const double c0 = CpuSeconds();
    const DWORD t0 = GetTickCount();
    Sleep(4000);
    const DWORD ms = GetTickCount() - t0;
    const int frames = graph.Frames() - f0;
    const double cpu = CpuSeconds() - c0;
    r.byModule = ModuleMsPerFrame(threads0, ThreadTimes(), frames);
    const ZentuSimStatus s1 = sim.Status();
    graph.Stop();
    r.ok = true;
    r.sensorFps = (s1.framesStarted - s0.framesStarted) * 1000.0 / ms;
    r.fps = frames * 1000.0 / ms;
    r.cpuMs = frames ? cpu * 1000.0 / frames : 0.0;
    if (pipelineAlone)
        r.pipelineMs = PipelineMs(graph.Zentu(), size, sim);
    return r;
}

}  // namespace

int main()
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CZentuSimControl sim;
    if (!sim.IsOpen() || !sim.Reset()) {
        std::printf("the simulated Zentu driver is not running\n");
        return 1;
    }
    ClearZentuRegistry();
    sim.SetPeriod(0);  // the sensor's own frame timing
    std::printf("CPU ms/frame: the whole process over 4 s of streaming, per delivered frame: the filter\n"
                "(reader thread, pipeline, samples), the client side of Wine's device reads, and Wine's\n"
                "Smart Tee (a copy a frame for its preview pin), Sample Grabber and Null Renderers; the\n"
                "grabber's callback only counts frames.\n");
    std::printf("%-12s %10s %10s %8s %12s\n", "size", "sensor fps", "delivered", "ratio", "CPU ms/frame");
    const char* names[3] = {"1280 x 1024", "1024 x 768", "640 x 480"};
    Streamed largest;
    for (int size = 0; size < 3; size++) {
        const Streamed r = Stream(size, ZentuGraph::Tee::SmartTee, sim, size == 0);
        if (!r.ok) {
            std::printf("%-12s could not stream\n", names[size]);
            continue;
        }
        std::printf("%-12s %10.1f %10.1f %8.2f %12.1f\n", names[size], r.sensorFps, r.fps,
                    r.sensorFps > 0 ? r.fps / r.sensorFps : 0.0, r.cpuMs);
        if (size == 0)
            largest = r;
    }

    // The largest size taken apart: first by thread while streaming, then
    // its parts alone.
    std::printf("\n%s, CPU ms/frame by the module each thread started in:\n", names[0]);
    for (const auto& m : largest.byModule)
        if (m.second >= 0.05)
            std::printf("  %-50s %6.1f\n", m.first.c_str(), m.second);
    std::printf("  (the filter's module: its streaming thread, which runs the pipeline and Wine's\n"
                "  Smart Tee, grabber and renderers downstream; the C runtime's: its reader thread\n"
                "  and the pipeline's second thread)\n");
    int frames = 0;
    const double transportMs = TransportMs(0, &frames, 3000);
    std::printf("%s, CPU ms/frame of its parts, each measured alone:\n", names[0]);
    std::printf("  %-50s %6.1f\n", "pipeline (raw to RGB, the filter's settings, one thread)", largest.pipelineMs);
    if (frames)
        std::printf("  %-50s %6.1f  (%d frames)\n", "transport (reader thread, Wine's device reads)", transportMs,
                    frames);
    else
        std::printf("  %-50s %6s\n", "transport (reader thread, Wine's device reads)", "no frames");
    // Wine's Smart Tee: the same graph with the grabber on the camera's pin.
    const Streamed direct = Stream(0, ZentuGraph::Tee::None, sim, false);
    if (largest.ok && direct.ok)
        std::printf("  %-50s %6.1f  (%.1f without it)\n", "Wine's Smart Tee (the graph with it less without)",
                    largest.cpuMs - direct.cpuMs, direct.cpuMs);
    if (largest.ok && direct.ok && frames)
        std::printf("  %-50s %6.1f\n", "the rest (samples, grabber, colder caches)",
                    direct.cpuMs - largest.pipelineMs - transportMs);
    sim.Reset();
    ClearZentuRegistry();
    CoUninitialize();
    return 0;
}
