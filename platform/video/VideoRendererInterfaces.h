#pragma once
// The stock video renderers' class ids and control interfaces: mixing renderers 7 and 9
// (filter configuration, windowless control, mixer control, mixer bitmap) and the
// enhanced renderer (filter configuration, service access, display control, mixer bitmap,
// video processor). Only the operations callers use are offered.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/graph/Interfaces.h"
#include "platform/window/Bitmap.h"
#include "platform/window/DialogPresenter.h"
#include "platform/window/Rect.h"

inline constexpr GUID CLSID_VideoMixingRenderer = MakeGuid("{B87BEB7B-8D29-423F-AE4D-6582C10175AC}");
inline constexpr GUID CLSID_VideoMixingRenderer9 = MakeGuid("{51B4ABF3-748F-4E3B-A276-C828330E926A}");
inline constexpr GUID CLSID_EnhancedVideoRenderer = MakeGuid("{FA10746C-9B63-4B6C-BC49-FC300EA5F256}");

using COLORREF = DWORD;  // 0x00BBGGRR

// Rendering modes; only windowless drawing into the caller's window is offered.
constexpr DWORD VMRMode_Windowless = 2;
constexpr DWORD VMR9Mode_Windowless = 2;
// Aspect-ratio modes (the same values in all three families).
constexpr DWORD VMR_ARMODE_NONE = 0;
constexpr DWORD VMR_ARMODE_LETTER_BOX = 1;
constexpr DWORD VMR9ARMode_None = 0;
constexpr DWORD VMR9ARMode_LetterBox = 1;
constexpr DWORD MFVideoARMode_None = 0;
constexpr DWORD MFVideoARMode_PreservePicture = 1;

// Most input streams a mixer takes.
constexpr DWORD MAX_MIXER_STREAMS = 16;

struct NORMALIZEDRECT {
    float left, top, right, bottom;
};
using VMR9NormalizedRect = NORMALIZEDRECT;
using MFVideoNormalizedRect = NORMALIZEDRECT;

// Alpha bitmap flags.
constexpr DWORD VMRBITMAP_DISABLE = 0x1;
constexpr DWORD VMRBITMAP_HDC = 0x2;
constexpr DWORD VMRBITMAP_ENTIREDDS = 0x4;
constexpr DWORD VMRBITMAP_SRCCOLORKEY = 0x8;
constexpr DWORD VMRBITMAP_SRCRECT = 0x10;
constexpr DWORD VMR9AlphaBitmap_Disable = VMRBITMAP_DISABLE;
constexpr DWORD VMR9AlphaBitmap_hDC = VMRBITMAP_HDC;
constexpr DWORD VMR9AlphaBitmap_SrcColorKey = VMRBITMAP_SRCCOLORKEY;
constexpr DWORD VMR9AlphaBitmap_SrcRect = VMRBITMAP_SRCRECT;
constexpr DWORD VMR9AlphaBitmap_FilterMode = 0x20;

struct VMRALPHABITMAP {
    DWORD dwFlags;
    HDC hdc;
    IUnknown* pDDS;  // a surface instead of a device context; not offered
    RECT rSrc;
    NORMALIZEDRECT rDest;
    float fAlpha;
    COLORREF clrSrcKey;
};

struct VMR9AlphaBitmap {
    DWORD dwFlags;
    HDC hdc;
    IUnknown* pDDS;
    RECT rSrc;
    VMR9NormalizedRect rDest;
    float fAlpha;
    COLORREF clrSrcKey;
    DWORD dwFilterMode;
};

// Procamp property flags, shared by version 9 and the enhanced renderer.
constexpr DWORD ProcAmpControl9_Brightness = 0x1;
constexpr DWORD ProcAmpControl9_Contrast = 0x2;
constexpr DWORD ProcAmpControl9_Hue = 0x4;
constexpr DWORD ProcAmpControl9_Saturation = 0x8;
constexpr DWORD ProcAmpControl9_Mask = 0xF;

struct VMR9ProcAmpControl {
    DWORD dwSize;  // 24
    DWORD dwFlags;
    float Brightness;
    float Contrast;
    float Hue;
    float Saturation;
};
static_assert(sizeof(VMR9ProcAmpControl) == 24);

struct VMR9ProcAmpControlRange {
    DWORD dwSize;  // 24
    DWORD dwProperty;  // one ProcAmpControl9_ flag
    float MinValue;
    float MaxValue;
    float DefaultValue;
    float StepSize;
};
static_assert(sizeof(VMR9ProcAmpControlRange) == 24);

