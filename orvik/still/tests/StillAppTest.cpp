// Still images in Orvik as a user meets them: Orvik started without a
// camera, pictures made by ImageMagick and cjpeg opened through File > Open,
// the window's pixels read from the screen, zoom and scrolling, measuring
// and calibrating with the scale bar and with ruler files, saving with the
// measurements burned in (read back afterwards by check-saved.sh), and the
// question on closing. One start of Orvik serves every step; the scripted
// answers are laid out in the order the steps ask for them.
#include <gtest/gtest.h>
#include "OrvikHarness.h"

#include <commctrl.h>
#include <winspool.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace orvik_test;

namespace {

const std::wstring kBin = ORVIK_BIN_DIR;
// Orvik started without a camera, in English.
const wchar_t kNoCamera[] = L"[Camera]\r\nbTolmira=0\r\nCamType=1\r\n[Gerneral]\r\nLogoTitle=Orvik Test\r\nLang=1033\r\n";

std::wstring Env(const wchar_t* name)
{
    const wchar_t* v = _wgetenv(name);
    return v ? v : L"";
}

struct Sample {
    std::wstring file;
    int w, h, bpp, tolerance;
};

std::vector<Sample> Manifest(const std::wstring& dir)
{
    std::vector<Sample> out;
    std::ifstream in((dir + L"\\manifest.txt").c_str());
    std::string name;
    Sample s;
    while (in >> name >> s.w >> s.h >> s.bpp >> s.tolerance) {
        s.file = Widen(name);
        out.push_back(s);
    }
    return out;
}

std::string ReadBytes(const std::wstring& path)
{
    std::ifstream f(path.c_str(), std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

template <class Pred>
bool WaitFor(Pred pred, DWORD ms = 10000)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < ms; Sleep(30))
        if (pred())
            return true;
    return pred();
}

int MdiChildren(HWND frame)
{
    HWND client = FindWindowExW(frame, nullptr, L"MDIClient", nullptr);
    int n = 0;
    for (HWND c = client ? GetWindow(client, GW_CHILD) : nullptr; c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetWindowLongW(c, GWL_EXSTYLE) & WS_EX_MDICHILD)
            ++n;
    return n;
}

HWND ActiveChild(HWND frame)
{
    HWND client = FindWindowExW(frame, nullptr, L"MDIClient", nullptr);
    return client ? (HWND)SendMessageW(client, WM_MDIGETACTIVE, 0, 0) : nullptr;
}

// The view is the frame's first pane.
HWND ActiveView(HWND frame)
{
    HWND child = ActiveChild(frame);
    return child ? GetDlgItem(child, 0xE900) : nullptr;
}

LRESULT Send(HWND w, UINT msg, WPARAM wp = 0, LPARAM lp = 0)
{
    DWORD_PTR r = 0;
    SendMessageTimeoutW(w, msg, wp, lp, SMTO_NORMAL, 30000, &r);
    return (LRESULT)r;
}

void Command(HWND frame, UINT id) { Send(frame, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

// The client area of a window as the screen shows it, top-down BGRA.
struct Shot {
    int w = 0, h = 0;
    std::vector<DWORD> px;
    DWORD At(int x, int y) const { return px[size_t(y) * w + x] & 0xFFFFFF; }
};

Shot Capture(HWND wnd)
{
    Shot s;
    RedrawWindow(wnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT rc;
    GetClientRect(wnd, &rc);
    POINT origin = {0, 0};
    ClientToScreen(wnd, &origin);
    s.w = rc.right;
    s.h = rc.bottom;
    if (s.w <= 0 || s.h <= 0)
        return s;
    HDC screen = GetDC(nullptr);
    s.px = GrabPixels(screen, origin.x, origin.y, s.w, s.h);
    ReleaseDC(nullptr, screen);
    return s;
}

// The picture's RGB rows as ImageMagick read them.
struct Picture {
    int w, h;
    std::string rgb;
    DWORD At(int x, int y) const
    {
        const unsigned char* p = (const unsigned char*)&rgb[(size_t(y) * w + x) * 3];
        return DWORD(p[0]) << 16 | DWORD(p[1]) << 8 | p[2];
    }
};

int ChannelDiff(DWORD a, DWORD b)
{
    int d = 0;
    for (int s = 0; s < 24; s += 8)
        d = std::max(d, std::abs(int((a >> s) & 255) - int((b >> s) & 255)));
    return d;
}

// Pixels of the picture shown at `zoom` percent with its top left at
// (left, top) of the shot that differ by more than tol; every step'th pixel.
int Mismatches(const Shot& s, const Picture& p, int left, int top, int zoom, int tol, int step = 1)
{
    int bad = 0;
    for (int y = 0; y < p.h; y += step)
        for (int x = 0; x < p.w; x += step) {
            const int sx = left + x * zoom / 100 + (zoom > 100 ? zoom / 200 : 0);
            const int sy = top + y * zoom / 100 + (zoom > 100 ? zoom / 200 : 0);
            if (sx < 0 || sy < 0 || sx >= s.w || sy >= s.h || ChannelDiff(s.At(sx, sy), p.At(x, y)) > tol)
                ++bad;
        }
    return bad;
}

std::vector<std::wstring> StatusTexts(DWORD pid, HWND bar)
{
    std::vector<std::wstring> out;
    HANDLE p = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!p)
        return out;
    void* remote = VirtualAllocEx(p, nullptr, 1024, MEM_COMMIT, PAGE_READWRITE);
    const int parts = (int)SendMessageW(bar, SB_GETPARTS, 0, 0);
    for (int i = 0; remote && i < parts; ++i) {
        wchar_t text[512] = {};
        const LRESULT r = SendMessageW(bar, SB_GETTEXTW, i, (LPARAM)remote);
        if (LOWORD(r) < 500)
            ReadProcessMemory(p, remote, text, (LOWORD(r) + 1) * sizeof(wchar_t), nullptr);
        out.push_back(text);
    }
    if (remote)
        VirtualFreeEx(p, remote, 0, MEM_RELEASE);
    CloseHandle(p);
    return out;
}

bool Contains(const std::vector<std::wstring>& v, const std::wstring& s)
{
    return std::find(v.begin(), v.end(), s) != v.end();
}

HWND StatusBar(HWND frame)
{
    for (HWND c = GetWindow(frame, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t cls[64] = {};
        GetClassNameW(c, cls, 64);
        if (Lower(cls) == Lower(STATUSCLASSNAMEW))
            return c;
    }
    return nullptr;
}

HWND Toolbar(HWND frame, int id)
{
    for (HWND c = GetWindow(frame, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetDlgCtrlID(c) == id)
            return c;
    return nullptr;
}

// The shown calibration dialog of the process.
HWND CalibrationDialog(DWORD pid)
{
    for (HWND h : TopLevelWindows(pid)) {
        wchar_t text[64] = {};
        GetWindowTextW(h, text, 64);
        if (IsWindowVisible(h) && std::wstring(text) == L"Calibration")
            return h;
    }
    return nullptr;
}

std::wstring ItemText(HWND dlg, int id)
{
    wchar_t text[64] = {};
    GetDlgItemTextW(dlg, id, text, 64);
    return text;
}

void Click(HWND dlg, int id) { Send(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id)); }

// A drag as a user makes it: the line keeps the point of the first move.
void Drag(HWND view, POINT a, POINT b)
{
    Send(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(a.x, a.y));
    Send(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(a.x, a.y));
    Send(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(b.x, b.y));
    Send(view, WM_LBUTTONUP, 0, MAKELPARAM(b.x, b.y));
}

int CountBoxes(const std::vector<std::wstring>& boxes, const std::wstring& text)
{
    int n = 0;
    for (const std::wstring& b : boxes)
        n += b.find(text) != std::wstring::npos;
    return n;
}

const char* kBadRulers[] = {
    "0.200\r\r\n0.200\r\r\n10\r\r\n10\r\r\n100\r\r\n150\r\r\n50\r\r\n100\r\r\n150\r\r\n50\r\r\n9\r\r\n",
    "0.200\r\r\n0.200\r\r\n10\r\r\n10\r\r\n100\r\r\n150\r\r\n",
    "0.200\r\r\n0.200\r\r\nten\r\r\n10\r\r\n100\r\r\n150\r\r\n50\r\r\n100\r\r\n150\r\r\n50\r\r\n0\r\r\n",
    "0.200\r\r\n0.200\r\r\n10\r\r\n10\r\r\n100\r\r\n100\r\r\n0\r\r\n100\r\r\n150\r\r\n50\r\r\n0\r\r\n",
};

TEST(StillImages, OpenZoomMeasureCalibrateSaveClose)
{
    const std::wstring samples = Env(L"STILL_SAMPLES"), saved = Env(L"STILL_SAVED");
    ASSERT_FALSE(samples.empty());
    ASSERT_FALSE(saved.empty());
    const std::vector<Sample> manifest = Manifest(samples);
    ASSERT_EQ(8u, manifest.size());
    for (int i = 0; i < 4; ++i)
        std::ofstream((saved + L"\\bad" + std::to_wstring(i) + L".rlr").c_str(), std::ios::binary) << kBadRulers[i];

    std::wstring script = L"open " + samples + L"\\broken.bmp\nmsgbox IDOK\n";
    for (const Sample& s : manifest)
        script += L"open " + samples + L"\\" + s.file + L"\n";
    script += L"open " + samples + L"\\big.bmp\n";
    script += L"msgbox IDYES\nsave " + saved + L"\\uncalibrated.bmp filter 1\n";
    script += L"msgbox IDYES\nsave " + saved + L"\\burnt.bmp filter 1\n";
    script += L"msgbox IDYES\nsave " + saved + L"\\burnt.jpg filter 2\n";
    script += L"save " + saved + L"\\ruler.rlr.rlr\n";
    script += L"open " + samples + L"\\big2.bmp\n";
    script += L"open " + saved + L"\\ruler.rlr\n";
    for (int i = 0; i < 4; ++i)
        script += L"open " + saved + L"\\bad" + std::to_wstring(i) + L".rlr\nmsgbox IDOK\n";
    script += L"msgbox IDYES\nsave " + saved + L"\\second.bmp filter 1\n";
    script += L"msgbox IDYES\nsave cancel\n";
    script += L"msgbox IDNO\nmsgbox IDNO\nmsgbox IDNO\n";

    OrvikFolder folder(kBin);
    ASSERT_GT(folder.Copied(), 5);
    folder.WriteSettings(kNoCamera);
    OrvikRun run(folder, script);
    ASSERT_TRUE(run.Started());
    HWND frame = run.WaitMainWindow(60000);
    ASSERT_NE(frame, nullptr);
    // The pointer away from every picture: a window shown or hidden over it
    // would send the view a real mouse move in the middle of a drag.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    ASSERT_EQ(0, MdiChildren(frame));
    HWND status = StatusBar(frame);
    HWND processing = Toolbar(frame, 0xE812);

    // ---- a file the picture library cannot read: its error box, no window
    Command(frame, 0xE101);
    EXPECT_EQ(1, CountBoxes(run.Boxes(), L"|Picture error|"));
    EXPECT_EQ(0, MdiChildren(frame));

    // ---- every depth, shown as ImageMagick reads it
    for (const Sample& s : manifest) {
        SCOPED_TRACE(Narrow(s.file));
        Command(frame, 0xE101);  // File > Open
        ASSERT_TRUE(WaitFor([&] { return MdiChildren(frame) == 1; })) << "not opened";
        HWND view = ActiveView(frame);
        ASSERT_NE(view, nullptr);
        Picture pic{s.w, s.h, ReadBytes(samples + L"\\" + s.file.substr(0, s.file.size() - 4) + L".rgb")};
        ASSERT_EQ(size_t(s.w) * s.h * 3, pic.rgb.size());
        RECT rc;
        GetClientRect(view, &rc);
        const int left = (rc.right - s.w) / 2, top = (rc.bottom - s.h) / 2;
        EXPECT_TRUE(WaitFor([&] { return Mismatches(Capture(view), pic, left, top, 100, s.tolerance) == 0; }, 5000))
            << Mismatches(Capture(view), pic, left, top, 100, s.tolerance) << " pixels differ";

        // The status bar shows the picture's properties.
        const int stride = ((s.w * s.bpp + 31) / 32) * 4;
        const std::wstring memory = std::to_wstring(stride * s.h) + L" bytes, MEMORY";
        const std::wstring bits = std::to_wstring(s.bpp) + L" bits";
        EXPECT_TRUE(WaitFor([&] {
            const auto t = StatusTexts(run.Pid(), status);
            return Contains(t, memory) && Contains(t, L"100%") && Contains(t, L"120 X 90") && Contains(t, bits) &&
                   Contains(t, Lower(samples + L"\\" + s.file)) | Contains(t, samples + L"\\" + s.file);
        }, 5000));

        if (&s == &manifest[0]) {
            // Zoom in twice to 400 %, where Zoom In is disabled and does nothing.
            Command(frame, 32783);
            EXPECT_TRUE(WaitFor([&] {
                return Mismatches(Capture(view), pic, (rc.right - 240) / 2, (rc.bottom - 180) / 2, 200, 0, 7) == 0;
            }, 5000)) << "not shown at 200 %";
            Command(frame, 32783);
            Command(frame, 32783);
            EXPECT_TRUE(WaitFor([&] { return Contains(StatusTexts(run.Pid(), status), L"400%"); }, 5000));
            EXPECT_TRUE(WaitFor([&] { return !SendMessageW(processing, TB_ISBUTTONENABLED, 32783, 0); }, 5000));
            for (int i = 0; i < 5; ++i)
                Command(frame, 32784);
            EXPECT_TRUE(WaitFor([&] { return Contains(StatusTexts(run.Pid(), status), L"25%"); }, 5000));
            EXPECT_TRUE(WaitFor([&] {
                return !SendMessageW(processing, TB_ISBUTTONENABLED, 32784, 0) &&
                       SendMessageW(processing, TB_ISBUTTONENABLED, 32783, 0);
            }, 5000));
            Command(frame, 32799);
            EXPECT_TRUE(WaitFor([&] { return Mismatches(Capture(view), pic, left, top, 100, 0) == 0; }, 5000));
        }
        // Unchanged: it closes without a question.
        PostMessageW(ActiveChild(frame), WM_CLOSE, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return MdiChildren(frame) == 0; })) << "not closed";
    }
    EXPECT_EQ(0, CountBoxes(run.Boxes(), L"Do you want to save Image?"));

    // ---- a picture larger than the window: scrolling moves it, the wheel not
    Command(frame, 0xE101);
    ASSERT_TRUE(WaitFor([&] { return MdiChildren(frame) == 1; }));
    HWND view = ActiveView(frame);
    const Shot before = Capture(view);
    Send(view, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA * 3), MAKELPARAM(400, 400));
    const Shot wheeled = Capture(view);
    EXPECT_TRUE(before.px == wheeled.px) << "the wheel scrolled the picture";
    Send(view, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
    const Shot paged = Capture(view);
    // The rows moved up by some whole number of rows, nothing else changed.
    int shift = 0;
    for (int d = 1; d < paged.h && !shift; ++d) {
        bool same = true;
        for (int x = 0; x < paged.w - 20 && same; x += 13)
            same = paged.At(x, 0) == before.At(x, d) && paged.At(x, 40) == before.At(x, d + 40);
        if (same)
            shift = d;
    }
    EXPECT_GT(shift, 50) << "a page down did not scroll";
    Send(view, WM_VSCROLL, MAKEWPARAM(SB_TOP, 0), 0);
    EXPECT_TRUE(WaitFor([&] { return Capture(view).px == before.px; }, 5000)) << "back at the top";

    // ---- a line, saved burned in with the default calibration
    Command(frame, 32786);  // Line
    Drag(view, POINT{300, 500}, POINT{700, 500});
    Command(frame, 0xE104);  // Save As
    ASSERT_TRUE(WaitFor([&] { return FileExists(saved + L"\\uncalibrated.bmp"); }));
    // Rotation is disabled while measuring.
    EXPECT_TRUE(WaitFor([&] { return !SendMessageW(processing, TB_ISBUTTONENABLED, 32779, 0); }, 5000));

    // ---- calibrate with the scale bar: with the move tool its X arm (corner
    // at image (50, 50), end at (100, 50)) dragged from 50 to 100 pixels
    Command(frame, 32918);
    HWND dlg = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dlg = CalibrationDialog(run.Pid())) != nullptr; }));
    EXPECT_EQ(L"0.200", ItemText(dlg, 1050));
    Command(frame, 32791);  // Move
    Drag(view, POINT{100, 50}, POINT{150, 50});
    EXPECT_EQ(L"0.100", ItemText(dlg, 1050));
    EXPECT_EQ(L"0.200", ItemText(dlg, 1051));
    EXPECT_EQ(L"100", ItemText(dlg, 1062));
    Click(dlg, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dlg); }));
    Command(frame, 0xE104);
    ASSERT_TRUE(WaitFor([&] { return FileExists(saved + L"\\burnt.bmp"); }));
    Command(frame, 0xE104);
    ASSERT_TRUE(WaitFor([&] { return FileExists(saved + L"\\burnt.jpg"); }));

    // ---- the ruler file: "ruler.rlr.rlr" is written as "ruler.rlr"
    Command(frame, 32918);
    ASSERT_TRUE(WaitFor([&] { return (dlg = CalibrationDialog(run.Pid())) != nullptr; }));
    Click(dlg, 1066);
    ASSERT_TRUE(WaitFor([&] { return FileExists(saved + L"\\ruler.rlr"); }));
    EXPECT_FALSE(FileExists(saved + L"\\ruler.rlr.rlr"));
    EXPECT_EQ("0.100\r\r\n0.200\r\r\n10.00000\r\r\n10.00000\r\r\n100\r\r\n200\r\r\n100\r\r\n100\r\r\n150\r\r\n50\r\r\n"
              "0\r\r\n",
              ReadBytes(saved + L"\\ruler.rlr"));
    Click(dlg, IDOK);

    // ---- a second image takes the calibration from the file
    Command(frame, 0xE101);
    ASSERT_TRUE(WaitFor([&] { return MdiChildren(frame) == 2; }));
    HWND second = ActiveView(frame);
    ASSERT_NE(second, view);
    Command(frame, 32918);
    ASSERT_TRUE(WaitFor([&] { return (dlg = CalibrationDialog(run.Pid())) != nullptr; }));
    EXPECT_EQ(L"0.200", ItemText(dlg, 1050));
    Click(dlg, 1067);
    EXPECT_EQ(L"0.100", ItemText(dlg, 1050));
    EXPECT_EQ(L"200", ItemText(dlg, 1061));
    // Each bad file is refused with a box and changes nothing.
    for (int i = 0; i < 4; ++i) {
        const size_t boxes = run.Boxes().size();
        Click(dlg, 1067);
        EXPECT_TRUE(WaitFor([&] { return run.Boxes().size() == boxes + 1; })) << "bad file " << i;
        EXPECT_EQ(L"0.100", ItemText(dlg, 1050)) << "bad file " << i;
        EXPECT_EQ(L"200", ItemText(dlg, 1061)) << "bad file " << i;
        EXPECT_EQ(L"um", ItemText(dlg, 1054)) << "bad file " << i;
    }
    Click(dlg, IDOK);
    Command(frame, 32786);
    Drag(second, POINT{300, 500}, POINT{700, 500});
    Command(frame, 0xE104);
    ASSERT_TRUE(WaitFor([&] { return FileExists(saved + L"\\second.bmp"); }));

    // ---- closing a changed image asks once; a cancelled save keeps it open.
    // Saved just now, it is changed again first: another line.
    Command(frame, 32786);
    Drag(second, POINT{300, 700}, POINT{500, 700});
    const int asked = CountBoxes(run.Boxes(), L"Do you want to save Image?");
    PostMessageW(ActiveChild(frame), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return CountBoxes(run.Boxes(), L"Do you want to save Image?") == asked + 1; }));
    Send(frame, WM_NULL);
    EXPECT_EQ(2, MdiChildren(frame)) << "the image closed though its save was cancelled";
    PostMessageW(ActiveChild(frame), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return MdiChildren(frame) == 1; })) << "No did not close it";
    EXPECT_EQ(asked + 2, CountBoxes(run.Boxes(), L"Do you want to save Image?"));

    EXPECT_NE(STILL_ACTIVE, run.Close(60000));
    for (const std::wstring& b : run.Boxes())
        EXPECT_EQ(std::wstring::npos, b.find(L"unanswered")) << Narrow(b);
    // What the steps left for check-saved.sh.
    CopyFileW((samples + L"\\big.bmp").c_str(), (saved + L"\\big.bmp").c_str(), FALSE);
}


