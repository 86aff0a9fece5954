// Loads every language library (and this program's own English copy, linked
// from orvik_res_en) and checks, language by language, what Orvik and its
// toolkit look up in them: menus with their commands, toolbars and their
// bitmaps, dialogs with their controls, icons, the string table, the texts'
// language and the right-to-left layout of Arabic.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "Resource.h"
#include "OrvikHarness.h"
#include <algorithm>
#include <initializer_list>
#include <utility>
#include <string>
#include <vector>

namespace {

struct Language {
    const wchar_t* file;  // nullptr: this program's own resources
    LANGID langid;
    bool rtl;
};

const Language kLanguages[] = {
    {L"LangEn.dll", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), false},
    {L"LangZh.dll", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), false},
    {L"LangFr.dll", MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), false},
    {L"LangDe.dll", MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), false},
    {L"LangJa.dll", MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), false},
    {L"LangPl.dll", MAKELANGID(LANG_POLISH, SUBLANG_POLISH_POLAND), false},
    {L"LangAr.dll", MAKELANGID(LANG_ARABIC, SUBLANG_ARABIC_SAUDI_ARABIA), true},
    {nullptr, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), false},
};

const UINT RT_TOOLBAR_ID = 241;

std::wstring Name(const Language& l) { return l.file ? l.file : L"Orvik's own copy"; }

// The libraries sit in the program folder, ../bin from this test.
HMODULE Load(const Language& l) {
    if (!l.file) return GetModuleHandleW(nullptr);
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path);
    p = p.substr(0, p.find_last_of(L"\\/"));
    p = p.substr(0, p.find_last_of(L"\\/")) + L"\\bin\\" + l.file;
    return LoadLibraryExW(p.c_str(), nullptr, 0);
}

std::wstring String(HMODULE h, UINT id) {
    const wchar_t* p = nullptr;
    int n = LoadStringW(h, id, reinterpret_cast<LPWSTR>(&p), 0);
    return n > 0 ? std::wstring(p, n) : std::wstring();
}

bool HasString(HMODULE h, UINT id) {
    const wchar_t* p = nullptr;
    return LoadStringW(h, id, reinterpret_cast<LPWSTR>(&p), 0) > 0;
}

// Every command of a menu, with its text and type flags, depth first.
struct Item { UINT id; std::wstring text; UINT type; };
void Collect(HMENU m, std::vector<Item>& out, bool subMenus = true) {
    for (int i = 0, n = GetMenuItemCount(m); i < n; ++i) {
        wchar_t text[256] = {};
        MENUITEMINFOW mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE | MIIM_STRING;
        mi.dwTypeData = text;
        mi.cch = 255;
        ASSERT_TRUE(GetMenuItemInfoW(m, i, TRUE, &mi));
        out.push_back({mi.hSubMenu ? 0u : mi.wID, text, mi.fType});
        if (mi.hSubMenu && subMenus) Collect(mi.hSubMenu, out);
    }
}

std::vector<Item> MenuItems(HMODULE h, UINT menuId, int subMenu = -1) {
    std::vector<Item> items;
    HMENU m = LoadMenuW(h, MAKEINTRESOURCEW(menuId));
    if (!m) return items;
    if (subMenu < 0) Collect(m, items);
    else if (HMENU s = GetSubMenu(m, subMenu)) Collect(s, items);
    DestroyMenu(m);
    return items;
}

const Item* Find(const std::vector<Item>& items, UINT id) {
    for (const Item& i : items)
        if (i.id == id) return &i;
    return nullptr;
}

std::vector<UINT> Range(UINT first, UINT last) {
    std::vector<UINT> v;
    for (UINT i = first; i <= last; ++i) v.push_back(i);
    return v;
}

std::vector<UINT> Join(std::initializer_list<std::vector<UINT>> parts) {
    std::vector<UINT> v;
    for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
    return v;
}

// Button ids of a TOOLBAR resource as windres writes it (or with a version word).
std::vector<UINT> ToolbarButtons(HMODULE h, UINT id, SIZE* image) {
    std::vector<UINT> ids;
    HRSRC r = FindResourceW(h, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(RT_TOOLBAR_ID));
    if (!r) return ids;
    const BYTE* raw = static_cast<const BYTE*>(LockResource(LoadResource(h, r)));
    const WORD* w = reinterpret_cast<const WORD*>(raw);
    const DWORD* d = reinterpret_cast<const DWORD*>(raw);
    if (w[0] == 1) {
        *image = {w[1], w[2]};
        ids.assign(w + 4, w + 4 + w[3]);
    } else {
        *image = {(LONG)d[0], (LONG)d[1]};
        ids.assign(d + 3, d + 3 + d[2]);
    }
    return ids;
}

