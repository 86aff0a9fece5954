#include "LBaseFile.h"

#include <cstring>

L_INT LBaseFile::GetDefaultLoadFileOption(pLOADFILEOPTION options, UINT size)
{
    if (!options || size < sizeof(UINT))
        return Fail(LERR_INV_PARAMETER);
    LOADFILEOPTION defaults = {};
    defaults.uStructSize = size < sizeof defaults ? size : sizeof defaults;
    std::memcpy(options, &defaults, defaults.uStructSize);
    return SUCCESS;
}
