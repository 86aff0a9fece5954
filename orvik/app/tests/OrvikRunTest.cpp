// Orvik started as a user starts it, under Wine on the virtual display: a
// copy of its folder with a prepared setting.ini, the simulated cameras that
// the test installs, scripted message-box answers; observed from outside.
#include <gtest/gtest.h>
#include "OrvikHarness.h"
#include "Tolmira.h"
#include "UvcCamInstall.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cstdio>
#include <map>
#include <set>

using namespace orvik_test;

namespace {

const std::wstring kBin = ORVIK_BIN_DIR;

// No auto-focus program outlives a test, whatever its end.
struct NoTolmiraLeft {
    NoTolmiraLeft() { EndProgramsTitled(TOLMIRA_WINDOW_TITLE); }
    ~NoTolmiraLeft() { EndProgramsTitled(TOLMIRA_WINDOW_TITLE); }
};


// A string of one of the language libraries, read as data.
class LangLibrary {
public:
    explicit LangLibrary(const std::wstring& path)
        : m_h(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~LangLibrary() { if (m_h) FreeLibrary(m_h); }
    bool Loaded() const { return m_h != nullptr; }
    std::wstring String(UINT id) const {
        wchar_t buf[512] = {};
        LoadStringW(m_h, id, buf, 512);
        return buf;
    }
private:
    HMODULE m_h;
};

std::wstring Settings(const std::wstring& camera, const std::wstring& general) {
    return L"[Camera]\r\n" + camera + L"[Gerneral]\r\nLogoTitle=Orvik Test\r\n" + general;
}

struct Child { HWND hwnd; int id; std::wstring cls; std::wstring text; };

BOOL CALLBACK CollectChild(HWND h, LPARAM lp) {
    wchar_t cls[64] = {}, text[128] = {};
    GetClassNameW(h, cls, 64);
    GetWindowTextW(h, text, 128);
    reinterpret_cast<std::vector<Child>*>(lp)->push_back({h, GetDlgCtrlID(h), cls, text});
    return TRUE;
}

// Direct children of the frame (its bars, the task pane and the MDI client).
std::vector<Child> BarsOf(HWND frame) {
    std::vector<Child> all, direct;
    EnumChildWindows(frame, CollectChild, reinterpret_cast<LPARAM>(&all));
    for (const Child& c : all)
        if (GetParent(c.hwnd) == frame) direct.push_back(c);
    return direct;
}

HWND Bar(HWND frame, int id, const std::wstring& cls) {
    for (const Child& c : BarsOf(frame))
        if (c.id == id && Lower(c.cls) == Lower(cls)) return c.hwnd;
    return nullptr;
}

HWND ActiveMdiChild(HWND frame) {
    HWND client = FindWindowExW(frame, nullptr, L"MDIClient", nullptr);
    return client ? (HWND)SendMessageW(client, WM_MDIGETACTIVE, 0, 0) : nullptr;
}

int MdiChildren(HWND frame) {
    HWND client = FindWindowExW(frame, nullptr, L"MDIClient", nullptr);
    int n = 0;
    for (HWND c = client ? GetWindow(client, GW_CHILD) : nullptr; c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetWindowLongW(c, GWL_EXSTYLE) & WS_EX_MDICHILD) ++n;
    return n;
}

bool NoWindowsLeft(DWORD pid) { return TopLevelWindows(pid).empty(); }

std::wstring BoxField(const std::wstring& box, int field) {
    size_t start = 0;
    for (int i = 0; i < field; ++i) start = box.find(L'|', start) + 1;
    size_t end = box.find(L'|', start);
    return box.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}
UINT BoxFlags(const std::wstring& box) { return (UINT)wcstoul(BoxField(box, 3).c_str(), nullptr, 16); }

// A toolbar button of another process, read through a buffer in that process.
TBBUTTON RemoteButton(DWORD pid, HWND toolbar, int index) {
    TBBUTTON b = {};
    HANDLE p = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!p) return b;
    void* remote = VirtualAllocEx(p, nullptr, sizeof b, MEM_COMMIT, PAGE_READWRITE);
    if (remote && SendMessageW(toolbar, TB_GETBUTTON, index, (LPARAM)remote)) ReadProcessMemory(p, remote, &b, sizeof b, nullptr);
    if (remote) VirtualFreeEx(p, remote, 0, MEM_RELEASE);
    CloseHandle(p);
    return b;
}

// The descendants of a window that show a given text.
bool HasChildWithText(HWND parent, const std::wstring& text) {
    std::vector<Child> all;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&all));
    for (const Child& c : all)
        if (c.text == text) return true;
    return false;
}

// Waits until the window's toolbars have had their idle update.
void Settle(HWND frame) {
    DWORD_PTR r;
    for (int i = 0; i < 5; ++i) {
        SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &r);
        Sleep(100);
    }
}

bool KeyExists(LPCWSTR path) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