// A bitmap resource read back as top-down 0xRRGGBB pixels.
struct Pixels {
    int width = 0, height = 0;
    std::vector<DWORD> rgb;
    DWORD At(int x, int y) const { return rgb[(size_t)y * width + x]; }
};
Pixels ReadBitmap(HMODULE h, UINT id) {
    Pixels p;
    HBITMAP b = (HBITMAP)LoadImageW(h, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    if (!b) return p;
    BITMAP bm = {};
    GetObjectW(b, sizeof bm, &bm);
    BITMAPINFO bi = orvik_test::TopDownInfo(bm.bmWidth, bm.bmHeight);
    p.rgb.resize((size_t)bm.bmWidth * bm.bmHeight);
    HDC dc = GetDC(nullptr);
    if (GetDIBits(dc, b, 0, bm.bmHeight, p.rgb.data(), &bi, DIB_RGB_COLORS) == bm.bmHeight) {
        p.width = bm.bmWidth;
        p.height = bm.bmHeight;
        for (DWORD& v : p.rgb) v &= 0xFFFFFF;
    } else {
        p.rgb.clear();
    }
    ReleaseDC(nullptr, dc);
    DeleteObject(b);
    return p;
}

// Image i of a strip of 16 pixel wide images: how many pixels show the key
// colour, and how many differ from image j.
int KeyPixels(const Pixels& p, int i, DWORD key) {
    int n = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < 16; ++x) n += p.At(i * 16 + x, y) == key;
    return n;
}
int DifferentPixels(const Pixels& p, int i, int j) {
    int n = 0;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < 16; ++x) n += p.At(i * 16 + x, y) != p.At(j * 16 + x, y);
    return n;
}

// Each image of a strip keeps the key colour round a picture of its own.
void ExpectDistinctImages(const Pixels& p, const std::vector<UINT>& commands, DWORD key, const char* what) {
    const int size = 16 * p.height;
    for (size_t i = 0; i < commands.size(); ++i) {
        int keyed = KeyPixels(p, (int)i, key);
        EXPECT_GE(keyed, 8) << what << ": image " << i << " (command " << commands[i] << ") has no key colour round it";
        EXPECT_GE(size - keyed, size / 5) << what << ": image " << i << " (command " << commands[i] << ") is nearly empty";
        for (size_t j = 0; j < i; ++j) {
            if (commands[i] == commands[j]) continue;
            EXPECT_GE(DifferentPixels(p, (int)i, (int)j), 10)
                << what << ": commands " << commands[j] << " and " << commands[i] << " share one image";
        }
    }
}

BITMAP BitmapInfo(HMODULE h, UINT id) {
    BITMAP bm = {};
    if (HBITMAP b = (HBITMAP)LoadImageW(h, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)) {
        GetObjectW(b, sizeof bm, &bm);
        DeleteObject(b);
    }
    return bm;
}

BOOL CALLBACK FirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD lang, LONG_PTR p) {
    *reinterpret_cast<LANGID*>(p) = lang;
    return FALSE;
}

LANGID ResourceLanguage(HMODULE h, LPCWSTR type, LPCWSTR name) {
    LANGID found = 0;
    EnumResourceLanguagesW(h, type, name, FirstLanguage, reinterpret_cast<LONG_PTR>(&found));
    return found;
}

