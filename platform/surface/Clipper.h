#pragma once
// A clipper: remembers the window that blits through it are confined to.
#include <atomic>

#include "platform/surface/DirectDraw.h"

namespace orvo::surface {

class CClipper final : public CUnknown, public IDirectDrawClipper {
public:
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT STDMETHODCALLTYPE SetHWnd(DWORD flags, HWND window) override;

    // The bound window, or 0.
    HWND Window() const { return m_window.load(); }

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IDirectDrawClipper*>(this); }

private:
    std::atomic<HWND> m_window{0};
};

}  // namespace orvo::surface
