#include "platform/video/VideoMixer.h"

#include <libyuv/scale_argb.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orvo::video {
namespace {

constexpr ProcAmpRange kBrightness{-100.0f, 100.0f, 0.0f, 1.0f};
constexpr ProcAmpRange kContrast{0.0f, 10.0f, 1.0f, 0.01f};
constexpr ProcAmpRange kHue{-180.0f, 180.0f, 0.0f, 1.0f};
constexpr ProcAmpRange kSaturation{0.0f, 10.0f, 1.0f, 0.01f};

bool InRange(float value, const ProcAmpRange& range) { return value >= range.min && value <= range.max; }

bool ValidNormalized(const NORMALIZEDRECT& r) {
    return std::isfinite(r.left) && std::isfinite(r.top) && std::isfinite(r.right) && std::isfinite(r.bottom) &&
           r.left < r.right && r.top < r.bottom;
}

// The pixel rectangle a normalized one covers in a width x height picture, clipped to it.
RECT ToPixels(const NORMALIZEDRECT& r, int width, int height) {
    auto at = [](float f, int size) { return LONG(std::clamp(std::lround(double(f) * size), 0L, long(size))); };
    return {at(r.left, width), at(r.top, height), at(r.right, width), at(r.bottom, height)};
}

uint32_t* Row(uint8_t* dest, int32_t pitch, int y) { return reinterpret_cast<uint32_t*>(dest + size_t(pitch) * y); }

// dst + (src - dst) * weight / 256 in each colour byte.
uint32_t Blend(uint32_t dst, uint32_t src, uint32_t weight) {
    const uint32_t keep = 256 - weight;
    uint32_t rb = ((src & 0xFF00FF) * weight + (dst & 0xFF00FF) * keep) >> 8;
    uint32_t g = ((src & 0x00FF00) * weight + (dst & 0x00FF00) * keep) >> 8;
    return (rb & 0xFF00FF) | (g & 0x00FF00);
}

uint32_t Weight(float alpha) { return uint32_t(std::lround(std::clamp(alpha, 0.0f, 1.0f) * 256.0f)); }

// The procamp as an affine map of (R, G, B) with 12 fraction bits (every sum stays far
// inside 32 bits for the controls' ranges): luma (BT.601) gets
// contrast about mid-grey plus brightness, the colour differences are turned by the hue
// and scaled by the saturation.
struct AffineColour {
    static constexpr int kShift = 12;
    static constexpr int32_t kOne = 1 << kShift;
    int32_t m[3][4];  // rows R, G, B; columns R, G, B, offset

    explicit AffineColour(const ProcAmpValues& v) {
        const double angle = v.hue * 3.14159265358979323846 / 180.0;
        const double c = std::cos(angle) * v.saturation, s = std::sin(angle) * v.saturation;
        auto apply = [&](double r, double g, double b, bool withOffset, double out[3]) {
            const double y = 0.299 * r + 0.587 * g + 0.114 * b;
            const double u = b - y, w = r - y;
            const double y2 = y * v.contrast + (withOffset ? 128.0 * (1.0 - v.contrast) + v.brightness : 0.0);
            const double u2 = u * c - w * s, w2 = u * s + w * c;
            out[0] = y2 + w2;
            out[2] = y2 + u2;
            out[1] = (y2 - 0.299 * out[0] - 0.114 * out[2]) / 0.587;
        };
        double offset[3], column[3];
        apply(0, 0, 0, true, offset);
        for (int j = 0; j < 3; ++j) {
            apply(j == 0, j == 1, j == 2, false, column);
            for (int i = 0; i < 3; ++i) m[i][j] = int32_t(std::lround(column[i] * kOne));
        }
        for (int i = 0; i < 3; ++i) m[i][3] = int32_t(std::lround(offset[i] * kOne)) + kOne / 2;
    }

