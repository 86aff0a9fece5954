#include "CameraCore.h"
#include <algorithm>
#include <cstdlib>
#include "HestralRes.h"
#include "HestralText.h"

namespace {

const char* TeamKey(int team)
{
    switch (team) {
    case 1: return "Software\\Tessavin\\KX410\\setupb";
    case 2: return "Software\\Tessavin\\KX410\\setupc";
    case 3: return "Software\\Tessavin\\KX410\\setupd";
    default: return "Software\\Tessavin\\KX410\\setupa";
    }
}

const char* const kMatrixNames[9] = {"R00 Mt", "R01 Mt", "R02 Mt", "G00 Mt", "G01 Mt",
                                     "G02 Mt", "B00 Mt", "B01 Mt", "B02 Mt"};
const int kMatrixDefaults[9] = {8396, 8126, 8179, 8128, 8413, 8159, 8157, 8066, 8477};

void PutDword(HKEY key, const char* name, DWORD value)
{
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

// A missing value, one of another type or size, keeps what the parameter held.
bool GetDword(HKEY key, const char* name, DWORD* value)
{
    DWORD type = 0, v = 0, size = sizeof v;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&v), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof v)
        return false;
    *value = v;
    return true;
}

void Load(HKEY key, const char* name, int* field, int lo, int hi)
{
    DWORD v;
    if (GetDword(key, name, &v)) *field = (int)std::min<DWORD>(std::max<DWORD>(v, (DWORD)lo), (DWORD)hi);
}

} // namespace

CCameraCore::CCameraCore() : m_usb(new CUsbCamera)
{
    aeSmoothed = aeTarget;
    defects.count = 0;
    m_detectRequest = false;
    LoadDefaults();
    SetGeometry(resolution);
    team = StartTeam();
    LoadTeam(team);
    BuildToneTable();
    BuildGainTables();
    BuildColorMatrix();
}

CCameraCore::~CCameraCore()
{
    m_usb.reset();
    if (m_dc) ReleaseDC(m_window, m_dc);
    if (m_drawDib) DrawDibClose(m_drawDib);
}

void CCameraCore::LoadDefaults()
{
    aeOn = 1;
    colorOn = 1;
    wbRequest = 0;
    team = 0;
    frameSpeed = sampleType = lightFrequency = mono = vflip = hflip = b2rgb = 0;
    gamma = 100;
    aeTarget = 120;
    maxExposure = 2000;
    exposure = 300;
    analogGain = 20;
    contrast = 20;
    saturation = 128;
    gainR = 74;
    gainG = 64;
    gainB = 96;
    exposureUs = 50000000;
    const int m[9] = {205, -65, -12, -63, 222, -32, -34, -125, 286};
    std::copy(m, m + 9, matrix);
    BuildGainTables();
    BuildToneTable();
    BuildColorMatrix();
}

int CCameraCore::StartTeam()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, TeamKey(0), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    int t = 0;
    Load(key, "ParTeam Team", &t, 0, 3);
    RegCloseKey(key);
    return t;
}

int CCameraCore::SaveTeam(int n)
{
    team = n;
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, TeamKey(n), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return 0;
    PutDword(key, "bAutoExposure", aeOn);
    PutDword(key, "ExposureTime", exposure);
    PutDword(key, "ExposureTarget", aeTarget);
    PutDword(key, "Analog Gain", analogGain);
    PutDword(key, "bAutoWB", wbRequest);
    PutDword(key, "Gain r", gainR);
    PutDword(key, "Gain g", gainG);
    PutDword(key, "Gain b", gainB);
    PutDword(key, "Gamma", gamma);
    PutDword(key, "Contrast", contrast);
    PutDword(key, "Color Correct Enable ", colorOn);
    PutDword(key, "Saturation", saturation);
    PutDword(key, "Frame Speed", frameSpeed);
    PutDword(key, "Sample Type", sampleType);
    PutDword(key, "Light Frquency", lightFrequency);
    PutDword(key, "Mono Mode", mono);
    PutDword(key, "VFlip Mode", vflip);
    PutDword(key, "HFlip Mode", hflip);
    PutDword(key, "B2RGB Mode", b2rgb);
    for (int i = 0; i < 9; i++) PutDword(key, kMatrixNames[i], (DWORD)(matrix[i] + 8191));
    PutDword(key, "Resolution", resolution);
    if (exposure != exposureAtInit) PutDword(key, "EXPTIME US", (DWORD)rowTime * (DWORD)exposure);
    RegCloseKey(key);
    return 1;
}

