// The shapes as the operator makes them: calibrated values worked out by
// hand, when a shape discards itself, dragging vertices and bodies, and what
// each one draws (recorded in a metafile) or leaves in the window's pixels.
#include "AngleShape.h"
#include "Circle3Shape.h"
#include "CircleShape.h"
#include "ColorTable.h"
#include "LineShape.h"
#include "PolygonShape.h"
#include "MeasureHarness.h"
#include "RectShape.h"

namespace {

class Shapes : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(view.Open(1000, 700)); }
    CMeasureShape* Last() { return layer.GetShape(layer.GetShapeCount() - 1); }
    void Clicks(int tool, std::initializer_list<POINT> pts) {
        view.tool = tool;
        for (POINT p : pts) view.Click(p.x, p.y);
    }
    void DoubleClickAt(POINT p) {
        view.Mouse(WM_LBUTTONDOWN, p.x, p.y);
        view.Mouse(WM_LBUTTONUP, p.x, p.y);
        view.Mouse(WM_LBUTTONDBLCLK, p.x, p.y);
        view.Mouse(WM_LBUTTONUP, p.x, p.y);
    }
    CTestView view;
    CMeasureLayer& layer = view.layer;
};

using Strings = std::vector<std::wstring>;

// Each shape drawn with the mouse at the default 0.2 um per pixel.
TEST_F(Shapes, ValueTextsInCalibratedUnits) {
    view.tool = kToolLine;
    view.DrawLine({10, 10}, {40, 50});
    EXPECT_EQ(Strings{L"L=10.000um"}, Texts(layer, 1));

    Clicks(kToolAngle, {{110, 100}, {100, 100}, {100, 90}});   // first arm right, second up
    EXPECT_EQ(Strings{L"A=270.000deg."}, Texts(layer, 2));
    Clicks(kToolAngle, {{100, 190}, {100, 200}, {110, 200}});
    EXPECT_EQ(Strings{L"A=90.000deg."}, Texts(layer, 3));

    view.tool = kToolRect;
    view.Drag({200, 200}, {{210, 210}, {250, 225}});   // 50 x 25 pixels
    EXPECT_EQ(Strings{L"S=50.000um^2"}, Texts(layer, 4));

    Clicks(kToolPolygon, {{300, 300}, {310, 300}, {310, 310}});
    DoubleClickAt({300, 310});   // a 10-pixel square: 100 px^2
    EXPECT_EQ(Strings{L"S=4.000um^2"}, Texts(layer, 5));

    view.tool = kToolCircle;
    view.Drag({500, 500}, {{507, 500}});   // r 7: 7 x 0.2, 7 x 3.14159 x 7 x 0.04
    EXPECT_EQ((Strings{L"R=1.400um", L"S=6.158um^2"}), Texts(layer, 6));
    view.Drag({600, 500}, {{605, 505}});   // 7.07 truncated to 7
    EXPECT_EQ((Strings{L"R=1.400um", L"S=6.158um^2"}), Texts(layer, 7));

    Clicks(kToolPoint, {{123, 456}});
    EXPECT_EQ(Strings{L"(123, 456)"}, Texts(layer, 8));
    ASSERT_EQ(9, layer.GetShapeCount());

    // A new calibration changes every text; the vertices stay.
    const std::vector<POINT> lineVertices = Vertices(layer.GetShape(1));
    MeasureCalibration cal;
    cal.unit = 1;
    cal.unitsPerPixelX = 0.2;
    cal.unitsPerPixelY = 0.4;
    ASSERT_TRUE(layer.SetCalibration(cal));
    EXPECT_EQ(Strings{L"L=17.088mm"}, Texts(layer, 1));
    EXPECT_EQ(Strings{L"A=270.000deg."}, Texts(layer, 2));
    EXPECT_EQ(Strings{L"S=100.000mm^2"}, Texts(layer, 4));
    EXPECT_EQ(Strings{L"S=8.000mm^2"}, Texts(layer, 5));
    EXPECT_EQ((Strings{L"R=1.400mm", L"S=12.315mm^2"}), Texts(layer, 6));
    EXPECT_EQ(lineVertices, Vertices(layer.GetShape(1)));
    // What is drawn is what the accessors read.
    EmfDrawing d = RecordLayer(layer);
    for (const wchar_t* t : {L"L=17.088mm", L"S=8.000mm^2", L"R=1.400mm", L"(123, 456)"})
        EXPECT_NE(nullptr, d.Find(t)) << std::string(t, t + wcslen(t));

    // A 100-pixel line at 0.5 um per pixel.
    cal.unit = 0;
    cal.unitsPerPixelX = cal.unitsPerPixelY = 0.5;
    ASSERT_TRUE(layer.SetCalibration(cal));
    view.tool = kToolLine;
    view.DrawLine({100, 600}, {200, 600});
    EXPECT_EQ(Strings{L"L=50.000um"}, Texts(layer, 9));
}