// ---------------------------------------------------------------- processing, undo, saving, printing

// A 24-bit BMP as the display window writes it (54-byte headers, bottom-up).
struct Bmp {
    int w = 0, h = 0;
    std::vector<DWORD> px;  // top-down 0xRRGGBB
    DWORD At(int x, int y) const { return px[size_t(y) * w + x]; }
    bool operator==(const Bmp& o) const { return w == o.w && h == o.h && px == o.px; }
    double Mean() const
    {
        double sum = 0;
        for (DWORD p : px)
            sum += (p & 255) + (p >> 8 & 255) + (p >> 16 & 255);
        return px.empty() ? 0 : sum / (px.size() * 3.0);
    }
    // Mean distance of the channels from their pixel's grey.
    double Colourfulness() const
    {
        double sum = 0;
        for (DWORD p : px) {
            const int r = p >> 16 & 255, g = p >> 8 & 255, b = p & 255, grey = (r + g + b) / 3;
            sum += std::abs(r - grey) + std::abs(g - grey) + std::abs(b - grey);
        }
        return px.empty() ? 0 : sum / px.size();
    }
    double Spread() const
    {
        const double m = Mean();
        double sum = 0;
        for (DWORD p : px)
            for (int s = 0; s < 24; s += 8)
                sum += std::abs(double(p >> s & 255) - m);
        return px.empty() ? 0 : sum / (px.size() * 3.0);
    }
};

