// The recording and capture-settings dialogs, run modally from the program's
// resources with scripted answers, over a live-preview document of their own:
// the frame-rate table, the frames a tick records, the record button's
// states, and the capture settings read back from setting.ini.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "CaptureSetDlg.h"
#include "DialogDriver.h"
#include "Globals.h"
#include "OrvikDoc.h"
#include "RecordDlg.h"
#include "RecordRate.h"
#include "Resource.h"
#include "TarnCaptureBox.h"
#include "TarnVideoBox.h"

#include <memory>
#include <vector>

using namespace dialog_driver;

namespace {

TEST(RecordRate, ByCameraAndHestralWidth) {
    struct {
        int camType, width, previous, rate;
    } cases[] = {
        {0, 0, 6, 8},    {2, 2048, 6, 8},  {3, 1024, 6, 8}, {4, 1280, 6, 7}, {5, 1600, 1, 6},
        {6, 2048, 6, 3}, {3, 2592, 6, 2},  {3, 3488, 6, 1}, {3, 640, 5, 5},  {7, 1024, 4, 4},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseRecordRate(c.camType, c.width, c.previous), c.rate) << c.camType << " " << c.width;
}

// A frame whose every pixel names its own place: blue x, green y, red x ^ y
// (low bytes), rows `stride` bytes apart.
std::vector<BYTE> CodedFrame(int w, int h, int stride) {
    std::vector<BYTE> f((size_t)stride * h, 0xEE);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            BYTE* p = &f[(size_t)y * stride + x * 3];
            p[0] = BYTE(x), p[1] = BYTE(y), p[2] = BYTE(x ^ y);
        }
    return f;
}

TEST(RecordFrame, HalvesOnlyTheDirectShow1600Frame) {
    const std::vector<BYTE> big = CodedFrame(1600, 1200, 4800);
    RecordFrame out;
    ASSERT_TRUE(MakeRecordFrame(true, 1600, 1200, 4800, big.data(), out));
    ASSERT_EQ(out.width, 800);
    ASSERT_EQ(out.height, 600);
    ASSERT_EQ(out.pixels.size(), 2400u * 600);
    for (int y : {0, 1, 299, 599})
        for (int x : {0, 1, 127, 799}) {
            const BYTE* p = &out.pixels[(size_t)y * 2400 + x * 3];
            EXPECT_EQ(p[0], BYTE(2 * x)) << x << "," << y;
            EXPECT_EQ(p[1], BYTE(2 * y)) << x << "," << y;
            EXPECT_EQ(p[2], BYTE((2 * x) ^ (2 * y))) << x << "," << y;
        }

    // A Hestral frame of the same size is recorded whole.
    ASSERT_TRUE(MakeRecordFrame(false, 1600, 1200, 4800, big.data(), out));
    EXPECT_EQ(out.width, 1600);
    EXPECT_EQ(out.pixels[(size_t)1199 * 4800 + 1599 * 3 + 1], BYTE(1199));

    // Packed odd-width rows come out padded, pixels unchanged.
    const std::vector<BYTE> odd = CodedFrame(5, 3, 15);
    ASSERT_TRUE(MakeRecordFrame(true, 5, 3, 15, odd.data(), out));
    EXPECT_EQ(out.pixels.size(), 16u * 3);
    EXPECT_EQ(out.pixels[16 * 2 + 4 * 3], BYTE(4));
    EXPECT_EQ(out.pixels[16 * 2 + 4 * 3 + 1], BYTE(2));
}

TEST(RecordFrame, DirectShowWidthsWithoutAFrameAreRefused) {
    RecordFrame out;
    const std::vector<BYTE> f = CodedFrame(2592, 4, 2592 * 3);
    for (int w : {2048, 2592, 1400}) EXPECT_FALSE(MakeRecordFrame(true, w, 4, w * 3, f.data(), out)) << w;
    EXPECT_TRUE(MakeRecordFrame(true, 1280, 4, 1280 * 3, f.data(), out));
    EXPECT_TRUE(MakeRecordFrame(false, 2592, 4, 2592 * 3, f.data(), out));
    EXPECT_FALSE(MakeRecordFrame(true, 0, 4, 0, f.data(), out));
}

