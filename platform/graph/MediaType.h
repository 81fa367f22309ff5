#pragma once
// AM_MEDIA_TYPE, the description of a connection's data, and the rules for owning one:
// the format block and pUnk belong to the type; FreeMediaType releases them and leaves the
// struct, DeleteMediaType also frees a type that CreateMediaType (or an enumerator) made.
#include "platform/com/Unknown.h"
#include "platform/graph/MediaGuids.h"

using REFERENCE_TIME = LONGLONG;  // 100-nanosecond units

struct AM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    BOOL bFixedSizeSamples;
    BOOL bTemporalCompression;
    ULONG lSampleSize;
    GUID formattype;
    IUnknown* pUnk;
    ULONG cbFormat;
    BYTE* pbFormat;  // CoTaskMemAlloc'd
};

// Releases the format block and pUnk, leaving an empty type.
void FreeMediaType(AM_MEDIA_TYPE& mt);
// Frees a heap type from CreateMediaType, with what it holds; null is allowed.
void DeleteMediaType(AM_MEDIA_TYPE* mt);
// Deep copy into target (which holds nothing); E_OUTOFMEMORY leaves target empty.
HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source);
// A heap (CoTaskMemAlloc'd) deep copy, or nullptr when memory runs out.
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source);

// Replaces the format block of mt with a copy of size bytes of data (zeroed when data is null).
HRESULT SetMediaTypeFormat(AM_MEDIA_TYPE& mt, const GUID& formatType, const void* data, ULONG size);

// Whether two types name the same major type, subtype and format type with equal format blocks.
bool MediaTypesEqual(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b);

// Whether partial matches full, where GUID_NULL in partial's major type, subtype or format
// type stands for any value.
bool MediaTypeMatchesPartial(const AM_MEDIA_TYPE& full, const AM_MEDIA_TYPE& partial);

namespace orvo::graph {

// An AM_MEDIA_TYPE that owns its format block and pUnk; copies are deep.
class MediaType : public AM_MEDIA_TYPE {
public:
    MediaType();
    explicit MediaType(const GUID& major, const GUID& sub = GUID_NULL, const GUID& format = FORMAT_None);
    MediaType(const AM_MEDIA_TYPE& other);
    MediaType(const MediaType& other);
    MediaType(MediaType&& other) noexcept;
    MediaType& operator=(const AM_MEDIA_TYPE& other);
    MediaType& operator=(const MediaType& other);
    MediaType& operator=(MediaType&& other) noexcept;
    ~MediaType();

    bool IsValid() const { return majortype != GUID_NULL; }
    // Takes the content of a heap or stack type, leaving source empty.
    void Adopt(AM_MEDIA_TYPE& source);
    void Clear();

    template <class T>
    const T* FormatAs() const {
        return cbFormat >= sizeof(T) && pbFormat ? reinterpret_cast<const T*>(pbFormat) : nullptr;
    }
};

}  // namespace orvo::graph
