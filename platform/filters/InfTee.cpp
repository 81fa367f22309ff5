#include "platform/filters/InfTee.h"

#include <string>

#include "platform/com/Runtime.h"
#include "platform/graph/ClassIds.h"

namespace orvo::filters {

CTeeInputPin::CTeeInputPin(CInfTee* tee) : CBaseInputPin(tee, u"Input"), m_tee(tee) {}

HRESULT CTeeInputPin::Receive(IMediaSample* sample) {
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    return m_tee->ForEachQueue([&](COutputQueue* queue) { queue->Receive(sample); });
}

HRESULT CTeeInputPin::EndOfStream() {
    HRESULT hr = CheckStreaming();
    if (hr != S_OK) return hr == S_FALSE ? S_OK : hr;
    return m_tee->ForEachQueue([](COutputQueue* queue) { queue->EndOfStream(); });
}

HRESULT CTeeInputPin::BeginFlush() {
    CBaseInputPin::BeginFlush();
    return m_tee->ForEachQueue([](COutputQueue* queue) { queue->BeginFlush(); });
}

HRESULT CTeeInputPin::EndFlush() {
    HRESULT hr = m_tee->ForEachQueue([](COutputQueue* queue) { queue->EndFlush(); });
    CBaseInputPin::EndFlush();
    return hr;
}

HRESULT CTeeInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    CBasePin::NewSegment(start, stop, rate);
    return m_tee->ForEachQueue([&](COutputQueue* queue) { queue->NewSegment(start, stop, rate); });
}

// Any type while no output is connected; afterwards only the type the outputs carry.
HRESULT CTeeInputPin::CheckMediaType(const graph::MediaType& mediaType) {
    HRESULT hr = S_OK;
    m_tee->ForEachConnectedOutput([&](CTeeOutputPin* out) {
        if (!MediaTypesEqual(out->CurrentMediaType(), mediaType)) hr = VFW_E_TYPE_NOT_ACCEPTED;
        return S_OK;
    });
    return hr;
}

CTeeOutputPin::CTeeOutputPin(CInfTee* tee, const char16_t* name)
    : CBaseOutputPin(tee, name), m_tee(tee), m_position(static_cast<IPin*>(this), tee->InputPin()) {}

HRESULT CTeeOutputPin::QueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IMediaSeeking) return GetInterface(&m_position, object);
    return CBaseOutputPin::QueryInterface(riid, object);
}

HRESULT CTeeOutputPin::CheckMediaType(const graph::MediaType& mediaType) {
    CTeeInputPin* input = m_tee->InputPin();
    if (!input->IsConnected()) return VFW_E_NOT_CONNECTED;
    return MediaTypesEqual(input->CurrentMediaType(), mediaType) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CTeeOutputPin::GetMediaType(int position, graph::MediaType& mediaType) {
    CTeeInputPin* input = m_tee->InputPin();
    if (!input->IsConnected()) return VFW_E_NOT_CONNECTED;
    if (position != 0) return VFW_S_NO_MORE_ITEMS;
    mediaType = input->CurrentMediaType();
    return S_OK;
}

// Samples pass through untouched, so each output takes buffers like the upstream ones.
HRESULT CTeeOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    ALLOCATOR_PROPERTIES wanted{4, 4096, 1, 0};
    ComPtr<IMemAllocator> upstream;
    if (SUCCEEDED(m_tee->InputPin()->GetAllocator(upstream.Put()))) {
        ALLOCATOR_PROPERTIES props{};
        if (SUCCEEDED(upstream->GetProperties(&props)) && props.cbBuffer > 0) wanted = props;
    }
    ALLOCATOR_PROPERTIES actual{};
    return allocator->SetProperties(&wanted, &actual);
}

HRESULT CTeeOutputPin::Active() {
    HRESULT hr = CBaseOutputPin::Active();
    std::lock_guard lock(m_tee->QueueLock());
    if (SUCCEEDED(hr) && IsConnected()) m_queue = std::make_unique<COutputQueue>(this);
    return hr;
}

HRESULT CTeeOutputPin::Inactive() {
    HRESULT hr = CBaseOutputPin::Inactive();
    std::lock_guard lock(m_tee->QueueLock());
    m_queue.reset();
    return hr;
}

HRESULT CTeeOutputPin::CompleteConnect(IPin* receivePin) {
    HRESULT hr = CBaseOutputPin::CompleteConnect(receivePin);
    if (SUCCEEDED(hr)) m_tee->EnsureFreeOutput();
    return hr;
}

CInfTee::CInfTee() : CBaseFilter(CLSID_InfTee), m_input(this) { EnsureFreeOutput(); }

HRESULT CInfTee::Create(REFIID riid, void** object) { return CreateComObject<CInfTee>(riid, object); }

int CInfTee::GetPinCount() {
    std::lock_guard lock(m_filterLock);
    return 1 + int(m_outputs.size());
}

CBasePin* CInfTee::GetPin(int index) {
    std::lock_guard lock(m_filterLock);
    if (index == 0) return &m_input;
    if (index < 0 || size_t(index) > m_outputs.size()) return nullptr;
    return m_outputs[size_t(index - 1)].get();
}

void CInfTee::EnsureFreeOutput() {
    for (auto& pin : m_outputs)
        if (!pin->IsConnected()) return;
    std::string digits = std::to_string(m_outputs.size() + 1);
    std::u16string name = u"Output" + std::u16string(digits.begin(), digits.end());
    m_outputs.push_back(std::make_unique<CTeeOutputPin>(this, name.c_str()));
    IncrementPinVersion();
}

static com::ClassRegistration s_infTee(CLSID_InfTee, &CInfTee::Create);

}  // namespace orvo::filters