// A document and setting.ini of the test's own.
class CaptureDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        m_dir = tmp;
        m_ini = m_dir + L"orvik_capture_dialogs.ini";
        DeleteFileW(m_ini.c_str());
        m_saved = g_strSettingsPath;
        g_strSettingsPath = m_ini.c_str();
        m_savedCam = g_CamType;
    }
    void TearDown() override {
        AfxTestSetScript(L"");
        DeleteFileW(m_ini.c_str());
        g_strSettingsPath = m_saved;
        g_CamType = m_savedCam;
    }
    int Ini(LPCWSTR key) const { return (int)GetPrivateProfileIntW(L"Save", key, -999, m_ini.c_str()); }
    std::string FileText() const { return FileBytes(m_ini); }

    std::wstring m_dir, m_ini;
    CString m_saved;
    CamType m_savedCam = kCamMarrowin;
};

TEST_F(CaptureDialogs, FactorsRoundTripThroughTheCombos) {
    // factor in the document -> selection shown -> factor saved by OK. The X
    // lists hold two items, so a factor of 4 there shows nothing and saves 1.
    struct {
        int sx, sy, mx, my;
        int selSx, selSy, selMx, selMy;
        int outSx, outSy, outMx, outMy;
    } cases[] = {
        {1, 2, 3, 4, 0, 1, 1, 2, 1, 2, 2, 4},
        {2, 4, 4, 1, 1, 2, -1, 0, 2, 4, 1, 1},
    };
    for (const auto& c : cases) {
        COrvikDoc doc;
        doc.m_nSingleCapSubX = c.sx, doc.m_nSingleCapSubY = c.sy;
        doc.m_nMultiCapSubX = c.mx, doc.m_nMultiCapSubY = c.my;
        doc.m_bSaveWithMarker = true, doc.m_bSaveWithTime = false;
        CCaptureSetDlg dlg(&doc);
        INT_PTR r = RunModal(dlg, L"dialog 179 IDOK", [&](HWND h) {
            EXPECT_EQ(CurSel(h, IDC_CS_SINGLE_X), c.selSx);
            EXPECT_EQ(CurSel(h, IDC_CS_SINGLE_Y), c.selSy);
            EXPECT_EQ(CurSel(h, IDC_CS_MULTI_X), c.selMx);
            EXPECT_EQ(CurSel(h, IDC_CS_MULTI_Y), c.selMy);
            EXPECT_EQ(IsDlgButtonChecked(h, IDC_CS_SAVE_MARKER), BST_CHECKED);
            EXPECT_EQ(IsDlgButtonChecked(h, IDC_CS_SAVE_TIME), BST_UNCHECKED);
        });
        EXPECT_EQ(r, IDOK);
        EXPECT_EQ(doc.m_nSingleCapSubX, c.outSx);
        EXPECT_EQ(doc.m_nSingleCapSubY, c.outSy);
        EXPECT_EQ(doc.m_nMultiCapSubX, c.outMx);
        EXPECT_EQ(doc.m_nMultiCapSubY, c.outMy);
        EXPECT_EQ(Ini(L"SingleCapSubX"), c.outSx);
        EXPECT_EQ(Ini(L"SingleCapSubY"), c.outSy);
        EXPECT_EQ(Ini(L"MultiCapSubX"), c.outMx);
        EXPECT_EQ(Ini(L"MultiCapSubY"), c.outMy);
        EXPECT_EQ(Ini(L"SaveWithMarker"), 1);
        EXPECT_EQ(Ini(L"SaveWithTime"), 0);
    }
}