// A real double click, through the input queue: the view's window class
// takes double clicks, so the polygon closes as the operator closes it. It
// moves the pointer over the screen, so it runs alone (see CMakeLists.txt).
TEST_F(Shapes, RealInputDoubleClickClosesThePolygon) {
    ::SetForegroundWindow(view);
    Clicks(kToolPolygon, {{300, 300}, {400, 300}});
    POINT at = {400, 400};
    ::ClientToScreen(view, &at);
    ::SetCursorPos(at.x, at.y);
    INPUT in[4] = {};
    for (int i = 0; i < 4; ++i) {
        in[i].type = INPUT_MOUSE;
        in[i].mi.dwFlags = i % 2 ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
    }
    ASSERT_EQ(4u, ::SendInput(4, in, sizeof(INPUT)));
    auto* polygon = static_cast<CPolygonShape*>(layer.GetShape(1));
    for (DWORD start = ::GetTickCount(); !polygon->IsClosed() && ::GetTickCount() - start < 5000;) {
        CTestView::Pump();
        ::Sleep(10);
    }
    EXPECT_TRUE(polygon->IsClosed());
    EXPECT_EQ((std::vector<POINT>{{300, 300}, {400, 300}, {400, 400}}), Vertices(polygon));
    EXPECT_EQ(Strings{L"S=200.000um^2"}, Texts(layer, 1));
}

// When a shape deletes itself at the release.
TEST_F(Shapes, SmallShapesDiscardThemselves) {
    struct Case {
        const char* what;
        int tool;
        std::vector<POINT> path;   // press, moves, release at the last
        bool stays;
    } cases[] = {
        {"line: click", kToolLine, {{100, 100}}, false},
        {"line: 4 px both ways", kToolLine, {{100, 100}, {100, 100}, {104, 104}}, false},
        {"line: 5 px across", kToolLine, {{100, 100}, {100, 100}, {105, 100}}, true},
        {"line: 5 px down", kToolLine, {{100, 100}, {100, 100}, {100, 105}}, true},
        {"circle: click", kToolCircle, {{100, 100}}, false},
        {"circle: r 5", kToolCircle, {{100, 100}, {105, 100}}, false},
        {"circle: r 6", kToolCircle, {{100, 100}, {106, 100}}, true},
        {"rectangle: click", kToolRect, {{100, 100}}, false},
        {"rectangle: drag", kToolRect, {{100, 100}, {101, 101}}, true},   // kept at 10 x 10
    };
    for (const Case& c : cases) {
        layer.DeleteAllShapes();
        view.tool = c.tool;
        view.Mouse(WM_LBUTTONDOWN, c.path[0].x, c.path[0].y);
        for (size_t i = 1; i < c.path.size(); ++i) view.Mouse(WM_MOUSEMOVE, c.path[i].x, c.path[i].y);
        view.Mouse(WM_LBUTTONUP, c.path.back().x, c.path.back().y);
        EXPECT_EQ(c.stays ? 2 : 1, layer.GetShapeCount()) << c.what;
    }
    for (int clicks : {2, 3}) {
        layer.DeleteAllShapes();
        view.tool = kToolPolygon;
        for (int i = 0; i + 1 < clicks; ++i) view.Click(100 + 50 * i, 100 + 30 * i * i);
        DoubleClickAt({100 + 50 * (clicks - 1), 100 + 30 * (clicks - 1) * (clicks - 1)});
        EXPECT_EQ(clicks == 3 ? 2 : 1, layer.GetShapeCount()) << "polygon of " << clicks;
    }
}

