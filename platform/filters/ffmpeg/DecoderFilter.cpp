#include "platform/filters/ffmpeg/DecoderFilter.h"

#include <algorithm>

namespace orvo::ffmpeg {

CDecoderInputPin::CDecoderInputPin(CDecoderFilter* filter, const char16_t* name)
    : CBaseInputPin(filter, name), m_decoder(filter) {}

HRESULT CDecoderInputPin::CheckMediaType(const graph::MediaType& mediaType) {
    return m_decoder->CheckInputType(mediaType);
}

HRESULT CDecoderInputPin::SetMediaType(const graph::MediaType& mediaType) {
    HRESULT hr = m_decoder->OpenDecoder(mediaType);
    return FAILED(hr) ? hr : CBaseInputPin::SetMediaType(mediaType);
}

HRESULT CDecoderInputPin::Receive(IMediaSample* sample) {
    // A type change on the sample reopens the decoder under the filter lock, before the
    // stream lock, keeping the lock order.
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    std::lock_guard lock(m_decoder->m_streamLock);
    return m_decoder->Decode(sample);
}

HRESULT CDecoderInputPin::EndOfStream() {
    std::lock_guard lock(m_decoder->m_streamLock);
    if (HRESULT hr = CheckStreaming(); hr != S_OK) return hr;
    m_decoder->Drain();
    return m_decoder->OutputPin()->IsConnected() ? m_decoder->OutputPin()->DeliverEndOfStream() : S_OK;
}

HRESULT CDecoderInputPin::BeginFlush() {
    CBaseInputPin::BeginFlush();
    return m_decoder->OutputPin()->IsConnected() ? m_decoder->OutputPin()->DeliverBeginFlush() : S_OK;
}

HRESULT CDecoderInputPin::EndFlush() {
    std::lock_guard lock(m_decoder->m_streamLock);
    m_decoder->Discard();
    CBaseInputPin::EndFlush();
    return m_decoder->OutputPin()->IsConnected() ? m_decoder->OutputPin()->DeliverEndFlush() : S_OK;
}

HRESULT CDecoderInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    std::lock_guard lock(m_decoder->m_streamLock);
    CBaseInputPin::NewSegment(start, stop, rate);
    return m_decoder->OutputPin()->IsConnected() ? m_decoder->OutputPin()->DeliverNewSegment(start, stop, rate)
                                                 : S_OK;
}

CDecoderOutputPin::CDecoderOutputPin(CDecoderFilter* filter, const char16_t* name)
    : CBaseOutputPin(filter, name), m_decoder(filter), m_position(this, filter->InputPin()) {}

HRESULT CDecoderOutputPin::QueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IMediaSeeking) return GetInterface(static_cast<IMediaSeeking*>(&m_position), object);
    return CBaseOutputPin::QueryInterface(riid, object);
}

HRESULT CDecoderOutputPin::CheckConnect(IPin* pin) {
    if (!m_decoder->InputPin()->IsConnected()) return VFW_E_NOT_CONNECTED;
    return CBaseOutputPin::CheckConnect(pin);
}

HRESULT CDecoderOutputPin::CheckMediaType(const graph::MediaType& mediaType) {
    if (!m_decoder->InputPin()->IsConnected()) return VFW_E_NOT_CONNECTED;
    return m_decoder->CheckOutputType(mediaType);
}

HRESULT CDecoderOutputPin::GetMediaType(int position, graph::MediaType& mediaType) {
    if (!m_decoder->InputPin()->IsConnected()) return VFW_E_NOT_CONNECTED;
    return m_decoder->GetOutputType(position, mediaType);
}

HRESULT CDecoderOutputPin::SetMediaType(const graph::MediaType& mediaType) {
    m_decoder->SetOutputType(mediaType);
    return CBaseOutputPin::SetMediaType(mediaType);
}

HRESULT CDecoderOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) {
    const LONG size = m_decoder->OutputBufferSize();
    ALLOCATOR_PROPERTIES wanted{std::max<LONG>(request->cBuffers, 4), std::max(request->cbBuffer, size),
                                std::max<LONG>(request->cbAlign, 1), request->cbPrefix};
    ALLOCATOR_PROPERTIES actual{};
    HRESULT hr = allocator->SetProperties(&wanted, &actual);
    if (FAILED(hr)) return hr;
    return actual.cbBuffer < size ? E_FAIL : S_OK;
}

HRESULT CDecoderOutputPin::ChangeMediaType(const graph::MediaType& type) {
    IPin* peer = GetConnected();
    if (!peer || peer->QueryAccept(&type) != S_OK) return VFW_E_TYPE_NOT_ACCEPTED;
    m_decoder->SetOutputType(type);
    m_mediaType = type;
    m_typeChanged = true;
    return S_OK;
}

CDecoderFilter::CDecoderFilter(REFCLSID clsid)
    : CBaseFilter(clsid), m_input(this, u"Input"), m_output(this, u"Output") {}

CDecoderFilter::~CDecoderFilter() = default;

CBasePin* CDecoderFilter::GetPin(int index) {
    if (index == 0) return &m_input;
    if (index == 1) return &m_output;
    return nullptr;
}

HRESULT CDecoderFilter::Stop() {
    std::lock_guard lock(m_filterLock);
    HRESULT hr = CBaseFilter::Stop();
    // The pins are inactive: a Receive still running fails its next delivery and returns.
    std::lock_guard stream(m_streamLock);
    Discard();
    return hr;
}

}  // namespace orvo::ffmpeg
