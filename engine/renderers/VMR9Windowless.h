#pragma once
// Renderer kind 4, "VMR9 Windowless": the mixing renderer 9 drawing into the channel's
// window, with colour controls.
#include "engine/renderers/MixingWindowless.h"

namespace orvo::engine {

struct Vmr9Family {
    static constexpr const GUID& kClsid = CLSID_VideoMixingRenderer9;
    using Config = IVMRFilterConfig9;
    using Windowless = IVMRWindowlessControl9;
    using Mixer = IVMRMixerControl9;
    using AlphaParams = VMR9AlphaBitmap;
    static constexpr DWORD kWindowlessMode = VMR9Mode_Windowless;
    static constexpr DWORD kLetterBox = VMR9ARMode_LetterBox;
    static constexpr HRESULT kEmptyResult = 1;
};

class VMR9Windowless final : public CMixingWindowless<Vmr9Family> {
public:
    explicit VMR9Windowless(uint32_t mixerStreams = 1) : CMixingWindowless(mixerStreams) {}
    // The mixer control goes first, then the windowless control.
    ~VMR9Windowless() override;
    int SetOverlayBitmap(const OverlayBitmap* record) override;
    int GetColorRange(int stream, ColorRange* range) override;
    int SetColorValues(int stream, const ColorValues* values) override;
};

}  // namespace orvo::engine