// ---------------------------------------------------------------- camera types
struct CameraCase {
    const char* name;
    const wchar_t* cameraKeys;    // [Camera] lines
    const wchar_t* installed;     // simulated cameras registered
    const wchar_t* removeFile;    // taken out of the copy
    bool window;                  // main window (else the "Hint" box and the end)
    int previews;                 // MDI children once up
    bool logicBars;               // Logic and Realtime toolbars
    const wchar_t* loaded;        // a camera library that must be mapped, or null
    const wchar_t* notLoaded;     // one that must not be
    const wchar_t* graphBox = nullptr;  // the capture graph's own box, after which the program ends
};

const CameraCase kCameraCases[] = {
    {"DefaultsWithCameraR5V", L"bTolmira=0\r\n", L"Camera-R5V", nullptr, true, 1, false, L"hestral.dll", L"marrowin.dll"},
    {"DefaultsWithoutDevice", L"bTolmira=0\r\n", L"", nullptr, false, 0, false, nullptr, L"marrowin.dll"},
    // The probe takes a name that holds the model's; the capture graph takes
    // only the exact name, and its failure ends the program.
    {"SubstringMatches", L"bTolmira=0\r\nCamType=2\r\nCamSubType=2\r\n", L"Camera-R5V Pro", nullptr, true, 1, false, nullptr, nullptr,
     L"Could not get the capture device"},
    {"NameIsCaseSensitive", L"bTolmira=0\r\nCamType=2\r\nCamSubType=2\r\n", L"camera-r5v", nullptr, false, 0, false, nullptr, nullptr},
    {"OtherSubType", L"bTolmira=0\r\nCamType=2\r\nCamSubType=1\r\n", L"Hollin W8K", nullptr, true, 1, false, nullptr, L"marrowin.dll"},
    {"UnknownSubTypeProbesNothing", L"bTolmira=0\r\nCamType=2\r\nCamSubType=9\r\n", L"", nullptr, true, 1, false, nullptr, nullptr,
     L"Could not get the capture device"},
    {"StillImagesOnly", L"bTolmira=0\r\nCamType=1\r\n", L"", nullptr, true, 0, false, nullptr, L"marrowin.dll"},
    {"NegativeTypeIsStillImagesOnly", L"bTolmira=0\r\nCamType=-1\r\n", L"", nullptr, true, 0, false, nullptr, nullptr},
    {"TypeOutOfRange", L"bTolmira=0\r\nCamType=9\r\n", L"", nullptr, true, 0, false, nullptr, nullptr},
    {"Marrowin", L"bTolmira=0\r\nCamType=0\r\n", L"Camera-S3K", nullptr, true, 1, true, L"marrowin.dll", nullptr},
    {"MarrowinWithoutDevice", L"bTolmira=0\r\nCamType=0\r\n", L"", nullptr, false, 0, false, nullptr, nullptr},
    {"MarrowinLibraryMissing", L"bTolmira=0\r\nCamType=0\r\n", L"Camera-S3K", L"Marrowin.dll", false, 0, false, nullptr, nullptr},
    {"HestralPresent", L"bTolmira=0\r\nCamType=4\r\n", L"Vantor-T4M", nullptr, true, 1, false, L"hestral.dll", L"marrowin.dll"},
    {"HestralAbsent", L"bTolmira=0\r\nCamType=6\r\n", L"", nullptr, false, 0, false, nullptr, nullptr},
};

class CameraTypes : public ::testing::TestWithParam<CameraCase> {};

