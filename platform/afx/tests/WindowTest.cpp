// A small MDI application on the framework, driven on the virtual display:
// message maps, command routing and update handlers, documents, views and
// frames, dialogs through the scripted answers, and pixels drawn through CDC.
#include <gtest/gtest.h>
#include "AfxWindows.h"
#include "AfxControls.h"
#include "AfxDialogs.h"
#include "AfxExtension.h"
#include "AfxTestScript.h"
#include "TestRes.h"
#include <winspool.h>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> g_log;
std::wstring W(const CString& s) { return std::wstring(s, s.GetLength()); }

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (!AfxGetApp()->PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

int CountLines(const CString& text, LPCWSTR needle) {
    int n = 0;
    for (int at = text.Find(needle); at >= 0; at = text.Find(needle, at + 1)) ++n;
    return n;
}

// ---------------------------------------------------------------- the sample application

class CSampleApp : public CWinApp {
public:
    CSampleApp() : CWinApp(nullptr) {}
    afx_msg void OnAppAbout() { g_log.push_back("app:about"); }
    afx_msg void OnCopy() { g_log.push_back("app:copy"); }
    afx_msg void OnModeChosen() { g_log.push_back("app:selendok"); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CSampleApp, CWinApp)
    ON_COMMAND(ID_FILE_NEW, CWinApp::OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, CWinApp::OnFileOpen)
    ON_COMMAND(ID_APP_EXIT, CWinApp::OnAppExit)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_EDIT_COPY, OnCopy)
    ON_CBN_SELENDOK(4000, OnModeChosen)
END_MESSAGE_MAP()

CSampleApp theApp;
int g_idleCalls = 0;

class CMainFrame : public CMDIFrameWnd {
    DECLARE_DYNAMIC(CMainFrame)
public:
    int m_created = 0;
    int m_idle = 0;
    BOOL m_exitOnIdle = FALSE;
    void OnIdleUpdateCmdUI() override {
        ++g_idleCalls;
        if (++m_idle == 1 && m_exitOnIdle) PostMessage(WM_COMMAND, ID_APP_EXIT);
    }
protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpcs) {
        if (CMDIFrameWnd::OnCreate(lpcs) == -1) return -1;
        ++m_created;
        return 0;
    }
    afx_msg void OnCopy() { g_log.push_back("frame:copy"); }
    afx_msg void OnToolDoc() { g_log.push_back("frame:doc"); }
    afx_msg void OnToolChild() { g_log.push_back("frame:child"); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNAMIC(CMainFrame, CMDIFrameWnd)
BEGIN_MESSAGE_MAP(CMainFrame, CMDIFrameWnd)
    ON_WM_CREATE()
    ON_COMMAND(ID_EDIT_COPY, OnCopy)
    ON_COMMAND(ID_TOOL_DOC, OnToolDoc)
    ON_COMMAND(ID_TOOL_CHILD, OnToolChild)
END_MESSAGE_MAP()

class CChildFrame : public CMDIChildWnd {
    DECLARE_DYNCREATE(CChildFrame)
protected:
    afx_msg void OnToolChild() { g_log.push_back("child:child"); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CChildFrame, CMDIChildWnd)
BEGIN_MESSAGE_MAP(CChildFrame, CMDIChildWnd)
    ON_COMMAND(ID_TOOL_CHILD, OnToolChild)
END_MESSAGE_MAP()

class CSampleDoc : public CDocument {
    DECLARE_DYNCREATE(CSampleDoc)
public:
    CString m_text = L"sample text";
    int m_value = 5;
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar << m_text << m_value;
        } else {
            ar >> m_text >> m_value;
            // Thrown here in the program and caught in the framework.
            if (m_text == L"fail") throw new CArchiveException(CArchiveException::badSchema);
        }
    }
protected:
    afx_msg void OnToolDoc() { g_log.push_back("doc:doc"); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CSampleDoc, CDocument)
BEGIN_MESSAGE_MAP(CSampleDoc, CDocument)
    ON_COMMAND(ID_TOOL_DOC, OnToolDoc)
END_MESSAGE_MAP()

class CSampleView : public CView {
    DECLARE_DYNCREATE(CSampleView)
public:
    void OnDraw(CDC* pDC) override {
        CRect rc;
        GetClientRect(&rc);
        pDC->FillSolidRect(&rc, RGB(200, 100, 50));
    }
protected:
    afx_msg void OnCopy() { g_log.push_back("view:copy"); }
    afx_msg void OnCheck() { g_log.push_back("view:check"); }
    afx_msg void OnDisabled() { g_log.push_back("view:disabled"); }
    afx_msg void OnRadio() {}
    afx_msg void OnText() {}
    afx_msg void OnRange(UINT nID) { g_log.push_back("view:range:" + std::to_string(nID)); }
    afx_msg void OnUpdateCheck(CCmdUI* p) { p->SetCheck(1); }
    afx_msg void OnUpdateDisabled(CCmdUI* p) { p->Enable(FALSE); }
    afx_msg void OnUpdateRadio(CCmdUI* p) { p->SetRadio(TRUE); }
    afx_msg void OnUpdateText(CCmdUI* p) { p->SetText(L"Renamed"); }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CSampleView, CView)
BEGIN_MESSAGE_MAP(CSampleView, CView)
    ON_COMMAND(ID_EDIT_COPY, OnCopy)
    ON_COMMAND(ID_TOOL_CHECK, OnCheck)
    ON_COMMAND(ID_TOOL_DISABLED, OnDisabled)
    ON_COMMAND(ID_TOOL_RADIO, OnRadio)
    ON_COMMAND(ID_TOOL_TEXT, OnText)
    ON_COMMAND_RANGE(ID_TOOL_RANGE1, ID_TOOL_RANGE3, OnRange)
    ON_UPDATE_COMMAND_UI(ID_TOOL_CHECK, OnUpdateCheck)
    ON_UPDATE_COMMAND_UI(ID_TOOL_DISABLED, OnUpdateDisabled)
    ON_UPDATE_COMMAND_UI(ID_TOOL_RADIO, OnUpdateRadio)
    ON_UPDATE_COMMAND_UI(ID_TOOL_TEXT, OnUpdateText)
END_MESSAGE_MAP()

class CPictureDoc : public CDocument {
    DECLARE_DYNCREATE(CPictureDoc)
};
IMPLEMENT_DYNCREATE(CPictureDoc, CDocument)

class CPictureView : public CScrollView {
    DECLARE_DYNCREATE(CPictureView)
public:
    void OnInitialUpdate() override {
        SetScrollSizes(MM_TEXT, CSize(1000, 800));
        CScrollView::OnInitialUpdate();
    }
    void OnDraw(CDC* pDC) override { pDC->FillSolidRect(0, 0, 1000, 800, RGB(255, 255, 255)); }
};
IMPLEMENT_DYNCREATE(CPictureView, CScrollView)

CMultiDocTemplate* g_templateA = nullptr;
CMultiDocTemplate* g_templateB = nullptr;
CMainFrame* g_mainFrame = nullptr;

class SampleEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        AfxTestSetScript(L"");   // nothing may block on a real dialog
        ASSERT_TRUE(AfxWinInit(GetModuleHandleW(nullptr), nullptr, const_cast<LPWSTR>(L""), SW_SHOW));
        ASSERT_TRUE(theApp.InitApplication());
        g_templateA = new CMultiDocTemplate(IDR_TYPE_A, RUNTIME_CLASS(CSampleDoc), RUNTIME_CLASS(CChildFrame),
                                            RUNTIME_CLASS(CSampleView));
        theApp.AddDocTemplate(g_templateA);
        g_templateB = new CMultiDocTemplate(IDR_TYPE_B, RUNTIME_CLASS(CPictureDoc), RUNTIME_CLASS(CMDIChildWnd),
                                            RUNTIME_CLASS(CPictureView));
        theApp.AddDocTemplate(g_templateB);
        g_mainFrame = new CMainFrame;
        ASSERT_TRUE(g_mainFrame->LoadFrame(IDR_MAINFRAME));
        theApp.m_pMainWnd = g_mainFrame;
        g_mainFrame->MoveWindow(0, 0, 800, 600);
        g_mainFrame->ShowWindow(SW_SHOW);
        g_mainFrame->UpdateWindow();
        Pump();
    }
};
const auto* g_env = ::testing::AddGlobalTestEnvironment(new SampleEnvironment);

class ScriptedTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        AfxTestSetScript(L"");
        AfxTestClearRecord();
    }
    void TearDown() override { Pump(); }
};

CMDIChildWnd* ActiveChild() { return g_mainFrame->MDIGetActive(); }

void CloseAllDocuments() {
    AfxTestSetScript(L"");
    for (POSITION pos = theApp.GetFirstDocTemplatePosition(); pos;) {
        CDocTemplate* t = theApp.GetNextDocTemplate(pos);
        for (POSITION d = t->GetFirstDocPosition(); d;) t->GetNextDoc(d)->SetModifiedFlag(FALSE);
    }
    theApp.CloseAllDocuments(FALSE);
    Pump();
}

CString TempPath(LPCWSTR name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return CString(dir) + name;
}

// ---------------------------------------------------------------- message maps

UINT g_regMsg = RegisterWindowMessageW(L"VeltraneAfxTestMessage");

class CBaseProbe : public CWnd {
protected:
    afx_msg LRESULT OnOne(WPARAM w, LPARAM) { return 11 + (LRESULT)w; }
    afx_msg LRESULT OnShadowed(WPARAM, LPARAM) { return 1; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CBaseProbe, CWnd)
    ON_MESSAGE(WM_APP + 1, OnOne)
    ON_MESSAGE(WM_APP + 4, OnShadowed)
END_MESSAGE_MAP()

class CProbe : public CBaseProbe {
public:
    CSize m_size;
    CPoint m_dbl{-1, -1};
    bool* m_pDeleted = nullptr;
    void PostNcDestroy() override { if (m_pDeleted) *m_pDeleted = true; }
protected:
    afx_msg LRESULT OnTwo(WPARAM, LPARAM) { return 22; }
    afx_msg LRESULT OnRegistered(WPARAM, LPARAM l) { return 33 + l; }
    afx_msg LRESULT OnShadow(WPARAM, LPARAM) { return 2; }
    afx_msg void OnSize(UINT, int cx, int cy) { m_size = CSize(cx, cy); }
    afx_msg void OnLButtonDblClk(UINT, CPoint p) { m_dbl = p; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CProbe, CBaseProbe)
    ON_MESSAGE(WM_APP + 2, OnTwo)
    ON_MESSAGE(WM_APP + 4, OnShadow)
    ON_REGISTERED_MESSAGE(g_regMsg, OnRegistered)
    ON_WM_SIZE()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

TEST(MessageMapTest, DispatchChainsToTheBaseMapAndTheDerivedEntryWins) {
    bool deleted = false;
    CProbe probe;
    probe.m_pDeleted = &deleted;
    ASSERT_TRUE(probe.CreateEx(0, nullptr, L"probe", WS_POPUP | WS_VISIBLE, 10, 10, 120, 90, nullptr, nullptr));
    HWND h = probe.m_hWnd;
    EXPECT_EQ(CWnd::FromHandlePermanent(h), &probe);
    EXPECT_EQ(SendMessageW(h, WM_APP + 1, 4, 0), 15);    // only in the base class's map
    EXPECT_EQ(SendMessageW(h, WM_APP + 2, 0, 0), 22);
    EXPECT_EQ(SendMessageW(h, WM_APP + 4, 0, 0), 2);     // both maps: the derived class's entry
    EXPECT_EQ(SendMessageW(h, g_regMsg, 0, 7), 40);
    EXPECT_EQ(SendMessageW(h, WM_APP + 3, 0, 0), 0);     // nobody: DefWindowProc
    EXPECT_TRUE(GetClassLongW(h, GCL_STYLE) & CS_DBLCLKS);
    SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 7));
    EXPECT_EQ(probe.m_dbl, CPoint(5, 7));
    probe.MoveWindow(10, 10, 150, 110);
    CRect rc;
    probe.GetClientRect(&rc);
    EXPECT_EQ(probe.m_size, rc.Size());
    EXPECT_TRUE(probe.DestroyWindow());
    EXPECT_TRUE(deleted);
    EXPECT_EQ(probe.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
}

TEST(MessageMapTest, MembersAreHarmlessOnAWindowNeverCreated) {
    CWnd w;
    CRect rc(1, 2, 3, 4);
    w.GetClientRect(&rc);
    EXPECT_TRUE(rc.IsRectNull());
    w.GetWindowRect(&rc);
    EXPECT_TRUE(rc.IsRectNull());
    EXPECT_EQ(w.SetTimer(1, 100, nullptr), 0u);
    EXPECT_FALSE(w.KillTimer(1));
    EXPECT_FALSE(w.ShowWindow(SW_SHOW));
    EXPECT_EQ(w.SendMessage(WM_USER), 0);
    EXPECT_FALSE(w.PostMessage(WM_USER));
    EXPECT_EQ(w.GetDlgItem(1), nullptr);
    EXPECT_EQ(w.GetParent(), nullptr);
    EXPECT_EQ(w.GetWindow(GW_CHILD), nullptr);
    EXPECT_EQ(w.GetFont(), nullptr);
    EXPECT_FALSE(w.ModifyStyleEx(0, WS_EX_TOPMOST));
    EXPECT_FALSE(w.EnableWindow(TRUE));
    EXPECT_FALSE(w.IsWindowEnabled());
    EXPECT_FALSE(w.DestroyWindow());
    EXPECT_FALSE(w.UpdateData(TRUE));
    w.SetWindowText(L"x");
    CString text(L"old");
    w.GetWindowText(text);
    EXPECT_TRUE(text.IsEmpty());
    w.Invalidate();
    w.InvalidateRect(nullptr);
    w.UpdateWindow();
    w.MoveWindow(0, 0, 10, 10);
    w.CenterWindow();
    w.SetDlgItemText(1, L"x");
    EXPECT_EQ(w.GetDlgItemInt(1), 0u);
    EXPECT_EQ(w.GetSafeHwnd(), nullptr);
    EXPECT_EQ(w.GetDC(), nullptr);
    CWnd* volatile none = nullptr;
    EXPECT_EQ(none->GetSafeHwnd(), nullptr);
    CDC* volatile noDC = nullptr;
    EXPECT_EQ(noDC->GetSafeHdc(), nullptr);
}

// ---------------------------------------------------------------- GDI

TEST(GdiTest, DrawingIntoAMemoryBitmapIsPixelExact) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = 16;
    bi.bmiHeader.biHeight = -16;   // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    CBitmap bmp;
    ASSERT_TRUE(bmp.Attach(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0)));
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap* old = dc.SelectObject(&bmp);
    auto px = [&](int x, int y) {
        DWORD v = static_cast<DWORD*>(bits)[y * 16 + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    };
    dc.FillSolidRect(0, 0, 16, 16, RGB(10, 20, 30));
    CPen pen(PS_SOLID, 1, RGB(255, 0, 0));
    CBrush brush(RGB(0, 0, 255));
    CPen* oldPen = dc.SelectObject(&pen);
    CBrush* oldBrush = dc.SelectObject(&brush);
    dc.Rectangle(2, 2, 6, 6);
    dc.MoveTo(8, 0);
    dc.LineTo(8, 4);
    EXPECT_EQ(dc.GetCurrentPosition(), CPoint(8, 4));
    GdiFlush();
    struct { int x, y; COLORREF want; } cases[] = {
        {0, 0, RGB(10, 20, 30)}, {2, 2, RGB(255, 0, 0)}, {5, 5, RGB(255, 0, 0)}, {3, 3, RGB(0, 0, 255)},
        {4, 4, RGB(0, 0, 255)},  {6, 6, RGB(10, 20, 30)}, {8, 0, RGB(255, 0, 0)}, {8, 3, RGB(255, 0, 0)},
        {8, 4, RGB(10, 20, 30)},
    };
    for (auto& c : cases) EXPECT_EQ(px(c.x, c.y), c.want) << c.x << "," << c.y;

    int saved = dc.SaveDC();
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(1, 1);
    dc.SetViewportExt(2, 2);
    CPoint p(5, 5);
    dc.LPtoDP(&p);
    EXPECT_EQ(p, CPoint(10, 10));
    CSize s(3, 3);
    dc.LPtoDP(&s);
    EXPECT_EQ(s, CSize(6, 6));
    dc.FillSolidRect(5, 5, 1, 1, RGB(0, 255, 0));
    dc.RestoreDC(saved);
    EXPECT_EQ(dc.GetMapMode(), MM_TEXT);
    GdiFlush();
    EXPECT_EQ(px(10, 10), RGB(0, 255, 0));
    EXPECT_EQ(px(11, 11), RGB(0, 255, 0));
    EXPECT_EQ(px(12, 12), RGB(10, 20, 30));
    EXPECT_EQ(px(9, 9), RGB(10, 20, 30));

    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);
    dc.SelectObject(old);
    AfxUnlockTempMaps();
}