int CCameraCore::LoadTeam(int n)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, TeamKey(n), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return 0;
    Load(key, "bAutoExposure", &aeOn, 0, 1);
    Load(key, "ExposureTarget", &aeTarget, 40, 200);
    Load(key, "ExposureTime", &exposure, 1, std::max(1, maxExposure));
    Load(key, "Analog Gain", &analogGain, 0, 100);
    Load(key, "bAutoWB", &wbRequest, 0, 1);
    Load(key, "Gain r", &gainR, 0, 255);
    Load(key, "Gain g", &gainG, 0, 255);
    Load(key, "Gain b", &gainB, 0, 255);
    Load(key, "Gamma", &gamma, 10, 250);
    Load(key, "Contrast", &contrast, 0, 100);
    Load(key, "Color Correct Enable ", &colorOn, 0, 1);
    Load(key, "Saturation", &saturation, 0, 255);
    Load(key, "Frame Speed", &frameSpeed, 0, 1);
    sampleType = 0;
    Load(key, "Light Frquency", &lightFrequency, 0, 1);
    Load(key, "Mono Mode", &mono, 0, 1);
    Load(key, "VFlip Mode", &vflip, 0, 1);
    Load(key, "HFlip Mode", &hflip, 0, 1);
    Load(key, "B2RGB Mode", &b2rgb, 0, 255);
    for (int i = 0; i < 9; i++) {
        int v = kMatrixDefaults[i];
        Load(key, kMatrixNames[i], &v, 1, 16382);
        matrix[i] = v - 8191;
    }
    Load(key, "Resolution", &resolution, 0, 3);
    DWORD us;
    if (GetDword(key, "EXPTIME US", &us)) exposureUs = us;
    RegCloseKey(key);
    team = n;
    return 1;
}

void CCameraCore::SetRegion(int x, int y, int w, int h)
{
    x = std::max(0, x) & ~1;
    y = std::max(0, y) & ~1;
    x = std::min(x, 2590);
    y = std::min(y, 1942);
    // A region needs at least one Bayer cell.
    w = std::max(2, std::min(w, 2592 - x));
    h = std::max(2, std::min(h, 1944 - y));
    m_region = {x, y, w, h};
}

void CCameraCore::SetGeometry(int mode)
{
    switch (mode) {
    case 0: m_sensorW = 2048; m_sensorH = 1536; m_outW = 1280; m_outH = 1024; break;
    case 2: m_sensorW = m_outW = 640; m_sensorH = m_outH = 480; break;
    case 3: m_sensorW = m_outW = m_region.w; m_sensorH = m_outH = m_region.h; break;
    default: mode = 1; m_sensorW = m_outW = 1024; m_sensorH = m_outH = 768; break;
    }
    m_mode = mode;
    resolution = mode;
    maxExposure = 2 * m_sensorH;
    m_usb->SetFrameSize(m_sensorW, m_sensorH);
    m_out.assign((size_t)m_outW * m_outH * 3, 0);
    if (mode == 0) m_work.assign((size_t)2048 * 1536 * 3, 0);
    else std::vector<BYTE>().swap(m_work);
    m_bih = {};
    m_bih.biSize = sizeof m_bih;
    m_bih.biWidth = m_outW;
    m_bih.biHeight = m_outH;
    m_bih.biPlanes = 1;
    m_bih.biBitCount = 24;
    m_bih.biCompression = BI_RGB;
    LONG wb[4] = {m_outW / 4, m_outH / 4, m_outW / 2, m_outH / 2};
    LONG dr[4] = {0, 0, m_outW, m_outH};
    for (int i = 0; i < 4; i++) {
        InterlockedExchange(&m_wb[i], wb[i]);
        InterlockedExchange(&m_display[i], dr[i]);
    }
}

