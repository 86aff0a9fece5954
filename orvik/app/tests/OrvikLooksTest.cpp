// What the operator sees in each language: Orvik started in each of its
// seven languages (no camera, so one start each is quick), a screenshot of
// its frame saved beside this test's output, the menu bar's letters compared
// with the English ones, and every letter of the language's menus and texts
// drawn in the fonts the frame uses, none of them as the box of a missing
// glyph.
#include <gtest/gtest.h>
#include "OrvikHarness.h"

#include <cstdio>
#include <map>
#include <set>

using namespace orvik_test;

namespace {

const std::wstring kBin = ORVIK_BIN_DIR;

struct LookCase {
    const char* name;
    UINT lang;
    const wchar_t* lib;
};

const LookCase kLooks[] = {
    {"English", 1033, L"LangEn.dll"}, {"Chinese", 2052, L"LangZh.dll"},  {"French", 1036, L"LangFr.dll"},
    {"German", 1031, L"LangDe.dll"},  {"Japanese", 1041, L"LangJa.dll"}, {"Polish", 1045, L"LangPl.dll"},
    {"Arabic", 1025, L"LangAr.dll"},
};

void SaveBmp(const Shot& s, const std::wstring& path) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (!f) return;
    int row = (s.width * 3 + 3) / 4 * 4;
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    fh.bfSize = fh.bfOffBits + row * s.height;
    BITMAPINFOHEADER ih = {};
    ih.biSize = sizeof ih;
    ih.biWidth = s.width;
    ih.biHeight = s.height;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    fwrite(&fh, sizeof fh, 1, f);
    fwrite(&ih, sizeof ih, 1, f);
    std::vector<BYTE> line(row);
    for (int y = s.height - 1; y >= 0; --y) {
        for (int x = 0; x < s.width; ++x) {
            DWORD v = s.At(x, y);
            line[x * 3] = v & 0xFF;
            line[x * 3 + 1] = (v >> 8) & 0xFF;
            line[x * 3 + 2] = (v >> 16) & 0xFF;
        }
        fwrite(line.data(), 1, row, f);
    }
    fclose(f);
}

// The frame's window as far as it lies on the screen (a maximised frame's
// borders lie outside it, and the screen cannot be read there), and its menu
// bar: the rows between the caption and the client area (the menus of
// another process cannot be asked under Wine).
struct FrameShot {
    Shot window;
    RECT menuBar = {};  // in the shot's coordinates
};

FrameShot CaptureFrame(HWND frame) {
    FrameShot f;
    RECT wr, shown;
    GetWindowRect(frame, &wr);
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (!IntersectRect(&shown, &wr, &screen)) return f;
    RECT bare = {0, 0, 0, 0};
    AdjustWindowRectEx(&bare, GetWindowLongW(frame, GWL_STYLE), FALSE, GetWindowLongW(frame, GWL_EXSTYLE));
    POINT client = {0, 0};
    ClientToScreen(frame, &client);
    RECT bar = {wr.left - bare.left, wr.top - bare.top, wr.right - bare.right, client.y};
    IntersectRect(&bar, &bar, &shown);
    OffsetRect(&bar, -shown.left, -shown.top);
    f.menuBar = bar;
    f.window = CaptureScreen(shown);
    return f;
}

bool SameBand(const Shot& a, const Shot& b, const RECT& r) {
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (a.At(x, y) != b.At(x, y)) return false;
    return true;
}

// Starts Orvik in a language and photographs its frame once the frame has
// drawn itself and stays the same between two looks.
FrameShot ShootOrvik(const LookCase& c) {
    OrvikFolder folder(kBin);
    folder.WriteSettings(L"[Camera]\r\nbTolmira=0\r\nCamType=1\r\n[Gerneral]\r\nLogoTitle=Orvik\r\nLang=" +
                         std::to_wstring(c.lang) + L"\r\n");
    OrvikRun run(folder);
    HWND frame = run.WaitMainWindow(60000);
    if (!frame) return FrameShot();
    // Other programs share the display: the frame stays above them while it is read.
    SetWindowPos(frame, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    FrameShot last;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000;) {
        DWORD_PTR r;
        SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &r);
        FrameShot now = CaptureFrame(frame);
        if (!last.window.px.empty() && last.window.width == now.window.width &&
            last.window.height == now.window.height && last.window.px == now.window.px)
            break;
        last = now;
        Sleep(100);
    }
    SetWindowPos(frame, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(run.Close(), 0ul) << c.name;
    return last;
}

const FrameShot& ShotOf(const LookCase& c) {
    static std::map<UINT, FrameShot> shots;
    auto it = shots.find(c.lang);
    if (it == shots.end()) it = shots.emplace(c.lang, ShootOrvik(c)).first;
    return it->second;
}

// Every letter the language's menus and string table use.
void AddMenuText(HMENU menu, std::set<wchar_t>& letters) {
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_STRING | MIIM_SUBMENU;
        mi.dwTypeData = text;
        mi.cch = 256;
        if (!GetMenuItemInfoW(menu, i, TRUE, &mi)) continue;
        letters.insert(text, text + lstrlenW(text));
        if (mi.hSubMenu) AddMenuText(mi.hSubMenu, letters);
    }
}

BOOL CALLBACK AddStringBlock(HMODULE h, LPCWSTR, LPWSTR name, LONG_PTR lp) {
    auto& letters = *reinterpret_cast<std::set<wchar_t>*>(lp);
    UINT first = ((UINT)(UINT_PTR)name - 1) * 16;
    for (UINT id = first; id < first + 16; ++id) {
        const wchar_t* p = nullptr;
        int n = LoadStringW(h, id, reinterpret_cast<LPWSTR>(&p), 0);
        if (n > 0) letters.insert(p, p + n);
    }
    return TRUE;
}

