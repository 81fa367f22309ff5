#include "platform/surface/Clipper.h"

namespace orvo::surface {

HRESULT CClipper::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (riid == IID_IDirectDrawClipper) return GetInterface(static_cast<IDirectDrawClipper*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

HRESULT CClipper::SetHWnd(DWORD flags, HWND window) {
    if (flags != 0) return DDERR_INVALIDPARAMS;
    m_window = window;
    return DD_OK;
}

}  // namespace orvo::surface
