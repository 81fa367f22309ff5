#pragma once
// The 2D surface service: a DirectDraw object per window, the screen as primary surface,
// offscreen 32-bit RGB surfaces that can be locked for writing, a clipper bound to a
// window and a stretching blit into it. Only the operations the engine calls are offered.
//
// Objects are created on one thread and may be used from others; every method is safe to
// call concurrently.
#include "platform/com/Unknown.h"
#include "platform/window/Rect.h"

// Result codes.
constexpr HRESULT DD_OK = S_OK;
constexpr HRESULT DDERR_GENERIC = E_FAIL;
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DDERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DDERR_INVALIDCAPS = MakeHResult(0x88760064);
constexpr HRESULT DDERR_INVALIDOBJECT = MakeHResult(0x88760082);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MakeHResult(0x88760091);
constexpr HRESULT DDERR_INVALIDRECT = MakeHResult(0x88760096);
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = MakeHResult(0x887600D4);
constexpr HRESULT DDERR_NODIRECTDRAWSUPPORT = MakeHResult(0x887600DE);
constexpr HRESULT DDERR_SURFACEBUSY = MakeHResult(0x887601AE);
constexpr HRESULT DDERR_SURFACELOST = MakeHResult(0x887601C2);
constexpr HRESULT DDERR_NOHWND = MakeHResult(0x88760239);
constexpr HRESULT DDERR_NOTLOCKED = MakeHResult(0x88760248);

// SetCooperativeLevel flags.
constexpr DWORD DDSCL_FULLSCREEN = 0x00000001;
constexpr DWORD DDSCL_NORMAL = 0x00000008;
constexpr DWORD DDSCL_EXCLUSIVE = 0x00000010;
constexpr DWORD DDSCL_MULTITHREADED = 0x00000400;

// Which fields of a surface description are valid.
constexpr DWORD DDSD_CAPS = 0x00000001;
constexpr DWORD DDSD_HEIGHT = 0x00000002;
constexpr DWORD DDSD_WIDTH = 0x00000004;
constexpr DWORD DDSD_PITCH = 0x00000008;
constexpr DWORD DDSD_LPSURFACE = 0x00000800;
constexpr DWORD DDSD_PIXELFORMAT = 0x00001000;

// Surface capabilities.
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x00000040;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x00000200;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x00000800;
constexpr DWORD DDSCAPS_3DDEVICE = 0x00002000;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x00004000;

// Pixel format flags.
constexpr DWORD DDPF_ALPHAPIXELS = 0x00000001;
constexpr DWORD DDPF_RGB = 0x00000040;

// Lock flags.
constexpr DWORD DDLOCK_WAIT = 0x00000001;
constexpr DWORD DDLOCK_WRITEONLY = 0x00000020;

struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};

struct DDPIXELFORMAT {
    DWORD dwSize;  // 32
    DWORD dwFlags;
    DWORD dwFourCC;
    DWORD dwRGBBitCount;
    DWORD dwRBitMask;
    DWORD dwGBitMask;
    DWORD dwBBitMask;
    DWORD dwRGBAlphaBitMask;
};
static_assert(sizeof(DDPIXELFORMAT) == 32);

struct DDSCAPS {
    DWORD dwCaps;
};

struct DDSCAPS2 {
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCaps3;
    DWORD dwCaps4;
};

// The two surface descriptions keep their 124 and 108 bytes on a 64-bit platform: the
// 64-bit surface pointer fills the reserved word and the 32-bit pointer slot, and the
// records are packed to 4 bytes so no tail padding is added.
#pragma pack(push, 4)
struct DDSURFACEDESC2 {
    DWORD dwSize;  // 124
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    DWORD dwRefreshRate;
    DWORD dwAlphaBitDepth;
    void* lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS2 ddsCaps;
    DWORD dwTextureStage;
};

