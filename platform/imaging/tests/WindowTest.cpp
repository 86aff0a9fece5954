// The bitmap window on the virtual display: what a window shows, read back
// from its device context; the clipboard; the hooks; the error box.
#include "Pictures.h"

#include <gtest/gtest.h>

#include <dlgs.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

const COLORREF kBackground = RGB(0, 0, 128);
int g_ownProcMessages = 0;

LRESULT CALLBACK OwnProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP + 7)
        ++g_ownProcMessages;
    return DefWindowProcW(hWnd, message, wParam, lParam);
}

class Window {
public:
    Window(int clientWidth, int clientHeight, DWORD style = WS_POPUP)
    {
        static ATOM atom = [] {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = OwnProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"ImagingTestWindow";
            wc.hbrBackground = CreateSolidBrush(kBackground);
            return RegisterClassW(&wc);
        }();
        (void)atom;
        RECT r = {0, 0, clientWidth, clientHeight};
        AdjustWindowRect(&r, style, FALSE);
        hwnd = CreateWindowExW(WS_EX_TOPMOST, L"ImagingTestWindow", L"imaging", style, 10, 10, r.right - r.left,
                               r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(hwnd, SW_SHOWNOACTIVATE);
        Pump();
    }
    ~Window() { DestroyWindow(hwnd); }

    void Pump()
    {
        UpdateWindow(hwnd);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        GdiFlush();
    }

    COLORREF Pixel(int x, int y)
    {
        HDC dc = GetDC(hwnd);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(hwnd, dc);
        return c;
    }

    HWND hwnd;
};

COLORREF ColourAt(const LBitmapBase& bmp, int x, int y)
{
    const Bgr p = At(bmp, x, y);
    return RGB(p.r, p.g, p.b);
}

TEST(BitmapWindow, ASmallerPictureIsCentred)
{
    Window w(200, 150);
    LAnimationWindow bmp;
    MakeCoded(bmp, 40, 30);
    ASSERT_EQ(bmp.SetWndHandle(w.hwnd), SUCCESS);
    w.Pump();
    const RECT r = bmp.GetBitmapVisibleRect();
    EXPECT_EQ(r.left, 80);
    EXPECT_EQ(r.top, 60);
    EXPECT_EQ(r.right, 120);
    EXPECT_EQ(r.bottom, 90);
    EXPECT_EQ(w.Pixel(80, 60), ColourAt(bmp, 0, 0));
    EXPECT_EQ(w.Pixel(119, 89), ColourAt(bmp, 39, 29));
    EXPECT_EQ(w.Pixel(97, 71), ColourAt(bmp, 17, 11));
    EXPECT_EQ(w.Pixel(79, 60), kBackground);
    EXPECT_EQ(w.Pixel(120, 89), kBackground);
    EXPECT_EQ(w.Pixel(100, 59), kBackground);
    EXPECT_EQ(w.Pixel(100, 90), kBackground);
}

TEST(BitmapWindow, Zoom200DoublesWhatIsShown)
{
    Window w(200, 150);
    LBitmapWindow bmp;
    MakeCoded(bmp, 40, 30);
    bmp.SetWndHandle(w.hwnd);
    ASSERT_EQ(bmp.SetZoomPercent(200), SUCCESS);
    EXPECT_EQ(bmp.GetZoomPercent(), 200);
    w.Pump();
    const RECT r = bmp.GetBitmapVisibleRect();
    EXPECT_EQ(r.left, 60);
    EXPECT_EQ(r.top, 45);
    EXPECT_EQ(r.right - r.left, 80);
    EXPECT_EQ(r.bottom - r.top, 60);
    for (int y : {0, 13, 29})
        for (int x : {0, 7, 39}) {
            const COLORREF c = ColourAt(bmp, x, y);
            EXPECT_EQ(w.Pixel(60 + 2 * x, 45 + 2 * y), c) << x << "," << y;
            EXPECT_EQ(w.Pixel(61 + 2 * x, 46 + 2 * y), c) << x << "," << y;
        }
    EXPECT_EQ(w.Pixel(59, 50), kBackground);
    EXPECT_EQ(w.Pixel(140, 50), kBackground);
    EXPECT_EQ(bmp.SetZoomPercent(0), LERR_INV_PARAMETER);
    EXPECT_EQ(bmp.GetZoomPercent(), 200);
}

TEST(BitmapWindow, ALargerPictureFollowsTheScrollBars)
{
    Window w(120, 100, WS_POPUP | WS_HSCROLL | WS_VSCROLL);
    LBitmapWindow bmp;
    MakeCoded(bmp, 300, 200);
    bmp.SetWndHandle(w.hwnd);
    w.Pump();
    RECT client;
    GetClientRect(w.hwnd, &client);
    EXPECT_EQ(bmp.GetBitmapVisibleRect().left, 0);
    EXPECT_EQ(w.Pixel(0, 0), ColourAt(bmp, 0, 0));
    // Auto-scroll: the bitmap window sets the range and follows the bar.
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(w.hwnd, SB_HORZ, &si);
    EXPECT_EQ(si.nMax, 299);
    EXPECT_EQ(int(si.nPage), client.right);
    SendMessageW(w.hwnd, WM_HSCROLL, SB_LINEDOWN, 0);
    SendMessageW(w.hwnd, WM_VSCROLL, SB_PAGEDOWN, 0);
    w.Pump();
    const RECT r = bmp.GetBitmapVisibleRect();
    EXPECT_EQ(r.left, -16);
    EXPECT_EQ(r.top, -client.bottom);
    EXPECT_EQ(w.Pixel(0, 0), ColourAt(bmp, 16, client.bottom));
    EXPECT_EQ(w.Pixel(5, 9), ColourAt(bmp, 21, client.bottom + 9));

    // Without auto-scroll the owner moves the bars and the picture follows.
    bmp.EnableAutoScroll(FALSE);
    SCROLLINFO own = {};
    own.cbSize = sizeof own;
    own.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    own.nMax = 299;
    own.nPage = UINT(client.right);
    own.nPos = 40;
    SetScrollInfo(w.hwnd, SB_HORZ, &own, TRUE);
    bmp.Repaint();
    w.Pump();
    EXPECT_EQ(bmp.GetBitmapVisibleRect().left, -40);
    EXPECT_EQ(w.Pixel(3, 4), ColourAt(bmp, 43, client.bottom + 4));
}

TEST(BitmapWindow, ACopyIntoTheWindowRepaintsIt)
{
    Window w(100, 80);
    LAnimationWindow bmp;
    MakeFlat(bmp, 20, 20, 0, 255, 0);
    bmp.SetWndHandle(w.hwnd);
    w.Pump();
    EXPECT_EQ(w.Pixel(50, 40), RGB(0, 255, 0));
    LBitmap other;
    MakeFlat(other, 60, 40, 255, 0, 0);
    ASSERT_EQ(bmp.Copy(other), SUCCESS);
    w.Pump();
    EXPECT_EQ(w.Pixel(20, 20), RGB(0, 0, 255));
    EXPECT_EQ(w.Pixel(79, 59), RGB(0, 0, 255));
    EXPECT_EQ(w.Pixel(19, 20), kBackground);
    bmp.Rotate(9000, ROTATE_RESIZE, 0);
    w.Pump();
    EXPECT_EQ(bmp.GetBitmapVisibleRect().left, 30);
    EXPECT_EQ(w.Pixel(19, 20), kBackground);
    EXPECT_EQ(w.Pixel(31, 20), RGB(0, 0, 255));
}

class HookedWindow : public LAnimationWindow {
public:
    std::atomic<int> rulerMessages{0};
    std::atomic<int> paints{0};

protected:
    LRESULT MsgProcCallBack(HWND, UINT message, WPARAM, LPARAM) override
    {
        if (message == 1124)
            ++rulerMessages;
        return message == WM_APP + 7 ? 1 : 0;
    }
    void OnDraw(HDC hdc, const RECT&) override
    {
        ++paints;
        RECT mark = {0, 0, 6, 6};
        HBRUSH brush = CreateSolidBrush(RGB(255, 255, 0));
        FillRect(hdc, &mark, brush);
        DeleteObject(brush);
    }
};

TEST(BitmapWindow, TheHooksSeeMessagesAndDrawAfterThePicture)
{
    Window w(100, 80);
    HookedWindow bmp;
    MakeFlat(bmp, 100, 80, 10, 20, 30);
    bmp.SetWndHandle(w.hwnd);
    w.Pump();
    EXPECT_GE(bmp.paints.load(), 1);
    EXPECT_EQ(w.Pixel(3, 3), RGB(255, 255, 0));
    EXPECT_EQ(w.Pixel(8, 8), RGB(30, 20, 10));
    // 0 from the hook lets the message go on; anything else ends it there.
    EXPECT_EQ(SendMessageW(w.hwnd, 1124, 0, 0), 0);
    EXPECT_EQ(bmp.rulerMessages.load(), 1);
    g_ownProcMessages = 0;
    EXPECT_EQ(SendMessageW(w.hwnd, WM_APP + 7, 0, 0), 1);
    EXPECT_EQ(g_ownProcMessages, 0);
    bmp.SetWndHandle(nullptr);
    SendMessageW(w.hwnd, WM_APP + 7, 0, 0);
    EXPECT_EQ(g_ownProcMessages, 1);
    EXPECT_EQ(bmp.GetBitmapWnd(), nullptr);
}

TEST(BitmapWindow, UnboundsItselfWhenTheWindowGoesAway)
{
    LBitmapWindow bmp;
    MakeFlat(bmp, 4, 4, 1, 2, 3);
    {
        Window w(50, 50);
        bmp.SetWndHandle(w.hwnd);
        EXPECT_EQ(bmp.GetBitmapWnd(), w.hwnd);
    }
    EXPECT_EQ(bmp.GetBitmapWnd(), nullptr);
    EXPECT_EQ(bmp.Invert(), SUCCESS);  // no window to repaint, no crash
    EXPECT_EQ(bmp.SetWndHandle(reinterpret_cast<HWND>(0x1234)), LERR_NO_WINDOW);
}

TEST(BitmapWindow, CopyToClipboardPlacesTheDibAndABitmap)
{
    Window w(50, 50);
    LBitmapWindow bmp;
    MakeCoded(bmp, 33, 7);
    bmp.SetWndHandle(w.hwnd);
    ASSERT_EQ(bmp.CopyToClipboard(w.hwnd, COPY2CB_EMPTY | COPY2CB_DIB | COPY2CB_DDB | COPY2CB_PALETTE), SUCCESS);
    ASSERT_TRUE(OpenClipboard(w.hwnd));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_PALETTE));  // a true-colour picture has none
    HGLOBAL dib = GetClipboardData(CF_DIB);
    ASSERT_NE(dib, nullptr);
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(dib));
    const BITMAPINFOHEADER* h = reinterpret_cast<const BITMAPINFOHEADER*>(p);
    EXPECT_EQ(h->biWidth, 33);
    EXPECT_EQ(h->biHeight, 7);
    EXPECT_EQ(h->biBitCount, 24);
    LBitmap back(reinterpret_cast<const BITMAPINFO*>(p), p + h->biSize);
    GlobalUnlock(dib);
    CloseClipboard();
    EXPECT_EQ(Pixels(back), Pixels(bmp));
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM data)
{
    wchar_t cls[32], buf[512];
    GetClassNameW(child, cls, 32);
    if (lstrcmpiW(cls, L"Static") == 0 && GetWindowTextW(child, buf, 512) > 0)
        *reinterpret_cast<std::wstring*>(data) += buf;
    return TRUE;
}

