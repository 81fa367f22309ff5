#include "platform/com/Guid.h"

#include <cstdio>

#include "platform/com/HResult.h"

std::optional<GUID> GuidFromString(std::string_view text) { return orvo::guid_detail::Parse(text); }

std::string GuidToString(REFGUID g) {
    char buf[39];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                  g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return buf;
}

HRESULT CLSIDFromString(const WCHAR* text, CLSID* clsid) {
    if (!clsid) return E_INVALIDARG;
    *clsid = GUID_NULL;
    if (!text) return CO_E_CLASSSTRING;
    std::string narrow;
    for (; *text && narrow.size() <= 38; ++text) {
        if (*text > 0x7F) return CO_E_CLASSSTRING;
        narrow.push_back(char(*text));
    }
    const std::optional<GUID> parsed = GuidFromString(narrow);
    if (!parsed) return CO_E_CLASSSTRING;
    *clsid = *parsed;
    return S_OK;
}