class CPaintProbe : public CWnd {
protected:
    afx_msg void OnPaint() {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(&rc, RGB(0, 160, 0));
    }
    afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CPaintProbe, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

TEST(GdiTest, AWindowPaintsAndAWorkerThreadDrawsIntoIt) {
    CPaintProbe w;
    ASSERT_TRUE(w.CreateEx(WS_EX_TOPMOST, nullptr, L"paint", WS_POPUP | WS_VISIBLE, 900, 100, 120, 90, nullptr, nullptr));
    w.UpdateWindow();
    Pump();
    auto pixel = [&](int x, int y) {
        CClientDC dc(&w);
        return dc.GetPixel(x, y);
    };
    EXPECT_EQ(pixel(5, 5), RGB(0, 160, 0));
    EXPECT_EQ(pixel(100, 80), RGB(0, 160, 0));

    HWND h = w.m_hWnd;
    CWnd* seen = nullptr;
    std::thread worker([&] {
        seen = CWnd::FromHandle(h);
        CClientDC dc(seen);
        dc.FillSolidRect(0, 0, 40, 30, RGB(0, 0, 200));
        dc.SetBkMode(TRANSPARENT);
        GdiFlush();
    });
    worker.join();
    EXPECT_EQ(seen, &w);   // the permanent object, from another thread too

    // A frame loop: the temporary wrapper of the stock pen is made once per
    // thread, and the user-interface thread's idle clean-up leaves it alone.
    std::vector<CPen*> wrappers;
    HANDLE selected = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE idled = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::thread loop([&] {
        CClientDC dc(&w);
        CPen pen(PS_SOLID, 1, RGB(0, 0, 200));
        for (int i = 0; i < 3; ++i) {
            CPen* old = dc.SelectObject(&pen);
            wrappers.push_back(old);
            SetEvent(selected);
            WaitForSingleObject(idled, 5000);
            dc.SelectObject(old);
        }
    });
    for (int i = 0; i < 3; ++i) {
        WaitForSingleObject(selected, 5000);
        theApp.OnIdle(1);   // the user-interface thread frees its temporaries
        SetEvent(idled);
    }
    loop.join();
    CloseHandle(selected);
    CloseHandle(idled);
    ASSERT_EQ(wrappers.size(), 3u);
    EXPECT_EQ(wrappers[0], wrappers[1]);
    EXPECT_EQ(wrappers[1], wrappers[2]);
    EXPECT_EQ(pixel(5, 5), RGB(0, 0, 200));
    EXPECT_EQ(pixel(39, 29), RGB(0, 0, 200));
    EXPECT_EQ(pixel(45, 35), RGB(0, 160, 0));
    w.DestroyWindow();
}

// A thread's temporary wrappers are its own: one that ends normally frees
// them, with no idle time of its own.
TEST(TempWrappers, AThreadThatEndsFreesItsOwn) {
    const long before = AfxTestTempWrapperCount();
    long during = 0;
    std::thread frame([&] {
        HDC screen = ::GetDC(nullptr);
        CDC* dc = CDC::FromHandle(screen);
        CGdiObject* pen = CGdiObject::FromHandle(::GetStockObject(BLACK_PEN));
        CWnd* desktop = CWnd::FromHandle(::GetDesktopWindow());
        EXPECT_TRUE(dc && pen && desktop);
        during = AfxTestTempWrapperCount();
        ::ReleaseDC(nullptr, screen);
    });
    frame.join();
    EXPECT_GE(during, before + 3);
    EXPECT_EQ(AfxTestTempWrapperCount(), before);
}

// A wrapper owns its object: making a second one frees the first.
TEST(GdiObjects, ASecondCreateFreesTheFirst) {
    CPen pen;
    ASSERT_TRUE(pen.CreatePen(PS_SOLID, 1, RGB(1, 2, 3)));
    HGDIOBJ first = pen.m_hObject;
    ASSERT_EQ(::GetObjectType(first), (DWORD)OBJ_PEN);
    ASSERT_TRUE(pen.CreatePen(PS_SOLID, 2, RGB(4, 5, 6)));
    EXPECT_NE(pen.m_hObject, first);
    EXPECT_EQ(::GetObjectType(first), 0u);
    CBrush brush;
    ASSERT_TRUE(brush.CreateSolidBrush(RGB(7, 8, 9)));
    HGDIOBJ firstBrush = brush.m_hObject;
    ASSERT_TRUE(brush.CreateSolidBrush(RGB(7, 8, 10)));
    EXPECT_EQ(::GetObjectType(firstBrush), 0u);
}

// ---------------------------------------------------------------- commands

class CommandTest : public ScriptedTest {
protected:
    void SetUp() override {
        ScriptedTest::SetUp();
        CloseAllDocuments();
        g_mainFrame->SendMessage(WM_COMMAND, ID_FILE_NEW);
        Pump();
        ASSERT_NE(ActiveChild(), nullptr);
        g_log.clear();
    }
    void TearDown() override { CloseAllDocuments(); }
    std::vector<std::string> Send(UINT id) {
        g_log.clear();
        g_mainFrame->SendMessage(WM_COMMAND, id);
        return g_log;
    }
};

TEST_F(CommandTest, RoutingFollowsViewDocumentChildFrameMainFrameApplication) {
    using L = std::vector<std::string>;
    EXPECT_EQ(Send(ID_EDIT_COPY), L{"view:copy"});      // view, main frame and application handle it
    EXPECT_EQ(Send(ID_TOOL_DOC), L{"doc:doc"});         // document and main frame
    EXPECT_EQ(Send(ID_TOOL_CHILD), L{"child:child"});   // child frame and main frame
    EXPECT_EQ(Send(ID_APP_ABOUT), L{"app:about"});      // only the application
    EXPECT_EQ(Send(ID_TOOL_RANGE1 + 1), L{"view:range:32811"});
    EXPECT_EQ(Send(ID_TOOL_NOHANDLER), L{});

    // A control's notification reaches the application through the frame.
    CComboBox combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | CBS_DROPDOWNLIST, CRect(0, 0, 80, 100), g_mainFrame, 4000));
    g_log.clear();
    g_mainFrame->SendMessage(WM_COMMAND, MAKEWPARAM(4000, CBN_SELENDOK), (LPARAM)combo.m_hWnd);
    EXPECT_EQ(g_log, L{"app:selendok"});
    combo.DestroyWindow();

    // Without a view the frame and then the application get the command.
    CloseAllDocuments();
    EXPECT_EQ(Send(ID_EDIT_COPY), L{"frame:copy"});
}

