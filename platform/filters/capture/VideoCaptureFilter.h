#pragma once
// The video capture source: one output pin of the capture category carrying the camera's
// native format. A live source: the camera is taken when the graph pauses and released the
// moment it stops; frames flow only while the graph runs (pausing cannot cue a frame, so the
// graph does not wait for one) and each carries the graph clock's time of its capture.
//
// Threads: the pin's streaming thread reads frames; state changes come on the application's
// thread under the filter lock.
#include <memory>

#include "platform/filters/capture/CaptureClock.h"
#include "platform/filters/capture/VideoDevice.h"
#include "platform/filters/capture/CaptureStream.h"

namespace orvo::capture {

class CVideoCaptureStream final : public CCaptureStream {
public:
    CVideoCaptureStream(CBaseFilter* filter, VideoDevice& device);

    HRESULT CheckMediaType(const graph::MediaType& mediaType) override;
    HRESULT GetMediaType(int position, graph::MediaType& mediaType) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT Active() override;
    HRESULT Inactive() override;
    HRESULT Run(REFERENCE_TIME start) override;
    HRESULT FillBuffer(IMediaSample* sample) override;

private:
    VideoDevice& m_device;
    CaptureClock m_clock;
    VideoFormat m_format;
    bool m_open = false;  // under the filter lock
};

class CVideoCaptureFilter final : public CSource {
public:
    explicit CVideoCaptureFilter(std::unique_ptr<VideoDevice> device);
    ~CVideoCaptureFilter() override;
    // A filter over the device, handing out riid.
    static HRESULT Create(std::unique_ptr<VideoDevice> device, REFIID riid, void** object);
    // Paused, a live source has nothing to show: VFW_S_CANT_CUE.
    HRESULT STDMETHODCALLTYPE GetState(DWORD milliSecsTimeout, FILTER_STATE* state) override;

private:
    std::unique_ptr<VideoDevice> m_device;
};

}  // namespace orvo::capture