INT_PTR CALLBACK NoDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The English texts as they stand, also in the program's own copy.
const struct { UINT id; const wchar_t* text; } kEnglish[] = {
    {IDS_NO_CAPTURE_HARDWARE, L"Sorry, you have no video capture hardware.\n\nVideo capture will not function properly."},
    {IDS_DB_CONNECT_FAILED, L"connect database failed, please check the file of data.mdb."},
    {IDS_HINT, L"Hint"},
    {IDS_GROUP_VIDEO, L"Video"},
    {IDS_GROUP_ADJUST, L"Adjust"},
    {IDS_GROUP_CAPTURE, L"Capture"},
    {IDS_TASK_CAPTURE_SETTING, L"Capture setting"},
    {IDS_CAMERA_PANE, L"Camera Pane"},
    {IDS_TOOLBAR_REALTIME, L"Realtime"},
    {IDS_TOOLBAR_CAMERA, L"Camera"},
    {IDS_TOOLBAR_LOGIC, L"Logic"},
    {IDS_TOOLBAR_PROCESSING, L"Image Processing"},
    {IDS_TOOLBAR_MEASUREMENT, L"Image Measurement"},
    {IDS_TOOLBAR_CUSTOMIZE, L"Customize..."},
    {IDS_SAVE_IMAGE_PROMPT, L"Do you want to save Image?"},
    {IDS_CANNOT_PREVIEW, L"Cannot preview successfully.Please check your camera."},
    {ID_INDICATOR_CAPS, L"CAP"},
    {ID_INDICATOR_NUM, L"NUM"},
    {ID_INDICATOR_SCRL, L"SCRL"},
    {AFX_IDS_IDLEMESSAGE, L"Ready"},
    {IDS_IMAGE_CONTRAST, L"ImageConstrast"},
    {IDS_EXPOSURE, L"Exposure"}, {IDS_GAIN, L"Gain"}, {IDS_RED, L"Red"}, {IDS_GREEN, L"Green"},
    {IDS_BLUE, L"Blue"}, {IDS_GAMMA, L"Gamma"}, {IDS_SATURATION, L"Saturation"},
    {IDS_AUTO_EXP, L"AutoExp"}, {IDS_AUTO_WB, L"Auto white balance"}, {IDS_DATABASE, L"Database"},
    {IDS_DEFAULT, L"Default"}, {IDS_TIP_AUTO_EXPOSURE, L"Auto exposure"},
    {IDS_TIP_AUTO_WB, L"Auto white balance"}, {IDS_TIP_DATABASE, L"Manage camera param"},
    {IDS_TIP_DEFAULT, L"Recover default value"}, {IDS_MULTI_CAPTURE, L"MultiCapture"},
    {IDS_RECORD_VIDEO, L"RecordVideo"}, {IDS_STOP, L"Stop"}, {IDS_PAUSE, L"Pause"},
    {IDS_TIP_PAUSE, L"Pause video"}, {IDS_LIVE, L"Live"}, {IDS_TIP_LIVE, L"Resume video"},
    {IDS_MASK_DEPTH, L"Only support 24-bit or 32-bit images!"}, {IDS_OK, L"OK"}, {IDS_CANCEL, L"Cancel"},
    {IDS_ENTER_ITEM_NAME, L"Please input the itemname."},
    {IDS_TIP_APPLY, L"Apply the selected item to the camera"}, {IDS_TIP_EXIT, L"Close this dialog"},
    {IDS_CAPTURE, L"Capture"}, {IDS_TIP_BROWSE, L"Select path"}, {IDS_START, L"Start"},
    {IDS_SELECT_PATH_FIRST, L"Please select path first"}, {IDS_TIP_DELETE, L"Delete the selected item"},
    {IDS_TIP_ADD, L"Add the current params to the item list"}, {IDS_CONFIRM_DELETE, L"Delete the item ?"},
    {IDS_CONFIRM, L"Confirm"}, {IDS_NAME_EXISTS, L"Item name already exists."},
    {IDS_CONFIRM_APPLY, L"Apply the selected item ?"},
    {IDS_DELETE_ALL_MEASURES, L"Do you want to delete all Measures?"},
    {IDS_SAVE_MEASURES, L"Do you want to save measurement data to image?"},
    {ID_RELOAD_CAMERA, L"Reload camera"},
    {ID_MASK_DIVIDE, L"Divide"},
    {ID_MEASURE_POINT, L"Point"},
    {IDS_CHOOSE_COLOR, L"Please choose a colour."},
    {IDS_UNIT_POSITIVE, L"Please enter a number of pixels greater than 0."},
};

// Menu texts quoted for the live and still-image menus.
const struct { UINT menu; UINT id; const wchar_t* text; } kEnglishMenu[] = {
    {IDR_PREVIEWTYPE, ID_CAPTURE, L"Capture"},
    {IDR_PREVIEWTYPE, ID_RECORD, L"Record"},
    {IDR_PREVIEWTYPE, ID_ZOOM_SUITABLE, L"Suitable"},
    {IDR_PREVIEWTYPE, ID_ZOOM_REAL, L"Real"},
    {IDR_PREVIEWTYPE, ID_FLIP_HORIZONTAL, L"Flip Horizontal"},
    {IDR_PREVIEWTYPE, ID_FLIP_VERTICAL, L"Flip Vertical"},
    {IDR_PELLIXTYPE, ID_FILTER_CLEAR_NOISE, L"Clear noise"},
    {IDR_PELLIXTYPE, ID_MASK_MULTIPLY, L"MULTIPLY"},
    {IDR_PELLIXTYPE, ID_MARKER_SETTING, L"Marker setting"},
    {IDR_STILLTYPE, ID_FILE_SAVE, L"&Save Ctrl+S"},
    {IDR_STILLTYPE, ID_FILE_SAVE_AS, L"Save &As..."},
    {IDR_STILLTYPE, ID_EDIT_UNDO, L"&Undo Ctrl+Z"},
    {IDR_STILLTYPE, ID_EDIT_REDO, L"&Redo Ctrl+Z"},
    {IDR_STILLTYPE, ID_IMG_ROTATE_ANY, L"&Any Angle..."},
    {IDR_STILLTYPE, ID_IMG_ZOOM_IN, L"Zoom &In +"},
    {IDR_STILLTYPE, ID_MEAS_GENERATE_DATA, L"&Generate Measure Data"},
    {IDR_STILLTYPE, ID_MEAS_TOOL_SET, L"&MeasureToolSet"},
};

// Strings every language translates (shown by the frame, the pane and start-up).
const UINT kTranslated[] = {
    IDS_NO_CAPTURE_HARDWARE, IDS_DB_CONNECT_FAILED, IDS_HINT, IDS_GROUP_VIDEO, IDS_GROUP_ADJUST,
    IDS_GROUP_CAPTURE, IDS_TASK_CAPTURE_SETTING, IDS_CAMERA_PANE, IDS_TOOLBAR_REALTIME,
    IDS_TOOLBAR_CAMERA, IDS_TOOLBAR_LOGIC, IDS_TOOLBAR_PROCESSING, IDS_TOOLBAR_MEASUREMENT,
    IDS_TOOLBAR_CUSTOMIZE, IDS_SAVE_IMAGE_PROMPT, IDS_CANNOT_PREVIEW, IDS_ABOUT_ITEM,
    AFX_IDS_IDLEMESSAGE, IDS_IMAGE_CONTRAST, IDS_EXPOSURE, IDS_TIP_DEFAULT, IDS_TIP_LIVE, IDS_MASK_DEPTH,
    IDS_ENTER_ITEM_NAME, IDS_SELECT_PATH_FIRST, IDS_CONFIRM_DELETE, IDS_NAME_EXISTS, IDS_DELETE_ALL_MEASURES,
    IDS_SAVE_MEASURES, IDS_CHOOSE_COLOR, IDS_UNIT_POSITIVE,
};