TEST_F(CaptureDialogs, SwitchesAndCancel) {
    COrvikDoc doc;
    doc.m_bSaveWithMarker = doc.m_bSaveWithTime = true;
    CCaptureSetDlg dlg(&doc);
    RunModal(dlg, L"dialog 179 IDOK", [&](HWND h) {
        EXPECT_EQ(IsDlgButtonChecked(h, IDC_CS_SAVE_TIME), BST_CHECKED);
        CheckDlgButton(h, IDC_CS_SAVE_MARKER, BST_UNCHECKED);
        CheckDlgButton(h, IDC_CS_SAVE_TIME, BST_UNCHECKED);
    });
    EXPECT_FALSE(doc.m_bSaveWithMarker);
    EXPECT_FALSE(doc.m_bSaveWithTime);
    EXPECT_EQ(Ini(L"SaveWithMarker"), 0);
    EXPECT_EQ(Ini(L"SaveWithTime"), 0);

    // Cancel after changes keeps the document and the file as they were.
    const std::string before = FileText();
    CCaptureSetDlg again(&doc);
    EXPECT_EQ(RunModal(again, L"dialog 179 IDCANCEL", [&](HWND h) {
                  Choose(h, IDC_CS_SINGLE_X, 1);
                  CheckDlgButton(h, IDC_CS_SAVE_TIME, BST_CHECKED);
              }),
              IDCANCEL);
    EXPECT_EQ(FileText(), before);
    EXPECT_EQ(doc.m_nSingleCapSubX, 1);
    EXPECT_FALSE(doc.m_bSaveWithTime);
}

TEST_F(CaptureDialogs, RecordButtonStatesOnTheMarrowinPath) {
    g_CamType = kCamMarrowin;
    COrvikDoc doc;
    const std::wstring clip = m_dir + L"orvik_capture_clip.avi";
    CRecordDlg dlg(&doc);
    INT_PTR r = RunModal(dlg, (L"dialog 195 IDCANCEL; msgbox IDOK; save " + clip).c_str(), [&](HWND h) {
        // Nothing starts without a path.
        Click(h, IDC_REC_START);
        EXPECT_TRUE(BoxShown(L"Please select path first"));
        EXPECT_EQ(dlg.GetState(), CRecordDlg::kNotStarted);
        EXPECT_FALSE(doc.m_pAviWriter);

        Click(h, IDC_REC_BROWSE);
        EXPECT_EQ(ItemText(h, IDC_REC_PATH), clip);
        Click(h, IDC_REC_START);
        EXPECT_EQ(dlg.GetState(), CRecordDlg::kRecording);
        EXPECT_TRUE(doc.m_pAviWriter);
        EXPECT_TRUE(doc.m_bRecording);
        EXPECT_EQ(ItemText(h, IDC_REC_START), L"Stop");
        Click(h, IDC_REC_START);
        EXPECT_EQ(dlg.GetState(), CRecordDlg::kPaused);
        EXPECT_FALSE(doc.m_bRecording);
        EXPECT_EQ(ItemText(h, IDC_REC_START), L"Start");
        Click(h, IDC_REC_START);
        EXPECT_TRUE(doc.m_bRecording);
        EXPECT_EQ(ItemText(h, IDC_REC_START), L"Stop");
    });
    EXPECT_EQ(r, IDCANCEL);
    // Ending the dialog finishes the clip.
    EXPECT_FALSE(doc.m_pAviWriter);
    EXPECT_FALSE(doc.m_bRecording);
    DeleteFileW(clip.c_str());
}

TEST_F(CaptureDialogs, BrowseCancelEmptiesThePath) {
    g_CamType = kCamDirectShow;
    COrvikDoc doc;
    CRecordDlg dlg(&doc);
    RunModal(dlg, L"dialog 195 IDCANCEL; save cancel", [&](HWND h) {
        SetDlgItemTextW(h, IDC_REC_PATH, L"C:\\x.avi");
        Click(h, IDC_REC_BROWSE);
        EXPECT_EQ(ItemText(h, IDC_REC_PATH), L"");
    });
    // Never started: nothing was stopped or created.
    EXPECT_FALSE(doc.m_pAviWriter);
}

