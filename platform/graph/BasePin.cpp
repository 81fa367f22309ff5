#include "platform/graph/BasePin.h"

#include "platform/com/Runtime.h"
#include "platform/graph/Enumerators.h"
#include "platform/graph/MemAllocator.h"

using orvo::graph::MediaType;

namespace {

bool IsPartial(const AM_MEDIA_TYPE* mt) {
    return mt->majortype == GUID_NULL || mt->subtype == GUID_NULL || mt->formattype == GUID_NULL;
}

}  // namespace

CBasePin::CBasePin(CBaseFilter* filter, const char16_t* name, PIN_DIRECTION direction)
    : m_filter(filter), m_lock(filter->FilterLock()), m_name(name ? name : u""), m_direction(direction) {}

CBasePin::~CBasePin() = default;

HRESULT CBasePin::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IPin) return GetInterface(static_cast<IPin*>(this), object);
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CBasePin::AddRef() { return m_filter->NonDelegatingAddRef(); }
ULONG CBasePin::Release() { return m_filter->NonDelegatingRelease(); }

HRESULT CBasePin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* mediaType) {
    if (!receivePin) return E_POINTER;
    std::lock_guard lock(m_lock);
    if (IsConnected()) return VFW_E_ALREADY_CONNECTED;
    if (!m_filter->IsStopped()) return VFW_E_NOT_STOPPED;
    if (mediaType && !IsPartial(mediaType)) return AttemptConnection(receivePin, MediaType(*mediaType));

    // The receiving pin's preferred types first, then this pin's own.
    ComPtr<IEnumMediaTypes> theirs;
    if (SUCCEEDED(receivePin->EnumMediaTypes(theirs.Put())) &&
        SUCCEEDED(TryMediaTypes(receivePin, mediaType, theirs.Get())))
        return S_OK;
    ComPtr<IEnumMediaTypes> ours;
    if (SUCCEEDED(EnumMediaTypes(ours.Put())) && SUCCEEDED(TryMediaTypes(receivePin, mediaType, ours.Get())))
        return S_OK;
    return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT CBasePin::TryMediaTypes(IPin* receivePin, const AM_MEDIA_TYPE* partial, IEnumMediaTypes* types) {
    AM_MEDIA_TYPE* mt = nullptr;
    while (types->Next(1, &mt, nullptr) == S_OK) {
        MediaType candidate;
        candidate.Adopt(*mt);
        CoTaskMemFree(mt);
        if (partial && !MediaTypeMatchesPartial(candidate, *partial)) continue;
        if (SUCCEEDED(AttemptConnection(receivePin, candidate))) return S_OK;
    }
    return VFW_E_NO_ACCEPTABLE_TYPES;
}

HRESULT CBasePin::AttemptConnection(IPin* receivePin, const MediaType& mediaType) {
    HRESULT hr = CheckConnect(receivePin);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    if (CheckMediaType(mediaType) != S_OK) {
        BreakConnect();
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    m_connected = ComPtr<IPin>(receivePin);
    hr = SetMediaType(mediaType);
    if (SUCCEEDED(hr)) {
        hr = receivePin->ReceiveConnection(this, &mediaType);
        if (SUCCEEDED(hr)) {
            hr = CompleteConnect(receivePin);
            if (SUCCEEDED(hr)) return S_OK;
            receivePin->Disconnect();
        }
    }
    BreakConnect();
    m_connected.Reset();
    m_mediaType.Clear();
    return hr;
}

HRESULT CBasePin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mediaType) {
    if (!connector || !mediaType) return E_POINTER;
    std::lock_guard lock(m_lock);
    if (IsConnected()) return VFW_E_ALREADY_CONNECTED;
    if (!m_filter->IsStopped()) return VFW_E_NOT_STOPPED;
    HRESULT hr = CheckConnect(connector);
    if (FAILED(hr)) {
        BreakConnect();
        return hr;
    }
    MediaType mt(*mediaType);
    if (CheckMediaType(mt) != S_OK) {
        BreakConnect();
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    m_connected = ComPtr<IPin>(connector);
    hr = SetMediaType(mt);
    if (SUCCEEDED(hr)) hr = CompleteConnect(connector);
    if (SUCCEEDED(hr)) return S_OK;
    BreakConnect();
    m_connected.Reset();
    m_mediaType.Clear();
    return hr;
}

HRESULT CBasePin::Disconnect() {
    std::lock_guard lock(m_lock);
    if (!m_filter->IsStopped()) return VFW_E_NOT_STOPPED;
    if (!IsConnected()) return S_FALSE;
    HRESULT hr = BreakConnect();
    if (FAILED(hr)) return hr;
    m_connected.Reset();
    m_mediaType.Clear();
    return S_OK;
}

HRESULT CBasePin::ConnectedTo(IPin** pin) {
    if (!pin) return E_POINTER;
    std::lock_guard lock(m_lock);
    *pin = ComPtr<IPin>(m_connected).Detach();
    return *pin ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT CBasePin::ConnectionMediaType(AM_MEDIA_TYPE* mediaType) {
    if (!mediaType) return E_POINTER;
    std::lock_guard lock(m_lock);
    if (!IsConnected()) {
        *mediaType = AM_MEDIA_TYPE{};
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(mediaType, &m_mediaType);
}

HRESULT CBasePin::QueryPinInfo(PIN_INFO* info) {
    if (!info) return E_POINTER;
    info->pFilter = m_filter;
    m_filter->AddRef();
    info->dir = m_direction;
    orvo::graph::CopyName(info->achName, MAX_PIN_NAME, m_name);
    return S_OK;
}

HRESULT CBasePin::QueryDirection(PIN_DIRECTION* direction) {
    if (!direction) return E_POINTER;
    *direction = m_direction;
    return S_OK;
}

HRESULT CBasePin::QueryId(LPWSTR* id) {
    if (!id) return E_POINTER;
    *id = orvo::graph::CoTaskStrDup(m_name);
    return *id ? S_OK : E_OUTOFMEMORY;
}

HRESULT CBasePin::QueryAccept(const AM_MEDIA_TYPE* mediaType) {
    if (!mediaType) return E_POINTER;
    return CheckMediaType(MediaType(*mediaType)) == S_OK ? S_OK : S_FALSE;
}

HRESULT CBasePin::EnumMediaTypes(IEnumMediaTypes** types) {
    if (!types) return E_POINTER;
    return CreateComObject<CEnumMediaTypes>(IID_IEnumMediaTypes, reinterpret_cast<void**>(types), this);
}

HRESULT CBasePin::QueryInternalConnections(IPin**, ULONG*) { return E_NOTIMPL; }

HRESULT CBasePin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    m_segmentStart = start;
    m_segmentStop = stop;
    m_segmentRate = rate;
    return S_OK;
}

HRESULT CBasePin::GetMediaType(int, MediaType&) { return VFW_S_NO_MORE_ITEMS; }

HRESULT CBasePin::SetMediaType(const MediaType& mediaType) {
    m_mediaType = mediaType;
    return S_OK;
}

HRESULT CBasePin::CheckConnect(IPin* pin) {
    PIN_DIRECTION theirs;
    HRESULT hr = pin->QueryDirection(&theirs);
    if (FAILED(hr)) return hr;
    return theirs == m_direction ? VFW_E_INVALID_DIRECTION : S_OK;
}

CBaseOutputPin::CBaseOutputPin(CBaseFilter* filter, const char16_t* name) : CBasePin(filter, name, PINDIR_OUTPUT) {}

HRESULT CBaseOutputPin::CheckConnect(IPin* pin) {
    HRESULT hr = CBasePin::CheckConnect(pin);
    if (FAILED(hr)) return hr;
    ComPtr<IMemInputPin> input;
    if (FAILED(pin->QueryInterface(IID_IMemInputPin, input.PutVoid()))) return VFW_E_NO_TRANSPORT;
    m_input = input;
    return S_OK;
}

HRESULT CBaseOutputPin::CompleteConnect(IPin*) { return DecideAllocator(m_input.Get()); }

HRESULT CBaseOutputPin::DecideAllocator(IMemInputPin* input) {
    ALLOCATOR_PROPERTIES request{};
    input->GetAllocatorRequirements(&request);
    ComPtr<IMemAllocator> allocator;
    if (SUCCEEDED(input->GetAllocator(allocator.Put()))) {
        HRESULT hr = DecideBufferSize(allocator.Get(), &request);
        if (SUCCEEDED(hr) && SUCCEEDED(input->NotifyAllocator(allocator.Get(), FALSE))) {
            m_allocator = allocator;
            return S_OK;
        }
    }
    HRESULT hr = CMemAllocator::Create(allocator.Put());
    if (FAILED(hr)) return hr;
    hr = DecideBufferSize(allocator.Get(), &request);
    if (FAILED(hr)) return hr;
    hr = input->NotifyAllocator(allocator.Get(), FALSE);
    if (FAILED(hr)) return hr;
    m_allocator = allocator;
    return S_OK;
}

HRESULT CBaseOutputPin::BreakConnect() {
    if (m_allocator) m_allocator->Decommit();
    m_allocator.Reset();
    m_input.Reset();
    return S_OK;
}

HRESULT CBaseOutputPin::Active() {
    if (!m_allocator) return IsConnected() ? VFW_E_NO_ALLOCATOR : S_OK;
    return m_allocator->Commit();
}

HRESULT CBaseOutputPin::Inactive() {
    if (m_allocator) m_allocator->Decommit();
    return S_OK;
}

HRESULT CBaseOutputPin::GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end,
                                          DWORD flags) {
    if (!m_allocator) return VFW_E_NO_ALLOCATOR;
    return m_allocator->GetBuffer(sample, start, end, flags);
}

HRESULT CBaseOutputPin::Deliver(IMediaSample* sample) {
    if (!m_input) return VFW_E_NOT_CONNECTED;
    return m_input->Receive(sample);
}

HRESULT CBaseOutputPin::DeliverEndOfStream() {
    IPin* peer = GetConnected();
    return peer ? peer->EndOfStream() : VFW_E_NOT_CONNECTED;
}

HRESULT CBaseOutputPin::DeliverBeginFlush() {
    IPin* peer = GetConnected();
    return peer ? peer->BeginFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT CBaseOutputPin::DeliverEndFlush() {
    IPin* peer = GetConnected();
    return peer ? peer->EndFlush() : VFW_E_NOT_CONNECTED;
}

HRESULT CBaseOutputPin::DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    IPin* peer = GetConnected();
    return peer ? peer->NewSegment(start, stop, rate) : VFW_E_NOT_CONNECTED;
}

CBaseInputPin::CBaseInputPin(CBaseFilter* filter, const char16_t* name) : CBasePin(filter, name, PINDIR_INPUT) {}

HRESULT CBaseInputPin::QueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IMemInputPin) return GetInterface(static_cast<IMemInputPin*>(this), object);
    return CBasePin::QueryInterface(riid, object);
}

