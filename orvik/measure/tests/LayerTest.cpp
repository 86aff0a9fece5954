// The layer as its owners drive it: tools, the shape list and its ids,
// zoom and scroll, deletion, calibration records and the frame thread.
#include <atomic>
#include <cmath>
#include <set>
#include <thread>

#include "AngleShape.h"
#include "MeasureHarness.h"
#include "PolygonShape.h"
#include "ReticleShape.h"
#include "TextShape.h"

namespace {

class Layer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(view.Open()); }
    CTestView view;
    CMeasureLayer& layer = view.layer;
};

// One press on a layer holding only the scale bar.
TEST_F(Layer, PressMakesTheToolsShape) {
    struct Case {
        int tool, count, lastType, buttonDown;
    } cases[] = {
        {1, 2, kShapePoint, 1},   {2, 2, kShapeLine, 1},     {3, 2, kShapeAngle, 1},   {4, 2, kShapeRect, 1},
        {5, 2, kShapePolygon, 1}, {6, 2, kShapeCircle, 1},   {7, 2, kShapeCircle3, 1}, {8, 2, kShapeText, 1},
        {9, 1, kShapeScaleBar, 1}, {10, 1, kShapeScaleBar, 1}, {200, 1, kShapeScaleBar, 1},
        {0, 1, kShapeScaleBar, 1}, {99, 1, kShapeScaleBar, 1}, {201, 1, kShapeScaleBar, 0},
    };
    for (const Case& c : cases) {
        layer.DeleteAllShapes();
        view.tool = c.tool;
        view.Mouse(WM_LBUTTONDOWN, 300, 300);
        EXPECT_EQ(c.count, layer.GetShapeCount()) << "tool " << c.tool;
        EXPECT_EQ(c.lastType, layer.GetShape(layer.GetShapeCount() - 1)->GetType()) << "tool " << c.tool;
        EXPECT_EQ(c.buttonDown, layer.IsButtonDown()) << "tool " << c.tool;
        view.Mouse(WM_LBUTTONUP, 300, 300);
        EXPECT_EQ(0, layer.IsButtonDown());
    }
}

TEST(LayerAlone, EmptyListIsSafe) {
    CMeasureLayer layer;
    layer.OnLButtonDown(0, 10, 10, kToolLastShape);
    layer.OnMouseMove(0, 20, 20, kToolMove);
    layer.OnLButtonUp(0, 20, 20, kToolMove);
    layer.SetImageSize(100, 100);
    layer.SetSpacing(10, 10);
    EXPECT_EQ(0, layer.GetShapeCount());
    EmfDrawing d = RecordLayer(layer);
    EXPECT_TRUE(d.texts.empty());
    EXPECT_EQ(nullptr, layer.CreateShape(kShapeNone));
    EXPECT_EQ(nullptr, layer.CreateShape(12));
    EXPECT_EQ(nullptr, layer.CreateShape(0));
    EXPECT_EQ(0, layer.GetShapeCount());
}

// An angle left unfinished by another tool is never completed by the clicks
// of the next angle: the new one gets them, the old one keeps what it had.
TEST_F(Layer, UnfinishedShapeTakesNoLaterClicks) {
    for (int tool : {kToolAngle, kToolPolygon, kToolCircle3}) {
        layer.DeleteAllShapes();
        view.tool = tool;
        view.Click(300, 300);
        view.Mouse(WM_MOUSEMOVE, 310, 310);
        // The tool changes; the pointer hovers, then clicks elsewhere.
        view.tool = kToolMove;
        view.Mouse(WM_MOUSEMOVE, 600, 450);
        EXPECT_EQ((std::vector<POINT>{{300, 300}}), Vertices(layer.GetShape(1))) << tool;
        view.Click(700, 500);
        view.tool = tool;
        view.Click(320, 300);
        view.Click(320, 340);
        ASSERT_EQ(3, layer.GetShapeCount()) << tool;
        EXPECT_EQ((std::vector<POINT>{{300, 300}}), Vertices(layer.GetShape(1))) << tool;
        EXPECT_FALSE(layer.GetShape(1)->IsActive());
        EXPECT_EQ((std::vector<POINT>{{320, 300}, {320, 340}}), Vertices(layer.GetShape(2))) << tool;
        EXPECT_TRUE(layer.GetShape(2)->IsActive()) << tool;
    }
}