// Texts of the message box with the given caption, then closes it.
std::wstring CloseBox(const wchar_t* caption, int waitMs)
{
    for (int i = 0; i < waitMs / 20; ++i) {
        HWND box = FindWindowW(L"#32770", caption);
        if (box) {
            std::wstring text;
            EnumChildWindows(box, CollectStatic, reinterpret_cast<LPARAM>(&text));
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return text;
        }
        Sleep(20);
    }
    return L"(no box)";
}

TEST(ErrorList, ShowsTheFailuresOnceInOneBox)
{
    LBitmap bmp;
    EXPECT_EQ(bmp.Load(L"Z:\\no\\such\\picture.bmp", 24), LERR_FILE_NOT_FOUND);
    MakeFlat(bmp, 4, 4, 0, 0, 0);
    EXPECT_EQ(bmp.AverageFilter(0), LERR_INV_PARAMETER);
    std::wstring text;
    std::thread closer([&] { text = CloseBox(L"Picture error", 10000); });
    LBase::DisplayErrorFromList(nullptr, 0);
    closer.join();
    EXPECT_NE(text.find(L"The file was not found."), std::wstring::npos) << std::string(text.begin(), text.end());
    EXPECT_NE(text.find(L"A value is out of range."), std::wstring::npos);
    // The list is spent: a second call shows nothing and returns at once.
    std::wstring none;
    std::thread watcher([&] { none = CloseBox(L"Picture error", 500); });
    LBase::DisplayErrorFromList(nullptr, 0);
    watcher.join();
    EXPECT_EQ(none, L"(no box)");
}