// ---------------------------------------------------------------- the capture panel
TEST(CaptureField, Checks) {
    struct {
        const wchar_t* text;
        int lo, hi, fallback;
        CaptureFieldCheck check;
        int value;
    } cases[] = {
        {L"12a", 1, 360000, 1, kFieldSilentFallback, 1},
        {L"", 0, 360000, 0, kFieldSilentFallback, 0},
        {L"-3", 0, 360000, 0, kFieldSilentFallback, 0},
        {L"0", 1, 1000000, 5, kFieldSilentFallback, 5},
        {L"0", 0, 360000, 0, kFieldAccepted, 0},
        {L"360000", 0, 360000, 0, kFieldAccepted, 360000},
        {L"360001", 0, 360000, 0, kFieldMessageFallback, 0},
        {L"1000001", 1, 1000000, 5, kFieldMessageFallback, 5},
        // Digit strings past int: out of range, not wrapped back into it.
        {L"99999999999", 1, 360000, 1, kFieldMessageFallback, 1},
        {L"4294967297", 1, 360000, 1, kFieldMessageFallback, 1},
        {L"00012", 1, 360000, 1, kFieldAccepted, 12},
    };
    for (const auto& c : cases) {
        int value = -1;
        EXPECT_EQ(CheckCaptureField(c.text, c.lo, c.hi, c.fallback, value), c.check) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(CaptureField, PathHasOneBackslash) {
    EXPECT_EQ(CaptureStillPath(L"C:\\shots", L"cell", 12, L".jpg"), CString(L"C:\\shots\\cell12.jpg"));
    EXPECT_EQ(CaptureStillPath(L"C:\\shots\\", L"cell", 12, L".jpg"), CString(L"C:\\shots\\cell12.jpg"));
    EXPECT_EQ(CaptureStillPath(L"", L"p", 0, L".bmp"), CString(L"\\p0.bmp"));
}

// The panel with the document and the still writer replaced: every still is
// logged and written as an empty file, so the names on disk can be checked.
class TestCaptureBox : public CTarnCaptureBox {
public:
    COrvikDoc* doc = nullptr;
    std::vector<std::wstring> saved;

protected:
    COrvikDoc* CameraDoc() override { return doc; }
    void SaveStill(COrvikDoc*, LPCWSTR path, LPCWSTR ext) override {
        saved.push_back(std::wstring(path) + L"|" + ext);
        if (FILE* f = _wfopen(path, L"wb")) fclose(f);
    }
};

class CapturePanel : public CaptureDialogs {
protected:
    void SetUp() override {
        CaptureDialogs::SetUp();
        m_shots = m_dir + L"orvik_capture_shots";
        CreateDirectoryW(m_shots.c_str(), nullptr);
        Clean();
        m_host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 700, nullptr, nullptr, nullptr, nullptr);
        m_savedSub = g_CamSubType;
        m_savedRes = g_nUvcStillResolution;
    }
    void TearDown() override {
        if (m_box && m_box->GetSafeHwnd()) m_box->DestroyWindow();
        m_box.reset();
        DestroyWindow(m_host);
        Clean();
        RemoveDirectoryW(m_shots.c_str());
        g_CamSubType = m_savedSub;
        g_nUvcStillResolution = m_savedRes;
        g_bTimedSeriesRunning = 0;
        CaptureDialogs::TearDown();
    }
    void Clean() {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((m_shots + L"\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return;
        do DeleteFileW((m_shots + L"\\" + fd.cFileName).c_str());
        while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    void Seed(LPCWSTR key, LPCWSTR value) { WritePrivateProfileStringW(L"Save", key, value, m_ini.c_str()); }
    // A new panel, which reads setting.ini as it is now.
    HWND Open(COrvikDoc* doc = nullptr) {
        AfxTestSetScript(L"");
        AfxTestClearRecord();
        if (m_box && m_box->GetSafeHwnd()) m_box->DestroyWindow();
        m_box.reset(new TestCaptureBox);
        m_box->doc = doc;
        EXPECT_TRUE(m_box->Create(CWnd::FromHandle(m_host)));
        return m_box->GetSafeHwnd();
    }
    void Tick(UINT id) { SendMessageW(m_box->GetSafeHwnd(), WM_TIMER, id, 0); }
    std::wstring Shot(LPCWSTR name) const { return m_shots + L"\\" + name; }

    std::wstring m_shots;
    HWND m_host = nullptr;
    std::unique_ptr<TestCaptureBox> m_box;
    COrvikDoc m_doc;
    int m_savedSub = 0, m_savedRes = 0;
};

TEST_F(CapturePanel, TimedSeriesNamesCountAndEnd) {
    g_CamType = kCamMarrowin;
    Seed(L"Wait", L"2"), Seed(L"Interval", L"1"), Seed(L"Images", L"3");
    Seed(L"Suffix", L"7"), Seed(L"Prefix", L"s"), Seed(L"FileType", L".bmp");
    Seed(L"FilePath", m_shots.c_str());
    // A file left by an earlier run under the number the series would use.
    if (FILE* f = _wfopen(Shot(L"s8.bmp").c_str(), L"wb")) fputs("keep", f), fclose(f);
    HWND h = Open(&m_doc);
    ASSERT_TRUE(h);
    EXPECT_EQ(ItemText(h, IDC_CAP_NUMBER), L"7");
    EXPECT_EQ(CurSel(h, IDC_CAP_TYPE), 0);

    Click(h, IDC_CAP_START);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDC_CAP_START)));
    Tick(CTarnCaptureBox::kWaitTimer);
    EXPECT_EQ(ItemText(h, IDC_CAP_REMAINING), L"1");
    Tick(CTarnCaptureBox::kWaitTimer);
    EXPECT_EQ(ItemText(h, IDC_CAP_REMAINING), L"0");
    EXPECT_TRUE(m_box->saved.empty());

    for (int i = 0; i < 3; ++i) Tick(CTarnCaptureBox::kSeriesTimer);
    ASSERT_EQ(m_box->saved.size(), 3u);
    EXPECT_EQ(m_box->saved[0], Shot(L"s7.bmp") + L"|.bmp");
    EXPECT_EQ(m_box->saved[1], Shot(L"s9.bmp") + L"|.bmp");  // 8 is taken
    EXPECT_EQ(m_box->saved[2], Shot(L"s10.bmp") + L"|.bmp");
    EXPECT_EQ(ItemText(h, IDC_CAP_CURRENT_NAME), L"s10.bmp");
    EXPECT_EQ(ItemText(h, IDC_CAP_CURRENT_INDEX), L"3");
    EXPECT_EQ(Ini(L"Suffix"), 10);
    char kept[8] = {};
    if (FILE* f = _wfopen(Shot(L"s8.bmp").c_str(), L"rb")) fread(kept, 1, 4, f), fclose(f);
    EXPECT_STREQ(kept, "keep");

    // The tick after the last still ends the series.
    Tick(CTarnCaptureBox::kSeriesTimer);
    EXPECT_EQ(m_box->saved.size(), 3u);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_CAP_START)));
    EXPECT_EQ(ItemText(h, IDC_CAP_CURRENT_NAME), L"");
    m_box->DestroyWindow();
    EXPECT_EQ(Ini(L"Suffix"), 11);
    EXPECT_EQ(Ini(L"Wait"), 2);
    EXPECT_EQ(Ini(L"Images"), 3);
}

