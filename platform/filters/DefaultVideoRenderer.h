#pragma once
// CDefaultVideoRenderer: the graph's video renderer of last resort. It shows each frame in a
// top-level window of its own, sized to the video, made when the filter leaves Stopped and
// destroyed when it stops or goes away. Intelligent connect inserts it for a video stream
// that no renderer already in the graph takes.
//
// Threads: the application's thread connects the pin and changes state; the streaming
// thread calls DoRenderSample (holding the base class's filter and renderer locks). The
// window and the connected picture are guarded by m_frameLock, always the innermost lock.
#include <memory>
#include <mutex>

#include "platform/filters/VideoPicture.h"
#include "platform/filters/VideoWindow.h"
#include "platform/graph/BaseRenderer.h"

namespace orvo::filters {

class CDefaultVideoRenderer final : public CBaseVideoRenderer {
public:
    static HRESULT Create(REFIID riid, void** object);
    CDefaultVideoRenderer();
    ~CDefaultVideoRenderer() override;

    HRESULT CheckMediaType(const graph::MediaType& mt) override;
    HRESULT SetMediaType(const graph::MediaType& mt) override;
    // S_FALSE, drawing nothing, for a sample shorter than one picture.
    HRESULT DoRenderSample(IMediaSample* sample) override;

protected:
    // Leaving Stopped opens the window when the pin is connected; without a display the pause
    // fails with DDERR_NODIRECTDRAWSUPPORT and the filter stays stopped. Stopping closes it.
    HRESULT OnStartStreaming() override;
    HRESULT OnStopStreaming() override;

private:
    HRESULT OpenWindow();
    void CloseWindow();

    std::mutex m_frameLock;
    VideoPicture m_picture;  // of the connected media type
    std::unique_ptr<VideoWindow> m_window;
};

}  // namespace orvo::filters
