#include "platform/surface/DirectDrawObject.h"

#include <algorithm>

#include "platform/surface/Clipper.h"
#include "platform/surface/OffscreenSurface.h"
#include "platform/surface/PrimarySurface.h"
#include "platform/window/XConnection.h"

namespace orvo::surface {
namespace {

constexpr DWORD kMaxExtent = 32767;  // X pixmaps are at most this wide and high

// The frame surfaces' format: 32-bit RGB without alpha (bytes blue, green, red, X).
bool IsRgb32(const DDPIXELFORMAT& format) {
    return (format.dwFlags & DDPF_RGB) && !(format.dwFlags & DDPF_ALPHAPIXELS) && format.dwRGBBitCount == 32 &&
           format.dwRBitMask == 0x00FF0000 && format.dwGBitMask == 0x0000FF00 && format.dwBBitMask == 0x000000FF;
}

}  // namespace

HRESULT CDirectDraw::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (riid == IID_IDirectDraw7) return GetInterface(static_cast<IDirectDraw7*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

HRESULT CDirectDraw::SetCooperativeLevel(HWND, DWORD flags) {
    if (flags & (DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE)) return DDERR_UNSUPPORTED;  // windowed use only
    if (!(flags & DDSCL_NORMAL)) return DDERR_INVALIDPARAMS;
    std::lock_guard lock(m_mutex);
    m_cooperativeLevelSet = true;
    return DD_OK;
}

HRESULT CDirectDraw::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** surface, IUnknown* outer) {
    if (!surface) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2) || !(desc->dwFlags & DDSD_CAPS)) return DDERR_INVALIDPARAMS;
    {
        std::lock_guard lock(m_mutex);
        if (!m_cooperativeLevelSet) return DDERR_NOCOOPERATIVELEVELSET;
    }
    const DWORD caps = desc->ddsCaps.dwCaps;
    const bool primary = caps & DDSCAPS_PRIMARYSURFACE;
    if (primary == bool(caps & DDSCAPS_OFFSCREENPLAIN)) return DDERR_INVALIDCAPS;
    if (!primary) return CreateOffscreen(*desc, surface);
    if (!window::Connection()) return DDERR_NODIRECTDRAWSUPPORT;
    return CreateComObject<CPrimarySurface>(IID_IDirectDrawSurface7, reinterpret_cast<void**>(surface),
                                            static_cast<IDirectDraw7*>(this));
}

HRESULT CDirectDraw::CreateOffscreen(const DDSURFACEDESC2& desc, IDirectDrawSurface7** surface) {
    if ((desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    if (desc.dwWidth == 0 || desc.dwHeight == 0 || desc.dwWidth > kMaxExtent || desc.dwHeight > kMaxExtent)
        return DDERR_INVALIDPARAMS;
    if ((desc.dwFlags & DDSD_PIXELFORMAT) && !IsRgb32(desc.ddpfPixelFormat)) return DDERR_INVALIDPIXELFORMAT;
    return COffscreenSurface::Create(this, uint16_t(desc.dwWidth), uint16_t(desc.dwHeight), surface);
}

HRESULT CDirectDraw::CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) {
    if (!clipper) return DDERR_INVALIDPARAMS;
    *clipper = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (flags != 0) return DDERR_INVALIDPARAMS;
    return CreateComObject<CClipper>(IID_IDirectDrawClipper, reinterpret_cast<void**>(clipper));
}

HRESULT CDirectDraw::RestoreAllSurfaces() {
    std::lock_guard lock(m_mutex);
    HRESULT result = DD_OK;
    for (COffscreenSurface* surface : m_surfaces) {
        HRESULT hr = surface->Restore();
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
    return result;
}

void CDirectDraw::Register(COffscreenSurface* surface) {
    std::lock_guard lock(m_mutex);
    m_surfaces.push_back(surface);
}

void CDirectDraw::Unregister(COffscreenSurface* surface) {
    std::lock_guard lock(m_mutex);
    std::erase(m_surfaces, surface);
}

}  // namespace orvo::surface

HRESULT WINAPI DirectDrawCreateEx(GUID* driver, void** directDraw, REFIID iid, IUnknown* outer) {
    if (!directDraw) return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (driver || iid != IID_IDirectDraw7) return DDERR_INVALIDPARAMS;
    if (!orvo::window::Connection()) return DDERR_NODIRECTDRAWSUPPORT;
    return CreateComObject<orvo::surface::CDirectDraw>(iid, directDraw);
}
