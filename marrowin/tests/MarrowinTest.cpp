// Marrowin.dll as a caller binds it (LoadLibraryW, decorated names, ordinal
// 24), against the simulated EZ-USB camera and its deterministic scene.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Marrowin.h"
#include "PellixSim.h"

namespace {

const char *const kExportNames[34] = {
    "_Pellix_AutoExposure@8",    "_Pellix_FFC_Create@4",     "_Pellix_FFC_Get@4",
    "_Pellix_FFC_Import@4",      "_Pellix_FFC_Memory@4",     "_Pellix_FFC_Set@4",
    "_Pellix_GetBitmap@8",       "_Pellix_GetBlueGain@12",   "_Pellix_GetCameraID@12",
    "_Pellix_GetExposureTime@12", "_Pellix_GetFrameFormat@12", "_Pellix_GetFrameRate@4",
    "_Pellix_GetGamma@12",       "_Pellix_GetGlobalGain@12", "_Pellix_GetGreenGain@12",
    "_Pellix_GetHistogram@8",    "_Pellix_GetImageFlip@8",   "_Pellix_GetKelvin@12",
    "_Pellix_GetRedGain@12",     "_Pellix_GetSaturation@12", "_Pellix_Initialize@0",
    "_Pellix_LUT@16",            "_Pellix_SetBlueGain@4",    "_Pellix_SetExposureTime@4",
    "_Pellix_SetFrameFormat@4",  "_Pellix_SetGamma@4",       "_Pellix_SetGlobalGain@4",
    "_Pellix_SetGreenGain@4",    "_Pellix_SetImageFlip@8",   "_Pellix_SetKelvin@4",
    "_Pellix_SetRedGain@4",      "_Pellix_SetSaturation@4",  "_Pellix_Uninitialize@0",
    "_Pellix_WhiteBalance@4"};

// The table a caller fills, as Orvik's CPellixSdk does.
struct PellixSdk {
    HMODULE lib = nullptr;
    decltype(&Pellix_AutoExposure) AutoExposure;
    decltype(&Pellix_FFC_Create) FFC_Create;
    decltype(&Pellix_FFC_Get) FFC_Get;
    decltype(&Pellix_FFC_Import) FFC_Import;
    decltype(&Pellix_FFC_Memory) FFC_Memory;
    decltype(&Pellix_FFC_Set) FFC_Set;
    decltype(&Pellix_GetBitmap) GetBitmap;
    decltype(&Pellix_GetBlueGain) GetBlueGain;
    decltype(&Pellix_GetCameraID) GetCameraID;
    decltype(&Pellix_GetExposureTime) GetExposureTime;
    decltype(&Pellix_GetFrameFormat) GetFrameFormat;
    decltype(&Pellix_GetFrameRate) GetFrameRate;
    decltype(&Pellix_GetGamma) GetGamma;
    decltype(&Pellix_GetGlobalGain) GetGlobalGain;
    decltype(&Pellix_GetGreenGain) GetGreenGain;
    decltype(&Pellix_GetHistogram) GetHistogram;
    decltype(&Pellix_GetImageFlip) GetImageFlip;
    decltype(&Pellix_GetKelvin) GetKelvin;
    decltype(&Pellix_GetRedGain) GetRedGain;
    decltype(&Pellix_GetSaturation) GetSaturation;
    decltype(&Pellix_Initialize) Initialize;
    decltype(&Pellix_LUT) LUT;
    decltype(&Pellix_SetBlueGain) SetBlueGain;
    decltype(&Pellix_SetExposureTime) SetExposureTime; // bound by ordinal 24
    decltype(&Pellix_SetFrameFormat) SetFrameFormat;
    decltype(&Pellix_SetGamma) SetGamma;
    decltype(&Pellix_SetGlobalGain) SetGlobalGain;
    decltype(&Pellix_SetGreenGain) SetGreenGain;
    decltype(&Pellix_SetImageFlip) SetImageFlip;
    decltype(&Pellix_SetKelvin) SetKelvin;
    decltype(&Pellix_SetRedGain) SetRedGain;
    decltype(&Pellix_SetSaturation) SetSaturation;
    decltype(&Pellix_Uninitialize) Uninitialize;
    decltype(&Pellix_WhiteBalance) WhiteBalance;

    bool Bind()
    {
        lib = LoadLibraryW(L"Marrowin.dll");
        if (!lib)
            return false;
        void **slots[34] = {
            (void **)&AutoExposure, (void **)&FFC_Create,    (void **)&FFC_Get,        (void **)&FFC_Import,
            (void **)&FFC_Memory,   (void **)&FFC_Set,       (void **)&GetBitmap,      (void **)&GetBlueGain,
            (void **)&GetCameraID,  (void **)&GetExposureTime, (void **)&GetFrameFormat, (void **)&GetFrameRate,
            (void **)&GetGamma,     (void **)&GetGlobalGain, (void **)&GetGreenGain,   (void **)&GetHistogram,
            (void **)&GetImageFlip, (void **)&GetKelvin,     (void **)&GetRedGain,     (void **)&GetSaturation,
            (void **)&Initialize,   (void **)&LUT,           (void **)&SetBlueGain,    (void **)&SetExposureTime,
            (void **)&SetFrameFormat, (void **)&SetGamma,    (void **)&SetGlobalGain,  (void **)&SetGreenGain,
            (void **)&SetImageFlip, (void **)&SetKelvin,     (void **)&SetRedGain,     (void **)&SetSaturation,
            (void **)&Uninitialize, (void **)&WhiteBalance};
        for (int i = 0; i < 34; ++i) {
            FARPROC p = i == 23 ? GetProcAddress(lib, MAKEINTRESOURCEA(24)) : GetProcAddress(lib, kExportNames[i]);
            if (!p)
                return false;
            *slots[i] = reinterpret_cast<void *>(p);
        }
        return true;
    }
};

PellixSdk sdk;

const int kFullB_W = 2592, kFullB_H = 1944;
const PellixFrameFormat kFullB{0, 0, 2592, 1944, 1, 1, 1, 1};
const PellixFrameFormat kHalfB{0, 0, 2592, 1944, 2, 1, 2, 1};
const PellixFrameFormat kBins2B{0, 0, 2592, 1944, 2, 2, 2, 2};
const PellixFrameFormat kFullA{0, 0, 2048, 1536, 1, 1, 1, 1};
const PellixFrameFormat kHalfA{0, 0, 2048, 1536, 2, 1, 2, 1};
const PellixFrameFormat kBins2A{0, 0, 2048, 1536, 2, 2, 2, 2};

struct Bitmap {
    int w = 0, h = 0;
    std::vector<BYTE> px;
    const BYTE *At(int x, int y) const { return &px[(size_t(y) * w + x) * 3]; }
    int B(int x, int y) const { return At(x, y)[0]; }
    int G(int x, int y) const { return At(x, y)[1]; }
    int R(int x, int y) const { return At(x, y)[2]; }
};

class Marrowin : public ::testing::Test {
protected:
    PellixSim sim;

    void SetUp() override
    {
        ASSERT_TRUE(sim.Open()) << "the simulated EZ-USB driver is not running";
        sim.Reset();
    }
    void TearDown() override
    {
        sim.Reset(); // lifts a stall, so that stopping cannot hang
        sdk.Uninitialize();
    }