TEST_F(CommandTest, UpdateHandlersSetMenuItemsAndADisabledCommandIsNotRun) {
    HMENU bar = GetMenu(g_mainFrame->m_hWnd);
    ASSERT_EQ(bar, g_templateA->m_hMenuShared);
    HMENU tools = GetSubMenu(bar, 1);
    ASSERT_NE(tools, nullptr);
    g_mainFrame->SendMessage(WM_INITMENUPOPUP, (WPARAM)tools, MAKELPARAM(1, FALSE));
    EXPECT_TRUE(GetMenuState(tools, ID_TOOL_CHECK, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(tools, ID_TOOL_DISABLED, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(tools, ID_TOOL_NOHANDLER, MF_BYCOMMAND) & MF_GRAYED);   // nobody handles it
    EXPECT_FALSE(GetMenuState(tools, ID_EDIT_COPY, MF_BYCOMMAND) & MF_GRAYED);       // handled, no update handler
    MENUITEMINFOW mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_STATE;
    GetMenuItemInfoW(tools, ID_TOOL_RADIO, FALSE, &mii);
    EXPECT_TRUE(mii.fType & MFT_RADIOCHECK);
    EXPECT_TRUE(mii.fState & MFS_CHECKED);
    wchar_t text[64] = {0};
    GetMenuStringW(tools, ID_TOOL_TEXT, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"Renamed");

    EXPECT_EQ(Send(ID_TOOL_DISABLED), std::vector<std::string>{});
    EXPECT_EQ(Send(ID_TOOL_CHECK), std::vector<std::string>{"view:check"});

    // The same through the template's accelerator (Ctrl+K).
    MSG msg = {};
    msg.hwnd = g_mainFrame->GetActiveFrame()->GetActiveView()->m_hWnd;
    msg.message = WM_KEYDOWN;
    msg.wParam = 'K';
    g_log.clear();
    BYTE keys[256] = {0};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    EXPECT_TRUE(theApp.PreTranslateMessage(&msg));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    Pump();
    EXPECT_TRUE(g_log.empty());
}

// ---------------------------------------------------------------- documents and frames

class DocumentTest : public ScriptedTest {
protected:
    void SetUp() override { ScriptedTest::SetUp(); CloseAllDocuments(); }
    void TearDown() override { CloseAllDocuments(); }
    static int MdiChildren() {
        int n = 0;
        for (HWND h = GetWindow(g_mainFrame->m_hWndMDIClient, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) ++n;
        return n;
    }
};

TEST_F(DocumentTest, TwoDocumentsEachWithAViewAndTheMenuFollowsTheActiveChild) {
    HMENU defaultMenu = g_mainFrame->m_hMenuDefault;
    EXPECT_EQ(GetMenu(g_mainFrame->m_hWnd), defaultMenu);
    g_mainFrame->SendMessage(WM_COMMAND, ID_FILE_NEW);
    g_mainFrame->SendMessage(WM_COMMAND, ID_FILE_NEW);
    ASSERT_EQ(theApp.GetOpenDocumentCount(), 2);
    EXPECT_EQ(MdiChildren(), 2);
    std::vector<std::wstring> titles;
    std::vector<CMDIChildWnd*> frames;
    for (POSITION pos = g_templateA->GetFirstDocPosition(); pos;) {
        CDocument* d = g_templateA->GetNextDoc(pos);
        titles.push_back(W(d->GetTitle()));
        POSITION vp = d->GetFirstViewPosition();
        ASSERT_NE(vp, nullptr);
        CView* v = d->GetNextView(vp);
        EXPECT_EQ(vp, nullptr);   // exactly one view
        EXPECT_TRUE(v->IsKindOf(RUNTIME_CLASS(CSampleView)));
        EXPECT_EQ(v->GetDocument(), d);
        CFrameWnd* f = v->GetParentFrame();
        ASSERT_TRUE(f && f->IsKindOf(RUNTIME_CLASS(CChildFrame)));
        frames.push_back(static_cast<CMDIChildWnd*>(f));
        CString caption;
        f->GetWindowText(caption);
        EXPECT_EQ(caption, d->GetTitle());
    }
    // New documents are numbered on from the last untitled one.
    ASSERT_EQ(titles.size(), 2u);
    int first = _wtoi(titles[0].c_str() + 3);
    EXPECT_EQ(titles[0].substr(0, 3), L"Doc");
    EXPECT_GE(first, 1);
    EXPECT_EQ(titles[1], L"Doc" + std::to_wstring(first + 1));
    EXPECT_EQ(ActiveChild(), frames[1]);
    EXPECT_EQ(GetMenu(g_mainFrame->m_hWnd), g_templateA->m_hMenuShared);
    EXPECT_EQ(W(g_mainFrame->GetActiveDocument()->GetTitle()), titles[1]);

    CDocument* picture = g_templateB->OpenDocumentFile(nullptr);
    ASSERT_NE(picture, nullptr);
    Pump();
    EXPECT_EQ(W(picture->GetTitle()), L"Pic1");
    EXPECT_EQ(GetMenu(g_mainFrame->m_hWnd), g_templateB->m_hMenuShared);
    frames[0]->MDIActivate();
    Pump();
    EXPECT_EQ(ActiveChild(), frames[0]);
    EXPECT_EQ(GetMenu(g_mainFrame->m_hWnd), g_templateA->m_hMenuShared);

    CloseAllDocuments();
    EXPECT_EQ(MdiChildren(), 0);
    EXPECT_EQ(GetMenu(g_mainFrame->m_hWnd), defaultMenu);
    EXPECT_TRUE(IsMenu(g_templateA->m_hMenuShared));   // the shared menus outlive their frames
}

TEST_F(DocumentTest, ClosingAModifiedDocumentAsksOnceAndHonoursTheAnswer) {
    g_mainFrame->SendMessage(WM_COMMAND, ID_FILE_NEW);
    CDocument* doc = g_mainFrame->GetActiveDocument();
    ASSERT_NE(doc, nullptr);
    CFrameWnd* frame = g_mainFrame->GetActiveFrame();
    CString title = doc->GetTitle();

    doc->SetModifiedFlag();
    AfxTestSetScript(L"msgbox IDCANCEL");
    frame->SendMessage(WM_CLOSE);
    EXPECT_EQ(theApp.GetOpenDocumentCount(), 1);   // cancelled: still open

    AfxTestSetScript(L"msgbox IDNO");
    AfxTestClearRecord();
    frame->SendMessage(WM_CLOSE);
    Pump();
    EXPECT_EQ(theApp.GetOpenDocumentCount(), 0);
    CString rec = AfxTestGetRecord();
    EXPECT_EQ(CountLines(rec, L"msgbox|"), 1) << (LPCWSTR)rec;
    CString want;
    want.Format(L"msgbox|Afx Sample|Save changes to %s?|0x%X\n", (LPCWSTR)title, MB_YESNOCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(W(rec), W(want));
    EXPECT_EQ(MdiChildren(), 0);
}

TEST_F(DocumentTest, SaveOnCloseWritesTheFileAndOpeningReadsItBack) {
    CString path = TempPath(L"afx_saved.smp");
    DeleteFileW(path);
    g_mainFrame->SendMessage(WM_COMMAND, ID_FILE_NEW);
    CSampleDoc* doc = static_cast<CSampleDoc*>(g_mainFrame->GetActiveDocument());
    CString title = doc->GetTitle();
    doc->m_text = L"measured";
    doc->m_value = 42;
    doc->SetModifiedFlag();
    AfxTestSetScript(CString(L"msgbox IDYES\nsave ") + path);
    AfxTestClearRecord();
    g_mainFrame->GetActiveFrame()->SendMessage(WM_CLOSE);
    Pump();
    EXPECT_EQ(theApp.GetOpenDocumentCount(), 0);
    CString rec = AfxTestGetRecord();
    EXPECT_NE(rec.Find(L"save|Save As|" + title + L".smp|"), -1) << (LPCWSTR)rec;

    // Length-prefixed UTF-16, then the value: read back without the framework.
    HANDLE h = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    BYTE buf[64];
    DWORD got = 0;
    ReadFile(h, buf, sizeof buf, &got, nullptr);
    CloseHandle(h);
    ASSERT_EQ(got, 4u + 16u + 4u);
    EXPECT_EQ(*reinterpret_cast<DWORD*>(buf), 8u);
    EXPECT_EQ(std::wstring(reinterpret_cast<wchar_t*>(buf + 4), 8), L"measured");
    EXPECT_EQ(*reinterpret_cast<int*>(buf + 20), 42);

    AfxTestSetScript(CString(L"open ") + path);
    g_mainFrame->SendMessage(WM_COMMAND, ID_FILE_OPEN);
    Pump();
    ASSERT_EQ(theApp.GetOpenDocumentCount(), 1);
    CSampleDoc* again = static_cast<CSampleDoc*>(g_mainFrame->GetActiveDocument());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(W(again->m_text), L"measured");
    EXPECT_EQ(again->m_value, 42);
    EXPECT_EQ(W(again->GetTitle()), L"afx_saved.smp");
    EXPECT_FALSE(again->IsModified());
    EXPECT_EQ(theApp.OpenDocumentFile(path), again);   // already open: the same document
    EXPECT_EQ(theApp.GetOpenDocumentCount(), 1);
}

TEST_F(DocumentTest, AFailedOpenReportsAndLeavesNothingBehind) {
    CString path = TempPath(L"afx_bad.smp");
    {
        CFile f(path, CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&f, CArchive::store);
        ar << CString(L"fail") << 1;
    }
    AfxTestSetScript(L"msgbox IDOK");
    EXPECT_EQ(theApp.OpenDocumentFile(path), nullptr);
    Pump();
    EXPECT_EQ(theApp.GetOpenDocumentCount(), 0);
    EXPECT_EQ(MdiChildren(), 0);
    EXPECT_NE(AfxTestGetRecord().Find(L"Unexpected file format."), -1) << (LPCWSTR)AfxTestGetRecord();

    AfxTestClearRecord();
    EXPECT_EQ(theApp.OpenDocumentFile(TempPath(L"afx_missing.smp")), nullptr);
    EXPECT_NE(AfxTestGetRecord().Find(L"afx_missing.smp was not found."), -1) << (LPCWSTR)AfxTestGetRecord();
    EXPECT_EQ(MdiChildren(), 0);
}

TEST_F(DocumentTest, ScrollViewScrollsToAPositionAndMapsPoints) {
    CDocument* doc = g_templateB->OpenDocumentFile(nullptr);
    ASSERT_NE(doc, nullptr);
    CMDIChildWnd* child = ActiveChild();
    ASSERT_NE(child, nullptr);
    child->MoveWindow(0, 0, 320, 260);
    Pump();
    CScrollView* view = DYNAMIC_DOWNCAST(CScrollView, child->GetActiveView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetTotalSize(), CSize(1000, 800));
    CRect rc;
    view->GetClientRect(&rc);

    view->ScrollToPosition(CPoint(300, 200));
    EXPECT_EQ(view->GetScrollPosition(), CPoint(300, 200));
    {
        CClientDC dc(view);
        view->OnPrepareDC(&dc);
        CPoint p(0, 0);
        dc.DPtoLP(&p);
        EXPECT_EQ(p, CPoint(300, 200));
        CPoint q(310, 220);
        dc.LPtoDP(&q);
        EXPECT_EQ(q, CPoint(10, 20));
    }
    view->ScrollToPosition(CPoint(5000, 5000));
    EXPECT_EQ(view->GetScrollPosition(), CPoint(1000 - rc.Width(), 800 - rc.Height()));
    view->ScrollToPosition(CPoint(0, 0));
    view->SendMessage(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 8));   // a line is a tenth of a page, a page a tenth of the size
    view->SendMessage(WM_HSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(view->GetScrollPosition(), CPoint(100, 8));
}

class CSplitChild : public CMDIChildWnd {
    DECLARE_DYNCREATE(CSplitChild)
public:
    CSplitterWnd m_splitter;
    BOOL OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) override {
        return m_splitter.Create(this, 2, 2, CSize(10, 10), pContext,
                                 WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | SPLS_DYNAMIC_SPLIT, AFX_IDW_PANE_FIRST);
    }
};
IMPLEMENT_DYNCREATE(CSplitChild, CMDIChildWnd)

TEST_F(DocumentTest, ASplitterChildFrameShowsTheDocumentsView) {
    CMultiDocTemplate split(IDR_TYPE_A, RUNTIME_CLASS(CSampleDoc), RUNTIME_CLASS(CSplitChild), RUNTIME_CLASS(CSampleView));
    CDocument* doc = split.OpenDocumentFile(nullptr);
    ASSERT_NE(doc, nullptr);
    Pump();
    POSITION vp = doc->GetFirstViewPosition();
    ASSERT_NE(vp, nullptr);
    CView* view = doc->GetNextView(vp);
    CSplitChild* frame = DYNAMIC_DOWNCAST(CSplitChild, view->GetParentFrame());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(view->GetParent(), &frame->m_splitter);
    EXPECT_EQ(frame->m_splitter.GetPane(0, 0), view);
    EXPECT_EQ(frame->GetActiveView(), view);
    CRect rcSplit, rcView;
    frame->m_splitter.GetClientRect(&rcSplit);
    view->GetWindowRect(&rcView);
    EXPECT_EQ(rcView.Size(), rcSplit.Size());
    g_log.clear();
    g_mainFrame->SendMessage(WM_COMMAND, ID_EDIT_COPY);
    EXPECT_EQ(g_log, std::vector<std::string>{"view:copy"});
    split.CloseAllDocuments(FALSE);
    Pump();
    EXPECT_EQ(MdiChildren(), 0);
}

// A close that reaches a frame while it is still being opened (sent by another
// program while the view waits on a thread of its own) is carried out once the
// opening is done, instead of deleting the frame under it.
enum class CloseFrom { kCreate, kInitialUpdate };
CloseFrom g_closeFrom = CloseFrom::kCreate;

class CClosingView : public CView {
    DECLARE_DYNCREATE(CClosingView)
public:
    void OnDraw(CDC*) override {}
    void OnInitialUpdate() override {
        CView::OnInitialUpdate();
        if (g_closeFrom == CloseFrom::kInitialUpdate) GetParentFrame()->SendMessage(WM_CLOSE);
    }
protected:
    afx_msg int OnCreate(LPCREATESTRUCT cs) {
        if (CView::OnCreate(cs) == -1) return -1;
        if (g_closeFrom == CloseFrom::kCreate) ::SendMessageW(::GetParent(m_hWnd), WM_CLOSE, 0, 0);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CClosingView, CView)
BEGIN_MESSAGE_MAP(CClosingView, CView)
    ON_WM_CREATE()
END_MESSAGE_MAP()

TEST_F(DocumentTest, ACloseAskedWhileTheFrameOpensComesAfterTheOpening) {
    CMultiDocTemplate closing(IDR_TYPE_A, RUNTIME_CLASS(CSampleDoc), RUNTIME_CLASS(CChildFrame),
                              RUNTIME_CLASS(CClosingView));
    for (CloseFrom from : {CloseFrom::kCreate, CloseFrom::kInitialUpdate}) {
        SCOPED_TRACE(static_cast<int>(from));
        g_closeFrom = from;
        CDocument* doc = closing.OpenDocumentFile(nullptr);
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(MdiChildren(), 1);
        POSITION vp = doc->GetFirstViewPosition();
        ASSERT_NE(vp, nullptr);
        EXPECT_TRUE(doc->GetNextView(vp)->GetParentFrame()->IsWindowVisible());
        Pump();
        EXPECT_EQ(MdiChildren(), 0);
        EXPECT_EQ(closing.GetFirstDocPosition(), nullptr);
    }
}

// ---------------------------------------------------------------- dialogs

class CSettingsDlg : public CDialog {
public:
    CSettingsDlg(CWnd* parent = nullptr) : CDialog(IDD_SETTINGS, parent) {}
    CSliderCtrl m_slider;
    CComboBox m_mode;
    int m_level = 40;
    CString m_name = L"cam";
    int m_count = 3;
    int m_enable = 1;
    CString m_modeText = L"Live";
    int m_inits = 0;
    BOOL OnInitDialog() override {
        ++m_inits;
        for (LPCWSTR s : {L"Still", L"Live", L"Series"}) SendDlgItemMessage(IDC_MODE, CB_ADDSTRING, 0, (LPARAM)s);
        CDialog::OnInitDialog();
        m_slider.SetRange(0, 100);
        m_slider.SetPos(m_level);
        return TRUE;
    }
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_SLIDER, m_slider);
        DDX_Control(pDX, IDC_MODE, m_mode);
        DDX_Text(pDX, IDC_NAME, m_name);
        DDV_MaxChars(pDX, m_name, 8);
        DDX_Text(pDX, IDC_COUNT, m_count);
        DDV_MinMaxInt(pDX, m_count, 0, 99);
        DDX_Check(pDX, IDC_ENABLE, m_enable);
        DDX_CBString(pDX, IDC_MODE, m_modeText);
        if (pDX->m_bSaveAndValidate) m_level = m_slider.GetPos();
    }
};

class DialogTest : public ScriptedTest {};

CString ItemText(HWND dlg, int id) {
    wchar_t buf[64] = {0};
    GetDlgItemTextW(dlg, id, buf, 64);
    return CString(buf);
}

TEST_F(DialogTest, ModelessDataExchangeRoundTripsBothWays) {
    CSettingsDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_SETTINGS, g_mainFrame));
    HWND h = dlg.m_hWnd;
    EXPECT_EQ(W(ItemText(h, IDC_NAME)), L"cam");
    EXPECT_EQ(W(ItemText(h, IDC_COUNT)), L"3");
    EXPECT_EQ(IsDlgButtonChecked(h, IDC_ENABLE), (UINT)BST_CHECKED);
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_MODE, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_SLIDER, TBM_GETPOS, 0, 0), 40);
    EXPECT_EQ(dlg.m_slider.m_hWnd, GetDlgItem(h, IDC_SLIDER));
    EXPECT_EQ(SendDlgItemMessageW(h, IDC_NAME, EM_GETLIMITTEXT, 0, 0), 8);

    SetDlgItemTextW(h, IDC_NAME, L"scope");
    SetDlgItemTextW(h, IDC_COUNT, L"12");
    CheckDlgButton(h, IDC_ENABLE, BST_UNCHECKED);
    SendDlgItemMessageW(h, IDC_MODE, CB_SETCURSEL, 2, 0);
    SendDlgItemMessageW(h, IDC_SLIDER, TBM_SETPOS, TRUE, 75);
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(W(dlg.m_name), L"scope");
    EXPECT_EQ(dlg.m_count, 12);
    EXPECT_EQ(dlg.m_enable, 0);
    EXPECT_EQ(W(dlg.m_modeText), L"Series");
    EXPECT_EQ(dlg.m_level, 75);

    // Bad input: a message box, the focus back on the field, no success.
    SetDlgItemTextW(h, IDC_COUNT, L"12x");
    AfxTestSetScript(L"msgbox IDOK; msgbox IDOK");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    EXPECT_EQ(dlg.m_count, 12);
    SetDlgItemTextW(h, IDC_COUNT, L"5");
    SendDlgItemMessageW(h, IDC_NAME, EM_SETLIMITTEXT, 100, 0);
    SetDlgItemTextW(h, IDC_NAME, L"much too long");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    SetDlgItemTextW(h, IDC_NAME, L"scope");
    SetDlgItemTextW(h, IDC_COUNT, L"120");
    AfxTestSetScript(L"msgbox IDOK");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    CString rec = AfxTestGetRecord();
    EXPECT_NE(rec.Find(L"|Please enter an integer.|"), -1) << (LPCWSTR)rec;
    EXPECT_NE(rec.Find(L"|Please enter no more than 8 characters.|"), -1) << (LPCWSTR)rec;
    // The range text is the framework's string resource, filled in; a
    // language library's own comes first.
    EXPECT_NE(rec.Find(L"|Please enter an integer between 0 and 99.|"), -1) << (LPCWSTR)rec;
    HINSTANCE lang = LoadLibraryW(L"AfxTestLang.dll");
    ASSERT_NE(lang, nullptr);
    AfxSetResourceHandle(lang);
    AfxTestSetScript(L"msgbox IDOK");
    EXPECT_FALSE(dlg.UpdateData(TRUE));
    AfxSetResourceHandle(nullptr);
    FreeLibrary(lang);
    rec = AfxTestGetRecord();
    EXPECT_NE(rec.Find(L"|Veuillez entrer un entier entre 0 et 99.|"), -1) << (LPCWSTR)rec;

    // OK on a modeless dialog hides it.
    SetDlgItemTextW(h, IDC_NAME, L"ok");
    dlg.SendMessage(WM_COMMAND, IDOK);
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_EQ(W(dlg.m_name), L"ok");
    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_slider.m_hWnd, nullptr);   // controls are released with the dialog
}