TEST_F(CapturePanel, ClosingMidSeriesAndLosingThePreview) {
    g_CamType = kCamMarrowin;
    Seed(L"Wait", L"0"), Seed(L"Suffix", L"4"), Seed(L"FilePath", (m_shots + L"\\").c_str());
    HWND h = Open(&m_doc);
    Click(h, IDC_CAP_START);
    Tick(CTarnCaptureBox::kSeriesTimer);
    ASSERT_EQ(m_box->saved.size(), 1u);
    EXPECT_EQ(m_box->saved[0], Shot(L"4.jpg") + L"|.jpg");  // empty type: ".jpg"

    // The preview closes: the next tick ends the series with a message.
    m_box->doc = nullptr;
    Tick(CTarnCaptureBox::kSeriesTimer);
    EXPECT_EQ(m_box->saved.size(), 1u);
    EXPECT_TRUE(BoxShown(L"Cannot preview successfully.Please check your camera."));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_CAP_START)));

    m_box->doc = &m_doc;
    Click(h, IDC_CAP_START);
    Tick(CTarnCaptureBox::kSeriesTimer);
    Tick(CTarnCaptureBox::kSeriesTimer);
    ASSERT_EQ(m_box->saved.size(), 3u);
    // Closed with two of the series taken: running number (7) + taken (2).
    m_box->DestroyWindow();
    EXPECT_EQ(Ini(L"Suffix"), 9);
}

