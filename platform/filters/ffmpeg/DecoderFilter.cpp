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

CDecoderOutputPin::CDecoderOutputPin(CDecoderFilter* filter, const char16_t* name)
    : CBaseOutputPin(filter, name), m_decoder(filter), m_position(static_cast<IPin*>(this), filter->InputPin()) {}

HRESULT CDecoderOutputPin::QueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IMediaSeeking) return GetInterface(static_cast<IMediaSeeking*>(&m_position), object);
    if (object && riid == IID_IQualityControl) return GetInterface(static_cast<IQualityControl*>(this), object);
    return CBaseOutputPin::QueryInterface(riid, object);
}

HRESULT CDecoderOutputPin::Notify(IBaseFilter*, Quality quality) {
    m_decoder->OnLateness(quality.Late);
    return S_OK;
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

CDecoderFilter::CDecoderFilter(REFCLSID clsid, CodecSet codecs, const GUID& majorType)
    : CBaseFilter(clsid),
      m_input(this, u"Input"),
      m_output(this, u"Output"),
      m_codecs(codecs),
      m_majorType(majorType),
      m_frame(av_frame_alloc()) {}

CDecoderFilter::~CDecoderFilter() { av_frame_free(&m_frame); }

HRESULT CDecoderFilter::CheckInputType(const graph::MediaType& input) {
    return input.majortype == m_majorType && Decoder::Accepts(input, m_codecs) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CDecoderFilter::OpenDecoder(const graph::MediaType& input) {
    std::unique_ptr<Decoder> decoder;
    HRESULT hr = Decoder::Create(input, m_codecs, decoder);
    if (FAILED(hr)) return hr;
    hr = OnDecoderOpened(*decoder, input);
    if (FAILED(hr)) return hr;
    m_decoder = std::move(decoder);
    m_skipping = false;
    return S_OK;
}

// Streaming thread.
HRESULT CDecoderFilter::Decode(IMediaSample* sample) {
    if (!m_decoder || !m_frame) return VFW_E_NOT_CONNECTED;
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data))) return E_POINTER;
    const LONG length = sample->GetActualDataLength();
    REFERENCE_TIME start = 0, stop = 0;
    const bool timed = SUCCEEDED(sample->GetTime(&start, &stop));
    if (SkipsWhenLate()) UpdateSkipping();
    if (length > 0)
        m_decoder->Send(data, size_t(length), timed ? start : AV_NOPTS_VALUE,
                        EveryPacketIsKey() || sample->IsSyncPoint() == S_OK);
    return DeliverFrames();
}

// Streaming thread.
HRESULT CDecoderFilter::DeliverFrames() {
    HRESULT result = S_OK;
    while (m_decoder->Receive(m_frame) == S_OK) {
        if (result == S_OK) result = DeliverFrame(*m_frame);
        av_frame_unref(m_frame);
    }
    return FAILED(result) ? result : S_OK;
}

// Streaming thread.
void CDecoderFilter::Drain() {
    if (!m_decoder || !m_frame) return;
    m_decoder->Send(nullptr, 0, AV_NOPTS_VALUE, false);
    DeliverFrames();
    OnDrained();
    m_decoder->Flush();
}

void CDecoderFilter::Discard() {
    if (m_decoder) m_decoder->Flush();
    StopSkipping();
    OnDiscard();
}

// Skipping starts past kSkipLateness and stops only once frames are on time, so that it does
// not flicker on and off around one threshold.
void CDecoderFilter::UpdateSkipping() {
    const REFERENCE_TIME late = m_lateness.load(std::memory_order_relaxed);
    const bool skip = m_skipping ? late > 0 : late > kSkipLateness;
    if (skip == m_skipping) return;
    m_skipping = skip;
    m_decoder->SkipUnreferencedFrames(skip);
}

// After a flush or stop the frames start afresh, on time.
void CDecoderFilter::StopSkipping() {
    m_lateness.store(0, std::memory_order_relaxed);
    if (!m_skipping) return;
    m_skipping = false;
    if (m_decoder) m_decoder->SkipUnreferencedFrames(false);
}

CBasePin* CDecoderFilter::GetPin(int index) {
    if (index == 0) return &m_input;
    if (index == 1) return &m_output;
    return nullptr;
}

// Upstream streaming thread.
HRESULT CDecoderFilter::InputEndOfStream(CBaseInputPin* pin) {
    std::lock_guard lock(m_streamLock);
    if (HRESULT hr = pin->CheckStreaming(); hr != S_OK) return hr;
    Drain();
    return m_output.IsConnected() ? m_output.DeliverEndOfStream() : S_OK;
}

// Any thread: a Receive may be in progress, so only the pins learn of it here.
HRESULT CDecoderFilter::InputBeginFlush(CBaseInputPin*) {
    return m_output.IsConnected() ? m_output.DeliverBeginFlush() : S_OK;
}

HRESULT CDecoderFilter::InputEndFlush(CBaseInputPin*) {
    std::lock_guard lock(m_streamLock);
    Discard();
    return m_output.IsConnected() ? m_output.DeliverEndFlush() : S_OK;
}

HRESULT CDecoderFilter::InputNewSegment(CBaseInputPin*, REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    std::lock_guard lock(m_streamLock);
    return m_output.IsConnected() ? m_output.DeliverNewSegment(start, stop, rate) : S_OK;
}

HRESULT CDecoderFilter::OnStopStreaming() {
    std::lock_guard stream(m_streamLock);
    Discard();
    return S_OK;
}

}  // namespace orvo::ffmpeg