TEST_F(DialogTest, AModalDialogEndsByTheScriptedClick) {
    AfxTestSetScript(L"dialog 200 IDOK; dialog 200 IDCANCEL");
    CSettingsDlg dlg(g_mainFrame);
    dlg.m_name = L"before";
    dlg.m_level = 140;   // past the slider's range: the control holds 100
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_inits, 1);
    EXPECT_EQ(W(dlg.m_name), L"before");
    EXPECT_EQ(dlg.m_level, 100);           // OK ran the exchange back
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_TRUE(IsWindowEnabled(g_mainFrame->m_hWnd));
    dlg.m_level = 140;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_inits, 2);
    EXPECT_EQ(dlg.m_level, 140);           // Cancel did not
    EXPECT_NE(AfxTestGetRecord().Find(L"dialog|Settings||"), -1) << (LPCWSTR)AfxTestGetRecord();
}

class CColouredDlg : public CSettingsDlg {
public:
    CBrush m_brush{RGB(1, 2, 3)};
    UINT m_lastType = 99;
    int m_ticks = 0;
protected:
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
        m_lastType = nCtlColor;
        if (nCtlColor == CTLCOLOR_STATIC && pWnd && pWnd->GetDlgCtrlID() == IDC_ENABLE) {
            pDC->SetTextColor(RGB(200, 0, 0));
            return m_brush;
        }
        return CSettingsDlg::OnCtlColor(pDC, pWnd, nCtlColor);
    }
    afx_msg void OnTimer(UINT_PTR id) { if (id == 7) ++m_ticks; }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CColouredDlg, CSettingsDlg)
    ON_WM_CTLCOLOR()
    ON_WM_TIMER()