struct ShownBox {
    int calls = 0;
    HWND owner = nullptr;
    std::wstring text, caption;
    UINT type = 0;
} g_shown;

int WINAPI RecordBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    ++g_shown.calls;
    g_shown.owner = owner;
    g_shown.text = text;
    g_shown.caption = caption;
    g_shown.type = type;
    return IDOK;
}

// A program that answers its boxes itself (a test's scripted answers) sees
// this box too, and no window comes up that nothing would close.
TEST(ErrorList, GoesThroughTheProgramsBoxFunction)
{
    LBitmap bmp;
    EXPECT_EQ(bmp.Load(L"Z:\\no\\such\\picture.bmp", 24), LERR_FILE_NOT_FOUND);
    g_shown = ShownBox();
    LBase::SetMessageBoxFunction(RecordBox);
    HWND owner = reinterpret_cast<HWND>(0x1234);
    LBase::DisplayErrorFromList(owner, 0);
    LBase::DisplayErrorFromList(owner, 0);
    LBase::SetMessageBoxFunction(nullptr);
    EXPECT_EQ(g_shown.calls, 1);
    EXPECT_EQ(g_shown.owner, owner);
    EXPECT_EQ(g_shown.caption, L"Picture error");
    EXPECT_EQ(g_shown.text, L"The file was not found.");
    EXPECT_EQ(g_shown.type, UINT(MB_OK | MB_ICONEXCLAMATION));
}

