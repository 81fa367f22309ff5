#include "platform/com/Variant.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/com/HResult.h"

namespace {

// The length in bytes sits just before the characters.
uint32_t* Prefix(BSTR text) { return reinterpret_cast<uint32_t*>(text) - 1; }

}  // namespace

BSTR SysAllocString(const WCHAR* text) {
    if (!text) return nullptr;
    size_t length = 0;
    while (text[length]) ++length;
    auto* block = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) + (length + 1) * sizeof(WCHAR)));
    if (!block) return nullptr;
    block[0] = uint32_t(length * sizeof(WCHAR));
    auto* characters = reinterpret_cast<WCHAR*>(block + 1);
    std::memcpy(characters, text, (length + 1) * sizeof(WCHAR));
    return characters;
}

void SysFreeString(BSTR text) {
    if (text) std::free(Prefix(text));
}

UINT SysStringLen(BSTR text) { return text ? *Prefix(text) / sizeof(WCHAR) : 0; }

void VariantInit(VARIANT* variant) {
    if (!variant) return;
    variant->vt = VT_EMPTY;
    variant->bstrVal = nullptr;
}

HRESULT VariantClear(VARIANT* variant) {
    if (!variant) return E_INVALIDARG;
    if (variant->vt == VT_BSTR) SysFreeString(variant->bstrVal);
    VariantInit(variant);
    return S_OK;
}
