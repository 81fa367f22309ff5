#pragma once
// COwnVideo: renderer kind 7, "User Video Renderer". It puts a COwnVideoRenderer into the
// channel's graph, records the video's size and rate once the graph is built, follows
// window changes, and applies the stereo settings by rebuilding the filter's descriptor.
// Every operation runs on the caller's thread.
#include "engine/renderers/VideoRenderer.h"
#include "engine/stereo/OwnVideoRenderer.h"
#include "platform/com/ComPtr.h"

namespace orvo::stereo {

class COwnVideo final : public engine::CVideoRenderer {
public:
    int IsActive() override { return m_filter ? 1 : 0; }
    HRESULT AddToGraph(IGraphBuilder* graph, HWND window, IPin* pin, LPCWSTR name) override;
    HRESULT OnGraphBuilt(IGraphBuilder* graph) override;
    HRESULT SetWindow(HWND window, const RECT* rect) override;
    // Shows the last picture again in the window the filter draws into; the arguments are
    // not needed for that. 0 without a filter.
    HRESULT Repaint(HWND, HDC) override { return m_filter ? m_filter->RepaintPicture() : 0; }

    // Rebuilds the descriptor for stereo mode m (a negative m keeps the current one) and
    // view mode v. 1 when rebuilt; 0 without a filter or descriptor (nothing is stored).
    int SetStereo(int32_t m, int32_t v);
    // Stores into the current descriptor; false when there is none.
    bool SetReservedFlag(bool on);
    bool SetGreyMix(int32_t greyMix);
    // Sets one of the settings every later descriptor keeps (StereoOptions), in the current
    // descriptor too. False without a filter, or when there is no descriptor to show it.
    bool SetOption(bool StereoOptions::*option, bool on);
    // The source's display shape and packing, which showing it at its true shape needs.
    void SetFrameShape(const FrameShape& shape);
    // 1 when stored in the filter; 0 without one.
    int SetPresentCallback(PresentCallback callback);

    COwnVideoRenderer* Filter() const { return m_filter.Get(); }
    int32_t StereoMode() const { return m_stereoMode; }
    int32_t ViewMode() const { return m_viewMode; }

private:
    int32_t m_stereoMode = STEREO_FULL_FRAME;
    int32_t m_viewMode = VIEW_BLUE_YELLOW;
    ComPtr<COwnVideoRenderer> m_filter;
};

}  // namespace orvo::stereo