    // Variant B (default) or A, scene as the test sets it.
    void Start(unsigned chip = 0x1801)
    {
        sim.Change([&](PellixSimConfig &c) { c.chipVersion = chip; });
        ASSERT_EQ(0, sdk.Initialize());
    }

    Bitmap Grab(int expect = 0)
    {
        Bitmap b;
        BITMAPINFOHEADER h{};
        EXPECT_EQ(0, sdk.GetBitmap(&h, nullptr));
        b.w = h.biWidth;
        b.h = -h.biHeight;
        b.px.assign(size_t(b.w) * b.h * 3, 0);
        EXPECT_EQ(expect, sdk.GetBitmap(&h, b.px.data()));
        return b;
    }

    // Frames already read ahead are from before a scene change.
    Bitmap Settled()
    {
        for (int i = 0; i < 3; ++i)
            Grab();
        return Grab();
    }

    void Uniform(unsigned g, unsigned r, unsigned b, unsigned g2, unsigned scene = PELLIX_SCENE_FIXED)
    {
        sim.Change([&](PellixSimConfig &c) {
            c.scene = scene;
            c.level[0] = g;
            c.level[1] = r;
            c.level[2] = b;
            c.level[3] = g2;
            c.marker = 0;
        });
    }

    std::vector<PellixSimLogRecord> RegisterWrites()
    {
        std::vector<PellixSimLogRecord> out;
        for (const auto &r : sim.TakeLog())
            if (r.kind == PELLIX_LOG_VENDOR && r.request == 0xB7 && r.direction == 0)
                out.push_back(r);
        return out;
    }
};

int MarkerValue(const Bitmap &b, int i)
{
    const int x = PELLIX_SIM_MARKER_COL(i) + 1, y = PELLIX_SIM_MARKER_ROW + 1;
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
            const BYTE *p = b.At(x + dx, y + dy);
            if (p[0] != p[1] || p[1] != p[2] || p[0] != b.At(x, y)[0])
                return -1;
        }
    return b.B(x, y);
}

bool MarkerInPlace(const Bitmap &b) { return MarkerValue(b, 0) == 0xA5 && MarkerValue(b, 3) == 0x3C; }
int FrameNumber(const Bitmap &b) { return MarkerValue(b, 1) | (MarkerValue(b, 2) << 8); }

double Mean(const Bitmap &b, int channel)
{
    double s = 0;
    for (size_t i = channel; i < b.px.size(); i += 3)
        s += b.px[i];
    return s / (b.px.size() / 3);
}

int ShutterCount(PellixSim &sim) { return (sim.Register(0x08) << 16) | sim.Register(0x09); }

// ---- binding and lifecycle -------------------------------------------------

TEST(MarrowinExports, NamesOrdinalsAndStackCleanup)
{
    for (int i = 0; i < 34; ++i) {
        FARPROC byName = GetProcAddress(sdk.lib, kExportNames[i]);
        ASSERT_NE(nullptr, byName) << kExportNames[i];
        EXPECT_EQ(byName, GetProcAddress(sdk.lib, MAKEINTRESOURCEA(i + 1))) << kExportNames[i];
    }
    EXPECT_EQ(GetProcAddress(sdk.lib, "_Pellix_SetExposureTime@4"), GetProcAddress(sdk.lib, MAKEINTRESOURCEA(24)));
    EXPECT_EQ(nullptr, GetProcAddress(sdk.lib, "Pellix_SetExposureTime"));

    // The callee pops its arguments: a mismatch would move the stack pointer.
    uintptr_t before, after;
    float f = 1;
    RECT r{0, 0, 8, 8};
    asm volatile("mov %%esp, %0" : "=r"(before));
    for (int i = 0; i < 1000; ++i) {
        sdk.SetExposureTime(&f);
        sdk.GetExposureTime(&f, &f, &f);
        sdk.GetBitmap(nullptr, nullptr);
        sdk.LUT(0, 0, 1, 1);
        sdk.AutoExposure(50, &r);
        sdk.Uninitialize();
    }
    asm volatile("mov %%esp, %0" : "=r"(after));
    EXPECT_EQ(before, after);
}

TEST_F(Marrowin, EveryCallNeedsInitialisation)
{
    float f = 1, a, b;
    int i = 1, j = 1, k = 1;
    double model[8];
    BITMAPINFOHEADER h{};
    BYTE px[16];
    RECT r{0, 0, 8, 8};
    PellixFrameFormat ff = kFullB;
    const std::vector<std::function<int()>> calls = {
        [&] { return sdk.AutoExposure(50, &r); }, [&] { return sdk.FFC_Create(model); },
        [&] { return sdk.FFC_Get(&i); }, [&] { return sdk.FFC_Import(model); },
        [&] { return sdk.FFC_Memory(&i); }, [&] { return sdk.FFC_Set(&i); },
        [&] { return sdk.GetBitmap(&h, px); }, [&] { return sdk.GetBlueGain(&f, &a, &b); },
        [&] { return sdk.GetCameraID(&i, &j, &k); }, [&] { return sdk.GetExposureTime(&f, &a, &b); },
        [&] { return sdk.GetFrameFormat(&ff, &ff, &ff); }, [&] { return sdk.GetFrameRate(&f); },
        [&] { return sdk.GetGamma(&f, &a, &b); }, [&] { return sdk.GetGlobalGain(&f, &a, &b); },
        [&] { return sdk.GetGreenGain(&f, &a, &b); }, [&] { return sdk.GetHistogram(&i, &j); },
        [&] { return sdk.GetImageFlip(&i, &j); }, [&] { return sdk.GetKelvin(&f, &a, &b); },
        [&] { return sdk.GetRedGain(&f, &a, &b); }, [&] { return sdk.GetSaturation(&f, &a, &b); },
        [&] { return sdk.LUT(0, 0, 1, 1); }, [&] { return sdk.SetBlueGain(&f); },
        [&] { return sdk.SetExposureTime(&f); }, [&] { return sdk.SetFrameFormat(&ff); },
        [&] { return sdk.SetGamma(&f); }, [&] { return sdk.SetGlobalGain(&f); },
        [&] { return sdk.SetGreenGain(&f); }, [&] { return sdk.SetImageFlip(&i, &j); },
        [&] { return sdk.SetKelvin(&f); }, [&] { return sdk.SetRedGain(&f); },
        [&] { return sdk.SetSaturation(&f); }, [&] { return sdk.Uninitialize(); },
        [&] { return sdk.WhiteBalance(&r); }};
    ASSERT_EQ(33u, calls.size());
    for (size_t n = 0; n < calls.size(); ++n)
        EXPECT_EQ(PELLIX_E_NOT_INITIALIZED, calls[n]()) << "call " << n;
}