TEST_F(CapturePanel, FieldChecksInTheBoxes) {
    g_CamType = kCamMarrowin;
    HWND h = Open();
    struct {
        int id;
        const wchar_t* typed;
        const wchar_t* shown;
        const wchar_t* message;
    } cases[] = {
        {IDC_CAP_INTERVAL, L"12a", L"1", nullptr},
        {IDC_CAP_IMAGES, L"0", L"5", nullptr},
        {IDC_CAP_WAIT, L"0", L"0", nullptr},
        {IDC_CAP_WAIT, L"360001", L"0", L"Please enter an integer between 0 and 360000."},
        {IDC_CAP_INTERVAL, L"99999999999", L"1", L"Please enter an integer between 0 and 360000."},
        {IDC_CAP_IMAGES, L"2000000", L"5", L"Please enter an integer between 1 and 1000000."},
        {IDC_CAP_IMAGES, L"250", L"250", nullptr},
    };
    for (const auto& c : cases) {
        AfxTestSetScript(L"msgbox IDOK");
        AfxTestClearRecord();
        SetDlgItemTextW(h, c.id, c.typed);
        EXPECT_EQ(ItemText(h, c.id), c.shown) << c.typed;
        if (c.message)
            EXPECT_TRUE(BoxShown(c.message)) << c.typed << ": " << (LPCWSTR)AfxTestGetRecord();
        else
            EXPECT_TRUE(AfxTestGetRecord().IsEmpty()) << c.typed << ": " << (LPCWSTR)AfxTestGetRecord();
    }
    // A bad entry starts nothing wrong: the series runs on the fallbacks.
    m_box->DestroyWindow();
    EXPECT_EQ(Ini(L"Images"), 250);
    EXPECT_EQ(Ini(L"Interval"), 1);
}

TEST_F(CapturePanel, FolderChoiceResetsTheNumberOnlyWhenItChanges) {
    g_CamType = kCamMarrowin;
    Seed(L"Suffix", L"12"), Seed(L"FilePath", m_shots.c_str());
    HWND h = Open();
    AfxTestSetScript((L"folder " + m_shots + L"; folder C:\\elsewhere; folder cancel").c_str());
    Click(h, IDC_CAP_BROWSE);
    EXPECT_EQ(ItemText(h, IDC_CAP_NUMBER), L"12");
    Click(h, IDC_CAP_BROWSE);
    EXPECT_EQ(ItemText(h, IDC_CAP_FOLDER), L"C:\\elsewhere");
    EXPECT_EQ(ItemText(h, IDC_CAP_NUMBER), L"0");
    EXPECT_EQ(m_box->GetRunningNumber(), 0);
    Click(h, IDC_CAP_BROWSE);
    EXPECT_EQ(ItemText(h, IDC_CAP_FOLDER), L"C:\\elsewhere");
}

TEST_F(CapturePanel, ResolutionChoiceSetsTheStillSize) {
    g_CamType = kCamDirectShow;
    struct {
        int subType, items, selected, chosen, index;
    } cases[] = {{5, 2, 1, 0, 2}, {6, 3, 2, 2, 4}, {7, 4, 3, 3, 5}, {7, 4, 3, 1, 3}};
    for (const auto& c : cases) {
        g_CamSubType = c.subType;
        HWND h = Open();
        EXPECT_EQ(SendDlgItemMessageW(h, IDC_CAP_RESOLUTION, CB_GETCOUNT, 0, 0), c.items);
        EXPECT_EQ(CurSel(h, IDC_CAP_RESOLUTION), c.selected);
        Choose(h, IDC_CAP_RESOLUTION, c.chosen);
        EXPECT_EQ(g_nUvcStillResolution, c.index) << c.subType;
        // A series on these cameras raises the flag and disables Capture.
        Click(h, IDC_CAP_START);
        EXPECT_EQ(g_bTimedSeriesRunning, 1);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDC_CAP_CAPTURE)));
        Click(h, IDC_CAP_STOP);
        EXPECT_EQ(g_bTimedSeriesRunning, 0);
        m_box->DestroyWindow();
    }
    g_CamSubType = 1;
    HWND h = Open();
    EXPECT_FALSE(GetWindowLongW(GetDlgItem(h, IDC_CAP_RESOLUTION), GWL_STYLE) & WS_VISIBLE);
    m_box->LockControls(TRUE);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDC_CAP_START)));
    m_box->LockControls(FALSE);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_CAP_BROWSE)));
}

