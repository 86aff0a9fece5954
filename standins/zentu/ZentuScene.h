/* The simulated Zentu sensor's test scene, shared by the driver that renders it
   and the tests that check what arrives. Plain C, no runtime library. */
#ifndef ZENTU_SCENE_H
#define ZENTU_SCENE_H

/* Colour-filter site of raw pixel (x, y): green and red on even rows, blue and
   green on odd rows. 0 red, 1 green, 2 blue. */
static inline unsigned zentu_scene_site(unsigned x, unsigned y)
{
    if ((y & 1) == 0) return (x & 1) ? 0u : 1u;
    return (x & 1) ? 1u : 2u;
}

/* The scene in sensor coordinates (2048 x 1536) at unit brightness, before
   the sensor's own colour response. */
static inline unsigned zentu_scene_rgb(unsigned scene, unsigned X, unsigned Y, unsigned channel)
{
    static const unsigned char patches[6][3] = {
        {200, 40, 40}, {40, 200, 40}, {40, 40, 200},
        {40, 200, 200}, {200, 40, 200}, {200, 200, 40}};
    if (scene == 1) return 128;
    /* Orientation marker near the top-left corner. */
    if (X >= 64 && X < 192 && Y >= 64 && Y < 192) return 240;
    /* Six colour patches; each channel is lit in three of them, so the chart
       as a whole stays neutral. */
    if (Y >= 384 && Y < 768 && X >= 256 && X < 256 + 6 * 256 && (X - 256) % 256 < 224)
        return patches[(X - 256) / 256][channel];
    /* A grey patch right of centre. */
    if (X >= 1536 && X < 1792 && Y >= 896 && Y < 1152) return 128;
    /* Grey ramp, dark on the left. */
    return 48 + (X >> 4);
}

/* The sensor sees red and blue weaker than green (what the default channel
   gains 105 and 122 correct). */
static inline unsigned zentu_scene_response(unsigned channel, unsigned v)
{
    if (channel == 0) return (v * 39) >> 6;
    if (channel == 2) return (v * 34) >> 6;
    return v;
}

/* Gain step 0..85 back from the value of sensor register 53. */
static inline unsigned zentu_scene_gain_step(unsigned reg53)
{
    if (reg53 <= 32) return reg53 < 8 ? 0 : reg53 - 8;
    if (reg53 < 256) return reg53 < 56 ? 0 : reg53 - 56;
    return (reg53 - 96) / 256 + 40;
}

/* Brightness in 1/65536: exposure lines x (gain step + 8), unity at 300 lines
   and step 8. */
static inline unsigned long long zentu_scene_factor(unsigned reg9, unsigned reg53)
{
    unsigned long long lines = reg9 ? reg9 : 1;
    return lines * (zentu_scene_gain_step(reg53) + 8) * 65536ull / 4800;
}

/* One raw byte of a frame whose pixels sample the sensor every colSkip
   columns and rowSkip rows. */
static inline unsigned char zentu_scene_raw(unsigned scene, unsigned x, unsigned y,
                                            unsigned colSkip, unsigned rowSkip,
                                            unsigned long long factor)
{
    unsigned ch = zentu_scene_site(x, y);
    unsigned long long v = zentu_scene_response(ch, zentu_scene_rgb(scene, x * colSkip, y * rowSkip, ch));
    v = (v * factor) >> 16;
    return (unsigned char)(v > 255 ? 255 : v);
}

/* The frame counter, little-endian, in the first four bytes of row 0. */
#define ZENTU_SCENE_STAMP_BYTES 4

#endif