    uint32_t operator()(uint32_t px) const {
        const int32_t r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
        auto channel = [&](int i) {
            const int32_t value = (m[i][0] * r + m[i][1] * g + m[i][2] * b + m[i][3]) >> kShift;
            return uint32_t(std::clamp(value, 0, 255));
        };
        return (channel(0) << 16) | (channel(1) << 8) | channel(2);
    }
};

bool IsIdentity(const ProcAmpValues& v) {
    return v.brightness == 0.0f && v.contrast == 1.0f && v.hue == 0.0f && v.saturation == 1.0f;
}

// A COLORREF (0x00BBGGRR) as a pixel's colour bits (0x00RRGGBB).
uint32_t KeyAsPixel(COLORREF key) { return ((key & 0xFF) << 16) | (key & 0xFF00) | ((key >> 16) & 0xFF); }

// Whether the placement fits an image of that size; an empty source becomes the whole image.
HRESULT CheckPlacement(const Frame& image, RECT& source, const NORMALIZEDRECT& dest, float alpha) {
    if (image.Empty()) return E_INVALIDARG;
    if (source.left == 0 && source.top == 0 && source.right == 0 && source.bottom == 0)
        source = {0, 0, image.width, image.height};
    if (source.left < 0 || source.top < 0 || source.right > image.width || source.bottom > image.height ||
        source.left >= source.right || source.top >= source.bottom)
        return E_INVALIDARG;
    if (!ValidNormalized(dest) || !(alpha >= 0.0f && alpha <= 1.0f)) return E_INVALIDARG;
    return S_OK;
}

}  // namespace

void Frame::Resize(int w, int h) {
    width = w;
    height = h;
    pixels.assign(size_t(w) * size_t(h), 0);
}

bool ProcAmpRangeOf(DWORD property, ProcAmpRange& range) {
    switch (property) {
    case ProcAmpControl9_Brightness: range = kBrightness; return true;
    case ProcAmpControl9_Contrast: range = kContrast; return true;
    case ProcAmpControl9_Hue: range = kHue; return true;
    case ProcAmpControl9_Saturation: range = kSaturation; return true;
    default: return false;
    }
}

VideoMixer::VideoMixer() : m_streams(1) {}

HRESULT VideoMixer::SetStreamCount(DWORD count) {
    if (count < 1 || count > MAX_MIXER_STREAMS) return E_INVALIDARG;
    m_streams.resize(count);
    return S_OK;
}

Frame* VideoMixer::StreamFrame(DWORD stream) { return stream < m_streams.size() ? &m_streams[stream].frame : nullptr; }

SIZE VideoMixer::NativeSize() const { return {m_streams[0].frame.width, m_streams[0].frame.height}; }

HRESULT VideoMixer::SetAlpha(DWORD stream, float alpha) {
    if (stream >= m_streams.size()) return E_INVALIDARG;
    if (!(alpha >= 0.0f && alpha <= 1.0f)) return E_INVALIDARG;
    m_streams[stream].alpha = alpha;
    return S_OK;
}

HRESULT VideoMixer::GetAlpha(DWORD stream, float* alpha) const {
    if (!alpha) return E_POINTER;
    if (stream >= m_streams.size()) return E_INVALIDARG;
    *alpha = m_streams[stream].alpha;
    return S_OK;
}

HRESULT VideoMixer::SetOutputRect(DWORD stream, const NORMALIZEDRECT* rect) {
    if (!rect) return E_POINTER;
    if (stream >= m_streams.size() || !ValidNormalized(*rect)) return E_INVALIDARG;
    m_streams[stream].rect = *rect;
    return S_OK;
}

HRESULT VideoMixer::GetOutputRect(DWORD stream, NORMALIZEDRECT* rect) const {
    if (!rect) return E_POINTER;
    if (stream >= m_streams.size()) return E_INVALIDARG;
    *rect = m_streams[stream].rect;
    return S_OK;
}

HRESULT VideoMixer::SetProcAmp(DWORD flags, const ProcAmpValues& values) {
    ProcAmpValues next = m_procAmp;
    if (flags & ProcAmpControl9_Brightness) next.brightness = values.brightness;
    if (flags & ProcAmpControl9_Contrast) next.contrast = values.contrast;
    if (flags & ProcAmpControl9_Hue) next.hue = values.hue;
    if (flags & ProcAmpControl9_Saturation) next.saturation = values.saturation;
    if (!InRange(next.brightness, kBrightness) || !InRange(next.contrast, kContrast) || !InRange(next.hue, kHue) ||
        !InRange(next.saturation, kSaturation))
        return E_INVALIDARG;
    m_procAmp = next;
    return S_OK;
}