HRESULT CBaseInputPin::EndOfStream() { return m_filter->InputEndOfStream(this); }

HRESULT CBaseInputPin::BeginFlush() {
    m_flushing = true;
    return m_filter->InputBeginFlush(this);
}

HRESULT CBaseInputPin::EndFlush() {
    HRESULT hr = m_filter->InputEndFlush(this);
    m_flushing = false;
    return hr;
}

HRESULT CBaseInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    CBasePin::NewSegment(start, stop, rate);
    return m_filter->InputNewSegment(this, start, stop, rate);
}

HRESULT CBaseInputPin::GetAllocator(IMemAllocator** allocator) {
    if (!allocator) return E_POINTER;
    std::lock_guard lock(m_lock);
    if (!m_allocator) {
        HRESULT hr = CMemAllocator::Create(m_allocator.Put());
        if (FAILED(hr)) return hr;
    }
    *allocator = ComPtr<IMemAllocator>(m_allocator).Detach();
    return S_OK;
}

HRESULT CBaseInputPin::NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) {
    if (!allocator) return E_POINTER;
    std::lock_guard lock(m_lock);
    m_allocator = ComPtr<IMemAllocator>(allocator);
    m_readOnly = readOnly;
    return S_OK;
}

HRESULT CBaseInputPin::GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) { return E_NOTIMPL; }

