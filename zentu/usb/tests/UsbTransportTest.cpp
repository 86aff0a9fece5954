// The transport end to end against the simulated camera driver: what reaches
// the driver (its request log), what comes back (frames of its test scene),
// and how faults injected in the driver come out.
#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <tuple>
#include <vector>
#include "RawFrameReader.h"
#include "TransportSensor.h"
#include "UsbTransport.h"
#include "ZentuScene.h"
#include "ZentuSimControl.h"

namespace {

// (request, direction, value, index) of one vendor request.
using Req = std::tuple<int, int, int, int>;

std::vector<Req> Requests(CZentuSimControl& sim)
{
    std::vector<Req> r;
    for (const ZentuSimLogEntry& e : sim.VendorLog()) r.emplace_back(e.request, e.dir, e.value, e.index);
    return r;
}

Req W(int reg, int value) { return Req{9, 1, value, reg}; }
Req Nv(int address) { return Req{17, 1, 0, address}; }
Req Stream(int value) { return Req{1, 0, value, 15}; }

struct SizeInfo {
    int size, width, height, skip;
    DWORD chunk, frame;
    std::vector<std::pair<int, int>> defects; // the driver's own table
    int stepNormal50;
};

const SizeInfo kSizes[] = {
    {0, 2048, 1536, 1, 524288, 3145728, {{100, 200}, {1000, 700}, {2000, 1500}}, 87},
    {1, 1024, 768, 2, 131072, 786432, {{50, 60}, {900, 500}}, 116},
    {2, 640, 480, 3, 81920, 307200, {{10, 20}, {600, 400}}, 120},
};

// Counts the bytes that differ from the scene the driver renders.
int SceneMismatches(const BYTE* frame, const SizeInfo& s, CZentuSimControl& sim, unsigned scene = 0)
{
    std::vector<unsigned short> regs = sim.Registers();
    unsigned long long factor = zentu_scene_factor(regs[9], regs[53]);
    int bad = 0;
    for (int y = 0; y < s.height; y++)
        for (int x = 0; x < s.width; x++) {
            size_t i = (size_t)y * s.width + x;
            if (i < ZENTU_SCENE_STAMP_BYTES) continue;
            BYTE want = zentu_scene_raw(scene, x, y, s.skip, s.skip, factor);
            for (auto& d : s.defects)
                if (d.first == x && d.second == y) want = 255;
            if (frame[i] != want) bad++;
        }
    return bad;
}

unsigned Stamp(const BYTE* frame)
{
    return frame[0] | frame[1] << 8 | frame[2] << 16 | (unsigned)frame[3] << 24;
}

class Transport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.IsOpen()) << "the simulated Zentu driver is not running";
        ASSERT_TRUE(sim.Reset());
        ASSERT_TRUE(sim.SetPeriod(15000));
    }
    void TearDown() override
    {
        if (t) StopCaptureSequence(t);
        sim.Reset();
    }
    // Capture start for a size, then streaming on.
    void Start(int size)
    {
        owner.settings.sizeIndex = (uint32_t)size;
        t = StartCaptureSequence(owner);
        ASSERT_NE(t, nullptr);
        UsbStartStream(t);
        frame.assign(t->frameSize, 0);
    }

    CZentuSimControl sim;
    ZentuOwner owner;
    CUsbTransport* t = nullptr;
    std::vector<BYTE> frame;
};

} // namespace

