// The source's capabilities: a fixed table describing a 24-bit RGB camera
// with native, file and memory transfers. Nothing here changes the camera.
#pragma once
#include "TwainProtocol.h"

#include <vector>

struct CapabilityRecord {
    TW_UINT16 cap;           // 0 for an unused record
    TW_UINT16 itemType;      // TWTY_
    TW_UINT16 getContainer;  // TWON_ of MSG_GET
    TW_UINT16 oneValueType;  // always TWON_ONEVALUE
    TW_UINT32 operations;    // TWQC_ bits
    TW_UINT32 allowedCount;
    BYTE* allowed;
    TW_UINT32 defaultCount;
    BYTE* def;
    TW_UINT32 currentCount;
    BYTE* current;
    TW_UINT32 reserved[4];
};

class CCapabilityTable {
public:
    // ICAP_BITDEPTH is kept under this identifier.
    static const TW_UINT16 kBitDepthRecord = 0x9002;

    CCapabilityTable();
    CCapabilityTable(const CCapabilityTable&) = delete;
    CCapabilityTable& operator=(const CCapabilityTable&) = delete;

    // One DAT_CAPABILITY triplet; the condition code comes back in *condition
    // (TWCC_SUCCESS when it succeeded).
    TW_UINT16 Handle(TW_UINT16 msg, TW_CAPABILITY* cap, TW_UINT16* condition);

    static TW_UINT32 ItemSize(TW_UINT16 itemType);
    // Rounded half away from zero, so that -1000 stays -1000.
    static TW_FIX32 ToFix32(float value);
    static float FromFix32(TW_FIX32 value);

private:
    static const int kRecords = 38;
    static const int kFilled = 35;

    CapabilityRecord* Find(TW_UINT16 cap);
    void Add(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT16 container, TW_UINT32 ops,
             const std::vector<std::vector<BYTE>>& allowed, size_t defaultIndex);
    // A container of `count` items at `items`, FIX32 and FRAME items converted.
    static HGLOBAL OneValue(const CapabilityRecord& r, const BYTE* item);
    static HGLOBAL Build(const CapabilityRecord& r);
    static void PutItems(BYTE* out, TW_UINT16 itemType, const BYTE* items, TW_UINT32 count);
    static TW_UINT32 IndexOf(const CapabilityRecord& r, const BYTE* item);
    TW_UINT16 Set(CapabilityRecord& r, TW_CAPABILITY* cap, TW_UINT16* condition);

    CapabilityRecord m_records[kRecords] = {};
    std::vector<BYTE> m_storage;
    std::vector<TW_UINT16> m_supported;
};