// Each corner of a rectangle dragged past the opposite one: the others
// follow and 10 pixels a side remain.
TEST_F(Shapes, RectangleCornersKeepTenPixels) {
    struct Case {
        POINT grab, to;
        std::vector<POINT> want;
    } cases[] = {
        {{200, 150}, {50, 50}, {{100, 100}, {110, 100}, {100, 110}, {110, 110}}},
        {{100, 100}, {300, 300}, {{190, 140}, {200, 140}, {190, 150}, {200, 150}}},
        {{200, 100}, {50, 300}, {{100, 140}, {110, 140}, {100, 150}, {110, 150}}},
        {{100, 150}, {300, 50}, {{190, 100}, {200, 100}, {190, 110}, {200, 110}}},
        {{150, 125}, {160, 135}, {{110, 110}, {210, 110}, {110, 160}, {210, 160}}},   // the body
    };
    for (const Case& c : cases) {
        layer.DeleteAllShapes();
        view.tool = kToolRect;
        view.Drag({100, 100}, {{150, 130}, {200, 150}});
        ASSERT_EQ((std::vector<POINT>{{100, 100}, {200, 100}, {100, 150}, {200, 150}}), Vertices(Last()));
        view.tool = kToolMove;
        view.Drag(c.grab, {c.to});
        EXPECT_EQ(c.want, Vertices(Last())) << "grab " << c.grab;
    }
    // Drawn up and left of the start: the smallest rectangle at the start.
    layer.DeleteAllShapes();
    view.tool = kToolRect;
    view.Drag({100, 100}, {{50, 50}});
    EXPECT_EQ((std::vector<POINT>{{100, 100}, {110, 100}, {100, 110}, {110, 110}}), Vertices(Last()));
}

// Move-tool grabs: a line by its body or an end, a circle by its centre
// (which carries the rim along) or its rim, an angle by a vertex.
TEST_F(Shapes, MoveToolDragsVerticesAndBodies) {
    view.tool = kToolLine;
    view.DrawLine({300, 300}, {400, 300});   // vertex 0 (400, 300), vertex 1 (300, 300)
    view.tool = kToolMove;
    view.Drag({350, 302}, {{360, 312}});
    EXPECT_EQ((std::vector<POINT>{{410, 310}, {310, 310}}), Vertices(layer.GetShape(1)));
    view.Drag({410, 310}, {{420, 400}});
    EXPECT_EQ((std::vector<POINT>{{420, 400}, {310, 310}}), Vertices(layer.GetShape(1)));

    view.tool = kToolCircle;
    view.Drag({600, 300}, {{620, 300}});
    view.tool = kToolMove;
    view.Drag({602, 301}, {{612, 311}});
    EXPECT_EQ((std::vector<POINT>{{610, 310}, {630, 310}}), Vertices(layer.GetShape(2)));
    view.Drag({630, 310}, {{640, 310}});
    EXPECT_EQ((std::vector<POINT>{{610, 310}, {640, 310}}), Vertices(layer.GetShape(2)));

    Clicks(kToolAngle, {{800, 500}, {700, 500}, {700, 400}});
    view.tool = kToolMove;
    view.Drag({800, 500}, {{800, 600}});
    EXPECT_EQ((std::vector<POINT>{{800, 600}, {700, 500}, {700, 400}}), Vertices(layer.GetShape(3)));
    view.Drag({720, 480}, {{730, 470}});   // inside the triangle
    EXPECT_EQ((std::vector<POINT>{{810, 590}, {710, 490}, {710, 390}}), Vertices(layer.GetShape(3)));
}

TEST(Circle3, CircleThroughThreePoints) {
    struct Case {
        const char* what;
        std::vector<POINT> pts;
        bool circle;
        POINT centre;
        int r;
        const wchar_t* text;
    } cases[] = {
        {"worked example", {{0, 0}, {10, 3}, {20, 0}}, true, {10, -14}, 17, L"A=36.31678um"},
        {"on one line", {{0, 0}, {10, 10}, {20, 20}}, false, {}, 0, L"A=0.00000um"},
        {"one vertical line", {{5, 0}, {5, 10}, {5, 20}}, false, {}, 0, L"A=0.00000um"},
        {"one horizontal line", {{0, 5}, {10, 5}, {20, 5}}, false, {}, 0, L"A=0.00000um"},
        {"vertical and horizontal chords", {{0, 0}, {0, 10}, {10, 10}}, true, {5, 5}, 7, L"A=6.15752um"},
        {"a horizontal chord", {{0, 0}, {10, 0}, {20, 10}}, true, {5, 15}, 15, L"A=28.27431um"},
        {"all but on one line", {{0, 0}, {100000, 1}, {200001, 2}}, false, {}, 0, L"A=0.00000um"},
    };
    for (const Case& c : cases) {
        CMeasureLayer layer;
        auto* s = static_cast<CCircle3Shape*>(layer.CreateShape(kShapeCircle3));
        for (POINT p : c.pts) s->AddOneCoord(p.x, p.y);
        CPoint centre;
        int r = 0;
        EXPECT_EQ(c.circle, s->GetCircle(centre, r)) << c.what;
        if (c.circle) {
            EXPECT_EQ(c.centre, static_cast<POINT>(centre)) << c.what;
            EXPECT_EQ(c.r, r) << c.what;
        }
        EXPECT_EQ(Strings{c.text}, Texts(layer, 0)) << c.what;
        layer.SetShowScaleBar(1);   // index 0 is drawn as the bar would be
        EmfDrawing d = RecordLayer(layer);
        EXPECT_EQ(c.circle ? 1u : 0u, d.ellipses.size()) << c.what;
        EXPECT_EQ((Strings{c.text}), d.Strings()) << c.what;
    }
}

