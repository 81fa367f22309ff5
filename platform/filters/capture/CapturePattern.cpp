#include "platform/filters/capture/CapturePattern.h"

#include <libyuv/convert_from_argb.h>

namespace orvo::capture {
namespace {

// Mid-range colours: every channel survives the trip through limited-range YUV.
constexpr uint32_t kBars[kPatternBars] = {0xC03020, 0x20B040, 0x3040C0, 0xC0B020,
                                          0x20B0B0, 0xB020B0, 0x808080, 0xE0E0E0};

}  // namespace

const uint32_t* PatternBarColours() { return kBars; }

uint32_t PatternColour(uint64_t frame, int x, int width) {
    const int bar = int((uint64_t(x) * kPatternBars / uint64_t(width) + frame) % kPatternBars);
    return kBars[bar];
}

std::vector<uint8_t> PatternFrame(uint64_t frame, int width, int height, const GUID& subtype) {
    if (width <= 0 || height <= 0 || width % 16 || height % 2) return {};
    std::vector<uint32_t> argb(size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) argb[size_t(y) * width + x] = 0xFF000000u | PatternColour(frame, x, width);
    const auto* source = reinterpret_cast<const uint8_t*>(argb.data());
    const int stride = width * 4;
    const size_t luma = size_t(width) * height;
    std::vector<uint8_t> out;
    if (subtype == MEDIASUBTYPE_YUY2) {
        out.resize(luma * 2);
        libyuv::ARGBToYUY2(source, stride, out.data(), width * 2, width, height);
    } else if (subtype == MEDIASUBTYPE_NV12) {
        out.resize(luma * 3 / 2);
        libyuv::ARGBToNV12(source, stride, out.data(), width, out.data() + luma, width, width, height);
    } else if (subtype == MEDIASUBTYPE_I420) {
        out.resize(luma * 3 / 2);
        uint8_t* u = out.data() + luma;
        uint8_t* v = u + luma / 4;
        libyuv::ARGBToI420(source, stride, out.data(), width, u, width / 2, v, width / 2, width, height);
    }
    return out;
}

}  // namespace orvo::capture
