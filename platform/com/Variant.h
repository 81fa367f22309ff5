#pragma once
// Automation strings (BSTR: length-prefixed UTF-16, terminated) and the VARIANT that property
// bags hand out. Only the string form is offered: device properties are all text.
#include "platform/com/Types.h"

using BSTR = WCHAR*;
using VARTYPE = uint16_t;

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_BSTR = 8;

struct VARIANT {
    VARTYPE vt;
    BSTR bstrVal;  // owned by the variant when vt is VT_BSTR
};

// A new string holding text up to its terminator; null for a null text or when memory runs out.
BSTR SysAllocString(const WCHAR* text);
void SysFreeString(BSTR text);  // null is allowed
UINT SysStringLen(BSTR text);

void VariantInit(VARIANT* variant);
// Frees what the variant owns and leaves it empty.
HRESULT VariantClear(VARIANT* variant);