void CCameraCore::SensorWindow(int mode)
{
    CUsbCamera& u = *m_usb;
    const WORD sub1 = sampleType ? 1 : 17, sub2 = sampleType ? 2 : 34;
    switch (mode) {
    case 0:
        u.WriteRegister(1, 21); u.WriteRegister(2, 33); u.WriteRegister(4, 2047); u.WriteRegister(3, 1535);
        u.WriteRegister(34, 0); u.WriteRegister(35, 0); u.WriteRegister(5, 336);
        break;
    case 2:
        u.WriteRegister(1, 21); u.WriteRegister(2, 36); u.WriteRegister(4, 3 * 640 - 1);
        u.WriteRegister(3, 3 * 480 - 1); u.WriteRegister(34, sub2); u.WriteRegister(35, sub2);
        u.WriteRegister(5, 336);
        break;
    case 3:
        u.WriteRegister(4, (WORD)(m_region.w - 1)); u.WriteRegister(3, (WORD)(m_region.h - 1));
        u.WriteRegister(1, (WORD)(m_region.y + 21)); u.WriteRegister(2, (WORD)(m_region.x + 33));
        u.WriteRegister(34, 0); u.WriteRegister(35, 0);
        break;
    default:
        u.WriteRegister(1, 21); u.WriteRegister(2, 33); u.WriteRegister(4, 2047); u.WriteRegister(3, 1535);
        u.WriteRegister(34, sub1); u.WriteRegister(35, sub1); u.WriteRegister(5, 336);
        break;
    }
}

bool CCameraCore::BringUp()
{
    CUsbCamera& u = *m_usb;
    u.WriteRegister(7, 2);
    WORD chip = 0;
    if (!u.ReadRegister(0, &chip) || (chip >> 8) != 0x16) return false;
    u.WriteRegister(10, 0x8000);
    u.WriteRegister(13, 1);
    Sleep(100);
    u.WriteRegister(13, 0);
    Sleep(100);
    const WORD list[][2] = {{1, 21}, {2, 33}, {32, 0}, {30, 0x8040}, {78, 32}, {4, 2047}, {3, 1535},
                            {43, 96}, {44, 96}, {45, 96}, {46, 96}, {10, 0x8001}, {73, 128}, {34, 0},
                            {35, 0}, {8, 0}, {96, 0}, {97, 127}, {98, 3}};
    for (auto& r : list) u.WriteRegister(r[0], r[1]);
    SensorWindow(m_mode);
    return true;
}

bool CCameraCore::InitDevice(CameraFrameProc callback, int mode)
{
    if (!m_usb->Open()) {
        MessageBoxA(nullptr, HestralText(IDS_CAMERA_NOT_FOUND).c_str(), nullptr, MB_OK);
        return false;
    }
    m_usb->Stream(1);
    m_callback = callback;
    SetGeometry(mode);
    if (!BringUp()) {
        MessageBoxA(nullptr, HestralText(IDS_SENSOR_INIT_FAILED).c_str(), nullptr, MB_OK);
        return false;
    }
    SetFrameSpeed(frameSpeed);
    exposureUs = std::max<uint32_t>(exposureUs, (uint32_t)std::max(1, rowTime));
    // The stored exposure may be far beyond what the register holds.
    int rows = (int)std::min<uint32_t>(exposureUs / (uint32_t)std::max(1, rowTime), (uint32_t)maxExposure);
    rows = std::max(1, rows);
    if (flickerStep > 0 && rows >= flickerStep) rows = rows / flickerStep * flickerStep;
    exposure = exposureAtInit = rows;
    WriteExposure();
    SetAnalogGain(analogGain);
    HestralDefects d;
    DefectList list;
    if (m_usb->ReadDefectTable(m_mode, &list))
        for (int i = 0; i < list.count; i++) {
            d.x[d.count] = list.column[i];
            d.y[d.count++] = list.row[i];
        }
    defects = d;
    Sleep(200);
    return true;
}

bool CCameraCore::SetupDisplay(HWND window)
{
    m_window = window;
    if (!window) return true;
    m_dc = GetDC(window);
    m_drawDib = DrawDibOpen();
    return m_dc && m_drawDib;
}

void CCameraCore::Draw()
{
    if (!m_drawDib || !m_dc) return;
    RECT rc;
    GetClientRect(m_window, &rc);
    int x = m_display[0], y = m_display[1], w = m_display[2], h = m_display[3];
    if (x < 0 || y < 0 || w <= 0 || h <= 0 || x + w > m_outW || y + h > m_outH) {
        x = y = 0;
        w = m_outW;
        h = m_outH;
    }
    DrawDibDraw(m_drawDib, m_dc, 0, 0, rc.right, rc.bottom, &m_bih, m_out.data(), x, y, w, h, 0);
}

void CCameraCore::ProcessLive(BYTE* raw)
{
    Pipeline(raw, m_out.data());
    CAutoLock lock(&m_params);
    if (aeOn) AutoExposureStep(m_out.data(), m_outW, m_outH);
}

