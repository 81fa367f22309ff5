#include "platform/filters/ffmpeg/FrameConverter.h"

#include <utility>

extern "C" {
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include "platform/filters/ffmpeg/VideoOutputFormat.h"
#include "platform/graph/MediaGuids.h"

namespace orvo::ffmpeg {
namespace {

// Where each plane of a packed picture lies, in the order FFmpeg's format has them.
struct PackedPlanes {
    AVPixelFormat format = AV_PIX_FMT_NONE;
    uint8_t* data[4] = {};
    int stride[4] = {};
    int planes = 0;
};

PackedPlanes LayOut(const GUID& subtype, int width, int height, uint8_t* out) {
    PackedPlanes p;
    if (subtype == MEDIASUBTYPE_RGB32 || subtype == MEDIASUBTYPE_RGB24) {
        const int bytes = subtype == MEDIASUBTYPE_RGB32 ? 4 : 3;
        const int stride = bytes * width;
        // Bottom-up: the first picture row goes last, rows step backwards.
        p = {bytes == 4 ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_BGR24, {out + size_t(stride) * (height - 1)}, {-stride}, 1};
        return p;
    }
    const AVPixelFormat format = PackedPixelFormat(subtype);
    if (format == AV_PIX_FMT_NONE ||
        av_image_fill_arrays(p.data, p.stride, out, format, width, height, 1) < 0)
        return p;
    p.format = format;
    p.planes = av_pix_fmt_count_planes(format);
    // YV12 stores V before U: FFmpeg's U plane goes to the third place.
    if (subtype == MEDIASUBTYPE_YV12) std::swap(p.data[1], p.data[2]);
    return p;
}

bool SameLayout(AVPixelFormat a, AVPixelFormat b) {
    return a == b || (a == AV_PIX_FMT_BGRA && b == AV_PIX_FMT_BGR0);
}

int SwsColorSpaceOf(graph::ColorMatrix matrix) {
    switch (matrix) {
    case graph::ColorMatrix::Bt709: return SWS_CS_ITU709;
    case graph::ColorMatrix::Bt2020: return SWS_CS_BT2020;
    case graph::ColorMatrix::Smpte240m: return SWS_CS_SMPTE240M;
    case graph::ColorMatrix::Fcc: return SWS_CS_FCC;
    case graph::ColorMatrix::Bt601:
    case graph::ColorMatrix::Unspecified: break;
    }
    return SWS_CS_ITU601;
}

graph::VideoColorInfo ColorOfFrame(const AVFrame& frame) {
    return ColorInfoOfPictures(frame.colorspace, frame.color_range, AVPixelFormat(frame.format));
}

}  // namespace

FrameConverter::~FrameConverter() { sws_freeContext(m_scaler); }

HRESULT FrameConverter::Convert(const AVFrame& frame, const GUID& subtype, int width, int height, uint8_t* out,
                                size_t size) {
    if (frame.width != width || frame.height != height || width <= 0 || height <= 0) return E_INVALIDARG;
    if (!out || size < PackedImageSize(subtype, width, height)) return E_INVALIDARG;
    PackedPlanes target = LayOut(subtype, width, height, out);
    if (target.format == AV_PIX_FMT_NONE) return E_INVALIDARG;
    const auto source = AVPixelFormat(frame.format);
    if (SameLayout(source, target.format)) {
        const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(target.format);
        for (int plane = 0; plane < target.planes; ++plane) {
            const int rows = plane ? AV_CEIL_RSHIFT(height, desc->log2_chroma_h) : height;
            av_image_copy_plane(target.data[plane], target.stride[plane], frame.data[plane], frame.linesize[plane],
                                std::abs(target.stride[plane]), rows);
        }
        return S_OK;
    }
    m_scaler = sws_getCachedContext(m_scaler, width, height, source, width, height, target.format,
                                    SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (!m_scaler) return E_FAIL;
    // The frame's own matrix and range in, the limited range out; the matrix stays.
    const graph::VideoColorInfo color =
        graph::ResolvedColorInfo(ColorOfFrame(frame), width, height);
    const int* coefficients = sws_getCoefficients(SwsColorSpaceOf(color.matrix));
    sws_setColorspaceDetails(m_scaler, coefficients, color.range == graph::ColorRange::Full, coefficients, 0, 0,
                             1 << 16, 1 << 16);
    const int rows = sws_scale(m_scaler, frame.data, frame.linesize, 0, height, target.data, target.stride);
    return rows == height ? S_OK : E_FAIL;
}

graph::VideoColorInfo FrameConverter::OutputColor(const AVFrame& frame, const GUID& subtype) {
    graph::VideoColorInfo color = ColorOfFrame(frame);
    if (!SameLayout(AVPixelFormat(frame.format), PackedPixelFormat(subtype))) color.range = graph::ColorRange::Limited;
    return color;
}

}  // namespace orvo::ffmpeg