// Answers the Open dialog owned by owner: types name and presses OK, or
// presses Cancel when name is empty. False when no dialog came.
bool AnswerOpen(HWND owner, const std::wstring& name)
{
    for (int i = 0; i < 500; ++i) {
        HWND dlg = FindWindowW(L"#32770", nullptr);
        if (dlg && GetWindow(dlg, GW_OWNER) == owner) {
            Sleep(100);  // let the dialog finish its set-up
            if (name.empty()) {
                PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
                return true;
            }
            HWND box = GetDlgItem(dlg, cmb13);
            if (!box)
                box = GetDlgItem(dlg, edt1);
            SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
            PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
            return true;
        }
        Sleep(20);
    }
    return false;
}

TEST(DialogFile, OpenLoadsTheChosenFileAtItsOwnDepth)
{
    Window w(60, 60);
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring path = std::wstring(dir) + L"imaging-open.bmp";
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[256];
    } info = {};
    info.h = Header(8, 4, 8);
    for (int i = 0; i < 256; ++i)
        info.colors[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    std::vector<BYTE> bits(32, 77);
    LBitmap source(reinterpret_cast<BITMAPINFO*>(&info), bits.data());
    ASSERT_EQ(source.Save(path.c_str(), FILE_BMP, 0), SUCCESS);

    LBitmap bmp;
    MakeFlat(bmp, 3, 3, 1, 2, 3);
    bool answered = false;
    std::thread cancel([&] { answered = AnswerOpen(w.hwnd, L""); });
    EXPECT_EQ(bmp.DialogFile().DoModalOpen(w.hwnd, DLG_FO_AUTOPROCESS | DLG_FO_SHOWPREVIEW | DLG_FO_FILEINFO),
              LERR_DLG_CANCELED);
    cancel.join();
    ASSERT_TRUE(answered);
    EXPECT_EQ(bmp.GetWidth(), 3);
    EXPECT_STREQ(bmp.GetFileName(), "");

    std::thread choose([&] { answered = AnswerOpen(w.hwnd, path); });
    EXPECT_EQ(bmp.DialogFile().DoModalOpen(w.hwnd, DLG_FO_AUTOPROCESS | DLG_FO_SHOWPREVIEW | DLG_FO_FILEINFO),
              SUCCESS);
    choose.join();
    ASSERT_TRUE(answered);
    EXPECT_EQ(bmp.GetWidth(), 8);
    EXPECT_EQ(bmp.GetBitsPerPixel(), 8);
    EXPECT_EQ(Pixels(bmp), bits);
    const std::string narrow(path.begin(), path.end());
    EXPECT_STREQ(bmp.GetFileName(), narrow.c_str());
    DeleteFileW(path.c_str());
}

}  // namespace