TEST_P(CameraTypes, StartUpAndBars) {
    const CameraCase& c = GetParam();
    // Shut-down after a failed start-up must not clean more than its own state.
    HKEY sentinel = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\OrvikTestSentinel", 0, nullptr, 0, KEY_WRITE, nullptr, &sentinel, nullptr);
    RegCloseKey(sentinel);
    ScopedCameras cameras(c.installed);
    ASSERT_HRESULT_SUCCEEDED(cameras.Result());
    OrvikFolder folder(kBin);
    ASSERT_GT(folder.Copied(), 5);
    folder.WriteSettings(Settings(c.cameraKeys, L""));
    if (c.removeFile) folder.Remove(c.removeFile);
    LangLibrary en(folder.Path(L"LangEn.dll"));
    OrvikRun run(folder, c.graphBox ? L"msgbox IDOK\nmsgbox IDOK\n" : L"");
    ASSERT_TRUE(run.Started());

    if (c.graphBox) {
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OrvikTestSentinel");
        DWORD code = run.WaitExit();
        ASSERT_NE(code, (DWORD)STILL_ACTIVE) << "the program did not end";
        EXPECT_LT(code, 0x80000000u) << "ended by a fault";
        // The graph's own box, then the framework's for the preview it could
        // not open.
        std::vector<std::wstring> boxes = run.Boxes();
        std::wstring all;
        for (const auto& b : boxes) all += b + L"\n";
        ASSERT_EQ(boxes.size(), 2u) << Narrow(all);
        EXPECT_EQ(BoxField(boxes[0], 1), L"Error!");
        EXPECT_EQ(BoxField(boxes[0], 2), c.graphBox);
        EXPECT_EQ(BoxField(boxes[1], 2), L"Failed to create empty document.");
        EXPECT_TRUE(NoWindowsLeft(run.Pid()));
        return;
    }

    if (!c.window) {
        DWORD code = run.WaitExit();
        ASSERT_NE(code, (DWORD)STILL_ACTIVE) << "the program did not end";
        EXPECT_LT(code, 0x80000000u) << "ended by a fault, not by start-up";
        std::vector<std::wstring> boxes = run.Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(BoxField(boxes[0], 1), en.String(59441));
        EXPECT_EQ(BoxField(boxes[0], 2), en.String(59473));
        EXPECT_EQ(BoxField(boxes[0], 2), L"Cannot preview successfully.Please check your camera.");
        EXPECT_TRUE(NoWindowsLeft(run.Pid()));
        EXPECT_TRUE(KeyExists(L"Software\\OrvikTestSentinel"));
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OrvikTestSentinel");
        return;
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\OrvikTestSentinel");
    HWND frame = run.WaitMainWindow();
    ASSERT_NE(frame, nullptr) << "no main window; boxes: " << run.Boxes().size();
    Settle(frame);
    EXPECT_TRUE(IsZoomed(frame));
    EXPECT_TRUE(run.Boxes().empty()) << Narrow(run.Boxes()[0]);
    EXPECT_EQ(MdiChildren(frame), c.previews);
    if (c.previews) {
        // The preview's child frame: maximised, without a system menu.
        HWND child = ActiveMdiChild(frame);
        ASSERT_NE(child, nullptr);
        EXPECT_TRUE(IsZoomed(child));
        EXPECT_FALSE(GetWindowLongW(child, GWL_STYLE) & WS_SYSMENU);
    }

    // Bars: Camera, Image Processing, Image Measurement always; Logic and Realtime only for type 0.
    EXPECT_NE(Bar(frame, 0xE800, TOOLBARCLASSNAMEW), nullptr);
    EXPECT_NE(Bar(frame, 0xE812, TOOLBARCLASSNAMEW), nullptr);
    EXPECT_NE(Bar(frame, 0xE813, TOOLBARCLASSNAMEW), nullptr);
    EXPECT_EQ(Bar(frame, 0xE806, TOOLBARCLASSNAMEW) != nullptr, c.logicBars);
    EXPECT_EQ(Bar(frame, 0xE807, TOOLBARCLASSNAMEW) != nullptr, c.logicBars);
    EXPECT_NE(Bar(frame, 0xE801, STATUSCLASSNAMEW), nullptr);
    HWND pane = nullptr;
    for (const Child& ch : BarsOf(frame))
        if (ch.id == 32826) pane = ch.hwnd;
    ASSERT_NE(pane, nullptr);
    wchar_t paneText[64] = {};
    GetWindowTextW(pane, paneText, 64);
    EXPECT_STREQ(paneText, L"Cam Pane");
    if (c.logicBars) {
        // The Realtime bar's drop-down button.
        HWND realtime = Bar(frame, 0xE807, TOOLBARCLASSNAMEW);
        int index = (int)SendMessageW(realtime, TB_COMMANDTOINDEX, 32874, 0);
        ASSERT_GE(index, 0);
        TBBUTTON b = RemoteButton(run.Pid(), realtime, index);
        EXPECT_EQ(b.idCommand, 32874);
        EXPECT_TRUE(b.fsStyle & (BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN));
    }

    // Update handlers on the Camera toolbar: New preview and Preview only while
    // no live preview is open, Save only for a still image.
    HWND camera = Bar(frame, 0xE800, TOOLBARCLASSNAMEW);
    const struct { WPARAM command; bool enabled; } states[] = {
        {0xE100, c.previews == 0}, {32861, c.previews == 0}, {0xE103, false},
    };
    for (const auto& st : states) {
        ASSERT_GE(SendMessageW(camera, TB_COMMANDTOINDEX, st.command, 0), 0) << st.command;
        // The buttons follow once the program next goes idle.
        bool enabled = !st.enabled;
        for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(50))
            if ((enabled = SendMessageW(camera, TB_ISBUTTONENABLED, st.command, 0) != 0) == st.enabled) break;
        EXPECT_EQ(enabled, st.enabled) << st.command;
    }

    std::vector<std::wstring> modules = ModulesOf(run.Pid());
    if (c.loaded) {
        EXPECT_TRUE(HasModule(modules, c.loaded));
    }
    if (c.notLoaded) {
        EXPECT_FALSE(HasModule(modules, c.notLoaded));
    }
    EXPECT_EQ(run.Close(), 0ul);
    EXPECT_TRUE(NoWindowsLeft(run.Pid()));
}

INSTANTIATE_TEST_SUITE_P(Orvik, CameraTypes, ::testing::ValuesIn(kCameraCases),
                         [](const ::testing::TestParamInfo<CameraCase>& i) { return std::string(i.param.name); });

