// The measurement layer with 50 shapes and their texts: burning them into a
// 2592 x 1944 still (RenderOverlay, then MergeOverlay) and drawing them over
// a 1280 x 1024 window, each as a ratio to a memcpy of the frame measured in
// the same run.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "BenchTiming.h"
#include "MeasureLayer.h"
#include "MeasureShape.h"
#include "OverlayMerge.h"
#include "TextShape.h"

namespace {

double MedianMs(const std::function<void()>& run, int repeats) {
    return BenchTimeMs([] {}, run, repeats);
}

void Add(CMeasureLayer& layer, int type, std::initializer_list<POINT> pts) {
    CMeasureShape* s = layer.CreateShape(type);
    for (POINT p : pts) s->AddOneCoord(p.x, p.y);
}

// The shown scale bar and 50 shapes of every kind spread over the still,
// each with its value text.
void Fill(CMeasureLayer& layer) {
    layer.CreateShape(kShapeScaleBar);
    layer.SetShowScaleBar(1);
    for (int i = 0; i < 50; ++i) {
        const int x = 100 + (i % 10) * 240, y = 120 + (i / 10) * 360;
        switch (i % 7) {
        case 0: Add(layer, kShapeLine, {{x, y}, {x + 180, y + 90}}); break;
        case 1: Add(layer, kShapeAngle, {{x + 150, y}, {x, y + 100}, {x + 160, y + 200}}); break;
        case 2: Add(layer, kShapeRect, {{x, y}, {x + 150, y}, {x, y + 120}, {x + 150, y + 120}}); break;
        case 3: {
            // Clicked and closed, as the operator makes one.
            const POINT pts[] = {{x, y}, {x + 120, y + 20}, {x + 160, y + 140}, {x + 30, y + 180}};
            for (POINT p : pts) {
                layer.OnLButtonDown(0, p.x, p.y, kToolPolygon);
                layer.OnLButtonUp(0, p.x, p.y, kToolPolygon);
            }
            layer.OnLButtonDblClk(0, pts[3].x, pts[3].y, kToolPolygon);
            break;
        }
        case 4: Add(layer, kShapeCircle, {{x + 90, y + 90}, {x + 160, y + 90}}); break;
        case 5: Add(layer, kShapeCircle3, {{x, y + 100}, {x + 90, y}, {x + 180, y + 100}}); break;
        default: {
            Add(layer, kShapeText, {{x, y}});
            auto* label = static_cast<CTextShape*>(layer.GetShape(layer.GetShapeCount() - 1));
            label->SetText(L"Sample area 12");
            break;
        }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    const int w = 2592, h = 1944;
    const size_t bytes = size_t(Dib24Stride(w)) * h;
    std::vector<BYTE> frame(bytes), copy(bytes), overlay(bytes), work(bytes);
    for (size_t i = 0; i < bytes; ++i) frame[i] = static_cast<BYTE>(i * 7 % 251);
    const double base = MedianMs([&] { std::memcpy(copy.data(), frame.data(), bytes); }, repeats);

    CMeasureLayer still;
    Fill(still);
    CDC mem;
    mem.Attach(::CreateCompatibleDC(nullptr));
    std::printf("%d x %d, 24 bits: memcpy %.2f ms (median of %d); %d shapes with the scale bar\n", w, h, base,
                repeats, still.GetShapeCount());
    std::printf("%-34s %10s %10s\n", "operation", "ms", "x memcpy");
    auto report = [&](const char* name, double ms) {
        std::printf("%-34s %10.2f %10.2f\n", name, ms, ms / base);
        std::fflush(stdout);
    };
    // The floor under every render: a fresh 24-bit bitmap of the still's
    // size, filled once (its pages are touched for the first time).
    report("fresh bitmap of the still, filled", MedianMs([&] {
               BITMAPINFO bmi = {};
               bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
               void* bits = nullptr;
               HBITMAP dib = ::CreateDIBSection(mem, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
               if (bits) std::memset(bits, 128, bytes);
               ::DeleteObject(dib);
           }, repeats));
    report("render overlay", MedianMs([&] {
               still.RenderOverlay(&mem, overlay.data(), w, h, 1, 1, 1, 1, L"Sample");
           }, repeats));
    report("merge overlay", MedianMs([&] {
               std::memcpy(work.data(), frame.data(), bytes);
               still.MergeOverlay(work.data(), overlay.data(), w, h);
           }, repeats) - base);
    report("burn in (render + merge)", MedianMs([&] {
               still.RenderOverlay(&mem, overlay.data(), w, h, 1, 1, 1, 1, L"Sample");
               still.MergeOverlay(frame.data(), overlay.data(), w, h);
           }, repeats));

    // The still shown fitted into a 1280 x 1024 view window.
    CWnd view;
    if (!view.CreateEx(0, nullptr, L"measure bench", WS_POPUP | WS_VISIBLE, 0, 0, 1280, 1024, nullptr, nullptr)) {
        std::printf("no view window\n");
        return 1;
    }
    CMeasureLayer shown;
    shown.SetViewWindow(view);
    Fill(shown);
    shown.SetZoom(0.5f);
    report("redraw over 1280 x 1024 window", MedianMs([&] {
               shown.Redraw();
               ::GdiFlush();
           }, repeats));
    // What the live frame thread does for every frame: the layer over a
    // memory bitmap of the window's size.
    HDC screen = ::GetDC(nullptr);
    HBITMAP bmp = ::CreateCompatibleBitmap(screen, 1280, 1024);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = mem.SelectObject(bmp);
    report("draw all into 1280 x 1024 memory", MedianMs([&] {
               shown.DrawAll(&mem);
               ::GdiFlush();
           }, repeats));
    mem.SelectObject(old);
    ::DeleteObject(bmp);
    return 0;
}
