#include "platform/video/FrameInput.h"

#include <libyuv/convert_argb.h>
#include <libyuv/planar_functions.h>

#include "platform/graph/MediaFormats.h"
#include "platform/graph/MediaGuids.h"

namespace orvo::video {
namespace {

// Frames beyond this side are refused rather than allocated.
constexpr LONG kMaxSide = 8192;

const BITMAPINFOHEADER* HeaderOf(const graph::MediaType& type) {
    if (type.formattype == FORMAT_VideoInfo) {
        const auto* info = type.FormatAs<VIDEOINFOHEADER>();
        return info ? &info->bmiHeader : nullptr;
    }
    if (type.formattype == FORMAT_VideoInfo2) {
        const auto* info = type.FormatAs<VIDEOINFOHEADER2>();
        return info ? &info->bmiHeader : nullptr;
    }
    return nullptr;
}

size_t Aligned4(size_t bytes) { return (bytes + 3) & ~size_t(3); }

// Row bytes of the first plane and bytes of a whole frame, or false for another subtype.
bool Geometry(const GUID& subtype, size_t w, size_t h, size_t& stride, size_t& bytes) {
    const size_t cw = (w + 1) / 2, ch = (h + 1) / 2;
    if (subtype == MEDIASUBTYPE_RGB32) stride = w * 4, bytes = stride * h;
    else if (subtype == MEDIASUBTYPE_RGB24) stride = Aligned4(w * 3), bytes = stride * h;
    else if (subtype == MEDIASUBTYPE_RGB565 || subtype == MEDIASUBTYPE_RGB555) stride = Aligned4(w * 2), bytes = stride * h;
    else if (subtype == MEDIASUBTYPE_YUY2) stride = cw * 4, bytes = stride * h;
    else if (subtype == MEDIASUBTYPE_YV12 || subtype == MEDIASUBTYPE_I420 || subtype == MEDIASUBTYPE_IYUV)
        stride = w, bytes = w * h + 2 * cw * ch;
    else if (subtype == MEDIASUBTYPE_NV12) stride = w, bytes = w * h + 2 * cw * ch;
    else return false;
    return true;
}

bool IsRgb(const GUID& subtype) {
    return subtype == MEDIASUBTYPE_RGB32 || subtype == MEDIASUBTYPE_RGB24 || subtype == MEDIASUBTYPE_RGB565 ||
           subtype == MEDIASUBTYPE_RGB555;
}

}  // namespace

bool DescribeInput(const graph::MediaType& type, InputFormat& format) {
    if (type.majortype != MEDIATYPE_Video) return false;
    const BITMAPINFOHEADER* header = HeaderOf(type);
    if (!header) return false;
    const LONG width = header->biWidth, height = header->biHeight;
    if (width <= 0 || width > kMaxSide || height == 0 || height < -kMaxSide || height > kMaxSide) return false;
    InputFormat f;
    f.subtype = type.subtype;
    f.width = int(width);
    f.height = int(height < 0 ? -height : height);
    if (!Geometry(f.subtype, size_t(f.width), size_t(f.height), f.stride, f.imageBytes)) return false;
    f.bottomUp = IsRgb(f.subtype) && height > 0;
    format = f;
    return true;
}

bool ConvertToFrame(const InputFormat& f, const BYTE* data, size_t length, Frame& frame) {
    if (!data || length < f.imageBytes) return false;
    if (frame.width != f.width || frame.height != f.height || frame.Empty()) frame.Resize(f.width, f.height);
    auto* out = reinterpret_cast<uint8_t*>(frame.pixels.data());
    const int outStride = f.width * 4, w = f.width;
    const int h = f.bottomUp ? -f.height : f.height;  // a negative height flips the rows
    const int stride = int(f.stride);
    const size_t lumaBytes = size_t(f.width) * f.height;
    const int chromaStride = (w + 1) / 2;
    const size_t chromaBytes = size_t(chromaStride) * ((f.height + 1) / 2);
    if (f.subtype == MEDIASUBTYPE_RGB32) libyuv::ARGBCopy(data, stride, out, outStride, w, h);
    else if (f.subtype == MEDIASUBTYPE_RGB24) libyuv::RGB24ToARGB(data, stride, out, outStride, w, h);
    else if (f.subtype == MEDIASUBTYPE_RGB565) libyuv::RGB565ToARGB(data, stride, out, outStride, w, h);
    else if (f.subtype == MEDIASUBTYPE_RGB555) libyuv::ARGB1555ToARGB(data, stride, out, outStride, w, h);
    else if (f.subtype == MEDIASUBTYPE_YUY2) libyuv::YUY2ToARGB(data, stride, out, outStride, w, h);
    else if (f.subtype == MEDIASUBTYPE_NV12)
        libyuv::NV12ToARGB(data, stride, data + lumaBytes, chromaStride * 2, out, outStride, w, h);
    else {
        const bool vFirst = f.subtype == MEDIASUBTYPE_YV12;
        const BYTE* first = data + lumaBytes;
        const BYTE* second = first + chromaBytes;
        libyuv::I420ToARGB(data, stride, vFirst ? second : first, chromaStride, vFirst ? first : second, chromaStride,
                           out, outStride, w, h);
    }
    return true;
}

}  // namespace orvo::video