// No setting.ini at all: the DirectShow camera "Camera-R5V", a live preview,
// the auto-focus program started and not waited for at exit.
TEST(OrvikDefaults, NoSettingsFile) {
    NoTolmiraLeft guard;
    OrvikFolder folder(kBin);
    OrvikRun run(folder);
    HWND frame = run.WaitMainWindow();
    ASSERT_NE(frame, nullptr);
    Settle(frame);
    EXPECT_TRUE(IsZoomed(frame));
    EXPECT_EQ(MdiChildren(frame), 1);
    HWND focus = nullptr;
    for (DWORD start = GetTickCount(); !focus && GetTickCount() - start < 10000; Sleep(50))
        focus = FindWindowW(nullptr, TOLMIRA_WINDOW_TITLE);
    ASSERT_NE(focus, nullptr);
    DWORD focusPid = 0;
    GetWindowThreadProcessId(focus, &focusPid);
    EXPECT_EQ(run.Close(), 0ul);
    EXPECT_TRUE(IsWindow(focus)) << "not asked to close";
}

// The UVC property library is attached only to a device of the model's exact name.
TEST(OrvikUvc, AttachesOnlyAnExactName) {
    const struct { const wchar_t* installed; bool attached; } cases[] = {
        {L"Camera-J40", true},
        {L"Camera-J40 Pro", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.installed));
        ScopedCameras cameras(c.installed);
        OrvikFolder folder(kBin);
        folder.WriteSettings(Settings(L"bTolmira=0\r\nCamType=2\r\nCamSubType=6\r\n", L""));
        OrvikRun run(folder);
        HWND frame = run.WaitMainWindow();
        ASSERT_NE(frame, nullptr);
        std::wstring log = ReadTextFile(folder.Path(L"uvclib.log"));
        EXPECT_EQ(log.find(L"AttachUVCDeviceByIndex") != std::wstring::npos, c.attached) << Narrow(log);
        EXPECT_EQ(run.Close(), 0ul);
        log = ReadTextFile(folder.Path(L"uvclib.log"));
        EXPECT_NE(log.find(L"DetachUVCDeviceALL"), std::wstring::npos) << "shut-down detaches the UVC devices";
    }
}

// A library that leaves a name unterminated does not spoil the match of the next.
TEST(OrvikUvc, UnterminatedNameIsCutAtTheBuffer) {
    ScopedCameras cameras(L"Camera-J40");
    OrvikFolder folder(kBin);
    ASSERT_TRUE(CopyFileW(UVCLIB_STUB, folder.Path(L"ROREREverizaZizidodu.dll").c_str(), FALSE));
    folder.WriteSettings(Settings(L"bTolmira=0\r\nCamType=2\r\nCamSubType=6\r\n", L""));
    SetEnvironmentVariableW(L"ORVIK_UVCSTUB_LOG", folder.Path(L"stub.log").c_str());
    OrvikRun run(folder);
    ASSERT_NE(run.WaitMainWindow(), nullptr);
    EXPECT_EQ(ReadTextFile(folder.Path(L"stub.log")), L"attach 1\n");
    EXPECT_EQ(run.Close(), 0ul);
    SetEnvironmentVariableW(L"ORVIK_UVCSTUB_LOG", nullptr);
}

// ---------------------------------------------------------------- the caption
TEST(OrvikFrame, CaptionIsAlwaysTheLogoTitle) {
    OrvikFolder folder(kBin);
    folder.WriteSettings(L"[Camera]\r\nbTolmira=0\r\nCamType=1\r\n[Gerneral]\r\nLogoTitle=Microscope \x00e9\x4e2d\r\n");
    OrvikRun run(folder);
    HWND frame = run.WaitMainWindow();
    ASSERT_NE(frame, nullptr);
    wchar_t text[256] = {};
    GetWindowTextW(frame, text, 256);
    EXPECT_STREQ(text, L"Microscope \x00e9\x4e2d");
    SetWindowTextW(frame, L"anything");
    GetWindowTextW(frame, text, 256);
    EXPECT_STREQ(text, L"Microscope \x00e9\x4e2d");
    EXPECT_EQ(run.Close(), 0ul);
}

