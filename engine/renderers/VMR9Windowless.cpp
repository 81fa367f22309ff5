#include "engine/renderers/VMR9Windowless.h"

#include <new>

#include "engine/renderers/RendererFactory.h"

namespace orvo::engine {
namespace {

const bool kRegistered = (RegisterRendererKind(RENDERER_VMR9_WINDOWLESS,
                                               [](const RendererConfig& config) {
                                                   return std::unique_ptr<CVideoRenderer>(
                                                       new (std::nothrow) VMR9Windowless(config.mixerStreams));
                                               }),
                          true);

}  // namespace

VMR9Windowless::~VMR9Windowless() {
    m_mixer.Reset();
    m_windowless.Reset();
}

int VMR9Windowless::SetOverlayBitmap(const OverlayBitmap* record) {
    if (!m_mixer || !record) return 0;
    ComPtr<IVMRMixerBitmap9> bitmap;
    if (FAILED(m_mixer.As(bitmap))) return 0;
    const HRESULT hr = ApplyOverlay(bitmap.Get(), *record);
    if (SUCCEEDED(hr)) return 1;
    if (record->enable > 0) ShowErrorMessage(hr);
    return 0;
}

int VMR9Windowless::GetColorRange(int stream, ColorRange* record) {
    if (!record || !m_mixer) return 0;
    VMR9ProcAmpControlRange range{sizeof range, DWORD(record->property), 0, 0, 0, 0};
    if (FAILED(m_mixer->GetProcAmpControlRange(DWORD(stream), &range))) return 0;
    record->min = range.MinValue;
    record->max = range.MaxValue;
    record->defaultValue = range.DefaultValue;
    record->step = range.StepSize;
    return 1;
}

int VMR9Windowless::SetColorValues(int stream, const ColorValues* record) {
    if (!record || !m_mixer) return 0;
    VMR9ProcAmpControl values{sizeof values, ProcAmpControl9_Mask, record->brightness, record->contrast, record->hue,
                              record->saturation};
    return SUCCEEDED(m_mixer->SetProcAmpControl(DWORD(stream), &values)) ? 1 : 0;
}

}  // namespace orvo::engine