// ------------------------------------------------------------------ video control panel
class TestVideoBox : public CTarnVideoBox {
public:
    COrvikDoc* doc = nullptr;
protected:
    COrvikDoc* CameraDoc() override { return doc; }
};

class VideoPanel : public CapturePanel {
protected:
    void SetUp() override {
        CapturePanel::SetUp();
        m_savedFlags = {g_HorizontalFlip, g_VerticalFlip, g_bPreviewRunning, g_bPreviewOpen, g_bPreviewStopped,
                        g_HestralFrameWidth};
        g_bPreviewRunning = 1;
        g_bPreviewOpen = 1;
        g_bPreviewStopped = 0;
    }
    void TearDown() override {
        if (m_video && m_video->GetSafeHwnd()) m_video->DestroyWindow();
        m_video.reset();
        g_HorizontalFlip = m_savedFlags[0];
        g_VerticalFlip = m_savedFlags[1];
        g_bPreviewRunning = m_savedFlags[2];
        g_bPreviewOpen = m_savedFlags[3];
        g_bPreviewStopped = m_savedFlags[4];
        g_HestralFrameWidth = m_savedFlags[5];
        CapturePanel::TearDown();
    }
    HWND OpenVideo(CamType type, int sub = 0) {
        g_CamType = type;
        g_CamSubType = sub;
        if (m_video && m_video->GetSafeHwnd()) m_video->DestroyWindow();
        m_video.reset(new TestVideoBox);
        m_video->doc = &m_doc;
        EXPECT_TRUE(m_video->Create(CWnd::FromHandle(m_host)));
        return m_video->GetSafeHwnd();
    }
    static bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE; }
    static bool Visible(HWND dlg, int id) { return (GetWindowLongW(GetDlgItem(dlg, id), GWL_STYLE) & WS_VISIBLE) != 0; }
    static void Press(HWND dlg, int id) { SendMessageW(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }
    std::wstring CameraIni(LPCWSTR key) const {
        wchar_t buf[32] = {};
        GetPrivateProfileStringW(L"Camera", key, L"<none>", buf, 32, m_ini.c_str());
        return buf;
    }

    std::unique_ptr<TestVideoBox> m_video;
    std::vector<int> m_savedFlags;
};

TEST_F(VideoPanel, FlipSettingsAreReadAsFlagsAndWrittenBackAtClose) {
    WritePrivateProfileStringW(L"Camera", L"bHorizontal", L"5", m_ini.c_str());
    HWND h = OpenVideo(kCamNone);
    EXPECT_EQ(g_HorizontalFlip, 1);
    EXPECT_EQ(g_VerticalFlip, 0);
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_VID_HFLIP), (UINT)BST_CHECKED);
    EXPECT_FALSE(Enabled(h, IDC_VID_LIVE));
    EXPECT_TRUE(Enabled(h, IDC_VID_PAUSE));
    // A flip with no live preview only changes the flag.
    Press(h, IDC_VID_VFLIP);
    EXPECT_EQ(g_VerticalFlip, 1);
    m_video->DestroyWindow();
    EXPECT_EQ(CameraIni(L"bHorizontal"), L"1");
    EXPECT_EQ(CameraIni(L"bVertical"), L"1");
}

