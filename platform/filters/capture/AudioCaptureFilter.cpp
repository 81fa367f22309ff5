#include "platform/filters/capture/AudioCaptureFilter.h"

#include <alsa/asoundlib.h>

#include <thread>

#include "platform/filters/capture/CaptureFilterIds.h"
#include "platform/graph/MediaFormats.h"

namespace orvo::capture {
namespace {

constexpr DWORD kRate = 48'000;
constexpr WORD kChannels = 2;
constexpr WORD kBlockAlign = kChannels * 2;
constexpr size_t kChunkFrames = kRate / 50;  // 20 ms a sample
constexpr unsigned kLatencyUs = 100'000;

}  // namespace

CAudioCaptureStream::CAudioCaptureStream(CBaseFilter* filter, std::string pcm)
    : CCaptureStream(filter, u"Capture"), m_pcmName(std::move(pcm)) {}

CAudioCaptureStream::~CAudioCaptureStream() { Close(); }

HRESULT CAudioCaptureStream::CheckMediaType(const graph::MediaType& mediaType) {
    const auto* wave = mediaType.FormatAs<WAVEFORMATEX>();
    if (mediaType.majortype != MEDIATYPE_Audio || mediaType.subtype != MEDIASUBTYPE_PCM || !wave) return S_FALSE;
    return wave->wFormatTag == WAVE_FORMAT_PCM && wave->nChannels == kChannels && wave->nSamplesPerSec == kRate &&
                   wave->wBitsPerSample == 16
               ? S_OK
               : S_FALSE;
}

HRESULT CAudioCaptureStream::GetMediaType(int position, graph::MediaType& mediaType) {
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    mediaType = graph::MediaType(MEDIATYPE_Audio, MEDIASUBTYPE_PCM, FORMAT_WaveFormatEx);
    mediaType.bFixedSizeSamples = TRUE;
    mediaType.lSampleSize = kBlockAlign;
    WAVEFORMATEX wave{WAVE_FORMAT_PCM, kChannels, kRate, kRate * kBlockAlign, kBlockAlign, 16, 0};
    return SetMediaTypeFormat(mediaType, FORMAT_WaveFormatEx, &wave, sizeof wave);
}

HRESULT CAudioCaptureStream::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES*) {
    ALLOCATOR_PROPERTIES wanted{8, LONG(kChunkFrames * kBlockAlign), 1, 0}, actual{};
    HRESULT hr = allocator->SetProperties(&wanted, &actual);
    if (FAILED(hr)) return hr;
    return actual.cbBuffer >= wanted.cbBuffer ? S_OK : E_FAIL;
}

HRESULT CAudioCaptureStream::Active() {
    if (!IsConnected()) return S_OK;
    if (snd_pcm_open(&m_pcm, m_pcmName.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK) < 0) {
        m_pcm = nullptr;
        return E_FAIL;
    }
    if (snd_pcm_set_params(m_pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, kChannels, kRate, 1,
                           kLatencyUs) < 0) {
        Close();
        return E_FAIL;
    }
    m_framesRead = 0;
    m_started = std::chrono::steady_clock::now();
    m_clock.Activate(*m_filter);
    HRESULT hr = CSourceStream::Active();
    if (FAILED(hr)) {
        Close();
        m_clock.Deactivate();
    }
    return hr;
}

HRESULT CAudioCaptureStream::Inactive() {
    HRESULT hr = CSourceStream::Inactive();  // the streaming thread has ended here
    Close();
    m_clock.Deactivate();
    return hr;
}

HRESULT CAudioCaptureStream::Run(REFERENCE_TIME start) {
    m_clock.Run(start);
    return CSourceStream::Run(start);
}

void CAudioCaptureStream::Close() {
    if (m_pcm) snd_pcm_close(m_pcm);
    m_pcm = nullptr;
}

HRESULT CAudioCaptureStream::ReadFrames(BYTE* data, size_t frameCount) {
    size_t done = 0;
    while (done < frameCount) {
        if (StopRequested()) return S_FALSE;
        const snd_pcm_sframes_t got = snd_pcm_readi(m_pcm, data + done * kBlockAlign, frameCount - done);
        if (got == -EAGAIN) {
            snd_pcm_wait(m_pcm, 10);
        } else if (got < 0) {
            if (snd_pcm_recover(m_pcm, int(got), 1) < 0) return E_FAIL;
        } else {
            done += size_t(got);
        }
    }
    // Some PCMs (those over ALSA's null device) hand out frames as fast as they are asked
    // for; a capture source never runs ahead of the device's nominal rate.
    m_framesRead += frameCount;
    const auto due = m_started + std::chrono::microseconds(m_framesRead * 1'000'000 / kRate);
    while (std::chrono::steady_clock::now() < due && !StopRequested())
        std::this_thread::sleep_until(std::min(due, std::chrono::steady_clock::now() + std::chrono::milliseconds(5)));
    return S_OK;
}

HRESULT CAudioCaptureStream::FillBuffer(IMediaSample* sample) {
    BYTE* data = nullptr;
    HRESULT hr = sample->GetPointer(&data);
    if (FAILED(hr)) return hr;
    for (;;) {
        hr = ReadFrames(data, kChunkFrames);
        if (hr != S_OK) return hr;
        if (m_filter->State() != State_Running) continue;  // sound captured while paused is dropped
        sample->SetActualDataLength(LONG(kChunkFrames * kBlockAlign));
        sample->SetSyncPoint(TRUE);
        REFERENCE_TIME now;
        if (m_clock.StreamTime(&now)) {
            REFERENCE_TIME start = now - REFERENCE_TIME(kChunkFrames) * 10'000'000 / kRate, end = now;
            sample->SetTime(&start, &end);
        }
        return S_OK;
    }
}

CAudioCaptureFilter::CAudioCaptureFilter(std::string pcm) : CSource(CLSID_AudioCaptureSource) {
    AddStream(std::make_unique<CAudioCaptureStream>(this, std::move(pcm)));
}

CAudioCaptureFilter::~CAudioCaptureFilter() { Stop(); }

HRESULT CAudioCaptureFilter::Create(const std::string& pcm, REFIID riid, void** object) {
    return CreateComObject<CAudioCaptureFilter>(riid, object, pcm);
}

HRESULT CAudioCaptureFilter::GetState(DWORD milliSecsTimeout, FILTER_STATE* state) {
    HRESULT hr = CSource::GetState(milliSecsTimeout, state);
    return SUCCEEDED(hr) && *state == State_Paused ? VFW_S_CANT_CUE : hr;
}

}  // namespace orvo::capture