std::set<wchar_t> LettersOf(const std::wstring& lib) {
    std::set<wchar_t> letters;
    HMODULE h = LoadLibraryExW(lib.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!h) return letters;
    for (UINT id : {128u, 129u, 185u, 206u})
        if (HMENU m = LoadMenuW(h, MAKEINTRESOURCEW(id))) {
            AddMenuText(m, letters);
            DestroyMenu(m);
        }
    EnumResourceNamesW(h, RT_STRING, AddStringBlock, reinterpret_cast<LONG_PTR>(&letters));
    FreeLibrary(h);
    for (auto it = letters.begin(); it != letters.end();)
        it = (*it <= L' ' || iswspace(*it)) ? letters.erase(it) : std::next(it);
    return letters;
}

// One letter (or, with glyph set, one glyph index) drawn black on white.
class GlyphPainter {
public:
    explicit GlyphPainter(HFONT font) {
        m_dc = CreateCompatibleDC(nullptr);
        BITMAPINFO bi = TopDownInfo(kSize, kSize);
        m_bmp = CreateDIBSection(m_dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_oldBmp = SelectObject(m_dc, m_bmp);
        m_oldFont = SelectObject(m_dc, font);
        SetTextColor(m_dc, RGB(0, 0, 0));
        SetBkColor(m_dc, RGB(255, 255, 255));
    }
    ~GlyphPainter() {
        SelectObject(m_dc, m_oldFont);
        SelectObject(m_dc, m_oldBmp);
        DeleteObject(m_bmp);
        DeleteDC(m_dc);
    }
    std::vector<DWORD> Draw(wchar_t c, bool glyphIndex = false) {
        RECT r = {0, 0, kSize, kSize};
        ExtTextOutW(m_dc, 8, 8, ETO_OPAQUE | (glyphIndex ? ETO_GLYPH_INDEX : 0), &r, &c, 1, nullptr);
        GdiFlush();
        return std::vector<DWORD>(m_bits, m_bits + kSize * kSize);
    }
private:
    static const int kSize = 48;
    HDC m_dc;
    HBITMAP m_bmp;
    DWORD* m_bits = nullptr;
    HGDIOBJ m_oldBmp, m_oldFont;
};

std::string Hex(wchar_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", (unsigned)c);
    return buf;
}

class Looks : public ::testing::TestWithParam<LookCase> {};

TEST_P(Looks, MenuBarDrawsTheLanguagesOwnLetters) {
    const LookCase& c = GetParam();
    if (!FileExists(kBin + L"\\" + c.lib)) GTEST_SKIP() << "not built: " << Narrow(c.lib);

    // The fonts the frame draws with: the menus', the bars' and the dialogs'.
    NONCLIENTMETRICSW ncm = {};
    ncm.cbSize = sizeof ncm;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0));
    HFONT menuFont = CreateFontIndirectW(&ncm.lfMenuFont);
    LOGFONTW dlg = {};
    dlg.lfHeight = -11;
    lstrcpyW(dlg.lfFaceName, L"MS Shell Dlg");
    HFONT dialogFont = CreateFontIndirectW(&dlg);
    const std::pair<const char*, HFONT> fonts[] = {
        {"menu", menuFont}, {"dialog", dialogFont}, {"bar", (HFONT)GetStockObject(DEFAULT_GUI_FONT)}};
    std::set<wchar_t> letters = LettersOf(kBin + L"\\" + c.lib);
    EXPECT_GT(letters.size(), 20u);
    for (const auto& [what, font] : fonts) {
        GlyphPainter painter(font);
        std::vector<DWORD> box = painter.Draw(0, true);
        // The detector itself: an unassigned code point draws that box.
        ASSERT_EQ(painter.Draw(0x0378), box) << what << " font: a missing glyph draws no box to compare with";
        std::string missing;
        int count = 0;
        for (wchar_t l : letters)
            if (painter.Draw(l) == box && ++count <= 12) missing += " " + Hex(l);
        EXPECT_EQ(count, 0) << c.name << ", " << what << " font: " << count << " letters draw as the missing-glyph box:"
                            << missing;
    }
    DeleteObject(menuFont);
    DeleteObject(dialogFont);

    const FrameShot& shot = ShotOf(c);
    ASSERT_FALSE(shot.window.px.empty()) << "Orvik showed no main window";
    SaveBmp(shot.window, L"orvik_" + Widen(c.name) + L".bmp");
    const RECT& bar = shot.menuBar;
    ASSERT_GT(bar.bottom - bar.top, 8) << "no menu bar between the caption and the client area";
    // The bar shows letters: more than one colour along it.
    std::set<DWORD> colours;
    for (int y = bar.top; y < bar.bottom; ++y)
        for (int x = bar.left; x < bar.right; ++x) colours.insert(shot.window.At(x, y));
    EXPECT_GT(colours.size(), 1u) << "an empty menu bar";
    if (c.lang == 1033) return;
    const FrameShot& english = ShotOf(kLooks[0]);
    ASSERT_FALSE(english.window.px.empty());
    RECT both = {std::max(bar.left, english.menuBar.left), std::max(bar.top, english.menuBar.top),
                 std::min({bar.right, english.menuBar.right, (LONG)english.window.width}),
                 std::min({bar.bottom, english.menuBar.bottom, (LONG)english.window.height})};
    ASSERT_GT(both.bottom - both.top, 8);
    EXPECT_FALSE(SameBand(shot.window, english.window, both)) << "the menu bar shows the English texts";
}

INSTANTIATE_TEST_SUITE_P(Orvik, Looks, ::testing::ValuesIn(kLooks),
                         [](const ::testing::TestParamInfo<LookCase>& i) { return std::string(i.param.name); });

}  // namespace
