#include "tests/defaultvr/VideoFrames.h"

#include "platform/graph/MediaGuids.h"

namespace orvo::test {
namespace {

int Quadrant(int x, int y, int width, int height) { return (y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1); }

}  // namespace

std::vector<uint8_t> YuvQuadrants(const GUID& subtype, int w, int h, const QuadrantYuv& yuv) {
    const int cw = w / 2, ch = h / 2;
    auto at = [&](int x, int y) { return yuv[Quadrant(x, y, w, h)]; };
    if (subtype == MEDIASUBTYPE_YUY2) {
        std::vector<uint8_t> frame(size_t(w) * h * 2);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; x += 2) {
                uint8_t* pair = &frame[(size_t(y) * w + x) * 2];
                pair[0] = at(x, y)[0];
                pair[1] = at(x, y)[1];
                pair[2] = at(x + 1, y)[0];
                pair[3] = at(x, y)[2];
            }
        return frame;
    }
    std::vector<uint8_t> frame(size_t(w) * h + 2 * size_t(cw) * ch);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) frame[size_t(y) * w + x] = at(x, y)[0];
    uint8_t* first = frame.data() + size_t(w) * h;
    uint8_t* second = first + size_t(cw) * ch;
    const bool vFirst = subtype == MEDIASUBTYPE_YV12, interleaved = subtype == MEDIASUBTYPE_NV12;
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x) {
            const uint8_t u = at(2 * x, 2 * y)[1], v = at(2 * x, 2 * y)[2];
            if (interleaved) {
                first[size_t(y) * w + 2 * x] = u;
                first[size_t(y) * w + 2 * x + 1] = v;
            } else {
                first[size_t(y) * cw + x] = vFirst ? v : u;
                second[size_t(y) * cw + x] = vFirst ? u : v;
            }
        }
    return frame;
}

std::vector<uint8_t> Rgb24Quadrants(int w, int h, const uint32_t rgb[4]) {
    std::vector<uint8_t> frame(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = rgb[Quadrant(x, y, w, h)];
            uint8_t* pixel = &frame[(size_t(h - 1 - y) * w + x) * 3];
            pixel[0] = uint8_t(c);
            pixel[1] = uint8_t(c >> 8);
            pixel[2] = uint8_t(c >> 16);
        }
    return frame;
}

}  // namespace orvo::test
