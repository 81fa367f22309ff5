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
    // 0 success, 1 not set up (an empty object), negative failure.
    virtual HRESULT AddToGraph(IGraphBuilder* graph, HWND window, IPin* pin, LPCWSTR name) = 0;
    virtual HRESULT OnGraphBuilt(IGraphBuilder* graph) = 0;
    virtual HRESULT SetWindow(HWND window, const RECT* rect) = 0;

    // What a kind without the feature answers: nothing done.
    virtual int CanFullScreen() { return 0; }
    virtual HRESULT SetFullScreen(int) { return 0; }
    virtual HRESULT Repaint(HWND, HDC) { return 0; }
    virtual HRESULT OnDisplayChange() { return 0; }
    virtual HRESULT SetStreamAlpha(int, float) { return 0; }
    virtual float GetStreamAlpha(int) { return 1.0f; }
    virtual int SetOverlayBitmap(const OverlayBitmap*) { return 0; }
    virtual int SetStreamRect(int, RECT) { return 0; }
    virtual HBITMAP CaptureImage() { return nullptr; }  // a new bitmap the caller owns, or null
    virtual int GetColorRange(int, ColorRange*) { return 0; }
    virtual int SetColorValues(int, const ColorValues*) { return 0; }

    // Read by the channel queries once the graph is built.
    HWND m_window = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    double m_frameRate = 0.0;
};

}  // namespace orvo::engine