// Presses with 3, 5 and 7 continue the shape under construction; once it is
// finished the next press starts another.
TEST_F(Layer, MultiClickShapesContinueUntilFinished) {
    view.tool = kToolAngle;
    for (POINT p : {POINT{300, 200}, POINT{300, 300}, POINT{400, 300}}) view.Click(p.x, p.y);
    ASSERT_EQ(2, layer.GetShapeCount());
    EXPECT_EQ(3, layer.GetShape(1)->GetCoordCount());
    EXPECT_FALSE(layer.GetShape(1)->IsActive());
    view.Click(500, 500);
    ASSERT_EQ(3, layer.GetShapeCount());
    EXPECT_EQ(1, layer.GetShape(2)->GetCoordCount());

    // A double click closes only the polygon being drawn; an open one left
    // behind stays open.
    layer.DeleteAllShapes();
    view.tool = kToolPolygon;
    for (POINT p : {POINT{100, 100}, POINT{200, 100}, POINT{200, 200}}) view.Click(p.x, p.y);
    view.tool = kToolMove;
    view.Click(700, 500);
    view.tool = kToolPolygon;
    for (POINT p : {POINT{300, 300}, POINT{400, 300}, POINT{400, 400}}) view.Click(p.x, p.y);
    view.Mouse(WM_LBUTTONDOWN, 400, 400);
    view.Mouse(WM_LBUTTONUP, 400, 400);
    view.Mouse(WM_LBUTTONDBLCLK, 400, 400);
    view.Mouse(WM_LBUTTONUP, 400, 400);
    ASSERT_EQ(3, layer.GetShapeCount());
    auto* old = static_cast<CPolygonShape*>(layer.GetShape(1));
    auto* closed = static_cast<CPolygonShape*>(layer.GetShape(2));
    EXPECT_FALSE(old->IsClosed());
    EXPECT_EQ(3, old->GetCoordCount());
    EXPECT_TRUE(closed->IsClosed());
    EXPECT_EQ(4, closed->GetCoordCount());   // the double click's first click placed the fourth
}

TEST_F(Layer, ZoomAndScrollMapBothWays) {
    EXPECT_FLOAT_EQ(1.0f, layer.SetZoom(2.0f));
    layer.SetScrollOffset(CPoint(10, 0));
    CPoint p(30, 8);
    layer.ViewToImage(p);
    EXPECT_EQ(CPoint(20, 4), p);
    layer.ImageToView(p);
    EXPECT_EQ(CPoint(30, 8), p);
    // Truncation toward zero: -5 / 2 is -2.
    layer.SetScrollOffset(CPoint(0, 0));
    p = CPoint(-5, -3);
    layer.ViewToImage(p);
    EXPECT_EQ(CPoint(-2, -1), p);

    // A zoom the mapping cannot divide by is refused.
    for (float bad : {0.0f, -1.0f, NAN, INFINITY}) {
        EXPECT_FLOAT_EQ(2.0f, layer.SetZoom(bad));
        EXPECT_FLOAT_EQ(2.0f, layer.GetZoom());
    }
    MeasureViewSettings v = layer.GetViewSettings();
    v.zoom = 0;
    EXPECT_FALSE(layer.SetViewSettings(v));
    EXPECT_FLOAT_EQ(2.0f, layer.GetZoom());

    // The mouse lands in image pixels: a line dragged at zoom 2 with the
    // view scrolled by (10, 20).
    layer.SetScrollOffset(CPoint(10, 20));
    view.tool = kToolLine;
    view.DrawLine({90, 180}, {290, 180});
    ASSERT_EQ(2, layer.GetShapeCount());
    EXPECT_EQ((std::vector<POINT>{{150, 100}, {50, 100}}), Vertices(layer.GetShape(1)));
}

TEST_F(Layer, DeletingKeepsTheScaleBarAndTheReticle) {
    CMeasureShape* reticle = layer.CreateShape(kShapeReticle);
    CMeasureShape* line = layer.CreateShape(kShapeLine);
    layer.DeleteShape(layer.GetShape(0)->GetId());
    layer.DeleteShape(reticle->GetId());
    layer.DeleteShape(12345);
    EXPECT_EQ(3, layer.GetShapeCount());
    layer.DeleteShape(line->GetId());
    EXPECT_EQ(2, layer.GetShapeCount());

    // Delete All keeps index 0 and repaints the whole view, even with
    // nothing else to delete.
    layer.CreateShape(kShapeLine);
    for (int shapes : {3, 1}) {
        EXPECT_EQ(shapes, layer.GetShapeCount());
        view.ValidateRect(nullptr);
        layer.DeleteAllShapes();
        EXPECT_EQ(1, layer.GetShapeCount());
        EXPECT_EQ(kShapeScaleBar, layer.GetShape(0)->GetType());
        CRect update;
        EXPECT_TRUE(::GetUpdateRect(view, &update, FALSE));
        EXPECT_EQ(CRect(0, 0, 800, 600), update);
    }
}