TEST_F(Transport, BringUpWindowAndFramesForEachSize)
{
    for (const SizeInfo& s : kSizes) {
        SCOPED_TRACE(s.size);
        sim.Reset();
        sim.SetPeriod(15000);
        owner = ZentuOwner();
        owner.settings.sizeIndex = (uint32_t)s.size;
        owner.settings.exposureTime = 300;
        owner.settings.gain = 10;
        t = StartCaptureSequence(owner);
        ASSERT_NE(t, nullptr);

        std::vector<Req> want = {Stream(1), Stream(0), Stream(1),
                                 W(7, 2), Req{8, 1, 0, 0}, W(10, 0x8000), W(13, 1), W(13, 0),
                                 W(1, 21), W(2, 33), W(32, 0), W(30, 0x8040), W(78, 32), W(4, 2047), W(3, 1535),
                                 W(43, 96), W(44, 1120), W(45, 96), W(46, 96), W(10, 0x8001), W(73, 128),
                                 W(34, 0), W(35, 0), W(8, 0), W(9, 1561)};
        if (s.size == 0) want.insert(want.end(), {W(34, 0), W(35, 0)});
        if (s.size == 1) want.insert(want.end(), {W(34, 0x11), W(35, 0x11)});
        if (s.size == 2) want.insert(want.end(), {W(4, 1919), W(3, 1439), W(34, 0x22), W(35, 0x22), W(2, 36)});
        want.insert(want.end(), {W(10, 0x8001), W(5, 336), Nv(0x24C0), Nv(0x24C4 + 4 * s.size), Nv(0x24C6 + 4 * s.size)});
        for (size_t i = 0; i < s.defects.size(); i++) {
            want.push_back(Nv(0x2500 + 400 * s.size + 4 * (int)i));
            want.push_back(Nv(0x2502 + 400 * s.size + 4 * (int)i));
        }
        want.insert(want.end(), {W(9, 300), W(53, 18)});
        EXPECT_EQ(Requests(sim), want);

        ASSERT_EQ(owner.pipe.defects.count, s.defects.size());
        for (size_t i = 0; i < s.defects.size(); i++) {
            EXPECT_EQ(owner.pipe.defects.column[i], s.defects[i].first);
            EXPECT_EQ(owner.pipe.defects.row[i], s.defects[i].second);
        }
        EXPECT_EQ(owner.pipe.aeStep, s.stepNormal50);
        EXPECT_EQ(t->chunkSize, s.chunk);
        EXPECT_EQ(t->frameSize, s.frame);

        UsbStartStream(t);
        frame.assign(t->frameSize, 0);
        sim.ClearLog();
        ASSERT_EQ(ReadRawFrame(t, frame.data()), 1);
        ZentuSimStatus st = sim.Status();
        EXPECT_EQ((int)st.frameWidth, s.width);
        EXPECT_EQ((int)st.frameHeight, s.height);
        EXPECT_EQ(SceneMismatches(frame.data(), s, sim), 0);
        for (const ZentuSimLogEntry& e : sim.Log())
            if (e.kind == ZSIM_LOG_READ) {
                EXPECT_EQ(e.length, s.chunk);
            }

        sim.ClearLog();
        StopCaptureSequence(t);
        t = nullptr;
        std::vector<ZentuSimLogEntry> log = sim.Log();
        ASSERT_EQ(log.size(), 4u);
        EXPECT_EQ(Requests(sim), (std::vector<Req>{Stream(1), Stream(0), W(7, 0)}));
        EXPECT_EQ(log.back().kind, ZSIM_LOG_CLOSE);
    }
}

TEST_F(Transport, ChunkRuleZeroLengthReadAtAFrameBoundary)
{
    const struct { int size; std::vector<DWORD> lengths; } cases[] = {
        {1, {131072, 131072, 131072, 131072, 131072, 131072, 0, 131072}},
        {2, {81920, 81920, 81920, 61440, 81920}},
    };
    // One read at a time, as a host that reads slowly.
    sim.SetPeriod(100000);
    for (auto& c : cases) {
        SCOPED_TRACE(c.size);
        Start(c.size);
        std::vector<DWORD> got;
        OVERLAPPED ov = {};
        ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        for (size_t k = 0; k < c.lengths.size(); k++) {
            DWORD n = 0;
            ResetEvent(ov.hEvent);
            if (!ReadFile(t->device, t->chunks[0], t->chunkSize, nullptr, &ov)) {
                ASSERT_EQ(GetLastError(), (DWORD)ERROR_IO_PENDING);
            }
            ASSERT_TRUE(GetOverlappedResult(t->device, &ov, &n, TRUE));
            got.push_back(n);
        }
        CloseHandle(ov.hEvent);
        EXPECT_EQ(got, c.lengths);
        StopCaptureSequence(t);
        t = nullptr;
    }
}