// Dialogs and the controls their code reaches by id.
const struct { UINT id; std::vector<UINT> controls; bool child; } kDialogs[] = {
    {IDD_ABOUTBOX, {IDC_ABOUT_LINK, IDC_ABOUT_TITLE, IDOK}, false},
    {IDD_PELLIX_ADJUST, Join({{1004, 1008, 1012, 1016, 1020, 1024, 1028, 1026, 1027, 1029, 1030, 1031, 1033,
                               1034, 1035, 1038, 1039, 1040, 1041, 1042, 1043, 1044, 1036, 1045, 1047,
                               1037, 1046, 1048, 1052, 1054, 1063, 1082, 1090}}), true},
    {IDD_CAPTURE_BOX, {1053, 1054, 1057, 1083, 1084, 1085, 1086, 1087, 1088, 1089, 1090, 1091, 1092, 1093,
                       1094, 1095, 1122, 1123, 1124, 1125, 1126, 1127}, true},
    {IDD_VIDEO_BOX, {1000, 1001, 1054, 1055, 1099, 1100, 1104, 1105, 1106, 1107}, true},
    {IDD_CAPTURE_SET, {1060, 1061, 1062, 1063, 1073, 1074, IDOK, IDCANCEL}, false},
    {IDD_MEASURE_COLOR, {1067, 1068, 1069, 1070, IDOK, IDCANCEL}, false},
    {IDD_THRESHOLD, {1059, 1061, IDOK, IDCANCEL}, false},
    {IDD_RATIO, {1059, 1061, IDOK, IDCANCEL}, false},
    {IDD_MARKER, {1072, 1070, 1054, 1055, 1071, IDOK, IDCANCEL}, false},
    {IDD_UVC_PANEL, {1076, 1080, 1028, 1024, 1085, 1021, 1012, 1016, 1020, 1121, 1119, 1120, 1118, 1117,
                     1113, 1116, 1115, 1114, 1077, 1078, 1079, 1082, 1081, 1083, 1046, 1037, 1048, 1045,
                     1036, 1047, 1049, 1050, 1051, 1055, 1053, 1056, 1035, 1034, 1038, 1040, 1039, 1041,
                     1043, 1042, 1044, 1084, 1128, 1054, 1063}, true},
    {IDD_HESTRAL_ADJUST, {1028, 1080, 1024, 1012, 1016, 1020, 1008, 1098, 1094, 1046, 1037, 1048, 1082,
                          1081, 1083, 1045, 1036, 1047, 1035, 1034, 1038, 1040, 1039, 1041, 1043, 1042,
                          1044, 1031, 1030, 1033, 1092, 1091, 1093, 1096, 1095, 1097, 1088, 1090, 1054,
                          1102, 1103}, true},
};

// The combo-box items of a dialog's initial data (RT_DLGINIT), by control.
std::vector<std::pair<UINT, std::string>> DialogInitData(HMODULE h, UINT dialog) {
    std::vector<std::pair<UINT, std::string>> items;
    HRSRC r = FindResourceW(h, MAKEINTRESOURCEW(dialog), MAKEINTRESOURCEW(240));
    if (!r) return items;
    const BYTE* p = static_cast<const BYTE*>(LockResource(LoadResource(h, r)));
    const BYTE* end = p + SizeofResource(h, r);
    while (p + 2 <= end && *reinterpret_cast<const WORD*>(p)) {
        if (p + 8 > end) break;
        WORD id = *reinterpret_cast<const WORD*>(p);
        WORD msg = *reinterpret_cast<const WORD*>(p + 2);
        DWORD len = *reinterpret_cast<const DWORD*>(p + 4);
        p += 8;
        if (msg != 0x0403 || len == 0 || p + len > end || p[len - 1] != 0) {
            items.push_back({0, "malformed"});
            break;
        }
        items.push_back({id, std::string(reinterpret_cast<const char*>(p), len - 1)});
        p += len;
    }
    return items;
}

class LangResources : public ::testing::TestWithParam<Language> {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        h = Load(GetParam());
        ASSERT_NE(h, nullptr) << "cannot load " << testing::PrintToString(Name(GetParam()));
        english = Load(kLanguages[0]);
        ASSERT_NE(english, nullptr);
    }
    HMODULE h = nullptr;
    HMODULE english = nullptr;
};

