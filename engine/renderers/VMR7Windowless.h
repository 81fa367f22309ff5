#pragma once
// Renderer kind 3, "VMR7 Windowless": the mixing renderer 7 drawing into the channel's
// window. Also the kind every failing kind falls back to.
#include "engine/renderers/MixingWindowless.h"

namespace orvo::engine {

struct Vmr7Family {
    static constexpr const GUID& kClsid = CLSID_VideoMixingRenderer;
    using Config = IVMRFilterConfig;
    using Windowless = IVMRWindowlessControl;
    using Mixer = IVMRMixerControl;
    using AlphaParams = VMRALPHABITMAP;
    static constexpr DWORD kWindowlessMode = VMRMode_Windowless;
    static constexpr DWORD kLetterBox = VMR_ARMODE_LETTER_BOX;
    static constexpr HRESULT kEmptyResult = 0;  // SetWindow and OnGraphBuilt without the filter
};

class VMR7Windowless final : public CMixingWindowless<Vmr7Family> {
public:
    explicit VMR7Windowless(uint32_t mixerStreams = 1) : CMixingWindowless(mixerStreams) {}
    // The windowless control goes first, then the mixer control.
    ~VMR7Windowless() override;
    int SetOverlayBitmap(const OverlayBitmap* record) override;
    int GetColorRange(int, ColorRange*) override { return 0; }
    int SetColorValues(int, const ColorValues*) override { return 0; }
};

}  // namespace orvo::engine