TEST_F(Transport, GainMapping)
{
    const struct { int gain; WORD reg; } cases[] = {
        {0, 8}, {24, 32}, {25, 81}, {40, 96}, {41, 352}, {85, 0x2D60}, {86, 0x2D60}, {-1, 0x2D60}, {0xFFFF, 0x2D60},
    };
    for (auto& c : cases) EXPECT_EQ(SensorGainRegister(c.gain), c.reg) << c.gain;
    Start(2);
    sim.ClearLog();
    SetSensorGain(t, 41);
    SetSensorGain(t, 0xFFFF);
    EXPECT_EQ(Requests(sim), (std::vector<Req>{W(53, 352), W(53, 0x2D60)}));
    EXPECT_EQ(sim.Registers()[53], 0x2D60);
}

// Frames that start mid-way, carry too much or too little, or fail.
TEST_F(Transport, ShortAndWrongFramesNeverPassAsGood)
{
    struct Case {
        const char* name;
        int size;
        unsigned fault, count;
        int param; // offset for mid-frame starts (negative: from the frame end), size change otherwise
        int want;
    };
    const Case cases[] = {
        {"mid-frame start, size 0", 0, ZSIM_FAULT_MIDFRAME, 1, -(2 * 524288 + 262144), 1},
        {"mid-frame start, size 2", 2, ZSIM_FAULT_MIDFRAME, 1, -(2 * 81920 + 40960), 1},
        // The reads in flight then hold the next frame's first chunks at
        // the places of later ones, with new reads issued behind them.
        {"mid-frame start, first read short, size 0", 0, ZSIM_FAULT_MIDFRAME, 1, -262144, 1},
        {"mid-frame start, second read short, size 1", 1, ZSIM_FAULT_MIDFRAME, 1, -(131072 + 1000), 1},
        {"two mid-frame starts", 2, ZSIM_FAULT_MIDFRAME, 2, -(2 * 81920 + 40960), 0},
        {"trailing bytes, size 0", 0, ZSIM_FAULT_FRAME_SIZE, 1, 100, 0},
        {"trailing bytes, size 2", 2, ZSIM_FAULT_FRAME_SIZE, 1, 100, 0},
        {"last read short, size 2", 2, ZSIM_FAULT_FRAME_SIZE, 1, -1000, 0},
        {"frame short by a chunk and more, size 1", 1, ZSIM_FAULT_FRAME_SIZE, 1, -140000, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start(c.size);
        const SizeInfo& s = kSizes[c.size];
        unsigned param = c.param < 0 && c.fault == ZSIM_FAULT_MIDFRAME ? (unsigned)((int)s.frame + c.param) : (unsigned)c.param;
        ASSERT_TRUE(sim.SetFault(c.fault, c.count, param));
        EXPECT_EQ(ReadRawFrame(t, frame.data()), c.want);
        if (c.want == 1) {
            EXPECT_EQ(SceneMismatches(frame.data(), s, sim), 0);
        }
        // The camera is back in step with the next call.
        std::fill(frame.begin(), frame.end(), 0);
        EXPECT_EQ(ReadRawFrame(t, frame.data()), 1);
        EXPECT_EQ(SceneMismatches(frame.data(), s, sim), 0);
        StopCaptureSequence(t);
        t = nullptr;
    }
}

TEST_F(Transport, FramesFollowOneAnotherAndAreDroppedWhileNobodyReads)
{
    Start(2);
    ASSERT_EQ(ReadRawFrame(t, frame.data()), 1);
    unsigned first = Stamp(frame.data());
    // With no read pending the camera drops its frames; a busy machine makes
    // fewer periods pass in a given time, so wait for the drops themselves.
    const DWORD until = GetTickCount() + 10000;
    while (sim.Status().framesDropped <= 5 && (LONG)(until - GetTickCount()) > 0) {
        Sleep(10);
    }
    EXPECT_GT(sim.Status().framesDropped, 5u);
    ASSERT_EQ(ReadRawFrame(t, frame.data()), 1);
    EXPECT_EQ(Stamp(frame.data()), first + 1); // dropped frames were never started
    EXPECT_EQ(SceneMismatches(frame.data(), kSizes[2], sim), 0);
}

TEST_F(Transport, UnpluggedCameraFailsReadsAndRequests)
{
    Start(2);
    // Reads in flight when the camera goes away.
    sim.SetFault(ZSIM_FAULT_STALL, 1);
    std::atomic<int> result{99};
    std::thread reader([&] { result = ReadRawFrame(t, frame.data()); });
    Sleep(100);
    EXPECT_EQ(result.load(), 99);
    sim.SetFault(ZSIM_FAULT_UNPLUG, 1);
    reader.join();
    EXPECT_LT(result.load(), 0);
    // New reads and requests fail as well.
    EXPECT_LT(ReadRawFrame(t, frame.data()), 0);
    WORD v;
    EXPECT_EQ(ReadSensorRegister(t, &v), 0);
    StopCaptureSequence(t);
    t = nullptr;
    ZentuOwner other;
    sim.SetPresent(0);
    EXPECT_EQ(StartCaptureSequence(other), nullptr); // no camera at all
}

TEST_F(Transport, StalledCameraIsReleasedByCancel)
{
    Start(0);
    sim.SetFault(ZSIM_FAULT_STALL, 1);
    std::atomic<int> result{99};
    std::thread reader([&] { result = ReadRawFrame(t, frame.data()); });
    Sleep(200);
    EXPECT_EQ(result.load(), 99);
    EXPECT_EQ(sim.Status().pendingReads, 4u);
    CancelTransportReads(t);
    reader.join();
    EXPECT_LT(result.load(), 0);
    EXPECT_EQ(sim.Status().pendingReads, 0u);
}

TEST_F(Transport, ClosingAHandleEndsItsPendingReads)
{
    Start(2);
    UsbStopStream(t); // reads now wait for a stream that does not come
    HANDLE h = CreateFileA("\\\\.\\zentu-0", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    static BYTE buf[2][4096];
    OVERLAPPED ov[2] = {};
    for (int k = 0; k < 2; k++) {
        ov[k].hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        EXPECT_FALSE(ReadFile(h, buf[k], sizeof buf[k], nullptr, &ov[k]));
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_IO_PENDING);
    }
    Sleep(50);
    EXPECT_EQ(sim.Status().pendingReads, 2u);
    CloseHandle(h);
    for (int k = 0; k < 2; k++) {
        EXPECT_EQ(WaitForSingleObject(ov[k].hEvent, 2000), WAIT_OBJECT_0);
        EXPECT_NE(ov[k].Internal, 0u); // not a success
        CloseHandle(ov[k].hEvent);
    }
    EXPECT_EQ(sim.Status().pendingReads, 0u);
    EXPECT_EQ(sim.Status().openHandles, 1u); // the transport's own handle
}

TEST_F(Transport, WrongChipVersionFreesTheTransport)
{
    sim.SetRegister(0, 0x1743);
    sim.ClearLog();
    EXPECT_EQ(StartCaptureSequence(owner), nullptr);
    std::vector<ZentuSimLogEntry> log = sim.Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.back().kind, ZSIM_LOG_CLOSE);
    std::vector<Req> r = Requests(sim);
    EXPECT_EQ(r, (std::vector<Req>{Stream(1), Stream(0), Stream(1), W(7, 2), Req{8, 1, 0, 0}, W(7, 0)}));
    EXPECT_EQ(sim.Status().openHandles, 0u);
}

