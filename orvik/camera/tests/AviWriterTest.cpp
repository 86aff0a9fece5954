// CAviWriter's clips read back with Wine's AVIFile: through the stand-in
// "WMV3" compressor (decoded with its run-length reader) and uncompressed
// (also written to AVI_OUTPUT for ffprobe and ffmpeg on the build machine).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "AviWriter.h"
#include "WmvRle.h"

namespace {

const DWORD kWmv3 = mmioFOURCC('W', 'M', 'V', '3');
const DWORD kUncompressed = mmioFOURCC('D', 'I', 'B', ' ');

int Stride(int w, int bpp = 24)
{
    return ((w * bpp + 31) / 32) * 4;
}

// A bottom-up 24-bit (or 32-bit) DIB section with a pattern of its own.
class Picture {
public:
    Picture(int w, int h, int seed, int bpp = 24) : m_w(w), m_h(h)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = WORD(bpp);
        m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        const int stride = Stride(w, bpp);
        for (int y = 0; y < h; ++y)
            for (int i = 0; i < stride; ++i)
                // Runs of equal pixels and edges, different in every frame.
                m_bits[size_t(y) * stride + i] = i < w * bpp / 8 ? BYTE((i / 3 / 4) * 37 + y * 11 + seed * 53 + i % 3) : 0;
        GdiFlush();
    }
    ~Picture() { DeleteObject(m_bitmap); }
    HBITMAP bitmap() const { return m_bitmap; }
    std::vector<BYTE> Bits() const { return std::vector<BYTE>(m_bits, m_bits + size_t(Stride(m_w)) * m_h); }

private:
    int m_w, m_h;
    HBITMAP m_bitmap = nullptr;
    BYTE* m_bits = nullptr;
};

struct Clip {
    bool opened = false;
    AVISTREAMINFOW info = {};
    BITMAPINFOHEADER format = {};
    std::vector<std::vector<BYTE>> samples;
    std::vector<bool> keys;
};

Clip Read(const std::wstring& path)
{
    Clip clip;
    AVIFileInit();
    PAVIFILE file = nullptr;
    PAVISTREAM stream = nullptr;
    if (AVIFileOpenW(&file, path.c_str(), OF_READ | OF_SHARE_DENY_WRITE, nullptr) == AVIERR_OK &&
        AVIFileGetStream(file, &stream, streamtypeVIDEO, 0) == AVIERR_OK) {
        clip.opened = true;
        AVIStreamInfoW(stream, &clip.info, sizeof clip.info);
        LONG size = 0;
        AVIStreamReadFormat(stream, 0, nullptr, &size);
        std::vector<BYTE> format(size_t(size) + sizeof(BITMAPINFOHEADER));
        AVIStreamReadFormat(stream, 0, format.data(), &size);
        memcpy(&clip.format, format.data(), sizeof clip.format);
        for (LONG i = AVIStreamStart(stream); i < AVIStreamEnd(stream); ++i) {
            LONG bytes = 0;
            AVIStreamRead(stream, i, 1, nullptr, 0, &bytes, nullptr);
            std::vector<BYTE> sample(static_cast<size_t>(bytes));
            AVIStreamRead(stream, i, 1, sample.data(), bytes, nullptr, nullptr);
            clip.samples.push_back(sample);
            clip.keys.push_back(AVIStreamFindSample(stream, i, FIND_PREV | FIND_KEY) == i);
        }
    }
    if (stream)
        AVIStreamRelease(stream);
    if (file)
        AVIFileRelease(file);
    AVIFileExit();
    return clip;
}

