#pragma once
// An offscreen 32-bit RGB surface: lockable pixels the server can draw from, usable as the
// source of a blit to the primary surface. Lost when its display connection breaks.
#include <memory>
#include <mutex>

#include "platform/com/ComPtr.h"
#include "platform/surface/DirectDraw.h"
#include "platform/surface/PixelImage.h"

namespace orvo::surface {

class CDirectDraw;

class COffscreenSurface final : public CUnknown, public IDirectDrawSurface7, public IDirectDrawSurface {
public:
    // A width x height surface on the live display connection.
    static HRESULT Create(CDirectDraw* owner, uint16_t width, uint16_t height, IDirectDrawSurface7** surface);
    ~COffscreenSurface() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT STDMETHODCALLTYPE Blt(RECT*, IDirectDrawSurface7*, RECT*, DWORD, DDBLTFX*) override {
        return DDERR_UNSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, void* event) override;
    HRESULT STDMETHODCALLTYPE Unlock(RECT* rect) override;
    HRESULT STDMETHODCALLTYPE SetClipper(IDirectDrawClipper*) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, void* event) override;
    HRESULT STDMETHODCALLTYPE Unlock(void* surfaceMemory) override;

    // Draws sourceRect (whole surface when null) stretched to destRect (screen coordinates,
    // whole screen when null), inside window, or anywhere on the screen when window is 0.
    HRESULT DrawInto(HWND window, const RECT* destRect, const RECT* sourceRect);
    // Gives a lost surface new pixels on the live connection.
    HRESULT Restore();

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IDirectDrawSurface7*>(this); }

private:
    COffscreenSurface(CDirectDraw* owner, std::unique_ptr<PixelImage> image);

    template <class Description>
    HRESULT LockInto(RECT* rect, Description* desc);
    HRESULT UnlockPixels();
    // Notes a broken connection; whether the surface is lost. With m_mutex held.
    bool CheckLost();

    CDirectDraw* const m_owner;
    ComPtr<IDirectDraw7> m_ownerReference;  // surfaces keep their DirectDraw object alive
    std::mutex m_mutex;
    std::unique_ptr<PixelImage> m_image;
    std::unique_ptr<PixelImage> m_stretched;  // scratch for stretched pixels, kept between blits
    const uint16_t m_width;
    const uint16_t m_height;
    bool m_locked = false;
    bool m_lost = false;
};

}  // namespace orvo::surface
