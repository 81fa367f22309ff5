#pragma once
// COwnVideoRenderer: the engine's own video sink. Each sample is converted to 32-bit RGB,
// transformed for the chosen stereo view and shown in the channel's window, or handed to
// the caller's presentation callback instead.
//
// Threads: the streaming thread calls DoRenderSample (holding the base class's filter and
// renderer locks); the caller's thread sets media types during connection, stops the
// filter and, through COwnVideo, rebuilds the descriptor. m_frameLock guards the
// descriptor, the converter and the video size, and is always the innermost lock.
#include <atomic>
#include <memory>
#include <mutex>

#include "engine/stereo/ColorSpaceConverter.h"
#include "engine/stereo/FrameDescriptor.h"
#include "engine/stereo/StereoModes.h"
#include "engine/stereo/StereoTransform.h"
#include "engine/stereo/VideoSubtypes.h"
#include "platform/graph/BaseRenderer.h"

namespace orvo::stereo {

class COwnVideoRenderer final : public CBaseVideoRenderer {
public:
    static constexpr GUID kClsid = MakeGuid("{64B45125-7343-4771-9DC4-179FAC9D462C}");

    // result is set only when the base class cannot set itself up.
    explicit COwnVideoRenderer(HRESULT* result);

    HRESULT CheckMediaType(const graph::MediaType& mt) override;
    HRESULT SetMediaType(const graph::MediaType& mt) override;
    HRESULT DoRenderSample(IMediaSample* sample) override;
    void OnBeginFlush() override;
    HRESULT OnStopStreaming() override;
    // The sample that completes a pause is shown, and handed to the callback, once: when the
    // graph runs it is rendered again but not handed over again, nor when it is shown again
    // in new modes while paused.
    void OnReceiveFirstSample(IMediaSample* sample) override;
    void OnRenderEnd(IMediaSample* sample) override;

    // A descriptor for the source as it is connected, with these modes; caller holds
    // m_frameLock. Its surfaces are set up for m_window.
    std::unique_ptr<FrameDescriptor> BuildDescriptor(int32_t stereoMode, uint32_t viewMode);
    // Caller's thread: shows the last picture again, as when the window was uncovered while
    // paused. S_FALSE when there is none (no frame shown yet, or frames go to the callback).
    HRESULT RepaintPicture();

    std::mutex m_frameLock;
    std::unique_ptr<engine::CColorSpaceConverter> m_converter;
    int32_t m_lastSubtypeCode = SUBTYPE_NONE;
    std::atomic<int32_t> m_subtypeCode{SUBTYPE_NONE};
    std::atomic<PresentCallback> m_presentCallback{nullptr};  // stored by the caller without the lock
    std::atomic<uint64_t> m_frameCount{0};
    int32_t m_videoWidth = 0;   // biWidth
    int32_t m_videoHeight = 0;  // biHeight, with its sign
    double m_frameRate = 0.0;
    HWND m_window = 0;
    StereoOptions m_options;  // every descriptor built starts with these
    std::unique_ptr<FrameDescriptor> m_descriptor;

private:
    bool NeedsNewConverter(const GUID& subtype, const graph::VideoColorInfo& color) const;
    uint8_t* FrameOf(uint8_t* sample, size_t bytes);
    void PresentSample(uint8_t* sample, size_t bytes);

    PictureStore m_pictures;
    bool m_pictureShown = false;  // the descriptor's frame surface holds a picture
    // The paused sample already handed to the callback; compared, never dereferenced. Atomic
    // so that a flush forgets it without waiting for a picture being drawn.
    std::atomic<IMediaSample*> m_calledBack{nullptr};
};

}  // namespace orvo::stereo
