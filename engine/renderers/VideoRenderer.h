#pragma once
// CVideoRenderer: what a channel shows its video through. Every renderer kind derives
// from it; the channel owns the object and destroys it at teardown, after its filter has
// left the graph. All operations run on the thread of the exported call that leads there.
#include <cstdint>

#include "platform/graph/Interfaces.h"
#include "platform/window/Rect.h"

namespace orvo::engine {

// A bitmap blended over the video; enable <= 0 hides the current one.
struct OverlayBitmap {
    int32_t enable;
    RECT source;                     // in the bitmap's pixels
    float left, top, right, bottom;  // destination, normalised to the video
    float alpha;                     // 0.0 .. 1.0
    uint32_t colorKey;               // 0x00BBGGRR; pixels of this colour are transparent
    HDC dc;                          // memory device context holding the bitmap
};

// Procamp property codes of ColorRange.
enum ColorControl : int32_t {
    COLOR_BRIGHTNESS = 1,
    COLOR_CONTRAST = 2,
    COLOR_HUE = 4,
    COLOR_SATURATION = 8,
};

struct ColorRange {
    float min, max, defaultValue, step;
    int32_t property;  // a ColorControl
};

struct ColorValues {
    float contrast, brightness, hue, saturation;
};

class CVideoRenderer {
public:
    virtual ~CVideoRenderer() = default;

    virtual int IsActive() = 0;
    virtual int CanFullScreen() = 0;
    virtual HRESULT SetFullScreen(int on) = 0;
    // 0 success, 1 not set up (an empty object), negative failure.
    virtual HRESULT AddToGraph(IGraphBuilder* graph, HWND window, IPin* pin, LPCWSTR name) = 0;
    virtual HRESULT OnGraphBuilt(IGraphBuilder* graph) = 0;
    virtual HRESULT SetWindow(HWND window, const RECT* rect) = 0;
    virtual HRESULT Repaint(HWND window, HDC dc) = 0;
    virtual HRESULT OnDisplayChange() = 0;
    virtual HRESULT SetStreamAlpha(int stream, float alpha) = 0;
    virtual float GetStreamAlpha(int stream) = 0;
    virtual int SetOverlayBitmap(const OverlayBitmap* bitmap) = 0;
    virtual int SetStreamRect(int stream, RECT rect) = 0;
    virtual HBITMAP CaptureImage() = 0;  // a new bitmap the caller owns, or null
    virtual int GetColorRange(int stream, ColorRange* range) = 0;
    virtual int SetColorValues(int stream, const ColorValues* values) = 0;

    // Read by the channel queries once the graph is built.
    HWND m_window = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    double m_frameRate = 0.0;
};

}  // namespace orvo::engine
