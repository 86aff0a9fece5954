#include "LFile.h"

#include "Codec.h"
#include "LBitmapBase.h"

#include <cstring>
#include <vector>

L_INT LFile::GetInfo(pFILEINFO info, UINT size, UINT, pLOADFILEOPTION)
{
    if (!info || size < sizeof(UINT))
        return Fail(LERR_INV_PARAMETER);
    std::vector<BYTE> bytes;
    L_INT rc = imaging::ReadFileBytes(ImagingWidePath(m_bitmap->GetFileName()).c_str(), bytes);
    FILEINFO full = {};
    if (rc == SUCCESS)
        rc = imaging::ReadInfo(bytes.data(), bytes.size(), full);
    if (rc != SUCCESS)
        return Fail(rc);
    full.TotalPages = 1;
    full.SizeDisk = DWORD(bytes.size());
    full.uStructSize = size < sizeof full ? size : sizeof full;
    std::memcpy(info, &full, full.uStructSize);
    return SUCCESS;
}