// The user manual opens from the program folder, whatever the working directory.
// An "open" verb for .pdf files that runs a given command, for the length of a test.
class PdfVerb {
public:
    explicit PdfVerb(const std::wstring& command) {
        m_hadPdf = Get(L".pdf", m_oldPdf);
        Set(L".pdf", L"OrvikTest.pdf");
        Set(L"OrvikTest.pdf\\shell\\open\\command", command);
    }
    ~PdfVerb() {
        SHDeleteKeyW(HKEY_CLASSES_ROOT, L"OrvikTest.pdf");
        if (m_hadPdf) Set(L".pdf", m_oldPdf);
        else SHDeleteKeyW(HKEY_CLASSES_ROOT, L".pdf");
    }
private:
    static bool Get(LPCWSTR key, std::wstring& value) {
        wchar_t buf[256] = {};
        DWORD size = sizeof buf;
        if (RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS) return false;
        value = buf;
        return true;
    }
    static void Set(LPCWSTR key, const std::wstring& value) {
        HKEY h = nullptr;
        RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr);
        RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       (DWORD)((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(h);
    }
    bool m_hadPdf = false;
    std::wstring m_oldPdf;
};

TEST(OrvikFrame, HelpOpensTheManualBesideTheProgram) {
    const struct { const wchar_t* lang; const wchar_t* manual; } cases[] = {
        {L"1033", L"User Manual_English.pdf"},
        {L"2052", L"User Manual_Chinese.pdf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.manual));
        OrvikFolder folder(kBin);
        folder.WriteSettings(Settings(L"bTolmira=0\r\nCamType=1\r\n", std::wstring(L"Lang=") + c.lang + L"\r\n"));
        for (const wchar_t* name : {L"User Manual_English.pdf", L"User Manual_Chinese.pdf"})
            std::ofstream(folder.Path(name).c_str()) << "%PDF-1.4\n";
        PdfVerb verb(L"C:\\windows\\system32\\cmd.exe /c echo %1>\"" + folder.Path(L"opened.txt") + L"\"");
        wchar_t windows[MAX_PATH];
        GetWindowsDirectoryW(windows, MAX_PATH);
        OrvikRun run(folder, L"", windows);
        HWND frame = run.WaitMainWindow();
        ASSERT_NE(frame, nullptr);
        PostMessageW(frame, WM_COMMAND, MAKEWPARAM(32945, 0), 0);
        std::wstring opened;
        for (DWORD start = GetTickCount(); opened.empty() && GetTickCount() - start < 15000; Sleep(100))
            opened = ReadTextFile(folder.Path(L"opened.txt"));
        EXPECT_NE(Lower(opened).find(Lower(folder.Path(c.manual))), std::wstring::npos) << Narrow(opened);
        EXPECT_EQ(run.Close(), 0ul);
    }
}

// ---------------------------------------------------------------- debugger traces
// Runs Orvik under this process as its debugger, collecting what it writes
// with OutputDebugStringW, until the main window is up; then closes it.
class TracedRun {
public:
    explicit TracedRun(const OrvikFolder& folder) : m_folder(folder) {
        m_thread = CreateThread(nullptr, 0, &TracedRun::Debug, this, 0, nullptr);
    }
    ~TracedRun() {
        WaitForSingleObject(m_thread, 60000);
        CloseHandle(m_thread);
    }
    // Waits for the end of the run (the test closes the window through the pid).
    std::vector<std::string> Traces() {
        WaitForSingleObject(m_thread, 60000);
        return m_traces;
    }
    DWORD Pid() {
        for (int i = 0; i < 500 && !m_pid; ++i) Sleep(10);
        return m_pid;
    }
private:
    static DWORD WINAPI Debug(void* p) {
        TracedRun* self = static_cast<TracedRun*>(p);
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        std::wstring exe = self->m_folder.Path(L"Orvik.exe");
        std::wstring cmd = L"\"" + exe + L"\"";
        if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                            self->m_folder.Dir().c_str(), &si, &pi))
            return 1;
        self->m_pid = pi.dwProcessId;
        for (;;) {
            DEBUG_EVENT ev = {};
            if (!WaitForDebugEvent(&ev, 60000)) break;
            DWORD status = DBG_CONTINUE;
            if (ev.dwDebugEventCode == OUTPUT_DEBUG_STRING_EVENT) {
                const OUTPUT_DEBUG_STRING_INFO& s = ev.u.DebugString;
                std::vector<char> buf(s.nDebugStringLength * (s.fUnicode ? 2 : 1) + 2, 0);
                ReadProcessMemory(pi.hProcess, s.lpDebugStringData, buf.data(), buf.size() - 2, nullptr);
                self->m_traces.push_back(s.fUnicode ? Narrow(reinterpret_cast<const wchar_t*>(buf.data())) : buf.data());
            } else if (ev.dwDebugEventCode == EXCEPTION_DEBUG_EVENT) {
                // Only the loader's breakpoint is ours; the program handles its own exceptions.
                if (ev.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) status = DBG_EXCEPTION_NOT_HANDLED;
            } else if (ev.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT) {
                if (ev.u.LoadDll.hFile) CloseHandle(ev.u.LoadDll.hFile);
            } else if (ev.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT) {
                if (ev.u.CreateProcessInfo.hFile) CloseHandle(ev.u.CreateProcessInfo.hFile);
            }
            ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, status);
            if (ev.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) break;
        }
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return 0;
    }
    const OrvikFolder& m_folder;
    HANDLE m_thread = nullptr;
    volatile DWORD m_pid = 0;
    std::vector<std::string> m_traces;
};

