// A push source for tests and benchmarks: sends the same uncompressed RGB
// frame again and again, as fast as downstream takes it, from buffers of
// its own allocator count.
#pragma once

#include "Strmbase.h"

#include <vector>

struct TestSourceConfig {
    int width = 64;
    int height = 48;            // negative: a top-down frame
    WORD bitCount = 24;         // 24 (RGB24) or 32 (RGB32)
    long buffers = 4;
    long actualLength = -1;     // bytes each sample claims to hold; -1: the whole frame
    std::vector<BYTE> frame;    // one frame in DIB layout; empty: zeros
    bool refill = true;         // false: write the frame into each buffer only once
    bool readOnly = false;      // tell downstream the buffers are read-only
    bool countChanges = false;  // with refill off: compare each buffer as it comes back
    GUID pinCategory = GUID_NULL;  // GUID_NULL: a pin without a category
};

// {6E1C2A55-3D9B-4B7F-9A47-1F5F2C3B8D01}, never registered.
EXTERN_C const CLSID CLSID_TestSource;

class CTestSource : public CSource {
public:
    // A new source with one reference, or null.
    static CTestSource* Create(const TestSourceConfig& config);

    IBaseFilter* Filter() { return this; }
    IPin* OutputPin();
    LONG FramesDelivered() const { return m_cFrames; }
    // With refill off and countChanges on: buffers that came back changed.
    LONG ChangedBuffers() const { return m_cChanged; }
    const TestSourceConfig& Config() const { return m_config; }

private:
    explicit CTestSource(const TestSourceConfig& config, HRESULT* phr);
    friend class CTestStream;

    TestSourceConfig m_config;
    volatile LONG m_cFrames = 0;  // written by the streaming thread
    volatile LONG m_cChanged = 0;  // likewise
};
