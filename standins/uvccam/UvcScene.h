// The test scene of the simulated cameras, and how a device's settings turn
// its pixels, so that a test can tell from a frame that a setting arrived.
//
// The chart, in picture coordinates (top row first, before flips):
// - top quarter (y < h/4): eight colour patches side by side, patch i over
//   x in [i*w/8, (i+1)*w/8), red (160,32,32), green (32,160,32), blue
//   (32,32,160), yellow (160,160,32), cyan (32,160,160), magenta
//   (160,32,160), white (224,224,224), black (16,16,16) as (R,G,B);
// - bottom eighth (y >= h - h/8): a scale on white (224): a black tick on
//   every column x % 10 == 0 over the band's top quarter, x % 50 == 0 over
//   its top half, x % 100 == 0 over the whole band (pitch 10 pixels);
// - everything else grey (128,128,128).
// The mirror flag reverses columns, the vertical flag rows. Each channel
// value v then goes, in floating point:
//   v *= 2^(exposure + 4)          (camera control; automatic counts as -4)
//   v *= (16 + gain) / 16          (proc-amp gain)
//   red *= wb / 5200, blue *= 5200 / wb   (white balance; automatic: 5200)
//   v *= (128 + dspGain[c]) / 128  (UVC library gains; not while the
//                                   library's automatic white balance is on)
//   v = 128 + (v - 128) * contrast / 12
//   v += 4 * brightness
//   clamp to 0..255, v = 255 * (v / 255)^(150 / gamma), rounded;
// then with luma Y = (77 R + 150 G + 29 B + 128) >> 8: colour enable 0 makes
// every channel Y, else c = Y + (c - Y) * saturation / 2, clamped. Hue,
// sharpness, backlight compensation and focus change nothing. At power-on
// every step is the identity.
// Last, unflipped and untouched by the settings: the frame counter, 32 bits
// most significant first, as 8 x 8 blocks (255 for 1, 0 for 0) at
// x = 8 + 8 i, rows h/2 - 4 .. h/2 + 3, on frames at least 264 wide.
#pragma once

#include "UvcDevices.h"

#include <vector>

struct UvcPatch {
    BYTE r, g, b;
};
extern const UvcPatch kUvcPatches[8];
const BYTE kUvcWhite = 224;
const BYTE kUvcGrey = 128;

// Renders frames of one device; keeps its tables between frames of one
// settings version. Not shared between threads.
class CUvcScene {
public:
    // A bottom-up 24-bit DIB of width x height, rows `stride` bytes apart.
    void Render(const UvcDeviceState& state, LONG counter, int width, int height, BYTE* dib, int stride);

private:
    void Prepare(const UvcDeviceState& state, int width);

    LONG m_version = -1;
    int m_width = -1;
    LONG m_flips = -1;
    BYTE m_lut[3][256] = {};  // blue, green, red
    // The four kinds of row, already through the settings: patches, grey,
    // and the three depths of the scale band.
    std::vector<BYTE> m_rows[5];
};
