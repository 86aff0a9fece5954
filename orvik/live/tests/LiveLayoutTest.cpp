// Where the live picture goes in its view: fit with the frame's aspect ratio,
// or one to one, centred or scrolled.
#include <gtest/gtest.h>

#include "OrvikView.h"

namespace {

struct LayoutCase {
    int zoomMode;
    SIZE frame, client;
    RECT rect;
    bool scroll;
    float zoom;
};

const LayoutCase kLayouts[] = {
    // Fit: the height limits a wide client, the width a tall one.
    {0, {1296, 972}, {1000, 500}, {167, 0, 833, 500}, false, 666.0f / 1296},
    {0, {1296, 972}, {500, 1000}, {0, 312, 500, 687}, false, 500.0f / 1296},
    {0, {1296, 972}, {648, 486}, {0, 0, 648, 486}, false, 0.5f},
    {0, {640, 480}, {1280, 960}, {0, 0, 1280, 960}, false, 2.0f},
    // One to one: centred in a larger client, at (0, 0) with scroll bars in a smaller one.
    {1, {1296, 972}, {1000, 500}, {0, 0, 1296, 972}, true, 1.0f},
    {1, {640, 480}, {1000, 600}, {180, 60, 820, 540}, true, 1.0f},
    {1, {640, 480}, {1000, 400}, {180, 0, 820, 480}, true, 1.0f},
    // A path without a frame size fills the client in either mode; no division by it.
    {0, {0, 0}, {800, 600}, {0, 0, 800, 600}, false, 1.0f},
    {1, {0, 0}, {800, 600}, {0, 0, 800, 600}, false, 1.0f},
    {0, {1296, 0}, {800, 600}, {0, 0, 800, 600}, false, 1.0f},
    // A view not yet sized.
    {0, {1296, 972}, {0, 0}, {0, 0, 0, 0}, false, 1.0f},
};

TEST(LiveLayout, FitAndOneToOne) {
    for (const LayoutCase& c : kLayouts) {
        SCOPED_TRACE(testing::Message() << "mode " << c.zoomMode << ", frame " << c.frame.cx << "x" << c.frame.cy
                                        << ", client " << c.client.cx << "x" << c.client.cy);
        LiveLayout l = ComputeLiveLayout(c.zoomMode, c.frame, c.client);
        EXPECT_EQ(l.rect.left, c.rect.left);
        EXPECT_EQ(l.rect.top, c.rect.top);
        EXPECT_EQ(l.rect.right, c.rect.right);
        EXPECT_EQ(l.rect.bottom, c.rect.bottom);
        EXPECT_EQ(l.setScroll, c.scroll);
        if (c.scroll) {
            EXPECT_EQ(l.scrollSize.cx, c.frame.cx);
            EXPECT_EQ(l.scrollSize.cy, c.frame.cy);
        }
        EXPECT_FLOAT_EQ(l.zoom, c.zoom);
    }
}

}  // namespace