// Where the length sits: above the middle, moved right unless horizontal,
// below when the line rises to the right.
TEST(LineText, PositionFollowsTheSlope) {
    struct Case {
        const char* what;
        POINT v0, v1, at;
    } cases[] = {
        {"vertical", {100, 100}, {100, 200}, {110, 130}},
        {"horizontal", {100, 100}, {200, 100}, {150, 80}},
        {"rising", {100, 200}, {200, 100}, {160, 160}},
        {"falling", {100, 100}, {200, 200}, {160, 130}},
        {"slope -0.04", {100, 104}, {200, 100}, {160, 82}},
        {"slope -0.1", {100, 110}, {200, 100}, {160, 115}},
    };
    for (const Case& c : cases) {
        CMeasureLayer layer;
        layer.CreateShape(kShapeScaleBar);
        CMeasureShape* line = layer.CreateShape(kShapeLine);
        line->AddOneCoord(c.v0.x, c.v0.y);
        line->AddOneCoord(c.v1.x, c.v1.y);
        EmfDrawing d = RecordLayer(layer);
        ASSERT_EQ(1u, d.texts.size()) << c.what;
        EXPECT_EQ(c.at, d.texts[0].at) << c.what;
    }
}

TEST(ShapeBase, HitVertexAndCoordBounds) {
    CMeasureLayer layer;
    CMeasureShape* s = layer.CreateShape(kShapeLine);
    s->AddOneCoord(100, 100);
    s->AddOneCoord(105, 100);   // overlaps the first one's box
    struct Case {
        int x, y, hit;
    } cases[] = {{108, 108, 0}, {92, 92, 0}, {109, 100, 1}, {100, 91, -1}, {114, 100, -1}, {113, 108, 1}, {102, 100, 0}};
    for (const Case& c : cases) EXPECT_EQ(c.hit, s->HitVertex(c.x, c.y)) << c.x << "," << c.y;

    EXPECT_EQ(-1, s->SetCoord(2, 1, 1));
    EXPECT_EQ(-1, s->SetCoord(-1, 1, 1));
    EXPECT_EQ(1, s->SetCoord(1, 7, 8));
    EXPECT_EQ((std::vector<POINT>{{100, 100}, {7, 8}}), Vertices(s));
    EXPECT_EQ(nullptr, s->GetCoord(2));
    EXPECT_EQ(nullptr, s->GetCoord(-1));
}

TEST_F(Shapes, RepaintWidensWithTheZoom) {
    struct Case {
        float zoom;
        CRect image, want;
    } cases[] = {
        {3.0f, {120, 90, 130, 100}, {0, 30, 750, 540}},
        {1.0f, {200, 200, 210, 210}, {100, 150, 310, 260}},
        {0.5f, {400, 400, 420, 420}, {100, 150, 310, 260}},
    };
    CMeasureShape* s = layer.CreateShape(kShapeLine);
    for (const Case& c : cases) {
        layer.SetZoom(c.zoom);
        view.ValidateRect(nullptr);
        s->InvalidateImageRect(c.image, FALSE);
        CRect update;
        ASSERT_TRUE(::GetUpdateRect(view, &update, FALSE)) << c.zoom;
        EXPECT_EQ(c.want, update) << c.zoom;
    }
}