TEST_P(LangResources, EveryResourceIsThere) {
    for (UINT id : {IDR_MAINFRAME, IDR_PELLIXTYPE, IDR_MYMENU, IDR_POPUP_MDITABS, IDR_POPUP_DROP_MDITABS,
                    IDR_PREVIEWTYPE, IDR_STILLTYPE, IDR_REALTIME_MENU, IDR_LOGIC_MENU})
        EXPECT_TRUE(FindResourceW(h, MAKEINTRESOURCEW(id), RT_MENU)) << "menu " << id;
    for (UINT id : {IDR_TOOLBAR_CAMERA, IDR_TOOLBAR_REALTIME, IDR_TOOLBAR_LOGIC, IDR_TOOLBAR_PROCESSING,
                    IDR_TOOLBAR_MEASUREMENT}) {
        EXPECT_TRUE(FindResourceW(h, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(RT_TOOLBAR_ID))) << "toolbar " << id;
        EXPECT_TRUE(FindResourceW(h, MAKEINTRESOURCEW(id), RT_BITMAP)) << "toolbar bitmap " << id;
    }
    for (UINT id : {IDB_TOOLBAR_EXTRA1, IDB_TOOLBAR_EXTRA2, IDB_TOOLBAR_EXTRA3, IDB_TASKPANE_ICONS, IDB_SPLASH,
                    IDB_AUTO_EXPOSURE, IDB_AUTO_WB, IDB_DEFAULT, IDB_DATABASE})
        EXPECT_TRUE(FindResourceW(h, MAKEINTRESOURCEW(id), RT_BITMAP)) << "bitmap " << id;
    for (const auto& d : kDialogs)
        EXPECT_TRUE(FindResourceW(h, MAKEINTRESOURCEW(d.id), RT_DIALOG)) << "dialog " << d.id;
    for (UINT id : {IDR_MAINFRAME, IDR_PELLIXTYPE, IDR_PREVIEWTYPE, IDR_STILLTYPE})
        EXPECT_TRUE(LoadImageW(h, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0)) << "icon " << id;
    std::vector<UINT> strings = Join({{IDR_MAINFRAME, IDR_PELLIXTYPE, IDR_PREVIEWTYPE, IDR_STILLTYPE,
                                       AFX_IDS_APP_TITLE, AFX_IDS_IDLEMESSAGE},
                                      Range(59137, 59139), Range(59402, 59406), {59435, 59436, 59441},
                                      Range(59444, 59447), Range(59449, 59455), {59470, 59473, 59474}});
    for (UINT id : strings) EXPECT_TRUE(HasString(h, id)) << "string " << id;
    EXPECT_EQ(ResourceLanguage(h, RT_MENU, MAKEINTRESOURCEW(IDR_MAINFRAME)), GetParam().langid);
    EXPECT_EQ(ResourceLanguage(h, RT_DIALOG, MAKEINTRESOURCEW(IDD_ABOUTBOX)), GetParam().langid);
}

TEST_P(LangResources, MenusHoldTheirCommands) {
    struct { UINT menu; int sub; std::vector<UINT> ids; } menus[] = {
        // Everything the frame and the application handle without a document.
        {IDR_MAINFRAME, -1, Join({{57600, 57601, 57665, 32770, 32771, 32823}, Range(32833, 32842),
                                  Range(32852, 32856), {32907}, Range(32929, 32935),
                                  {32945, 57664, 32860, 32861, 32862, 32909, 32920}})},
        {IDR_PREVIEWTYPE, -1, {57600, 57601, 57665, 32861, 32862, 32909, 32866, 32867, 32863, 32864,
                               32929, 32945, 57664}},
        {IDR_PELLIXTYPE, -1, Join({{32862, 32863, 32864, 32865, 32866, 32867}, Range(32869, 32879),
                                   Range(32881, 32890), {32893, 32894, 32909, 33829, 57664}})},
        {IDR_STILLTYPE, -1, {57603, 57604, 32911, 32772, 32774, 32775, 32776, 32912, 32913, 32914, 32777,
                             32778, 32779, 32780, 32781, 32782, 32799, 32783, 32784, 57643, 57644, 32786,
                             32788, 32789, 32790, 32791, 32824, 32825, 32916, 32919, 57664, 32930}},
        {IDR_POPUP_MDITABS, 0, {32852, 32853, 32854, 32856}},
        {IDR_POPUP_DROP_MDITABS, 0, {32852, 32853, 32854, 32856, 32855}},
        {IDR_REALTIME_MENU, 0, {ID_THRESHOLD}},
        {IDR_LOGIC_MENU, 0, {ID_RATIO}},
        {IDR_MYMENU, 0, {ID_EDIT_COPY}},
    };
    for (const auto& m : menus) {
        std::vector<Item> items = MenuItems(h, m.menu, m.sub);
        for (UINT id : m.ids) EXPECT_TRUE(Find(items, id)) << "menu " << m.menu << " lacks " << id;
    }
    // Sub-menu 0 of the drop-down menus holds only the drop-down's command.
    EXPECT_EQ(MenuItems(h, IDR_REALTIME_MENU, 0).size(), 1u);
    EXPECT_EQ(MenuItems(h, IDR_LOGIC_MENU, 0).size(), 1u);
    // The keys the still-image menu names.
    HACCEL acc = LoadAcceleratorsW(h, MAKEINTRESOURCEW(IDR_STILLTYPE));
    ASSERT_TRUE(acc);
    ACCEL keys[8] = {};
    int n = CopyAcceleratorTableW(acc, keys, 8);
    ASSERT_EQ(n, 2);
    EXPECT_TRUE(keys[0].key == 'S' && keys[0].cmd == ID_FILE_SAVE && (keys[0].fVirt & FCONTROL));
    EXPECT_TRUE(keys[1].key == 'Z' && keys[1].cmd == ID_EDIT_UNDO && (keys[1].fVirt & FCONTROL));
    DestroyAcceleratorTable(acc);
    // Each language is named in its own script everywhere.
    std::vector<Item> items = MenuItems(h, IDR_MAINFRAME);
    const wchar_t* names[] = {L"中文", L"English", L"Deutsch", L"Français", L"日本語", L"العربية", L"Polski"};
    for (UINT i = 0; i < 7; ++i) {
        const Item* it = Find(items, ID_LANG_CHINESE + i);
        ASSERT_TRUE(it);
        EXPECT_EQ(it->text, names[i]);
    }
}

