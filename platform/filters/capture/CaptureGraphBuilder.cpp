#include "platform/filters/capture/CaptureGraphBuilder.h"

#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "platform/graph/ClassIds.h"

namespace orvo::capture {
namespace {

GUID PinCategory(IPin* pin) {
    GUID category = GUID_NULL;
    ComPtr<IKsPropertySet> properties;
    DWORD returned = 0;
    if (SUCCEEDED(pin->QueryInterface(IID_IKsPropertySet, properties.PutVoid())) && properties)
        properties->Get(AMPROPSETID_Pin, AMPROPERTY_PIN_CATEGORY, nullptr, 0, &category, sizeof category, &returned);
    return category;
}

bool OffersMajorType(IPin* pin, const GUID& major) {
    ComPtr<IEnumMediaTypes> types;
    if (FAILED(pin->EnumMediaTypes(types.Put())) || !types) return false;
    AM_MEDIA_TYPE* type = nullptr;
    bool offered = false;
    while (!offered && types->Next(1, &type, nullptr) == S_OK && type) {
        offered = type->majortype == major;
        DeleteMediaType(type);
    }
    return offered;
}

// The filter's first unconnected pin of the direction that passes the test; null when none.
template <class Test>
ComPtr<IPin> FreePin(IBaseFilter* filter, PIN_DIRECTION wanted, Test test) {
    ComPtr<IEnumPins> pins;
    if (!filter || FAILED(filter->EnumPins(pins.Put())) || !pins) return nullptr;
    for (ComPtr<IPin> pin; pins->Next(1, pin.Put(), nullptr) == S_OK && pin;) {
        PIN_DIRECTION direction;
        ComPtr<IPin> peer;
        if (FAILED(pin->QueryDirection(&direction)) || direction != wanted) continue;
        if (pin->ConnectedTo(peer.Put()) != VFW_E_NOT_CONNECTED) continue;
        if (test(pin.Get())) return pin;
    }
    return nullptr;
}

ComPtr<IPin> FreePin(IBaseFilter* filter, PIN_DIRECTION wanted) {
    return FreePin(filter, wanted, [](IPin*) { return true; });
}

class CCaptureGraphBuilder final : public ICaptureGraphBuilder2, public CUnknown {
public:
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override {
        if (object && riid == IID_ICaptureGraphBuilder2)
            return GetInterface(static_cast<ICaptureGraphBuilder2*>(this), object);
        return CUnknown::NonDelegatingQueryInterface(riid, object);
    }

    HRESULT STDMETHODCALLTYPE SetFiltergraph(IGraphBuilder* graph) override {
        if (!graph) return E_POINTER;
        if (m_graph) return E_UNEXPECTED;
        m_graph = ComPtr<IGraphBuilder>(graph);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetFiltergraph(IGraphBuilder** graph) override {
        if (!graph) return E_POINTER;
        *graph = nullptr;
        if (!m_graph) return E_UNEXPECTED;
        *graph = m_graph.Get();
        (*graph)->AddRef();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE RenderStream(const GUID* category, const GUID* type, IUnknown* source,
                                           IBaseFilter* intermediate, IBaseFilter* sink) override {
        if (!m_graph) return E_UNEXPECTED;
        if (!source) return E_POINTER;
        ComPtr<IPin> output = SourcePin(category, type, source);
        if (!output) return E_INVALIDARG;
        if (intermediate) {
            ComPtr<IPin> input = FreePin(intermediate, PINDIR_INPUT);
            if (!input) return E_INVALIDARG;
            HRESULT hr = m_graph->Connect(output.Get(), input.Get());
            if (FAILED(hr)) return hr;
            output = FreePin(intermediate, PINDIR_OUTPUT);
            if (!output) return E_FAIL;
        }
        if (!sink) return m_graph->Render(output.Get());
        ComPtr<IPin> input = FreePin(sink, PINDIR_INPUT);
        if (!input) return E_INVALIDARG;
        return m_graph->Connect(output.Get(), input.Get());
    }

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<ICaptureGraphBuilder2*>(this); }

private:
    // An unconnected output pin given as such, or the filter's first free one of the category
    // and major type; a preview is taken from a free capture pin when no preview pin is free.
    static ComPtr<IPin> SourcePin(const GUID* category, const GUID* type, IUnknown* source) {
        ComPtr<IPin> pin;
        if (SUCCEEDED(source->QueryInterface(IID_IPin, pin.PutVoid())) && pin) {
            PIN_DIRECTION direction;
            ComPtr<IPin> peer;
            if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_OUTPUT) return nullptr;
            return pin->ConnectedTo(peer.Put()) == VFW_E_NOT_CONNECTED ? pin : nullptr;
        }
        ComPtr<IBaseFilter> filter;
        if (FAILED(source->QueryInterface(IID_IBaseFilter, filter.PutVoid())) || !filter) return nullptr;
        auto of = [type](const GUID& wanted) {
            return [type, wanted](IPin* p) {
                return (wanted == GUID_NULL || PinCategory(p) == wanted) && (!type || OffersMajorType(p, *type));
            };
        };
        const GUID asked = category ? *category : GUID_NULL;
        ComPtr<IPin> found = FreePin(filter.Get(), PINDIR_OUTPUT, of(asked));
        if (!found && asked == PIN_CATEGORY_PREVIEW)
            found = FreePin(filter.Get(), PINDIR_OUTPUT, of(PIN_CATEGORY_CAPTURE));
        return found;
    }

    ComPtr<IGraphBuilder> m_graph;
};

const com::ClassRegistration s_captureGraphBuilder(CLSID_CaptureGraphBuilder2, &CreateCaptureGraphBuilder);

}  // namespace

HRESULT CreateCaptureGraphBuilder(REFIID riid, void** object) {
    return CreateComObject<CCaptureGraphBuilder>(riid, object);
}

}  // namespace orvo::capture