TEST_F(Marrowin, InitialisationFindsTheDeviceAndTheSensor)
{
    sim.Change([](PellixSimConfig &c) { c.presentMask = 0; });
    EXPECT_EQ(PELLIX_E_NO_DEVICE, sdk.Initialize());
    EXPECT_EQ(PELLIX_E_NO_DEVICE, sdk.Initialize()) << "a failed start leaves the library uninitialised";
    EXPECT_EQ(PELLIX_E_NOT_INITIALIZED, sdk.Uninitialize());

    sim.Change([](PellixSimConfig &c) { c.presentMask = 1u << 2; c.chipVersion = 0x1234; });
    EXPECT_EQ(PELLIX_E_SENSOR, sdk.Initialize());
    EXPECT_EQ(PELLIX_E_NOT_INITIALIZED, sdk.Uninitialize());

    // Variant A on the third device: bring-up writes, then streaming at once.
    sim.Change([](PellixSimConfig &c) { c.chipVersion = 0x1621; });
    sim.TakeLog();
    ASSERT_EQ(0, sdk.Initialize());
    EXPECT_EQ(PELLIX_E_BUSY, sdk.Initialize());
    std::vector<std::pair<unsigned, unsigned>> writes;
    for (const auto &r : RegisterWrites())
        writes.push_back({r.value, unsigned(r.data[0] << 8 | r.data[1])});
    ASSERT_GE(writes.size(), 4u);
    EXPECT_EQ((std::pair<unsigned, unsigned>{0x0D, 1}), writes[0]);
    EXPECT_EQ((std::pair<unsigned, unsigned>{0x0D, 0}), writes[1]);
    EXPECT_EQ((std::pair<unsigned, unsigned>{0x1E, 0x5040}), writes[2]);
    EXPECT_EQ((std::pair<unsigned, unsigned>{0x4E, 0x0020}), writes[3]);
    PellixSimStats st = sim.Stats();
    EXPECT_EQ(1u, st.streaming);
    EXPECT_EQ(2048u, st.width);
    EXPECT_EQ(1536u, st.height);
    int id, a, b;
    ASSERT_EQ(0, sdk.GetCameraID(&id, &a, &b));
    EXPECT_EQ(0x318, id);
    EXPECT_EQ(int(PELLIX_SIM_ID_WORD1), a);
    EXPECT_EQ(int(PELLIX_SIM_ID_WORD0), b);
    EXPECT_EQ(0, sdk.Uninitialize());

    // Variant B: its own bring-up and colour gains of 2.0 (8 per unit).
    sim.Reset();
    ASSERT_EQ(0, sdk.Initialize());
    EXPECT_EQ(0x4006, sim.Register(0x1E));
    for (int reg = 0x2B; reg <= 0x2E; ++reg)
        EXPECT_EQ(16, sim.Register(reg) & 0xFF) << reg;
    ASSERT_EQ(0, sdk.GetCameraID(&id, &a, &b));
    EXPECT_EQ(0x518, id);
    float g, lo, hi;
    ASSERT_EQ(0, sdk.GetRedGain(&g, &lo, &hi));
    EXPECT_FLOAT_EQ(2.0f, g);
}

std::wstring HelperPath()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    return p.substr(0, p.find_last_of(L"\\/") + 1) + L"marrowin_second_process.exe";
}

// Runs the second process; returns its line "code milliseconds". With
// holdMs it is ended from outside once it has reported, holding the camera.
std::string RunSecondProcess(int holdMs = 0)
{
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE rd, wr;
    if (!CreatePipe(&rd, &wr, &sa, 0))
        return "no pipe";
    SetHandleInformation(rd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = wr;
    si.hStdError = wr;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + HelperPath() + L"\"";
    if (holdMs)
        cmd += L" " + std::to_wstring(holdMs);
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(rd);
        CloseHandle(wr);
        return "no process";
    }
    CloseHandle(wr);
    std::string out;
    char buf[256];
    DWORD got;
    while (ReadFile(rd, buf, sizeof buf, &got, nullptr) && got) {
        out.append(buf, got);
        if (holdMs && out.find('\n') != std::string::npos) {
            TerminateProcess(pi.hProcess, 9);
            break;
        }
    }
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CloseHandle(rd);
    return out;
}

TEST_F(Marrowin, OneProcessAtATimeHoldsTheCamera)
{
    Start();
    std::string line = RunSecondProcess();
    unsigned code = 0, ms = 0;
    ASSERT_EQ(2, std::sscanf(line.c_str(), "%x %u", &code, &ms)) << line;
    EXPECT_EQ(unsigned(PELLIX_E_BUSY), code);
    EXPECT_GE(ms, 900u);
    EXPECT_LE(ms, 3000u);

    // Uninitialised from another thread than the one that initialised.
    int rc = -1;
    std::thread([&] { rc = sdk.Uninitialize(); }).join();
    EXPECT_EQ(0, rc);
    line = RunSecondProcess();
    ASSERT_EQ(2, std::sscanf(line.c_str(), "%x %u", &code, &ms)) << line;
    EXPECT_EQ(0u, code);

    // An owner that died leaves the mutex abandoned, which is as good as free.
    line = RunSecondProcess(30000);
    ASSERT_EQ(2, std::sscanf(line.c_str(), "%x %u", &code, &ms)) << line;
    ASSERT_EQ(0u, code);
    EXPECT_EQ(0, sdk.Initialize());
}

// ---- frame format ------------------------------------------------------------

TEST_F(Marrowin, FrameFormatRules)
{
    Start(0x1621);
    struct Case {
        PellixFrameFormat f;
        int rc;
        int w, h;
    } cases[] = {
        {{0, 1, 2048, 1536, 1, 1, 1, 1}, PELLIX_E_ARGUMENT, 0, 0}, // odd row start
        {{0, 0, 2048, 1536, 2, 1, 2, 1}, 0, 1024, 768},
        {{0, 0, 2048, 1536, 1, 2, 1, 1}, PELLIX_E_ARGUMENT, 0, 0}, // column bin 2, skip 1
        {{0, 0, 2048, 1536, 1, 1, 1, 2}, PELLIX_E_ARGUMENT, 0, 0}, // row bin 2, skip 1
        {{0, 0, 2048, 1536, 2, 2, 2, 2}, 0, 1024, 768},
        {{0, 0, 2048, 1536, 1, 5, 1, 1}, PELLIX_E_RANGE, 0, 0},
        {{0, 0, 2048, 1536, 9, 1, 1, 1}, PELLIX_E_RANGE, 0, 0},
        {{0, 0, 2048, 1536, 1, 1, 0, 1}, PELLIX_E_RANGE, 0, 0},
        {{0, 0, 31, 1536, 1, 1, 1, 1}, PELLIX_E_RANGE, 0, 0},
        {{0, 0, 2052, 1536, 1, 1, 1, 1}, PELLIX_E_RANGE, 0, 0},
        {{2, 0, 1024, 1536, 1, 2, 2, 1}, PELLIX_E_ARGUMENT, 0, 0}, // start not a multiple of 2 x bin
        {{4, 0, 1024, 1536, 2, 2, 2, 1}, 0, 512, 768},
        {{0, 0, 1022, 512, 1, 1, 1, 1}, PELLIX_E_ARGUMENT, 0, 0},  // width not a multiple of 4 x skip
        {{0, 0, 1024, 510, 1, 1, 4, 1}, PELLIX_E_ARGUMENT, 0, 0},  // height not a multiple of 2 x skip
        {{2016, 1504, 32, 32, 1, 1, 1, 1}, 0, 32, 32},
        {{0, 100, 2048, 1536, 1, 1, 1, 1}, PELLIX_E_RANGE, 0, 0},  // runs past the last row
        {{1024, 0, 1040, 512, 1, 1, 1, 1}, PELLIX_E_RANGE, 0, 0},  // runs past the last column
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << c.f.columnStart << "," << c.f.rowStart << " " << c.f.width << "x"
                                          << c.f.height << " skip " << int(c.f.columnSkip) << "/"
                                          << int(c.f.rowSkip) << " bin " << int(c.f.columnBin) << "/"
                                          << int(c.f.rowBin));
        EXPECT_EQ(c.rc, sdk.SetFrameFormat(&c.f));
        if (c.rc == 0) {
            Bitmap b = Grab();
            EXPECT_EQ(c.w, b.w);
            EXPECT_EQ(c.h, b.h);
            PellixFrameFormat cur;
            ASSERT_EQ(0, sdk.GetFrameFormat(&cur, nullptr, nullptr));
            EXPECT_EQ(0, std::memcmp(&cur, &c.f, sizeof cur));
        }
    }
    PellixFrameFormat cur, lo, hi;
    ASSERT_EQ(0, sdk.GetFrameFormat(&cur, &lo, &hi));
    const PellixFrameFormat expectLo{0, 0, 32, 32, 1, 1, 1, 1}, expectHi{2016, 1504, 2048, 1536, 8, 4, 8, 4};
    EXPECT_EQ(0, std::memcmp(&lo, &expectLo, sizeof lo));
    EXPECT_EQ(0, std::memcmp(&hi, &expectHi, sizeof hi));
}

