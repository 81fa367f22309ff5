#pragma once
// The CPU mixer behind the stock video renderers: the latest frame of each input stream
// (32-bit pixels, bytes blue, green, red, X, top row first), each placed in a normalized
// rectangle of the output and blended with its alpha in stream order, then the colour
// controls (procamp) and an alpha bitmap with an optional colour key on top.
//
// Not locked: the renderer filter guards its mixer with its frame lock.
#include <cstdint>
#include <vector>

#include "platform/video/VideoRendererInterfaces.h"

namespace orvo::video {

struct Frame {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // width x height, top row first
    bool Empty() const { return pixels.empty(); }
    void Resize(int w, int h);
};

struct ProcAmpValues {
    float brightness = 0.0f, contrast = 1.0f, hue = 0.0f, saturation = 1.0f;
};

struct ProcAmpRange {
    float min, max, defaultValue, step;
};

// The range of one property (ProcAmpControl9_ flag); false for any other code.
bool ProcAmpRangeOf(DWORD property, ProcAmpRange& range);

struct AlphaBitmap {
    Frame image;          // the whole bitmap
    RECT source{};        // part shown; the whole image when empty
    NORMALIZEDRECT dest{0, 0, 1, 1};
    float alpha = 1.0f;
    bool useColorKey = false;
    COLORREF colorKey = 0;
};

class VideoMixer {
public:
    VideoMixer();

    // 1 to MAX_MIXER_STREAMS; streams past the count lose their frames and settings.
    HRESULT SetStreamCount(DWORD count);
    DWORD StreamCount() const { return DWORD(m_streams.size()); }

    // The frame a stream shows; null past the count.
    Frame* StreamFrame(DWORD stream);
    // Stream 0's frame size (the native video size), 0 x 0 before the first frame.
    SIZE NativeSize() const;

    HRESULT SetAlpha(DWORD stream, float alpha);
    HRESULT GetAlpha(DWORD stream, float* alpha) const;
    HRESULT SetOutputRect(DWORD stream, const NORMALIZEDRECT* rect);
    HRESULT GetOutputRect(DWORD stream, NORMALIZEDRECT* rect) const;

    // Values outside their ranges give E_INVALIDARG and change nothing.
    HRESULT SetProcAmp(DWORD flags, const ProcAmpValues& values);
    const ProcAmpValues& ProcAmp() const { return m_procAmp; }

    // Checks the bitmap's rectangles and alpha (E_INVALIDARG) before taking it.
    HRESULT SetAlphaBitmap(AlphaBitmap bitmap);
    // New placement, alpha and key for the bitmap shown; VFW_E_WRONG_STATE without one.
    HRESULT UpdateAlphaBitmap(const RECT& source, const NORMALIZEDRECT& dest, float alpha, bool useColorKey,
                              COLORREF colorKey);
    void ClearAlphaBitmap() { m_bitmapShown = false; }
    bool AlphaBitmapShown() const { return m_bitmapShown; }
    const AlphaBitmap& CurrentAlphaBitmap() const { return m_bitmap; }

    // Mixes everything into a width x height picture at dest (pitch bytes per row).
    void Compose(uint8_t* dest, int32_t pitch, int width, int height);

private:
    struct Stream {
        Frame frame;
        float alpha = 1.0f;
        NORMALIZEDRECT rect{0, 0, 1, 1};
    };
    void MixStream(const Stream& stream, uint8_t* dest, int32_t pitch, int width, int height);
    void ApplyProcAmp(uint8_t* dest, int32_t pitch, int width, int height) const;
    void BlendAlphaBitmap(uint8_t* dest, int32_t pitch, int width, int height) const;

    std::vector<Stream> m_streams;
    ProcAmpValues m_procAmp;
    AlphaBitmap m_bitmap;
    bool m_bitmapShown = false;
    Frame m_scratch;
};

}  // namespace orvo::video