Bmp ReadBmp(const std::wstring& path)
{
    Bmp b;
    const std::string f = ReadBytes(path);
    if (f.size() < 54 || f[0] != 'B' || f[1] != 'M')
        return b;
    const int w = *(const int*)&f[18], h = *(const int*)&f[22];
    const int stride = (w * 3 + 3) & ~3;
    if (*(const short*)&f[28] != 24 || w <= 0 || h <= 0 || f.size() < 54 + size_t(stride) * h)
        return b;
    b.w = w;
    b.h = h;
    b.px.resize(size_t(w) * h);
    for (int y = 0; y < h; ++y) {
        const unsigned char* row = (const unsigned char*)&f[54 + size_t(h - 1 - y) * stride];
        for (int x = 0; x < w; ++x)
            b.px[size_t(y) * w + x] = DWORD(row[x * 3 + 2]) << 16 | DWORD(row[x * 3 + 1]) << 8 | row[x * 3];
    }
    return b;
}

std::wstring PrinterFile()
{
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(L"FilePS"), &printer, nullptr))
        return std::wstring();
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    std::wstring port;
    if (GetPrinterW(printer, 2, buffer.data(), needed, &needed))
        port = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data())->pPortName;
    ClosePrinter(printer);
    return port.empty() || port[0] != L'/' ? std::wstring() : L"Z:" + port;
}