HRESULT CBaseInputPin::CheckStreaming() {
    if (m_filter->IsStopped()) return VFW_E_WRONG_STATE;
    if (m_flushing) return S_FALSE;
    return S_OK;
}

HRESULT CBaseInputPin::Receive(IMediaSample* sample) {
    if (!sample) return E_POINTER;
    HRESULT hr = CheckStreaming();
    if (hr != S_OK) return hr;
    AM_MEDIA_TYPE* changed = nullptr;
    if (sample->GetMediaType(&changed) == S_OK && changed) {
        MediaType mt;
        mt.Adopt(*changed);
        CoTaskMemFree(changed);
        std::lock_guard lock(m_lock);
        if (CheckMediaType(mt) != S_OK) return VFW_E_INVALIDMEDIATYPE;
        hr = SetMediaType(mt);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT CBaseInputPin::ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) {
    if (!samples || !processed) return E_POINTER;
    *processed = 0;
    HRESULT hr = S_OK;
    while (*processed < count && (hr = Receive(samples[*processed])) == S_OK) ++*processed;
    return hr;
}

HRESULT CBaseInputPin::BreakConnect() {
    if (m_allocator) m_allocator->Decommit();
    m_allocator.Reset();
    return S_OK;
}

HRESULT CBaseInputPin::Inactive() {
    m_flushing = false;
    if (m_allocator) m_allocator->Decommit();
    return S_OK;
}