TEST_F(VideoPanel, PauseAndLiveKeepTheFiltersAndTheOpenPreviewFlagOnEveryPath) {
    for (CamType type : {kCamMarrowin, kCamDirectShow, kCamHestralT6M}) {
        HWND h = OpenVideo(type);
        m_doc.m_bRealtimeEnable = true;
        m_doc.m_bMaskEnable = true;
        Press(h, IDC_VID_PAUSE);
        EXPECT_EQ(g_bPreviewRunning, 0) << type;
        EXPECT_EQ(g_bPreviewOpen, 1) << type;
        EXPECT_FALSE(m_doc.m_bRealtimeEnable) << type;
        EXPECT_FALSE(m_doc.m_bMaskEnable) << type;
        EXPECT_TRUE(Enabled(h, IDC_VID_LIVE)) << type;
        EXPECT_FALSE(Enabled(h, IDC_VID_PAUSE)) << type;
        EXPECT_FALSE(Enabled(h, IDC_VID_HFLIP)) << type;
        EXPECT_EQ(g_bPreviewStopped, type == kCamHestralT6M ? 1 : 0) << type;
        Press(h, IDC_VID_LIVE);
        EXPECT_EQ(g_bPreviewRunning, 1) << type;
        EXPECT_EQ(g_bPreviewOpen, 1) << type;
        EXPECT_TRUE(m_doc.m_bRealtimeEnable) << type;
        EXPECT_TRUE(m_doc.m_bMaskEnable) << type;
        EXPECT_EQ(g_bPreviewStopped, 0) << type;
        EXPECT_FALSE(Enabled(h, IDC_VID_LIVE)) << type;
        EXPECT_TRUE(Enabled(h, IDC_VID_PAUSE)) << type;
        EXPECT_TRUE(Enabled(h, IDC_VID_HFLIP)) << type;
    }
    // No live preview at all: Pause and Live change only the panel.
    HWND h = OpenVideo(kCamDirectShow, 1);
    m_video->doc = nullptr;
    Press(h, IDC_VID_PAUSE);
    Press(h, IDC_VID_HFLIP);
    Press(h, IDC_VID_LIVE);
    EXPECT_EQ(g_bPreviewRunning, 1);
}

TEST_F(VideoPanel, ResolutionButtonsFollowTheHestralTable) {
    struct {
        CamType type;
        LPCWSTR high, low;
        int highWidth, lowWidth;
    } const cases[] = {{kCamHestralT6M, L"2048*1536", L"1024*768", 2048, 1024},
                       {kCamHestralT4M, L"1280*1024", L"1024*768", 1280, 1024},
                       {kCamHestralT2W, L"3488*2616", L"1600*1200", 3488, 1600},
                       {kCamHestralT8M, L"2592*1944", L"1024*768", 2592, 1024}};
    for (const auto& c : cases) {
        HWND h = OpenVideo(c.type);
        EXPECT_TRUE(Visible(h, IDC_VID_HIGH_RES)) << c.type;
        EXPECT_TRUE(Visible(h, IDC_VID_LED)) << c.type;
        EXPECT_EQ(ItemText(h, IDC_VID_HIGH_RES), c.high);
        EXPECT_EQ(ItemText(h, IDC_VID_LOW_RES), c.low);
        Press(h, IDC_VID_HIGH_RES);
        EXPECT_EQ(g_HestralFrameWidth, c.highWidth) << c.type;
        Press(h, IDC_VID_LOW_RES);
        EXPECT_EQ(g_HestralFrameWidth, c.lowWidth) << c.type;
    }
}

TEST_F(VideoPanel, LightSourceOfTheUvcCamerasAndHiddenGroupsOfTheOthers) {
    struct {
        LPCWSTR stored;  // nullptr: no key
        bool halogen;
    } const cases[] = {{nullptr, false}, {L"11", false}, {L"1", true}, {L"0", false}};
    for (const auto& c : cases) {
        WritePrivateProfileStringW(L"Camera-P8Z", L"LightSource", c.stored, m_ini.c_str());
        HWND h = OpenVideo(kCamDirectShow, 6);
        EXPECT_FALSE(Visible(h, IDC_VID_HIGH_RES));
        EXPECT_TRUE(Visible(h, IDC_VID_HALOGEN));
        EXPECT_EQ(IsDlgButtonChecked(h, IDC_VID_HALOGEN), c.halogen ? 1u : 0u) << (c.stored ? c.stored : L"none");
        EXPECT_EQ(IsDlgButtonChecked(h, IDC_VID_LED), c.halogen ? 0u : 1u);
        RECT r;
        GetWindowRect(GetDlgItem(h, IDC_VID_LED), &r);
        MapWindowPoints(nullptr, h, (POINT*)&r, 2);
        EXPECT_EQ(r.left, 20);
        EXPECT_EQ(r.top, 130);
    }
    HWND h = OpenVideo(kCamDirectShow, 1);
    EXPECT_FALSE(Visible(h, IDC_VID_HIGH_RES));
    EXPECT_FALSE(Visible(h, IDC_VID_LED));
    h = OpenVideo(kCamMarrowin);
    EXPECT_TRUE(Visible(h, IDC_VID_HFLIP));
}

}  // namespace
