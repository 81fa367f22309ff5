#pragma once
// Capture interfaces of the graph service: the system device enumerator with its monikers and
// property bags, pin categories asked through IKsPropertySet, and the capture graph builder.
// Monikers here only bind: to the device's filter, or to its property bag.
#include "platform/com/Variant.h"
#include "platform/graph/Interfaces.h"

struct IBindCtx;   // binding contexts are not offered; parameters of this type are always null
struct IErrorLog;  // error logs are not offered; parameters of this type are always null

inline constexpr GUID CLSID_VideoInputDeviceCategory = MakeGuid("{860BB310-5D01-11D0-BD3B-00A0C911CE86}");
inline constexpr GUID CLSID_AudioInputDeviceCategory = MakeGuid("{33D9A762-90C8-11D0-BD43-00A0C911CE86}");

inline constexpr GUID PIN_CATEGORY_CAPTURE = MakeGuid("{FB6C4281-0353-11D1-905F-0000C0CC16BA}");
inline constexpr GUID PIN_CATEGORY_PREVIEW = MakeGuid("{FB6C4282-0353-11D1-905F-0000C0CC16BA}");
inline constexpr GUID AMPROPSETID_Pin = MakeGuid("{9B00F101-1567-11D1-B3F1-00AA003761C5}");
constexpr DWORD AMPROPERTY_PIN_CATEGORY = 0;

constexpr HRESULT E_PROP_SET_UNSUPPORTED = MakeHResult(0x80070492);
constexpr HRESULT E_PROP_ID_UNSUPPORTED = MakeHResult(0x80070490);

struct IPropertyBag : IUnknown {
    static constexpr GUID kIid = MakeGuid("{55272A00-42CB-11CE-8135-00AA004BB851}");
    // Fills value (VT_BSTR) with the named property; E_INVALIDARG when the bag has none.
    virtual HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) = 0;
};
inline constexpr const GUID& IID_IPropertyBag = IPropertyBag::kIid;

struct IMoniker : IUnknown {
    static constexpr GUID kIid = MakeGuid("{0000000F-0000-0000-C000-000000000046}");
    // A new instance of the device's filter, asked for riid.
    virtual HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx* context, IMoniker* left, REFIID riid, void** object) = 0;
    // The device's property bag (IID_IPropertyBag).
    virtual HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx* context, IMoniker* left, REFIID riid, void** object) = 0;
};
inline constexpr const GUID& IID_IMoniker = IMoniker::kIid;

struct IEnumMoniker : IUnknown {
    static constexpr GUID kIid = MakeGuid("{00000102-0000-0000-C000-000000000046}");
    // S_FALSE when fewer than count were fetched.
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, IMoniker** monikers, ULONG* fetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumMoniker** clone) = 0;
};
inline constexpr const GUID& IID_IEnumMoniker = IEnumMoniker::kIid;

struct ICreateDevEnum : IUnknown {
    static constexpr GUID kIid = MakeGuid("{29840822-5B84-11D0-BD3B-00A0C911CE86}");
    // The devices of the category as they are now; S_FALSE and a null enumerator when there
    // are none.
    virtual HRESULT STDMETHODCALLTYPE CreateClassEnumerator(REFCLSID category, IEnumMoniker** monikers,
                                                            DWORD flags) = 0;
};
inline constexpr const GUID& IID_ICreateDevEnum = ICreateDevEnum::kIid;

struct IKsPropertySet : IUnknown {
    static constexpr GUID kIid = MakeGuid("{31EFAC30-515C-11D0-A9AA-00AA0061BE93}");
    virtual HRESULT STDMETHODCALLTYPE Set(REFGUID set, DWORD id, void* instance, DWORD instanceBytes, void* data,
                                          DWORD dataBytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE Get(REFGUID set, DWORD id, void* instance, DWORD instanceBytes, void* data,
                                          DWORD dataBytes, DWORD* returned) = 0;
    virtual HRESULT STDMETHODCALLTYPE QuerySupported(REFGUID set, DWORD id, DWORD* support) = 0;
};
inline constexpr const GUID& IID_IKsPropertySet = IKsPropertySet::kIid;

struct ICaptureGraphBuilder2 : IUnknown {
    static constexpr GUID kIid = MakeGuid("{93E5A4E0-2D50-11D2-ABFA-00A0C9C6E38D}");
    // The graph to build in; the builder holds a reference to it.
    virtual HRESULT STDMETHODCALLTYPE SetFiltergraph(IGraphBuilder* graph) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFiltergraph(IGraphBuilder** graph) = 0;
    // Connects source's first free output pin of category (and major type, when given)
    // through intermediate to sink; a null sink renders the stream with a renderer of the
    // graph's choice. source may be a filter or an output pin.
    virtual HRESULT STDMETHODCALLTYPE RenderStream(const GUID* category, const GUID* type, IUnknown* source,
                                                   IBaseFilter* intermediate, IBaseFilter* sink) = 0;
};
inline constexpr const GUID& IID_ICaptureGraphBuilder2 = ICaptureGraphBuilder2::kIid;
