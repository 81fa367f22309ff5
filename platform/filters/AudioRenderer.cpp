#include "platform/filters/AudioRenderer.h"

#include <algorithm>
#include <cmath>

#include "platform/com/Runtime.h"
#include "platform/graph/ClassIds.h"
#include "platform/graph/FilterRegistry.h"

namespace orvo::filters {

std::optional<PlayedPosition> OutputSlot::PlayedTime() {
    std::lock_guard guard(lock);
    return output ? output->PlayedTime() : std::nullopt;
}

CAudioClock::CAudioClock(std::shared_ptr<OutputSlot> slot)
    : m_slot(std::move(slot)), m_time(graph::MonotonicTime()), m_lastSystem(m_time) {}

REFERENCE_TIME CAudioClock::GetPrivateTime() {
    REFERENCE_TIME system = graph::MonotonicTime();
    std::optional<PlayedPosition> played = m_slot->PlayedTime();
    bool sameRun = played && m_lastPlayed && played->epoch == m_lastPlayed->epoch;
    REFERENCE_TIME delta = sameRun ? played->time - m_lastPlayed->time : system - m_lastSystem;
    if (delta > 0) m_time += delta;
    m_lastPlayed = played;
    m_lastSystem = system;
    return m_time;
}

CAudioRenderer::CAudioRenderer() : CBaseRenderer(CLSID_AudioRender, u"Audio Input pin (rendered)") {
    CreateComObject<CAudioClock>(IID_IReferenceClock, m_clock.PutVoid(), m_slot);
}

CAudioRenderer::~CAudioRenderer() = default;

HRESULT CAudioRenderer::Create(REFIID riid, void** object) { return CreateComObject<CAudioRenderer>(riid, object); }

HRESULT CAudioRenderer::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == IID_IBasicAudio) return GetInterface(static_cast<IBasicAudio*>(this), object);
    if (riid == IID_IReferenceClock && m_clock) return m_clock->QueryInterface(riid, object);
    return CBaseRenderer::NonDelegatingQueryInterface(riid, object);
}

HRESULT CAudioRenderer::put_Volume(LONG volume) {
    if (volume < -10000 || volume > 0) return E_INVALIDARG;
    m_volume = volume;
    return S_OK;
}

HRESULT CAudioRenderer::get_Volume(LONG* volume) {
    if (!volume) return E_POINTER;
    *volume = m_volume;
    return S_OK;
}

HRESULT CAudioRenderer::put_Balance(LONG balance) {
    if (balance < -10000 || balance > 10000) return E_INVALIDARG;
    m_balance = balance;
    return S_OK;
}

HRESULT CAudioRenderer::get_Balance(LONG* balance) {
    if (!balance) return E_POINTER;
    *balance = m_balance;
    return S_OK;
}

HRESULT CAudioRenderer::CheckMediaType(const graph::MediaType& mediaType) {
    return PcmFormatOf(mediaType) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CAudioRenderer::SetMediaType(const graph::MediaType& mediaType) {
    auto format = PcmFormatOf(mediaType);
    if (!format) return VFW_E_TYPE_NOT_ACCEPTED;
    m_format = format;
    return S_OK;
}

// Kept within what a device can be asked for, so that no rate, however large, makes a
// device rate of 0 or overflows.
DWORD CAudioRenderer::DeviceRate() const {
    constexpr double kMaxDeviceRate = 1'000'000.0;
    const double rate = double(m_format->rate) * m_rate.load();
    return DWORD(std::lround(std::clamp(std::isfinite(rate) ? rate : kMaxDeviceRate, 1.0, kMaxDeviceRate)));
}

// Streaming thread, under the filter and renderer locks: take the sample's frames with the
// gains applied, and open the output for the format and rate.
HRESULT CAudioRenderer::DoRenderSample(IMediaSample* sample) {
    if (!m_format) return VFW_E_NOT_CONNECTED;
    BYTE* data = nullptr;
    if (FAILED(sample->GetPointer(&data))) return E_POINTER;
    size_t frames = size_t(std::max<LONG>(0, sample->GetActualDataLength())) / m_format->blockAlign;
    m_pending.assign(data, data + frames * m_format->blockAlign);
    ApplyGains(m_pending.data(), frames, *m_format, GainsOf(m_volume, m_balance));
    DWORD rate = DeviceRate();
    std::lock_guard slot(m_slot->lock);
    if (!m_slot->output || m_openRate != rate) {
        m_slot->output.reset();
        m_slot->output = AudioOutput::Open(*m_format, rate);
        m_openRate = rate;
    }
    return S_OK;
}

// With the locks released: write, which blocks while the output is full.
HRESULT CAudioRenderer::DoRenderSampleUnlocked(IMediaSample*) {
    std::lock_guard writing(m_writeLock);
    AudioOutput* output;
    PcmFormat format;
    {
        std::lock_guard slot(m_slot->lock);
        output = m_slot->output.get();
        if (!output || !m_format) return S_OK;
        format = *m_format;
    }
    // The output stays: it is closed only under m_writeLock and replaced only on this thread.
    output->Write(m_pending.data(), m_pending.size() / format.blockAlign, [this] { return WaitAborted(); });
    return S_OK;
}

void CAudioRenderer::OnEndOfStream() {
    std::lock_guard writing(m_writeLock);
    AudioOutput* output;
    {
        std::lock_guard slot(m_slot->lock);
        output = m_slot->output.get();
    }
    if (output) output->Drain([this] { return WaitAborted(); });
}

void CAudioRenderer::OnBeginFlush() {
    std::lock_guard slot(m_slot->lock);
    if (m_slot->output) m_slot->output->Discard();
}

HRESULT CAudioRenderer::OnStopStreaming() {
    std::lock_guard writing(m_writeLock);
    std::unique_ptr<AudioOutput> closing;
    {
        std::lock_guard slot(m_slot->lock);
        closing = std::move(m_slot->output);
    }
    m_openRate = 0;
    return S_OK;
}

void CAudioRenderer::OnNewSegment(REFERENCE_TIME, REFERENCE_TIME, double rate) {
    if (rate > 0) m_rate = rate;
}

bool CAudioRenderer::PlaysOnDevice() {
    std::lock_guard slot(m_slot->lock);
    return m_slot->output && m_slot->output->IsDevice();
}

namespace {

com::ClassRegistration s_class(CLSID_AudioRender, &CAudioRenderer::Create);
graph::FilterRegistrationScope s_filter(graph::FilterRegistration{
    CLSID_AudioRender,
    u"Audio Renderer",
    MERIT_PREFERRED,
    {{MEDIATYPE_Audio, MEDIASUBTYPE_PCM}, {MEDIATYPE_Audio, MEDIASUBTYPE_IEEE_FLOAT}},
    true});

}  // namespace

}  // namespace orvo::filters
