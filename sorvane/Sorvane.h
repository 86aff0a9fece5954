// Sorvane: the in-place DirectShow filter that processes 24-bit RGB video,
// its private interface ISorvane and its class ids.
#pragma once

#include <windows.h>
#include <unknwn.h>

// {B331C549-BDDC-445E-AA5B-45C85CABBBEA}
DEFINE_GUID(CLSID_SorvaneFilter, 0xb331c549, 0xbddc, 0x445e, 0xaa, 0x5b, 0x45, 0xc8, 0x5c, 0xab, 0xbb, 0xea);
// {65C7F05D-3E20-4F8B-985F-0BD35EA4CC4E}
DEFINE_GUID(CLSID_SorvanePropertyPage, 0x65c7f05d, 0x3e20, 0x4f8b, 0x98, 0x5f, 0x0b, 0xd3, 0x5e, 0xa4, 0xcc, 0x4e);
// {21D1759D-E31D-40D4-AA84-AC3C01F59C8C}
DEFINE_GUID(IID_ISorvane, 0x21d1759d, 0xe31d, 0x40d4, 0xaa, 0x84, 0xac, 0x3c, 0x01, 0xf5, 0x9c, 0x8c);

// Every operation stores or loads under the filter's lock and returns S_OK;
// a frame works from the settings as they stood when it began. Values are
// stored as given, without range checks.
// The mask is borrowed, not copied: the streaming thread reads *mask, a
// 24-bit image of the frame's size, at each frame. The caller keeps both the
// pointer variable and the image valid until put_MaskOverlay is called again
// (with another mask, or FALSE): that call waits for a frame still reading
// the old mask, so once it returns the old image may be changed or freed.
struct ISorvane : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE put_EnableProcess(BOOL bEnable) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Flip(BOOL bFlip) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Mirror(BOOL bMirror) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Gray(BOOL bGray) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Invert(BOOL bInvert) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Binary(BOOL bBinary, long threshold) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Emboss(BOOL bEmboss) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Sharp(BOOL bSharp) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AddOne(BOOL bAddOne) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AddTwo(BOOL bAddTwo) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Multiply(BOOL bMultiply, long tenths) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_RgbGain(BOOL bRgb, long r, long g, long b) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MaskOverlay(BOOL bMask, BYTE** mask) = 0;

    virtual HRESULT STDMETHODCALLTYPE get_EnableProcess(BOOL* pbEnable) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Flip(BOOL* pbFlip) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Mirror(BOOL* pbMirror) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Gray(BOOL* pbGray) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Invert(BOOL* pbInvert) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Binary(BOOL* pbBinary, long* pThreshold) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Emboss(BOOL* pbEmboss) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Sharp(BOOL* pbSharp) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AddOne(BOOL* pbAddOne) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AddTwo(BOOL* pbAddTwo) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Multiply(BOOL* pbMultiply, long* pTenths) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RgbGain(BOOL* pbRgb, long* pR, long* pG, long* pB) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MaskOverlay(BOOL* pbMask) = 0;
};