// Start-up in its order: the application, the probe's device names, then the frame.
TEST(OrvikTraces, StartUpInOrder) {
    OrvikFolder folder(kBin);
    folder.WriteSettings(Settings(L"bTolmira=0\r\n", L""));
    std::ofstream(folder.Path(L"script.txt").c_str()) << "";
    SetEnvironmentVariableW(L"VELTRANE_AFX_SCRIPT", folder.Path(L"script.txt").c_str());
    TracedRun run(folder);
    DWORD pid = run.Pid();
    ASSERT_NE(pid, 0u);
    HWND frame = nullptr;
    for (DWORD start = GetTickCount(); !frame && GetTickCount() - start < 30000; Sleep(50)) frame = MainWindowOf(pid);
    ASSERT_NE(frame, nullptr);
    DWORD_PTR r;
    SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &r);
    PostMessageW(frame, WM_CLOSE, 0, 0);
    std::vector<std::string> traces = run.Traces();
    auto at = [&](const std::string& text) {
        for (size_t i = 0; i < traces.size(); ++i)
            if (traces[i].find(text) != std::string::npos) return (int)i;
        return -1;
    };
    int app = at("COrvikApp::InitInstance"), device = at("Camera-R5V"), frameStart = -1, frameEnd = at("CMainFrame::OnCreate///");
    for (size_t i = 0; i < traces.size(); ++i)
        if (traces[i] == "CMainFrame::OnCreate" || (traces[i].rfind("CMainFrame::OnCreate", 0) == 0 && traces[i].find("///") == std::string::npos)) {
            frameStart = (int)i;
            break;
        }
    int child = at("dkkkkkkk");
    ASSERT_GE(app, 0);
    EXPECT_GT(device, app);
    EXPECT_GT(frameStart, device);
    EXPECT_GT(frameEnd, frameStart);
    EXPECT_GT(child, frameEnd) << "the first preview's child frame comes last";
}

// ---------------------------------------------------------------- languages
struct LanguageCase {
    const char* name;
    int lang;
    const wchar_t* orvikLib;
    const wchar_t* toolkitLib;   // null: none of the toolkit's libraries
    bool rtl;
    LANGID systemLang;  // for Lang=0: the system's language the row needs, else 0
};

const LanguageCase kLanguageCases[] = {
    {"English", 1033, L"LangEn.dll", nullptr, false, 0},
    {"EnglishUK", 2057, L"LangEn.dll", nullptr, false, 0},
    {"Korean", 1042, L"LangEn.dll", L"BCGCBProResKOR.dll", false, 0},
    {"ChineseTaiwanIsEnglish", 1028, L"LangEn.dll", nullptr, false, 0},
    {"Chinese", 2052, L"LangZh.dll", L"BCGCBProResCHS.dll", false, 0},
    {"German", 1031, L"LangDe.dll", L"BCGCBProResDEU.dll", false, 0},
    {"GermanAustria", 3079, L"LangDe.dll", L"BCGCBProResDEU.dll", false, 0},
    {"French", 1036, L"LangFr.dll", L"BCGCBProResFRA.dll", false, 0},
    {"Japanese", 1041, L"LangJa.dll", L"BCGCBProResJPN.dll", false, 0},
    {"Polish", 1045, L"LangPl.dll", L"BCGCBProResPLK.dll", false, 0},
    {"Arabic", 1025, L"LangAr.dll", nullptr, true, 0},
    {"ArabicAlgeria", 0x1401, L"LangAr.dll", nullptr, true, 0},
    {"OtherIsEnglish", 1049, L"LangEn.dll", nullptr, false, 0},
        // Run as a test of their own with the system locale set (LC_ALL under Wine).
    {"SystemGerman", 0, L"LangDe.dll", L"BCGCBProResDEU.dll", false, 0x407},
};

class Languages : public ::testing::TestWithParam<LanguageCase> {};

