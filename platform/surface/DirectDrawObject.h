#pragma once
// The DirectDraw object: creates the surfaces and clippers of one display and restores the
// surfaces it made.
#include <mutex>
#include <vector>

#include "platform/surface/DirectDraw.h"

namespace orvo::surface {

class COffscreenSurface;

class CDirectDraw final : public CUnknown, public IDirectDraw7 {
public:
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** surface,
                                            IUnknown* outer) override;
    HRESULT STDMETHODCALLTYPE CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) override;
    HRESULT STDMETHODCALLTYPE RestoreAllSurfaces() override;

    // Offscreen surfaces enter while they live, so that RestoreAllSurfaces reaches them.
    void Register(COffscreenSurface* surface);
    void Unregister(COffscreenSurface* surface);

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IDirectDraw7*>(this); }

private:
    HRESULT CreateOffscreen(const DDSURFACEDESC2& desc, IDirectDrawSurface7** surface);

    std::mutex m_mutex;
    bool m_cooperativeLevelSet = false;
    std::vector<COffscreenSurface*> m_surfaces;
};

}  // namespace orvo::surface