TEST_F(Transport, StatusByteOtherThanEightFails)
{
    Start(2);
    WORD v = 0;
    sim.SetFault(ZSIM_FAULT_STATUS, 3, 4);
    EXPECT_EQ(ReadSensorRegister(t, &v), 0);
    EXPECT_EQ(WriteSensorRegister(t, 5, 9), 0);
    EXPECT_EQ(ReadDeviceMemory(t, 0x24C0, &v), 0);
    EXPECT_EQ(ReadSensorRegister(t, &v), 1);
    EXPECT_EQ(v, 0x1643);
    EXPECT_EQ(ReadDeviceMemory(t, 0x24C0, &v), 1);
    EXPECT_EQ(v, 0xAA22);
}

TEST_F(Transport, ClearOpenFlagSendsNothing)
{
    Start(2);
    sim.ClearLog();
    t->open = 0;
    WORD v = 0;
    EXPECT_EQ(WriteSensorRegister(t, 1, 9), 0);
    EXPECT_EQ(ReadSensorRegister(t, &v), 0);
    UsbStartStream(t);
    UsbStopStream(t);
    SetSensorGain(t, 20);
    EXPECT_TRUE(sim.Log().empty());
    t->open = 1;
}

TEST_F(Transport, DefectTableLayoutCases)
{
    Start(1);
    struct Case {
        const char* name;
        std::vector<std::pair<int, std::vector<unsigned short>>> nv; // address, words
        int ok;
        std::vector<std::pair<int, int>> want;
    };
    const Case cases[] = {
        {"bad marker", {{0x24C0, {0xAA23}}}, 0, {}},
        {"bad size tag", {{0x24C4 + 4, {0x0100}}}, 0, {}},
        {"count 100", {{0x24C6 + 4, {100}}}, 0, {}},
        {"count 0", {{0x24C6 + 4, {0}}}, 1, {}},
        {"count 3 in order", {{0x24C6 + 4, {3}}, {0x2500 + 400, {7, 0, 8, 0, 9, 0, 10, 0, 60000, 0, 11}}}, 1,
         {{7, 8}, {9, 10}, {60000, 11}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim.Reset(); // default tables back
        for (auto& w : c.nv) ASSERT_TRUE(sim.WriteNv(w.first, w.second));
        DefectList list;
        list.count = 42;
        EXPECT_EQ(ReadDefectTable(t, 1, &list), c.ok);
        ASSERT_EQ(list.count, c.want.size());
        for (size_t i = 0; i < c.want.size(); i++) {
            EXPECT_EQ(list.column[i], c.want[i].first);
            EXPECT_EQ(list.row[i], c.want[i].second);
        }
    }
}

TEST(DefectTable, FailedReadMidTableLeavesTheListEmpty)
{
    struct Memory { int reads = 0; } mem;
    auto read = [](void* ctx, WORD address, WORD* word) -> int {
        Memory* m = static_cast<Memory*>(ctx);
        if (++m->reads == 6) return 0; // the second pair's column
        *word = address == 0x24C0 ? 0xAA22 : address == 0x24C4 ? 0 : address == 0x24C6 ? 3 : 5;
        return 1;
    };
    DefectList list;
    list.count = 7;
    EXPECT_EQ(ReadDefectTableWith(read, &mem, 0, &list), 0);
    EXPECT_EQ(list.count, 0);
}

// What the Hestral library adds on the same driver: devices 1 to 3, port
// bytes, memory writes and its own chunk size.
TEST_F(Transport, OtherDevicesPortBytesMemoryWritesAndChunkSizes)
{
    ASSERT_TRUE(sim.SetPresent(0x5));
    const char* names[] = {"\\\\.\\zentu-0", "\\\\.\\zentu-1", "\\\\.\\zentu-2", "\\\\.\\zentu-3"};
    const bool present[] = {true, false, true, false};
    for (int n = 0; n < 4; n++) {
        HANDLE h = CreateFileA(names[n], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, present[n]) << n;
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    HANDLE h = CreateFileA(names[2], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    BYTE reply[3] = {};
    DWORD got = 0;
    EXPECT_TRUE(SendVendorRequest(h, 1, 6, 0x5A, 0xFE00, reply, 1, &got));
    EXPECT_EQ(got, 1u);
    EXPECT_TRUE(SendVendorRequest(h, 1, 6, 0, 0, reply, 1, &got));
    EXPECT_EQ(reply[0], 0x5A);
    EXPECT_TRUE(SendVendorRequest(h, 1, 16, 0x2701, 0x3FF0, reply, 1, &got));
    EXPECT_EQ(reply[0], 8);
    EXPECT_TRUE(SendVendorRequest(h, 1, 17, 0, 0x3FF0, reply, 3, &got));
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(reply[0] << 8 | reply[1], 0x2701);
    EXPECT_EQ(sim.ReadNv(0x3FF0, 1, 2), (std::vector<unsigned short>{0x2701}));
    EXPECT_EQ(sim.ReadNv(0x3FF0, 1, 0), (std::vector<unsigned short>{0x2612})); // camera 0 untouched
    EXPECT_TRUE(SendVendorRequest(h, 1, 8, 0, 4, reply, 3, &got)); // any register
    EXPECT_EQ(reply[0] << 8 | reply[1], 2047);

    // Full-width frames in chunks of width x 128: 12 reads and a zero-length one.
    sim.SetPeriod(15000, 2);
    EXPECT_TRUE(SendVendorRequest(h, 0, 1, 3, 15, nullptr, 0, nullptr));
    static BYTE chunks[4][kChunkBufferBytes];
    std::vector<BYTE> raw(2048 * 1536);
    sim.ClearLog();
    EXPECT_EQ(ReadChunkedFrame(h, chunks, 2048 * 128, 2048 * 1536, raw.data()), 1);
    int reads = 0;
    for (const ZentuSimLogEntry& e : sim.Log())
        if (e.kind == ZSIM_LOG_READ) {
            EXPECT_EQ(e.camera, 2);
            EXPECT_EQ(e.length, 262144u);
            reads++;
        }
    EXPECT_GE(reads, 13);
    std::vector<unsigned short> regs = sim.Registers(2);
    unsigned long long f = zentu_scene_factor(regs[9], regs[53]);
    int bad = 0;
    for (int y = 1; y < 1536; y += 7)
        for (int x = 0; x < 2048; x += 5)
            if (raw[(size_t)y * 2048 + x] != zentu_scene_raw(0, x, y, 1, 1, f) &&
                !(x == 1000 && y == 700) && !(x == 100 && y == 200) && !(x == 2000 && y == 1500))
                bad++;
    EXPECT_EQ(bad, 0);
    CloseHandle(h);
}

// Automatic exposure run on the pipeline's output, its register writes sent
// to the simulated sensor whose brightness follows exposure and gain.
TEST_F(Transport, AutoExposureConvergesOnTheTarget)
{
    const struct { uint32_t exposure, gain; } starts[] = {{2000, 40}, {20, 1}};
    for (auto& st : starts) {
        SCOPED_TRACE(st.exposure);
        CRITICAL_SECTION lock;
        InitializeCriticalSection(&lock);
        CTransportSensor sensor(&lock);
        owner = ZentuOwner();
        owner.sensor = &sensor;
        owner.settings.exposureTime = st.exposure;
        owner.settings.gain = st.gain;
        owner.settings.aeTarget = 100;
        Start(2);
        sensor.SetTransport(t);
        std::vector<uint8_t> out(640 * 480 * 3);
        // About 30 frames from too bright, 80 from too dark; then it holds:
        // the last frames write nothing.
        for (int k = 0; k < 120; k++) {
            if (k == 110) sim.ClearLog();
            ASSERT_EQ(ReadRawFrame(t, frame.data()), 1);
            RunPipeline(owner, frame.data(), out.data());
        }
        EXPECT_TRUE(Requests(sim).empty());
        // The luma of the demosaiced picture (before tone) settles near the target.
        std::vector<uint8_t> bayer(640 * 480 * 3);
        DemosaicBilinear(frame.data(), bayer.data(), 640, 480);
        int measured = MeasureCenterLuma(640, bayer.data(), 480);
        EXPECT_NEAR(measured, 100, 15) << "exposure " << owner.settings.exposureTime << " gain " << owner.settings.gain;
        EXPECT_EQ(sim.Registers()[9], owner.settings.exposureTime);
        EXPECT_EQ(sim.Registers()[53], SensorGainRegister((int)owner.settings.gain));
        sensor.SetTransport(nullptr);
        StopCaptureSequence(t);
        t = nullptr;
        DeleteCriticalSection(&lock);
    }
}

TEST_F(Transport, WhiteBalanceMakesTheGreyPatchGrey)
{
    owner.settings.autoExposure = 0;
    owner.settings.exposureTime = 300;
    owner.settings.gain = 8; // unit brightness
    owner.settings.gainR = owner.settings.gainG = owner.settings.gainB = 64;
    UpdateChannelTables(owner);
    Start(2);
    std::vector<uint8_t> out(640 * 480 * 3);
    // Grey patch: sensor 1536-1791 x 896-1151, at a third 512-597 x 299-383;
    // the output is mirrored.
    auto patch = [&] {
        const uint8_t* p = &out[((size_t)341 * 640 + (639 - 555)) * 3];
        return std::vector<int>{p[0], p[1], p[2]};
    };
    ASSERT_EQ(ReadRawFrame(t, frame.data()), 1);
    RunPipeline(owner, frame.data(), out.data());
    std::vector<int> before = patch();
    EXPECT_GT(before[1] - before[2], 20) << "red is weak before the balance";

    owner.settings.whiteBalanceRequest = 1;
    ASSERT_EQ(ReadRawFrame(t, frame.data()), 1);
    RunPipeline(owner, frame.data(), out.data());
    EXPECT_EQ(owner.settings.whiteBalanceRequest, 0u);
    ASSERT_EQ(ReadRawFrame(t, frame.data()), 1);
    RunPipeline(owner, frame.data(), out.data());
    std::vector<int> after = patch();
    EXPECT_NEAR(after[0], after[1], 3) << "gains " << owner.settings.gainR << " " << owner.settings.gainG << " " << owner.settings.gainB;
    EXPECT_NEAR(after[2], after[1], 3);
}

TEST_F(Transport, ReaderThreadAndDirectPathsDeliverFrames)
{
    for (CRawFrameReader::Path path : {CRawFrameReader::Path::ReaderThread, CRawFrameReader::Path::Direct}) {
        SCOPED_TRACE(path == CRawFrameReader::Path::Direct ? "direct" : "reader thread");
        Start(2);
        CRawFrameReader reader;
        reader.Start(t, path);
        EXPECT_EQ(reader.UsesThread(), path == CRawFrameReader::Path::ReaderThread);
        unsigned last = 0;
        int frames = 0;
        for (int attempt = 0; attempt < 200 && frames < 5; attempt++) {
            BYTE* raw = nullptr;
            int r = reader.Acquire(&raw, nullptr, 500);
            ASSERT_GE(r, 0);
            if (r == 0) continue;
            EXPECT_EQ(SceneMismatches(raw, kSizes[2], sim), 0);
            EXPECT_GT(Stamp(raw), last);
            last = Stamp(raw);
            reader.Release(raw);
            frames++;
        }
        EXPECT_EQ(frames, 5);
        reader.Stop();
        StopCaptureSequence(t);
        t = nullptr;
    }
}

TEST_F(Transport, ReaderStopsOnAStalledCameraAndReportsAnUnplug)
{
    Start(0);
    CRawFrameReader reader;
    reader.Start(t, CRawFrameReader::Path::ReaderThread);
    BYTE* raw = nullptr;
    int r = 0;
    for (int k = 0; k < 50 && r == 0; k++) r = reader.Acquire(&raw, nullptr, 500);
    ASSERT_EQ(r, 1);
    reader.Release(raw);
    sim.SetFault(ZSIM_FAULT_STALL, 1);
    Sleep(200);
    DWORD t0 = GetTickCount();
    reader.Stop();
    EXPECT_LT(GetTickCount() - t0, 2000u);

    sim.SetFault(ZSIM_FAULT_STALL, 0);
    reader.Start(t, CRawFrameReader::Path::ReaderThread);
    sim.SetFault(ZSIM_FAULT_UNPLUG, 1);
    r = 0;
    for (int k = 0; k < 50 && r >= 0; k++) {
        r = reader.Acquire(&raw, nullptr, 100);
        if (r == 1) reader.Release(raw);
    }
    EXPECT_LT(r, 0);
}

TEST_F(Transport, OtherSizeIndexesReadAsSizeOneAndSetNoWindow)
{
    Start(1);
    for (int size : {3, -1, 99}) {
        GetRawFrameGeometry(t, size);
        EXPECT_EQ(t->rawWidth, 1024);
        EXPECT_EQ(t->rawHeight, 768);
        EXPECT_EQ(t->chunkSize, 131072u);
        EXPECT_EQ(t->frameSize, 786432u);
        sim.ClearLog();
        ConfigureSensorWindow(size, t);
        EXPECT_TRUE(sim.Log().empty());
    }
}