std::wstring TempClip(const wchar_t* name)
{
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + name;
    DeleteFileW(path.c_str());
    return path;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD SuggestedBuffer(int w, int h)
{
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    return DWORD((sw > w ? sw : w)) * DWORD(sh > h ? sh : h) * 4;
}

std::vector<BYTE> Decode(const std::vector<BYTE>& sample, int w, int h)
{
    std::vector<BYTE> dib(size_t(Stride(w)) * h, 0);
    if (!WmvRleDecode(sample.data(), sample.size(), w, h, Stride(w), dib.data()))
        dib.clear();
    return dib;
}

// N bitmaps in, N key frames out through the stand-in codec, each decoding to
// the bitmap's pixels; the stream header as the writer set it.
TEST(AviWriter, StandInCodecRoundTrip)
{
    const int sizes[][2] = {{64, 48}, {37, 21}};
    for (auto& s : sizes) {
        const int w = s[0], h = s[1], n = 6;
        const std::wstring path = TempClip(L"orvik-wmv3.avi");
        std::vector<std::vector<BYTE>> sent;
        {
            CAviWriter writer;
            EXPECT_EQ(1, writer.Init(path.c_str(), kWmv3, 7));
            EXPECT_STREQ(L"Method Succeeded", writer.GetLastErrorMessage());
            for (int i = 0; i < n; ++i) {
                Picture p(w, h, i);
                ASSERT_EQ(S_OK, writer.AddFrame(p.bitmap())) << writer.GetLastErrorMessage();
                sent.push_back(p.Bits());
            }
        }
        const Clip clip = Read(path);
        ASSERT_TRUE(clip.opened);
        EXPECT_EQ(streamtypeVIDEO, clip.info.fccType);
        EXPECT_EQ(kWmv3, clip.info.fccHandler);
        EXPECT_EQ(1u, clip.info.dwScale);
        EXPECT_EQ(7u, clip.info.dwRate);
        EXPECT_EQ(DWORD(n), clip.info.dwLength);
        EXPECT_EQ(w, clip.info.rcFrame.right - clip.info.rcFrame.left);
        EXPECT_EQ(h, clip.info.rcFrame.bottom - clip.info.rcFrame.top);
        // AVIFile writes the largest sample's size.
        size_t largest = 0;
        for (const auto& sample : clip.samples)
            largest = std::max(largest, sample.size());
        EXPECT_EQ(largest, clip.info.dwSuggestedBufferSize);
        EXPECT_EQ(kWmv3, clip.format.biCompression);
        EXPECT_EQ(w, clip.format.biWidth);
        EXPECT_EQ(h, clip.format.biHeight);
        EXPECT_EQ(24, clip.format.biBitCount);
        ASSERT_EQ(size_t(n), clip.samples.size());
        for (int i = 0; i < n; ++i) {
            EXPECT_TRUE(clip.keys[i]) << i;
            EXPECT_EQ(sent[i], Decode(clip.samples[i], w, h)) << w << "x" << h << " frame " << i;
        }
    }
}

// The worked example: a 1280 x 1024 x 24 first frame, 7 frames a second.
TEST(AviWriter, FirstFrameSetsHeaderAndFormat)
{
    const std::wstring path = TempClip(L"orvik-1280.avi");
    {
        CAviWriter writer(path.c_str(), kUncompressed, 7);
        Picture p(1280, 1024, 1);
        ASSERT_EQ(S_OK, writer.AddFrame(p.bitmap())) << writer.GetLastErrorMessage();
        ASSERT_EQ(S_OK, writer.AddFrame(p.bitmap()));
        // The larger of screen and frame, 4 bytes a pixel: 8294400 on a
        // 1920 x 1080 screen.
        const AVISTREAMINFOW& header = writer.GetStreamHeader();
        EXPECT_EQ(SuggestedBuffer(1280, 1024), header.dwSuggestedBufferSize);
        EXPECT_EQ(DWORD(-1), header.dwQuality);
        EXPECT_STREQ(L"Video Stream", header.szName);
        EXPECT_EQ(1280, header.rcFrame.right);
        EXPECT_EQ(1024, header.rcFrame.bottom);
    }
    const Clip clip = Read(path);
    ASSERT_TRUE(clip.opened);
    EXPECT_EQ(3932160u, clip.info.dwSuggestedBufferSize);  // the largest sample
    EXPECT_EQ(3932160u, clip.format.biSizeImage);
    EXPECT_EQ(DWORD(BI_RGB), clip.format.biCompression);
    EXPECT_EQ(1u, clip.info.dwScale);
    EXPECT_EQ(7u, clip.info.dwRate);
    EXPECT_EQ(2u, clip.info.dwLength);
    ASSERT_EQ(2u, clip.samples.size());
    EXPECT_EQ(3932160u, clip.samples[1].size());
}

// Uncompressed clips, raw-buffer and bitmap forms: the samples are the
// frames' rows; the clip and its pixels go to AVI_OUTPUT for ffprobe.
TEST(AviWriter, UncompressedRoundTripForTheIndependentReader)
{
    const int w = 320, h = 240, n = 8;
    const char* out = std::getenv("AVI_OUTPUT");
    std::wstring path = TempClip(L"orvik-dib.avi");
    std::string folder;
    if (out && *out) {
        folder = out;
        CreateDirectoryA(("Z:" + folder).c_str(), nullptr);
        path = L"Z:" + std::wstring(folder.begin(), folder.end()) + L"/uncompressed.avi";
        DeleteFileW(path.c_str());
    }
    std::vector<std::vector<BYTE>> sent;
    {
        CAviWriter writer(path.c_str(), kUncompressed, 7);
        for (int i = 0; i < n; ++i) {
            Picture p(w, h, i);
            sent.push_back(p.Bits());
            // Every other frame through the raw-buffer form (320 x 3 is a
            // whole number of DWORDs, so the rows are the DIB's).
            const HRESULT hr = i % 2 ? writer.AddFrame(w, h, sent.back().data(), 24) : writer.AddFrame(p.bitmap());
            ASSERT_EQ(S_OK, hr) << writer.GetLastErrorMessage();
        }
    }
    const Clip clip = Read(path);
    ASSERT_TRUE(clip.opened);
    EXPECT_EQ(DWORD(n), clip.info.dwLength);
    ASSERT_EQ(size_t(n), clip.samples.size());
    for (int i = 0; i < n; ++i) {
        EXPECT_TRUE(clip.keys[i]);
        EXPECT_EQ(sent[i], clip.samples[i]) << "frame " << i;
    }
    if (folder.empty())
        return;
    // The pixels a reader should show, frame after frame, top row first, RGB.
    FILE* f = std::fopen(("Z:" + folder + "/uncompressed.rgb").c_str(), "wb");
    ASSERT_TRUE(f);
    for (const auto& dib : sent)
        for (int y = h - 1; y >= 0; --y)
            for (int x = 0; x < w; ++x) {
                const BYTE* p = &dib[size_t(y) * Stride(w) + 3 * x];
                const BYTE rgb[3] = {p[2], p[1], p[0]};
                std::fwrite(rgb, 1, 3, f);
            }
    std::fclose(f);
}

TEST(AviWriter, MissingCodecFailsAtTheCompressedStream)
{
    const std::wstring path = TempClip(L"orvik-nocodec.avi");
    CAviWriter writer(path.c_str(), mmioFOURCC('Q', 'Z', 'X', '9'), 7);
    Picture p(64, 48, 0);
    EXPECT_EQ(E_FAIL, writer.AddFrame(p.bitmap()));
    EXPECT_STREQ(L"Unable to Create Compressed Stream: Check your CODEC options", writer.GetLastErrorMessage());
    // State 0 for good.
    EXPECT_EQ(E_FAIL, writer.AddFrame(p.bitmap()));
    EXPECT_EQ(E_FAIL, writer.AddFrame(64, 48, p.Bits().data(), 24));
}

TEST(AviWriter, NoFrameNoFile)
{
    const std::wstring path = TempClip(L"orvik-empty.avi");
    {
        CAviWriter writer(path.c_str(), kWmv3, 7);
    }
    EXPECT_FALSE(Exists(path));
}

// A writer that was never initialised refuses frames instead of jumping
// through an unset table.
TEST(AviWriter, FramesBeforeInitFail)
{
    CAviWriter writer;
    Picture p(64, 48, 0);
    EXPECT_EQ(E_FAIL, writer.AddFrame(p.bitmap()));
    EXPECT_EQ(E_FAIL, writer.AddFrame(64, 48, p.Bits().data(), 24));
}

// The codec fails from frame 3: the clip keeps frames 0 to 2, every later
// call fails.
TEST(AviWriter, WriteFailureClosesTheClipWithTheFramesSoFar)
{
    const std::wstring path = TempClip(L"orvik-fail.avi");
    SetEnvironmentVariableW(L"WMV3_STANDIN_FAIL_FROM", L"3");
    std::vector<std::vector<BYTE>> sent;
    {
        CAviWriter writer(path.c_str(), kWmv3, 5);
        for (int i = 0; i < 3; ++i) {
            Picture p(64, 48, i);
            ASSERT_EQ(S_OK, writer.AddFrame(p.bitmap())) << writer.GetLastErrorMessage();
            sent.push_back(p.Bits());
        }
        Picture p(64, 48, 9);
        EXPECT_EQ(E_FAIL, writer.AddFrame(p.bitmap()));
        EXPECT_STREQ(L"Unable to Write Video Stream to the output Movie File", writer.GetLastErrorMessage());
        EXPECT_EQ(E_FAIL, writer.AddFrame(p.bitmap()));
        EXPECT_EQ(E_FAIL, writer.AddFrame(64, 48, p.Bits().data(), 24));
    }
    SetEnvironmentVariableW(L"WMV3_STANDIN_FAIL_FROM", nullptr);
    const Clip clip = Read(path);
    ASSERT_TRUE(clip.opened);
    EXPECT_EQ(3u, clip.info.dwLength);
    ASSERT_EQ(3u, clip.samples.size());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(sent[i], Decode(clip.samples[i], 64, 48)) << i;
}

// Frames of another size or depth than the first are refused and leave the
// clip as it was; frames of the right size still follow.
TEST(AviWriter, MismatchedFramesRefusedNothingWritten)
{
    const std::wstring path = TempClip(L"orvik-mismatch.avi");
    std::vector<std::vector<BYTE>> sent;
    {
        CAviWriter writer(path.c_str(), kWmv3, 7);
        Picture first(64, 48, 0);
        ASSERT_EQ(S_OK, writer.AddFrame(first.bitmap()));
        sent.push_back(first.Bits());
        Picture wider(80, 48, 1), shorter(64, 40, 2), deeper(64, 48, 3, 32), huge(1700, 1300, 4);
        for (HBITMAP b : {wider.bitmap(), shorter.bitmap(), deeper.bitmap(), huge.bitmap(), HBITMAP(nullptr)})
            EXPECT_EQ(E_FAIL, writer.AddFrame(b));
        std::vector<BYTE> raw(size_t(80) * 48 * 3);
        EXPECT_EQ(E_FAIL, writer.AddFrame(80, 48, raw.data(), 24));
        EXPECT_EQ(E_FAIL, writer.AddFrame(64, 48, raw.data(), 32));
        EXPECT_EQ(E_FAIL, writer.AddFrame(64, 48, nullptr, 24));
        Picture next(64, 48, 5);
        ASSERT_EQ(S_OK, writer.AddFrame(next.bitmap())) << writer.GetLastErrorMessage();
        sent.push_back(next.Bits());
    }
    const Clip clip = Read(path);
    ASSERT_TRUE(clip.opened);
    EXPECT_EQ(2u, clip.info.dwLength);
    ASSERT_EQ(2u, clip.samples.size());
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(sent[i], Decode(clip.samples[i], 64, 48)) << i;
}

}  // namespace
