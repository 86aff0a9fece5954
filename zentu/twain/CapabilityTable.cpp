#include "CapabilityTable.h"

#include <cmath>
#include <cstring>

namespace {

using Item = std::vector<BYTE>;
using Items = std::vector<Item>;

Item U16(int v)
{
    const TW_UINT16 u = TW_UINT16(v);
    return Item(reinterpret_cast<const BYTE*>(&u), reinterpret_cast<const BYTE*>(&u) + 2);
}

Item F32(float v)
{
    return Item(reinterpret_cast<const BYTE*>(&v), reinterpret_cast<const BYTE*>(&v) + 4);
}

Item Str32(const char* s)
{
    Item item(34, 0);
    std::memcpy(item.data(), s, std::strlen(s));
    return item;
}

Item Frame(float left, float top, float right, float bottom)
{
    const float f[4] = {left, top, right, bottom};
    return Item(reinterpret_cast<const BYTE*>(f), reinterpret_cast<const BYTE*>(f) + 16);
}

Items U16s(std::initializer_list<int> values)
{
    Items items;
    for (int v : values)
        items.push_back(U16(v));
    return items;
}

Items F32s(std::initializer_list<float> values)
{
    Items items;
    for (float v : values)
        items.push_back(F32(v));
    return items;
}

// The allocation sizes of the containers: the item-size table decides, so
// that FRAME and STR32 items fit.
SIZE_T OneValueBytes(TW_UINT32 itemSize)
{
    return 2 + (itemSize > 4 ? itemSize : 4);
}

}  // namespace

TW_UINT32 CCapabilityTable::ItemSize(TW_UINT16 itemType)
{
    switch (itemType) {
    case TWTY_INT8:
    case TWTY_UINT8: return 1;
    case TWTY_INT32:
    case TWTY_UINT32:
    case TWTY_FIX32: return 4;
    case TWTY_FRAME: return 16;
    case TWTY_STR32: return 34;
    case TWTY_STR64: return 66;
    case TWTY_STR128: return 130;
    case TWTY_STR255: return 256;
    default: return 2;  // INT16, UINT16, BOOL and unknown codes
    }
}

