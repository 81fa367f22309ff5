#include "platform/video/VideoMixingRenderer.h"

namespace orvo::video {
namespace {

HRESULT CheckProcAmpRecord(DWORD size, const void* record) {
    if (!record) return E_POINTER;
    return size == 24 ? S_OK : E_INVALIDARG;
}

}  // namespace

HRESULT CVideoMixingRenderer9::GetProcAmpControl(DWORD stream, VMR9ProcAmpControl* values) {
    HRESULT hr = CheckProcAmpRecord(values ? values->dwSize : 0, values);
    if (FAILED(hr)) return hr;
    return Locked([&](VideoMixer& m, WindowOutput&) -> HRESULT {
        if (stream >= m.StreamCount()) return E_INVALIDARG;
        const ProcAmpValues& v = m.ProcAmp();
        *values = {sizeof *values, ProcAmpControl9_Mask, v.brightness, v.contrast, v.hue, v.saturation};
        return S_OK;
    });
}

HRESULT CVideoMixingRenderer9::SetProcAmpControl(DWORD stream, VMR9ProcAmpControl* values) {
    HRESULT hr = CheckProcAmpRecord(values ? values->dwSize : 0, values);
    if (FAILED(hr)) return hr;
    return Locked([&](VideoMixer& m, WindowOutput&) -> HRESULT {
        if (stream >= m.StreamCount()) return E_INVALIDARG;
        return m.SetProcAmp(values->dwFlags, {values->Brightness, values->Contrast, values->Hue, values->Saturation});
    });
}

HRESULT CVideoMixingRenderer9::GetProcAmpControlRange(DWORD stream, VMR9ProcAmpControlRange* range) {
    HRESULT hr = CheckProcAmpRecord(range ? range->dwSize : 0, range);
    if (FAILED(hr)) return hr;
    if (stream >= StreamCount()) return E_INVALIDARG;
    ProcAmpRange r;
    if (!ProcAmpRangeOf(range->dwProperty, r)) return E_INVALIDARG;
    range->MinValue = r.min;
    range->MaxValue = r.max;
    range->DefaultValue = r.defaultValue;
    range->StepSize = r.step;
    return S_OK;
}

static com::ClassRegistration s_vmr7(CLSID_VideoMixingRenderer, &CVideoMixingRenderer7::Create);
static com::ClassRegistration s_vmr9(CLSID_VideoMixingRenderer9, &CVideoMixingRenderer9::Create);

}  // namespace orvo::video
