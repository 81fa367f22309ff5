#include "platform/graph/MemAllocator.h"

#include <algorithm>

CMediaSample::CMediaSample(CMemAllocator* allocator, BYTE* buffer, LONG size)
    : m_allocator(allocator), m_buffer(buffer), m_size(size) {}

CMediaSample::~CMediaSample() { DeleteMediaType(m_mediaType); }

HRESULT CMediaSample::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IMediaSample) return GetInterface(this, object);
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CMediaSample::AddRef() { return ++m_refCount; }

ULONG CMediaSample::Release() {
    ULONG left = --m_refCount;
    if (left == 0) m_allocator->ReleaseBuffer(this);
    return left;
}

void CMediaSample::ResetProperties() {
    m_actualLength = 0;
    m_timeValid = m_stopValid = m_mediaTimeValid = false;
    m_syncPoint = m_preroll = m_discontinuity = false;
    DeleteMediaType(m_mediaType);
    m_mediaType = nullptr;
}

HRESULT CMediaSample::GetPointer(BYTE** buffer) {
    if (!buffer) return E_POINTER;
    *buffer = m_buffer;
    return S_OK;
}

HRESULT CMediaSample::GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) {
    if (!start || !end) return E_POINTER;
    if (!m_timeValid) return VFW_E_SAMPLE_TIME_NOT_SET;
    *start = m_start;
    if (!m_stopValid) {
        *end = m_start + 1;
        return VFW_S_NO_STOP_TIME;
    }
    *end = m_end;
    return S_OK;
}

HRESULT CMediaSample::SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) {
    m_timeValid = start != nullptr;
    m_stopValid = start && end;
    if (start) m_start = *start;
    if (end) m_end = *end;
    return S_OK;
}

HRESULT CMediaSample::SetSyncPoint(BOOL syncPoint) {
    m_syncPoint = syncPoint;
    return S_OK;
}

HRESULT CMediaSample::SetPreroll(BOOL preroll) {
    m_preroll = preroll;
    return S_OK;
}

HRESULT CMediaSample::SetActualDataLength(LONG length) {
    if (length < 0 || length > m_size) return VFW_E_BUFFER_OVERFLOW;
    m_actualLength = length;
    return S_OK;
}

HRESULT CMediaSample::GetMediaType(AM_MEDIA_TYPE** mediaType) {
    if (!mediaType) return E_POINTER;
    *mediaType = nullptr;
    if (!m_mediaType) return S_FALSE;
    *mediaType = CreateMediaType(m_mediaType);
    return *mediaType ? S_OK : E_OUTOFMEMORY;
}

HRESULT CMediaSample::SetMediaType(AM_MEDIA_TYPE* mediaType) {
    AM_MEDIA_TYPE* copy = nullptr;
    if (mediaType && !(copy = CreateMediaType(mediaType))) return E_OUTOFMEMORY;
    DeleteMediaType(m_mediaType);
    m_mediaType = copy;
    return S_OK;
}

HRESULT CMediaSample::SetDiscontinuity(BOOL discontinuity) {
    m_discontinuity = discontinuity;
    return S_OK;
}

HRESULT CMediaSample::GetMediaTime(LONGLONG* start, LONGLONG* end) {
    if (!start || !end) return E_POINTER;
    if (!m_mediaTimeValid) return VFW_E_MEDIA_TIME_NOT_SET;
    *start = m_mediaStart;
    *end = m_mediaEnd;
    return S_OK;
}

HRESULT CMediaSample::SetMediaTime(LONGLONG* start, LONGLONG* end) {
    m_mediaTimeValid = start && end;
    if (m_mediaTimeValid) {
        m_mediaStart = *start;
        m_mediaEnd = *end;
    }
    return S_OK;
}

CMemAllocator::~CMemAllocator() = default;

HRESULT CMemAllocator::Create(IMemAllocator** allocator) {
    return CreateComObject<CMemAllocator>(IID_IMemAllocator, reinterpret_cast<void**>(allocator));
}

