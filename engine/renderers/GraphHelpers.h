#pragma once
// Small graph operations shared by the renderer kinds, the graph builders and the stream
// queries. Called on the caller's thread.
#include "platform/com/ComPtr.h"
#include "platform/graph/Interfaces.h"
#include "platform/window/Bitmap.h"
#include "platform/window/Rect.h"

namespace orvo::engine {

// A rectangle in fractions of the video size.
struct NormalizedRect {
    float left, top, right, bottom;
};

// Creates the class in process, adds it to the graph under name and hands it out with a
// reference of its own only when both steps succeed. Gives the first failure, else
// AddFilter's result (VFW_S_DUPLICATE_NAME included).
HRESULT AddFilterByClsid(REFCLSID clsid, IBaseFilter** filter, IGraphBuilder* graph, LPCWSTR name);

// The first pin of the filter, in its order, with that direction and connection state
// (wantConnected 1 or 0); VFW_E_NOT_FOUND when none, or the failure of a pin's ConnectedTo.
HRESULT FindPin(IBaseFilter* filter, PIN_DIRECTION direction, IPin** pin, int wantConnected);

// The first filter in enumeration order that offers riid and has no connected input pin:
// the head of the graph, where the source and its stream selector sit.
HRESULT FindSourceInterface(IGraphBuilder* graph, REFIID riid, void** object);

template <class T>
HRESULT FindSourceInterface(IGraphBuilder* graph, ComPtr<T>& out) {
    return FindSourceInterface(graph, T::kIid, out.PutVoid());
}

// Connects output to the filter's first unconnected input, possibly through other filters.
// 1 and nothing done when any argument is null.
HRESULT ConnectToFilter(IBaseFilter* filter, IGraphBuilder* graph, IPin* output);

// Takes the filter out of the graph unless an input pin of it is connected: 1 when it was
// removed (or either argument is null), 0 when it stays.
int RemoveIfUnconnected(IBaseFilter* filter, IGraphBuilder* graph);

// Each coordinate in whole hundredths of the video size, truncated; a zero size gives zeros.
NormalizedRect NormalizeRect(const RECT& rect, LONG width, LONG height);

// A new bitmap the caller owns, of the header's size and bit count (no colour table), with
// width x (bit count / 8) x height bytes of pixels copied in; null when it cannot be made.
HBITMAP BitmapFromDib(const BITMAPINFOHEADER& header, const void* pixels, LONG width, LONG height);

// For a failure only: the platform's text for it in a modal message box captioned "Error!".
void ShowErrorMessage(HRESULT hr);

template <class T>
void SafeRelease(T** p) {
    if (p && *p) {
        (*p)->Release();
        *p = nullptr;
    }
}

}  // namespace orvo::engine
