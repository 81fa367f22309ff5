#include "platform/graph/TransformFilter.h"

using orvo::graph::MediaType;

CTransformInputPin::CTransformInputPin(CTransformFilter* filter, const char16_t* name)
    : CBaseInputPin(filter, name), m_transform(filter) {}

HRESULT CTransformInputPin::Receive(IMediaSample* sample) {
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    return m_transform->Receive(sample);
}

HRESULT CTransformInputPin::CheckMediaType(const MediaType& mediaType) { return m_transform->CheckInputType(mediaType); }

HRESULT CTransformInputPin::SetMediaType(const MediaType& mediaType) {
    HRESULT hr = m_transform->SetMediaType(PINDIR_INPUT, mediaType);
    return FAILED(hr) ? hr : CBasePin::SetMediaType(mediaType);
}

HRESULT CTransformInputPin::BreakConnect() {
    m_transform->BreakConnect(PINDIR_INPUT);
    return CBaseInputPin::BreakConnect();
}

CTransformOutputPin::CTransformOutputPin(CTransformFilter* filter, const char16_t* name)
    : CBaseOutputPin(filter, name), m_transform(filter), m_position(static_cast<IPin*>(this), filter->InputPin()) {}

HRESULT CTransformOutputPin::QueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IMediaSeeking) return GetInterface(&m_position, object);
    return CBaseOutputPin::QueryInterface(riid, object);
}

HRESULT CTransformOutputPin::CheckConnect(IPin* pin) {
    if (!m_transform->InputPin()->IsConnected()) return E_UNEXPECTED;
    return CBaseOutputPin::CheckConnect(pin);
}

HRESULT CTransformOutputPin::CheckMediaType(const MediaType& mediaType) {
    CTransformInputPin* input = m_transform->InputPin();
    if (!input->IsConnected()) return E_UNEXPECTED;
    return m_transform->CheckTransform(input->CurrentMediaType(), mediaType);
}

HRESULT CTransformOutputPin::GetMediaType(int position, MediaType& mediaType) {
    if (!m_transform->InputPin()->IsConnected()) return E_UNEXPECTED;
    return m_transform->GetMediaType(position, mediaType);
}

HRESULT CTransformOutputPin::SetMediaType(const MediaType& mediaType) {
    HRESULT hr = m_transform->SetMediaType(PINDIR_OUTPUT, mediaType);
    return FAILED(hr) ? hr : CBasePin::SetMediaType(mediaType);
}

HRESULT CTransformOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    return m_transform->DecideBufferSize(allocator, request);
}

CTransformFilter::CTransformFilter(REFCLSID clsid)
    : CBaseFilter(clsid), m_input(this, u"XForm In"), m_output(this, u"XForm Out") {}

CTransformFilter::~CTransformFilter() = default;

CBasePin* CTransformFilter::GetPin(int index) {
    if (index == 0) return &m_input;
    if (index == 1) return &m_output;
    return nullptr;
}

HRESULT CTransformFilter::InputEndOfStream(CBaseInputPin* pin) {
    HRESULT hr = pin->CheckStreaming();
    if (hr != S_OK) return hr == S_FALSE ? S_OK : hr;
    return m_output.DeliverEndOfStream();
}

HRESULT CTransformFilter::OnStopStreaming() {
    std::lock_guard receiving(m_receiveLock);
    return S_OK;
}

// Upstream streaming thread.
HRESULT CTransformFilter::Receive(IMediaSample* in) {
    std::lock_guard receiving(m_receiveLock);
    if (IsStopped()) return VFW_E_WRONG_STATE;
    ComPtr<IMediaSample> out;
    HRESULT hr = m_output.GetDeliveryBuffer(out.Put(), nullptr, nullptr, 0);
    if (FAILED(hr)) return hr == VFW_E_NOT_COMMITTED ? VFW_E_WRONG_STATE : hr;
    REFERENCE_TIME start, end;
    HRESULT timed = in->GetTime(&start, &end);
    if (timed == S_OK)
        out->SetTime(&start, &end);
    else if (timed == VFW_S_NO_STOP_TIME)
        out->SetTime(&start, nullptr);
    LONGLONG mediaStart, mediaEnd;
    if (SUCCEEDED(in->GetMediaTime(&mediaStart, &mediaEnd))) out->SetMediaTime(&mediaStart, &mediaEnd);
    out->SetSyncPoint(in->IsSyncPoint() == S_OK);
    out->SetDiscontinuity(in->IsDiscontinuity() == S_OK);
    out->SetPreroll(in->IsPreroll() == S_OK);
    hr = Transform(in, out.Get());
    if (hr == S_FALSE) return S_OK;
    if (FAILED(hr)) return hr;
    return m_output.Deliver(out.Get());
}
