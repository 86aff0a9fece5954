#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ColorTable.h"
#include "OverlayMerge.h"

namespace {

struct PlainMode {
  explicit PlainMode(bool p) { MergeOverlayForcePlain(p); }
  ~PlainMode() { MergeOverlayForcePlain(false); }
};

// 3 x 2 frame: stride 12, three padding bytes a row that must survive.
TEST(MergeOverlay, EachByteDecidedAloneAndPaddingKept) {
  for (bool plain : {true, false}) {
    PlainMode mode(plain);
    std::vector<BYTE> frame(24), overlay(24, 128);
    for (int i = 0; i < 24; ++i) frame[i] = static_cast<BYTE>(10 + i);
    // pixel (0,0): green 0, red 255, blue stays; pixel (2,1): all 128 stays.
    overlay[1] = 0; overlay[2] = 255;
    overlay[9] = 7;                  // padding byte of row 0: never read
    overlay[12 + 3] = 129;           // pixel (1,1) blue
    std::vector<BYTE> want = frame;
    want[1] = 0; want[2] = 255; want[15] = 129;
    ASSERT_EQ(0, MergeOverlay(frame.data(), overlay.data(), 3, 2));
    EXPECT_EQ(want, frame) << "plain " << plain;
  }
}

TEST(MergeOverlay, RefusesNullAndEmpty) {
  BYTE a[12] = {}, b[12] = {};
  EXPECT_EQ(-1, MergeOverlay(nullptr, b, 1, 1));
  EXPECT_EQ(-1, MergeOverlay(a, nullptr, 1, 1));
  EXPECT_EQ(-1, MergeOverlay(a, b, 0, 1));
  EXPECT_EQ(-1, MergeOverlay(a, b, 1, -1));
}

// The fast path against the plain rule over widths that end every way a
// 16-byte block can.
TEST(MergeOverlay, FastPathMatchesPlain) {
  std::mt19937 rng(7);
  for (int w : {1, 2, 3, 5, 6, 7, 15, 16, 17, 33, 101, 640}) {
    const int h = 5, n = Dib24Stride(w) * h;
    std::vector<BYTE> frame(n), overlay(n);
    for (auto& b : frame) b = static_cast<BYTE>(rng());
    // Mostly transparent, as overlays are, with some 127/129 neighbours.
    for (auto& b : overlay) {
      unsigned r = rng() % 8;
      b = r < 5 ? 128 : r == 5 ? 127 : r == 6 ? 129 : static_cast<BYTE>(rng());
    }
    std::vector<BYTE> plain = frame, fast = frame;
    {
      PlainMode mode(true);
      MergeOverlay(plain.data(), overlay.data(), w, h);
    }
    MergeOverlay(fast.data(), overlay.data(), w, h);
    EXPECT_EQ(plain, fast) << "width " << w;
  }
}

TEST(ColorTable, ValuesAndOutOfRangeIndex) {
  const COLORREF want[] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00,
                           0xFF0000, 0xFFFF00, 0xFF00FF, 0x00FFFF};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(want[i], MeasureColor(i)) << i;
  EXPECT_EQ(0x00FF00u, MeasureColor(-1));
  EXPECT_EQ(0x0000FFu, MeasureColor(8, kColorRed));
  EXPECT_EQ(0x00FF00u, MeasureColor(99, 42));
}

}  // namespace
