#include "platform/surface/PrimarySurface.h"

#include "platform/surface/OffscreenSurface.h"

namespace orvo::surface {

HRESULT CPrimarySurface::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (riid == IID_IDirectDrawSurface7) return GetInterface(static_cast<IDirectDrawSurface7*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

HWND CPrimarySurface::ClipWindow() {
    std::lock_guard lock(m_mutex);
    auto* clipper = static_cast<CClipper*>(m_clipper.Get());
    return clipper ? clipper->Window() : 0;
}

HRESULT CPrimarySurface::Blt(RECT* destRect, IDirectDrawSurface7* source, RECT* sourceRect, DWORD flags,
                             DDBLTFX* fx) {
    if (!source || flags != 0 || fx) return DDERR_INVALIDPARAMS;
    auto* offscreen = dynamic_cast<COffscreenSurface*>(source);
    if (!offscreen) return DDERR_UNSUPPORTED;
    return offscreen->DrawInto(ClipWindow(), destRect, sourceRect);
}

HRESULT CPrimarySurface::SetClipper(IDirectDrawClipper* clipper) {
    if (clipper && !dynamic_cast<CClipper*>(clipper)) return DDERR_INVALIDOBJECT;
    std::lock_guard lock(m_mutex);
    m_clipper = ComPtr<IDirectDrawClipper>(clipper);
    return DD_OK;
}

}  // namespace orvo::surface