END_MESSAGE_MAP()

TEST_F(DialogTest, ColourAndTimerHandlersOfADialog) {
    CColouredDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_SETTINGS, g_mainFrame));
    HDC hdc = GetDC(dlg.m_hWnd);
    HWND check = GetDlgItem(dlg.m_hWnd, IDC_ENABLE);
    LRESULT brush = dlg.SendMessage(WM_CTLCOLORSTATIC, (WPARAM)hdc, (LPARAM)check);
    EXPECT_EQ((HBRUSH)brush, (HBRUSH)dlg.m_brush);
    EXPECT_EQ(dlg.m_lastType, (UINT)CTLCOLOR_STATIC);
    EXPECT_EQ(GetTextColor(hdc), RGB(200, 0, 0));
    dlg.SendMessage(WM_CTLCOLOREDIT, (WPARAM)hdc, (LPARAM)GetDlgItem(dlg.m_hWnd, IDC_NAME));
    EXPECT_EQ(dlg.m_lastType, (UINT)CTLCOLOR_EDIT);
    ReleaseDC(dlg.m_hWnd, hdc);
    ASSERT_EQ(dlg.SetTimer(7, 10, nullptr), 7u);
    for (int i = 0; i < 100 && dlg.m_ticks < 2; ++i) { Sleep(10); Pump(); }
    dlg.KillTimer(7);
    EXPECT_GE(dlg.m_ticks, 2);
    dlg.DestroyWindow();
}

