#pragma once
// The pictures and tones the generated clips carry, so that a test can compute what a decoder
// must deliver without reading the clip back through another decoder.
#include <cstdint>
#include <vector>

namespace orvo::test {

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

// One eye's view of a stereo clip (view 0 left or top, 1 right or bottom; a 2D clip is
// view 0 over the whole frame). The views differ per channel: red carries the horizontal
// ramp in the left view and blue in the right one, so a swapped or mixed view shows at once.
// x and y are taken inside the view; frame moves the ramp so that frames differ too.
constexpr Rgb ViewPixel(int view, int frame, int x, int y) {
    const uint8_t ramp = uint8_t(x * 2 + frame * 3);
    const uint8_t rows = uint8_t(y * 3);
    return view == 0 ? Rgb{ramp, rows, 0x20} : Rgb{0x20, rows, ramp};
}

// One eye's view of a clip whose views are flat colours: they differ in every channel, so each
// anaglyph and single-view mode gives a colour of its own.
constexpr Rgb SolidViewPixel(int view) { return view == 0 ? Rgb{0xC8, 0x28, 0x3C} : Rgb{0x1E, 0xB4, 0xDC}; }

// Planes of the clips stored as 8-bit YUV; a 10-bit clip stores these values shifted left by 2.
constexpr uint8_t LumaPixel(int frame, int x, int y) { return uint8_t(16 + (x + y + frame * 5) % 220); }
constexpr uint8_t ChromaUPixel(int frame, int cx, int cy) { return uint8_t(16 + (cx * 3 + frame) % 224); }
constexpr uint8_t ChromaVPixel(int frame, int cx, int cy) { return uint8_t(16 + (cy * 5 + frame) % 224); }

// The Y, U, V (8-bit levels; shifted up for more bits) of quadrant q: 0 top left, 1 top right,
// 2 bottom left, 3 bottom right. Strong chroma, so that a wrong matrix or range shows.
struct YuvSample {
    int y, u, v;
};
constexpr YuvSample QuadrantSample(int q) {
    constexpr YuvSample kQuadrants[] = {{81, 90, 240}, {145, 54, 34}, {41, 240, 110}, {170, 166, 16}};
    return kQuadrants[q & 3];
}

// Interlaced clips: field f (0 top, 1 bottom) of frame n is white left of this column, black
// from it on.
constexpr int MovingEdgeAt(int frame, int field) { return 40 + 6 * (2 * frame + field); }

// R'G'B' levels from Y'CbCr samples of `depth` bits with luma weights kr, kb, in floating point.
inline Rgb RgbOfYuv(double kr, double kb, bool full, int depth, int y, int u, int v) {
    const double levels = 1 << (depth - 8), top = (1 << depth) - 1;
    const double luma = full ? y * 255.0 / top : (y - 16 * levels) * 255.0 / (219.0 * levels);
    const double chromaScale = full ? 255.0 / top : 255.0 / (224.0 * levels);
    const double cb = (u - 128 * levels) * chromaScale, cr = (v - 128 * levels) * chromaScale;
    const double r = luma + 2 * (1 - kr) * cr, b = luma + 2 * (1 - kb) * cb;
    const double g = (luma - kr * r - kb * b) / (1 - kr - kb);
    auto level = [](double x) { return uint8_t(x < 0 ? 0 : x > 255 ? 255 : int(x + 0.5)); };
    return {level(r), level(g), level(b)};
}

// The frequency of a tone from its rising crossings, with hysteresis against coding noise.
inline double MeasuredTone(const std::vector<float>& samples, int rate) {
    int crossings = 0;
    bool low = false;
    for (float sample : samples) {
        if (sample < -0.1f) low = true;
        if (low && sample > 0.1f) ++crossings, low = false;
    }
    return samples.empty() ? 0 : double(crossings) * rate / double(samples.size());
}

}  // namespace orvo::test