TEST_F(Marrowin, FrameFormatProgramsTheSensorAndRestartsTheStream)
{
    Start(0x1621);
    sim.TakeLog();
    const PellixFrameFormat f{64, 32, 1024, 768, 2, 2, 2, 2};
    ASSERT_EQ(0, sdk.SetFrameFormat(&f));
    std::vector<std::pair<unsigned, unsigned>> regs;
    std::vector<unsigned> order;
    std::vector<std::vector<BYTE>> blocks;
    for (const auto &r : sim.TakeLog()) {
        if (r.kind == PELLIX_LOG_VENDOR && r.request == 0xB7 && r.direction == 0)
            regs.push_back({r.value, unsigned(r.data[0] << 8 | r.data[1])});
        else if (r.kind == PELLIX_LOG_VENDOR && (r.request == 0xB3 || r.request == 0xB8))
            order.push_back(r.request);
        else if (r.kind == PELLIX_LOG_BULK_WRITE)
            blocks.emplace_back(r.data, r.data + r.length);
    }
    const std::vector<std::pair<unsigned, unsigned>> expect = {
        {0x01, 32 + 20}, {0x02, 64 + 32}, {0x04, 1023}, {0x03, 767}, {0x06, 22}, {0x05, 40},
        {0x22, 0x11},    {0x23, 0x11}};
    ASSERT_GE(regs.size(), expect.size());
    regs.resize(expect.size());
    EXPECT_EQ(expect, regs);
    EXPECT_EQ((std::vector<unsigned>{0xB8, 0xB3}), order);
    // Variant A: (512 / 2 - 1) in 12 bits, then four zero bytes, before the start.
    ASSERT_EQ(1u, blocks.size());
    const std::vector<BYTE> expectA = {0xFF, 0x00, 0, 0, 0, 0};
    EXPECT_EQ(expectA, blocks[0]);
    EXPECT_EQ(512, Grab().w);

    sim.Reset();
    ASSERT_EQ(0, sdk.Uninitialize());
    ASSERT_EQ(0, sdk.Initialize());
    sim.TakeLog();
    ASSERT_EQ(0, sdk.SetFrameFormat(&kHalfB));
    blocks.clear();
    for (const auto &r : sim.TakeLog())
        if (r.kind == PELLIX_LOG_BULK_WRITE)
            blocks.emplace_back(r.data, r.data + r.length);
    ASSERT_EQ(1u, blocks.size());
    // 1296 / 2 - 1 = 647, then the pairs, then 972 - 1 = 971.
    const std::vector<BYTE> expectB = {0x87, 0x02, 0, 0, 0xFF, 1, 0xFF, 1, 0xFF, 1, 0xFF, 1, 0xCB, 0x03};
    EXPECT_EQ(expectB, blocks[0]);
}

// ---- stream and bitmaps -------------------------------------------------------

TEST_F(Marrowin, StreamStaysAlignedAcrossFramesAndRestarts)
{
    Start();
    for (const PellixFrameFormat &f : {kHalfB, kFullB}) {
        // 1,259,712 bytes (192 mod 512) and 5,038,848 bytes (256 mod 512):
        // both carry bytes of the next frame in every read.
        for (int restart = 0; restart < 2; ++restart) {
            ASSERT_EQ(0, sdk.SetFrameFormat(&f));
            sim.Stats(true);
            int last = -1;
            for (int i = 0; i < 50; ++i) {
                Bitmap b = Grab();
                ASSERT_TRUE(MarkerInPlace(b)) << "bitmap " << i << " of " << b.w << " x " << b.h;
                const int n = FrameNumber(b);
                EXPECT_GT(n, last);
                last = n;
            }
            PellixSimStats st = sim.Stats();
            EXPECT_EQ(0u, st.oddReads);
            EXPECT_LE(st.maxRead, 0x200000u);
            EXPECT_GT(st.reads, 40u);
        }
    }
}