struct IVMRFilterConfig : IUnknown {
    static constexpr GUID kIid = MakeGuid("{9E5530C5-7034-48B4-BB46-0B8A6EFC8E36}");
    virtual HRESULT STDMETHODCALLTYPE SetNumberOfStreams(DWORD maxStreams) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNumberOfStreams(DWORD* maxStreams) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRenderingMode(DWORD mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRenderingMode(DWORD* mode) = 0;
};

struct IVMRWindowlessControl : IUnknown {
    static constexpr GUID kIid = MakeGuid("{0EB1088C-4DCD-46F0-878F-39DAE86A51B7}");
    virtual HRESULT STDMETHODCALLTYPE GetNativeVideoSize(LONG* width, LONG* height, LONG* arWidth,
                                                         LONG* arHeight) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVideoPosition(const RECT* source, const RECT* dest) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVideoPosition(RECT* source, RECT* dest) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAspectRatioMode(DWORD* mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAspectRatioMode(DWORD mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVideoClippingWindow(HWND window) = 0;
    virtual HRESULT STDMETHODCALLTYPE RepaintVideo(HWND window, HDC dc) = 0;
    virtual HRESULT STDMETHODCALLTYPE DisplayModeChanged() = 0;
    // A CoTaskMemAlloc'd packed image: BITMAPINFOHEADER, then 32-bit bottom-up pixels.
    virtual HRESULT STDMETHODCALLTYPE GetCurrentImage(BYTE** dib) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBorderColor(COLORREF colour) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBorderColor(COLORREF* colour) = 0;
};

struct IVMRMixerControl : IUnknown {
    static constexpr GUID kIid = MakeGuid("{1C1A17B0-BED0-415D-974B-DC6696131599}");
    virtual HRESULT STDMETHODCALLTYPE SetAlpha(DWORD stream, float alpha) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAlpha(DWORD stream, float* alpha) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetZOrder(DWORD stream, DWORD z) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetZOrder(DWORD stream, DWORD* z) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetOutputRect(DWORD stream, const NORMALIZEDRECT* rect) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetOutputRect(DWORD stream, NORMALIZEDRECT* rect) = 0;
};

struct IVMRMixerBitmap : IUnknown {
    static constexpr GUID kIid = MakeGuid("{1E673275-0257-40AA-AF20-7C608D4A0428}");
    virtual HRESULT STDMETHODCALLTYPE SetAlphaBitmap(const VMRALPHABITMAP* bitmap) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateAlphaBitmapParameters(const VMRALPHABITMAP* bitmap) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAlphaBitmapParameters(VMRALPHABITMAP* bitmap) = 0;
};

struct IVMRFilterConfig9 : IUnknown {
    static constexpr GUID kIid = MakeGuid("{5A804648-4F66-4867-9C43-4F5C822CF1B8}");
    virtual HRESULT STDMETHODCALLTYPE SetNumberOfStreams(DWORD maxStreams) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNumberOfStreams(DWORD* maxStreams) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetRenderingMode(DWORD mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRenderingMode(DWORD* mode) = 0;
};

struct IVMRWindowlessControl9 : IUnknown {
    static constexpr GUID kIid = MakeGuid("{8F537D09-F85E-4414-B23B-502E54C79927}");
    virtual HRESULT STDMETHODCALLTYPE GetNativeVideoSize(LONG* width, LONG* height, LONG* arWidth,
                                                         LONG* arHeight) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVideoPosition(const RECT* source, const RECT* dest) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVideoPosition(RECT* source, RECT* dest) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAspectRatioMode(DWORD* mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAspectRatioMode(DWORD mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVideoClippingWindow(HWND window) = 0;
    virtual HRESULT STDMETHODCALLTYPE RepaintVideo(HWND window, HDC dc) = 0;
    virtual HRESULT STDMETHODCALLTYPE DisplayModeChanged() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentImage(BYTE** dib) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBorderColor(COLORREF colour) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBorderColor(COLORREF* colour) = 0;
};

struct IVMRMixerControl9 : IUnknown {
    static constexpr GUID kIid = MakeGuid("{1A777EAA-47C8-4930-B2C9-8FEE1C1B0F3B}");
    virtual HRESULT STDMETHODCALLTYPE SetAlpha(DWORD stream, float alpha) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAlpha(DWORD stream, float* alpha) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetZOrder(DWORD stream, DWORD z) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetZOrder(DWORD stream, DWORD* z) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetOutputRect(DWORD stream, const VMR9NormalizedRect* rect) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetOutputRect(DWORD stream, VMR9NormalizedRect* rect) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProcAmpControl(DWORD stream, VMR9ProcAmpControl* values) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProcAmpControl(DWORD stream, VMR9ProcAmpControl* values) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProcAmpControlRange(DWORD stream, VMR9ProcAmpControlRange* range) = 0;
};

struct IVMRMixerBitmap9 : IUnknown {
    static constexpr GUID kIid = MakeGuid("{CED175E5-1935-4820-81BD-FF6AD00C9108}");
    virtual HRESULT STDMETHODCALLTYPE SetAlphaBitmap(const VMR9AlphaBitmap* bitmap) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateAlphaBitmapParameters(const VMR9AlphaBitmap* bitmap) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAlphaBitmapParameters(VMR9AlphaBitmap* bitmap) = 0;
};

// The enhanced renderer's 16.16 fixed-point value: unsigned fraction, signed integer part.
struct DXVA2_Fixed32 {
    uint16_t Fraction;
    int16_t Value;
};
static_assert(sizeof(DXVA2_Fixed32) == 4);

// Float to fixed multiplies by 65536 and truncates toward zero, keeping the low 32 bits;
// a value that is not finite gives 0.
inline DXVA2_Fixed32 DXVA2FloatToFixed(float value) {
    const double scaled = double(value) * 65536.0;
    const double limit = 140737488355328.0;  // 2^47: inside int64 with room
    const int64_t whole = std::isfinite(scaled) ? int64_t(std::clamp(scaled, -limit, limit)) : 0;
    const uint32_t bits = uint32_t(uint64_t(whole));
    return {uint16_t(bits & 0xFFFF), int16_t(uint16_t(bits >> 16))};
}

// The signed integer part plus the fraction over 65536.
inline float DXVA2FixedToFloat(DXVA2_Fixed32 fixed) { return float(fixed.Value + fixed.Fraction / 65536.0); }

struct DXVA2_ValueRange {
    DXVA2_Fixed32 MinValue;
    DXVA2_Fixed32 MaxValue;
    DXVA2_Fixed32 DefaultValue;
    DXVA2_Fixed32 StepSize;
};

struct DXVA2_ProcAmpValues {
    DXVA2_Fixed32 Brightness;
    DXVA2_Fixed32 Contrast;
    DXVA2_Fixed32 Hue;
    DXVA2_Fixed32 Saturation;
};

constexpr DWORD DXVA2_ProcAmp_Brightness = 0x1;
constexpr DWORD DXVA2_ProcAmp_Contrast = 0x2;
constexpr DWORD DXVA2_ProcAmp_Hue = 0x4;
constexpr DWORD DXVA2_ProcAmp_Saturation = 0x8;

// Services of the enhanced renderer.
inline constexpr GUID MR_VIDEO_RENDER_SERVICE = MakeGuid("{1092A86C-AB1A-459A-A336-831FBC4D11FF}");
inline constexpr GUID MR_VIDEO_MIXER_SERVICE = MakeGuid("{073CD2FC-6CF4-40B7-8859-E89552C841F8}");

constexpr HRESULT MF_E_INVALIDREQUEST = MakeHResult(0xC00D36B2);
constexpr HRESULT MF_E_UNSUPPORTED_SERVICE = MakeHResult(0xC00D3E82);

struct IMFGetService : IUnknown {
    static constexpr GUID kIid = MakeGuid("{FA993888-4383-415A-A930-DD472A8CF6F7}");
    virtual HRESULT STDMETHODCALLTYPE GetService(REFGUID service, REFIID riid, void** object) = 0;
};

struct IEVRFilterConfig : IUnknown {
    static constexpr GUID kIid = MakeGuid("{83E91E85-82C1-4EA7-801D-85DC50B75086}");
    virtual HRESULT STDMETHODCALLTYPE SetNumberOfStreams(DWORD maxStreams) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNumberOfStreams(DWORD* maxStreams) = 0;
};

struct IMFVideoDisplayControl : IUnknown {
    static constexpr GUID kIid = MakeGuid("{A490B1E4-AB84-4D31-A1B2-181E03B1077A}");
    virtual HRESULT STDMETHODCALLTYPE GetNativeVideoSize(SIZE* video, SIZE* aspectRatio) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVideoPosition(const MFVideoNormalizedRect* source, const RECT* dest) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVideoPosition(MFVideoNormalizedRect* source, RECT* dest) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAspectRatioMode(DWORD mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAspectRatioMode(DWORD* mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVideoWindow(HWND window) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVideoWindow(HWND* window) = 0;
    virtual HRESULT STDMETHODCALLTYPE RepaintVideo() = 0;
    // header->biSize must be 40; *dib is CoTaskMemAlloc'd 32-bit bottom-up pixels.
    virtual HRESULT STDMETHODCALLTYPE GetCurrentImage(BITMAPINFOHEADER* header, BYTE** dib, DWORD* dibSize,
                                                      LONGLONG* timeStamp) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBorderColor(COLORREF colour) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBorderColor(COLORREF* colour) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFullscreen(BOOL fullscreen) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFullscreen(BOOL* fullscreen) = 0;
};

constexpr DWORD MFVideoAlphaBitmap_EntireDDS = 0x1;
constexpr DWORD MFVideoAlphaBitmap_SrcColorKey = 0x2;
constexpr DWORD MFVideoAlphaBitmap_SrcRect = 0x4;
constexpr DWORD MFVideoAlphaBitmap_DestRect = 0x8;
constexpr DWORD MFVideoAlphaBitmap_FilterMode = 0x10;
constexpr DWORD MFVideoAlphaBitmap_Alpha = 0x20;

struct MFVideoAlphaBitmapParams {
    DWORD dwFlags;
    COLORREF clrSrcKey;
    RECT rcSrc;
    MFVideoNormalizedRect nrcDest;
    float fAlpha;
    DWORD dwFilterMode;
};

struct MFVideoAlphaBitmap {
    BOOL GetBitmapFromDC;  // 1: the bitmap selected into bitmap.hdc
    union {
        HDC hdc;
        IUnknown* pDDS;
    } bitmap;
    MFVideoAlphaBitmapParams params;
};

struct IMFVideoMixerBitmap : IUnknown {
    static constexpr GUID kIid = MakeGuid("{814C7B20-0FDB-4EEC-AF8F-F957C8F69EDC}");
    virtual HRESULT STDMETHODCALLTYPE SetAlphaBitmap(const MFVideoAlphaBitmap* bitmap) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearAlphaBitmap() = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateAlphaBitmapParameters(const MFVideoAlphaBitmapParams* params) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAlphaBitmapParameters(MFVideoAlphaBitmapParams* params) = 0;
};

struct IMFVideoProcessor : IUnknown {
    static constexpr GUID kIid = MakeGuid("{6AB0000C-FECE-4D1F-A2AC-A9573530656E}");
    virtual HRESULT STDMETHODCALLTYPE GetProcAmpRange(DWORD property, DXVA2_ValueRange* range) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProcAmpValues(DWORD flags, DXVA2_ProcAmpValues* values) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProcAmpValues(DWORD flags, DXVA2_ProcAmpValues* values) = 0;
};

inline constexpr const GUID& IID_IVMRFilterConfig = IVMRFilterConfig::kIid;
inline constexpr const GUID& IID_IVMRWindowlessControl = IVMRWindowlessControl::kIid;
inline constexpr const GUID& IID_IVMRMixerControl = IVMRMixerControl::kIid;
inline constexpr const GUID& IID_IVMRMixerBitmap = IVMRMixerBitmap::kIid;
inline constexpr const GUID& IID_IVMRFilterConfig9 = IVMRFilterConfig9::kIid;
inline constexpr const GUID& IID_IVMRWindowlessControl9 = IVMRWindowlessControl9::kIid;
inline constexpr const GUID& IID_IVMRMixerControl9 = IVMRMixerControl9::kIid;
inline constexpr const GUID& IID_IVMRMixerBitmap9 = IVMRMixerBitmap9::kIid;
inline constexpr const GUID& IID_IMFGetService = IMFGetService::kIid;
inline constexpr const GUID& IID_IEVRFilterConfig = IEVRFilterConfig::kIid;
inline constexpr const GUID& IID_IMFVideoDisplayControl = IMFVideoDisplayControl::kIid;
inline constexpr const GUID& IID_IMFVideoMixerBitmap = IMFVideoMixerBitmap::kIid;
inline constexpr const GUID& IID_IMFVideoProcessor = IMFVideoProcessor::kIid;