TEST_F(DialogTest, ListControlRowsTextAndSelection) {
    CPaintProbe parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"list", WS_POPUP | WS_VISIBLE, 300, 300, 300, 200, nullptr, nullptr));
    CListCtrl list;
    ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, CRect(0, 0, 280, 180), &parent, 90));
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    EXPECT_EQ(list.InsertColumn(0, L"Name", LVCFMT_LEFT, 100), 0);
    EXPECT_EQ(list.InsertColumn(1, L"Gain", LVCFMT_LEFT, 60), 1);
    for (int i = 0; i < 4; ++i) {
        CString name;
        name.Format(L"preset %d", i);
        int row = list.InsertItem(i, name);
        EXPECT_EQ(row, i);
        name.Format(L"%d", i * 10);
        list.SetItemText(row, 1, name);
        list.SetItemData(row, 100 + i);
    }
    EXPECT_EQ(list.GetItemCount(), 4);
    EXPECT_EQ(W(list.GetItemText(2, 0)), L"preset 2");
    EXPECT_EQ(W(list.GetItemText(3, 1)), L"30");
    EXPECT_EQ(list.GetItemData(1), 101u);
    EXPECT_EQ(list.GetFirstSelectedItemPosition(), nullptr);
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    std::vector<int> selected;
    for (POSITION pos = list.GetFirstSelectedItemPosition(); pos;) selected.push_back(list.GetNextSelectedItem(pos));
    EXPECT_EQ(selected, (std::vector<int>{0, 2}));
    list.DeleteItem(0);
    EXPECT_EQ(W(list.GetItemText(0, 0)), L"preset 1");
    list.DeleteAllItems();
    EXPECT_EQ(list.GetItemCount(), 0);
    parent.DestroyWindow();
}