TEST_F(Marrowin, BitmapHeaderChecksAndTimeout)
{
    Start();
    ASSERT_EQ(0, sdk.SetFrameFormat(&kHalfB));
    BITMAPINFOHEADER h;
    std::memset(&h, 0xCC, sizeof h);
    const DWORD t0 = GetTickCount();
    ASSERT_EQ(0, sdk.GetBitmap(&h, nullptr));
    EXPECT_LT(GetTickCount() - t0, 500u) << "the header needs no frame";
    EXPECT_EQ(40u, h.biSize);
    EXPECT_EQ(1296, h.biWidth);
    EXPECT_EQ(-972, h.biHeight);
    EXPECT_EQ(1, h.biPlanes);
    EXPECT_EQ(24, h.biBitCount);
    EXPECT_EQ(0u, h.biCompression);
    EXPECT_EQ(0u, h.biSizeImage);
    EXPECT_EQ(PELLIX_E_ARGUMENT, sdk.GetBitmap(nullptr, nullptr));

    // A read-only header, and a pixel buffer one page short of the frame.
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    BYTE *page = static_cast<BYTE *>(VirtualAlloc(nullptr, 1296 * 972 * 3 + si.dwPageSize, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(nullptr, page);
    DWORD old;
    ASSERT_TRUE(VirtualProtect(page, si.dwPageSize, PAGE_READONLY, &old));
    EXPECT_EQ(PELLIX_E_NOT_WRITABLE, sdk.GetBitmap(reinterpret_cast<BITMAPINFOHEADER *>(page), nullptr));
    EXPECT_EQ(PELLIX_E_NOT_WRITABLE, sdk.GetBitmap(&h, page + 16));
    VirtualFree(page, 0, MEM_RELEASE);

    // A stalled stream: no frame within the frame wait.
    sim.Change([](PellixSimConfig &c) { c.stall = 1; });
    std::vector<BYTE> px(1296 * 972 * 3);
    int rc = 0;
    for (int i = 0; i < 5 && rc == 0; ++i)
        rc = sdk.GetBitmap(&h, px.data()); // frames already read ahead
    EXPECT_EQ(PELLIX_E_TIMEOUT, rc);
    const DWORD t1 = GetTickCount();
    EXPECT_EQ(PELLIX_E_TIMEOUT, sdk.GetBitmap(&h, px.data()));
    const DWORD waited = GetTickCount() - t1;
    EXPECT_GE(waited, 900u);
    EXPECT_LE(waited, 2500u);
    sim.Change([](PellixSimConfig &c) { c.stall = 0; });
    EXPECT_EQ(0, sdk.GetBitmap(&h, px.data()));
}

TEST_F(Marrowin, FailedOrShortReadDeliversNoFrameUntilTheFormatIsSetAgain)
{
    Start();
    for (int fault = 0; fault < 2; ++fault) {
        SCOPED_TRACE(fault ? "short read" : "failed read");
        ASSERT_EQ(0, sdk.SetFrameFormat(&kFullB));
        Grab();
        // Drain what was read ahead, then let the next read go wrong.
        sim.Change([](PellixSimConfig &c) { c.stall = 1; });
        BITMAPINFOHEADER h;
        std::vector<BYTE> px(size_t(kFullB_W) * kFullB_H * 3);
        while (sdk.GetBitmap(&h, px.data()) == 0) {
        }
        sim.Change([&](PellixSimConfig &c) {
            c.stall = 0;
            (fault ? c.shortReads : c.failReads) = 1;
        });
        EXPECT_EQ(PELLIX_E_TIMEOUT, sdk.GetBitmap(&h, px.data()));
        EXPECT_EQ(PELLIX_E_TIMEOUT, sdk.GetBitmap(&h, px.data()));
    }
    ASSERT_EQ(0, sdk.SetFrameFormat(&kHalfB));
    EXPECT_TRUE(MarkerInPlace(Grab()));
}

TEST_F(Marrowin, FormatChangeOnAnotherThreadNeverOverrunsTheBitmap)
{
    Start();
    const PellixFrameFormat small{0, 0, 2592, 1944, 4, 1, 4, 1};
    ASSERT_EQ(0, sdk.SetFrameFormat(&small));
    std::atomic<bool> done{false};
    std::atomic<int> good{0};
    std::thread changer([&] {
        for (int i = 0; i < 8; ++i) {
            sdk.SetFrameFormat(i % 2 ? &small : &kHalfB);
            // Let a grab or two land in each format (on a busy machine the
            // changes alone could outrun every frame).
            const int before = good;
            for (int wait = 0; wait < 200 && good == before; ++wait)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        done = true;
    });
    int overruns = 0;
    while (!done) {
        BITMAPINFOHEADER h;
        if (sdk.GetBitmap(&h, nullptr) != 0)
            continue;
        // Exactly the size the header asks for, then a guard.
        const size_t size = size_t(h.biWidth) * -h.biHeight * 3;
        std::vector<BYTE> buf(size + 4096, 0x5A);
        if (sdk.GetBitmap(&h, buf.data()) == 0)
            ++good;
        overruns += std::count(buf.begin() + size, buf.end(), BYTE(0x5A)) != 4096;
    }
    changer.join();
    EXPECT_EQ(0, overruns);
    EXPECT_GT(good.load(), 0);
}

TEST_F(Marrowin, FailedRegisterWriteLeavesAcquisitionStopped)
{
    Start();
    float fps;
    EXPECT_EQ(0, sdk.GetFrameRate(&fps));
    // The stop request and the exposure read fail.
    sim.Change([](PellixSimConfig &c) { c.failTransfers = 2; });
    EXPECT_EQ(PELLIX_E_TRANSFER, sdk.SetFrameFormat(&kHalfB));
    EXPECT_EQ(PELLIX_E_FAILED, sdk.GetFrameRate(&fps));
    BITMAPINFOHEADER h;
    EXPECT_EQ(PELLIX_E_FAILED, sdk.GetBitmap(&h, nullptr));
    ASSERT_EQ(0, sdk.SetFrameFormat(&kHalfB));
    EXPECT_TRUE(MarkerInPlace(Grab()));
}

TEST_F(Marrowin, FrameRateFollowsTheStream)
{
    sim.Change([](PellixSimConfig &c) { c.framesPerSecond = 10; });
    Start();
    ASSERT_EQ(0, sdk.SetFrameFormat(&kHalfB));
    Sleep(2500);
    float fps = 0;
    ASSERT_EQ(0, sdk.GetFrameRate(&fps));
    EXPECT_NEAR(10.0, fps, 1.0);
}

TEST_F(Marrowin, FlipsMirrorAndReverseRows)
{
    Uniform(100, 200, 50, 100);
    sim.Change([](PellixSimConfig &c) {
        c.overrideCount = 2;
        c.overrides[0] = {100, 40, 250};
        c.overrides[1] = {7, 3, 0};
    });
    Start();
    ASSERT_EQ(0, sdk.SetFrameFormat(&kHalfB));
    const Bitmap plain = Settled();
    int one = 1, zero = 0;
    ASSERT_EQ(0, sdk.SetImageFlip(&one, nullptr));
    Bitmap b = Grab();
    int h = -1, v = -1;
    ASSERT_EQ(0, sdk.GetImageFlip(&h, &v));
    EXPECT_EQ(1, h);
    EXPECT_EQ(0, v);
    bool same = true;
    for (int y = 0; y < plain.h && same; y += 7)
        for (int x = 0; x < plain.w && same; ++x)
            same = std::memcmp(b.At(x, y), plain.At(plain.w - 1 - x, y), 3) == 0;
    EXPECT_TRUE(same) << "horizontal flip";
    ASSERT_EQ(0, sdk.SetImageFlip(&zero, &one));
    b = Grab();
    same = true;
    for (int y = 0; y < plain.h && same; ++y)
        same = std::memcmp(b.At(0, y), plain.At(0, plain.h - 1 - y), size_t(plain.w) * 3) == 0;
    EXPECT_TRUE(same) << "vertical flip";
}

// ---- processing on the raw frame ------------------------------------------------

TEST_F(Marrowin, DemosaicOfAUniformBayerFieldIsUniformEverywhere)
{
    Uniform(100, 200, 50, 100);
    Start();
    ASSERT_EQ(0, sdk.SetFrameFormat(&kHalfB));
    const Bitmap b = Settled();
    int wrong = 0;
    for (int y = 0; y < b.h; ++y)
        for (int x = 0; x < b.w; ++x)
            wrong += b.B(x, y) != 50 || b.G(x, y) != 100 || b.R(x, y) != 200;
    EXPECT_EQ(0, wrong);
}

TEST_F(Marrowin, DemosaicSpreadsImpulsesAsBilinear)
{
    struct Probe {
        int x, y, b, g, r;
    };
    struct Case {
        const char *what;
        PellixSimOverride impulse;
        std::vector<Probe> probes;
    } cases[] = {
        {"inner red",
         {11, 10, 200},
         {{11, 10, 0, 0, 200}, {10, 10, 0, 0, 100}, {11, 9, 0, 0, 100}, {10, 9, 0, 0, 50}, {12, 11, 0, 0, 50},
          {11, 11, 0, 0, 100}}},
        {"green at the first column",
         {0, 10, 200},
         {{0, 10, 0, 100, 0}, {1, 10, 0, 50, 0}, {0, 9, 0, 66, 0}, {0, 11, 0, 66, 0}, {1, 11, 0, 25, 0},
          {1, 9, 0, 25, 0}}},
        {"blue in the second row",
         {4, 1, 200},
         {{4, 1, 200, 0, 0}, {4, 0, 200, 0, 0}, {4, 2, 100, 0, 0}, {5, 0, 100, 0, 0}, {3, 1, 100, 0, 0}}},
        {"green at the last column",
         {1295, 11, 200},
         {{1295, 11, 0, 100, 0}, {1294, 11, 0, 50, 0}, {1294, 10, 0, 25, 0}, {1295, 10, 0, 66, 0}}},
    };
    Uniform(0, 0, 0, 0);
    Start();
    ASSERT_EQ(0, sdk.SetFrameFormat(&kHalfB));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim.Change([&](PellixSimConfig &cfg) {
            cfg.overrideCount = 1;
            cfg.overrides[0] = c.impulse;
        });
        const Bitmap b = Settled();
        for (const Probe &p : c.probes) {
            SCOPED_TRACE(::testing::Message() << "at " << p.x << "," << p.y);
            EXPECT_EQ(p.b, b.B(p.x, p.y));
            EXPECT_EQ(p.g, b.G(p.x, p.y));
            EXPECT_EQ(p.r, b.R(p.x, p.y));
        }
    }
}

TEST_F(Marrowin, OutputTableAndSaturation)
{
    Uniform(100, 100, 100, 100);
    Start();
    ASSERT_EQ(0, sdk.SetFrameFormat(&kHalfB));
    EXPECT_EQ(100, Settled().G(500, 500));
    ASSERT_EQ(0, sdk.LUT(0, 0, 1, 1));
    EXPECT_EQ(100, Grab().G(500, 500)) << "the straight curve with gamma 1";
    float two = 2;
    ASSERT_EQ(0, sdk.SetGamma(&two));
    Bitmap b = Grab();
    EXPECT_EQ(39, b.G(500, 500)); // trunc(255 x (100 / 255)^2)
    EXPECT_EQ(39, b.R(0, 0));
    float one = 1;
    ASSERT_EQ(0, sdk.SetGamma(&one));
    // Curve through (51, 102) and (204, 153): 100 maps to 102 + 51 x 49 / 153 = 118.
    ASSERT_EQ(0, sdk.LUT(0.2f, 0.4f, 0.8f, 0.6f));
    EXPECT_EQ(118, Grab().G(500, 500));
    ASSERT_EQ(0, sdk.LUT(0, 0, 1, 1));

    Uniform(100, 200, 50, 100);
    Settled();
    struct Case {
        float s;
        int b, g, r;
    } cases[] = {{0.5f, 50, 100, 200}, {0.0f, 116, 116, 116}, {1.0f, 0, 84, 255}};
    for (const Case &c : cases) {
        float s = c.s;
        ASSERT_EQ(0, sdk.SetSaturation(&s));
        b = Grab();
        EXPECT_EQ(c.b, b.B(300, 300)) << c.s;
        EXPECT_EQ(c.g, b.G(300, 300)) << c.s;
        EXPECT_EQ(c.r, b.R(300, 300)) << c.s;
        float v, lo, hi;
        ASSERT_EQ(0, sdk.GetSaturation(&v, &lo, &hi));
        EXPECT_NEAR(c.s, v, 1.0 / 510);
        EXPECT_EQ(0.0f, lo);
        EXPECT_EQ(1.0f, hi);
    }
}

TEST_F(Marrowin, AcceptanceThresholds)
{
    Start();
    struct Case {
        const char *what;
        std::function<int()> call;
        int rc;
    };
    auto gamma = [](float g) { return [g] { float v = g; return sdk.SetGamma(&v); }; };
    auto kelvin = [](float k) { return [k] { float v = k; return sdk.SetKelvin(&v); }; };
    const Case cases[] = {
        {"gamma 0.004", gamma(0.004f), PELLIX_E_RANGE},
        {"gamma 0.005", gamma(0.005f), 0},
        {"gamma 100", gamma(100.0f), 0},
        {"gamma 100.5", gamma(100.5f), PELLIX_E_RANGE},
        {"kelvin 0.5", kelvin(0.5f), 0},
        {"kelvin 2999", kelvin(2999.0f), PELLIX_E_RANGE},
        {"kelvin 9000", kelvin(9000.0f), 0},
        {"kelvin 9001", kelvin(9001.0f), PELLIX_E_RANGE},
        {"curve too narrow", [] { return sdk.LUT(0.5f, 0.5f, 0.505f, 0.6f); }, PELLIX_E_ARGUMENT},
        {"curve below 0", [] { return sdk.LUT(-0.1f, 0, 1, 1); }, PELLIX_E_RANGE},
        {"curve above 1", [] { return sdk.LUT(0, 0, 1, 1.1f); }, PELLIX_E_RANGE},
        {"target 0", [] { return sdk.AutoExposure(0, nullptr); }, PELLIX_E_RANGE},
        {"target 101", [] { return sdk.AutoExposure(101, nullptr); }, PELLIX_E_RANGE},
        {"area 3 wide", [] { RECT r{0, 0, 3, 100}; return sdk.AutoExposure(50, &r); }, PELLIX_E_RANGE},
        {"area past the frame", [] { RECT r{0, 0, 2593, 100}; return sdk.WhiteBalance(&r); }, PELLIX_E_RANGE},
        {"area 3 high", [] { RECT r{0, 0, 100, 3}; return sdk.WhiteBalance(&r); }, PELLIX_E_RANGE},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.rc, c.call()) << c.what;
    float k = -1, lo, hi;
    float half = 0.5f;
    ASSERT_EQ(0, sdk.SetKelvin(&half));
    ASSERT_EQ(0, sdk.GetKelvin(&k, &lo, &hi));
    EXPECT_EQ(0.0f, k);
    EXPECT_EQ(3000.0f, lo);
    EXPECT_EQ(9000.0f, hi);
    float g;
    ASSERT_EQ(0, sdk.GetGamma(&g, &lo, &hi));
    EXPECT_EQ(100.0f, g);
    EXPECT_FLOAT_EQ(0.01f, lo);
    EXPECT_EQ(100.0f, hi);
}

// ---- exposure and gains ------------------------------------------------------------

TEST_F(Marrowin, ExposureReachesTheShutterRegisters)
{
    struct Case {
        unsigned chip;
        PellixFrameFormat f;
        float ms;
        int count; // shutter count for ms, worked out from the row times
        double max;
    } cases[] = {
        {0x1801, kFullB, 100, 462, 2598.0 * 1966 / 12000},  // row time 2598
        {0x1801, kHalfB, 100, 727, 1650.0 * 994 / 12000},   // 1650
        {0x1801, kBins2B, 100, 565, 2126.0 * 994 / 12000},  // 2126
        {0x1621, kFullA, 100, 976, (1558.0 * 2457 - 199) / 24000}, // 2457
        {0x1621, kHalfA, 20, 335, (790.0 * 1433 - 199) / 24000},   // 1433
        {0x1621, kBins2A, 20, 273, (790.0 * 1759 - 541) / 24000},  // 1759
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.chip << std::dec << " " << c.f.width / c.f.columnSkip);
        sim.Reset();
        sdk.Uninitialize();
        Start(c.chip);
        ASSERT_EQ(0, sdk.SetFrameFormat(&c.f));
        float ms = c.ms;
        ASSERT_EQ(0, sdk.SetExposureTime(&ms));
        EXPECT_EQ(c.count, ShutterCount(sim));
        float v, lo, hi;
        ASSERT_EQ(0, sdk.GetExposureTime(&v, &lo, &hi));
        EXPECT_NEAR(c.ms, v, 0.15);
        EXPECT_LE(v, c.ms);
        EXPECT_NEAR(c.max, hi, 1e-3);
        ms = 1e6f;
        ASSERT_EQ(0, sdk.SetExposureTime(&ms));
        EXPECT_NEAR(c.f.height / c.f.rowSkip + 22, ShutterCount(sim), 1); // the maximum, truncated
        ms = 0;
        ASSERT_EQ(0, sdk.SetExposureTime(&ms));
        EXPECT_EQ(1, ShutterCount(sim));
    }
    // The exposure survives a format change within one count.
    sim.Reset();
    sdk.Uninitialize();
    Start();
    float ms = 100, v, lo, hi;
    ASSERT_EQ(0, sdk.SetExposureTime(&ms));
    ASSERT_EQ(0, sdk.SetFrameFormat(&kHalfB));
    ASSERT_EQ(0, sdk.GetExposureTime(&v, &lo, &hi));
    EXPECT_NEAR(100.0, v, 2 * 1650.0 / 24000);
}

TEST_F(Marrowin, GainsReachTheGainRegisters)
{
    Start();
    float v = 3.0f, g, lo, hi;
    ASSERT_EQ(0, sdk.SetGlobalGain(&v));
    for (int reg = 0x2B; reg <= 0x2E; ++reg)
        EXPECT_EQ(0x1010, sim.Register(reg)) << "D = 16 over the kept low byte of " << reg;
    ASSERT_EQ(0, sdk.GetGlobalGain(&g, &lo, &hi));
    EXPECT_EQ(3.0f, g);
    EXPECT_EQ(1.0f, lo);
    EXPECT_EQ(16.0f, hi);
    v = 40;
    ASSERT_EQ(0, sdk.SetGlobalGain(&v));
    EXPECT_EQ(120, sim.Register(0x2C) >> 8);

    // The multiplier bit preset in the sensor selects the 4..8 range.
    sim.SetRegister(0x2D, 0x0048);
    ASSERT_EQ(0, sdk.GetRedGain(&g, &lo, &hi));
    EXPECT_EQ(4.0f, lo);
    EXPECT_EQ(8.0f, hi);
    EXPECT_EQ(4.0f, g); // 8 / 4 = 2, clipped to the range
    v = 5.0f;
    ASSERT_EQ(0, sdk.SetRedGain(&v));
    EXPECT_EQ(0x0054, sim.Register(0x2D));
    v = 1.3f;
    ASSERT_EQ(0, sdk.SetBlueGain(&v));
    EXPECT_EQ(0x780A, sim.Register(0x2C)); // trunc(1.3 x 8 + 0.5) = 10, high byte kept
    ASSERT_EQ(0, sdk.GetBlueGain(&g, &lo, &hi));
    EXPECT_EQ(1.25f, g);

    sim.TakeLog();
    v = 2.5f;
    ASSERT_EQ(0, sdk.SetGreenGain(&v));
    std::vector<unsigned> written;
    for (const auto &r : RegisterWrites())
        written.push_back(r.value);
    EXPECT_EQ((std::vector<unsigned>{0x2B, 0x2E}), written);
    EXPECT_EQ(20, sim.Register(0x2E) & 0xFF);
    ASSERT_EQ(0, sdk.GetGreenGain(&g, &lo, &hi));
    EXPECT_EQ(2.5f, g);
}

TEST_F(Marrowin, ExposureGainAndGammaBrightenTheBitmap)
{
    Uniform(20, 20, 20, 20, PELLIX_SCENE_EXPOSED);
    sim.Change([](PellixSimConfig &c) { c.shutterRef = 462; }); // 100 ms at full size
    Start();
    float ms = 100;
    ASSERT_EQ(0, sdk.SetExposureTime(&ms));
    std::vector<double> means;
    means.push_back(Mean(Settled(), 1));
    ms = 200;
    ASSERT_EQ(0, sdk.SetExposureTime(&ms));
    means.push_back(Mean(Settled(), 1));
    float gain = 2;
    ASSERT_EQ(0, sdk.SetGlobalGain(&gain));
    means.push_back(Mean(Settled(), 1));
    float gamma = 0.5f;
    ASSERT_EQ(0, sdk.SetGamma(&gamma));
    means.push_back(Mean(Grab(), 1));
    // 20 x gain 2 = 40, twice the exposure 80, global gain 2 160, then gamma 0.5.
    EXPECT_NEAR(40, means[0], 1);
    EXPECT_NEAR(80, means[1], 1);
    EXPECT_NEAR(160, means[2], 1);
    EXPECT_NEAR(std::trunc(255 * std::sqrt(160 / 255.0)), means[3], 1);
}

TEST_F(Marrowin, AutoExposureCutsASaturatedSceneThenConverges)
{
    Uniform(200, 200, 200, 200, PELLIX_SCENE_EXPOSED);
    sim.Change([](PellixSimConfig &c) { c.shutterRef = 462; });
    Start();
    float ms = 100;
    ASSERT_EQ(0, sdk.SetExposureTime(&ms));
    Settled();
    sim.TakeLog();
    DWORD t0 = GetTickCount();
    EXPECT_EQ(0, sdk.AutoExposure(50, nullptr));
    EXPECT_LT(GetTickCount() - t0, 7000u);
    // Pass 1: mean above 240 counts as 500, aim 125: 99.93 ms x 125 / 500 = 24.98 ms, count 115.
    std::vector<PellixSimLogRecord> writes = RegisterWrites();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(0x09u, writes[0].value);
    EXPECT_EQ(115, writes[0].data[0] << 8 | writes[0].data[1]);

    // A dark scene: brightness 40 x count / 462 of green; aim 125 + 10.
    Uniform(20, 15, 10, 20, PELLIX_SCENE_EXPOSED);
    ASSERT_EQ(0, sdk.SetExposureTime(&ms));
    Settled();
    t0 = GetTickCount();
    EXPECT_EQ(0, sdk.AutoExposure(50, nullptr));
    EXPECT_LT(GetTickCount() - t0, 7000u);
    const Bitmap b = Settled();
    EXPECT_NEAR(135, b.G(400, 400), 10);
    RECT area{100, 100, 300, 300};
    EXPECT_EQ(0, sdk.AutoExposure(50, &area));
}

DWORD WINAPI AutoExposureThread(LPVOID done)
{
    sdk.AutoExposure(50, nullptr);
    static_cast<std::atomic<bool> *>(done)->store(true);
    return 0;
}

// Calls from several threads take turns: a setter made while auto exposure
// runs lands after it and holds, while frames keep coming meanwhile.
TEST_F(Marrowin, CallsFromOtherThreadsWaitForAutoExposureButFramesDoNot)
{
    Uniform(255, 255, 255, 255);  // a fixed scene: auto exposure never converges
    Start();
    float ms = 100;
    ASSERT_EQ(0, sdk.SetExposureTime(&ms));
    Settled();
    sim.TakeLog();
    std::atomic<bool> done{false};
    HANDLE t = CreateThread(nullptr, 0, &AutoExposureThread, &done, 0, nullptr);
    ASSERT_TRUE(t);
    // Its first pass has written the shutter: it is under way.
    DWORD end = GetTickCount() + 20000;
    while (RegisterWrites().empty() && (int)(GetTickCount() - end) < 0)
        Sleep(10);
    ASSERT_FALSE(done.load()) << "auto exposure ended before the other calls could meet it";
    Grab();
    EXPECT_FALSE(done.load()) << "a frame waited for auto exposure";
    float mine = 7, got = 0, lo, hi;
    ASSERT_EQ(0, sdk.SetExposureTime(&mine));
    EXPECT_TRUE(done.load()) << "the setter ran inside auto exposure";
    WaitForSingleObject(t, 20000);
    CloseHandle(t);
    ASSERT_EQ(0, sdk.GetExposureTime(&got, &lo, &hi));
    EXPECT_NEAR(7, got, 0.2);
}

TEST_F(Marrowin, WhiteBalanceMakesAGreyPatchGrey)
{
    // Colour cast under the gains of 2.0: raw green 100, red 150, blue 60.
    Uniform(50, 75, 30, 50, PELLIX_SCENE_EXPOSED);
    sim.Change([](PellixSimConfig &c) { c.shutterRef = 462; });
    Start();
    float ms = 100;
    ASSERT_EQ(0, sdk.SetExposureTime(&ms));
    Settled();
    const WORD greenBefore = sim.Register(0x2B);
    RECT patch{200, 200, 1000, 1000};
    ASSERT_EQ(0, sdk.WhiteBalance(&patch));
    // Red 2 x 100 / 150 = 1.333 (code 11), blue 2 x 100 / 60 = 3.333 (code 27).
    EXPECT_EQ(11, sim.Register(0x2D) & 0xFF);
    EXPECT_EQ(27, sim.Register(0x2C) & 0xFF);
    EXPECT_EQ(greenBefore, sim.Register(0x2B));
    EXPECT_EQ(greenBefore, sim.Register(0x2E));
    const Bitmap b = Settled();
    EXPECT_NEAR(b.G(600, 600), b.R(600, 600), 4);
    EXPECT_NEAR(b.G(600, 600), b.B(600, 600), 4);
}

TEST_F(Marrowin, WhiteBalanceAppliesTheColourTemperature)
{
    Uniform(100, 150, 60, 100); // fixed: the gains do not change the scene
    Start();
    Settled();
    struct Case {
        float kelvin;
        int red, blue;
    } cases[] = {
        {6000, 12, 24}, // row of 5000 K (255, 228, 206): 2 x 2/3 x 255/228, 2 x 5/3 x 206/228
        {9000, 10, 29}, // row of 8000 K (227, 233, 255)
    };
    for (const Case &c : cases) {
        float two = 2, k = c.kelvin;
        ASSERT_EQ(0, sdk.SetRedGain(&two));
        ASSERT_EQ(0, sdk.SetBlueGain(&two));
        ASSERT_EQ(0, sdk.SetKelvin(&k));
        ASSERT_EQ(0, sdk.WhiteBalance(nullptr));
        EXPECT_EQ(c.red, sim.Register(0x2D) & 0xFF) << c.kelvin;
        EXPECT_EQ(c.blue, sim.Register(0x2C) & 0xFF) << c.kelvin;
    }
    Uniform(100, 150, 0, 100);
    Settled();
    EXPECT_EQ(PELLIX_E_ARGUMENT, sdk.WhiteBalance(nullptr)) << "a class mean below 1";
}

TEST_F(Marrowin, HistogramOfAKnownFrame)
{
    Uniform(100, 150, 60, 110);
    Start();
    ASSERT_EQ(0, sdk.SetFrameFormat(&kHalfB));
    Settled();
    int bytes = 0;
    EXPECT_EQ(0, sdk.GetHistogram(nullptr, &bytes));
    EXPECT_EQ(3072, bytes);
    std::vector<int> bins(768, -1);
    ASSERT_EQ(0, sdk.GetHistogram(bins.data(), nullptr));
    const int perClass = 4 * 648 * 486;
    std::vector<int> expect(768, 0);
    expect[60] = perClass;              // blue
    expect[256 + (100 + 110) / 2] = perClass; // green pair
    expect[512 + 150] = perClass;       // red
    EXPECT_EQ(expect, bins);
}

TEST_F(Marrowin, FlatFieldCorrectionFlattensAVignettedScene)
{
    Uniform(160, 160, 160, 160);
    sim.Change([](PellixSimConfig &c) { c.vignettePercent = 30; });
    Start();
    int bytes = 0, on = -1;
    ASSERT_EQ(0, sdk.FFC_Memory(&bytes));
    EXPECT_EQ(1944 * 80 + 128, bytes);
    ASSERT_EQ(0, sdk.FFC_Get(&on));
    EXPECT_EQ(0, on);
    on = 1;
    EXPECT_EQ(PELLIX_E_FAILED, sdk.FFC_Set(&on));
    ASSERT_EQ(0, sdk.SetFrameFormat(&kHalfB));

    auto spread = [](const Bitmap &b, bool rowsOnly) {
        int worst = 0;
        for (int y = 4; y < b.h - 4; y += 16) {
            int lo = 255, hi = 0;
            for (int x = 4; x < b.w - 4; x += 4) {
                lo = std::min(lo, b.G(x, y));
                hi = std::max(hi, b.G(x, y));
            }
            worst = std::max(worst, hi - lo);
        }
        if (!rowsOnly) {
            int lo = 255, hi = 0;
            for (int y = 4; y < b.h - 4; y += 4) {
                lo = std::min(lo, b.G(b.w / 2, y));
                hi = std::max(hi, b.G(b.w / 2, y));
            }
            worst = std::max(worst, hi - lo);
        }
        return worst;
    };
    EXPECT_GT(spread(Settled(), false), 40);

    std::vector<double> model(bytes / sizeof(double));
    ASSERT_EQ(0, sdk.FFC_Create(model.data()));
    PellixFrameFormat cur;
    ASSERT_EQ(0, sdk.GetFrameFormat(&cur, nullptr, nullptr));
    EXPECT_EQ(0, std::memcmp(&cur, &kHalfB, sizeof cur)) << "the format is restored";
    EXPECT_EQ(0, sdk.FFC_Get(&on));
    EXPECT_EQ(0, on) << "creating does not switch the correction on";
    on = 1;
    ASSERT_EQ(0, sdk.FFC_Set(&on));
    ASSERT_EQ(0, sdk.FFC_Get(&on));
    EXPECT_EQ(1, on);
    Bitmap b = Grab();
    EXPECT_LE(spread(b, false), 6);
    EXPECT_NEAR(160, b.G(b.w / 2, b.h / 2), 3);

    // The import rebuilds only the horizontal part: rows flat, columns not.
    // It only reads the model, so a read-only copy will do.
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    void *ro = VirtualAlloc(nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(nullptr, ro);
    std::memcpy(ro, model.data(), bytes);
    DWORD old;
    ASSERT_TRUE(VirtualProtect(ro, bytes, PAGE_READONLY, &old));
    ASSERT_EQ(0, sdk.FFC_Import(static_cast<double *>(ro)));
    VirtualFree(ro, 0, MEM_RELEASE);
    b = Grab();
    EXPECT_LE(spread(b, true), 6);
    EXPECT_GT(spread(b, false), 30);

    // A dark scene fits to nothing: no infinite gains, the bitmap stays dark.
    Uniform(0, 0, 0, 0);
    EXPECT_EQ(0, sdk.FFC_Create(nullptr));
    b = Settled();
    EXPECT_EQ(0, b.G(100, 100));
}

} // namespace

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!sdk.Bind()) {
        std::fprintf(stderr, "Marrowin.dll or one of its exports is missing\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