HRESULT CMemAllocator::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IMemAllocator) return GetInterface(static_cast<IMemAllocator*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

HRESULT CMemAllocator::SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) {
    if (!request || !actual) return E_POINTER;
    std::lock_guard lock(m_lock);
    if (m_committed) return VFW_E_ALREADY_COMMITTED;
    if (m_samples.size() != m_free.size()) return VFW_E_BUFFERS_OUTSTANDING;
    if (request->cBuffers <= 0 || request->cbBuffer <= 0 || request->cbPrefix < 0) return E_INVALIDARG;
    if (request->cbAlign < 0 || (request->cbAlign & (request->cbAlign - 1))) return VFW_E_BADALIGN;
    m_properties = *request;
    m_properties.cbAlign = std::max<LONG>(1, request->cbAlign);
    // Each buffer (with its prefix) starts on the alignment.
    LONG span = request->cbBuffer + request->cbPrefix;
    span = (span + m_properties.cbAlign - 1) / m_properties.cbAlign * m_properties.cbAlign;
    m_properties.cbBuffer = span - request->cbPrefix;
    m_propertiesSet = true;
    *actual = m_properties;
    return S_OK;
}

HRESULT CMemAllocator::GetProperties(ALLOCATOR_PROPERTIES* properties) {
    if (!properties) return E_POINTER;
    std::lock_guard lock(m_lock);
    *properties = m_properties;
    return S_OK;
}

HRESULT CMemAllocator::Commit() {
    std::lock_guard lock(m_lock);
    if (!m_propertiesSet) return VFW_E_SIZENOTSET;
    if (m_committed) return S_OK;
    if (m_samples.empty()) {
        size_t span = size_t(m_properties.cbBuffer) + m_properties.cbPrefix;
        size_t align = size_t(m_properties.cbAlign);
        m_memory.reset(new (std::nothrow) BYTE[span * m_properties.cBuffers + align]);
        if (!m_memory) return E_OUTOFMEMORY;
        auto base = reinterpret_cast<uintptr_t>(m_memory.get());
        BYTE* aligned = m_memory.get() + ((align - base % align) % align);
        for (LONG i = 0; i < m_properties.cBuffers; ++i) {
            m_samples.push_back(
                std::make_unique<CMediaSample>(this, aligned + span * i + m_properties.cbPrefix, m_properties.cbBuffer));
            m_free.push_back(m_samples.back().get());
        }
    }
    m_committed = true;
    return S_OK;
}

HRESULT CMemAllocator::Decommit() {
    {
        std::lock_guard lock(m_lock);
        if (!m_committed) return S_OK;
        m_committed = false;
        FreeSamplesIfIdle();
    }
    m_sampleFree.notify_all();
    return S_OK;
}

void CMemAllocator::FreeSamplesIfIdle() {
    if (m_committed || m_free.size() != m_samples.size()) return;
    m_free.clear();
    m_samples.clear();
    m_memory.reset();
}

HRESULT CMemAllocator::GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end, DWORD flags) {
    if (!sample) return E_POINTER;
    *sample = nullptr;
    std::unique_lock lock(m_lock);
    for (;;) {
        if (!m_committed) return VFW_E_NOT_COMMITTED;
        if (!m_free.empty()) break;
        if (flags & AM_GBF_NOWAIT) return VFW_E_TIMEOUT;
        m_sampleFree.wait(lock);
    }
    CMediaSample* s = m_free.back();
    m_free.pop_back();
    s->ResetProperties();
    if (start) s->SetTime(start, end);
    // An outstanding sample keeps the allocator alive.
    NonDelegatingAddRef();
    s->AddRef();
    *sample = s;
    return S_OK;
}

HRESULT CMemAllocator::ReleaseBuffer(IMediaSample* sample) {
    if (!sample) return E_POINTER;
    {
        std::lock_guard lock(m_lock);
        auto* s = static_cast<CMediaSample*>(sample);
        m_free.push_back(s);
        FreeSamplesIfIdle();
    }
    m_sampleFree.notify_one();
    NonDelegatingRelease();
    return S_OK;
}
