#pragma once
// The audio capture source: one output pin of the capture category carrying 16-bit stereo PCM
// at 48 kHz read from an ALSA capture PCM (ALSA converts from what the device has). A live
// source like the video one: the PCM is opened when the graph pauses and closed the moment it
// stops; sound flows only while the graph runs.
//
// Threads: the pin's streaming thread reads; state changes come on the application's thread
// under the filter lock.
#include <chrono>
#include <string>

#include "platform/filters/capture/CaptureClock.h"
#include "platform/filters/capture/CaptureStream.h"

struct _snd_pcm;

namespace orvo::capture {

class CAudioCaptureStream final : public CCaptureStream {
public:
    CAudioCaptureStream(CBaseFilter* filter, std::string pcm);
    ~CAudioCaptureStream() override;

    HRESULT CheckMediaType(const graph::MediaType& mediaType) override;
    HRESULT GetMediaType(int position, graph::MediaType& mediaType) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT Active() override;
    HRESULT Inactive() override;
    HRESULT Run(REFERENCE_TIME start) override;
    HRESULT FillBuffer(IMediaSample* sample) override;

private:
    // Reads frameCount frames; S_FALSE when aborted first.
    HRESULT ReadFrames(BYTE* data, size_t frameCount);
    void Close();

    std::string m_pcmName;
    _snd_pcm* m_pcm = nullptr;  // open from Active to Inactive
    CaptureClock m_clock;
    // Where the frames read so far should have ended at the device's nominal rate.
    std::chrono::steady_clock::time_point m_started;
    uint64_t m_framesRead = 0;
};

class CAudioCaptureFilter final : public CSource {
public:
    explicit CAudioCaptureFilter(std::string pcm);
    ~CAudioCaptureFilter() override;
    static HRESULT Create(const std::string& pcm, REFIID riid, void** object);
    HRESULT STDMETHODCALLTYPE GetState(DWORD milliSecsTimeout, FILTER_STATE* state) override;
};

}  // namespace orvo::capture