HRESULT VideoMixer::SetAlphaBitmap(AlphaBitmap bitmap) {
    HRESULT hr = CheckPlacement(bitmap.image, bitmap.source, bitmap.dest, bitmap.alpha);
    if (FAILED(hr)) return hr;
    m_bitmap = std::move(bitmap);
    m_bitmapShown = true;
    return S_OK;
}

HRESULT VideoMixer::UpdateAlphaBitmap(const RECT& source, const NORMALIZEDRECT& dest, float alpha, bool useColorKey,
                                      COLORREF colorKey) {
    if (!m_bitmapShown) return VFW_E_WRONG_STATE;
    RECT placed = source;
    HRESULT hr = CheckPlacement(m_bitmap.image, placed, dest, alpha);
    if (FAILED(hr)) return hr;
    m_bitmap.source = placed;
    m_bitmap.dest = dest;
    m_bitmap.alpha = alpha;
    m_bitmap.useColorKey = useColorKey;
    m_bitmap.colorKey = colorKey;
    return S_OK;
}

void VideoMixer::Compose(uint8_t* dest, int32_t pitch, int width, int height) {
    if (width <= 0 || height <= 0) return;
    for (int y = 0; y < height; ++y) std::memset(Row(dest, pitch, y), 0, size_t(width) * 4);
    for (const Stream& stream : m_streams)
        if (!stream.frame.Empty()) MixStream(stream, dest, pitch, width, height);
    if (!IsIdentity(m_procAmp)) ApplyProcAmp(dest, pitch, width, height);
    if (m_bitmapShown) BlendAlphaBitmap(dest, pitch, width, height);
}

void VideoMixer::MixStream(const Stream& stream, uint8_t* dest, int32_t pitch, int width, int height) {
    const RECT r = ToPixels(stream.rect, width, height);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    const uint32_t weight = Weight(stream.alpha);
    const Frame& f = stream.frame;
    uint8_t* target = dest + size_t(pitch) * r.top + size_t(r.left) * 4;
    if (weight == 256) {
        libyuv::ARGBScale(reinterpret_cast<const uint8_t*>(f.pixels.data()), f.width * 4, f.width, f.height, target,
                          pitch, w, h, libyuv::kFilterBilinear);
        return;
    }
    if (weight == 0) return;
    m_scratch.Resize(w, h);
    libyuv::ARGBScale(reinterpret_cast<const uint8_t*>(f.pixels.data()), f.width * 4, f.width, f.height,
                      reinterpret_cast<uint8_t*>(m_scratch.pixels.data()), w * 4, w, h, libyuv::kFilterBilinear);
    for (int y = 0; y < h; ++y) {
        uint32_t* out = Row(target, pitch, y);
        const uint32_t* in = &m_scratch.pixels[size_t(y) * w];
        for (int x = 0; x < w; ++x) out[x] = Blend(out[x], in[x], weight);
    }
}

void VideoMixer::ApplyProcAmp(uint8_t* dest, int32_t pitch, int width, int height) const {
    const AffineColour colour(m_procAmp);
    for (int y = 0; y < height; ++y) {
        uint32_t* row = Row(dest, pitch, y);
        for (int x = 0; x < width; ++x) row[x] = colour(row[x]);
    }
}

// Nearest source pixel for each covered output pixel, so the colour key matches exactly.
void VideoMixer::BlendAlphaBitmap(uint8_t* dest, int32_t pitch, int width, int height) const {
    const AlphaBitmap& b = m_bitmap;
    const RECT r = ToPixels(b.dest, width, height);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const uint32_t weight = Weight(b.alpha);
    if (w <= 0 || h <= 0 || weight == 0) return;
    const int64_t sw = b.source.right - b.source.left, sh = b.source.bottom - b.source.top;
    const uint32_t key = KeyAsPixel(b.colorKey);
    for (int y = 0; y < h; ++y) {
        const int sy = int(b.source.top + (int64_t(y) * sh) / h);
        const uint32_t* in = &b.image.pixels[size_t(sy) * b.image.width];
        uint32_t* out = Row(dest, pitch, r.top + y) + r.left;
        for (int x = 0; x < w; ++x) {
            const uint32_t px = in[b.source.left + (int64_t(x) * sw) / w] & 0xFFFFFF;
            if (b.useColorKey && px == key) continue;
            out[x] = Blend(out[x], px, weight);
        }
    }
}

}  // namespace orvo::video