TEST_P(LangResources, ToolbarsAndTheirBitmaps) {
    struct { UINT id; std::vector<UINT> must; } bars[] = {
        {IDR_TOOLBAR_CAMERA, {ID_FILE_NEW, ID_FILE_OPEN, ID_PREVIEW_CAMERA, ID_SAVE_STILL, ID_RECORD,
                              ID_CAPTURE_TO_VIEW, ID_CAPTURE_SETTING, ID_AUTO_FOCUS}},
        {IDR_TOOLBAR_REALTIME, {ID_REALTIME_DROPDOWN, ID_FILTER_GRAY, ID_FILTER_EQUALIZE}},
        {IDR_TOOLBAR_LOGIC, {ID_LOGIC_DROPDOWN, ID_MASK_AND, ID_MASK_LOAD}},
        {IDR_TOOLBAR_PROCESSING, {ID_IMG_INVERT, ID_IMG_ROTATE_ANY, ID_EDIT_UNDO}},
        {IDR_TOOLBAR_MEASUREMENT, {ID_MEAS_LINE, ID_MEAS_CALIBRATION, ID_MEAS_SHOW_RULER}},
    };
    for (const auto& b : bars) {
        SIZE image = {};
        std::vector<UINT> ids = ToolbarButtons(h, b.id, &image);
        EXPECT_EQ(image.cx, 16);
        EXPECT_EQ(image.cy, 15);
        for (UINT id : b.must)
            EXPECT_NE(std::find(ids.begin(), ids.end(), id), ids.end()) << "toolbar " << b.id << " lacks " << id;
        // One 16 x 15 image per button, in the toolbar's own bitmap.
        size_t buttons = std::count_if(ids.begin(), ids.end(), [](UINT id) { return id != 0; });
        BITMAP bm = BitmapInfo(h, b.id);
        EXPECT_EQ(bm.bmWidth, (LONG)(16 * buttons)) << "toolbar bitmap " << b.id;
        EXPECT_EQ(bm.bmHeight, 15);
    }
    // The extra images of the Camera, Logic and Realtime bars match those bars.
    const UINT extras[][2] = {{IDB_TOOLBAR_EXTRA1, IDR_TOOLBAR_CAMERA}, {IDB_TOOLBAR_EXTRA2, IDR_TOOLBAR_LOGIC},
                              {IDB_TOOLBAR_EXTRA3, IDR_TOOLBAR_REALTIME}};
    for (const auto& e : extras) EXPECT_EQ(BitmapInfo(h, e[0]).bmWidth, BitmapInfo(h, e[1]).bmWidth);
    BITMAP splash = BitmapInfo(h, IDB_SPLASH);
    EXPECT_EQ(splash.bmWidth, 600);
    EXPECT_EQ(splash.bmHeight, 335);
    EXPECT_EQ(splash.bmBitsPixel, 24);
    BITMAP icons = BitmapInfo(h, IDB_TASKPANE_ICONS);
    EXPECT_EQ(icons.bmHeight, 16);
    EXPECT_GE(icons.bmWidth, 16 * 3);  // the pane's task uses icon 2
    for (UINT id : {IDB_AUTO_EXPOSURE, IDB_AUTO_WB, IDB_DEFAULT, IDB_DATABASE}) {
        BITMAP button = BitmapInfo(h, id);
        EXPECT_EQ(button.bmWidth, 16) << id;
        EXPECT_EQ(button.bmHeight, 16) << id;
    }
}

