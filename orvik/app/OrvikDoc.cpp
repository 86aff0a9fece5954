#include "OrvikDoc.h"

IMPLEMENT_DYNCREATE(COrvikDoc, CDocument)

COrvikDoc::COrvikDoc() : m_bLive(false), m_bRealtimeEnable(true), m_bMaskEnable(true) {}