TEST(StillImages, ProcessUndoRedoSaveAndPrint)
{
    const std::wstring samples = Env(L"STILL_SAMPLES"), saved = Env(L"STILL_SAVED");
    ASSERT_FALSE(samples.empty());
    ASSERT_FALSE(saved.empty());
    const std::wstring port = PrinterFile();
    ASSERT_FALSE(port.empty()) << "the file printer FilePS is missing from the prefix (tools/wine-env adds it)";
    DeleteFileW(port.c_str());
    const std::wstring dir = saved + L"\\proc";
    CreateDirectoryW(dir.c_str(), nullptr);
    const std::wstring original = dir + L"\\picture.bmp";
    ASSERT_TRUE(CopyFileW((samples + L"\\bgr24.bmp").c_str(), original.c_str(), FALSE));

    // Every state is written by Save As; the script holds its answers in order.
    std::wstring script = L"open " + original + L"\n";
    int saves = 0;
    auto saveAs = [&](const std::wstring& name) {
        script += L"save " + dir + L"\\" + name + L".bmp filter 1\n";
        ++saves;
    };
    saveAs(L"p0");
    saveAs(L"inv");
    saveAs(L"inv2");
    saveAs(L"r90");
    saveAs(L"r360");
    script += L"dialog 203 IDCANCEL\n";
    saveAs(L"cancelled");
    for (const wchar_t* m : {L"bright", L"contrast", L"saturation"}) {
        script += L"dialog 203 IDOK\n";
        saveAs(m);
    }
    for (int i = 1; i <= 21; ++i) {
        script += L"dialog 203 IDOK\n";
        saveAs(L"s" + std::to_wstring(i));
    }
    for (int i = 1; i <= 21; ++i)
        saveAs(L"u" + std::to_wstring(i));
    saveAs(L"redone");
    saveAs(L"branched");
    script += L"save " + dir + L"\\missing\\x.bmp filter 1\nmsgbox IDOK\n";  // a folder that is not there
    script += L"msgbox IDNO\n";                                                // the close question
    script += L"open " + samples + L"\\salt.bmp\n";
    script += L"dialog 203 IDOK\n";
    saveAs(L"median");
    script += L"dialog 203 IDOK\n";
    saveAs(L"average");
    script += L"msgbox IDNO\n";
    script += L"open " + samples + L"\\wide.bmp\nprint\n";

    OrvikFolder folder(kBin);
    ASSERT_GT(folder.Copied(), 5);
    folder.WriteSettings(kNoCamera);
    OrvikRun run(folder, script);
    ASSERT_TRUE(run.Started());
    HWND frame = run.WaitMainWindow(60000);
    ASSERT_NE(frame, nullptr);
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    Command(frame, 0xE101);
    ASSERT_TRUE(WaitFor([&] { return MdiChildren(frame) == 1; }));
    auto save = [&](const std::wstring& name) {
        Command(frame, 0xE104);
        const std::wstring path = dir + L"\\" + name + L".bmp";
        EXPECT_TRUE(WaitFor([&] { return FileExists(path); })) << Narrow(name);
        return ReadBmp(path);
    };

    const Bmp p0 = save(L"p0");
    ASSERT_EQ(120, p0.w);
    ASSERT_EQ(90, p0.h);

    // Invert: every channel mirrored; twice, the picture.
    Command(frame, 32911);
    const Bmp inv = save(L"inv");
    ASSERT_EQ(p0.px.size(), inv.px.size());
    for (size_t i = 0; i < p0.px.size(); ++i)
        ASSERT_EQ(p0.px[i] ^ 0xFFFFFF, inv.px[i]) << "pixel " << i;
    Command(frame, 32911);
    EXPECT_TRUE(save(L"inv2") == p0);
    // Save writes to the file Save As chose, never over the opened one.
    const std::string opened = ReadBytes(original);
    Command(frame, 32911);
    Command(frame, 0xE103);
    EXPECT_TRUE(WaitFor([&] { return ReadBmp(dir + L"\\inv2.bmp") == inv; }));
    EXPECT_EQ(opened, ReadBytes(original));
    Command(frame, 32911);

    // Clockwise by 90: the bottom-left corner comes to the top left.
    Command(frame, 32779);
    const Bmp r90 = save(L"r90");
    ASSERT_EQ(90, r90.w);
    ASSERT_EQ(120, r90.h);
    for (int y = 0; y < r90.h; y += 7)
        for (int x = 0; x < r90.w; x += 5)
            ASSERT_EQ(p0.At(y, p0.h - 1 - x), r90.At(x, y)) << x << "," << y;
    for (int i = 0; i < 3; ++i)
        Command(frame, 32779);
    EXPECT_TRUE(save(L"r360") == p0);

    // A cancelled dialog changes nothing, and leaves no undo step (below).
    Command(frame, 32772);
    EXPECT_TRUE(save(L"cancelled") == p0);

    // OK at once applies each mode's first parameter: +10 of 1000 raises
    // the mean, spreads the values, makes the colours stronger.
    Command(frame, 32912);
    const Bmp bright = save(L"bright");
    EXPECT_NEAR(p0.Mean() + 2.55, bright.Mean(), 0.6);
    Command(frame, 32913);
    const Bmp contrast = save(L"contrast");
    EXPECT_GT(contrast.Spread(), bright.Spread());
    EXPECT_NEAR(bright.Mean(), contrast.Mean(), 1.5);
    Command(frame, 32914);
    const Bmp saturation = save(L"saturation");
    EXPECT_GT(saturation.Colourfulness(), contrast.Colourfulness());

    // Twenty-one changes: the undo stack keeps the last twenty states.
    std::vector<Bmp> states = {saturation};
    for (int i = 1; i <= 21; ++i) {
        Command(frame, 32912);
        states.push_back(save(L"s" + std::to_wstring(i)));
        ASSERT_FALSE(states[i] == states[i - 1]) << "step " << i << " changed nothing";
    }
    for (int i = 1; i <= 21; ++i) {
        Command(frame, 0xE12B);  // Undo
        const Bmp u = save(L"u" + std::to_wstring(i));
        // The 21st undo does nothing: the state before the second change stays.
        const int want = std::max(21 - i, 1);
        EXPECT_TRUE(u == states[want]) << "undo " << i << " is not the state after change " << want;
    }
    for (int i = 0; i < 20; ++i)
        Command(frame, 0xE12C);  // Redo
    EXPECT_TRUE(save(L"redone") == states[21]);
    // Undo, then a new change: Redo is gone.
    Command(frame, 0xE12B);
    Command(frame, 32777);  // Reverse
    Command(frame, 0xE12C);
    const Bmp branched = save(L"branched");
    ASSERT_EQ(states[20].w, branched.w);
    for (int x = 0; x < branched.w; x += 3)
        EXPECT_EQ(states[20].At(branched.w - 1 - x, 10), branched.At(x, 10)) << x;

    // Changed after the last save, then a save that fails: it says so, and
    // the close question still comes.
    Command(frame, 32911);
    const size_t boxes = run.Boxes().size();
    Command(frame, 0xE104);
    EXPECT_TRUE(WaitFor([&] { return run.Boxes().size() == boxes + 1; }));
    EXPECT_FALSE(FileExists(dir + L"\\missing\\x.bmp"));
    PostMessageW(ActiveChild(frame), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return CountBoxes(run.Boxes(), L"Do you want to save Image?") == 1; }));
    EXPECT_TRUE(WaitFor([&] { return MdiChildren(frame) == 0; }));

    // Median removes a single outlier; the average of a flat picture is flat.
    Command(frame, 0xE101);
    ASSERT_TRUE(WaitFor([&] { return MdiChildren(frame) == 1; }));
    Command(frame, 32774);
    const Bmp median = save(L"median");
    ASSERT_FALSE(median.px.empty());
    for (DWORD p : median.px)
        ASSERT_EQ(0x646464u, p);
    Command(frame, 32772);
    EXPECT_TRUE(save(L"average") == median);
    PostMessageW(ActiveChild(frame), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return MdiChildren(frame) == 0; }));

    // Printing: one page of the wide picture on the file printer, for
    // check-printed.sh.
    Command(frame, 0xE101);
    ASSERT_TRUE(WaitFor([&] { return MdiChildren(frame) == 1; }));
    Command(frame, 57607);
    EXPECT_TRUE(WaitFor([&] { return ReadBytes(port).find("%%EOF") != std::string::npos; }, 30000));
    CopyFileW(port.c_str(), (saved + L"\\printed.ps").c_str(), FALSE);

    EXPECT_NE(STILL_ACTIVE, run.Close(60000));
    for (const std::wstring& b : run.Boxes())
        EXPECT_EQ(std::wstring::npos, b.find(L"unanswered")) << Narrow(b);
}

}  // namespace