class CColorCombo : public CComboBox {
public:
    int m_draws = 0;
    int m_measures = 0;
    UINT m_lastItem = 0xFFFF;
    void DrawItem(LPDRAWITEMSTRUCT p) override { ++m_draws; m_lastItem = p->itemID; }
    void MeasureItem(LPMEASUREITEMSTRUCT p) override { ++m_measures; p->itemHeight = 18; }
};

TEST_F(DialogTest, OwnerDrawMessagesAreReflectedToTheComboBox) {
    CPaintProbe parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, L"owner", WS_POPUP | WS_VISIBLE, 200, 200, 200, 150, nullptr, nullptr));
    CColorCombo combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                             CRect(5, 5, 150, 120), &parent, 77));
    EXPECT_GE(combo.m_measures, 1);
    EXPECT_EQ(combo.GetItemHeight(0), 18);
    combo.AddString(L"black");
    combo.AddString(L"red");
    combo.SetCurSel(1);
    combo.Invalidate();
    combo.UpdateWindow();
    Pump();
    EXPECT_GE(combo.m_draws, 1);
    int before = combo.m_draws;
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_COMBOBOX;
    dis.CtlID = 77;
    dis.itemID = 0;
    dis.hwndItem = combo.m_hWnd;
    EXPECT_EQ(parent.SendMessage(WM_DRAWITEM, 77, (LPARAM)&dis), TRUE);
    EXPECT_EQ(combo.m_draws, before + 1);
    EXPECT_EQ(combo.m_lastItem, 0u);
    parent.DestroyWindow();
}

// ---------------------------------------------------------------- the message loop (last: it ends the application)

TEST(RunLoopTest, IdleUpdatesThenExitEndsTheLoop) {
    CloseAllDocuments();
    AfxTestSetScript(L"");
    g_mainFrame->m_exitOnIdle = TRUE;
    int created = g_mainFrame->m_created;
    EXPECT_EQ(created, 1);
    HWND h = g_mainFrame->m_hWnd;
    int code = theApp.Run();
    EXPECT_EQ(code, 0);
    EXPECT_GE(g_idleCalls, 1);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
    g_mainFrame = nullptr;
}

}  // namespace

// Printing starts from the printer and settings of Print Setup, which the
// application keeps after the job; a range the view asks for is the default.
TEST(PrintingTest, PrintSetupChoicesReachTheJobAndStayWithTheApplication) {
    wchar_t name[256];
    DWORD size = 256;
    if (!GetDefaultPrinterW(name, &size)) GTEST_SKIP() << "no printer in this prefix";
    AfxTestSetScript(L"print\nprint\n");
    theApp.OnFilePrintSetup();
    ASSERT_NE(nullptr, theApp.m_hDevMode);
    ASSERT_NE(nullptr, theApp.m_hDevNames);
    DEVMODEW* dm = static_cast<DEVMODEW*>(GlobalLock(theApp.m_hDevMode));
    dm->dmOrientation = DMORIENT_LANDSCAPE;
    dm->dmFields |= DM_ORIENTATION;
    GlobalUnlock(theApp.m_hDevMode);
    CSampleView view;
    {
        CPrintInfo info;
        info.SetMaxPage(15);
        info.m_nFromPage = info.m_nToPage = 1;
        ASSERT_TRUE(view.DoPreparePrinting(&info));
        EXPECT_EQ(1u, info.m_pPD->m_pd.nFromPage);
        EXPECT_EQ(1u, info.m_pPD->m_pd.nToPage);
        HDC dc = info.m_pPD->GetPrinterDC();
        ASSERT_NE(nullptr, dc);
        EXPECT_GT(GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)) << "not the landscape chosen in Print Setup";
    }
    // The job's end freed nothing of the application's.
    ASSERT_GT(GlobalSize(theApp.m_hDevMode), 0u);
    dm = static_cast<DEVMODEW*>(GlobalLock(theApp.m_hDevMode));
    EXPECT_EQ(DMORIENT_LANDSCAPE, dm->dmOrientation);
    GlobalUnlock(theApp.m_hDevMode);
    AfxTestSetScript(L"");
}