// Read back as the toolbars load them: one 16 x 15 image per button on the
// grey key colour (RGB 192, 192, 192), each command with a picture of its
// own; the extra strips are their bars' images; the task-pane icons 16
// pixels on magenta.
TEST_P(LangResources, EachButtonHasAnImageOfItsOwn) {
    for (UINT bar : {IDR_TOOLBAR_CAMERA, IDR_TOOLBAR_REALTIME, IDR_TOOLBAR_LOGIC, IDR_TOOLBAR_PROCESSING,
                     IDR_TOOLBAR_MEASUREMENT}) {
        SIZE image = {};
        std::vector<UINT> commands = ToolbarButtons(h, bar, &image);
        commands.erase(std::remove(commands.begin(), commands.end(), 0u), commands.end());
        Pixels p = ReadBitmap(h, bar);
        ASSERT_EQ(p.width, (int)(16 * commands.size())) << "toolbar " << bar;
        ASSERT_EQ(p.height, image.cy) << "toolbar " << bar;
        std::string what = "toolbar " + std::to_string(bar);
        ExpectDistinctImages(p, commands, 0xC0C0C0, what.c_str());
        const UINT extras[][2] = {{IDB_TOOLBAR_EXTRA1, IDR_TOOLBAR_CAMERA}, {IDB_TOOLBAR_EXTRA2, IDR_TOOLBAR_LOGIC},
                                  {IDB_TOOLBAR_EXTRA3, IDR_TOOLBAR_REALTIME}};
        for (const auto& e : extras) {
            if (e[1] != bar) continue;
            EXPECT_TRUE(ReadBitmap(h, e[0]).rgb == p.rgb) << "bitmap " << e[0];
        }
    }
    Pixels pane = ReadBitmap(h, IDB_TASKPANE_ICONS);
    ASSERT_EQ(pane.height, 16);
    ASSERT_EQ(pane.width % 16, 0);
    std::vector<UINT> icons;
    for (int i = 0; i < pane.width / 16; ++i) icons.push_back(i);
    ExpectDistinctImages(pane, icons, 0xFF00FF, "task pane");
}

// The splash picture and the About box's banner are pictures, not a plain colour.
TEST_P(LangResources, SplashAndAboutArePictures) {
    for (UINT id : {IDB_SPLASH, IDB_ABOUT}) {
        Pixels p = ReadBitmap(h, id);
        ASSERT_FALSE(p.rgb.empty()) << "bitmap " << id;
        std::vector<DWORD> colours(p.rgb);
        std::sort(colours.begin(), colours.end());
        size_t distinct = std::unique(colours.begin(), colours.end()) - colours.begin();
        EXPECT_GT(distinct, 200u) << "bitmap " << id;
    }
    BITMAP about = BitmapInfo(h, IDB_ABOUT);
    EXPECT_EQ(about.bmHeight, 44);
}

// The About box shows the English library's banner as it reads, also when the
// box is mirrored (Arabic).
TEST_P(LangResources, AboutBannerReadsLeftToRight) {
    HRSRC r = FindResourceW(h, MAKEINTRESOURCEW(IDD_ABOUTBOX), RT_DIALOG);
    ASSERT_TRUE(r);
    auto tmpl = static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(h, r)));
    HWND dlg = CreateDialogIndirectParamW(h, tmpl, nullptr, NoDialogProc, 0);
    ASSERT_TRUE(dlg);
    HWND banner = nullptr;
    for (HWND c = GetWindow(dlg, GW_CHILD); c && !banner; c = GetWindow(c, GW_HWNDNEXT))
        if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP) banner = c;
    ASSERT_TRUE(banner);
    SetWindowPos(dlg, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT br;
    GetWindowRect(banner, &br);
    Pixels drawn = ReadBitmap(english, IDB_ABOUT);
    ASSERT_EQ(br.right - br.left, drawn.width);
    orvik_test::Shot shown = orvik_test::CaptureScreen(br);
    ASSERT_EQ(shown.width, drawn.width);
    int same = 0, mirrored = 0;
    // Only where the banner differs from its mirror image (its picture and texts).
    for (int y = 0; y < drawn.height; ++y)
        for (int x = 0; x < drawn.width; ++x) {
            if (drawn.At(x, y) == drawn.At(drawn.width - 1 - x, y)) continue;
            same += shown.At(x, y) == drawn.At(x, y);
            mirrored += shown.At(x, y) == drawn.At(drawn.width - 1 - x, y);
        }
    DestroyWindow(dlg);
    EXPECT_GT(same, mirrored * 2) << "the banner shows mirrored";
}

TEST_P(LangResources, DialogsCreateWithTheirControls) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 600, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(parent);
    for (const auto& d : kDialogs) {
        HRSRC r = FindResourceW(h, MAKEINTRESOURCEW(d.id), RT_DIALOG);
        ASSERT_TRUE(r) << d.id;
        auto tmpl = static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(h, r)));
        HWND dlg = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), tmpl, parent, NoDialogProc, 0);
        ASSERT_TRUE(dlg) << "dialog " << d.id << " error " << GetLastError();
        for (UINT c : d.controls) EXPECT_TRUE(GetDlgItem(dlg, c)) << "dialog " << d.id << " lacks " << c;
        LONG style = GetWindowLongW(dlg, GWL_STYLE);
        EXPECT_EQ((style & WS_CHILD) != 0, d.child) << "dialog " << d.id;
        LONG ex = GetWindowLongW(dlg, GWL_EXSTYLE);
        EXPECT_EQ((ex & WS_EX_LAYOUTRTL) != 0, GetParam().rtl) << "dialog " << d.id;
        DestroyWindow(dlg);
    }
    DestroyWindow(parent);
}

