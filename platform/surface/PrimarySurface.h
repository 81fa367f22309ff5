#pragma once
// The primary surface: the screen. Blits into it land in the attached clipper's window.
#include <mutex>

#include "platform/com/ComPtr.h"
#include "platform/surface/Clipper.h"

namespace orvo::surface {

class CPrimarySurface final : public CUnknown, public IDirectDrawSurface7 {
public:
    explicit CPrimarySurface(IDirectDraw7* owner) : m_ownerReference(owner) {}

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT STDMETHODCALLTYPE Blt(RECT* destRect, IDirectDrawSurface7* source, RECT* sourceRect, DWORD flags,
                                  DDBLTFX* fx) override;
    HRESULT STDMETHODCALLTYPE Lock(RECT*, DDSURFACEDESC2*, DWORD, void*) override { return DDERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE Unlock(RECT*) override { return DDERR_NOTLOCKED; }
    HRESULT STDMETHODCALLTYPE SetClipper(IDirectDrawClipper* clipper) override;

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IDirectDrawSurface7*>(this); }

private:
    HWND ClipWindow();

    ComPtr<IDirectDraw7> m_ownerReference;
    std::mutex m_mutex;
    ComPtr<IDirectDrawClipper> m_clipper;
};

}  // namespace orvo::surface
