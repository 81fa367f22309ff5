#include "platform/filters/VideoPicture.h"

#include <libyuv/convert_argb.h>

#include <cstdlib>

#include "platform/graph/MediaFormats.h"

namespace orvo::filters {
namespace {

constexpr int32_t kMaxExtent = 32767;  // the largest X window and surface

enum class Layout { None, Rgb32, Rgb24, PlanarVFirst, PlanarUFirst, Nv12, Yuy2 };

Layout LayoutOf(const GUID& subtype) {
    if (subtype == MEDIASUBTYPE_RGB32) return Layout::Rgb32;
    if (subtype == MEDIASUBTYPE_RGB24) return Layout::Rgb24;
    if (subtype == MEDIASUBTYPE_YV12) return Layout::PlanarVFirst;
    if (subtype == MEDIASUBTYPE_IYUV || subtype == MEDIASUBTYPE_I420) return Layout::PlanarUFirst;
    if (subtype == MEDIASUBTYPE_NV12) return Layout::Nv12;
    if (subtype == MEDIASUBTYPE_YUY2) return Layout::Yuy2;
    return Layout::None;
}

const BITMAPINFOHEADER* BitmapHeaderOf(const graph::MediaType& type) {
    if (type.formattype == FORMAT_VideoInfo)
        if (const auto* info = type.FormatAs<VIDEOINFOHEADER>()) return &info->bmiHeader;
    if (type.formattype == FORMAT_VideoInfo2)
        if (const auto* info = type.FormatAs<VIDEOINFOHEADER2>()) return &info->bmiHeader;
    return nullptr;
}

int32_t ChromaWidth(int32_t width) { return (width + 1) / 2; }

size_t FrameBytes(Layout layout, size_t w, size_t h) {
    const size_t cw = (w + 1) / 2, ch = (h + 1) / 2;
    switch (layout) {
        case Layout::Rgb32:
            return 4 * w * h;
        case Layout::Rgb24:
            return 3 * w * h;
        case Layout::PlanarVFirst:
        case Layout::PlanarUFirst:
        case Layout::Nv12:
            return w * h + 2 * cw * ch;
        case Layout::Yuy2:
            return 4 * cw * h;
        case Layout::None:
            break;
    }
    return 0;
}

}  // namespace

bool DescribeVideoType(const graph::MediaType& type, VideoPicture& picture) {
    if (type.majortype != MEDIATYPE_Video) return false;
    const Layout layout = LayoutOf(type.subtype);
    const BITMAPINFOHEADER* header = BitmapHeaderOf(type);
    if (layout == Layout::None || !header) return false;
    const int64_t rows = std::abs(int64_t(header->biHeight));
    if (header->biWidth <= 0 || header->biWidth > kMaxExtent || rows == 0 || rows > kMaxExtent) return false;
    const bool rgb = layout == Layout::Rgb32 || layout == Layout::Rgb24;
    picture = {type.subtype, header->biWidth, int32_t(rows), rgb && header->biHeight > 0,
               FrameBytes(layout, size_t(header->biWidth), size_t(rows))};
    return true;
}

bool CopyToRgb32(const VideoPicture& p, const uint8_t* source, size_t sourceBytes, uint8_t* target, int32_t pitch) {
    const Layout layout = LayoutOf(p.subtype);
    if (!source || layout == Layout::None || sourceBytes < p.frameBytes) return false;
    const int32_t w = p.width, h = p.height, cw = ChromaWidth(w);
    // libyuv reads a picture bottom row first when given a negative height.
    const int32_t rows = p.bottomUp ? -h : h;
    const uint8_t* chroma = source + size_t(w) * size_t(h);
    const uint8_t* secondChroma = chroma + size_t(cw) * size_t((h + 1) / 2);
    switch (layout) {
        case Layout::Rgb32:
            return libyuv::ARGBCopy(source, 4 * w, target, pitch, w, rows) == 0;
        case Layout::Rgb24:
            return libyuv::RGB24ToARGB(source, 3 * w, target, pitch, w, rows) == 0;
        case Layout::PlanarVFirst:
            return libyuv::I420ToARGB(source, w, secondChroma, cw, chroma, cw, target, pitch, w, h) == 0;
        case Layout::PlanarUFirst:
            return libyuv::I420ToARGB(source, w, chroma, cw, secondChroma, cw, target, pitch, w, h) == 0;
        case Layout::Nv12:
            return libyuv::NV12ToARGB(source, w, chroma, 2 * cw, target, pitch, w, h) == 0;
        case Layout::Yuy2:
            return libyuv::YUY2ToARGB(source, 4 * cw, target, pitch, w, h) == 0;
        case Layout::None:
            break;
    }
    return false;
}

}  // namespace orvo::filters