bool CCameraCore::SetWbWindow(int x, int y, int w, int h)
{
    if (w <= 0 || h <= 0 || x + w > m_outW || y + h > m_outH) return false;
    InterlockedExchange(&m_wb[0], x);
    InterlockedExchange(&m_wb[1], y);
    InterlockedExchange(&m_wb[2], w);
    InterlockedExchange(&m_wb[3], h);
    return true;
}

HestralRect CCameraCore::WbWindow() const
{
    return {(int)m_wb[0], (int)m_wb[1], (int)m_wb[2], (int)m_wb[3]};
}

bool CCameraCore::SetDisplayRect(int x, int y, int w, int h)
{
    if (w <= 0 || h <= 0 || x + w > m_outW || y + h > m_outH) return false;
    InterlockedExchange(&m_display[0], x);
    InterlockedExchange(&m_display[1], y);
    InterlockedExchange(&m_display[2], w);
    InterlockedExchange(&m_display[3], h);
    return true;
}

WORD CCameraCore::GainRegister(int g)
{
    g = std::max(0, std::min(g, 86));
    if (g <= 24) return (WORD)(g + 8);
    if (g <= 40) return (WORD)(g + 56);
    if (g == 86) return 0x2D60;
    return (WORD)(g * 256 - 10144);
}

void CCameraCore::WriteExposure()
{
    m_usb->WriteRegister(8, 0);
    m_usb->WriteRegister(9, (WORD)exposure);
}

void CCameraCore::SetExposure(int rows)
{
    exposure = rows;
    WriteExposure();
}

void CCameraCore::SetAnalogGain(int g)
{
    analogGain = std::max(0, std::min(g, 86));
    m_usb->WriteRegister(53, GainRegister(analogGain));
}

void CCameraCore::SetGains(int r, int g, int b)
{
    gainR = r;
    gainG = g;
    gainB = b;
    BuildGainTables();
}

void CCameraCore::SetGamma(int g)
{
    gamma = g;
    BuildToneTable();
}

void CCameraCore::SetContrast(int c)
{
    contrast = c;
    BuildToneTable();
}

void CCameraCore::SetFrameSpeed(int fast)
{
    frameSpeed = fast ? 1 : 0;
    m_usb->WriteRegister(10, frameSpeed ? 0x8000 : 0x8001);
    m_usb->WriteRegister(5, 336);
    RecomputeTiming();
}

void CCameraCore::SetLightFrequency(int f)
{
    lightFrequency = f ? 1 : 0;
    RecomputeTiming();
}

void CCameraCore::UpdateRowLength()
{
    if (m_mode == 3) {
        WORD r4, r23, r22, r5;
        CUsbCamera& u = *m_usb;
        if (u.ReadRegister(4, &r4) && u.ReadRegister(0x23, &r23) && u.ReadRegister(0x22, &r22) &&
            u.ReadRegister(5, &r5)) {
            const int k = r23 & 7, c = std::min((r22 >> 4) & 3, 2);
            const int add[3] = {38, 22, 14}, tail[3] = {331, 673, 999};
            int L = (r4 + 1) / (k + 1) + r5 + add[c];
            L = std::max(L, 316 * (c + 1));
            rowLength[3] = L + tail[c];
        }
    }
}

void CCameraCore::RecomputeTiming()
{
    UpdateRowLength();
    const int L = rowLength[m_mode];
    clock = frameSpeed ? 48 : 24;
    flickerStep = lightFrequency == 0 ? clock * 10000 / L : clock * 100000 / (12 * L);
    rowTime = L / clock;
    if (flickerStep > 0 && exposure >= flickerStep) exposure = exposure / flickerStep * flickerStep;
    WriteExposure();
}

void CCameraCore::SwitchResolution(int mode)
{
    const int oldLength = rowLength[m_mode];
    m_usb->Stream(0);
    SetGeometry(mode);
    SensorWindow(m_mode);
    UpdateRowLength(); // a region's row length comes from the sensor
    exposure = std::max(1, (int)((long long)exposure * oldLength / rowLength[m_mode]));
    RecomputeTiming();
    HestralDefects d;
    DefectList list;
    if (m_usb->ReadDefectTable(m_mode, &list))
        for (int i = 0; i < list.count; i++) {
            d.x[d.count] = list.column[i];
            d.y[d.count++] = list.row[i];
        }
    defects = d;
    m_usb->Stream(3);
}

void CCameraCore::Close()
{
    SaveTeam(team);
    m_usb->WriteRegister(7, 0);
    if (m_usb->IsOpen()) m_usb->Stream(0);
}
