// The Zentu capture filter's private control interface, offered by the
// filter and by its output pin, and the class ids of the filter's COM server.
#pragma once
#include <windows.h>
#include <unknwn.h>

// {FFD29AC9-6D48-45B1-A968-56CF29284C27}
inline const IID IID_IZentu = {0xFFD29AC9, 0x6D48, 0x45B1, {0xA9, 0x68, 0x56, 0xCF, 0x29, 0x28, 0x4C, 0x27}};
// {2B967553-33A8-4AF1-ADF4-D53EFF4E16FE}
inline const CLSID CLSID_Zentu = {0x2B967553, 0x33A8, 0x4AF1, {0xAD, 0xF4, 0xD5, 0x3E, 0xFF, 0x4E, 0x16, 0xFE}};
// {ED6B0505-522A-4B7A-9A42-0322F46A4EBA}
inline const CLSID CLSID_ZentuSetupPage = {0xED6B0505, 0x522A, 0x4B7A, {0x9A, 0x42, 0x03, 0x22, 0xF4, 0x6A, 0x4E, 0xBA}};
// {D2FCE93E-DBCA-4A74-97E3-4ACDA42E31CD}
inline const CLSID CLSID_ZentuSizePage = {0xD2FCE93E, 0xDBCA, 0x4A74, {0x97, 0xE3, 0x4A, 0xCD, 0xA4, 0x2E, 0x31, 0xCD}};

// The filter's friendly name and its instance name among video input devices.
#define ZENTU_FILTER_NAME L"Vantor T4M"

// Size indexes: 0 = 1280 x 1024, 1 = 1024 x 768, 2 = 640 x 480. Speed: 0
// Normal, 1 High. HZ: 1 = 50 Hz, 0 = 60 Hz. Getters on the pin return E_FAIL
// for a null pointer, on the filter E_POINTER.
struct IZentu : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetSize(int* index) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSize(int index) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWhiteBalance(int* request, BYTE* r, BYTE* g, BYTE* b) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWhiteBalance(int request, BYTE r, BYTE g, BYTE b) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExposure(int* autoExposure, BYTE* target, WORD* time, WORD* gain) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetExposure(int autoExposure, BYTE target, WORD time, WORD gain) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSpeed(BYTE* speed) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSpeed(BYTE speed) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetGamma(BYTE* gamma) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetGamma(BYTE gamma) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetContrast(BYTE* contrast) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetContrast(BYTE contrast) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSaturation(int* enable, BYTE* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSaturation(int enable, BYTE value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWhiteBlack(int* mono) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWhiteBlack(int mono) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVFlip(int* flip) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVFlip(int flip) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHZ(int fiftyHz) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHZ(int* fiftyHz) = 0;
    virtual HRESULT STDMETHODCALLTYPE SaveParaTeam() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetParaTeam(BYTE set) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetParaTeam(BYTE* set) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHFlip(int* mirror) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHFlip(int mirror) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExposureUnit(int* microseconds) = 0;
};
