// The camera settings that a parameter set stores, with their initial values.
// Written by the host's control calls, read by the streaming thread.
#pragma once
#include <cstdint>

struct ZentuSettings {
    uint32_t sizeIndex = 1;           // eZentuSize: 0 1280 x 1024, 1 1024 x 768, 2 640 x 480
    uint32_t whiteBalanceRequest = 0; // bAutoWB: measure once on the next frame
    uint32_t gainR = 105;             // r, g, b: 64 = unity
    uint32_t gainG = 64;
    uint32_t gainB = 122;
    uint32_t autoExposure = 1;
    uint32_t aeTarget = 100;
    uint32_t exposureTime = 300;      // sensor lines
    uint32_t gain = 10;               // AnalogGain (Gain in the TWAIN source)
    uint32_t gamma = 100;             // x 100
    uint32_t contrast = 30;
    uint32_t enableSaturation = 1;
    uint32_t saturation = 100;        // 128 = unchanged
    uint32_t mono = 0;                // WhiteBlack
    uint32_t vFlip = 1;               // 0 flips
    uint32_t hFlip = 1;               // 1 mirrors
    uint32_t speed = 0;               // pixel clock: 0 Normal (24 MHz), 1 High (48 MHz)
    uint32_t hz = 1;                  // mains: 1 = 50 Hz, 0 = 60 Hz
    uint32_t paraTeam = 0;            // selected parameter set
    uint32_t bgr = 1;                 // TWAIN source only
};

// Output picture and raw frame of a size index.
struct ZentuFrameSize {
    int outWidth, outHeight, rawWidth, rawHeight;
};

inline ZentuFrameSize ZentuSizeOf(uint32_t sizeIndex)
{
    switch (sizeIndex) {
    case 0: return {1280, 1024, 2048, 1536};
    case 2: return {640, 480, 640, 480};
    default: return {1024, 768, 1024, 768};
    }
}