TEST_P(LangResources, ComboItemsOfTheDialogs) {
    using Items = std::vector<std::pair<UINT, std::string>>;
    EXPECT_EQ(DialogInitData(h, IDD_CAPTURE_BOX), (Items{{IDC_CAP_TYPE, ".bmp"}, {IDC_CAP_TYPE, ".jpg"}}));
    Items set = DialogInitData(h, IDD_CAPTURE_SET);
    // Index n of each combo is the reduction factor 2n (1 for index 0).
    Items x = {{0, "2592X1944(100%)"}, {0, "1296X972(50%)"}};
    Items y = {{0, "1944px(100%)"}, {0, "972px(50%)"}, {0, "486px(25%)"}};
    Items want;
    for (auto [id, texts] : {std::make_pair(IDC_CS_SINGLE_X, x), std::make_pair(IDC_CS_SINGLE_Y, y),
                             std::make_pair(IDC_CS_MULTI_X, x), std::make_pair(IDC_CS_MULTI_Y, y)})
        for (auto& t : texts) want.push_back({(UINT)id, t.second});
    EXPECT_EQ(set, want);
}

TEST_P(LangResources, TextsInTheirLanguage) {
    const bool isEnglish = PRIMARYLANGID(GetParam().langid) == LANG_ENGLISH;
    if (isEnglish) {
        for (const auto& s : kEnglish) EXPECT_EQ(String(h, s.id), s.text) << "string " << s.id;
        EXPECT_EQ(String(h, IDS_ABOUT_ITEM).rfind(L"&About", 0), 0u);
        for (const auto& m : kEnglishMenu) {
            std::vector<Item> items = MenuItems(h, m.menu);
            const Item* it = Find(items, m.id);
            ASSERT_TRUE(it) << m.id;
            EXPECT_EQ(it->text, m.text) << "menu " << m.menu << " item " << m.id;
        }
    } else {
        for (UINT id : kTranslated) EXPECT_NE(String(h, id), String(english, id)) << "string " << id;
        // The menu bar's own titles and the frame's commands are translated too.
        std::vector<Item> mine, theirs;
        HMENU a = LoadMenuW(h, MAKEINTRESOURCEW(IDR_MAINFRAME)), b = LoadMenuW(english, MAKEINTRESOURCEW(IDR_MAINFRAME));
        Collect(a, mine, false);
        Collect(b, theirs, false);
        ASSERT_EQ(mine.size(), theirs.size());
        for (size_t i = 0; i < mine.size(); ++i) EXPECT_NE(mine[i].text, theirs[i].text) << "menu bar item " << i;
        DestroyMenu(a);
        DestroyMenu(b);
        for (UINT id : {ID_FILE_OPEN, ID_APP_EXIT, ID_PREVIEW_CAMERA, ID_WINDOW_MANAGER, ID_HELP_MANUAL})
            EXPECT_NE(Find(MenuItems(h, IDR_MAINFRAME), id)->text, Find(MenuItems(english, IDR_MAINFRAME), id)->text)
                << "command " << id;
    }
    // The document strings keep MFC's "\n"-separated form: the document name is field 2.
    for (UINT id : {IDR_PELLIXTYPE, IDR_PREVIEWTYPE, IDR_STILLTYPE}) {
        std::wstring s = String(h, id);
        EXPECT_EQ(s[0], L'\n') << id;
        EXPECT_EQ(std::count(s.begin(), s.end(), L'\n'), 6) << id;
    }
    // Right-to-left menus for Arabic, left-to-right for everyone else; the
    // menu bar's own items never right-ordered (the mirrored frame orders them).
    for (UINT id : {IDR_MAINFRAME, IDR_PREVIEWTYPE, IDR_PELLIXTYPE, IDR_STILLTYPE}) {
        HMENU bar = LoadMenuW(h, MAKEINTRESOURCEW(id));
        ASSERT_TRUE(bar) << id;
        std::vector<Item> top;
        Collect(bar, top, false);
        for (size_t i = 0; i < top.size(); ++i) {
            EXPECT_FALSE(top[i].type & MFT_RIGHTORDER) << "menu " << id << ", bar item " << i;
            std::vector<Item> items;
            Collect(GetSubMenu(bar, (int)i), items);
            for (const Item& it : items) {
                if (it.type & MFT_SEPARATOR) continue;
                EXPECT_EQ((it.type & MFT_RIGHTORDER) != 0, GetParam().rtl) << "menu " << id << ", item " << it.id;
            }
        }
        DestroyMenu(bar);
    }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, LangResources, ::testing::ValuesIn(kLanguages),
                         [](const ::testing::TestParamInfo<Language>& i) {
                             std::string n;
                             for (const wchar_t* p = i.param.file ? i.param.file : L"Program"; *p && *p != L'.'; ++p)
                                 n += (char)*p;
                             return n;
                         });

}  // namespace
