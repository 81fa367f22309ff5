#include "platform/graph/MediaType.h"

#include <cstring>

#include "platform/com/Runtime.h"

void FreeMediaType(AM_MEDIA_TYPE& mt) {
    if (mt.pbFormat) CoTaskMemFree(mt.pbFormat);
    mt.pbFormat = nullptr;
    mt.cbFormat = 0;
    mt.formattype = GUID_NULL;
    if (mt.pUnk) mt.pUnk->Release();
    mt.pUnk = nullptr;
}

void DeleteMediaType(AM_MEDIA_TYPE* mt) {
    if (!mt) return;
    FreeMediaType(*mt);
    CoTaskMemFree(mt);
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source) {
    if (!target || !source) return E_POINTER;
    *target = *source;
    target->pbFormat = nullptr;
    target->cbFormat = 0;
    if (source->cbFormat && source->pbFormat) {
        target->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source->cbFormat));
        if (!target->pbFormat) {
            target->pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(target->pbFormat, source->pbFormat, source->cbFormat);
        target->cbFormat = source->cbFormat;
    }
    if (target->pUnk) target->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source) {
    auto* mt = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!mt) return nullptr;
    if (FAILED(CopyMediaType(mt, source))) {
        CoTaskMemFree(mt);
        return nullptr;
    }
    return mt;
}

HRESULT SetMediaTypeFormat(AM_MEDIA_TYPE& mt, const GUID& formatType, const void* data, ULONG size) {
    BYTE* block = nullptr;
    if (size) {
        block = static_cast<BYTE*>(CoTaskMemAlloc(size));
        if (!block) return E_OUTOFMEMORY;
        if (data)
            std::memcpy(block, data, size);
        else
            std::memset(block, 0, size);
    }
    if (mt.pbFormat) CoTaskMemFree(mt.pbFormat);
    mt.pbFormat = block;
    mt.cbFormat = size;
    mt.formattype = formatType;
    return S_OK;
}

bool MediaTypesEqual(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b) {
    if (a.majortype != b.majortype || a.subtype != b.subtype || a.formattype != b.formattype) return false;
    if (a.cbFormat != b.cbFormat) return false;
    return a.cbFormat == 0 || std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0;
}

bool MediaTypeMatchesPartial(const AM_MEDIA_TYPE& full, const AM_MEDIA_TYPE& partial) {
    if (partial.majortype != GUID_NULL && partial.majortype != full.majortype) return false;
    if (partial.subtype != GUID_NULL && partial.subtype != full.subtype) return false;
    if (partial.formattype != GUID_NULL) {
        if (partial.formattype != full.formattype) return false;
        if (partial.cbFormat && (partial.cbFormat != full.cbFormat ||
                                 std::memcmp(partial.pbFormat, full.pbFormat, full.cbFormat) != 0))
            return false;
    }
    return true;
}

namespace orvo::graph {

MediaType::MediaType() : AM_MEDIA_TYPE{} { bFixedSizeSamples = TRUE; lSampleSize = 1; }

MediaType::MediaType(const GUID& major, const GUID& sub, const GUID& format) : MediaType() {
    majortype = major;
    subtype = sub;
    formattype = format;
}

MediaType::MediaType(const AM_MEDIA_TYPE& other) : AM_MEDIA_TYPE{} {
    if (FAILED(CopyMediaType(this, &other))) static_cast<AM_MEDIA_TYPE&>(*this) = AM_MEDIA_TYPE{};
}

MediaType::MediaType(const MediaType& other) : MediaType(static_cast<const AM_MEDIA_TYPE&>(other)) {}

MediaType::MediaType(MediaType&& other) noexcept : AM_MEDIA_TYPE(other) {
    static_cast<AM_MEDIA_TYPE&>(other) = AM_MEDIA_TYPE{};
}

MediaType& MediaType::operator=(const AM_MEDIA_TYPE& other) {
    if (&other != this) {
        MediaType copy(other);
        *this = std::move(copy);
    }
    return *this;
}

MediaType& MediaType::operator=(const MediaType& other) { return *this = static_cast<const AM_MEDIA_TYPE&>(other); }

MediaType& MediaType::operator=(MediaType&& other) noexcept {
    if (&other != this) {
        Clear();
        static_cast<AM_MEDIA_TYPE&>(*this) = other;
        static_cast<AM_MEDIA_TYPE&>(other) = AM_MEDIA_TYPE{};
    }
    return *this;
}

MediaType::~MediaType() { FreeMediaType(*this); }

void MediaType::Adopt(AM_MEDIA_TYPE& source) {
    Clear();
    static_cast<AM_MEDIA_TYPE&>(*this) = source;
    source = AM_MEDIA_TYPE{};
}

void MediaType::Clear() {
    FreeMediaType(*this);
    static_cast<AM_MEDIA_TYPE&>(*this) = AM_MEDIA_TYPE{};
}

}  // namespace orvo::graph