// Shapes made in one millisecond have their own ids, so a shape that
// discards itself never takes another with it.
TEST_F(Layer, IdsAreUniqueAndDeleteTheirOwnShape) {
    std::set<UINT> ids;
    for (int i = 0; i < 200; ++i) ids.insert(layer.CreateShape(kShapeLine)->GetId());
    EXPECT_EQ(200u, ids.size());
    const UINT first = layer.GetShape(1)->GetId(), second = layer.GetShape(2)->GetId();
    EXPECT_EQ(1, layer.FindShape(first));
    layer.DeleteShape(second);
    EXPECT_EQ(1, layer.FindShape(first));
    EXPECT_EQ(-1, layer.FindShape(second));

    // Two lines clicked at once: each discards itself on the release.
    layer.DeleteAllShapes();
    view.tool = kToolLine;
    view.DrawLine({100, 100}, {300, 100});
    view.Click(400, 400);
    view.Click(410, 410);
    ASSERT_EQ(2, layer.GetShapeCount());
    EXPECT_EQ(kShapeLine, layer.GetShape(1)->GetType());
    EXPECT_EQ(2, layer.GetShape(1)->GetCoordCount());
}

TEST(Calibration, RefusesWhatCannotMeasure) {
    CMeasureLayer layer;
    MeasureCalibration good;
    good.unit = 4;
    good.unitsPerPixelX = 0.5;
    ASSERT_TRUE(layer.SetCalibration(good));
    struct Bad {
        const char* what;
        void (*spoil)(MeasureCalibration&);
    } bad[] = {
        {"unit -1", [](MeasureCalibration& c) { c.unit = -1; }},
        {"unit 5", [](MeasureCalibration& c) { c.unit = 5; }},
        {"x 0", [](MeasureCalibration& c) { c.unitsPerPixelX = 0; }},
        {"y < 0", [](MeasureCalibration& c) { c.unitsPerPixelY = -0.2; }},
        {"x NaN", [](MeasureCalibration& c) { c.unitsPerPixelX = NAN; }},
        {"y inf", [](MeasureCalibration& c) { c.unitsPerPixelY = INFINITY; }},
        {"known x 0", [](MeasureCalibration& c) { c.knownLengthX = 0; }},
        {"known y < 0", [](MeasureCalibration& c) { c.knownLengthY = -10; }},
    };
    for (const Bad& b : bad) {
        MeasureCalibration c = good;
        b.spoil(c);
        EXPECT_FALSE(layer.SetCalibration(c)) << b.what;
        EXPECT_EQ(4, layer.GetCalibration().unit) << b.what;
        EXPECT_EQ(0.5, layer.GetCalibration().unitsPerPixelX) << b.what;
    }
    EXPECT_STREQ(L"inch", MeasureUnitName(4));
    EXPECT_STREQ(L"", MeasureUnitName(5));
    EXPECT_STREQ(L"", MeasureUnitName(-1));
}

// The forwarders act only on a reticle at index 1.
TEST_F(Layer, ReticleForwardersCheckTheShape) {
    auto* label = static_cast<CTextShape*>(layer.CreateShape(kShapeText));
    label->AddOneCoord(1, 2);
    label->SetText(L"not a reticle");
    layer.SetImageSize(100, 100);
    layer.SetSpacing(7, 7);
    EXPECT_EQ((std::vector<POINT>{{1, 2}}), Vertices(label));
    EXPECT_STREQ(L"not a reticle", label->GetText());

    layer.DeleteAllShapes();
    auto* reticle = static_cast<CReticleShape*>(layer.CreateShape(kShapeReticle));
    layer.SetImageSize(320, 240);
    layer.SetSpacing(30, 40);
    EXPECT_EQ(CSize(320, 240), reticle->GetImageSize());
    EXPECT_EQ(CSize(30, 40), reticle->GetSpacing());
}

// The frame thread draws every frame while the user-interface thread makes,
// drags and deletes shapes.
TEST_F(Layer, FrameThreadDrawsWhileShapesChange) {
    std::atomic<bool> stop{false};
    std::atomic<int> frames{0};
    std::thread frameThread([&] {
        HDC mem = ::CreateCompatibleDC(nullptr);
        HDC screen = ::GetDC(nullptr);
        HBITMAP bmp = ::CreateCompatibleBitmap(screen, 400, 300);
        ::ReleaseDC(nullptr, screen);
        HGDIOBJ old = ::SelectObject(mem, bmp);
        CDC dc;
        dc.Attach(mem);
        while (!stop) {
            layer.DrawAll(&dc);
            ++frames;
        }
        dc.Detach();
        ::SelectObject(mem, old);
        ::DeleteObject(bmp);
        ::DeleteDC(mem);
    });
    const DWORD start = ::GetTickCount();
    for (int i = 0; ::GetTickCount() - start < 500 || (frames < 50 && ::GetTickCount() - start < 20000); ++i) {
        view.tool = kToolPolygon;
        for (int k = 0; k < 20; ++k) view.Click(100 + k * 7, 100 + (k * 13) % 90);
        view.Mouse(WM_LBUTTONDBLCLK, 100, 100);
        view.tool = kToolLine;
        view.DrawLine({50, 50 + i % 100}, {250, 80});
        view.tool = kToolDeleteOne;
        view.Click(150, 65);
        if (i % 3 == 0) layer.DeleteAllShapes();
    }
    stop = true;
    frameThread.join();
    EXPECT_GE(frames.load(), 50);
}

}  // namespace