// Each language loads its libraries; the menus come from Orvik's library; Arabic
// lays the frame out right to left and reads its message boxes right to left.
TEST_P(Languages, LoadsItsLibraries) {
    const LanguageCase& c = GetParam();
    if (!FileExists(kBin + L"\\" + c.orvikLib)) GTEST_SKIP() << "not built: " << Narrow(c.orvikLib);
    if (c.systemLang && GetSystemDefaultLangID() != c.systemLang)
        GTEST_SKIP() << "needs the system language " << std::hex << c.systemLang;
    OrvikFolder folder(kBin);
    folder.WriteSettings(Settings(L"bTolmira=0\r\nCamType=1\r\n", L"Lang=" + std::to_wstring(c.lang) + L"\r\n"));
    // Without the database the program says so in the chosen language.
    folder.Remove(L"data.mdb");
    OrvikRun run(folder);
    HWND frame = run.WaitMainWindow();
    ASSERT_NE(frame, nullptr);
    std::vector<std::wstring> modules = ModulesOf(run.Pid());
    static const wchar_t* kAllOrvik[] = {L"LangEn.dll", L"LangZh.dll", L"LangFr.dll", L"LangDe.dll",
                                         L"LangJa.dll", L"LangPl.dll", L"LangAr.dll"};
    static const wchar_t* kAllToolkit[] = {L"BCGCBProResCHS.dll", L"BCGCBProResKOR.dll", L"BCGCBProResFRA.dll",
                                           L"BCGCBProResDEU.dll", L"BCGCBProResJPN.dll", L"BCGCBProResPLK.dll"};
    for (const wchar_t* lib : kAllOrvik)
        EXPECT_EQ(HasModule(modules, lib), Lower(lib) == Lower(c.orvikLib)) << Narrow(lib);
    for (const wchar_t* lib : kAllToolkit)
        EXPECT_EQ(HasModule(modules, lib), c.toolkitLib && Lower(lib) == Lower(c.toolkitLib)) << Narrow(lib);

    // The bars' texts come from Orvik's library (menus of another process
    // cannot be read under Wine).
    LangLibrary lang(folder.Path(c.orvikLib));
    ASSERT_TRUE(lang.Loaded());
    wchar_t title[128] = {};
    GetWindowTextW(Bar(frame, 0xE800, TOOLBARCLASSNAMEW), title, 128);
    EXPECT_EQ(std::wstring(title), lang.String(59451));
    HWND pane = nullptr;
    for (const Child& ch : BarsOf(frame))
        if (ch.id == 32826) pane = ch.hwnd;
    EXPECT_TRUE(HasChildWithText(pane, lang.String(59444))) << "the pane's Video group";
    EXPECT_EQ((GetWindowLongW(frame, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0, c.rtl);

    std::vector<std::wstring> boxes = run.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(BoxField(boxes[0], 2), lang.String(59436));
    EXPECT_EQ((BoxFlags(boxes[0]) & MB_RTLREADING) != 0, c.rtl);
    EXPECT_EQ(run.Close(), 0ul);
}

INSTANTIATE_TEST_SUITE_P(Orvik, Languages, ::testing::ValuesIn(kLanguageCases),
                         [](const ::testing::TestParamInfo<LanguageCase>& i) { return std::string(i.param.name); });

// The languages that have a library of their own read differently from English.
TEST(OrvikLanguages, LibrariesAreTranslated) {
    OrvikFolder folder(kBin);
    LangLibrary en(folder.Path(L"LangEn.dll"));
    for (const wchar_t* lib : {L"LangZh.dll", L"LangFr.dll", L"LangDe.dll", L"LangJa.dll", L"LangPl.dll", L"LangAr.dll"}) {
        if (!FileExists(folder.Path(lib))) {
            std::printf("not built yet: %s\n", Narrow(lib).c_str());
            continue;
        }
        LangLibrary other(folder.Path(lib));
        ASSERT_TRUE(other.Loaded()) << Narrow(lib);
        EXPECT_NE(other.String(59473), en.String(59473)) << Narrow(lib);
    }
}

// A language command writes the language and starts the program again in it.
TEST(OrvikLanguages, MenuCommandRestartsInTheNewLanguage) {
    if (!FileExists(kBin + L"\\LangDe.dll")) GTEST_SKIP() << "LangDe.dll not built";
    OrvikFolder folder(kBin);
    folder.WriteSettings(Settings(L"bTolmira=0\r\nCamType=1\r\n", L"Lang=1033\r\nAppName=Orvik.exe\r\n"));
    OrvikRun run(folder);
    HWND frame = run.WaitMainWindow();
    ASSERT_NE(frame, nullptr);
    PostMessageW(frame, WM_COMMAND, MAKEWPARAM(32931, 0), 0);
    EXPECT_EQ(run.WaitExit(), 0u);
    EXPECT_EQ(GetPrivateProfileIntW(L"Gerneral", L"Lang", 0, folder.Path(L"setting.ini").c_str()), 1031u);

    // The new copy: another process with the same title.
    HWND second = nullptr;
    DWORD secondPid = 0;
    for (DWORD start = GetTickCount(); !second && GetTickCount() - start < 30000; Sleep(50)) {
        HWND w = FindWindowW(nullptr, L"Orvik Test");
        if (w && IsWindowVisible(w) && GetMenu(w)) {
            GetWindowThreadProcessId(w, &secondPid);
            if (secondPid != run.Pid()) second = w;
        }
    }
    ASSERT_NE(second, nullptr) << "no second copy came up";
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, secondPid);
    std::vector<std::wstring> modules = ModulesOf(secondPid);
    EXPECT_TRUE(HasModule(modules, L"LangDe.dll"));
    EXPECT_FALSE(HasModule(modules, L"LangEn.dll"));
    PostMessageW(second, WM_CLOSE, 0, 0);
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(WaitForSingleObject(process, 30000), WAIT_OBJECT_0);
    CloseHandle(process);
}

// ---------------------------------------------------------------- the database
TEST(OrvikDatabase, MissingFileIsReportedOnceAndTheProgramRuns) {
    const struct { bool present; } cases[] = {{true}, {false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.present ? "data.mdb present" : "data.mdb missing");
        OrvikFolder folder(kBin);
        folder.WriteSettings(Settings(L"bTolmira=0\r\nCamType=1\r\n", L"Lang=1033\r\n"));
        if (!c.present) folder.Remove(L"data.mdb");
        OrvikRun run(folder);
        ASSERT_NE(run.WaitMainWindow(), nullptr);
        std::vector<std::wstring> boxes = run.Boxes();
        if (c.present) {
            EXPECT_TRUE(boxes.empty());
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(BoxField(boxes[0], 1), L"");
            EXPECT_EQ(BoxField(boxes[0], 2), L"connect database failed, please check the file of data.mdb.");
        }
        EXPECT_EQ(run.Close(), 0ul);
    }
}

// ---------------------------------------------------------------- two copies
TEST(OrvikInstances, SecondCopyStartsLikeTheFirst) {
    OrvikFolder folder(kBin);
    folder.WriteSettings(Settings(L"bTolmira=0\r\nCamType=1\r\n", L""));
    OrvikRun first(folder);
    ASSERT_NE(first.WaitMainWindow(), nullptr);
    OrvikRun second(folder);
    ASSERT_NE(second.WaitMainWindow(), nullptr);
    EXPECT_TRUE(first.Running());
    EXPECT_EQ(second.Close(), 0u);
    EXPECT_EQ(first.Close(), 0u);
}

// ---------------------------------------------------------------- the auto-focus program
std::vector<std::wstring> TolmiraLog(const OrvikFolder& folder) {
    std::vector<std::wstring> lines;
    std::wstringstream in(ReadTextFile(folder.Path(L"tolmira.log")));
    std::wstring line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == L'\r' || line.back() == L' ')) line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