TW_FIX32 CCapabilityTable::ToFix32(float value)
{
    const double scaled = double(value) * 65536.0;
    const TW_INT32 v = TW_INT32(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
    TW_FIX32 f;
    f.Whole = TW_INT16(v >> 16);
    f.Frac = TW_UINT16(v & 0xFFFF);
    return f;
}

float CCapabilityTable::FromFix32(TW_FIX32 value)
{
    return float(value.Whole) + float(value.Frac) / 65536.0f;
}

CCapabilityTable::CCapabilityTable()
{
    m_supported = {CAP_SUPPORTEDCAPS,     ICAP_PIXELFLAVOR,     ICAP_XFERMECH,         ICAP_PLANARCHUNKY,
                   ICAP_COMPRESSION,      ICAP_PHYSICALWIDTH,   ICAP_PHYSICALHEIGHT,   ICAP_MINIMUMHEIGHT,
                   ICAP_MINIMUMWIDTH,     ICAP_UNITS,           CAP_DEVICEONLINE,      CAP_AUTOFEED,
                   CAP_FEEDERLOADED,      ICAP_AUTOBRIGHT,      ICAP_BRIGHTNESS,       ICAP_CONTRAST,
                   ICAP_HIGHLIGHT,        ICAP_ORIENTATION,     ICAP_SHADOW,           ICAP_BITDEPTH,
                   ICAP_PIXELTYPE,        ICAP_BITDEPTHREDUCTION, ICAP_BITORDER,       ICAP_HALFTONES,
                   ICAP_THRESHOLD,        ICAP_FRAMES,          ICAP_MAXFRAMES,        ICAP_XNATIVERESOLUTION,
                   ICAP_YNATIVERESOLUTION, CAP_XFERCOUNT,       ICAP_IMAGEFILEFORMAT,  ICAP_UNDEFINEDIMAGESIZE,
                   CAP_INDICATORS,        CAP_UICONTROLLABLE,   ICAP_SUPPORTEDSIZES};
    Items supported;
    for (TW_UINT16 c : m_supported)
        supported.push_back(U16(c));
    Items xferCount = U16s({-1});
    for (int n = 1; n <= 25; n++)
        xferCount.push_back(U16(n));
    const TW_UINT32 r13 = TWQC_GET | TWQC_GETDEFAULT | TWQC_GETCURRENT;
    const TW_UINT32 r31 = r13 | TWQC_SET | TWQC_RESET;

    // Each record's allowed values, then the index of its default (which is
    // also its current value at start).
    Add(CAP_SUPPORTEDCAPS, TWTY_UINT16, TWON_ARRAY, r13, supported, 0);
    Add(ICAP_PIXELFLAVOR, TWTY_UINT16, TWON_ENUMERATION, r31, U16s({0, 1}), 0);
    Add(ICAP_XFERMECH, TWTY_UINT16, TWON_ENUMERATION, r31, U16s({TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY}), 0);
    Add(ICAP_PLANARCHUNKY, TWTY_UINT16, TWON_ENUMERATION, r13, U16s({0}), 0);
    Add(ICAP_COMPRESSION, TWTY_UINT16, TWON_ENUMERATION, r31, U16s({TWCP_NONE}), 0);
    Add(ICAP_MINIMUMWIDTH, TWTY_FIX32, TWON_ONEVALUE, r13, F32s({1.0f}), 0);
    Add(ICAP_MINIMUMHEIGHT, TWTY_FIX32, TWON_ONEVALUE, r13, F32s({1.0f}), 0);
    Add(ICAP_PHYSICALWIDTH, TWTY_FIX32, TWON_ONEVALUE, r13, F32s({8.5f}), 0);
    Add(ICAP_PHYSICALHEIGHT, TWTY_FIX32, TWON_ONEVALUE, r13, F32s({11.0f}), 0);
    Add(ICAP_UNITS, TWTY_UINT16, TWON_ENUMERATION, r31, U16s({0, 1, 5}), 0);
    Add(CAP_DEVICEONLINE, TWTY_BOOL, TWON_ONEVALUE, r13, U16s({1, 0}), 0);
    Add(CAP_AUTOFEED, TWTY_BOOL, TWON_ONEVALUE, r13, U16s({1, 0}), 1);
    Add(CAP_FEEDERLOADED, TWTY_BOOL, TWON_ONEVALUE, r13, U16s({0, 1}), 0);
    Add(ICAP_AUTOBRIGHT, TWTY_BOOL, TWON_ONEVALUE, r31, U16s({1, 0}), 1);
    // Ranges: minimum, maximum, step, then the default as one more entry
    // (past the allowed count, so that only the three are accepted).
    Add(ICAP_BRIGHTNESS, TWTY_FIX32, TWON_RANGE, r31, F32s({-1000, 1000, 1000, 0}), 3);
    Add(ICAP_CONTRAST, TWTY_FIX32, TWON_RANGE, r31, F32s({-1000, 1000, 1000, 0}), 3);
    Add(ICAP_HIGHLIGHT, TWTY_FIX32, TWON_RANGE, r31, F32s({0, 255, 1, 128}), 3);
    Add(ICAP_ORIENTATION, TWTY_UINT16, TWON_ENUMERATION, r31, U16s({0}), 0);
    Add(ICAP_SHADOW, TWTY_FIX32, TWON_RANGE, r31, F32s({0, 255, 1, 128}), 3);
    Add(kBitDepthRecord, TWTY_UINT16, TWON_ENUMERATION, r31, U16s({24}), 0);
    Add(ICAP_PIXELTYPE, TWTY_UINT16, TWON_ENUMERATION, r31, U16s({TWPT_RGB, TWPT_RGB}), 0);
    Add(ICAP_BITDEPTHREDUCTION, TWTY_UINT16, TWON_ENUMERATION, r31, U16s({0, 1, 3}), 0);
    Add(ICAP_BITORDER, TWTY_UINT16, TWON_ENUMERATION, r13, U16s({1, 0}), 0);
    Add(ICAP_THRESHOLD, TWTY_FIX32, TWON_RANGE, r31, F32s({0, 255, 1, 0, 0, 128}), 5);
    Add(ICAP_HALFTONES, TWTY_STR32, TWON_ENUMERATION, r31, {Str32("FLOYD/STEINBURG"), Str32("ORDERED")}, 0);
    Add(ICAP_FRAMES, TWTY_FRAME, TWON_ONEVALUE, r31, {Frame(0, 0, 8.5f, 11.0f)}, 0);
    Add(ICAP_MAXFRAMES, TWTY_UINT16, TWON_ONEVALUE, r13, U16s({1}), 0);
    Add(ICAP_XNATIVERESOLUTION, TWTY_FIX32, TWON_ONEVALUE, r13, F32s({100}), 0);
    Add(ICAP_YNATIVERESOLUTION, TWTY_FIX32, TWON_ONEVALUE, r13, F32s({100}), 0);
    Add(CAP_XFERCOUNT, TWTY_INT16, TWON_ONEVALUE, r31, xferCount, 0);
    Add(ICAP_IMAGEFILEFORMAT, TWTY_UINT16, TWON_ENUMERATION, r31, U16s({TWFF_BMP}), 0);
    Add(ICAP_UNDEFINEDIMAGESIZE, TWTY_BOOL, TWON_ONEVALUE, r31, U16s({0, 1}), 0);
    Add(CAP_INDICATORS, TWTY_BOOL, TWON_ONEVALUE, r31, U16s({1, 0}), 0);
    Add(CAP_UICONTROLLABLE, TWTY_BOOL, TWON_ONEVALUE, r13, U16s({1, 0}), 0);
    // One letter-size page: the value its own current and default are found in.
    Add(ICAP_SUPPORTEDSIZES, TWTY_UINT16, TWON_ENUMERATION, r31, U16s({TWSS_USLETTER}), 0);

    // The storage is complete: the records' offsets become pointers.
    for (CapabilityRecord& r : m_records) {
        if (!r.cap)
            continue;
        r.allowed = m_storage.data() + reinterpret_cast<uintptr_t>(r.allowed);
        r.def = m_storage.data() + reinterpret_cast<uintptr_t>(r.def);
        r.current = m_storage.data() + reinterpret_cast<uintptr_t>(r.current);
    }
}

void CCapabilityTable::Add(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT16 container, TW_UINT32 ops,
                           const Items& allowed, size_t defaultIndex)
{
    int slot = 0;
    while (m_records[slot].cap)
        slot++;
    CapabilityRecord& r = m_records[slot];
    r.cap = cap;
    r.itemType = itemType;
    r.getContainer = container;
    r.oneValueType = TWON_ONEVALUE;
    r.operations = ops;
    // A range's default rides behind its list; other defaults are list entries.
    const bool range = container == TWON_RANGE;
    r.allowedCount = TW_UINT32(range ? defaultIndex : allowed.size());
    const bool whole = container == TWON_ARRAY;  // the supported list is its own value
    r.defaultCount = r.currentCount = whole ? r.allowedCount : 1;
    auto append = [this](const Item& item) { m_storage.insert(m_storage.end(), item.begin(), item.end()); };
    r.allowed = reinterpret_cast<BYTE*>(uintptr_t(m_storage.size()));
    for (size_t i = 0; i < r.allowedCount; i++)
        append(allowed[i]);
    for (BYTE** value : {&r.def, &r.current}) {
        *value = reinterpret_cast<BYTE*>(uintptr_t(m_storage.size()));
        if (whole)
            for (size_t i = 0; i < r.allowedCount; i++)
                append(allowed[i]);
        else
            append(allowed[defaultIndex]);
    }
}

CapabilityRecord* CCapabilityTable::Find(TW_UINT16 cap)
{
    if (cap == ICAP_BITDEPTH)
        cap = kBitDepthRecord;
    // Only the filled records: an empty one would answer capability 0 from
    // null pointers.
    for (int i = 0; i < kFilled; i++)
        if (m_records[i].cap && m_records[i].cap == cap)
            return &m_records[i];
    return nullptr;
}

void CCapabilityTable::PutItems(BYTE* out, TW_UINT16 itemType, const BYTE* items, TW_UINT32 count)
{
    const TW_UINT32 size = ItemSize(itemType);
    if (itemType != TWTY_FIX32 && itemType != TWTY_FRAME) {
        std::memcpy(out, items, size_t(size) * count);
        return;
    }
    // Stored as floats, sent as TW_FIX32 (a frame is four of them).
    const TW_UINT32 fixes = count * (size / 4);
    for (TW_UINT32 i = 0; i < fixes; i++) {
        float f;
        std::memcpy(&f, items + 4 * i, 4);
        const TW_FIX32 x = ToFix32(f);
        std::memcpy(out + 4 * i, &x, 4);
    }
}

HGLOBAL CCapabilityTable::OneValue(const CapabilityRecord& r, const BYTE* item)
{
    HGLOBAL h = GlobalAlloc(GHND, OneValueBytes(ItemSize(r.itemType)));
    if (!h)
        return nullptr;
    BYTE* p = static_cast<BYTE*>(GlobalLock(h));
    *reinterpret_cast<TW_UINT16*>(p) = r.itemType;
    PutItems(p + 2, r.itemType, item, 1);
    GlobalUnlock(h);
    return h;
}

TW_UINT32 CCapabilityTable::IndexOf(const CapabilityRecord& r, const BYTE* item)
{
    const TW_UINT32 size = ItemSize(r.itemType);
    for (TW_UINT32 i = 0; i < r.allowedCount; i++)
        if (std::memcmp(r.allowed + size_t(i) * size, item, size) == 0)
            return i;
    return 0;
}

HGLOBAL CCapabilityTable::Build(const CapabilityRecord& r)
{
    const TW_UINT32 size = ItemSize(r.itemType);
    switch (r.getContainer) {
    case TWON_ARRAY: {
        HGLOBAL h = GlobalAlloc(GHND, 6 + SIZE_T(size) * r.currentCount);
        if (!h)
            return nullptr;
        BYTE* p = static_cast<BYTE*>(GlobalLock(h));
        TW_ARRAY* a = reinterpret_cast<TW_ARRAY*>(p);
        a->ItemType = r.itemType;
        a->NumItems = r.currentCount;
        PutItems(p + 6, r.itemType, r.current, r.currentCount);
        GlobalUnlock(h);
        return h;
    }
    case TWON_ENUMERATION: {
        HGLOBAL h = GlobalAlloc(GHND, 14 + SIZE_T(size) * r.allowedCount);
        if (!h)
            return nullptr;
        BYTE* p = static_cast<BYTE*>(GlobalLock(h));
        TW_ENUMERATION* e = reinterpret_cast<TW_ENUMERATION*>(p);
        e->ItemType = r.itemType;
        e->NumItems = r.allowedCount;
        e->CurrentIndex = IndexOf(r, r.current);
        e->DefaultIndex = IndexOf(r, r.def);
        PutItems(p + 14, r.itemType, r.allowed, r.allowedCount);
        GlobalUnlock(h);
        return h;
    }
    case TWON_RANGE: {
        HGLOBAL h = GlobalAlloc(GHND, sizeof(TW_RANGE));
        if (!h)
            return nullptr;
        BYTE* p = static_cast<BYTE*>(GlobalLock(h));
        *reinterpret_cast<TW_UINT16*>(p) = r.itemType;
        // Minimum, maximum and step, then the default and the current value.
        PutItems(p + 2, r.itemType, r.allowed, 3);
        PutItems(p + 14, r.itemType, r.def, 1);
        PutItems(p + 18, r.itemType, r.current, 1);
        GlobalUnlock(h);
        return h;
    }
    default: return OneValue(r, r.current);
    }
}

TW_UINT16 CCapabilityTable::Set(CapabilityRecord& r, TW_CAPABILITY* cap, TW_UINT16* condition)
{
    *condition = TWCC_BADVALUE;
    const TW_UINT32 size = ItemSize(r.itemType);
    // The application's container is read only as far as it reaches.
    if (!cap->hContainer || GlobalSize(cap->hContainer) < 2 + SIZE_T(size))
        return TWRC_FAILURE;
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(cap->hContainer));
    if (!p)
        return TWRC_FAILURE;
    BYTE item[256];
    bool typed = *reinterpret_cast<const TW_UINT16*>(p) == r.itemType;
    if (typed) {
        std::memcpy(item, p + 2, size);
        if (r.itemType == TWTY_FIX32 || r.itemType == TWTY_FRAME)
            for (TW_UINT32 i = 0; i < size / 4; i++) {
                TW_FIX32 x;
                std::memcpy(&x, item + 4 * i, 4);
                const float f = FromFix32(x);
                std::memcpy(item + 4 * i, &f, 4);
            }
    }
    GlobalUnlock(cap->hContainer);
    if (!typed)
        return TWRC_FAILURE;
    for (TW_UINT32 i = 0; i < r.allowedCount; i++)
        if (std::memcmp(r.allowed + size_t(i) * size, item, size) == 0) {
            std::memcpy(r.current, item, size);
            *condition = TWCC_SUCCESS;
            return TWRC_SUCCESS;
        }
    return TWRC_FAILURE;
}

