// Raw-to-RGB pipeline of the Zentu camera: defect repair, demosaic, down-scaling,
// automatic exposure, white balance, colour, tone and flips. Pure computation:
// the sensor writes and the device lock come in through the owner.
#pragma once
#include <atomic>
#include <cstdint>
#include <vector>
#include "ZentuSettings.h"

struct DefectList {
    uint16_t count = 0;
    uint16_t column[99];
    uint16_t row[99];
};

// What automatic exposure writes to the camera, and the owner's device lock.
class IZentuSensor {
public:
    virtual void SetGain(int gain) = 0;
    virtual void SetExposureLines(uint16_t lines) = 0;
    virtual void LockDevice() {}
    virtual void UnlockDevice() {}
protected:
    ~IZentuSensor() = default;
};

struct ZentuPipelineState {
    uint8_t tone[256];
    uint8_t channel[3][256]; // red, green, blue
    int32_t baseMatrix[16];
    DefectList defects;
    uint8_t aeSmoothed = 100;  // S
    uint16_t aeExposure = 94;  // E, lines
    uint16_t aeStep = 0;       // P, lines of one mains half-period
    uint16_t exposureUnit = 0; // microseconds per line
    // Size 0 is demosaiced three rows at a time into this, and down-scaled
    // from it, in place of a whole 2048 x 1536 work image.
    uint8_t workRows[3 * 2048 * 3];

    ZentuPipelineState();
};

// A second thread that takes half of each frame's rows. Owned by the thread
// that runs the pipeline and started and stopped with its stream, so that it
// never outlives the module it runs in. Without one, or when it could not
// start, frames run on the caller's thread alone, to the same bytes.
class ZentuRowHelper {
public:
    ZentuRowHelper() = default;
    ~ZentuRowHelper() { Stop(); }
    ZentuRowHelper(const ZentuRowHelper&) = delete;
    ZentuRowHelper& operator=(const ZentuRowHelper&) = delete;
    bool Start();
    void Stop();
    bool Running() const { return m_thread != nullptr; }
    // job(context) on the helper thread. Wait returns once it is done, or at
    // once when the helper had not begun it (it then never will).
    void Post(void (*job)(void*), void* context);
    void Wait();
    // The helper's own rows of the size 0 work image.
    uint8_t workRows[3 * 2048 * 3];

private:
    static unsigned __stdcall Loop(void* self);
    void* m_thread = nullptr;
    void* m_go = nullptr;   // wakes the helper; m_state says whether for a job
    void* m_done = nullptr; // wakes a waiter that stopped spinning
    void (*m_job)(void*) = nullptr;
    void* m_context = nullptr;
    enum JobState { Idle, Posted, Working, Done, Withdrawn };
    std::atomic<int> m_state{Idle}, m_waiting{0};
    bool m_quit = false;
};

struct ZentuOwner {
    ZentuSettings settings;
    ZentuPipelineState pipe;
    IZentuSensor* sensor = nullptr;
    ZentuRowHelper* rowHelper = nullptr; // set by the thread that runs the pipeline
};

void FixDefectPixels(uint8_t* raw, int rowWidth, int rawHeight, const DefectList& defects);
void DemosaicBilinear(const uint8_t* raw, uint8_t* out, int width, int height);
// The vector paths of every stage, on unless a test or VELTRANE_PLAIN_PATHS=1
// turns them off to compare.
void SetPipelineFastPaths(bool on);
// Tests: the widest vectors the fast paths may use, so that each path runs
// on a machine that has the widest: 2 all the processor has, 1 128-bit ones
// with byte shuffles (SSSE3), 0 SSE2 alone.
void SetPipelineVectorLevel(int level);
void ResampleToOutput(uint8_t* out, const uint8_t* work);
int MeasureCenterLuma(int width, const uint8_t* image, int height);
void RunAutoExposure(const uint8_t* image, ZentuOwner& owner, int width, int height);
void RunWhiteBalanceOnce(const uint8_t* image, int height, ZentuOwner& owner, int width);
void ConvertToGray(uint8_t* image, int pixels);
void ApplySaturation(ZentuOwner& owner, uint8_t* image, int pixels);
void ApplyChannelTables(const ZentuOwner& owner, uint8_t* image, int pixels);
void ApplyToneTable(ZentuOwner& owner, uint8_t* image, int pixels);
void FlipVertical(uint8_t* image, int width, int height);
void MirrorHorizontal(uint8_t* image, int width, int height);
void BuildToneTable(uint32_t gamma, ZentuOwner& owner, uint32_t contrast);
void UpdateChannelTables(ZentuOwner& owner);
void BuildSaturationMatrix(int saturation, int32_t matrix[16]);
void MultiplyMatrix4x4(const int32_t a[16], const int32_t b[16], int32_t out[16]);
void ApplyColorMatrix(const int32_t matrix[16], const ZentuOwner& owner, uint8_t* image, int pixels);
void ComputeExposureLimits(ZentuOwner& owner);

// One frame, raw to output (the output size of the settings' size index).
// Allocates nothing and throws nothing.
// releaseRaw is called once the raw frame is no longer needed, so that a
// reader can refill it.
using ReleaseRawFn = void (*)(void* context);
void RunPipeline(ZentuOwner& owner, uint8_t* raw, uint8_t* out,
                 ReleaseRawFn releaseRaw = nullptr, void* context = nullptr);
// The same result through each step's own function, one pass per step: the
// reference that RunPipeline's fused passes are held to (it allocates a
// whole work image).
void RunPipelineByStages(ZentuOwner& owner, uint8_t* raw, uint8_t* out);