TEST(OrvikTolmira, StartedAndClosedAsSet) {
    const struct { int setting; bool started; bool closed; } cases[] = {
        {0, false, false}, {1, true, true}, {2, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        NoTolmiraLeft guard;
        OrvikFolder folder(kBin);
        folder.WriteSettings(Settings(L"CamType=1\r\nbTolmira=" + std::to_wstring(c.setting) + L"\r\n", L""));
        OrvikRun run(folder);
        ASSERT_NE(run.WaitMainWindow(), nullptr);
        HWND focus = nullptr;
        for (DWORD start = GetTickCount(); c.started && !focus && GetTickCount() - start < 10000; Sleep(50))
            focus = FindWindowW(nullptr, TOLMIRA_WINDOW_TITLE);
        EXPECT_EQ(focus != nullptr, c.started);
        DWORD focusPid = 0;
        if (focus) GetWindowThreadProcessId(focus, &focusPid);

        DWORD start = GetTickCount();
        EXPECT_EQ(run.Close(), 0ul);
        // Shut-down does not hang on a program it did not ask to close.
        EXPECT_LT(GetTickCount() - start, 10000u);
        std::vector<std::wstring> log = TolmiraLog(folder);
        if (!c.started) {
            EXPECT_TRUE(log.empty());
            continue;
        }
        ASSERT_GE(log.size(), 1u);
        EXPECT_EQ(log[0], L"start " + std::to_wstring(focusPid));
        EXPECT_EQ(log.size() == 2 && log[1] == L"close " + std::to_wstring(focusPid), c.closed);
    }
}

// ---------------------------------------------------------------- the toolkit's registry state
// The look kept in the workspace's section of any application under the toolkit's key.
bool StoredLook(DWORD& look) {
    HKEY app = nullptr;
    bool found = false;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\BCGP AppWizard-Generated Applications", 0, KEY_READ, &app) !=
        ERROR_SUCCESS)
        return false;
    wchar_t sub[256];
    for (DWORD i = 0; !found; ++i) {
        DWORD n = 256;
        if (RegEnumKeyExW(app, i, sub, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        std::wstring path = std::wstring(sub) + L"\\Settings";
        DWORD size = sizeof look;
        found = RegGetValueW(app, path.c_str(), L"ApplicationLook", RRF_RT_REG_DWORD, nullptr, &look, &size) ==
                ERROR_SUCCESS;
    }
    RegCloseKey(app);
    return found;
}

TEST(OrvikRegistry, ToolkitKeysAreWipedAtStartAndTheLookLastsOneRun) {
    HKEY h = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\BCGSoft\\x", 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr);
    RegCloseKey(h);
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\BCGP AppWizard-Generated Applications\\y", 0, nullptr, 0, KEY_WRITE,
                    nullptr, &h, nullptr);
    RegCloseKey(h);
    ASSERT_TRUE(KeyExists(L"Software\\BCGSoft\\x"));

    OrvikFolder folder(kBin);
    folder.WriteSettings(Settings(L"bTolmira=0\r\nCamType=1\r\n", L""));
    OrvikRun run(folder);
    HWND frame = run.WaitMainWindow();
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(KeyExists(L"Software\\BCGSoft\\x"));
    EXPECT_FALSE(KeyExists(L"Software\\BCGP AppWizard-Generated Applications\\y"));

    // A look chosen from the menu is kept in the workspace's section while the program runs.
    PostMessageW(frame, WM_COMMAND, MAKEWPARAM(32835, 0), 0);
    Settle(frame);
    DWORD look = 0;
    bool found = StoredLook(look);
    EXPECT_TRUE(found);
    EXPECT_EQ(look, 32835u);
    EXPECT_EQ(run.Close(), 0ul);
    // Shut-down removes the state of the run.
    EXPECT_FALSE(StoredLook(look));
}

}  // namespace
