#include "platform/surface/OffscreenSurface.h"

#include "platform/surface/DirectDrawObject.h"
#include "platform/surface/StretchBlit.h"
#include "platform/window/XConnection.h"

namespace orvo::surface {
namespace {

constexpr LONG kMaxBlitExtent = 32767;  // X coordinates are 16-bit

bool IsInside(const RECT& r, LONG width, LONG height) {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= width &&
           r.bottom <= height;
}

bool IsDrawable(const RECT& r) {
    return r.left < r.right && r.top < r.bottom && RectWidth(r) <= kMaxBlitExtent && RectHeight(r) <= kMaxBlitExtent;
}

// The description a lock hands out; the same fields in both generations.
template <class Description>
void Describe(Description& desc, const PixelImage& image) {
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_LPSURFACE;
    desc.dwHeight = image.Height();
    desc.dwWidth = image.Width();
    desc.lPitch = image.Pitch();
    desc.lpSurface = image.Pixels();
    desc.ddpfPixelFormat = {sizeof(DDPIXELFORMAT), DDPF_RGB, 0, 32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY;
}

}  // namespace

COffscreenSurface::COffscreenSurface(CDirectDraw* owner, std::unique_ptr<PixelImage> image)
    : m_owner(owner),
      m_ownerReference(owner),
      m_image(std::move(image)),
      m_width(m_image->Width()),
      m_height(m_image->Height()) {
    m_owner->Register(this);
}

COffscreenSurface::~COffscreenSurface() { m_owner->Unregister(this); }

HRESULT COffscreenSurface::Create(CDirectDraw* owner, uint16_t width, uint16_t height, IDirectDrawSurface7** surface) {
    xcb_connection_t* c = window::Connection();
    if (!c) return DDERR_NODIRECTDRAWSUPPORT;
    std::unique_ptr<PixelImage> image = PixelImage::Create(c, width, height);
    if (!image) return DDERR_OUTOFMEMORY;
    auto* instance = new (std::nothrow) COffscreenSurface(owner, std::move(image));
    if (!instance) return DDERR_OUTOFMEMORY;
    instance->NonDelegatingAddRef();
    HRESULT hr = instance->NonDelegatingQueryInterface(IID_IDirectDrawSurface7, reinterpret_cast<void**>(surface));
    instance->NonDelegatingRelease();
    return hr;
}

HRESULT COffscreenSurface::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (riid == IID_IDirectDrawSurface7) return GetInterface(static_cast<IDirectDrawSurface7*>(this), object);
    if (riid == IID_IDirectDrawSurface) return GetInterface(static_cast<IDirectDrawSurface*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

bool COffscreenSurface::CheckLost() {
    if (!m_lost && xcb_connection_has_error(m_image->Connection())) m_lost = true;
    return m_lost;
}

template <class Description>
HRESULT COffscreenSurface::LockInto(RECT* rect, Description* desc) {
    if (!desc || desc->dwSize != sizeof(Description)) return DDERR_INVALIDPARAMS;
    if (rect) return DDERR_UNSUPPORTED;  // only whole-surface locks
    std::lock_guard lock(m_mutex);
    if (CheckLost()) return DDERR_SURFACELOST;
    if (m_locked) return DDERR_SURFACEBUSY;
    m_locked = true;
    Describe(*desc, *m_image);
    return DD_OK;
}

// Blits complete before they return, so the pixels are free to write at once and
// DDLOCK_WAIT has nothing to wait for.
HRESULT COffscreenSurface::Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD, void*) { return LockInto(rect, desc); }
HRESULT COffscreenSurface::Lock(RECT* rect, DDSURFACEDESC* desc, DWORD, void*) { return LockInto(rect, desc); }

HRESULT COffscreenSurface::UnlockPixels() {
    std::lock_guard lock(m_mutex);
    if (!m_locked) return DDERR_NOTLOCKED;
    m_locked = false;
    return CheckLost() ? DDERR_SURFACELOST : DD_OK;
}

HRESULT COffscreenSurface::Unlock(RECT* rect) { return rect ? DDERR_INVALIDRECT : UnlockPixels(); }
HRESULT COffscreenSurface::Unlock(void*) { return UnlockPixels(); }

HRESULT COffscreenSurface::DrawInto(HWND window, const RECT* destRect, const RECT* sourceRect) {
    std::lock_guard lock(m_mutex);
    if (CheckLost()) return DDERR_SURFACELOST;
    if (m_locked) return DDERR_SURFACEBUSY;
    const RECT source = sourceRect ? *sourceRect : RECT{0, 0, m_width, m_height};
    if (!IsInside(source, m_width, m_height)) return DDERR_INVALIDRECT;

    if (window > UINT32_MAX) return DDERR_SURFACELOST;  // names no X window
    xcb_connection_t* c = m_image->Connection();
    BlitTarget target;
    const xcb_window_t drawable = window ? xcb_window_t(window) : FirstRoot(c);
    // A window that cannot be queried is gone: the picture has nowhere to go until the
    // caller binds a window that exists.
    if (!QueryBlitTarget(c, drawable, window == 0, target)) {
        CheckLost();
        return DDERR_SURFACELOST;
    }
    if (target.depth != 24) return DDERR_UNSUPPORTED;
    const RECT dest = destRect ? *destRect : target.screen;
    if (!IsDrawable(dest)) return DDERR_INVALIDRECT;
    if (!StretchBlit(*m_image, source, target, dest, m_stretched)) {
        CheckLost();
        return DDERR_SURFACELOST;
    }
    return DD_OK;
}

HRESULT COffscreenSurface::Restore() {
    std::lock_guard lock(m_mutex);
    if (!CheckLost()) return DD_OK;
    if (m_locked) return DDERR_SURFACEBUSY;  // the caller still writes into the old pixels
    xcb_connection_t* c = window::Connection();
    if (!c) return DDERR_NODIRECTDRAWSUPPORT;
    std::unique_ptr<PixelImage> image = PixelImage::Create(c, m_width, m_height);
    if (!image) return DDERR_OUTOFMEMORY;
    m_image = std::move(image);
    m_stretched.reset();
    m_lost = false;
    return DD_OK;
}

}  // namespace orvo::surface