// Handles keep their window size at any zoom; pens follow the view record;
// a selected shape is dotted.
TEST(ShapeDrawing, HandlesPensAndDots) {
    // How this metafile records a 7 x 7 square at (10, 10).
    const RECT square = RecordEmf([](CDC* dc) { ::Rectangle(*dc, 10, 10, 17, 17); }).rectangles.at(0);
    for (float zoom : {1.0f, 4.0f}) {
        CMeasureLayer layer;
        layer.SetZoom(zoom);
        CMeasureShape* s = layer.CreateShape(kShapePoint);   // index 0: drawn only as a scale bar would be
        s = layer.CreateShape(kShapeRect);
        for (POINT p : {POINT{10, 20}, POINT{40, 20}, POINT{10, 50}, POINT{40, 50}}) s->AddOneCoord(p.x, p.y);
        EmfDrawing d = RecordLayer(layer);
        ASSERT_EQ(4u, d.rectangles.size());
        const RECT h = d.rectangles[0];
        const int px = static_cast<int>(10 * zoom), py = static_cast<int>(20 * zoom);
        EXPECT_EQ(px - 3 + square.left - 10, h.left) << zoom;
        EXPECT_EQ(py - 3 + square.top - 10, h.top) << zoom;
        EXPECT_EQ(square.right - square.left, h.right - h.left) << zoom;
        EXPECT_EQ(square.bottom - square.top, h.bottom - h.top) << zoom;
    }

    CMeasureLayer layer;
    layer.CreateShape(kShapeScaleBar);
    CMeasureShape* line = layer.CreateShape(kShapeLine);
    line->AddOneCoord(10, 10);
    line->AddOneCoord(100, 10);
    layer.SetColors(kColorRed, kColorYellow, kColorCyan, kColorMagenta);
    EmfDrawing d = RecordLayer(layer);
    ASSERT_FALSE(d.pens.empty());
    EXPECT_EQ(static_cast<UINT>(PS_SOLID), d.pens[0].style);
    EXPECT_EQ(2, d.pens[0].width);
    EXPECT_EQ(RGB(255, 255, 0), d.pens[0].color);

    line->SetSelected(true);
    d = RecordLayer(layer);
    EXPECT_EQ(static_cast<UINT>(PS_DOT), d.pens[0].style);
    // The line and the end marks, each across the line: 50 pixels either way.
    ASSERT_EQ(3u + 4u, d.lines.size());   // line, two marks, two handle crosses
    EXPECT_EQ((std::pair<POINT, POINT>{{10, 60}, {10, -40}}), d.lines[1]);
    EXPECT_EQ((std::pair<POINT, POINT>{{100, 60}, {100, -40}}), d.lines[2]);
}

// A selected line of no length and an angle with an arm of no length draw
// without end marks or arc, and without dividing by zero.
TEST(ShapeDrawing, NoLengthNoMarks) {
    CMeasureLayer lineLayer;
    lineLayer.CreateShape(kShapeScaleBar);
    CMeasureShape* line = lineLayer.CreateShape(kShapeLine);
    line->AddOneCoord(50, 50);
    line->AddOneCoord(50, 50);
    line->SetSelected(true);
    EmfDrawing d = RecordLayer(lineLayer);
    EXPECT_EQ(1u + 4u, d.lines.size());   // the line and two handle crosses, no marks
    EXPECT_EQ(std::vector<std::wstring>{L"L=0.000um"}, d.Strings());

    // An angle's arc: radius 40 round the apex, from the radial towards the
    // third click to the one towards the first (the context's default
    // counter-clockwise direction).
    CMeasureLayer angleLayer;
    angleLayer.CreateShape(kShapeScaleBar);
    CMeasureShape* angle = angleLayer.CreateShape(kShapeAngle);
    for (POINT p : {POINT{150, 100}, POINT{100, 100}, POINT{100, 30}}) angle->AddOneCoord(p.x, p.y);
    d = RecordLayer(angleLayer);
    // As this metafile records Arc(60, 60, 140, 140, from (100, 60) to (140, 100)).
    const EmfArc want = RecordEmf([](CDC* dc) { ::Arc(*dc, 60, 60, 140, 140, 100, 60, 140, 100); }).arcs.at(0);
    ASSERT_EQ(1u, d.arcs.size());
    EXPECT_EQ(CRect(want.box), CRect(d.arcs[0].box));
    EXPECT_EQ((POINT{100, 60}), d.arcs[0].start);
    EXPECT_EQ((POINT{140, 100}), d.arcs[0].end);

    angle->SetCoord(0, 200, 200);
    angle->SetCoord(1, 200, 200);
    angle->SetCoord(2, 250, 200);
    d = RecordLayer(angleLayer);
    EXPECT_TRUE(d.arcs.empty());
    EXPECT_EQ(std::vector<std::wstring>{L"A=90.000deg."}, d.Strings());   // an arm of no length bears 180
}

// The window's own pixels after a paint: the line in the line colour, its
// handle cross in the point colour, the rest untouched.
TEST_F(Shapes, LineInTheWindowsPixels) {
    view.tool = kToolLine;
    view.DrawLine({100, 300}, {400, 300});
    view.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = ::GetDC(view);
    EXPECT_EQ(RGB(0, 255, 0), ::GetPixel(dc, 150, 300));
    EXPECT_EQ(RGB(255, 0, 0), ::GetPixel(dc, 100, 296));   // the cross over the handle square
    EXPECT_EQ(RGB(0, 0, 0), ::GetPixel(dc, 150, 320));
    ::ReleaseDC(view, dc);
}

}  // namespace
