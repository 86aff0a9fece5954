#include "DeviceControl.h"
#include "USBDevice.h"

bool CDeviceControl::GetParaTeam(BYTE* v) { return m_device->GetParaTeam(v) != 0; }
bool CDeviceControl::GetGamma(BYTE* v) { return m_device->GetGamma(v) != 0; }
bool CDeviceControl::GetSaturation(int* e, BYTE* v) { return m_device->GetSaturation(e, v) != 0; }
bool CDeviceControl::GetContrast(BYTE* v) { return m_device->GetContrast(v) != 0; }
bool CDeviceControl::GetExposure(int* a, BYTE* t, WORD* e, WORD* g) { return m_device->GetExposure(a, t, e, g) != 0; }
bool CDeviceControl::GetWhiteBalance(int* q, BYTE* r, BYTE* g, BYTE* b) { return m_device->GetWhiteBalance(q, r, g, b) != 0; }
bool CDeviceControl::GetWhiteBlack(int* v) { return m_device->GetWhiteBlack(v) != 0; }
bool CDeviceControl::GetVFlip(int* v) { return m_device->GetVFlip(v) != 0; }
bool CDeviceControl::GetHFlip(int* v) { return m_device->GetHFlip(v) != 0; }
bool CDeviceControl::GetSpeed(BYTE* v) { return m_device->GetSpeed(v) != 0; }
bool CDeviceControl::GetHZ(int* v) { return m_device->GetHZ(v) != 0; }
void CDeviceControl::SetParaTeam(BYTE v) { m_device->SetParaTeam(v); }
void CDeviceControl::SaveParaTeam() { m_device->SaveParaTeam(); }
void CDeviceControl::SetGamma(BYTE v) { m_device->SetGamma(v); }
void CDeviceControl::SetContrast(BYTE v) { m_device->SetContrast(v); }
void CDeviceControl::SetSaturation(int e, BYTE v) { m_device->SetSaturation(e, v); }
void CDeviceControl::SetExposure(int a, BYTE t, WORD e, WORD g) { m_device->SetExposure(a, t, e, g); }
void CDeviceControl::SetWhiteBalance(int q, BYTE r, BYTE g, BYTE b) { m_device->SetWhiteBalance(q, r, g, b); }
void CDeviceControl::SetWhiteBlack(int v) { m_device->SetWhiteBlack(v); }
void CDeviceControl::SetVFlip(int v) { m_device->SetVFlip(v); }
void CDeviceControl::SetHFlip(int v) { m_device->SetHFlip(v); }
void CDeviceControl::SetSpeed(BYTE v) { m_device->SetSpeed(v); }
void CDeviceControl::SetHZ(int v) { m_device->SetHZ(v); }