struct DDSURFACEDESC {
    DWORD dwSize;  // 108
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    DWORD dwRefreshRate;
    DWORD dwAlphaBitDepth;
    void* lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS ddsCaps;
};
#pragma pack(pop)
static_assert(sizeof(DDSURFACEDESC2) == 124);
static_assert(sizeof(DDSURFACEDESC) == 108);

// Blit effects are not offered; Blt takes a null record.
struct DDBLTFX;

struct IDirectDrawClipper : IUnknown {
    static constexpr GUID kIid = MakeGuid("{6C14DB85-A733-11CE-A521-0020AF0BE560}");
    // Binds the clipper to a window: blits through it land only in that window's visible
    // region. Flags must be 0.
    virtual HRESULT STDMETHODCALLTYPE SetHWnd(DWORD flags, HWND window) = 0;
};

// The first-generation surface interface, as callers of the engine hand surfaces in.
struct IDirectDrawSurface : IUnknown {
    static constexpr GUID kIid = MakeGuid("{6C14DB81-A733-11CE-A521-0020AF0BE560}");
    // rect must be null (the whole surface); desc->dwSize must be 108.
    virtual HRESULT STDMETHODCALLTYPE Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, void* event) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unlock(void* surfaceMemory) = 0;
};

struct IDirectDrawSurface7 : IUnknown {
    static constexpr GUID kIid = MakeGuid("{06675A80-3B9B-11D2-B92F-00609797EA5B}");
    // Stretches sourceRect of source (whole source when null) into destRect (in screen
    // coordinates for the primary surface; the whole screen when null). flags must be 0
    // and fx null. DDERR_SURFACELOST when the clipper's window is gone or the display
    // connection broke.
    virtual HRESULT STDMETHODCALLTYPE Blt(RECT* destRect, IDirectDrawSurface7* source, RECT* sourceRect, DWORD flags,
                                          DDBLTFX* fx) = 0;
    // rect must be null (the whole surface); desc->dwSize must be 124. Fills lpSurface,
    // lPitch, dwWidth, dwHeight and the pixel format. DDERR_SURFACELOST until restored.
    virtual HRESULT STDMETHODCALLTYPE Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, void* event) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unlock(RECT* rect) = 0;
    // Attaches a clipper (null detaches); the surface holds its own reference.
    virtual HRESULT STDMETHODCALLTYPE SetClipper(IDirectDrawClipper* clipper) = 0;
};

struct IDirectDraw7 : IUnknown {
    static constexpr GUID kIid = MakeGuid("{15E65EC0-3B9C-11D2-B92F-00609797EA5B}");
    // Windowed use only: DDSCL_NORMAL, optionally with DDSCL_MULTITHREADED.
    virtual HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) = 0;
    // The primary surface (DDSCAPS_PRIMARYSURFACE) or an offscreen 32-bit RGB surface
    // (DDSCAPS_OFFSCREENPLAIN with width, height and pixel format). outer must be null.
    virtual HRESULT STDMETHODCALLTYPE CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** surface,
                                                    IUnknown* outer) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateClipper(DWORD flags, IDirectDrawClipper** clipper, IUnknown* outer) = 0;
    // Makes every lost surface of this object usable again (its pixels are undefined).
    virtual HRESULT STDMETHODCALLTYPE RestoreAllSurfaces() = 0;
};

inline constexpr const GUID& IID_IDirectDraw7 = IDirectDraw7::kIid;
inline constexpr const GUID& IID_IDirectDrawSurface7 = IDirectDrawSurface7::kIid;
inline constexpr const GUID& IID_IDirectDrawSurface = IDirectDrawSurface::kIid;
inline constexpr const GUID& IID_IDirectDrawClipper = IDirectDrawClipper::kIid;

// Creates the DirectDraw object of the display. driver must be null (the default display)
// and iid IID_IDirectDraw7; DDERR_NODIRECTDRAWSUPPORT when no display can be reached.
HRESULT WINAPI DirectDrawCreateEx(GUID* driver, void** directDraw, REFIID iid, IUnknown* outer);