TW_UINT16 CCapabilityTable::Handle(TW_UINT16 msg, TW_CAPABILITY* cap, TW_UINT16* condition)
{
    *condition = TWCC_CAPUNSUPPORTED;
    if (!cap)
        return TWRC_FAILURE;
    CapabilityRecord* r = Find(cap->Cap);
    if (!r)
        return TWRC_FAILURE;

    if (msg == MSG_QUERYSUPPORT) {
        HGLOBAL h = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
        if (!h) {
            *condition = TWCC_LOWMEMORY;
            return TWRC_FAILURE;
        }
        TW_ONEVALUE* v = static_cast<TW_ONEVALUE*>(GlobalLock(h));
        v->ItemType = TWTY_INT32;
        v->Item = r->operations;
        GlobalUnlock(h);
        cap->ConType = TWON_ONEVALUE;
        cap->hContainer = h;
        *condition = TWCC_SUCCESS;
        return TWRC_SUCCESS;
    }

    TW_UINT32 bit;
    switch (msg) {
    case MSG_GET: bit = TWQC_GET; break;
    case MSG_GETCURRENT: bit = TWQC_GETCURRENT; break;
    case MSG_GETDEFAULT: bit = TWQC_GETDEFAULT; break;
    case MSG_SET: bit = TWQC_SET; break;
    case MSG_RESET: bit = TWQC_RESET; break;
    default: return TWRC_FAILURE;
    }
    if (!(r->operations & bit)) {
        *condition = TWCC_CAPBADOPERATION;
        return TWRC_FAILURE;
    }
    if (msg == MSG_SET)
        return Set(*r, cap, condition);

    HGLOBAL h = nullptr;
    TW_UINT16 container = TWON_ONEVALUE;
    switch (msg) {
    case MSG_GET:
        if (r->cap == CAP_FEEDERLOADED)
            std::memset(r->current, 0, ItemSize(r->itemType));
        h = Build(*r);
        container = r->getContainer;
        break;
    case MSG_GETCURRENT: h = OneValue(*r, r->current); break;
    case MSG_GETDEFAULT: h = OneValue(*r, r->def); break;
    default:  // MSG_RESET
        std::memcpy(r->current, r->def, size_t(ItemSize(r->itemType)) * r->defaultCount);
        r->currentCount = r->defaultCount;
        h = OneValue(*r, r->def);
        break;
    }
    if (!h) {
        *condition = TWCC_LOWMEMORY;
        return TWRC_FAILURE;
    }
    cap->ConType = container;
    cap->hContainer = h;
    *condition = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}
