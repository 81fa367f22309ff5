#include "engine/renderers/GraphHelpers.h"

#include <algorithm>

#include "platform/com/Runtime.h"
#include "platform/graph/ErrorText.h"
#include "platform/window/DialogPresenter.h"

namespace orvo::engine {

HRESULT AddFilterByClsid(REFCLSID clsid, IBaseFilter** filter, IGraphBuilder* graph, LPCWSTR name) {
    if (!graph || !filter) return E_POINTER;
    *filter = nullptr;
    ComPtr<IBaseFilter> created;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, created.PutVoid());
    if (FAILED(hr)) return hr;
    hr = graph->AddFilter(created.Get(), name);
    if (SUCCEEDED(hr)) *filter = created.Detach();
    return hr;
}

HRESULT FindPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin, int wantConnected) {
    if (!filter || !pin) return E_POINTER;
    *pin = nullptr;
    ComPtr<IEnumPins> pins;
    HRESULT hr = filter->EnumPins(pins.Put());
    if (FAILED(hr)) return hr;
    if (!pins) return VFW_E_NOT_FOUND;
    for (ComPtr<IPin> candidate; pins->Next(1, candidate.Put(), nullptr) == S_OK && candidate;) {
        ComPtr<IPin> peer;
        hr = candidate->ConnectedTo(peer.Put());
        int connected;
        if (SUCCEEDED(hr))
            connected = 1;
        else if (hr == VFW_E_NOT_CONNECTED)
            connected = 0;
        else
            return hr;
        PIN_DIRECTION candidateDirection;
        if (connected == wantConnected && SUCCEEDED(candidate->QueryDirection(&candidateDirection)) &&
            candidateDirection == direction) {
            *pin = candidate.Detach();
            return S_OK;
        }
    }
    return VFW_E_NOT_FOUND;
}

HRESULT FindSourceInterface(IGraphBuilder* graph, REFIID riid, void** object) {
    if (!graph || !object) return E_POINTER;
    *object = nullptr;
    ComPtr<IEnumFilters> filters;
    if (FAILED(graph->EnumFilters(filters.Put())) || !filters) return E_FAIL;
    HRESULT result = E_FAIL;
    for (ComPtr<IBaseFilter> filter; filters->Next(1, filter.Put(), nullptr) == S_OK && filter;) {
        ComPtr<IUnknown> offered;
        HRESULT hr = filter->QueryInterface(riid, offered.PutVoid());
        if (FAILED(hr)) {
            result = hr;
            continue;
        }
        ComPtr<IPin> connectedInput;
        if (SUCCEEDED(FindPin(filter.Get(), PINDIR_INPUT, connectedInput.Put(), 1))) continue;
        *object = offered.Detach();
        return hr;
    }
    return FAILED(result) ? result : E_FAIL;
}

HRESULT ConnectToFilter(IBaseFilter* filter, IGraphBuilder* graph, IPin* output) {
    if (!filter || !graph || !output) return S_FALSE;
    ComPtr<IPin> input;
    HRESULT hr = FindPin(filter, PINDIR_INPUT, input.Put(), 0);
    if (FAILED(hr)) return hr;
    return graph->Connect(output, input.Get());
}

int RemoveIfUnconnected(IBaseFilter* filter, IGraphBuilder* graph) {
    if (!filter || !graph) return 1;
    ComPtr<IPin> connectedInput;
    if (SUCCEEDED(FindPin(filter, PINDIR_INPUT, connectedInput.Put(), 1))) return 0;
    graph->RemoveFilter(filter);
    return 1;
}

namespace {

float Hundredths(LONG value, LONG size) { return size ? float(int64_t(value) * 100 / size) / 100.0f : 0.0f; }

}  // namespace

NormalizedRect NormalizeRect(const RECT& rect, LONG width, LONG height) {
    return {Hundredths(rect.left, width), Hundredths(rect.top, height), Hundredths(rect.right, width),
            Hundredths(rect.bottom, height)};
}

HBITMAP BitmapFromDib(const BITMAPINFOHEADER& header, const void* pixels, LONG width, LONG height) {
    BITMAPINFO info{};
    info.bmiHeader = header;
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    DeleteDC(dc);
    if (!bitmap || !pixels || width <= 0 || height <= 0) return bitmap;
    // SetBitmapBits copies no more than the bitmap holds.
    const uint64_t bytes = uint64_t(width) * (header.biBitCount / 8) * uint64_t(height);
    SetBitmapBits(bitmap, DWORD(std::min<uint64_t>(bytes, UINT32_MAX)), pixels);
    return bitmap;
}

void ShowErrorMessage(HRESULT hr) {
    if (SUCCEEDED(hr)) return;
    WCHAR text[MAX_ERROR_TEXT_LEN] = {};
    AMGetErrorTextW(hr, text, MAX_ERROR_TEXT_LEN);
    MessageBoxW(0, text, u"Error!", MB_OK | MB_ICONERROR);
}

}  // namespace orvo::engine
