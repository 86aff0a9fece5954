// Driving a started Orvik from outside and reading what it shows and writes:
// bounded waits, its commands, its MDI children, the stills it saved and the
// simulated cameras' test pictures.
#pragma once

#include "OrvikHarness.h"

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace orvik_test {

inline bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 20000) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(50))
        if (done()) return true;
    return done();
}

struct FoundById { UINT id; std::vector<HWND> hwnds; };
inline BOOL CALLBACK FindById(HWND h, LPARAM lp) {
    FoundById* f = reinterpret_cast<FoundById*>(lp);
    if ((UINT)GetDlgCtrlID(h) == f->id) f->hwnds.push_back(h);
    return TRUE;
}
inline std::vector<HWND> ChildrenWithId(HWND top, UINT id) {
    FoundById f{id, {}};
    EnumChildWindows(top, FindById, reinterpret_cast<LPARAM>(&f));
    return f.hwnds;
}

inline HWND MdiClient(HWND frame) { return FindWindowExW(frame, nullptr, L"MDIClient", nullptr); }
inline std::vector<HWND> MdiChildren(HWND frame) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(MdiClient(frame), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetWindowLongW(c, GWL_EXSTYLE) & WS_EX_MDICHILD) out.push_back(c);
    return out;
}

// A menu or toolbar command, waited for until it was handled.
inline void Command(HWND frame, WPARAM id) {
    DWORD_PTR r;
    SendMessageTimeoutW(frame, WM_COMMAND, id, 0, SMTO_NORMAL, 60000, &r);
}

inline int R(DWORD p) { return (p >> 16) & 255; }
inline int G(DWORD p) { return (p >> 8) & 255; }
inline int B(DWORD p) { return p & 255; }

// The simulated UVC chart's patch colours, classified: the channels above
// the middle, as bits red 4, green 2, blue 1 (white 7, black 0).
inline int Kind(DWORD p) { return (R(p) > 96 ? 4 : 0) | (G(p) > 96 ? 2 : 0) | (B(p) > 96 ? 1 : 0); }
const int kChartKinds[8] = {4, 2, 1, 6, 3, 5, 7, 0};

// Width, height (negative: top-down) and 24-bit pixels of a BMP file, or false.
struct Bmp { int w = 0, h = 0; std::vector<BYTE> bytes; };
inline bool ReadBmp(const std::wstring& path, Bmp& out) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return false;
    BITMAPFILEHEADER fh;
    BITMAPINFOHEADER ih;
    bool ok = fread(&fh, sizeof fh, 1, f) == 1 && fread(&ih, sizeof ih, 1, f) == 1 && fh.bfType == 0x4D42 &&
              ih.biBitCount == 24;
    if (ok) {
        out.w = ih.biWidth;
        out.h = ih.biHeight;
        const size_t stride = ((size_t)out.w * 3 + 3) & ~(size_t)3;
        out.bytes.resize(stride * (size_t)std::abs(out.h));
        fseek(f, (long)fh.bfOffBits, SEEK_SET);
        ok = fread(out.bytes.data(), 1, out.bytes.size(), f) == out.bytes.size();
    }
    fclose(f);
    return ok;
}
// Pixel (x, y) from the top of a BMP as 0x00RRGGBB.
inline DWORD BmpAt(const Bmp& b, int x, int y) {
    const size_t stride = ((size_t)b.w * 3 + 3) & ~(size_t)3;
    const int row = b.h > 0 ? b.h - 1 - y : y;
    const BYTE* p = &b.bytes[(size_t)row * stride + (size_t)x * 3];
    return ((DWORD)p[2] << 16) | ((DWORD)p[1] << 8) | p[0];
}

// The simulated Zentu sensor's scene as it reads upright and unmirrored:
// six colour patches across the middle of the upper half (red, green, blue,
// cyan, magenta, yellow from the left) and a white mark near the top-left.
inline bool MarkAtTopLeft(const std::function<DWORD(int, int)>& at, int w, int h) {
    const int kinds[6] = {4, 2, 1, 3, 5, 6};
    for (int i = 0; i < 6; ++i)
        if (Kind(at((368 + 256 * i) * w / 2048, 3 * h / 8)) != kinds[i]) return false;
    const DWORD mark = at(w / 16, h / 12);
    return R(mark) > 200 && G(mark) > 200 && B(mark) > 200;
}

}  // namespace orvik_test
